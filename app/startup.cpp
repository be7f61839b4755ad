#include "app/event_procedures.h"

#include "app/chip_programming.h"
#include "app/settings_files.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace app {

namespace {

void EnsureTrailingSeparator(QString &folder)
{
    const QChar separator = platform::FolderSeparator();
    if (!folder.endsWith(separator))
        folder += separator;
}

} // namespace

StartEnvironment SystemStartEnvironment()
{
    return {platform::SettingsFolder(), platform::CurrentFolder(), platform::DefaultAssemblerPath()};
}

void LoadStartValues(WindowModel &window, const StartEnvironment &environment)
{
    Folders &folders = window.folders();
    folders.settingsFolder = environment.settingsFolder;
    folders.templateFolder = environment.currentFolder;
    folders.workFolder = environment.currentFolder;

    if (platform::FileExists(environment.defaultAssemblerPath))
        window.SetAssemblerPath(environment.defaultAssemblerPath);

    LoadSettings(window);

    // Only now: an empty folder line from the ini file becomes the bare
    // separator, as it always has.
    EnsureTrailingSeparator(folders.templateFolder);
    EnsureTrailingSeparator(folders.workFolder);

    // A template folder holding any matching file decides the template shown,
    // even over the path restored from the ini file.
    const QString firstTemplate =
        platform::FindFirstFile(folders.templateFolder + QStringLiteral("servo??.asm"));
    if (!firstTemplate.isEmpty())
        window.SetTemplatePath(folders.templateFolder + firstTemplate);

    LoadParameters(window);
    LoadProgrammingChoices(window);
}

} // namespace app
