#pragma once
// Programming the chip from the window, through the core's ProgramChip, on
// the window's programming view only. Command3 ("Chip programmieren...")
// writes a HEX file into the ATtiny15, Check2 makes each generation run do
// so after its HEX check, and Command4 ("Programmer...") edits avrdude's
// settings; the choices live in "pulsakor-avrdude.ini" in SettingsFolder.
// avrdude runs while the event loop runs; a ProgressView shows how far it
// has come and carries the cancel button. ProgrammingController
// (programming_controller.h) ties these to the window's controls.

#include "app/programming_window.h"
#include "generator/chip_programming.h"
#include "generator/generation_run.h"
#include "platform/assembler_process.h"
#include "platform/user_interaction.h"

#include <QString>

#include <functional>

namespace app {

/// What the window shows while avrdude runs.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    /// Shown before avrdude starts; its cancel calls `cancellation.Cancel()`
    /// until End.
    virtual void Begin(platform::Cancellation &cancellation) = 0;
    /// The stage in German and its progress 0..100.
    virtual void Show(const QString &stage, int percent) = 0;
    /// Hidden once avrdude has ended.
    virtual void End() = 0;
};

/// The settings the programming uses: the window's, with the platform's
/// avrdude where none is given and a bare name looked up on PATH.
generator::ProgrammingSettings SettingsToUse(const generator::ProgrammingChoices &choices);

/// Runs `step`, one avrdude step of the core, with its progress in
/// `progress` and Command2 and Command3 disabled meanwhile. False when the
/// window began closing meanwhile: the step's outcome must then not be shown.
bool RunAvrdudeStep(ProgrammingWindow &window, ProgressView &progress,
                    const std::function<void(generator::ProgrammingHost &,
                                             platform::Cancellation &)> &step);

/// Programs `hexPath` with the window's settings, showing the progress in
/// `progress`, then shows the outcome's message with its title, unless the
/// window began closing meanwhile. Command2 and Command3 are disabled while
/// avrdude runs. The HEX file, the source and the run's log stay as they are.
generator::ProgrammingResult ProgramChipInWindow(ProgrammingWindow &window, const QString &hexPath,
                                                 platform::UserInteraction &user,
                                                 ProgressView &progress);

/// With Check2 ticked, programs the HEX file of a complete run that made
/// it; otherwise, and when the window began closing, does nothing.
void ProgramAfterRun(ProgrammingWindow &window, const generator::RunResult &run,
                     platform::UserInteraction &user, ProgressView &progress);

/// Command3_Click: the open dialog proposes the last HEX file this window
/// made, else it opens in WorkFolder; a cancelled dialog ends silently.
void Command3_Click(ProgrammingWindow &window, platform::UserInteraction &user,
                    ProgressView &progress);

/// Check2_Click: the box's new value goes into the choices and into
/// "pulsakor-avrdude.ini"; a file that cannot be written is told.
void Check2_Click(ProgrammingWindow &window, bool ticked, platform::UserInteraction &user);

/// The avrdude picker in Command4's dialog: the open dialog starts at
/// `shown`; the chosen file when it exists, else an empty text.
QString ChooseAvrdude(platform::UserInteraction &user, const QString &shown);

/// Command4's dialog confirmed with `settings`: they go into the choices and
/// into "pulsakor-avrdude.ini"; a file that cannot be written is told.
void SaveProgrammerSettings(ProgrammingWindow &window,
                            const generator::ProgrammingSettings &settings,
                            platform::UserInteraction &user);

/// The choices in SettingsFolder's "pulsakor-avrdude.ini" into the window
/// (the defaults when there is none): the last step of start-up.
void LoadProgrammingChoices(ProgrammingWindow &window);

} // namespace app
