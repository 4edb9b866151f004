#pragma once
// The drag sensitivity (value units per two units of pointer travel) of a
// parameter range up to 130, as the knob-like controls share it: small
// ranges move finely, ranges of 75 and more a unit per two units. The
// controls add their own steps for wider ranges.

inline float AM_smallRangeSensitivity(float range)
{
    if (range < 8) {
        return 0.04f;
    }
    if (range < 16) {
        return 0.2f;
    }
    if (range < 75) {
        return 0.4f;
    }
    return 1.0f;
}
