#include "app/chip_programming.h"

#include "generator/target_files.h"
#include "platform/environment.h"
#include "platform/files.h"

namespace app {

namespace {

// The core's progress, as the window shows it.
class ProgressHost : public generator::ProgrammingHost {
public:
    explicit ProgressHost(ProgressView &view) : m_view(view) {}
    void ShowProgress(const generator::ProgrammingProgress &progress) override
    {
        m_view.Show(generator::StageText(progress.stage), progress.percent);
    }

private:
    ProgressView &m_view;
};

void SaveChoices(ProgrammingWindow &window, const generator::ProgrammingChoices &choices,
                 platform::UserInteraction &user)
{
    window.SetProgramming(choices);
    QString error;
    if (!generator::SaveProgrammingSettings(window.SettingsFolder(), choices, &error))
        user.ShowMessage(error, QStringLiteral("Einstellungen nicht gespeichert"));
}

} // namespace

generator::ProgrammingSettings SettingsToUse(const generator::ProgrammingChoices &choices)
{
    generator::ProgrammingSettings settings = choices.settings;
    // A bare name as typed in the dialog is looked up on PATH, as
    // pulsakor-cli's --avrdude is.
    settings.avrdudePath = settings.avrdudePath.isEmpty()
                               ? platform::DefaultAvrdudePath()
                               : platform::ProgramPath(settings.avrdudePath);
    return settings;
}

bool RunAvrdudeStep(ProgrammingWindow &window, ProgressView &progress,
                    const std::function<void(generator::ProgrammingHost &,
                                             platform::Cancellation &)> &step)
{
    platform::Cancellation cancellation;
    ProgressHost host(progress);
    window.SetGenerateEnabled(false);
    progress.Begin(cancellation);
    step(host, cancellation);
    progress.End();
    if (window.IsClosing())
        return false;
    window.SetGenerateEnabled(true);
    return true;
}

generator::ProgrammingResult ProgramChipInWindow(ProgrammingWindow &window, const QString &hexPath,
                                                 platform::UserInteraction &user,
                                                 ProgressView &progress)
{
    generator::ProgrammingRequest request;
    request.settings = SettingsToUse(window.Programming());
    request.hexPath = hexPath;
    request.settingsFolder = window.SettingsFolder();

    generator::ProgrammingResult result;
    const bool stillOpen = RunAvrdudeStep(
        window, progress, [&](generator::ProgrammingHost &host, platform::Cancellation &cancel) {
            result = generator::ProgramChip(request, host, &cancel);
        });
    if (stillOpen)
        user.ShowMessage(result.message, generator::ProgrammingTitle(result.outcome));
    return result;
}

void ProgramAfterRun(ProgrammingWindow &window, const generator::RunResult &run,
                     platform::UserInteraction &user, ProgressView &progress)
{
    if (run.outcome != generator::RunOutcome::Assembled || window.IsClosing()
        || !window.Programming().afterEachRun)
        return;
    // The run is complete, its messages shown and its files written; the
    // programming adds only its own log.
    ProgramChipInWindow(window,
                        generator::TargetFilePath(run.targetBase, generator::TargetFileRole::Hex),
                        user, progress);
}

void Command3_Click(ProgrammingWindow &window, platform::UserInteraction &user,
                    ProgressView &progress)
{
    const QString proposal =
        window.LastHexFile().isEmpty() ? window.WorkFolder() : window.LastHexFile();
    const QString hexPath = user.ChooseFileToOpen({QStringLiteral("HEX-Datei|*.hex"), proposal,
                                                   QStringLiteral("HEX-Datei in den Chip "
                                                                  "schreiben")});
    if (hexPath.isEmpty())
        return;
    ProgramChipInWindow(window, hexPath, user, progress);
}

void Check2_Click(ProgrammingWindow &window, bool ticked, platform::UserInteraction &user)
{
    generator::ProgrammingChoices choices = window.Programming();
    choices.afterEachRun = ticked;
    SaveChoices(window, choices, user);
}

QString ChooseAvrdude(platform::UserInteraction &user, const QString &shown)
{
    const QString chosen = user.ChooseFileToOpen(
        {QStringLiteral("avrdude|avrdude;avrdude.exe"), shown,
         QStringLiteral("Auswahl des Programms avrdude...")});
    return platform::FileExists(chosen) ? chosen : QString();
}

void SaveProgrammerSettings(ProgrammingWindow &window,
                            const generator::ProgrammingSettings &settings,
                            platform::UserInteraction &user)
{
    generator::ProgrammingChoices choices = window.Programming();
    choices.settings = settings;
    SaveChoices(window, choices, user);
}

void LoadProgrammingChoices(ProgrammingWindow &window)
{
    window.SetProgramming(generator::LoadProgrammingSettings(window.SettingsFolder()));
}

} // namespace app
