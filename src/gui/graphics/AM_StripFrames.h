#pragma once
// Which frames of an animation strip a value shows. A plain strip shows the
// frame nearest to value x (frames - 1); a strip with a total rotation
// cross-fades the two frames around the value, each turned toward the
// exact position, so that a knob moves smoothly between its frames.

#include <cstdint>

struct AM_FrameDraw {
    int frame = 0;        // index of the frame, from 0
    bool rotated = false; // drawn through the rotated path
    float angle = 0;      // degrees, positive counter-clockwise
    float opacity = 1.0f; // 0..1
};

// Fills up to two draws for a strip of frameCount frames (below 1 counts as
// 1) with a total rotation in degrees, at value; returns how many. A value
// whose frame passes the last draws nothing; a negative one the first.
int AM_planStripFrames(uint32_t frameCount, float rotation, float value, AM_FrameDraw draws[2]);

// The total rotation a strip's name asks for with "_rot<degrees>" (the
// first "_rot" in the name), or 0.
float AM_rotationFromName(const char* name);
