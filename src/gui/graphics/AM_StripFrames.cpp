#include "gui/graphics/AM_StripFrames.h"

#include "foundation/AM_STD.h"

#include <cmath>
#include <cstring>

namespace {
constexpr char kRotationMark[] = "_rot";
}

int AM_planStripFrames(uint32_t frameCount, float rotation, float value, AM_FrameDraw draws[2])
{
    if (!std::isfinite(value))
        return 0;
    const int64_t n = frameCount < 1 ? 1 : frameCount;
    // Below 0 a rotated strip shows its first frame plainly, like a plain one.
    if (n > 1 && rotation != 0 && value > 0 && value != 1) {
        const float p = float(n - 1) * value;
        const float whole = std::floor(p);
        const float f = p - whole;
        const float step = rotation / float(n - 1);
        if (whole >= float(n))
            return 0;
        const int i = int(whole);
        draws[0] = {i, true, -step * f, 1.0f};
        if (i + 1 >= n)
            return 1;
        draws[1] = {i + 1, true, step * (1 - f), f};
        return 2;
    }
    const float position = float(n - 1) * value + 0.5f;
    if (position >= float(n))
        return 0;
    draws[0] = {position < 1 ? 0 : int(position), false, 0, 1.0f};
    return 1;
}

float AM_rotationFromName(const char* name)
{
    if (name == nullptr)
        return 0;
    const char* mark = std::strstr(name, kRotationMark);
    if (mark == nullptr)
        return 0;
    int32_t degrees = 0;
    AM_STD::scanv(mark, "_rot%d", &degrees);
    return float(degrees);
}
