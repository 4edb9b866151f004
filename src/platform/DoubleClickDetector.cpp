#include "platform/DoubleClickDetector.h"

namespace platform {

bool DoubleClickDetector::press(uint32_t time, int x, int y)
{
    // Unsigned difference: correct across the wrap of the 32-bit count. A
    // time before the recorded one (out-of-order stamps) counts as long ago.
    const uint32_t elapsed = time - lastTime_;
    if (havePress_ && x == lastX_ && y == lastY_ && elapsed <= kDoubleClickMs)
        return true;
    havePress_ = true;
    lastTime_ = time;
    lastX_ = x;
    lastY_ = y;
    return false;
}

} // namespace platform
