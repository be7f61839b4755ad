#pragma once
// Programming the chip from pulsakor-cli: after a whole run (--programmer),
// with an existing HEX file (--flash) or with the teach-in firmware
// (--teach-in); and reading back what that firmware measured
// (--read-end-stops). avrdude's output is echoed to standard error as it
// comes, and goes into the programming log.

#include "cli/generation_command.h"
#include "cli/options.h"

#include "generator/avrdude_command.h"

#include <QByteArray>
#include <QString>

namespace cli {

/// The settings for `options`: the avrdude given (made absolute, a bare
/// name looked up on PATH) or the platform's default.
generator::ProgrammingSettings ProgrammingSettingsFor(const ProgrammingOptions &options);

/// Programs `hexPath` into the chip; the result's message goes to `message`
/// as "title: text". ExitSuccess, or ExitNotProgrammed for every failure.
ExitCode ProgramHexFile(const QString &hexPath, const ProgrammingOptions &options,
                        const MessageSink &message);

/// Programs the teach-in firmware found beside the program (or where it is
/// installed) into the chip, its avrdude log in the settings folder.
/// ExitSuccess, or ExitNotProgrammed for every failure, a firmware not found
/// included.
ExitCode ProgramTeachIn(const ProgrammingOptions &options, const MessageSink &message);

struct EndStopsRead {
    ExitCode exitCode = ExitNotProgrammed;
    /// "--end1 0610 --end2 4390\n" on ExitSuccess, empty otherwise.
    QByteArray line;
};

/// Reads the chip's EEPROM and what the teach-in firmware left there, the
/// voltages for `supplyText`. ExitRejected for a supply text that cannot be
/// used (before any programmer is asked), ExitNotProgrammed when the chip
/// could not be read, ExitNothingTaught when it holds no end stops taught
/// or a damaged result. The readings and voltages, or what went wrong, go
/// to `message`.
EndStopsRead ReadTaughtEndStops(const ProgrammingOptions &options, const QString &supplyText,
                                const MessageSink &message);

} // namespace cli
