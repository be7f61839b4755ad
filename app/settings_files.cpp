#include "app/settings_files.h"

#include "platform/files.h"
#include "platform/text_encoding.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace app {

namespace {

constexpr int ParameterCount = 6;

QByteArray EncodeLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return platform::TextEncoding::System().Encode(text);
}

/// The lines of a settings file, or nullopt when there is no such file or it
/// cannot be read; either way the caller keeps what the window holds.
std::optional<QStringList> ReadLines(const QString &path)
{
    if (!platform::FileExists(path))
        return std::nullopt;
    const std::optional<QByteArray> bytes = platform::ReadWholeFile(path);
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
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity sensitivity = Qt::CaseSensitive;
#endif
    return found.compare(QFileInfo(path).fileName(), sensitivity) == 0;
}

QByteArray ParametersFileBytes(const WindowModel &window)
{
    QStringList lines;
    for (int index = 0; index < ParameterCount; ++index)
        lines << window.ParameterText(index);
    return EncodeLines(lines);
}

QByteArray SettingsFileBytes(const WindowModel &window)
{
    const Folders &folders = window.folders();
    return EncodeLines({window.TemplatePath(), window.AssemblerPath(), folders.templateFolder,
                        folders.workFolder,
                        u' ' + QString::number(window.DeleteAsmValue()) + u' '});
}

} // namespace

void SaveParameters(const WindowModel &window)
{
    // A folder that cannot take the file is skipped without a word, like every
    // settings-file failure: the run that calls this goes on regardless.
    platform::WriteFileAtomically(window.folders().workFolder + ParametersFileName,
                                  ParametersFileBytes(window));
}

void SaveSettings(const WindowModel &window)
{
    const QString folder = window.folders().settingsFolder;
    // The per-user configuration folder does not exist before the first save.
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    platform::WriteFileAtomically(folder + SettingsFileName,
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
    const std::optional<QStringList> lines =
        ReadLines(folders.settingsFolder + SettingsFileName);
    if (!lines)
        return;
    const qsizetype count = lines->size();
    if (count > 0 && NamesExistingFile(lines->at(0)))
        window.SetTemplatePath(lines->at(0));
    if (count > 1 && NamesExistingFile(lines->at(1)))
        window.SetAssemblerPath(lines->at(1));
    if (count > 2)
        folders.templateFolder = lines->at(2);
    if (count > 3)
        folders.workFolder = lines->at(3);
    if (count > 4) {
        const int value = CheckValueFromLine(lines->at(4));
        if (value >= 0)
            window.SetDeleteAsmValue(value);
    }
}

void LoadParameters(WindowModel &window)
{
    const std::optional<QStringList> lines =
        ReadLines(window.folders().workFolder + ParametersFileName);
    if (!lines)
        return;
    const qsizetype count = qMin<qsizetype>(lines->size(), ParameterCount);
    for (qsizetype index = 0; index < count; ++index)
        window.SetParameterText(int(index), lines->at(index));
}

} // namespace app
