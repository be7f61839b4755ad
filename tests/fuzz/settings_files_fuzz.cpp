// The settings-file readers on any file: no crash, no undefined behaviour,
// and what they take in survives a save and a second load unchanged. The
// input is split at the first NUL: "pulsakor.ini" before it, "pulsakor.cfg"
// after it. Everything is written into one temporary folder; the work
// folder a file names is never written to.

#include "app/settings_files.h"

#include "platform/files.h"
#include "tests/support/memory_window_model.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString first = dir.filePath("first/");
    const QString second = dir.filePath("second/");
    QDir().mkpath(first);
    QDir().mkpath(second);

    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    Check(platform::WriteFileAtomically(first + app::kSettingsFileName, input.left(split)));
    Check(platform::WriteFileAtomically(first + app::kParametersFileName,
                                        split < 0 ? QByteArray() : input.mid(split + 1)));

    app::MemoryWindowModel loaded;
    loaded.folders().settingsFolder = first;
    app::LoadSettings(loaded);
    const QString namedWorkFolder = loaded.folders().workFolder;
    loaded.folders().workFolder = first;
    app::LoadParameters(loaded);

    loaded.folders().settingsFolder = second;
    loaded.folders().workFolder = namedWorkFolder;
    app::SaveSettings(loaded);
    loaded.folders().workFolder = second;
    app::SaveParameters(loaded);

    app::MemoryWindowModel again;
    again.folders().settingsFolder = second;
    app::LoadSettings(again);
    Check(again.templatePath == loaded.templatePath);
    Check(again.assemblerPath == loaded.assemblerPath);
    Check(again.folders().templateFolder == loaded.folders().templateFolder);
    Check(again.folders().workFolder == namedWorkFolder);
    Check(again.deleteAsmValue == loaded.deleteAsmValue);
    again.folders().workFolder = second;
    app::LoadParameters(again);
    Check(again.parameterTexts == loaded.parameterTexts);
    return 0;
}
