#pragma once
// The meta range: shows and edits one assignment slot of the meta system.
// Port 0 ("Upper") and port 1 ("Lower") hold the offsets of the target that
// the upper and lower ends of the meta range reach, drawn as two triangular
// handles dragged sideways; port 2 ("Param") holds the target's index.
// While a target is set, its current value shows as a strip that moves
// under the centre line (drag it to change the target; right lowers, as the
// strip moves left for higher values) and the live meta value as a line
// from the centre.
//
// The offsets' ranges follow the target: -r..r for a target range r. They
// are kept in the control; the shared parameter descriptors stay as the
// engine made them.
//
// A double click in run mode cycles three presets (defaults, the target's
// whole range, the range reversed); in edit mode it asks for a slot number
// "<meta><slot>" (11 to 88) and binds the three ports to it.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_MetaRange : public AM_ViewControl {
public:
    static constexpr int32_t kUpperPort = 0;
    static constexpr int32_t kLowerPort = 1;
    static constexpr int32_t kParamPort = 2;
    enum DragMode : int32_t { kDragNone = -1, kDragUpper = 0, kDragLower = 1, kDragTarget = 2 };
    // A press nearer than this (squared, px) to a handle's tip takes it.
    static constexpr float kGrabDistanceSquared = 100.0f;
    static constexpr uint32_t kEntryBytes = 33;

    AM_View_MetaRange(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_MetaRange() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;
    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void draw(AM_Context* context) override;

    // Binds the three ports to slot (n / 10, n % 10) of the meta system for
    // n from 11 to 88 with both digits 1..8; false for other numbers.
    bool bindSlot(int32_t n);

    float getUpperMinimum() const { return upperMinimum_; }
    float getUpperMaximum() const { return upperMaximum_; }
    float getUpperValue() const { return upperValue_; }
    float getLowerMinimum() const { return lowerMinimum_; }
    float getLowerMaximum() const { return lowerMaximum_; }
    float getLowerValue() const { return lowerValue_; }
    int32_t getDragMode() const { return dragMode_; }
    const AM_ParamInfo* getTarget() const { return target_; }
    const AM_ParamInfo* getMetaSource() const { return metaSource_; }
    float getMetaValue() const { return metaValue_; }
    float getTargetValue() const { return targetValue_; }
    bool isBipolar() const { return bipolar_ != 0; }

    // The handles' tips: x of the upper (top edge) and lower (bottom edge)
    // handle.
    float upperHandleX() const;
    float lowerHandleX() const;
    // The rectangle of the target's strip (empty without a target).
    AM_Rect targetRect() const;
    // The end of the meta line, as an x offset from the centre.
    float metaLineOffset() const;

    // The preset counter shared by every meta range.
    static int32_t getPresetCounter();
    static void resetProcessState();

private:
    void clearTarget();
    void takeTarget(float index);
    void userSets(int32_t i, float value);
    // Shows a value on a port without sending it.
    void show(int32_t i, float value);
    float readEngine(const AM_ParamInfo* parameter, float fallback) const;
    void writeEngine(const AM_ParamInfo* parameter, float value);
    // The width of the target's strip and where it starts.
    float stripWidth() const;
    void drawGenerated(AM_Context* context);
    void drawStrip(AM_Context* context, const AM_Rect& strip);

    float upperMinimum_ = -100.0f;
    float upperMaximum_ = 100.0f;
    float upperDefault_ = 0.0f;
    float upperValue_ = 0.0f;
    float lowerMinimum_ = -100.0f;
    float lowerMaximum_ = 100.0f;
    float lowerDefault_ = 0.0f;
    float lowerValue_ = 0.0f;
    int32_t dragMode_ = kDragNone;
    const AM_ParamInfo* metaSource_ = nullptr;
    float metaValue_ = 0.0f;
    const AM_ParamInfo* target_ = nullptr;
    float targetValue_ = 0.0f;
    float dragStartValue_ = 0.0f;
    int32_t bipolar_ = 0;
    float pressPoint_[2] = {0.0f, 0.0f};
    char entry_[kEntryBytes] = {};
};
