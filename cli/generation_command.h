#pragma once
// The whole generation run as pulsakor-cli does it: the window's run with the
// command line's answers, then a look into the HEX file for the table.

#include "cli/options.h"

#include "generator/generation_run.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <functional>
#include <optional>

namespace cli {

/// Takes each message of the run as one "title: text" for stderr, in the
/// order the window would show them.
using MessageSink = std::function<void(const QString &)>;

struct GenerationOutcome {
    ExitCode exitCode = ExitSuccess;
    /// The log file's bytes as they stand on disk; empty when the run ended
    /// before it wrote the log.
    QByteArray log;
    /// The run accepted the fields, the table and the target, so a picture
    /// of the table may go beside its files.
    bool tableAccepted = false;
    /// The HEX file the run made, when it holds the table.
    QString hexPath;
};

/// The exit status for a run that ended with `outcome`.
ExitCode ExitCodeFor(generator::RunOutcome outcome);

/// The German refusal when a picture written to `plotPath` would replace the
/// template or one of the files the run names after its target; nullopt when
/// the path is free for it.
std::optional<QString> PlotPathRefusal(const QString &plotPath, const RunRequest &request);

/// Runs generator::RunGeneration with `texts`, the template, the target as
/// the save dialog's answer (made absolute), the assembler (the platform's
/// default unless given) and the source deleted for --delete-asm. The assembler is
/// waited for until it ends, at most as long as the window waits; the
/// settings files are neither read nor written. After an assembly, checks
/// that the HEX data holds the 256 table bytes followed by the PWM count and
/// 0 (the table alone when the PWM text is not a plain number from 0 to 255).
GenerationOutcome RunWholeGeneration(const generator::ParameterTexts &texts,
                                     const RunRequest &request, QChar decimalSeparator,
                                     const MessageSink &message);

} // namespace cli
