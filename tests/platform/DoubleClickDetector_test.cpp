#include "platform/DoubleClickDetector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using platform::DoubleClickDetector;
using platform::kDoubleClickMs;

struct Press {
    uint32_t time;
    int x;
    int y;
    bool doubleClick;
};

struct Case {
    const char* name;
    std::vector<Press> presses;
};

TEST(DoubleClickDetector, DecidesBySamePointAndEventTime)
{
    constexpr uint32_t kNearWrap = 0xffffff00u;
    const Case cases[] = {
        {"a first press is never a double click", {{1000, 5, 5, false}}},
        {"second press at the same point in time", {{1000, 5, 5, false}, {1200, 5, 5, true}}},
        {"exactly the limit still counts",
         {{1000, 5, 5, false}, {1000 + kDoubleClickMs, 5, 5, true}}},
        {"one millisecond late", {{1000, 5, 5, false}, {1000 + kDoubleClickMs + 1, 5, 5, false}}},
        {"moved by one pixel in x", {{1000, 5, 5, false}, {1100, 6, 5, false}}},
        {"moved by one pixel in y", {{1000, 5, 5, false}, {1100, 5, 4, false}}},
        // The double click keeps the first press as the one to compare with.
        {"a third press within the first press's time is another double click",
         {{1000, 5, 5, false}, {1150, 5, 5, true}, {1350, 5, 5, true}}},
        {"a third press past the first press's time starts again",
         {{1000, 5, 5, false}, {1300, 5, 5, true}, {1500, 5, 5, false}, {1600, 5, 5, true}}},
        {"across the wrap of the 32-bit time",
         {{kNearWrap, 7, 8, false}, {kNearWrap + 300, 7, 8, true}}},
        // A stamp earlier than the recorded press is a long way off, not a
        // double click.
        {"time going backwards", {{5000, 1, 1, false}, {4900, 1, 1, false}}},
        {"a press elsewhere becomes the new reference",
         {{1000, 5, 5, false}, {1100, 9, 9, false}, {1200, 9, 9, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DoubleClickDetector detector;
        for (size_t i = 0; i < c.presses.size(); ++i) {
            const Press& p = c.presses[i];
            EXPECT_EQ(detector.press(p.time, p.x, p.y), p.doubleClick) << "press " << i;
        }
    }
}

TEST(DoubleClickDetector, ResetForgetsThePress)
{
    DoubleClickDetector detector;
    EXPECT_FALSE(detector.press(100, 3, 3));
    detector.reset();
    EXPECT_FALSE(detector.press(150, 3, 3));
    EXPECT_TRUE(detector.press(200, 3, 3));
}

} // namespace
