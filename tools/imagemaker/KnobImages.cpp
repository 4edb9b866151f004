// The knob strips: a dark groove over 270 degrees with the value arc in the
// accent colour, a bevelled cap with a soft shadow and a white pointer.

#include "ImageGroups.h"
#include "Palette.h"

#include <algorithm>
#include <cmath>

namespace imagemaker {

namespace {

constexpr int kKnobFrames = 65;
constexpr float kKnobSide = 34.0f;
constexpr float kBigKnobSide = 44.0f;
constexpr float kSweep = 135.0f;
constexpr float kDegreesToRadians = 3.14159265f / 180.0f;

float angleOf(float position)
{
    return -kSweep + 2.0f * kSweep * std::clamp(position, 0.0f, 1.0f);
}

void drawKnob(ImageCanvas& canvas, float side, float position, bool bipolar)
{
    using namespace palette;
    AM_AGG_Context& c = canvas.context();
    const float centre[2] = {side / 2, side / 2};
    const float outer = side / 2 - 0.5f;
    const float ringWidth = std::max(2.5f, side * 0.085f);
    const float inner = outer - ringWidth;
    const float angle = angleOf(position);

    c.setColourPacked(kGroove);
    c.fillRingSegment(centre, inner, outer, -kSweep, kSweep);
    const float zero = bipolar ? 0.0f : -kSweep;
    if (std::fabs(angle - zero) > 0.01f) {
        c.setColourPacked(kAccent);
        c.fillRingSegment(centre, inner + 0.3f, outer - 0.3f, std::min(zero, angle),
                          std::max(zero, angle));
    }
    if (bipolar) {
        // The middle mark of a value around zero.
        c.setColourPacked(kSectionEdge);
        c.fillRingSegment(centre, outer + 0.2f - ringWidth - 1.6f, inner - 0.4f, -4.0f, 4.0f);
    }

    const float body = inner - std::max(2.0f, side * 0.06f);
    canvas.fillCircle(centre[0], centre[1] + side * 0.035f, body + 0.4f, kShadow);
    canvas.fillCircle(centre[0], centre[1], body, kKnobRim);
    canvas.fillCircleGradient(centre[0], centre[1], body - 0.7f, kKnobTop, kKnobBottom);
    canvas.fillCircleGradient(centre[0], centre[1], body - 2.2f, kKnobFaceTop, kKnobFaceBottom);

    const float s = std::sin(angle * kDegreesToRadians);
    const float k = std::cos(angle * kDegreesToRadians);
    const float from[2] = {centre[0] + s * body * 0.28f, centre[1] - k * body * 0.28f};
    const float to[2] = {centre[0] + s * (body - 2.6f), centre[1] - k * (body - 2.6f)};
    c.setColourPacked(kPointer);
    c.drawLine(from, to, std::max(1.8f, side * 0.06f));
}

} // namespace

void addKnobImages(ImageSet& set)
{
    set.addStrip("KnobUni", kKnobFrames, kKnobSide, kKnobSide,
                 [](ImageCanvas& canvas, float p) { drawKnob(canvas, kKnobSide, p, false); });
    set.addStrip("KnobBi", kKnobFrames, kKnobSide, kKnobSide,
                 [](ImageCanvas& canvas, float p) { drawKnob(canvas, kKnobSide, p, true); });
    set.addStrip("KnobBigUni", kKnobFrames, kBigKnobSide, kBigKnobSide,
                 [](ImageCanvas& canvas, float p) { drawKnob(canvas, kBigKnobSide, p, false); });
}

} // namespace imagemaker
