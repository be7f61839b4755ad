#pragma once
// Files as the tool sees them: ordinary files found by name (with wildcards),
// whole files read, written atomically, appended and removed. Every failure
// comes back as a German text naming the file.

#include "platform/paths.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace platform {

/// The bare name of the ordinary file that `path` designates, or of the first
/// match when its file name holds the wildcards "?" or "*"; empty when there
/// is none. Folders and hidden files never count; an empty path finds nothing.
QString FindFirstFile(const QString &path);

/// True when FindFirstFile finds an ordinary file for `path`.
bool FileExists(const QString &path);

/// The whole file, or nullopt with `error` set.
std::optional<QByteArray> ReadWholeFile(const QString &path, QString *error = nullptr);

/// The first `maxBytes` bytes of the file (all of a shorter one), or nullopt
/// with `error` set.
std::optional<QByteArray> ReadFileStart(const QString &path, qint64 maxBytes,
                                        QString *error = nullptr);

/// Replaces `path` by `bytes` as one step: written beside, every write, the
/// flush, the sync and the close checked, then renamed over the name. On any failure (a full
/// disk) the old file stays as it was and the new one is discarded. A link
/// at `path` is replaced by the file, never written through. False with
/// `error` set on failure.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

/// Appends `bytes` to `path`, creating it when missing. A link at `path` is
/// replaced by a new file, never written through. On a short write, or a
/// failed sync or close, the file is cut back to its old length and false
/// comes back with `error` set.
bool AppendToFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

/// Opens `file` on `path` for writing, `mode` adding Truncate or Append. A
/// link at `path`, dangling or not, is removed first and a regular file made
/// in its place, so nothing is written through a link. False with `error`.
bool OpenForWriting(QFile &file, const QString &path, QIODevice::OpenMode mode,
                    QString *error = nullptr);

/// Writes all of `bytes` into `file`, open on `path`. False with `error`
/// naming the file when not all of them arrived.
bool WriteAll(QFile &file, const QString &path, const QByteArray &bytes,
              QString *error = nullptr);

/// Deletes `path` when it is an ordinary file or a link (the link itself,
/// never its target). True when it is gone afterwards.
bool RemoveFile(const QString &path, QString *error = nullptr);

/// True when both paths name the same file, decided by what the file is,
/// not by how it is spelled: where both exist, by their identity once links
/// are followed (the device and the inode; on Windows the volume's serial
/// number and the file index), so other case, short 8.3 names, links, ".."
/// and hard links all count. Where one does not exist, by the identity of
/// its folder and the name in the file system's case rule; where a folder
/// does not exist either, by the absolute paths.
bool IsSameFile(const QString &a, const QString &b);

/// True when `path` names an entry in the folder of `prefix` whose name
/// begins with the file name of `prefix` in the file system's case rule, the
/// folders compared by identity: as written, and once the links and short
/// names of an existing `path` are resolved. `prefix` need not exist
/// ("/daten/servo003." is a prefix of "/daten/servo003.asm.bak" and of a
/// link to it).
bool PathBeginsWith(const QString &path, const QString &prefix);

/// The path of the first entry in the folder of `prefix` (a file, a folder
/// or a link, dangling or not) whose name begins with the file name of
/// `prefix` in the file system's case rule and that is `file` (IsSameFile);
/// empty when there is none. Finds a link or a hard link that would let a
/// program writing under such a name write into `file`.
QString FindEntryThatIs(const QString &prefix, const QString &file);

} // namespace platform
