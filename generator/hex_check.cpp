#include "generator/hex_check.h"

#include <map>

namespace generator {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The record's bytes after ':', or a reason why the line is not a record.
std::variant<QByteArray, QString> DecodeRecord(const QByteArray &line)
{
    if (!line.startsWith(':'))
        return QStringLiteral("beginnt nicht mit ':'");
    const QByteArray digits = line.mid(1);
    if (digits.size() % 2 != 0 || digits.size() < 10)
        return QStringLiteral("zu kurz oder eine ungerade Zahl von Ziffern");
    QByteArray bytes;
    bytes.reserve(digits.size() / 2);
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int high = HexDigit(digits.at(i));
        const int low = HexDigit(digits.at(i + 1));
        if (high < 0 || low < 0)
            return QStringLiteral("ein Zeichen, das keine Hex-Ziffer ist");
        bytes.append(char(high * 16 + low));
    }
    if (bytes.size() != quint8(bytes.at(0)) + 5)
        return QStringLiteral("die Längenangabe passt nicht zum Satz");
    quint8 sum = 0;
    for (const char byte : bytes)
        sum += quint8(byte);
    if (sum != 0)
        return QStringLiteral("falsche Prüfsumme");
    return bytes;
}

} // namespace

std::variant<HexImage, HexFault> ParseIntelHex(const QByteArray &text)
{
    std::map<quint32, char> memory;
    quint32 base = 0;
    bool ended = false;
    int lineNumber = 0;
    for (const QByteArray &rawLine : text.split('\n')) {
        ++lineNumber;
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty())
            continue;
        const auto decoded = DecodeRecord(line);
        if (const auto *reason = std::get_if<QString>(&decoded))
            return HexFault{lineNumber, *reason};
        const QByteArray &record = std::get<QByteArray>(decoded);
        const int length = quint8(record.at(0));
        const quint32 offset = (quint32(quint8(record.at(1))) << 8) | quint8(record.at(2));
        const int type = quint8(record.at(3));
        const QByteArray data = record.mid(4, length);

        switch (type) {
        case 0x00:
            for (int i = 0; i < length; ++i)
                memory[base + offset + quint32(i)] = data.at(i);
            break;
        case 0x01:
            ended = true;
            break;
        case 0x02:
        case 0x04: {
            if (length != 2)
                return HexFault{lineNumber, QStringLiteral("ein Adress-Satz braucht zwei Bytes")};
            const quint32 value = (quint32(quint8(data.at(0))) << 8) | quint8(data.at(1));
            base = type == 0x02 ? value << 4 : value << 16;
            break;
        }
        case 0x03:
        case 0x05:
            break;
        default:
            return HexFault{lineNumber, QStringLiteral("unbekannter Satztyp %1").arg(type)};
        }
        if (ended)
            break;
    }
    if (!ended)
        return HexFault{lineNumber, QStringLiteral("kein Ende-Satz")};

    HexImage image;
    for (const auto &[address, byte] : memory) {
        if (image.isEmpty()
            || address != image.last().address + quint32(image.last().bytes.size()))
            image.append(HexBlock{address, {}});
        image.last().bytes.append(byte);
    }
    return image;
}

std::optional<quint8> PlainPwmCount(const QString &pwmCountText)
{
    // Blanks and tabs only: the assembler skips those around a .db value.
    qsizetype first = 0;
    qsizetype last = pwmCountText.size();
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (first < last && isBlank(pwmCountText.at(first)))
        ++first;
    while (last > first && isBlank(pwmCountText.at(last - 1)))
        --last;
    if (first == last)
        return std::nullopt;
    int value = 0;
    for (qsizetype i = first; i < last; ++i) {
        const QChar c = pwmCountText.at(i);
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 255)
            return std::nullopt;
    }
    return quint8(value);
}

QByteArray TableBytes(const CorrectionTable &table, std::optional<quint8> pwmCount)
{
    QByteArray bytes(reinterpret_cast<const char *>(table.data()), qsizetype(table.size()));
    if (pwmCount) {
        bytes.append(char(*pwmCount));
        bytes.append('\0');
    }
    return bytes;
}

std::optional<quint32> FindBytes(const HexImage &image, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    for (const HexBlock &block : image) {
        const qsizetype at = block.bytes.indexOf(bytes);
        if (at >= 0)
            return block.address + quint32(at);
    }
    return std::nullopt;
}

HexTableCheck CheckHexForTable(const QByteArray &hex, const QString &shownPath,
                               const ServoParameters &ordered, const CorrectionTable &table)
{
    const auto parsed = ParseIntelHex(hex);
    if (const auto *fault = std::get_if<HexFault>(&parsed))
        return {false, QStringLiteral("%1 ist keine gültige Intel-HEX-Datei (Zeile %2: %3).")
                           .arg(shownPath, QString::number(fault->line), fault->reason)};

    const std::optional<quint8> pwmCount = PlainPwmCount(ordered.pwmCountText);
    const QString what = pwmCount
        ? QStringLiteral("Die 256 Tabellenwerte mit PWM-Zählumfang %1 und 0").arg(*pwmCount)
        : QStringLiteral("Die 256 Tabellenwerte");
    const std::optional<quint32> address =
        FindBytes(std::get<HexImage>(parsed), TableBytes(table, pwmCount));
    if (!address)
        return {false, QStringLiteral("%1 stehen nicht in %2.").arg(what, shownPath)};

    const QString hexAddress = QStringLiteral("%1").arg(*address, 4, 16, QChar(u'0')).toUpper();
    QString text = QStringLiteral("%1 stehen ab Adresse 0x%2 in %3.").arg(what, hexAddress, shownPath);
    if (!pwmCount)
        text += QStringLiteral(" Der PWM-Zählumfang \"%1\" ist keine Zahl von 0 bis 255 und "
                               "wurde nicht geprüft.")
                    .arg(ordered.pwmCountText);
    return {true, text};
}

} // namespace generator
