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

#ifdef PULSAKOR_FAKE_PROGRAMMER
// A new chip whose EEPROM begins with `head`, the rest erased.
QByteArray ChipWithEeprom(const QByteArray &head)
{
    emulatedchip::State state;
    state.eeprom = head;
    return emulatedchip::StateBytes(state);
}
#endif

} // namespace

Q_DECLARE_METATYPE(Chip)

class ProgrammingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void programsTheChipOrLeavesEverythingAsItWas_data();
    void programsTheChipOrLeavesEverythingAsItWas();
    void teachesAndReadsTheEndStops_data();
    void teachesAndReadsTheEndStops();

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
    QTest::addColumn<QString>("avrdude");
    QTest::addColumn<QString>("missing");
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
        const auto row = [&](const char *name) -> QTestData & {
            return QTest::addRow("%s, %s", name, qPrintable(avrdude.name))
                << avrdude.path << avrdude.missing;
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
        } else {
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
    // pulsakor ends avrdude 7.x, which would wait for ever; the reader's
    // table shows that 8.x's words are read the same way.
    const testsupport::AvrdudeUnderTest &first = avrdudes.first();
    QTest::addRow("programmer silent after the erase, %s", qPrintable(first.name))
        << first.path << first.missing << true << QStringList{"--fault", "silent-after-erase"}
        << false << QStringList() << 5 << "antwortet nicht" << Chip::Touched << 0;
}

void ProgrammingTest::programsTheChipOrLeavesEverythingAsItWas()
{
#ifdef PULSAKOR_FAKE_PROGRAMMER
    QFETCH(QString, avrdude);
    QFETCH(QString, missing);
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    QFETCH(bool, socket);
    QFETCH(QStringList, fake);
    QFETCH(bool, wholeRun);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(Chip, chip);
    QFETCH(int, calibrationAddress);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath("Servos mit Ümlaut");
    QVERIFY(QDir().mkpath(folder));
    const QString hexPath = folder + "/servo000.hex";
    QMap<QString, QByteArray> before;
    if (!wholeRun) {
        for (const char *name : {"servo000.asm", "servo000.hex", "servo000.log"}) {
            before[name] = testsupport::ReadBytes(m_made.filePath(name));
            testsupport::WriteBytes(folder + '/' + name, before[name]);
        }
    }
    testsupport::WriteBytes(dir.filePath("chip.bin"), OldChip());
    using testsupport::EmulatedProgrammer;
    EmulatedProgrammer programmer(dir.path(),
                                  socket ? EmulatedProgrammer::Link::Socket
                                         : EmulatedProgrammer::Link::Terminal,
                                  fake);
    QVERIFY(programmer.IsReady());

    QStringList arguments = wholeRun
        ? QStringList{"--template", m_made.filePath("eseg/servo01.asm"), "--out",
                      folder + "/servo000.asm"}
        : QStringList{"--flash", hexPath};
    arguments << "--programmer" << "stk500v1" << "--port" << programmer.Port() << "--baud"
              << "19200" << "--avrdude" << avrdude << options;
    QProcess cli;
    QElapsedTimer clock;
    clock.start();
    cli.start(PULSAKOR_CLI, arguments);
    const testsupport::CliRun run = testsupport::FinishCli(cli, 180000);
    qInfo("%s: %.1f s", QTest::currentDataTag(), double(clock.elapsed()) / 1000.0);

    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY2(run.err.contains(exitCode == 0 ? "Chip programmiert: " : "Chip nicht programmiert: "),
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
    files << "servo000.avrdude.log";
    files.sort();
    QCOMPARE(FilesIn(folder), files);

    const auto state = emulatedchip::ReadState(programmer.StatePath());
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
        QCOMPARE(testsupport::ReadBytes(programmer.StatePath()), OldChip());
        break;
    case Chip::Touched:
        // avrdude stops at the flash: the calibration byte never follows.
        QCOMPARE(state->eeprom, QByteArray(emulatedchip::kEepromSize, char(emulatedchip::kErased)));
        break;
    }
#endif
}

void ProgrammingTest::teachesAndReadsTheEndStops_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("chip");
    QTest::addColumn<QStringList>("fake");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("message");

#ifdef PULSAKOR_FAKE_PROGRAMMER
    const QStringList read = {"--read-end-stops"};
    // Readings 31 and 225 with their check byte.
    const QByteArray taught = ChipWithEeprom(QByteArray::fromHex("5a1fe15b"));
    QTest::newRow("teach-in firmware programmed")
        << QStringList{"--teach-in"} << OldChip() << QStringList() << 0 << QByteArray()
        << "Chip programmiert: ";
    QTest::newRow("taught, at 4800 mV")
        << (read + QStringList{"--supply", "4800"}) << taught << QStringList() << 0
        << QByteArray("--end1 0580 --end2 4220\n") << "Messwerte 31 und 225";
    QTest::newRow("nothing taught: just programmed")
        << read << ChipWithEeprom("\x5A") << QStringList() << 6 << QByteArray()
        << "noch keine Endlagen";
    QTest::newRow("another chip") << read << taught << QStringList{"--signature", "1e9007"} << 5
                                  << QByteArray() << "kein ATtiny15";
#endif
}

void ProgrammingTest::teachesAndReadsTheEndStops()
{
#ifdef PULSAKOR_FAKE_PROGRAMMER
    QFETCH(QStringList, options);
    QFETCH(QByteArray, chip);
    QFETCH(QStringList, fake);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QString, message);
    const testsupport::AvrdudeUnderTest avrdude = testsupport::AvrdudesUnderTest().first();
    if (!avrdude.missing.isEmpty())
        QSKIP(qPrintable(avrdude.missing));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    testsupport::WriteBytes(dir.filePath("chip.bin"), chip);
    using testsupport::EmulatedProgrammer;
    EmulatedProgrammer programmer(dir.path(), EmulatedProgrammer::Link::Socket, fake);
    QVERIFY(programmer.IsReady());

    // The settings folder, where the teach-in's log goes, in the row's own;
    // wine sets TEMP itself, so there it is the test's own.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
#ifdef Q_OS_WIN
    const QString log = platform::SettingsFolder() + "pulsakor-einlernen.avrdude.log";
    QFile::remove(log);
#else
    const QString log = dir.filePath("config/pulsakor/pulsakor-einlernen.avrdude.log");
#endif
    QProcess cli;
    cli.setProcessEnvironment(env);
    cli.start(PULSAKOR_CLI,
              options
                  + QStringList{"--programmer", "stk500v1", "--port", programmer.Port(), "--baud",
                                "19200", "--avrdude", avrdude.path});
    const testsupport::CliRun run = testsupport::FinishCli(cli, 180000);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));

    const auto state = programmer.EndAndReadChip();
    QVERIFY(state);
    if (!options.contains("--teach-in")) {
        QCOMPARE(emulatedchip::StateBytes(*state), chip); // a read writes nothing
        return;
    }
    // The firmware beside pulsakor-cli, the calibration byte at 0, fuse and
    // lock bits as they were; avrdude's output in the settings folder.
    const QString firmware = QFileInfo(PULSAKOR_CLI).absolutePath() + "/einlernen.hex";
    QCOMPARE(state->flash, FlashOf(testsupport::ReadBytes(firmware)));
    QByteArray eeprom(emulatedchip::kEepromSize, char(emulatedchip::kErased));
    eeprom[0] = char(state->calibration);
    QCOMPARE(state->eeprom, eeprom);
    QCOMPARE(state->fuse, emulatedchip::kNewFuse);
    QCOMPARE(state->lock, emulatedchip::kNewLock);
    QVERIFY(testsupport::ReadBytes(log).contains("avrdude"));
#endif
}

QTEST_GUILESS_MAIN(ProgrammingTest)
#include "programming_test.moc"
