#pragma once
// The window model: the one shared state of the program. Form1 implements it
// on its widgets; the event procedures outside the window class (start-up,
// settings files, pickers, the generation run) read and write the window only
// through it, and tests use the widget-free one in tests/support instead.

#include "generator/programming_settings.h"

#include <QString>

namespace app {

/// Tab pages, numbered from 0 as everywhere in the program.
enum Page : int { ParameterPage = 0, TemplatePage = 1, InfoPage = 2 };

/// The window-level folders, each ending with the platform's folder
/// separator once start-up has run.
struct Folders {
    QString settingsFolder;
    QString templateFolder;
    QString workFolder;
};

class WindowModel {
public:
    virtual ~WindowModel() = default;

    /// Text1(index), index 0..5.
    virtual QString ParameterText(int index) const = 0;
    virtual void SetParameterText(int index, const QString &text) = 0;

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
    virtual void SetCurrentPage(int page) = 0;

    /// The whole text of Text2, returned exactly as set (CR LF included).
    virtual QString ListingText() const = 0;
    virtual void SetListingText(const QString &text) = 0;
    virtual void FocusListing() = 0;

    /// Enables or disables Command2 (disabled while a run waits).
    virtual void SetGenerateEnabled(bool enabled) = 0;

    /// True once "Ende" was pressed or the window was closed: a handler that
    /// waited in an event loop must then return without touching the window.
    virtual bool IsClosing() const { return false; }

    /// The programming's choices from "pulsakor-avrdude.ini": avrdude's
    /// settings and Check2 (program the chip after each run). Form1 shows
    /// the latter in Check2.
    virtual generator::ProgrammingChoices Programming() const { return m_programming; }
    virtual void SetProgramming(const generator::ProgrammingChoices &choices)
    {
        m_programming = choices;
    }

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
