// The channel tables of every layout: input map, output map, dry flags, pan
// positions and the layout in effect, for the connections that matter.

#include "engine/AM_ChannelTables.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <string>

namespace {

constexpr int32_t N = k_noChannel;
// A pan position the layout does not set keeps what it held.
constexpr float S = 99.0f;

using Map = std::array<int32_t, 16>;
using Pan = std::array<float, 16>;

constexpr Map kIdentity = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
constexpr Pan kSurround = {-1, 1, 0, 0, -2, 2, -3, 3, -4, 4, -5, 5, -6, 6, -7, 7};
constexpr Pan kSurroundOdd = {-1, 1, 0, -2, 2, -3, 3, -4, 4, -5, 5, -6, 6, -7, 7, S};
constexpr Pan kStereo = {-1, 1, S, S, S, S, S, S, S, S, S, S, S, S, S, S};
constexpr Pan kCentred = {};
constexpr Pan kUntouched = {S, S, S, S, S, S, S, S, S, S, S, S, S, S, S, S};
constexpr uint32_t kAll = 0xFFFF;
// Every channel but the last: an odd number of inputs.
constexpr uint32_t kOdd = 0x7FFF;

uint32_t channels(std::initializer_list<uint32_t> list)
{
    uint32_t mask = 0;
    for (uint32_t c : list)
        mask |= 1u << c;
    return mask;
}

struct Case {
    std::string name;
    uint32_t layout;
    uint32_t surround;
    uint32_t inputs; // connected host inputs, bit per channel
    uint32_t outputs;
    uint32_t effectiveLayout;
    Map inputMap;
    Map outputMap;
    uint32_t dry; // bit per host output
    Pan pan;
};

const Case kCases[] = {
    {"auto/surround, all channels, even", 0, 0, kAll, kAll, 0, kIdentity, kIdentity, 0, kSurround},
    {"auto/surround, all channels, odd",
     0,
     0,
     kOdd,
     kAll,
     0,
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, N},
     kIdentity,
     0,
     kSurroundOdd},
    {"auto/surround, no lfe, even: the LFE bus channel takes the centre",
     0,
     1,
     kAll,
     kAll,
     0,
     {0, 1, 2, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
     {0, 1, 2, N, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
     channels({3}),
     kSurround},
    {"auto/surround, no lfe, odd: output 3 is dry and keeps its bus channel",
     0,
     1,
     kOdd,
     kAll,
     0,
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, N},
     kIdentity,
     channels({3}),
     kSurroundOdd},
    {"auto/surround, dry c + lfe, even",
     0,
     2,
     kAll,
     kAll,
     0,
     {0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 14, 15},
     {0, 1, N, N, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
     channels({2, 3}),
     {-0.5f, 0.5f, -1.5f, 1.5f, -2.5f, 2.5f, -3.5f, 3.5f, -4.5f, 4.5f, -5.5f, 5.5f, -6.5f, 6.5f, S,
      S}},
    {"auto/surround, dry c + lfe, odd",
     0,
     2,
     kOdd,
     kAll,
     0,
     {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, N},
     {0, 1, N, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14},
     channels({2, 3}),
     {-0.5f, 0.5f, 0.0f, -1.5f, 1.5f, -2.5f, 2.5f, -3.5f, 3.5f, -4.5f, 4.5f, -5.5f, 5.5f, -6.5f,
      6.5f, S}},
    {"auto/surround, any surround option above 1 acts as dry c + lfe",
     0,
     7,
     kAll,
     kAll,
     0,
     {0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 14, 15},
     {0, 1, N, N, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
     channels({2, 3}),
     {-0.5f, 0.5f, -1.5f, 1.5f, -2.5f, 2.5f, -3.5f, 3.5f, -4.5f, 4.5f, -5.5f, 5.5f, -6.5f, 6.5f, S,
      S}},
    {"auto/surround, dry c + lfe, six of each: inputs past the sixth name nothing connected",
     0,
     2,
     channels({0, 1, 2, 3, 4, 5}),
     channels({0, 1, 2, 3, 4, 5}),
     0,
     {0, 1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, N, N},
     {0, 1, N, N, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
     channels({2, 3}),
     {-0.5f, 0.5f, -1.5f, 1.5f, -2.5f, 2.5f, -3.5f, 3.5f, -4.5f, 4.5f, -5.5f, 5.5f, -6.5f, 6.5f, S,
      S}},
    {"multichannel",
     1,
     0,
     kAll,
     kAll,
     1,
     kIdentity,
     kIdentity,
     0,
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
    {"multichannel with gaps: maps as connected",
     1,
     0,
     channels({0, 3}),
     channels({0, 1, 5}),
     1,
     {0, N, N, 3, N, N, N, N, N, N, N, N, N, N, N, N},
     {0, 1, N, N, N, 5, N, N, N, N, N, N, N, N, N, N},
     0,
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
    {"stereo 1+2",
     2,
     0,
     kAll,
     kAll,
     2,
     {0, 1, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {0, 1, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     0xFFFC,
     kStereo},
    {"stereo 3+4",
     3,
     0,
     kAll,
     kAll,
     3,
     {2, 3, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {N, N, 0, 1, N, N, N, N, N, N, N, N, N, N, N, N},
     0xFFF3,
     kStereo},
    {"stereo 3+4, four of each",
     3,
     0,
     channels({0, 1, 2, 3}),
     channels({0, 1, 2, 3}),
     3,
     {2, 3, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {N, N, 0, 1, N, N, N, N, N, N, N, N, N, N, N, N},
     0xFFF3,
     kStereo},
    {"stereo 3+4 without host input 3: both bus channels take host input 2",
     3,
     0,
     channels({0, 1, 2}),
     kAll,
     3,
     {2, 2, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {N, N, 0, 1, N, N, N, N, N, N, N, N, N, N, N, N},
     0xFFF3,
     kStereo},
    {"stereo 3+4 without host input 2: bus channel 0 keeps host input 0",
     3,
     0,
     channels({0, 1, 3}),
     kAll,
     3,
     {0, 3, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {N, N, 0, 1, N, N, N, N, N, N, N, N, N, N, N, N},
     0xFFF3,
     kStereo},
    {"stereo 3+4 without host output 3: its entry follows host output 2",
     3,
     0,
     kAll,
     channels({0, 1, 2, 4}),
     3,
     {2, 3, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {N, N, 0, 0, N, N, N, N, N, N, N, N, N, N, N, N},
     0xFFF3,
     kStereo},
    {"stereo 5+6",
     4,
     0,
     kAll,
     kAll,
     4,
     {4, 5, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {N, N, N, N, 0, 1, N, N, N, N, N, N, N, N, N, N},
     0xFFCF,
     kStereo},
    {"stereo 7+8",
     5,
     0,
     kAll,
     kAll,
     5,
     {6, 7, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {N, N, N, N, N, N, 0, 1, N, N, N, N, N, N, N, N},
     0xFF3F,
     kStereo},
    {"mono: every connected channel takes channel 0",
     6,
     0,
     channels({0, 1, 2, 5}),
     channels({0, 1, 2, 3}),
     6,
     {0, 0, 0, N, N, 0, N, N, N, N, N, N, N, N, N, N},
     {0, 0, 0, 0, N, N, N, N, N, N, N, N, N, N, N, N},
     0,
     kCentred},
    {"one connected output gives mono whatever the layout",
     1,
     0,
     channels({0, 1, 2, 3}),
     channels({0}),
     6,
     {0, 0, 0, 0, N, N, N, N, N, N, N, N, N, N, N, N},
     {0, N, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     0,
     kCentred},
    {"two connected outputs turn stereo 3+4 into stereo 1+2",
     3,
     0,
     channels({0, 1}),
     channels({0, 1}),
     2,
     {0, 1, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {0, 1, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     0xFFFC,
     kStereo},
    {"two connected outputs keep mono",
     6,
     0,
     channels({0, 1}),
     channels({0, 1}),
     6,
     {0, 0, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {0, 0, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     0,
     kCentred},
    {"two connected outputs keep mono-surround",
     8,
     0,
     channels({0, 1}),
     channels({0, 1}),
     8,
     {0, 0, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {0, 1, N, N, N, N, N, N, N, N, N, N, N, N, N, N},
     0,
     kSurround},
    {"stereo-surround, six outputs, two inputs, no lfe: output 3 takes no bus channel",
     7,
     1,
     channels({0, 1}),
     channels({0, 1, 2, 3, 4, 5}),
     7,
     {0, 1, 0, 1, 0, 1, N, N, N, N, N, N, N, N, N, N},
     {0, 1, 2, N, 4, 5, N, N, N, N, N, N, N, N, N, N},
     channels({3}),
     kSurround},
    {"stereo-surround, six outputs, one input, no lfe: output 3 keeps bus channel 3",
     7,
     1,
     channels({0}),
     channels({0, 1, 2, 3, 4, 5}),
     7,
     {0, N, 0, 1, 0, 1, N, N, N, N, N, N, N, N, N, N},
     {0, 1, 2, 3, 4, 5, N, N, N, N, N, N, N, N, N, N},
     0,
     kSurround},
    {"stereo-surround, dry c + lfe",
     7,
     2,
     channels({0, 1}),
     channels({0, 1, 2, 3, 4, 5}),
     7,
     {0, 1, 0, 1, 0, 1, N, N, N, N, N, N, N, N, N, N},
     {0, 1, N, N, 4, 5, N, N, N, N, N, N, N, N, N, N},
     channels({2, 3}),
     kSurround},
    {"stereo-surround, surround options above 2 leave the centre",
     7,
     3,
     channels({0, 1}),
     channels({0, 1, 2, 3, 4, 5}),
     7,
     {0, 1, 0, 1, 0, 1, N, N, N, N, N, N, N, N, N, N},
     {0, 1, 2, N, 4, 5, N, N, N, N, N, N, N, N, N, N},
     channels({3}),
     kSurround},
    {"stereo-surround, all channels",
     7,
     0,
     channels({0, 1}),
     channels({0, 1, 2, 3, 4, 5}),
     7,
     {0, 1, 0, 1, 0, 1, N, N, N, N, N, N, N, N, N, N},
     {0, 1, 2, 3, 4, 5, N, N, N, N, N, N, N, N, N, N},
     0,
     kSurround},
    {"mono-surround, six outputs, two inputs, dry c + lfe",
     8,
     2,
     channels({0, 1}),
     channels({0, 1, 2, 3, 4, 5}),
     8,
     {0, 0, 0, 0, 0, 0, N, N, N, N, N, N, N, N, N, N},
     {0, 1, N, N, 4, 5, N, N, N, N, N, N, N, N, N, N},
     channels({2, 3}),
     kSurround},
    {"a layout above mono-surround keeps the tables as connected and the pan positions",
     9,
     2,
     channels({0, 1, 2}),
     channels({0, 1, 2, 3}),
     9,
     {0, 1, 2, N, N, N, N, N, N, N, N, N, N, N, N, N},
     {0, 1, 2, 3, N, N, N, N, N, N, N, N, N, N, N, N},
     0,
     kUntouched},
};

TEST(ChannelTables, EveryLayoutRoutesItsConnectionsByItsTable)
{
    float buffer = 0.0f;
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const float* inputs[16] = {};
        const float* outputs[16] = {};
        for (uint32_t ch = 0; ch < 16; ++ch) {
            inputs[ch] = ((c.inputs >> ch) & 1) ? &buffer : nullptr;
            outputs[ch] = ((c.outputs >> ch) & 1) ? &buffer : nullptr;
        }
        AM_ChannelTables tables{};
        Pan pan = kUntouched;
        AM_buildChannelTables(inputs, outputs, c.layout, c.surround, tables, pan.data());

        EXPECT_EQ(tables.layout, c.effectiveLayout);
        EXPECT_EQ(tables.connectedInputs, static_cast<uint32_t>(std::popcount(c.inputs)));
        EXPECT_EQ(tables.connectedOutputs, static_cast<uint32_t>(std::popcount(c.outputs)));
        Map inputMap{};
        Map outputMap{};
        uint32_t dry = 0;
        for (uint32_t ch = 0; ch < 16; ++ch) {
            inputMap[ch] = tables.inputMap[ch];
            outputMap[ch] = tables.outputMap[ch];
            ASSERT_LE(tables.dryFlags[ch], 1u);
            dry |= tables.dryFlags[ch] << ch;
        }
        EXPECT_EQ(inputMap, c.inputMap);
        EXPECT_EQ(outputMap, c.outputMap);
        EXPECT_EQ(dry, c.dry);
        EXPECT_EQ(pan, c.pan);
    }
}

TEST(ChannelTables, RebuildingStartsFromTheConnectionsEveryTime)
{
    // Nothing of a previous layout stays in the maps or flags.
    float buffer = 0.0f;
    const float* all[16];
    for (const float*& p : all)
        p = &buffer;
    AM_ChannelTables tables{};
    Pan pan = kUntouched;
    AM_buildChannelTables(all, all, k_layoutStereo34, 0, tables, pan.data());
    AM_buildChannelTables(all, all, k_layoutMultichannel, 0, tables, pan.data());
    for (int32_t ch = 0; ch < 16; ++ch) {
        EXPECT_EQ(tables.inputMap[ch], ch);
        EXPECT_EQ(tables.outputMap[ch], ch);
        EXPECT_EQ(tables.dryFlags[ch], 0u);
    }
}

} // namespace
