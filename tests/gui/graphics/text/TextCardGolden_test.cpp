// Reference pictures of a text card at zooms 1 and 2 in the pinned face
// (Vera.ttf): sizes, the three alignments, vertical centring, kerning,
// UTF-8 text and a clipped line. FreeType's anti-aliasing may differ a
// little between versions, hence the tolerance.
#include "gui/graphics/text/AM_FontSettings.h"
#include "gui/graphics/text/AM_TextEngine.h"

#include "GoldenImage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kCardWidth = 300;
constexpr int kCardHeight = 150;
constexpr int kTolerance = 40;
constexpr int kMaxOffPixels = 60;

struct Card {
    explicit Card(float z) : zoom(z), width(int(kCardWidth * z)), height(int(kCardHeight * z))
    {
        pixels.resize(size_t(width) * height * 4);
        for (size_t i = 0; i < pixels.size(); i += 4) {
            pixels[i] = 0x2e;     // blue
            pixels[i + 1] = 0x28; // green
            pixels[i + 2] = 0x24; // red
            pixels[i + 3] = 255;
        }
        rows.attach(pixels.data(), unsigned(width), unsigned(height), width * 4);
    }

    // One line in a box of GUI units, as a context places it.
    void text(const char* line, float size, float x, float y, float w, float h, int align,
              bool centred, agg::rgba8 colour, agg::rect_i clip)
    {
        AM_FontSettings::setSize(size);
        const float textWidth = engine.textWidth(line, style);
        double penX = 0;
        double penY = 0;
        AM_TextEngine::penStart(x, y, w, h, size, textWidth, align, centred, penX, penY);
        engine.drawLine(rows, clip, colour, line, penX * zoom, penY * zoom, size * zoom, style);
    }
    agg::rect_i whole() const { return agg::rect_i(0, 0, width - 1, height - 1); }

    float zoom;
    int width;
    int height;
    std::vector<uint8_t> pixels;
    agg::rendering_buffer rows;
    AM_TextEngine engine;
    AM_TextStyle style;
};

TEST(TextCardGolden, CardAtZoomsOneAndTwo)
{
    const std::string font = KK_VERA_TTF;
    for (const float zoom : {1.0f, 2.0f}) {
        AM_FontSettings::reset();
        AM_FontSettings::setFolder(font.substr(0, font.rfind('/') + 1).c_str());
        Card card(zoom);
        card.style.gamma = 0.67f;
        const agg::rgba8 light(0xe8, 0xe0, 0xd0, 255);
        const agg::rgba8 amber(0xf0, 0xa0, 0x30, 255);
        card.text("KestanK4  Filter Cutoff 1234.5 Hz", 11, 8, 4, 284, 16, 0, false, light,
                  card.whole());
        card.text("Left", 9, 8, 26, 90, 14, 0, false, amber, card.whole());
        card.text("Centre", 9, 104, 26, 90, 14, 1, false, amber, card.whole());
        card.text("Right", 9, 200, 26, 90, 14, 2, false, amber, card.whole());
        card.text("Centred vertically", 10, 8, 44, 284, 30, 1, true, light, card.whole());
        card.text("AVATAR Tow Wave", 16, 8, 78, 284, 20, 0, false, light, card.whole());
        card.text("L\xc3\xa9g\xc3\xa8re \xe2\x82\xac 12 dB/oct", 12, 8, 102, 284, 16, 0, false,
                  light, card.whole());
        const agg::rect_i clip(int(8 * zoom), int(124 * zoom), int(120 * zoom), int(146 * zoom));
        card.text("Clipped at 120 units, never beyond", 12, 8, 126, 284, 16, 0, false, amber, clip);
        const std::string name = "text_card_z" + std::to_string(int(zoom));
        EXPECT_EQ(testsupport::compareWithGolden(name, card.pixels.data(), card.width, card.height,
                                                 card.width * 4, kTolerance, kMaxOffPixels),
                  "");
    }
    AM_FontSettings::reset();
}

} // namespace
