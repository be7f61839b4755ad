#include "app/pickers.h"

#include "app/event_procedures.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace app {

namespace {

const QString kPickerTitle = QStringLiteral("Auswahl der Assembler-Quelldatei...");

/// Shows the open dialog and returns the chosen name when it names an
/// existing file, otherwise an empty text. A cancelled dialog or a typed
/// name that does not exist leaves the label and its folder as they were:
/// emptying the label would only throw away the user's earlier choice.
QString ChooseExistingFile(platform::UserInteraction &user, const platform::FileDialogRequest &request)
{
    const QString chosen = user.ChooseFileToOpen(request);
    if (chosen.isEmpty() || !platform::FileExists(chosen))
        return {};
    return chosen;
}

QString AssemblerFilter()
{
    QString filter = QStringLiteral("Assembler-Tool|avrasm32.exe");
    const QString ownName = platform::AssemblerProgramName();
    if (ownName != QLatin1String("avrasm32.exe"))
        filter += u';' + ownName;
    return filter;
}

} // namespace

void PickTemplate(WindowModel &window, platform::UserInteraction &user)
{
    const QString chosen = ChooseExistingFile(
        user, {QStringLiteral("Servo-Vorlagen|servo??.asm"),
               window.folders().templateFolder + QStringLiteral("servo00.asm"), kPickerTitle});
    if (chosen.isEmpty())
        return;
    window.SetTemplatePath(chosen);
    window.folders().templateFolder = platform::FolderOfPath(chosen);
}

void PickAssembler(WindowModel &window, platform::UserInteraction &user,
                   const QString &defaultAssemblerPath)
{
    const QString chosen =
        ChooseExistingFile(user, {AssemblerFilter(), defaultAssemblerPath, kPickerTitle});
    if (chosen.isEmpty())
        return;
    window.SetAssemblerPath(chosen);
    // The next run proposes its target beside the assembler.
    window.folders().workFolder = platform::FolderOfPath(chosen);
}

void Label3_Click(WindowModel &window, platform::UserInteraction &user)
{
    PickTemplate(window, user);
}

void Label5_Click(WindowModel &window, platform::UserInteraction &user)
{
    PickAssembler(window, user, platform::DefaultAssemblerPath());
}

} // namespace app
