#include "generator/assembler_source.h"

#include "platform/files.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace generator;

namespace {
const QByteArray kLabel = "cortab:   ;Tabelle mit Poti-Korrekturwerten";
const QString kListing = QStringLiteral(".db 1,2 ;000...001\r\n;PWM-Zählumfang: 10\r\n");
} // namespace

class AssemblerSourceTest : public QObject {
    Q_OBJECT
private slots:
    void copiesHeadThenListing_data();
    void copiesHeadThenListing();
    void fileReplacesOlderTargetCompletely();
    void missingTemplateWritesNothing();
};

void AssemblerSourceTest::copiesHeadThenListing_data()
{
    QTest::addColumn<QByteArray>("templateBytes");
    QTest::addColumn<QByteArray>("head");

    QTest::newRow("label in the middle")
        << "; Servo\r\nrjmp start\r\n" + kLabel + "\r\n.db 9,9\r\nold tail\r\n"
        << "; Servo\r\nrjmp start\r\n" + kLabel + "\r\n";
    QTest::newRow("label twice") << "a\r\n" + kLabel + "\r\nb\r\n" + kLabel + "\r\nc\r\n"
                                 << "a\r\n" + kLabel + "\r\n";
    QTest::newRow("label missing") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("missing, last line open") << QByteArray("a\r\nb") << QByteArray("a\r\nb\r\n");
    QTest::newRow("trailing blank is no label")
        << "x\r\n" + kLabel + " \r\ny\r\n" << "x\r\n" + kLabel + " \r\ny\r\n";
    QTest::newRow("other case is no label")
        << QByteArray("CORTAB:   ;Tabelle mit Poti-Korrekturwerten\r\ny\r\n")
        << QByteArray("CORTAB:   ;Tabelle mit Poti-Korrekturwerten\r\ny\r\n");
    QTest::newRow("fewer blanks is no label")
        << QByteArray("cortab:  ;Tabelle mit Poti-Korrekturwerten\r\ny\r\n")
        << QByteArray("cortab:  ;Tabelle mit Poti-Korrekturwerten\r\ny\r\n");
    QTest::newRow("leading tab is no label") << "\t" + kLabel + "\r\ny\r\n"
                                             << "\t" + kLabel + "\r\ny\r\n";
    QTest::newRow("label last, with line end") << "a\r\n" + kLabel + "\r\n"
                                               << "a\r\n" + kLabel + "\r\n";
    QTest::newRow("label last, without line end") << "a\r\n" + kLabel << "a\r\n" + kLabel + "\r\n";
    QTest::newRow("empty template") << QByteArray() << QByteArray();
    QTest::newRow("LF only is one line")
        << "a\n" + kLabel + "\nb\n" << "a\n" + kLabel + "\nb\n\r\n";
    QTest::newRow("lone CR ends a line") << "a\r" + kLabel + "\rold\r" << "a\r\n" + kLabel + "\r\n";
    QTest::newRow("bytes copied unchanged")
        << QByteArray(";\xe4\xf6\xfc \xc3\xa4\x01\r\n") + kLabel + "\r\n"
        << QByteArray(";\xe4\xf6\xfc \xc3\xa4\x01\r\n") + kLabel + "\r\n";
    QTest::newRow("empty lines kept") << "\r\n\r\n" + kLabel + "\r\n"
                                      << "\r\n\r\n" + kLabel + "\r\n";
}

void AssemblerSourceTest::copiesHeadThenListing()
{
    QFETCH(QByteArray, templateBytes);
    QFETCH(QByteArray, head);
    const platform::TextEncoding latin1 = platform::TextEncoding::Latin1();
    const QByteArray expected = head + latin1.Encode(kListing) + "\r\n\r\n";
    QCOMPARE(AssemblerSourceBytes(templateBytes, kListing, latin1), expected);
}

void AssemblerSourceTest::fileReplacesOlderTargetCompletely()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString templatePath = dir.filePath("servo00.asm");
    const QString targetPath = dir.filePath("servo000.asm");
    QVERIFY(platform::WriteFileAtomically(templatePath, "head\r\n" + kLabel + "\r\ntail\r\n"));
    QVERIFY(platform::WriteFileAtomically(targetPath, QByteArray(10000, 'x')));

    QString error;
    QVERIFY(WriteAssemblerSource(templatePath, targetPath, kListing, &error));
    const QByteArray expected = "head\r\n" + kLabel + "\r\n"
        + platform::TextEncoding::System().Encode(kListing) + "\r\n\r\n";
    const std::optional<QByteArray> written = platform::ReadWholeFile(targetPath);
    QVERIFY(written);
    QCOMPARE(*written, expected);
    QVERIFY(error.isEmpty());
}

void AssemblerSourceTest::missingTemplateWritesNothing()
{
    QTemporaryDir dir;
    const QString templatePath = dir.filePath("servo00.asm");
    const QString targetPath = dir.filePath("servo000.asm");
    QVERIFY(platform::WriteFileAtomically(targetPath, "older source"));

    QString error;
    QVERIFY(!WriteAssemblerSource(templatePath, targetPath, kListing, &error));
    QVERIFY2(error.contains(QStringLiteral("servo00.asm")), qPrintable(error));
    const std::optional<QByteArray> kept = platform::ReadWholeFile(targetPath);
    QVERIFY(kept);
    QCOMPARE(*kept, QByteArray("older source"));
}

QTEST_GUILESS_MAIN(AssemblerSourceTest)
#include "assembler_source_test.moc"
