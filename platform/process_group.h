#pragma once
// The started assembler and everything it starts as one process group that
// ends together: an assembler wrapper's children must not write on after
// the run. Linux only; on Windows the command processor is ended alone (a
// job object would take the programs it started along).

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

/// Makes `process` start in a process group of its own.
void StartInOwnGroup(QProcess &process);

/// Called with the program's id right after the start, so the group exists
/// before either side goes on.
void ConfirmOwnGroup(qint64 pid);

/// Kills the program and every process of its group `group` (the program's
/// id), and returns once they have died.
void EndGroup(QProcess &process, qint64 group);

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
