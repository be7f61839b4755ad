// The teach-in dialog on the window against a fake chip: it programs the
// teach-in firmware, reads the end stops, and "Übernehmen" fills the two
// end-stop fields. What the EEPROM image means is tests/generator's.

#include "app/form1.h"
#include "app/teach_in_controller.h"
#include "app/widgets/teach_in_dialog.h"

#include "tests/support/fake_user_interaction.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class FakeChip : public app::TeachInChip {
public:
    generator::EepromReadResult read;
    QStringList calls;

    generator::ProgrammingResult ProgramTeachIn(const app::TeachInRequest &request,
                                                generator::ProgrammingHost &,
                                                platform::Cancellation &) override
    {
        calls.append("program " + request.logPath);
        generator::ProgrammingResult result;
        result.outcome = generator::ProgrammingOutcome::Programmed;
        return result;
    }
    generator::EepromReadResult ReadEeprom(const app::TeachInRequest &request,
                                           generator::ProgrammingHost &,
                                           platform::Cancellation &) override
    {
        calls.append("read " + request.logPath);
        return read;
    }
};

class TeachInTest : public QObject {
    Q_OBJECT
private slots:
    void applyFillsTheEndStopFields_data();
    void applyFillsTheEndStopFields();
};

void TeachInTest::applyFillsTheEndStopFields_data()
{
    QTest::addColumn<QByteArray>("head"); // the EEPROM's first bytes; the rest erased
    QTest::addColumn<bool>("applied");    // false: "Übernehmen" stays disabled
    QTest::addColumn<QString>("end1");
    QTest::addColumn<QString>("end2");
    QTest::newRow("taught") << QByteArray("5a1fe15b") << true << QString("0610") << QString("4390");
    QTest::newRow("nothing taught yet")
        << QByteArray("5affffff") << false << QString("0500") << QString("4500");
}

void TeachInTest::applyFillsTheEndStopFields()
{
    QFETCH(QByteArray, head);
    QFETCH(bool, applied);
    QFETCH(QString, end1);
    QFETCH(QString, end2);
    QTemporaryDir folder;
    const QString settings = QDir::toNativeSeparators(folder.path()) + QDir::separator();
    platform::FakeUserInteraction user;
    app::Form1 form(&user);
    form.SetActivateOnShow(false);
    form.Form_Load({settings, QDir::toNativeSeparators(folder.path()), settings + "no-avra"});
    form.show();
    FakeChip chip;
    chip.read.succeeded = true;
    chip.read.eeprom = QByteArray::fromHex(head).leftJustified(64, char(0xFF));

    bool applyEnabled = false;
    QTimer::singleShot(0, &form, [&] {
        auto *dialog = form.findChild<app::TeachInDialog *>();
        if (!dialog)
            qFatal("no teach-in dialog");
        dialog->findChild<QPushButton *>("ProgramTeachIn")->click();
        dialog->findChild<QPushButton *>("ReadEndStops")->click();
        applyEnabled = dialog->findChild<QPushButton *>("Apply")->isEnabled();
        dialog->findChild<QPushButton *>(applyEnabled ? "Apply" : "Close")->click();
    });
    app::TeachInController(form, user, chip, &form).Open();

    const QString log = settings + "pulsakor-einlernen.avrdude.log";
    QCOMPARE(chip.calls, QStringList({"program " + log, "read " + log}));
    QCOMPARE(applyEnabled, applied);
    QCOMPARE(form.findChild<QLineEdit *>("Text1_1")->text(), end1);
    QCOMPARE(form.findChild<QLineEdit *>("Text1_2")->text(), end2);
    QCOMPARE(user.messages.size(), size_t(applied));
    if (applied) {
        QCOMPARE(form.CurrentPage(), int(app::ParameterPage));
        QCOMPARE(user.messages[0].text, app::TeachInAppliedMessage());
    }
}

QTEST_MAIN(TeachInTest)
#include "teach_in_test.moc"
