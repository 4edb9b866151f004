#pragma once
// The response curves of the equaliser views: a polyline of 101 points on a
// 0..100 frequency axis, to whose y coordinates each band adds a fixed,
// cheap shape (no filter transfer functions are evaluated). The builders
// work in single precision, with the sine as a fixed odd polynomial and
// running parameters accumulated by repeated addition, and touch only the
// y members of entries 0..n-1.
//
// Arguments of every builder: the points, their number n, the band's
// position f on the 0..100 axis, the amount A in pixels (negative y is up on
// screen, so a positive amount raises the curve) and the width value q
// (nominally 0..100; a negative q widens the flanks and the shelves' curve
// as the formulas give, and a bell's q below -16.7 draws nothing). Values
// that are not finite leave the curve as it is; f and q are held to
// [-1000, 1000], which changes no result inside that range but keeps the
// integer conversions defined, and A to [-1e6, 1e6] pixels, so that the sums
// stay finite.
//
// Any thread: plain functions of their arguments.

#include "gui/graphics/AM_Rect.h"

struct AM_EQPoint {
    float x = 0;
    float y = 0;
};

constexpr int kEQPoints = 101;

// The sine as the builders evaluate it: an odd polynomial in u, nested in u².
float eqSine(float u);

void addPeak(AM_EQPoint* points, int n, float f, float amount, float q);
void addLowShelf(AM_EQPoint* points, int n, float f, float amount, float q);
void addHighShelf(AM_EQPoint* points, int n, float f, float amount, float q);
void addLowPass(AM_EQPoint* points, int n, float f, float amount, float q);
void addHighPass(AM_EQPoint* points, int n, float f, float amount, float q);
void addBandPass(AM_EQPoint* points, int n, float f, float amount, float q);

// The EQ modes of the views ("EQ Mode", rounded).
enum AM_EQMode : int {
    kEQModeEQ = 0,
    kEQModePeaks = 1,
    kEQModeFilter = 2,
    kEQModeBandpasses = 3,
    kEQModePannedBandpasses = 4,
};
// Modes 2 to 4 draw filter curves from a baseline near the bottom.
bool isFilterMode(int mode);

// The left margin and spacing of the points in pixels, and the distance of
// the filter modes' baseline from the bottom.
constexpr float kEQLeftMargin = 10.0f;
constexpr float kEQStep = 2.0f;
constexpr float kEQFilterBaselineInset = 10.0f;
// Pixels per unit of gain.
constexpr float kEQPixelsPerGain = 2.0f;

// The baseline of a curve: in the modes "EQ" and "Peaks" the middle of the
// bounds, top + (height - 1) / 2, minus 2 * outputGain; in the filter modes
// top + height - 10. Pass outputGain 0 for the curve of set values.
float eqBaseline(const AM_Rect& bounds, int mode, float outputGain);
// x of entry i = left + 10 + 2 i and every y at the baseline.
void layoutEQPoints(AM_EQPoint* points, int n, const AM_Rect& bounds, float baseline);

// The shapes a band adds, and the bands of each mode in port order.
enum AM_EQShape : int {
    kEQNone = 0,
    kEQPeak,
    kEQLowShelf,
    kEQHighShelf,
    kEQLowPass,
    kEQHighPass,
    kEQBandPass,
};
constexpr int kEQMaxBands = 6;
// Fills shapes[0..5] for a view of 4 or 6 bands (bands the mode leaves out
// get kEQNone); a mode outside 0..4 is drawn as mode 0 of the four-band
// view. Answers the number of bands used.
int eqBandShapes(int mode, int bandCount, AM_EQShape* shapes);
// Runs the builder of one shape (kEQNone does nothing).
void addEQShape(AM_EQShape shape, AM_EQPoint* points, int n, float f, float amount, float q);
