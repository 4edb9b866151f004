// Parameters by host index: published numbers and global ids + 10000,
// every other index refused, normalised values both ways, and the texts
// within their published limit.

#include "PluginFixture.h"

#include <gtest/gtest.h>

#include "plugin/vst/VstParameterProperties.h"

#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <set>

namespace {

using namespace plugintest;

class PluginParameterTest : public PluginTest {
protected:
    // The normalised value the engine's plain value of (index, published) gives.
    static float normalised(AEffect* e, int32_t index, bool published)
    {
        const AM_ParamInfo* info = engine(e).getParameterDescriptor(index, published);
        if (info->max == info->min)
            return 0.0f;
        return (engine(e).getParameter(index, published) - info->min) / (info->max - info->min);
    }
    // Renders until queued changes have arrived.
    void settle(AEffect* e) { Player(e, host).render(kBlock * 64, kBlock); }
};

TEST_F(PluginParameterTest, PublishedNumbersAndGlobalIdsAddressTheSameParameters)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    const int32_t published = engine(e).getParameterCount(true);
    for (int32_t p = 0; p < published; ++p) {
        const int32_t global = engine(e).getInternalIndex(p);
        ASSERT_GE(global, 0);
        EXPECT_FLOAT_EQ(e->getParameter(e, p), normalised(e, p, true)) << p;
        EXPECT_EQ(e->getParameter(e, AM_VST_base::kInternalIndexOffset + global),
                  e->getParameter(e, p))
            << p;
    }
    // Host index 10005 is global id 5, host index 5 published number 5.
    EXPECT_FLOAT_EQ(e->getParameter(e, 10005), normalised(e, 5, false));
    EXPECT_FLOAT_EQ(e->getParameter(e, 5), normalised(e, 5, true));
}

TEST_F(PluginParameterTest, SetThroughEitherNumberingReachesTheEngine)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    const int32_t cutoff = id(e, "Kestan", "Cutoff");
    const int32_t published = engine(e).getPublishedIndex(cutoff);
    ASSERT_GE(published, 0);
    const AM_ParamInfo* info = engine(e).getParameterDescriptor(cutoff, false);

    e->setParameter(e, published, 0.25f);
    settle(e);
    EXPECT_FLOAT_EQ(engine(e).getParameter(cutoff, false),
                    (info->max - info->min) * 0.25f + info->min);
    EXPECT_FLOAT_EQ(e->getParameter(e, published), 0.25f);

    e->setParameter(e, AM_VST_base::kInternalIndexOffset + cutoff, 0.75f);
    settle(e);
    EXPECT_FLOAT_EQ(e->getParameter(e, published), 0.75f);

    // Values outside 0..1 are held to it; values that are no number change
    // nothing.
    const struct {
        float value;
        float expected;
    } cases[] = {
        {1.5f, 1.0f},
        {-3.0f, 0.0f},
        {std::numeric_limits<float>::quiet_NaN(), 0.0f},
        {std::numeric_limits<float>::infinity(), 0.0f},
    };
    for (const auto& c : cases) {
        e->setParameter(e, published, c.value);
        settle(e);
        EXPECT_FLOAT_EQ(e->getParameter(e, published), c.expected) << c.value;
    }
}

TEST_F(PluginParameterTest, IndicesThatNameNoParameterChangeNothing)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    const int32_t published = engine(e).getParameterCount(true);
    const int32_t all = engine(e).getParameterCount(false);
    const std::string before = chunk(e, true);
    const std::vector<float> values = allParameters(e);
    const VstInt32 refused[] = {
        -1,
        published,
        AM_VST_base::kInternalIndexOffset - 1,
        AM_VST_base::kInternalIndexOffset + all,
        AM_VST_base::kInternalIndexOffset + 65536,
        std::numeric_limits<VstInt32>::max(),
        std::numeric_limits<VstInt32>::min(),
    };
    for (const VstInt32 index : refused) {
        SCOPED_TRACE(index);
        e->setParameter(e, index, 0.5f);
        EXPECT_EQ(e->getParameter(e, index), 0.0f);
        EXPECT_EQ(text(e, effGetParamName, index), "");
        EXPECT_EQ(text(e, effGetParamDisplay, index), "");
        EXPECT_EQ(dispatch(e, effCanBeAutomated, index), 0);
    }
    settle(e);
    EXPECT_EQ(chunk(e, true), before);
    EXPECT_EQ(allParameters(e), values);
}

TEST_F(PluginParameterTest, ParameterWhoseMinimumEqualsItsMaximumReadsZero)
{
    FixtureAudioMan::config.flatDetune = true;
    AEffect* e = openFixture();
    const int32_t detune = id(e, "Kestan", "Detune");
    const int32_t published = engine(e).getPublishedIndex(detune);
    ASSERT_GE(published, 0);
    EXPECT_EQ(e->getParameter(e, published), 0.0f);
    EXPECT_EQ(e->getParameter(e, AM_VST_base::kInternalIndexOffset + detune), 0.0f);
    e->setParameter(e, published, 0.7f);
    settle(e);
    EXPECT_EQ(e->getParameter(e, published), 0.0f);
}

TEST_F(PluginParameterTest, TextsStayWithinTheirPublishedLimit)
{
    FixtureAudioMan::config.wideCutoff = true;
    AEffect* e = openFixture();
    const int32_t cutoff = id(e, "Kestan", "Cutoff");
    const int32_t published = engine(e).getPublishedIndex(cutoff);
    e->setParameter(e, published, 0.1f); // -80000.00
    settle(e);

    EXPECT_EQ(text(e, effGetParamName, published), "Cutoff");
    EXPECT_EQ(text(e, effGetParamLabel, published), "unit");
    // "%.2f" of -80000 is 9 characters; the host gets 7 and the terminator.
    EXPECT_EQ(text(e, effGetParamDisplay, published), "-80000.");
    EXPECT_EQ(text(e, effGetParamDisplay, AM_VST_base::kInternalIndexOffset + cutoff), "-80000.");
    EXPECT_TRUE(trace.contains("label Cutoff"));

    // Every published name and display fits 8 bytes with its terminator.
    for (VstInt32 p = 0; p < e->numParams; ++p) {
        EXPECT_LT(text(e, effGetParamName, p).size(), 8u) << p;
        EXPECT_LT(text(e, effGetParamDisplay, p).size(), 8u) << p;
    }
}

} // namespace

// What hosts show for the published parameters that ask for their
// properties: with the data folder's published-parameter file every one has
// a name of its own (the short names repeat: one set per envelope and LFO);
// the short label stays the short name the host gets as the name.
class PluginParameterPropertiesTest : public PluginTest {
protected:
    static VstIntPtr properties(AEffect* e, VstInt32 index, VstParameterProperties& out)
    {
        std::memset(&out, '#', sizeof out);
        return dispatch(e, effGetParameterProperties, index, 0, &out);
    }
    static constexpr const char* kFile = "Support/com.Orlen.KestanK4.publicparams.txt";
};

TEST_F(PluginParameterPropertiesTest, TheShippedFileGivesEveryPublishedParameterItsOwnName)
{
    std::ifstream shipped(std::string(KK_DATA_FOLDER_PATH) + "/" + kFile, std::ios::binary);
    ASSERT_TRUE(shipped.good());
    dir.writeFile(std::string("KestanK4.data/") + kFile,
                  std::string(std::istreambuf_iterator<char>(shipped), {}));
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    EXPECT_FALSE(trace.contains("Out Of order"));
    EXPECT_FALSE(trace.contains("ignored"));
    EXPECT_FALSE(trace.contains("has no parameter"));

    std::set<std::string> labels;
    std::map<std::string, int> shortNames;
    for (VstInt32 p = 0; p < e->numParams; ++p) {
        SCOPED_TRACE(p);
        VstParameterProperties record{};
        ASSERT_EQ(properties(e, p, record), 1);
        const std::string label = record.label;
        EXPECT_FALSE(label.empty());
        EXPECT_TRUE(labels.insert(label).second) << label;
        EXPECT_EQ(std::string(record.shortLabel), text(e, effGetParamName, p));
        ++shortNames[record.shortLabel];
        // The numbering stays the default one.
        EXPECT_EQ(engine(e).getInternalIndex(p),
                  static_cast<int32_t>(engine(e).getParameterDescriptor(p, true)->index));
    }
    EXPECT_EQ(shortNames["Atk"], 2);
    EXPECT_EQ(shortNames["Sync"], 3);
    VstParameterProperties record{};
    ASSERT_EQ(properties(e, 18, record), 1);
    EXPECT_STREQ(record.label, "Env1 Attack");
    ASSERT_EQ(properties(e, 36, record), 1);
    EXPECT_STREQ(record.label, "LFO2 Sync");

    // The display names change nothing in the saved state.
    const std::string state = chunk(e, false);
    EXPECT_EQ(state.find("Env1 Attack"), std::string::npos);
    ASSERT_EQ(setChunk(e, state, false), 1);
    EXPECT_EQ(chunk(e, false), state);
}

TEST_F(PluginParameterPropertiesTest, WithoutTheFileTheLongNameIsTheLabel)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    VstParameterProperties record{};
    ASSERT_EQ(properties(e, 18, record), 1);
    EXPECT_STREQ(record.label, "Attack");
    EXPECT_STREQ(record.shortLabel, "Atk");
    for (const VstInt32 outside : {-1, e->numParams, AM_VST_base::kInternalIndexOffset})
        EXPECT_EQ(properties(e, outside, record), 0) << outside;
    EXPECT_EQ(dispatch(e, effGetParameterProperties, 0, 0, nullptr), 0);
}
