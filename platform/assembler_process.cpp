#include "platform/assembler_process.h"

#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <algorithm>

namespace platform {

bool UsesBatchFile()
{
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

ProgramStart BatchFileStart(const QString &batchPath, const QString &workingFolder)
{
    ProgramStart start;
    QString processor = QProcessEnvironment::systemEnvironment().value(QStringLiteral("ComSpec"));
    if (processor.isEmpty())
        processor = QStringLiteral("cmd.exe");
    start.program = processor;
    // "/s /c" with the whole path in a second pair of quotes keeps blanks and
    // characters such as "&" or "(" in the path from being taken as commands.
    start.nativeArguments =
        QStringLiteral("/d /s /c \"\"%1\"\"").arg(QDir::toNativeSeparators(batchPath));
    start.workingFolder = workingFolder;
    return start;
}

ProgramEnd RunProgram(const ProgramStart &start, const WaitTimes &times)
{
    QProcess process;
    process.setProgram(start.program);
    process.setArguments(start.arguments);
#ifdef Q_OS_WIN
    if (!start.nativeArguments.isEmpty())
        process.setNativeArguments(start.nativeArguments);
#endif
    if (!start.workingFolder.isEmpty())
        process.setWorkingDirectory(start.workingFolder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(start.outputFile.isEmpty() ? QProcess::nullDevice()
                                                             : start.outputFile,
                                  QIODevice::Truncate);

    QEventLoop loop;
    QTimer minimumTimer;
    QTimer maximumTimer;
    minimumTimer.setSingleShot(true);
    // A coarse timer may fire a little early; the minimum is a promise.
    minimumTimer.setTimerType(Qt::PreciseTimer);
    maximumTimer.setSingleShot(true);

    bool minimumOver = times.minimum.count() <= 0;
    bool ended = false;
    bool timedOut = false;
    bool quitByUs = false;
    bool failedToStart = false;
    QString startError;

    const auto quitWhenDone = [&] {
        if (minimumOver && ended && !quitByUs) {
            quitByUs = true;
            loop.quit();
        }
    };
    QObject::connect(&process, &QProcess::finished, &loop, [&] {
        ended = true;
        quitWhenDone();
    });
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        failedToStart = true;
        startError = process.errorString();
        ended = true;
        quitWhenDone();
    });
    QObject::connect(&minimumTimer, &QTimer::timeout, &loop, [&] {
        minimumOver = true;
        quitWhenDone();
    });
    QObject::connect(&maximumTimer, &QTimer::timeout, &loop, [&] {
        if (quitByUs)
            return;
        timedOut = true;
        quitByUs = true;
        loop.quit();
    });

    process.start();
    if (!minimumOver)
        minimumTimer.start(times.minimum);
    maximumTimer.start(std::max(times.maximum, times.minimum));
    // The start may have failed at once; then only the minimum wait remains.
    if (!quitByUs)
        loop.exec();

    ProgramEnd end;
    if (!quitByUs || timedOut) {
        // Either the application is quitting (its exit ends every running
        // event loop) or the program overran: it must not go on writing
        // into the run's files.
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
        end.state = timedOut ? ProgramEnd::State::TimedOut : ProgramEnd::State::Interrupted;
        return end;
    }
    if (failedToStart) {
        end.state = ProgramEnd::State::FailedToStart;
        end.error = startError;
        return end;
    }
    end.state = process.exitStatus() == QProcess::NormalExit ? ProgramEnd::State::Finished
                                                             : ProgramEnd::State::Crashed;
    end.exitCode = process.exitCode();
    return end;
}

} // namespace platform
