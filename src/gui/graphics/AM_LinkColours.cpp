#include "gui/graphics/AM_LinkColours.h"

#include <algorithm>

void AM_interpolateLinkColours(const float* const links[3], float value, float rgba[4])
{
    const bool firstHalf = value < 0.5f;
    const float* start = firstHalf ? links[0] : links[1];
    const float* end = firstHalf ? links[1] : links[2];
    const float t = firstHalf ? 2 * value : (value - 0.5f) * 2;
    const float black[4] = {0, 0, 0, 1};
    const float* from = start != nullptr ? start : (end != nullptr ? end : black);
    // Values outside 0..1 would carry the colour past its links.
    for (int i = 0; i < 4; ++i)
        rgba[i] =
            std::clamp(end != nullptr ? from[i] + (end[i] - from[i]) * t : from[i], 0.0f, 1.0f);
}
