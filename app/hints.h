#pragma once
// The hint bar's table and the indices the mouse-move procedures hand to
// ShowHint.

#include <QString>

#include <array>
#include <cstdint>

namespace app {

/// HintTexts: entries 1 to 17 explain the described controls, 18 to 20 the
/// programming's, 21 the teach-in's; entry 0 (the page frames) and 22 to 99
/// are empty.
using HintTable = std::array<QString, 100>;

/// The filled hint table that Form_Load puts into the window.
HintTable BuildHintTexts();

/// Hint indices of the controls with a mouse-move procedure.
enum HintIndex : std::int16_t {
    FrameHint = 0,
    TemplateHint = 10,
    AssemblerHint = 11,
    GenerateHint = 12,
    EndHint = 13,
    ListingHint = 14,
    DeleteAsmHint = 15,
    TabHint = 16,
    HintBarHint = 17,
    ProgramChipHint = 18,
    ProgramAfterRunHint = 19,
    ProgrammerHint = 20,
    TeachInHint = 21,
};

/// Label1_MouseMove: caption box `index` (0..5) explains itself with 1..6.
std::int16_t Label1HintIndex(int index);

/// Text1_MouseMove: floor(index * 0.4) + 7, so the three voltage fields
/// share 7, the two pulse widths 8 and the PWM field 9.
std::int16_t Text1HintIndex(int index);

} // namespace app
