#include "platform/environment.h"

#include <QDir>
#include <QLocale>
#include <QProcessEnvironment>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <cstdio>

#include <fcntl.h>
#include <io.h>
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
    return QStringLiteral("C:\\Programme\\Atmel\\AVR Tools\\AvrAssembler\\avrasm32.exe");
#else
    const QString found = QStandardPaths::findExecutable(QStringLiteral("avra"));
    return found.isEmpty() ? QStringLiteral("/usr/bin/avra") : found;
#endif
}

QString AssemblerProgramName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("avrasm32.exe");
#else
    return QStringLiteral("avra");
#endif
}

QChar DecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.at(0);
}

void UseBinaryStandardOutput()
{
#ifdef Q_OS_WIN
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

} // namespace platform
