#include "cli/generation_command.h"

#include "cli/listing_command.h"

#include "generator/hex_check.h"
#include "generator/target_files.h"
#include "generator/target_name.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>

namespace cli {

namespace {

QString HexCheckTitle()
{
    return QStringLiteral("HEX-Prüfung");
}

} // namespace

namespace {

// The window's run with the command line's answers. Nothing here reads or
// writes the window's settings files.
class CliRunHost : public generator::RunHost {
public:
    CliRunHost(const QString &targetPath, bool deleteSource, const MessageSink &message)
        : m_targetPath(targetPath), m_deleteSource(deleteSource), m_message(message)
    {
    }

    // The save dialog's answer. The run refuses it when the source, the HEX
    // file, the log or a side file would be the template.
    QString ChooseTarget(const platform::FileDialogRequest &) override { return m_targetPath; }
    void ShowMessage(const QString &text, const QString &title) override
    {
        m_message(title + QStringLiteral(": ") + text);
    }
    void SaveParameters(const QString &) override {}
    bool DeletesSource() const override { return m_deleteSource; }
    void SaveSettings() override {}

private:
    QString m_targetPath;
    bool m_deleteSource;
    const MessageSink &m_message;
};

} // namespace

ExitCode ExitCodeFor(generator::RunOutcome outcome)
{
    using generator::RunOutcome;
    switch (outcome) {
    case RunOutcome::Assembled:
        return ExitSuccess;
    case RunOutcome::TemplateMissing:
    case RunOutcome::TableRejected:
        return ExitRejected;
    case RunOutcome::AssemblerMissing:
    case RunOutcome::AssemblerFailed:
    case RunOutcome::Interrupted:
        return ExitAssemblerFailed;
    case RunOutcome::TargetIsTemplate:
    case RunOutcome::TargetBusy:
    case RunOutcome::FileFailed:
        return ExitFileFailed;
    case RunOutcome::Cancelled:
        // The target always answers; only an empty one cancels.
        return ExitBadUsage;
    }
    return ExitFileFailed;
}

std::optional<QString> PlotPathRefusal(const QString &plotPath, const RunRequest &request)
{
    // The run's files need not exist yet: IsSameFile compares their folders
    // and names then.
    const auto absolute = [](const QString &path) {
        return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    };
    const auto same = [&](const QString &path) { return platform::IsSameFile(plotPath, path); };
    const QString shownPlot = QDir::toNativeSeparators(plotPath);
    if (same(request.templatePath))
        return QStringLiteral("Das Bild \"%1\" wäre die Vorlage selbst und wird nicht "
                              "geschrieben.")
            .arg(shownPlot);
    const QString base =
        generator::TargetBase(QDir::toNativeSeparators(absolute(request.targetPath)));
    // Every file of the run, whether the run or the assembler writes it: a
    // picture at the lock's name would outlive the run and hold every later
    // run into this target off as if another run were writing it.
    for (const QString &path : generator::TargetFilePaths(base)) {
        if (same(path))
            return QStringLiteral("Das Bild \"%1\" wäre die Ausgabedatei \"%2\" des Laufs und "
                                  "wird nicht geschrieben.")
                .arg(shownPlot, path);
    }
    return std::nullopt;
}

GenerationOutcome RunWholeGeneration(const generator::ParameterTexts &texts,
                                     const RunRequest &request, QChar decimalSeparator,
                                     const MessageSink &message)
{
    generator::RunInputs inputs;
    inputs.fieldTexts = texts;
    inputs.templatePath = request.templatePath;
    const QString targetPath =
        QDir::toNativeSeparators(QFileInfo(request.targetPath).absoluteFilePath());
    inputs.assemblerPath = request.assemblerPath ? platform::ProgramPath(*request.assemblerPath)
                                                 : platform::DefaultAssemblerPath();
    inputs.workFolder = platform::FolderOfPath(targetPath);
    inputs.deleteSource = request.deleteSource;
    inputs.decimalSeparator = decimalSeparator;
    // No fixed pause: nobody watches a window here. The longest wait stays
    // the window's, so a hung assembler still ends the run.
    inputs.assemblerWait.minimum = std::chrono::milliseconds(0);

    CliRunHost host(targetPath, request.deleteSource, message);
    const generator::RunResult result = generator::RunGeneration(inputs, host);

    GenerationOutcome outcome;
    outcome.exitCode = ExitCodeFor(result.outcome);
    using generator::RunOutcome;
    outcome.tableAccepted = result.outcome != RunOutcome::TemplateMissing
        && result.outcome != RunOutcome::TableRejected && result.outcome != RunOutcome::Cancelled
        && result.outcome != RunOutcome::TargetIsTemplate
        && result.outcome != RunOutcome::TargetBusy;
    // Only a log of this run: after a missing assembler an older log of the
    // same name may still lie there.
    const QString logPath =
        generator::TargetFilePath(result.targetBase, generator::TargetFileRole::Log);
    const QString hexPath =
        generator::TargetFilePath(result.targetBase, generator::TargetFileRole::Hex);
    if (result.outcome == RunOutcome::Assembled && result.files.contains(hexPath))
        outcome.hexPath = hexPath;
    if (result.files.contains(logPath)) {
        if (const auto log = platform::ReadWholeFile(logPath))
            outcome.log = *log;
    }
    // The run has looked for the table in the HEX file; a file without it
    // already made the run a failure.
    if (result.hexCheck)
        message(HexCheckTitle() + QStringLiteral(": ") + result.hexCheck->text);
    return outcome;
}

} // namespace cli
