// The highlights the editing set-up shows on its undo and redo buttons while
// there is something to undo or redo: a bright curved arrow on a soft glow,
// the redo arrow the mirror of the undo arrow.

#include "ImageGroups.h"
#include "Palette.h"

#include <cmath>
#include <vector>

namespace imagemaker {

namespace {

constexpr float kIconSide = 24.0f;
constexpr float kPi = 3.14159265f;
constexpr int kArcSteps = 24;

void drawArrow(ImageCanvas& canvas, bool mirrored)
{
    using namespace palette;
    const float s = kIconSide;
    auto x = [mirrored, s](float v) { return mirrored ? s - v : v; };
    canvas.fillCircle(s / 2, s / 2, s / 2 - 0.5f, 0x6FC3FF30);

    // The arc: from the arrow's head on the left, over the top, down the
    // right side.
    std::vector<float> points;
    const float cx = 12.5f;
    const float cy = 13.5f;
    const float r = 6.0f;
    for (int i = 0; i <= kArcSteps; ++i) {
        const float a = kPi * (1.0f + 1.25f * float(i) / float(kArcSteps));
        points.push_back(x(cx + r * std::cos(a)));
        points.push_back(cy + r * std::sin(a));
    }
    AM_AGG_Context& c = canvas.context();
    c.setColourPacked(kUndo);
    c.drawPolyline(points.data(), int(points.size() / 2), 2.2f, false);
    const float head[6] = {x(cx - r - 4.2f), cy - 1.0f, x(cx - r + 4.2f), cy - 1.0f,
                           x(cx - r), cy + 4.2f};
    c.fillPolygon(head, 3);
}

} // namespace

void addEditIcons(ImageSet& set)
{
    set.add("Icons/UndoHighlight.png", kIconSide, kIconSide,
            [](ImageCanvas& canvas) { drawArrow(canvas, false); });
    set.add("Icons/RedoHighlight.png", kIconSide, kIconSide,
            [](ImageCanvas& canvas) { drawArrow(canvas, true); });
}

} // namespace imagemaker
