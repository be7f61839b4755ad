#include "generator/correction_table.h"

#include <cmath>
#include <utility>

namespace generator {

void OrderEndStops(ServoParameters &p)
{
    if (p.minEndVoltage > p.maxEndVoltage) {
        std::swap(p.minEndVoltage, p.maxEndVoltage);
        std::swap(p.minEndPulse, p.maxEndPulse);
    }
}

QString TableRejection::Message() const
{
    return QStringLiteral("Die Korrekturtabelle kann nicht erstellt werden: der Wert für "
                          "Index %1 wäre %2 und liegt nicht zwischen 0 und 255.\r\n"
                          "Bitte die Impulsbreiten und Spannungen prüfen.")
        .arg(index)
        .arg(value);
}

namespace {

double ReadingVoltage(const ServoParameters &p, int index)
{
    return static_cast<double>(p.supplyVoltage) / 256.0 * index;
}

ReadingRange RangeOfVoltage(const ServoParameters &p, double readingVoltage)
{
    if (readingVoltage < p.minEndVoltage)
        return ReadingRange::BelowMinEnd;
    if (readingVoltage > p.maxEndVoltage)
        return ReadingRange::AboveMaxEnd;
    return ReadingRange::Between;
}

} // namespace

ReadingRange RangeOfReading(const ServoParameters &ordered, int index)
{
    return RangeOfVoltage(ordered, ReadingVoltage(ordered, index));
}

std::variant<CorrectionTable, TableRejection> BuildCorrectionTable(const ServoParameters &p)
{
    // Spans in 64 bits: the difference of two 32-bit values may not fit in 32.
    const qint64 voltageSpan = qint64(p.maxEndVoltage) - qint64(p.minEndVoltage);
    const qint64 pulseSpan = qint64(p.maxEndPulse) - qint64(p.minEndPulse);

    CorrectionTable table{};
    for (int i = 0; i < 256; ++i) {
        const double readingVoltage = ReadingVoltage(p, i);
        const ReadingRange range = RangeOfVoltage(p, readingVoltage);
        qint64 entry;
        if (range == ReadingRange::BelowMinEnd) {
            entry = p.minEndPulse;
        } else if (range == ReadingRange::AboveMaxEnd) {
            entry = p.maxEndPulse;
        } else if (voltageSpan == 0) {
            // Both end stops at this very voltage: t is 0, so s is minEndPulse.
            entry = p.minEndPulse;
        } else {
            const double q = static_cast<double>(pulseSpan) / static_cast<double>(voltageSpan);
            const double t = readingVoltage - p.minEndVoltage;
            const double m = q * t;
            const double s = p.minEndPulse + m;
            entry = static_cast<qint64>(std::floor(s));
        }
        if (entry < 0 || entry > 255)
            return TableRejection{i, entry};
        table[i] = static_cast<quint8>(entry);
    }
    return table;
}

} // namespace generator
