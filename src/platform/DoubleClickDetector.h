#pragma once
// Decides whether a button press is a double click: a press at the same point
// as the last recorded press, no more than kDoubleClickMs later in the
// windowing system's event time (a 32-bit millisecond count that wraps). A
// double click does not renew the recorded press, so a third press there,
// still within the time of the first, is another double click. One detector
// per editor window.
//
// GUI thread only.

#include <cstdint>

namespace platform {

inline constexpr uint32_t kDoubleClickMs = 400;

class DoubleClickDetector {
public:
    // Records the press (unless it is a double click) and returns whether it
    // is one.
    bool press(uint32_t time, int x, int y);
    // Forgets the recorded press.
    void reset() { havePress_ = false; }

private:
    bool havePress_ = false;
    uint32_t lastTime_ = 0;
    int lastX_ = 0;
    int lastY_ = 0;
};

} // namespace platform
