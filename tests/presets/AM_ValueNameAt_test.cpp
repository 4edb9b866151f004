#include "presets/AM_ValueNameAt.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

TEST(ValueNameAt, TheEntryIsTheValueLessTheMinimumInsideTheTable)
{
    static const char kNames[3][k_valueNameBytes] = {"Low", "Mid", "High"};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        float minimum;
        const char* name; // null: no name
    };
    const Case cases[] = {
        {-2, -2, "Low"},   {-1.5f, -2, "Mid"},     {0, -2, "High"},   {1, -2, nullptr},
        {-3, -2, nullptr}, {0, 0, "Low"},          {2.9f, 0, "High"}, {3, 0, nullptr},
        {-0.5f, 0, "Low"}, {-1, 0, nullptr},       {nan, 0, nullptr}, {inf, 0, nullptr},
        {0, nan, nullptr}, {2e9f, -2e9f, nullptr},
    };
    for (const Case& c : cases) {
        const char* got = AM_valueNameAt(kNames, 3, c.value, c.minimum);
        if (c.name == nullptr)
            EXPECT_EQ(got, nullptr) << c.value << " " << c.minimum;
        else
            EXPECT_EQ(std::string(got != nullptr ? got : "(null)"), c.name)
                << c.value << " " << c.minimum;
    }
    EXPECT_EQ(AM_valueNameAt(nullptr, 3, 0, 0), nullptr);
    EXPECT_EQ(AM_valueNameAt(kNames, 0, 0, 0), nullptr);
}

} // namespace
