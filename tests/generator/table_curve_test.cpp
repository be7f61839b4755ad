// The curve is read back the way a person reads it: the tick labels of each
// axis say which pixel means which reading or pulse width, and the step line,
// the end-stop marks and the shading must say what the table says.

#include "generator/correction_table.h"
#include "generator/parameter_text.h"
#include "generator/table_curve.h"
#include "tests/support/expected_output.h"

#include <QtTest>

#include <QRegularExpression>
#include <QXmlStreamReader>

using namespace generator;

namespace {

struct Tick {
    double x;
    double y;
    QString label;
};

struct Mark {
    double cx = 0;
    double cy = 0;
    QString label;
};

struct Picture {
    QString error;
    QXmlStreamAttributes root;
    QString rootNamespace;
    QString steps;
    QMap<QString, QList<Tick>> ticks; // by axis id
    QMap<QString, std::pair<double, double>> shades; // id -> x, width
    QMap<QString, Mark> marks; // by end-stop id
    QStringList texts;
};

Picture ReadPicture(const QByteArray &svg)
{
    static const QRegularExpression translate(QStringLiteral("translate\\(([-\\d.]+),([-\\d.]+)\\)"));
    Picture picture;
    QXmlStreamReader reader(svg);
    QStringList groups; // ids of the open <g> elements ("" for none)
    std::optional<Tick> tick;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isEndElement() && reader.name() == u"g") {
            if (tick && groups.size() < 2)
                picture.error = QStringLiteral("a tick outside an axis");
            else if (tick)
                picture.ticks[groups.at(groups.size() - 2)].append(*tick);
            tick.reset();
            groups.removeLast();
        }
        if (!reader.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        const QString id = attributes.value(QLatin1String("id")).toString();
        const QString group = groups.isEmpty() ? QString() : groups.last();
        const auto number = [&](const char *name) {
            return attributes.value(QLatin1String(name)).toDouble();
        };
        if (reader.name() == u"svg") {
            picture.root = attributes;
            picture.rootNamespace = reader.namespaceUri().toString();
        } else if (reader.name() == u"g") {
            groups.append(id);
            if (attributes.value(QLatin1String("class")) == u"tick") {
                const auto match = translate.match(attributes.value(QLatin1String("transform")));
                tick = Tick{match.captured(1).toDouble(), match.captured(2).toDouble(), {}};
            }
        } else if (reader.name() == u"path" && id == u"table-steps") {
            picture.steps = attributes.value(QLatin1String("d")).toString();
        } else if (reader.name() == u"rect" && !id.isEmpty()) {
            picture.shades[id] = {number("x"), number("width")};
        } else if (reader.name() == u"circle") {
            picture.marks[group].cx = number("cx");
            picture.marks[group].cy = number("cy");
        } else if (reader.name() == u"text") {
            const QString text = reader.readElementText();
            picture.texts.append(text);
            if (tick)
                tick->label = text;
            else if (group.startsWith(u"end-stop"))
                picture.marks[group].label = text;
        }
    }
    if (reader.hasError())
        picture.error = reader.errorString();
    return picture;
}

// Pixel -> value through the first and last tick of an axis.
struct Axis {
    double pixel0 = 0, value0 = 0, pixel1 = 1, value1 = 1;

    Axis(const QList<Tick> &ticks, bool vertical, QChar separator)
    {
        if (ticks.size() < 2)
            return;
        const auto value = [&](const Tick &tick) {
            return QString(tick.label).remove(separator).toDouble();
        };
        pixel0 = vertical ? ticks.first().y : ticks.first().x;
        pixel1 = vertical ? ticks.last().y : ticks.last().x;
        value0 = value(ticks.first());
        value1 = value(ticks.last());
    }
    double operator()(double pixel) const
    {
        return value0 + (pixel - pixel0) / (pixel1 - pixel0) * (value1 - value0);
    }
};

// The horizontal segments of an "M x y H x V y H x ..." path: start, end, height.
struct Segment {
    double from, to, y;
};

QList<Segment> Segments(const QString &path)
{
    static const QRegularExpression command(QStringLiteral("([MHV])([-\\d.]+)(?: ([-\\d.]+))?"));
    QList<Segment> segments;
    double x = 0;
    double y = 0;
    for (auto it = command.globalMatch(path); it.hasNext();) {
        const auto match = it.next();
        const double value = match.captured(2).toDouble();
        if (match.captured(1) == u"M") {
            x = value;
            y = match.captured(3).toDouble();
        } else if (match.captured(1) == u"V") {
            y = value;
        } else {
            segments.append({x, value, y});
            x = value;
        }
    }
    return segments;
}

ParameterTexts Texts(const char *end1, const char *end2, const char *pulse1, const char *pulse2)
{
    return {QStringLiteral("5000"), QString::fromLatin1(end1), QString::fromLatin1(end2),
            QString::fromLatin1(pulse1), QString::fromLatin1(pulse2), QStringLiteral("10")};
}

// An expected end-stop mark; an empty label means none is drawn.
struct ExpectedMark {
    double reading;
    int pulse;
    QString label;
};

} // namespace

Q_DECLARE_METATYPE(generator::ParameterTexts)
Q_DECLARE_METATYPE(ExpectedMark)

class TableCurveTest : public QObject {
    Q_OBJECT
private slots:
    void saysWhatTheTableSays_data();
    void saysWhatTheTableSays();
};

void TableCurveTest::saysWhatTheTableSays_data()
{
    QTest::addColumn<ParameterTexts>("texts");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<ExpectedMark>("minMark");
    QTest::addColumn<ExpectedMark>("maxMark");
    // Shaded readings [first, end); first == end: no shading.
    QTest::addColumn<QPoint>("below");
    QTest::addColumn<QPoint>("above");

    const ExpectedMark low{25.6, 100, "0.50 V / 1.00 ms"};
    const ExpectedMark high{230.4, 200, "4.50 V / 2.00 ms"};
    QTest::newRow("defaults") << DefaultParameterTexts() << QChar(u'.') << low << high
                              << QPoint(0, 26) << QPoint(231, 256);
    QTest::newRow("end stops swapped: same picture")
        << Texts("4500", "0500", "2000", "1000") << QChar(u'.') << low << high << QPoint(0, 26)
        << QPoint(231, 256);
    QTest::newRow("reversed servo, comma")
        << Texts("0500", "4500", "2000", "1000") << QChar(u',')
        << ExpectedMark{25.6, 200, "0,50 V / 2,00 ms"} << ExpectedMark{230.4, 100, "4,50 V / 1,00 ms"}
        << QPoint(0, 26) << QPoint(231, 256);
    QTest::newRow("equal end stops: a step, all shaded")
        << Texts("2510", "2510", "1000", "2000") << QChar(u'.')
        << ExpectedMark{128.512, 100, "2.51 V / 1.00 ms"}
        << ExpectedMark{128.512, 200, "2.51 V / 2.00 ms"} << QPoint(0, 129) << QPoint(129, 256);
    QTest::newRow("end stop at 0 V: nothing below")
        << Texts("0000", "4500", "1000", "2000") << QChar(u'.')
        << ExpectedMark{0, 100, "0.00 V / 1.00 ms"} << high << QPoint(0, 0) << QPoint(231, 256);
    QTest::newRow("end stop beyond the supply: not drawn, nothing above")
        << Texts("0500", "6000", "1000", "2000") << QChar(u'.') << low << ExpectedMark{}
        << QPoint(0, 26) << QPoint(0, 0);
}

void TableCurveTest::saysWhatTheTableSays()
{
    QFETCH(ParameterTexts, texts);
    QFETCH(QChar, separator);
    QFETCH(ExpectedMark, minMark);
    QFETCH(ExpectedMark, maxMark);
    QFETCH(QPoint, below);
    QFETCH(QPoint, above);

    const auto [p, table] = testsupport::OrderedTableFor(texts);
    const QByteArray svg = BuildTableCurve(p, table, separator);
    const Picture picture = ReadPicture(svg);

    QVERIFY2(picture.error.isEmpty(), qPrintable(picture.error));
    QVERIFY(svg.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QCOMPARE(picture.rootNamespace, u"http://www.w3.org/2000/svg");
    QCOMPARE(picture.root.value(QLatin1String("version")), u"1.1");
    QCOMPARE(picture.root.value(QLatin1String("viewBox")),
             QStringLiteral("0 0 %1 %2").arg(picture.root.value(QLatin1String("width")),
                                             picture.root.value(QLatin1String("height"))));
    for (const char *caption : {"ADC-Wert", "Spannung am Poti [V]", "Impulsbreite [ms]"})
        QVERIFY2(picture.texts.contains(QString::fromUtf8(caption)), caption);

    const Axis reading(picture.ticks.value("x-axis"), false, separator);
    const Axis pulse(picture.ticks.value("y-axis"), true, separator);
    QVERIFY(picture.ticks.value("x-axis").size() >= 2);
    QCOMPARE(picture.ticks.value("x-axis").first().label, u"0");
    QCOMPARE(picture.ticks.value("x-axis").last().label, u"255");

    const QList<Segment> steps = Segments(picture.steps);
    QCOMPARE(steps.size(), 256);
    for (int i = 0; i < 256; ++i) {
        const Segment &step = steps.at(i);
        const QString where = QStringLiteral("entry %1").arg(i);
        QVERIFY2(qAbs(reading(step.from) - i) < 0.01, qPrintable(where));
        QVERIFY2(qAbs(reading(step.to) - (i + 1)) < 0.01, qPrintable(where));
        QVERIFY2(qAbs(pulse(step.y) - table[i]) < 0.05,
                 qPrintable(where + QStringLiteral(": %1").arg(pulse(step.y))));
    }

    // The volt scale on top agrees with the readings below.
    const QList<Tick> volts = picture.ticks.value("volt-axis");
    QVERIFY(volts.size() >= 2);
    for (const Tick &tick : volts) {
        const double volt = QString(tick.label).remove(separator).toDouble();
        QVERIFY2(qAbs(reading(tick.x) - volt * 256 / p.supplyVoltage) < 0.01,
                 qPrintable(tick.label));
    }

    const QList<std::pair<QString, ExpectedMark>> marks = {{"end-stop-min", minMark},
                                                           {"end-stop-max", maxMark}};
    for (const auto &[id, expected] : marks) {
        QCOMPARE(picture.marks.contains(id), !expected.label.isEmpty());
        if (expected.label.isEmpty())
            continue;
        const Mark mark = picture.marks.value(id);
        QCOMPARE(mark.label, expected.label);
        QVERIFY2(qAbs(reading(mark.cx) - expected.reading) < 0.01, qPrintable(id));
        QVERIFY2(qAbs(pulse(mark.cy) - expected.pulse) < 0.05, qPrintable(id));
    }

    const QList<std::pair<QString, QPoint>> shades = {{"below-min-end", below},
                                                      {"above-max-end", above}};
    for (const auto &[id, expected] : shades) {
        QCOMPARE(picture.shades.contains(id), expected.x() != expected.y());
        if (expected.x() == expected.y())
            continue;
        const auto [x, width] = picture.shades.value(id);
        QVERIFY2(qAbs(reading(x) - expected.x()) < 0.01, qPrintable(id));
        QVERIFY2(qAbs(reading(x + width) - expected.y()) < 0.01, qPrintable(id));
    }
}

QTEST_GUILESS_MAIN(TableCurveTest)
#include "table_curve_test.moc"
