// Programming the chip from the window: "Chip programmieren..." against fake
// avrdudes (tests/data/fake-avrdude) and with the real avrdude against the
// emulated programmer (tests/tools/fake_programmer.cpp), cancelled from the
// progress window too, and the programmer's dialog of "Programmer..." with
// what it keeps in "pulsakor-avrdude.ini". The programming after a run is
// in generation_run_test; every failure of the programming itself in
// tests/generator and tests/cli.

#include "app/form1.h"
#include "app/widgets/programmer_dialog.h"
#include "app/widgets/progress_window.h"
#include "generator/chip_programming.h"
#include "generator/programming_settings.h"

#include "tests/support/emulated_chip.h"
#include "tests/support/emulated_programmer.h"
#include "tests/support/fake_user_interaction.h"
#include "tests/support/process_state.h"
#include "tests/support/test_data.h"

#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#include <tlhelp32.h>
#endif

using app::Form1;
using generator::ProgrammingChoices;
using generator::ProgrammingSettings;

Q_DECLARE_METATYPE(generator::ProgrammingSettings)

namespace {

QString FakeAvrdude(const QString &name)
{
    return QStringLiteral(PULSAKOR_TEST_DATA "/fake-avrdude/") + name;
}

// Calls `step` every 20 ms while the window waits in its own event loop,
// until it answers true.
void WhileWaiting(QObject *owner, const std::function<bool()> &step)
{
    auto *timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
        if (step())
            timer->deleteLater();
    });
    timer->start(20);
}

#ifdef PULSAKOR_FAKE_PROGRAMMER
// An Intel HEX file of `bytes` from address 0, 16 bytes a record.
QByteArray IntelHex(const QByteArray &bytes)
{
    QByteArray hex;
    for (qsizetype at = 0; at < bytes.size(); at += 16) {
        const QByteArray data = bytes.mid(at, 16);
        QByteArray record;
        record.append(char(data.size())).append(char(at >> 8)).append(char(at & 0xFF));
        record.append('\0').append(data);
        quint8 sum = 0;
        for (const char c : record)
            sum = quint8(sum + quint8(c));
        record.append(char(quint8(-sum)));
        hex += ':' + record.toHex().toUpper() + "\r\n";
    }
    return hex + ":00000001FF\r\n";
}

// The avrdudes this test started that still run (a zombie runs no more).
int RunningAvrdudes()
{
    int running = 0;
#ifdef Q_OS_WIN
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (bool more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId()
            && QString::fromWCharArray(entry.szExeFile).compare("avrdude.exe", Qt::CaseInsensitive)
                == 0)
            ++running;
    }
    CloseHandle(snapshot);
#else
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        const QByteArray stat = testsupport::ReadBytes("/proc/" + entry + "/stat");
        const qsizetype close = stat.lastIndexOf(')');
        const QByteArray name = stat.mid(stat.indexOf('(') + 1, close - stat.indexOf('(') - 1);
        const QList<QByteArray> rest = stat.mid(close + 2).split(' ');
        if (name == "avrdude" && rest.size() > 1
            && rest[1].toLongLong() == QCoreApplication::applicationPid()
            && !testsupport::IsDead(pid))
            ++running;
    }
#endif
    return running;
}

#endif

} // namespace

class ChipProgrammingTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void command3WritesTheChosenHexFile_data();
    void command3WritesTheChosenHexFile();
    void realAvrdudeFromTheWindow_data();
    void realAvrdudeFromTheWindow();
    void cancelNoticeOutlastsTheStages();
    void programmerDialogSavesAndReadsBack_data();
    void programmerDialogSavesAndReadsBack();
    void check2IsKeptForTheNextStart();

private:
    std::unique_ptr<Form1> LoadedWindow();
    template <typename T> T *Control(const QWidget &parent, const QString &name) const
    {
        T *control = parent.findChild<T *>(name);
        if (!control)
            qFatal("no control %s", qPrintable(name));
        return control;
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_settings;
    std::unique_ptr<platform::FakeUserInteraction> m_user;
};

void ChipProgrammingTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_settings = QDir::toNativeSeparators(m_folder->path()) + QDir::separator();
    m_user = std::make_unique<platform::FakeUserInteraction>();
}

void ChipProgrammingTest::cleanup()
{
    m_user.reset();
    m_folder.reset();
}

// A window started in the test's folder, shown on page 1.
std::unique_ptr<Form1> ChipProgrammingTest::LoadedWindow()
{
    auto form = std::make_unique<Form1>(m_user.get());
    form->SetActivateOnShow(false);
    form->Form_Load({m_settings, QDir::toNativeSeparators(m_folder->path()),
                     m_settings + QStringLiteral("no-assembler")});
    form->show();
    return form;
}

void ChipProgrammingTest::command3WritesTheChosenHexFile_data()
{
    QTest::addColumn<QString>("avrdude");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");

    QTest::newRow("programmed") << FakeAvrdude("programs.sh") << false << "Chip programmiert"
                                << "Das Kalibrierbyte 0x5A steht im EEPROM an Adresse 0.";
    QTest::newRow("cancelled in the progress window")
        << FakeAvrdude("hangs.sh") << true << "Chip nicht programmiert"
        << "Das Programmieren wurde abgebrochen.";
    // Typed bare in the dialog, as pulsakor-cli's --avrdude takes it.
    QTest::newRow("avrdude by its bare name, found on PATH")
        << "programs.sh" << false << "Chip programmiert" << "0x5A steht im EEPROM an Adresse 0";
}

// The open dialog proposes the work folder before any run; the chosen file
// goes into the chip while the progress window shows, and "Abbrechen" there
// ends avrdude with everything it started. The HEX file keeps its bytes,
// and only the programming log joins it.
void ChipProgrammingTest::command3WritesTheChosenHexFile()
{
    SHELL_SCRIPT_TEST_ONLY_ON_LINUX();
    QFETCH(QString, avrdude);
    QFETCH(bool, cancel);
    QFETCH(QString, title);
    QFETCH(QString, message);

    const QString hexFolder = m_folder->filePath("Servos mit Ä");
    QVERIFY(QDir().mkpath(hexFolder));
    const QString hexPath = QDir::toNativeSeparators(hexFolder + "/servo003.hex");
    const QByteArray hex(":020000000C945E\r\n:00000001FF\r\n");
    testsupport::WriteBytes(hexPath, hex);
    const QString flashCopy = m_folder->filePath("flash-written.hex");
    const QString childFile = m_folder->filePath("avrdude-child");
    qputenv("FAKE_AVRDUDE_FLASH", QFile::encodeName(flashCopy));
    qputenv("FAKE_AVRDUDE_CHILD", QFile::encodeName(childFile));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(FakeAvrdude("") + QDir::listSeparator()) + path);

    const std::unique_ptr<Form1> form = LoadedWindow();
    ProgrammingChoices choices;
    choices.settings.avrdudePath = avrdude;
    choices.settings.programmer = "stk500v1";
    form->SetProgramming(choices);
    m_user->openAnswers.push_back(hexPath);

    auto *progress = form->findChild<app::ProgressWindow *>();
    QVERIFY(progress);
    bool shownAtCancel = false;
    WhileWaiting(form.get(), [&] {
        // Cancelled once avrdude is well under way: it has started a child.
        if (!cancel || !QFileInfo::exists(childFile))
            return false;
        shownAtCancel = progress->isVisible();
        Control<QPushButton>(*progress, "Cancel")->click();
        return true;
    });
    QElapsedTimer clock;
    clock.start();
    Control<QPushButton>(*form, "Command3")->click();
    QVERIFY2(clock.elapsed() < 20000, "the cancel did not end avrdude at once");
    qputenv("PATH", path);

    QCOMPARE(m_user->openRequests.size(), size_t(1));
    QCOMPARE(m_user->openRequests[0].fileName, m_settings);
    QCOMPARE(m_user->openRequests[0].filter, QStringLiteral("HEX-Datei|*.hex"));
    QCOMPARE(m_user->messages.size(), size_t(1));
    QCOMPARE(m_user->messages[0].title, title);
    QVERIFY2(m_user->messages[0].text.contains(message), qPrintable(m_user->messages[0].text));

    QCOMPARE(shownAtCancel, cancel);
    QVERIFY(!progress->isVisible());
    QVERIFY(Control<QPushButton>(*form, "Command2")->isEnabled());
    QVERIFY(Control<QPushButton>(*form, "Command3")->isEnabled());
    QCOMPARE(testsupport::ReadBytes(hexPath), hex);
    QCOMPARE(QDir(hexFolder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             QStringList({"servo003.avrdude.log", "servo003.hex"}));
    if (title == QLatin1String("Chip programmiert"))
        QCOMPARE(testsupport::ReadBytes(flashCopy), hex);
    if (cancel) {
        const qint64 child = testsupport::ReadBytes(childFile).trimmed().toLongLong();
        QVERIFY(child > 0);
        QVERIFY2(testsupport::IsDead(child), "a child of avrdude is still running");
    }
    qunsetenv("FAKE_AVRDUDE_FLASH");
    qunsetenv("FAKE_AVRDUDE_CHILD");
}

void ChipProgrammingTest::realAvrdudeFromTheWindow_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("programmed") << false;
    QTest::newRow("cancelled while the flash is written") << true;
}

// The real avrdude writes the emulated chip at 19200 baud while the progress
// window follows its stages; "Abbrechen" in the middle of the flash ends it,
// nothing of it is left running, and the message says that the chip is
// erased or written in part.
void ChipProgrammingTest::realAvrdudeFromTheWindow()
{
#ifndef PULSAKOR_FAKE_PROGRAMMER
    QSKIP("the emulated programmer is built on Linux only");
#else
    QFETCH(bool, cancel);
    if (QStandardPaths::findExecutable("avrdude").isEmpty())
        QSKIP("avrdude is not installed (scripts/install-deps installs it)");

    QByteArray firmware;
    for (int i = 0; i < 512; ++i)
        firmware.append(char(i * 13 + 5));
    const QString hexPath = QDir::toNativeSeparators(m_folder->filePath("servo004.hex"));
    const QByteArray hex = IntelHex(firmware);
    testsupport::WriteBytes(hexPath, hex);
    testsupport::EmulatedProgrammer programmer(m_folder->path(),
                                           testsupport::EmulatedProgrammer::Link::Terminal);
    QVERIFY(programmer.IsReady());

    const std::unique_ptr<Form1> form = LoadedWindow();
    ProgrammingChoices choices;
    choices.settings.programmer = "stk500v1";
    choices.settings.port = programmer.Port();
    choices.settings.baudRate = 19200;
    form->SetProgramming(choices);
    m_user->openAnswers.push_back(hexPath);

    auto *progress = form->findChild<app::ProgressWindow *>();
    QVERIFY(progress);
    QStringList stages;
    int mostPercent = 0;
    WhileWaiting(form.get(), [&] {
        const QString stage = Control<QLabel>(*progress, "Stage")->text();
        if (progress->isVisible() && (stages.isEmpty() || stages.last() != stage))
            stages.append(stage);
        mostPercent = std::max(mostPercent, Control<QProgressBar>(*progress, "Bar")->value());
        if (cancel && stage == QLatin1String("Flash schreiben") && mostPercent >= 10) {
            Control<QPushButton>(*progress, "Cancel")->click();
            return true;
        }
        return false;
    });
    Control<QPushButton>(*form, "Command3")->click();

    QCOMPARE(RunningAvrdudes(), 0);
    QCOMPARE(m_user->messages.size(), size_t(1));
    const QString text = m_user->messages[0].text;
    QVERIFY2(stages.contains(QStringLiteral("Flash schreiben")), qPrintable(stages.join(" / ")));
    QVERIFY(mostPercent > 0);
    QCOMPARE(testsupport::ReadBytes(hexPath), hex);
    const auto chip = emulatedchip::ReadState(programmer.StatePath());
    QVERIFY(chip);
    if (cancel) {
        QCOMPARE(m_user->messages[0].title, QStringLiteral("Chip nicht programmiert"));
        QVERIFY2(text.contains("abgebrochen") && text.contains("zum Teil beschrieben"),
                 qPrintable(text));
        QVERIFY(chip->flash.left(firmware.size()) != firmware);
    } else {
        QCOMPARE(m_user->messages[0].title, QStringLiteral("Chip programmiert"));
        QVERIFY2(text.contains("0x5A steht im EEPROM an Adresse 0"), qPrintable(text));
        QCOMPARE(chip->flash.left(firmware.size()), firmware);
        QCOMPARE(quint8(chip->eeprom.at(0)), chip->calibration);
    }
    QCOMPARE(chip->fuse, emulatedchip::kNewFuse);
#endif
}

// avrdude reports its stage until it has ended; the window still says it is being cancelled.
void ChipProgrammingTest::cancelNoticeOutlastsTheStages()
{
    app::ProgressWindow progress(QStringLiteral("Chip programmieren"));
    progress.SetStage(QStringLiteral("Flash schreiben"), 10);
    Control<QPushButton>(progress, "Cancel")->click();
    progress.SetStage(QStringLiteral("Flash schreiben"), 20);
    QCOMPARE(Control<QLabel>(progress, "Stage")->text(), QStringLiteral("Wird abgebrochen..."));
    QCOMPARE(Control<QProgressBar>(progress, "Bar")->value(), 20);
}

void ChipProgrammingTest::programmerDialogSavesAndReadsBack_data()
{
    QTest::addColumn<QString>("avrdude");
    QTest::addColumn<QString>("programmer");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<int>("address");
    // nullopt: OK stays disabled, the dialog is cancelled, nothing is saved.
    QTest::addColumn<std::optional<ProgrammingSettings>>("saved");

    ProgrammingSettings terminal;
    terminal.avrdudePath = "/opt/avr werkzeuge/avrdude";
    terminal.programmer = "stk500v1";
    terminal.port = "/dev/pts/7";
    terminal.baudRate = 19200;
    terminal.calibrationAddress = 5;
    QTest::newRow("Arduino as ISP on a terminal, address 5")
        << terminal.avrdudePath << "stk500v1" << "/dev/pts/7" << "19200" << 5
        << std::optional(terminal);

    ProgrammingSettings typed;
    typed.programmer = "dragon_isp";
    typed.calibrationAddress.reset();
    QTest::newRow("typed programmer, the platform's avrdude, no calibration byte")
        << "" << " dragon_isp " << "" << "" << -1 << std::optional(typed);

    QTest::newRow("no programmer") << "" << "" << "usb" << "" << 0
                                   << std::optional<ProgrammingSettings>();
    QTest::newRow("port that avrdude would take for an option")
        << "" << "usbasp" << "-x" << "" << 0 << std::optional<ProgrammingSettings>();
}

// What "Programmer..." shows is typed in and confirmed; the settings file
// holds it, and the next start shows it again in the dialog.
void ChipProgrammingTest::programmerDialogSavesAndReadsBack()
{
    QFETCH(QString, avrdude);
    QFETCH(QString, programmer);
    QFETCH(QString, port);
    QFETCH(QString, baud);
    QFETCH(int, address);
    QFETCH(std::optional<ProgrammingSettings>, saved);

    const QString file = m_settings + generator::kProgrammingSettingsFileName;
    {
        const std::unique_ptr<Form1> form = LoadedWindow();
        bool okEnabled = false;
        WhileWaiting(form.get(), [&] {
            auto *dialog = form->findChild<app::ProgrammerDialog *>();
            if (!dialog || !dialog->isVisible())
                return false;
            Control<QLineEdit>(*dialog, "Avrdude")->setText(avrdude);
            Control<QComboBox>(*dialog, "Programmer")->setEditText(programmer);
            Control<QLineEdit>(*dialog, "Port")->setText(port);
            Control<QLineEdit>(*dialog, "Baud")->setText(baud);
            Control<QSpinBox>(*dialog, "CalibrationAddress")->setValue(address);
            const auto buttons = dialog->findChildren<QPushButton *>();
            for (QPushButton *button : buttons) {
                if (button->text() == QLatin1String("OK"))
                    okEnabled = button->isEnabled();
            }
            if (okEnabled)
                dialog->accept();
            else
                dialog->reject();
            return true;
        });
        Control<QPushButton>(*form, "Command4")->click();
        QCOMPARE(okEnabled, saved.has_value());
        QVERIFY(m_user->messages.empty());
        if (!saved) {
            QVERIFY(!QFileInfo::exists(file));
            return;
        }
        QCOMPARE(form->Programming().settings, *saved);
    }
    QCOMPARE(generator::LoadProgrammingSettings(m_settings).settings, *saved);

    const std::unique_ptr<Form1> next = LoadedWindow();
    std::optional<ProgrammingSettings> shown;
    WhileWaiting(next.get(), [&] {
        auto *dialog = next->findChild<app::ProgrammerDialog *>();
        if (!dialog || !dialog->isVisible())
            return false;
        shown = dialog->Settings();
        dialog->reject();
        return true;
    });
    Control<QPushButton>(*next, "Command4")->click();
    QCOMPARE(shown, saved);
}

// A click on Check2 is kept at once; the next start ticks the box again
// and keeps the other settings.
void ChipProgrammingTest::check2IsKeptForTheNextStart()
{
    ProgrammingChoices choices;
    choices.settings.programmer = "usbtiny";
    QVERIFY(generator::SaveProgrammingSettings(m_settings, choices));
    {
        const std::unique_ptr<Form1> form = LoadedWindow();
        auto *box = Control<QCheckBox>(*form, "Check2");
        QVERIFY(!box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QVERIFY(box->isChecked());
    }
    const std::unique_ptr<Form1> next = LoadedWindow();
    QVERIFY(Control<QCheckBox>(*next, "Check2")->isChecked());
    QVERIFY(next->Programming().afterEachRun);
    QCOMPARE(next->Programming().settings.programmer, QStringLiteral("usbtiny"));
}

QTEST_MAIN(ChipProgrammingTest)
#include "chip_programming_test.moc"
