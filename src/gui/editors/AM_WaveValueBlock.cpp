#include "gui/editors/AM_WaveValueBlock.h"

#include "foundation/AM_STD.h"
#include "gui/editors/AM_BlockValues.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kFilterPasses = 2;
constexpr float kBlurSide = 0.25f, kBlurCentre = 0.5f;
constexpr float kSharpenSide = -0.1f, kSharpenCentre = 0.8f;

float largestMagnitude(const float* v, int count)
{
    float largest = 0.0f;
    for (int i = 0; i < count; ++i)
        largest = std::max(largest, std::fabs(v[i]));
    return largest;
}

} // namespace

AM_WaveValueBlock::AM_WaveValueBlock() { std::memset(values_, 0, sizeof values_); }

bool AM_WaveValueBlock::assign(const void* bytes, size_t size)
{
    if (!bytes)
        return false;
    if (size != kBytes) {
        char line[64];
        AM_STD::sprintvn(line, sizeof line, "oops... Wavevalues size is %d\n",
                         int(std::min<size_t>(size, 0x7FFFFFFF)));
        platform::standardOutput(line);
    }
    if (bytes != values_)
        std::memmove(values_, bytes, std::min(size, kBytes));
    int mended = 0;
    for (auto& wave : values_) {
        for (float& v : wave)
            v = mendFloat(v, -1.0f, 1.0f, 0.0f, &mended);
    }
    if (mended > 0)
        AM_STD::printv("Wave values: %d values out of range, limited\n", mended);
    return true;
}

void AM_WaveValueBlock::copyTo(void* bytes) const
{
    if (bytes)
        std::memmove(bytes, values_, kBytes);
}

float AM_WaveValueBlock::value(int wave, int sample) const
{
    return validWave(wave) && validSample(sample) ? values_[wave][sample] : 0.0f;
}

void AM_WaveValueBlock::setValue(int wave, int sample, float value)
{
    if (validWave(wave) && validSample(sample))
        values_[wave][sample] = mendFloat(value, -1.0f, 1.0f, 0.0f, nullptr);
}

void AM_WaveValueBlock::fillLine(int wave, int from, int to)
{
    if (!validWave(wave) || !validSample(from) || !validSample(to))
        return;
    const int distance = std::abs(to - from);
    if (distance < 2)
        return;
    const int step = to > from ? 1 : -1;
    const float start = values_[wave][from];
    const float end = values_[wave][to];
    for (int i = 1; i < distance; ++i)
        values_[wave][from + i * step] = start + (end - start) * float(i) / float(distance);
}

void AM_WaveValueBlock::filter(int wave, float side, float centre)
{
    if (!validWave(wave))
        return;
    float* v = values_[wave];
    const float before = largestMagnitude(v, kValues);
    for (int pass = 0; pass < kFilterPasses; ++pass) {
        float source[kValues];
        std::memcpy(source, v, sizeof source);
        for (int i = 0; i < kValues; ++i) {
            const float left = source[(i + kValues - 1) % kValues];
            const float right = source[(i + 1) % kValues];
            v[i] = side * left + centre * source[i] + side * right;
        }
    }
    const float after = largestMagnitude(v, kValues);
    if (after > 0.0f) {
        const float scale = before / after;
        for (int i = 0; i < kValues; ++i)
            v[i] = std::clamp(v[i] * scale, -1.0f, 1.0f);
    }
}

void AM_WaveValueBlock::blur(int wave) { filter(wave, kBlurSide, kBlurCentre); }

void AM_WaveValueBlock::sharpen(int wave) { filter(wave, kSharpenSide, kSharpenCentre); }

void AM_WaveValueBlock::maximize(int wave)
{
    if (!validWave(wave))
        return;
    float* v = values_[wave];
    float high = 0.0f;
    float low = 0.0f;
    for (int i = 0; i < kValues; ++i) {
        high = std::max(high, v[i]);
        low = std::min(low, v[i]);
    }
    const float range = high - low;
    if (!(range > 0.0f))
        return;
    const float middle = (high + low) / 2.0f;
    for (int i = 0; i < kValues; ++i)
        v[i] = std::clamp((v[i] - middle) * 2.0f / range, -1.0f, 1.0f);
}

void AM_WaveValueBlock::moveWave(int from, int to)
{
    if (!validWave(from) || !validWave(to) || from == to)
        return;
    moveRow(values_, from, to);
}

void AM_WaveValueBlock::copyWave(int from, int to)
{
    if (validWave(from) && validWave(to) && from != to)
        std::memcpy(values_[to], values_[from], sizeof values_[to]);
}

void AM_WaveValueBlock::interpolateWaves(int a, int b)
{
    if (!validWave(a) || !validWave(b))
        return;
    const int lo = std::min(a, b);
    const int hi = std::max(a, b);
    const int span = hi - lo;
    if (span < 2)
        return;
    for (int k = lo + 1; k < hi; ++k) {
        for (int i = 0; i < kValues; ++i)
            values_[k][i] = values_[lo][i] +
                            (values_[hi][i] - values_[lo][i]) * float(k - lo) / float(span);
    }
}

int AM_WaveValueBlock::sampleAt(float px, float left, float width, float scale)
{
    if (!(width > 0.0f))
        return -1;
    const float position = (px - left) / width * scale;
    // Truncation: a position in (-1, 0) is still sample 0.
    if (!(position > -1.0f) || !(position < float(kValues)))
        return -1;
    return int(position);
}

float AM_WaveValueBlock::valueAt(float py, float top, float height)
{
    if (!(height > 0.0f))
        return 0.0f;
    const float half = height / 2.0f;
    return mendFloat((top + half - py) / half, -1.0f, 1.0f, 0.0f, nullptr);
}
