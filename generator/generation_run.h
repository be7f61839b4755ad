#pragma once
// The generation run from the template check to the saved settings:
// table, listing, target choice, assembler source, assembler run, log and
// clean-up. It reads its RunInputs once, asks the RunHost what only a user
// can answer, and hands back what it made in a RunResult.

#include "generator/hex_check.h"
#include "generator/run_host.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace generator {

enum class RunOutcome {
    TemplateMissing,    ///< the template check failed; nothing changed
    TableRejected,      ///< a field or the table cannot be held; nothing written
    Cancelled,          ///< the save dialog was cancelled; nothing written
    TargetIsTemplate,   ///< an output file of the target would be the template
    TargetBusy,         ///< another run writes into the same target; nothing written
    FileFailed,         ///< a file could not be read, written or deleted
    AssemblerMissing,   ///< no assembler program; source and cfg stay
    AssemblerFailed,    ///< the assembler failed or its HEX file lacks the table
    Assembled,          ///< a HEX file with the table, the log and the settings
    Interrupted,        ///< the host began closing during the wait
};

struct RunResult {
    RunOutcome outcome = RunOutcome::TemplateMissing;
    /// The table listing; empty when the fields or the table were refused.
    QString listing;
    /// The log above the listing, once the run has read its log back.
    std::optional<QString> logView;
    /// The base of the output files ("/daten/servo003."); empty before the
    /// target was chosen.
    QString targetBase;
    /// The files this run made and left in place: the source (unless it was
    /// deleted at the end), the HEX file when it holds the table, and the
    /// log once the assembler has run (so the log is this run's).
    QStringList files;
    /// The look for the table in the HEX file, when the assembler ended
    /// well and left one.
    std::optional<HexTableCheck> hexCheck;
};

/// Title of every message that ends the run because of a fault.
QString FatalTitle();
/// Title of the messages about a missing or failed assembler.
QString HexNotMadeTitle();
/// The missing-assembler text (it always names "avrasm32.exe").
QString AssemblerMissingMessage();
/// Shown with the HEX file's path as title after a successful assembly.
QString HexAssembledMessage();
/// Shown when the assembler failed, crashed, overran or made no fresh HEX,
/// and the log holds what it printed.
QString HexNotMadeMessage();
/// Shown instead when the log holds nothing from the assembler (it printed
/// nothing, or never started): `reason` says what is known, as the log does.
QString HexNotMadeSilentMessage(const QString &reason);
/// The refusal to let an output file replace or delete the template.
QString TargetIsTemplateMessage(const QString &targetPath);
/// The refusal to run into a target that another run is writing.
QString TargetBusyMessage(const QString &targetPath);

/// Carries out one generation run on `inputs`, asking `host`. Needs a
/// QCoreApplication (or QApplication): the wait for the assembler runs a
/// local event loop.
RunResult RunGeneration(const RunInputs &inputs, RunHost &host);

} // namespace generator
