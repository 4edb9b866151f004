#pragma once
// Where the shapes draw for a value, from their values and the rectangle
// they are drawn into (GUI units).

#include "gui/graphics/AM_ShapeValues.h"

// The ring segment: centre, radii and the angles (start below end) of the
// filled segment, and the pointer line at the end angle from the inner to
// the outer radius.
struct AM_RingGeometry {
    float centre[2];
    float inner;
    float outer;
    float from; // degrees, clockwise from straight up
    float to;
    float pointerStart[2];
    float pointerEnd[2];
};
AM_RingGeometry AM_ringGeometry(const AM_ShapeValues& values, const float centreFraction[2],
                                float x, float y, float w, float h, float value);

// The box: the filled rectangle.
struct AM_BoxGeometry {
    float x, y, w, h;
};
AM_BoxGeometry AM_boxGeometry(const AM_ShapeValues& values, float x, float y, float w, float h,
                              float value);

// The rounded rectangle: corner radius R and border B in GUI units, each
// limited to half the rectangle's height and width and not below 0.
struct AM_RoundRectGeometry {
    float radius;
    float border;
};
AM_RoundRectGeometry AM_roundRectGeometry(const AM_ShapeValues& values, float w, float h);
