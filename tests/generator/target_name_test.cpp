#include "generator/target_name.h"

#include <QSet>
#include <QtTest>

using namespace generator;

class TargetNameTest : public QObject {
    Q_OBJECT
private slots:
    void proposesFirstFreeName_data();
    void proposesFirstFreeName();
    void targetBaseEndsBeforeTheExtension_data();
    void targetBaseEndsBeforeTheExtension();
};

void TargetNameTest::proposesFirstFreeName_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<bool>("deleteSource");
    QTest::addColumn<QString>("proposal");

    QTest::newRow("empty folder") << QStringList{} << false << "servo000.asm";
    QTest::newRow("empty folder, source deleted") << QStringList{} << true << "servo000.hex";
    QTest::newRow("two taken") << QStringList{"servo000.asm", "servo001.asm"} << false
                               << "servo002.asm";
    QTest::newRow("gap filled") << QStringList{"servo001.asm"} << false << "servo000.asm";
    QTest::newRow("deleting the source ignores asm")
        << QStringList{"servo000.asm"} << true << "servo000.hex";
    QTest::newRow("keeping the source ignores hex")
        << QStringList{"servo000.hex", "servo001.hex"} << false << "servo000.asm";

    QStringList nearlyAll;
    for (int i = 0; i < 1000; ++i) {
        if (i != 457)
            nearlyAll << QStringLiteral("servo%1.asm").arg(i, 3, 10, QLatin1Char('0'));
    }
    QTest::newRow("only 457 free") << nearlyAll << false << "servo457.asm";
    nearlyAll << "servo457.asm";
    QTest::newRow("all taken gives 999") << nearlyAll << false << "servo999.asm";
}

void TargetNameTest::proposesFirstFreeName()
{
    QFETCH(QStringList, existing);
    QFETCH(bool, deleteSource);
    QFETCH(QString, proposal);

    const QString folder = QStringLiteral("/daten/servos/");
    QSet<QString> files;
    for (const QString &name : existing)
        files.insert(folder + name);
    QStringList probed;
    const QString result = ProposeTargetName(folder, deleteSource, [&](const QString &path) {
        probed << path;
        return files.contains(path);
    });
    QCOMPARE(result, proposal);
    // The search stops at the first free name and probes full paths.
    QVERIFY(!probed.isEmpty() && probed.size() <= 1000);
    QVERIFY(probed.last().startsWith(folder));
}

void TargetNameTest::targetBaseEndsBeforeTheExtension_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("base");

    QTest::newRow("windows hex") << "D:\\Projekt\\servo123.hex" << "D:\\Projekt\\servo123.";
    QTest::newRow("asm") << "/daten/servo007.asm" << "/daten/servo007.";
    QTest::newRow("no extension") << "/daten/probe" << "/daten/probe.";
    QTest::newRow("windows no extension") << "C:\\Daten\\probe" << "C:\\Daten\\probe.";
    QTest::newRow("short extension") << "/daten/probe.s" << "/daten/probe.";
    QTest::newRow("long extension") << "/daten/probe.text" << "/daten/probe.";
    QTest::newRow("two dots") << "/daten/servo.alt.asm" << "/daten/servo.alt.";
    QTest::newRow("dot only in folder") << "/da.ten/probe" << "/da.ten/probe.";
    QTest::newRow("trailing dot") << "/daten/probe." << "/daten/probe.";
}

void TargetNameTest::targetBaseEndsBeforeTheExtension()
{
    QFETCH(QString, chosen);
    QFETCH(QString, base);
    QCOMPARE(TargetBase(chosen), base);
}

QTEST_GUILESS_MAIN(TargetNameTest)
#include "target_name_test.moc"
