#include "gui/graphics/text/AM_TextEngine.h"

#include "gui/graphics/text/AM_FontSettings.h"
#include "platform/SystemFonts.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string veraFolder()
{
    const std::string path = KK_VERA_TTF;
    return path.substr(0, path.rfind('/') + 1);
}

// A white BGRA canvas the engine draws into.
struct Canvas {
    Canvas(int w, int h) : width(w), height(h), pixels(size_t(w) * h * 4, 255)
    {
        buffer.attach(pixels.data(), w, h, w * 4);
    }
    bool inked(int x, int y) const { return pixels[(size_t(y) * width + x) * 4 + 1] < 128; }
    // Rows and columns holding ink: {left, top, right, bottom}, or all -1.
    agg::rect_i inkBounds() const
    {
        agg::rect_i box(-1, -1, -1, -1);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (inked(x, y)) {
                    box.x1 = box.x1 < 0 ? x : std::min(box.x1, x);
                    box.y1 = box.y1 < 0 ? y : std::min(box.y1, y);
                    box.x2 = std::max(box.x2, x);
                    box.y2 = std::max(box.y2, y);
                }
        return box;
    }
    agg::rect_i whole() const { return agg::rect_i(0, 0, width - 1, height - 1); }

    int width;
    int height;
    std::vector<uint8_t> pixels;
    agg::rendering_buffer buffer;
};

const agg::rgba8 kBlack(0, 0, 0, 255);

class TextEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        AM_FontSettings::reset();
        AM_FontSettings::setFolder(veraFolder().c_str());
        AM_FontSettings::setSize(12);
    }
    void TearDown() override { AM_FontSettings::reset(); }

    AM_TextEngine engine;
    AM_TextStyle style;
    testsupport::TraceCapture trace;
};

TEST_F(TextEngine, MeasuresInTheDefaultFaceOfTheFontFolder)
{
    const float one = engine.textWidth("M", style);
    EXPECT_GT(one, 5.0f);
    EXPECT_LT(one, 12.0f);
    EXPECT_EQ(AM_FontSettings::fontPath(AM_FontSettings::FontUse::measuring),
              veraFolder() + "Vera.ttf");
    EXPECT_NEAR(engine.textWidth("MMMM", style), 4 * one, 0.01f);
    EXPECT_EQ(engine.textWidth("", style), 0.0f);
    // Kerning counts when measuring, whatever the style says.
    style.kerning = false;
    AM_FontSettings::setSize(48);
    EXPECT_LT(engine.textWidth("To", style),
              engine.textWidth("T", style) + engine.textWidth("o", style));
    AM_FontSettings::setSize(12);
    AM_FontSettings::setSize(24);
    EXPECT_NEAR(engine.textWidth("M", style), 2 * one, 1.0f);
}

TEST_F(TextEngine, NothingIsMeasuredOrDrawnWithoutSize)
{
    AM_FontSettings::setSize(0);
    EXPECT_EQ(engine.textWidth("Text", style), 0.0f);
    Canvas canvas(40, 20);
    engine.drawLine(canvas.buffer, canvas.whole(), kBlack, "Text", 2, 15, 0, style);
    EXPECT_EQ(canvas.inkBounds().x1, -1);
}

TEST_F(TextEngine, MissingFontMeasuresZeroAndDrawsNothing)
{
    testsupport::TempDir empty;
    AM_FontSettings::reset();
    AM_FontSettings::setFolder(empty.path().c_str());
    AM_FontSettings::setSize(12);
    EXPECT_EQ(engine.textWidth("Text", style), 0.0f);
    Canvas canvas(40, 20);
    engine.drawLine(canvas.buffer, canvas.whole(), kBlack, "Text", 2, 15, 12, style);
    EXPECT_EQ(canvas.inkBounds().x1, -1);
    EXPECT_EQ(trace.standardOutput(), "No load font, arrrgh!\n");
    EXPECT_TRUE(trace.contains("Fontpath: " + empty.path() + "/Vera.ttf\n"));
}

TEST_F(TextEngine, SystemFontNamesResolveOrFallBackToTheDefaultFace)
{
    struct Case {
        const char* fontName;
        bool system;
    };
    for (const Case c :
         {Case{"#l_10646.ttf", false}, Case{"#Vera.ttf", true},
          Case{"#Bitstream Vera Sans Mono", true}, Case{"Arial.ttf", false}, Case{"#", false}}) {
        SCOPED_TRACE(c.fontName);
        AM_FontSettings::reset();
        AM_FontSettings::setFolder(veraFolder().c_str());
        AM_FontSettings::setSize(12);
        trace.clear();
        style.fontFileName = c.fontName;
        AM_TextEngine fresh;
        EXPECT_GT(fresh.textWidth("abc", style), 0.0f);
        Canvas canvas(40, 20);
        fresh.drawLine(canvas.buffer, canvas.whole(), kBlack, "abc", 2, 15, 12, style);
        EXPECT_NE(canvas.inkBounds().x1, -1);
        std::string systemPath;
        const std::string expected =
            c.system && platform::findSystemFontFile(c.fontName + 1, systemPath)
                ? systemPath
                : veraFolder() + "Vera.ttf";
        EXPECT_EQ(AM_FontSettings::fontPath(AM_FontSettings::FontUse::measuring), expected);
        EXPECT_EQ(AM_FontSettings::fontPath(AM_FontSettings::FontUse::drawing), expected);
        EXPECT_EQ(trace.text(), "Fontpath: " + expected + "\n");
    }
}

TEST_F(TextEngine, TheFirstResolutionStaysForTheProcess)
{
    EXPECT_GT(engine.textWidth("x", style), 0.0f);
    testsupport::TempDir other;
    AM_FontSettings::setFolder(other.path().c_str());
    style.fontFileName = "#Vera.ttf";
    AM_TextEngine second;
    EXPECT_GT(second.textWidth("x", style), 0.0f);
    EXPECT_EQ(AM_FontSettings::fontPath(AM_FontSettings::FontUse::measuring),
              veraFolder() + "Vera.ttf");
    EXPECT_EQ(AM_FontSettings::folder(), other.path() + "/");
}

TEST_F(TextEngine, DrawsOnTheBaselineAtThePixelSize)
{
    Canvas small(80, 60);
    engine.drawLine(small.buffer, small.whole(), kBlack, "HH", 10, 30, 12, style);
    const agg::rect_i a = small.inkBounds();
    ASSERT_NE(a.x1, -1);
    EXPECT_EQ(a.y2, 29); // the letters stand on the baseline
    EXPECT_GE(a.x1, 10);
    EXPECT_LE(a.x1, 12);

    Canvas large(80, 60);
    engine.drawLine(large.buffer, large.whole(), kBlack, "HH", 10, 30, 24, style);
    const agg::rect_i b = large.inkBounds();
    EXPECT_EQ(b.y2, 29);
    EXPECT_NEAR(b.y2 - b.y1 + 1, 2 * (a.y2 - a.y1 + 1), 1);
    EXPECT_NEAR(b.x2 - b.x1 + 1, 2 * (a.x2 - a.x1 + 1), 2);
}

TEST_F(TextEngine, EveryGlyphModeDrawsInsideTheClip)
{
    for (uint32_t mode : {0u, 1u, 2u, 3u, 4u, 9u}) {
        SCOPED_TRACE(mode);
        style.glyphMode = mode;
        style.gamma = 0.67f;
        AM_TextEngine fresh;
        Canvas canvas(60, 30);
        fresh.drawLine(canvas.buffer, agg::rect_i(0, 0, 13, 29), kBlack, "WWWW", 2, 20, 14, style);
        const agg::rect_i ink = canvas.inkBounds();
        EXPECT_NE(ink.x1, -1);
        EXPECT_LE(ink.x2, 13);
    }
}

// One engine keeps its font set up from text to text; a change of any
// setting between two texts must still reach the glyphs: each text in turn,
// after the one before it, matches what an engine drawing only it makes.
TEST_F(TextEngine, SettingsChangedBetweenTextsDrawAsAFreshEngineDoes)
{
    struct Case {
        uint32_t mode;
        bool hinting;
        float size;
    };
    constexpr Case kCases[] = {{kGlyphGrey, true, 12},       {kGlyphGrey, true, 12},
                               {kGlyphGrey, false, 12},      {kGlyphGrey, true, 17},
                               {kGlyphNativeMono, true, 17}, {kGlyphNativeGrey, true, 17},
                               {kGlyphOutline, true, 17},    {kGlyphGrey, true, 17},
                               {kGlyphMono, false, 9},       {kGlyphGrey, true, 12}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.hinting << " " << c.size);
        style.glyphMode = c.mode;
        style.hinting = c.hinting;
        AM_FontSettings::setSize(c.size);
        AM_TextEngine fresh;
        EXPECT_EQ(engine.textWidth("Wave 1", style), fresh.textWidth("Wave 1", style));
        Canvas reused(70, 30);
        Canvas alone(70, 30);
        engine.drawLine(reused.buffer, reused.whole(), kBlack, "Wave 1", 2.3, 21, c.size, style);
        fresh.drawLine(alone.buffer, alone.whole(), kBlack, "Wave 1", 2.3, 21, c.size, style);
        EXPECT_NE(reused.inkBounds().x1, -1);
        EXPECT_TRUE(reused.pixels == alone.pixels);
    }
}

// Regression: past 32 font sizes the glyph cache dropped its oldest font by
// copying overlapping memory.
TEST_F(TextEngine, ManyFontSizesKeepMeasuringAndDrawing)
{
    Canvas canvas(80, 60);
    float firstWidth = 0;
    for (int round = 0; round < 2; ++round)
        for (int size = 6; size < 50; ++size) {
            AM_FontSettings::setSize(float(size));
            const float width = engine.textWidth("Sizes", style);
            EXPECT_GT(width, 0.0f) << size;
            if (size == 6 && round == 0)
                firstWidth = width;
            if (size == 6 && round == 1) {
                EXPECT_EQ(width, firstWidth);
            }
            engine.drawLine(canvas.buffer, canvas.whole(), kBlack, "Sizes", 2, 40, size, style);
        }
}

TEST_F(TextEngine, PenStartsByAlignment)
{
    struct Case {
        int hAlign;
        bool vCentre;
        double x, y;
    };
    // Rectangle (10, 20, 100, 30), font size 12, a text 37.6 units wide.
    for (const Case c : {Case{kAlignLeft, false, 10, 32}, Case{kAlignCentre, false, 41.5, 32},
                         Case{kAlignRight, false, 73, 32}, Case{kAlignLeft, true, 10, 41},
                         Case{7, false, 10, 32}}) {
        double x = 0, y = 0;
        AM_TextEngine::penStart(10, 20, 100, 30, 12, 37.6f, c.hAlign, c.vCentre, x, y);
        EXPECT_DOUBLE_EQ(x, c.x) << c.hAlign;
        EXPECT_DOUBLE_EQ(y, c.y) << c.hAlign;
    }
}

TEST(TextCodePoints, Utf8DecodesAndOtherBytesStandForThemselves)
{
    struct Case {
        const char* text;
        std::vector<uint32_t> codes;
    };
    const std::vector<Case> cases = {
        {"Ab", {'A', 'b'}},
        {"L\xc3\xa9g", {'L', 0xe9, 'g'}},
        {"\xe2\x82\xac", {0x20ac}},
        {"\xf0\x9f\x8e\xb9", {0xfffd}},
        {"\xe9t\xe9", {0xe9, 't', 0xe9}},     // Latin-1 bytes
        {"\xc3", {0xc3}},                     // cut short
        {"\xc0\xaf", {0xc0, 0xaf}},           // overlong
        {"\xed\xa0\x80", {0xed, 0xa0, 0x80}}, // surrogate
        {"\xe2\x82", {0xe2, 0x82}},
    };
    for (const Case& c : cases) {
        const char* text = c.text;
        std::vector<uint32_t> codes;
        while (const uint32_t code = AM_TextEngine::nextCodePoint(text))
            codes.push_back(code);
        EXPECT_EQ(codes, c.codes) << c.text;
    }
}

} // namespace
