#pragma once
// What the size handler Form1::Form_Resize computes, as a pure function in
// twips: the window hands in its outer size, the tab row height and the
// current geometry of the controls it places, and applies what comes back.

#include "app/design.h"

#include <array>

namespace app {

/// The controls that Form1::Form_Resize places, in the order of its steps.
struct ResizeGeometry {
    TwipRect ssTab1;
    TwipRect hlpt;
    TwipRect command1;
    std::array<TwipRect, 3> frame1;
    TwipRect text2;
    TwipRect label3;
    TwipRect label5;
    TwipRect command2;
    /// "Chip programmieren...", after the described steps.
    TwipRect command3;

    friend bool operator==(const ResizeGeometry &, const ResizeGeometry &) = default;
};

/// The layout for the outer window size `outerWidth` x `outerHeight` (frame
/// and title bar included) and the tab row height `tabRowHeight`, all in
/// twips. Each step reads the sizes the earlier steps left; a step whose
/// width or height comes out negative or not finite leaves its control as it
/// was in `current`, and the later steps go on. Negative left and top are
/// accepted.
ResizeGeometry ResizedGeometry(float outerWidth, float outerHeight, float tabRowHeight,
                               const ResizeGeometry &current);

} // namespace app
