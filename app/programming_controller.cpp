#include "app/programming_controller.h"

#include "app/chip_programming.h"
#include "app/widgets/programmer_dialog.h"
#include "app/window_progress.h"
#include "platform/environment.h"

namespace app {

ProgrammingController::ProgrammingController(ProgrammingWindow &window,
                                             platform::UserInteraction &user, QWidget *dialogParent)
    : m_window(window), m_user(user), m_dialogParent(dialogParent),
      m_progress(
          std::make_unique<WindowProgress>(QStringLiteral("Chip programmieren"), dialogParent))
{}

ProgrammingController::~ProgrammingController() = default;

void ProgrammingController::ProgramChosenFile()
{
    Command3_Click(m_window, m_user, *m_progress);
}

void ProgrammingController::EditProgrammer()
{
    ProgrammerDialog dialog(
        m_window.Programming().settings, platform::DefaultAvrdudePath(),
        [this](const QString &shown) { return ChooseAvrdude(m_user, shown); }, m_dialogParent);
    if (dialog.exec() == QDialog::Accepted && !m_window.IsClosing())
        SaveProgrammerSettings(m_window, dialog.Settings(), m_user);
}

void ProgrammingController::SetAfterEachRun(bool ticked)
{
    Check2_Click(m_window, ticked, m_user);
}

void ProgrammingController::AfterRun(const generator::RunResult &run)
{
    ProgramAfterRun(m_window, run, m_user, *m_progress);
}

} // namespace app
