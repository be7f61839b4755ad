// fault-window-run: the window's generation run and its settings saves
// through the app's own code, with a user who answers the save dialog with
// TARGET, for the fault suite (injected_faults_test.cpp), which runs it
// under libfiu. With every write failing it could not print what happened,
// so its exit status says it:
//   0  the run made a HEX file with the table; the settings were saved (or,
//      as the window does, silently not)
//   3  the assembler failed
//   4  a file fault ended the run, and the window showed it under
//      "Fataler Fehler..."
//   5  the run ended in any other way: a fault nobody was shown
//   2  the command line was not understood
//
//   fault-window-run run TEMPLATE ASSEMBLER WORK_FOLDER SETTINGS_FOLDER TARGET
//   fault-window-run settings TEMPLATE ASSEMBLER WORK_FOLDER SETTINGS_FOLDER
// The folders end with "/".

#include "app/generation_run.h"
#include "app/settings_files.h"
#include "tests/support/fake_user_interaction.h"
#include "tests/support/memory_window_model.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

int RunStatus(const generator::RunResult &result, const platform::FakeUserInteraction &user)
{
    using generator::RunOutcome;
    switch (result.outcome) {
    case RunOutcome::Assembled:
        return 0;
    case RunOutcome::AssemblerFailed:
    case RunOutcome::AssemblerMissing:
        return 3;
    case RunOutcome::FileFailed:
    case RunOutcome::TargetIsTemplate:
    case RunOutcome::TargetBusy: {
        const bool shown = std::any_of(user.messages.cbegin(), user.messages.cend(),
                                       [](const platform::FakeUserInteraction::Message &message) {
                                           return message.title == generator::FatalTitle();
                                       });
        return shown ? 4 : 5;
    }
    default:
        return 5;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // The wait for the assembler runs an event loop.
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    const bool run = arguments.value(0) == u"run" && arguments.size() == 6;
    if (!run && !(arguments.value(0) == u"settings" && arguments.size() == 5))
        return 2;

    app::MemoryWindowModel window;
    window.templatePath = arguments.at(1);
    window.assemblerPath = arguments.at(2);
    window.folders().workFolder = arguments.at(3);
    window.folders().templateFolder = arguments.at(3);
    window.folders().settingsFolder = arguments.at(4);
    if (!run) {
        app::SaveParameters(window);
        app::SaveSettings(window);
        return 0;
    }
    platform::FakeUserInteraction user;
    user.saveAnswers = {arguments.at(5)};
    app::WindowRunOptions options;
    options.wait.minimum = std::chrono::milliseconds(0);
    return RunStatus(app::RunGenerationInWindow(window, user, options), user);
}
