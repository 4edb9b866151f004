#include "ProbeEffect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using vsttest::ProbeEffect;

class SpeakerArrangementTest : public ::testing::Test {
protected:
    ~SpeakerArrangementTest() override
    {
        effect.deallocateArrangement(&a);
        effect.deallocateArrangement(&b);
    }

    ProbeEffect effect{nullptr};
    VstSpeakerArrangement* a = nullptr;
    VstSpeakerArrangement* b = nullptr;
};

TEST_F(SpeakerArrangementTest, AllocateGivesAZeroedRecord)
{
    ASSERT_TRUE(effect.allocateArrangement(&a, 2));
    EXPECT_EQ(a->numChannels, 2);
    EXPECT_EQ(a->type, 0);
    EXPECT_EQ(a->speakers[1].name[0], 0);
    ASSERT_TRUE(effect.allocateArrangement(&a, 12)) << "reallocation frees the old record";
    EXPECT_EQ(vst::speakerAt(a, 11)->type, 0);
}

TEST_F(SpeakerArrangementTest, AllocateRefusesCountsNoBusHas)
{
    ASSERT_TRUE(effect.allocateArrangement(&a, 2));
    VstSpeakerArrangement* before = a;
    for (VstInt32 channels : {0, -1, AudioEffectX::kMaxArrangementChannels + 1, INT32_MAX}) {
        EXPECT_FALSE(effect.allocateArrangement(&a, channels)) << channels;
        EXPECT_EQ(a, before) << "a refused request keeps the record";
    }
    EXPECT_FALSE(effect.allocateArrangement(nullptr, 2));
}

TEST_F(SpeakerArrangementTest, DeallocateNullsThePointer)
{
    ASSERT_TRUE(effect.allocateArrangement(&a, 2));
    EXPECT_TRUE(effect.deallocateArrangement(&a));
    EXPECT_EQ(a, nullptr);
    EXPECT_TRUE(effect.deallocateArrangement(&a));
    EXPECT_FALSE(effect.deallocateArrangement(nullptr));
}

TEST_F(SpeakerArrangementTest, MatchCopiesEverySpeakerBeyondTheDeclaredEight)
{
    ASSERT_TRUE(effect.allocateArrangement(&a, 12));
    a->type = kSpeakerArr102;
    for (VstInt32 i = 0; i < 12; ++i) {
        VstSpeakerProperties* speaker = vst::speakerAt(a, i);
        speaker->azimuth = static_cast<float>(i);
        speaker->type = i + 100;
        speaker->future[27] = static_cast<char>(i);
        std::memset(speaker->name, 'n', sizeof(speaker->name)); // unterminated
    }
    ASSERT_TRUE(effect.matchArrangement(&b, a));
    EXPECT_EQ(b->type, kSpeakerArr102);
    EXPECT_EQ(b->numChannels, 12);
    for (VstInt32 i = 0; i < 12; ++i) {
        const VstSpeakerProperties* speaker = vst::speakerAt(b, i);
        EXPECT_EQ(speaker->azimuth, static_cast<float>(i));
        EXPECT_EQ(speaker->type, i + 100);
        EXPECT_EQ(speaker->future[27], static_cast<char>(i));
        EXPECT_EQ(std::string(speaker->name), std::string(63, 'n')) << "name cut to 63 characters";
    }
}

TEST_F(SpeakerArrangementTest, MatchRefusesInvalidSourcesAndKeepsTheTarget)
{
    ASSERT_TRUE(effect.allocateArrangement(&b, 2));
    b->type = kSpeakerArrStereo;
    VstSpeakerArrangement source{};
    for (VstInt32 channels : {0, -4, AudioEffectX::kMaxArrangementChannels + 1}) {
        source.numChannels = channels;
        EXPECT_FALSE(effect.matchArrangement(&b, &source)) << channels;
        EXPECT_EQ(b->numChannels, 2);
        EXPECT_EQ(b->type, kSpeakerArrStereo);
    }
    EXPECT_FALSE(effect.matchArrangement(&b, nullptr));
    EXPECT_FALSE(effect.matchArrangement(nullptr, b));
}

TEST_F(SpeakerArrangementTest, IsValidArrangementBoundsTheChannels)
{
    VstSpeakerArrangement record{};
    record.numChannels = 2;
    EXPECT_TRUE(AudioEffectX::isValidArrangement(&record, 2));
    EXPECT_FALSE(AudioEffectX::isValidArrangement(&record, 1));
    record.numChannels = 0;
    EXPECT_FALSE(AudioEffectX::isValidArrangement(&record, 2));
    EXPECT_FALSE(AudioEffectX::isValidArrangement(nullptr, 2));
}

TEST_F(SpeakerArrangementTest, CopySpeakerNeedsBothRecords)
{
    VstSpeakerProperties from{};
    VstSpeakerProperties to{};
    EXPECT_FALSE(effect.copySpeaker(nullptr, &from));
    EXPECT_FALSE(effect.copySpeaker(&to, nullptr));
    std::strcpy(from.name, "L");
    from.elevation = 0.5f;
    from.radius = 2.0f;
    from.reserved = 3.0f;
    EXPECT_TRUE(effect.copySpeaker(&to, &from));
    EXPECT_STREQ(to.name, "L");
    EXPECT_EQ(to.elevation, 0.5f);
    EXPECT_EQ(to.radius, 2.0f);
    EXPECT_EQ(to.reserved, 3.0f);
}

} // namespace
