// The avrdude command lines of a programming, the calibration byte's EEPROM
// file and the programming's settings file.

#include "generator/avrdude_command.h"
#include "generator/hex_check.h"
#include "generator/programming_settings.h"

#include <QtTest>

using namespace generator;

Q_DECLARE_METATYPE(generator::ProgrammingSettings)
Q_DECLARE_METATYPE(generator::ProgrammingChoices)

namespace {

ProgrammingSettings Settings(const QString &programmer, const QString &port,
                             std::optional<int> baud, std::optional<int> address)
{
    ProgrammingSettings settings;
    settings.avrdudePath = QStringLiteral("/usr/bin/avrdude");
    settings.programmer = programmer;
    settings.port = port;
    settings.baudRate = baud;
    settings.calibrationAddress = address;
    return settings;
}

} // namespace

class AvrdudeCommandTest : public QObject {
    Q_OBJECT
private slots:
    void callsNameTheChipAndTheWorkFiles_data();
    void callsNameTheChipAndTheWorkFiles();
    void eepromFileHoldsItsBytesAlone_data();
    void eepromFileHoldsItsBytesAlone();
    void unusableSettingsAreRefused_data();
    void unusableSettingsAreRefused();
    void settingsFileReadsBackWhatWasSaved_data();
    void settingsFileReadsBackWhatWasSaved();
    void settingsFileIsReadTolerantly_data();
    void settingsFileIsReadTolerantly();
    void settingsFileIsSavedBesideTheOthers();
};

void AvrdudeCommandTest::callsNameTheChipAndTheWorkFiles_data()
{
    QTest::addColumn<ProgrammingSettings>("settings");
    QTest::addColumn<QStringList>("connection");
    QTest::addColumn<bool>("writesEeprom");

    QTest::newRow("USB programmer, avrdude's port")
        << Settings("usbasp", "", std::nullopt, 0) << QStringList{"-c", "usbasp"} << true;
    QTest::newRow("serial programmer with port and baud rate")
        << Settings("stk500v1", "/dev/ttyUSB0", 19200, 0)
        << QStringList{"-c", "stk500v1", "-P", "/dev/ttyUSB0", "-b", "19200"} << true;
    // Each value is one argument: no shell splits it at a blank.
    QTest::newRow("port with blanks and umlauts")
        << Settings("arduino", "/dev/serial/by-id/usb-Prüfgerät Nr 1-if00", 115200, 63)
        << QStringList{"-c", "arduino", "-P", "/dev/serial/by-id/usb-Prüfgerät Nr 1-if00", "-b",
                       "115200"}
        << true;
    QTest::newRow("network port with colons")
        << Settings("stk500v1", "net:127.0.0.1:40123", std::nullopt, 5)
        << QStringList{"-c", "stk500v1", "-P", "net:127.0.0.1:40123"} << true;
    QTest::newRow("Windows port, calibration byte not written")
        << Settings("avrisp2", "COM3", std::nullopt, std::nullopt)
        << QStringList{"-c", "avrisp2", "-P", "COM3"} << false;
}

// The files are the work folder's own plain names, whatever the HEX file's
// path; the signature check is avrdude's own (never -F); fuses and lock
// bits are never named; verifying is never turned off.
void AvrdudeCommandTest::callsNameTheChipAndTheWorkFiles()
{
    QFETCH(ProgrammingSettings, settings);
    QFETCH(QStringList, connection);
    QFETCH(bool, writesEeprom);

    const QStringList head = QStringList{"-p", "t15"} + connection;
    const QStringList read = head
        + QStringList{"-U", "signature:r:signature.bin:r", "-U", "calibration:r:calibration.bin:r"};
    QCOMPARE(ReadChipArguments(settings), read);
    QStringList write = head + QStringList{"-e", "-U", "flash:w:flash.hex:i"};
    if (writesEeprom)
        write << "-U" << "eeprom:w:eeprom.hex:i";
    QCOMPARE(WriteChipArguments(settings, writesEeprom), write);

    // The reads never erase or write.
    const QStringList eeprom{"-U", "signature:r:signature.bin:r", "-U", "eeprom:r:eeprom.bin:r"};
    QCOMPARE(ReadEepromArguments(settings), head + eeprom);
    for (const QString &argument : read + ReadEepromArguments(settings)
             + WriteChipArguments(settings, true)) {
        QVERIFY2(!QStringList({"-F", "-V", "-D", "-n", "-t"}).contains(argument),
                 qPrintable(argument));
        QVERIFY2(!argument.contains("fuse") && !argument.contains("lock"), qPrintable(argument));
    }
}

void AvrdudeCommandTest::eepromFileHoldsItsBytesAlone_data()
{
    QTest::addColumn<EepromBytes>("bytes");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("address 0, the example firmware's")
        << EepromBytes{{0, 0x5A}} << QByteArray(":010000005AA5\r\n:00000001FF\r\n");
    QTest::newRow("last address, byte 0")
        << EepromBytes{{63, 0x00}} << QByteArray(":01003F0000C0\r\n:00000001FF\r\n");
    QTest::newRow("byte FF") << EepromBytes{{17, 0xFF}}
                             << QByteArray(":01001100FFEF\r\n:00000001FF\r\n");
    // 17 bytes in a row take two records; a gap begins another.
    EepromBytes run;
    for (int address = 2; address < 19; ++address)
        run.insert(address, quint8(address));
    run.insert(40, 0xA5);
    QTest::newRow("template data and calibration byte")
        << run
        << QByteArray(":1000020002030405060708090A0B0C0D0E0F101156\r\n:0100120012DB\r\n"
                      ":01002800A532\r\n:00000001FF\r\n");
}

// avrdude writes and verifies only the bytes a file holds, so the other
// EEPROM bytes stay as the erase left them.
void AvrdudeCommandTest::eepromFileHoldsItsBytesAlone()
{
    QFETCH(EepromBytes, bytes);
    QFETCH(QByteArray, expected);

    const QByteArray hex = EepromHex(bytes);
    QCOMPARE(hex, expected);
    const auto image = ParseIntelHex(hex);
    QVERIFY(std::holds_alternative<HexImage>(image));
    EepromBytes read;
    for (const HexBlock &block : std::get<HexImage>(image)) {
        for (qsizetype i = 0; i < block.bytes.size(); ++i)
            read.insert(int(block.address + i), quint8(block.bytes.at(i)));
    }
    QCOMPARE(read, bytes);
}

void AvrdudeCommandTest::unusableSettingsAreRefused_data()
{
    QTest::addColumn<ProgrammingSettings>("settings");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("usable") << Settings("usbasp", "usb", std::nullopt, 0) << QString();
    QTest::newRow("no programmer") << Settings(" ", "usb", std::nullopt, 0)
                                   << "kein Programmer";
    QTest::newRow("programmer read as an option") << Settings("-F", "", std::nullopt, 0)
                                                  << "nicht mit \"-\" beginnen";
    QTest::newRow("port read as an option") << Settings("usbasp", "-F", std::nullopt, 0)
                                            << "nicht mit \"-\" beginnen";
    QTest::newRow("baud rate 0") << Settings("stk500v1", "COM3", 0, 0) << "Baudrate";
    QTest::newRow("address past the EEPROM") << Settings("usbasp", "", std::nullopt, 64)
                                             << "zwischen 0 und 63";
    QTest::newRow("negative address") << Settings("usbasp", "", std::nullopt, -1)
                                      << "zwischen 0 und 63";
}

void AvrdudeCommandTest::unusableSettingsAreRefused()
{
    QFETCH(ProgrammingSettings, settings);
    QFETCH(QString, refusal);
    const QString text = SettingsRefusal(settings);
    if (refusal.isEmpty())
        QCOMPARE(text, QString());
    else
        QVERIFY2(text.contains(refusal), qPrintable(text));
}

void AvrdudeCommandTest::settingsFileReadsBackWhatWasSaved_data()
{
    QTest::addColumn<ProgrammingChoices>("choices");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("defaults")
        << ProgrammingChoices{}
        << QByteArray("avrdude=\r\nprogrammer=\r\nanschluss=\r\nbaudrate=\r\nkalibrierbyte=0\r\n"
                      "nach-erzeugen=0\r\n");
    ProgrammingChoices full;
    full.settings = Settings("stk500v1", "/dev/serial/by-id/Prüfer 1", 19200, std::nullopt);
    full.settings.avrdudePath = "C:\\Programme\\avr dude\\avrdude.exe";
    full.afterEachRun = true;
    QTest::newRow("every value, inner blanks and umlauts kept")
        << full
        << QByteArray("avrdude=C:\\Programme\\avr dude\\avrdude.exe\r\nprogrammer=stk500v1\r\n"
                      "anschluss=/dev/serial/by-id/Pr\xc3\xbc" "fer 1\r\nbaudrate=19200\r\n"
                      "kalibrierbyte=keine\r\nnach-erzeugen=1\r\n");
}

void AvrdudeCommandTest::settingsFileReadsBackWhatWasSaved()
{
    QFETCH(ProgrammingChoices, choices);
    QFETCH(QByteArray, text);
    QCOMPARE(ProgrammingSettingsText(choices), text);
    QCOMPARE(ReadProgrammingSettingsText(text), choices);
}

void AvrdudeCommandTest::settingsFileIsReadTolerantly_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<ProgrammingChoices>("expected");

    ProgrammingChoices usbasp;
    usbasp.settings.programmer = "usbasp";
    QTest::newRow("LF, blanks around key and value, other order, unknown key")
        << QByteArray("kalibrierbyte = 0\nfarbe=blau\n Programmer = usbasp \n") << usbasp;
    QTest::newRow("unusable values keep the defaults")
        << QByteArray("programmer=usbasp\r\nbaudrate=schnell\r\nkalibrierbyte=64\r\n"
                      "nach-erzeugen=ja\r\nohne Gleichheitszeichen\r\n")
        << usbasp;
    // The dialog saves them trimmed; " -F" is then refused as "-F" is.
    ProgrammingChoices blanks = usbasp;
    blanks.settings.avrdudePath = "/opt/avr dude/avrdude";
    blanks.settings.port = "-F";
    QTest::newRow("blanks around a path and a port")
        << QByteArray("programmer=usbasp\navrdude= /opt/avr dude/avrdude \nanschluss= -F\t\n")
        << blanks;
    ProgrammingChoices address;
    address.settings.calibrationAddress = 12;
    address.settings.baudRate = 9600;
    QTest::newRow("byte order mark, lone CR")
        << QByteArray("\xef\xbb\xbf" "baudrate=9600\rkalibrierbyte=12") << address;
    QTest::newRow("empty file") << QByteArray() << ProgrammingChoices{};
}

void AvrdudeCommandTest::settingsFileIsReadTolerantly()
{
    QFETCH(QByteArray, text);
    QFETCH(ProgrammingChoices, expected);
    QCOMPARE(ReadProgrammingSettingsText(text), expected);
}

// The file goes beside pulsakor.ini, which keeps its bytes.
void AvrdudeCommandTest::settingsFileIsSavedBesideTheOthers()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + "/neu/";
    QCOMPARE(LoadProgrammingSettings(folder), ProgrammingChoices{});
    ProgrammingChoices choices;
    choices.settings = Settings("usbtiny", "usb", std::nullopt, 3);
    QVERIFY(SaveProgrammingSettings(folder, choices));
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"pulsakor-avrdude.ini"});
    QCOMPARE(LoadProgrammingSettings(folder), choices);
}

QTEST_GUILESS_MAIN(AvrdudeCommandTest)
#include "avrdude_command_test.moc"
