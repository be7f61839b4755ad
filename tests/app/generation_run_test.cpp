// Whole generation runs on a window model without widgets against small
// fake assemblers, the save dialog answered by the fake user. The run with
// the real assembler is pulsakor-cli's (tests/cli/generation_command_test).

#include "app/chip_programming.h"
#include "app/design.h"
#include "app/form1.h"
#include "app/generation_run.h"
#include "app/settings_files.h"
#include "generator/assembler_source.h"
#include "generator/parameter_text.h"
#include "generator/run_summary.h"
#include "platform/files.h"
#include "platform/text_encoding.h"
#include "tests/support/expected_output.h"
#include "tests/support/fake_user_interaction.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/memory_window_model.h"
#include "tests/support/test_data.h"

#include <QLockFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <system_error>

using namespace std::chrono_literals;
using generator::RunOutcome;

namespace {

using generator::FatalTitle;
using generator::HexAssembledMessage;
using generator::HexNotMadeMessage;
using generator::HexNotMadeSilentMessage;
using generator::HexNotMadeTitle;
using testsupport::FakeAssemblerPath;

class TestWindow : public app::MemoryWindowModel {
public:
    bool closing = false;
    std::vector<bool> generateStates;
    bool IsClosing() const override { return closing; }
    void SetGenerateEnabled(bool enabled) override
    {
        generateStates.push_back(enabled);
        MemoryWindowModel::SetGenerateEnabled(enabled);
    }
};

// A user who does something else right before answering the save dialog.
class BusyUser : public platform::FakeUserInteraction {
public:
    std::function<void()> beforeSave;
    QString ChooseFileToSave(const platform::FileDialogRequest &request) override
    {
        if (beforeSave)
            beforeSave();
        return FakeUserInteraction::ChooseFileToSave(request);
    }
};

// What the programming after a run showed of its progress.
class RecordedProgress : public app::ProgressView {
public:
    int begun = 0;
    int ended = 0;
    QStringList stages;
    void Begin(platform::Cancellation &) override { ++begun; }
    void Show(const QString &stage, int) override
    {
        if (stages.isEmpty() || stages.last() != stage)
            stages.append(stage);
    }
    void End() override { ++ended; }
};

// A work folder, a template folder with servo00.asm and a settings folder.
struct Bench {
    testsupport::TemplateFolder root{
        "vorlagen/servo00.asm",
        "; Testvorlage\r\n.device ATtiny15\r\n.cseg\r\n.org 0\r\n" + generator::TableLabelLine()
            + "\r\n.db 1,2,3,4 ; alte Tabelle\r\n"};
    QString work;
    QString templates;
    QString settings;
    QString templatePath;
    QByteArray templateBytes;
    TestWindow window;
    BusyUser user;
    app::WindowRunOptions options;
    // Where the programming after the run (Check2) shows its progress.
    RecordedProgress progress;

    Bench()
    {
        QDir dir(root.Root());
        dir.mkdir("work");
        dir.mkdir("settings");
        // In the platform's separators, as the dialogs and settings give them.
        work = QDir::toNativeSeparators(root.Path("work/"));
        templates = QDir::toNativeSeparators(root.Path("vorlagen/"));
        settings = QDir::toNativeSeparators(root.Path("settings/"));
        templatePath = QDir::toNativeSeparators(root.TemplatePath());
        templateBytes = root.TemplateBytes();
        window.templatePath = templatePath;
        window.assemblerPath = FakeAssemblerPath("writes-hex.sh");
        window.folders() = {settings, templates, work};
        window.listingText = QStringLiteral("Infotext");
        options.wait = {0ms, 10s};
    }

    generator::RunResult Run(const QString &answer)
    {
        user.saveAnswers.push_back(answer);
        const generator::RunResult result = app::RunGenerationInWindow(window, user, options);
        app::ProgramAfterRun(window, result, user, progress);
        return result;
    }

    QStringList FilesIn(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }
};

// The text of a file the run wrote, in the system's 8-bit encoding.
QString Bytes(const QString &path)
{
    return platform::TextEncoding::System().Decode(
        platform::ReadWholeFile(path).value_or(QByteArray()));
}


} // namespace

class GenerationRunTest : public QObject {
    Q_OBJECT
private slots:
    void onlyATickedBoxDeletesTheSource_data();
    void onlyATickedBoxDeletesTheSource();
    void goodRunLeavesTheTableInTheHexFile_data();
    void goodRunLeavesTheTableInTheHexFile();
    void runFollowsWhatTheAssemblerDid_data();
    void runFollowsWhatTheAssemblerDid();
    void assemblerThatCannotStartFailsTheRun();
    void cancelWritesNothing();
    void missingAssemblerKeepsSourceAndCfg();
    void templateCheckFailsFirst();
    void rejectedTableEndsBeforeTheDialog_data();
    void rejectedTableEndsBeforeTheDialog();
    void targetThatIsTheTemplateIsRefused_data();
    void targetThatIsTheTemplateIsRefused();
    void unwritableTargetIsReported();
    void oldOutputThatCannotGoEndsTheRun_data();
    void oldOutputThatCannotGoEndsTheRun();
    void oneRunAtATimePerTarget();
    void fullDiskAtTheSummaryFailsTheRun();
    void vanishedTemplateIsReported();
    void flagTickedDuringTheWaitCounts();
    void tickedCheck2ProgramsAfterAGoodRunOnly_data();
    void tickedCheck2ProgramsAfterAGoodRunOnly();
    void closingWithoutQuitLeavesWindowAlone();
    void buttonOfTheRealWindowRunsIt();
    // Last: it quits the application's event loops for good.
    void applicationQuitDuringTheWaitEndsTheRun();
};

void GenerationRunTest::onlyATickedBoxDeletesTheSource_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("deletes");
    QTest::newRow("cleared") << 0 << false;
    QTest::newRow("ticked") << 1 << true;
    QTest::newRow("greyed") << 2 << false;
    QTest::newRow("negative") << -1 << false;
}

void GenerationRunTest::onlyATickedBoxDeletesTheSource()
{
    QFETCH(int, value);
    QFETCH(bool, deletes);
    QCOMPARE(app::DeletesSource(value), deletes);
}

void GenerationRunTest::goodRunLeavesTheTableInTheHexFile_data()
{
    QTest::addColumn<int>("check1");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("answer");

    const QStringList defaults(app::design::kText1Texts.begin(), app::design::kText1Texts.end());
    QTest::newRow("defaults, source kept") << 0 << defaults << "servo000.asm";
    QTest::newRow("reversed servo, source deleted")
        << 1 << QStringList{"5000", "4500", "0500", "1000", "2000", "25"} << "servo000.hex";
    QTest::newRow("blank and umlaut in the target folder")
        << 0 << defaults << QStringLiteral("Meine Servos \u00fc/servo000.asm");
    // Names the console's code page lacks (850 and 437 both): on Windows the
    // batch file names such a folder by its short name.
    QTest::newRow("folder name outside the console's code page")
        << 0 << defaults << QStringLiteral("\u0141\u00f3d\u017a \u00fc/servo000.asm");
    QTest::newRow("folder name in the ANSI code page only")
        << 0 << defaults << QStringLiteral("Kosten \u20ac \u0152/servo000.asm");
}

void GenerationRunTest::goodRunLeavesTheTableInTheHexFile()
{
    QFETCH(int, check1);
    QFETCH(QStringList, fields);
    QFETCH(QString, answer);

    Bench bench;
    bench.window.deleteAsmValue = check1;
    std::copy(fields.begin(), fields.end(), bench.window.parameterTexts.begin());
    QDir(bench.work).mkpath(QFileInfo(bench.work + answer).path());
    const QString chosen = QDir::toNativeSeparators(bench.work + answer);
    const QString folder = QDir::toNativeSeparators(QFileInfo(chosen).path() + "/");
    const QString base = folder + "servo000.";

    const generator::RunResult result = bench.Run(chosen);
    QCOMPARE(result.outcome, RunOutcome::Assembled);
    QCOMPARE(result.targetBase, base);

    // The dialog was asked with the flag's filter and the full proposal.
    QCOMPARE(bench.user.saveRequests.size(), size_t(1));
    const auto &request = bench.user.saveRequests.front();
    QCOMPARE(request.title, QStringLiteral("Name der Assembler-Zieldatei..."));
    const QString extension = check1 == 1 ? ".hex" : ".asm";
    QCOMPARE(request.filter, "Servo-Zieldatei|servo???" + extension);
    QCOMPARE(request.fileName, bench.work + "servo000" + extension);

    QCOMPARE(bench.user.messages.size(), size_t(1));
    QCOMPARE(bench.user.messages[0].text, HexAssembledMessage());
    QCOMPARE(bench.user.messages[0].title, base + "hex");

    generator::ParameterTexts texts;
    std::copy(fields.begin(), fields.end(), texts.begin());
    const std::optional<QByteArray> hex = platform::ReadWholeFile(base + "hex");
    QVERIFY(hex);
    QCOMPARE(testsupport::HexMemory(*hex), testsupport::TableBytesFor(texts));

    QCOMPARE(bench.window.folders().workFolder, folder);
    QCOMPARE(bench.window.currentPage, int(app::InfoPage));
    QVERIFY(bench.window.listingFocused);
    QCOMPARE(bench.window.generateStates, (std::vector<bool>{false, true}));
    QVERIFY(platform::FileExists(folder + "pulsakor.cfg"));
    QVERIFY(platform::FileExists(bench.settings + "pulsakor.ini"));

    QStringList expectedFiles{"pulsakor.cfg", "servo000.hex", "servo000.log"};
    if (check1 != 1)
        expectedFiles.insert(1, "servo000.asm");
    QCOMPARE(bench.FilesIn(folder), expectedFiles);

    // Text2: the log (assembler output, then the summary), an empty line,
    // then the listing that went into the source.
    const QString log = Bytes(base + "log");
    QVERIFY(log.contains("Assembly complete"));
    QVERIFY(log.endsWith("Impulsbreite für Maximal-Endlage: 2.00 ms\r\n")
            || log.endsWith("Impulsbreite für Maximal-Endlage: 1.00 ms\r\n"));
    QCOMPARE(
        bench.window.listingText,
        generator::RunLogView(log, testsupport::ListingFor(texts, platform::DecimalSeparator())));
}

void GenerationRunTest::tickedCheck2ProgramsAfterAGoodRunOnly_data()
{
    QTest::addColumn<QString>("assembler");
    QTest::addColumn<bool>("check2");
    QTest::addColumn<bool>("programs");
    QTest::newRow("good run, Check2 ticked") << FakeAssemblerPath("writes-hex.sh") << true << true;
    QTest::newRow("good run, Check2 cleared")
        << FakeAssemblerPath("writes-hex.sh") << false << false;
    QTest::newRow("HEX without the table, Check2 ticked")
        << FakeAssemblerPath("hex-without-table.sh") << true << false;
}

// With Check2 ticked a run whose HEX file holds the table programs it into
// the chip once the run is complete: its messages, log, listing view and
// settings are a run's without Check2, and only the programming log joins
// the files. A HEX file that failed the check is never programmed.
void GenerationRunTest::tickedCheck2ProgramsAfterAGoodRunOnly()
{
    SHELL_SCRIPT_TEST_ONLY_ON_LINUX();
    QFETCH(QString, assembler);
    QFETCH(bool, check2);
    QFETCH(bool, programs);

    Bench bench;
    bench.window.assemblerPath = assembler;
    generator::ProgrammingChoices choices;
    choices.settings.avrdudePath = QStringLiteral(PULSAKOR_TEST_DATA "/fake-avrdude/programs.sh");
    choices.settings.programmer = QStringLiteral("stk500v1");
    choices.afterEachRun = check2;
    bench.window.SetProgramming(choices);
    const RecordedProgress &progress = bench.progress;
    const QString flashCopy = bench.root.Path("flash-written.hex");
    qputenv("FAKE_AVRDUDE_FLASH", QFile::encodeName(flashCopy));
    const QString base = bench.work + "servo000.";

    const generator::RunResult result = bench.Run(base + "asm");
    qunsetenv("FAKE_AVRDUDE_FLASH");

    const bool assembled = result.outcome == RunOutcome::Assembled;
    QCOMPARE(bench.window.lastHexFile, assembled ? base + "hex" : QString());
    QCOMPARE(bench.user.messages.size(), size_t(programs ? 2 : 1));
    QCOMPARE(bench.user.messages[0].text, assembled ? HexAssembledMessage() : HexNotMadeMessage());
    QStringList files{"pulsakor.cfg", "servo000.asm", "servo000.hex", "servo000.log"};
    if (programs) {
        QCOMPARE(bench.user.messages[1].title, QStringLiteral("Chip programmiert"));
        QCOMPARE(testsupport::ReadBytes(flashCopy), testsupport::ReadBytes(base + "hex"));
        QCOMPARE(progress.begun, 1);
        QCOMPARE(progress.ended, 1);
        // avrdude's whole output arrives at once: the stage it ends in.
        QCOMPARE(progress.stages, QStringList{QStringLiteral("EEPROM prüfen")});
        QCOMPARE(bench.window.generateStates, (std::vector<bool>{false, true, false, true}));
        files.insert(2, "servo000.avrdude.log");
    } else {
        QVERIFY(!QFileInfo::exists(flashCopy));
        QCOMPARE(progress.begun, 0);
        QCOMPARE(bench.window.generateStates, (std::vector<bool>{false, true}));
    }
    QCOMPARE(bench.FilesIn(bench.work), files);
    const QString log = Bytes(base + "log");
    QVERIFY(!log.contains("avrdude"));
    QVERIFY(bench.window.listingText.startsWith(log.left(20)));
}

void GenerationRunTest::runFollowsWhatTheAssemblerDid_data()
{
    QTest::addColumn<QString>("assembler");
    QTest::addColumn<int>("minimumMs");
    QTest::addColumn<int>("maximumMs");
    // Seconds from now of an older HEX file's time; 0: there is none.
    QTest::addColumn<int>("oldHexAge");
    QTest::addColumn<bool>("assembled");
    QTest::addColumn<QString>("logStart");

    QTest::newRow("good") << FakeAssemblerPath("writes-hex.sh") << 0 << 10000 << 0 << true
                          << "Fake assembler: ";
    QTest::newRow("good, older HEX replaced")
        << FakeAssemblerPath("writes-hex.sh") << 0 << 10000 << -3600 << true << "Fake assembler: ";
    QTest::newRow("error exit") << FakeAssemblerPath("error-exit.sh") << 0 << 10000 << 0 << false
                                << "servo000.asm(12) : Error";
    QTest::newRow("exit 0 without HEX")
        << FakeAssemblerPath("no-hex.sh") << 0 << 10000 << 0 << false << "Error: Unknown option";
    QTest::newRow("older HEX is no new one") << FakeAssemblerPath("no-hex.sh") << 0 << 10000
                                             << -3600 << false << "Error: Unknown option";
    QTest::newRow("output on stderr") << FakeAssemblerPath("stderr-output.sh") << 0 << 10000 << 0
                                      << true << "Warning: on standard error";
    QTest::newRow("slower than the minimum wait")
        << FakeAssemblerPath("slow.sh") << 200 << 10000 << 0 << true << "Slow but complete.";
    QTest::newRow("minimum wait longer than the assembler")
        << FakeAssemblerPath("writes-hex.sh") << 600 << 10000 << 0 << true << "Fake assembler: ";
#ifdef Q_OS_WIN // there the program starts through the command processor, slowly under wine
    const int hangMs = 4000;
#else
    const int hangMs = 400;
#endif
    QTest::newRow("overruns the maximum")
        << FakeAssemblerPath("hangs.sh") << 0 << hangMs << 0 << false
        << QStringLiteral("Started.\nDer Assembler wurde nach %1 Sekunden abgebrochen.")
               .arg(hangMs / 1000.0);
    // Only what the assembler did counts, never a file's time.
    QTest::newRow("older HEX dated in the future is no new one")
        << FakeAssemblerPath("no-hex.sh") << 0 << 10000 << 3600 << false << "Error: Unknown option";
    QTest::newRow("HEX without the table") << FakeAssemblerPath("hex-without-table.sh") << 0
                                           << 10000 << 0 << false << "Fake assembler: no table";
    QTest::newRow("empty HEX") << FakeAssemblerPath("empty-hex.sh") << 0 << 10000 << 0 << false
                               << "Fake assembler: empty HEX";
}

void GenerationRunTest::runFollowsWhatTheAssemblerDid()
{
    QFETCH(QString, assembler);
    QFETCH(int, minimumMs);
    QFETCH(int, maximumMs);
    QFETCH(int, oldHexAge);
    QFETCH(bool, assembled);
    QFETCH(QString, logStart);

    Bench bench;
    bench.window.assemblerPath = assembler;
    bench.options.wait = {std::chrono::milliseconds(minimumMs),
                          std::chrono::milliseconds(maximumMs)};
    const QString base = bench.work + "servo000.";
    if (oldHexAge != 0) {
        QVERIFY(platform::WriteFileAtomically(base + "hex", "old"));
        QFile hex(base + "hex");
        QVERIFY(hex.open(QIODevice::ReadWrite));
        QVERIFY(hex.setFileTime(QDateTime::currentDateTime().addSecs(oldHexAge),
                                QFileDevice::FileModificationTime));
    }
    // Map and list files of an earlier run go before the assembler starts.
    QVERIFY(platform::WriteFileAtomically(base + "map", "old"));
    QVERIFY(platform::WriteFileAtomically(base + "lst", "old"));

    QElapsedTimer clock;
    clock.start();
    const generator::RunResult result = bench.Run(base + "asm");
    const qint64 elapsed = clock.elapsed();

    QVERIFY(elapsed >= minimumMs);
    QVERIFY2(elapsed < maximumMs + 5000, qPrintable(QString::number(elapsed)));
    QCOMPARE(bench.user.messages.size(), size_t(1));
    if (assembled) {
        QCOMPARE(result.outcome, RunOutcome::Assembled);
        QCOMPARE(bench.user.messages[0].text, HexAssembledMessage());
        QCOMPARE(bench.user.messages[0].title, base + "hex");
    } else {
        QCOMPARE(result.outcome, RunOutcome::AssemblerFailed);
        QCOMPARE(bench.user.messages[0].text, HexNotMadeMessage());
        QCOMPARE(bench.user.messages[0].title, HexNotMadeTitle());
    }

    // The run goes on in either case: log with summary, clean-up, settings.
    const QString log = Bytes(base + "log");
    QVERIFY2(log.startsWith(logStart), qPrintable(log));
    QVERIFY(log.contains("\r\n===========================================\r\n"));
    // A HEX file that failed the check is named in one line of the log; an
    // older one is gone.
    if (!assembled) {
        const bool hexLeft = QFileInfo::exists(base + "hex");
        QCOMPARE(log.contains(QDir::toNativeSeparators(base + "hex")), hexLeft);
        QVERIFY(!hexLeft || platform::ReadWholeFile(base + "hex").value_or("old") != "old");
    }
    QVERIFY(bench.window.listingText.startsWith(logStart.section('\n', 0, 0)));
    QVERIFY(!QFileInfo::exists(base + "map"));
    QVERIFY(!QFileInfo::exists(base + "lst"));
    QVERIFY(!QFileInfo::exists(base + "obj"));
    QVERIFY(QFileInfo::exists(base + "asm"));
    QVERIFY(platform::FileExists(bench.settings + "pulsakor.ini"));
    QCOMPARE(bench.window.generateStates, (std::vector<bool>{false, true}));
}

void GenerationRunTest::assemblerThatCannotStartFailsTheRun()
{
    Bench bench;
    // An ordinary file that is no program: it exists, so the run starts it.
    const QString notAProgram = bench.root.Path("avra");
    QVERIFY(platform::WriteFileAtomically(notAProgram, "kein Programm"));
    QVERIFY(QFile::setPermissions(notAProgram, QFile::ReadOwner | QFile::WriteOwner));
    bench.window.assemblerPath = notAProgram;
    const QString base = bench.work + "servo000.";
    // Here the old log goes either way: starting the program empties it even
    // when the start fails. A run that keeps an old log is caught by
    // oldOutputThatCannotGoEndsTheRun.
    QVERIFY(platform::WriteFileAtomically(base + "log", "Log eines früheren Laufs\r\n"));

    const generator::RunResult result = bench.Run(base + "asm");

    QCOMPARE(result.outcome, RunOutcome::AssemblerFailed);
    QCOMPARE(bench.user.messages.size(), size_t(1));
    QCOMPARE(bench.user.messages[0].title, HexNotMadeTitle());
    const QString log = Bytes(base + "log");
#ifndef Q_OS_WIN // there the command processor starts, and its complaint is the log
    QVERIFY2(log.startsWith("Der Assembler konnte nicht gestartet werden: "), qPrintable(log));
    // The message does not send the user to a log without a word of the
    // assembler's: it says itself why there is none.
    QCOMPARE(bench.user.messages[0].text, HexNotMadeSilentMessage(log.section("\r\n", 0, 0)));
#endif
    QVERIFY(log.contains("Impulsbreite für Minimal-Endlage: 1.00 ms\r\n"));
    QVERIFY(platform::FileExists(bench.settings + "pulsakor.ini"));
}

void GenerationRunTest::cancelWritesNothing()
{
    Bench bench;
    bench.window.deleteAsmValue = 1;
    const generator::RunResult result = bench.Run(QString());

    QCOMPARE(result.outcome, RunOutcome::Cancelled);
    QVERIFY(bench.user.messages.empty());
    QCOMPARE(bench.user.saveRequests.size(), size_t(1));
    QCOMPARE(bench.user.saveRequests.front().fileName, bench.work + "servo000.hex");
    QCOMPARE(bench.window.folders().workFolder, bench.work);
    QCOMPARE(bench.window.currentPage, int(app::InfoPage));
    QVERIFY(bench.window.listingText.startsWith(";Potispannung: "));
    QVERIFY(bench.FilesIn(bench.work).isEmpty());
    QVERIFY(bench.FilesIn(bench.settings).isEmpty());

    // A second run proposes the same name again.
    bench.Run(QString());
    QCOMPARE(bench.user.saveRequests.size(), size_t(2));
    QCOMPARE(bench.user.saveRequests.back().fileName, bench.work + "servo000.hex");
}

void GenerationRunTest::missingAssemblerKeepsSourceAndCfg()
{
    Bench bench;
    bench.window.assemblerPath = app::design::kLabel5Caption;
    bench.window.deleteAsmValue = 1;
    QDir(bench.root.Root()).mkdir("ziel");
    const QString folder = bench.root.Path("ziel/");

    const generator::RunResult result = bench.Run(folder + "servo005.hex");

    QCOMPARE(result.outcome, RunOutcome::AssemblerMissing);
    QCOMPARE(bench.user.messages.size(), size_t(1));
    QCOMPARE(bench.user.messages[0].text,
             generator::AssemblerMissingMessage());
    QCOMPARE(bench.user.messages[0].title, HexNotMadeTitle());
    QCOMPARE(bench.window.folders().workFolder, folder);
    QCOMPARE(bench.FilesIn(folder), QStringList({"pulsakor.cfg", "servo005.asm"}));
    QVERIFY(bench.FilesIn(bench.settings).isEmpty());
    QVERIFY(bench.window.listingText.startsWith(";Potispannung: "));
    QVERIFY(bench.window.generateStates.empty());
}

void GenerationRunTest::templateCheckFailsFirst()
{
    Bench bench;
    bench.window.templatePath = bench.templates + "Servo00.asm";
    bench.window.currentPage = app::ParameterPage;
    const generator::RunResult result = bench.Run(bench.work + "servo000.asm");

    QCOMPARE(result.outcome, RunOutcome::TemplateMissing);
    QCOMPARE(bench.user.messages.size(), size_t(1));
    QCOMPARE(bench.user.messages[0].text,
             QStringLiteral("Es wurde keine Quelltext-Datei gefunden...\r\n('servo??.asm')"));
    QCOMPARE(bench.user.messages[0].title, FatalTitle());
    QVERIFY(bench.user.saveRequests.empty());
    QCOMPARE(bench.window.listingText, QStringLiteral("Infotext"));
    QCOMPARE(bench.window.currentPage, int(app::ParameterPage));
}

void GenerationRunTest::rejectedTableEndsBeforeTheDialog_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("messageStart");
    QTest::newRow("pulse width beyond a byte") << 4 << "3000"
                                               << "Die Korrekturtabelle kann nicht erstellt werden";
    QTest::newRow("negative pulse width") << 3 << "-100"
                                          << "Die Korrekturtabelle kann nicht erstellt werden";
    QTest::newRow("number too large") << 0 << "1e20" << "Der Wert im Feld";
}

void GenerationRunTest::rejectedTableEndsBeforeTheDialog()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, messageStart);
    Bench bench;
    bench.window.parameterTexts[field] = text;
    const generator::RunResult result = bench.Run(bench.work + "servo000.asm");

    QCOMPARE(result.outcome, RunOutcome::TableRejected);
    QCOMPARE(bench.user.messages.size(), size_t(1));
    QVERIFY(bench.user.messages[0].text.startsWith(messageStart));
    QCOMPARE(bench.user.messages[0].title, FatalTitle());
    QVERIFY(bench.user.saveRequests.empty());
    QCOMPARE(bench.window.listingText, QStringLiteral("Infotext"));
    QVERIFY(bench.FilesIn(bench.work).isEmpty());
}

void GenerationRunTest::targetThatIsTheTemplateIsRefused_data()
{
    QTest::addColumn<QString>("templateName");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("way");
    QTest::newRow("same name") << "servo00.asm" << "servo00.asm" << "";
    QTest::newRow("HEX beside the template") << "servo00.asm" << "servo00.hex" << "";
    QTest::newRow("through a link") << "servo00.asm" << "servo00.asm" << "link";
    // The name check lets these pass as templates; the run or the assembler
    // would write or delete them.
    QTest::newRow("log would be the template") << "servo07.asm.log" << "servo07.asm.x" << "";
    QTest::newRow("backup named after the source") << "servo07.asm.bak" << "servo07.asm" << "";
    QTest::newRow("assembler's EEPROM image") << "servo07.asm.eep.hex" << "servo07.asm.x" << "";
    QTest::newRow("backup through a link") << "servo07.asm.bak" << "servo07.asm" << "link";
    QTest::newRow("backup through ..") << "servo07.asm.bak" << "servo07.asm" << "..";
    QTest::newRow("run's lock file") << "servo07.asm.lock" << "servo07.asm.hex" << "";
    // A link the assembler would write its EEPROM image through.
    QTest::newRow("link under an output name") << "servo00.asm" << "servo000.asm" << "output link";
    // The same file under a second name, which no resolving of links finds.
    QTest::newRow("hard link under an output name")
        << "servo00.asm" << "servo000.asm" << "output hard link";
}

void GenerationRunTest::targetThatIsTheTemplateIsRefused()
{
    QFETCH(QString, templateName);
    QFETCH(QString, answer);
    QFETCH(QString, way);
#ifdef Q_OS_WIN
    if (way.contains("link") && !way.contains("hard"))
        QSKIP("a link made here is a shortcut file, which the file system does not follow");
#endif
    Bench bench;
    if (templateName != "servo00.asm") {
        bench.templatePath = bench.templates + templateName;
        QVERIFY(QFile::rename(bench.templates + "servo00.asm", bench.templatePath));
        bench.window.templatePath = bench.templatePath;
    }
    QString folder = bench.templates;
    if (way == "link") {
        folder = bench.root.Path("verweis/");
        QVERIFY(QFile::link(bench.templates, bench.root.Path("verweis")));
    } else if (way == "..") {
        folder = bench.work + "../vorlagen/";
    }
    QString named = QFileInfo(bench.templatePath).fileName();
    if (way.startsWith("output")) {
        folder = bench.work;
        named = "servo000.eep.hex";
        std::error_code failure;
        if (way == "output hard link")
            std::filesystem::create_hard_link(QFileInfo(bench.templatePath).filesystemFilePath(),
                                              QFileInfo(bench.work + named).filesystemFilePath(),
                                              failure);
        else
            QVERIFY(QFile::link(bench.templatePath, bench.work + named));
        QVERIFY2(!failure, failure.message().c_str());
    }
    const generator::RunResult result = bench.Run(folder + answer);

    QCOMPARE(result.outcome, RunOutcome::TargetIsTemplate);
    QCOMPARE(bench.user.messages.size(), size_t(1));
    QCOMPARE(bench.user.messages[0].title, FatalTitle());
    QVERIFY2(bench.user.messages[0].text.contains(named), qPrintable(bench.user.messages[0].text));
    const std::optional<QByteArray> templateBytes = platform::ReadWholeFile(bench.templatePath);
    QVERIFY(templateBytes);
    QCOMPARE(*templateBytes, bench.templateBytes);
    QCOMPARE(bench.FilesIn(bench.templates), QStringList{QFileInfo(bench.templatePath).fileName()});
    QCOMPARE(bench.window.folders().workFolder, bench.work);
}

void GenerationRunTest::unwritableTargetIsReported()
{
    Bench bench;
    const QString target = bench.root.Path("fehlt/servo000.asm");
    const generator::RunResult result = bench.Run(target);

    QCOMPARE(result.outcome, RunOutcome::FileFailed);
    QCOMPARE(bench.user.messages.size(), size_t(1));
    QCOMPARE(bench.user.messages[0].title, FatalTitle());
    QVERIFY2(bench.user.messages[0].text.contains("servo000.asm"),
             qPrintable(bench.user.messages[0].text));
    QVERIFY(bench.window.generateStates.empty());
    QVERIFY(bench.FilesIn(bench.settings).isEmpty());
}

void GenerationRunTest::oldOutputThatCannotGoEndsTheRun_data()
{
    QTest::addColumn<QString>("extension");
    QTest::newRow("log") << "log";
    QTest::newRow("HEX file") << "hex";
}

void GenerationRunTest::oldOutputThatCannotGoEndsTheRun()
{
    QFETCH(QString, extension);
    Bench bench;
    const QString base = bench.work + "servo000.";
    // Even root cannot remove a folder that is not empty as a file.
    QVERIFY(QDir(bench.work).mkpath("servo000." + extension + "/fremd"));
    const generator::RunResult result = bench.Run(base + "asm");

    QCOMPARE(result.outcome, RunOutcome::FileFailed);
    QCOMPARE(bench.user.messages.size(), size_t(1));
    QCOMPARE(bench.user.messages[0].title, FatalTitle());
    QVERIFY2(bench.user.messages[0].text.contains(base + extension),
             qPrintable(bench.user.messages[0].text));
    // The assembler never started, and nothing of the old files is shown.
    QVERIFY(bench.window.generateStates.empty());
    QVERIFY(!QFileInfo::exists(base + "obj"));
    QVERIFY(bench.window.listingText.startsWith(";"));
}

void GenerationRunTest::fullDiskAtTheSummaryFailsTheRun()
{
    // The assembler made a good HEX file, but its output fills the log up to
    // the disk's limit: the summary no longer fits, and the run must not
    // count as a success. The run goes on in a child whose files may not
    // grow beyond 64 KiB.
    FULL_DISK_TEST_ONLY_ON_LINUX();
    Bench bench;
    const QString fake = bench.root.Path("fills-the-log.sh");
    testsupport::WriteBytes(fake, "#!/bin/sh\nyes | head -c 65400\nexec \""
                                      + FakeAssemblerPath("writes-hex.sh").toUtf8()
                                      + "\" \"$@\" >/dev/null\n");
    QVERIFY(QFile::setPermissions(fake, QFile::ReadOwner | QFile::ExeOwner));
    bench.window.assemblerPath = fake;

    const auto child = testsupport::RunWithFileSizeLimit(65536, [&](QString *titles) {
        const generator::RunResult result = bench.Run(bench.work + "servo000.asm");
        for (const auto &message : bench.user.messages)
            *titles += message.title + u'|';
        return result.outcome == RunOutcome::FileFailed;
    });

    QVERIFY(child.ranToEnd);
    QVERIFY2(child.succeeded, qPrintable(child.message));
    QCOMPARE(child.message, bench.work + "servo000.hex|" + FatalTitle() + u'|');
}

void GenerationRunTest::oneRunAtATimePerTarget()
{
    Bench bench;
    const QString base = bench.work + "servo000.";
    QLockFile otherRun(base + "lock");
    QVERIFY(otherRun.tryLock(0));

    generator::RunResult result = bench.Run(base + "asm");
    QCOMPARE(result.outcome, RunOutcome::TargetBusy);
    QCOMPARE(bench.user.messages.size(), size_t(1));
    QCOMPARE(bench.user.messages[0].title, FatalTitle());
    QVERIFY(bench.user.messages[0].text.contains("anderer Lauf"));
    QCOMPARE(bench.FilesIn(bench.work), QStringList{"servo000.lock"});
    QCOMPARE(bench.window.folders().workFolder, bench.work);

    // Another target is not held up.
    QCOMPARE(bench.Run(bench.work + "servo001.asm").outcome, RunOutcome::Assembled);
    otherRun.unlock();

    // The lock of a run whose process is gone is taken over.
    QProcess gone;
#ifdef Q_OS_WIN
    gone.start("cmd", {"/c", "exit"});
#else
    gone.start("true", {});
#endif
    QVERIFY(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    QVERIFY(gone.waitForFinished());
    QVERIFY(platform::WriteFileAtomically(base + "lock", QByteArray::number(deadPid) + "\n\n\n"));
    QCOMPARE(bench.Run(base + "asm").outcome, RunOutcome::Assembled);
    QVERIFY(!QFileInfo::exists(base + "lock"));
}

void GenerationRunTest::vanishedTemplateIsReported()
{
    Bench bench;
    bench.user.beforeSave = [&] { QFile::remove(bench.templatePath); };
    const generator::RunResult result = bench.Run(bench.work + "servo000.asm");

    QCOMPARE(result.outcome, RunOutcome::FileFailed);
    QCOMPARE(bench.user.messages.size(), size_t(1));
    QCOMPARE(bench.user.messages[0].title, FatalTitle());
    QVERIFY(bench.user.messages[0].text.contains("servo00.asm"));
    // The parameters were saved with the target choice; nothing else.
    QCOMPARE(bench.FilesIn(bench.work), QStringList{"pulsakor.cfg"});
}

void GenerationRunTest::flagTickedDuringTheWaitCounts()
{
    Bench bench;
    bench.window.assemblerPath = FakeAssemblerPath("slow.sh");
    bool disabledMeanwhile = false;
    QTimer::singleShot(300, [&] {
        disabledMeanwhile = !bench.window.generateEnabled;
        bench.window.deleteAsmValue = 1;
    });
    const generator::RunResult result = bench.Run(bench.work + "servo000.asm");

    QCOMPARE(result.outcome, RunOutcome::Assembled);
    QVERIFY(disabledMeanwhile);
    QVERIFY(bench.window.generateEnabled);
    QCOMPARE(bench.FilesIn(bench.work),
             QStringList({"pulsakor.cfg", "servo000.hex", "servo000.log"}));
    QCOMPARE(app::CheckValueFromLine(
                 platform::SplitTextLines(Bytes(bench.settings + "pulsakor.ini")).value(4)),
             1);
}

void GenerationRunTest::closingWithoutQuitLeavesWindowAlone()
{
    Bench bench;
    bench.window.assemblerPath = FakeAssemblerPath("slow.sh");
    QTimer::singleShot(200, [&] { bench.window.closing = true; });
    const generator::RunResult result = bench.Run(bench.work + "servo000.asm");

    QCOMPARE(result.outcome, RunOutcome::Interrupted);
    QVERIFY(bench.user.messages.empty());
    QCOMPARE(bench.window.generateStates, std::vector<bool>{false});
    QVERIFY(bench.window.listingText.startsWith(";Potispannung: "));
    QVERIFY(bench.FilesIn(bench.settings).isEmpty());
}

void GenerationRunTest::buttonOfTheRealWindowRunsIt()
{
    Bench bench;
    platform::FakeUserInteraction user;
    app::Form1 form(&user);
    form.SetActivateOnShow(false);
    form.folders() = bench.window.folders();
    form.SetTemplatePath(bench.templatePath);
    form.SetAssemblerPath(FakeAssemblerPath("writes-hex.sh"));
    user.saveAnswers.push_back(bench.work + "servo000.asm");
    auto *command2 = form.findChild<QPushButton *>("Command2");
    auto *text2 = form.findChild<QPlainTextEdit *>("Text2");
    QVERIFY(command2 && text2);
    form.show();

    bool disabledDuringWait = false;
    QTimer::singleShot(1000, &form, [&] { disabledDuringWait = !command2->isEnabled(); });
    QElapsedTimer clock;
    clock.start();
    command2->click();

    // The window waits its two seconds even for a quick assembler.
    QVERIFY(clock.elapsed() >= 2000);
    QVERIFY(disabledDuringWait);
    QVERIFY(command2->isEnabled());
    QCOMPARE(user.messages.size(), size_t(1));
    QCOMPARE(user.messages[0].text, HexAssembledMessage());
    QCOMPARE(form.CurrentPage(), int(app::InfoPage));
    QVERIFY(text2->toPlainText().startsWith("Fake assembler: "));
    QVERIFY(form.ListingText().endsWith(",0   ;PWM-Zählumfang\r\n"));
    QVERIFY(platform::FileExists(bench.settings + "pulsakor.ini"));
}

void GenerationRunTest::applicationQuitDuringTheWaitEndsTheRun()
{
    Bench bench;
    bench.window.assemblerPath = FakeAssemblerPath("hangs.sh");
    bench.options.wait = {2s, 30s};
    QTimer::singleShot(200, [&] {
        bench.window.closing = true;
        QCoreApplication::exit(0);
    });
    QElapsedTimer clock;
    clock.start();
    const generator::RunResult result = bench.Run(bench.work + "servo000.asm");

    QCOMPARE(result.outcome, RunOutcome::Interrupted);
    QVERIFY2(clock.elapsed() < 1900, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(bench.user.messages.empty());
    QCOMPARE(bench.window.generateStates, std::vector<bool>{false});
    QVERIFY(bench.FilesIn(bench.settings).isEmpty());
    QVERIFY(!QFileInfo::exists(bench.work + "servo000.bat"));
}

QTEST_MAIN(GenerationRunTest)
#include "generation_run_test.moc"
