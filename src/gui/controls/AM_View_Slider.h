#pragma once
// The linear slider: one continuous parameter shown and set along a
// horizontal or vertical track, from three graphics (background, value,
// handle) and three colours (background, border, value bar); with none of
// them set it draws a slider of its own. A second port may bind an engine
// output: its value is polled on the timer and the value bar shows it.
//
// A click on a horizontal slider jumps to the click; a vertical slider (and
// any slider after its first wheel step) drags relative to the press point.
//
// Mouse flags: 1 Shift, 2 right button, 4 Control.
//
// GUI thread only.

#include "gui/controls/AM_ControlMenu.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_Graphic;

class AM_View_Slider : public AM_ViewControl {
public:
    static constexpr int32_t kValuePort = 0;
    static constexpr int32_t kFeedbackPort = 1;
    // Edit-menu command of the class (sub of a code-5 item).
    static constexpr uint32_t kToggleVertical = 1;

    AM_View_Slider(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Slider() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    const void* getValuePointer(int32_t port) override;
    void setParameterValue(int32_t i, const void* value) override;

    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;
    void copyProperties(AM_ViewControl* clone) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // The class's own edit-menu items: a separator and "vertical".
    AM_ControlMenu buildEditItems() const;

    // The value bar inside `inner` for value v of a range (minimum m, span
    // r): it grows from the range's zero point, right or up for positive
    // values; it is cut to `inner`. Empty for a span of 0.
    static AM_Rect valueBar(const AM_Rect& inner, float v, float m, float r, bool vertical);
    // The length along the track of a handle graphic scaled to fill `area`
    // across the track, keeping its aspect ratio (0 without a graphic).
    static float handleLength(const AM_Graphic* handle, const AM_Rect& area, bool vertical);
    // The place of a handle of that length at position p (0..1) in `area`.
    static AM_Rect handleRect(const AM_Rect& area, float length, float p, bool vertical);

    // The "direction" line that slider and fader box write, and its reading:
    // true when the property is "direction" (vertical then holds whether
    // the value is exactly "vertical").
    static void writeDirection(std::string* script, const char* control, bool vertical);
    static bool readDirection(const char* name, const char* value, uint8_t* vertical);

    float getValue() const { return value_; }
    float getMinimum() const { return minimum_; }
    float getMaximum() const { return maximum_; }
    float getDefault() const { return default_; }
    float getFeedback() const { return feedback_; }
    bool isVertical() const { return vertical_ != 0; }
    bool isRelativeDrag() const { return relativeDrag_ != 0; }
    bool isFine() const { return fine_ != 0; }
    float getHandleLength() const { return handleLength_; }
    void setVertical(bool vertical) { vertical_ = vertical ? 1 : 0; }

private:
    bool portBound(int32_t i) const;
    // The position (0..1) of the value along the track.
    float position() const;
    void drawGenerated(AM_Context* context, float p);
    void userSets(float value);

    float minimum_ = 0.0f;
    float maximum_ = 1.0f;
    float default_ = 0.0f;
    float value_ = 0.0f;
    float feedback_ = 0.0f;
    float dragStart_ = 0.0f;
    float mouseDownPoint_[2] = {0.0f, 0.0f};
    uint8_t vertical_ = 1;
    uint8_t fine_ = 0;
    uint8_t relativeDrag_ = 0;
    float handleLength_ = 0.0f;
};
