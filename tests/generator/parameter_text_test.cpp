#include "generator/parameter_text.h"

#include <QtTest>

#include <clocale>
#include <limits>

using namespace generator;

class ParameterTextTest : public QObject {
    Q_OBJECT
private slots:
    void readsFieldText_data();
    void readsFieldText();
    void readsRarerForms_data();
    void readsRarerForms();
    void rejectsValuesOutsideTheField_data();
    void rejectsValuesOutsideTheField();
    void namesTheRejectedField_data();
    void namesTheRejectedField();
    void readsFieldsInIndexOrder();
    void ignoresTheProcessNumberLocale();
};

void ParameterTextTest::readsFieldText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("5000") << "5000" << 500;
    QTest::newRow("leading zero 0500") << "0500" << 50;
    QTest::newRow("4999 truncates") << "4999" << 499;
    QTest::newRow("2005 truncates") << "2005" << 200;
    // Dividing by 10 hides the rounding of halves everywhere but at the
    // bottom of the range, where half away from zero leaves it.
    QTest::newRow("25.5 gives 2") << "25.5" << 2;
    QTest::newRow("24.5 gives 2") << "24.5" << 2;
    QTest::newRow("2.5 gives 0") << "2.5" << 0;
    QTest::newRow("-15 truncates toward zero") << "-15" << -1;
    QTest::newRow("-9 gives 0") << "-9" << 0;
    QTest::newRow("rounded before dividing") << "9.5" << 1;
    QTest::newRow("negative half rounded before dividing") << "-9.5" << -1;
    QTest::newRow("negative below half") << "-9.4" << 0;
    QTest::newRow("-500") << "-500" << -50;
    QTest::newRow("plus sign") << "+5000" << 500;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("abc") << "abc" << 0;
    QTest::newRow("blanks before") << " 5000" << 500;
    QTest::newRow("blank inside") << "5 000" << 500;
    QTest::newRow("tab and line feed inside") << "5\t0\n00" << 500;
    QTest::newRow("blank between sign and digits") << "- 500" << -50;
    QTest::newRow("comma stops the number") << "5,0" << 0;
    QTest::newRow("comma after thousands") << "5,500" << 0;
    QTest::newRow("trailing text") << "5000mV" << 500;
    QTest::newRow("carriage return stops") << "50\r00" << 5;
    QTest::newRow("non-ASCII stops") << "50\u00b500" << 5;
    QTest::newRow("leading point") << ".5e3" << 50;
    QTest::newRow("trailing point") << "5000." << 500;
    QTest::newRow("point alone") << "." << 0;
    QTest::newRow("sign alone") << "-" << 0;
    QTest::newRow("exponent") << "5E3" << 500;
    QTest::newRow("exponent lower case, signed") << "50000e-1" << 500;
    QTest::newRow("exponent without digits ends before it") << "5000E" << 500;
    QTest::newRow("exponent sign without digits") << "5000e+x" << 500;
    QTest::newRow("exponent underflows to 0") << "1e-999" << 0;
    QTest::newRow("largest field value") << "2147483647" << 214748364;
    QTest::newRow("smallest field value") << "-2147483648" << -214748364;
    QTest::newRow("just below the top rounds into range") << "2147483647.4" << 214748364;
    QTest::newRow("half below the bottom rounds to even, into range")
        << "-2147483648.5" << -214748364;
}

void ParameterTextTest::readsFieldText()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    const std::optional<qint32> value = ParseParameterText(text);
    QVERIFY(value.has_value());
    QCOMPARE(*value, expected);
}

void ParameterTextTest::readsRarerForms_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("&H hexadecimal") << "&H1388" << 500;
    QTest::newRow("&h with lower-case digits") << "&h1f4" << 50;
    QTest::newRow("&O octal") << "&O11610" << 500;
    QTest::newRow("&o stops at 8") << "&o7780" << 6;
    QTest::newRow("&H without digits") << "&H" << 0;
    QTest::newRow("&H stops at non-hex") << "&H64G0" << 10;
    QTest::newRow("blank inside &H") << "& H 64" << 10;
    QTest::newRow("sign before &H is no number") << "-&H10" << 0;
    QTest::newRow("other letter after &") << "&B101" << 0;
    QTest::newRow("D exponent") << "5D3" << 500;
    QTest::newRow("d exponent with sign") << "50000d-1" << 500;
    QTest::newRow("long digit string")
        << "1000.000000000000000000000000000000000000000000000000000000000000000001" << 100;
    QTest::newRow("many leading zeros") << "0000000000000000000000000000000000000000005000" << 500;
}

void ParameterTextTest::readsRarerForms()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    const std::optional<qint32> value = ParseParameterText(text);
    QVERIFY(value.has_value());
    QCOMPARE(*value, expected);
}

void ParameterTextTest::rejectsValuesOutsideTheField_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("1e999 is infinite") << "1e999";
    QTest::newRow("-1e999") << "-1e999";
    QTest::newRow("huge exponent") << "1e99999999999999999999999";
    QTest::newRow("one above the top") << "2147483648";
    QTest::newRow("rounds above the top") << "2147483647.5";
    QTest::newRow("one below the bottom") << "-2147483649";
    QTest::newRow("large hexadecimal") << "&HFFFFFFFFFF";
    QTest::newRow("400 digits") << QString(400, u'9');
}

void ParameterTextTest::rejectsValuesOutsideTheField()
{
    QFETCH(QString, text);
    QVERIFY(!ParseParameterText(text).has_value());
}

void ParameterTextTest::namesTheRejectedField_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("fieldName");

    QTest::newRow("supply") << 0 << "Betriebsspannung des AVR und Poti";
    QTest::newRow("first end stop") << 1 << "Spannung am Poti in der einen Endlage";
    QTest::newRow("second end stop") << 2 << "Spannung am Poti in der anderen Endlage";
    QTest::newRow("first pulse") << 3 << "Impulsbreite am Kanalimpuls (eine Endlage)";
    QTest::newRow("second pulse") << 4 << "Impulsbreite am Kanalimpuls (andere Endlage)";
}

void ParameterTextTest::namesTheRejectedField()
{
    QFETCH(int, field);
    QFETCH(QString, fieldName);
    ParameterTexts texts = DefaultParameterTexts();
    texts[field] = QStringLiteral("1e999");
    const auto read = ReadServoParameters(texts);
    QVERIFY(std::holds_alternative<FieldRejection>(read));
    const FieldRejection rejection = std::get<FieldRejection>(read);
    QCOMPARE(rejection.fieldIndex, field);
    QVERIFY2(rejection.message.contains(u'"' + fieldName + u'"'), qPrintable(rejection.message));
    QVERIFY(rejection.message.contains(QStringLiteral("1e999")));
}

void ParameterTextTest::readsFieldsInIndexOrder()
{
    const ParameterTexts texts = {QStringLiteral("5120"), QStringLiteral("4020"),
                                  QStringLiteral("0500"), QStringLiteral("2000"),
                                  QStringLiteral("1000"), QStringLiteral(" 010 ")};
    const auto read = ReadServoParameters(texts);
    QVERIFY(std::holds_alternative<ServoParameters>(read));
    const ServoParameters p = std::get<ServoParameters>(read);
    QCOMPARE(p.supplyVoltage, 512);
    // Not yet ordered: each field stays where it was typed.
    QCOMPARE(p.minEndVoltage, 402);
    QCOMPARE(p.maxEndVoltage, 50);
    QCOMPARE(p.minEndPulse, 200);
    QCOMPARE(p.maxEndPulse, 100);
    QCOMPARE(p.pwmCountText, QStringLiteral(" 010 "));

    // The first field that cannot be held is the one reported.
    ParameterTexts bad = texts;
    bad[1] = QStringLiteral("9e9");
    bad[3] = QStringLiteral("9e9");
    const auto readBad = ReadServoParameters(bad);
    QVERIFY(std::holds_alternative<FieldRejection>(readBad));
    QCOMPARE(std::get<FieldRejection>(readBad).fieldIndex, 1);
}

void ParameterTextTest::ignoresTheProcessNumberLocale()
{
    // The window's QApplication sets the C locale from the environment; a
    // German number locale must not change how "2.5e3" reads (strtod there
    // would stop at the point and give 2). Where no German locale is
    // installed, one is built for this process: that needs no root.
    const QByteArray previous = std::setlocale(LC_NUMERIC, nullptr);
    QTemporaryDir locales;
    QVERIFY(locales.isValid());
    bool switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    if (!switched && QProcess::execute(QStringLiteral("localedef"),
                                       {"-i", "de_DE", "-c", "-f", "UTF-8",
                                        locales.filePath("de_DE.UTF-8")}) == 0) {
        qputenv("LOCPATH", QFile::encodeName(locales.path()));
        switched = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    if (!switched) {
        qunsetenv("LOCPATH");
        QSKIP("no German locale, and localedef cannot build one");
    }
    QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray(","));
    const std::optional<qint32> value = ParseParameterText(QStringLiteral("2.5e3"));
    const double fraction = LeadingNumber(QStringLiteral("0.25e1"));
    qunsetenv("LOCPATH");
    std::setlocale(LC_NUMERIC, previous.constData());
    QCOMPARE(value, std::optional<qint32>(250));
    QCOMPARE(fraction, 2.5);
}

QTEST_GUILESS_MAIN(ParameterTextTest)
#include "parameter_text_test.moc"
