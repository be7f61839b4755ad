#pragma once
// The emulated programmer (tests/tools/fake_programmer.cpp) as a test starts
// it: an STK500 version 1 programmer with an ATtiny15 behind it, on a
// pseudo-terminal or on a socket of 127.0.0.1, ended with the object.

#include "tests/support/emulated_chip.h"
#include "tests/support/test_data.h"

#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtTest>

#include <optional>

namespace testsupport {

/// An avrdude the emulated programmer's rows run with: its name in the row
/// names, its path, or why there is none.
struct AvrdudeUnderTest {
    QString name, path, missing;
};

/// The avrdude on PATH and the one PULSAKOR_AVRDUDE_8X names (CMake passes
/// the 8.0 build of ../shared when there is one).
inline QList<AvrdudeUnderTest> AvrdudesUnderTest()
{
    const QString path = QStandardPaths::findExecutable("avrdude");
    const QString eight = qEnvironmentVariable("PULSAKOR_AVRDUDE_8X");
    return {{"avrdude on PATH", path,
             path.isEmpty() ? "avrdude is not installed (scripts/install-deps installs it)" : ""},
            {"avrdude 8.x", eight,
             QFileInfo(eight).isExecutable()
                 ? ""
                 : "no avrdude 8.x: PULSAKOR_AVRDUDE_8X (set by the build when "
                   "../shared/tools/avrdude-8.0 is there) names no program: " + eight}};
}

} // namespace testsupport

Q_DECLARE_METATYPE(testsupport::AvrdudeUnderTest)

#ifdef PULSAKOR_FAKE_PROGRAMMER
namespace testsupport {

class EmulatedProgrammer {
public:
    /// How avrdude reaches it: -P names the terminal, or net:127.0.0.1:PORT.
    enum class Link { Terminal, Socket };

    /// Starts it with its chip in `folder`/chip.bin (an erased chip unless
    /// the file is there) and `arguments` after the usual ones, and waits
    /// until it serves. Windows has no pseudo-terminals: there it always
    /// listens on the socket.
    EmulatedProgrammer(const QString &folder, Link link, const QStringList &arguments = {})
        : m_statePath(folder + "/chip.bin")
    {
#ifdef Q_OS_WIN
        link = Link::Socket;
#endif
        const bool socket = link == Link::Socket;
        const QString where = folder + (socket ? "/port" : "/tty");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(PULSAKOR_FAKE_PROGRAMMER,
                        QStringList{socket ? "--tcp" : "--pty", where, "--state", m_statePath}
                            + arguments);
        // The link or the port file appears once it serves; the port file is
        // written beside and renamed, so once there it is whole. Under wine,
        // with other suites starting programs beside it, a start can take
        // more than ten seconds.
        if (!m_process.waitForStarted()
            || !QTest::qWaitFor([&] { return QFileInfo::exists(where); }, 30000))
            return;
        if (!socket) {
            m_port = where;
            return;
        }
        const QByteArray number = ReadBytes(where).trimmed();
        if (!number.isEmpty())
            m_port = "net:127.0.0.1:" + QString::fromLatin1(number);
    }
    ~EmulatedProgrammer() { End(); }

    /// True once it serves on Port().
    bool IsReady() const { return !m_port.isEmpty(); }
    /// avrdude's -P for it; empty when it does not serve.
    QString Port() const { return m_port; }
    /// The state file of its chip.
    QString StatePath() const { return m_statePath; }

    /// The chip after the programmer has ended; nothing when it would not end
    /// or its state cannot be read.
    std::optional<emulatedchip::State> EndAndReadChip()
    {
        if (!End())
            return std::nullopt;
        return emulatedchip::ReadState(m_statePath);
    }

private:
    bool End()
    {
        if (m_process.state() == QProcess::NotRunning)
            return true;
#ifdef Q_OS_WIN
        // Windows cannot ask a program without a window to end; the emulation
        // writes its state after every command, so killing it loses nothing.
        m_process.kill();
        return m_process.waitForFinished(5000);
#endif
        m_process.terminate();
        if (m_process.waitForFinished(5000))
            return true;
        m_process.kill();
        m_process.waitForFinished(5000);
        return false;
    }

    QProcess m_process;
    QString m_statePath;
    QString m_port;
};

} // namespace testsupport
#endif
