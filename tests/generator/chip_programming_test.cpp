// A programming against fake avrdudes (tests/data/fake-avrdude): how it ends
// when avrdude hangs, prints without end, is cancelled or answers what a
// real one never should; and that it writes nothing but its log. The real
// avrdude against the emulated programmer is tests/cli/programming_test.

#include "generator/chip_programming.h"

#include "tests/support/emulated_programmer.h"
#include "tests/support/process_state.h"
#include "tests/support/test_data.h"

#include <QtTest>

using namespace generator;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(generator::ProgrammingOutcome)

namespace {

QString FakeAvrdude(const QString &name)
{
    return QStringLiteral(PULSAKOR_TEST_DATA "/fake-avrdude/") + name;
}

// Cancels at avrdude's first output, as the window's button would.
class CancellingHost : public ProgrammingHost {
public:
    explicit CancellingHost(platform::Cancellation *cancellation) : m_cancellation(cancellation) {}
    void TakeOutput(const QByteArray &) override
    {
        if (m_cancellation)
            m_cancellation->Cancel();
    }

private:
    platform::Cancellation *m_cancellation;
};

} // namespace

class ChipProgrammingTest : public QObject {
    Q_OBJECT
private slots:
    void failedProgrammingWritesOnlyItsLog_data();
    void failedProgrammingWritesOnlyItsLog();
    void emulatedChipKeepsItsBytes_data();
    void emulatedChipKeepsItsBytes();
};

void ChipProgrammingTest::failedProgrammingWritesOnlyItsLog_data()
{
    QTest::addColumn<QByteArray>("eeprom"); // the .eep.hex beside, if any
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("avrdude");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<ProgrammingOutcome>("outcome");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("logged");

    const auto row = [](const char *name, const QByteArray &eeprom = {}) -> QTestData & {
        return QTest::newRow(name) << eeprom;
    };
    const QByteArray hex(":020000000C945E\r\n:00000001FF\r\n");
    row("avrdude hangs past the time-out")
        << hex << FakeAvrdude("hangs.sh") << false << ProgrammingOutcome::TimedOut
        << "nach 2 Sekunden nicht geendet" << true;
    row("cancelled while avrdude runs")
        << hex << FakeAvrdude("hangs.sh") << true << ProgrammingOutcome::Cancelled << "abgebrochen"
        << true;
    row("avrdude prints without end")
        << hex << FakeAvrdude("prints-without-end.sh") << false << ProgrammingOutcome::OutputTooLong
        << "16 MiB" << true;
    row("two bytes where the calibration byte belongs")
        << hex << FakeAvrdude("reads-two-bytes.sh") << false
        << ProgrammingOutcome::CalibrationUnread << "Kalibrierbyte" << true;
    row("another chip although avrdude ended well")
        << hex << FakeAvrdude("other-signature.sh") << false << ProgrammingOutcome::WrongChip
        << "Signatur 1E 90 07" << true;
    row("no avrdude") << hex << FakeAvrdude("missing.sh") << false
                      << ProgrammingOutcome::AvrdudeMissing << "nicht gefunden" << false;
    // avrdude would erase the chip before it found out.
    row("no Intel HEX") << QByteArray("servo000.asm(1) : Error\r\n")
                        << FakeAvrdude("other-signature.sh") << false
                        << ProgrammingOutcome::FileFailed
                        << "keine HEX-Datei für den Chip (Zeile 1" << false;
    row("a byte beyond the flash")
        << QByteArray(":01040000AA51\r\n:00000001FF\r\n") << FakeAvrdude("other-signature.sh")
        << false << ProgrammingOutcome::FileFailed << "jenseits des Flash von 1024 Bytes" << false;
    row("no data") << QByteArray(":00000001FF\r\n") << FakeAvrdude("other-signature.sh") << false
                   << ProgrammingOutcome::FileFailed << "keine Daten für den Flash" << false;
    row("cancelled as the first call ends")
        << hex << FakeAvrdude("programs.sh") << true << ProgrammingOutcome::Cancelled
        << "abgebrochen" << true;
    row("calibration byte never set")
        << hex << FakeAvrdude("reads-unset-calibration.sh") << false
        << ProgrammingOutcome::CalibrationUnread << "--calibration-eeprom none" << true;
    // The erase would lose the template's byte or the chip's.
    row("template data where the calibration byte goes", ":020000001234B8\r\n:00000001FF\r\n")
        << hex << FakeAvrdude("programs.sh") << false << ProgrammingOutcome::FileFailed
        << "EEPROM-Adresse 0" << false;
}

// Whatever ends it, the HEX file keeps its bytes, the only new file beside
// it is the programming log, the chip was never written to (the second call
// never began), and nothing avrdude started is left running.
void ChipProgrammingTest::failedProgrammingWritesOnlyItsLog()
{
    SHELL_SCRIPT_TEST_ONLY_ON_LINUX();
    QFETCH(QByteArray, eeprom);
    QFETCH(QByteArray, hex);
    QFETCH(QString, avrdude);
    QFETCH(bool, cancel);
    QFETCH(ProgrammingOutcome, outcome);
    QFETCH(QString, message);
    QFETCH(bool, logged);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString hexPath = dir.filePath("servo 003 ä.hex");
    testsupport::WriteBytes(hexPath, hex);
    if (!eeprom.isEmpty())
        testsupport::WriteBytes(dir.filePath("servo 003 ä.eep.hex"), eeprom);
    const QString childFile = dir.path() + "/../" + QFileInfo(dir.path()).fileName() + ".child";
    qputenv("FAKE_AVRDUDE_CHILD", QFile::encodeName(childFile));

    ProgrammingRequest request;
    request.settings.avrdudePath = avrdude;
    request.settings.programmer = "stk500v1";
    request.hexPath = hexPath;
    request.wait = {0ms, 20s};
    if (avrdude.endsWith("hangs.sh") && !cancel)
        request.wait.maximum = 2s;
    platform::Cancellation cancellation;
    CancellingHost host(cancel ? &cancellation : nullptr);
    const ProgrammingResult result = ProgramChip(request, host, &cancellation);

    QCOMPARE(result.outcome, outcome);
    QVERIFY2(result.message.contains(message), qPrintable(result.message));
    QVERIFY(!result.chipTouched);
    QCOMPARE(testsupport::ReadBytes(hexPath), hex);
    const QString logPath = dir.filePath("servo 003 ä.avrdude.log");
    QCOMPARE(result.logPath, logged ? logPath : QString());
    QStringList expected{"servo 003 ä.hex"};
    if (!eeprom.isEmpty())
        expected.prepend("servo 003 ä.eep.hex");
    if (logged)
        expected.prepend("servo 003 ä.avrdude.log");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    // The log keeps the limit's worth of avrdude's output and the note why
    // it was ended.
    if (outcome == ProgrammingOutcome::OutputTooLong) {
        const QByteArray log = testsupport::ReadBytes(logPath);
        QCOMPARE(log.indexOf("pulsakor: avrdude wurde beendet"), platform::DefaultOutputLimit);
    }

    if (QFileInfo::exists(childFile)) {
        const qint64 child = testsupport::ReadBytes(childFile).trimmed().toLongLong();
        QFile::remove(childFile);
        QVERIFY(child > 0);
        QVERIFY2(testsupport::IsDead(child), "a child of avrdude is still running");
    } else {
        QVERIFY(!avrdude.endsWith("hangs.sh"));
    }
}

void ChipProgrammingTest::emulatedChipKeepsItsBytes_data()
{
    QTest::addColumn<testsupport::AvrdudeUnderTest>("avrdude");
    QTest::addColumn<QStringList>("fault");
    QTest::addColumn<bool>("program");
    QTest::addColumn<ProgrammingOutcome>("outcome");

    for (const testsupport::AvrdudeUnderTest &avrdude : testsupport::AvrdudesUnderTest()) {
        QTest::addRow("EEPROM read, %s", qPrintable(avrdude.name))
            << avrdude << QStringList() << false << ProgrammingOutcome::Programmed;
        // avrdude itself would wait 10 to 20 seconds before it gives up.
        QTest::addRow("programmer silent from the start, %s", qPrintable(avrdude.name))
            << avrdude << QStringList{"--fault", "silent"} << true << ProgrammingOutcome::TimedOut;
    }
    const auto fake = [](const char *name) {
        return testsupport::AvrdudeUnderTest{{}, FakeAvrdude(name), {}};
    };
    QTest::newRow("EEPROM read, another chip although avrdude ended well")
        << fake("other-signature.sh") << QStringList() << false << ProgrammingOutcome::WrongChip;
    QTest::newRow("programmed, the log in the settings folder")
        << fake("programs.sh") << QStringList() << true << ProgrammingOutcome::Programmed;
}

// The emulated chip keeps every byte; an EEPROM read that succeeds hands
// over the whole EEPROM. A programming's log goes to the settings folder
// when a folder stands where it belongs, as for a medium that cannot be
// written (root, who may run the suites, could write a read-only one).
void ChipProgrammingTest::emulatedChipKeepsItsBytes()
{
    QFETCH(testsupport::AvrdudeUnderTest, avrdude);
    QFETCH(QStringList, fault);
    QFETCH(bool, program);
    QFETCH(ProgrammingOutcome, outcome);
    if (!avrdude.missing.isEmpty())
        QSKIP(qPrintable(avrdude.missing));
#ifndef PULSAKOR_FAKE_PROGRAMMER
    QSKIP("the emulated programmer is built on Linux only");
#else
    if (avrdude.path.endsWith(".sh")) {
        SHELL_SCRIPT_TEST_ONLY_ON_LINUX();
    }
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    emulatedchip::State chip;
    chip.flash = QByteArray(int(emulatedchip::kFlashSize), char(0x42));
    for (int i = 0; i < int(emulatedchip::kEepromSize); ++i)
        chip.eeprom.append(char(i * 3));
    const QByteArray before = emulatedchip::StateBytes(chip);
    testsupport::WriteBytes(dir.filePath("chip.bin"), before);
    testsupport::EmulatedProgrammer programmer(
        dir.path(), testsupport::EmulatedProgrammer::Link::Terminal, fault);
    QVERIFY(programmer.IsReady());
    const ProgrammingSettings settings{avrdude.path, "stk500v1", programmer.Port(), 19200, 0};
    const QString logPath = dir.filePath("Einstellungen/pulsakor-einlernen.avrdude.log");
    ProgrammingHost host;

    if (program) {
        QVERIFY(QDir(dir.path()).mkpath("servo000.avrdude.log"));
        testsupport::WriteBytes(dir.filePath("servo000.hex"), ":020000000C945E\r\n:00000001FF\r\n");
        const QString folder = dir.filePath("Einstellungen") + '/';
        const ProgrammingResult result =
            ProgramChip({settings, dir.filePath("servo000.hex"), {0ms, 2s}, {}, folder}, host);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.chipTouched, outcome == ProgrammingOutcome::Programmed);
        QCOMPARE(result.logPath, folder + "servo000.avrdude.log");
        QVERIFY2(result.message.contains(QDir::toNativeSeparators(result.logPath)),
                 qPrintable(result.message));
        QVERIFY(outcome != ProgrammingOutcome::Programmed
                || testsupport::ReadBytes(result.logPath).contains("avrdude done."));
    } else {
        const EepromReadResult result = ReadChipEeprom({settings, logPath, {0ms, 20s}}, host);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.succeeded, outcome == ProgrammingOutcome::Programmed);
        QCOMPARE(result.eeprom, result.succeeded ? chip.eeprom : QByteArray());
        QCOMPARE(result.logPath, logPath);
        QVERIFY(QFileInfo(logPath).isFile());
    }
    QVERIFY(programmer.EndAndReadChip().has_value());
    QCOMPARE(testsupport::ReadBytes(programmer.StatePath()), before);
#endif
}

QTEST_GUILESS_MAIN(ChipProgrammingTest)
#include "chip_programming_test.moc"
