#pragma once
// Writes that fail as on a full disk, without root or a special file system:
// the work runs in a child process whose file size limit is lowered and which
// ignores SIGXFSZ, so a write beyond the limit comes back short (EFBIG)
// instead of ending the process. Linux only, like the tests.

#include <QByteArray>
#include <QString>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

/// For QProcess::setChildProcessModifier and forked children: files of this
/// process may grow to `bytes` at most.
inline void LimitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
}

struct LimitedResult {
    bool ranToEnd = false; ///< the child exited normally
    bool succeeded = false; ///< `work` returned true
    QString message;        ///< what `work` put into its message
};

/// Runs `work` in a forked child limited to files of `bytes` bytes.
inline LimitedResult RunWithFileSizeLimit(rlim_t bytes,
                                          const std::function<bool(QString *message)> &work)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        LimitFileSize(bytes);
        QString message;
        const bool ok = work(&message);
        const QByteArray text = message.toUtf8();
        [[maybe_unused]] const ssize_t sent = write(channel[1], text.constData(), size_t(text.size()));
        _exit(ok ? 0 : 1);
    }
    close(channel[1]);
    LimitedResult result;
    QByteArray text;
    char buffer[4096];
    for (ssize_t got; child > 0 && (got = read(channel[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, got);
    close(channel[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return result;
    result.ranToEnd = true;
    result.succeeded = WEXITSTATUS(status) == 0;
    result.message = QString::fromUtf8(text);
    return result;
}

} // namespace testsupport
