#include "app/hints.h"
#include "app/info_text.h"

#include <QtTest>

class HintsTest : public QObject {
    Q_OBJECT
private slots:
    void fieldHints_data();
    void fieldHints();
    void tableHasTextsOnlyForTheControls();
    void infoTextHasNineLinesWithoutFinalLineEnd();
};

void HintsTest::fieldHints_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("text1Hint");
    QTest::addColumn<int>("label1Hint");
    QTest::newRow("supply voltage") << 0 << 7 << 1;
    QTest::newRow("one end stop voltage") << 1 << 7 << 2;
    QTest::newRow("other end stop voltage") << 2 << 7 << 3;
    QTest::newRow("pulse width at one end") << 3 << 8 << 4;
    QTest::newRow("pulse width at other end") << 4 << 8 << 5;
    QTest::newRow("PWM count range") << 5 << 9 << 6;
}

void HintsTest::fieldHints()
{
    QFETCH(int, index);
    QFETCH(int, text1Hint);
    QFETCH(int, label1Hint);
    QCOMPARE(app::Text1HintIndex(index), text1Hint);
    QCOMPARE(app::Label1HintIndex(index), label1Hint);
}

void HintsTest::tableHasTextsOnlyForTheControls()
{
    const app::HintTable table = app::BuildHintTexts();
    QCOMPARE(table.size(), std::size_t(100));
    QVERIFY(table[0].isEmpty());
    for (int i = 1; i <= 17; ++i)
        QVERIFY2(!table[i].isEmpty(), qPrintable(QString::number(i)));
    for (int i = 18; i < 100; ++i)
        QVERIFY2(table[i].isEmpty(), qPrintable(QString::number(i)));
    // Both pulse-width caption boxes explain the same thing.
    QCOMPARE(table[5], table[4]);
    QCOMPARE(table[13], QStringLiteral("Mausklick beendet das Programm."));
}

void HintsTest::infoTextHasNineLinesWithoutFinalLineEnd()
{
    const QString text = app::BuildInfoText();
    QVERIFY(!text.endsWith(QLatin1Char('\n')));
    QCOMPARE(text.count(QLatin1Char('\r')), text.count(QLatin1Char('\n')));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 9);
    QVERIFY(lines[2].isEmpty());
    QVERIFY(lines[5].isEmpty());
    QVERIFY(lines[7].isEmpty());
    // Pieces joined without a separator keep their own trailing blanks.
    QVERIFY(lines[0].contains(QStringLiteral("eingebunden wird. Diese Korrekturtabelle")));
    QVERIFY(lines[0].endsWith(QStringLiteral("aufweisen. ")));
    QVERIFY(lines[6].endsWith(QStringLiteral("Daten zum Servo enthalten sind .")));
    QVERIFY(lines[6].contains(QStringLiteral("'?\?' für zwei Ziffern")));
    QVERIFY(lines[8].endsWith(QStringLiteral("fährt. ")));
}

QTEST_GUILESS_MAIN(HintsTest)
#include "hints_test.moc"
