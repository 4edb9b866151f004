#include "gui/graphics/AM_AGG_Context.h"

#include "AllocationCounter.h"
#include "GuiTestKit.h"
#include "TestCard.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

using testsupport::HeadlessCanvas;

namespace {

constexpr uint32_t kBlack = 0xFF000000u; // as HeadlessCanvas::pixel reads it
constexpr float kZooms[] = {1.0f, 1.5f, 2.0f};

} // namespace

TEST(AggContext, ConstructionAndBaseClip)
{
    AM_AGG_Context context(nullptr);
    EXPECT_EQ(context.getGlyphMode(), 4u);
    EXPECT_EQ(context.getTextGamma(), 0.67f);
    EXPECT_STREQ(context.getFontFileName(), "#l_10646.ttf");
    EXPECT_EQ(context.colour8().a, 255);
    EXPECT_EQ(context.bufferWidth(), 0);
    const AM_Rect nothing{0, 0, 10, 10};
    context.fillRect(&nothing); // no back buffer yet: nothing happens
    context.blitToWindow(&nothing);

    const AM_Rect canvas{0, 0, 200, 100};
    context.setCanvas(&canvas);
    context.setZoom(2.0f, 0, 0);
    context.beginDraw();
    const AM_Rect& clip = context.currentClip();
    EXPECT_EQ(clip.x, 0);
    EXPECT_EQ(clip.y, 0);
    EXPECT_EQ(clip.w, 100);
    EXPECT_EQ(clip.h, 50);
    const agg::rect_i box = context.pixelClipBox();
    EXPECT_EQ(box.x1, 0);
    EXPECT_EQ(box.x2, 199);
    EXPECT_EQ(box.y2, 99);
}

TEST(AggContext, ZoomThatIsNotAPositiveNumberIsRefused)
{
    testsupport::TraceCapture trace;
    AM_AGG_Context context(nullptr);
    for (float zoom : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity()}) {
        context.setZoom(zoom, 10, 10);
        EXPECT_EQ(context.getZoom(), 1.0f);
    }
    EXPECT_EQ(context.bufferWidth(), 0);
    EXPECT_NE(trace.text().find("zoom refused"), std::string::npos);
}

TEST(AggContext, ColoursToBytes)
{
    AM_AGG_Context context(nullptr);
    context.setColourPacked(0x80402010);
    EXPECT_EQ(context.colour8().r, 128);
    EXPECT_EQ(context.colour8().g, 64);
    EXPECT_EQ(context.colour8().b, 32);
    EXPECT_EQ(context.colour8().a, 16);
    context.setColour(0.5f, 0.0019f, 2.0f, -1.0f); // nearest byte, kept in range
    EXPECT_EQ(context.colour8().r, 128);
    EXPECT_EQ(context.colour8().g, 0);
    EXPECT_EQ(context.colour8().b, 255);
    EXPECT_EQ(context.colour8().a, 0);
    const float array[4] = {1, 1, 0, 1};
    context.setColourFromArray(array);
    EXPECT_EQ(context.colour8().g, 255);
}

TEST(AggContext, RectanglesCoverWholeUnitsAtEveryZoom)
{
    struct Case {
        const char* what;
        bool frame;
        AM_Rect r;
        float zoom;
        int x1, y1, x2, y2;
    };
    const Case cases[] = {
        {"fill z1", false, {10, 10, 5, 5}, 1.0f, 10, 10, 14, 14},
        {"fill z1.5", false, {10, 10, 5, 5}, 1.5f, 15, 15, 21, 21},
        {"fill z2", false, {10, 10, 5, 5}, 2.0f, 20, 20, 29, 29},
        {"frame z1", true, {10, 10, 5, 5}, 1.0f, 10, 10, 15, 15},
        // Sides one unit thick: the far side covers the unit at the corner.
        {"frame z1.5", true, {10, 10, 5, 5}, 1.5f, 15, 15, 23, 23},
        {"frame z2", true, {10, 10, 5, 5}, 2.0f, 20, 20, 31, 31},
        {"fractional fill z1", false, {10.7f, 0, 5.9f, 1}, 1.0f, 10, 0, 14, 0},
        {"fractional fill z2", false, {10.7f, 0.2f, 5.9f, 1.9f}, 2.0f, 20, 0, 29, 1},
        {"negative origin cut by the clip", false, {-5, -5, 10, 10}, 1.0f, 0, 0, 4, 4},
    };
    for (const Case& c : cases) {
        HeadlessCanvas canvas(60, 40, c.zoom);
        canvas.context().setColourPacked(0x000000FF);
        if (c.frame)
            canvas.context().frameRect(&c.r);
        else
            canvas.context().fillRect(&c.r);
        const HeadlessCanvas::Box box = canvas.inkBox();
        EXPECT_EQ(box.x1, c.x1) << c.what;
        EXPECT_EQ(box.y1, c.y1) << c.what;
        EXPECT_EQ(box.x2, c.x2) << c.what;
        EXPECT_EQ(box.y2, c.y2) << c.what;
        if (!c.frame)
            EXPECT_EQ(canvas.inkCount(), (c.x2 - c.x1 + 1) * (c.y2 - c.y1 + 1)) << c.what;
        else
            EXPECT_TRUE(canvas.isWhite((c.x1 + c.x2) / 2, (c.y1 + c.y2) / 2)) << c.what;
        EXPECT_EQ(canvas.pixel(c.x1, c.y1), kBlack) << c.what;
    }
}

// A frame inset by half a unit, as controls draw their borders, is the
// outermost unit of the control's fill at every zoom: as thick as a unit,
// nothing of the fill outside it, every pixel of it solid.
TEST(AggContext, AnInsetFrameIsTheOutermostUnitOfItsFill)
{
    constexpr uint32_t kRed = 0xFFFF0000u;
    constexpr uint32_t kBlue = 0xFF0000FFu;
    for (const float zoom : {1.0f, 2.0f}) {
        HeadlessCanvas canvas(60, 40, zoom);
        const AM_Rect bounds{4, 6, 20, 12};
        canvas.context().setColourPacked(0x0000FFFF);
        canvas.context().fillRect(&bounds);
        canvas.context().setColourPacked(0xFF0000FF);
        const AM_Rect frame{bounds.x + 0.5f, bounds.y + 0.5f, bounds.w - 1, bounds.h - 1};
        canvas.context().frameRect(&frame);
        const int z = int(zoom);
        const int x1 = 4 * z, y1 = 6 * z, x2 = 24 * z - 1, y2 = 18 * z - 1;
        EXPECT_EQ(canvas.inkBox().x1, x1) << zoom;
        EXPECT_EQ(canvas.inkBox().x2, x2) << zoom;
        EXPECT_EQ(canvas.inkBox().y2, y2) << zoom;
        for (int k = 0; k < z; ++k) {
            const int midY = (y1 + y2) / 2;
            const int midX = (x1 + x2) / 2;
            EXPECT_EQ(canvas.pixel(x1 + k, midY), kRed) << zoom << " left " << k;
            EXPECT_EQ(canvas.pixel(x2 - k, midY), kRed) << zoom << " right " << k;
            EXPECT_EQ(canvas.pixel(midX, y1 + k), kRed) << zoom << " top " << k;
            EXPECT_EQ(canvas.pixel(midX, y2 - k), kRed) << zoom << " bottom " << k;
        }
        EXPECT_EQ(canvas.pixel(x1 + z, y1 + z), kBlue) << zoom;
        EXPECT_EQ(canvas.pixel(x2 - z, y2 - z), kBlue) << zoom;
    }
    // A see-through frame is blended once, corners included.
    HeadlessCanvas canvas(60, 40, 2.0f);
    canvas.context().setColourPacked(0x00000080);
    const AM_Rect frame{10, 10, 5, 5};
    canvas.context().frameRect(&frame);
    EXPECT_EQ(canvas.pixel(20, 20), canvas.pixel(25, 20));
    EXPECT_EQ(canvas.pixel(31, 31), canvas.pixel(31, 25));
}

TEST(AggContext, ReversedOrEmptyRectanglesDrawNothing)
{
    const AM_Rect rects[] = {{10, 10, 0, 5},      {10, 10, 5, 0},    {10, 10, -3, 5},
                             {10, 10, 5, -3},     {10, 10, 0.9f, 5}, {NAN, 10, 5, 5},
                             {10, 10, 1e30f, NAN}};
    for (float zoom : kZooms) {
        for (const AM_Rect& r : rects) {
            HeadlessCanvas canvas(60, 40, zoom);
            canvas.context().fillRect(&r);
            canvas.context().frameRect(&r);
            EXPECT_EQ(canvas.inkCount(), 0) << r.x << " " << r.w << " " << r.h << " z" << zoom;
        }
    }
    // Half a pixel at zoom 0.5 rounds to nothing rather than turning round.
    HeadlessCanvas small(60, 40, 0.5f);
    const AM_Rect unit{10, 10, 1, 1};
    small.context().fillRect(&unit);
    EXPECT_EQ(small.inkCount(), 0);
}

TEST(AggContext, HugeRectanglesAreCutToTheBuffer)
{
    HeadlessCanvas canvas(30, 20, 2.0f);
    const AM_Rect huge{-1e30f, -1e30f, 3e30f, 3e30f};
    canvas.context().fillRect(&huge);
    EXPECT_EQ(canvas.inkCount(), 60 * 40);
}

TEST(AggContext, AlphaBlendsRectangles)
{
    HeadlessCanvas canvas(20, 20, 1.0f);
    canvas.context().setColourPacked(0x00000080);
    const AM_Rect r{0, 0, 10, 10};
    canvas.context().fillRect(&r);
    const uint32_t grey = canvas.pixel(5, 5) & 0xFF;
    EXPECT_GE(grey, 126u);
    EXPECT_LE(grey, 128u);
    EXPECT_EQ(canvas.pixel(5, 5) >> 24, 0xFFu); // the buffer stays opaque
}

TEST(AggContext, ClipBoxes)
{
    HeadlessCanvas canvas(100, 50, 1.0f);
    AM_AGG_Context& context = canvas.context();
    const AM_Rect all{0, 0, 100, 50};

    // A clip that only touches the right edge of the canvas leaves nothing.
    context.pushClip();
    const AM_Rect outside{100, 0, 20, 50};
    context.intersectClip(&outside);
    EXPECT_EQ(context.currentClip().w, 0);
    context.fillRect(&all);
    EXPECT_EQ(canvas.inkCount(), 0);
    context.popClip();

    // A clip with no area in the middle of the canvas draws nothing either.
    context.pushClip();
    const AM_Rect left{0, 0, 30, 50};
    const AM_Rect right{30, 0, 30, 50};
    context.intersectClip(&left);
    context.intersectClip(&right);
    EXPECT_EQ(context.currentClip().x, 30);
    EXPECT_EQ(context.currentClip().w, 0);
    context.fillRect(&all);
    EXPECT_EQ(canvas.inkCount(), 0);
    context.popClip();

    // Touching clips side by side: each includes its right edge column,
    // so the later one draws over the shared column.
    context.pushClip();
    context.intersectClip(&left);
    context.setColourPacked(0xFF0000FF);
    context.fillRect(&all);
    context.popClip();
    context.pushClip();
    context.intersectClip(&right);
    context.setColourPacked(0x0000FFFF);
    context.fillRect(&all);
    context.popClip();
    EXPECT_EQ(canvas.pixel(29, 10), 0xFFFF0000u);
    EXPECT_EQ(canvas.pixel(30, 10), 0xFF0000FFu);
    EXPECT_EQ(canvas.pixel(60, 10), 0xFF0000FFu);
    EXPECT_TRUE(canvas.isWhite(61, 10));

    // An antialiased shape is cut by the clip too.
    HeadlessCanvas round(100, 50, 2.0f);
    const AM_Rect half{0, 0, 25, 50};
    round.context().intersectClip(&half);
    const float centre[2] = {25, 25};
    round.context().fillRingSegment(centre, 0, 20, 0, 360);
    EXPECT_EQ(round.inkBox().x2, 50);
}

TEST(AggContext, ClipStackStaysBalanced)
{
    testsupport::TraceCapture trace;
    HeadlessCanvas canvas(100, 50, 1.0f);
    AM_AGG_Context& context = canvas.context();
    const AM_Rect base = context.currentClip();
    for (int twice = 0; twice < 2; ++twice) {
        context.pushClip();
        const AM_Rect r{10, 10, 50, 20};
        context.intersectClip(&r);
    }
    context.popClip();
    context.popClip();
    EXPECT_EQ(context.currentClip().w, base.w);
    context.popClip(); // one too many: the base clip stays
    EXPECT_EQ(context.currentClip().w, base.w);
    EXPECT_EQ(context.clipDepth(), 0u);

    // Twelve nested pushes: the ones beyond the stack are refused with a
    // trace line, and so are their pops; the outer pops restore as before.
    for (int i = 0; i < 12; ++i) {
        context.pushClip();
        const AM_Rect r{static_cast<float>(i), 0, 100, 50};
        context.intersectClip(&r);
    }
    EXPECT_EQ(context.clipDepth(), 7u);
    EXPECT_NE(trace.text().find("clip stack full"), std::string::npos);
    for (int i = 0; i < 12; ++i)
        context.popClip();
    EXPECT_EQ(context.currentClip().x, base.x);
    EXPECT_EQ(context.currentClip().w, base.w);
    EXPECT_EQ(context.clipDepth(), 0u);
}

TEST(AggContext, CircleAndRingShapes)
{
    for (float zoom : kZooms) {
        HeadlessCanvas canvas(100, 100, zoom);
        AM_AGG_Context& context = canvas.context();
        context.setColourPacked(0x000000FF);
        const float centre[2] = {50, 50};
        context.drawCircle(centre, 30, 2);
        auto inked = [&](float x, float y) {
            return !canvas.isWhite(static_cast<int>(x * zoom), static_cast<int>(y * zoom));
        };
        EXPECT_TRUE(inked(50, 80)) << zoom;
        EXPECT_TRUE(inked(80, 50)) << zoom;
        EXPECT_TRUE(inked(50, 20)) << zoom;
        EXPECT_TRUE(inked(20, 50)) << zoom;
        EXPECT_TRUE(inked(71.2f, 28.8f)) << zoom; // on the diagonal, r * 0.707
        EXPECT_FALSE(inked(50, 50)) << zoom;
        EXPECT_FALSE(inked(50, 84)) << zoom;
        EXPECT_FALSE(inked(50, 76)) << zoom;

        // A quarter ring from straight up to the right.
        HeadlessCanvas ring(100, 100, zoom);
        ring.context().fillRingSegment(centre, 20, 40, 0, 90);
        auto ringInked = [&](float x, float y) {
            return !ring.isWhite(static_cast<int>(x * zoom), static_cast<int>(y * zoom));
        };
        EXPECT_TRUE(ringInked(51, 15)) << zoom;  // up, between the radii
        EXPECT_TRUE(ringInked(85, 49)) << zoom;  // right
        EXPECT_TRUE(ringInked(71, 29)) << zoom;  // 45 degrees
        EXPECT_FALSE(ringInked(60, 40)) << zoom; // inside the inner radius
        EXPECT_FALSE(ringInked(49, 15)) << zoom; // left of the first edge
        EXPECT_FALSE(ringInked(85, 51)) << zoom; // below the second edge
        EXPECT_FALSE(ringInked(80, 20)) << zoom; // beyond the outer radius
        const HeadlessCanvas::Box box = ring.inkBox();
        EXPECT_NEAR(box.x1, 50 * zoom, 1);
        EXPECT_NEAR(box.y2, 50 * zoom, 1);
        EXPECT_NEAR(box.x2, 90 * zoom, 1);
        EXPECT_NEAR(box.y1, 10 * zoom, 1);
    }
}

TEST(AggContext, LinesPolylinesAndPolygons)
{
    HeadlessCanvas canvas(100, 60, 2.0f);
    AM_AGG_Context& context = canvas.context();
    const float p0[2] = {10, 10};
    const float p1[2] = {90, 10};
    context.drawLine(p0, p1, 4); // 8 pixels wide at zoom 2
    const HeadlessCanvas::Box box = canvas.inkBox();
    EXPECT_EQ(box.x1, 20);
    EXPECT_EQ(box.x2, 179);
    EXPECT_EQ(box.y1, 16);
    EXPECT_EQ(box.y2, 23);

    HeadlessCanvas polygon(100, 60, 1.0f);
    const float triangle[6] = {10, 10, 50, 10, 10, 50};
    polygon.context().fillPolygon(triangle, 3);
    EXPECT_FALSE(polygon.isWhite(15, 15));
    EXPECT_TRUE(polygon.isWhite(40, 40));
    const float open[6] = {60, 10, 90, 10, 90, 40};
    polygon.context().drawPolyline(open, 3, 2, false);
    EXPECT_FALSE(polygon.isWhite(90, 25));
    EXPECT_TRUE(polygon.isWhite(75, 25)); // not closed: no diagonal
    polygon.context().drawPolyline(open, 3, 2, true);
    EXPECT_FALSE(polygon.isWhite(75, 25));
}

TEST(AggContext, BadGeometryDrawsNothingAndNeverCrashes)
{
    HeadlessCanvas canvas(100, 60, 1.5f);
    AM_AGG_Context& context = canvas.context();
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float withNan[6] = {10, 10, nan, 20, 30, 30};
    context.fillPolygon(withNan, 3);
    context.drawPolyline(withNan, 3, 2, true);
    context.drawPolyline(nullptr, 3, 2, true);
    context.fillPolygon(withNan, -4);
    const float triangle[6] = {10, 10, 40, 10, 10, 40};
    context.drawPolyline(triangle, 3, nan, true);
    context.drawPolyline(triangle, 3, -2, true);
    const float a[2] = {inf, 0};
    const float b[2] = {10, 10};
    context.drawLine(a, b, 2);
    context.drawLine(nullptr, b, 2);
    const float centre[2] = {50, 30};
    context.fillRingSegment(centre, nan, 20, 0, 90);
    context.fillRingSegment(nullptr, 10, 20, 0, 90);
    EXPECT_EQ(canvas.inkCount(), 0);

    // Absurd but finite values are drawn as far as they reach.
    const float far[2] = {1e30f, 1e30f};
    context.drawLine(b, far, 1e20f);
    context.fillRingSegment(centre, 10, 20, -1e30f, 1e30f);
    const float huge[6] = {-1e35f, -1e35f, 1e35f, 0, 0, 1e35f};
    context.fillPolygon(huge, 3);
    EXPECT_GT(canvas.inkCount(), 0);
}

TEST(AggContext, Gradients)
{
    HeadlessCanvas canvas(100, 20, 1.0f);
    const float box[8] = {0, 0, 100, 0, 100, 20, 0, 20};
    const float from[2] = {0, 0};
    const float to[2] = {100, 0};
    canvas.context().fillPolygonGradient(box, 4, from, to, 0x000000FF, 0xFFFFFFFF);
    int previous = -1;
    for (int x = 0; x < 100; x += 5) {
        const int level = static_cast<int>(canvas.pixel(x, 10) & 0xFF);
        EXPECT_GE(level, previous) << x;
        previous = level;
    }
    EXPECT_LE(canvas.pixel(0, 10) & 0xFF, 4u);
    EXPECT_NEAR(static_cast<int>(canvas.pixel(50, 10) & 0xFF), 128, 4);
    EXPECT_GE(canvas.pixel(99, 10) & 0xFF, 250u);
    EXPECT_EQ(canvas.pixel(50, 2), canvas.pixel(50, 18)); // constant across

    // From and to at one point: the end colour.
    HeadlessCanvas point(20, 20, 2.0f);
    point.context().fillPolygonGradient(box, 4, from, from, 0x000000FF, 0x0000FFFF);
    EXPECT_EQ(point.pixel(10, 10), 0xFF0000FFu);
}

TEST(AggContext, CanvasOfTheSameSizeKeepsItsContents)
{
    HeadlessCanvas canvas(50, 40, 1.0f);
    AM_AGG_Context& context = canvas.context();
    const AM_Rect r{0, 0, 10, 10};
    context.fillRect(&r);
    const AM_Rect same{0, 0, 50, 40};
    context.setCanvas(&same);
    EXPECT_EQ(canvas.pixel(5, 5), kBlack);
    const AM_Rect larger{0, 0, 60, 40};
    context.setCanvas(&larger);
    EXPECT_EQ(context.bufferWidth(), 60);
    EXPECT_TRUE(canvas.isWhite(5, 5));
    const AM_Rect cut{0, 0, 1e9f, -4};
    context.setCanvas(&cut);
    EXPECT_EQ(context.bufferWidth(), kMaxCanvasSide);
    EXPECT_EQ(context.bufferHeight(), 0);
    context.beginDraw();
    context.fillRect(&r); // no rows: nothing to draw into
}

TEST(AggContext, BlitCopiesWholePixelsRoundedOutward)
{
    struct Case {
        float zoom;
        AM_Rect r;
        int x, y, w, h;
    };
    const Case cases[] = {
        {1.0f, {10, 5, 20, 10}, 10, 5, 20, 10}, {2.0f, {10, 5, 20, 10}, 20, 10, 40, 20},
        {1.5f, {1, 1, 3, 3}, 1, 1, 5, 5},       {1.5f, {1.1f, 0.5f, 2.2f, 1}, 1, 0, 4, 3},
        {1.5f, {-4, -4, 6, 6}, 0, 0, 3, 3},
    };
    for (const Case& c : cases) {
        HeadlessCanvas canvas(60, 40, c.zoom);
        canvas.context().setColourPacked(0x336699FF);
        const AM_Rect all{0, 0, 60, 40};
        canvas.context().fillRect(&all);
        canvas.context().blitToWindow(&c.r);
        const platform::HeadlessSurface& surface = canvas.surface();
        ASSERT_EQ(surface.presentCount(), 1);
        int x1 = surface.width(), y1 = surface.height(), x2 = -1, y2 = -1;
        for (int y = 0; y < surface.height(); ++y)
            for (int x = 0; x < surface.width(); ++x)
                if (surface.pixel(x, y) != 0xFFFFFFFFu) {
                    EXPECT_EQ(surface.pixel(x, y), 0xFF336699u);
                    x1 = std::min(x1, x);
                    y1 = std::min(y1, y);
                    x2 = std::max(x2, x);
                    y2 = std::max(y2, y);
                }
        EXPECT_EQ(x1, c.x) << c.zoom << " " << c.r.x;
        EXPECT_EQ(y1, c.y) << c.zoom << " " << c.r.x;
        EXPECT_EQ(x2 - x1 + 1, c.w) << c.zoom << " " << c.r.x;
        EXPECT_EQ(y2 - y1 + 1, c.h) << c.zoom << " " << c.r.x;
    }

    HeadlessCanvas canvas(60, 40, 1.0f);
    const AM_Rect empty{10, 10, 0, 5};
    const AM_Rect reversed{10, 10, -5, 5};
    const AM_Rect outside{100, 100, 5, 5};
    canvas.context().blitToWindow(&empty);
    canvas.context().blitToWindow(&reversed);
    canvas.context().blitToWindow(&outside);
    EXPECT_EQ(canvas.surface().presentCount(), 0);
    canvas.context().setWindow(nullptr);
    const AM_Rect some{0, 0, 5, 5};
    canvas.context().blitToWindow(&some);
}

TEST(AggContext, TestCardMatchesItsReference)
{
    constexpr float kWidth = 480;
    constexpr float kHeight = 240;
    for (float zoom : {1.0f, 2.0f}) {
        HeadlessCanvas canvas(kWidth, kHeight, zoom);
        drawTestCard(canvas.context(), kWidth, kHeight);
        canvas.present();
        const std::string name = zoom == 1.0f ? "test_card_z1" : "test_card_z2";
        EXPECT_EQ(canvas.compare(name, 2), "");
        // What reached the surface is the frame as drawn.
        const platform::HeadlessSurface& surface = canvas.surface();
        for (int y = 0; y < surface.height(); y += 7)
            for (int x = 0; x < surface.width(); x += 5)
                ASSERT_EQ(surface.pixel(x, y), canvas.pixel(x, y)) << x << "," << y;
    }
}

TEST(AggContext, RedrawingAllocatesNothing)
{
    HeadlessCanvas canvas(480, 240, 1.5f);
    drawTestCard(canvas.context(), 480, 240); // the buffers grow here
    canvas.present();
    testsupport::AllocationCounter allocations;
    drawTestCard(canvas.context(), 480, 240);
    canvas.present();
    EXPECT_EQ(allocations.count(), 0u);
}

TEST(GuiTestKit, AMismatchIsDescribedAndLeavesActualAndDifferencePictures)
{
    if (std::getenv("KK_UPDATE_GOLDEN") != nullptr)
        GTEST_SKIP() << "references are being rewritten";
    HeadlessCanvas blank(480, 240, 1.0f);
    const std::string message = blank.compare("test_card_z1", 2);
    EXPECT_NE(message.find("pixels differ"), std::string::npos) << message;
    testsupport::BgraPicture actual, difference;
    ASSERT_TRUE(testsupport::readPng("test_card_z1.actual.png", actual));
    ASSERT_TRUE(testsupport::readPng("test_card_z1.diff.png", difference));
    EXPECT_EQ(actual.width, 480);
    EXPECT_EQ(difference.height, 240);
    EXPECT_EQ(actual.pixels[0], 255); // the blank picture as drawn
    // The panel's corner differs: pure red in the difference picture.
    EXPECT_EQ(difference.pixels[0], 0);
    EXPECT_EQ(difference.pixels[2], 255);
    std::remove("test_card_z1.actual.png");
    std::remove("test_card_z1.diff.png");

    // Within the tolerance, or with enough pixels allowed off, it matches.
    HeadlessCanvas card(480, 240, 1.0f);
    drawTestCard(card.context(), 480, 240);
    const AM_Rect dot{100, 100, 1, 1};
    card.context().setColourPacked(0x00FF00FF);
    card.context().fillRect(&dot);
    EXPECT_NE(card.compare("test_card_z1", 2), "");
    EXPECT_EQ(card.compare("test_card_z1", 2, 1), "");
    EXPECT_EQ(card.compare("test_card_z1", 255), "");
    std::remove("test_card_z1.actual.png");
    std::remove("test_card_z1.diff.png");
}
