#include "generator/parameter_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace generator {

namespace {

bool IsSkipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whole number in base 8 or 16 after "&O" / "&H". The digits are read as an
// unsigned magnitude; a value beyond the double range turns into infinity and
// is then rejected like any other value too large for the field.
double ReadRadixNumber(const std::string &s, size_t pos, int base)
{
    double value = 0;
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0 || digit >= base)
            break;
        value = value * base + digit;
    }
    return value;
}

// The text as the scanner reads it: blanks, tabs and line feeds dropped,
// anything outside ASCII (never part of a number) turned into a stopper.
std::string ScannedText(const QString &text)
{
    std::string s;
    s.reserve(size_t(text.size()));
    for (QChar c : text) {
        if (IsSkipped(c))
            continue;
        s.push_back(c.unicode() < 128 ? static_cast<char>(c.unicode()) : '\x7f');
    }
    return s;
}

// A decimal number without its sign, copied in the form from_chars reads.
// Alongside, what tells an overflow from an underflow when from_chars
// reports either: the decimal exponent of the first significant digit.
struct DecimalNumber {
    std::string text;
    size_t digits = 0;
    qint64 significantIntegerDigits = 0;
    qint64 leadingFractionZeros = 0;
    qint64 exponent = 0;
};

// digits [. digits] from s[*pos] on; *pos ends after them.
void ReadMantissa(const std::string &s, size_t *pos, DecimalNumber *number)
{
    size_t &at = *pos;
    bool seenNonZero = false;
    while (at < s.size() && IsAsciiDigit(s[at])) {
        seenNonZero = seenNonZero || s[at] != '0';
        if (seenNonZero)
            ++number->significantIntegerDigits;
        number->text.push_back(s[at++]);
        ++number->digits;
    }
    if (at < s.size() && s[at] == '.') {
        number->text.push_back(s[at++]);
        while (at < s.size() && IsAsciiDigit(s[at])) {
            if (!seenNonZero && s[at] == '0')
                ++number->leadingFractionZeros;
            seenNonZero = seenNonZero || s[at] != '0';
            number->text.push_back(s[at++]);
            ++number->digits;
        }
    }
}

// (E|e|D|d) [+|-] digits at s[pos]. A marker without digits after it is
// not part of the number, which then ends before the marker.
void ReadExponent(const std::string &s, size_t pos, DecimalNumber *number)
{
    if (pos >= s.size() || (s[pos] != 'E' && s[pos] != 'e' && s[pos] != 'D' && s[pos] != 'd'))
        return;
    size_t look = pos + 1;
    std::string exponentText = "e";
    bool negative = false;
    if (look < s.size() && (s[look] == '+' || s[look] == '-')) {
        negative = s[look] == '-';
        exponentText.push_back(s[look++]);
    }
    if (look >= s.size() || !IsAsciiDigit(s[look]))
        return;
    qint64 exponent = 0;
    while (look < s.size() && IsAsciiDigit(s[look])) {
        // Saturates far beyond the double range; only the sign of the
        // magnitude matters for such exponents.
        exponent = std::min<qint64>(exponent * 10 + (s[look] - '0'), 1'000'000'000);
        exponentText.push_back(s[look++]);
    }
    number->exponent = negative ? -exponent : exponent;
    number->text += exponentText;
}

// The value rounded correctly to double; beyond its range infinity, below
// it 0.
double ValueOf(const DecimalNumber &number)
{
    double value = 0;
    const char *first = number.text.data();
    const char *last = first + number.text.size();
    const std::from_chars_result result = std::from_chars(first, last, value);
    if (result.ec == std::errc::result_out_of_range) {
        const qint64 magnitude = number.exponent
            + (number.significantIntegerDigits > 0 ? number.significantIntegerDigits
                                                   : -number.leadingFractionZeros);
        return magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return result.ec == std::errc() ? value : 0;
}

} // namespace

// The forms read, after blanks, tabs and line feeds have been dropped from the
// whole text:
//   [+|-] digits [. digits] [(E|e|D|d) [+|-] digits]   decimal; "D" is an old
//                                                       spelling of the exponent
//   &H hexdigits, &O octdigits (letters in either case) whole numbers, no sign:
//                                                       "-&H10" is not a number
// Reading stops at the first character that cannot continue the number; an
// exponent marker without digits after it ends the number before the marker.
// Any number of digits is accepted; the value is rounded correctly to double,
// so very long digit strings cost no precision beyond double's. A value too
// large for double becomes infinity (and is then rejected by the caller), one
// too small becomes 0.
//
// The conversion never depends on the process's C locale: QCoreApplication
// sets it from the environment, and under a German LC_NUMERIC strtod would
// stop at the "." of "25.5".
double LeadingNumber(const QString &text)
{
    const std::string s = ScannedText(text);
    if (s.size() >= 2 && s[0] == '&') {
        const char marker = s[1];
        if (marker == 'H' || marker == 'h')
            return ReadRadixNumber(s, 2, 16);
        if (marker == 'O' || marker == 'o')
            return ReadRadixNumber(s, 2, 8);
        return 0;
    }

    size_t pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
        negative = s[pos++] == '-';
    DecimalNumber number;
    ReadMantissa(s, &pos, &number);
    if (number.digits == 0)
        return 0;
    ReadExponent(s, pos, &number);
    const double value = ValueOf(number);
    return negative ? -value : value;
}

std::optional<qint32> ParseParameterText(const QString &text)
{
    const double value = LeadingNumber(text);
    if (!std::isfinite(value))
        return std::nullopt;
    // Round half to even: nearbyint under the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded < static_cast<double>(std::numeric_limits<qint32>::min())
        || rounded > static_cast<double>(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return static_cast<qint32>(rounded) / 10;
}

std::variant<ServoParameters, FieldRejection> ReadServoParameters(const ParameterTexts &texts)
{
    // A message names the field by its caption; the two pulse width fields
    // share theirs, so the end stop is added.
    std::array<QString, ParameterFieldCount> fieldNames = ParameterCaptions();
    fieldNames[EndPulse1Field] += QStringLiteral(" (eine Endlage)");
    fieldNames[EndPulse2Field] += QStringLiteral(" (andere Endlage)");
    std::array<qint32, PwmCountRangeField> values = {};
    for (size_t i = 0; i < values.size(); ++i) {
        const std::optional<qint32> value = ParseParameterText(texts[i]);
        if (!value) {
            const QString message =
                QStringLiteral("Der Wert im Feld \"%1\" ist keine Zahl, die das Programm "
                               "verarbeiten kann (zu groß, zu klein oder unendlich):\r\n%2")
                    .arg(fieldNames[i], texts[i]);
            return FieldRejection{int(i), message};
        }
        values[i] = *value;
    }
    // As typed: the first end stop is the "min" one until OrderEndStops.
    ServoParameters p;
    p.supplyVoltage = values[SupplyVoltageField];
    p.minEndVoltage = values[EndVoltage1Field];
    p.maxEndVoltage = values[EndVoltage2Field];
    p.minEndPulse = values[EndPulse1Field];
    p.maxEndPulse = values[EndPulse2Field];
    p.pwmCountText = texts[PwmCountRangeField];
    return p;
}

} // namespace generator
