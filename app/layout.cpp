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

ResizeGeometry ResizedGeometry(float outerWidth, float outerHeight, float tabRowHeight,
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
    // Page 1's controls keep their design tops and heights. The path labels
    // keep their left margin on the right as well; the generate button keeps
    // its size and stands at that margin from the right edge.
    const TwipRect &path1 = design::kLabel3;
    const TwipRect &path2 = design::kLabel5;
    const TwipRect &button = design::kCommand2;
    const float pageWidth = g.frame1[1].width;
    Place(g.label3, path1.left, path1.top, pageWidth - 2 * path1.left, path1.height);
    Place(g.label5, path2.left, path2.top, pageWidth - 2 * path2.left, path2.height);
    Place(g.command2, pageWidth - button.width - path1.left, button.top, button.width,
          button.height);
    // The programming button stands below the generate button, right-aligned
    // like it; the other programming controls keep their design places at
    // the left, like Check1.
    const TwipRect &programChip = design::kCommand3;
    Place(g.command3, pageWidth - programChip.width - path1.left, programChip.top,
          programChip.width, programChip.height);
    return g;
}

} // namespace app
