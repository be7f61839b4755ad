#pragma once
// The window model: the one shared state of the program. Form1 implements it
// on its widgets; the event procedures outside the window class (start-up,
// settings files, pickers, the generation run) read and write the window only
// through it, and tests use the widget-free one in tests/support instead.
// The controllers of the programming and the teach-in see only the narrow
// views of it in programming_window.h.

#include "app/programming_window.h"

#include <QString>

namespace app {

/// The window-level folders, each ending with the platform's folder
/// separator once start-up has run.
struct Folders {
    QString settingsFolder;
    QString templateFolder;
    QString workFolder;
};

/// Besides its views: Text1(index), SetCurrentPage, SetGenerateEnabled
/// (Command2, disabled while a run waits) and IsClosing.
class WindowModel : public TeachInWindow {
public:
    /// Caption of Label3: the template path.
    virtual QString TemplatePath() const = 0;
    virtual void SetTemplatePath(const QString &path) = 0;

    /// Caption of Label5: the assembler path.
    virtual QString AssemblerPath() const = 0;
    virtual void SetAssemblerPath(const QString &path) = 0;

    /// Check1's value: 0 cleared, 1 ticked, 2 greyed.
    virtual int DeleteAsmValue() const = 0;
    virtual void SetDeleteAsmValue(int value) = 0;

    /// The current page of SSTab1 (0..2). Setting it runs SSTab1_Click.
    virtual int CurrentPage() const = 0;

    /// The whole text of Text2, returned exactly as set (CR LF included).
    virtual QString ListingText() const = 0;
    virtual void SetListingText(const QString &text) = 0;
    virtual void FocusListing() = 0;

    /// True once "Ende" was pressed or the window was closed.
    bool IsClosing() const override { return false; }

    /// The programming's choices from "pulsakor-avrdude.ini": avrdude's
    /// settings and Check2 (program the chip after each run). Form1 shows
    /// the latter in Check2.
    generator::ProgrammingChoices Programming() const override { return m_programming; }
    void SetProgramming(const generator::ProgrammingChoices &choices) override
    {
        m_programming = choices;
    }

    QString LastHexFile() const final { return lastHexFile; }
    QString WorkFolder() const final { return m_folders.workFolder; }
    QString SettingsFolder() const final { return m_folders.settingsFolder; }

    Folders &folders() { return m_folders; }
    const Folders &folders() const { return m_folders; }

    /// The HEX file the last run in this window made: Command3 proposes it.
    /// Empty before the first run that made one.
    QString lastHexFile;

private:
    Folders m_folders;
    generator::ProgrammingChoices m_programming;
};

} // namespace app
