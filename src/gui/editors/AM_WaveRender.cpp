#include "gui/editors/AM_WaveRender.h"

#include "gui/editors/AM_WaveSegment.h"

#include <algorithm>
#include <cmath>

namespace {

// The value-mode table reads 128 values over 256 entries.
constexpr float kValueScale = float(AM_WaveValueBlock::kValues - 1);

float sharedTable[kWaveTableSize];

int tableIndex(float x)
{
    const float position = x * float(kWaveTableSize);
    if (!(position > 0.0f))
        return 0;
    return position >= float(kWaveTableSize) ? kWaveTableSize : int(position);
}

} // namespace

void renderWave(const AM_WavesetBlock& points, const AM_WaveValueBlock& values, int wave,
                int mode, float* table)
{
    if (!table)
        return;
    std::fill(table, table + kWaveTableSize, 0.0f);
    if (!AM_WavesetBlock::validWave(wave))
        return;
    if (mode == kWaveValues) {
        for (int k = 0; k < kWaveTableSize; ++k) {
            int index = int(float(k) / float(kWaveTableSize) * kValueScale);
            if (index > AM_WaveValueBlock::kValues - 1)
                index = 0;
            table[k] = values.value(wave, index);
        }
        return;
    }
    const int n = points.pointCount();
    for (int p = 0; p < n; ++p) {
        const int start = tableIndex(points.x(wave, p));
        const int end = p + 1 < n ? tableIndex(points.x(wave, p + 1)) : kWaveTableSize;
        const int count = end - start;
        if (count <= 0)
            continue;
        const AM_WaveSegment segment = waveSegment(points, wave, p, mode).sounding();
        for (int k = 0; k < count; ++k)
            table[start + k] = segment.level(float(k) / float(count));
    }
}

float* getWavePeaks(const AM_WavesetBlock& points, const AM_WaveValueBlock& values, int wave,
                    int mode, int count, float* table)
{
    if (!table || count < 1)
        return table;
    renderWave(points, values, wave, mode, table);
    count = std::min(count, kWaveTableSize);
    const float step = float(kWaveTableSize) / float(count);
    float edge = 0.0f;
    for (int i = 0; i < count; ++i) {
        const int first = std::min(int(edge), kWaveTableSize);
        edge += step;
        const int end = std::min(int(edge), kWaveTableSize);
        float peak = 0.0f;
        for (int k = first; k < end; ++k) {
            if (std::fabs(table[k]) > std::fabs(peak))
                peak = table[k];
        }
        table[i] = peak;
    }
    return table;
}

float* sharedWaveTable() { return sharedTable; }

void resetSharedWaveTable() { std::fill(sharedTable, sharedTable + kWaveTableSize, 0.0f); }
