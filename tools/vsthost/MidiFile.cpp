#include "MidiFile.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

namespace vsthost {
namespace {

constexpr uint32_t kDefaultMicrosecondsPerQuarter = 500000;
constexpr double kMicrosecondsPerSecond = 1e6;
constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kMinHeaderLength = 6;
constexpr uint16_t kHighestFormat = 2;
constexpr uint16_t kTimeCodeDivision = 0x8000;
constexpr int kDivisionFrameShift = 8;
constexpr uint16_t kTicksPerFrameMask = 0xFF;
constexpr int kMaxVlqBytes = 4;
constexpr uint8_t kVlqMore = 0x80;
constexpr uint8_t kVlqBits = 0x7F;
constexpr uint8_t kStatusBit = 0x80;
constexpr uint8_t kStatusMask = 0xF0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint8_t kSystemExclusive = 0xF0;
constexpr uint8_t kSystemExclusiveContinued = 0xF7;
constexpr uint8_t kMeta = 0xFF;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint32_t kTempoBytes = 3;
constexpr double kLongestSeconds = 24.0 * 3600.0;

struct RawEvent {
    uint64_t tick;
    uint8_t data[3];
    uint8_t size;
};

struct TempoChange {
    uint64_t tick;
    uint32_t microsecondsPerQuarter;
};

uint32_t bigEndian(const uint8_t* p, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | p[i];
    return value;
}

// Bounded reading of one chunk's bytes.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool atEnd() const { return position_ >= size_; }
    size_t remaining() const { return size_ - position_; }
    bool byte(uint8_t& value)
    {
        if (atEnd())
            return false;
        value = data_[position_++];
        return true;
    }
    uint8_t peek() const { return data_[position_]; }
    bool variableLength(uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < kMaxVlqBytes; ++i) {
            uint8_t b = 0;
            if (!byte(b))
                return false;
            value = (value << 7) | (b & kVlqBits);
            if ((b & kVlqMore) == 0)
                return true;
        }
        return false; // more than four bytes: not a valid length
    }
    bool skip(uint32_t bytes)
    {
        if (bytes > remaining())
            return false;
        position_ += bytes;
        return true;
    }
    const uint8_t* current() const { return data_ + position_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

bool readTrack(ByteReader track, std::vector<RawEvent>& events, std::vector<TempoChange>& tempos,
               std::string& error)
{
    uint64_t tick = 0;
    uint8_t runningStatus = 0;
    while (!track.atEnd()) {
        uint32_t delta = 0;
        if (!track.variableLength(delta)) {
            error = "damaged delta time in a track";
            return false;
        }
        tick += delta;
        if (track.atEnd()) {
            error = "track ends inside an event";
            return false;
        }
        uint8_t status = track.peek();
        if ((status & kStatusBit) != 0) {
            track.byte(status);
        } else if (runningStatus == 0) {
            error = "data byte without a status in a track";
            return false;
        } else {
            status = runningStatus;
        }

        if (status == kMeta) {
            uint8_t type = 0;
            uint32_t length = 0;
            if (!track.byte(type) || !track.variableLength(length) || length > track.remaining()) {
                error = "damaged meta event";
                return false;
            }
            if (type == kMetaEndOfTrack)
                return true;
            if (type == kMetaTempo && length >= kTempoBytes) {
                const uint32_t tempo = bigEndian(track.current(), kTempoBytes);
                if (tempo > 0)
                    tempos.push_back({tick, tempo});
            }
            track.skip(length);
            runningStatus = 0;
            continue;
        }
        if (status == kSystemExclusive || status == kSystemExclusiveContinued) {
            uint32_t length = 0;
            if (!track.variableLength(length) || !track.skip(length)) {
                error = "damaged system-exclusive event";
                return false;
            }
            runningStatus = 0;
            continue;
        }
        if (status >= kSystemExclusive) {
            error = "status byte that a MIDI file cannot hold";
            return false;
        }
        runningStatus = status;
        const uint8_t kind = status & kStatusMask;
        const int dataBytes = kind == kProgramChange || kind == kChannelPressure ? 1 : 2;
        RawEvent event{tick, {status, 0, 0}, static_cast<uint8_t>(1 + dataBytes)};
        for (int i = 1; i <= dataBytes; ++i) {
            if (!track.byte(event.data[i]) || (event.data[i] & kStatusBit) != 0) {
                error = "damaged channel message";
                return false;
            }
        }
        events.push_back(event);
    }
    return true; // a missing end-of-track event is tolerated
}

} // namespace

bool parseMidiFile(const uint8_t* data, size_t size, double sampleRate, MidiSequence& events,
                   std::string& error)
{
    events.clear();
    if (!(sampleRate > 0.0)) {
        error = "sample rate must be positive";
        return false;
    }
    if (data == nullptr || size < kChunkHeaderBytes + kMinHeaderLength ||
        !std::equal(data, data + 4, "MThd")) {
        error = "not a Standard MIDI File";
        return false;
    }
    const uint32_t headerLength = bigEndian(data + 4, 4);
    if (headerLength < kMinHeaderLength || headerLength > size - kChunkHeaderBytes) {
        error = "damaged MIDI file header";
        return false;
    }
    const uint16_t format = static_cast<uint16_t>(bigEndian(data + 8, 2));
    const uint16_t trackCount = static_cast<uint16_t>(bigEndian(data + 10, 2));
    const uint16_t division = static_cast<uint16_t>(bigEndian(data + 12, 2));
    if (format > kHighestFormat) {
        error = "unknown MIDI file format";
        return false;
    }
    double secondsPerTimeCodeTick = 0.0;
    if ((division & kTimeCodeDivision) != 0) {
        const int framesPerSecond = -static_cast<int8_t>(division >> kDivisionFrameShift);
        const int ticksPerFrame = division & kTicksPerFrameMask;
        if (framesPerSecond <= 0 || ticksPerFrame == 0) {
            error = "damaged time-code division";
            return false;
        }
        secondsPerTimeCodeTick = 1.0 / (framesPerSecond * ticksPerFrame);
    } else if (division == 0) {
        error = "MIDI file with zero ticks per quarter note";
        return false;
    }

    std::vector<RawEvent> raw;
    std::vector<TempoChange> tempos;
    size_t position = kChunkHeaderBytes + headerLength;
    for (uint16_t track = 0; track < trackCount && size - position >= kChunkHeaderBytes;) {
        const uint32_t length = bigEndian(data + position + 4, 4);
        if (length > size - position - kChunkHeaderBytes) {
            error = "MIDI file ends inside a chunk";
            return false;
        }
        if (std::equal(data + position, data + position + 4, "MTrk")) {
            if (!readTrack(ByteReader(data + position + kChunkHeaderBytes, length), raw, tempos,
                           error))
                return false;
            ++track;
        }
        position += kChunkHeaderBytes + length;
    }

    std::stable_sort(raw.begin(), raw.end(),
                     [](const RawEvent& a, const RawEvent& b) { return a.tick < b.tick; });
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });

    // Walk events and tempo changes together, accumulating seconds.
    size_t nextTempo = 0;
    uint64_t segmentTick = 0;
    double segmentSeconds = 0.0;
    uint32_t microsecondsPerQuarter = kDefaultMicrosecondsPerQuarter;
    events.reserve(raw.size());
    for (const RawEvent& event : raw) {
        double seconds = 0.0;
        if (secondsPerTimeCodeTick > 0.0) {
            seconds = static_cast<double>(event.tick) * secondsPerTimeCodeTick;
        } else {
            while (nextTempo < tempos.size() && tempos[nextTempo].tick <= event.tick) {
                segmentSeconds += static_cast<double>(tempos[nextTempo].tick - segmentTick) *
                                  microsecondsPerQuarter / kMicrosecondsPerSecond / division;
                segmentTick = tempos[nextTempo].tick;
                microsecondsPerQuarter = tempos[nextTempo].microsecondsPerQuarter;
                ++nextTempo;
            }
            seconds = segmentSeconds + static_cast<double>(event.tick - segmentTick) *
                                           microsecondsPerQuarter / kMicrosecondsPerSecond /
                                           division;
        }
        if (seconds > kLongestSeconds) {
            error = "MIDI file plays longer than a day";
            events.clear();
            return false;
        }
        TimedMidiEvent timed;
        timed.frame = std::llround(seconds * sampleRate);
        std::copy(event.data, event.data + 3, timed.data);
        timed.size = event.size;
        events.push_back(timed);
    }
    return true;
}

bool readMidiFile(const std::string& path, double sampleRate, MidiSequence& events,
                  std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes;
    char chunk[4096];
    while (file.read(chunk, sizeof(chunk)) || file.gcount() > 0) {
        bytes.insert(bytes.end(), chunk, chunk + file.gcount());
        if (bytes.size() > kMaxMidiFileBytes) {
            error = path + " is too large for a MIDI file";
            return false;
        }
    }
    if (!parseMidiFile(bytes.data(), bytes.size(), sampleRate, events, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

} // namespace vsthost
