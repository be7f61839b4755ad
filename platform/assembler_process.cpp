#include "platform/assembler_process.h"

#include "platform/files.h"
#include "platform/process_group.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
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
    ProgramEnd end;
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
    StartInOwnGroup(process);

    // The output comes through a pipe and is written here, so it is counted
    // and every write is checked.
    QFile output;
    if (start.outputFile.isEmpty()) {
        process.setStandardOutputFile(QProcess::nullDevice());
    } else if (!OpenForWriting(output, start.outputFile, QIODevice::Truncate, &end.error)) {
        end.state = ProgramEnd::State::OutputFailed;
        return end;
    }

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
    bool outputTooLong = false;
    bool outputFailed = false;
    bool signalled = false;
    qint64 outputSize = 0;
    QString startError;

    const auto quitWhenDone = [&] {
        if (minimumOver && ended && !quitByUs) {
            quitByUs = true;
            loop.quit();
        }
    };
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        const QByteArray chunk = process.readAllStandardOutput();
        if (outputTooLong || outputFailed || !output.isOpen())
            return;
        const QByteArray kept = chunk.left(qsizetype(start.outputLimit - outputSize));
        outputFailed = !WriteAll(output, start.outputFile, kept, &end.error);
        outputSize += kept.size();
        outputTooLong = !outputFailed && kept.size() < chunk.size();
        if ((outputFailed || outputTooLong) && !quitByUs) {
            quitByUs = true;
            loop.quit();
        }
    });
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

    TerminationWatch termination([&] {
        signalled = true;
        if (!quitByUs) {
            quitByUs = true;
            loop.quit();
        }
    });
    process.start();
    const qint64 group = process.processId();
    ConfirmOwnGroup(group);
    if (!minimumOver)
        minimumTimer.start(times.minimum);
    maximumTimer.start(std::max(times.maximum, times.minimum));
    // The start may have failed at once; then only the minimum wait remains.
    if (!quitByUs)
        loop.exec();

    // Whatever ended the wait, nothing of the program may go on writing
    // into the run's files once this returns: also the children that a
    // program which ended by itself has left behind are ended here.
    const bool interrupted = !quitByUs || signalled;
    if (!failedToStart)
        EndGroup(process, group);
    termination.PassOn();
    if (outputFailed) {
        end.state = ProgramEnd::State::OutputFailed;
        return end;
    }
    if (outputTooLong) {
        end.state = ProgramEnd::State::OutputTooLong;
        return end;
    }
    if (interrupted || timedOut) {
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
