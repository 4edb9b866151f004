// The fader strip of the mixer: a slot with a scale, the lit part below the
// cap in the accent colour, and a ribbed cap.

#include "ImageGroups.h"
#include "Palette.h"

namespace imagemaker {

namespace {

constexpr int kFaderFrames = 49;
constexpr float kFaderWidth = 20.0f;
constexpr float kFaderHeight = 96.0f;
constexpr float kCapHeight = 10.0f;
constexpr float kSlotWidth = 4.0f;
constexpr int kScaleMarks = 11;

void drawFader(ImageCanvas& canvas, float position)
{
    using namespace palette;
    AM_AGG_Context& c = canvas.context();
    const float w = kFaderWidth;
    const float h = kFaderHeight;
    const float travelTop = kCapHeight / 2 + 1;
    const float travel = h - kCapHeight - 2;
    const float capCentre = travelTop + (1.0f - position) * travel;
    const float slotX = (w - kSlotWidth) / 2;

    c.setColourPacked(kSectionEdge);
    for (int i = 0; i < kScaleMarks; ++i) {
        const float y = travelTop + travel * float(i) / float(kScaleMarks - 1);
        const float length = i % 5 == 0 ? 4.0f : 2.5f;
        const AM_Rect left{slotX - 2 - length, y - 0.35f, length, 0.7f};
        const AM_Rect right{slotX + kSlotWidth + 2, y - 0.35f, length, 0.7f};
        c.fillRect(&left);
        c.fillRect(&right);
    }
    canvas.fillRoundRect(slotX, travelTop - 2, kSlotWidth, travel + 4, kSlotWidth / 2, kGroove);
    canvas.fillRoundRect(slotX + 0.8f, capCentre, kSlotWidth - 1.6f,
                         travelTop + travel + 1.2f - capCentre, 1.2f, kAccent);

    const float capX = 1.5f;
    const float capY = capCentre - kCapHeight / 2;
    canvas.fillRoundRect(capX, capY + 1.0f, w - 2 * capX, kCapHeight, 2.0f, kShadow);
    canvas.fillRoundRectGradient(capX, capY, w - 2 * capX, kCapHeight, 2.0f, kKnobTop,
                                 kKnobBottom);
    const AM_Rect line{capX + 2, capCentre - 0.5f, w - 2 * capX - 4, 1.0f};
    c.setColourPacked(kPointer);
    c.fillRect(&line);
}

} // namespace

void addSliderImages(ImageSet& set)
{
    set.addStrip("Fader", kFaderFrames, kFaderWidth, kFaderHeight, drawFader);
}

} // namespace imagemaker
