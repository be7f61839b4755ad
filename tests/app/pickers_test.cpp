#include "app/event_procedures.h"
#include "app/pickers.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "tests/support/fake_user_interaction.h"
#include "tests/support/memory_window_model.h"
#include "tests/support/test_data.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace app;
using testsupport::WriteBytes;

namespace {

const QString kTitle = QStringLiteral("Auswahl der Assembler-Quelldatei...");

} // namespace

class PickersTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void templatePickerPresetsServo00InTemplateFolder();
    void chosenTemplateSetsLabelAndTemplateFolder();
    void assemblerPickerAlwaysPresetsDefault();
    void chosenAssemblerMovesWorkFolder();
    void platformDefaultIsPreset();
    void unusableAnswerChangesNothing_data();
    void unusableAnswerChangesNothing();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
    MemoryWindowModel m_window;
    platform::FakeUserInteraction m_user;
};

void PickersTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->path() + u'/';
    m_window = MemoryWindowModel();
    m_window.folders() = {m_folder, m_folder + "start/", m_folder + "start/"};
    m_user = platform::FakeUserInteraction();
}

void PickersTest::templatePickerPresetsServo00InTemplateFolder()
{
    // servo00.asm need not exist for the preset.
    Label3_Click(m_window, m_user);
    QCOMPARE(m_user.openRequests.size(), size_t(1));
    const platform::FileDialogRequest &request = m_user.openRequests.front();
    QCOMPARE(request.filter, QString("Servo-Vorlagen|servo??.asm"));
    QCOMPARE(request.fileName, m_folder + "start/servo00.asm");
    QCOMPARE(request.title, kTitle);
}

void PickersTest::chosenTemplateSetsLabelAndTemplateFolder()
{
    QVERIFY(QDir(m_folder).mkdir("vorlagen"));
    WriteBytes(m_folder + "vorlagen/servo04.asm", "x");
    m_user.openAnswers = {m_folder + "vorlagen/servo04.asm"};
    Label3_Click(m_window, m_user);
    QCOMPARE(m_window.templatePath, m_folder + "vorlagen/servo04.asm");
    QCOMPARE(m_window.folders().templateFolder, m_folder + "vorlagen/");
    QCOMPARE(m_window.folders().workFolder, m_folder + "start/");

    // The next pick opens where the last template came from.
    Label3_Click(m_window, m_user);
    QCOMPARE(m_user.openRequests.size(), size_t(2));
    QCOMPARE(m_user.openRequests.back().fileName, m_folder + "vorlagen/servo00.asm");
}

void PickersTest::assemblerPickerAlwaysPresetsDefault()
{
    m_window.assemblerPath = m_folder + "tools/other-assembler";
    PickAssembler(m_window, m_user, "/opt/avr/avra");
    QCOMPARE(m_user.openRequests.size(), size_t(1));
    const platform::FileDialogRequest &request = m_user.openRequests.front();
    QCOMPARE(request.fileName, QString("/opt/avr/avra"));
    QCOMPARE(request.title, kTitle);
    QVERIFY(request.filter.startsWith("Assembler-Tool|avrasm32.exe"));
#ifndef Q_OS_WIN
    QCOMPARE(platform::QtFileFilter(request.filter), QString("Assembler-Tool (avrasm32.exe avra)"));
#endif
}

void PickersTest::chosenAssemblerMovesWorkFolder()
{
    QVERIFY(QDir(m_folder).mkdir("tools"));
    WriteBytes(m_folder + "tools/avra", "x");
    m_window.templatePath = m_folder + "start/servo01.asm";
    m_user.openAnswers = {m_folder + "tools/avra"};
    PickAssembler(m_window, m_user, "/usr/bin/avra");
    QCOMPARE(m_window.assemblerPath, m_folder + "tools/avra");
    QCOMPARE(m_window.folders().workFolder, m_folder + "tools/");
    QCOMPARE(m_window.folders().templateFolder, m_folder + "start/");
    QCOMPARE(m_window.templatePath, m_folder + "start/servo01.asm");
}

void PickersTest::platformDefaultIsPreset()
{
    Label5_Click(m_window, m_user);
    QCOMPARE(m_user.openRequests.size(), size_t(1));
    QCOMPARE(m_user.openRequests.front().fileName, platform::DefaultAssemblerPath());
}

void PickersTest::unusableAnswerChangesNothing_data()
{
    QTest::addColumn<bool>("assembler");
    QTest::addColumn<QString>("answer"); // relative to the temporary folder
    QTest::newRow("template cancelled") << false << QString();
    QTest::newRow("template missing") << false << "start/servo77.asm";
    QTest::newRow("template is a folder") << false << "start";
    QTest::newRow("assembler cancelled") << true << QString();
    QTest::newRow("assembler missing") << true << "tools/avrasm32.exe";
    QTest::newRow("assembler is a folder") << true << "start";
}

void PickersTest::unusableAnswerChangesNothing()
{
    QFETCH(bool, assembler);
    QFETCH(QString, answer);
    QVERIFY(QDir(m_folder).mkdir("start"));
    m_window.templatePath = m_folder + "start/servo01.asm";
    m_window.assemblerPath = "/usr/bin/avra";
    if (!answer.isEmpty())
        m_user.openAnswers = {m_folder + answer};
    if (assembler)
        PickAssembler(m_window, m_user, "/usr/bin/avra");
    else
        PickTemplate(m_window, m_user);
    QCOMPARE(m_user.openRequests.size(), size_t(1));
    QCOMPARE(m_window.templatePath, m_folder + "start/servo01.asm");
    QCOMPARE(m_window.assemblerPath, QString("/usr/bin/avra"));
    QCOMPARE(m_window.folders().templateFolder, m_folder + "start/");
    QCOMPARE(m_window.folders().workFolder, m_folder + "start/");
    QVERIFY(m_user.messages.empty());
}

QTEST_GUILESS_MAIN(PickersTest)
#include "pickers_test.moc"
