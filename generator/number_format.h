#pragma once
// The fixed digit patterns of the written texts.

#include <QChar>
#include <QString>
#include <QtGlobal>

namespace generator {

/// `hundredths` / 100 in the pattern "0.00": at least one digit, the given
/// decimal separator, exactly two digits, a leading "-" when negative, no
/// thousands separator. -50 gives "-0.50", 1234 gives "12.34".
QString FormatHundredths(qint64 hundredths, QChar decimalSeparator);

/// The pattern "000": at least three digits with leading zeros.
QString FormatThreeDigits(int value);

} // namespace generator
