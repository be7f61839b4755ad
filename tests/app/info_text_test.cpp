#include "app/info_text.h"

#include <QtTest>

class InfoTextTest : public QObject {
    Q_OBJECT
private slots:
    void nineLinesKeepTheirBlanks();
};

void InfoTextTest::nineLinesKeepTheirBlanks()
{
    const QString text = app::BuildInfoText();
    QVERIFY(!text.endsWith(QLatin1Char('\n')));
    QCOMPARE(text.count(QLatin1Char('\r')), text.count(QLatin1Char('\n')));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 9);
    QVERIFY(lines[2].isEmpty() && lines[5].isEmpty() && lines[7].isEmpty());
    // Pieces joined without a separator keep their own trailing blanks.
    QVERIFY(lines[0].contains(QStringLiteral("eingebunden wird. Diese Korrekturtabelle")));
    QVERIFY(lines[0].endsWith(QStringLiteral("aufweisen. ")));
    QVERIFY(lines[4].contains(QStringLiteral("herum. Ist der Wert zu groß")));
    QVERIFY(lines[6].endsWith(QStringLiteral("Daten zum Servo enthalten sind .")));
    QVERIFY(lines[8].endsWith(QStringLiteral("fährt. ")));
}

QTEST_GUILESS_MAIN(InfoTextTest)
#include "info_text_test.moc"
