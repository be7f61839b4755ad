#pragma once
// Writes that fail as on a full disk, without root or a special file system:
// the work runs in a child process whose file size limit is lowered and which
// ignores SIGXFSZ, so a write beyond the limit comes back short (EFBIG)
// instead of ending the process. Linux only: Windows has no file size limit,
// and a test that needs one begins with FULL_DISK_TEST_ONLY_ON_LINUX().

#include <QByteArray>
#include <QString>
#include <QTest>

#include <functional>

#ifdef Q_OS_WIN
#define FULL_DISK_TEST_ONLY_ON_LINUX() \
    QSKIP("a full disk is made with a file size limit, which Windows lacks")
#else
#define FULL_DISK_TEST_ONLY_ON_LINUX()
#include <csignal>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace testsupport {

#ifndef Q_OS_WIN

/// For QProcess::setChildProcessModifier and forked children: files of this
/// process may grow to `bytes` at most.
inline void LimitFileSize(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_FSIZE, &limit);
}

#endif

struct LimitedResult {
    bool ranToEnd = false; ///< the child exited normally
    bool succeeded = false; ///< `work` returned true
    QString message;        ///< what `work` put into its message
};

/// Runs `work` in a forked child limited to files of `bytes` bytes.
inline LimitedResult RunWithFileSizeLimit(qint64 bytes,
                                          const std::function<bool(QString *message)> &work)
{
#ifdef Q_OS_WIN
    Q_UNUSED(bytes)
    Q_UNUSED(work)
    return {};
#else
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        LimitFileSize(rlim_t(bytes));
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
#endif
}

} // namespace testsupport
