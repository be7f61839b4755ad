#include "generator/table_curve.h"

#include "generator/number_format.h"

#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace generator {

namespace {

// Geometry in px. A reading is 2.5 px wide; the room around the plot holds
// the tick labels and the axis captions.
constexpr int kPictureWidth = 740;
constexpr int kPictureHeight = 420;
constexpr double kPlotLeft = 72;
constexpr double kPlotTop = 60;
constexpr double kPlotWidth = 640;
constexpr double kPlotHeight = 300;
constexpr double kPlotRight = kPlotLeft + kPlotWidth;
constexpr double kPlotBottom = kPlotTop + kPlotHeight;
constexpr double kReadingWidth = kPlotWidth / 256;
constexpr double kTickLength = 5;
// A generous width of one character of the 12 px labels, to keep the
// end-stop labels inside the plot.
constexpr double kLabelCharacterWidth = 7.5;

const QString kFontFamily = QStringLiteral("DejaVu Sans, Verdana, Arial, Helvetica, sans-serif");
const QString kStepColour = QStringLiteral("#1f5fa8");
const QString kMarkColour = QStringLiteral("#b03a2e");
const QString kShadeColour = QStringLiteral("#f1e4c9");
const QString kGridColour = QStringLiteral("#dddddd");
const QString kAxisColour = QStringLiteral("#444444");

// Coordinates in hundredths of a pixel, always with a point and without
// trailing zeros, so the same table gives the same bytes everywhere.
QString Number(double value)
{
    QString text = FormatHundredths(std::llround(value * 100), u'.');
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

qint64 FloorDivision(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

qint64 CeilingDivision(qint64 a, qint64 b)
{
    return -FloorDivision(-a, b);
}

// The smallest of 1, 2, 5, 10, 20, ... that divides `span` into at most
// `maxSteps` steps.
qint64 TickStep(qint64 span, int maxSteps)
{
    for (qint64 power = 1;; power *= 10) {
        for (const qint64 factor : {1, 2, 5}) {
            if (span <= factor * power * maxSteps)
                return factor * power;
        }
    }
}

// The pulse axis in units of 10 µs (hundredths of a ms): whole ticks at both
// ends with at least half a tick of room above and below the curve for the
// end-stop labels.
struct PulseScale {
    qint64 low;
    qint64 high;
    qint64 step;

    double Y(qint64 pulse) const
    {
        return kPlotBottom - double(pulse - low) / double(high - low) * kPlotHeight;
    }
};

PulseScale MakePulseScale(qint64 lowest, qint64 highest)
{
    const qint64 step = TickStep(std::max<qint64>(highest - lowest, 10), 6);
    qint64 low = FloorDivision(2 * lowest - step, 2 * step) * step;
    const qint64 high = CeilingDivision(2 * highest + step, 2 * step) * step;
    if (lowest >= 0)
        low = std::max<qint64>(low, 0);
    return {low, high, step};
}

double X(double reading)
{
    return kPlotLeft + reading * kReadingWidth;
}

// Where the wiper voltage `voltage` (10 mV) lies on the reading axis: reading
// i stands for supply / 256 × i.
double ReadingOfVoltage(qint64 voltage, qint32 supply)
{
    return double(voltage) * 256.0 / double(supply);
}

bool OnReadingAxis(double reading)
{
    return reading >= 0 && reading <= 256;
}

QString Translate(double x, double y)
{
    return QStringLiteral("translate(%1,%2)").arg(Number(x), Number(y));
}

// An empty element with its coordinates; further attributes may follow.
void WriteShape(QXmlStreamWriter &svg, const QString &name,
                std::initializer_list<std::pair<const char *, double>> coordinates)
{
    svg.writeEmptyElement(name);
    for (const auto &[attribute, value] : coordinates)
        svg.writeAttribute(QLatin1String(attribute), Number(value));
}

void WriteLine(QXmlStreamWriter &svg, double x1, double y1, double x2, double y2)
{
    WriteShape(svg, QStringLiteral("line"), {{"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}});
}

void WriteRect(QXmlStreamWriter &svg, double x, double y, double width, double height)
{
    WriteShape(svg, QStringLiteral("rect"),
               {{"x", x}, {"y", y}, {"width", width}, {"height", height}});
}

void WriteText(QXmlStreamWriter &svg, double x, double y, const QString &anchor,
               const QString &text)
{
    svg.writeStartElement(QStringLiteral("text"));
    svg.writeAttribute(QStringLiteral("x"), Number(x));
    svg.writeAttribute(QStringLiteral("y"), Number(y));
    svg.writeAttribute(QStringLiteral("text-anchor"), anchor);
    // Text inherits the lines' stroke otherwise.
    svg.writeAttribute(QStringLiteral("stroke"), QStringLiteral("none"));
    svg.writeCharacters(text);
    svg.writeEndElement();
}

// One tick: a group moved to the tick's place on its axis, holding the tick
// line from (0,0) to (dx,dy) and the label at (tx,ty).
void WriteTick(QXmlStreamWriter &svg, double x, double y, double dx, double dy, double tx,
               double ty, const QString &anchor, const QString &label)
{
    svg.writeStartElement(QStringLiteral("g"));
    svg.writeAttribute(QStringLiteral("class"), QStringLiteral("tick"));
    svg.writeAttribute(QStringLiteral("transform"), Translate(x, y));
    WriteLine(svg, 0, 0, dx, dy);
    WriteText(svg, tx, ty, anchor, label);
    svg.writeEndElement();
}

void StartGroup(QXmlStreamWriter &svg, const QString &id)
{
    svg.writeStartElement(QStringLiteral("g"));
    svg.writeAttribute(QStringLiteral("id"), id);
}

void WriteShade(QXmlStreamWriter &svg, const QString &id, int first, int last)
{
    WriteRect(svg, X(first), kPlotTop, (last + 1 - first) * kReadingWidth, kPlotHeight);
    svg.writeAttribute(QStringLiteral("id"), id);
}

// The readings that hold an end stop's pulse width. The reading voltage runs
// one way along the axis, so each range is one block of readings.
void WriteShading(QXmlStreamWriter &svg, const ServoParameters &p)
{
    StartGroup(svg, QStringLiteral("shading"));
    svg.writeAttribute(QStringLiteral("fill"), kShadeColour);
    for (const auto &[range, id] :
         {std::pair{ReadingRange::BelowMinEnd, QStringLiteral("below-min-end")},
          std::pair{ReadingRange::AboveMaxEnd, QStringLiteral("above-max-end")}}) {
        int first = -1;
        int last = -1;
        for (int i = 0; i < 256; ++i) {
            if (RangeOfReading(p, i) == range) {
                if (first < 0)
                    first = i;
                last = i;
            }
        }
        if (first >= 0)
            WriteShade(svg, id, first, last);
    }
    svg.writeEndElement();
}

void WriteGrid(QXmlStreamWriter &svg, const PulseScale &scale, const QList<int> &readingTicks)
{
    StartGroup(svg, QStringLiteral("grid"));
    svg.writeAttribute(QStringLiteral("stroke"), kGridColour);
    for (qint64 pulse = scale.low + scale.step; pulse < scale.high; pulse += scale.step)
        WriteLine(svg, kPlotLeft, scale.Y(pulse), kPlotRight, scale.Y(pulse));
    for (const int reading : readingTicks) {
        if (reading > 0)
            WriteLine(svg, X(reading), kPlotTop, X(reading), kPlotBottom);
    }
    svg.writeEndElement();
}

void WriteAxes(QXmlStreamWriter &svg, const ServoParameters &p, const PulseScale &scale,
               const QList<int> &readingTicks, QChar separator)
{
    const QString middle = QStringLiteral("middle");
    StartGroup(svg, QStringLiteral("axes"));
    svg.writeAttribute(QStringLiteral("stroke"), kAxisColour);
    svg.writeAttribute(QStringLiteral("fill"), QStringLiteral("#222222"));

    WriteRect(svg, kPlotLeft, kPlotTop, kPlotWidth, kPlotHeight);
    svg.writeAttribute(QStringLiteral("fill"), QStringLiteral("none"));

    StartGroup(svg, QStringLiteral("x-axis"));
    for (const int reading : readingTicks)
        WriteTick(svg, X(reading), kPlotBottom, 0, kTickLength, 0, 18, middle,
                  QString::number(reading));
    svg.writeEndElement();

    StartGroup(svg, QStringLiteral("volt-axis"));
    if (p.supplyVoltage != 0) {
        const qint64 supply = p.supplyVoltage;
        const qint64 low = std::min<qint64>(0, supply);
        const qint64 high = std::max<qint64>(0, supply);
        const qint64 step = TickStep(high - low, 10);
        for (qint64 volt = CeilingDivision(low, step) * step; volt <= high; volt += step)
            WriteTick(svg, X(ReadingOfVoltage(volt, p.supplyVoltage)), kPlotTop, 0, -kTickLength,
                      0, -9, middle, FormatHundredths(volt, separator));
    }
    svg.writeEndElement();

    StartGroup(svg, QStringLiteral("y-axis"));
    for (qint64 pulse = scale.low; pulse <= scale.high; pulse += scale.step)
        WriteTick(svg, kPlotLeft, scale.Y(pulse), -kTickLength, 0, -8, 4,
                  QStringLiteral("end"), FormatHundredths(pulse, separator));
    svg.writeEndElement();

    StartGroup(svg, QStringLiteral("captions"));
    svg.writeAttribute(QStringLiteral("stroke"), QStringLiteral("none"));
    svg.writeAttribute(QStringLiteral("font-size"), QStringLiteral("13"));
    WriteText(svg, kPlotLeft + kPlotWidth / 2, kPlotBottom + 40, middle,
              QStringLiteral("ADC-Wert"));
    WriteText(svg, kPlotLeft + kPlotWidth / 2, kPlotTop - 34, middle,
              QStringLiteral("Spannung am Poti [V]"));
    svg.writeStartElement(QStringLiteral("text"));
    svg.writeAttribute(QStringLiteral("transform"),
                       Translate(22, kPlotTop + kPlotHeight / 2) + QStringLiteral(" rotate(-90)"));
    svg.writeAttribute(QStringLiteral("text-anchor"), middle);
    svg.writeCharacters(QStringLiteral("Impulsbreite [ms]"));
    svg.writeEndElement();
    svg.writeEndElement();

    svg.writeEndElement();
}

// One horizontal segment per entry, joined by vertical ones (of length 0
// where two entries are equal), so the path holds exactly 256 "H" steps.
void WriteSteps(QXmlStreamWriter &svg, const CorrectionTable &table, const PulseScale &scale)
{
    QString path = QStringLiteral("M") + Number(X(0)) + u' ' + Number(scale.Y(table[0]));
    for (int i = 0; i < 256; ++i) {
        if (i > 0)
            path += QStringLiteral(" V") + Number(scale.Y(table[i]));
        path += QStringLiteral(" H") + Number(X(i + 1));
    }
    svg.writeEmptyElement(QStringLiteral("path"));
    svg.writeAttribute(QStringLiteral("id"), QStringLiteral("table-steps"));
    svg.writeAttribute(QStringLiteral("d"), path);
    svg.writeAttribute(QStringLiteral("fill"), QStringLiteral("none"));
    svg.writeAttribute(QStringLiteral("stroke"), kStepColour);
    svg.writeAttribute(QStringLiteral("stroke-width"), QStringLiteral("2"));
}

struct EndStop {
    QString id;
    qint64 voltage;
    qint64 pulse;
    double reading;
    // Where the other end stop lies: the label goes to that side, clear of
    // the clamped part of the line, and below the dot when the line climbs
    // from here.
    bool otherToTheRight;
    bool otherHigher;
};

void WriteEndStop(QXmlStreamWriter &svg, const EndStop &end, const PulseScale &scale,
                  QChar separator)
{
    const double x = X(end.reading);
    const double y = scale.Y(end.pulse);
    const QString label = FormatHundredths(end.voltage, separator) + QStringLiteral(" V / ")
        + FormatHundredths(end.pulse, separator) + QStringLiteral(" ms");
    const double labelWidth = label.size() * kLabelCharacterWidth;

    bool right = end.otherToTheRight;
    if (right && x + 8 + labelWidth > kPlotRight)
        right = false;
    else if (!right && x - 8 - labelWidth < kPlotLeft)
        right = true;
    bool below = end.otherHigher;
    if (below && y + 20 > kPlotBottom - 4)
        below = false;
    else if (!below && y - 22 < kPlotTop)
        below = true;

    StartGroup(svg, end.id);
    svg.writeAttribute(QStringLiteral("stroke"), kMarkColour);
    svg.writeAttribute(QStringLiteral("fill"), kMarkColour);
    WriteLine(svg, x, y, x, kPlotBottom);
    svg.writeAttribute(QStringLiteral("stroke-dasharray"), QStringLiteral("4 3"));
    WriteShape(svg, QStringLiteral("circle"), {{"cx", x}, {"cy", y}, {"r", 3.5}});
    WriteText(svg, right ? x + 8 : x - 8, below ? y + 20 : y - 10,
              right ? QStringLiteral("start") : QStringLiteral("end"), label);
    svg.writeEndElement();
}

} // namespace

QByteArray BuildTableCurve(const ServoParameters &p, const CorrectionTable &table,
                           QChar decimalSeparator)
{
    // An end stop is drawn where its voltage lies on the reading axis; one
    // outside it (or a supply of 0) has no place in the picture.
    QList<EndStop> ends;
    if (p.supplyVoltage != 0) {
        const double minReading = ReadingOfVoltage(p.minEndVoltage, p.supplyVoltage);
        const double maxReading = ReadingOfVoltage(p.maxEndVoltage, p.supplyVoltage);
        if (OnReadingAxis(minReading))
            ends.append({QStringLiteral("end-stop-min"), p.minEndVoltage, p.minEndPulse,
                         minReading, maxReading >= minReading, p.maxEndPulse > p.minEndPulse});
        if (OnReadingAxis(maxReading))
            ends.append({QStringLiteral("end-stop-max"), p.maxEndVoltage, p.maxEndPulse,
                         maxReading, minReading > maxReading, p.minEndPulse > p.maxEndPulse});
    }

    const auto [lowestEntry, highestEntry] = std::minmax_element(table.begin(), table.end());
    qint64 lowest = *lowestEntry;
    qint64 highest = *highestEntry;
    for (const EndStop &end : ends) {
        lowest = std::min(lowest, end.pulse);
        highest = std::max(highest, end.pulse);
    }
    const PulseScale scale = MakePulseScale(lowest, highest);
    const QList<int> readingTicks = {0, 32, 64, 96, 128, 160, 192, 224, 255};

    QByteArray bytes;
    QXmlStreamWriter svg(&bytes);
    svg.setAutoFormatting(true);
    svg.setAutoFormattingIndent(1);
    svg.writeStartDocument();
    svg.writeStartElement(QStringLiteral("svg"));
    svg.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2000/svg"));
    svg.writeAttribute(QStringLiteral("version"), QStringLiteral("1.1"));
    svg.writeAttribute(QStringLiteral("width"), QString::number(kPictureWidth));
    svg.writeAttribute(QStringLiteral("height"), QString::number(kPictureHeight));
    svg.writeAttribute(QStringLiteral("viewBox"),
                       QStringLiteral("0 0 %1 %2").arg(kPictureWidth).arg(kPictureHeight));
    svg.writeAttribute(QStringLiteral("font-family"), kFontFamily);
    svg.writeAttribute(QStringLiteral("font-size"), QStringLiteral("12"));
    svg.writeTextElement(QStringLiteral("title"), QStringLiteral("Korrekturtabelle"));

    // A white ground, so that viewers with a dark background show it alike.
    WriteRect(svg, 0, 0, kPictureWidth, kPictureHeight);
    svg.writeAttribute(QStringLiteral("fill"), QStringLiteral("#ffffff"));

    WriteShading(svg, p);
    WriteGrid(svg, scale, readingTicks);
    WriteAxes(svg, p, scale, readingTicks, decimalSeparator);
    WriteSteps(svg, table, scale);
    for (const EndStop &end : ends)
        WriteEndStop(svg, end, scale, decimalSeparator);

    svg.writeEndElement();
    svg.writeEndDocument();
    return bytes;
}

} // namespace generator
