#include "generator/assembler_batch.h"

#include "platform/files.h"
#include "platform/text_encoding.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace generator;

class AssemblerBatchTest : public QObject {
    Q_OBJECT
private slots:
    void batchText_data();
    void batchText();
    void batchFileIsWrittenInSystemEncoding();
    void directCallTakesLineFiveArguments();
};

void AssemblerBatchTest::batchText_data()
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
                      ">\"D:\\Projekt\\servo123.log\"\r\n");
    QTest::newRow("blanks in every path")
        << "E:\\Meine Servos\\" << "E:\\Meine Servos\\servo000."
        << "E:\\AVR Werkzeug\\avrasm32.exe"
        << QByteArray("cd \"E:\\Meine Servos\\\"\r\n"
                      "E:\r\n"
                      "del \"E:\\Meine Servos\\servo000.map\"\r\n"
                      "del \"E:\\Meine Servos\\servo000.lst\"\r\n"
                      "\"E:\\AVR Werkzeug\\avrasm32.exe\" -fI \"E:\\Meine Servos\\servo000.asm\" "
                      "-o \"E:\\Meine Servos\\servo000.hex\" -I \"E:\\AVR Werkzeug\\\\AppNotes\" "
                      "-w >\"E:\\Meine Servos\\servo000.log\"\r\n");
    QTest::newRow("assembler without folder")
        << "D:\\P\\" << "D:\\P\\s." << "avrasm32.exe"
        << QByteArray("cd \"D:\\P\\\"\r\nD:\r\ndel \"D:\\P\\s.map\"\r\ndel \"D:\\P\\s.lst\"\r\n"
                      "\"avrasm32.exe\" -fI \"D:\\P\\s.asm\" -o \"D:\\P\\s.hex\" -I \"\\AppNotes\" "
                      "-w >\"D:\\P\\s.log\"\r\n");
}

void AssemblerBatchTest::batchText()
{
    QFETCH(QString, workFolder);
    QFETCH(QString, targetBase);
    QFETCH(QString, assembler);
    QFETCH(QByteArray, expected);
    QCOMPARE(AssemblerBatchText(workFolder, targetBase, assembler).toLatin1(), expected);
}

void AssemblerBatchTest::batchFileIsWrittenInSystemEncoding()
{
    QTemporaryDir dir;
    const QString batchPath = dir.filePath("servo001.bat");
    const QString folder = QStringLiteral("D:\\Übung\\");
    QVERIFY(WriteAssemblerBatch(batchPath, folder, folder + "servo001.", "C:\\a\\avrasm32.exe"));
    QCOMPARE(*platform::ReadWholeFile(batchPath),
             platform::TextEncoding::System().Encode(
                 AssemblerBatchText(folder, folder + "servo001.", "C:\\a\\avrasm32.exe")));
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
