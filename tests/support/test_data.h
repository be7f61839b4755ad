#pragma once
// The checked-in files the suites run against (the fake assemblers, the
// example firmware, the golden listing and log summary) and a temporary folder with a
// template written into it.

#include "platform/files.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// A test whose fake assembler is a shell script of its own runs on Linux
// only; on Windows the command processor cannot start one.
#ifdef Q_OS_WIN
#define SHELL_SCRIPT_TEST_ONLY_ON_LINUX() \
    QSKIP("the fake assembler is a shell script, which the command processor cannot start")
#else
#define SHELL_SCRIPT_TEST_ONLY_ON_LINUX()
#endif

namespace testsupport {

/// The bytes of the file at `path`; empty when it cannot be read.
inline QByteArray ReadBytes(const QString &path)
{
    return platform::ReadWholeFile(path).value_or(QByteArray());
}

/// Writes `bytes` to `path`; a failure fails the test.
inline void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QVERIFY2(platform::WriteFileAtomically(path, bytes), qPrintable(path));
}

/// The fake assembler `name`, a script in tests/data/fake-assemblers; on
/// Windows the program of the same name ("writes-hex.sh": "writes-hex.exe").
inline QString FakeAssemblerPath(const char *name)
{
#ifdef PULSAKOR_FAKE_ASSEMBLERS
    return QStringLiteral(PULSAKOR_FAKE_ASSEMBLERS "/")
        + QString::fromLatin1(name).replace(QLatin1String(".sh"), QLatin1String(".exe"));
#else
    return QStringLiteral(PULSAKOR_TEST_DATA "/fake-assemblers/") + QLatin1String(name);
#endif
}

inline QString ExampleTemplatePath()
{
    return QStringLiteral(PULSAKOR_SOURCE_DIR "/examples/servo00.asm");
}

/// The example firmware's bytes; empty when it cannot be read.
inline QByteArray ExampleTemplate()
{
    return platform::ReadWholeFile(ExampleTemplatePath()).value_or(QByteArray());
}

/// The listing of the default field texts, checked in as
/// tests/data/default_listing.txt; empty when it cannot be read.
inline QString GoldenListing()
{
    return QString::fromUtf8(
        platform::ReadWholeFile(QStringLiteral(PULSAKOR_TEST_DATA "/default_listing.txt"))
            .value_or(QByteArray()));
}

/// The log summary of the default field texts with "." as separator, checked
/// in as tests/data/default_summary.txt; empty when it cannot be read.
inline QString GoldenSummary()
{
    return QString::fromUtf8(
        platform::ReadWholeFile(QStringLiteral(PULSAKOR_TEST_DATA "/default_summary.txt"))
            .value_or(QByteArray()));
}

/// The golden summary with other values: the supply, the lower and the upper
/// end-stop voltage and their two pulse widths, each put between its line's
/// 34-character label and its unit.
inline QString SummaryWith(const QStringList &values)
{
    QStringList lines = GoldenSummary().split(QLatin1String("\r\n"));
    constexpr qsizetype kFirstValueLine = 2;
    constexpr qsizetype kLabelWidth = 34;
    for (qsizetype i = 0; i < values.size() && kFirstValueLine + i < lines.size(); ++i) {
        QString &line = lines[kFirstValueLine + i];
        line = line.left(kLabelWidth) + values.at(i) + line.mid(line.lastIndexOf(u' '));
    }
    return lines.join(QLatin1String("\r\n"));
}

/// A temporary folder with a template at `name` inside it (the folders on
/// the way are made); the folder goes with the object.
class TemplateFolder {
public:
    explicit TemplateFolder(const QString &name = QStringLiteral("servo00.asm"),
                            const QByteArray &bytes = ExampleTemplate())
        : m_templatePath(m_root.filePath(name)), m_templateBytes(bytes)
    {
        m_valid = m_root.isValid() && !bytes.isEmpty()
            && QDir(m_root.path()).mkpath(QFileInfo(m_templatePath).path())
            && platform::WriteFileAtomically(m_templatePath, bytes);
    }

    /// The folder exists and holds the template.
    bool IsValid() const { return m_valid; }
    QString Root() const { return m_root.path(); }
    QString Path(const QString &relative) const { return m_root.filePath(relative); }
    const QString &TemplatePath() const { return m_templatePath; }
    const QByteArray &TemplateBytes() const { return m_templateBytes; }

private:
    QTemporaryDir m_root;
    QString m_templatePath;
    QByteArray m_templateBytes;
    bool m_valid = false;
};

} // namespace testsupport
