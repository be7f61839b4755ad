#include "platform/files.h"

#include "tests/support/file_size_limit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;

namespace {

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// What a link's target holds before a write at the link's name.
const QByteArray kOutsideBytes("outside, not ours\r\n");

} // namespace

class FilesTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void failedAppendKeepsTheOldFile_data();
    void failedAppendKeepsTheOldFile();

    void linkAtTheNameIsReplaced_data();
    void linkAtTheNameIsReplaced();
    void removeFileRemovesALinkNotItsTarget();
    void pathBeginsWithFollowsLinksAndDots_data();
    void pathBeginsWithFollowsLinksAndDots();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_outside;
};

void FilesTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_outside = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid() && m_outside->isValid());
}

// The limit lies inside the new contents, so the write comes back short
// either while writing (more than the file buffer) or only when the last
// buffered bytes are flushed.
void FilesTest::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("limit");

    QTest::newRow("small file, fails at the flush") << QByteArray("old line\r\n")
                                                    << QByteArray(3000, 'n') << 1000;
    QTest::newRow("large file, fails while writing")
        << QByteArray("old line\r\n") << QByteArray(200000, 'n') << 100000;
    QTest::newRow("no old file") << QByteArray() << QByteArray(3000, 'n') << 1000;
    QTest::newRow("nothing fits") << QByteArray("old\r\n") << QByteArray("new\r\n") << 0;
}

void FilesTest::failedWriteKeepsTheOldFile()
{
    FULL_DISK_TEST_ONLY_ON_LINUX();
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, bytes);
    QFETCH(int, limit);

    const QString path = m_dir->filePath("servo000.asm");
    if (!old.isEmpty())
        QVERIFY(WriteFileAtomically(path, old));

    const auto child = testsupport::RunWithFileSizeLimit(limit, [&](QString *message) {
        return WriteFileAtomically(path, bytes, message);
    });

    QVERIFY(child.ranToEnd);
    QVERIFY(!child.succeeded);
    QCOMPARE(child.message, "Die Datei kann nicht geschrieben werden: \""
                                + QDir::toNativeSeparators(path) + "\": File too large");
    QCOMPARE(ReadBytes(path), old.isEmpty() ? QByteArray("<missing>") : old);
    // The half-written temporary is gone too.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(),
             old.isEmpty() ? 0 : 1);
}

void FilesTest::failedAppendKeepsTheOldFile_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<int>("limit");

    QTest::newRow("part of the new lines fits") << QByteArray(1000, 'o') << 1500;
    QTest::newRow("none fits") << QByteArray(1000, 'o') << 1000;
}

void FilesTest::failedAppendKeepsTheOldFile()
{
    FULL_DISK_TEST_ONLY_ON_LINUX();
    QFETCH(QByteArray, old);
    QFETCH(int, limit);

    const QString path = m_dir->filePath("servo000.log");
    QVERIFY(WriteFileAtomically(path, old));

    const auto child = testsupport::RunWithFileSizeLimit(limit, [&](QString *message) {
        return AppendToFile(path, QByteArray(2000, 'n'), message);
    });

    QVERIFY(child.ranToEnd);
    QVERIFY(!child.succeeded);
    QCOMPARE(child.message, "Die Datei kann nicht geschrieben werden: \""
                                + QDir::toNativeSeparators(path) + "\": File too large");
    QCOMPARE(ReadBytes(path), old);
}

void FilesTest::linkAtTheNameIsReplaced_data()
{
    QTest::addColumn<bool>("append");
    QTest::addColumn<bool>("dangling");

    QTest::newRow("write over a link to a file outside") << false << false;
    QTest::newRow("write over a dangling link") << false << true;
    QTest::newRow("append to a link to a file outside") << true << false;
    QTest::newRow("append to a dangling link") << true << true;
}

void FilesTest::linkAtTheNameIsReplaced()
{
#ifdef Q_OS_WIN
    QSKIP("QFile::link makes a shortcut on Windows, not a link");
#endif
    QFETCH(bool, append);
    QFETCH(bool, dangling);

    const QString target = m_outside->filePath("elsewhere.log");
    if (!dangling)
        QVERIFY(WriteFileAtomically(target, kOutsideBytes));
    const QString path = m_dir->filePath("servo000.log");
    QVERIFY(QFile::link(target, path));

    QString error;
    const QByteArray bytes("ours\r\n");
    QVERIFY2(append ? AppendToFile(path, bytes, &error) : WriteFileAtomically(path, bytes, &error),
             qPrintable(error));

    const QFileInfo info(path);
    QVERIFY(!info.isSymLink());
    QVERIFY(info.isFile());
    QCOMPARE(ReadBytes(path), bytes);
    QCOMPARE(ReadBytes(target), dangling ? QByteArray("<missing>") : kOutsideBytes);
}

void FilesTest::removeFileRemovesALinkNotItsTarget()
{
    const QString target = m_outside->filePath("elsewhere.obj");
    QVERIFY(WriteFileAtomically(target, kOutsideBytes));
    const QString link = m_dir->filePath("servo000.obj");
    const QString dangling = m_dir->filePath("servo000.map");
    QVERIFY(QFile::link(target, link));
    QVERIFY(QFile::link(m_outside->filePath("missing"), dangling));

    QVERIFY(RemoveFile(link));
    QVERIFY(RemoveFile(dangling));

    QVERIFY(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).isEmpty());
    QCOMPARE(ReadBytes(target), kOutsideBytes);
}

void FilesTest::pathBeginsWithFollowsLinksAndDots_data()
{
    // In the folder "d": the file servo07.asm.bak, the folder "sub", the
    // link "verweis" to "d" itself. In the folder "o": "vorlage.asm", a link
    // to d/servo07.asm.bak. The prefix's own name exists nowhere.
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("begins");
    QTest::newRow("longer name, same folder") << "d/servo07.asm.bak" << "d/servo07." << true;
    QTest::newRow("another name") << "d/servo07.asm.bak" << "d/servo070." << false;
    QTest::newRow("same name, other folder") << "d/servo07.asm.bak" << "o/servo07." << false;
    QTest::newRow("prefix through a folder link") << "d/servo07.asm.bak" << "d/verweis/servo07."
                                                 << true;
    QTest::newRow("path through a folder link") << "d/verweis/servo07.asm.bak" << "d/servo07."
                                               << true;
    QTest::newRow("path through ..") << "d/sub/../servo07.asm.bak" << "d/servo07." << true;
    QTest::newRow("prefix through ..") << "d/servo07.asm.bak" << "o/../d/sub/../servo07." << true;
    QTest::newRow("path is a link to a file named after the prefix")
        << "o/vorlage.asm" << "d/servo07." << true;
}

void FilesTest::pathBeginsWithFollowsLinksAndDots()
{
#ifdef Q_OS_WIN
    QSKIP("QFile::link makes a shortcut on Windows, not a link");
#endif
    QFETCH(QString, path);
    QFETCH(QString, prefix);
    QFETCH(bool, begins);
    QDir root(m_dir->path());
    QVERIFY(root.mkpath("d/sub") && root.mkpath("o"));
    QVERIFY(WriteFileAtomically(root.filePath("d/servo07.asm.bak"), "template"));
    QVERIFY(QFile::link(root.filePath("d"), root.filePath("d/verweis")));
    QVERIFY(QFile::link(root.filePath("d/servo07.asm.bak"), root.filePath("o/vorlage.asm")));

    QCOMPARE(PathBeginsWith(root.filePath(path), root.filePath(prefix)), begins);
}

QTEST_GUILESS_MAIN(FilesTest)
#include "files_test.moc"
