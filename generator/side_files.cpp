#include "generator/side_files.h"

#include "generator/target_files.h"
#include "platform/files.h"

#include <QStringList>

namespace generator {

bool RemoveSideFiles(const QString &targetBase, bool deleteSource, QString *error)
{
    QStringList paths = TargetFilePaths(targetBase, TargetFileRemoval::AfterRun);
    if (deleteSource)
        paths << TargetFilePaths(targetBase, TargetFileRemoval::AfterRunOnRequest);
    bool allGone = true;
    for (const QString &path : paths) {
        if (!platform::FileExists(path))
            continue;
        QString failure;
        if (!platform::RemoveFile(path, &failure)) {
            if (allGone && error)
                *error = failure;
            allGone = false;
        }
    }
    return allGone;
}

} // namespace generator
