// The host sees exactly the parameters a state keeps: a hidden parameter is
// neither saved nor published, so host automation never writes a value that
// the next reload of the host's project would drop.

#include "SynthFixture.h"

#include "params/AM_ParaMan.h"
#include "params/object/AM_ParamInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using synthtest::makeSynth;
using synthtest::synthOf;

TEST(SynthPublishedParameters, HiddenParametersAreNotPublished)
{
    auto host = makeSynth();
    Synth_AudioMan& engine = synthOf(*host);
    AM_ParaMan* manager = engine.getParaMan();
    const AM_ParamInfo* table = manager->getParameterTable();
    const int32_t count = manager->getJointParameterCount();

    int32_t hidden = 0;
    int32_t expectedPublished = 0;
    for (int32_t id = 0; id < count; ++id) {
        const AM_ParamInfo& info = table[id];
        if ((info.flags & k_paramHidden) != 0) {
            ++hidden;
            EXPECT_EQ(info.publishedIndex, -1) << info.longName;
            EXPECT_EQ(info.flags & k_paramPublished, 0u) << info.longName;
        } else if ((info.flags & k_paramPublished) != 0) {
            EXPECT_GE(info.publishedIndex, 0) << info.longName;
            ++expectedPublished;
        }
    }
    EXPECT_GT(hidden, 0);
    EXPECT_EQ(engine.getParameterCount(true), expectedPublished);
}

TEST(SynthPublishedParameters, EveryHostValueSurvivesAChunkReload)
{
    auto source = makeSynth();
    Synth_AudioMan& from = synthOf(*source);
    const int32_t published = from.getParameterCount(true);
    ASSERT_GT(published, 0);
    for (int32_t p = 0; p < published; ++p)
        from.setParameter(p, static_cast<float>((p * 37) % 101) / 100.0f, true);

    uint32_t size = 0;
    const char* chunk = from.getChunk(&size, nullptr);
    ASSERT_NE(chunk, nullptr);
    const std::vector<char> saved(chunk, chunk + size);

    auto target = makeSynth();
    Synth_AudioMan& to = synthOf(*target);
    ASSERT_TRUE(to.setChunk(saved.data(), static_cast<int32_t>(saved.size()), 0));
    for (int32_t p = 0; p < published; ++p) {
        const AM_ParamInfo* info = from.getParameterDescriptor(p, true);
        ASSERT_NE(info, nullptr);
        // The state text keeps two decimals of the plain value.
        const float step = 0.005f / std::max(1.0f, info->max - info->min);
        EXPECT_NEAR(to.getParameter(p, true), from.getParameter(p, true), step + 1e-6f)
            << info->longName;
    }
}

}  // namespace
