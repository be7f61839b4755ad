#pragma once
// Programming the chip from pulsakor-cli: after a whole run (--programmer)
// or with an existing HEX file (--flash). avrdude's output is echoed to
// standard error as it comes, and goes into the programming log.

#include "cli/generation_command.h"
#include "cli/options.h"

#include "generator/avrdude_command.h"

#include <QString>

namespace cli {

/// The settings for `options`: the avrdude given (made absolute, a bare
/// name looked up on PATH) or the platform's default.
generator::ProgrammingSettings ProgrammingSettingsFor(const ProgrammingOptions &options);

/// Programs `hexPath` into the chip; the result's message goes to `message`
/// as "title: text". ExitSuccess, or ExitNotProgrammed for every failure.
ExitCode ProgramHexFile(const QString &hexPath, const ProgrammingOptions &options,
                        const MessageSink &message);

} // namespace cli
