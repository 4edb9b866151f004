#pragma once
// The drawn look of the round controls that have no graphics of their own
// (the recording knob, the multi knob, the radius and snapshot dials): a
// dark track ring, a value arc, a shaded body and a pointer, in the colours
// of the plain knob. Angles are degrees clockwise from straight up.
//
// GUI thread only.

#include "gui/graphics/AM_Rect.h"

#include <cstdint>

class AM_Context;

namespace AM_DialLook {

constexpr uint32_t kTrackColour = 0x3B4048FF;
constexpr uint32_t kArcColour = 0xE9A23BFF;
constexpr uint32_t kRimColour = 0x16181CFF;
constexpr uint32_t kBodyColour = 0x4A505AFF;
constexpr uint32_t kBodyTopColour = 0x5C636EFF;
constexpr uint32_t kPointerColour = 0xF4F4F4FF;
constexpr uint32_t kRecordColour = 0xE0403AFF;
constexpr uint32_t kMeterColour = 0x5FC3E4FF;
// The sweep of a knob's arc either side of straight up.
constexpr float kSweepDegrees = 135.0f;

// The angle a knob position (0..1, held to it) points at.
float angleOfPosition(float position);

// The centre and the radius of the largest circle in the rectangle.
void centreOf(const AM_Rect& bounds, float centre[2], float* radius);

// A filled disc.
void fillDisc(AM_Context* context, const float centre[2], float radius, uint32_t colour);

// A knob in the bounds at the position: the track, an arc from the bottom
// of the sweep in arcColour, the body and the pointer. Nothing when the
// bounds are too small to show it.
void drawKnob(AM_Context* context, const AM_Rect& bounds, float position, uint32_t arcColour);

// The point at the angle and the distance from the centre.
void pointAt(const float centre[2], float degrees, float distance, float point[2]);

} // namespace AM_DialLook
