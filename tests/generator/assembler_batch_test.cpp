#include "generator/assembler_batch.h"

#include <QtTest>

using namespace generator;

class AssemblerBatchTest : public QObject {
    Q_OBJECT
private slots:
    void batchTextCallsTheAssemblerInTheWorkFolder_data();
    void batchTextCallsTheAssemblerInTheWorkFolder();
    void directCallTakesLineFiveArguments();
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

QTEST_GUILESS_MAIN(AssemblerBatchTest)
#include "assembler_batch_test.moc"
