#include "app/widgets/text_wrapping.h"

#include <QFontMetrics>
#include <QtTest>

namespace {

const QChar kBreak(0x200B);

} // namespace

class TextWrappingTest : public QObject {
    Q_OBJECT
private slots:
    void captionBreaksOnlyAtBlanks_data();
    void captionBreaksOnlyAtBlanks();
    void pathMayBreakAfterEachSeparator_data();
    void pathMayBreakAfterEachSeparator();
};

void TextWrappingTest::captionBreaksOnlyAtBlanks_data()
{
    // The width is the advance of `fits` in the test's font, plus `extra`
    // pixels: no row depends on a particular font.
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("fits");
    QTest::addColumn<int>("extra");
    QTest::addColumn<QString>("lines");
    QTest::newRow("empty") << "" << "abc" << 0 << "";
    QTest::newRow("only blanks") << "   " << "abc" << 0 << "";
    QTest::newRow("exact fit stays one line") << "aaa bbb" << "aaa bbb" << 0 << "aaa bbb";
    QTest::newRow("a pixel short breaks") << "aaa bbb" << "aaa bbb" << -1 << "aaa\nbbb";
    QTest::newRow("word wider than the width stands alone")
        << "a verylongword b" << "a b" << 0 << "a\nverylongword\nb";
    QTest::newRow("first word wider than the width") << "verylongword b c" << "b c" << 0
                                                     << "verylongword\nb c";
    QTest::newRow("no break after a hyphen")
        << "HEX-Datei erzeugen" << "HEX-" << 0 << "HEX-Datei\nerzeugen";
    QTest::newRow("runs of blanks count as one, ends dropped")
        << "  aaa   bbb  " << "aaa bbb" << 0 << "aaa bbb";
    QTest::newRow("no width: a word per line") << "aaa bbb ccc" << "" << 0 << "aaa\nbbb\nccc";
    QTest::newRow("negative width") << "aaa bbb" << "" << -5 << "aaa\nbbb";
}

void TextWrappingTest::captionBreaksOnlyAtBlanks()
{
    QFETCH(QString, caption);
    QFETCH(QString, fits);
    QFETCH(int, extra);
    QFETCH(QString, lines);
    const QFontMetrics metrics{QFont()};
    QCOMPARE(app::WrapAtBlanks(caption, metrics, metrics.horizontalAdvance(fits) + extra), lines);
}

void TextWrappingTest::pathMayBreakAfterEachSeparator_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty") << "" << "";
    QTest::newRow("bare file name") << "servo00.asm" << "servo00.asm";
    QTest::newRow("Windows path with a blank")
        << R"(C:\AVR Tools\avrasm32.exe)"
        << QStringLiteral("C:\\%1AVR Tools\\%1avrasm32.exe").arg(kBreak);
    QTest::newRow("doubled and trailing separators")
        << "//server/vorlagen/" << QStringLiteral("/%1/%1server/%1vorlagen/%1").arg(kBreak);
    QTest::newRow("mixed separators")
        << "C:/a\\b" << QStringLiteral("C:/%1a\\%1b").arg(kBreak);
}

void TextWrappingTest::pathMayBreakAfterEachSeparator()
{
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(app::WrappablePath(path), shown);
}

QTEST_MAIN(TextWrappingTest)
#include "text_wrapping_test.moc"
