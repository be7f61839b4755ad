// pulsakor-cli programs the chip with the real avrdude, against the
// emulated programmer (tests/tools/fake_programmer.cpp) on a pseudo-terminal
// or a socket: after a whole run and with --flash, and every failure as
// exit 5 with the HEX file, the source and the run's log as they were. The
// rows every avrdude must pass run with each one the suite is given. The
// teach-in firmware programmed, and the end stops it taught read back.

#include "generator/hex_check.h"
#include "platform/environment.h"

#include "tests/support/cli_process.h"
#include "tests/support/emulated_chip.h"
#include "tests/support/emulated_programmer.h"
#include "tests/support/test_data.h"

#include <QtTest>

#include <QElapsedTimer>

using namespace generator;

namespace {

// What the emulated chip should hold after the run.
enum class Chip {
    Programmed, // flash = the HEX file, the calibration byte at its address
    Untouched,  // as before, byte for byte
    Touched,    // erased, the EEPROM not written; fuse and lock bits as before
};

#ifdef PULSAKOR_FAKE_PROGRAMMER
// The chip before each row: another firmware, an EEPROM full of 0x11.
QByteArray OldChip()
{
    emulatedchip::State state;
    for (int i = 0; i < int(emulatedchip::kFlashSize); ++i)
        state.flash.append(char(i * 7));
    state.eeprom = QByteArray(emulatedchip::kEepromSize, char(0x11));
    return emulatedchip::StateBytes(state);
}

QStringList FilesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}
#endif

// The flash as the HEX file fills it, the rest erased.
QByteArray FlashOf(const QByteArray &hex)
{
    QByteArray flash(emulatedchip::kFlashSize, char(emulatedchip::kErased));
    const auto image = ParseIntelHex(hex);
    if (!std::holds_alternative<HexImage>(image))
        return {};
    for (const HexBlock &block : std::get<HexImage>(image))
        flash.replace(qsizetype(block.address), block.bytes.size(), block.bytes);
    return flash.left(emulatedchip::kFlashSize);
}

} // namespace

Q_DECLARE_METATYPE(Chip)

class ProgrammingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void programsTheChipOrLeavesEverythingAsItWas_data();
    void programsTheChipOrLeavesEverythingAsItWas();

private:
    QTemporaryDir m_made;
};

// One HEX file, with its source and log, made from the example firmware by
// the real assembler; the --flash rows program copies of it.
void ProgrammingTest::initTestCase()
{
#ifndef PULSAKOR_FAKE_PROGRAMMER
    QSKIP("the emulated programmer is built on Linux only");
#endif
    QVERIFY(m_made.isValid());
    QProcess cli;
    cli.start(PULSAKOR_CLI, {"--template", testsupport::ExampleTemplatePath(), "--out",
                             m_made.filePath("servo000.asm")});
    const testsupport::CliRun run = testsupport::FinishCli(cli);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(!FlashOf(testsupport::ReadBytes(m_made.filePath("servo000.hex"))).isEmpty());
    // The whole run's template puts two bytes into the EEPROM, at 8 and 9.
    QByteArray withEeprom = testsupport::ReadBytes(testsupport::ExampleTemplatePath());
    withEeprom.insert(withEeprom.indexOf(".cseg"), ".eseg\r\n.org 8\r\n.db 0x12, 0x34\r\n");
    QVERIFY(QDir(m_made.path()).mkdir("eseg"));
    testsupport::WriteBytes(m_made.filePath("eseg/servo01.asm"), withEeprom);
}

void ProgrammingTest::programsTheChipOrLeavesEverythingAsItWas_data()
{
    QTest::addColumn<testsupport::AvrdudeUnderTest>("avrdude");
    QTest::addColumn<QByteArray>("chipEeprom"); // the chip's before, hex; empty: OldChip()
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<bool>("socket");
    QTest::addColumn<QStringList>("fake");
    QTest::addColumn<bool>("wholeRun");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<Chip>("chip");
    QTest::addColumn<int>("calibrationAddress");

    const QList<testsupport::AvrdudeUnderTest> avrdudes = testsupport::AvrdudesUnderTest();
    for (const testsupport::AvrdudeUnderTest &avrdude : avrdudes) {
        const auto row = [&](const char *name, const QByteArray &chipEeprom = {},
                             const QByteArray &out = {}) -> QTestData & {
            return QTest::addRow("%s, %s", name, qPrintable(avrdude.name))
                << avrdude << chipEeprom << out;
        };
        row("whole run with EEPROM data, pseudo-terminal")
            << false << QStringList() << true << QStringList() << 0 << "Chip programmiert: "
            << Chip::Programmed << 0;
        // The second avrdude writes no calibration byte, the first one at 63.
        if (&avrdude == &avrdudes.first()) {
            row("existing HEX file, socket, calibration byte at 63")
                << true << QStringList{"--calibration", "0x3c"} << false
                << QStringList{"--calibration-eeprom", "63"} << 0
                << "steht im EEPROM an Adresse 63" << Chip::Programmed << 63;
            // pulsakor ends avrdude 7.x, which would wait for ever; the reader's
            // table shows that 8.x's words are read the same way.
            row("programmer silent after the erase")
                << true << QStringList{"--fault", "silent-after-erase"} << false << QStringList()
                << 5 << "antwortet nicht" << Chip::Touched << 0;
            // The teach-in firmware, and the end stops it taught read back
            // (readings 31 and 225 with their check byte).
            const QStringList read = {"--read-end-stops"};
            row("teach-in firmware programmed") << true << QStringList() << false
                                                << QStringList{"--teach-in"} << 0
                                                << "Chip programmiert: " << Chip::Programmed << 0;
            row("end stops taught, at 4800 mV", "5a1fe15b", "--end1 0580 --end2 4220\n")
                << true << QStringList() << false << (read + QStringList{"--supply", "4800"}) << 0
                << "Messwerte 31 und 225" << Chip::Untouched << 0;
            row("nothing taught: just programmed", "5a")
                << true << QStringList() << false << read << 6 << "noch keine Endlagen"
                << Chip::Untouched << 0;
            row("end stops of another chip", "5a1fe15b")
                << true << QStringList{"--signature", "1e9007"} << false << read << 5
                << "kein ATtiny15" << Chip::Untouched << 0;
        }
        // Without an 8.x, the first one takes its row too.
        if (&avrdude != &avrdudes.first() || !avrdudes.last().missing.isEmpty()) {
            row("existing HEX file, socket, calibration byte not written")
                << true << QStringList() << false << QStringList{"--calibration-eeprom", "none"}
                << 0 << "nicht ins EEPROM geschrieben" << Chip::Programmed << -1;
        }
        row("another chip") << false << QStringList{"--signature", "1e9007"} << false
                            << QStringList() << 5 << "kein ATtiny15" << Chip::Untouched << 0;
        row("a byte that does not verify")
            << false << QStringList{"--fault", "verify"} << true << QStringList() << 5
            << "Beim Prüfen stimmte" << Chip::Touched << 0;
    }
}

void ProgrammingTest::programsTheChipOrLeavesEverythingAsItWas()
{
#ifdef PULSAKOR_FAKE_PROGRAMMER
    QFETCH(testsupport::AvrdudeUnderTest, avrdude);
    if (!avrdude.missing.isEmpty())
        QSKIP(qPrintable(avrdude.missing));
    QFETCH(QByteArray, chipEeprom);
    QFETCH(QByteArray, out);
    QFETCH(bool, socket);
    QFETCH(QStringList, fake);
    QFETCH(bool, wholeRun);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(Chip, chip);
    QFETCH(int, calibrationAddress);
    const bool teachIn = options.contains("--teach-in");
    const bool endStops = teachIn || options.contains("--read-end-stops"); // no HEX file

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath("Servos mit Ümlaut");
    QVERIFY(QDir().mkpath(folder));
    // The teach-in firmware lies beside pulsakor-cli.
    const QString hexPath = teachIn ? QFileInfo(PULSAKOR_CLI).absolutePath() + "/einlernen.hex"
                                    : folder + "/servo000.hex";
    QMap<QString, QByteArray> before;
    if (!wholeRun && !endStops) {
        for (const char *name : {"servo000.asm", "servo000.hex", "servo000.log"}) {
            before[name] = testsupport::ReadBytes(m_made.filePath(name));
            testsupport::WriteBytes(folder + '/' + name, before[name]);
        }
    }
    emulatedchip::State taught; // a new chip, its EEPROM from the row's bytes on erased
    taught.eeprom = QByteArray::fromHex(chipEeprom);
    const QByteArray chipBefore =
        chipEeprom.isEmpty() ? OldChip() : emulatedchip::StateBytes(taught);
    testsupport::WriteBytes(dir.filePath("chip.bin"), chipBefore);
    using testsupport::EmulatedProgrammer;
    EmulatedProgrammer programmer(dir.path(),
                                  socket ? EmulatedProgrammer::Link::Socket
                                         : EmulatedProgrammer::Link::Terminal,
                                  fake);
    QVERIFY(programmer.IsReady());

    // The settings folder, where the teach-in's log goes, in the row's own;
    // wine sets TEMP itself, so there it is the test's own.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
#ifdef Q_OS_WIN
    const QString teachInLog = platform::SettingsFolder() + "pulsakor-einlernen.avrdude.log";
    QFile::remove(teachInLog);
#else
    const QString teachInLog = dir.filePath("config/pulsakor/pulsakor-einlernen.avrdude.log");
#endif
    QStringList arguments = wholeRun
        ? QStringList{"--template", m_made.filePath("eseg/servo01.asm"), "--out",
                      folder + "/servo000.asm"}
        : endStops ? QStringList() : QStringList{"--flash", hexPath};
    arguments << "--programmer" << "stk500v1" << "--port" << programmer.Port() << "--baud"
              << "19200" << "--avrdude" << avrdude.path << options;
    QProcess cli;
    cli.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    cli.start(PULSAKOR_CLI, arguments);
    const testsupport::CliRun run = testsupport::FinishCli(cli, 180000);
    qInfo("%s: %.1f s", QTest::currentDataTag(), double(clock.elapsed()) / 1000.0);

    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    if (endStops)
        QCOMPARE(run.out, out);
    else
        QVERIFY2(run.err.contains(exitCode == 0 ? "Chip programmiert: "
                                                : "Chip nicht programmiert: "),
                 qPrintable(run.err));

    // The HEX file, the source and the run's log keep their bytes; beside
    // them only the programming log, and avrdude's output never in the log.
    const QByteArray hex = testsupport::ReadBytes(hexPath);
    for (auto file = before.cbegin(); file != before.cend(); ++file)
        QCOMPARE(testsupport::ReadBytes(folder + '/' + file.key()), file.value());
    QVERIFY(!testsupport::ReadBytes(folder + "/servo000.log").contains("avrdude"));
    QStringList files = wholeRun ? QStringList{"servo000.asm", "servo000.eep.hex", "servo000.hex",
                                               "servo000.log"}
                                 : before.keys();
    if (!endStops)
        files << "servo000.avrdude.log";
    files.sort();
    QCOMPARE(FilesIn(folder), files);
    if (teachIn) // avrdude's output in the settings folder
        QVERIFY(testsupport::ReadBytes(teachInLog).contains("avrdude"));

    const auto state = programmer.EndAndReadChip();
    QVERIFY(state);
    QCOMPARE(state->fuse, emulatedchip::kNewFuse);
    QCOMPARE(state->lock, emulatedchip::kNewLock);
    switch (chip) {
    case Chip::Programmed: {
        QCOMPARE(state->flash, FlashOf(hex));
        QByteArray eeprom(emulatedchip::kEepromSize, char(emulatedchip::kErased));
        if (wholeRun)
            eeprom.replace(8, 2, "\x12\x34");
        if (calibrationAddress >= 0)
            eeprom[calibrationAddress] = char(state->calibration);
        QCOMPARE(state->eeprom, eeprom);
        QVERIFY(run.err.contains("Writing | ####"));
        break;
    }
    case Chip::Untouched:
        QCOMPARE(testsupport::ReadBytes(programmer.StatePath()), chipBefore);
        break;
    case Chip::Touched:
        // avrdude stops at the flash: the calibration byte never follows.
        QCOMPARE(state->eeprom, QByteArray(emulatedchip::kEepromSize, char(emulatedchip::kErased)));
        break;
    }
#endif
}

QTEST_GUILESS_MAIN(ProgrammingTest)
#include "programming_test.moc"
