#include "platform/environment.h"

#include "platform/files.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace platform {

QString SettingsFolderFromTemp(const QString &tempValue)
{
    QString folder = tempValue;
    if (!folder.endsWith(u'\\'))
        folder += u'\\';
    if (folder == QLatin1String("\\"))
        folder = QStringLiteral("c:\\");
    return folder;
}

QString SettingsFolder()
{
#ifdef Q_OS_WIN
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QString temp;
    for (const QString &key : env.keys()) {
        if (key.compare(QLatin1String("temp"), Qt::CaseInsensitive) == 0) {
            temp = env.value(key);
            break;
        }
    }
    return SettingsFolderFromTemp(temp);
#else
    // A relative XDG_CONFIG_HOME is invalid by the XDG rules and would put the
    // file into whatever folder the program was started in, shared or not.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::toNativeSeparators(base) + QStringLiteral("/pulsakor/");
#endif
}

QString CurrentFolder()
{
    return QDir::toNativeSeparators(QDir::currentPath());
}

QString DefaultAssemblerPath()
{
#ifdef Q_OS_WIN
    // The assembler that comes with pulsakor, beside the program.
    if (QCoreApplication::instance()) {
        const QString shipped = QDir::toNativeSeparators(QCoreApplication::applicationDirPath())
            + QStringLiteral("\\avra.exe");
        if (FileExists(shipped))
            return shipped;
    }
    return QStringLiteral("C:\\Programme\\Atmel\\AVR Tools\\AvrAssembler\\avrasm32.exe");
#else
    const QString found = QStandardPaths::findExecutable(QStringLiteral("avra"));
    return found.isEmpty() ? QStringLiteral("/usr/bin/avra") : found;
#endif
}

QString AssemblerProgramName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("avra.exe");
#else
    return QStringLiteral("avra");
#endif
}

QString DefaultAvrdudePath()
{
#ifdef Q_OS_WIN
    // avrdude comes with pulsakor, beside the program, with its avrdude.conf.
    const QString folder = QCoreApplication::instance()
        ? QDir::toNativeSeparators(QCoreApplication::applicationDirPath())
        : CurrentFolder();
    return folder + QStringLiteral("\\avrdude.exe");
#else
    const QString found = QStandardPaths::findExecutable(QStringLiteral("avrdude"));
    return found.isEmpty() ? QStringLiteral("/usr/bin/avrdude") : found;
#endif
}

QString ProgramPath(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isRelative())
        return path;
    if (!info.exists() && FolderOfPath(path).isEmpty()) {
        const QString found = QStandardPaths::findExecutable(path);
        if (!found.isEmpty())
            return QDir::toNativeSeparators(found);
    }
    return QDir::toNativeSeparators(info.absoluteFilePath());
}

QString TeachInFirmwarePathFor(const QString &programFolder)
{
    for (const QLatin1String place : {QLatin1String("/einlernen.hex"),
                                      QLatin1String("/../share/pulsakor/examples/einlernen.hex")}) {
        const QString path = QDir::cleanPath(QDir::fromNativeSeparators(programFolder) + place);
        // Not FileExists: a "?" or "*" in the program's folder is no wildcard.
        if (QFileInfo(path).isFile())
            return QDir::toNativeSeparators(path);
    }
    return QString();
}

QString TeachInFirmwarePath()
{
    return QCoreApplication::instance()
        ? TeachInFirmwarePathFor(QCoreApplication::applicationDirPath())
        : QString();
}

QChar DecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.at(0);
}

ProgramArguments ReadProgramArguments(int argc, char *argv[], const TextEncoding &encoding)
{
    ProgramArguments arguments;
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    Q_UNUSED(encoding);
    arguments.texts = QCoreApplication::arguments().mid(1);
    arguments.fileNames = arguments.texts;
#else
    for (int i = 1; i < argc; ++i) {
        arguments.texts.append(encoding.Decode(QByteArray(argv[i])));
        arguments.fileNames.append(QFile::decodeName(argv[i]));
    }
#endif
    return arguments;
}

void UseBinaryStandardOutput()
{
#ifdef Q_OS_WIN
    _setmode(_fileno(stdout), _O_BINARY);
    // Messages keep their LF too: a redirected one is read like a file.
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

TextEncoding StandardErrorEncoding()
{
#ifdef Q_OS_WIN
    // Read by a console or by what reads like one (cmd's "type", PowerShell).
    return TextEncoding::CommandProcessor();
#else
    return TextEncoding::System();
#endif
}

bool WriteToStandardError(const QString &text)
{
#ifdef Q_OS_WIN
    // A console takes the text as it is, whatever its code page.
    HANDLE console = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode)) {
        std::fflush(stderr);
        DWORD written = 0;
        return WriteConsoleW(console, text.utf16(), DWORD(text.size()), &written, nullptr)
            && written == DWORD(text.size());
    }
#endif
    const QByteArray bytes = StandardErrorEncoding().Encode(text);
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    return std::fflush(stderr) == 0 && written == size_t(bytes.size());
}

} // namespace platform
