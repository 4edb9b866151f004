// The buttons' on/off strip (a dark key with a lamp that lights in the
// accent colour), the face of the GUI size switch (a magnifier) and the
// glowing dot that runs along the LFO meters.

#include "ImageGroups.h"
#include "Palette.h"

#include <cmath>

namespace imagemaker {

namespace {

constexpr float kButtonWidth = 40.0f;
constexpr float kButtonHeight = 16.0f;
constexpr float kSwitchSide = 18.0f;
constexpr float kDotSide = 8.0f;

void drawButton(ImageCanvas& canvas, float position)
{
    using namespace palette;
    const bool on = position > 0.5f;
    const float w = kButtonWidth;
    const float h = kButtonHeight;
    canvas.fillRoundRect(0.5f, 1.0f, w - 1, h - 1, 3.0f, kShadow);
    canvas.fillRoundRect(0.5f, 0.5f, w - 1, h - 1.5f, 3.0f, kKnobRim);
    canvas.fillRoundRectGradient(1.2f, 1.2f, w - 2.4f, h - 2.9f, 2.4f, kKnobFaceTop,
                                 kKnobFaceBottom);
    const float lamp[2] = {7.0f, h / 2 - 0.4f};
    if (on)
        canvas.fillCircle(lamp[0], lamp[1], 4.2f, 0xFFB44340);
    canvas.fillCircle(lamp[0], lamp[1], 2.6f, kKnobRim);
    canvas.fillCircleGradient(lamp[0], lamp[1], 2.0f, on ? 0xFFE0A0FF : 0x5A4226FF,
                              on ? kLedOn : kLedOff);
}

void drawSizeSwitch(ImageCanvas& canvas)
{
    using namespace palette;
    const float s = kSwitchSide;
    canvas.fillRoundRect(0.5f, 0.5f, s - 1, s - 1, 3.0f, kKnobRim);
    canvas.fillRoundRectGradient(1.2f, 1.2f, s - 2.4f, s - 2.4f, 2.4f, kKnobFaceTop,
                                 kKnobFaceBottom);
    AM_AGG_Context& c = canvas.context();
    const float centre[2] = {7.6f, 7.6f};
    c.setColourPacked(kText);
    c.drawCircle(centre, 3.6f, 1.3f);
    const float from[2] = {10.3f, 10.3f};
    const float to[2] = {13.6f, 13.6f};
    c.setColourPacked(kAccent);
    c.drawLine(from, to, 2.0f);
}

void drawMeterDot(ImageCanvas& canvas)
{
    using namespace palette;
    const float c = kDotSide / 2;
    canvas.fillCircle(c, c, c - 0.2f, 0xFFB44350);
    canvas.fillCircleGradient(c, c, c - 1.6f, 0xFFE0A0FF, kLedOn);
}

} // namespace

void addButtonImages(ImageSet& set)
{
    set.addStrip("ButtonLamp", 2, kButtonWidth, kButtonHeight, drawButton);
    set.add("Icons/SizeSwitch.png", kSwitchSide, kSwitchSide, drawSizeSwitch);
    set.add("Icons/MeterDot.png", kDotSide, kDotSide, drawMeterDot);
}

} // namespace imagemaker
