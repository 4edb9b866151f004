#include "AudioBuffer.h"

#include <cmath>
#include <limits>

namespace vsthost {
namespace {

constexpr double kDecibelsPerDecade = 20.0;

} // namespace

std::vector<ChannelStats> measure(const AudioBuffer& audio)
{
    std::vector<ChannelStats> result;
    for (const std::vector<float>& channel : audio.channels) {
        ChannelStats stats;
        double sumOfSquares = 0.0;
        for (float sample : channel) {
            if (!std::isfinite(sample)) {
                ++stats.nonFinite;
                continue;
            }
            stats.peak = std::max(stats.peak, std::fabs(sample));
            sumOfSquares += static_cast<double>(sample) * sample;
        }
        stats.rms =
            channel.empty() ? 0.0 : std::sqrt(sumOfSquares / static_cast<double>(channel.size()));
        result.push_back(stats);
    }
    return result;
}

int64_t firstSoundingFrame(const AudioBuffer& audio, float threshold)
{
    for (int64_t i = 0; i < audio.frames(); ++i)
        for (const std::vector<float>& channel : audio.channels)
            if (!(std::fabs(channel[static_cast<size_t>(i)]) <= threshold))
                return i;
    return -1;
}

double toDecibels(double level)
{
    return level > 0.0 ? kDecibelsPerDecade * std::log10(level)
                       : -std::numeric_limits<double>::infinity();
}

} // namespace vsthost
