#include "generator/target_files.h"

#include "platform/files.h"

#include <array>

namespace generator {

namespace {

using enum TargetFileRole;
using enum TargetFileRemoval;

// The log before the HEX file: when neither can go, the log is the one named.
// The object file before the batch file, then the source: the clean-up's order.
constexpr std::array<TargetFile, 10> kTargetFiles = {{
    {Source, "asm", AfterRunOnRequest},
    {Log, "log", BeforeAssembler},
    {Hex, "hex", BeforeAssembler},
    // Made anew by each programming of the HEX file; a new HEX file has not
    // been programmed yet.
    {ProgrammingLog, "avrdude.log", BeforeAssembler},
    {ObjectFile, "obj", AfterRun},
    {Batch, "bat", AfterRun},
    {MapFile, "map", WithAssemblerCall},
    {ListFile, "lst", WithAssemblerCall},
    {Lock, "lock", Never},
    // avra writes it beside the HEX file; it is the user's as much as the HEX.
    {EepromImage, "eep.hex", Never},
}};

} // namespace

std::span<const TargetFile> TargetFiles()
{
    return kTargetFiles;
}

QString TargetFilePath(const QString &targetBase, TargetFileRole role)
{
    for (const TargetFile &file : kTargetFiles) {
        if (file.role == role)
            return targetBase + QLatin1String(file.extension);
    }
    Q_UNREACHABLE();
}

QStringList TargetFilePaths(const QString &targetBase)
{
    QStringList paths;
    for (const TargetFile &file : kTargetFiles)
        paths << targetBase + QLatin1String(file.extension);
    return paths;
}

QStringList TargetFilePaths(const QString &targetBase, TargetFileRemoval removal)
{
    QStringList paths;
    for (const TargetFile &file : kTargetFiles) {
        if (file.removal == removal)
            paths << targetBase + QLatin1String(file.extension);
    }
    return paths;
}

QString TargetNameThatIs(const QString &targetBase, const QString &file)
{
    // The run's own names first, as the file system resolves them: on
    // Windows a short 8.3 name under the target's base may be the file
    // while no long name in the folder begins with the base.
    for (const QString &path : TargetFilePaths(targetBase)) {
        if (platform::IsSameFile(path, file))
            return path;
    }
    // A link under any other such name is found through the folder, a name
    // itself (spelled another way, or not yet there) through its path.
    const QString link = platform::FindEntryThatIs(targetBase, file);
    if (!link.isEmpty())
        return link;
    return platform::PathBeginsWith(file, targetBase) ? file : QString();
}

} // namespace generator
