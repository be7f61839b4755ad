// The run seen from a front end without a window: which questions the host
// is asked, and in which order.

#include "generator/generation_run.h"

#include "platform/files.h"
#include "platform/process_group.h"
#include "platform/text_encoding.h"
#include "generator/assembler_source.h"
#include "tests/support/process_state.h"
#include "tests/support/test_data.h"

#include <QtTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace std::chrono_literals;
using namespace generator;

namespace {

class RecordingHost : public RunHost {
public:
    QStringList calls;
    RunInputs inputs;
    QString answer;
    QString listing;
    bool deleteSource = false;
    std::vector<std::pair<QString, QString>> messages;

    void ShowListingPage(const QString &text) override
    {
        Note("ShowListingPage");
        listing = text;
    }
    QString ChooseTarget(const platform::FileDialogRequest &) override
    {
        Note("ChooseTarget");
        return answer;
    }
    void ShowMessage(const QString &text, const QString &title) override
    {
        Note("ShowMessage");
        messages.emplace_back(text, title);
    }
    void SaveParameters(const QString &workFolder) override
    {
        // The source is written only after the parameters were saved.
        Note(platform::FileExists(workFolder + "servo000.asm") ? "SaveParameters late"
                                                               : "SaveParameters");
    }
    void FocusListing() override { Note("FocusListing"); }
    void SetWaiting(bool waiting) override { Note(waiting ? "Waiting" : "Done waiting"); }
    bool DeletesSource() const override
    {
        Note("DeletesSource");
        return deleteSource;
    }
    void ShowLogView(const QString &view) override
    {
        Note("ShowLogView");
        listing = view;
    }
    void SaveSettings() override { Note("SaveSettings"); }

    RunResult Run() { return RunGeneration(inputs, *this); }

private:
    void Note(const QString &call) const { const_cast<RecordingHost *>(this)->calls << call; }
};

} // namespace

class GenerationRunHostTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<testsupport::TemplateFolder>("servo00.asm",
                                                              TableLabelLine() + "\r\n");
    }
    void messageTextsAreTheWindowsOwn();
    void successfulRunAsksInOrder();
    void runawayOutputFailsTheRun();
    void childOfTheAssemblerEndsWithTheRun();
    void linksAtOutputNamesAreReplaced();
    void assemblerOutsideAJobObjectNeverRuns_data();
    void assemblerOutsideAJobObjectNeverRuns();
    void commandProcessorsComplaintReachesTheLog();

private:
    // A host with the template in the test's own folder and the target
    // servo000.asm there.
    void Prepare(RecordingHost &host, const char *fakeAssembler);
    std::unique_ptr<testsupport::TemplateFolder> m_dir;
};

void GenerationRunHostTest::Prepare(RecordingHost &host, const char *fakeAssembler)
{
    RunInputs &inputs = host.inputs;
    inputs.fieldTexts = DefaultParameterTexts();
    QVERIFY(m_dir->IsValid());
    inputs.templatePath = m_dir->TemplatePath();
    inputs.assemblerPath = testsupport::FakeAssemblerPath(fakeAssembler);
    inputs.workFolder = m_dir->Root() + "/";
    inputs.decimalSeparator = u',';
    inputs.assemblerWait = {0ms, 10s};
    host.answer = inputs.workFolder + "servo000.asm";
}

void GenerationRunHostTest::messageTextsAreTheWindowsOwn()
{
    // The other suites take these texts from the functions.
    QCOMPARE(FatalTitle(), QStringLiteral("Fataler Fehler..."));
    QCOMPARE(HexNotMadeTitle(), QStringLiteral("HEX-Datei wurde nicht erstellt..."));
    QCOMPARE(HexNotMadeMessage(), QStringLiteral("Der Assembler hat keine HEX-Datei erzeugt. "
                                                 "Seine Meldungen stehen in der Log-Datei."));
    QCOMPARE(HexAssembledMessage(), QStringLiteral("Es wurde eine Hex-Datei assembliert..."));
    QCOMPARE(AssemblerMissingMessage(),
             QStringLiteral("Die Programmdatei 'avrasm32.exe' wurde nicht gefunden..."));
}

void GenerationRunHostTest::successfulRunAsksInOrder()
{
    RecordingHost host;
    Prepare(host, "writes-hex.sh");

    const RunResult result = host.Run();

    QCOMPARE(result.outcome, RunOutcome::Assembled);
    QCOMPARE(result.targetBase, host.inputs.workFolder + "servo000.");
    QCOMPARE(host.calls,
             QStringList({"ShowListingPage", "ChooseTarget", "SaveParameters", "FocusListing",
                          "Waiting", "Done waiting", "ShowMessage", "DeletesSource",
                          "ShowLogView", "SaveSettings"}));
    // The inputs' decimal separator reaches the listing and the summary.
    QVERIFY(host.listing.contains("Gesamt-Spannung am Servopoti:     5,00 Volt\r\n"));
    QVERIFY(host.listing.contains("\r\n\r\n;Potispannung: 5,00 Volt\r\n"));
    // What the host was shown is what the run hands back.
    QCOMPARE(result.logView.value_or("<none>"), host.listing);
    QVERIFY(host.listing.endsWith("\r\n\r\n" + result.listing));
    const QString base = result.targetBase;
    QCOMPARE(result.files, QStringList({base + "asm", base + "hex", base + "log"}));
}

void GenerationRunHostTest::runawayOutputFailsTheRun()
{
    RecordingHost host;
    Prepare(host, "prints-without-end.sh");

    const RunResult result = host.Run();

    QCOMPARE(result.outcome, RunOutcome::AssemblerFailed);
    QVERIFY(!host.messages.empty());
    QCOMPARE(host.messages.back(), std::make_pair(HexNotMadeMessage(), HexNotMadeTitle()));
    const QString folder = host.inputs.workFolder;
    const std::optional<QByteArray> read = platform::ReadWholeFile(folder + "servo000.log");
    QVERIFY(read);
    const QByteArray &log = *read;
    const QByteArray note = platform::TextEncoding::System().Encode(
        "Der Assembler wurde beendet, weil seine Ausgabe die Grenze von 16 MiB überschritten "
        "hat.\r\n\r\n=====");
    const qsizetype noteAt = log.indexOf(note);
    QCOMPARE(noteAt, platform::DefaultOutputLimit);
    QVERIFY(log.startsWith("servo000.asm(1) : Error : Unknown mnemonic\n"));
    // The view holds the whole log once, then the listing.
    QVERIFY(host.listing.size() < log.size() + 4096);
}

void GenerationRunHostTest::childOfTheAssemblerEndsWithTheRun()
{
    RecordingHost host;
    Prepare(host, "leaves-a-writer.sh");

    host.Run();

    const QString folder = host.inputs.workFolder;
    const QString obj = folder + "servo000.obj";
    const std::optional<QByteArray> pid = platform::ReadWholeFile(folder + "servo000.pid");
    QVERIFY(pid && pid->trimmed().toLongLong() > 0);
    QVERIFY(testsupport::IsDead(pid->trimmed().toLongLong()));
    // The object file was removed at the end and nobody writes it anew.
    QTest::qWait(200);
    QVERIFY(!QFileInfo::exists(obj));
}

void GenerationRunHostTest::linksAtOutputNamesAreReplaced()
{
    RecordingHost host;
    Prepare(host, "writes-hex.sh");
    QTemporaryDir outside;
    const QString kept = outside.filePath("kept.asm");
    QVERIFY(platform::WriteFileAtomically(kept, "not ours\r\n"));
    // The source's name points at a file outside, the log's at nothing.
    QVERIFY(QFile::link(kept, host.inputs.workFolder + "servo000.asm"));
    QVERIFY(QFile::link(outside.filePath("planted.log"), host.inputs.workFolder + "servo000.log"));

    host.Run();

    QCOMPARE(platform::ReadWholeFile(kept).value_or("<missing>"), QByteArray("not ours\r\n"));
    QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList{"kept.asm"});
    for (const char *name : {"servo000.asm", "servo000.log"}) {
        const QFileInfo info(host.inputs.workFolder + name);
        QVERIFY2(info.isFile() && !info.isSymLink(), name);
    }
}

#ifdef Q_OS_WIN
namespace {

// Job object calls that fail as Windows does, with a last error.
void *NoJob()
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

void *RealJob()
{
    return CreateJobObjectW(nullptr, nullptr);
}

bool Refuse(void *)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

bool Accept(void *)
{
    return true;
}

bool RefuseProcess(void *, void *)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

bool AcceptProcess(void *job, void *process)
{
    return AssignProcessToJobObject(job, process);
}

} // namespace
#endif

void GenerationRunHostTest::assemblerOutsideAJobObjectNeverRuns_data()
{
    QTest::addColumn<int>("failingCall");
    QTest::newRow("no job object") << 0;
    QTest::newRow("job object that would not kill on close") << 1;
    QTest::newRow("job object that does not take the command processor") << 2;
}

void GenerationRunHostTest::assemblerOutsideAJobObjectNeverRuns()
{
#ifndef Q_OS_WIN
    QSKIP("job objects are Windows'");
#else
    QFETCH(int, failingCall);
    // Without the job, a hung assembler and what it started would outlive
    // a time-out or a closed window.
    const platform::ReplacedJobObjectCalls calls(
        {failingCall == 0 ? &NoJob : &RealJob, failingCall == 1 ? &Refuse : &Accept,
         failingCall == 2 ? &RefuseProcess : &AcceptProcess});
    RecordingHost host;
    Prepare(host, "writes-hex.sh");

    const RunResult result = host.Run();

    QCOMPARE(result.outcome, RunOutcome::AssemblerFailed);
    const QString folder = host.inputs.workFolder;
    // The assembler never ran, so the batch file's redirection never made
    // the log: it holds the reason, and the message says it.
    QVERIFY(!QFileInfo::exists(folder + "servo000.hex"));
    const std::optional<QByteArray> log = platform::ReadWholeFile(folder + "servo000.log");
    QVERIFY(log);
    const QString reason = platform::TextEncoding::System().Decode(*log).section("\r\n", 0, 0);
    QVERIFY2(reason.startsWith("Der Assembler konnte nicht gestartet werden: Windows hat "),
             qPrintable(reason));
    QVERIFY2(reason.contains("Auftragsobjekt"), qPrintable(reason));
    QVERIFY(!host.messages.empty());
    QCOMPARE(host.messages.back(),
             std::make_pair(HexNotMadeSilentMessage(reason), HexNotMadeTitle()));
#endif
}

void GenerationRunHostTest::commandProcessorsComplaintReachesTheLog()
{
#ifndef Q_OS_WIN
    QSKIP("only Windows runs the assembler through the command processor");
#else
    // A command processor that cannot enter the folder: the assembler never
    // starts, and what the command processor said is all there is to tell.
    const QByteArray comSpec = qgetenv("ComSpec");
    qputenv("ComSpec", testsupport::FakeAssemblerPath("cannot-enter-folder.sh").toLocal8Bit());
    RecordingHost host;
    Prepare(host, "writes-hex.sh");

    const RunResult result = host.Run();
    qputenv("ComSpec", comSpec);

    QCOMPARE(result.outcome, RunOutcome::AssemblerFailed);
    const std::optional<QByteArray> log =
        platform::ReadWholeFile(host.inputs.workFolder + "servo000.log");
    QVERIFY(log);
    const QString note = QStringLiteral("Die Eingabeaufforderung meldete:\r\n"
                                        "Das System kann den angegebenen Pfad nicht finden.");
    QVERIFY2(log->startsWith(platform::TextEncoding::System().Encode(note + "\r\n")),
             log->constData());
    // Its echo of the batch lines stays out.
    QVERIFY(!log->contains("Nirgends"));
    QVERIFY(!host.messages.empty());
    QCOMPARE(host.messages.back(),
             std::make_pair(HexNotMadeSilentMessage(note), HexNotMadeTitle()));
#endif
}

QTEST_GUILESS_MAIN(GenerationRunHostTest)
#include "generation_run_test.moc"
