#include "WavFile.h"

#include <sndfile.h>

#include <algorithm>
#include <memory>

namespace vsthost {
namespace {

constexpr sf_count_t kFramesPerWrite = 4096;

struct FileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SoundFile = std::unique_ptr<SNDFILE, FileCloser>;

int subtype(SampleFormat format)
{
    switch (format) {
    case SampleFormat::pcm16:
        return SF_FORMAT_PCM_16;
    case SampleFormat::pcm24:
        return SF_FORMAT_PCM_24;
    case SampleFormat::float32:
        break;
    }
    return SF_FORMAT_FLOAT;
}

} // namespace

bool writeWav(const std::string& path, const AudioBuffer& audio, int sampleRate,
              SampleFormat format, std::string& error)
{
    if (audio.channelCount() < 1) {
        error = "nothing to write: the plug-in has no outputs";
        return false;
    }
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = audio.channelCount();
    info.format = SF_FORMAT_WAV | subtype(format);
    SoundFile file(sf_open(path.c_str(), SFM_WRITE, &info));
    if (!file) {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const int channels = audio.channelCount();
    std::vector<float> interleaved(static_cast<size_t>(kFramesPerWrite * channels));
    for (sf_count_t start = 0; start < audio.frames(); start += kFramesPerWrite) {
        const sf_count_t count = std::min<sf_count_t>(kFramesPerWrite, audio.frames() - start);
        for (sf_count_t i = 0; i < count; ++i)
            for (int c = 0; c < channels; ++c)
                interleaved[static_cast<size_t>(i * channels + c)] =
                    audio.channels[static_cast<size_t>(c)][static_cast<size_t>(start + i)];
        if (sf_writef_float(file.get(), interleaved.data(), count) != count) {
            error = "cannot write " + path + ": " + sf_strerror(file.get());
            return false;
        }
    }
    return true;
}

bool readWav(const std::string& path, AudioBuffer& audio, int& sampleRate, std::string& error)
{
    SF_INFO info{};
    SoundFile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        error = "cannot read " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    sampleRate = info.samplerate;
    std::vector<float> interleaved(static_cast<size_t>(info.frames * info.channels));
    const sf_count_t read = sf_readf_float(file.get(), interleaved.data(), info.frames);
    audio.channels.assign(static_cast<size_t>(info.channels), {});
    for (int c = 0; c < info.channels; ++c) {
        std::vector<float>& channel = audio.channels[static_cast<size_t>(c)];
        channel.resize(static_cast<size_t>(read));
        for (sf_count_t i = 0; i < read; ++i)
            channel[static_cast<size_t>(i)] =
                interleaved[static_cast<size_t>(i * info.channels + c)];
    }
    return true;
}

} // namespace vsthost
