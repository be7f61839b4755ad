#pragma once
// Programming a HEX file into the ATtiny15 through avrdude, the calibration
// byte included, in two avrdude calls:
//   1. read the signature and the calibration byte into files (avrdude
//      refuses any chip but an ATtiny15, and so does this run, by the bytes
//      read); nothing is written;
//   2. erase the chip, write and verify the flash, then write and verify
//      the EEPROM: the template's data from the assembler's EEPROM image
//      beside the HEX file (servo003.eep.hex), when there is one, and the
//      calibration byte at its address. Template data at that address
//      stops the programming before anything starts.
// Fuses and lock bits are never written. A call succeeds when avrdude ends
// with 0 and the files it was to write are whole; its words only choose the
// message of a failure. avrdude's output of both calls goes into the
// programming log named after the HEX file (servo003.avrdude.log), never
// into the run's log; nothing else is written beside the HEX file.
// The window and pulsakor-cli call ProgramChip; the first watches the
// progress and may cancel, the second echoes avrdude's output.
// ReadChipEeprom is a third kind of call, which only reads: the signature,
// then the EEPROM.

#include "generator/avrdude_answer.h"
#include "generator/avrdude_command.h"
#include "platform/assembler_process.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <optional>

namespace generator {

struct ProgrammingRequest {
    ProgrammingSettings settings;
    /// The HEX file to write into the flash.
    QString hexPath;
    /// How long each avrdude call may take: a programmer that does not
    /// answer makes avrdude give up by itself after about 50 seconds.
    platform::WaitTimes wait{std::chrono::milliseconds(0), std::chrono::seconds(120)};
    /// The programming log; empty: beside the HEX file (ProgrammingLogPath),
    /// or in `settingsFolder` when that cannot be written.
    QString logPath;
    /// Where the log goes when it cannot go beside the HEX file (ending with
    /// a separator); empty: nowhere else.
    QString settingsFolder;
};

/// What a front end sees while the chip is programmed.
class ProgrammingHost {
public:
    virtual ~ProgrammingHost() = default;
    /// avrdude's output as it arrives (it goes into the log as well).
    virtual void TakeOutput(const QByteArray &) {}
    /// Called when the stage or its percentage moved on.
    virtual void ShowProgress(const ProgrammingProgress &) {}
};

enum class ProgrammingOutcome {
    Programmed,        ///< flash written and verified, calibration byte too
    SettingsRefused,   ///< the settings cannot be used; nothing started
    AvrdudeMissing,    ///< no avrdude program, or it could not start
    FileFailed,        ///< the HEX file or the EEPROM image could not be read or does not
                       ///< fit the chip, or a file could not be written
    ProgrammerUnknown, ///< avrdude does not know the programmer id
    PortUnavailable,   ///< the port could not be opened
    NoAnswer,          ///< the programmer is not found or does not answer
    ChipNotAnswering,  ///< the programmer answers, the chip does not
    WrongChip,         ///< not an ATtiny15; nothing written
    CalibrationUnread, ///< the calibration byte could not be read, or is missing on the
                       ///< chip (0x00 or 0xFF) where it is to be written; nothing written
    VerifyMismatch,    ///< a written byte did not read back
    TimedOut,          ///< avrdude did not end in time and was ended
    OutputTooLong,     ///< avrdude printed without end and was ended
    Cancelled,         ///< the user cancelled; avrdude was ended
    Interrupted,       ///< the application is ending; avrdude was ended
    AvrdudeFailed,     ///< avrdude failed otherwise; its messages say why
};

struct ProgrammingResult {
    ProgrammingOutcome outcome = ProgrammingOutcome::SettingsRefused;
    /// In German: what happened and, for a failure, what to check (the
    /// connection, the programmer's name, the port) and where avrdude's
    /// messages are.
    QString message;
    /// The programming log; empty when no avrdude call began.
    QString logPath;
    /// The chip's signature as avrdude read it ("1E 90 06").
    std::optional<QString> signature;
    /// The chip's calibration byte, once read.
    std::optional<quint8> calibrationByte;
    /// The second call began: the chip may be erased or written in part.
    bool chipTouched = false;
};

/// The title for `outcome`'s message: "Chip programmiert" or "Chip nicht
/// programmiert".
QString ProgrammingTitle(ProgrammingOutcome outcome);

/// The programming log of the HEX file at `hexPath`: its target's base plus
/// "avrdude.log" ("/d/servo003.hex" gives "/d/servo003.avrdude.log").
QString ProgrammingLogPath(const QString &hexPath);

/// Programs `request.hexPath` into the chip as described at the top, asking
/// `host` nothing but showing it the output and the progress. `cancellation`,
/// when given, ends the programming at once (avrdude and all it started).
/// Needs a QCoreApplication: each call is waited for in a local event loop.
/// The HEX file, the source and the run's log are never changed.
ProgrammingResult ProgramChip(const ProgrammingRequest &request, ProgrammingHost &host,
                              platform::Cancellation *cancellation = nullptr);

/// Reading the chip's EEPROM: the teach-in firmware leaves its result there.
struct EepromReadRequest {
    ProgrammingSettings settings;
    /// avrdude's output of the call; empty: none is kept.
    QString logPath;
    platform::WaitTimes wait{std::chrono::milliseconds(0), std::chrono::seconds(120)};
};

struct EepromReadResult {
    bool succeeded = false;
    /// Programmed when it succeeded, otherwise why not (as for ProgramChip).
    ProgrammingOutcome outcome = ProgrammingOutcome::SettingsRefused;
    /// In German: for a failure what happened and what to check.
    QString message;
    QString logPath;
    std::optional<QString> signature;
    /// The whole EEPROM, kEepromSize bytes, when it succeeded.
    QByteArray eeprom;
};

/// One avrdude call that checks the signature as the programming does, then
/// reads the EEPROM into a file. Nothing is ever written to the chip (no
/// erase, no write). Cancellation, time limits and the watch of the output
/// are those of ProgramChip; needs a QCoreApplication as well.
EepromReadResult ReadChipEeprom(const EepromReadRequest &request, ProgrammingHost &host,
                                platform::Cancellation *cancellation = nullptr);

} // namespace generator
