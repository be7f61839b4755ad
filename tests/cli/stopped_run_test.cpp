// pulsakor-cli ended by a signal while it waits for the assembler (Ctrl-C,
// a closed terminal, kill): the assembler and everything it started end with
// it, and then the signal ends pulsakor-cli as it would have.

#include "platform/files.h"
#include "tests/support/process_state.h"
#include "tests/support/test_data.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

class StoppedRunTest : public QObject {
    Q_OBJECT
private slots:
    void signalEndsTheAssemblersGroup_data();
    void signalEndsTheAssemblersGroup();
};

void StoppedRunTest::signalEndsTheAssemblersGroup_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void StoppedRunTest::signalEndsTheAssemblersGroup()
{
    QFETCH(int, signal);

    const testsupport::TemplateFolder dir;
    QVERIFY(dir.IsValid());
    // A wrapper that starts a writer and waits for it.
    QVERIFY(platform::WriteFileAtomically(
        dir.Path("fake"), "#!/bin/sh\n"
                              "(while :; do echo x >> written; sleep 0.02; done) &\n"
                              "echo $! > pid.tmp && mv pid.tmp pid\n"
                              "wait\n"));
    QVERIFY(QFile::setPermissions(dir.Path("fake"), QFile::ReadOwner | QFile::ExeOwner));

    QProcess cli;
    cli.setWorkingDirectory(dir.Root());
    cli.start(QStringLiteral(PULSAKOR_CLI),
              {"--template", "servo00.asm", "--out", "servo000.asm", "--assembler", "fake"});
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(dir.Path("pid")), 20000);
    ::kill(pid_t(cli.processId()), signal);
    QVERIFY(cli.waitForFinished(20000));

    QCOMPARE(cli.exitStatus(), QProcess::CrashExit);
    QCOMPARE(cli.exitCode(), signal);
    const qint64 writer =
        platform::ReadWholeFile(dir.Path("pid")).value_or("").trimmed().toLongLong();
    QVERIFY(writer > 0);
    QVERIFY(testsupport::IsDead(writer));
    const qint64 size = QFileInfo(dir.Path("written")).size();
    QTest::qWait(200);
    QCOMPARE(QFileInfo(dir.Path("written")).size(), size);
}

QTEST_GUILESS_MAIN(StoppedRunTest)
#include "stopped_run_test.moc"
