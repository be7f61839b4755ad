#include "app/teach_in_controller.h"

#include "app/chip_programming.h"
#include "app/design.h"
#include "app/widgets/teach_in_dialog.h"
#include "app/window_progress.h"
#include "generator/servo_parameters.h"

namespace app {

QString TeachInAppliedMessage()
{
    return QStringLiteral("Die Spannungen der beiden Endlagen stehen jetzt in den Feldern.\r\n"
                          "Im Chip ist noch die Einlern-Firmware: Jetzt die Servo-Firmware "
                          "erzeugen und programmieren, mit '%1' und '%2' auf der Karteikarte "
                          "'%3'.")
        .arg(design::kCommand2Caption, design::kCheck2Caption, design::kTabCaptions[TemplatePage]);
}

TeachInController::TeachInController(TeachInWindow &window, platform::UserInteraction &user,
                                     TeachInChip &chip, QWidget *dialogParent)
    : m_window(window), m_user(user), m_chip(chip), m_dialogParent(dialogParent)
{}

void TeachInController::Open()
{
    TeachInDialog dialog(m_dialogParent);
    WindowProgress progress(QStringLiteral("Endlagen einlernen"), &dialog);
    generator::EndStops endStops;
    QObject::connect(&dialog, &TeachInDialog::programRequested, &dialog,
                     [&] { dialog.ShowProgrammed(ProgramTeachIn(progress)); });
    QObject::connect(&dialog, &TeachInDialog::readRequested, &dialog, [&] {
        endStops = ReadEndStops(progress);
        dialog.ShowEndStops(endStops.message,
                            endStops.outcome == generator::EndStopOutcome::Taught);
    });
    if (dialog.exec() == QDialog::Accepted && !m_window.IsClosing())
        Apply(endStops);
}

TeachInRequest TeachInController::Request() const
{
    return {SettingsToUse(m_window.Programming()),
            generator::TeachInLogPath(m_window.SettingsFolder())};
}

QString TeachInController::ProgramTeachIn(ProgressView &progress)
{
    const QString notDone = QStringLiteral("Die Einlern-Firmware ist nicht im Chip.\r\n");
    const TeachInRequest request = Request();
    if (const auto refusal =
            generator::TeachInCalibrationRefusal(request.settings.calibrationAddress))
        return notDone + *refusal;
    generator::ProgrammingResult result;
    RunAvrdudeStep(m_window, progress,
                   [&](generator::ProgrammingHost &host, platform::Cancellation &cancel) {
                       result = m_chip.ProgramTeachIn(request, host, cancel);
                   });
    if (result.outcome != generator::ProgrammingOutcome::Programmed)
        return notDone + result.message;
    return QStringLiteral("Die Einlern-Firmware ist im Chip.\r\n") + result.message;
}

// The supply is checked before the chip is read: a field the table would
// refuse gives no voltages either.
generator::EndStops TeachInController::ReadEndStops(ProgressView &progress)
{
    const QString supply = m_window.ParameterText(generator::SupplyVoltageField);
    generator::EndStops endStops;
    endStops.outcome = generator::EndStopOutcome::SupplyRefused;
    if (!generator::TeachInSupply(supply, &endStops.message))
        return endStops;
    generator::EepromReadResult read;
    RunAvrdudeStep(m_window, progress,
                   [&](generator::ProgrammingHost &host, platform::Cancellation &cancel) {
                       read = m_chip.ReadEeprom(Request(), host, cancel);
                   });
    if (!read.succeeded) {
        endStops.outcome = generator::EndStopOutcome::ImageIncomplete;
        endStops.message = read.message;
        return endStops;
    }
    return generator::ReadEndStops(read.eeprom, supply);
}

void TeachInController::Apply(const generator::EndStops &endStops)
{
    m_window.SetParameterText(generator::EndVoltage1Field, endStops.end1Text);
    m_window.SetParameterText(generator::EndVoltage2Field, endStops.end2Text);
    m_window.SetCurrentPage(ParameterPage);
    m_user.ShowMessage(TeachInAppliedMessage(), QStringLiteral("Endlagen übernommen"));
}

} // namespace app
