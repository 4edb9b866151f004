#include "gui/graphics/AM_LinkColours.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Rgba = std::array<float, 4>;

const float kRed[4] = {1, 0, 0, 1};
const float kGreen[4] = {0, 1, 0, 1};
const float kClearBlue[4] = {0, 0, 1, 0};

TEST(LinkColours, InterpolateBetweenTheLinksAroundTheValue)
{
    struct Case {
        const char* name;
        const float* links[3];
        float value;
        Rgba expected;
    };
    const std::vector<Case> cases = {
        {"all set, 0", {kRed, kGreen, kClearBlue}, 0, {1, 0, 0, 1}},
        {"all set, 0.25", {kRed, kGreen, kClearBlue}, 0.25f, {0.5f, 0.5f, 0, 1}},
        {"all set, 0.5", {kRed, kGreen, kClearBlue}, 0.5f, {0, 1, 0, 1}},
        {"all set, 0.75", {kRed, kGreen, kClearBlue}, 0.75f, {0, 0.5f, 0.5f, 0.5f}},
        {"all set, 1", {kRed, kGreen, kClearBlue}, 1, {0, 0, 1, 0}},
        {"none set", {nullptr, nullptr, nullptr}, 0.3f, {0, 0, 0, 1}},
        {"only the end of the pair", {nullptr, kGreen, nullptr}, 0.2f, {0, 1, 0, 1}},
        {"only the start of the pair", {nullptr, kGreen, nullptr}, 0.8f, {0, 1, 0, 1}},
        {"only the last link, first half", {nullptr, nullptr, kRed}, 0.2f, {0, 0, 0, 1}},
        {"only the last link, second half", {nullptr, nullptr, kRed}, 0.6f, {1, 0, 0, 1}},
        {"beyond 1 stays in range", {kRed, kRed, kGreen}, 1.5f, {0, 1, 0, 1}},
    };
    for (const Case& c : cases) {
        float rgba[4];
        AM_interpolateLinkColours(c.links, c.value, rgba);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(rgba[i], c.expected[i], 1e-6f) << c.name << " channel " << i;
    }
}

} // namespace
