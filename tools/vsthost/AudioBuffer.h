#pragma once
// Rendered audio, one vector of samples per channel, and its measures.

#include <cstdint>
#include <vector>

namespace vsthost {

struct AudioBuffer {
    std::vector<std::vector<float>> channels;

    int channelCount() const { return static_cast<int>(channels.size()); }
    int64_t frames() const
    {
        return channels.empty() ? 0 : static_cast<int64_t>(channels[0].size());
    }
};

struct ChannelStats {
    float peak = 0.0f;     // largest magnitude
    double rms = 0.0;      // root mean square over the whole channel
    int64_t nonFinite = 0; // NaN or infinite samples (left out of peak and RMS)
};

std::vector<ChannelStats> measure(const AudioBuffer& audio);

// The first frame at which any channel's magnitude exceeds threshold, or -1.
int64_t firstSoundingFrame(const AudioBuffer& audio, float threshold = 0.0f);

// Level in dB relative to full scale; -inf for 0.
double toDecibels(double level);

} // namespace vsthost
