#include "generator/number_format.h"

namespace generator {

QString FormatHundredths(qint64 hundredths, QChar decimalSeparator)
{
    const bool negative = hundredths < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(hundredths) : quint64(hundredths);
    QString text;
    if (negative)
        text += u'-';
    text += QString::number(magnitude / 100);
    text += decimalSeparator;
    const quint64 fraction = magnitude % 100;
    if (fraction < 10)
        text += u'0';
    text += QString::number(fraction);
    return text;
}

QString FormatThreeDigits(int value)
{
    return QStringLiteral("%1").arg(value, 3, 10, QLatin1Char('0'));
}

} // namespace generator
