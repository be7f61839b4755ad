#pragma once
// The 256-entry correction table: potentiometer reading -> pulse width.

#include "generator/servo_parameters.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <variant>

namespace generator {

/// Entry i is the pulse width (units of 10 µs) for the reading i,
/// that is the wiper voltage i × supply / 256.
using CorrectionTable = std::array<quint8, 256>;

/// Swaps the two end stops (each pulse width with its voltage) when
/// minEndVoltage > maxEndVoltage. Equal voltages are left alone.
void OrderEndStops(ServoParameters &parameters);

/// Where a reading lies against the ordered end stops. Below the lower and
/// above the upper end stop the table holds that end stop's pulse width.
enum class ReadingRange { BelowMinEnd, Between, AboveMaxEnd };

/// The range of reading `index` (0 to 255), whose voltage is
/// supplyVoltage / 256 × index, compared exactly as the table compares it.
ReadingRange RangeOfReading(const ServoParameters &ordered, int index);

/// An entry that does not fit into a byte; nothing is ever wrapped.
struct TableRejection {
    int index = 0;
    qint64 value = 0;
    /// German, for a message box or stderr.
    QString Message() const;
};

/// Builds the table from ordered parameters, in IEEE double and in the
/// fixed order q = pulseSpan / voltageSpan, t, m = q × t, s = minEndPulse + m,
/// floor(s). With equal end-stop voltages a reading exactly on them gives
/// minEndPulse (t is 0 there) instead of dividing by zero.
std::variant<CorrectionTable, TableRejection> BuildCorrectionTable(const ServoParameters &parameters);

} // namespace generator
