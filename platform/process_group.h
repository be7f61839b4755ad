#pragma once
// The started assembler and everything it starts as one group that ends
// together: an assembler wrapper's children must not write on after the
// run. On Linux a process group; on Windows a job object that kills every
// process in it when it is closed, so the command processor, the assembler
// it starts and whatever that starts end with the run, and also when this
// program ends without cleaning up. A program that the group cannot hold
// is not run: it could outlive a time-out or a closed window.

#include <QSocketNotifier>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

#ifndef Q_OS_WIN
#include <csignal>
#endif

class QProcess;

namespace platform {

#ifdef Q_OS_WIN
/// The three calls that make a job object hold a program: by default
/// Windows' CreateJobObjectW, SetInformationJobObject (kill on close) and
/// AssignProcessToJobObject. Each sets the thread's last error when it fails.
struct JobObjectCalls {
    void *(*create)();
    bool (*killOnClose)(void *job);
    bool (*assign)(void *job, void *process);
};

/// Puts other calls in place of Windows' own while it lives, so that a test
/// can make each of them fail. One at a time.
class ReplacedJobObjectCalls {
public:
    explicit ReplacedJobObjectCalls(const JobObjectCalls &calls);
    ReplacedJobObjectCalls(const ReplacedJobObjectCalls &) = delete;
    ReplacedJobObjectCalls &operator=(const ReplacedJobObjectCalls &) = delete;
    ~ReplacedJobObjectCalls();
};
#endif

/// The group of one started program.
class ProcessGroup {
public:
    /// Makes `process` start in a group of its own (on Windows suspended,
    /// until Started() has put it into the job).
    explicit ProcessGroup(QProcess &process);
    ProcessGroup(const ProcessGroup &) = delete;
    ProcessGroup &operator=(const ProcessGroup &) = delete;
    /// Windows: closing the job kills what is left in it.
    ~ProcessGroup();

    /// Empty while the group can hold the program; otherwise a German text
    /// that says why it cannot, and the program must not run (it is never
    /// let go past Started()).
    QString Problem() const { return m_problem; }

    /// Called right after the start, so the group holds the program before
    /// it goes on (on Windows: before it can start anything). False when the
    /// group could not take it (Problem() says why): the program has not
    /// run a single instruction, and End() must end it.
    bool Started();

    /// Kills the program and every process of its group, and returns once
    /// they have died.
    void End();

private:
    /// Sends every process of the group the kill, without waiting.
    void KillMembers();
    /// True while a process of the group has not died.
    bool HasLiveMembers() const;

    QProcess &m_process;
    qint64 m_group = 0;
    QString m_problem;
#ifdef Q_OS_WIN
    void *m_job = nullptr;
    void *m_startedProcess = nullptr; ///< Qt's PROCESS_INFORMATION
#endif
};

/// A termination signal (Ctrl-C, a closed terminal, kill) during the wait
/// would end this process and leave the program's group running on its own.
/// While the watch lives, SIGINT, SIGTERM and SIGHUP call `onSignal` (in the
/// event loop) instead; PassOn() then lets the signal take its course, once
/// the group is gone. Signals that were ignored stay ignored. One watch at a
/// time.
class TerminationWatch {
public:
    explicit TerminationWatch(const std::function<void()> &onSignal);
    TerminationWatch(const TerminationWatch &) = delete;
    TerminationWatch &operator=(const TerminationWatch &) = delete;
    ~TerminationWatch();

    /// Puts the signal handling back and raises a signal caught meanwhile.
    void PassOn();

private:
#ifndef Q_OS_WIN
    void Restore();

    std::unique_ptr<QSocketNotifier> m_notifier;
    std::vector<struct sigaction> m_previous;
#endif
};

} // namespace platform
