#include "gui/editors/AM_EQCurves.h"

#include "gui/editors/AM_BlockValues.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kThirdPi = 1.0471975f;

// The sine polynomial's coefficients, highest power last.
constexpr float kSine3 = -0.16666667f;
constexpr float kSine5 = 0.008333334f;
constexpr float kSine7 = -0.0001984127f;
constexpr float kSine9 = 0.0000027557319f;

// Bell: width and step per unit of q.
constexpr float kPeakWidthPerQ = 0.06f;
constexpr float kPeakHalfWidth = 50.0f;
constexpr float kPeakStep = 0.02f;

// Shelves: the transition's width and its offset from the band's position.
constexpr float kShelfQScale = 0.01f;
constexpr float kShelfQWeight = 5.0f;
constexpr float kShelfWidth = 80.0f;
constexpr float kShelfMinWidth = 5.0f;
constexpr float kShelfOffset = 5.0f;
constexpr float kShelfOffsetPerV = 15.0f;
constexpr int kShelfAxisEnd = 100;

// Band and filter flanks: the width at q = 0 and its narrowing per unit of q.
constexpr int kFlankWidth = 30;
constexpr float kBandPassNarrowing = 0.24f;
constexpr float kFilterNarrowing = 0.26f;
constexpr double kFilterQScale = 0.01;
constexpr float kFilterLift = 48.0f;
constexpr float kFilterResonance = 24.0f;
constexpr float kCutoffDip = 6.0f;
constexpr int kFilterAxisEnd = 100;

// Positions and widths beyond these change no result; amounts beyond this
// many pixels cannot be drawn and would overflow the sums.
constexpr float kPositionLimit = 1000.0f;
constexpr float kWidthLimit = 1000.0f;
constexpr float kAmountLimit = 1.0e6f;
// The bell's reach in entries is held to this (it covers any axis): only a
// width that makes the bell's factor exactly 0 reaches it.
constexpr float kPeakReachLimit = 1.0e9f;

// Checks the arguments every builder shares and holds f and q to ranges in
// which the integer conversions are defined.
bool prepare(AM_EQPoint* points, int n, float* f, float* amount, float* q)
{
    if (!points || n <= 0 || !std::isfinite(*f) || !std::isfinite(*amount) || !std::isfinite(*q))
        return false;
    *f = std::clamp(*f, -kPositionLimit, kPositionLimit);
    *amount = std::clamp(*amount, -kAmountLimit, kAmountLimit);
    *q = std::clamp(*q, -kWidthLimit, kWidthLimit);
    return true;
}

// The raised-sine step of the bell and the shelves at phase u.
float sineStep(float amount, float u) { return amount * (eqSine(u) + 1.0f) * 0.5f; }

// The flank geometry shared by the band pass and the filters.
struct Flanks {
    int centre; // fi
    int left;   // L
    int right;  // R
};

Flanks flanks(int position, float narrowing, float q, int n)
{
    Flanks g;
    g.centre = clampInt(position, 0, n);
    g.left = clampInt(position - int(-narrowing * q) - kFlankWidth, 0, n);
    g.right = clampInt(position - int(narrowing * q) + kFlankWidth, 0, n);
    return g;
}

// r of the band pass and the filters: q * 0.01 computed in double and
// rounded to single precision.
float resonanceOf(float q) { return float(double(q) * kFilterQScale); }

// The low pass on integer position `position`; with `mirrored` every entry
// index i is replaced by n - 1 - i (the high pass).
void addFilter(AM_EQPoint* points, int n, int position, float amount, float q, bool mirrored)
{
    const Flanks g = flanks(position, kFilterNarrowing, q, n);
    const float r = resonanceOf(q);
    const float pass = -(amount + kFilterLift);
    const float cutoff = pass + kCutoffDip - kFilterResonance * r * r;
    const float half = (amount + kFilterLift) / 2.0f;
    const float dip = pass - cutoff;
    const auto y = [points, n, mirrored](int i) -> float& {
        return points[mirrored ? n - 1 - i : i].y;
    };
    for (int i = 0; i < g.left; ++i)
        y(i) += pass;
    if (g.centre - g.left > 1) {
        const float step = 1.0f / float(g.centre - g.left);
        float t = 0.0f;
        for (int i = g.left; i < g.centre; ++i) {
            y(i) += pass + (half + 2.0f * dip) * t * t * t - (half + 3.0f * dip) * t * t;
            t += step;
        }
    }
    if (g.right - g.centre >= 2) {
        const float step = 1.0f / float(g.right - g.centre);
        const float fall = cutoff + half;
        float t = 0.0f;
        for (int i = g.centre; i < g.right; ++i) {
            y(i) += cutoff + fall * t * t * t - 2.0f * fall * t * t + half * t;
            t += step;
        }
    }
}

} // namespace

float eqSine(float u)
{
    const float u2 = u * u;
    return u * (1.0f + u2 * (kSine3 + u2 * (kSine5 + u2 * (kSine7 + u2 * kSine9))));
}

void addPeak(AM_EQPoint* points, int n, float f, float amount, float q)
{
    if (!prepare(points, n, &f, &amount, &q))
        return;
    const int centre = clampInt(int(f), 0, n);
    // A negative factor (q below -16.7) gives a negative reach: no entry is
    // covered and nothing is drawn.
    const float k = 1.0f + kPeakWidthPerQ * q;
    const int width = int(std::clamp(kPeakHalfWidth / k, -kPeakReachLimit, kPeakReachLimit));
    const float step = kPeakStep * k;

    float t = 1.0f;
    const int rightEnd = std::min(centre + width, n);
    for (int i = centre; i < rightEnd; ++i) {
        points[i].y -= sineStep(amount, kPi * t * t - kHalfPi);
        t -= step;
    }
    int start = centre - width;
    t = 0.0f;
    if (start < 0) {
        t = float(-start) * step;
        start = 0;
    }
    for (int i = start; i < centre; ++i) {
        points[i].y -= sineStep(amount, kPi * t * t - kHalfPi);
        t += step;
    }
}

namespace {

// The shelves' shared figures: v, the transition's width w.
struct Shelf {
    float v;
    int width;
};

Shelf shelfOf(float q)
{
    const float r = kShelfQScale * q;
    const float v = 1.0f / (kShelfQWeight * r * r + 1.0f);
    return {v, int(kShelfWidth * v + kShelfMinWidth)};
}

// The transition of a shelf over entries index(m .. m + w - 1).
template <typename Index>
void shelfTransition(AM_EQPoint* points, int n, int m, int width, float amount, Index index)
{
    const float step = 1.0f / float(width);
    const int end = std::min(m + width, n);
    float t = 1.0f;
    for (int j = m; j < end; ++j) {
        points[index(j)].y -= sineStep(amount, kThirdPi * (t + 2.0f) * t - kHalfPi);
        t -= step;
    }
}

} // namespace

void addLowShelf(AM_EQPoint* points, int n, float f, float amount, float q)
{
    if (!prepare(points, n, &f, &amount, &q))
        return;
    const Shelf shelf = shelfOf(q);
    const int m = clampInt(int(f - kShelfOffset - kShelfOffsetPerV * shelf.v), 0, n);
    for (int i = 0; i < m; ++i)
        points[i].y -= amount;
    shelfTransition(points, n, m, shelf.width, amount, [](int j) { return j; });
}

void addHighShelf(AM_EQPoint* points, int n, float f, float amount, float q)
{
    if (!prepare(points, n, &f, &amount, &q))
        return;
    const Shelf shelf = shelfOf(q);
    const int m =
        std::max(std::min(kShelfAxisEnd - int(kShelfOffsetPerV * shelf.v + f + kShelfOffset), n), 0);
    for (int j = 0; j < m; ++j)
        points[n - 1 - j].y -= amount;
    shelfTransition(points, n, m, shelf.width, amount, [n](int j) { return n - 1 - j; });
}

void addBandPass(AM_EQPoint* points, int n, float f, float amount, float q)
{
    if (!prepare(points, n, &f, &amount, &q))
        return;
    const Flanks g = flanks(int(f), kBandPassNarrowing, q, n);
    const float r = resonanceOf(q);
    const float depth = -(amount + kFilterLift) - kFilterResonance * r * r;
    if (g.centre - g.left > 1) {
        const float rise = -depth;
        const float step = 1.0f / float(g.centre - g.left);
        float t = 0.0f;
        for (int i = g.left; i < g.centre; ++i) {
            points[i].y += ((2.0f * rise * t - 3.0f * rise) * t) * t;
            t += step;
        }
    }
    if (g.right - g.centre >= 2) {
        const float step = 1.0f / float(g.right - g.centre);
        float t = 0.0f;
        for (int i = g.centre; i < g.right; ++i) {
            points[i].y += (2.0f * depth * t - 3.0f * depth) * t * t + depth;
            t += step;
        }
    }
}

void addLowPass(AM_EQPoint* points, int n, float f, float amount, float q)
{
    if (!prepare(points, n, &f, &amount, &q))
        return;
    addFilter(points, n, int(f), amount, q, false);
}

void addHighPass(AM_EQPoint* points, int n, float f, float amount, float q)
{
    if (!prepare(points, n, &f, &amount, &q))
        return;
    addFilter(points, n, kFilterAxisEnd - int(f), amount, q, true);
}

bool isFilterMode(int mode)
{
    return mode == kEQModeFilter || mode == kEQModeBandpasses || mode == kEQModePannedBandpasses;
}

float eqBaseline(const AM_Rect& bounds, int mode, float outputGain)
{
    if (isFilterMode(mode))
        return bounds.y + bounds.h - kEQFilterBaselineInset;
    const float gain = std::isfinite(outputGain) ? outputGain : 0.0f;
    return bounds.y + (bounds.h - 1.0f) / 2.0f - kEQPixelsPerGain * gain;
}

void layoutEQPoints(AM_EQPoint* points, int n, const AM_Rect& bounds, float baseline)
{
    if (!points)
        return;
    for (int i = 0; i < n; ++i) {
        points[i].x = bounds.x + kEQLeftMargin + kEQStep * float(i);
        points[i].y = baseline;
    }
}

int eqBandShapes(int mode, int bandCount, AM_EQShape* shapes)
{
    for (int b = 0; b < kEQMaxBands; ++b)
        shapes[b] = kEQNone;
    const bool sixBands = bandCount >= kEQMaxBands;
    switch (mode) {
    case kEQModeEQ:
        if (sixBands) {
            shapes[0] = kEQLowShelf;
            for (int b = 1; b < kEQMaxBands - 1; ++b)
                shapes[b] = kEQPeak;
            shapes[kEQMaxBands - 1] = kEQHighShelf;
            return kEQMaxBands;
        }
        break;
    case kEQModePeaks:
        shapes[0] = shapes[1] = shapes[2] = shapes[3] = kEQPeak;
        return 4;
    case kEQModeFilter:
        shapes[0] = kEQLowPass;
        shapes[1] = shapes[2] = kEQBandPass;
        shapes[3] = kEQHighPass;
        return 4;
    case kEQModeBandpasses:
    case kEQModePannedBandpasses:
        shapes[0] = shapes[1] = shapes[2] = shapes[3] = kEQBandPass;
        return 4;
    default:
        break;
    }
    shapes[0] = kEQLowShelf;
    shapes[1] = shapes[2] = kEQPeak;
    shapes[3] = kEQHighShelf;
    return 4;
}

void addEQShape(AM_EQShape shape, AM_EQPoint* points, int n, float f, float amount, float q)
{
    switch (shape) {
    case kEQPeak:
        addPeak(points, n, f, amount, q);
        break;
    case kEQLowShelf:
        addLowShelf(points, n, f, amount, q);
        break;
    case kEQHighShelf:
        addHighShelf(points, n, f, amount, q);
        break;
    case kEQLowPass:
        addLowPass(points, n, f, amount, q);
        break;
    case kEQHighPass:
        addHighPass(points, n, f, amount, q);
        break;
    case kEQBandPass:
        addBandPass(points, n, f, amount, q);
        break;
    case kEQNone:
        break;
    }
}
