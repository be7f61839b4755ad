#pragma once
// The generation run in the window: Command2_Click hands the run in
// generator/ a host that answers from the window model and the user. Here
// the window's controls become the run's words: Text1(0) .. Text1(5) the
// field texts, Label3 and Label5 the template and the assembler, Check1 the
// delete-source choice.

#include "app/window_model.h"
#include "generator/generation_run.h"
#include "platform/assembler_process.h"
#include "platform/user_interaction.h"

#include <functional>

namespace app {

/// What the window's run may be given instead of the real thing (tests).
struct WindowRunOptions {
    /// At least 2 s, then until the assembler ends, at most 30 s.
    platform::WaitTimes wait;
    /// "pulsakor.cfg" and "pulsakor.ini"; the settings files by default.
    std::function<void(const WindowModel &)> saveParameters;
    std::function<void(const WindowModel &)> saveSettings;
};

/// Check1's value 1 (ticked) and nothing else asks the run to delete the
/// source after the HEX file; 0 and the greyed 2 do not.
bool DeletesSource(int check1Value);

/// One generation run on the window: Command2 is disabled while the run
/// waits for the assembler; when the window closes during the wait the run
/// returns without touching it again. A run that made its HEX file with the
/// table leaves it as the window's last HEX file; what follows a run
/// (ProgramAfterRun) is the caller's.
generator::RunResult RunGenerationInWindow(WindowModel &window, platform::UserInteraction &user,
                                           const WindowRunOptions &options = {});

} // namespace app
