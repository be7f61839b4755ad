// scripts/run-window prepares <build>/work with a copy of the example
// template and starts the window there. Here a fake window program that
// prints its working folder stands in for the real one.

#include "platform/files.h"
#include "tests/support/test_data.h"

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using testsupport::ReadBytes;

namespace {

const QString kScript = QStringLiteral(PULSAKOR_SOURCE_DIR "/scripts/run-window");

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    return platform::WriteFileAtomically(path, bytes);
}

} // namespace

class RunWindowTest : public QObject {
    Q_OBJECT
private slots:
    void preparesTheWorkFolder_data();
    void preparesTheWorkFolder();
};

void RunWindowTest::preparesTheWorkFolder_data()
{
    // Empty texts mean "no such file"; "example" stands for the current
    // example's bytes.
    QTest::addColumn<QByteArray>("copyBefore");
    QTest::addColumn<QByteArray>("installedBefore");
    QTest::addColumn<QByteArray>("copyAfter");
    QTest::addColumn<bool>("warns");

    QTest::newRow("first run") << QByteArray() << QByteArray() << QByteArray("example") << false;
    QTest::newRow("untouched copy of an older example")
        << QByteArray("old\r\n") << QByteArray("old\r\n") << QByteArray("example") << false;
    QTest::newRow("edited copy of an older example")
        << QByteArray("edited\r\n") << QByteArray("old\r\n") << QByteArray("edited\r\n") << true;
    QTest::newRow("copy of unknown origin")
        << QByteArray("own\r\n") << QByteArray() << QByteArray("own\r\n") << true;
    QTest::newRow("current example, no record")
        << QByteArray("example") << QByteArray() << QByteArray("example") << false;
}

void RunWindowTest::preparesTheWorkFolder()
{
    QFETCH(QByteArray, copyBefore);
    QFETCH(QByteArray, installedBefore);
    QFETCH(QByteArray, copyAfter);
    QFETCH(bool, warns);

    const QByteArray example = testsupport::ExampleTemplate();
    QVERIFY(!example.isEmpty());
    auto expand = [&](const QByteArray &text) { return text == "example" ? example : text; };

    QTemporaryDir build;
    QVERIFY(build.isValid());
    const QString window = build.filePath(QStringLiteral("pulsakor"));
    QVERIFY(WriteFile(window, "#!/bin/sh\npwd -P\n"));
    QVERIFY(QFile::setPermissions(window, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const QString work = build.filePath(QStringLiteral("work"));
    const QString copy = work + QStringLiteral("/servo00.asm");
    const QString installed = work + QStringLiteral("/.servo00.asm.installed");
    if (!copyBefore.isEmpty() || !installedBefore.isEmpty())
        QVERIFY(QDir().mkpath(work));
    if (!copyBefore.isEmpty())
        QVERIFY(WriteFile(copy, expand(copyBefore)));
    if (!installedBefore.isEmpty())
        QVERIFY(WriteFile(installed, expand(installedBefore)));

    QProcess process;
    process.start(QStringLiteral("bash"), {kScript, build.path()});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);

    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed(),
             QDir(work).canonicalPath());
    QCOMPARE(ReadBytes(copy), expand(copyAfter));
    QCOMPARE(process.readAllStandardError().contains("was kept"), warns);
    if (expand(copyAfter) == example)
        QCOMPARE(ReadBytes(installed), example);
    else
        QCOMPARE(ReadBytes(installed), expand(installedBefore));
}

QTEST_GUILESS_MAIN(RunWindowTest)
#include "run_window_test.moc"
