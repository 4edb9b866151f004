// Speaker arrangements: what the plug-in announces for each channel layout
// of its engine, which host arrangements it takes, and how the host's
// buffers are handed over once the host has asked about arrangements.

#include "PluginFixture.h"

#include "plugin/vst/AudioEffectX.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace plugintest;

struct FreeArrangement {
    void operator()(VstSpeakerArrangement* a) const { std::free(a); }
};
using Arrangement = std::unique_ptr<VstSpeakerArrangement, FreeArrangement>;

Arrangement arrangement(VstInt32 channels, VstInt32 type)
{
    const size_t slots = channels > 0 ? static_cast<size_t>(channels) : 1;
    auto* a =
        static_cast<VstSpeakerArrangement*>(std::calloc(1, vstSpeakerArrangementBytes(slots)));
    a->type = type;
    a->numChannels = channels;
    return Arrangement(a);
}

class PluginSpeakerTest : public PluginTest {
protected:
    static void stored(AEffect* e, VstSpeakerArrangement*& in, VstSpeakerArrangement*& out)
    {
        EXPECT_EQ(dispatch(e, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out),
                  1);
    }
    static VstIntPtr offer(AEffect* e, VstSpeakerArrangement* in, VstSpeakerArrangement* out)
    {
        return dispatch(e, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(in), out);
    }
};

TEST_F(PluginSpeakerTest, WithoutAHostTheRecordKeepsTheBaseLayout)
{
    AM_VST_Edit* effect = new AM_VST_Edit(nullptr, FixtureAudioMan::make);
    AEffect* e = effect->getAeffect();
    EXPECT_EQ(e->uniqueID, AM_VST_base::kUniqueId);
    EXPECT_EQ(e->numParams, effect->getAudioMan()->getParameterCount(true));
    EXPECT_EQ(e->numInputs, 1);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, effFlagsCanReplacing);
    EXPECT_EQ(e->initialDelay, 0);
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    stored(e, in, out);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);

    // It still renders, and a host arrangement it is offered is kept.
    dispatch(e, effSetSampleRate, 0, 0, nullptr, kRate);
    dispatch(e, effMainsChanged, 0, 1);
    const Stereo silent = Player(e, host).render(kBlock * 4, kBlock);
    EXPECT_TRUE(silent.allFinite());
    Arrangement stereo = arrangement(2, kSpeakerArrStereo);
    EXPECT_EQ(offer(e, stereo.get(), stereo.get()), 1);
    stored(e, in, out);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->numChannels, 2);
    dispatch(e, effClose);
}

TEST_F(PluginSpeakerTest, StereoBusesTakeOneOrTwoChannels)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    stored(e, in, out);
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(in->type, kSpeakerArrStereo);
    EXPECT_EQ(in->numChannels, 2);
    EXPECT_EQ(out->type, kSpeakerArrStereo);
    EXPECT_EQ(out->numChannels, 2);
    EXPECT_TRUE(plugin(e).isMultiChannel());

    struct Case {
        const char* name;
        VstInt32 in, out;
        VstIntPtr answer;
        VstInt32 storedIn, storedOut;
    };
    const Case cases[] = {
        {"stereo", 2, 2, 1, 2, 2},         {"mono", 1, 1, 1, 1, 1},
        {"no channels in", 0, 2, 0, 2, 2}, {"negative out", 2, -1, 0, 2, 2},
        {"surround", 6, 6, 0, 2, 2},       {"more than any arrangement", 2, 40, 0, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Arrangement hostIn = arrangement(c.in, AM_VST_base::arrangementTypeFor(c.in));
        Arrangement hostOut = arrangement(c.out, AM_VST_base::arrangementTypeFor(c.out));
        EXPECT_EQ(offer(e, hostIn.get(), hostOut.get()), c.answer);
        stored(e, in, out);
        EXPECT_EQ(in->numChannels, c.storedIn);
        EXPECT_EQ(out->numChannels, c.storedOut);
        EXPECT_EQ(out->type, AM_VST_base::arrangementTypeFor(c.storedOut));
    }
    EXPECT_TRUE(trace.contains("resulting in SpeakerArrangement 2 - 2"));
    Arrangement stereo = arrangement(2, kSpeakerArrStereo);
    EXPECT_EQ(offer(e, nullptr, stereo.get()), 0);
    EXPECT_EQ(offer(e, stereo.get(), nullptr), 0);
}

TEST_F(PluginSpeakerTest, OneOutputChannelGetsTheMonoMixAndTheOtherBufferIsLeftAlone)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    Arrangement mono = arrangement(1, kSpeakerArrMono);
    ASSERT_EQ(offer(e, mono.get(), mono.get()), 1);
    Player player(e, host);
    player.send({{0, 0x90, 60, 100}});
    std::vector<float> left(kBlock), right(kBlock);
    float peak = 0.0f;
    for (int block = 0; block < 20; ++block) {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 7.0f);
        float* outputs[2] = {left.data(), right.data()};
        e->processReplacing(e, nullptr, outputs, kBlock);
        for (float v : left)
            peak = std::max(peak, std::fabs(v));
        for (float v : right)
            ASSERT_EQ(v, 7.0f);
    }
    EXPECT_GT(peak, 0.01f);
}

TEST_F(PluginSpeakerTest, LayoutsOfOtherChannelCounts)
{
    struct Case {
        uint32_t channels;
        bool forcedStereo;
        VstInt32 pins;
        VstInt32 type;
        bool wrongCount;
    };
    const Case cases[] = {
        {6, false, 6, kSpeakerArr51, false},
        {8, false, 8, kSpeakerArr71Music, false},
        {4, false, 4, kSpeakerArrMono, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channels);
        trace.clear();
        FixtureAudioMan::config.channelsPerBus = c.channels;
        AEffect* e = openFixture();
        EXPECT_EQ(e->numInputs, c.pins);
        EXPECT_EQ(e->numOutputs, c.pins);
        EXPECT_EQ(trace.contains("WRONG NUMBER OF CHANNELS - FLEASE FIX!"), c.wrongCount);
        VstSpeakerArrangement* in = nullptr;
        VstSpeakerArrangement* out = nullptr;
        stored(e, in, out);
        EXPECT_EQ(in->numChannels, static_cast<VstInt32>(c.channels));
        EXPECT_EQ(out->numChannels, static_cast<VstInt32>(c.channels));
        EXPECT_EQ(out->type, c.type);

        // More than a bus holds is refused and replaced by the bus's own.
        Arrangement wide = arrangement(static_cast<VstInt32>(c.channels) + 1, kSpeakerArr102);
        EXPECT_EQ(offer(e, wide.get(), wide.get()), 0);
        stored(e, in, out);
        EXPECT_EQ(out->numChannels, static_cast<VstInt32>(c.channels));
        EXPECT_EQ(out->type, AM_VST_base::arrangementTypeFor(static_cast<int32_t>(c.channels)));
        Arrangement fewer = arrangement(3, kSpeakerArr30Music);
        EXPECT_EQ(offer(e, fewer.get(), fewer.get()), 1);
        stored(e, in, out);
        EXPECT_EQ(out->numChannels, 3);
        EXPECT_EQ(out->type, kSpeakerArr30Music);

        // Rendering hands over as many buffers as the arrangement names.
        std::vector<std::vector<float>> buffers(static_cast<size_t>(c.pins),
                                                std::vector<float>(kBlock, 5.0f));
        std::vector<float*> pointers;
        for (auto& b : buffers)
            pointers.push_back(b.data());
        e->processReplacing(e, nullptr, pointers.data(), kBlock);
        for (size_t ch = 3; ch < buffers.size(); ++ch)
            EXPECT_EQ(buffers[ch][0], 5.0f) << "channel " << ch;
        close(e);
    }
}

class ForcedStereoSurroundTest : public PluginSpeakerTest {
protected:
    std::string moduleFileName() const override { return "KestanK4_2io.so"; }
};

TEST_F(ForcedStereoSurroundTest, MarkedFileNameKeepsStereoBusesOverASurroundEngine)
{
    FixtureAudioMan::config.channelsPerBus = 6;
    AEffect* e = openFixture();
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    stored(e, in, out);
    EXPECT_EQ(out->type, kSpeakerArrStereo);
    EXPECT_EQ(out->numChannels, 2);
    Arrangement surround = arrangement(6, kSpeakerArr51);
    EXPECT_EQ(offer(e, surround.get(), surround.get()), 0);
}

} // namespace

// "mono-surround", the last layout, can be chosen and is kept by the state
// although it has no value name.
TEST_F(PluginSpeakerTest, TheMonoSurroundLayoutIsAValue)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    const int32_t layout = id(e, "PCore", "ChLay");
    ASSERT_GE(layout, 0);
    engine(e).setParameter(layout, 8.0f, false);
    Player player(e, host);
    player.render(kBlock, kBlock);
    EXPECT_EQ(engine(e).getParameter(layout, false), 8.0f);
    EXPECT_EQ(engine(e).getProcessContext()->channelLayout, 8u);

    const std::string state = chunk(e, true);
    ASSERT_NE(state.find("ChLay=8"), std::string::npos);
    engine(e).setParameter(layout, 0.0f, false);
    player.render(kBlock, kBlock);
    ASSERT_EQ(setChunk(e, state, true), 1);
    player.render(kBlock, kBlock);
    EXPECT_EQ(engine(e).getProcessContext()->channelLayout, 8u);
    text(e, effGetParamDisplay, AM_VST_base::kInternalIndexOffset + layout);
}
