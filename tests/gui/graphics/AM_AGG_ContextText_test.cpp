#include "gui/graphics/AM_AGG_Context.h"
#include "gui/graphics/text/AM_FontSettings.h"

#include "GuiTestKit.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string veraFolder()
{
    const std::string path = KK_VERA_TTF;
    return path.substr(0, path.rfind('/') + 1);
}

class ContextText : public ::testing::Test {
protected:
    void SetUp() override
    {
        AM_FontSettings::reset();
        AM_FontSettings::setFolder(veraFolder().c_str());
    }
    void TearDown() override { AM_FontSettings::reset(); }
    testsupport::TraceCapture trace;
};

// The text card of the editor's look at zooms 1 and 2, in the pinned face:
// sizes, alignments, vertical centring, fitting, wrapping, UTF-8, clipping.
void drawCard(AM_AGG_Context& c)
{
    c.setColourPacked(0x24282eff);
    const AM_Rect whole{0, 0, 300, 160};
    c.fillRect(&whole);
    c.setColourPacked(0xe8e0d0ff);
    c.setFontSize(11);
    const AM_Rect title{8, 4, 284, 16};
    c.drawText("KestanK4  Filter Cutoff 1234.5 Hz", &title, 0, false);
    c.setColourPacked(0xf0a030ff);
    c.setFontSize(9);
    for (int align = 0; align < 3; ++align) {
        const AM_Rect cell{8.0f + 96 * align, 24, 90, 14};
        c.drawText(align == 0 ? "Left" : align == 1 ? "Centre" : "Right", &cell, align, false);
    }
    c.setColourPacked(0xe8e0d0ff);
    c.setFontSize(10);
    const AM_Rect centred{8, 40, 284, 24};
    c.drawText("Centred vertically", &centred, 1, true);
    const AM_Rect narrow{8, 66, 120, 14};
    c.drawText("A preset name far too long for its field", &narrow, 0, false);
    c.setFontSize(14);
    const AM_Rect big{8, 82, 284, 18};
    c.drawText("L\xc3\xa9g\xc3\xa8re \xe2\x82\xac AVATAR", &big, 0, false);
    c.setFontSize(9);
    const AM_Rect box{8, 104, 140, 52};
    c.drawTextBox("Word-wrapped text in a box of its own, line after line", &box, 0, 11);
    c.pushClip();
    const AM_Rect clip{160, 104, 60, 30};
    c.intersectClip(&clip);
    c.setFontSize(12);
    const AM_Rect clipped{160, 108, 140, 16};
    c.drawText("Clipped at 60 units", &clipped, 0, false);
    c.popClip();
}

TEST_F(ContextText, TextCardAtZoomsOneAndTwo)
{
    for (const float zoom : {1.0f, 2.0f}) {
        testsupport::HeadlessCanvas canvas(300, 160, zoom);
        canvas.begin();
        drawCard(canvas.context());
        EXPECT_EQ(canvas.compare("context_text_card_z" + std::to_string(int(zoom)), 40, 80), "");
    }
}

TEST_F(ContextText, MeasuringDoesNotDependOnTheZoom)
{
    testsupport::HeadlessCanvas one(100, 40, 1.0f);
    testsupport::HeadlessCanvas two(100, 40, 2.0f);
    one.context().setFontSize(12);
    const float width = one.context().getTextWidth("Resonance");
    EXPECT_GT(width, 30.0f);
    EXPECT_EQ(two.context().getTextWidth("Resonance"), width);

    // At zoom 2 the glyphs are twice as high.
    for (testsupport::HeadlessCanvas* canvas : {&one, &two}) {
        canvas->begin();
        const AM_Rect r{2, 2, 96, 30};
        canvas->context().drawText("HHH", &r, 0, false);
    }
    const auto a = one.inkBox();
    const auto b = two.inkBox();
    EXPECT_NEAR(b.y2 - b.y1 + 1, 2 * (a.y2 - a.y1 + 1), 1);
    EXPECT_EQ(a.y2, 13); // the baseline a font size below the top
}

TEST_F(ContextText, RightAlignmentStartsAtTheWholeFittedWidth)
{
    testsupport::HeadlessCanvas canvas(200, 40, 1.0f);
    canvas.begin();
    AM_AGG_Context& c = canvas.context();
    c.setFontSize(12);
    const float width = c.getTextWidth("IIII");
    const AM_Rect r{10, 5, 150, 20};
    c.drawText("IIII", &r, 2, false);
    const auto ink = canvas.inkBox();
    // The pen starts at x + w - trunc(width); the first I's stem a little
    // right of it.
    const int start = 10 + 150 - int(width);
    EXPECT_GE(ink.x1, start);
    EXPECT_LE(ink.x1, start + 3);
    EXPECT_LE(ink.x2, 160);
}

TEST_F(ContextText, NothingOutsideTheClipOrWithoutFont)
{
    testsupport::HeadlessCanvas canvas(100, 40, 1.0f);
    canvas.begin();
    AM_AGG_Context& c = canvas.context();
    c.setFontSize(12);
    const AM_Rect area{0, 0, 40, 40};
    c.intersectClip(&area);
    const AM_Rect outside{50, 5, 40, 20};
    c.drawText("Out", &outside, 0, false);
    EXPECT_EQ(canvas.inkCount(), 0);

    // No font file anywhere: nothing drawn, width 0, nothing breaks.
    AM_FontSettings::reset();
    AM_FontSettings::setFolder("/nonexistent/");
    testsupport::HeadlessCanvas bare(100, 40, 1.0f);
    bare.begin();
    bare.context().setFontSize(12);
    EXPECT_EQ(bare.context().getTextWidth("Text"), 0.0f);
    const AM_Rect r{2, 2, 90, 30};
    bare.context().drawText("Text", &r, 0, false);
    EXPECT_EQ(bare.inkCount(), 0);
    EXPECT_EQ(trace.standardOutput(), "No load font, arrrgh!\n");
}

// Labels whose bounds reach the ends of the int range: the rectangle meets
// the canvas, so the text is placed, but only glyphs that land on the canvas
// may be drawn; the rest are far away and must not reach the scanline code
// (whose int coordinates they would overflow). Every glyph mode, zooms 1 and 2.
TEST_F(ContextText, LabelsNearTheEndsOfTheIntRangeDrawOnlyWhatIsVisible)
{
    constexpr float kLow = -2147483648.0f;
    struct Case {
        AM_Rect r;
        int hAlign;
        bool vCentre;
        bool inked; // some of the text lands on the canvas
    };
    // At these magnitudes a float steps by 256 or 512, so the sizes below
    // are multiples of that.
    const Case cases[] = {
        {{kLow, 5, -kLow + 256, 20}, 0, false, false},         // starts far left
        {{kLow, 5, -kLow + 256, 20}, 2, false, true},          // ends at 256
        {{kLow, 5, -2 * kLow, 20}, 1, false, true},            // centred on 0
        {{0, 5, -2 * kLow, 20}, 2, false, false},              // ends far right
        {{5, kLow, 80, -kLow + 256}, 0, false, false},         // baseline far above
        {{5, 0, 80, -2 * kLow}, 0, true, false},               // baseline far below
        {{kLow, kLow, -2 * kLow, -2 * kLow}, 1, false, false}, // far above, centred across
    };
    for (const uint32_t mode : {uint32_t(kGlyphNativeMono), uint32_t(kGlyphNativeGrey),
                                uint32_t(kGlyphOutline), uint32_t(kGlyphGrey)}) {
        for (const float zoom : {1.0f, 2.0f}) {
            for (const Case& k : cases) {
                SCOPED_TRACE(testing::Message() << "mode " << mode << " zoom " << zoom << " at "
                                                << k.r.x << "," << k.r.y << " align " << k.hAlign);
                testsupport::HeadlessCanvas canvas(300, 40, zoom);
                canvas.begin();
                AM_AGG_Context& c = canvas.context();
                c.setGlyphMode(mode);
                c.setFontSize(12);
                c.drawText("Wide label", &k.r, k.hAlign, k.vCentre);
                EXPECT_EQ(canvas.inkCount() > 0, k.inked);
            }
        }
    }
}

} // namespace
