// The example firmware on a simulated servo. A run of pulsakor-cli makes the
// HEX file from examples/servo00.asm and programs it, with the chip's own
// calibration byte, into the emulated programmer's ATtiny15 through avrdude.
// The chip's flash and EEPROM run on simavr's ATtiny13 model (the same I/O
// addresses for everything the firmware uses, and the ATtiny15's
// instructions) at 1.6 MHz, with receiver pulses on PB2 and a motor that
// moves the potentiometer's wiper (ADC2). The servo has settled when the
// table entry at the wiper's reading stays within 20 us of the pulse.
//
// Linux only: simavr is a Linux test tool.

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

} // namespace

class ServoTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void settlesAtThePulse_data();
    void settlesAtThePulse();

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

#ifdef PULSAKOR_HAVE_SIMAVR
// What the servo did in its last frames.
struct ServoRun {
    QList<int> readings; // the wiper's reading at the start of each settled frame
    quint8 osccal = 0;
};

// Runs `chip` on the simulated servo for kServoSeconds, its wiper starting at
// `startMillivolts`, with receiver pulses of `pulseMicroseconds`.
std::optional<ServoRun> RunServo(const emulatedchip::State &chip, int pulseMicroseconds,
                                 double startMillivolts)
{
    avr_t *avr = avr_make_mcu_by_name("attiny13");
    if (!avr)
        return std::nullopt;
    avr_init(avr);
    avr->log = LOG_NONE;
    avr->frequency = kClockHz;
    avr->vcc = avr->avcc = kSupplyMillivolts;
    std::memcpy(avr->flash, chip.flash.constData(), emulatedchip::kFlashSize);
    QByteArray eeprom = chip.eeprom;
    avr_eeprom_desc_t eepromDescription{reinterpret_cast<uint8_t *>(eeprom.data()), 0,
                                        quint32(eeprom.size())};
    avr_ioctl(avr, AVR_IOCTL_EEPROM_SET, &eepromDescription);
    avr_irq_t *receiver = avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), 2);
    avr_irq_t *wiper = avr_io_getirq(avr, AVR_IOCTL_ADC_GETIRQ, ADC_IRQ_ADC2);

    const quint64 pulseCycles = quint64(pulseMicroseconds) * kClockHz / 1000000;
    const quint64 endCycle = quint64(kServoSeconds * kClockHz);
    const quint64 settledCycle = quint64((kServoSeconds - kSettledSeconds) * kClockHz);
    double millivolts = startMillivolts;
    quint32 fedMillivolts = quint32(millivolts);
    avr_raise_irq(wiper, fedMillivolts);
    bool pulseHigh = false;
    quint64 lastCycle = 0;
    ServoRun run;
    while (avr->cycle < endCycle) {
        const int state = avr_run(avr);
        if (state == cpu_Done || state == cpu_Crashed) {
            avr_terminate(avr);
            return std::nullopt;
        }
        const quint64 cycle = avr->cycle;
        // The motor: output A alone raises the wiper voltage, B alone
        // lowers it; the wiper stays between the supply's ends.
        const quint8 outputs = avr->data[kPortB] & 0x03;
        const int direction = outputs == 0x01 ? 1 : outputs == 0x02 ? -1 : 0;
        millivolts = std::clamp(millivolts + direction * kMillivoltsPerCycle * double(cycle - lastCycle),
                                0.0, double(kSupplyMillivolts));
        lastCycle = cycle;
        if (quint32(millivolts) != fedMillivolts) {
            fedMillivolts = quint32(millivolts);
            avr_raise_irq(wiper, fedMillivolts);
        }
        const bool high = cycle % kFrameCycles < pulseCycles;
        if (high != pulseHigh) {
            pulseHigh = high;
            avr_raise_irq(receiver, high ? 1 : 0);
            // The firmware's reading of the last frame, still in ADCH.
            if (high && cycle >= settledCycle)
                run.readings.append(avr->data[kAdch]);
        }
    }
    run.osccal = avr->data[kOsccal];
    avr_terminate(avr);
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
    const std::optional<ServoRun> run = RunServo(chip.state, pulseMicroseconds, startMillivolts);
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

QTEST_GUILESS_MAIN(ServoTest)
#include "servo_test.moc"
