#include "platform/paths.h"

#include <QOperatingSystemVersion>
#include <QtTest>

using namespace platform;

namespace {

// Rows that read differently on Windows say what each platform gives.
const bool kOnWindows = QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;

} // namespace

class PathsTest : public QObject {
    Q_OBJECT
private slots:
    void separatorsAreThePlatformsOwn_data();
    void separatorsAreThePlatformsOwn();
    void folderPathsEndWithASeparator_data();
    void folderPathsEndWithASeparator();
    void folderOfAPathKeepsItsSeparator_data();
    void folderOfAPathKeepsItsSeparator();
    void fileNameFollowsTheLastSeparator_data();
    void fileNameFollowsTheLastSeparator();
    void nativeSeparatorsFollowThePlatform_data();
    void nativeSeparatorsFollowThePlatform();
};

void PathsTest::separatorsAreThePlatformsOwn_data()
{
    QTest::addColumn<QChar>("c");
    QTest::addColumn<bool>("separates");
    QTest::newRow("slash") << QChar(u'/') << true;
    QTest::newRow("backslash, part of a Linux name") << QChar(u'\\') << kOnWindows;
    QTest::newRow("drive colon") << QChar(u':') << false;
    QTest::newRow("the native one") << FolderSeparator() << true;
}

void PathsTest::separatorsAreThePlatformsOwn()
{
    QFETCH(QChar, c);
    QFETCH(bool, separates);
    QCOMPARE(IsFolderSeparator(c), separates);
}

void PathsTest::folderPathsEndWithASeparator_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("ends");
    QTest::newRow("folder") << "/daten/" << true;
    QTest::newRow("file") << "/daten/servo000.asm" << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("backslash") << "daten\\" << kOnWindows;
    QTest::newRow("drive alone") << "C:" << false;
}

void PathsTest::folderPathsEndWithASeparator()
{
    QFETCH(QString, path);
    QFETCH(bool, ends);
    QCOMPARE(EndsWithFolderSeparator(path), ends);
}

void PathsTest::folderOfAPathKeepsItsSeparator_data()
{
    // The folder and the file name split the path; the name column serves
    // fileNameFollowsTheLastSeparator.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::newRow("full path") << "/a/b/servo01.asm" << "/a/b/" << "servo01.asm";
    QTest::newRow("no separator") << "servo01.asm" << QString() << "servo01.asm";
    QTest::newRow("file in root") << "/avra" << "/" << "avra";
    QTest::newRow("ends with separator") << "/a/" << "/a/" << QString();
    QTest::newRow("empty") << QString() << QString() << QString();
    QTest::newRow("blanks kept") << "/ a /x" << "/ a /" << "x";
    QTest::newRow("only backslashes")
        << "a\\b.asm" << (kOnWindows ? "a\\" : "") << (kOnWindows ? "b.asm" : "a\\b.asm");
    QTest::newRow("mixed separators") << "D:\\Projekt/alt\\servo123.hex"
                                      << (kOnWindows ? "D:\\Projekt/alt\\" : "D:\\Projekt/")
                                      << (kOnWindows ? "servo123.hex" : "alt\\servo123.hex");
    QTest::newRow("drive without separator") << "C:servo01.asm" << (kOnWindows ? "C:" : "")
                                             << (kOnWindows ? "servo01.asm" : "C:servo01.asm");
    QTest::newRow("colon after a digit is no drive")
        << "1:servo01.asm" << QString() << "1:servo01.asm";
}

void PathsTest::folderOfAPathKeepsItsSeparator()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QCOMPARE(FolderOfPath(path), folder);
}

void PathsTest::fileNameFollowsTheLastSeparator_data()
{
    folderOfAPathKeepsItsSeparator_data();
}

void PathsTest::fileNameFollowsTheLastSeparator()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(FileNameOfPath(path), name);
}

void PathsTest::nativeSeparatorsFollowThePlatform_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    QTest::newRow("slashes") << "/daten/servo000.asm"
                             << (kOnWindows ? "\\daten\\servo000.asm" : "/daten/servo000.asm");
    QTest::newRow("backslash kept") << "D:\\Projekt" << "D:\\Projekt";
}

void PathsTest::nativeSeparatorsFollowThePlatform()
{
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(NativeSeparators(path), shown);
}

QTEST_GUILESS_MAIN(PathsTest)
#include "paths_test.moc"
