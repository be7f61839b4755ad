// Reading Intel HEX and finding the correction table in it, as the run does
// once the assembler has ended well.

#include "generator/hex_check.h"

#include <QtTest>

using namespace generator;

Q_DECLARE_METATYPE(generator::HexBlock)

namespace {

// One record with its checksum, as an assembler writes it.
QByteArray Record(int type, quint16 offset, const QByteArray &data)
{
    QByteArray bytes;
    bytes.append(char(data.size()));
    bytes.append(char(offset >> 8));
    bytes.append(char(offset & 0xFF));
    bytes.append(char(type));
    bytes.append(data);
    quint8 sum = 0;
    for (const char byte : bytes)
        sum += quint8(byte);
    bytes.append(char(quint8(0x100 - sum)));
    return ':' + bytes.toHex().toUpper() + "\r\n";
}

const QByteArray kEnd = ":00000001FF\r\n";

HexImage Image(std::initializer_list<HexBlock> blocks)
{
    return HexImage(blocks);
}

CorrectionTable RisingTable()
{
    CorrectionTable table;
    for (int i = 0; i < 256; ++i)
        table[size_t(i)] = quint8(100 + i * 100 / 255);
    return table;
}

// `bytes` as data records of 16 bytes from `address` (within one 64 KiB page).
QByteArray DataRecords(quint16 address, const QByteArray &bytes)
{
    QByteArray text;
    for (qsizetype i = 0; i < bytes.size(); i += 16)
        text += Record(0x00, quint16(address + i), bytes.mid(i, 16));
    return text;
}

} // namespace

class HexCheckTest : public QObject {
    Q_OBJECT
private slots:
    void readsIntelHex_data();
    void readsIntelHex();
    void rejectsBrokenHex_data();
    void rejectsBrokenHex();
    void takesOnlyPlainPwmCounts_data();
    void takesOnlyPlainPwmCounts();
    void findsTheTable_data();
    void findsTheTable();
    void checkKeepsThePathWhole_data();
    void checkKeepsThePathWhole();
};

void HexCheckTest::readsIntelHex_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<HexImage>("expected");

    QTest::newRow("end record alone") << kEnd << HexImage();
    QTest::newRow("adjacent records make one block")
        << Record(0, 0x0010, "\x01\x02") + Record(0, 0x0012, "\x03") + kEnd
        << Image({{0x10, "\x01\x02\x03"}});
    QTest::newRow("records out of order are sorted")
        << Record(0, 0x0012, "\x03") + Record(0, 0x0010, "\x01\x02") + kEnd
        << Image({{0x10, "\x01\x02\x03"}});
    QTest::newRow("a gap splits the blocks")
        << Record(0, 0x0000, "\x01") + Record(0, 0x0002, "\x02") + kEnd
        << Image({{0, "\x01"}, {2, "\x02"}});
    QTest::newRow("extended linear address")
        << Record(4, 0, QByteArrayLiteral("\x00\x01")) + Record(0, 0x0004, "\xAA") + kEnd
        << Image({{0x10004, "\xAA"}});
    QTest::newRow("extended segment address")
        << Record(2, 0, QByteArrayLiteral("\x10\x00")) + Record(0, 0x0004, "\xAA") + kEnd
        << Image({{0x10004, "\xAA"}});
    QTest::newRow("start address records skipped")
        << Record(3, 0, QByteArrayLiteral("\x00\x00\x00\x00"))
               + Record(5, 0, QByteArrayLiteral("\x00\x00\x00\x00"))
               + Record(0, 0, "\x07") + kEnd
        << Image({{0, "\x07"}});
    QTest::newRow("LF line ends, lower case, blank lines")
        << Record(0, 0, "\xAB").replace("\r\n", "\n").toLower() + "\n\n" + ":00000001ff\n"
        << Image({{0, "\xAB"}});
    QTest::newRow("a byte written twice keeps the later value")
        << Record(0, 0, "\x01\x02") + Record(0, 1, "\x09") + kEnd << Image({{0, "\x01\x09"}});
}

void HexCheckTest::readsIntelHex()
{
    QFETCH(QByteArray, text);
    QFETCH(HexImage, expected);

    const auto parsed = ParseIntelHex(text);
    if (const auto *fault = std::get_if<HexFault>(&parsed))
        QFAIL(qPrintable(QStringLiteral("line %1: %2").arg(fault->line).arg(fault->reason)));
    QCOMPARE(std::get<HexImage>(parsed), expected);
}

void HexCheckTest::rejectsBrokenHex_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");

    QTest::newRow("empty file") << QByteArray() << 1;
    QTest::newRow("no end record") << Record(0, 0, "\x01") << 2;
    QTest::newRow("line without colon") << "0000000001FF\r\n" + kEnd << 1;
    QTest::newRow("wrong checksum") << ":0100000001FF\r\n" + kEnd << 1;
    QTest::newRow("length byte too large") << ":0200000001FC\r\n" + kEnd << 1;
    QTest::newRow("odd number of digits") << ":0100000001FE0\r\n" + kEnd << 1;
    QTest::newRow("not a hex digit") << ":01000000G1FE\r\n" + kEnd << 1;
    QTest::newRow("unknown record type") << Record(0, 0, "\x01") + Record(6, 0, "") + kEnd << 2;
    QTest::newRow("address record with one byte") << Record(4, 0, "\x01") + kEnd << 1;
}

void HexCheckTest::rejectsBrokenHex()
{
    QFETCH(QByteArray, text);
    QFETCH(int, line);

    const auto parsed = ParseIntelHex(text);
    QVERIFY(std::holds_alternative<HexFault>(parsed));
    QCOMPARE(std::get<HexFault>(parsed).line, line);
    QVERIFY(!std::get<HexFault>(parsed).reason.isEmpty());
}

void HexCheckTest::takesOnlyPlainPwmCounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: not a plain count

    QTest::newRow("design text") << "10" << 10;
    QTest::newRow("blanks, tab and leading zero") << " 010\t" << 10;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("largest byte") << "255" << 255;
    QTest::newRow("beyond a byte") << "256" << -1;
    QTest::newRow("many digits") << "99999999999999999999" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("hex notation") << "0x10" << -1;
    QTest::newRow("expression") << "5+5" << -1;
    QTest::newRow("blank inside") << "1 0" << -1;
    QTest::newRow("other digits") << QStringLiteral("\u0661\u0660") << -1;
}

void HexCheckTest::takesOnlyPlainPwmCounts()
{
    QFETCH(QString, text);
    QFETCH(int, expected);

    const std::optional<quint8> count = PlainPwmCount(text);
    QCOMPARE(count ? int(*count) : -1, expected);
}

void HexCheckTest::findsTheTable_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<int>("pwmCount"); // -1: the table alone
    QTest::addColumn<qint64>("expected"); // -1: not found

    const QByteArray code = QByteArray(0x46, '\x95');
    const QByteArray table = TableBytes(RisingTable(), std::nullopt);
    const QByteArray withPwm = TableBytes(RisingTable(), quint8(10));

    QTest::newRow("after the code, across records")
        << DataRecords(0, code + withPwm) + kEnd << 10 << qint64(0x46);
    QTest::newRow("in a second 64 KiB page")
        << Record(4, 0, QByteArrayLiteral("\x00\x01")) + DataRecords(0x0100, withPwm) + kEnd
        << 10 << qint64(0x10100);
    QTest::newRow("table alone when the PWM text is not plain")
        << DataRecords(0, code + table + "\x05\x05") + kEnd << -1 << qint64(0x46);
    QTest::newRow("other PWM count")
        << DataRecords(0, code + table + QByteArrayLiteral("\x0B\x00")) + kEnd << 10 << qint64(-1);
    QTest::newRow("PWM count without the 0")
        << DataRecords(0, code + table + "\x0A\x01") + kEnd << 10 << qint64(-1);
    QByteArray oneDiffers = withPwm;
    oneDiffers[128] = char(oneDiffers.at(128) + 1);
    QTest::newRow("one entry differs") << DataRecords(0, oneDiffers) + kEnd << 10 << qint64(-1);
    QTest::newRow("a gap inside the table")
        << DataRecords(0, withPwm.left(128)) + DataRecords(0x200, withPwm.mid(128)) + kEnd << 10
        << qint64(-1);
    QTest::newRow("last entry missing") << DataRecords(0, table.left(255)) + kEnd << -1
                                        << qint64(-1);
    QTest::newRow("no data") << kEnd << 10 << qint64(-1);
}

void HexCheckTest::findsTheTable()
{
    QFETCH(QByteArray, hex);
    QFETCH(int, pwmCount);
    QFETCH(qint64, expected);

    const auto parsed = ParseIntelHex(hex);
    QVERIFY(std::holds_alternative<HexImage>(parsed));
    const std::optional<quint8> pwm =
        pwmCount < 0 ? std::nullopt : std::optional<quint8>(quint8(pwmCount));
    const std::optional<quint32> at =
        FindBytes(std::get<HexImage>(parsed), TableBytes(RisingTable(), pwm));
    QCOMPARE(at ? qint64(*at) : qint64(-1), expected);
}

void HexCheckTest::checkKeepsThePathWhole_data()
{
    // A folder name may hold "%1" and "%2": the path goes into the sentence
    // as it is, and the line number and the reason still find their places.
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("rest");
    QTest::newRow("no Intel HEX")
        << QByteArray("Assembly complete.\r\n") << false
        << " ist keine gültige Intel-HEX-Datei (Zeile 1: ";
    QTest::newRow("table found")
        << DataRecords(0, TableBytes(RisingTable(), quint8(10))) + kEnd << true
        << "Die 256 Tabellenwerte mit PWM-Zählumfang 10 und 0 stehen ab Adresse 0x0000 in ";
}

void HexCheckTest::checkKeepsThePathWhole()
{
    QFETCH(QByteArray, hex);
    QFETCH(bool, found);
    QFETCH(QString, rest);
    const QString shownPath = QStringLiteral("/daten/100%2 %1/servo000.hex");
    ServoParameters ordered;
    ordered.pwmCountText = QStringLiteral("10");

    const HexTableCheck check = CheckHexForTable(hex, shownPath, ordered, RisingTable());

    QCOMPARE(check.found, found);
    QVERIFY2(check.text.contains(shownPath), qPrintable(check.text));
    QVERIFY2(check.text.contains(rest), qPrintable(check.text));
}

QTEST_GUILESS_MAIN(HexCheckTest)
#include "hex_check_test.moc"
