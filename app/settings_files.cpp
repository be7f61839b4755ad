#include "app/settings_files.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace app {

namespace {

constexpr int kParameterCount = 6;

QByteArray EncodeLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return platform::TextEncoding::System().Encode(text);
}

// Paths in the system encoding, as every other line; a path that encoding
// cannot hold (a "€" under a Latin-1 locale) is written as the file system
// spells its names instead of with a "?" that names another file.
QByteArray EncodePathLines(const QStringList &lines)
{
    const platform::TextEncoding encoding = platform::TextEncoding::System();
    QByteArray bytes;
    for (const QString &line : lines) {
        QByteArray encoded = encoding.Encode(line);
        if (encoding.Decode(encoded) != line)
            encoded = QFile::encodeName(line);
        bytes += encoded + "\r\n";
    }
    return bytes;
}

/// The raw bytes of a settings file, or nullopt when there is no such file or
/// it cannot be read; either way the caller keeps what the window holds.
std::optional<QByteArray> ReadBytes(const QString &path)
{
    if (!platform::FileExists(path))
        return std::nullopt;
    return platform::ReadWholeFile(path);
}

std::optional<QStringList> ReadLines(const QString &path)
{
    const std::optional<QByteArray> bytes = ReadBytes(path);
    if (!bytes)
        return std::nullopt;
    return platform::SplitTextLines(platform::TextEncoding::System().Decode(*bytes));
}

/// A path restored from the file counts only when it names that very file:
/// a line such as "/x/servo??.asm" would otherwise pass as a search pattern
/// and put a wildcard name into the label.
bool NamesExistingFile(const QString &path)
{
    const QString found = platform::FindFirstFile(path);
    if (found.isEmpty())
        return false;
    return found.compare(QFileInfo(path).fileName(), platform::FileNameCase()) == 0;
}

QByteArray ParametersFileBytes(const WindowModel &window)
{
    QStringList lines;
    for (int index = 0; index < kParameterCount; ++index)
        lines << window.ParameterText(index);
    return EncodeLines(lines);
}

QByteArray SettingsFileBytes(const WindowModel &window)
{
    const Folders &folders = window.folders();
    return EncodePathLines({window.TemplatePath(), window.AssemblerPath(),
                            folders.templateFolder, folders.workFolder,
                            u' ' + QString::number(window.DeleteAsmValue()) + u' '});
}

} // namespace

void SaveParameters(const WindowModel &window)
{
    // A folder that cannot take the file is skipped without a word, like every
    // settings-file failure: the run that calls this goes on regardless.
    platform::WriteFileAtomically(window.folders().workFolder + kParametersFileName,
                                  ParametersFileBytes(window));
}

void SaveSettings(const WindowModel &window)
{
    const QString folder = window.folders().settingsFolder;
    // The per-user configuration folder does not exist before the first save.
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    platform::WriteFileAtomically(folder + kSettingsFileName,
                                  SettingsFileBytes(window));
}

int CheckValueFromLine(const QString &line)
{
    qsizetype first = 0;
    qsizetype last = line.size();
    auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (first < last && isBlank(line.at(first)))
        ++first;
    while (last > first && isBlank(line.at(last - 1)))
        --last;
    bool ok = false;
    const int value = QStringView(line).mid(first, last - first).toInt(&ok, 10);
    return ok && value >= 0 && value <= 2 ? value : -1;
}

void LoadSettings(WindowModel &window)
{
    Folders &folders = window.folders();
    const std::optional<QByteArray> bytes = ReadBytes(folders.settingsFolder + kSettingsFileName);
    if (!bytes)
        return;
    const QStringList texts =
        platform::SplitTextLines(platform::TextEncoding::System().Decode(*bytes));
    // A path the system encoding could not hold was saved as a file name.
    const QStringList names = platform::SplitTextLines(QFile::decodeName(*bytes));
    const auto path = [&](qsizetype index, auto &&exists) {
        const QString &text = texts.at(index);
        if (!exists(text) && index < names.size() && exists(names.at(index)))
            return names.at(index);
        return text;
    };
    const auto isFolder = [](const QString &folder) { return QFileInfo(folder).isDir(); };
    QStringList resolved = texts;
    for (qsizetype index = 0; index < qMin<qsizetype>(texts.size(), 4); ++index)
        resolved[index] = index < 2 ? path(index, NamesExistingFile) : path(index, isFolder);
    const qsizetype count = resolved.size();
    if (count > 0 && NamesExistingFile(resolved.at(0)))
        window.SetTemplatePath(resolved.at(0));
    if (count > 1 && NamesExistingFile(resolved.at(1)))
        window.SetAssemblerPath(resolved.at(1));
    if (count > 2)
        folders.templateFolder = resolved.at(2);
    if (count > 3)
        folders.workFolder = resolved.at(3);
    if (count > 4) {
        const int value = CheckValueFromLine(resolved.at(4));
        if (value >= 0)
            window.SetDeleteAsmValue(value);
    }
}

void LoadParameters(WindowModel &window)
{
    const std::optional<QStringList> lines =
        ReadLines(window.folders().workFolder + kParametersFileName);
    if (!lines)
        return;
    const qsizetype count = qMin<qsizetype>(lines->size(), kParameterCount);
    for (qsizetype index = 0; index < count; ++index)
        window.SetParameterText(int(index), lines->at(index));
}

} // namespace app
