// WAV files written and read by the host itself (for builds without
// libsndfile): 32-bit float, 16- or 24-bit integer PCM, little-endian.
#include "WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vsthost {
namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr size_t kFmtBytes = 16;

void put16(std::string& out, uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

uint32_t get16(const std::string& in, size_t at)
{
    return static_cast<uint8_t>(in[at]) | static_cast<uint32_t>(static_cast<uint8_t>(in[at + 1]))
                                              << 8;
}

uint32_t get32(const std::string& in, size_t at)
{
    return get16(in, at) | get16(in, at + 2) << 16;
}

int32_t clippedInteger(float sample, int bits)
{
    const double scale = static_cast<double>(1LL << (bits - 1));
    const double value = std::nearbyint(static_cast<double>(sample) * scale);
    return static_cast<int32_t>(std::clamp(value, -scale, scale - 1.0));
}

} // namespace

bool writeWav(const std::string& path, const AudioBuffer& audio, int sampleRate,
              SampleFormat format, std::string& error)
{
    if (audio.channelCount() < 1) {
        error = "nothing to write: the plug-in has no outputs";
        return false;
    }
    const uint32_t channels = static_cast<uint32_t>(audio.channelCount());
    const uint32_t bytesPerSample =
        format == SampleFormat::pcm16 ? 2 : format == SampleFormat::pcm24 ? 3 : 4;
    const uint64_t dataBytes = static_cast<uint64_t>(audio.frames()) * channels * bytesPerSample;
    if (dataBytes > 0xFFFFFFFFull - 64) {
        error = "cannot write " + path + ": too long for a WAV file";
        return false;
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(dataBytes) + 64);
    bytes += "RIFF";
    put32(bytes, static_cast<uint32_t>(4 + 8 + kFmtBytes + 8 + dataBytes));
    bytes += "WAVEfmt ";
    put32(bytes, kFmtBytes);
    put16(bytes, format == SampleFormat::float32 ? kFormatFloat : kFormatPcm);
    put16(bytes, channels);
    put32(bytes, static_cast<uint32_t>(sampleRate));
    put32(bytes, static_cast<uint32_t>(sampleRate) * channels * bytesPerSample);
    put16(bytes, channels * bytesPerSample);
    put16(bytes, bytesPerSample * 8);
    bytes += "data";
    put32(bytes, static_cast<uint32_t>(dataBytes));
    for (int64_t i = 0; i < audio.frames(); ++i) {
        for (uint32_t c = 0; c < channels; ++c) {
            const float sample = audio.channels[c][static_cast<size_t>(i)];
            if (format == SampleFormat::float32) {
                uint32_t word;
                std::memcpy(&word, &sample, sizeof word);
                put32(bytes, word);
            } else {
                const int bits = static_cast<int>(bytesPerSample * 8);
                const auto word = static_cast<uint32_t>(clippedInteger(sample, bits));
                for (uint32_t b = 0; b < bytesPerSample; ++b)
                    bytes += static_cast<char>((word >> (8 * b)) & 0xFF);
            }
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool readWav(const std::string& path, AudioBuffer& audio, int& sampleRate, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        error = "cannot read " + path + ": not a WAV file";
        return false;
    }
    uint32_t tag = 0, channels = 0, bits = 0;
    size_t dataAt = 0, dataBytes = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = get32(bytes, at + 4);
        const size_t body = at + 8;
        if (size > bytes.size() - body)
            break;
        if (bytes.compare(at, 4, "fmt ") == 0 && size >= kFmtBytes) {
            tag = get16(bytes, body);
            channels = get16(bytes, body + 2);
            sampleRate = static_cast<int>(get32(bytes, body + 4));
            bits = get16(bytes, body + 14);
            if (tag == kFormatExtensible && size >= 26)
                tag = get16(bytes, body + 24);
        } else if (bytes.compare(at, 4, "data") == 0) {
            dataAt = body;
            dataBytes = size;
        }
        at = body + size + (size & 1);
    }
    const bool known = (tag == kFormatFloat && bits == 32) ||
                       (tag == kFormatPcm && (bits == 16 || bits == 24));
    if (!known || channels == 0 || dataAt == 0) {
        error = "cannot read " + path + ": unsupported WAV format";
        return false;
    }
    const size_t bytesPerSample = bits / 8;
    const size_t frames = dataBytes / (bytesPerSample * channels);
    audio.channels.assign(channels, std::vector<float>(frames));
    for (size_t i = 0; i < frames; ++i) {
        for (uint32_t c = 0; c < channels; ++c) {
            const size_t at = dataAt + (i * channels + c) * bytesPerSample;
            float sample;
            if (tag == kFormatFloat) {
                const uint32_t word = get32(bytes, at);
                std::memcpy(&sample, &word, sizeof sample);
            } else {
                uint32_t word = 0;
                for (size_t b = 0; b < bytesPerSample; ++b)
                    word |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + b])) << (8 * b);
                const uint32_t shift = 32 - static_cast<uint32_t>(bits);
                const auto value = static_cast<int32_t>(word << shift) >> shift;
                sample = static_cast<float>(value / static_cast<double>(1LL << (bits - 1)));
            }
            audio.channels[c][i] = sample;
        }
    }
    return true;
}

} // namespace vsthost
