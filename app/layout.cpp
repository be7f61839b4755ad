#include "app/layout.h"

#include <cmath>

namespace app {

namespace {

// Moves `control` to the new geometry unless the toolkit would refuse it;
// a refused step keeps the control exactly as it was.
void Place(TwipRect &control, float left, float top, float width, float height)
{
    const bool computable = std::isfinite(left) && std::isfinite(top) && std::isfinite(width)
                            && std::isfinite(height);
    if (!computable || width < 0 || height < 0)
        return;
    control = {left, top, width, height};
}

} // namespace

ResizeGeometry Form_Resize(float outerWidth, float outerHeight, float tabRowHeight,
                           const ResizeGeometry &current)
{
    ResizeGeometry g = current;
    const float W = outerWidth;
    const float H = outerHeight;
    const float T = tabRowHeight;

    Place(g.ssTab1, 30, 30, W - 150, H - T - g.hlpt.height - 240);
    Place(g.hlpt, 120, g.ssTab1.height + 60, W - 240, g.hlpt.height);
    Place(g.command1, W - 1500, 30, 1380, 300);
    for (TwipRect &frame : g.frame1)
        Place(frame, 60, T + 60, g.ssTab1.width - 150, g.ssTab1.height - T - 150);
    Place(g.text2, 120, 120, g.frame1[2].width - 240, g.frame1[2].height - 240);
    Place(g.label3, 240, 480, g.frame1[1].width - 480, 615);
    Place(g.label5, 240, 1680, g.frame1[1].width - 480, 615);
    Place(g.command2, g.frame1[1].width - 2655 - 240, 3000, 2655, 735);
    return g;
}

} // namespace app
