#include "gui/editors/AM_EQCurves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

// The reference below follows the builders' formulas as written: the index
// geometry and the running parameters in single precision (they decide
// which entries a shape covers), every level in double precision.
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kBase = 50.0f;

double sine(double u)
{
    const double u2 = u * u;
    return u * (1 - 0.16666667 * u2 + 0.008333334 * u2 * u2 - 0.0001984127 * u2 * u2 * u2 +
                0.0000027557319 * u2 * u2 * u2 * u2);
}

int clampN(int v, int n) { return std::clamp(v, 0, n); }

using Ref = std::vector<double>;

Ref refPeak(int n, float f, float a, float q)
{
    Ref y(size_t(n), kBase);
    const int fi = clampN(int(f), n);
    const float k = 1 + 0.06f * q;
    const int w = int(50 / k);
    const float s = 0.02f * k;
    const auto bell = [a](float t) { return a * (sine(kPi * t * t - kPi / 2) + 1) * 0.5; };
    float t = 1;
    for (int i = fi; i < std::min(fi + w, n); ++i, t -= s)
        y[size_t(i)] -= bell(t);
    int start = fi - w;
    t = 0;
    if (start < 0) {
        t = float(-start) * s;
        start = 0;
    }
    for (int i = start; i < fi; ++i, t += s)
        y[size_t(i)] -= bell(t);
    return y;
}

Ref refShelf(int n, float f, float a, float q, bool high)
{
    Ref y(size_t(n), kBase);
    const float r = 0.01f * q;
    const float v = 1 / (5 * r * r + 1);
    const int w = int(80 * v + 5);
    const int m = high ? std::max(std::min(100 - int(15 * v + f + 5), n), 0)
                       : clampN(int(f - 5 - 15 * v), n);
    const auto at = [&](int j) -> double& { return y[size_t(high ? n - 1 - j : j)]; };
    for (int j = 0; j < m; ++j)
        at(j) -= a;
    float t = 1;
    for (int j = m; j < std::min(m + w, n); ++j, t -= 1.0f / float(w))
        at(j) -= a * (sine(kPi / 3 * (t + 2) * t - kPi / 2) + 1) * 0.5;
    return y;
}

Ref refBandPass(int n, float f, float a, float q)
{
    Ref y(size_t(n), kBase);
    const int fi = clampN(int(f), n);
    const int l = clampN(int(f) - int(-0.24f * q) - 30, n);
    const int r = clampN(int(f) - int(0.24f * q) + 30, n);
    const double rr = float(double(q) * 0.01);
    const double d = -(a + 48.0) - 24 * rr * rr;
    if (fi - l > 1) {
        float t = 0;
        for (int i = l; i < fi; ++i, t += 1.0f / float(fi - l))
            y[size_t(i)] += d * (3.0 * t * t - 2.0 * t * t * t);
    }
    if (r - fi >= 2) {
        float t = 0;
        for (int i = fi; i < r; ++i, t += 1.0f / float(r - fi))
            y[size_t(i)] += (2 * d * t - 3 * d) * t * t + d;
    }
    return y;
}

Ref refFilter(int n, float f, float a, float q, bool high)
{
    Ref y(size_t(n), kBase);
    const int pos = high ? 100 - int(f) : int(f);
    const int fi = clampN(pos, n);
    const int l = clampN(pos - int(-0.26f * q) - 30, n);
    const int r = clampN(pos - int(0.26f * q) + 30, n);
    const double rr = float(double(q) * 0.01);
    const double p = -(a + 48.0);
    const double k = p + 6 - 24 * rr * rr;
    const double h = (a + 48.0) / 2;
    const double d = p - k;
    const auto at = [&](int i) -> double& { return y[size_t(high ? n - 1 - i : i)]; };
    for (int i = 0; i < l; ++i)
        at(i) += p;
    if (fi - l > 1) {
        float t = 0;
        for (int i = l; i < fi; ++i, t += 1.0f / float(fi - l))
            at(i) += p + (h + 2 * d) * t * t * t - (h + 3 * d) * t * t;
    }
    if (r - fi >= 2) {
        float t = 0;
        for (int i = fi; i < r; ++i, t += 1.0f / float(r - fi))
            at(i) += k + (k + h) * t * t * t - 2 * (k + h) * t * t + h * t;
    }
    return y;
}

using Builder = void (*)(AM_EQPoint*, int, float, float, float);

std::vector<AM_EQPoint> run(Builder builder, float f, float a, float q, int n = kEQPoints)
{
    std::vector<AM_EQPoint> points(size_t(n), AM_EQPoint{0, kBase});
    builder(points.data(), n, f, a, q);
    return points;
}

struct Shape {
    const char* name;
    Builder builder;
    std::function<Ref(int, float, float, float)> reference;
};

const Shape kShapes[] = {
    {"peak", addPeak, refPeak},
    {"low shelf", addLowShelf, [](int n, float f, float a, float q) { return refShelf(n, f, a, q, false); }},
    {"high shelf", addHighShelf, [](int n, float f, float a, float q) { return refShelf(n, f, a, q, true); }},
    {"band pass", addBandPass, refBandPass},
    {"low pass", addLowPass, [](int n, float f, float a, float q) { return refFilter(n, f, a, q, false); }},
    {"high pass", addHighPass, [](int n, float f, float a, float q) { return refFilter(n, f, a, q, true); }},
};

} // namespace

TEST(EQCurves, EveryBuilderMatchesItsFormulasAcrossTheAxis)
{
    const float positions[] = {-20.0f, 0.0f, 0.6f, 3.0f, 17.5f, 50.0f, 83.2f, 99.0f, 100.0f, 130.0f};
    const float amounts[] = {-36.0f, 0.0f, 12.5f, 48.0f};
    // Negative widths follow the formulas too: wider flanks and shelves, and
    // a bell that widens down to -16.6 and is gone below it.
    const float widths[] = {-100.0f, -30.0f, -16.6f, -5.0f, 0.0f, 13.0f, 50.0f, 77.7f, 100.0f};
    for (const Shape& shape : kShapes) {
        for (float f : positions) {
            for (float a : amounts) {
                for (float q : widths) {
                    const std::vector<AM_EQPoint> got = run(shape.builder, f, a, q);
                    const Ref want = shape.reference(kEQPoints, f, a, q);
                    for (int i = 0; i < kEQPoints; ++i) {
                        ASSERT_NEAR(got[size_t(i)].y, want[size_t(i)], 1e-4)
                            << shape.name << " f " << f << " A " << a << " q " << q << " entry "
                            << i;
                        ASSERT_EQ(got[size_t(i)].x, 0.0f);
                    }
                }
            }
        }
    }
}

TEST(EQCurves, PeakNearTheStartKeepsTheValuesOfTheWholeBell)
{
    const std::vector<AM_EQPoint> atZero = run(addPeak, 0, 20, 0);
    EXPECT_NEAR(atZero[0].y, kBase - 20, 1e-4) << "the centre gets the full amount";
    // Position 2, q 0: the left half would start at -48, so entry 0 has
    // t = 48 * 0.02 = 0.96 of the bell.
    const std::vector<AM_EQPoint> near = run(addPeak, 2.7f, 20, 0);
    const double t = 0.96;
    EXPECT_NEAR(near[0].y, kBase - 20 * (std::sin(kPi * t * t - kPi / 2) + 1) / 2, 1e-3);
    EXPECT_NEAR(near[2].y, kBase - 20, 1e-4);
    // q narrows the bell: int(50 / (1 + 0.06 q)) = 7 entries each side at
    // q 100, the outermost left one at t = 0.
    const std::vector<AM_EQPoint> narrow = run(addPeak, 50, 20, 100);
    EXPECT_NEAR(narrow[43].y, kBase, 1e-3);
    EXPECT_LT(narrow[44].y, kBase);
    EXPECT_LT(narrow[56].y, kBase);
    EXPECT_EQ(narrow[57].y, kBase);
}

TEST(EQCurves, BandPassFlanksNarrowWithQ)
{
    const std::vector<AM_EQPoint> wide = run(addBandPass, 50, 10, 0);
    EXPECT_EQ(wide[19].y, kBase);
    EXPECT_EQ(wide[20].y, kBase) << "t = 0 at the start of the rising flank";
    EXPECT_LT(wide[21].y, kBase);
    EXPECT_FLOAT_EQ(wide[50].y, kBase - 58);
    EXPECT_LT(wide[79].y, kBase);
    EXPECT_EQ(wide[80].y, kBase);

    const std::vector<AM_EQPoint> tight = run(addBandPass, 50, 10, 100);
    EXPECT_EQ(tight[44].y, kBase);
    EXPECT_LT(tight[45].y, kBase);
    EXPECT_FLOAT_EQ(tight[50].y, kBase - 58 - 24) << "24 pixels higher at q 100";
    EXPECT_LT(tight[55].y, kBase);
    EXPECT_EQ(tight[56].y, kBase);
}

TEST(EQCurves, ShelvesAtTheEndsOfTheAxis)
{
    // Low shelf with f - 5 - 15 v below 0: no flat part, full amount at 0.
    const std::vector<AM_EQPoint> low = run(addLowShelf, 10, 30, 0);
    EXPECT_NEAR(low[0].y, kBase - 30, 1e-4);
    EXPECT_LT(low[84].y, kBase);
    EXPECT_EQ(low[85].y, kBase) << "the transition is 85 entries wide at q 0";

    const std::vector<AM_EQPoint> flat = run(addLowShelf, 60, 30, 100);
    // v = 1/6: m = int(60 - 5 - 2.5) = 52, w = int(80 / 6 + 5) = 18.
    EXPECT_NEAR(flat[51].y, kBase - 30, 1e-4);
    EXPECT_NEAR(flat[52].y, kBase - 30, 1e-4);
    EXPECT_GT(flat[53].y, kBase - 30);
    EXPECT_LT(flat[69].y, kBase);
    EXPECT_EQ(flat[70].y, kBase);

    // High shelf near 100: m is 0, only the transition at the right end.
    const std::vector<AM_EQPoint> high = run(addHighShelf, 95, 30, 0);
    EXPECT_NEAR(high[100].y, kBase - 30, 1e-4);
    EXPECT_GT(high[99].y, kBase - 30);
    const std::vector<AM_EQPoint> highFlat = run(addHighShelf, 40, 30, 0);
    // m = 100 - int(15 + 40 + 5) = 40: entries 100 down to 61 flat.
    EXPECT_NEAR(highFlat[61].y, kBase - 30, 1e-4);
    EXPECT_NEAR(highFlat[60].y, kBase - 30, 1e-4);
    EXPECT_GT(highFlat[59].y, kBase - 30);

    // A negative amount lowers the curve.
    EXPECT_NEAR(run(addLowShelf, 10, -30, 0)[0].y, kBase + 30, 1e-4);
    EXPECT_NEAR(run(addPeak, 50, -8, 0)[50].y, kBase + 8, 1e-4);
}

TEST(EQCurves, FiltersPassReachTheCutoffAndMirror)
{
    const std::vector<AM_EQPoint> lp = run(addLowPass, 50, 0, 0);
    EXPECT_FLOAT_EQ(lp[0].y, kBase - 48) << "pass band 48 pixels up";
    EXPECT_FLOAT_EQ(lp[50].y, kBase - 48 + 6) << "6 pixels below the pass band at the cutoff";
    EXPECT_EQ(lp[80].y, kBase);
    const std::vector<AM_EQPoint> resonant = run(addLowPass, 50, 0, 100);
    EXPECT_FLOAT_EQ(resonant[50].y, kBase - 48 - 18) << "18 above it at q 100";

    const std::vector<AM_EQPoint> lowAtZero = run(addLowPass, 0, 12, 40);
    const std::vector<AM_EQPoint> highAt100 = run(addHighPass, 100, 12, 40);
    for (int i = 0; i < kEQPoints; ++i)
        EXPECT_EQ(highAt100[size_t(100 - i)].y, lowAtZero[size_t(i)].y) << i;

    // A flank of fewer than 2 entries is skipped, leaving a step.
    const std::vector<AM_EQPoint> edge = run(addBandPass, 100, 0, 0);
    EXPECT_EQ(edge[100].y, kBase) << "R - fi is 1: no falling flank, no peak entry";
    EXPECT_LT(edge[99].y, kBase);
}

TEST(EQCurves, NumbersOutsideTheirRangesStaySafe)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const Shape& shape : kShapes) {
        for (auto [f, a, q] : {std::tuple{nan, 10.0f, 0.0f}, {50.0f, inf, 0.0f},
                               {50.0f, 10.0f, -inf}, {inf, 10.0f, 0.0f}}) {
            const std::vector<AM_EQPoint> points = run(shape.builder, f, a, q);
            for (const AM_EQPoint& p : points)
                ASSERT_EQ(p.y, kBase) << shape.name;
        }
        // Far positions and widths act as the ends of their ranges.
        const auto same = [&](float f1, float q1, float f2, float q2) {
            const std::vector<AM_EQPoint> a = run(shape.builder, f1, 10, q1);
            const std::vector<AM_EQPoint> b = run(shape.builder, f2, 10, q2);
            for (int i = 0; i < kEQPoints; ++i)
                ASSERT_EQ(a[size_t(i)].y, b[size_t(i)].y) << shape.name << " " << f1 << " " << i;
        };
        same(3e9f, 10, 1000, 10);
        same(-3e9f, 10, -1000, 10);
        same(50, -1e9f, 50, -1000);
        same(50, 1e9f, 50, 1000);
        // Short arrays: only entries 0..n-1 are touched.
        std::vector<AM_EQPoint> shortPoints(12, AM_EQPoint{0, kBase});
        shortPoints.resize(10);
        shape.builder(shortPoints.data(), 10, 5, 10, 0);
        shape.builder(nullptr, 10, 5, 10, 0);
        shape.builder(shortPoints.data(), 0, 5, 10, 0);
    }
}

// A negative width is not read as 0: the bell of a q below -16.7 covers no
// entry, the band pass is wider than at q 0.
TEST(EQCurves, NegativeWidthsAreNotTakenAsZero)
{
    const std::vector<AM_EQPoint> gone = run(addPeak, 50, 20, -40);
    for (int i = 0; i < kEQPoints; ++i)
        ASSERT_EQ(gone[size_t(i)].y, kBase) << i;
    EXPECT_NE(run(addBandPass, 50, 20, -50)[15].y, kBase);
    EXPECT_EQ(run(addBandPass, 50, 20, 0)[15].y, kBase);
    // At the width where the bell's factor is exactly 0 the reach is held,
    // not converted from an infinity: the right half takes the full amount.
    float q = -16.0f;
    while (1.0f + 0.06f * q != 0.0f && q > -17.0f)
        q = std::nextafter(q, -17.0f);
    ASSERT_EQ(1.0f + 0.06f * q, 0.0f);
    const std::vector<AM_EQPoint> flat = run(addPeak, 50, 20, q);
    EXPECT_NEAR(flat[50].y, kBase - 20, 1e-4);
    EXPECT_NEAR(flat[100].y, kBase - 20, 1e-4);
    EXPECT_NEAR(flat[10].y, kBase, 1e-4);
}

TEST(EQCurves, SineIsThePolynomial)
{
    for (float u : {-1.5707964f, -0.7f, 0.0f, 0.3f, 1.5707964f})
        EXPECT_NEAR(eqSine(u), std::sin(u), 5e-6) << u;
}

TEST(EQCurves, LayoutAndBaselines)
{
    const AM_Rect bounds{100, 40, 220, 81};
    AM_EQPoint points[kEQPoints];
    layoutEQPoints(points, kEQPoints, bounds, 12.5f);
    EXPECT_EQ(points[0].x, 110);
    EXPECT_EQ(points[100].x, 310);
    EXPECT_EQ(points[37].y, 12.5f);
    EXPECT_EQ(eqBaseline(bounds, kEQModeEQ, 0), 80);
    EXPECT_EQ(eqBaseline(bounds, kEQModePeaks, 3), 74);
    for (int mode : {2, 3, 4})
        EXPECT_EQ(eqBaseline(bounds, mode, 3), 111) << mode;
    EXPECT_EQ(eqBaseline(bounds, kEQModeEQ, NAN), 80);
}

TEST(EQCurves, BandsOfEachMode)
{
    struct Case {
        int mode, bands;
        std::string want;
    };
    // P peak, L low shelf, H high shelf, l low pass, h high pass, B band pass, - none.
    const Case cases[] = {
        {0, 4, "LPPH--"}, {1, 4, "PPPP--"}, {2, 4, "lBBh--"}, {3, 4, "BBBB--"},
        {4, 4, "BBBB--"}, {9, 4, "LPPH--"}, {-1, 4, "LPPH--"}, {0, 6, "LPPPPH"},
        {1, 6, "PPPP--"}, {2, 6, "lBBh--"}, {4, 6, "BBBB--"}, {7, 6, "LPPH--"},
    };
    const char letters[] = "-PLHlhB";
    for (const Case& c : cases) {
        AM_EQShape shapes[kEQMaxBands];
        const int used = eqBandShapes(c.mode, c.bands, shapes);
        std::string got;
        for (AM_EQShape s : shapes)
            got += letters[s];
        EXPECT_EQ(got, c.want) << c.mode << "/" << c.bands;
        EXPECT_EQ(used, int(c.want.find('-') == std::string::npos ? 6 : c.want.find('-')));
    }
    AM_EQPoint points[kEQPoints] = {};
    addEQShape(kEQBandPass, points, kEQPoints, 50, 10, 0);
    EXPECT_FLOAT_EQ(points[50].y, -58);
    addEQShape(kEQNone, points, kEQPoints, 50, 10, 0);
    EXPECT_FLOAT_EQ(points[50].y, -58);
}
