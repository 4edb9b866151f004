#include "plugin/vst/HostTransport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using vst::HostTransport;
using vst::readHostTransport;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

VstTimeInfo fullInfo()
{
    VstTimeInfo info{};
    info.samplePos = 4410.0;
    info.sampleRate = 44100.0;
    info.ppqPos = 9.5;
    info.tempo = 140.0;
    info.barStartPos = 8.0;
    info.timeSigNumerator = 7;
    info.timeSigDenominator = 8;
    info.flags =
        kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid;
    return info;
}

TEST(HostTransport, NullAnswerGivesTheDefaults)
{
    const HostTransport t = readHostTransport(nullptr);
    EXPECT_FALSE(t.hostAnswered);
    EXPECT_EQ(t.tempo, 120.0);
    EXPECT_EQ(t.ppqPos, 0.0);
    EXPECT_EQ(t.barStartPos, 0.0);
    EXPECT_EQ(t.timeSigNumerator, 4);
    EXPECT_EQ(t.timeSigDenominator, 4);
    EXPECT_EQ(t.quarterNotesPerBar(), 4.0);
}

TEST(HostTransport, ValidFieldsAreTaken)
{
    const VstTimeInfo info = fullInfo();
    const HostTransport t = readHostTransport(&info);
    EXPECT_TRUE(t.hostAnswered);
    EXPECT_TRUE(t.playing);
    EXPECT_EQ(t.samplePos, 4410.0);
    EXPECT_EQ(t.ppqPos, 9.5);
    EXPECT_EQ(t.tempo, 140.0);
    EXPECT_EQ(t.barStartPos, 8.0);
    EXPECT_EQ(t.timeSigNumerator, 7);
    EXPECT_EQ(t.timeSigDenominator, 8);
    EXPECT_EQ(t.quarterNotesPerBar(), 3.5);
}

// Each row spoils one field of an otherwise full answer; that field must
// fall back to its default and the others stay.
TEST(HostTransport, UnusableFieldsFallBackOneByOne)
{
    struct Case {
        const char* fault;
        void (*spoil)(VstTimeInfo&);
        bool ppq, tempo, bars, timeSig;
    };
    const Case cases[] = {
        {"no flags at all", [](VstTimeInfo& i) { i.flags = 0; }, false, false, false, false},
        {"ppq flag clear", [](VstTimeInfo& i) { i.flags &= ~kVstPpqPosValid; }, false, true, true,
         true},
        {"tempo flag clear", [](VstTimeInfo& i) { i.flags &= ~kVstTempoValid; }, true, false, true,
         true},
        {"bars flag clear", [](VstTimeInfo& i) { i.flags &= ~kVstBarsValid; }, true, true, false,
         true},
        {"time signature flag clear", [](VstTimeInfo& i) { i.flags &= ~kVstTimeSigValid; }, true,
         true, true, false},
        {"tempo 0", [](VstTimeInfo& i) { i.tempo = 0.0; }, true, false, true, true},
        {"negative tempo", [](VstTimeInfo& i) { i.tempo = -120.0; }, true, false, true, true},
        {"NaN tempo", [](VstTimeInfo& i) { i.tempo = kNaN; }, true, false, true, true},
        {"infinite tempo", [](VstTimeInfo& i) { i.tempo = kInf; }, true, false, true, true},
        {"NaN position", [](VstTimeInfo& i) { i.ppqPos = kNaN; }, false, true, true, true},
        {"NaN bar start", [](VstTimeInfo& i) { i.barStartPos = kNaN; }, true, true, false, true},
        {"numerator 0", [](VstTimeInfo& i) { i.timeSigNumerator = 0; }, true, true, true, false},
        {"denominator 0", [](VstTimeInfo& i) { i.timeSigDenominator = 0; }, true, true, true,
         false},
        {"negative denominator", [](VstTimeInfo& i) { i.timeSigDenominator = -4; }, true, true,
         true, false},
    };
    for (const Case& c : cases) {
        VstTimeInfo info = fullInfo();
        c.spoil(info);
        const HostTransport t = readHostTransport(&info);
        EXPECT_EQ(t.ppqPosValid, c.ppq) << c.fault;
        EXPECT_EQ(t.ppqPos, c.ppq ? 9.5 : 0.0) << c.fault;
        EXPECT_EQ(t.tempoValid, c.tempo) << c.fault;
        EXPECT_EQ(t.tempo, c.tempo ? 140.0 : 120.0) << c.fault;
        EXPECT_EQ(t.barStartValid, c.bars) << c.fault;
        EXPECT_EQ(t.barStartPos, c.bars ? 8.0 : 0.0) << c.fault;
        EXPECT_EQ(t.timeSigValid, c.timeSig) << c.fault;
        EXPECT_EQ(t.quarterNotesPerBar(), c.timeSig ? 3.5 : 4.0) << c.fault;
        EXPECT_TRUE(std::isfinite(t.quarterNotesPerBar())) << c.fault;
    }
}

TEST(HostTransport, SamplePositionMustBeUsable)
{
    VstTimeInfo info = fullInfo();
    for (double position : {-1.0, kNaN, kInf}) {
        info.samplePos = position;
        EXPECT_EQ(readHostTransport(&info).samplePos, 0.0) << position;
    }
}

} // namespace
