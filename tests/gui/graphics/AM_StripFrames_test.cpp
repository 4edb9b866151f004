#include "gui/graphics/AM_StripFrames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<AM_FrameDraw> plan(uint32_t frames, float rotation, float value)
{
    AM_FrameDraw draws[2];
    const int count = AM_planStripFrames(frames, rotation, value, draws);
    return std::vector<AM_FrameDraw>(draws, draws + count);
}

TEST(StripFrames, PlainStripsShowTheNearestFrame)
{
    struct Case {
        uint32_t frames;
        float value;
        int frame; // -1: nothing drawn
    };
    const std::vector<Case> cases = {
        {10, 0.0f, 0},
        {10, 1.0f / 18 - 0.001f, 0},
        {10, 1.0f / 18 + 0.001f, 1},
        {10, 0.5f, 5},
        {10, 17.0f / 18 - 0.001f, 8},
        {10, 17.0f / 18 + 0.001f, 9},
        {10, 1.0f, 9},
        {10, 1.2f, -1},
        {10, -0.3f, 0},
        {10, NAN, -1},
        {1, 0.7f, 0},
        {0, 0.7f, 0},
        {0, 1.0f, 0},
        {0, 1.6f, 0},
    };
    for (const Case& c : cases) {
        const std::vector<AM_FrameDraw> draws = plan(c.frames, 0, c.value);
        if (c.frame < 0) {
            EXPECT_TRUE(draws.empty()) << c.frames << " frames at " << c.value;
            continue;
        }
        ASSERT_EQ(draws.size(), 1u) << c.frames << " frames at " << c.value;
        EXPECT_EQ(draws[0].frame, c.frame) << c.frames << " frames at " << c.value;
        EXPECT_FALSE(draws[0].rotated);
    }
}

TEST(StripFrames, RotatedStripsCrossFadeTurnedNeighbours)
{
    // 10 frames over 270 degrees: 30 degrees a frame.
    std::vector<AM_FrameDraw> draws = plan(10, 270, 0.5f);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].frame, 4);
    EXPECT_TRUE(draws[0].rotated);
    EXPECT_FLOAT_EQ(draws[0].angle, -15);
    EXPECT_FLOAT_EQ(draws[0].opacity, 1);
    EXPECT_EQ(draws[1].frame, 5);
    EXPECT_FLOAT_EQ(draws[1].angle, 15);
    EXPECT_FLOAT_EQ(draws[1].opacity, 0.5f);

    draws = plan(10, 270, 0.4f); // p = 3.6
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].frame, 3);
    EXPECT_NEAR(draws[0].angle, -18, 1e-4);
    EXPECT_NEAR(draws[1].angle, 12, 1e-4);
    EXPECT_NEAR(draws[1].opacity, 0.6f, 1e-5);

    // The ends show their frame plainly; past the end only the last frame.
    for (const float value : {0.0f, 1.0f}) {
        draws = plan(10, 270, value);
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_FALSE(draws[0].rotated);
        EXPECT_EQ(draws[0].frame, value == 0 ? 0 : 9);
    }
    draws = plan(10, 270, 1.05f);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].frame, 9);
    EXPECT_TRUE(draws[0].rotated);
    EXPECT_TRUE(plan(10, 270, 1.12f).empty());
    EXPECT_TRUE(plan(10, 270, 1.2f).empty());
    draws = plan(10, 270, -0.5f);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].frame, 0);
    // A single frame never rotates.
    EXPECT_FALSE(plan(1, 270, 0.5f)[0].rotated);
}

TEST(StripFrames, RotationComesFromTheName)
{
    struct Case {
        const char* name;
        float rotation;
    };
    for (const Case c :
         {Case{"knob_rot270", 270}, Case{"knob_rot-90_big", -90}, Case{"knob", 0},
          Case{"knob_rot", 0}, Case{"knob_rotx", 0}, Case{"a_rot30_rot60", 30}, Case{"", 0}}) {
        EXPECT_EQ(AM_rotationFromName(c.name), c.rotation) << c.name;
    }
    EXPECT_EQ(AM_rotationFromName(nullptr), 0);
}

} // namespace
