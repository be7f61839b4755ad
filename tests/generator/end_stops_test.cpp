#include "generator/end_stops.h"

#include <QtTest>

using namespace generator;

namespace {

// A teach-in EEPROM: the calibration byte, the three given bytes at 1..3,
// the rest erased.
QByteArray Image(quint8 lowest, quint8 highest, quint8 check, qsizetype size = 64)
{
    QByteArray image(size, char(0xFF));
    const char head[] = {char(0x5A), char(lowest), char(highest), char(check)};
    image.replace(0, qMin<qsizetype>(size, 4), QByteArray(head, qMin<qsizetype>(size, 4)));
    return image;
}

QByteArray Taught(quint8 lowest, quint8 highest)
{
    return Image(lowest, highest, quint8(lowest ^ highest ^ 0xA5));
}

} // namespace

Q_DECLARE_METATYPE(EndStopOutcome)

class EndStopsTest : public QObject {
    Q_OBJECT
private slots:
    void judgesTheImage_data();
    void judgesTheImage();
};

void EndStopsTest::judgesTheImage_data()
{
    QTest::addColumn<QByteArray>("eeprom");
    QTest::addColumn<QString>("supply");
    QTest::addColumn<EndStopOutcome>("outcome");
    QTest::addColumn<QString>("end1");
    QTest::addColumn<QString>("end2");
    QTest::addColumn<QString>("message");

    using O = EndStopOutcome;
    QTest::newRow("normal") << Taught(31, 225) << "5000" << O::Taught << "0610"
                            << "4390"
                            << "Messwerte 31 und 225";
    // 25 × 500 / 256 = 48.83; 128 × 1 / 256 is exactly half and goes up;
    // the supply counts in 10 mV as the table reads it, so 4999 is 4990.
    QTest::newRow("rounding to 10 mV") << Taught(25, 255) << "5000" << O::Taught << "0490"
                                       << "4980"
                                       << "5000 mV";
    QTest::newRow("exact half rounds up") << Taught(128, 129) << "10" << O::Taught << "0010"
                                          << "0010"
                                          << "";
    QTest::newRow("supply truncated like the field")
        << Taught(0, 255) << "4999" << O::Taught << "0000"
        << "4970"
        << "4990 mV";
    QTest::newRow("beyond four digits") << Taught(1, 255) << "20000" << O::Taught << "0080"
                                        << "19920"
                                        << "";
    QTest::newRow("erased") << Image(0xFF, 0xFF, 0xFF) << "5000" << O::NothingTaught << ""
                            << ""
                            << "noch keine Endlagen";
    QTest::newRow("never moved") << Taught(90, 90) << "5000" << O::NothingTaught << ""
                                 << ""
                                 << "nicht bewegt";
    QTest::newRow("check byte wrong") << Image(31, 225, 0x00) << "5000" << O::Damaged << ""
                                      << ""
                                      << "Prüfbyte";
    QTest::newRow("torn: highest written, check not yet")
        << Image(0xFF, 200, 0xFF) << "5000" << O::Damaged << ""
        << ""
        << "Prüfbyte";
    QTest::newRow("reversed") << Taught(200, 30) << "5000" << O::Damaged << ""
                              << ""
                              << "(200) liegt über dem größten (30)";
    QTest::newRow("short image") << Taught(31, 225).left(3) << "5000" << O::ImageIncomplete << ""
                                 << ""
                                 << "nur 3 von 64 Bytes";
    QTest::newRow("supply beyond double") << Taught(31, 225) << "1e999" << O::SupplyRefused << ""
                                          << ""
                                          << "Betriebsspannung des AVR und Poti";
    QTest::newRow("supply below 10 mV") << Taught(31, 225) << "9" << O::SupplyRefused << ""
                                        << ""
                                        << "über 0";
}

void EndStopsTest::judgesTheImage()
{
    QFETCH(QByteArray, eeprom);
    QFETCH(QString, supply);
    QFETCH(EndStopOutcome, outcome);
    QFETCH(QString, end1);
    QFETCH(QString, end2);
    QFETCH(QString, message);

    const EndStops result = ReadEndStops(eeprom, supply);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.end1Text, end1);
    QCOMPARE(result.end2Text, end2);
    QVERIFY2(result.message.contains(message), qPrintable(result.message));
    // Every answer but the voltages says what to do next.
    if (outcome != EndStopOutcome::Taught && outcome != EndStopOutcome::SupplyRefused)
        QVERIFY2(result.message.contains(QStringLiteral("Bitte")), qPrintable(result.message));
}

QTEST_GUILESS_MAIN(EndStopsTest)
#include "end_stops_test.moc"
