#include "generator/target_name.h"

#include "generator/number_format.h"
#include "platform/paths.h"

namespace generator {

QString TargetExtension(bool deleteSource)
{
    return deleteSource ? QStringLiteral(".hex") : QStringLiteral(".asm");
}

QString TargetFilter(bool deleteSource)
{
    return QStringLiteral("Servo-Zieldatei|servo???") + TargetExtension(deleteSource);
}

QString TargetDialogTitle()
{
    return QStringLiteral("Name der Assembler-Zieldatei...");
}

QString ProposeTargetName(const QString &workFolder, bool deleteSource,
                          const std::function<bool(const QString &)> &exists)
{
    const QString extension = TargetExtension(deleteSource);
    QString name;
    for (int i = 0; i <= 999; ++i) {
        name = QStringLiteral("servo") + FormatThreeDigits(i) + extension;
        if (!exists(workFolder + name))
            break;
    }
    // All taken: the loop leaves the last candidate, servo999, in `name`.
    return name;
}

QString TargetBase(const QString &path)
{
    const qsizetype nameStart = platform::FolderOfPath(path).size();
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot >= nameStart)
        return path.left(dot + 1);
    return path + u'.';
}

} // namespace generator
