#include "generator/correction_table.h"
#include "generator/number_format.h"
#include "generator/parameter_text.h"
#include "generator/table_listing.h"
#include "tests/support/expected_output.h"
#include "tests/support/test_data.h"

#include <QtTest>

using namespace generator;

namespace {

QString ListingFor(const ParameterTexts &texts, QChar decimalSeparator = u'.')
{
    return testsupport::ListingFor(texts, decimalSeparator);
}

ParameterTexts WithField(int index, const QString &text)
{
    ParameterTexts texts = DefaultParameterTexts();
    texts[index] = text;
    return texts;
}

// Lines without their CR LF; the text must end with CR LF and hold no other line ends.
QStringList Lines(const QString &listing)
{
    if (!listing.endsWith(QLatin1String("\r\n")))
        return {QStringLiteral("<listing does not end with CR LF>")};
    QStringList lines = listing.split(QLatin1String("\r\n"));
    lines.removeLast();
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(generator::ParameterTexts)

class TableListingTest : public QObject {
    Q_OBJECT
private slots:
    void matchesTheGoldenListingForDefaults();
    void showsTheChangedLines_data();
    void showsTheChangedLines();
    void usesTheDecimalSeparatorOnlyInTheComments();
    void formatsHundredths_data();
    void formatsHundredths();
};

void TableListingTest::matchesTheGoldenListingForDefaults()
{
    const QString expected = testsupport::GoldenListing();
    QCOMPARE(expected.size(), 1713);

    const QString listing = ListingFor(DefaultParameterTexts());
    QCOMPARE(listing.size(), 1713);
    QCOMPARE(Lines(listing).size(), 37);
    QCOMPARE(listing, expected);
}

void TableListingTest::showsTheChangedLines_data()
{
    QTest::addColumn<ParameterTexts>("texts");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("expected");

    const ParameterTexts swapped = {QStringLiteral("5000"), QStringLiteral("4500"),
                                    QStringLiteral("0500"), QStringLiteral("2000"),
                                    QStringLiteral("1000"), QStringLiteral("10")};
    QTest::newRow("swapped end stops, line 2")
        << swapped << 2 << ";Potianschlag: 0.50 Volt bei Impulsbreite 1.00 ms";
    QTest::newRow("swapped end stops, line 3")
        << swapped << 3 << ";Potianschlag: 4.50 Volt bei Impulsbreite 2.00 ms";

    const ParameterTexts reversed = {QStringLiteral("5000"), QStringLiteral("0500"),
                                     QStringLiteral("4500"), QStringLiteral("2000"),
                                     QStringLiteral("1000"), QStringLiteral("10")};
    QTest::newRow("reversed servo, line 2")
        << reversed << 2 << ";Potianschlag: 0.50 Volt bei Impulsbreite 2.00 ms";
    QTest::newRow("reversed servo, line 3")
        << reversed << 3 << ";Potianschlag: 4.50 Volt bei Impulsbreite 1.00 ms";
    QTest::newRow("reversed servo, first row")
        << reversed << 4 << ".db 200,200,200,200,200,200,200,200 ;000...007";

    QTest::newRow("negative end stop")
        << WithField(1, QStringLiteral("-500")) << 2
        << ";Potianschlag: -0.50 Volt bei Impulsbreite 1.00 ms";
    QTest::newRow("small negative end stop keeps its sign")
        << WithField(1, QStringLiteral("-50")) << 2
        << ";Potianschlag: -0.05 Volt bei Impulsbreite 1.00 ms";
    QTest::newRow("supply 12345") << WithField(0, QStringLiteral("12345")) << 1
                                  << ";Potispannung: 12.34 Volt";
    QTest::newRow("supply without thousands separator")
        << WithField(0, QStringLiteral("123456789")) << 1 << ";Potispannung: 123456.78 Volt";
    QTest::newRow("supply 0") << WithField(0, QStringLiteral("0")) << 1
                              << ";Potispannung: 0.00 Volt";

    const ParameterTexts fullRange = {QStringLiteral("2560"), QStringLiteral("0"),
                                      QStringLiteral("2550"), QStringLiteral("0"),
                                      QStringLiteral("2550"), QStringLiteral("10")};
    QTest::newRow("entry 0 without padding")
        << fullRange << 4 << ".db 0,1,2,3,4,5,6,7 ;000...007";
    QTest::newRow("entry 255, last row")
        << fullRange << 35 << ".db 248,249,250,251,252,253,254,255 ;248...255";

    QTest::newRow("PWM 010, comment") << WithField(5, QStringLiteral("010")) << 36
                                      << QStringLiteral(";PWM-Zählumfang: 010");
    QTest::newRow("PWM 010, data") << WithField(5, QStringLiteral("010")) << 37
                                   << QStringLiteral(".db 010,0   ;PWM-Zählumfang");
    QTest::newRow("empty PWM, comment") << WithField(5, QString()) << 36
                                        << QStringLiteral(";PWM-Zählumfang: ");
    QTest::newRow("empty PWM, data") << WithField(5, QString()) << 37
                                     << QStringLiteral(".db ,0   ;PWM-Zählumfang");
    QTest::newRow("PWM text verbatim")
        << WithField(5, QStringLiteral(" 1\t0 ")) << 37
        << QStringLiteral(".db  1\t0 ,0   ;PWM-Zählumfang");
}

void TableListingTest::showsTheChangedLines()
{
    QFETCH(ParameterTexts, texts);
    QFETCH(int, line);
    QFETCH(QString, expected);

    const QStringList lines = Lines(ListingFor(texts));
    QCOMPARE(lines.size(), 37);
    QCOMPARE(lines.at(line - 1), expected);
}

void TableListingTest::usesTheDecimalSeparatorOnlyInTheComments()
{
    const QString point = ListingFor(DefaultParameterTexts(), u'.');
    const QString comma = ListingFor(DefaultParameterTexts(), u',');
    const QStringList pointLines = Lines(point);
    const QStringList commaLines = Lines(comma);
    QCOMPARE(commaLines.size(), 37);
    QCOMPARE(commaLines.at(0), QStringLiteral(";Potispannung: 5,00 Volt"));
    QCOMPARE(commaLines.at(1), QStringLiteral(";Potianschlag: 0,50 Volt bei Impulsbreite 1,00 ms"));
    QCOMPARE(commaLines.at(2), QStringLiteral(";Potianschlag: 4,50 Volt bei Impulsbreite 2,00 ms"));
    QCOMPARE(commaLines.mid(3), pointLines.mid(3));
    QCOMPARE(comma.size(), point.size());
}

void TableListingTest::formatsHundredths_data()
{
    QTest::addColumn<qint64>("hundredths");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << qint64(0) << "0.00";
    QTest::newRow("one hundredth") << qint64(1) << "0.01";
    QTest::newRow("one tenth") << qint64(10) << "0.10";
    QTest::newRow("negative below one") << qint64(-50) << "-0.50";
    QTest::newRow("negative hundredth") << qint64(-1) << "-0.01";
    QTest::newRow("whole") << qint64(500) << "5.00";
    QTest::newRow("thousands") << qint64(123456) << "1234.56";
    QTest::newRow("lowest field value") << qint64(-2147483648LL) << "-21474836.48";
}

void TableListingTest::formatsHundredths()
{
    QFETCH(qint64, hundredths);
    QFETCH(QString, expected);
    QCOMPARE(FormatHundredths(hundredths, u'.'), expected);
}

QTEST_GUILESS_MAIN(TableListingTest)
#include "table_listing_test.moc"
