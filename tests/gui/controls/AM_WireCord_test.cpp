#include "gui/controls/AM_WireCord.h"
#include "gui/graphics/AM_Colour.h"

#include "GuiTestKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

struct Cord {
    float points[2 * kWireRoomPoints] = {};
    int count = 0;
    Cord(float x0, float y0, float x1, float y1)
    {
        const float a[2] = {x0, y0};
        const float b[2] = {x1, y1};
        wireCurve(points, a, b, &count);
    }
    float x(int i) const { return points[2 * i]; }
    float y(int i) const { return points[2 * i + 1]; }
};

class WireCordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetWireColours();
        AM_Colour::resetColourCounter();
    }
    void TearDown() override { resetWireColours(); }
};

} // namespace

TEST_F(WireCordTest, PointCountGrowsWithLengthBetweenEightAndSixtyFour)
{
    struct Case {
        float x0, y0, x1, y1;
        int count;
    };
    const Case cases[] = {
        {0, 0, 400, 0, 40},   {10, 10, 10, 30, 8}, {0, 0, 0, 0, 8},     {0, 0, 5000, 900, 64},
        {0, 0, 79, 0, 8},     {0, 0, 90, 0, 9},    {0, 0, 300, 400, 50}, {0, 0, 639, 0, 63},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Cord(c.x0, c.y0, c.x1, c.y1).count, c.count) << c.x1 << "," << c.y1;
}

TEST_F(WireCordTest, CordRunsFromTheUpperEndAndSagsBelowTheLowerOne)
{
    // U = (0, 0), L = (300, 100): length 316.2, 31 points, control point
    // (150, min(316.2, 160)); the middle sample is U/4 + C/2 + L/4.
    const Cord cord(300, 100, 0, 0);
    ASSERT_EQ(cord.count, 31);
    EXPECT_EQ(cord.x(0), 0.0f);
    EXPECT_EQ(cord.y(0), 0.0f);
    EXPECT_FLOAT_EQ(cord.x(15), 150.0f);
    EXPECT_FLOAT_EQ(cord.y(15), 105.0f);
    EXPECT_FLOAT_EQ(cord.x(30), 300.0f);
    EXPECT_FLOAT_EQ(cord.y(30), 100.0f);

    // Level ends: the cord starts at the end given second.
    const Cord level(0, 50, 200, 50);
    EXPECT_EQ(level.x(0), 200.0f);
    float lowest = 0;
    for (int i = 0; i < level.count; ++i)
        lowest = std::max(lowest, level.y(i));
    EXPECT_LE(lowest, 50.0f + 60.0f);
    EXPECT_GT(lowest, 50.0f + 25.0f) << "a long level cord sags";

    // Same x: a straight line.
    const Cord straight(40, 100, 40, 10);
    for (int i = 0; i < straight.count; ++i) {
        EXPECT_EQ(straight.x(i), 40.0f);
        EXPECT_FLOAT_EQ(straight.y(i), 10.0f + 90.0f * float(i) / float(straight.count - 1));
    }
}

TEST_F(WireCordTest, EndsThatAreNotFiniteGiveNoPoints)
{
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(Cord(NAN, 0, 10, 10).count, 0);
    EXPECT_EQ(Cord(0, 0, 10, inf).count, 0);
    EXPECT_EQ(Cord(-3e38f, 0, 3e38f, 0).count, 0) << "too far apart to measure";
    const float a[2] = {0, 0};
    EXPECT_EQ(wireCurve(nullptr, a, a, nullptr), 0);
}

TEST_F(WireCordTest, BoundsFloorTheCornerAndCeilTheSpans)
{
    const float points[] = {10.6f, 20.2f, 30.1f, 5.9f, 12.0f, 40.5f};
    AM_Rect r;
    pointsBounds(&r, points, 3);
    EXPECT_EQ(r.x, 10.0f);
    EXPECT_EQ(r.y, 5.0f);
    EXPECT_EQ(r.w, 20.0f); // ceil(30.1 - 10.6)
    EXPECT_EQ(r.h, 35.0f); // ceil(40.5 - 5.9)
    pointsBounds(&r, points, 0);
    EXPECT_EQ(r.w, 0.0f);
}

TEST_F(WireCordTest, VisibleRangeWidensByOnePointEachWay)
{
    // Ten points along y = 0 at x = 0, 10, ... 90.
    float points[20];
    for (int i = 0; i < 10; ++i) {
        points[2 * i] = float(10 * i);
        points[2 * i + 1] = 0;
    }
    struct Case {
        AM_Rect dirty;
        bool visible;
        int first, last;
    };
    const Case cases[] = {
        {{35, -5, 10, 10}, true, 1, 7},    // points 2..6 within 20: widened to 1..7
        {{0, 0, 0, 0}, true, 0, 3},        // 0..2, first held at 0
        {{110, 0, 5, 5}, true, 8, 9},      // only point 9 (x 90 = 110 - 20, inclusive)
        {{111, 0, 5, 5}, false, -1, -1},   // more than 20 away
        {{40, 21, 5, 5}, false, -1, -1},   // 21 below
        {{40, 20, 5, 5}, true, 1, 7},      // exactly 20 below
    };
    for (const Case& c : cases) {
        int first = -1, last = -1;
        EXPECT_EQ(visibleRange(&c.dirty, points, 10, &first, &last), c.visible) << c.dirty.x;
        EXPECT_EQ(first, c.first) << c.dirty.x;
        EXPECT_EQ(last, c.last) << c.dirty.x;
    }
}

TEST_F(WireCordTest, StylesAndTheirNames)
{
    const char* names[] = {"thick and solid", "thick and see thru", "slim and solid",
                           "slim and see thru", "line"};
    for (int s = 0; s < kWireStyleCount; ++s)
        EXPECT_STREQ(wireStyleName(s), names[s]);
    EXPECT_EQ(wireStyleName(5), nullptr);
    EXPECT_EQ(wireStyleName(-1), nullptr);
}

TEST_F(WireCordTest, ColoursFollowTheCordAndTheStyle)
{
    testsupport::HeadlessCanvas canvas(100, 60, 1.0f);
    canvas.begin();
    const Cord cord(10, 10, 90, 40);
    const AM_Rect all{0, 0, 100, 60};
    AM_Colour red(nullptr, "red", 0xFF0000FFu);
    EXPECT_EQ(wireEdgeColour()->getPacked(), 0x000000FFu);

    drawWire(&all, &canvas.context(), cord.points, cord.count, &red, kWireThickSeeThrough);
    EXPECT_EQ(wireWorkingColour()->getPacked(), 0xFF00007Fu);
    EXPECT_EQ(wireEdgeColour()->getPacked(), 0x0000007Fu);
    // A solid style after a see-through one is solid again to its edges.
    drawWire(&all, &canvas.context(), cord.points, cord.count, &red, kWireThickSolid);
    EXPECT_EQ(wireWorkingColour()->getPacked(), 0xFF0000FFu);
    EXPECT_EQ(wireEdgeColour()->getPacked(), 0x000000FFu);
    // Without a cord colour the previous one stays.
    drawWire(&all, &canvas.context(), cord.points, cord.count, nullptr, kWireSlimSolid);
    EXPECT_EQ(wireWorkingColour()->getPacked(), 0xFF0000FFu);
}

TEST_F(WireCordTest, RepaintsFarFromTheCordDrawNothing)
{
    testsupport::HeadlessCanvas canvas(200, 100, 1.0f);
    canvas.begin();
    const Cord cord(10, 10, 60, 30);
    AM_Colour blue(nullptr, "blue", 0x2040FFFFu);
    const AM_Rect far{150, 70, 20, 20};
    for (int style = 0; style < kWireStyleCount; ++style)
        drawWire(&far, &canvas.context(), cord.points, cord.count, &blue, style);
    EXPECT_EQ(canvas.inkCount(), 0);
    const AM_Rect near{40, 30, 10, 10};
    drawWire(&near, &canvas.context(), cord.points, cord.count, &blue, kWireThickSolid);
    EXPECT_GT(canvas.inkCount(), 0);
    drawWire(&near, &canvas.context(), cord.points, 0, &blue, kWireThickSolid);
    drawWire(&near, &canvas.context(), nullptr, 5, &blue, kWireThickSolid);
    drawWire(&near, nullptr, cord.points, cord.count, &blue, kWireThickSolid);
}

TEST_F(WireCordTest, SeeThroughCordsShowTheCordBelow)
{
    const auto centreOfCrossing = [](int style) {
        testsupport::HeadlessCanvas canvas(100, 100, 1.0f);
        canvas.begin();
        canvas.clear(0xFFFFFFFFu);
        const AM_Rect all{0, 0, 100, 100};
        AM_Colour green(nullptr, "green", 0x00FF00FFu);
        AM_Colour red(nullptr, "red", 0xFF0000FFu);
        const Cord vertical(50, 5, 50, 95);
        const Cord horizontal(5, 50, 95, 50);
        drawWire(&all, &canvas.context(), vertical.points, vertical.count, &green, kWireThickSolid);
        drawWire(&all, &canvas.context(), horizontal.points, horizontal.count, &red, style);
        // The level cord sags: its middle sample crosses the vertical one.
        EXPECT_EQ(horizontal.x(4), 50.0f);
        return canvas.pixel(50, int(horizontal.y(4)));
    };
    const uint32_t solid = centreOfCrossing(kWireThickSolid);
    EXPECT_EQ((solid >> 8) & 0xFF, 0u) << std::hex << solid << ": the red cord covers the green";
    const uint32_t seeThrough = centreOfCrossing(kWireThickSeeThrough);
    EXPECT_GT((seeThrough >> 8) & 0xFF, 0x40u) << std::hex << seeThrough;
    EXPECT_GT((seeThrough >> 16) & 0xFF, 0x40u) << std::hex << seeThrough;
}

TEST_F(WireCordTest, ReferencePictureOfEveryStyle)
{
    for (float zoom : {1.0f, 2.0f}) {
        testsupport::HeadlessCanvas canvas(240, 150, zoom);
        canvas.begin();
        canvas.clear(0x3A3F47FFu);
        AM_Context& context = canvas.context();
        const uint32_t colours[kWireStyleCount] = {0xE8453CFFu, 0x3CA0E8FFu, 0xF2C230FFu,
                                                   0x5BD16AFFu, 0xC56CF0FFu};
        const AM_Rect all{0, 0, 240, 150};
        for (int style = 0; style < kWireStyleCount; ++style) {
            const float x0 = 20.0f + 45.0f * float(style);
            const float x1 = 40.0f + 40.0f * float((style * 3) % kWireStyleCount);
            const Cord cord(x0, 20, x1, 110 - 12.0f * float(style % 2));
            // The sockets, then the cord over them.
            context.setColourPacked(0x1C1F24FFu);
            for (const float* end : {cord.points, cord.points + 2 * (cord.count - 1)}) {
                const AM_Rect socket{end[0] - 6, end[1] - 6, 12, 12};
                context.fillRect(&socket);
            }
            AM_Colour colour(nullptr, nullptr, colours[style]);
            drawWire(&all, &context, cord.points, cord.count, &colour, style);
        }
        const std::string name = zoom == 1.0f ? "wire_styles_z1" : "wire_styles_z2";
        EXPECT_EQ(canvas.compare(name, 2, 8), "");
    }
}
