#include "app/design.h"
#include "app/event_procedures.h"

#include "platform/files.h"
#include "tests/support/memory_window_model.h"
#include "tests/support/test_data.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace app;
using testsupport::WriteBytes;

// Folders inside one temporary folder: "settings/" for pulsakor.ini, "start"
// as the current folder (reported without separator, as the platform does),
// "other/" for templates and work elsewhere, "tools/avra" as the default
// assembler when a test installs it.
class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void noSettingsFilesGiveDefaults();
    void missingDefaultAssemblerKeepsDesignText();
    void iniAssemblerReplacesDefault();
    void templateShownAtStart_data();
    void templateShownAtStart();
    void emptyFolderLinesBecomeSeparator();
    void parametersComeFromRestoredWorkFolder();
    void garbageIniKeepsStartValues();

private:
    // In the platform's own separators, as a user's settings hold them.
    QString Path(const QString &relative) const
    {
        return QDir::toNativeSeparators(m_root + relative);
    }
    StartEnvironment Environment() const
    {
        return {Path("settings/"), Path("start"), Path("tools/avra")};
    }
    void WriteIni(const QStringList &lines)
    {
        WriteBytes(Path("settings/pulsakor.ini"), (lines.join("\r\n") + "\r\n").toUtf8());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
};

void StartupTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_root = m_dir->path() + u'/';
    QDir root(m_root);
    for (const char *folder : {"settings", "start", "other", "tools"})
        QVERIFY(root.mkdir(folder));
}

void StartupTest::noSettingsFilesGiveDefaults()
{
    WriteBytes(Path("tools/avra"), "x");
    MemoryWindowModel window;
    LoadStartValues(window, Environment());
    QCOMPARE(window.folders().settingsFolder, Path("settings/"));
    QCOMPARE(window.folders().templateFolder, Path("start/"));
    QCOMPARE(window.folders().workFolder, Path("start/"));
    QCOMPARE(window.assemblerPath, Path("tools/avra"));
    QCOMPARE(window.templatePath, design::kLabel3Caption);
    QCOMPARE(window.parameterTexts, design::kText1Texts);
}

void StartupTest::missingDefaultAssemblerKeepsDesignText()
{
    MemoryWindowModel window;
    LoadStartValues(window, Environment());
    QCOMPARE(window.assemblerPath, design::kLabel5Caption);
}

void StartupTest::iniAssemblerReplacesDefault()
{
    WriteBytes(Path("tools/avra"), "x");
    WriteBytes(Path("other/avrasm32.exe"), "x");
    WriteIni({"", Path("other/avrasm32.exe"), Path("start"), Path("start"), " 0 "});
    MemoryWindowModel window;
    LoadStartValues(window, Environment());
    QCOMPARE(window.assemblerPath, Path("other/avrasm32.exe"));
}

void StartupTest::templateShownAtStart_data()
{
    QTest::addColumn<QStringList>("templates"); // files made in "other/"
    QTest::addColumn<QString>("iniTemplate");   // line 1, relative to the root
    QTest::addColumn<QString>("expected");      // relative to the root, or a design text

    QTest::newRow("restored template, no other match")
        << QStringList{"servo07.asm"} << "other/servo07.asm" << "other/servo07.asm";
    QTest::newRow("deleted template, folder holds another")
        << QStringList{"servo03.asm"} << "other/servo01.asm" << "other/servo03.asm";
    QTest::newRow("first match wins over the restored one")
        << QStringList{"servo02.asm", "servo09.asm", "servoab.asm"} << "other/servo09.asm"
        << "other/servo02.asm";
    QTest::newRow("deleted template, no match keeps design text")
        << QStringList{"servo1.asm", "servo123.asm", "servo01.asm.bak"} << "other/servo01.asm"
        << design::kLabel3Caption;
    QTest::newRow("a folder matching the pattern does not count")
        << QStringList{} << "other/servo01.asm" << design::kLabel3Caption;
}

void StartupTest::templateShownAtStart()
{
    QFETCH(QStringList, templates);
    QFETCH(QString, iniTemplate);
    QFETCH(QString, expected);
    for (const QString &name : templates)
        WriteBytes(Path("other/" + name), "x");
    QVERIFY(QDir(Path("other")).mkdir("servo00.asm"));
    WriteIni({Path(iniTemplate), "", Path("other/"), Path("start/"), " 0 "});

    MemoryWindowModel window;
    LoadStartValues(window, Environment());
    QCOMPARE(window.templatePath, expected == design::kLabel3Caption ? expected : Path(expected));
    QCOMPARE(window.folders().templateFolder, Path("other/"));
}

void StartupTest::emptyFolderLinesBecomeSeparator()
{
    WriteIni({"", "", "", "", " 1 "});
    MemoryWindowModel window;
    LoadStartValues(window, Environment());
    QCOMPARE(window.folders().templateFolder, QString(QDir::separator()));
    QCOMPARE(window.folders().workFolder, QString(QDir::separator()));
    QCOMPARE(window.deleteAsmValue, 1);
}

void StartupTest::parametersComeFromRestoredWorkFolder()
{
    WriteBytes(Path("start/pulsakor.cfg"), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");
    WriteBytes(Path("other/pulsakor.cfg"), "0480\r\n 0300\r\n4700\r\n0900\r\n2100\r\n12\r\n");
    // Line 4 without separator: the separator is added before the lookup.
    WriteIni({"", "", Path("start"), Path("other"), " 0 "});
    MemoryWindowModel window;
    LoadStartValues(window, Environment());
    QCOMPARE(window.folders().workFolder, Path("other/"));
    QCOMPARE(window.parameterTexts[0], QString("0480"));
    QCOMPARE(window.parameterTexts[1], QString(" 0300"));
    QCOMPARE(window.parameterTexts[5], QString("12"));
}

void StartupTest::garbageIniKeepsStartValues()
{
    WriteBytes(Path("tools/avra"), "x");
    WriteBytes(Path("start/pulsakor.cfg"), "4900\r\n");
    WriteBytes(Path("settings/pulsakor.ini"), QByteArray("\xff\xfe\x00\x01garbage", 11));
    MemoryWindowModel window;
    LoadStartValues(window, Environment());
    QCOMPARE(window.assemblerPath, Path("tools/avra"));
    QCOMPARE(window.templatePath, design::kLabel3Caption);
    QCOMPARE(window.folders().templateFolder, Path("start/"));
    QCOMPARE(window.parameterTexts[0], QString("4900"));
}

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
