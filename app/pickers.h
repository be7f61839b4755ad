#pragma once
// The two path pickers on page 1. Label3_Click and Label5_Click (declared in
// event_procedures.h) are these with the platform's default assembler.

#include "app/window_model.h"
#include "platform/user_interaction.h"

#include <QString>

namespace app {

/// The template picker: sets Label3 and TemplateFolder from an existing file.
void PickTemplate(WindowModel &window, platform::UserInteraction &user);

/// The assembler picker, always preset with `defaultAssemblerPath`: sets
/// Label5 and WorkFolder from an existing file.
void PickAssembler(WindowModel &window, platform::UserInteraction &user,
                   const QString &defaultAssemblerPath);

} // namespace app
