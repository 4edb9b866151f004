// Any bytes as text (preset and control names come from files) measure to a
// finite width and draw inside the clip box, in every glyph mode.
#include "gui/graphics/text/AM_FontSettings.h"
#include "gui/graphics/text/AM_TextEngine.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 32;
constexpr uint8_t kBackground = 255;

struct Setup {
    Setup()
    {
        const std::string font = KK_VERA_TTF;
        AM_FontSettings::setFolder(font.substr(0, font.rfind('/') + 1).c_str());
        rows.attach(pixels.data(), kWidth, kHeight, kWidth * 4);
    }
    AM_TextEngine engine;
    std::vector<uint8_t> pixels = std::vector<uint8_t>(size_t(kWidth) * kHeight * 4);
    agg::rendering_buffer rows;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    if (size < 2)
        return 0;
    AM_TextStyle style;
    style.glyphMode = data[0] % 6;
    style.kerning = (data[0] & 0x80) != 0;
    const float fontSize = float(data[1] % 40);
    AM_FontSettings::setSize(fontSize);
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);

    const float width = setup.engine.textWidth(text.c_str(), style);
    if (!std::isfinite(width) || width < 0)
        std::abort();
    std::fill(setup.pixels.begin(), setup.pixels.end(), kBackground);
    // The clip box covers the left half only.
    const agg::rect_i clip(0, 0, kWidth / 2 - 1, kHeight - 1);
    setup.engine.drawLine(setup.rows, clip, agg::rgba8(0, 0, 0, 255), text.c_str(), 2, 20, fontSize,
                          style);
    for (int y = 0; y < kHeight; ++y)
        for (int x = kWidth / 2; x < kWidth; ++x)
            if (setup.pixels[(size_t(y) * kWidth + x) * 4] != kBackground)
                std::abort();
    return 0;
}
