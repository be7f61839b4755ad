// The run seen from a front end without a window: which questions the host
// is asked, and in which order.

#include "generator/generation_run.h"

#include "platform/files.h"

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
    void successfulRunAsksInOrder();
};

void GenerationRunHostTest::successfulRunAsksInOrder()
{
    QTemporaryDir dir;
    RecordingHost host;
    host.templatePath = dir.filePath("servo00.asm");
    QVERIFY(platform::WriteFileAtomically(host.templatePath,
                                          "cortab:   ;Tabelle mit Poti-Korrekturwerten\r\n"));
    host.assemblerPath = QStringLiteral(PULSAKOR_TEST_DATA "/fake-assemblers/writes-hex.sh");
    host.workFolder = dir.path() + "/";
    host.answer = host.workFolder + "servo000.asm";

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

QTEST_GUILESS_MAIN(GenerationRunHostTest)
#include "generation_run_test.moc"
