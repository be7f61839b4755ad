#include "generator/end_stops.h"

#include <QtTest>

using namespace generator;

Q_DECLARE_METATYPE(EndStopOutcome)
Q_DECLARE_METATYPE(ProgrammingOutcome)

class EndStopsTest : public QObject {
    Q_OBJECT
private slots:
    void judgesTheImage_data();
    void judgesTheImage();
    void refusesTeachInBeforeAvrdude_data();
    void refusesTeachInBeforeAvrdude();
};

void EndStopsTest::judgesTheImage_data()
{
    // The calibration byte, lowest, highest and check byte in hex; the rest
    // of the 64 bytes erased. A shorter head is the whole image.
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("supply");
    QTest::addColumn<EndStopOutcome>("outcome");
    QTest::addColumn<QString>("end1");
    QTest::addColumn<QString>("end2");
    QTest::addColumn<QString>("message");

    using O = EndStopOutcome;
    QTest::newRow("normal") << QByteArray("5a1fe15b") << "5000" << O::Taught << "0610"
                            << "4390"
                            << "Messwerte 31 und 225";
    // 25 × 500 / 256 = 48.83; 128 × 1 / 256 is exactly half and goes up; the
    // supply counts in 10 mV as the table reads it, so 4999 is 4990.
    QTest::newRow("rounding") << QByteArray("5a19ff43") << "5000" << O::Taught << "0490"
                              << "4980"
                              << "5000 mV";
    QTest::newRow("half up") << QByteArray("5a8081a4") << "10" << O::Taught << "0010"
                             << "0010"
                             << "";
    QTest::newRow("supply as the field reads it")
        << QByteArray("5a00ff5a") << "4999" << O::Taught << "0000"
        << "4970"
        << "4990 mV";
    QTest::newRow("beyond four digits") << QByteArray("5a01ff5b") << "20000" << O::Taught << "0080"
                                        << "19920"
                                        << "";
    QTest::newRow("erased") << QByteArray("5affffff") << "5000" << O::NothingTaught << ""
                            << ""
                            << "noch keine Endlagen";
    QTest::newRow("never moved") << QByteArray("5a5a5aa5") << "5000" << O::NothingTaught << ""
                                 << ""
                                 << "nicht bewegt";
    QTest::newRow("torn: check byte not yet written")
        << QByteArray("5a1fc8ff") << "5000" << O::Damaged << ""
        << ""
        << "Prüfbyte";
    QTest::newRow("reversed") << QByteArray("5ac81e73") << "5000" << O::Damaged << ""
                              << ""
                              << "(200) liegt über dem größten (30)";
    QTest::newRow("short image") << QByteArray("5a1fe1") << "5000" << O::ImageIncomplete << ""
                                 << ""
                                 << "nur 3 von 64 Bytes";
    QTest::newRow("supply beyond double")
        << QByteArray("5a1fe15b") << "1e999" << O::SupplyRefused << ""
        << ""
        << "Betriebsspannung des AVR und Poti";
    QTest::newRow("supply below 10 mV") << QByteArray("5a1fe15b") << "9" << O::SupplyRefused << ""
                                        << ""
                                        << "über 0";
}

void EndStopsTest::judgesTheImage()
{
    QFETCH(QByteArray, head);
    QFETCH(QString, supply);
    QFETCH(EndStopOutcome, outcome);
    QFETCH(QString, end1);
    QFETCH(QString, end2);
    QFETCH(QString, message);

    QByteArray eeprom = QByteArray::fromHex(head);
    if (eeprom.size() == 4)
        eeprom.append(QByteArray(kEepromSize - 4, char(0xFF)));
    const EndStops result = ReadEndStops(eeprom, supply);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.end1Text, end1);
    QCOMPARE(result.end2Text, end2);
    QVERIFY2(result.message.contains(message), qPrintable(result.message));
}

// Refused before anything starts: no avrdude is asked, no log is begun.
void EndStopsTest::refusesTeachInBeforeAvrdude_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<int>("calibrationAddress");
    QTest::addColumn<ProgrammingOutcome>("outcome");
    QTest::addColumn<QString>("message");
    QTest::newRow("firmware not found")
        << QString() << 0 << ProgrammingOutcome::FileFailed << "einlernen.hex";
    QTest::newRow("calibration byte where the highest reading goes")
        << "einlernen.hex" << 2 << ProgrammingOutcome::SettingsRefused << "EEPROM-Adresse 2";
}

void EndStopsTest::refusesTeachInBeforeAvrdude()
{
    QFETCH(QString, firmware);
    QFETCH(int, calibrationAddress);
    QFETCH(ProgrammingOutcome, outcome);
    QFETCH(QString, message);
    ProgrammingSettings settings{"avrdude-that-is-not-there", "usbasp", {}, {}, calibrationAddress};
    ProgrammingHost host;
    const ProgrammingResult result =
        ProgramTeachInFirmware(settings, firmware, "never-written.log", host);
    QCOMPARE(result.outcome, outcome);
    QVERIFY2(result.message.contains(message), qPrintable(result.message));
    QVERIFY(result.logPath.isEmpty());
    QVERIFY(!QFileInfo::exists("never-written.log"));
}

QTEST_GUILESS_MAIN(EndStopsTest)
#include "end_stops_test.moc"
