#pragma once
// The narrow views of the window that the controllers of the features beyond
// the described window are given. The window model provides both; a
// controller sees nothing of the window but its view and a parent widget for
// its dialogs.

#include "generator/programming_settings.h"

#include <QString>

namespace app {

/// Tab pages, numbered from 0 as everywhere in the program.
enum Page : int { ParameterPage = 0, TemplatePage = 1, InfoPage = 2 };

/// What the programming uses of the window: its choices, the folders and the
/// HEX file it proposes, and the buttons it disables while avrdude runs.
class ProgrammingWindow {
public:
    virtual ~ProgrammingWindow() = default;

    /// The programming's choices from "pulsakor-avrdude.ini": avrdude's
    /// settings and Check2 (program the chip after each run).
    virtual generator::ProgrammingChoices Programming() const = 0;
    virtual void SetProgramming(const generator::ProgrammingChoices &choices) = 0;

    /// The HEX file the last run in this window made; empty before.
    virtual QString LastHexFile() const = 0;
    /// WorkFolder and SettingsFolder, each ending with the folder separator.
    virtual QString WorkFolder() const = 0;
    virtual QString SettingsFolder() const = 0;

    /// Enables or disables what starts a run or a programming.
    virtual void SetGenerateEnabled(bool enabled) = 0;
    /// True once the window began closing: a step that waited in an event
    /// loop must then return without touching the window.
    virtual bool IsClosing() const = 0;
};

/// What the teach-in uses besides: the supply voltage it reads from Text1(0),
/// the end-stop fields Text1(1) and Text1(2) it fills, and the page it turns
/// to afterwards.
class TeachInWindow : public ProgrammingWindow {
public:
    /// Text1(index), index 0..5.
    virtual QString ParameterText(int index) const = 0;
    virtual void SetParameterText(int index, const QString &text) = 0;
    /// Turns SSTab1 to `page` (0..2).
    virtual void SetCurrentPage(int page) = 0;
};

} // namespace app
