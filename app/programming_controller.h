#pragma once
// The programming's part of the window: "Chip programmieren..." (Command3),
// "Programmer..." (Command4), Check2 and the programming after a run, with
// the progress window they share. It works on the window's programming view
// and opens its dialogs over `dialogParent`.

#include "app/programming_window.h"
#include "generator/generation_run.h"
#include "platform/user_interaction.h"

#include <memory>

class QWidget;

namespace app {

class WindowProgress;

class ProgrammingController {
public:
    ProgrammingController(ProgrammingWindow &window, platform::UserInteraction &user,
                          QWidget *dialogParent);
    ~ProgrammingController();

    /// Command3: a HEX file chosen by the user into the chip.
    void ProgramChosenFile();
    /// Command4: the programmer's settings in a dialog, saved on OK.
    void EditProgrammer();
    /// Check2 clicked: the choice is kept at once.
    void SetAfterEachRun(bool ticked);
    /// After Command2's run: with Check2 ticked its HEX file into the chip.
    void AfterRun(const generator::RunResult &run);

private:
    ProgrammingWindow &m_window;
    platform::UserInteraction &m_user;
    QWidget *m_dialogParent;
    std::unique_ptr<WindowProgress> m_progress;
};

} // namespace app
