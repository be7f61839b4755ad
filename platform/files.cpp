#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

namespace {

void SetError(QString *error, const QString &what, const QString &path, const QString &reason)
{
    if (error)
        *error = QStringLiteral("%1 \"%2\": %3").arg(what, QDir::toNativeSeparators(path), reason);
}

} // namespace

QChar FolderSeparator()
{
    return QDir::separator();
}

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SetError(error, QStringLiteral("Die Datei kann nicht gelesen werden:"), path,
                 file.errorString());
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        SetError(error, QStringLiteral("Die Datei kann nicht gelesen werden:"), path,
                 file.errorString());
        return std::nullopt;
    }
    return bytes;
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        SetError(error, QStringLiteral("Die Datei kann nicht geschrieben werden:"), path,
                 file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        SetError(error, QStringLiteral("Die Datei kann nicht geschrieben werden:"), path,
                 file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

bool AppendToFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        SetError(error, QStringLiteral("Die Datei kann nicht geschrieben werden:"), path,
                 file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        SetError(error, QStringLiteral("Die Datei kann nicht geschrieben werden:"), path,
                 file.errorString());
        return false;
    }
    return true;
}

bool RemoveFile(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (!info.isFile())
        return false;
    QFile file(path);
    if (!file.remove()) {
        SetError(error, QStringLiteral("Die Datei kann nicht gelöscht werden:"), path,
                 file.errorString());
        return false;
    }
    return true;
}

bool IsSameFile(const QString &a, const QString &b)
{
    const QFileInfo infoA(a);
    const QFileInfo infoB(b);
    if (!infoA.exists() || !infoB.exists())
        return false;
    return infoA.canonicalFilePath() == infoB.canonicalFilePath();
}

} // namespace platform
