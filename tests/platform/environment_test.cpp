#include "platform/environment.h"
#include "platform/files.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

// Makes the files below the folder; "name/" makes a folder.
static bool MakeFiles(const QTemporaryDir &dir, const QStringList &files)
{
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        const bool folder = name.endsWith(u'/');
        if (!QDir().mkpath(folder ? file.fileName() : QFileInfo(file).path())
            || (!folder && !file.open(QIODevice::WriteOnly)))
            return false;
    }
    return true;
}

class EnvironmentTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void settingsFolderComesFromTemp_data();
    void settingsFolderComesFromTemp();
#ifndef Q_OS_WIN
    void settingsFolderIsTheUsersOwn_data();
    void settingsFolderIsTheUsersOwn();
    void defaultAssemblerIsFoundOnPath();
#endif
    void currentFolderHasNoTrailingSeparator();
    void findFirstFileTakesTheFirstMatchingName_data();
    void findFirstFileTakesTheFirstMatchingName();
    void teachInFirmwareIsBesideOrInstalled_data();
    void teachInFirmwareIsBesideOrInstalled();

private:
    QByteArray m_path;
    QByteArray m_configHome;
    QString m_currentFolder;
};

void EnvironmentTest::initTestCase()
{
    m_path = qgetenv("PATH");
    m_configHome = qgetenv("XDG_CONFIG_HOME");
    m_currentFolder = QDir::currentPath();
}

void EnvironmentTest::cleanup()
{
    qputenv("PATH", m_path);
    if (m_configHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_configHome);
    QStandardPaths::setTestModeEnabled(false);
    QDir::setCurrent(m_currentFolder);
}

void EnvironmentTest::settingsFolderComesFromTemp_data()
{
    QTest::addColumn<QString>("temp");
    QTest::addColumn<QString>("folder");
    QTest::newRow("missing or empty") << QString() << "c:\\";
    QTest::newRow("without backslash") << "C:\\Temp" << "C:\\Temp\\";
    QTest::newRow("with backslash") << "C:\\Temp\\" << "C:\\Temp\\";
    QTest::newRow("just a backslash") << "\\" << "c:\\";
}

void EnvironmentTest::settingsFolderComesFromTemp()
{
    QFETCH(QString, temp);
    QFETCH(QString, folder);
    QCOMPARE(SettingsFolderFromTemp(temp), folder);
}

#ifndef Q_OS_WIN
void EnvironmentTest::settingsFolderIsTheUsersOwn_data()
{
    QTest::addColumn<QByteArray>("configHome");
    QTest::addColumn<QString>("folder");
    QTest::newRow("unset") << QByteArray() << QDir::homePath() + "/.config/pulsakor/";
    QTest::newRow("absolute") << QByteArray("/srv/conf") << "/srv/conf/pulsakor/";
    QTest::newRow("relative is ignored") << QByteArray("tmp") << QDir::homePath() + "/.config/pulsakor/";
}

void EnvironmentTest::settingsFolderIsTheUsersOwn()
{
    QFETCH(QByteArray, configHome);
    QFETCH(QString, folder);
    if (configHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", configHome);
    QCOMPARE(SettingsFolder(), folder);

    QStandardPaths::setTestModeEnabled(true);
    const QString testFolder = SettingsFolder();
    QVERIFY(QDir::isAbsolutePath(testFolder));
    QVERIFY(testFolder.endsWith("/pulsakor/"));
    QVERIFY(!testFolder.startsWith(QDir::tempPath()));
}

void EnvironmentTest::defaultAssemblerIsFoundOnPath()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qputenv("PATH", QFile::encodeName(dir.path()));
    QCOMPARE(DefaultAssemblerPath(), QString("/usr/bin/avra"));

    QFile avra(dir.filePath("avra"));
    QVERIFY(avra.open(QIODevice::WriteOnly));
    avra.close();
    // Not executable yet: not an assembler.
    QCOMPARE(DefaultAssemblerPath(), QString("/usr/bin/avra"));
    QVERIFY(avra.setPermissions(avra.permissions() | QFile::ExeOwner | QFile::ExeUser));
    QCOMPARE(DefaultAssemblerPath(), dir.filePath("avra"));
}
#endif

void EnvironmentTest::currentFolderHasNoTrailingSeparator()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir::setCurrent(dir.path()));
    QCOMPARE(CurrentFolder(), QDir::toNativeSeparators(QDir(dir.path()).canonicalPath()));
    QVERIFY(!CurrentFolder().endsWith(FolderSeparator()));
}

void EnvironmentTest::findFirstFileTakesTheFirstMatchingName_data()
{
    QTest::addColumn<QStringList>("files");   // made in the folder; "name/" makes a folder
    QTest::addColumn<QString>("pattern");     // searched in the folder
    QTest::addColumn<QString>("found");
    QTest::newRow("first by name")
        << QStringList{"servo09.asm", "servo01.asm", "servo1a.asm"} << "servo??.asm" << "servo01.asm";
    QTest::newRow("folders do not count")
        << QStringList{"servo00.asm/", "servo05.asm"} << "servo??.asm" << "servo05.asm";
    QTest::newRow("question mark is one character")
        << QStringList{"servo1.asm", "servo123.asm"} << "servo??.asm" << QString();
    QTest::newRow("hidden file does not count") << QStringList{".servo01.asm"} << ".servo01.asm" << QString();
    QTest::newRow("empty name") << QStringList{"x"} << QString() << QString();
}

void EnvironmentTest::findFirstFileTakesTheFirstMatchingName()
{
    QFETCH(QStringList, files);
    QFETCH(QString, pattern);
    QFETCH(QString, found);
    QTemporaryDir dir;
    QVERIFY(dir.isValid() && MakeFiles(dir, files));
    const QString path = pattern.isEmpty() ? QString() : dir.path() + u'/' + pattern;
    QCOMPARE(FindFirstFile(path), found);
    QCOMPARE(FileExists(path), !found.isEmpty());
}

void EnvironmentTest::teachInFirmwareIsBesideOrInstalled_data()
{
    QTest::addColumn<QStringList>("files"); // below a temporary folder whose bin/ holds the program
    QTest::addColumn<QString>("found");     // below it; empty: none
    const QString installed = "share/pulsakor/examples/einlernen.hex";
    QTest::newRow("beside the program first")
        << QStringList{"bin/einlernen.hex", installed} << "bin/einlernen.hex";
    QTest::newRow("installed") << QStringList{installed} << installed;
    // Nothing installed either: neither place is taken unchecked.
    QTest::newRow("a folder is no file") << QStringList{"bin/einlernen.hex/"} << QString();
}

void EnvironmentTest::teachInFirmwareIsBesideOrInstalled()
{
    QFETCH(QStringList, files);
    QFETCH(QString, found);
    QTemporaryDir dir;
    QVERIFY(dir.isValid() && MakeFiles(dir, QStringList{"bin/"} + files));
    const QString path = TeachInFirmwarePathFor(QDir::toNativeSeparators(dir.filePath("bin")));
    QCOMPARE(path, found.isEmpty() ? QString() : QDir::toNativeSeparators(dir.filePath(found)));
}

QTEST_GUILESS_MAIN(EnvironmentTest)
#include "environment_test.moc"
