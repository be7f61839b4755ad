#pragma once
// The window's event procedures that live outside the window class. Each
// works on the window model only, so it can be tested without widgets.

#include "app/window_model.h"
#include "generator/generation_run.h"
#include "platform/user_interaction.h"

#include <QString>

namespace app {

/// What the system tells the program at start.
struct StartEnvironment {
    QString settingsFolder;       ///< folder of "pulsakor.ini", with separator
    QString currentFolder;        ///< the process's current directory
    QString defaultAssemblerPath; ///< the platform's default assembler
};

/// The start environment of this process, from platform/.
StartEnvironment SystemStartEnvironment();

/// Start-up after the window's own steps (page 1, hint table, info text):
/// the folders, the default assembler, "pulsakor.ini", the template search
/// and "pulsakor.cfg", in this order; then the programming's
/// "pulsakor-avrdude.ini".
void LoadStartValues(WindowModel &window, const StartEnvironment &environment);

/// The template picker (click on Label3).
void Label3_Click(WindowModel &window, platform::UserInteraction &user);

/// The assembler picker (click on Label5).
void Label5_Click(WindowModel &window, platform::UserInteraction &user);

/// The generation run (click on Command2), from the template check to the
/// saved settings. The programming after it is the programming controller's.
generator::RunResult Command2_Click(WindowModel &window, platform::UserInteraction &user);

} // namespace app
