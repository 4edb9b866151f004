#pragma once
// Plots engine data blocks: up to two curves of float samples (port
// "DataGraph Value") and an oscilloscope trace of 512 byte samples with a
// min/max envelope (port "Oscilloscope"). It redraws from the timer every
// third tick, and on every tick while the value on port "DoUpdate" is not 0.
//
// Curve block: i32 curve count, i32 points per curve, then count x points
// floats, curve after curve, each 0..1 (0 at the bottom). Scope block: 1536
// bytes, the trace, the lower and the upper envelope, 512 bytes each, 0..255
// (0 at the bottom). A block is checked each time it is read: one too small
// for what it claims, or with fewer than two points, draws no curve.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstddef>
#include <cstdint>

class AM_View_DataGraph : public AM_ViewControl {
public:
    enum Port : int32_t { kCurvePort = 0, kScopePort = 1, kUpdatePort = 2 };
    static constexpr int32_t kScopeSamples = 512;
    static constexpr size_t kScopeBlockBytes = 3 * kScopeSamples;
    static constexpr int32_t kDrawnCurves = 2;

    // The curves a block holds, once checked.
    struct CurveBlock {
        int32_t curves = 0; // curves that can be drawn (at most kDrawnCurves)
        int32_t points = 0;
        const float* values = nullptr; // curve after curve
    };
    // Checks a curve block of `bytes` bytes; false (and an empty result)
    // when it cannot be drawn.
    static bool readCurveBlock(const void* block, size_t bytes, CurveBlock* out);

    AM_View_DataGraph(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    const void* getValuePointer(int32_t port) override;
    // Redraws; the press is not kept.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void draw(AM_Context* context) override;
    void boundsChanged() override;

    // The y of a scope level 0..255 within the control.
    float levelToY(uint8_t level) const { return levelToY_[level]; }
    int32_t getTickCountdown() const { return tickCountdown_; }

private:
    void rebuildLevels();
    // The bound block of a port and its size (null when none).
    const void* fetchBlock(int32_t port, size_t* bytes);
    // False when the curve port is bound but the engine hands out no block:
    // the graph then shows nothing more (the scope neither).
    bool drawCurves(AM_Context* context);
    void drawScope(AM_Context* context);

    float valueCell_ = 0.0f;
    int32_t tickCountdown_ = 0;
    int32_t tickPeriod_ = 1;
    float levelToY_[256] = {};
};
