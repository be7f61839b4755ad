#include "platform/assembler_process.h"

#include "platform/files.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>

#ifndef Q_OS_WIN
#include <csignal>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

// The program and everything it starts form one process group that ends
// together: an assembler wrapper's children must not write on after the run.
void StartInOwnGroup(QProcess &process)
{
#ifdef Q_OS_WIN
    // The command processor is ended alone; a job object would take the
    // programs it started along.
    Q_UNUSED(process)
#else
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
}

#ifndef Q_OS_WIN
// True while a process of `group` has not died. A killed process that
// nobody reaps yet stays as a zombie in its group, but writes nothing any
// more; /proc tells the two apart. Without /proc any member counts.
bool GroupHasLiveMembers(pid_t group)
{
    if (::kill(-group, 0) != 0)
        return false;
    const QDir proc(QStringLiteral("/proc"));
    if (!proc.exists())
        return true;
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isProcess = false;
        entry.toLongLong(&isProcess);
        QFile stat(proc.filePath(entry) + QStringLiteral("/stat"));
        if (!isProcess || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold blanks and ")".
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == group && fields.at(0) != "Z"
            && fields.at(0) != "X")
            return true;
    }
    return false;
}
#endif

#ifdef Q_OS_WIN
// Ctrl-C reaches the command processor's console group anyway.
class TerminationWatch {
public:
    explicit TerminationWatch(const std::function<void()> &) {}
    void PassOn() {}
};
#else
// A termination signal (Ctrl-C, a closed terminal, kill) during the wait
// would end this process and leave the program's group running on its own.
// While the watch lives, such a signal ends the wait instead; PassOn() then
// lets it take its course, once the group is gone. Signals that were
// ignored stay ignored.
class TerminationWatch {
public:
    explicit TerminationWatch(const std::function<void()> &onSignal)
    {
        if (::pipe(s_pipe) != 0)
            return;
        for (const int end : s_pipe) {
            ::fcntl(end, F_SETFD, FD_CLOEXEC);
            ::fcntl(end, F_SETFL, O_NONBLOCK);
        }
        s_caught = 0;
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, onSignal);
        struct sigaction ours = {};
        ours.sa_handler = &Caught;
        sigemptyset(&ours.sa_mask);
        for (size_t i = 0; i < Signals.size(); ++i) {
            ::sigaction(Signals[i], nullptr, &m_previous[i]);
            if (m_previous[i].sa_handler != SIG_IGN)
                ::sigaction(Signals[i], &ours, nullptr);
        }
    }
    TerminationWatch(const TerminationWatch &) = delete;
    TerminationWatch &operator=(const TerminationWatch &) = delete;
    ~TerminationWatch() { Restore(); }

    void PassOn()
    {
        const int caught = s_caught;
        Restore();
        if (caught != 0)
            ::raise(caught);
    }

private:
    static constexpr std::array<int, 3> Signals{SIGINT, SIGTERM, SIGHUP};

    static void Caught(int signal)
    {
        s_caught = signal;
        [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], "!", 1);
    }

    void Restore()
    {
        if (!m_notifier)
            return;
        for (size_t i = 0; i < Signals.size(); ++i) {
            if (m_previous[i].sa_handler != SIG_IGN)
                ::sigaction(Signals[i], &m_previous[i], nullptr);
        }
        m_notifier.reset();
        ::close(s_pipe[0]);
        ::close(s_pipe[1]);
    }

    static inline int s_pipe[2] = {-1, -1};
    static inline volatile sig_atomic_t s_caught = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::array<struct sigaction, Signals.size()> m_previous{};
};
#endif

// Kills the program and every process of its group, and returns once they
// have died.
void EndGroup(QProcess &process, qint64 group)
{
#ifndef Q_OS_WIN
    if (group > 0)
        ::kill(pid_t(-group), SIGKILL);
#endif
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
    }
#ifndef Q_OS_WIN
    // Killed processes die within moments; only one stuck in the kernel
    // (a hung network drive) could hold the wait, so it is bounded.
    for (int round = 0; group > 0 && round < 500 && GroupHasLiveMembers(pid_t(group)); ++round)
        QThread::msleep(10);
#else
    Q_UNUSED(group)
#endif
}

} // namespace

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
#ifndef Q_OS_WIN
    // Set from both sides, so the group exists before either goes on.
    if (group > 0)
        ::setpgid(pid_t(group), pid_t(group));
#endif
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
