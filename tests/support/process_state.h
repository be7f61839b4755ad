#pragma once
// Whether a process that a test started is still alive. Linux only.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace testsupport {

/// Dead: gone, or a zombie that nobody has reaped yet (it runs no more).
inline bool IsDead(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const QByteArray state = line.mid(line.lastIndexOf(')') + 2, 1);
    return state == "Z" || state == "X";
}

} // namespace testsupport
