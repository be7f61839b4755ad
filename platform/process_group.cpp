#include "platform/process_group.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QThread>

#include <array>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace platform {

#ifndef Q_OS_WIN
namespace {

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

} // namespace
#endif

#ifdef Q_OS_WIN
// Ctrl-C reaches the command processor's console group anyway.
TerminationWatch::TerminationWatch(const std::function<void()> &) {}
TerminationWatch::~TerminationWatch() = default;
void TerminationWatch::PassOn() {}
#else
namespace {

constexpr std::array<int, 3> TerminationSignals{SIGINT, SIGTERM, SIGHUP};
int s_pipe[2] = {-1, -1};
volatile sig_atomic_t s_caught = 0;

void Caught(int signal)
{
    s_caught = signal;
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[1], "!", 1);
}

} // namespace

TerminationWatch::TerminationWatch(const std::function<void()> &onSignal)
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
    m_previous.resize(TerminationSignals.size());
    for (size_t i = 0; i < TerminationSignals.size(); ++i) {
        ::sigaction(TerminationSignals[i], nullptr, &m_previous[i]);
        if (m_previous[i].sa_handler != SIG_IGN)
            ::sigaction(TerminationSignals[i], &ours, nullptr);
    }
}

TerminationWatch::~TerminationWatch()
{
    Restore();
}

void TerminationWatch::PassOn()
{
    const int caught = s_caught;
    Restore();
    if (caught != 0)
        ::raise(caught);
}

void TerminationWatch::Restore()
{
    if (!m_notifier)
        return;
    for (size_t i = 0; i < TerminationSignals.size(); ++i) {
        if (m_previous[i].sa_handler != SIG_IGN)
            ::sigaction(TerminationSignals[i], &m_previous[i], nullptr);
    }
    m_notifier.reset();
    for (int &end : s_pipe) {
        ::close(end);
        end = -1;
    }
}
#endif

#ifdef Q_OS_WIN
namespace {

void *CreateJob()
{
    return CreateJobObjectW(nullptr, nullptr);
}

bool KillOnClose(void *job)
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    return SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                   sizeof limits);
}

bool Assign(void *job, void *process)
{
    return AssignProcessToJobObject(job, process);
}

constexpr JobObjectCalls WindowsJobObjectCalls{&CreateJob, &KillOnClose, &Assign};
JobObjectCalls s_jobCalls = WindowsJobObjectCalls;

// Why the program does not run: `what` Windows did not do, with its own
// words for the error.
QString JobProblem(const QString &what, DWORD error)
{
    return QStringLiteral("Windows hat %1 (%2). Ohne das liefe es nach einem Abbruch oder "
                          "einer Zeitüberschreitung weiter; daher wurde es nicht gestartet.")
        .arg(what, qt_error_string(int(error)));
}

// True while a process of the job has not ended.
bool JobHasLiveMembers(HANDLE job)
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                   sizeof accounting, nullptr))
        return false;
    return accounting.ActiveProcesses > 0;
}

} // namespace

ReplacedJobObjectCalls::ReplacedJobObjectCalls(const JobObjectCalls &calls)
{
    s_jobCalls = calls;
}

ReplacedJobObjectCalls::~ReplacedJobObjectCalls()
{
    s_jobCalls = WindowsJobObjectCalls;
}

// A job that cannot kill on close would leave the program running when this
// one dies; one that cannot take the program could not end it at all.
ProcessGroup::ProcessGroup(QProcess &process) : m_process(process)
{
    m_job = s_jobCalls.create();
    if (!m_job) {
        m_problem = JobProblem(
            QStringLiteral("kein Auftragsobjekt angelegt, das das Programm und alles, was es "
                           "startet, beenden kann"),
            GetLastError());
    } else if (!s_jobCalls.killOnClose(m_job)) {
        m_problem = JobProblem(
            QStringLiteral("das Auftragsobjekt nicht so eingerichtet, dass es das Programm und "
                           "alles, was es startet, mit pulsakor beendet"),
            GetLastError());
        CloseHandle(m_job);
        m_job = nullptr;
    }
    // Suspended until it is in the job: the command processor must not
    // start the assembler outside of it.
    process.setCreateProcessArgumentsModifier([this](QProcess::CreateProcessArguments *arguments) {
        arguments->flags |= CREATE_SUSPENDED;
        m_startedProcess = arguments->processInformation;
    });
}

ProcessGroup::~ProcessGroup()
{
    if (m_job)
        CloseHandle(m_job);
}

bool ProcessGroup::Started()
{
    auto *started = static_cast<PROCESS_INFORMATION *>(m_startedProcess);
    if (!started || !started->hProcess || m_process.state() == QProcess::NotRunning)
        return true;
    // A program started in spite of a problem stays suspended for End().
    if (!m_problem.isEmpty())
        return false;
    if (!s_jobCalls.assign(m_job, started->hProcess)) {
        m_problem = JobProblem(
            QStringLiteral("das Programm nicht in das Auftragsobjekt aufgenommen, das es und "
                           "alles, was es startet, beenden kann"),
            GetLastError());
        return false;
    }
    m_group = m_process.processId();
    ResumeThread(started->hThread);
    return true;
}

void ProcessGroup::KillMembers()
{
    if (m_job && m_group > 0)
        TerminateJobObject(m_job, 1);
}

bool ProcessGroup::HasLiveMembers() const
{
    return m_job && m_group > 0 && JobHasLiveMembers(m_job);
}
#else
ProcessGroup::ProcessGroup(QProcess &process) : m_process(process)
{
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

ProcessGroup::~ProcessGroup() = default;

bool ProcessGroup::Started()
{
    // Set from both sides, so the group exists before either goes on.
    m_group = m_process.processId();
    if (m_group > 0)
        ::setpgid(pid_t(m_group), pid_t(m_group));
    return true;
}

void ProcessGroup::KillMembers()
{
    if (m_group > 0)
        ::kill(pid_t(-m_group), SIGKILL);
}

bool ProcessGroup::HasLiveMembers() const
{
    return m_group > 0 && GroupHasLiveMembers(pid_t(m_group));
}
#endif

void ProcessGroup::End()
{
    KillMembers();
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    // Killed processes die within moments; only one stuck in the kernel
    // (a hung network drive) could hold the wait, so it is bounded.
    for (int round = 0; round < 500 && HasLiveMembers(); ++round)
        QThread::msleep(10);
}

} // namespace platform
