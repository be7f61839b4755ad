#include "generator/correction_table.h"
#include "generator/parameter_text.h"
#include "generator/run_summary.h"
#include "generator/side_files.h"

#include "platform/assembler_process.h"
#include "platform/files.h"
#include "platform/text_encoding.h"
#include "tests/support/expected_output.h"
#include "tests/support/test_data.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace generator;

namespace {

ServoParameters Ordered(const ParameterTexts &texts)
{
    return testsupport::OrderedTableFor(texts).ordered;
}

QString Block(const QString &supply, const QString &minV, const QString &maxV,
              const QString &minP, const QString &maxP)
{
    return testsupport::SummaryWith({supply, minV, maxV, minP, maxP});
}

} // namespace

class RunSummaryTest : public QObject {
    Q_OBJECT
private slots:
    void summaryNamesTheOrderedValues_data();
    void summaryNamesTheOrderedValues();
    void summaryIsAppendedAfterAssemblerOutput();
    void summaryCreatesMissingLog();
    void logViewPutsTheListingAfterTheLog_data();
    void logViewPutsTheListingAfterTheLog();
    void logViewOfASummaryAloneStartsWithAnEmptyLine();
    void logViewStopsAfterTheOutputLimit();
    void sideFilesGoAsTheChoiceSays_data();
    void sideFilesGoAsTheChoiceSays();
};

void RunSummaryTest::summaryNamesTheOrderedValues_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");

    QTest::newRow("defaults") << QStringList{"5000", "0500", "4500", "1000", "2000", "10"}
                              << QChar(u'.') << testsupport::GoldenSummary();
    QTest::newRow("comma") << QStringList{"5000", "0500", "4500", "1000", "2000", "10"}
                           << QChar(u',') << Block("5,00", "0,50", "4,50", "1,00", "2,00");
    QTest::newRow("end stops swapped") << QStringList{"5000", "4500", "0500", "2000", "1000", "10"}
                                       << QChar(u'.')
                                       << Block("5.00", "0.50", "4.50", "1.00", "2.00");
    QTest::newRow("higher voltage first, own pulse")
        << QStringList{"5000", "4000", "0500", "1200", "1800", "10"} << QChar(u'.')
        << Block("5.00", "0.50", "4.00", "1.80", "1.20");
    QTest::newRow("negative end stop") << QStringList{"5000", "-500", "4500", "1000", "2000", "10"}
                                       << QChar(u'.')
                                       << Block("5.00", "-0.50", "4.50", "1.00", "2.00");
}

void RunSummaryTest::summaryNamesTheOrderedValues()
{
    QFETCH(QStringList, texts);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    ParameterTexts fields;
    std::copy(texts.begin(), texts.end(), fields.begin());
    QCOMPARE(RunSummaryText(Ordered(fields), separator), expected);
}

void RunSummaryTest::summaryIsAppendedAfterAssemblerOutput()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("servo000.log");
    QVERIFY(platform::WriteFileAtomically(log, "Assembly complete.\n"));
    QVERIFY(AppendRunSummary(log, Ordered(DefaultParameterTexts()), u'.'));
    const QByteArray expected = "Assembly complete.\n"
        + platform::TextEncoding::System().Encode(Block("5.00", "0.50", "4.50", "1.00", "2.00"));
    const std::optional<QByteArray> written = platform::ReadWholeFile(log);
    QVERIFY(written);
    QCOMPARE(*written, expected);
}

void RunSummaryTest::summaryCreatesMissingLog()
{
    QTemporaryDir dir;
    const QString log = dir.filePath("servo000.log");
    QVERIFY(AppendRunSummary(log, Ordered(DefaultParameterTexts()), u'.'));
    const std::optional<QByteArray> written = platform::ReadWholeFile(log);
    QVERIFY(written);
    QVERIFY(written->startsWith("\r\n===="));

    QString error;
    QVERIFY(!AppendRunSummary(dir.filePath("fehlt/servo000.log"), Ordered(DefaultParameterTexts()),
                              u'.', &error));
    QVERIFY2(error.contains("servo000.log"), qPrintable(error));
}

void RunSummaryTest::logViewPutsTheListingAfterTheLog_data()
{
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("view");
    const QString listing = QStringLiteral(";Potispannung: 5.00 Volt\r\n");

    QTest::newRow("empty log") << "" << "\r\n" + listing;
    QTest::newRow("CR LF lines") << "a\r\nb\r\n" << "a\r\nb\r\n\r\n" + listing;
    QTest::newRow("last line open") << "a\r\nb" << "a\r\nb\r\n\r\n" + listing;
    QTest::newRow("lone CR") << "a\rb\r" << "a\r\nb\r\n\r\n" + listing;
    QTest::newRow("LF stays in its line") << "a\nb\n\r\nc\r\n" << "a\nb\n\r\nc\r\n\r\n" + listing;
}

void RunSummaryTest::logViewPutsTheListingAfterTheLog()
{
    QFETCH(QString, log);
    QFETCH(QString, view);
    QCOMPARE(RunLogView(log, QStringLiteral(";Potispannung: 5.00 Volt\r\n")), view);
}

void RunSummaryTest::logViewOfASummaryAloneStartsWithAnEmptyLine()
{
    // A log without assembler output: an empty line first, the block, an
    // empty line, the listing.
    QTemporaryDir dir;
    const QString log = dir.filePath("servo000.log");
    QVERIFY(AppendRunSummary(log, Ordered(DefaultParameterTexts()), u'.'));
    const std::optional<QString> view = ShowRunLog(log, QStringLiteral("LISTING\r\n"));
    QVERIFY(view);
    QCOMPARE(*view, Block("5.00", "0.50", "4.50", "1.00", "2.00") + "\r\nLISTING\r\n");

    QString error;
    QVERIFY(!ShowRunLog(dir.filePath("servo999.log"), {}, &error));
    QVERIFY(error.contains("servo999.log"));
}

void RunSummaryTest::logViewStopsAfterTheOutputLimit()
{
    // A log that grew far beyond the assembler's limit (another program
    // appending): the view takes the limit and room for the run's lines.
    QTemporaryDir dir;
    const QString log = dir.filePath("servo000.log");
    QVERIFY(platform::WriteFileAtomically(log, QByteArray(3 * platform::DefaultOutputLimit, 'x')));

    const std::optional<QString> view = ShowRunLog(log, "listing");

    QVERIFY(view);
    QVERIFY(view->endsWith("\r\n\r\nlisting"));
    QVERIFY(view->size() > platform::DefaultOutputLimit);
    QVERIFY(view->size() < platform::DefaultOutputLimit + 8192);
}

void RunSummaryTest::sideFilesGoAsTheChoiceSays_data()
{
    QTest::addColumn<bool>("deleteSource");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("remaining");

    const QStringList all{"asm", "hex", "log", "bat", "obj"};
    QTest::newRow("source kept") << false << all << QStringList{"asm", "hex", "log"};
    QTest::newRow("source deleted") << true << all << QStringList{"hex", "log"};
    QTest::newRow("nothing to delete") << true << QStringList{"hex", "log"}
                                       << QStringList{"hex", "log"};
}

void RunSummaryTest::sideFilesGoAsTheChoiceSays()
{
    QFETCH(bool, deleteSource);
    QFETCH(QStringList, present);
    QFETCH(QStringList, remaining);

    QTemporaryDir dir;
    const QString base = dir.filePath("servo012.");
    for (const QString &extension : present)
        QVERIFY(platform::WriteFileAtomically(base + extension, "x"));
    // A file of another run in the same folder is never touched.
    QVERIFY(platform::WriteFileAtomically(dir.filePath("servo013.obj"), "x"));

    QVERIFY(RemoveSideFiles(base, deleteSource));
    QStringList left;
    for (const char *extension : {"asm", "hex", "log", "bat", "obj", "map", "lst"}) {
        if (QFileInfo::exists(base + QLatin1String(extension)))
            left << extension;
    }
    QCOMPARE(left, remaining);
    QVERIFY(QFileInfo::exists(dir.filePath("servo013.obj")));
}

QTEST_GUILESS_MAIN(RunSummaryTest)
#include "run_summary_test.moc"
