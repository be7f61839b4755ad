// The example firmware on a simulated servo. A run of pulsakor-cli makes the
// HEX file from examples/servo00.asm and programs it, with the chip's own
// calibration byte, into the emulated programmer's ATtiny15 through avrdude.
// The chip's flash and EEPROM run on simavr's ATtiny13 model (the same I/O
// addresses for everything the firmware uses, and the ATtiny15's
// instructions) at 1.6 MHz, with receiver pulses on PB2 and a motor that
// moves the potentiometer's wiper (ADC2). The servo has settled when the
// table entry at the wiper's reading stays within 20 us of the pulse.
// The teach-in firmware runs there too, its EEPROM read out after the run; what it
// taught, read back by pulsakor-cli, makes a servo that goes there.
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

// A step of a run on the simulated servo, what happens first, then `seconds` of running.
struct ServoStep {
    double seconds = 0.0;
    int pulseMicroseconds = 0;    // the receiver's pulses; 0: none
    double handMillivolts = -1.0; // first turned there by hand; < 0: left alone
    bool powerCycle = false;      // first switched off and on, its EEPROM kept
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
    double lowStopMillivolts = 0.0; // the servo's mechanical stops
    double highStopMillivolts = kSupplyMillivolts;
};

// EEPROM 1..3 after a teach-in: the lowest and highest reading, their check byte.
const auto Taught = [](int lowest, int highest) {
    return QByteArray(1, char(lowest)) + char(highest) + char(lowest ^ highest ^ 0xA5);
};

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
    std::map<QString, ProgrammedChip> m_chips;
    std::optional<emulatedchip::State> m_teachIn;
};

namespace {

// pulsakor-cli with `arguments` on the emulated programmer of `folder`/chip.bin:
// the chip afterwards and what it printed in `out`; nothing when it failed.
std::optional<emulatedchip::State> RunCli(const QString &folder, const QStringList &arguments,
                                          QByteArray *out = nullptr)
{
    testsupport::EmulatedProgrammer programmer(folder,
                                               testsupport::EmulatedProgrammer::Link::Socket,
                                               {"--calibration", QString::number(kCalibration)});
    QProcess cli;
    // The teach-in's avrdude log goes into this settings folder.
    cli.setProcessEnvironment(testsupport::LocaleEnvironment(
        {QStringLiteral("LC_ALL=C.UTF-8"), "XDG_CONFIG_HOME=" + folder + "/config"}));
    cli.start(QStringLiteral(PULSAKOR_CLI),
              arguments + QStringList{"--programmer", "stk500v1", "--port", programmer.Port()});
    const testsupport::CliRun run = testsupport::FinishCli(cli, 120000);
    if (!programmer.IsReady() || run.exitCode != 0) {
        qWarning("pulsakor-cli: exit %d: %s", run.exitCode, qPrintable(run.err));
        return std::nullopt;
    }
    if (out)
        *out = run.out;
    return programmer.EndAndReadChip();
}

// A whole run of pulsakor-cli for `texts` (or `fields` that stand for them)
// that programs the emulated chip; the table comes from the generator.
std::optional<ProgrammedChip> ProgramChip(const QString &folder, const ParameterTexts &texts,
                                          const QStringList &fields = {}, double lowStop = 0.0,
                                          double highStop = kSupplyMillivolts)
{
    const std::optional<emulatedchip::State> state =
        RunCli(folder,
               (fields.isEmpty() ? FieldArguments(texts) : fields)
                   + QStringList{"--template", testsupport::ExampleTemplatePath(), "--out",
                                 folder + "/servo000.asm"});
    const generator::FieldTable table = generator::TableFromFields(texts);
    if (!state || !table.table)
        return std::nullopt;
    return ProgrammedChip{*state, table.table->table, lowStop, highStop};
}

#ifdef PULSAKOR_HAVE_SIMAVR
// What the servo did.
struct ServoRun {
    QList<int> readings; // the wiper's reading at each pulse of the last kSettledSeconds
    quint8 osccal = 0;
    emulatedchip::State chip;                                 // its EEPROM as the run left it
    double motorOnSeconds = 0.0, settledMotorOnSeconds = 0.0; // the latter: as readings
};

// Runs `chip` through `steps` on the simulated servo: receiver frames of
// kFrameCycles; a motor whose output A alone raises the wiper voltage and B
// alone lowers it, between the servo's mechanical stops at the two given.
std::optional<ServoRun> RunServo(const emulatedchip::State &chip, const QList<ServoStep> &steps,
                                 double lowStopMillivolts = 0.0,
                                 double highStopMillivolts = kSupplyMillivolts)
{
    ServoRun run{{}, 0, chip};
    avr_t *avr = nullptr;
    avr_irq_t *receiver = nullptr, *wiper = nullptr;
    double millivolts = 0.0;
    qint64 fedMillivolts = -1;
    bool pulseHigh = false;
    avr_eeprom_desc_t eeprom{reinterpret_cast<uint8_t *>(run.chip.eeprom.data()), 0,
                             quint32(run.chip.eeprom.size())};
    const auto powerOff = [&] {
        if (avr) {
            avr_ioctl(avr, AVR_IOCTL_EEPROM_GET, &eeprom);
            run.osccal = avr->data[kOsccal];
            avr_terminate(avr);
        }
    };
    for (const ServoStep &step : steps) {
        if (!avr || step.powerCycle) {
            powerOff();
            if (!(avr = avr_make_mcu_by_name("attiny13")))
                return std::nullopt;
            avr_init(avr);
            avr->log = LOG_NONE;
            avr->frequency = kClockHz;
            avr->vcc = avr->avcc = kSupplyMillivolts;
            std::memcpy(avr->flash, chip.flash.constData(), emulatedchip::kFlashSize);
            avr_ioctl(avr, AVR_IOCTL_EEPROM_SET, &eeprom);
            receiver = avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), 2);
            wiper = avr_io_getirq(avr, AVR_IOCTL_ADC_GETIRQ, ADC_IRQ_ADC2);
            fedMillivolts = -1;
            pulseHigh = false;
        }
        millivolts = step.handMillivolts >= 0.0 ? step.handMillivolts : millivolts;
        const quint64 startCycle = avr->cycle;
        const quint64 pulseCycles = quint64(step.pulseMicroseconds) * kClockHz / 1000000;
        const quint64 endCycle = startCycle + quint64(step.seconds * kClockHz);
        const quint64 settledCycle = &step != &steps.back()
            ? ~quint64(0)
            : endCycle - quint64(std::min(step.seconds, kSettledSeconds) * kClockHz);
        quint64 lastCycle = startCycle;
        while (avr->cycle < endCycle) {
            // The ADC sees whole millivolts.
            if (qint64(millivolts) != fedMillivolts) {
                fedMillivolts = qint64(millivolts);
                avr_raise_irq(wiper, quint32(fedMillivolts));
            }
            const int state = avr_run(avr);
            if (state == cpu_Done || state == cpu_Crashed)
                return powerOff(), std::nullopt;
            const quint64 cycle = avr->cycle;
            const quint8 outputs = avr->data[kPortB] & 0x03;
            const int direction = outputs == 0x01 ? 1 : outputs == 0x02 ? -1 : 0;
            const double motorOn = outputs ? double(cycle - lastCycle) / kClockHz : 0.0;
            run.motorOnSeconds += motorOn;
            run.settledMotorOnSeconds += cycle >= settledCycle ? motorOn : 0.0;
            millivolts =
                std::clamp(millivolts + direction * kMillivoltsPerCycle * double(cycle - lastCycle),
                           lowStopMillivolts, highStopMillivolts);
            lastCycle = cycle;
            const bool high = (cycle - startCycle) % kFrameCycles < pulseCycles;
            if (high != pulseHigh) {
                pulseHigh = high;
                avr_raise_irq(receiver, high ? 1 : 0);
                // The firmware's reading of the last frame, still in ADCH.
                if (high && cycle >= settledCycle)
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
        QTemporaryDir dir;
        std::optional<ProgrammedChip> chip = ProgramChip(dir.path(), ServoTexts(reversed));
        QVERIFY2(chip, reversed ? "reversed servo" : "normal servo");
        QCOMPARE(quint8(chip->state.eeprom.at(0)), kCalibration);
        m_chips.emplace(reversed ? "reversed" : "normal", *chip);
    }
#if defined(PULSAKOR_HAVE_SIMAVR) && defined(PULSAKOR_TEACH_IN_HEX)
    // The one line a builder types: the teach-in programmed, the transmitter driving the servo
    // from the middle slowly (a full travel takes seconds) into its stops at 900 and 4000 mV,
    // what it taught read back and handed, split as the shell does, to a run: the "taught" rows.
    QTemporaryDir dir;
    m_teachIn = RunCli(dir.path(), {QStringLiteral("--teach-in")});
    QVERIFY2(m_teachIn, "pulsakor-cli --teach-in");
    const auto teachIn = RunServo(*m_teachIn, {{2.5, 1000, 2500.0}, {4.5, 2000}}, 900.0, 4000.0);
    QVERIFY2(teachIn, "simavr's ATtiny13 did not run the teach-in firmware");
    QCOMPARE(teachIn->chip.eeprom.mid(1, 3).toHex(' '), Taught(46, 204).toHex(' '));
    QVERIFY(teachIn->motorOnSeconds <= 0.3 * (2.5 + 4.5));
    QVERIFY(platform::WriteFileAtomically(dir.path() + "/chip.bin",
                                          emulatedchip::StateBytes(teachIn->chip)));
    QByteArray out;
    QVERIFY(RunCli(dir.path(), {"--read-end-stops", "--supply=5000"}, &out));
    QCOMPARE(out, QByteArray("--end1 0900 --end2 3980\n"));
    ParameterTexts texts = generator::DefaultParameterTexts();
    texts[generator::EndVoltage1Field] = QStringLiteral("0900");
    texts[generator::EndVoltage2Field] = QStringLiteral("3980");
    std::optional<ProgrammedChip> chip = ProgramChip(
        dir.path(), texts, QString::fromUtf8(out).simplified().split(' '), 900.0, 4000.0);
    QVERIFY2(chip, "taught servo");
    m_chips.emplace("taught", *chip);
#endif
}

void ServoTest::settlesAtThePulse_data()
{
    QTest::addColumn<QString>("servo");
    QTest::addColumn<int>("pulseMicroseconds");
    QTest::addColumn<double>("startMillivolts");

    // Each servo starts away from where its pulse puts it.
    QTest::newRow("1.0 ms") << "normal" << 1000 << 3500.0;
    QTest::newRow("1.5 ms") << "normal" << 1500 << 4200.0;
    QTest::newRow("2.0 ms") << "normal" << 2000 << 1500.0;
    QTest::newRow("reversed 1.0 ms") << "reversed" << 1000 << 1500.0;
    QTest::newRow("reversed 1.5 ms") << "reversed" << 1500 << 800.0;
    QTest::newRow("reversed 2.0 ms") << "reversed" << 2000 << 3500.0;
    // The motor off at the stops: a table wider than them would press into them.
    QTest::newRow("taught 1.0 ms") << "taught" << 1000 << 2500.0;
    QTest::newRow("taught 2.0 ms") << "taught" << 2000 << 2500.0;
}

void ServoTest::settlesAtThePulse()
{
#ifdef PULSAKOR_HAVE_SIMAVR
    QFETCH(QString, servo);
    QFETCH(int, pulseMicroseconds);
    QFETCH(double, startMillivolts);

    if (!m_chips.count(servo))
        QSKIP("the teach-in firmware was not assembled (avra is missing)");
    const ProgrammedChip &chip = m_chips.at(servo);
    const auto run = RunServo(chip.state, {{kServoSeconds, pulseMicroseconds, startMillivolts}},
                              chip.lowStopMillivolts, chip.highStopMillivolts);
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
    QCOMPARE(run->settledMotorOnSeconds, 0.0);
#endif
}

void ServoTest::teachInKeepsTheEndStops_data()
{
    QTest::addColumn<QByteArray>("start");  // EEPROM 1..3 before; empty: erased
    QTest::addColumn<QByteArray>("taught"); // EEPROM 1..3 after
    QTest::addColumn<QList<ServoStep>>("steps");
    using Steps = QList<ServoStep>;

    // simavr reads mV * 1023 / 5000, so 620 mV reads 31, 4410 mV 225 and so on.
    // A spike of 3 ms is shorter than a steady reading.
    QTest::newRow("by hand, spikes do not count")
        << QByteArray() << Taught(31, 225)
        << Steps{{0.05, 0, 620}, {0.003, 0, 0}, {0.05, 0, 4410}, {0.003, 0, 5000}, {0.05, 0, 2500}};
    QTest::newRow("by hand, neutral and unusable pulses leave the motor off")
        << QByteArray() << Taught(76, 179)
        << Steps{{0.1, 1500, 1500}, {0.1, 3000, 3500}, {0.1, 400, 2000}};
    QTest::newRow("a power cycle keeps what was taught")
        << QByteArray() << Taught(76, 204)
        << Steps{{0.05, 0, 1500}, {0.05, 0, 3000}, {0.05, 0, 2000, true}, {0.05, 0, 4000}};
    QTest::newRow("a damaged result is kept for the reader")
        << QByteArray::fromHex("0ac800") << QByteArray::fromHex("0ac800")
        << Steps{{0.05, 0, 500}, {0.05, 0, 4500}};
}

void ServoTest::teachInKeepsTheEndStops()
{
#ifdef PULSAKOR_HAVE_SIMAVR
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, taught);
    QFETCH(QList<ServoStep>, steps);

    if (!m_teachIn)
        QSKIP("the teach-in firmware was not assembled (avra is missing)");
    emulatedchip::State chip = *m_teachIn;
    chip.eeprom.replace(1, start.size(), start);
    const std::optional<ServoRun> run = RunServo(chip, steps);
    QVERIFY2(run, "simavr's ATtiny13 did not run the teach-in firmware");
    // Nothing but 1..3 is written: the calibration byte stays, the rest erased.
    QCOMPARE(run->chip.eeprom.toHex(' '), chip.eeprom.replace(1, taught.size(), taught).toHex(' '));
    QCOMPARE(run->motorOnSeconds, 0.0);
#endif
}

QTEST_GUILESS_MAIN(ServoTest)
#include "servo_test.moc"
