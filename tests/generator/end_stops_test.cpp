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
    void refusesTeachInBeforeAvrdude();
};

void EndStopsTest::judgesTheImage_data()
{
    QTest::addColumn<QByteArray>("head"); // calibration, lowest, highest, check byte; the rest
    QTest::addColumn<QString>("supply");  // erased; a shorter head is the whole image
    QTest::addColumn<EndStopOutcome>("outcome");
    QTest::addColumn<QStringList>("ends"); // the texts for the two end-stop fields
    QTest::addColumn<QString>("message");
    const auto row = [](const char *name, const QByteArray &head, const QString &supply,
                        EndStopOutcome outcome, const QString &end1, const QString &end2,
                        const QString &message) {
        QTest::newRow(name) << QByteArray::fromHex(head) << supply << outcome
                            << QStringList{end1, end2} << message;
    };
    using O = EndStopOutcome;
    row("normal", "5a1fe15b", "5000", O::Taught, "0610", "4390", "Messwerte 31 und 225");
    // 31 × 500 / 256 = 60.55 rounds; 128 × 1 / 256 is exactly half and goes up;
    // the supply counts in 10 mV as the table reads it, so 4999 is 4990.
    row("half up", "5a8081a4", "10", O::Taught, "0010", "0010", "");
    row("supply as the field reads it", "5a00ff5a", "4999", O::Taught, "0000", "4970", "4990 mV");
    row("beyond four digits", "5a01ff5b", "20000", O::Taught, "0080", "19920", "");
    row("erased", "5affffff", "5000", O::NothingTaught, "", "", "noch keine Endlagen");
    row("never moved", "5a5a5aa5", "5000", O::NothingTaught, "", "", "nicht bewegt");
    row("torn: check byte not yet written", "5a1fc8ff", "5000", O::Damaged, "", "", "Prüfbyte");
    row("reversed", "5ac81e73", "5000", O::Damaged, "", "", "(200) liegt über dem größten (30)");
    row("short image", "5a1fe1", "5000", O::ImageIncomplete, "", "", "nur 3 von 64 Bytes");
    row("supply beyond double", "5a1fe15b", "1e999", O::SupplyRefused, "", "",
        "Betriebsspannung des AVR und Poti");
    row("supply below 10 mV", "5a1fe15b", "9", O::SupplyRefused, "", "", "über 0");
}

void EndStopsTest::judgesTheImage()
{
    QFETCH(QByteArray, head);
    QFETCH(QString, supply);
    QFETCH(EndStopOutcome, outcome);
    QFETCH(QStringList, ends);
    QFETCH(QString, message);
    const QByteArray eeprom = head.size() == 4 ? head.leftJustified(kEepromSize, char(0xFF)) : head;
    const EndStops result = ReadEndStops(eeprom, supply);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(QStringList({result.end1Text, result.end2Text}), ends);
    QVERIFY2(result.message.contains(message), qPrintable(result.message));
}

// Refused before anything starts: no avrdude is asked, no log is begun.
void EndStopsTest::refusesTeachInBeforeAvrdude()
{
    const auto program = [](const QString &firmware, int calibrationAddress) {
        ProgrammingHost host;
        return ProgramTeachInFirmware(
            {"avrdude-that-is-not-there", "usbasp", {}, {}, calibrationAddress}, firmware,
            "never-written.log", host);
    };
    const ProgrammingResult missing = program(QString(), 0);
    QCOMPARE(missing.outcome, ProgrammingOutcome::FileFailed);
    QVERIFY2(missing.message.contains("einlernen.hex"), qPrintable(missing.message));
    // The calibration byte where the highest reading goes.
    const ProgrammingResult overlap = program("einlernen.hex", 2);
    QCOMPARE(overlap.outcome, ProgrammingOutcome::SettingsRefused);
    QVERIFY2(overlap.message.contains("EEPROM-Adresse 2"), qPrintable(overlap.message));
    QVERIFY(missing.logPath.isEmpty() && overlap.logPath.isEmpty());
    QVERIFY(!QFileInfo::exists("never-written.log"));
}

QTEST_GUILESS_MAIN(EndStopsTest)
#include "end_stops_test.moc"
