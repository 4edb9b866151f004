#pragma once
// The step editor ("GenericStep"): a sequence of up to 128 steps, each a
// float in -1..1, held by the engine as one data block ("Steps"). The user
// draws the steps, applies whole-sequence operations from the popup menu
// and sees the playing step ("Meter"). When "WaveMode" says so the view
// shows a fading trail of the last eight positions of one modulation value
// instead. Three drawing styles: hold steps, lines and bars ("StepMode").
//
// Blocks are read up to the view's 128 steps, whatever their declared
// size; the step count is always held to 1..128.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_GenericStep : public AM_ViewControl {
public:
    static constexpr int kMaxSteps = 128;
    static constexpr int kBlockBytes = kMaxSteps * 4;
    static constexpr int kTrail = 8;
    static constexpr int kCountTableSize = 18;
    enum Port : int32_t { kSteps = 0, kMeter, kNumSteps, kStepMode, kWaveMode, kWaveValue };
    enum Command : uint32_t {
        kCopy = 1,
        kPaste = 2,
        kRandomize = 10,
        kSoften = 11,
        kNormalize = 12,
        kStraighten = 13,
        kReset = 14,
        kFirstQuantize = 20,
        kLastQuantize = 25,
        kFirstCount = 100,
    };

    AM_View_GenericStep(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;
    void sendValueToParameter(int32_t i, const void* value) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void draw(AM_Context* context) override;

    virtual void stepToPoint(int step, float* x, float* y);
    virtual void pointToStep(float x, float y, int* step, float* value);
    virtual void drawLines(AM_Context* context);
    virtual void drawHoldSteps(AM_Context* context);
    virtual void drawBars(AM_Context* context);

    // --- State, for tests.
    int stepCount() const { return count_; }
    int stepMode() const { return mode_; }
    float step(int i) const { return i >= 0 && i < kMaxSteps ? steps_[i] : 0.0f; }
    const float* steps() const { return steps_; }
    bool usesCountTable() const { return table_ != 0; }
    int playingStep() const { return playingStep_; }
    bool showsSteps() const { return showSteps_ != 0; }
    float stepWidth() const { return stepWidth_; }

    // The shared generator (a, b = 0) and clipboard, for tests.
    static void resetProcessState();
    // The next value 0..1 (below 1) of the shared generator.
    static float nextRandom();
    static int countFromTable(int index);

private:
    void refreshArea();
    float width();
    void dragTo(const float* point);
    void openMenu(const float* point);
    void sendSteps();
    void setCount(int count);
    bool bound(int32_t port);
    const float* currentValue(int32_t port);
    void drawDot(AM_Context* context, float x, float y);
    bool pickColour(AM_Context* context, int32_t slot);

    AM_Rect area_{};
    float steps_[kMaxSteps];
    int count_ = 16;
    uint32_t table_ = 0;
    int locked_ = -1;
    float pointer_[2] = {0, 0};
    int previousStep_ = 0;
    float previousValue_ = 0;
    int mode_ = 2;
    uint32_t altDrag_ = 0;
    float playingValue_ = 0;
    int playingStep_ = 0;
    float stepWidth_ = 0;
    uint32_t showSteps_ = 1;
    float wavePosition_ = 0;
    float waveValue_ = 0;
    float trailX_[kTrail] = {};
    float trailY_[kTrail] = {};
    int infoStep_ = 0;
};
