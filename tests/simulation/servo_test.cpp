// The example firmware on a simulated servo. A run of pulsakor-cli makes the
// HEX file from examples/servo00.asm and programs it, with the chip's own
// calibration byte, into the emulated programmer's ATtiny15 through avrdude.
// The chip's flash and EEPROM run on simavr's ATtiny13 model (the same I/O
// addresses for everything the firmware uses, and the ATtiny15's
// instructions) at 1.6 MHz, with receiver pulses on PB2 and a motor that
// moves the potentiometer's wiper (ADC2). The servo has settled when the
// table entry at the wiper's reading stays within 20 us of the pulse.
// The teach-in firmware (the build's einlernen.hex) runs on the same servo,
// turned by hand or driven by the transmitter into its mechanical stops,
// across power cycles; its EEPROM is read out after the run.
//
// Linux only: simavr is a Linux test tool.

#include "generator/hex_check.h"
#include "generator/table_from_fields.h"

#include "tests/support/cli_process.h"
#include "tests/support/emulated_chip.h"
#include "tests/support/emulated_programmer.h"
#include "tests/support/test_data.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <optional>

#ifdef PULSAKOR_HAVE_SIMAVR
#include <avr_adc.h>
#include <avr_eeprom.h>
#include <avr_ioport.h>
#include <sim_avr.h>
#endif

using generator::CorrectionTable;
using generator::ParameterTexts;

namespace {

// The calibration byte of the emulated chip: the programming copies it to
// EEPROM address 0, where the firmware finds it and loads it into OSCCAL.
constexpr quint8 kCalibration = 0x4C;

// The servo: a 1.6 MHz chip on a 5 V supply; receiver frames of 20 ms; a
// motor that moves the wiper by 4 mV per ms while fully on (its whole
// travel of 4 V in a second) and stands still otherwise.
constexpr quint32 kClockHz = 1600000;
constexpr quint32 kSupplyMillivolts = 5000;
constexpr quint64 kFrameCycles = kClockHz / 50;
constexpr double kMillivoltsPerCycle = 4.0 * 1000.0 / kClockHz;
constexpr double kServoSeconds = 3.0;
// The servo counts as settled when every frame of the last half second
// found the wiper where the table entry is within this of the pulse.
constexpr double kSettledSeconds = 0.5;
constexpr int kToleranceMicroseconds = 20;

// ATtiny13 data addresses (I/O address + 0x20) of what the test watches.
constexpr int kPortB = 0x38;
constexpr int kAdch = 0x25;
constexpr int kOsccal = 0x51;

// The teach-in firmware's EEPROM: lowest and highest reading at 1 and 2,
// their check byte at 3.
constexpr int kTaughtAddress = 1;
constexpr quint8 kCheckKey = 0xA5;

// One step of a run on the simulated servo: the builder turns the output by
// hand (or leaves it), the chip is switched off and on (or not), then it
// runs for a while with receiver pulses or without.
struct ServoStep {
    double seconds = 0.0;
    int pulseMicroseconds = 0;    // 0: no pulses
    double handMillivolts = -1.0; // where the wiper is turned first; < 0: left alone
    bool powerCycle = false;      // the chip restarts first, its EEPROM kept
};

// The field texts of a normal servo (the defaults) and of a reversed one,
// whose end stops have their pulse widths swapped: its table falls.
ParameterTexts ServoTexts(bool reversed)
{
    ParameterTexts texts = generator::DefaultParameterTexts();
    if (reversed)
        std::swap(texts[generator::EndPulse1Field], texts[generator::EndPulse2Field]);
    return texts;
}

QStringList FieldArguments(const ParameterTexts &texts)
{
    return {QStringLiteral("--supply=") + texts[generator::SupplyVoltageField],
            QStringLiteral("--end1=") + texts[generator::EndVoltage1Field],
            QStringLiteral("--end2=") + texts[generator::EndVoltage2Field],
            QStringLiteral("--pulse1=") + texts[generator::EndPulse1Field],
            QStringLiteral("--pulse2=") + texts[generator::EndPulse2Field],
            QStringLiteral("--pwm=") + texts[generator::PwmCountRangeField]};
}

struct ProgrammedChip {
    emulatedchip::State state;
    CorrectionTable table{};
};

// What the teach-in firmware keeps at addresses 1..3 for these readings.
QByteArray Taught(int lowest, int highest)
{
    const char bytes[] = {char(lowest), char(highest), char(lowest ^ highest ^ kCheckKey)};
    return QByteArray(bytes, sizeof bytes);
}

// A teach-in with the transmitter, from the middle: pulses of 1.0 ms drive
// the servo into its lower stop, then 2.0 ms into its upper one.
QList<ServoStep> TransmitterSteps()
{
    return {{2.5, 1000, 2500.0}, {4.5, 2000}};
}

} // namespace

Q_DECLARE_METATYPE(ServoStep)

class ServoTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void settlesAtThePulse_data();
    void settlesAtThePulse();
    void teachInKeepsTheEndStops_data();
    void teachInKeepsTheEndStops();

private:
    std::map<bool, ProgrammedChip> m_chips;
};

namespace {

testsupport::CliRun RunCli(const QStringList &arguments)
{
    QProcess cli;
    cli.setProcessEnvironment(testsupport::LocaleEnvironment({QStringLiteral("LC_ALL=C.UTF-8")}));
    cli.start(QStringLiteral(PULSAKOR_CLI), arguments);
    return testsupport::FinishCli(cli, 120000);
}

// A whole run of pulsakor-cli for `texts` that programs the emulated chip,
// whose EEPROM address 0 then holds the chip's calibration byte. The table
// comes from the generator for the same texts.
std::optional<ProgrammedChip> ProgramChip(const ParameterTexts &texts)
{
    testsupport::TemplateFolder folder;
    if (!folder.IsValid())
        return std::nullopt;
    testsupport::EmulatedProgrammer programmer(
        folder.Root(), testsupport::EmulatedProgrammer::Link::Socket,
        {QStringLiteral("--calibration"), QString::number(kCalibration)});
    const QString port = programmer.Port();
    if (port.isEmpty())
        return std::nullopt;
    const testsupport::CliRun run = RunCli(
        FieldArguments(texts)
        + QStringList{QStringLiteral("--template"), folder.TemplatePath(), QStringLiteral("--out"),
                      folder.Path(QStringLiteral("servo000.asm")), QStringLiteral("--programmer"),
                      QStringLiteral("stk500v1"), QStringLiteral("--port"), port});
    if (run.exitCode != 0) {
        qWarning("pulsakor-cli: exit %d: %s", run.exitCode, qPrintable(run.err));
        return std::nullopt;
    }
    const std::optional<emulatedchip::State> state = programmer.EndAndReadChip();
    const generator::FieldTable table = generator::TableFromFields(texts);
    if (!state || !table.table)
        return std::nullopt;
    return ProgrammedChip{*state, table.table->table};
}

#if defined(PULSAKOR_HAVE_SIMAVR) && defined(PULSAKOR_TEACH_IN_HEX)
// The chip as programming the build's teach-in firmware leaves it: the
// HEX file in the flash, the calibration byte at EEPROM address 0 and the
// rest of the EEPROM erased.
std::optional<emulatedchip::State> TeachInChip()
{
    const auto image =
        generator::ParseIntelHex(testsupport::ReadBytes(QStringLiteral(PULSAKOR_TEACH_IN_HEX)));
    const auto *blocks = std::get_if<generator::HexImage>(&image);
    if (!blocks || blocks->isEmpty())
        return std::nullopt;
    emulatedchip::State chip;
    chip.flash = QByteArray(emulatedchip::kFlashSize, char(emulatedchip::kErased));
    chip.eeprom = QByteArray(emulatedchip::kEepromSize, char(emulatedchip::kErased));
    chip.eeprom[0] = char(kCalibration);
    for (const generator::HexBlock &block : *blocks) {
        if (block.address + quint64(block.bytes.size()) > emulatedchip::kFlashSize)
            return std::nullopt;
        chip.flash.replace(block.address, block.bytes.size(), block.bytes);
    }
    return chip;
}
#endif

#ifdef PULSAKOR_HAVE_SIMAVR
// What the servo did.
struct ServoRun {
    QList<int> readings; // the wiper's reading at each pulse of the last kSettledSeconds
    quint8 osccal = 0;
    QByteArray eeprom; // what the chip's EEPROM holds at the end
    double motorOnSeconds = 0.0;
};

// Runs `chip` through `steps` on the simulated servo: receiver frames of
// kFrameCycles; a motor whose output A alone raises the wiper voltage and B
// alone lowers it, between the servo's mechanical stops at the two wiper
// voltages given; a chip that keeps its EEPROM across a power cycle.
std::optional<ServoRun> RunServo(const emulatedchip::State &chip, const QList<ServoStep> &steps,
                                 double lowStopMillivolts = 0.0,
                                 double highStopMillivolts = kSupplyMillivolts)
{
    ServoRun run;
    run.eeprom = chip.eeprom;
    avr_t *avr = nullptr;
    const auto powerOff = [&] {
        if (!avr)
            return;
        avr_eeprom_desc_t eeprom{reinterpret_cast<uint8_t *>(run.eeprom.data()), 0,
                                 quint32(run.eeprom.size())};
        avr_ioctl(avr, AVR_IOCTL_EEPROM_GET, &eeprom);
        run.osccal = avr->data[kOsccal];
        avr_terminate(avr);
        avr = nullptr;
    };
    avr_irq_t *receiver = nullptr;
    avr_irq_t *wiper = nullptr;
    double millivolts = 0.0;
    qint64 fedMillivolts = -1;
    for (const ServoStep &step : steps) {
        if (!avr || step.powerCycle) {
            powerOff();
            avr = avr_make_mcu_by_name("attiny13");
            if (!avr)
                return std::nullopt;
            avr_init(avr);
            avr->log = LOG_NONE;
            avr->frequency = kClockHz;
            avr->vcc = avr->avcc = kSupplyMillivolts;
            std::memcpy(avr->flash, chip.flash.constData(), emulatedchip::kFlashSize);
            avr_eeprom_desc_t eeprom{reinterpret_cast<uint8_t *>(run.eeprom.data()), 0,
                                     quint32(run.eeprom.size())};
            avr_ioctl(avr, AVR_IOCTL_EEPROM_SET, &eeprom);
            receiver = avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), 2);
            wiper = avr_io_getirq(avr, AVR_IOCTL_ADC_GETIRQ, ADC_IRQ_ADC2);
            fedMillivolts = -1;
        }
        if (step.handMillivolts >= 0.0)
            millivolts = step.handMillivolts;
        const quint64 startCycle = avr->cycle;
        const quint64 pulseCycles = quint64(step.pulseMicroseconds) * kClockHz / 1000000;
        const quint64 endCycle = startCycle + quint64(step.seconds * kClockHz);
        const quint64 settledCycle = endCycle - quint64(kSettledSeconds * kClockHz);
        const bool lastStep = &step == &steps.back();
        bool pulseHigh = false;
        quint64 lastCycle = startCycle;
        while (avr->cycle < endCycle) {
            // The ADC sees whole millivolts.
            if (qint64(millivolts) != fedMillivolts) {
                fedMillivolts = qint64(millivolts);
                avr_raise_irq(wiper, quint32(fedMillivolts));
            }
            const int state = avr_run(avr);
            if (state == cpu_Done || state == cpu_Crashed) {
                powerOff();
                return std::nullopt;
            }
            const quint64 cycle = avr->cycle;
            const quint8 outputs = avr->data[kPortB] & 0x03;
            const int direction = outputs == 0x01 ? 1 : outputs == 0x02 ? -1 : 0;
            if (outputs != 0)
                run.motorOnSeconds += double(cycle - lastCycle) / kClockHz;
            millivolts =
                std::clamp(millivolts + direction * kMillivoltsPerCycle * double(cycle - lastCycle),
                           lowStopMillivolts, highStopMillivolts);
            lastCycle = cycle;
            const bool high = (cycle - startCycle) % kFrameCycles < pulseCycles;
            if (high != pulseHigh) {
                pulseHigh = high;
                avr_raise_irq(receiver, high ? 1 : 0);
                // The firmware's reading of the last frame, still in ADCH.
                if (high && lastStep && cycle >= settledCycle)
                    run.readings.append(avr->data[kAdch]);
            }
        }
    }
    powerOff();
    return run;
}
#endif

} // namespace

void ServoTest::initTestCase()
{
#ifndef PULSAKOR_HAVE_SIMAVR
    QSKIP("simavr is missing (Debian's libsimavr-dev and libelf-dev)");
#endif
    if (QStandardPaths::findExecutable(QStringLiteral("avra")).isEmpty())
        QSKIP("the assembler avra is missing");
    if (QStandardPaths::findExecutable(QStringLiteral("avrdude")).isEmpty())
        QSKIP("avrdude is missing");
    for (const bool reversed : {false, true}) {
        std::optional<ProgrammedChip> chip = ProgramChip(ServoTexts(reversed));
        QVERIFY2(chip, reversed ? "reversed servo" : "normal servo");
        QCOMPARE(quint8(chip->state.eeprom.at(0)), kCalibration);
        m_chips.emplace(reversed, *chip);
    }
}

void ServoTest::settlesAtThePulse_data()
{
    QTest::addColumn<bool>("reversed");
    QTest::addColumn<int>("pulseMicroseconds");
    QTest::addColumn<double>("startMillivolts");

    // Each servo starts away from where its pulse puts it.
    QTest::newRow("1.0 ms") << false << 1000 << 3500.0;
    QTest::newRow("1.5 ms") << false << 1500 << 4200.0;
    QTest::newRow("2.0 ms") << false << 2000 << 1500.0;
    QTest::newRow("reversed 1.0 ms") << true << 1000 << 1500.0;
    QTest::newRow("reversed 1.5 ms") << true << 1500 << 800.0;
    QTest::newRow("reversed 2.0 ms") << true << 2000 << 3500.0;
}

void ServoTest::settlesAtThePulse()
{
#ifdef PULSAKOR_HAVE_SIMAVR
    QFETCH(bool, reversed);
    QFETCH(int, pulseMicroseconds);
    QFETCH(double, startMillivolts);

    const ProgrammedChip &chip = m_chips.at(reversed);
    const std::optional<ServoRun> run =
        RunServo(chip.state, {{kServoSeconds, pulseMicroseconds, startMillivolts}});
    QVERIFY2(run, "simavr's ATtiny13 did not run the firmware");
    // The firmware loaded the calibration byte from EEPROM address 0.
    QCOMPARE(run->osccal, kCalibration);
    QVERIFY(!run->readings.isEmpty());
    for (const int reading : run->readings) {
        const int entryMicroseconds = 10 * chip.table.at(reading);
        QVERIFY2(std::abs(entryMicroseconds - pulseMicroseconds) <= kToleranceMicroseconds,
                 qPrintable(QStringLiteral("reading %1: the table says %2 us, the pulse is %3 us")
                                .arg(QString::number(reading), QString::number(entryMicroseconds),
                                     QString::number(pulseMicroseconds))));
    }
#endif
}

void ServoTest::teachInKeepsTheEndStops_data()
{
    QTest::addColumn<QList<ServoStep>>("steps");
    QTest::addColumn<double>("lowStopMillivolts");
    QTest::addColumn<double>("highStopMillivolts");
    QTest::addColumn<QByteArray>("start");  // EEPROM 1..3 before; empty: erased
    QTest::addColumn<QByteArray>("taught"); // EEPROM 1..3 after
    QTest::addColumn<double>("maxMotorOnSeconds");

    // simavr reads mV * 1023 / 5000, so 620 mV reads 31, 4410 mV 225 and so on.
    // A spike of 3 ms is shorter than a steady reading.
    QTest::newRow("by hand, spikes do not count")
        << QList<ServoStep>{{0.05, 0, 620.0},
                            {0.003, 0, 0.0},
                            {0.05, 0, 4410.0},
                            {0.003, 0, 5000.0},
                            {0.05, 0, 2500.0}}
        << 0.0 << 5000.0 << QByteArray() << Taught(31, 225) << 0.0;
    QTest::newRow("by hand, neutral and unusable pulses leave the motor off")
        << QList<ServoStep>{{0.1, 1500, 1500.0}, {0.1, 3000, 3500.0}, {0.1, 400, 2000.0}} << 0.0
        << 5000.0 << QByteArray() << Taught(76, 179) << 0.0;
    // A quarter of the time at most: a full travel takes seconds.
    QTest::newRow("by the transmitter, slowly into the stops")
        << TransmitterSteps() << 700.0 << 4200.0 << QByteArray() << Taught(35, 214)
        << 0.3 * (2.5 + 4.5);
    QTest::newRow("a power cycle keeps what was taught")
        << QList<ServoStep>{{0.05, 0, 1500.0},
                            {0.05, 0, 3000.0},
                            {0.05, 0, 2000.0, true},
                            {0.05, 0, 4000.0}}
        << 0.0 << 5000.0 << QByteArray() << Taught(76, 204) << 0.0;
    QTest::newRow("a damaged result is kept for the reader")
        << QList<ServoStep>{{0.05, 0, 500.0}, {0.05, 0, 4500.0}} << 0.0 << 5000.0
        << QByteArray::fromHex("0ac800") << QByteArray::fromHex("0ac800") << 0.0;
}

void ServoTest::teachInKeepsTheEndStops()
{
#if defined(PULSAKOR_HAVE_SIMAVR) && defined(PULSAKOR_TEACH_IN_HEX)
    QFETCH(QList<ServoStep>, steps);
    QFETCH(double, lowStopMillivolts);
    QFETCH(double, highStopMillivolts);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, taught);
    QFETCH(double, maxMotorOnSeconds);

    std::optional<emulatedchip::State> chip = TeachInChip();
    QVERIFY2(chip, PULSAKOR_TEACH_IN_HEX " is no program for the chip");
    chip->eeprom.replace(kTaughtAddress, start.size(), start);
    const std::optional<ServoRun> run =
        RunServo(*chip, steps, lowStopMillivolts, highStopMillivolts);
    QVERIFY2(run, "simavr's ATtiny13 did not run the teach-in firmware");
    // Nothing but 1..3 is written: the calibration byte stays, the rest erased.
    QByteArray expected = chip->eeprom;
    expected.replace(kTaughtAddress, taught.size(), taught);
    QCOMPARE(run->eeprom.toHex(' '), expected.toHex(' '));
    QVERIFY2(run->motorOnSeconds <= maxMotorOnSeconds,
             qPrintable(QStringLiteral("the motor ran for %1 s").arg(run->motorOnSeconds)));
#else
    QSKIP("the teach-in firmware was not assembled (avra is missing)");
#endif
}

QTEST_GUILESS_MAIN(ServoTest)
#include "servo_test.moc"
