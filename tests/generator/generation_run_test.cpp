// The run seen from a front end without a window: which questions the host
// is asked, and in which order.

#include "generator/generation_run.h"

#include "platform/files.h"
#include "platform/text_encoding.h"
#include "tests/support/process_state.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace std::chrono_literals;
using namespace generator;

namespace {

class RecordingHost : public RunHost {
public:
    QStringList calls;
    QString templatePath;
    QString assemblerPath;
    QString workFolder;
    QString answer;
    QString listing;
    int deleteAsm = 0;
    std::vector<std::pair<QString, QString>> messages;

    ParameterTexts FieldTexts() const override { return DefaultParameterTexts(); }
    QString TemplatePath() const override { return templatePath; }
    QString AssemblerPath() const override { return assemblerPath; }
    int DeleteAsmValue() const override
    {
        Note("DeleteAsmValue");
        return deleteAsm;
    }
    QString WorkFolder() const override { return workFolder; }
    void SetWorkFolder(const QString &folder) override
    {
        Note("SetWorkFolder");
        workFolder = folder;
    }
    QChar DecimalSeparator() const override { return u','; }
    QString ListingText() const override { return listing; }
    void SetListingText(const QString &text) override
    {
        Note("SetListingText");
        listing = text;
    }
    void ShowListingPage() override { Note("ShowListingPage"); }
    void FocusListing() override { Note("FocusListing"); }
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
    void SaveParameters() override
    {
        // The source is written only after the parameters were saved.
        Note(platform::FileExists(workFolder + "servo000.asm") ? "SaveParameters late"
                                                               : "SaveParameters");
    }
    void SaveSettings() override { Note("SaveSettings"); }
    platform::WaitTimes AssemblerWait() const override { return {0ms, 10s}; }
    void SetWaiting(bool waiting) override { Note(waiting ? "Waiting" : "Done waiting"); }

private:
    void Note(const QString &call) const { const_cast<RecordingHost *>(this)->calls << call; }
};

} // namespace

class GenerationRunHostTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void successfulRunAsksInOrder();
    void runawayOutputFailsTheRun();
    void childOfTheAssemblerEndsWithTheRun();
    void linksAtOutputNamesAreReplaced();

private:
    // A host with the template in the test's own folder and the target
    // servo000.asm there.
    void Prepare(RecordingHost &host, const char *fakeAssembler);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void GenerationRunHostTest::Prepare(RecordingHost &host, const char *fakeAssembler)
{
    host.templatePath = m_dir->filePath("servo00.asm");
    QVERIFY(platform::WriteFileAtomically(host.templatePath,
                                          "cortab:   ;Tabelle mit Poti-Korrekturwerten\r\n"));
    host.assemblerPath = QStringLiteral(PULSAKOR_TEST_DATA "/fake-assemblers/") + fakeAssembler;
    host.workFolder = m_dir->path() + "/";
    host.answer = host.workFolder + "servo000.asm";
}

void GenerationRunHostTest::successfulRunAsksInOrder()
{
    RecordingHost host;
    Prepare(host, "writes-hex.sh");

    const RunResult result = RunGeneration(host);

    QCOMPARE(result.outcome, RunOutcome::Assembled);
    QCOMPARE(result.targetBase, host.workFolder + "servo000.");
    QCOMPARE(host.calls,
             QStringList({"SetListingText", "ShowListingPage", "DeleteAsmValue", "ChooseTarget",
                          "SetWorkFolder", "SaveParameters", "FocusListing", "Waiting",
                          "Done waiting", "ShowMessage", "DeleteAsmValue", "SetListingText",
                          "SaveSettings"}));
    // The host's decimal separator reaches the listing and the summary.
    QVERIFY(host.listing.contains("Gesamt-Spannung am Servopoti:     5,00 Volt\r\n"));
    QVERIFY(host.listing.contains("\r\n\r\n;Potispannung: 5,00 Volt\r\n"));
}

void GenerationRunHostTest::runawayOutputFailsTheRun()
{
    RecordingHost host;
    Prepare(host, "prints-without-end.sh");

    const RunResult result = RunGeneration(host);

    QCOMPARE(result.outcome, RunOutcome::AssemblerFailed);
    QCOMPARE(host.messages.back(), std::make_pair(HexNotMadeMessage(), HexNotMadeTitle()));
    const QByteArray log = platform::ReadWholeFile(host.workFolder + "servo000.log").value();
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

    RunGeneration(host);

    const QString obj = host.workFolder + "servo000.obj";
    const std::optional<QByteArray> pid = platform::ReadWholeFile(host.workFolder + "servo000.pid");
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
    QVERIFY(QFile::link(kept, host.workFolder + "servo000.asm"));
    QVERIFY(QFile::link(outside.filePath("planted.log"), host.workFolder + "servo000.log"));

    RunGeneration(host);

    QCOMPARE(platform::ReadWholeFile(kept).value_or("<missing>"), QByteArray("not ours\r\n"));
    QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList{"kept.asm"});
    for (const char *name : {"servo000.asm", "servo000.log"}) {
        const QFileInfo info(host.workFolder + name);
        QVERIFY2(info.isFile() && !info.isSymLink(), name);
    }
}

QTEST_GUILESS_MAIN(GenerationRunHostTest)
#include "generation_run_test.moc"
