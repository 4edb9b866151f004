// The test instrument, in process: it is the fixture the host tests play,
// so its chunk, parameter and event handling must be right.
#include "FakeHost.h"
#include "TestSynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using testsynth::TestSynth;
using vsttest::FakeHost;

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f)
{
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

std::string chunkOf(AEffect* e, bool program)
{
    void* data = nullptr;
    const VstIntPtr size = dispatch(e, effGetChunk, program ? 1 : 0, 0, &data);
    return size > 0 ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : "";
}

class TestSynthTest : public ::testing::Test {
protected:
    TestSynthTest()
    {
        dispatch(record, effSetSampleRate, 0, 0, nullptr, 48000.0f);
        dispatch(record, effMainsChanged, 0, 1);
    }

    // Renders frames with one event block sent before; answers the left channel.
    std::vector<float> render(VstInt32 frames, std::vector<VstMidiEvent> midi = {})
    {
        std::vector<VstEvent*> pointers;
        for (VstMidiEvent& event : midi)
            pointers.push_back(reinterpret_cast<VstEvent*>(&event));
        std::vector<char> block(vstEventsBytes(pointers.size()));
        auto* events = reinterpret_cast<VstEvents*>(block.data());
        events->numEvents = static_cast<VstInt32>(pointers.size());
        for (size_t i = 0; i < pointers.size(); ++i)
            events->events[i] = pointers[i];
        dispatch(record, effProcessEvents, 0, 0, events);
        std::vector<float> left(static_cast<size_t>(frames), 1.0f);
        std::vector<float> right(static_cast<size_t>(frames), 1.0f);
        float* outputs[] = {left.data(), right.data()};
        record->processReplacing(record, nullptr, outputs, frames);
        return left;
    }

    static VstMidiEvent note(unsigned char status, unsigned char key, unsigned char velocity,
                             VstInt32 delta)
    {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        event.deltaFrames = delta;
        event.midiData[0] = status;
        event.midiData[1] = key;
        event.midiData[2] = velocity;
        return event;
    }

    FakeHost host;
    TestSynth synth{FakeHost::callback};
    AEffect* record = synth.getAeffect();
};

TEST_F(TestSynthTest, SilentWithoutNotes)
{
    for (float sample : render(512))
        ASSERT_EQ(sample, 0.0f);
}

TEST_F(TestSynthTest, NoteStartsAtItsSampleOffset)
{
    const std::vector<float> left = render(256, {note(0x90, 69, 100, 100)});
    for (int i = 0; i <= 100; ++i)
        ASSERT_EQ(left[static_cast<size_t>(i)], 0.0f) << "sample " << i;
    bool sounding = false;
    for (size_t i = 101; i < left.size(); ++i)
        sounding = sounding || std::fabs(left[i]) > 0.0f;
    EXPECT_TRUE(sounding);
}

TEST_F(TestSynthTest, NoteOffFadesToSilence)
{
    render(512, {note(0x90, 60, 127, 0)});
    render(512, {note(0x80, 60, 0, 0)});
    for (float sample : render(256))
        ASSERT_EQ(sample, 0.0f);
}

TEST_F(TestSynthTest, TooManyEventsForOneBlockAreCountedNotWritten)
{
    std::vector<VstMidiEvent> flood(TestSynth::kMaxEvents + 10, note(0x90, 60, 1, 0));
    render(64, flood);
    EXPECT_EQ(synth.droppedEvents(), 10u);
}

TEST_F(TestSynthTest, ChunksRoundTripByteForByte)
{
    record->setParameter(record, TestSynth::kGain, 0.25f);
    record->setParameter(record, TestSynth::kTune, 0.75f);
    char name[] = "Bright";
    dispatch(record, effSetProgramName, 0, 0, name);
    const std::string bank = chunkOf(record, false);
    const std::string program = chunkOf(record, true);
    EXPECT_EQ(bank.rfind("#pgm=Bright\n", 0), 0u);
    EXPECT_EQ(program.find("#pgm="), std::string::npos);

    TestSynth other(FakeHost::callback);
    AEffect* otherRecord = other.getAeffect();
    std::string copy = bank;
    EXPECT_EQ(
        dispatch(otherRecord, effSetChunk, 0, static_cast<VstIntPtr>(copy.size()), copy.data()), 1);
    EXPECT_EQ(chunkOf(otherRecord, false), bank);
    EXPECT_EQ(otherRecord->getParameter(otherRecord, TestSynth::kGain), 0.25f);
    EXPECT_EQ(otherRecord->getParameter(otherRecord, TestSynth::kTune), 0.75f);
}

TEST_F(TestSynthTest, RejectedChunksChangeNothing)
{
    record->setParameter(record, TestSynth::kGain, 0.25f);
    const std::string before = chunkOf(record, false);
    const std::string rejected[] = {
        "garbage",
        "gain=0.5\n",                            // tune missing
        "gain=2\ntune=0.5\n",                    // out of range
        "gain=0.5x\ntune=0.5\n",                 // trailing junk
        "#pgm=No line end",                      // header without its line feed
        std::string("gain=0.5\0tune=0.5\n", 18), // a zero inside the data
    };
    for (std::string chunk : rejected) {
        EXPECT_EQ(
            dispatch(record, effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data()), 0)
            << chunk;
        EXPECT_EQ(chunkOf(record, false), before) << chunk;
    }
}

TEST_F(TestSynthTest, ParameterIndicesOutsideTheTableAreIgnored)
{
    for (VstInt32 index : {-1, TestSynth::kNumParams, 10000}) {
        record->setParameter(record, index, 0.9f);
        EXPECT_EQ(record->getParameter(record, index), 0.0f) << index;
    }
    record->setParameter(record, TestSynth::kGain, 1.5f);
    EXPECT_EQ(record->getParameter(record, TestSynth::kGain), 0.5f)
        << "values outside 0..1 are refused";
}

TEST_F(TestSynthTest, ParameterTextsFitTheirLimit)
{
    record->setParameter(record, TestSynth::kTune, 0.0f);
    char text[64];
    dispatch(record, effGetParamDisplay, TestSynth::kTune, 0, text);
    EXPECT_STREQ(text, "-12.00");
    dispatch(record, effGetParamDisplay, TestSynth::kGain, 0, text);
    EXPECT_STREQ(text, "-6.0206");
    dispatch(record, effGetParamLabel, TestSynth::kTune, 0, text);
    EXPECT_STREQ(text, "semi");
}

TEST_F(TestSynthTest, SpeakerArrangementsOutsideTheBusAreRefused)
{
    VstSpeakerArrangement in{};
    VstSpeakerArrangement out{};
    in.type = out.type = kSpeakerArrMono;
    in.numChannels = out.numChannels = 1;
    EXPECT_EQ(dispatch(record, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out),
              1);
    for (VstInt32 channels : {0, -1, 3}) {
        out.numChannels = channels;
        EXPECT_EQ(
            dispatch(record, effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out),
            0)
            << channels;
    }
    VstSpeakerArrangement* currentIn = nullptr;
    VstSpeakerArrangement* currentOut = nullptr;
    EXPECT_EQ(dispatch(record, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&currentIn),
                       &currentOut),
              1);
    ASSERT_NE(currentOut, nullptr);
    EXPECT_EQ(currentOut->numChannels, 1) << "the accepted arrangement stays";
    EXPECT_EQ(currentOut->type, kSpeakerArrMono);
}

TEST_F(TestSynthTest, ReadsTheHostsTransportEachBlock)
{
    VstTimeInfo info{};
    info.tempo = 0.0;
    info.timeSigNumerator = 3;
    info.timeSigDenominator = 0;
    info.flags = kVstTempoValid | kVstTimeSigValid;
    host.answers[audioMasterGetTime] = reinterpret_cast<VstIntPtr>(&info);
    render(32);
    EXPECT_TRUE(synth.lastTransport().hostAnswered);
    EXPECT_EQ(synth.lastTransport().tempo, 120.0);
    EXPECT_EQ(synth.lastTransport().quarterNotesPerBar(), 4.0);
    EXPECT_EQ(host.last(audioMasterGetTime)->value,
              kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid);
}

} // namespace
