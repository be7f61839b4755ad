#include "generator/assembler_batch.h"

#include <QtTest>

using namespace generator;

class AssemblerBatchTest : public QObject {
    Q_OBJECT
private slots:
    void batchTextCallsTheAssemblerInTheWorkFolder_data();
    void batchTextCallsTheAssemblerInTheWorkFolder();
    void directCallTakesLineFiveArguments();
    void pathsTheCommandProcessorCannotReadGoByShortNames_data();
    void pathsTheCommandProcessorCannotReadGoByShortNames();
};

void AssemblerBatchTest::batchTextCallsTheAssemblerInTheWorkFolder_data()
{
    QTest::addColumn<QString>("workFolder");
    QTest::addColumn<QString>("targetBase");
    QTest::addColumn<QString>("assembler");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("project example")
        << "D:\\Projekt\\" << "D:\\Projekt\\servo123."
        << "C:\\Programme\\Atmel\\AVR Tools\\AvrAssembler\\avrasm32.exe"
        << QByteArray("cd \"D:\\Projekt\\\"\r\n"
                      "D:\r\n"
                      "del \"D:\\Projekt\\servo123.map\"\r\n"
                      "del \"D:\\Projekt\\servo123.lst\"\r\n"
                      "\"C:\\Programme\\Atmel\\AVR Tools\\AvrAssembler\\avrasm32.exe\" -fI "
                      "\"D:\\Projekt\\servo123.asm\" -o \"D:\\Projekt\\servo123.hex\" -I "
                      "\"C:\\Programme\\Atmel\\AVR Tools\\AvrAssembler\\\\AppNotes\" -w "
                      ">\"D:\\Projekt\\servo123.log\" 2>&1\r\n");
    QTest::newRow("blanks in every path")
        << "E:\\Meine Servos\\" << "E:\\Meine Servos\\servo000."
        << "E:\\AVR Werkzeug\\avrasm32.exe"
        << QByteArray("cd \"E:\\Meine Servos\\\"\r\n"
                      "E:\r\n"
                      "del \"E:\\Meine Servos\\servo000.map\"\r\n"
                      "del \"E:\\Meine Servos\\servo000.lst\"\r\n"
                      "\"E:\\AVR Werkzeug\\avrasm32.exe\" -fI \"E:\\Meine Servos\\servo000.asm\" "
                      "-o \"E:\\Meine Servos\\servo000.hex\" -I \"E:\\AVR Werkzeug\\\\AppNotes\" "
                      "-w >\"E:\\Meine Servos\\servo000.log\" 2>&1\r\n");
}

void AssemblerBatchTest::batchTextCallsTheAssemblerInTheWorkFolder()
{
    QFETCH(QString, workFolder);
    QFETCH(QString, targetBase);
    QFETCH(QString, assembler);
    QFETCH(QByteArray, expected);
    QCOMPARE(AssemblerBatchText(workFolder, targetBase, assembler).toLatin1(), expected);
}

void AssemblerBatchTest::directCallTakesLineFiveArguments()
{
    const QString sep = QDir::separator();
    const QString folder = "/home/b/meine servos/";
    const QString base = folder + "servo004.";
    const QString assembler = "/opt/avr werkzeug/bin/avra";
    const AssemblerCall call = DirectAssemblerCall(folder, base, assembler);
    QCOMPARE(call.workFolder, folder);
    QCOMPARE(call.filesToRemove, QStringList({base + "map", base + "lst"}));
    QCOMPARE(call.program, assembler);
    // Blanks need no quoting: each argument is passed on its own.
    QCOMPARE(call.arguments,
             QStringList({"-fI", base + "asm", "-o", base + "hex", "-I",
                          "/opt/avr werkzeug/bin/" + sep + "AppNotes", "-w"}));
    QCOMPARE(call.logPath, base + "log");
}

void AssemblerBatchTest::pathsTheCommandProcessorCannotReadGoByShortNames_data()
{
    QTest::addColumn<QString>("workFolder");
    QTest::addColumn<QString>("targetBase");
    QTest::addColumn<QString>("assembler");
    // Pairs of a long spelling and its short one; other paths have none.
    QTest::addColumn<QStringList>("shortNames");
    // The three paths as the batch file names them; empty when refused.
    QTest::addColumn<QStringList>("expected");
    // The path the refusal names.
    QTest::addColumn<QString>("named");

    const QString avra = "C:/avr/avra.exe";
    QTest::newRow("readable paths stay as they are, though they have short names")
        << "C:/Kosten ü/" << "C:/Kosten ü/servo000." << "C:/AVR Werkzeug/avra.exe"
        << QStringList{"C:/Kosten ü/", "C:/KOSTEN~1/", "C:/AVR Werkzeug/avra.exe",
                       "C:/AVRWER~1/avra.exe"}
        << QStringList{"C:/Kosten ü/", "C:/Kosten ü/servo000.", "C:/AVR Werkzeug/avra.exe"}
        << QString();
    QTest::newRow("work folder outside the code page")
        << "C:/Łódź ü/" << "C:/Łódź ü/servo000." << avra
        << QStringList{"C:/Łódź ü/", "C:/LD~1/"}
        << QStringList{"C:/LD~1/", "C:/LD~1/servo000.", avra} << QString();
    QTest::newRow("assembler in a folder outside the code page")
        << "C:/Servos/" << "C:/Servos/servo000." << "C:/Kosten € Œ/avra.exe"
        << QStringList{"C:/Kosten € Œ/avra.exe", "C:/KOSTEN~1/avra.exe"}
        << QStringList{"C:/Servos/", "C:/Servos/servo000.", "C:/KOSTEN~1/avra.exe"}
        << QString();
    QTest::newRow("work folder without a short name")
        << "C:/Łódź ü/" << "C:/Łódź ü/servo000." << avra << QStringList() << QStringList()
        << "C:/Łódź ü/";
    // With short names turned off, Windows answers with the long spelling.
    QTest::newRow("short names turned off")
        << "C:/Kosten € Œ/" << "C:/Kosten € Œ/servo000." << avra
        << QStringList{"C:/Kosten € Œ/", "C:/Kosten € Œ/"} << QStringList() << "C:/Kosten € Œ/";
    // The target's HEX file and log do not exist yet: no short names.
    QTest::newRow("target name outside the code page")
        << "C:/Servos/" << "C:/Servos/Œl." << avra << QStringList() << QStringList()
        << "C:/Servos/Œl.asm";
    QTest::newRow("assembler's folder without a short name")
        << "C:/Servos/" << "C:/Servos/servo000." << "C:/Kosten € Œ/avra.exe" << QStringList()
        << QStringList() << "C:/Kosten € Œ/";
}

void AssemblerBatchTest::pathsTheCommandProcessorCannotReadGoByShortNames()
{
    QFETCH(QString, workFolder);
    QFETCH(QString, targetBase);
    QFETCH(QString, assembler);
    QFETCH(QStringList, shortNames);
    QFETCH(QStringList, expected);
    QFETCH(QString, named);

    // A code page with the Latin-1 letters only, as 850 has "ü" and "ó"
    // but neither "Ł", "ź", "€" nor "Œ".
    BatchPathNaming naming;
    naming.readable = [](const QString &text) {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
    };
    naming.shortName = [&shortNames](const QString &path) {
        const qsizetype at = shortNames.indexOf(path);
        return at >= 0 && at % 2 == 0 ? shortNames.at(at + 1) : QString();
    };
    QString error;
    const std::optional<BatchPaths> paths =
        ReadableBatchPaths({workFolder, targetBase, assembler}, naming, &error);
    if (expected.isEmpty()) {
        QVERIFY2(!paths, qPrintable(paths ? paths->workFolder : QString()));
        QVERIFY2(error.contains("\"" + QDir::toNativeSeparators(named) + "\""), qPrintable(error));
        QVERIFY2(error.contains("Eingabeaufforderung"), qPrintable(error));
        return;
    }
    QVERIFY2(paths, qPrintable(error));
    QCOMPARE(QStringList({paths->workFolder, paths->targetBase, paths->assemblerPath}), expected);
}

QTEST_GUILESS_MAIN(AssemblerBatchTest)
#include "assembler_batch_test.moc"
