#pragma once
// A row of small faders, each bound to its own parameter (the steps of a
// sequence, for instance), set by sweeping the mouse across them: each
// fader under the pointer takes the pointer's height. One step is
// highlighted from a position parameter of the engine polled on the timer.
// Drawn from the slider's three graphics and four colours; with none of
// them set it draws faders of its own.
//
// Mouse flags: 1 Shift, 2 right button, 4 Control.
//
// GUI thread only.

#include "gui/controls/AM_ControlMenu.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_FaderBox : public AM_ViewControl {
public:
    static constexpr int32_t kMaxFaders = 16;
    static constexpr int32_t kHiliteStepPort = 0;
    // Edit-menu command of the class (sub of a code-5 item).
    static constexpr uint32_t kToggleVertical = 1;

    // A box of `faderCount` faders (1 to 16; others are held to that range).
    AM_View_FaderBox(AM_ViewMan* viewMan, const AM_Rect* bounds, int32_t faderCount);
    ~AM_View_FaderBox() override;

    // The registry's factory: a box of 16.
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    const void* getValuePointer(int32_t port) override;
    void setParameterValue(int32_t i, const void* value) override;

    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // The class's own edit-menu items: a separator and "vertical".
    AM_ControlMenu buildEditItems() const;

    // The cell of fader k (0-based): a column of the inner area in the
    // vertical layout, a row in the horizontal one, one unit short of its
    // column or row.
    AM_Rect cellRect(int32_t k) const;
    // The fader whose cell holds the point along the layout, or -1.
    int32_t faderAt(const float* point) const;

    int32_t getFaderCount() const { return faderCount_; }
    float getFaderValue(int32_t k) const;
    int32_t getHighlightedStep() const { return highlightedStep_; }
    bool isVertical() const { return vertical_ != 0; }
    void setVertical(bool vertical) { vertical_ = vertical ? 1 : 0; }

private:
    bool portBound(int32_t i) const;
    float position(int32_t k) const;
    void drawGenerated(AM_Context* context);

    int32_t faderCount_ = kMaxFaders;
    float minimum_[kMaxFaders] = {};
    float maximum_[kMaxFaders] = {};
    float default_[kMaxFaders] = {};
    float value_[kMaxFaders] = {};
    float lastValue_ = 0.0f;
    uint8_t vertical_ = 1;
    int32_t highlightedStep_ = -1;
};
