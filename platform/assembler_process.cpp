#include "platform/assembler_process.h"

#include "platform/files.h"
#include "platform/process_group.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace platform {

bool UsesBatchFile()
{
#ifdef Q_OS_WIN
    return true;
#else
    return false;
#endif
}

ProgramStart BatchFileStart(const QString &batchPath, const QString &workingFolder,
                            const QString &outputFile)
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
    start.redirectedOutputFile = outputFile;
    start.keepsErrorOutput = true;
    return start;
}

namespace {

// The wait's states. The wait ends in every state but the first three.
enum class WaitState {
    Running,         // the program runs, the minimum wait is not over
    PastMinimum,     // the program runs, the minimum is over
    EndedEarly,      // the program ended (or never started) within the minimum
    Ended,           // the program ended and the minimum is over
    TimedOut,        // the maximum passed while it ran
    OutputTooLong,   // its output passed the limit
    OutputFailed,    // its output could not be written
    Interrupted,     // the application quits, or a termination signal came
    Cancelled,       // the caller's Cancellation was triggered
    Stopped,         // the caller's output watch asked to end it
};

enum class WaitEvent {
    MinimumOver,
    ProgramEnded,
    MaximumOver,
    OutputTooLong,
    OutputFailed,
    Interrupt,
    Cancel,
    Stop
};

bool WaitIsOver(WaitState state)
{
    return state != WaitState::Running && state != WaitState::PastMinimum
        && state != WaitState::EndedEarly;
}

// Every transition of the wait: what ended it first stays.
WaitState Next(WaitState state, WaitEvent event)
{
    if (WaitIsOver(state))
        return state;
    switch (event) {
    case WaitEvent::MinimumOver:
        return state == WaitState::Running ? WaitState::PastMinimum : WaitState::Ended;
    case WaitEvent::ProgramEnded:
        return state == WaitState::Running ? WaitState::EndedEarly : WaitState::Ended;
    case WaitEvent::MaximumOver:
        // The maximum is never below the minimum.
        return state == WaitState::EndedEarly ? WaitState::Ended : WaitState::TimedOut;
    case WaitEvent::OutputTooLong:
        return WaitState::OutputTooLong;
    case WaitEvent::OutputFailed:
        return WaitState::OutputFailed;
    case WaitEvent::Interrupt:
        return WaitState::Interrupted;
    case WaitEvent::Cancel:
        return WaitState::Cancelled;
    case WaitEvent::Stop:
        return WaitState::Stopped;
    }
    return state;
}

// How often a file that the program writes itself is measured.
constexpr std::chrono::milliseconds kRedirectedOutputCheck{100};

// One program start and the wait for it, in a local event loop.
class ProgramWait {
public:
    ProgramWait(const ProgramStart &start, const WaitTimes &times, const ProgramWatch &watch)
        : m_start(start), m_times(times), m_watch(watch), m_group(m_process)
    {
    }

    ProgramEnd Run();

private:
    bool OpenOutput();
    bool KeepsErrorOutput() const
    {
        return m_start.keepsErrorOutput && m_start.outputFile.isEmpty();
    }
    void Connect();
    void Enter(WaitEvent event);
    void TakeOutput();
    void TakeErrorOutput();
    void MeasureRedirectedOutput();
    void CutRedirectedOutput();
    ProgramEnd Result() const;

    const ProgramStart &m_start;
    const WaitTimes &m_times;
    const ProgramWatch &m_watch;
    QProcess m_process;
    ProcessGroup m_group;
    QEventLoop m_loop;
    QTimer m_minimumTimer;
    QTimer m_maximumTimer;
    QTimer m_outputTimer;
    QFile m_output;
    qint64 m_outputSize = 0;
    QByteArray m_errorOutput;
    WaitState m_state = WaitState::Running;
    std::optional<QString> m_startError;
    QString m_outputError;
};

ProgramEnd ProgramWait::Run()
{
    m_process.setProgram(m_start.program);
    m_process.setArguments(m_start.arguments);
#ifdef Q_OS_WIN
    if (!m_start.nativeArguments.isEmpty())
        m_process.setNativeArguments(m_start.nativeArguments);
#endif
    if (!m_start.workingFolder.isEmpty())
        m_process.setWorkingDirectory(m_start.workingFolder);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setProcessChannelMode(KeepsErrorOutput() ? QProcess::SeparateChannels
                                                       : QProcess::MergedChannels);
    // A program that its group could not hold is not run: it could outlive
    // the run.
    if (!m_group.Problem().isEmpty()) {
        ProgramEnd end;
        end.error = m_group.Problem();
        return end;
    }
    if (m_watch.cancellation && m_watch.cancellation->IsCancelled()) {
        ProgramEnd end;
        end.state = ProgramEnd::State::Cancelled;
        return end;
    }
    if (!OpenOutput()) {
        ProgramEnd end;
        end.state = ProgramEnd::State::OutputFailed;
        end.error = m_outputError;
        return end;
    }
    Connect();
    if (m_watch.cancellation)
        m_watch.cancellation->Listen([this] { Enter(WaitEvent::Cancel); });

    TerminationWatch termination([this] { Enter(WaitEvent::Interrupt); });
    m_process.start();
    if (!m_group.Started()) {
        m_group.End();
        if (m_watch.cancellation)
            m_watch.cancellation->StopListening();
        termination.PassOn();
        ProgramEnd end;
        end.error = m_group.Problem();
        return end;
    }
    if (m_times.minimum.count() <= 0)
        Enter(WaitEvent::MinimumOver);
    else
        m_minimumTimer.start(m_times.minimum);
    m_maximumTimer.start(std::max(m_times.maximum, m_times.minimum));
    if (!m_start.redirectedOutputFile.isEmpty())
        m_outputTimer.start(kRedirectedOutputCheck);
    // The start may have failed at once; then only the minimum wait remains.
    if (!WaitIsOver(m_state))
        m_loop.exec();
    // The loop also ends when the application quits.
    if (!WaitIsOver(m_state))
        m_state = WaitState::Interrupted;

    // Whatever ended the wait, nothing of the program may go on writing
    // into the run's files once this returns: also the children that a
    // program which ended by itself has left behind are ended here.
    if (!m_startError)
        m_group.End();
    TakeErrorOutput();
    if (m_watch.cancellation)
        m_watch.cancellation->StopListening();
    CutRedirectedOutput();
    termination.PassOn();
    return Result();
}

// The output comes through a pipe and is written here, so it is counted
// and every write is checked.
bool ProgramWait::OpenOutput()
{
    if (m_start.outputFile.isEmpty()) {
        m_process.setStandardOutputFile(QProcess::nullDevice());
        return true;
    }
    if (!OpenForWriting(m_output, m_start.outputFile,
                        m_start.appendOutput ? QIODevice::Append : QIODevice::Truncate,
                        &m_outputError))
        return false;
    m_outputSize = m_output.size();
    return true;
}

void ProgramWait::Connect()
{
    m_minimumTimer.setSingleShot(true);
    // A coarse timer may fire a little early; the minimum is a promise.
    m_minimumTimer.setTimerType(Qt::PreciseTimer);
    m_maximumTimer.setSingleShot(true);
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_loop,
                     [this] { TakeOutput(); });
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_loop,
                     [this] { TakeErrorOutput(); });
    QObject::connect(&m_process, &QProcess::finished, &m_loop,
                     [this] { Enter(WaitEvent::ProgramEnded); });
    QObject::connect(&m_process, &QProcess::errorOccurred, &m_loop,
                     [this](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         m_startError = m_process.errorString();
                         Enter(WaitEvent::ProgramEnded);
                     });
    QObject::connect(&m_minimumTimer, &QTimer::timeout, &m_loop,
                     [this] { Enter(WaitEvent::MinimumOver); });
    QObject::connect(&m_maximumTimer, &QTimer::timeout, &m_loop,
                     [this] { Enter(WaitEvent::MaximumOver); });
    QObject::connect(&m_outputTimer, &QTimer::timeout, &m_loop,
                     [this] { MeasureRedirectedOutput(); });
}

void ProgramWait::Enter(WaitEvent event)
{
    const bool wasOver = WaitIsOver(m_state);
    m_state = Next(m_state, event);
    if (!wasOver && WaitIsOver(m_state))
        m_loop.quit();
}

void ProgramWait::TakeOutput()
{
    const QByteArray chunk = m_process.readAllStandardOutput();
    if (WaitIsOver(m_state) || !m_output.isOpen())
        return;
    const QByteArray kept = chunk.left(qsizetype(m_start.outputLimit - m_outputSize));
    if (!WriteAll(m_output, m_start.outputFile, kept, &m_outputError)) {
        Enter(WaitEvent::OutputFailed);
        return;
    }
    m_outputSize += kept.size();
    if (m_watch.output && !kept.isEmpty() && !m_watch.output(kept)) {
        Enter(WaitEvent::Stop);
        return;
    }
    if (kept.size() < chunk.size())
        Enter(WaitEvent::OutputTooLong);
}

void ProgramWait::TakeErrorOutput()
{
    // With merged channels there is no standard error of its own, and
    // asking for it makes Qt warn on ours.
    if (!KeepsErrorOutput())
        return;
    const QByteArray chunk = m_process.readAllStandardError();
    m_errorOutput += chunk.left(ErrorOutputLimit - m_errorOutput.size());
}

// A file the program writes itself cannot be cut short while it is being
// written: it is measured as it grows, and cut back to the limit once the
// program has been ended.
void ProgramWait::MeasureRedirectedOutput()
{
    if (QFileInfo(m_start.redirectedOutputFile).size() > m_start.outputLimit)
        Enter(WaitEvent::OutputTooLong);
}

void ProgramWait::CutRedirectedOutput()
{
    const QString &path = m_start.redirectedOutputFile;
    if (path.isEmpty() || m_state == WaitState::OutputFailed || m_state == WaitState::Interrupted
        || m_state == WaitState::Cancelled || m_state == WaitState::Stopped
        || QFileInfo(path).size() <= m_start.outputLimit)
        return;
    // Also what grew past the limit between two measurements counts.
    m_state = WaitState::OutputTooLong;
    if (!QFile::resize(path, m_start.outputLimit)) {
        m_outputError = QStringLiteral("Die Datei %1 konnte nicht gekürzt werden.")
                            .arg(QDir::toNativeSeparators(path));
        m_state = WaitState::OutputFailed;
    }
}

ProgramEnd ProgramWait::Result() const
{
    ProgramEnd end;
    end.errorOutput = m_errorOutput;
    switch (m_state) {
    case WaitState::OutputFailed:
        end.state = ProgramEnd::State::OutputFailed;
        end.error = m_outputError;
        return end;
    case WaitState::OutputTooLong:
        end.state = ProgramEnd::State::OutputTooLong;
        return end;
    case WaitState::TimedOut:
        end.state = ProgramEnd::State::TimedOut;
        return end;
    case WaitState::Interrupted:
        end.state = ProgramEnd::State::Interrupted;
        return end;
    case WaitState::Cancelled:
        end.state = ProgramEnd::State::Cancelled;
        return end;
    case WaitState::Stopped:
        end.state = ProgramEnd::State::Stopped;
        return end;
    default:
        break;
    }
    if (m_startError) {
        end.state = ProgramEnd::State::FailedToStart;
        end.error = *m_startError;
        return end;
    }
    end.state = m_process.exitStatus() == QProcess::NormalExit ? ProgramEnd::State::Finished
                                                               : ProgramEnd::State::Crashed;
    end.exitCode = m_process.exitCode();
    return end;
}

} // namespace

void Cancellation::Cancel()
{
    m_cancelled = true;
    if (m_listener)
        m_listener();
}

ProgramEnd RunProgram(const ProgramStart &start, const WaitTimes &times,
                      const ProgramWatch &watch)
{
    ProgramWait wait(start, times, watch);
    return wait.Run();
}

} // namespace platform
