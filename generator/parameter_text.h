#pragma once
// Reading the parameter fields: text in, whole numbers of 10 mV / 10 µs out.

#include "generator/servo_parameters.h"

#include <QString>

#include <optional>
#include <variant>

namespace generator {

/// The numeric value at the start of `text` (blanks, tabs and line feeds
/// anywhere are skipped; "." is always the decimal separator), rounded half to
/// even to a signed 32-bit integer and divided by 10 truncating toward zero.
/// A text that does not begin with a number gives 0. Returns nullopt when the
/// rounded value is not finite or lies outside the signed 32-bit range.
std::optional<qint32> ParseParameterText(const QString &text);

/// The numeric beginning of `text` as a double, before any rounding; exposed
/// for tests and for the rarer forms (&H, &O, D exponents).
double LeadingNumber(const QString &text);

/// A field whose value cannot be held; `message` is German and names the field.
struct FieldRejection {
    int fieldIndex = 0;
    QString message;
};

/// Reads the supply voltage, the two end-stop voltages and the two pulse
/// widths through ParseParameterText in ParameterField order and takes the
/// PWM count range as its text. The record is not yet ordered.
std::variant<ServoParameters, FieldRejection> ReadServoParameters(const ParameterTexts &texts);

} // namespace generator
