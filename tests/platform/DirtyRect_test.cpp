#include "platform/DirtyRect.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using platform::PixelRect;

struct RoundCase {
    const char* name;
    double x, y, w, h;
    PixelRect expected;
};

TEST(DirtyRect, RoundsOutwardToWholePixels)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const RoundCase cases[] = {
        {"whole pixels stay as they are", 10, 20, 30, 40, {10, 20, 30, 40}},
        {"fractional edges grow outward", 10.5, 20.25, 30, 40, {10, 20, 31, 41}},
        // A rectangle of the GUI at zoom 1.5: (7, 3, 5, 5) * 1.5.
        {"zoom 1.5", 10.5, 4.5, 7.5, 7.5, {10, 4, 8, 8}},
        {"a sliver inside one pixel covers that pixel", 3.2, 3.2, 0.1, 0.1, {3, 3, 1, 1}},
        {"negative coordinates round down", -1.5, -0.5, 2, 1, {-2, -1, 3, 2}},
        {"right edge just past a pixel boundary", 0, 0, 10.0001, 1, {0, 0, 11, 1}},
        {"empty width", 5, 5, 0, 3, {0, 0, 0, 0}},
        {"negative height", 5, 5, 3, -2, {0, 0, 0, 0}},
        {"not a number", nan, 0, 3, 3, {0, 0, 0, 0}},
        {"infinite size", 0, 0, inf, 3, {0, 0, 0, 0}},
    };
    for (const RoundCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PixelRect r = platform::roundOutward(c.x, c.y, c.w, c.h);
        EXPECT_EQ(r.x, c.expected.x);
        EXPECT_EQ(r.y, c.expected.y);
        EXPECT_EQ(r.w, c.expected.w);
        EXPECT_EQ(r.h, c.expected.h);
    }
}

TEST(DirtyRect, HugeValuesAreClampedNotOverflowed)
{
    const PixelRect r = platform::roundOutward(-1e30, -1e30, 2e30, 2e30);
    EXPECT_GT(r.w, 0);
    EXPECT_GT(r.h, 0);
    EXPECT_LE(r.x, 0);
}

struct ClipCase {
    const char* name;
    PixelRect rect;
    PixelRect expected;
};

TEST(DirtyRect, ClipsToTheArea)
{
    const ClipCase cases[] = {
        {"inside", {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"over the top-left corner", {-5, -5, 10, 10}, {0, 0, 5, 5}},
        {"over the bottom-right corner", {95, 45, 10, 10}, {95, 45, 5, 5}},
        {"outside", {100, 0, 5, 5}, {0, 0, 0, 0}},
        {"empty", {10, 10, 0, 5}, {0, 0, 0, 0}},
        {"far out without overflow", {0x7ffffff0, 0, 0x7fffffff, 5}, {0, 0, 0, 0}},
    };
    for (const ClipCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PixelRect r = platform::clipToArea(c.rect, 100, 50);
        EXPECT_EQ(r.x, c.expected.x);
        EXPECT_EQ(r.y, c.expected.y);
        EXPECT_EQ(r.w, c.expected.w);
        EXPECT_EQ(r.h, c.expected.h);
    }
}

} // namespace
