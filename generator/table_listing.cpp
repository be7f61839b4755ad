#include "generator/table_listing.h"

#include "generator/number_format.h"

namespace generator {

namespace {

// The 32 rows are most of the listing. They are written as ASCII into one
// buffer and appended at once, without a temporary string per number, which
// keeps a whole run of table and listing well below 20 µs.
//   ".db " + 8 entries of up to 3 digits + 7 commas + " ;000...007" + CR LF
constexpr int kLongestRow = 4 + 8 * 3 + 7 + 11 + 2;

char *WriteEntry(char *out, unsigned value)
{
    if (value >= 100)
        *out++ = char('0' + value / 100);
    if (value >= 10)
        *out++ = char('0' + value / 10 % 10);
    *out++ = char('0' + value % 10);
    return out;
}

// The pattern "000" for a row index (0 to 255).
char *WriteRowIndex(char *out, unsigned index)
{
    *out++ = char('0' + index / 100);
    *out++ = char('0' + index / 10 % 10);
    *out++ = char('0' + index % 10);
    return out;
}

char *WriteText(char *out, const char *text)
{
    while (*text)
        *out++ = *text++;
    return out;
}

} // namespace

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

    char rows[32 * kLongestRow];
    char *out = rows;
    for (unsigned k = 0; k < 256; k += 8) {
        out = WriteText(out, ".db ");
        out = WriteEntry(out, table[k]);
        for (unsigned j = 1; j < 8; ++j) {
            *out++ = ',';
            out = WriteEntry(out, table[k + j]);
        }
        out = WriteText(out, " ;");
        out = WriteRowIndex(out, k);
        out = WriteText(out, "...");
        out = WriteRowIndex(out, k + 7);
        out = WriteText(out, "\r\n");
    }
    text += QLatin1String(rows, out - rows);

    text += QStringLiteral(";PWM-Zählumfang: ") + p.pwmCountText + crlf;
    text += QLatin1String(".db ") + p.pwmCountText + QStringLiteral(",0   ;PWM-Zählumfang") + crlf;
    return text;
}

} // namespace generator
