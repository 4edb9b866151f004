#pragma once
// WAV files through libsndfile.

#include "AudioBuffer.h"

#include <string>

namespace vsthost {

enum class SampleFormat { float32, pcm16, pcm24 };

// Writes audio as a WAV file (integer formats are clipped, not wrapped).
bool writeWav(const std::string& path, const AudioBuffer& audio, int sampleRate,
              SampleFormat format, std::string& error);
// Reads any file libsndfile knows into float channels.
bool readWav(const std::string& path, AudioBuffer& audio, int& sampleRate, std::string& error);

} // namespace vsthost
