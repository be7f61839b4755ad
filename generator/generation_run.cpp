#include "generator/generation_run.h"

#include "generator/assembler_batch.h"
#include "generator/assembler_source.h"
#include "generator/run_summary.h"
#include "generator/side_files.h"
#include "generator/table_from_fields.h"
#include "generator/target_files.h"
#include "generator/table_listing.h"
#include "generator/target_name.h"
#include "generator/template_name.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <optional>

namespace generator {

QString FatalTitle()
{
    return QStringLiteral("Fataler Fehler...");
}

QString HexNotMadeTitle()
{
    return QStringLiteral("HEX-Datei wurde nicht erstellt...");
}

QString AssemblerMissingMessage()
{
    // The window's fixed text: it names "avrasm32.exe" whatever program the
    // assembler path names, on every platform.
    return QStringLiteral("Die Programmdatei 'avrasm32.exe' wurde nicht gefunden...");
}

QString HexAssembledMessage()
{
    return QStringLiteral("Es wurde eine Hex-Datei assembliert...");
}

QString HexNotMadeMessage()
{
    return QStringLiteral(
        "Der Assembler hat keine HEX-Datei erzeugt. Seine Meldungen stehen in der Log-Datei.");
}

QString HexNotMadeSilentMessage(const QString &reason)
{
    QString text = QStringLiteral(
        "Der Assembler hat keine HEX-Datei erzeugt, und von ihm steht nichts in der Log-Datei.");
    if (!reason.isEmpty())
        text += QStringLiteral("\r\n") + reason;
    return text;
}

QString TargetIsTemplateMessage(const QString &targetPath)
{
    return QStringLiteral("Die Zieldatei \"%1\" ist die Vorlage selbst und wird nicht "
                          "überschrieben.\r\nBitte einen anderen Namen wählen.")
        .arg(QDir::toNativeSeparators(targetPath));
}

QString TargetBusyMessage(const QString &targetPath)
{
    return QStringLiteral("In die Zieldatei \"%1\" schreibt gerade ein anderer Lauf.\r\n"
                          "Bitte warten oder einen anderen Namen wählen.")
        .arg(QDir::toNativeSeparators(targetPath));
}

namespace {

struct TargetChoice {
    QString path;
    QString base;
};

// Shows the listing and asks for the target. nullopt: cancelled, or refused
// because a file named after the target would be the template.
std::optional<TargetChoice> ChooseTargetFile(const RunInputs &inputs, RunHost &host,
                                             const QString &listing, RunOutcome *refusal)
{
    host.ShowListingPage(listing);
    const QString &workFolder = inputs.workFolder;
    platform::FileDialogRequest request;
    request.filter = TargetFilter(inputs.deleteSource);
    request.fileName =
        workFolder + ProposeTargetName(workFolder, inputs.deleteSource, platform::FileExists);
    request.title = TargetDialogTitle();

    QString chosen = host.ChooseTarget(request);
    if (chosen.isEmpty()) {
        *refusal = RunOutcome::Cancelled;
        return std::nullopt;
    }
    // A dialog answers with a full path; a bare name from elsewhere is taken
    // relative to the current folder so that the folder part is never empty.
    if (QDir::isRelativePath(chosen))
        chosen = QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath());

    TargetChoice choice{chosen, TargetBase(chosen)};
    // Every file the run or the assembler writes or deletes is named after
    // the base. None of them may be the template, neither by its name nor
    // through a link standing under such a name, which the assembler would
    // write through.
    const QString clash = TargetNameThatIs(choice.base, inputs.templatePath);
    if (!clash.isEmpty()) {
        host.ShowMessage(TargetIsTemplateMessage(clash), FatalTitle());
        *refusal = RunOutcome::TargetIsTemplate;
        return std::nullopt;
    }
    return choice;
}

bool AppendLogNote(const QString &logPath, const QString &note, QString *error)
{
    return platform::AppendToFile(
        logPath, platform::TextEncoding::System().Encode(note + QStringLiteral("\r\n")), error);
}

// Shows `error` as the fault that ends the run.
RunOutcome FileFault(RunHost &host, const QString &error)
{
    host.ShowMessage(error, FatalTitle());
    return RunOutcome::FileFailed;
}

// The log holds one run only, also when the assembler never gets to start
// it anew; a HEX file after the run is this run's. A log or HEX file that
// cannot go ends the run here: an old log would be shown as this run's
// messages, an old HEX file taken for this run's.
bool RemoveOldOutputs(const QString &targetBase, RunHost &host)
{
    for (const QString &path : TargetFilePaths(targetBase, TargetFileRemoval::BeforeAssembler)) {
        QString error;
        if (!platform::RemoveFile(path, &error)) {
            FileFault(host, error);
            return false;
        }
    }
    return true;
}

// How the assembler starts: through the batch file where there is a command
// processor, otherwise with the batch file's steps carried out here. nullopt
// when the batch file could not be written (reported).
std::optional<platform::ProgramStart> AssemblerStart(const QString &assemblerPath,
                                                     const TargetChoice &target, RunHost &host)
{
    const QString workFolder = platform::FolderOfPath(target.path);
    platform::ProgramStart start;
    if (platform::UsesBatchFile()) {
        const QString batchPath = TargetFilePath(target.base, TargetFileRole::Batch);
        QString error;
        if (!WriteAssemblerBatch(batchPath, workFolder, target.base, assemblerPath, &error)) {
            FileFault(host, error);
            return std::nullopt;
        }
        return platform::BatchFileStart(batchPath, workFolder,
                                        TargetFilePath(target.base, TargetFileRole::Log));
    }
    const AssemblerCall call = DirectAssemblerCall(workFolder, target.base, assemblerPath);
    for (const QString &path : call.filesToRemove)
        platform::RemoveFile(path);
    start.program = call.program;
    start.arguments = call.arguments;
    start.workingFolder = call.workFolder;
    start.outputFile = call.logPath;
    return start;
}

// What the log is told about an assembler that did not end by itself, or
// could not start; empty when it ended by itself.
QString AssemblerEndNote(const platform::ProgramEnd &end, const platform::WaitTimes &wait,
                         qint64 outputLimit)
{
    switch (end.state) {
    case platform::ProgramEnd::State::FailedToStart:
        return QStringLiteral("Der Assembler konnte nicht gestartet werden: ") + end.error;
    case platform::ProgramEnd::State::TimedOut:
        return QStringLiteral("Der Assembler wurde nach %1 Sekunden abgebrochen.")
            .arg(double(wait.maximum.count()) / 1000.0);
    case platform::ProgramEnd::State::Crashed:
        return QStringLiteral("Der Assembler ist abgestürzt.");
    case platform::ProgramEnd::State::OutputTooLong:
        return QStringLiteral("Der Assembler wurde beendet, weil seine Ausgabe die Grenze von "
                              "%1 MiB überschritten hat.")
            .arg(outputLimit / (1024 * 1024));
    default:
        return {};
    }
}

// What the command processor said itself (a folder it could not find),
// for a log that would hold nothing else; empty when it said nothing.
QString CommandProcessorNote(const QByteArray &errorOutput)
{
    QStringList lines = platform::SplitTextLines(
        platform::TextEncoding::CommandProcessor().Decode(errorOutput).trimmed());
    for (QString &line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    if (lines.isEmpty())
        return {};
    return QStringLiteral("Die Eingabeaufforderung meldete:\r\n") + lines.join(u"\r\n");
}

// The failure's message points to the log only where the log holds what the
// assembler printed; otherwise it says itself what is known.
RunOutcome HexNotMade(RunHost &host, bool assemblerWrote, const QString &reason)
{
    host.ShowMessage(assemblerWrote ? HexNotMadeMessage() : HexNotMadeSilentMessage(reason),
                     HexNotMadeTitle());
    return RunOutcome::AssemblerFailed;
}

// Looks for this run's table in the HEX file the assembler left. Assembled
// when it is there; otherwise the log says why, and the run failed.
RunOutcome CheckHexFile(const QString &targetBase, const OrderedTable &table, RunHost &host,
                        bool assemblerWrote, std::optional<HexTableCheck> *hexCheck)
{
    const QString hexPath = TargetFilePath(targetBase, TargetFileRole::Hex);
    QString error;
    const std::optional<QByteArray> hex = platform::ReadWholeFile(hexPath, &error);
    if (!hex)
        return FileFault(host, error);
    *hexCheck =
        CheckHexForTable(*hex, QDir::toNativeSeparators(hexPath), table.ordered, table.table);
    if ((*hexCheck)->found) {
        host.ShowMessage(HexAssembledMessage(), QDir::toNativeSeparators(hexPath));
        return RunOutcome::Assembled;
    }
    if (!AppendLogNote(TargetFilePath(targetBase, TargetFileRole::Log), (*hexCheck)->text, &error))
        return FileFault(host, error);
    return HexNotMade(host, assemblerWrote, (*hexCheck)->text);
}

// Starts the assembler and waits for it. Returns the outcome of this step:
// AssemblerMissing / FileFailed / Interrupted end the run, Assembled and
// AssemblerFailed go on with the log.
RunOutcome RunAssembler(const RunInputs &inputs, RunHost &host, const TargetChoice &target,
                        const OrderedTable &table, std::optional<HexTableCheck> *hexCheck)
{
    if (!platform::FileExists(inputs.assemblerPath)) {
        host.ShowMessage(AssemblerMissingMessage(), HexNotMadeTitle());
        return RunOutcome::AssemblerMissing;
    }
    if (!RemoveOldOutputs(target.base, host))
        return RunOutcome::FileFailed;
    const std::optional<platform::ProgramStart> start =
        AssemblerStart(inputs.assemblerPath, target, host);
    if (!start)
        return RunOutcome::FileFailed;

    // The wait runs the event loop, so the front end's other handlers are
    // live meanwhile. The run has its inputs and asks nothing of the host
    // again but the delete-source choice; SetWaiting keeps a second run from
    // starting, and a closing host is left alone from here on.
    host.SetWaiting(true);
    const platform::ProgramEnd end = platform::RunProgram(*start, inputs.assemblerWait);
    if (end.state == platform::ProgramEnd::State::Interrupted || host.IsClosing()) {
        // The batch file only started the assembler, which has ended with
        // the wait: a closing window does not leave it behind.
        if (platform::UsesBatchFile())
            platform::RemoveFile(TargetFilePath(target.base, TargetFileRole::Batch));
        return RunOutcome::Interrupted;
    }
    host.SetWaiting(false);

    if (end.state == platform::ProgramEnd::State::OutputFailed)
        return FileFault(host, end.error);
    // Only what the assembler did counts: it ended well, and the HEX file
    // it left (an older one was removed above) holds this run's table.
    const bool hexLeft = end.state == platform::ProgramEnd::State::Finished && end.exitCode == 0
        && QFileInfo(TargetFilePath(target.base, TargetFileRole::Hex)).isFile();
    // The log of this run (an older one was removed above) holds what the
    // assembler printed, if anything. Where a failed run's log holds
    // nothing, the command processor's own complaints say why: it could
    // not enter the folder or make the log, so the assembler never started.
    const QString logPath = TargetFilePath(target.base, TargetFileRole::Log);
    const bool assemblerWrote = QFileInfo(logPath).size() > 0;
    QStringList notes(AssemblerEndNote(end, inputs.assemblerWait, start->outputLimit));
    if (!hexLeft && !assemblerWrote)
        notes << CommandProcessorNote(end.errorOutput);
    notes.removeAll(QString());
    const QString note = notes.join(u"\r\n");
    QString error;
    if (!note.isEmpty() && !AppendLogNote(logPath, note, &error))
        return FileFault(host, error);

    if (hexLeft)
        return CheckHexFile(target.base, table, host, assemblerWrote, hexCheck);
    return HexNotMade(host, assemblerWrote, note);
}

// The table of the fields, once the template's name passed; nullopt with
// the outcome in `result` when either was refused (reported).
std::optional<OrderedTable> TableForRun(const RunInputs &inputs, RunHost &host,
                                        RunResult *result)
{
    if (!CheckTemplateName(platform::FindFirstFile(inputs.templatePath))) {
        host.ShowMessage(TemplateMissingMessage(), FatalTitle());
        result->outcome = RunOutcome::TemplateMissing;
        return std::nullopt;
    }
    const FieldTable fieldTable = TableFromFields(inputs.fieldTexts);
    if (!fieldTable.table) {
        host.ShowMessage(fieldTable.rejection, FatalTitle());
        result->outcome = RunOutcome::TableRejected;
        return std::nullopt;
    }
    return fieldTable.table;
}

// One run at a time per target: a second run would mix its source, HEX file
// and log with ours. The lock goes when `lock` does; the lock of a run that
// died is taken over (only its process is asked, not its age: a run may wait
// long for a message box). False when another run holds it (reported).
bool LockTarget(QLockFile &lock, const TargetChoice &target, RunHost &host)
{
    lock.setStaleLockTime(0);
    // A folder that takes no lock file takes no source either; that failure
    // is the one to report, so only a lock held by another run stops here.
    if (!lock.tryLock(0) && lock.error() == QLockFile::LockFailedError) {
        host.ShowMessage(TargetBusyMessage(target.path), FatalTitle());
        return false;
    }
    return true;
}

// Log and clean-up after the assembler: each step is tried even when an
// earlier one failed, so the side files go and the settings are kept; a
// failure is reported and the run no longer counts as a success.
void FinishRun(const TargetChoice &target, const OrderedTable &table, QChar separator,
               RunHost &host, RunResult *result)
{
    const QString sourcePath = TargetFilePath(target.base, TargetFileRole::Source);
    const QString logPath = TargetFilePath(target.base, TargetFileRole::Log);
    if (result->outcome == RunOutcome::Assembled)
        result->files << TargetFilePath(target.base, TargetFileRole::Hex);
    result->files << logPath;

    bool filesOk = true;
    QString error;
    if (!AppendRunSummary(logPath, table.ordered, separator, &error)) {
        host.ShowMessage(error, FatalTitle());
        filesOk = false;
    }
    const bool deleteSource = host.DeletesSource();
    if (!RemoveSideFiles(target.base, deleteSource, &error)) {
        host.ShowMessage(error, FatalTitle());
        filesOk = false;
    }
    if (deleteSource && !QFileInfo::exists(sourcePath))
        result->files.removeOne(sourcePath);
    result->logView = ShowRunLog(logPath, result->listing, &error);
    if (result->logView) {
        host.ShowLogView(*result->logView);
    } else {
        host.ShowMessage(error, FatalTitle());
        filesOk = false;
    }
    host.SaveSettings();
    if (!filesOk)
        result->outcome = RunOutcome::FileFailed;
}

} // namespace

RunResult RunGeneration(const RunInputs &inputs, RunHost &host)
{
    RunResult result;
    const std::optional<OrderedTable> table = TableForRun(inputs, host, &result);
    if (!table)
        return result;
    result.listing = BuildTableListing(table->ordered, table->table, inputs.decimalSeparator);

    RunOutcome refusal = RunOutcome::Cancelled;
    const std::optional<TargetChoice> target =
        ChooseTargetFile(inputs, host, result.listing, &refusal);
    if (!target) {
        result.outcome = refusal;
        return result;
    }
    QLockFile lock(TargetFilePath(target->base, TargetFileRole::Lock));
    if (!LockTarget(lock, *target, host)) {
        result.outcome = RunOutcome::TargetBusy;
        return result;
    }
    host.SaveParameters(platform::FolderOfPath(target->path));
    result.targetBase = target->base;

    const QString sourcePath = TargetFilePath(target->base, TargetFileRole::Source);
    QString error;
    if (!WriteAssemblerSource(inputs.templatePath, sourcePath, result.listing, &error)) {
        result.outcome = FileFault(host, error);
        return result;
    }
    result.files << sourcePath;
    host.FocusListing();

    result.outcome = RunAssembler(inputs, host, *target, *table, &result.hexCheck);
    if (result.outcome == RunOutcome::Assembled || result.outcome == RunOutcome::AssemblerFailed)
        FinishRun(*target, *table, inputs.decimalSeparator, host, &result);
    return result;
}

} // namespace generator
