// pulsakor-cli on a full disk: each write that comes back short ends the
// run with exit status 4 and a message naming the file, and the file keeps
// what it held before. The disk is "full" through a lowered file size limit.

#include "generator/generation_run.h"
#include "platform/files.h"
#include "tests/support/cli_process.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_data.h"

#include <QProcess>
#include <QtTest>

namespace {

QByteArray ReadFile(const QString &path)
{
    return platform::ReadWholeFile(path).value_or("<missing>");
}

// Runs pulsakor-cli in `folder` with files limited to `limit` bytes and its
// standard output appended to `outputFile`.
testsupport::CliRun RunLimited(const QString &folder, const QStringList &arguments, rlim_t limit,
                               const QString &outputFile)
{
    QProcess process;
    process.setProcessEnvironment(testsupport::LocaleEnvironment({"LC_ALL=C.UTF-8"}));
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(outputFile, QIODevice::Append);
    process.setChildProcessModifier([limit] { testsupport::LimitFileSize(limit); });
    process.start(QStringLiteral(PULSAKOR_CLI), arguments);
    return testsupport::FinishCli(process);
}

} // namespace

class FullDiskTest : public QObject {
    Q_OBJECT
private slots:
    void shortWriteEndsTheRun_data();
    void shortWriteEndsTheRun();
    void programmingLogFullAfterTheErase();
};

void FullDiskTest::shortWriteEndsTheRun_data()
{
    // The fake assembler, the file that meets the limit and
    // what it holds after the run; except for the log, which each run starts
    // anew, it holds that before the run as well.
    QTest::addColumn<QByteArray>("assembler");
    QTest::addColumn<QString>("fullFile");
    QTest::addColumn<QByteArray>("fullFileBefore");
    QTest::addColumn<int>("limit");

    QTest::newRow("the source does not fit")
        << QByteArray("#!/bin/sh\necho never run\n") << "out/servo000.asm"
        << QByteArray("an older source\r\n") << 8192;
    QTest::newRow("the assembler's output does not fit")
        << QByteArray("#!/bin/sh\nyes | head -c 70000\n") << "out/servo000.log"
        << QByteArray("y\n").repeated(32768) << 65536;
    // The crash note after almost 64 KiB of output no longer fits the log.
    QTest::newRow("the note in the log does not fit")
        << QByteArray("#!/bin/sh\nyes | head -c 65526\nkill -SEGV $$\n") << "out/servo000.log"
        << QByteArray("y\n").repeated(32763) << 65536;
    // The assembler made a good HEX file, but its output leaves no room for
    // the summary: a log without it fails the run all the same.
    QTest::newRow("the summary in the log does not fit")
        << "#!/bin/sh\nyes | head -c 65400\nexec \""
            + testsupport::FakeAssemblerPath("writes-hex.sh").toUtf8() + "\" \"$@\" >/dev/null\n"
        << "out/servo000.log" << QByteArray("y\n").repeated(32700) << 65536;
    // Standard output is a file that is almost full already.
    QTest::newRow("standard output does not fit")
        << "#!/bin/sh\nexec \"" + testsupport::FakeAssemblerPath("writes-hex.sh").toUtf8()
            + "\" \"$@\"\n"
        << "stdout" << QByteArray(65536 - 100, 'o') << 65536;
}

void FullDiskTest::shortWriteEndsTheRun()
{
    QFETCH(QByteArray, assembler);
    QFETCH(QString, fullFile);
    QFETCH(QByteArray, fullFileBefore);
    QFETCH(int, limit);

    const testsupport::TemplateFolder dir;
    QVERIFY(dir.IsValid() && QDir(dir.Root()).mkdir("out"));
    const QByteArray templateBytes = dir.TemplateBytes();
    QVERIFY(platform::WriteFileAtomically(dir.Path("fake"), assembler));
    QVERIFY(QFile::setPermissions(dir.Path("fake"), QFile::ReadOwner | QFile::ExeOwner));
    const QStringList arguments{"--template", "servo00.asm", "--out", "out/servo000.asm",
                                "--assembler", "fake"};
    if (fullFile != "out/servo000.log")
        QVERIFY(platform::WriteFileAtomically(dir.Path(fullFile), fullFileBefore));

    const testsupport::CliRun run =
        RunLimited(dir.Root(), arguments, rlim_t(limit), dir.Path("stdout"));

    QVERIFY2(run.exitCode == 4, qPrintable(QString::number(run.exitCode) + u' ' + run.err));
    // Standard output is a stream: what went out stays, after the old bytes.
    const QByteArray after = ReadFile(dir.Path(fullFile));
    if (fullFile == "stdout")
        QVERIFY(after.startsWith(fullFileBefore));
    else
        QCOMPARE(after, fullFileBefore);
    QCOMPARE(ReadFile(dir.Path("servo00.asm")), templateBytes);
    // One fault, reported once, and never as a made or a missing HEX file.
    const QString named = fullFile == "stdout"
        ? QStringLiteral("Das Log konnte nicht ausgegeben werden.")
        : (generator::FatalTitle() + ": Die Datei kann nicht geschrieben werden: \"%1\": ")
              .arg(dir.Path(fullFile));
    QVERIFY2(run.err.contains(named), qPrintable(run.err));
    QCOMPARE(run.err.count(generator::FatalTitle()), fullFile == "stdout" ? 0 : 1);
    QVERIFY2(!run.err.contains(generator::HexNotMadeTitle()), qPrintable(run.err));
}

// The first avrdude call's output fits, the second's does not: the message
// names the log and says that the chip is erased now.
void FullDiskTest::programmingLogFullAfterTheErase()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(platform::WriteFileAtomically(dir.filePath("servo000.hex"),
                                          ":020000000C945E\r\n:00000001FF\r\n"));
    const QStringList arguments{"--flash", "servo000.hex", "--programmer", "stk500v1",
                                "--avrdude", PULSAKOR_TEST_DATA "/fake-avrdude/programs.sh"};
    const testsupport::CliRun run = RunLimited(dir.path(), arguments, 512, dir.filePath("stdout"));
    QVERIFY2(run.exitCode == 5 && run.err.contains("Der Chip ist gelöscht")
                 && run.err.contains("kann nicht geschrieben werden: \""
                                     + dir.filePath("servo000.avrdude.log")),
             qPrintable(QString::number(run.exitCode) + u' ' + run.err));
}

QTEST_GUILESS_MAIN(FullDiskTest)
#include "full_disk_test.moc"
