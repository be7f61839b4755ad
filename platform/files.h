#pragma once
// Files as the tool sees them: ordinary files found by name (with wildcards),
// whole files read, written atomically, appended and removed. Every failure
// comes back as a German text naming the file.

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

/// The separator that ends a folder text: "/" on Linux, "\" on Windows.
QChar FolderSeparator();

/// The bare name of the ordinary file that `path` designates, or of the first
/// match when its file name holds the wildcards "?" or "*"; empty when there
/// is none. Folders and hidden files never count; an empty path finds nothing.
QString FindFirstFile(const QString &path);

/// True when FindFirstFile finds an ordinary file for `path`.
bool FileExists(const QString &path);

/// The whole file, or nullopt with `error` set.
std::optional<QByteArray> ReadWholeFile(const QString &path, QString *error = nullptr);

/// Replaces `path` by `bytes` as one step (written beside and renamed), so a
/// crash never leaves half a file. False with `error` set on failure.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

/// Appends `bytes` to `path`, creating it when missing.
bool AppendToFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

/// Deletes `path` when it is an ordinary file. True when it is gone afterwards.
bool RemoveFile(const QString &path, QString *error = nullptr);

/// True when both paths name the same existing file after resolving links.
bool IsSameFile(const QString &a, const QString &b);

} // namespace platform
