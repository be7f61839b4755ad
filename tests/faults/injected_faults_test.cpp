// Faults injected at the system call: pulsakor-cli's whole run, its curve,
// and the window's run and settings saves, each run under libfiu's fiu-run,
// which makes chosen POSIX calls of the program fail. Whatever fails, the
// run keeps its promises: the template is unchanged, every file it replaces
// is either as it was or as a run without faults leaves it (never half
// written), no temporary file is left beside it, a success always has the
// table in its HEX file, and nothing crashes. The assembler is kept out of
// the faults (unfaulted_assembler.cpp): its failures are not ours.
//
// Every run uses the same folder, so the paths inside the files are the
// same as in the runs without faults that tell what a whole file holds.

#include "generator/generation_run.h"
#include "platform/files.h"
#include "tests/support/cli_process.h"
#include "tests/support/expected_output.h"
#include "tests/support/test_data.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <map>
#include <optional>

using namespace testsupport;

namespace {

// What runs under the faults.
enum class Mode {
    CliRun,         // pulsakor-cli --template --out --assembler --plot
    CliCurve,       // pulsakor-cli --plot: the listing and the curve
    WindowRun,      // the window's run with its settings saves
    WindowSettings, // the window's settings saves alone
};

// The files a run replaces, each there with older contents before it.
const std::map<QString, QByteArray> kOlderFiles = {
    {QStringLiteral("out/servo001.asm"), "; an older servo001.asm\r\n"},
    {QStringLiteral("out/servo001.hex"), ":00000001FF\r\n"},
    {QStringLiteral("out/curve.svg"), "<svg>an older curve</svg>\n"},
    {QStringLiteral("out/pulsakor.cfg"), "4800\r\n0400\r\n4400\r\n1100\r\n1900\r\n12\r\n"},
    {QStringLiteral("settings/pulsakor.ini"),
     "/older/servo00.asm\r\n/older/avra\r\n\r\n\r\n 0 \r\n"},
};

// Files by their path below the bench's folder, with their bytes.
using Files = std::map<QString, QByteArray>;

// The bytes of `name` in `files`; nullopt when it is not there.
std::optional<QByteArray> BytesOf(const Files &files, const char *name)
{
    const auto found = files.find(QLatin1String(name));
    if (found == files.end())
        return std::nullopt;
    return found->second;
}

// One point of failure, or all of them at random: fiu-run's -c commands.
QStringList EnableOne(const char *point)
{
    return {QStringLiteral("enable name=") + QLatin1String(point)};
}

// A failed close under libfiu keeps the descriptor open, which Linux's close
// never does: QProcess, whose pipe to the child would then never reach its
// end, would not learn that the assembler started or ended, and would wait
// out the run's 30 seconds. So close fails where a file is closed, in Qt's
// file device (the run's own files), not where Qt closes its process pipes.
QStringList EnableFileClose()
{
    return {QStringLiteral(
        "enable_stack_by_name name=posix/io/oc/close,func_name=_ZN11QFileDevice5closeEv")};
}

// Every open, read, write, sync and folder call fails with `probability`;
// close is left out for the reason above.
QStringList EnableAtRandom(double probability)
{
    QStringList commands;
    for (const char *points : {"posix/io/oc/open", "posix/io/rw/*", "posix/io/sync/*",
                               "posix/io/dir/*"})
        commands << QStringLiteral("enable_random name=%1,probability=%2")
                        .arg(QLatin1String(points), QString::number(probability));
    return commands;
}

class FaultBench {
public:
    bool IsValid() const { return m_root.isValid() && !m_templateBytes.isEmpty(); }
    QString Path(const QString &relative) const { return m_root.filePath(relative); }
    QString TemplatePath() const { return Path(QStringLiteral("servo00.asm")); }
    const QByteArray &TemplateBytes() const { return m_templateBytes; }

    // The template and the older files, nothing else.
    bool Reset()
    {
        for (const char *folder : {"out", "settings"}) {
            QDir dir(Path(QLatin1String(folder)));
            if (!dir.removeRecursively() || !QDir().mkpath(dir.path()))
                return false;
        }
        bool ok = platform::WriteFileAtomically(TemplatePath(), m_templateBytes);
        for (const auto &[name, bytes] : kOlderFiles)
            ok = ok && platform::WriteFileAtomically(Path(name), bytes);
        return ok;
    }

    // Every file under out/ and settings/.
    Files Snapshot() const
    {
        Files files;
        for (const char *folder : {"out", "settings"}) {
            QDirIterator it(Path(QLatin1String(folder)), QDir::Files | QDir::Hidden);
            while (it.hasNext()) {
                const QString path = it.next();
                files[QLatin1String(folder) + u'/' + it.fileName()] = ReadBytes(path);
            }
        }
        return files;
    }

    QStringList Command(Mode mode) const
    {
        const QString out = Path(QStringLiteral("out/"));
        const QString settings = Path(QStringLiteral("settings/"));
        switch (mode) {
        case Mode::CliRun:
            return {QStringLiteral(PULSAKOR_CLI), "--template", TemplatePath(), "--out",
                    out + "servo001.asm", "--assembler",
                    QStringLiteral(PULSAKOR_UNFAULTED_ASSEMBLER), "--plot", out + "curve.svg"};
        case Mode::CliCurve:
            return {QStringLiteral(PULSAKOR_CLI), "--plot", out + "curve.svg"};
        case Mode::WindowRun:
            return {QStringLiteral(PULSAKOR_WINDOW_RUN), "run", TemplatePath(),
                    QStringLiteral(PULSAKOR_UNFAULTED_ASSEMBLER), out, settings,
                    out + "servo001.asm"};
        case Mode::WindowSettings:
            return {QStringLiteral(PULSAKOR_WINDOW_RUN), "settings", TemplatePath(),
                    QStringLiteral(PULSAKOR_UNFAULTED_ASSEMBLER), out, settings};
        }
        return {};
    }

    // Runs `mode` in the folder as it stands, under fiu-run with the
    // `faults` commands (none: without fiu-run), seeding libfiu's random
    // numbers with `seed`.
    CliRun Run(Mode mode, const QStringList &faults, int seed = 1) const
    {
        QStringList command = Command(mode);
        QProcess process;
        QProcessEnvironment env = LocaleEnvironment({QStringLiteral("LC_ALL=C.UTF-8")});
        env.insert(QStringLiteral("HOME"), Path(QStringLiteral("settings")));
        env.insert(QStringLiteral("FIU_PRNG_SEED"), QString::number(seed));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_root.path());
        if (!faults.isEmpty()) {
            // No remote control: it would make a named pipe for every run.
            QStringList options{"-x", "-f", ""};
            for (const QString &fault : faults)
                options << "-c" << fault;
            command = options + command;
            command.prepend(QStringLiteral("fiu-run"));
        }
        process.start(command.first(), command.mid(1));
        return FinishCli(process);
    }

private:
    QTemporaryDir m_root;
    QByteArray m_templateBytes = ExampleTemplate();
};

bool IsTemporaryName(const QString &name)
{
    // WriteFileAtomically's "<name>.<8 hex digits>" beside the file.
    static const QRegularExpression temporary(QStringLiteral("\\.[0-9a-f]{8}$"));
    return temporary.match(name).hasMatch();
}

QString Shown(const QByteArray &bytes)
{
    return bytes.size() > 60 ? QString::number(bytes.size()) + QStringLiteral(" bytes")
                             : QString::fromUtf8(bytes).toHtmlEscaped();
}

} // namespace

Q_DECLARE_METATYPE(Mode)

class InjectedFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void eachFailurePointEndsTheRun_data();
    void eachFailurePointEndsTheRun();
    void randomFaultsKeepEveryPromise();

private:
    // The promise a run broke, empty when it kept them all; `leftovers`
    // counts the temporary files it left (allowed only with `mayLeave`).
    QString BrokenPromise(Mode mode, const CliRun &run, bool mayLeave, int *leftovers) const;

    FaultBench m_bench;
    // What each mode leaves in the folder without faults.
    std::map<Mode, Files> m_whole;
};

void InjectedFaultsTest::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("fiu-run")).isEmpty())
        QSKIP("libfiu's fiu-run is not installed (Debian: fiu-utils)");
    if (QStandardPaths::findExecutable(QStringLiteral("avra")).isEmpty())
        QSKIP("avra is not installed");
    QVERIFY(m_bench.IsValid());
    for (const Mode mode : {Mode::CliRun, Mode::CliCurve, Mode::WindowRun, Mode::WindowSettings}) {
        QVERIFY(m_bench.Reset());
        const CliRun run = m_bench.Run(mode, {});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        m_whole[mode] = m_bench.Snapshot();
    }
    // Without faults every file is replaced, and the HEX file holds the table.
    const QByteArray table = TableBytesFor(generator::DefaultParameterTexts());
    for (const Mode mode : {Mode::CliRun, Mode::WindowRun}) {
        const std::optional<QByteArray> hex = BytesOf(m_whole[mode], "out/servo001.hex");
        QVERIFY(hex && HexMemory(*hex).endsWith(table));
        const std::optional<QByteArray> source = BytesOf(m_whole[mode], "out/servo001.asm");
        QVERIFY(source && *source != kOlderFiles.at("out/servo001.asm"));
    }
    const std::optional<QByteArray> curve = BytesOf(m_whole[Mode::CliRun], "out/curve.svg");
    QVERIFY(curve && *curve != kOlderFiles.at("out/curve.svg"));
    for (const char *name : {"out/pulsakor.cfg", "settings/pulsakor.ini"}) {
        const std::optional<QByteArray> saved = BytesOf(m_whole[Mode::WindowSettings], name);
        QVERIFY2(saved && *saved != kOlderFiles.at(QLatin1String(name)), name);
    }
}

void InjectedFaultsTest::init()
{
    QVERIFY(m_bench.Reset());
}

QString InjectedFaultsTest::BrokenPromise(Mode mode, const CliRun &run, bool mayLeave,
                                          int *leftovers) const
{
    const bool window = mode == Mode::WindowRun || mode == Mode::WindowSettings;
    if (run.exitCode != 0 && run.exitCode != 3 && run.exitCode != 4)
        return QStringLiteral("exit status %1 (-1: a crash or a hang; %2)")
            .arg(QString::number(run.exitCode),
                 window ? QStringLiteral("5: a fault nobody was shown") : run.err);
    if (ReadBytes(m_bench.TemplatePath()) != m_bench.TemplateBytes())
        return QStringLiteral("the template changed");

    const Files after = m_bench.Snapshot();
    const Files &whole = m_whole.at(mode);
    for (const auto &[name, bytes] : after) {
        const auto older = kOlderFiles.find(name);
        const auto made = whole.find(name);
        const bool isOlder = older != kOlderFiles.end() && bytes == older->second;
        const bool isWhole = made != whole.end() && bytes == made->second;
        if (isOlder || isWhole)
            continue;
        if (IsTemporaryName(name)) {
            ++*leftovers;
            if (mayLeave)
                continue;
            return QStringLiteral("the temporary file %1 was left").arg(name);
        }
        // Files named after the target that held nothing before are the
        // run's own: the log up to where the run failed, the assembler's side
        // files and the lock where their removal failed (reported; the next
        // run takes the lock over).
        if (older == kOlderFiles.end() && name.startsWith(u"out/servo001."))
            continue;
        return QStringLiteral("%1 holds %2: neither what it held nor a whole new file")
            .arg(name, Shown(bytes));
    }
    for (const auto &[name, bytes] : kOlderFiles) {
        // An older file goes only where the run removes it itself: the HEX
        // file before the assembler starts.
        if (after.find(name) == after.end() && name != u"out/servo001.hex")
            return QStringLiteral("%1 is gone").arg(name);
    }
    if (run.exitCode == 0 && (mode == Mode::CliRun || mode == Mode::WindowRun)) {
        for (const char *name : {"out/servo001.asm", "out/servo001.hex"}) {
            if (BytesOf(after, name) != BytesOf(whole, name))
                return QStringLiteral("a success without this run's %1").arg(name);
        }
    }
    if (run.exitCode == 0 && (mode == Mode::CliRun || mode == Mode::CliCurve)
        && BytesOf(after, "out/curve.svg") != BytesOf(whole, "out/curve.svg"))
        return QStringLiteral("a success without the curve");
    return {};
}

void InjectedFaultsTest::eachFailurePointEndsTheRun_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("exitCode");
    // Files that must be as they were: the fault came before they were
    // replaced.
    QTest::addColumn<QStringList>("kept");

    const QString source = QStringLiteral("out/servo001.asm");
    const QString curve = QStringLiteral("out/curve.svg");
    const QString parameters = QStringLiteral("out/pulsakor.cfg");
    const QString settings = QStringLiteral("settings/pulsakor.ini");
    // The window writes pulsakor.cfg once the target is chosen, the source
    // after it, and pulsakor.ini only after the assembler.
    const struct {
        const char *name;
        QStringList faults;
        QStringList keptByRun; // pulsakor-cli's run
        QStringList keptByWindow;
        bool reachesCurve; // the listing and the curve alone call it
    } points[] = {
        {"open", EnableOne("posix/io/oc/open"), {source}, {parameters, source, settings}, true},
        {"read", EnableOne("posix/io/rw/read"), {source}, {source, settings}, false},
        {"write", EnableOne("posix/io/rw/write"), {source}, {parameters, source, settings}, true},
        {"fsync", EnableOne("posix/io/sync/fsync"), {source}, {parameters, source, settings}, true},
        {"close", EnableFileClose(), {source}, {parameters, source, settings}, true},
        {"rename", EnableOne("posix/io/dir/rename"), {source}, {parameters, source, settings},
         true},
        // The older HEX file cannot go before the assembler starts, after
        // the source was written.
        {"unlink", EnableOne("posix/io/dir/unlink"), {}, {settings}, false},
    };
    for (const auto &point : points) {
        QTest::addRow("pulsakor-cli run, %s", point.name)
            << Mode::CliRun << point.faults << 4 << point.keptByRun;
        QTest::addRow("window run, %s", point.name)
            << Mode::WindowRun << point.faults << 4 << point.keptByWindow;
        if (!point.reachesCurve)
            continue;
        QTest::addRow("pulsakor-cli curve, %s", point.name)
            << Mode::CliCurve << point.faults << 4 << QStringList{curve};
        // The window skips a settings file it cannot write, without a word.
        QTest::addRow("window settings, %s", point.name)
            << Mode::WindowSettings << point.faults << 0 << QStringList{parameters, settings};
    }
}

void InjectedFaultsTest::eachFailurePointEndsTheRun()
{
    QFETCH(Mode, mode);
    QFETCH(QStringList, faults);
    QFETCH(int, exitCode);
    QFETCH(QStringList, kept);

    const CliRun run = m_bench.Run(mode, faults);
    int leftovers = 0;
    const QString broken = BrokenPromise(mode, run, false, &leftovers);
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
    QVERIFY2(run.exitCode == exitCode,
             qPrintable(QStringLiteral("exit status %1: %2").arg(run.exitCode).arg(run.err)));
    for (const QString &name : kept)
        QVERIFY2(ReadBytes(m_bench.Path(name)) == kOlderFiles.at(name), qPrintable(name));
}

void InjectedFaultsTest::randomFaultsKeepEveryPromise()
{
    // A fixed seed per run: the same calls fail again in the same order,
    // as far as the runs make the same calls.
    constexpr int kRuns = 40;
    constexpr int kFirstSeed = 20261210;
    std::map<int, int> exits;
    int leftovers = 0;
    for (int i = 0; i < kRuns; ++i) {
        QVERIFY(m_bench.Reset());
        const Mode mode = i % 4 == 3 ? Mode::WindowRun : Mode::CliRun;
        const CliRun run = m_bench.Run(mode, EnableAtRandom(0.06), kFirstSeed + i);
        const QString broken = BrokenPromise(mode, run, true, &leftovers);
        QVERIFY2(broken.isEmpty(),
                 qPrintable(QStringLiteral("seed %1: %2").arg(kFirstSeed + i).arg(broken)));
        ++exits[run.exitCode];
    }
    qInfo("%d runs with every open, read, write, sync and folder call failing at 6 %% "
          "(seeds %d to %d): exit 0 %d times, 3 %d times, 4 %d times; %d temporary files "
          "left where their removal failed too",
          kRuns, kFirstSeed, kFirstSeed + kRuns - 1, exits[0], exits[3], exits[4], leftovers);
}

QTEST_GUILESS_MAIN(InjectedFaultsTest)
#include "injected_faults_test.moc"
