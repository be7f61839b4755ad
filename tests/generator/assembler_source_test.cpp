#include "generator/assembler_source.h"

#include "platform/files.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace generator;

namespace {
const QByteArray label = "cortab:   ;Tabelle mit Poti-Korrekturwerten";
const QString listing = QStringLiteral(".db 1,2 ;000...001\r\n;PWM-Zählumfang: 10\r\n");
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
        << "; Servo\r\nrjmp start\r\n" + label + "\r\n.db 9,9\r\nold tail\r\n"
        << "; Servo\r\nrjmp start\r\n" + label + "\r\n";
    QTest::newRow("label twice") << "a\r\n" + label + "\r\nb\r\n" + label + "\r\nc\r\n"
                                 << "a\r\n" + label + "\r\n";
    QTest::newRow("label missing") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("missing, last line open") << QByteArray("a\r\nb") << QByteArray("a\r\nb\r\n");
    QTest::newRow("trailing blank is no label")
        << "x\r\n" + label + " \r\ny\r\n" << "x\r\n" + label + " \r\ny\r\n";
    QTest::newRow("other case is no label")
        << QByteArray("CORTAB:   ;Tabelle mit Poti-Korrekturwerten\r\ny\r\n")
        << QByteArray("CORTAB:   ;Tabelle mit Poti-Korrekturwerten\r\ny\r\n");
    QTest::newRow("fewer blanks is no label")
        << QByteArray("cortab:  ;Tabelle mit Poti-Korrekturwerten\r\ny\r\n")
        << QByteArray("cortab:  ;Tabelle mit Poti-Korrekturwerten\r\ny\r\n");
    QTest::newRow("leading tab is no label") << "\t" + label + "\r\ny\r\n"
                                             << "\t" + label + "\r\ny\r\n";
    QTest::newRow("label last, with line end") << "a\r\n" + label + "\r\n" << "a\r\n" + label + "\r\n";
    QTest::newRow("label last, without line end") << "a\r\n" + label << "a\r\n" + label + "\r\n";
    QTest::newRow("empty template") << QByteArray() << QByteArray();
    QTest::newRow("LF only is one line")
        << "a\n" + label + "\nb\n" << "a\n" + label + "\nb\n\r\n";
    QTest::newRow("lone CR ends a line") << "a\r" + label + "\rold\r" << "a\r\n" + label + "\r\n";
    QTest::newRow("bytes copied unchanged")
        << QByteArray(";\xe4\xf6\xfc \xc3\xa4\x01\r\n") + label + "\r\n"
        << QByteArray(";\xe4\xf6\xfc \xc3\xa4\x01\r\n") + label + "\r\n";
    QTest::newRow("empty lines kept") << "\r\n\r\n" + label + "\r\n" << "\r\n\r\n" + label + "\r\n";
}

void AssemblerSourceTest::copiesHeadThenListing()
{
    QFETCH(QByteArray, templateBytes);
    QFETCH(QByteArray, head);
    const platform::TextEncoding latin1 = platform::TextEncoding::Latin1();
    const QByteArray expected = head + latin1.Encode(listing) + "\r\n\r\n";
    QCOMPARE(AssemblerSourceBytes(templateBytes, listing, latin1), expected);
}

void AssemblerSourceTest::fileReplacesOlderTargetCompletely()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString templatePath = dir.filePath("servo00.asm");
    const QString targetPath = dir.filePath("servo000.asm");
    QVERIFY(platform::WriteFileAtomically(templatePath, "head\r\n" + label + "\r\ntail\r\n"));
    QVERIFY(platform::WriteFileAtomically(targetPath, QByteArray(10000, 'x')));

    QString error;
    QVERIFY(WriteAssemblerSource(templatePath, targetPath, listing, &error));
    const QByteArray expected =
        "head\r\n" + label + "\r\n" + platform::TextEncoding::System().Encode(listing) + "\r\n\r\n";
    QCOMPARE(*platform::ReadWholeFile(targetPath), expected);
    QVERIFY(error.isEmpty());
}

void AssemblerSourceTest::missingTemplateWritesNothing()
{
    QTemporaryDir dir;
    const QString templatePath = dir.filePath("servo00.asm");
    const QString targetPath = dir.filePath("servo000.asm");
    QVERIFY(platform::WriteFileAtomically(targetPath, "older source"));

    QString error;
    QVERIFY(!WriteAssemblerSource(templatePath, targetPath, listing, &error));
    QVERIFY2(error.contains(QStringLiteral("servo00.asm")), qPrintable(error));
    QCOMPARE(*platform::ReadWholeFile(targetPath), QByteArray("older source"));
}

QTEST_GUILESS_MAIN(AssemblerSourceTest)
#include "assembler_source_test.moc"
