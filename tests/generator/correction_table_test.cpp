#include "generator/correction_table.h"
#include "generator/parameter_text.h"

#include <QtTest>

#include <optional>

using namespace generator;

namespace {

// Expected entries: every index from first to last holds value.
struct Span {
    int first;
    int last;
    int value;
};
using Spans = QList<Span>;

// The texts read and ordered; nullopt for texts that are refused.
std::optional<ServoParameters> OrderedFromTexts(const ParameterTexts &texts)
{
    const auto read = ReadServoParameters(texts);
    const auto *parameters = std::get_if<ServoParameters>(&read);
    if (!parameters)
        return std::nullopt;
    ServoParameters p = *parameters;
    OrderEndStops(p);
    return p;
}

ParameterTexts Texts(const char *supply, const char *end1, const char *end2, const char *pulse1,
                     const char *pulse2)
{
    return {QString::fromLatin1(supply), QString::fromLatin1(end1), QString::fromLatin1(end2),
            QString::fromLatin1(pulse1), QString::fromLatin1(pulse2), QStringLiteral("10")};
}

} // namespace

Q_DECLARE_METATYPE(generator::ParameterTexts)
Q_DECLARE_METATYPE(Spans)

class CorrectionTableTest : public QObject {
    Q_OBJECT
private slots:
    void ordersEndStops_data();
    void ordersEndStops();
    void holdsEntries_data();
    void holdsEntries();
    void matchesTheDefaultTableWhenEndStopsAreSwapped();
    void rejectsEntriesOutsideAByte_data();
    void rejectsEntriesOutsideAByte();
};

void CorrectionTableTest::ordersEndStops_data()
{
    QTest::addColumn<ServoParameters>("read");
    QTest::addColumn<ServoParameters>("ordered");

    const auto make = [](qint32 v1, qint32 v2, qint32 p1, qint32 p2) {
        ServoParameters p;
        p.supplyVoltage = 500;
        p.minEndVoltage = v1;
        p.maxEndVoltage = v2;
        p.minEndPulse = p1;
        p.maxEndPulse = p2;
        p.pwmCountText = QStringLiteral("10");
        return p;
    };
    QTest::newRow("already ordered") << make(50, 450, 100, 200) << make(50, 450, 100, 200);
    QTest::newRow("swapped, pulses travel along") << make(450, 50, 200, 100) << make(50, 450, 100, 200);
    QTest::newRow("reversed servo kept") << make(50, 450, 200, 100) << make(50, 450, 200, 100);
    QTest::newRow("equal voltages untouched") << make(251, 251, 200, 100) << make(251, 251, 200, 100);
}

void CorrectionTableTest::ordersEndStops()
{
    QFETCH(ServoParameters, read);
    QFETCH(ServoParameters, ordered);
    OrderEndStops(read);
    QCOMPARE(read, ordered);
}

void CorrectionTableTest::holdsEntries_data()
{
    QTest::addColumn<ParameterTexts>("texts");
    QTest::addColumn<Spans>("spans");

    QTest::newRow("defaults")
        << DefaultParameterTexts()
        << Spans{{0, 25, 100}, {26, 27, 100}, {28, 29, 101}, {127, 127, 149}, {128, 129, 150},
                 {229, 230, 199}, {231, 255, 200}};
    // Rounding down makes this differ from the mirror of the default table.
    QTest::newRow("reversed servo")
        << Texts("5000", "0500", "4500", "2000", "1000")
        << Spans{{0, 25, 200}, {26, 26, 199}, {28, 28, 198}, {128, 128, 150}, {229, 255, 100}};
    QTest::newRow("equal end stops between readings")
        << Texts("5000", "2510", "2510", "1000", "2000") << Spans{{0, 128, 100}, {129, 255, 200}};
    // Reading 200 lies exactly on both end stops: the interpolation would
    // divide 0 by 0; the reading counts as the lower end stop.
    QTest::newRow("equal end stops on a reading")
        << Texts("5120", "4000", "4000", "1000", "2000") << Spans{{0, 200, 100}, {201, 255, 200}};
    QTest::newRow("equal end stops on reading 0")
        << Texts("5120", "0", "0", "1500", "2000") << Spans{{0, 0, 150}, {1, 255, 200}};
    // q = -100/352 is rounded; at 201, t = 352 and s lands just below 100.
    QTest::newRow("reading exactly on the upper end stop")
        << Texts("5120", "0500", "4020", "2000", "1000")
        << Spans{{0, 25, 200}, {26, 26, 199}, {200, 200, 100}, {201, 201, 99}, {202, 255, 100}};
    QTest::newRow("supply 0") << Texts("0", "0500", "4500", "1000", "2000")
                              << Spans{{0, 255, 100}};
    QTest::newRow("supply rounding to 0") << Texts("-99", "0500", "4500", "1000", "2000")
                                          << Spans{{0, 255, 100}};
    QTest::newRow("negative supply stays below the end stops")
        << Texts("-5000", "0500", "4500", "1000", "2000") << Spans{{0, 255, 100}};
    QTest::newRow("entries 0 and 255") << Texts("2560", "0", "2550", "0", "2550")
                                       << Spans{{0, 0, 0}, {1, 1, 1}, {254, 254, 254}, {255, 255, 255}};
    QTest::newRow("small negative pulse still 0")
        << Texts("5000", "0500", "4500", "-9", "2000")
        << Spans{{0, 26, 0}, {27, 27, 1}, {28, 28, 2}, {231, 255, 200}};
    // 3000 µs lies beyond every reading, so only the interpolation counts.
    QTest::newRow("unused end stop outside a byte")
        << Texts("5000", "0500", "9000", "1000", "3000")
        << Spans{{0, 26, 100}, {250, 251, 203}, {255, 255, 205}};
}

void CorrectionTableTest::holdsEntries()
{
    QFETCH(ParameterTexts, texts);
    QFETCH(Spans, spans);

    const std::optional<ServoParameters> ordered = OrderedFromTexts(texts);
    QVERIFY(ordered);
    const auto built = BuildCorrectionTable(*ordered);
    QVERIFY(std::holds_alternative<CorrectionTable>(built));
    const CorrectionTable table = std::get<CorrectionTable>(built);
    for (const Span &span : spans) {
        for (int i = span.first; i <= span.last; ++i) {
            QVERIFY2(table[i] == span.value,
                     qPrintable(QStringLiteral("entry %1 is %2, expected %3")
                                    .arg(i).arg(table[i]).arg(span.value)));
        }
    }
}

void CorrectionTableTest::matchesTheDefaultTableWhenEndStopsAreSwapped()
{
    const std::optional<ServoParameters> defaults = OrderedFromTexts(DefaultParameterTexts());
    const std::optional<ServoParameters> swapped =
        OrderedFromTexts(Texts("5000", "4500", "0500", "2000", "1000"));
    QVERIFY(defaults && swapped);
    QCOMPARE(*swapped, *defaults);
    const auto defaultTable = BuildCorrectionTable(*defaults);
    const auto swappedTable = BuildCorrectionTable(*swapped);
    QVERIFY(std::holds_alternative<CorrectionTable>(defaultTable));
    QVERIFY(std::holds_alternative<CorrectionTable>(swappedTable));
    QVERIFY(std::get<CorrectionTable>(swappedTable) == std::get<CorrectionTable>(defaultTable));
}

void CorrectionTableTest::rejectsEntriesOutsideAByte_data()
{
    QTest::addColumn<ParameterTexts>("texts");
    QTest::addColumn<int>("index");
    QTest::addColumn<qint64>("value");

    QTest::newRow("lower pulse 2560 us") << Texts("5000", "0500", "4500", "2560", "2000") << 0
                                         << qint64(256);
    QTest::newRow("lower pulse -10 us") << Texts("5000", "0500", "4500", "-10", "2000") << 0
                                        << qint64(-1);
    QTest::newRow("upper pulse 2560 us") << Texts("5000", "0500", "4500", "1000", "2560") << 231
                                         << qint64(256);
    // Entry 201 of this table lies just below 0 through the rounding of q.
    QTest::newRow("interpolation just below 0")
        << Texts("5120", "0500", "4020", "1000", "0") << 201 << qint64(-1);
    QTest::newRow("interpolation at a reading on the end stop")
        << Texts("5000", "0", "4500", "3000", "2000") << 0 << qint64(300);
    QTest::newRow("largest field values")
        << Texts("5000", "0500", "4500", "-2147483648", "2147483647") << 0
        << qint64(-214748364);
}

void CorrectionTableTest::rejectsEntriesOutsideAByte()
{
    QFETCH(ParameterTexts, texts);
    QFETCH(int, index);
    QFETCH(qint64, value);

    const std::optional<ServoParameters> ordered = OrderedFromTexts(texts);
    QVERIFY(ordered);
    const auto built = BuildCorrectionTable(*ordered);
    QVERIFY(std::holds_alternative<TableRejection>(built));
    const TableRejection rejection = std::get<TableRejection>(built);
    QCOMPARE(rejection.index, index);
    QCOMPARE(rejection.value, value);
    const QString message = rejection.Message();
    QVERIFY2(message.contains(QStringLiteral("Index %1 ").arg(index))
                 && message.contains(QStringLiteral(" %1 ").arg(value)),
             qPrintable(message));
}

QTEST_GUILESS_MAIN(CorrectionTableTest)
#include "correction_table_test.moc"
