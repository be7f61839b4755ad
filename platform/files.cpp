#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
// windows.h makes FindFirstFile a macro for FindFirstFileW, which would
// rename our own function of that name here and nowhere else.
#undef FindFirstFile

#include <string>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

void SetError(QString *error, const QString &what, const QString &path, const QString &reason)
{
    if (error)
        *error = QStringLiteral("%1 \"%2\": %3").arg(what, NativeSeparators(path), reason);
}

QString WriteFailure()
{
    return QStringLiteral("Die Datei kann nicht geschrieben werden:");
}

QString ReadFailure()
{
    return QStringLiteral("Die Datei kann nicht gelesen werden:");
}

// A full disk may show only when the data reaches the disk. False with
// `reason` set when it does.
bool SyncToDisk(QFile &file, QString *reason)
{
#ifdef Q_OS_WIN
    const bool synced = _commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    if (!synced)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    return synced;
}

// Closes `file`; false when the close failed (errorString() says why).
bool CloseChecked(QFile &file)
{
    file.unsetError();
    file.close();
    return file.error() == QFileDevice::NoError;
}

std::optional<QByteArray> ReadFile(const QString &path, qint64 maxBytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, ReadFailure(), path, file.errorString());
        return std::nullopt;
    }
    QByteArray bytes = maxBytes < 0 ? file.readAll() : file.read(maxBytes);
    if (file.error() != QFileDevice::NoError) {
        SetError(error, ReadFailure(), path, file.errorString());
        return std::nullopt;
    }
    return bytes;
}

} // namespace

QString FindFirstFile(const QString &path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (name.isEmpty())
        return {};
    if (name.contains(u'?') || name.contains(u'*')) {
        const QDir dir = info.dir();
        const QStringList matches =
            dir.entryList({name}, QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
        return matches.isEmpty() ? QString() : matches.first();
    }
    if (info.isFile() && !info.isHidden())
        return name;
    return {};
}

bool FileExists(const QString &path)
{
    return !FindFirstFile(path).isEmpty();
}

std::optional<QByteArray> ReadWholeFile(const QString &path, QString *error)
{
    return ReadFile(path, -1, error);
}

std::optional<QByteArray> ReadFileStart(const QString &path, qint64 maxBytes, QString *error)
{
    return ReadFile(path, std::max<qint64>(maxBytes, 0), error);
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    // The new contents go beside the old file, so the final rename stays on
    // one file system. NewOnly never opens an existing name, nor follows a
    // link planted at the temporary one.
    QFile temporary;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const quint32 token = QRandomGenerator::global()->generate();
        temporary.setFileName(path + QStringLiteral(".%1").arg(token, 8, 16, QChar(u'0')));
        if (temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        const QFileInfo taken(temporary.fileName());
        if (!taken.exists() && !taken.isSymLink())
            break;
    }
    if (!temporary.isOpen()) {
        SetError(error, WriteFailure(), path, temporary.errorString());
        return false;
    }
    const QFileInfo target(path);
    if (target.isFile() && !target.isSymLink())
        temporary.setPermissions(target.permissions());
    // Every write, the flush and the sync are checked before the old file
    // is touched: a short write anywhere keeps it as it was.
    QString reason;
    bool written = WriteAll(temporary, path, bytes, error);
    if (written && !SyncToDisk(temporary, &reason)) {
        written = false;
        SetError(error, WriteFailure(), path, reason);
    }
    // The close may report what no write could yet (a network file system,
    // a quota): the new file is not trusted then either.
    if (!CloseChecked(temporary) && written) {
        written = false;
        SetError(error, WriteFailure(), path, temporary.errorString());
    }
    if (!written) {
        temporary.remove();
        return false;
    }
    // A rename replaces the name itself: a link there is replaced, not
    // followed.
    std::error_code failure;
    std::filesystem::rename(QFileInfo(temporary.fileName()).filesystemFilePath(),
                            target.filesystemFilePath(), failure);
    if (failure) {
        temporary.remove();
        SetError(error, WriteFailure(), path, QString::fromLocal8Bit(failure.message()));
        return false;
    }
    return true;
}

bool OpenForWriting(QFile &file, const QString &path, QIODevice::OpenMode mode, QString *error)
{
    file.setFileName(path);
    // Unbuffered: every write reaches the file at once, so a failed one
    // leaves nothing behind in a buffer.
    const QIODevice::OpenMode qtMode =
        QIODevice::WriteOnly | QIODevice::Unbuffered | (mode & QIODevice::Append);
#ifdef Q_OS_WIN
    // Links are rare here and there is no O_NOFOLLOW: the link goes first.
    if (QFileInfo(path).isSymLink())
        QFile::remove(path);
    if (!file.open(qtMode | (mode & QIODevice::Truncate))) {
        SetError(error, WriteFailure(), path, file.errorString());
        return false;
    }
    return true;
#else
    const QByteArray name = QFile::encodeName(path);
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW
        | ((mode & QIODevice::Append) ? O_APPEND : O_TRUNC);
    int handle = ::open(name.constData(), flags, 0666);
    // O_NOFOLLOW refuses a link at the name; the link gives way to a file.
    if (handle < 0 && QFileInfo(path).isSymLink() && ::unlink(name.constData()) == 0)
        handle = ::open(name.constData(), flags, 0666);
    if (handle < 0) {
        SetError(error, WriteFailure(), path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!file.open(handle, qtMode, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        SetError(error, WriteFailure(), path, file.errorString());
        return false;
    }
    return true;
#endif
}

bool WriteAll(QFile &file, const QString &path, const QByteArray &bytes, QString *error)
{
    // A write or flush that comes back short is tried again with the rest:
    // the second attempt reports why (EFBIG, ENOSPC) or finishes the job.
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            SetError(error, WriteFailure(), path, file.errorString());
            return false;
        }
        done += written;
    }
    if (!file.flush() && !file.flush()) {
        SetError(error, WriteFailure(), path, file.errorString());
        return false;
    }
    return true;
}

bool AppendToFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile file;
    if (!OpenForWriting(file, path, QIODevice::Append, error))
        return false;
    const qint64 oldSize = file.size();
    QString reason;
    bool written = WriteAll(file, path, bytes, error);
    if (written && !SyncToDisk(file, &reason)) {
        written = false;
        SetError(error, WriteFailure(), path, reason);
    }
    if (!written) {
        // No half-appended lines: the file goes back to what it was.
        file.resize(oldSize);
        return false;
    }
    if (!CloseChecked(file)) {
        SetError(error, WriteFailure(), path, file.errorString());
        QFile::resize(path, oldSize);
        return false;
    }
    return true;
}

bool RemoveFile(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (!info.isFile() && !info.isSymLink()) {
        SetError(error, QStringLiteral("Die Datei kann nicht gelöscht werden:"), path,
                 QStringLiteral("Unter diesem Namen steht keine gewöhnliche Datei."));
        return false;
    }
    QFile file(path);
    if (!file.remove()) {
        SetError(error, QStringLiteral("Die Datei kann nicht gelöscht werden:"), path,
                 file.errorString());
        return false;
    }
    return true;
}

namespace {

// What a file is, whatever its name: the device and the inode on Linux, the
// volume's serial number and the file index on Windows. Every spelling of a
// file (other case, a short 8.3 name, a link, "..") and every hard link to
// it has the same identity.
struct FileIdentity {
    quint64 volume = 0;
    quint64 index = 0;
    bool operator==(const FileIdentity &) const = default;
};

#ifdef Q_OS_WIN
// A handle that reads nothing and locks nothing out; backup semantics let
// it open a folder as well as a file.
class IdentityHandle {
public:
    explicit IdentityHandle(const QString &path)
        : m_handle(
            CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                        0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr))
    {}
    ~IdentityHandle()
    {
        if (IsOpen())
            CloseHandle(m_handle);
    }
    IdentityHandle(const IdentityHandle &) = delete;
    IdentityHandle &operator=(const IdentityHandle &) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};
#endif

// The identity of the file or folder at `path`, links followed; nullopt
// when nothing is there (or a link leads nowhere).
std::optional<FileIdentity> IdentityOf(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
#ifdef Q_OS_WIN
    const IdentityHandle handle(path);
    BY_HANDLE_FILE_INFORMATION information;
    if (!handle.IsOpen() || !GetFileInformationByHandle(handle.Get(), &information))
        return std::nullopt;
    return FileIdentity{information.dwVolumeSerialNumber,
                        (quint64(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
#else
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity{quint64(status.st_dev), quint64(status.st_ino)};
#endif
}

// The absolute path of what exists at `path` with every link followed and,
// on Windows, every short name spelled out in full (Qt's canonical path
// keeps a short name as it is); empty when nothing is there.
QString ResolvedPath(const QString &path)
{
#ifdef Q_OS_WIN
    const IdentityHandle handle(path);
    if (!handle.IsOpen())
        return {};
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle.Get(), buffer.data(), DWORD(buffer.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length >= buffer.size()) {
        buffer.resize(length);
        length = GetFinalPathNameByHandleW(handle.Get(), buffer.data(), DWORD(buffer.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    if (length == 0 || length >= buffer.size())
        return {};
    QString resolved = QString::fromWCharArray(buffer.data(), qsizetype(length));
    // The answer comes as "\\?\C:\..." or "\\?\UNC\server\...".
    if (resolved.startsWith(QLatin1String("\\\\?\\UNC\\")))
        resolved = QStringLiteral("\\\\") + resolved.mid(8);
    else if (resolved.startsWith(QLatin1String("\\\\?\\")))
        resolved = resolved.mid(4);
    return QDir::fromNativeSeparators(resolved);
#else
    return QFileInfo(path).canonicalFilePath();
#endif
}

// Where a name stands: its folder, known by the folder's identity, and the
// name as written. nullopt when the folder does not exist.
struct NamePlace {
    FileIdentity folder;
    QString name;
};

std::optional<NamePlace> PlaceOf(const QString &path)
{
    const QFileInfo info(path);
    const std::optional<FileIdentity> folder = IdentityOf(info.absolutePath());
    if (!folder)
        return std::nullopt;
    return NamePlace{*folder, info.fileName()};
}

// The path as written and, where it exists, where its links and short
// names lead.
QList<NamePlace> PlacesOf(const QString &path)
{
    QList<NamePlace> places;
    if (const std::optional<NamePlace> written = PlaceOf(path))
        places << *written;
    const QString resolved = ResolvedPath(path);
    if (!resolved.isEmpty()) {
        if (const std::optional<NamePlace> reached = PlaceOf(resolved))
            places << *reached;
    }
    return places;
}

QString AbsoluteSpelling(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

bool IsSameFile(const QString &a, const QString &b)
{
    const std::optional<FileIdentity> identityA = IdentityOf(a);
    const std::optional<FileIdentity> identityB = IdentityOf(b);
    if (identityA && identityB)
        return *identityA == *identityB;
    // A name not made yet becomes the other file only when it stands in the
    // same folder under a name the file system takes as the same.
    const std::optional<NamePlace> placeA = PlaceOf(a);
    const std::optional<NamePlace> placeB = PlaceOf(b);
    if (placeA && placeB) {
        return placeA->folder == placeB->folder
            && placeA->name.compare(placeB->name, FileNameCase()) == 0;
    }
    return AbsoluteSpelling(a).compare(AbsoluteSpelling(b), FileNameCase()) == 0;
}

bool PathBeginsWith(const QString &path, const QString &prefix)
{
    const Qt::CaseSensitivity nameCase = FileNameCase();
    const std::optional<NamePlace> start = PlaceOf(prefix);
    if (!start)
        return AbsoluteSpelling(path).startsWith(AbsoluteSpelling(prefix), nameCase);
    for (const NamePlace &place : PlacesOf(path)) {
        if (place.folder == start->folder && place.name.startsWith(start->name, nameCase))
            return true;
    }
    return false;
}

QString FindEntryThatIs(const QString &prefix, const QString &file)
{
    const QFileInfo prefixInfo(prefix);
    const QString namePrefix = prefixInfo.fileName();
    const QFileInfoList entries = prefixInfo.dir().entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().startsWith(namePrefix, FileNameCase())
            && IsSameFile(entry.filePath(), file))
            return entry.filePath();
    }
    return {};
}

} // namespace platform
