#include "MidiFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vsthost::MidiSequence;
using vsthost::parseMidiFile;

using Bytes = std::vector<uint8_t>;

void append32(Bytes& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

Bytes header(uint16_t format, uint16_t tracks, uint16_t division)
{
    Bytes out = {'M', 'T', 'h', 'd'};
    append32(out, 6);
    for (uint16_t v : {format, tracks, division}) {
        out.push_back(static_cast<uint8_t>(v >> 8));
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

void appendTrack(Bytes& out, const Bytes& body)
{
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    append32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

MidiSequence parse(const Bytes& file, double rate = 1000.0)
{
    MidiSequence events;
    std::string error;
    EXPECT_TRUE(parseMidiFile(file.data(), file.size(), rate, events, error)) << error;
    return events;
}

// 96 ticks per quarter note: at the default 120 bpm a quarter note is 0.5 s.
TEST(MidiFile, FormatZeroWithRunningStatusAndTempoChange)
{
    Bytes file = header(0, 1, 96);
    appendTrack(file, {
                          0x00, 0x90, 60,   100, // note on at 0
                          0x60, 60,   0,         // running status: off after a quarter (0.5 s)
                          0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, // tempo 1 s per quarter
                          0x60, 0xC0, 5,                // program change a quarter later (1.5 s)
                          0x00, 0xF0, 0x02, 0x01, 0xF7, // system exclusive, skipped
                          0x81, 0x40, 0xE0, 0x00, 0x40, // pitch bend after 192 ticks (3.5 s)
                          0x00, 0xFF, 0x2F, 0x00,
                      });
    const MidiSequence events = parse(file);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].frame, 0);
    EXPECT_EQ(events[1].frame, 500);
    EXPECT_EQ(events[1].data[0], 0x90) << "running status repeats the status";
    EXPECT_EQ(events[1].data[2], 0);
    EXPECT_EQ(events[2].frame, 1500);
    EXPECT_EQ(events[2].size, 2);
    EXPECT_EQ(events[3].frame, 3500);
    EXPECT_EQ(events[3].data[0], 0xE0);
}

TEST(MidiFile, FormatOneMergesTracksAndUsesTheTempoTrack)
{
    Bytes file = header(1, 2, 96);
    appendTrack(file,
                {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00}); // 120 bpm
    appendTrack(file, {0x60, 0x91, 64, 90, 0x60, 0x81, 64, 0, 0x00, 0xFF, 0x2F, 0x00});
    const MidiSequence events = parse(file, 44100.0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].frame, 22050);
    EXPECT_EQ(events[0].data[0], 0x91);
    EXPECT_EQ(events[1].frame, 44100);
}

TEST(MidiFile, TimeCodeDivision)
{
    // 25 frames per second, 40 ticks per frame: 1000 ticks per second.
    Bytes file = header(0, 1, static_cast<uint16_t>((0xE7 << 8) | 40));
    appendTrack(file, {0x87, 0x68, 0x90, 60, 100}); // 1000 ticks, no end-of-track event
    const MidiSequence events = parse(file, 48000.0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].frame, 48000);
}

TEST(MidiFile, DamagedFilesAreRefused)
{
    struct Case {
        const char* fault;
        Bytes file;
    };
    auto withTrack = [](const Bytes& body, uint16_t division = 96) {
        Bytes file = header(0, 1, division);
        appendTrack(file, body);
        return file;
    };
    Bytes truncatedChunk = withTrack({0x00, 0x90, 60, 100});
    truncatedChunk.resize(truncatedChunk.size() - 2); // the declared length stays
    const Case cases[] = {
        {"empty", {}},
        {"not a MIDI file", {'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}},
        {"unknown format", header(3, 1, 96)},
        {"zero division", header(0, 1, 0)},
        {"header longer than the file",
         [] {
             Bytes b = header(0, 1, 96);
             b[7] = 200;
             return b;
         }()},
        {"chunk longer than the file", truncatedChunk},
        {"data byte without status", withTrack({0x00, 60, 100})},
        {"message cut short", withTrack({0x00, 0x90, 60})},
        {"status inside data", withTrack({0x00, 0x90, 60, 0x90})},
        {"endless delta time", withTrack({0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 100})},
        {"meta longer than the track", withTrack({0x00, 0xFF, 0x01, 0x10, 'a'})},
        {"sysex longer than the track", withTrack({0x00, 0xF0, 0x7F})},
        {"system common status", withTrack({0x00, 0xF2, 0x00, 0x00})},
        {"time-code division without ticks", header(0, 1, 0xE700)},
    };
    for (const Case& c : cases) {
        MidiSequence events;
        std::string error;
        EXPECT_FALSE(parseMidiFile(c.file.data(), c.file.size(), 44100.0, events, error))
            << c.fault;
        EXPECT_FALSE(error.empty()) << c.fault;
        EXPECT_TRUE(events.empty()) << c.fault;
    }
}

TEST(MidiFile, MissingFileIsReported)
{
    MidiSequence events;
    std::string error;
    EXPECT_FALSE(vsthost::readMidiFile("/nonexistent/song.mid", 44100.0, events, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

} // namespace
