#pragma once
// Paths as texts: where the folder part ends, the file name after it, the
// separators shown to the user and the case rule of file names. On Windows
// "\" and "/" both separate folders and "C:" alone names a drive's current
// folder; on Linux only "/" separates and a backslash is part of a name.

#include <QChar>
#include <QString>

namespace platform {

/// The separator that ends a folder text: "/" on Linux, "\" on Windows.
QChar FolderSeparator();

/// True for "/" and, on Windows, "\".
bool IsFolderSeparator(QChar c);

/// True when the last character of `path` is a folder separator; false for
/// an empty path.
bool EndsWithFolderSeparator(const QString &path);

/// The folder part of `path` up to and including its last folder separator;
/// on Windows a leading drive "C:" with no separator after it. Empty when
/// `path` has none. "/daten/servo01.asm" gives "/daten/".
QString FolderOfPath(const QString &path);

/// What follows FolderOfPath: the file name, empty when `path` ends with a
/// folder separator.
QString FileNameOfPath(const QString &path);

/// `path` with "/" turned into "\" on Windows; unchanged on Linux.
QString NativeSeparators(const QString &path);

/// The file system's rule for names: Windows ignores case, Linux does not.
Qt::CaseSensitivity FileNameCase();

} // namespace platform
