#include "platform/short_names.h"

#include <QDir>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

QString ShortPathName(const QString &path)
{
#ifdef Q_OS_WIN
    const std::wstring wide = QDir::toNativeSeparators(path).toStdWString();
    // The first call tells the size, the second fills it; the path may have
    // changed between them, so the second is checked as well.
    const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring shortName(size, L'\0');
    const DWORD length = GetShortPathNameW(wide.c_str(), shortName.data(), size);
    if (length == 0 || length >= size)
        return {};
    shortName.resize(length);
    return QString::fromStdWString(shortName);
#else
    Q_UNUSED(path);
    return {};
#endif
}

} // namespace platform
