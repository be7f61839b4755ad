#pragma once
// How avrdude is called to program the ATtiny15: the settings a user gives
// (program, programmer, port, baud rate, where the calibration byte goes)
// and the argument list of each of the programming's two calls. Pure
// functions; the files they name lie in the programming's own work folder.

#include <QByteArray>
#include <QLatin1String>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace generator {

/// The chip's EEPROM holds 64 bytes, at addresses 0 to 63.
inline constexpr int kEepromSize = 64;

/// The EEPROM address the example firmware loads its calibration byte from.
inline constexpr int kDefaultCalibrationAddress = 0;

/// What a user chooses for programming the chip.
struct ProgrammingSettings {
    /// The avrdude program (a full path).
    QString avrdudePath;
    /// avrdude's programmer id (-c): usbasp, usbtiny, avrisp2, stk500v1, ...
    QString programmer;
    /// avrdude's port (-P): usb, /dev/ttyUSB0, COM3, net:HOST:PORT; empty:
    /// avrdude's default for the programmer.
    QString port;
    /// The baud rate (-b); none: the programmer's default.
    std::optional<int> baudRate;
    /// Where the calibration byte is written: an EEPROM address 0..63, or
    /// none, when the firmware does not load it.
    std::optional<int> calibrationAddress = kDefaultCalibrationAddress;
    friend bool operator==(const ProgrammingSettings &, const ProgrammingSettings &) = default;
};

/// avrdude's name of the ATtiny15 (-p).
QLatin1String AvrdudePartName();

/// The files of one programming, in its own work folder. avrdude reads a
/// "-U memory:op:file:format" at its colons, so the file names are plain
/// ASCII without any: a HEX file is copied here under kFlashFileName, and
/// a path such as "C:\Servos\servo000.hex" or "/home/b/a:b.hex" never
/// reaches avrdude's command line.
inline constexpr QLatin1String kFlashFileName{"flash.hex"};
inline constexpr QLatin1String kSignatureFileName{"signature.bin"};
inline constexpr QLatin1String kCalibrationFileName{"calibration.bin"};
inline constexpr QLatin1String kEepromFileName{"eeprom.hex"};
inline constexpr QLatin1String kEepromReadFileName{"eeprom.bin"};

/// The German reason why `settings` cannot be used (no programmer, a
/// calibration address outside 0..63, a baud rate that is not positive);
/// empty when they can.
QString SettingsRefusal(const ProgrammingSettings &settings);

/// The first call: avrdude checks the chip's signature itself (never
/// overridden: no -F), then the signature goes into kSignatureFileName as
/// three raw bytes, for the programming to check as well, and the
/// calibration byte into kCalibrationFileName as one. Writes nothing to the
/// chip. "-p t15 -c ID [-P PORT] [-b BAUD] -U signature:r:signature.bin:r
/// -U calibration:r:calibration.bin:r"
QStringList ReadChipArguments(const ProgrammingSettings &settings);

/// The second call: erase the chip, write the flash from kFlashFileName and
/// verify it, then, when `writesEeprom`, write kEepromFileName (the
/// template's EEPROM data and the calibration byte) into the EEPROM and
/// verify it. Fuses and lock bits are never named.
/// "-p t15 -c ID [-P PORT] [-b BAUD] -e -U flash:w:flash.hex:i
///  [-U eeprom:w:eeprom.hex:i]"
QStringList WriteChipArguments(const ProgrammingSettings &settings, bool writesEeprom);

/// The EEPROM read: the signature as in ReadChipArguments, then the whole
/// EEPROM into kEepromReadFileName as raw bytes. Writes nothing to the chip.
/// "-p t15 -c ID [-P PORT] [-b BAUD] -U signature:r:signature.bin:r
/// -U eeprom:r:eeprom.bin:r"
QStringList ReadEepromArguments(const ProgrammingSettings &settings);

/// EEPROM bytes by address.
using EepromBytes = QMap<int, quint8>;

/// An Intel HEX file that holds `bytes` and no others, so avrdude writes and
/// verifies only those: a data record for each run of up to 16 bytes at
/// consecutive addresses, then the end record, CR LF after each.
QByteArray EepromHex(const EepromBytes &bytes);

} // namespace generator
