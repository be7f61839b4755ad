// Reading avrdude's answers: the outputs in tests/data/avrdude are real
// output of avrdude 7.1 and, named "-8.0", of avrdude 8.0, against the
// emulated programmer, a pseudo-terminal nobody answers on, one that answers
// with noise, and no programmer at all.

#include "generator/avrdude_answer.h"
#include "tests/support/test_data.h"

#include <QtTest>

using namespace generator;

Q_DECLARE_METATYPE(generator::AvrdudeFault)
Q_DECLARE_METATYPE(generator::ProgrammingStage)

namespace {

QByteArray Output(const QByteArray &name)
{
    return testsupport::ReadBytes(QStringLiteral(PULSAKOR_TEST_DATA "/avrdude/")
                                  + QLatin1String(name));
}

} // namespace

class AvrdudeAnswerTest : public QObject {
    Q_OBJECT
private slots:
    void failedCallNamesItsFault_data();
    void failedCallNamesItsFault();
    void progressFollowsTheStages_data();
    void progressFollowsTheStages();
    void progressDoesNotDependOnHowTheOutputIsCut_data();
    void progressDoesNotDependOnHowTheOutputIsCut();
};

void AvrdudeAnswerTest::failedCallNamesItsFault_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<AvrdudeFault>("fault");
    QTest::addColumn<QString>("signature");

    QTest::newRow("unknown programmer id")
        << Output("unknown-programmer.txt") << AvrdudeFault::ProgrammerUnknown << QString();
    QTest::newRow("serial port that does not exist")
        << Output("port-missing.txt") << AvrdudeFault::PortUnavailable << QString();
    QTest::newRow("USB programmer not plugged in")
        << Output("usb-not-found.txt") << AvrdudeFault::NoAnswer << QString();
    QTest::newRow("nobody answers on the port")
        << Output("not-responding.txt") << AvrdudeFault::NoAnswer << QString();
    // avrdude then also fails the chip's initialization.
    QTest::newRow("programmer silent after the first answer")
        << Output("silent-after-sync.txt") << AvrdudeFault::NoAnswer << QString();
    QTest::newRow("noise on the port") << Output("not-in-sync.txt") << AvrdudeFault::NoAnswer
                                       << QString();
    // avrdude also names the expected signature here, as for a wrong chip.
    QTest::newRow("no chip: signature 00 00 00")
        << Output("no-chip.txt") << AvrdudeFault::ChipNotAnswering << "00 00 00";
    QTest::newRow("another chip") << Output("wrong-chip.txt") << AvrdudeFault::WrongChip
                                  << "1E 90 07";
    QTest::newRow("a byte that does not verify")
        << Output("verify-mismatch.txt") << AvrdudeFault::VerifyMismatch << "1E 90 06";
    QTest::newRow("programmer lost after the erase")
        << Output("lost-after-erase.txt") << AvrdudeFault::NoAnswer << "1E 90 06";
    QTest::newRow("nothing printed") << QByteArray() << AvrdudeFault::Other << QString();
    QTest::newRow("a byte that does not verify, on a flaky line")
        << "avrdude error: programmer is not responding\n" + Output("verify-mismatch.txt")
        << AvrdudeFault::VerifyMismatch << "1E 90 06";
    // 8.x says "unable to open port" for a port that opens and nobody
    // answers on, as well as for one that does not open.
    using enum AvrdudeFault;
    const auto eight = [](const QByteArray &name) { return Output(name + "-8.0.txt"); };
    QTest::newRow("8.0: serial port that does not exist")
        << eight("port-missing") << PortUnavailable << QString();
    QTest::newRow("8.0: nobody answers on the port") << eight("not-responding") << NoAnswer << "";
    QTest::newRow("8.0: another chip") << eight("wrong-chip") << WrongChip << "1E 90 07";
    // 8.x stops the write at the byte that does not read back.
    QTest::newRow("8.0: a byte that does not verify") << eight("verify-mismatch") << VerifyMismatch
                                                      << "";
    QTest::newRow("8.0: programmer lost after the erase") << eight("lost-after-erase") << NoAnswer
                                                          << "";
}

void AvrdudeAnswerTest::failedCallNamesItsFault()
{
    QFETCH(QByteArray, output);
    QFETCH(AvrdudeFault, fault);
    QFETCH(QString, signature);
    QVERIFY(!output.isEmpty() || QByteArray(QTest::currentDataTag()) == "nothing printed");
    QCOMPARE(ReadAvrdudeFault(output), fault);
    QCOMPARE(DeviceSignature(output).value_or(QString()), signature);
}

void AvrdudeAnswerTest::progressFollowsTheStages_data()
{
    QTest::addColumn<QByteArrayList>("calls");
    QTest::addColumn<ProgrammingStage>("stage");
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("programmerLost");

    QTest::newRow("signature and calibration byte read")
        << QByteArrayList{Output("read-chip.txt")} << ProgrammingStage::ReadingChip << 0 << false;
    QTest::newRow("whole programming, both calls")
        << QByteArrayList{Output("read-chip.txt"), Output("write-chip.txt")}
        << ProgrammingStage::VerifyingEeprom << 100 << false;
    QTest::newRow("flash verified, then the mismatch")
        << QByteArrayList{Output("read-chip.txt"), Output("verify-mismatch.txt")}
        << ProgrammingStage::VerifyingFlash << 100 << false;
    QTest::newRow("lost after the erase")
        << QByteArrayList{Output("read-chip.txt"), Output("lost-after-erase.txt")}
        << ProgrammingStage::WritingFlash << 0 << true;
    // Before the chip answered, avrdude retries the programmer by itself.
    QTest::newRow("no answer before the chip answered")
        << QByteArrayList{Output("read-chip.txt"), Output("not-responding.txt")}
        << ProgrammingStage::ReadingChip << 0 << false;
    QTest::newRow("8.0: whole programming, both calls")
        << QByteArrayList{Output("read-chip-8.0.txt"), Output("write-chip-8.0.txt")}
        << ProgrammingStage::VerifyingEeprom << 100 << false;
    // No signature line: the stage and the bar show the chip had answered.
    QTest::newRow("8.0: lost after the erase")
        << QByteArrayList{Output("read-chip-8.0.txt"), Output("lost-after-erase-8.0.txt")}
        << ProgrammingStage::WritingFlash << 0 << true;
    // "Writing 64 bytes to output file eeprom.bin" writes no EEPROM.
    QTest::newRow("8.0: EEPROM read into a file") << QByteArrayList{Output("read-eeprom-8.0.txt")}
                                                  << ProgrammingStage::ReadingChip << 100 << false;
    QTest::newRow("bar broken off at 2 %")
        << QByteArrayList{"avrdude: writing 504 bytes flash ...\n\nWriting | #---- | 3% 0.10s\n"}
        << ProgrammingStage::WritingFlash << 2 << false;
}

void AvrdudeAnswerTest::progressFollowsTheStages()
{
    QFETCH(QByteArrayList, calls);
    QFETCH(ProgrammingStage, stage);
    QFETCH(int, percent);
    QFETCH(bool, programmerLost);
    ProgressReader reader;
    for (const QByteArray &call : calls) {
        QVERIFY(!call.isEmpty());
        reader.NewCall();
        reader.Take(call);
    }
    QCOMPARE(reader.Progress().stage, stage);
    QCOMPARE(reader.Progress().percent, percent);
    QCOMPARE(reader.ProgrammerLost(), programmerLost);
}

void AvrdudeAnswerTest::progressDoesNotDependOnHowTheOutputIsCut_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<bool>("erasing"); // a stage of its own
    QTest::newRow("7.1") << Output("write-chip.txt") << true;
    // 8.x erases without a word and verifies with a bare "Reading" bar.
    QTest::newRow("8.0") << Output("write-chip-8.0.txt") << false;
}

// avrdude writes its bar one "#" at a time; the reader sees every stage in
// order and every percentage rise, however the pieces fall.
void AvrdudeAnswerTest::progressDoesNotDependOnHowTheOutputIsCut()
{
    QFETCH(QByteArray, output);
    QFETCH(bool, erasing);
    QVERIFY(!output.isEmpty());
    ProgressReader bytewise;
    QList<ProgrammingProgress> seen;
    for (const char c : output) {
        if (bytewise.Take(QByteArray(1, c)))
            seen << bytewise.Progress();
    }
    ProgressReader whole;
    whole.Take(output);
    QCOMPARE(bytewise.Progress(), whole.Progress());

    QList<ProgrammingStage> stages;
    for (const ProgrammingProgress &progress : seen) {
        if (stages.isEmpty() || stages.last() != progress.stage)
            stages << progress.stage;
    }
    using enum ProgrammingStage;
    const QList<ProgrammingStage> written{WritingFlash, VerifyingFlash, WritingEeprom,
                                          VerifyingEeprom};
    QCOMPARE(stages.mid(erasing ? 1 : 0), written);
    QCOMPARE(stages.first() == Erasing, erasing);
    // Writing the flash: 0, 2, 4, ... 100.
    int writingSteps = 0;
    for (const ProgrammingProgress &progress : seen)
        writingSteps += progress.stage == ProgrammingStage::WritingFlash ? 1 : 0;
    QCOMPARE(writingSteps, 51);
}

QTEST_GUILESS_MAIN(AvrdudeAnswerTest)
#include "avrdude_answer_test.moc"
