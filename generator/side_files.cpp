#include "generator/side_files.h"

#include "platform/files.h"

#include <QStringList>

namespace generator {

bool RemoveSideFiles(const QString &targetBase, bool deleteAsm, QString *error)
{
    QStringList extensions{QStringLiteral("obj"), QStringLiteral("bat")};
    if (deleteAsm)
        extensions << QStringLiteral("asm");
    bool allGone = true;
    for (const QString &extension : extensions) {
        const QString path = targetBase + extension;
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
