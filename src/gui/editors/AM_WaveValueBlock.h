#pragma once
// The wave-value block: 128 values per wave for the 16 waves of a waveset,
// edited directly in value mode. Byte layout: float values[16][128], wave w
// at byte w * 512, 8192 bytes. Values run from -1 to +1 (+1 drawn at the
// top). assign() limits every value to that range (not finite becomes 0);
// every operation refuses wave and sample indices out of range.
//
// GUI thread only.

#include <bit>
#include <cstddef>

class AM_WaveValueBlock {
public:
    static constexpr int kWaves = 16;
    static constexpr int kValues = 128;
    static constexpr size_t kBytes = sizeof(float) * kWaves * kValues;

    // All values 0.
    AM_WaveValueBlock();

    // Takes over size bytes (at most kBytes; the rest keeps its content) and
    // checks them. A size other than kBytes is reported on the standard
    // output ("oops... Wavevalues size is %d") and copied all the same. A
    // null source changes nothing and answers false.
    bool assign(const void* bytes, size_t size);
    void copyTo(void* bytes) const;
    const void* data() const { return values_; }

    static bool validWave(int wave) { return wave >= 0 && wave < kWaves; }
    static bool validSample(int sample) { return sample >= 0 && sample < kValues; }

    // An index out of range reads 0 and writes nothing; values are limited
    // to [-1, 1] (not finite gives 0).
    float value(int wave, int sample) const;
    void setValue(int wave, int sample, float value);
    // Samples strictly between `from` and `to` take the values on the
    // straight line between the two samples' values (nothing when they are
    // fewer than 2 apart).
    void fillLine(int wave, int from, int to);

    // Two passes of the 3-tap filter (0.25, 0.5, 0.25) with wrap-around,
    // then rescaled to the largest magnitude before.
    void blur(int wave);
    // The same with the weights (-0.1, 0.8, -0.1).
    void sharpen(int wave);
    // Centres the wave and stretches it to fill [-1, 1].
    void maximize(int wave);

    void moveWave(int from, int to);
    void copyWave(int from, int to);
    void interpolateWaves(int a, int b);

    // The sample under a pointer at px in a graph starting at left and
    // `width` wide: int((px - left) / width * scale); -1 when it lies
    // outside 0..127 or the graph has no width.
    static int sampleAt(float px, float left, float width, float scale);
    // The value under a pointer at py in a graph of the given top and
    // height (+1 at the top), limited to [-1, 1]; 0 when it has no height.
    static float valueAt(float py, float top, float height);

private:
    void filter(int wave, float side, float centre);

    static_assert(std::endian::native == std::endian::little, "blocks are little-endian");
    float values_[kWaves][kValues];
};
