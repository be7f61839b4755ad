// The started program and everything it starts end with the run: on a
// timeout, on a quit, past the output limit and when the program ends by
// itself but leaves a child behind.

#include "platform/assembler_process.h"

#include "platform/files.h"
#include "tests/support/process_state.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace std::chrono_literals;
using namespace platform;
using State = ProgramEnd::State;

namespace {

// A wrapper whose child appends to "$1" for ever and leaves its id in "$2";
// then the wrapper does `rest`.
QString LeavesAWriter(const QString &rest)
{
    return QStringLiteral("(while :; do echo x >> \"$1\"; sleep 0.02; done) &\n"
                          "echo $! > \"$2.new\" && mv \"$2.new\" \"$2\"\n")
        + rest;
}

qint64 SizeOf(const QString &path)
{
    return QFileInfo(path).size();
}

} // namespace

class AssemblerProcessTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void outputIsKeptUpToTheLimit_data();
    void outputIsKeptUpToTheLimit();
    void outputFileLinkIsReplaced();
    void noProcessOfTheGroupOutlivesTheRun_data();
    void noProcessOfTheGroupOutlivesTheRun();
    // Last: it quits the application's event loops for good.
    void applicationQuitEndsTheWholeGroup();

private:
    ProgramStart Shell(const QString &script) const;
    void CheckWriterStopped();

    std::unique_ptr<QTemporaryDir> m_dir;
};

void AssemblerProcessTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

ProgramStart AssemblerProcessTest::Shell(const QString &script) const
{
    ProgramStart start;
    start.program = QStringLiteral("/bin/sh");
    start.arguments = {"-c", script, "sh", m_dir->filePath("written"), m_dir->filePath("pid")};
    start.workingFolder = m_dir->path();
    start.outputFile = m_dir->filePath("servo000.log");
    return start;
}

// The writer's id is there, the writer is dead, and its file stays as it is.
void AssemblerProcessTest::CheckWriterStopped()
{
    const std::optional<QByteArray> pid = ReadWholeFile(m_dir->filePath("pid"));
    QVERIFY(pid && pid->trimmed().toLongLong() > 0);
    QVERIFY2(testsupport::IsDead(pid->trimmed().toLongLong()), pid->constData());
    const qint64 size = SizeOf(m_dir->filePath("written"));
    QTest::qWait(200);
    QCOMPARE(SizeOf(m_dir->filePath("written")), size);
}

void AssemblerProcessTest::outputIsKeptUpToTheLimit_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("state");
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("below the limit, both channels")
        << "printf 'eins\\r\\n'; printf 'zwei\\r\\n' >&2" << qint64(100) << int(State::Finished)
        << QByteArray("eins\r\nzwei\r\n");
    QTest::newRow("exactly the limit") << "printf 'abcd'" << qint64(4) << int(State::Finished)
                                       << QByteArray("abcd");
    QTest::newRow("one byte over") << "printf 'abcde'; sleep 5" << qint64(4)
                                   << int(State::OutputTooLong) << QByteArray("abcd");
    QTest::newRow("without end") << "exec yes 'Fehler in Zeile 1'" << qint64(100000)
                                 << int(State::OutputTooLong)
                                 << QByteArray("Fehler in Zeile 1\n").repeated(5556).left(100000);
}

void AssemblerProcessTest::outputIsKeptUpToTheLimit()
{
    QFETCH(QString, script);
    QFETCH(qint64, limit);
    QFETCH(int, state);
    QFETCH(QByteArray, output);

    ProgramStart start = Shell(script);
    start.outputLimit = limit;
    const ProgramEnd end = RunProgram(start, {0ms, 10s});

    QCOMPARE(int(end.state), state);
    QCOMPARE(ReadWholeFile(start.outputFile).value_or("<missing>"), output);
}

void AssemblerProcessTest::outputFileLinkIsReplaced()
{
    QTemporaryDir outside;
    const QString target = outside.filePath("elsewhere");
    QVERIFY(WriteFileAtomically(target, "not ours"));
    ProgramStart start = Shell("echo ours");
    QVERIFY(QFile::link(target, start.outputFile));

    QCOMPARE(int(RunProgram(start, {0ms, 10s}).state), int(State::Finished));

    QVERIFY(!QFileInfo(start.outputFile).isSymLink());
    QCOMPARE(ReadWholeFile(start.outputFile).value_or("<missing>"), QByteArray("ours\n"));
    QCOMPARE(ReadWholeFile(target).value_or("<missing>"), QByteArray("not ours"));
}

void AssemblerProcessTest::noProcessOfTheGroupOutlivesTheRun_data()
{
    QTest::addColumn<QString>("rest");
    QTest::addColumn<int>("maximumMs");
    QTest::addColumn<int>("state");

    QTest::newRow("wrapper ends by itself") << "exit 0" << 10000 << int(State::Finished);
    QTest::newRow("wrapper crashes") << "kill -SEGV $$" << 10000 << int(State::Crashed);
    // Long enough for the wrapper to start its writer on a busy machine.
    QTest::newRow("wrapper overruns the wait") << "wait" << 1500 << int(State::TimedOut);
    QTest::newRow("wrapper prints without end") << "exec yes" << 10000 << int(State::OutputTooLong);
}

void AssemblerProcessTest::noProcessOfTheGroupOutlivesTheRun()
{
    QFETCH(QString, rest);
    QFETCH(int, maximumMs);
    QFETCH(int, state);

    ProgramStart start = Shell(LeavesAWriter(rest));
    start.outputLimit = 10000;
    const ProgramEnd end = RunProgram(start, {0ms, std::chrono::milliseconds(maximumMs)});

    QCOMPARE(int(end.state), state);
    CheckWriterStopped();
}

void AssemblerProcessTest::applicationQuitEndsTheWholeGroup()
{
    // The application quits once the writer is running.
    QTimer quit;
    connect(&quit, &QTimer::timeout, this, [this] {
        if (QFileInfo::exists(m_dir->filePath("pid")))
            QCoreApplication::exit(0);
    });
    quit.start(50);
    const ProgramEnd end = RunProgram(Shell(LeavesAWriter("wait")), {0ms, 30s});

    QCOMPARE(int(end.state), int(State::Interrupted));
    CheckWriterStopped();
}

QTEST_GUILESS_MAIN(AssemblerProcessTest)
#include "assembler_process_test.moc"
