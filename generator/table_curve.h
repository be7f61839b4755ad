#pragma once
// The correction table as a picture: a standalone SVG 1.1 line chart of the
// pulse width over the potentiometer reading, for the README and for a quick
// look at whether a table runs the way the servo turns.

#include "generator/correction_table.h"
#include "generator/servo_parameters.h"

#include <QByteArray>
#include <QChar>

namespace generator {

/// The curve of `table` as UTF-8 SVG, the same bytes for the same input.
/// x is the ADC reading 0..255 (bottom) with the wiper voltage for the
/// supply (top), y the pulse width in ms. The 256 entries form the step line
/// "table-steps": one horizontal segment from reading i to i + 1 per entry.
/// The end stops of `ordered` are marked as "end-stop-min" / "end-stop-max"
/// with their voltage and pulse width in the "0.00" form, where their
/// voltage lies within the readings; the readings that hold an end stop's
/// pulse width are shaded ("below-min-end", "above-max-end").
QByteArray BuildTableCurve(const ServoParameters &ordered, const CorrectionTable &table,
                           QChar decimalSeparator);

} // namespace generator
