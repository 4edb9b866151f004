#pragma once
// The GUI's rectangle in GUI units, and the three rectangle helpers that
// controls, edit mode and the editing grid use.
//
// Any thread: plain functions of their arguments.

// x, y: top-left corner; w, h: width and height.
struct AM_Rect {
    float x = 0;
    float y = 0;
    float w = 0;
    float h = 0;
};

// Alignment codes: code = horizontal * 6 + vertical.
enum AM_AlignCode : int {
    kAlignNone = 0,
    kAlignOutsideStart = 1, // left of / above b
    kAlignInsideStart = 2,  // against b's left / top edge, inside
    kAlignCentred = 3,
    kAlignInsideEnd = 4,  // against b's right / bottom edge, inside
    kAlignOutsideEnd = 5, // right of / below b
    kAlignCodesPerAxis = 6,
};
// The name-label codes of the control types: centred below, left-aligned below.
constexpr int kAlignLabelCentredBelow = 0x17;
constexpr int kAlignLabelLeftBelow = 0x11;

// Moves a against b by code (horizontal part code / 6, vertical part
// code % 6); a keeps its size. A part outside 1..5 leaves that coordinate.
void alignRect(AM_Rect* a, const AM_Rect* b, int code);

// a becomes the bounding box of a and b; an empty rectangle counts like any
// other.
void unionRect(AM_Rect* a, const AM_Rect* b);

// Side of the square resize handles, in GUI units.
constexpr float kRectHandleSize = 5.0f;

// The resize handle under point: 0 top-left, 1 top-middle, 2 top-right,
// 3 right-middle, 4 bottom-right, 5 bottom-middle, 6 bottom-left,
// 7 left-middle; -1 for the inner area and outside every handle.
int rectHandleAt(const AM_Rect* r, const float point[2]);
