#pragma once
// What the teach-in firmware left in the chip's EEPROM, read back into the
// two end-stop fields. The firmware keeps, in its 64 bytes:
//   address 0  the chip's calibration byte (written by the programming)
//   address 1  the lowest steady wiper reading taught (0..255)
//   address 2  the highest steady wiper reading taught (0..255)
//   address 3  a check byte: lowest XOR highest XOR 0xA5, written last
// A chip just programmed holds 0xFF at 1..3, which the check does not
// accept; that is read as "nothing taught yet", not as damaged.

#include "generator/avrdude_command.h"
#include "generator/chip_programming.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace generator {

enum class EndStopOutcome {
    Taught,          ///< two readings, the lower one below the higher one
    NothingTaught,   ///< the chip is as programmed, or the servo never moved
    Damaged,         ///< the check byte fails or lowest > highest (a torn write)
    SupplyRefused,   ///< the supply text cannot give voltages; the image was not read
    ImageIncomplete, ///< fewer than kEepromSize bytes came back from the chip
};

struct EndStops {
    EndStopOutcome outcome = EndStopOutcome::ImageIncomplete;
    /// The two readings (Taught only); end stop 1 is the lower one.
    quint8 lowestReading = 0;
    quint8 highestReading = 0;
    /// Their wiper voltages as field texts of at least four digits, in mV
    /// rounded to 10 mV: reading 25 at supply 5000 gives "0490" (Taught only).
    QString end1Text;
    QString end2Text;
    /// German: what was found and what to do next.
    QString message;
};

/// A German refusal when the programming of the teach-in firmware would put
/// the calibration byte at `calibrationAddress` 1 to 3, where the firmware
/// keeps its result and a calibration byte would be read back as taught.
std::optional<QString> TeachInCalibrationRefusal(std::optional<int> calibrationAddress);

/// The teach-in's own avrdude log in `settingsFolder` (ending with a
/// separator): a teach-in has no target, and its log never goes beside one.
QString TeachInLogPath(const QString &settingsFolder);

/// Programs the teach-in firmware at `firmwarePath` with `settings`, as any
/// programming does (the calibration byte included), avrdude's output going
/// into `logPath`. A firmware that was not found (an empty path) and a
/// calibration byte where the firmware keeps its readings are refused before
/// avrdude starts: nothing is written then.
ProgrammingResult ProgramTeachInFirmware(const ProgrammingSettings &settings,
                                         const QString &firmwarePath, const QString &logPath,
                                         ProgrammingHost &host,
                                         platform::Cancellation *cancellation = nullptr);

/// The supply voltage field text in units of 10 mV as the table reads it;
/// nothing with `refusal` set to a German message when the field rules
/// reject it or it is not above 0.
std::optional<qint32> TeachInSupply(const QString &supplyText, QString *refusal);

/// Judges the EEPROM image `eeprom` of the teach-in firmware and turns its
/// readings into voltages for `supplyText`, as the header describes.
EndStops ReadEndStops(const QByteArray &eeprom, const QString &supplyText);

} // namespace generator
