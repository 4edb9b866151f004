#include "presets/AM_ValueNameAt.h"

#include <cmath>

const char* AM_valueNameAt(AM_ValueNames names, int32_t count, float value, float minimum)
{
    if (names == nullptr || count <= 0 || !std::isfinite(value) || !std::isfinite(minimum))
        return nullptr;
    const double entry =
        std::trunc(static_cast<double>(value)) - std::trunc(static_cast<double>(minimum));
    if (entry < 0.0 || entry >= static_cast<double>(count))
        return nullptr;
    return names[static_cast<int32_t>(entry)];
}
