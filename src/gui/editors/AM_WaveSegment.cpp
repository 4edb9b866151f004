#include "gui/editors/AM_WaveSegment.h"

#include <algorithm>
#include <cmath>

namespace {

// The level the closing point at x = 1 has in a curve mode.
float closingLevel(const AM_WavesetBlock& block, int wave, int mode)
{
    return mode == kWaveOpen ? 1.0f : block.y(wave, 0);
}

} // namespace

float waveCubic(float y0, float y1, float ym, float y2, float c, float b, float t)
{
    const float s = 2.0f * y0 - y1;
    const float e = 2.0f * y1 - y0;
    const float a = (y1 - (s + 3.0f * c * (ym - s))) / 2.0f;
    const float d = (e + 3.0f * b * (y2 - e) - y0) / 2.0f;
    const float drop = y0 - y1;
    return y0 + a * t - (3.0f * drop + 2.0f * a + d) * t * t + (2.0f * drop + a + d) * t * t * t;
}

AM_WaveSegment AM_WaveSegment::sounding() const
{
    AM_WaveSegment s = *this;
    s.y0 = -y0;
    s.y1 = -y1;
    s.ym = -ym;
    s.y2 = -y2;
    return s;
}

AM_WaveSegment AM_WaveSegment::blend(const AM_WaveSegment& a, const AM_WaveSegment& b,
                                     float fraction)
{
    const auto mix = [fraction](float u, float v) { return u + (v - u) * fraction; };
    AM_WaveSegment s;
    s.x0 = mix(a.x0, b.x0);
    s.x1 = mix(a.x1, b.x1);
    s.y0 = mix(a.y0, b.y0);
    s.y1 = mix(a.y1, b.y1);
    s.ym = mix(a.ym, b.ym);
    s.y2 = mix(a.y2, b.y2);
    s.c = mix(a.c, b.c);
    s.b = mix(a.b, b.b);
    return s;
}

AM_WaveSegment waveSegment(const AM_WavesetBlock& block, int wave, int segment, int mode)
{
    AM_WaveSegment s;
    const int n = block.pointCount();
    if (!AM_WavesetBlock::validWave(wave) || segment < 0 || segment >= n)
        return s;
    const bool open = mode == kWaveOpen;
    const int p = segment;
    s.x0 = block.x(wave, p);
    s.y0 = block.y(wave, p);
    s.c = block.outWeight(wave, p);
    if (p > 0)
        s.ym = block.y(wave, p - 1);
    else
        s.ym = open ? s.y0 : block.y(wave, n - 1);
    if (p + 1 < n) {
        s.x1 = block.x(wave, p + 1);
        s.y1 = block.y(wave, p + 1);
        s.b = block.inWeight(wave, p + 1);
        s.y2 = p + 2 < n ? block.y(wave, p + 2) : closingLevel(block, wave, mode);
    } else {
        // The closing segment, into the point that stands for point 0.
        s.x1 = 1.0f;
        s.y1 = closingLevel(block, wave, mode);
        s.b = block.inWeight(wave, 0);
        s.y2 = open ? s.y1 : block.y(wave, 1);
    }
    return s;
}

float waveLevelAt(const AM_WavesetBlock& block, int wave, float x, int mode)
{
    if (!AM_WavesetBlock::validWave(wave))
        return 0.0f;
    x = std::isfinite(x) ? std::clamp(x, 0.0f, 1.0f) : 0.0f;
    const int n = block.pointCount();
    int segment = 0;
    while (segment + 1 < n && block.x(wave, segment + 1) <= x)
        ++segment;
    const AM_WaveSegment s = waveSegment(block, wave, segment, mode);
    const float run = s.x1 - s.x0;
    float t = run > 0.0f ? (x - s.x0) / run : 0.5f;
    t = std::clamp(t, 0.0f, 1.0f);
    return s.level(t);
}
