#pragma once
// The teach-in from the window. "Endlagen einlernen..." opens TeachInDialog,
// which leads through programming the teach-in firmware, moving the servo to
// its end stops, reading back what the firmware kept in the EEPROM, and
// "Übernehmen", which puts the two wiper voltages into the end-stop fields.
// The controller works on the window's teach-in view; the chip is reached
// through a TeachInChip (avrdude through the core, or a fake in tests).

#include "app/programming_window.h"
#include "generator/chip_programming.h"
#include "generator/end_stops.h"
#include "platform/user_interaction.h"

#include <QString>

class QWidget;

namespace app {

class ProgressView;

/// One avrdude step of the teach-in.
struct TeachInRequest {
    /// The window's settings, as programming uses them.
    generator::ProgrammingSettings settings;
    /// avrdude's output goes here: the teach-in's own log, never a target's.
    QString logPath;
};

/// The chip as the teach-in reaches it; each step shows its progress in
/// `host` and ends at once when `cancellation` is cancelled.
class TeachInChip {
public:
    virtual ~TeachInChip() = default;
    /// Writes the teach-in firmware as any programming does, the calibration
    /// byte included.
    virtual generator::ProgrammingResult ProgramTeachIn(const TeachInRequest &request,
                                                        generator::ProgrammingHost &host,
                                                        platform::Cancellation &cancellation) = 0;
    /// Reads the EEPROM; writes nothing to the chip.
    virtual generator::EepromReadResult ReadEeprom(const TeachInRequest &request,
                                                   generator::ProgrammingHost &host,
                                                   platform::Cancellation &cancellation) = 0;
};

/// What the window tells once "Übernehmen" filled the fields: the servo
/// firmware must now be made and programmed.
QString TeachInAppliedMessage();

class TeachInController {
public:
    TeachInController(TeachInWindow &window, platform::UserInteraction &user, TeachInChip &chip,
                      QWidget *dialogParent);

    /// "Endlagen einlernen...": the dialog until it is closed. After
    /// "Übernehmen" the end-stop fields hold the voltages read, page 0 is
    /// current, and the next steps are told.
    void Open();

private:
    QString ProgramTeachIn(ProgressView &progress);
    generator::EndStops ReadEndStops(ProgressView &progress);
    void Apply(const generator::EndStops &endStops);
    TeachInRequest Request() const;

    TeachInWindow &m_window;
    platform::UserInteraction &m_user;
    TeachInChip &m_chip;
    QWidget *m_dialogParent;
};

} // namespace app
