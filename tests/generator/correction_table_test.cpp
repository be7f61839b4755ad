#include "generator/correction_table.h"
#include "generator/parameter_text.h"
#include "generator/table_listing.h"

#include <QtTest>

using namespace generator;

class CorrectionTableTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsGiveTheWorkedExample();
};

void CorrectionTableTest::defaultsGiveTheWorkedExample()
{
    auto read = ReadServoParameters(DefaultParameterTexts());
    ServoParameters p = std::get<ServoParameters>(read);
    OrderEndStops(p);
    const auto table = std::get<CorrectionTable>(BuildCorrectionTable(p));
    QCOMPARE(table[26], 100);
    QCOMPARE(table[28], 101);
    QCOMPARE(table[128], 150);
    QCOMPARE(table[230], 199);
    QCOMPARE(BuildTableListing(p, table, u'.').size(), 1713);
}

QTEST_GUILESS_MAIN(CorrectionTableTest)
#include "correction_table_test.moc"
