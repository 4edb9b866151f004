// Panel backgrounds: the header band, the title bar of a section and the
// recessed window of a value display. Each is stretched to its control, so
// only horizontal features are drawn across the width: a vertical gradient
// with a line along its top and one along its bottom.

#include "ImageGroups.h"
#include "Palette.h"

namespace imagemaker {

namespace {

constexpr float kStretchWidth = 64.0f;

struct Band {
    const char* path;
    float height;
    uint32_t top;
    uint32_t bottom;
    uint32_t topLine;
    float topLineHeight;
    uint32_t bottomLine;
    float bottomLineHeight;
    float bottomLineInset; // from the bottom edge to the line's bottom
};

constexpr Band kBands[] = {
    {"Panes/HeaderBack.png", 48.0f, 0x2C3038FF, 0x1C1F24FF, 0x454B56FF, 1.0f,
     palette::kAccentDark, 1.5f, 0.5f},
    {"Panes/SectionTitle.png", 18.0f, 0x383D46FF, 0x2E323AFF, 0x4E5561FF, 0.5f, 0x1E2126FF, 1.0f,
     0.0f},
    {"Panes/DisplayWindow.png", 16.0f, palette::kDisplayTop, palette::kDisplayBottom, 0x00000080,
     1.5f, 0x3A404AFF, 1.0f, 0.0f},
};

void drawBand(ImageCanvas& canvas, const Band& band)
{
    const float w = canvas.width();
    canvas.fillRectGradient(0, 0, w, band.height, band.top, band.bottom);
    AM_AGG_Context& c = canvas.context();
    const AM_Rect top{0, 0, w, band.topLineHeight};
    c.setColourPacked(band.topLine);
    c.fillRect(&top);
    const AM_Rect bottom{0, band.height - band.bottomLineInset - band.bottomLineHeight, w,
                         band.bottomLineHeight};
    c.setColourPacked(band.bottomLine);
    c.fillRect(&bottom);
}

} // namespace

void addPanelImages(ImageSet& set)
{
    for (const Band& band : kBands)
        set.add(band.path, kStretchWidth, band.height,
                [&band](ImageCanvas& canvas) { drawBand(canvas, band); });
}

} // namespace imagemaker
