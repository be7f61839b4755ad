#include "platform/paths.h"

#include <QDir>

namespace platform {

namespace {

// The length of the folder part: up to and including the last separator.
qsizetype FolderLength(const QString &path)
{
    for (qsizetype i = path.size(); i > 0; --i) {
        if (IsFolderSeparator(path.at(i - 1)))
            return i;
    }
#ifdef Q_OS_WIN
    // "C:servo01.asm" is servo01.asm in the current folder of drive C.
    if (path.size() >= 2 && path.at(1) == u':' && path.at(0).unicode() < 0x80
        && path.at(0).isLetter())
        return 2;
#endif
    return 0;
}

} // namespace

QChar FolderSeparator()
{
    return QDir::separator();
}

bool IsFolderSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == u'\\' || c == u'/';
#else
    return c == u'/';
#endif
}

bool EndsWithFolderSeparator(const QString &path)
{
    return !path.isEmpty() && IsFolderSeparator(path.back());
}

QString FolderOfPath(const QString &path)
{
    return path.left(FolderLength(path));
}

QString FileNameOfPath(const QString &path)
{
    return path.mid(FolderLength(path));
}

QString NativeSeparators(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

Qt::CaseSensitivity FileNameCase()
{
#ifdef Q_OS_WIN
    return Qt::CaseInsensitive;
#else
    return Qt::CaseSensitive;
#endif
}

} // namespace platform
