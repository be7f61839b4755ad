#include "app/settings_files.h"

#include "app/design.h"

#include "platform/files.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/memory_window_model.h"
#include "tests/support/test_data.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

using namespace app;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

class SettingsFilesTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void parametersFileHasOneLinePerFieldEndingInCrLf();
    void parametersComeBackUnchanged_data();
    void parametersComeBackUnchanged();
    void parametersKeepTheSystemEncoding_data();
    void parametersKeepTheSystemEncoding();
    void parametersFileFillsTheFieldsLineByLine_data();
    void parametersFileFillsTheFieldsLineByLine();
    void missingParametersFileChangesNothing();

    void settingsFileHasFiveLinesEndingInCrLf();
    void settingsComeBackAfterSave();
    void pathsComeBackExactlyInEveryLocale_data();
    void pathsComeBackExactlyInEveryLocale();
    void settingsFolderIsCreatedOnFirstSave();
    void unwritableFolderIsSkippedSilently();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void settingsFileFillsTheWindowLineByLine_data();
    void settingsFileFillsTheWindowLineByLine();
    void missingSettingsFileChangesNothing();

    void checkValueIsReadFromItsLine_data();
    void checkValueIsReadFromItsLine();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder; // the temporary folder with its trailing separator
};

void SettingsFilesTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->path() + u'/';
}

void SettingsFilesTest::parametersFileHasOneLinePerFieldEndingInCrLf()
{
    MemoryWindowModel window;
    window.folders().workFolder = m_folder;
    window.parameterTexts = {"5000", "0500", " 4500 ", "", "2000", "10"};
    SaveParameters(window);
    QCOMPARE(ReadBytes(m_folder + "pulsakor.cfg"),
             QByteArray("5000\r\n0500\r\n 4500 \r\n\r\n2000\r\n10\r\n"));
}

void SettingsFilesTest::parametersComeBackUnchanged_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("design values")
        << QStringList(design::kText1Texts.begin(), design::kText1Texts.end());
    QTest::newRow("leading zeros and blanks")
        << QStringList{"005000", " 0500", "4500  ", " ", "0", "  10 "};
}

void SettingsFilesTest::parametersComeBackUnchanged()
{
    QFETCH(QStringList, texts);
    MemoryWindowModel saved;
    saved.folders().workFolder = m_folder;
    for (int i = 0; i < 6; ++i)
        saved.parameterTexts[i] = texts[i];
    SaveParameters(saved);

    MemoryWindowModel loaded;
    loaded.parameterTexts = {"x", "x", "x", "x", "x", "x"};
    loaded.folders().workFolder = m_folder;
    LoadParameters(loaded);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(loaded.parameterTexts[i], texts[i]);
}

void SettingsFilesTest::parametersKeepTheSystemEncoding_data()
{
    // The suites run under C.UTF-8, where the system's encoding is UTF-8; a
    // German 8-bit locale shows a file written in UTF-8 (or in Latin-1,
    // where "€" has no byte) for what it is.
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("charset");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("umlaut and euro sign, ISO-8859-15")
        << "de_DE" << "ISO-8859-15" << "4500 ä €" << QByteArray("4500 \xe4 \xa4\r\n");
}

void SettingsFilesTest::parametersKeepTheSystemEncoding()
{
#ifdef Q_OS_WIN
    QSKIP("the locale variables choose the encoding on Linux only");
#endif
    QFETCH(QString, language);
    QFETCH(QString, charset);
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);
    // The locale is built for this test alone, so it needs neither root nor
    // the system's list of locales.
    QTemporaryDir locales;
    QVERIFY(locales.isValid());
    const QString name = language + u'.' + charset;
    if (QProcess::execute(QStringLiteral("localedef"),
                          {"-i", language, "-c", "-f", charset, locales.filePath(name)})
        != 0)
        QSKIP("localedef cannot build the locale");
    const QByteArray oldLocale = qgetenv("LC_ALL");
    const QByteArray oldPath = qgetenv("LOCPATH");
    qputenv("LOCPATH", QFile::encodeName(locales.path()));
    qputenv("LC_ALL", name.toLatin1());
    const auto restore = qScopeGuard([&] {
        qputenv("LC_ALL", oldLocale);
        if (oldPath.isEmpty())
            qunsetenv("LOCPATH");
        else
            qputenv("LOCPATH", oldPath);
    });

    MemoryWindowModel saved;
    saved.folders().workFolder = m_folder;
    saved.parameterTexts[0] = text;
    SaveParameters(saved);
    QVERIFY(ReadBytes(m_folder + "pulsakor.cfg").startsWith(stored));

    MemoryWindowModel loaded;
    loaded.folders().workFolder = m_folder;
    LoadParameters(loaded);
    QCOMPARE(loaded.parameterTexts[0], text);
}

void SettingsFilesTest::parametersFileFillsTheFieldsLineByLine_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");
    const QStringList untouched(design::kText1Texts.begin(), design::kText1Texts.end());
    QTest::newRow("empty file keeps all") << QByteArray() << untouched;
    QTest::newRow("two lines keep the other four")
        << QByteArray("4800\r\n0300\r\n") << QStringList{"4800", "0300", "4500", "1000", "2000", "10"};
    QTest::newRow("last line without line end")
        << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6") << QStringList{"1", "2", "3", "4", "5", "6"};
    QTest::newRow("lone CR ends a line")
        << QByteArray("1\r2\r3\r\n4\r5\r6\r") << QStringList{"1", "2", "3", "4", "5", "6"};
    QTest::newRow("lone LF is part of the text")
        << QByteArray("1\n2\r\n3\r\n4\r\n5\r\n6\r\n") << QStringList{"1\n2", "3", "4", "5", "6", "10"};
    QTest::newRow("empty lines empty the fields")
        << QByteArray("\r\n\r\n3\r\n") << QStringList{"", "", "3", "1000", "2000", "10"};
    QTest::newRow("extra lines ignored")
        << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n") << QStringList{"1", "2", "3", "4", "5", "6"};
}

void SettingsFilesTest::parametersFileFillsTheFieldsLineByLine()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    WriteBytes(m_folder + "pulsakor.cfg", file);
    MemoryWindowModel window;
    window.folders().workFolder = m_folder;
    LoadParameters(window);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(window.parameterTexts[i], expected[i]);
}

void SettingsFilesTest::missingParametersFileChangesNothing()
{
    // A folder named like the file does not count as the file.
    QVERIFY(QDir(m_folder).mkdir("pulsakor.cfg"));
    MemoryWindowModel window;
    window.folders().workFolder = m_folder;
    window.parameterTexts[0] = "4711";
    LoadParameters(window);
    QCOMPARE(window.parameterTexts[0], QString("4711"));
    QCOMPARE(window.parameterTexts[5], design::kText1Texts[5]);
}

void SettingsFilesTest::settingsFileHasFiveLinesEndingInCrLf()
{
    MemoryWindowModel window;
    window.folders().settingsFolder = m_folder;
    window.folders().templateFolder = "/vorlagen/";
    window.folders().workFolder = "";
    window.templatePath = "/vorlagen/servo01.asm";
    window.assemblerPath = "/usr/bin/avra";
    window.deleteAsmValue = 1;
    SaveSettings(window);
    QCOMPARE(ReadBytes(m_folder + "pulsakor.ini"),
             QByteArray("/vorlagen/servo01.asm\r\n/usr/bin/avra\r\n/vorlagen/\r\n\r\n 1 \r\n"));
}

void SettingsFilesTest::settingsComeBackAfterSave()
{
    const QString templatePath = m_folder + "servo05.asm";
    const QString assemblerPath = m_folder + "avra";
    WriteBytes(templatePath, "x");
    WriteBytes(assemblerPath, "x");

    MemoryWindowModel saved;
    saved.folders() = {m_folder, "/a b/vorlagen/", "/a b/ziel/"};
    saved.templatePath = templatePath;
    saved.assemblerPath = assemblerPath;
    saved.deleteAsmValue = 2;
    SaveSettings(saved);

    MemoryWindowModel loaded;
    loaded.folders().settingsFolder = m_folder;
    LoadSettings(loaded);
    QCOMPARE(loaded.templatePath, templatePath);
    QCOMPARE(loaded.assemblerPath, assemblerPath);
    QCOMPARE(loaded.folders().templateFolder, QString("/a b/vorlagen/"));
    QCOMPARE(loaded.folders().workFolder, QString("/a b/ziel/"));
    QCOMPARE(loaded.deleteAsmValue, 2);
}

void SettingsFilesTest::pathsComeBackExactlyInEveryLocale_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<QByteArray>("storedName");
    QTest::newRow("umlaut, UTF-8") << QByteArray("C.UTF-8") << "Vorlagenä" << QByteArray("Vorlagen\xc3\xa4");
    // Stored files keep the locale's encoding where it holds the path.
    QTest::newRow("umlaut, C locale") << QByteArray("C") << "Vorlagenä" << QByteArray("Vorlagen\xe4");
    QTest::newRow("euro sign, C locale") << QByteArray("C") << "Vorlagen€" << QByteArray("Vorlagen\xe2\x82\xac");
}

void SettingsFilesTest::pathsComeBackExactlyInEveryLocale()
{
#ifdef Q_OS_WIN
    QSKIP("the locale variables choose the encoding on Linux only");
#endif
    QFETCH(QByteArray, locale);
    QFETCH(QString, folderName);
    QFETCH(QByteArray, storedName);
    const QByteArray oldLocale = qgetenv("LC_ALL");
    qputenv("LC_ALL", locale);
    const auto restore = qScopeGuard([&] { qputenv("LC_ALL", oldLocale); });

    const QString folder = m_folder + folderName + u'/';
    QVERIFY(QDir().mkpath(folder));
    WriteBytes(folder + "servo05.asm", "x");
    MemoryWindowModel saved;
    saved.folders() = {m_folder, folder, folder};
    saved.templatePath = folder + "servo05.asm";
    saved.assemblerPath = folder + "avra";
    WriteBytes(saved.assemblerPath, "x");
    SaveSettings(saved);
    QVERIFY(ReadBytes(m_folder + "pulsakor.ini").contains(storedName));

    MemoryWindowModel loaded;
    loaded.folders().settingsFolder = m_folder;
    LoadSettings(loaded);
    QCOMPARE(loaded.templatePath, saved.templatePath);
    QCOMPARE(loaded.assemblerPath, saved.assemblerPath);
    QCOMPARE(loaded.folders().templateFolder, folder);
    QCOMPARE(loaded.folders().workFolder, folder);
}

void SettingsFilesTest::settingsFolderIsCreatedOnFirstSave()
{
    MemoryWindowModel window;
    window.folders().settingsFolder = m_folder + "config/pulsakor/";
    SaveSettings(window);
    QVERIFY(QFileInfo(m_folder + "config/pulsakor/pulsakor.ini").isFile());
}

void SettingsFilesTest::unwritableFolderIsSkippedSilently()
{
    // The work folder is a file here, so nothing can be written below it.
    WriteBytes(m_folder + "blocked", "keep");
    MemoryWindowModel window;
    window.folders().workFolder = m_folder + "blocked/";
    window.folders().settingsFolder = m_folder + "blocked/";
    SaveParameters(window);
    SaveSettings(window);
    QCOMPARE(ReadBytes(m_folder + "blocked"), QByteArray("keep"));
    QCOMPARE(QDir(m_folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"blocked"});
}

void SettingsFilesTest::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("settings");
    QTest::newRow("pulsakor.cfg") << false;
    QTest::newRow("pulsakor.ini") << true;
}

// A full disk: the new file does not fit, the old one must survive whole.
void SettingsFilesTest::failedSaveKeepsTheOldFile()
{
    FULL_DISK_TEST_ONLY_ON_LINUX();
    QFETCH(bool, settings);
    const QString path = m_folder + (settings ? "pulsakor.ini" : "pulsakor.cfg");
    const QByteArray old("old settings\r\n");
    WriteBytes(path, old);

    MemoryWindowModel window;
    window.folders() = {m_folder, m_folder, m_folder};
    window.templatePath = QString(300, u't');
    window.parameterTexts[0] = QString(300, u'5');
    const auto child = testsupport::RunWithFileSizeLimit(100, [&](QString *) {
        settings ? SaveSettings(window) : SaveParameters(window);
        return true;
    });

    QVERIFY(child.ranToEnd);
    QCOMPARE(ReadBytes(path), old);
    QCOMPARE(QDir(m_folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

void SettingsFilesTest::settingsFileFillsTheWindowLineByLine_data()
{
    // "%T" stands for the temporary folder, which holds servo01.asm and avra.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("templatePath");
    QTest::addColumn<QString>("assemblerPath");
    QTest::addColumn<QString>("templateFolder");
    QTest::addColumn<QString>("workFolder");
    QTest::addColumn<int>("check");

    QTest::newRow("complete") << QByteArray("%Tservo01.asm\r\n%Tavra\r\n/v/\r\n/w/\r\n 1 \r\n")
                              << "%Tservo01.asm" << "%Tavra" << "/v/" << "/w/" << 1;
    QTest::newRow("check digit without blanks")
        << QByteArray("\r\n\r\n/v/\r\n/w/\r\n1\r\n") << design::kLabel3Caption << design::kLabel5Caption << "/v/" << "/w/" << 1;
    QTest::newRow("check out of range kept")
        << QByteArray("\r\n\r\n/v/\r\n/w/\r\n 3 \r\n") << design::kLabel3Caption << design::kLabel5Caption << "/v/" << "/w/" << 2;
    QTest::newRow("missing paths keep the labels")
        << QByteArray("%Tservo99.asm\r\n%Tavrasm32.exe\r\n/v/\r\n/w/\r\n 0 \r\n")
        << design::kLabel3Caption << design::kLabel5Caption << "/v/" << "/w/" << 0;
    QTest::newRow("folder as template path keeps the label")
        << QByteArray("%T\r\n%T\r\n") << design::kLabel3Caption << design::kLabel5Caption << "/start/" << "/start/" << 2;
    QTest::newRow("wildcard path keeps the label")
        << QByteArray("%Tservo??.asm\r\n%Tav*\r\n") << design::kLabel3Caption << design::kLabel5Caption << "/start/" << "/start/" << 2;
    QTest::newRow("empty folder lines taken as they stand")
        << QByteArray("\r\n\r\n\r\n\r\n 1 \r\n") << design::kLabel3Caption << design::kLabel5Caption << "" << "" << 1;
    QTest::newRow("empty file keeps all") << QByteArray() << design::kLabel3Caption << design::kLabel5Caption << "/start/" << "/start/" << 2;
    QTest::newRow("two lines keep folders and check")
        << QByteArray("%Tservo01.asm\r\n%Tavra\r\n") << "%Tservo01.asm" << "%Tavra" << "/start/" << "/start/" << 2;
    QTest::newRow("three lines keep work folder")
        << QByteArray("\r\n\r\n/v/") << design::kLabel3Caption << design::kLabel5Caption << "/v/" << "/start/" << 2;
    QTest::newRow("lone CR line ends")
        << QByteArray("%Tservo01.asm\r%Tavra\r/v/\r/w/\r 1 \r") << "%Tservo01.asm" << "%Tavra" << "/v/" << "/w/" << 1;
    QTest::newRow("lone LF stays in the folder")
        << QByteArray("\r\n\r\n/v\n/\r\n/w/\r\n") << design::kLabel3Caption << design::kLabel5Caption << "/v\n/" << "/w/" << 2;
    QTest::newRow("blanks around a path are part of it")
        << QByteArray(" %Tservo01.asm\r\n\r\n /v/ \r\n") << design::kLabel3Caption << design::kLabel5Caption << " /v/ " << "/start/" << 2;
}

void SettingsFilesTest::settingsFileFillsTheWindowLineByLine()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, templatePath);
    QFETCH(QString, assemblerPath);
    QFETCH(QString, templateFolder);
    QFETCH(QString, workFolder);
    QFETCH(int, check);
    WriteBytes(m_folder + "servo01.asm", "x");
    WriteBytes(m_folder + "avra", "x");
    WriteBytes(m_folder + "pulsakor.ini", file.replace("%T", m_folder.toUtf8()));

    MemoryWindowModel window;
    window.folders() = {m_folder, "/start/", "/start/"};
    window.deleteAsmValue = 2;
    LoadSettings(window);
    QCOMPARE(window.templatePath, QString(templatePath).replace("%T", m_folder));
    QCOMPARE(window.assemblerPath, QString(assemblerPath).replace("%T", m_folder));
    QCOMPARE(window.folders().templateFolder, templateFolder);
    QCOMPARE(window.folders().workFolder, workFolder);
    QCOMPARE(window.deleteAsmValue, check);
}

void SettingsFilesTest::missingSettingsFileChangesNothing()
{
    MemoryWindowModel window;
    window.folders() = {m_folder, "/start/", "/start/"};
    window.assemblerPath = "/usr/bin/avra";
    window.deleteAsmValue = 1;
    LoadSettings(window);
    QCOMPARE(window.templatePath, design::kLabel3Caption);
    QCOMPARE(window.assemblerPath, QString("/usr/bin/avra"));
    QCOMPARE(window.folders().templateFolder, QString("/start/"));
    QCOMPARE(window.folders().workFolder, QString("/start/"));
    QCOMPARE(window.deleteAsmValue, 1);
}

void SettingsFilesTest::checkValueIsReadFromItsLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("value");
    QTest::newRow("as written") << " 1 " << 1;
    QTest::newRow("bare digit") << "2" << 2;
    QTest::newRow("tabs and blanks") << "\t 1  " << 1;
    QTest::newRow("leading zero") << "01" << 1;
    QTest::newRow("too large") << " 3 " << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("inner blank") << "1 1" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("word") << "ja" << -1;
}

void SettingsFilesTest::checkValueIsReadFromItsLine()
{
    QFETCH(QString, line);
    QFETCH(int, value);
    QCOMPARE(CheckValueFromLine(line), value);
}

QTEST_GUILESS_MAIN(SettingsFilesTest)
#include "settings_files_test.moc"
