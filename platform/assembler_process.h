#pragma once
// Starting a program (the assembler, avrdude) and waiting for it while the
// event loop runs.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <chrono>
#include <functional>

namespace platform {

/// True where the assembler is called through a batch file that the system's
/// command processor carries out (Windows); elsewhere the run starts the
/// assembler itself with the batch file's arguments.
bool UsesBatchFile();

/// The most that a started program's output may fill: 16 MiB.
inline constexpr qint64 DefaultOutputLimit = 16 * 1024 * 1024;

/// One program start.
struct ProgramStart {
    QString program;
    QStringList arguments;
    /// Windows only: the command line after the program, taken as it stands.
    QString nativeArguments;
    QString workingFolder;
    /// Standard output and standard error together into this file, created
    /// anew (a link at the name is replaced, never written through); empty:
    /// both are discarded.
    QString outputFile;
    /// A file that the program fills with its output itself (the batch
    /// file's redirection); it is watched like `outputFile`: past
    /// `outputLimit` the program is ended and the file cut to the limit.
    QString redirectedOutputFile;
    /// The most bytes `outputFile` takes; past it the program is ended.
    qint64 outputLimit = DefaultOutputLimit;
    /// With no `outputFile`: standard error is kept (its first
    /// ErrorOutputLimit bytes) in ProgramEnd::errorOutput, standard output
    /// is discarded. For the command processor, whose standard output
    /// echoes every batch line and whose standard error holds its own
    /// complaints (a folder it cannot find).
    bool keepsErrorOutput = false;
    /// Appends to `outputFile` instead of creating it anew; what the file
    /// holds already counts against `outputLimit`.
    bool appendOutput = false;
};

/// The most of a program's standard error that ProgramEnd keeps.
inline constexpr qsizetype ErrorOutputLimit = 64 * 1024;

/// The command processor carrying out `batchPath`, without a window; the
/// batch file redirects its output into `outputFile`. The command
/// processor's own error output is kept.
ProgramStart BatchFileStart(const QString &batchPath, const QString &workingFolder,
                            const QString &outputFile = {});

/// How long to wait for the started program: at least `minimum` (the window
/// stays usable meanwhile), then until it ends, but never beyond `maximum`.
struct WaitTimes {
    std::chrono::milliseconds minimum{2000};
    std::chrono::milliseconds maximum{30000};
};

/// How a started program ended.
struct ProgramEnd {
    enum class State {
        Finished,      ///< ended by itself; `exitCode` holds its code
        Crashed,       ///< ended by a signal or crash
        FailedToStart, ///< never ran; `error` says why
        TimedOut,      ///< still running at `maximum`; it was killed
        Interrupted,   ///< the application is ending; the program was killed
        OutputTooLong, ///< its output passed `outputLimit`; it was killed and
                       ///< the output file holds the first `outputLimit` bytes
        OutputFailed,  ///< the output file could not be written; the program
                       ///< was killed (or never started); `error` names the file
        Cancelled,     ///< the Cancellation was triggered; the program was
                       ///< killed (or never started)
        Stopped,       ///< the output watch said to end it; it was killed
    };
    State state = State::FailedToStart;
    int exitCode = -1;
    QString error;
    /// Standard error, as ProgramStart::keepsErrorOutput asked, in any state.
    QByteArray errorOutput;
};

/// Lets a front end end a wait from its own event handlers (a cancel
/// button): Cancel() is called while RunProgram waits in its event loop.
class Cancellation {
public:
    /// Ends the wait that listens, and every later one, with Cancelled.
    void Cancel();
    bool IsCancelled() const { return m_cancelled; }
    /// For RunProgram: `listener` is called on Cancel() until StopListening.
    void Listen(const std::function<void()> &listener) { m_listener = listener; }
    void StopListening() { m_listener = nullptr; }

private:
    bool m_cancelled = false;
    std::function<void()> m_listener;
};

/// What a caller watches during the wait besides its end.
struct ProgramWatch {
    /// Called with each piece of the output as it arrives (after it went
    /// into `outputFile`), in the event loop. Returning false ends the
    /// program with Stopped: its output shows that it will not end well.
    std::function<bool(const QByteArray &)> output;
    /// When given and cancelled, the program is ended and Cancelled comes
    /// back; one already cancelled is never started.
    Cancellation *cancellation = nullptr;
};

/// Starts the program and waits in a local event loop, without polling, as
/// WaitTimes says. When the application quits during the wait (the window
/// is being closed), the program is killed and Interrupted comes back.
///
/// The program starts in a group of its own (a process group on Linux, a
/// job object on Windows). Whenever this returns, every process of that
/// group has been ended, also the children of a program that ended by
/// itself: nothing the program started writes on.
ProgramEnd RunProgram(const ProgramStart &start, const WaitTimes &times,
                      const ProgramWatch &watch = {});

} // namespace platform
