#pragma once
// The multi knob: a knob that edits a main value and two auxiliary values,
// each optionally paired with a list parameter whose value names it shows
// and offers as a menu. Where a press lands picks the value a drag changes:
// the outer quarters of the control are the left (Aux1) and right (Aux2)
// zones, the middle is the main value; in the bottom 12 units the halves
// are the side zones and a press there opens the side's list. The aux
// values are drawn as arcs left and right of the knob, the names of the
// side lists as labels along the bottom.
//
// The class is made by cloning (its factory), not from the type registry.
//
// Mouse flags: 1 Shift, 2 right button, 4 Control. GUI thread only.

#include "gui/controls/AM_ValueNameTable.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_MultiKnob : public AM_ViewControl {
public:
    static constexpr int32_t kPortCount = 6;
    // The zones are the value ports; each list port follows its value port.
    enum Zone : int32_t { kMainZone = 0, kAux1Zone = 2, kAux2Zone = 4 };
    // The height of the bottom strip.
    static constexpr float kStripHeight = 12.0f;
    // Sub-indices of the code-5 items.
    enum Command : uint32_t { kToggleTouchSelect = 1, kMidiLearn = 200, kMidiUnlearn = 201 };

    AM_View_MultiKnob(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_MultiKnob() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;

    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    // A wheel step outside a press is a two-unit drag of the main value;
    // during a press it moves the press point by a fifth of a unit.
    void onMouseWheel(float steps) override;

    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;
    void addControl(AM_ViewControl* child, uint32_t layerMask, bool offset) override;
    void copyProperties(AM_ViewControl* clone) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // The zone of a point, and whether a press there asks for a menu.
    int32_t zoneAt(const float* point) const;
    bool inBottomStrip(const float* point) const;

    static float sensitivityForRange(float range);

    float getValue(int32_t port) const;
    float getMinimum(int32_t port) const;
    float getMaximum(int32_t port) const;
    int32_t getZone() const { return zone_; }
    float getSensitivity() const { return sensitivity_; }
    bool getTouchSelect() const { return touchSelect_; }
    bool isEditable() const { return editable_; }
    void setEditable(bool on) { editable_ = on; }
    // The value names of list port 1, 3 or 5 (an empty table for others).
    const AM_ValueNameTable& getNames(int32_t port) const;
    int32_t getTextAlignment() const { return textAlignment_; }
    int32_t getTextVAlignment() const { return textVAlignment_; }
    float getTextSize() const { return textSize_; }
    float getTextVOffset() const { return textVOffset_; }

private:
    bool portBound(int32_t i) const;
    static bool validPort(int32_t i) { return i >= 0 && i < kPortCount; }
    // The press of a drag of the zone's value at the point.
    void beginDrag(int32_t zone, const float* point, bool fine);
    bool openListMenu(const float* point);
    bool openLearnMenu(const float* point);
    void userSets(int32_t i, float value);
    void drawArcs(AM_Context* context, uint32_t positive, uint32_t negative);
    void drawLabels(AM_Context* context);

    float minimum_[kPortCount];
    float maximum_[kPortCount];
    float default_[kPortCount];
    float value_[kPortCount];
    AM_ValueNameTable names_[3];
    float startValue_ = 0.0f;
    float mouseDownPoint_[2] = {0.0f, 0.0f};
    float lastPoint_[2] = {0.0f, 0.0f};
    float sensitivity_ = 1.0f;
    int32_t fine_ = 0;
    int32_t zone_ = kMainZone;
    bool editable_ = true;
    bool touchSelect_ = true;
    int32_t textAlignment_ = 1;
    int32_t textVAlignment_ = 1;
    float textSize_ = 9.0f;
    float textVOffset_ = -2.0f;
};
