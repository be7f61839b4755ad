// The example firmware in examples/ must stay a template the generator can
// use: one exact label line, nothing the program needs after it, CR LF line
// ends, and every source made from it must assemble with the real assembler,
// with the table where the firmware's lpm looks for it.

#include "generator/assembler_source.h"
#include "generator/correction_table.h"
#include "generator/table_from_fields.h"
#include "generator/hex_check.h"
#include "generator/parameter_text.h"
#include "generator/table_listing.h"
#include "platform/text_encoding.h"
#include "tests/support/expected_output.h"
#include "tests/support/test_data.h"

#include <QtTest>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

using namespace generator;

namespace {

const QByteArray kLabelLine = TableLabelLine();
constexpr int kFlashBytes = 1024; // ATtiny15: 512 words

// Intel HEX through the generator's own reader, as a byte map by address;
// nullopt on any malformed record or wrong checksum.
std::optional<QMap<int, quint8>> ReadHexImage(const QByteArray &text)
{
    const auto parsed = ParseIntelHex(text);
    if (!std::holds_alternative<HexImage>(parsed))
        return std::nullopt;
    QMap<int, quint8> image;
    for (const HexBlock &block : std::get<HexImage>(parsed))
        for (qsizetype i = 0; i < block.bytes.size(); ++i)
            image[int(block.address + i)] = quint8(block.bytes[i]);
    return image;
}

// The source as the run makes it, with the listing in Latin-1.
QByteArray MakeSource(const QByteArray &templateBytes, const QString &listing)
{
    return AssemblerSourceBytes(templateBytes, listing, platform::TextEncoding::Latin1());
}

// The word address of a label in the assembler's map file
// ("cortab<TAB><TAB>L<TAB>007b<TAB>123"), -1 when it is not there.
int LabelWordAddress(const QByteArray &map, const QByteArray &label)
{
    for (const QByteArray &line : map.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 3 && fields[0] == label && fields[1] == "L") {
            bool ok = false;
            const int address = fields[2].toInt(&ok, 16);
            return ok ? address : -1;
        }
    }
    return -1;
}

struct Assembled {
    int exitCode = -1;
    QByteArray messages;
    QMap<int, quint8> image;
    int tableWord = -1;
};

// Runs avra the way the generator does (plus a map file, to find the label)
// on `source` written as servo000.asm into `dir`.
std::optional<Assembled> Assemble(const QTemporaryDir &dir, const QByteArray &source)
{
    QFile file(dir.filePath(QStringLiteral("servo000.asm")));
    if (!file.open(QIODevice::WriteOnly) || file.write(source) != source.size())
        return std::nullopt;
    file.close();

    const QString avra = QStandardPaths::findExecutable(QStringLiteral("avra"));
    if (avra.isEmpty())
        return std::nullopt;
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(avra, {QStringLiteral("-fI"), dir.filePath(QStringLiteral("servo000.asm")),
                         QStringLiteral("-o"), dir.filePath(QStringLiteral("servo000.hex")),
                         QStringLiteral("-m"), dir.filePath(QStringLiteral("servo000.map")),
                         QStringLiteral("-I"), dir.path(), QStringLiteral("-w")});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;

    Assembled result;
    result.exitCode = process.exitCode();
    result.messages = process.readAll();
    QFile hex(dir.filePath(QStringLiteral("servo000.hex")));
    QFile map(dir.filePath(QStringLiteral("servo000.map")));
    if (result.exitCode == 0 && hex.open(QIODevice::ReadOnly) && map.open(QIODevice::ReadOnly)) {
        const auto image = ReadHexImage(hex.readAll());
        if (image)
            result.image = *image;
        result.tableWord = LabelWordAddress(map.readAll(), "cortab");
    }
    return result;
}

ParameterTexts Texts(const char *supply, const char *minVoltage, const char *maxVoltage,
                     const char *minPulse, const char *maxPulse, const char *pwm)
{
    return {QString::fromLatin1(supply),   QString::fromLatin1(minVoltage),
            QString::fromLatin1(maxVoltage), QString::fromLatin1(minPulse),
            QString::fromLatin1(maxPulse), QString::fromLatin1(pwm)};
}

} // namespace

class ExampleTemplateTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void templateIsAsciiWithCrLfLineEnds();
    void templateHasTheLabelLineOnce();
    void nothingButTheTableFollowsTheLabel();
    void generatedSourceAssembles_data();
    void generatedSourceAssembles();
    void templateAsItIsHoldsTheDefaultTable();
    void hexParserRejectsBadChecksum();

private:
    QByteArray m_template;
};

void ExampleTemplateTest::initTestCase()
{
    m_template = testsupport::ExampleTemplate();
    QVERIFY2(!m_template.isEmpty(), "examples/servo00.asm is missing or empty");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("avra")).isEmpty(),
             "avra is not installed (scripts/install-deps installs it)");
}

void ExampleTemplateTest::templateIsAsciiWithCrLfLineEnds()
{
    // A template with LF alone would be read as one single line, and the
    // label line would never be found.
    for (qsizetype i = 0; i < m_template.size(); ++i) {
        const char c = m_template[i];
        const QByteArray where = "at byte " + QByteArray::number(i);
        QVERIFY2(quint8(c) < 0x80, "not ASCII " + where);
        if (c == '\n')
            QVERIFY2(i > 0 && m_template[i - 1] == '\r', "LF without CR " + where);
        if (c == '\r')
            QVERIFY2(i + 1 < m_template.size() && m_template[i + 1] == '\n',
                     "CR without LF " + where);
    }
    QVERIFY(m_template.endsWith("\r\n"));
}

void ExampleTemplateTest::templateHasTheLabelLineOnce()
{
    QCOMPARE(kLabelLine.size(), 43);
    QCOMPARE(platform::SplitByteLines(m_template).count(kLabelLine), 1);
}

void ExampleTemplateTest::nothingButTheTableFollowsTheLabel()
{
    // The generator drops everything after the label line, so code, labels
    // or directives there would be lost from every generated source.
    const QList<QByteArray> lines = platform::SplitByteLines(m_template);
    const qsizetype label = lines.indexOf(kLabelLine);
    QVERIFY(label >= 0);
    for (qsizetype i = label + 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        QVERIFY2(line.isEmpty() || line.startsWith(';') || line.startsWith(".db "),
                 "line " + QByteArray::number(i + 1) + " after the label: " + line);
    }
}

void ExampleTemplateTest::generatedSourceAssembles_data()
{
    QTest::addColumn<ParameterTexts>("texts");

    QTest::newRow("defaults") << DefaultParameterTexts();
    QTest::newRow("reversed servo") << Texts("5000", "0500", "4500", "2000", "1000", "10");
    QTest::newRow("end stops the other way round")
        << Texts("5000", "4500", "0500", "2000", "1000", "10");
    QTest::newRow("entries 0 and 255, count 255")
        << Texts("5000", "0500", "4500", "0000", "2550", "255");
    QTest::newRow("entries 255 and 0, count 0")
        << Texts("5000", "0500", "4500", "2550", "0000", "0");
    QTest::newRow("flat table, count 1") << Texts("5000", "0500", "4500", "1500", "1500", "1");
}

void ExampleTemplateTest::generatedSourceAssembles()
{
    QFETCH(ParameterTexts, texts);

    const FieldTable made = TableFromFields(texts);
    QVERIFY2(made.table, qPrintable(made.rejection));
    const auto &[parameters, table] = *made.table;
    const QString listing = BuildTableListing(parameters, table, u'.');

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto assembled = Assemble(dir, MakeSource(m_template, listing));
    QVERIFY2(assembled, "avra could not be run");
    QVERIFY2(assembled->exitCode == 0, assembled->messages.constData());
    QVERIFY2(assembled->tableWord > 0, "no label cortab in the map file");

    // lpm reads bytes: the table starts at twice the label's word address,
    // the PWM count range and a 0 follow the 256 entries, and nothing
    // follows them.
    const QMap<int, quint8> &image = assembled->image;
    const int start = 2 * assembled->tableWord;
    for (int i = 0; i < 256; ++i) {
        QVERIFY2(image.contains(start + i), qPrintable(QStringLiteral("entry %1 missing").arg(i)));
        QCOMPARE(int(image.value(start + i)), int(table[i]));
    }
    QCOMPARE(int(image.value(start + 256, 0xAA)), parameters.pwmCountText.toInt());
    QCOMPARE(int(image.value(start + 257, 0xAA)), 0);
    QCOMPARE(image.lastKey(), start + 257);
    QVERIFY(image.lastKey() < kFlashBytes);
}

void ExampleTemplateTest::templateAsItIsHoldsTheDefaultTable()
{
    // Assembled on its own, the template is the firmware for the default values.
    const CorrectionTable table = testsupport::OrderedTableFor(DefaultParameterTexts()).table;

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto assembled = Assemble(dir, m_template);
    QVERIFY2(assembled, "avra could not be run");
    QVERIFY2(assembled->exitCode == 0, assembled->messages.constData());
    const int start = 2 * assembled->tableWord;
    QVERIFY(start > 0);
    for (int i = 0; i < 256; ++i)
        QCOMPARE(int(assembled->image.value(start + i)), int(table[i]));
    QCOMPARE(int(assembled->image.value(start + 256)), 10);
    QCOMPARE(int(assembled->image.value(start + 257, 0xAA)), 0);
}

void ExampleTemplateTest::hexParserRejectsBadChecksum()
{
    QVERIFY(ReadHexImage(":0400000008C0189587\n:00000001FF\n"));
    QVERIFY(!ReadHexImage(":0400000008C0189588\n:00000001FF\n"));
}

QTEST_GUILESS_MAIN(ExampleTemplateTest)
#include "example_template_test.moc"
