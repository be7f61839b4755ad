#pragma once
// Windows keeps a second, short name (8.3, such as "KOSTEN~1") for most
// files and folders, made of characters that every code page has: the way to
// name a path to a program that reads only its console's code page.

#include <QString>

namespace platform {

/// The short spelling of the existing file or folder `path`, each part of it
/// by its 8.3 name where it has one (GetShortPathNameW); a part without one
/// (short names turned off on the drive) keeps its long name. Empty when the
/// path does not exist, and always on Linux, which has no short names.
QString ShortPathName(const QString &path);

} // namespace platform
