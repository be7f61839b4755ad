#include "generator/table_listing.h"

#include "generator/number_format.h"

namespace generator {

QString BuildTableListing(const ServoParameters &p, const CorrectionTable &table,
                          QChar decimalSeparator)
{
    const QLatin1String crlf("\r\n");
    QString text;
    text.reserve(1800 + 2 * p.pwmCountText.size());

    text += QLatin1String(";Potispannung: ") + FormatHundredths(p.supplyVoltage, decimalSeparator)
        + QLatin1String(" Volt") + crlf;
    text += QLatin1String(";Potianschlag: ") + FormatHundredths(p.minEndVoltage, decimalSeparator)
        + QLatin1String(" Volt bei Impulsbreite ")
        + FormatHundredths(p.minEndPulse, decimalSeparator) + QLatin1String(" ms") + crlf;
    text += QLatin1String(";Potianschlag: ") + FormatHundredths(p.maxEndVoltage, decimalSeparator)
        + QLatin1String(" Volt bei Impulsbreite ")
        + FormatHundredths(p.maxEndPulse, decimalSeparator) + QLatin1String(" ms") + crlf;

    for (int k = 0; k < 256; k += 8) {
        text += QLatin1String(".db ");
        text += QString::number(table[k]);
        for (int j = 1; j < 8; ++j) {
            text += u',';
            text += QString::number(table[k + j]);
        }
        text += QLatin1String(" ;") + FormatThreeDigits(k) + QLatin1String("...")
            + FormatThreeDigits(k + 7) + crlf;
    }

    text += QStringLiteral(";PWM-Zählumfang: ") + p.pwmCountText + crlf;
    text += QLatin1String(".db ") + p.pwmCountText + QStringLiteral(",0   ;PWM-Zählumfang") + crlf;
    return text;
}

} // namespace generator
