#pragma once
// pulsakor-cli started from a test: under the locale the test chooses, and
// waited for to its end.

#include "platform/environment.h"

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace testsupport {

/// How a run of pulsakor-cli ended; exitCode -1 when it did not end by
/// itself in time.
struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

/// The system environment with every locale variable replaced by
/// `assignments` such as "LC_ALL=C.UTF-8".
inline QProcessEnvironment LocaleEnvironment(const QStringList &assignments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LC_ALL", "LC_NUMERIC", "LC_CTYPE", "LANG", "LANGUAGE"})
        env.remove(QString::fromLatin1(name));
    for (const QString &assignment : assignments)
        env.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));
    return env;
}

/// Waits for a started pulsakor-cli and collects what it wrote.
inline CliRun FinishCli(QProcess &process, int timeoutMs = 60000)
{
    CliRun run;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
#ifdef Q_OS_WIN
    // What a console would read.
    run.err = platform::StandardErrorEncoding().Decode(process.readAllStandardError());
#else
    run.err = QString::fromUtf8(process.readAllStandardError());
#endif
    return run;
}

} // namespace testsupport
