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

namespace {

class FakeChip : public app::TeachInChip {
public:
    QByteArray eeprom;
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
        generator::EepromReadResult result;
        result.succeeded = true;
        result.eeprom = eeprom;
        return result;
    }
};

QByteArray Eeprom(quint8 lowest, quint8 highest, quint8 check)
{
    QByteArray image(64, char(0xFF));
    image[0] = char(0x5A);
    image[1] = char(lowest);
    image[2] = char(highest);
    image[3] = char(check);
    return image;
}

} // namespace

class TeachInTest : public QObject {
    Q_OBJECT
private slots:
    void applyFillsTheEndStopFields_data();
    void applyFillsTheEndStopFields();
};

void TeachInTest::applyFillsTheEndStopFields_data()
{
    QTest::addColumn<QByteArray>("eeprom");
    QTest::addColumn<QString>("end1");
    QTest::addColumn<QString>("end2");
    // end1 empty: "Übernehmen" stays disabled and the fields keep their texts.
    QTest::newRow("taught") << Eeprom(31, 225, 31 ^ 225 ^ 0xA5) << "0610"
                            << "4390";
    QTest::newRow("nothing taught yet") << Eeprom(0xFF, 0xFF, 0xFF) << ""
                                        << "";
}

void TeachInTest::applyFillsTheEndStopFields()
{
    QFETCH(QByteArray, eeprom);
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
    chip.eeprom = eeprom;

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
    QCOMPARE(applyEnabled, !end1.isEmpty());
    const auto field = [&form](int index) {
        return form.findChild<QLineEdit *>(QStringLiteral("Text1_%1").arg(index))->text();
    };
    if (end1.isEmpty()) {
        QCOMPARE(field(1), QStringLiteral("0500"));
        QCOMPARE(field(2), QStringLiteral("4500"));
        QVERIFY(user.messages.empty());
        return;
    }
    QCOMPARE(field(1), end1);
    QCOMPARE(field(2), end2);
    QCOMPARE(form.CurrentPage(), int(app::ParameterPage));
    QCOMPARE(user.messages.size(), size_t(1));
    QCOMPARE(user.messages[0].text, app::TeachInAppliedMessage());
}

QTEST_MAIN(TeachInTest)
#include "teach_in_test.moc"
