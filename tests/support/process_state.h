#pragma once
// Whether a process that a test started is still alive.

#include <QByteArray>
#include <QFile>
#include <QString>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace testsupport {

/// Dead: gone, or a zombie that nobody has reaped yet (it runs no more).
inline bool IsDead(qint64 pid)
{
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (!process)
        return true;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
#else
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const QByteArray state = line.mid(line.lastIndexOf(')') + 2, 1);
    return state == "Z" || state == "X";
#endif
}

} // namespace testsupport
