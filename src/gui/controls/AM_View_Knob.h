#pragma once
// The rotary knob: shows one continuous parameter as a two-layer graphic
// turned by the normalised value (or, without graphics, a drawn knob with a
// value arc), changed by vertical drags, the wheel, a double click or a
// Control-click (both reset to the default). A second port may bind a list
// parameter: its value names form the right-click menu, the current one is
// shown on the knob's name label, and a knob whose current name is "none"
// is inactive (drawn at its default, a click opens the menu).
//
// Mouse flags: 1 Shift, 2 right button, 4 Control.
//
// GUI thread only.

#include "gui/controls/AM_ControlMenu.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <memory>

class AM_View_Knob : public AM_ViewControl {
public:
    static constexpr int32_t kValuePort = 0;
    static constexpr int32_t kMenuPort = 1;
    static constexpr int32_t kValueNameBytes = 32;
    // Edit-menu commands of the class (sub of a code-5 item).
    enum EditCommand : uint32_t { kToggleTouchSelect = 1, kValueToScale = 2, kValueToSnap = 3 };
    // Run-menu commands for MIDI learn (sub of a code-5 item).
    enum RunCommand : uint32_t { kMidiLearn = 200, kMidiUnlearn = 201 };

    AM_View_Knob(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Knob() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;

    void onDoubleClick(const float* point, uint32_t buttons) override;
    // True when a drag begins.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;

    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;
    // A name label added under a menu parameter shows the current name.
    void addControl(AM_ViewControl* child, uint32_t layerMask, bool offset) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // The run-mode menu: the value names (when a menu parameter is bound),
    // then MIDI learn and unlearn.
    AM_ControlMenu buildRunMenu(bool withValueNames) const;
    // The class's own edit-menu items.
    AM_ControlMenu buildEditItems() const;
    // A chosen command of menu `menuId`; true when the class handled it.
    bool applyMenuCommand(uint32_t menuId, uint32_t command);

    // The angle in degrees (0 straight up, clockwise) that the drawn knob
    // gives the value, and the value a pointer at an angle stands for.
    static float angleOfPosition(float position);
    float valueFromAngle(float degrees) const;

    float getValue() const { return value_; }
    float getMinimum() const { return minimum_; }
    float getMaximum() const { return maximum_; }
    float getDefault() const { return default_; }
    float getSensitivity() const { return sensitivity_; }
    float getMenuValue() const { return menuValue_; }
    bool isActive() const { return active_ != 0; }
    bool getTouchSelect() const { return touchSelect_ != 0; }
    float getCustomScale() const { return customScale_; }
    float getCustomSnap() const { return customSnap_; }
    // Name i of the value-name table (null when out of range or unbound).
    const char* getValueName(int32_t i) const;
    int32_t getValueNameCount() const { return valueNameCount_; }

    // The sensitivity a parameter range gives.
    static float sensitivityForRange(float range);

private:
    // The normalised position the knob draws.
    float position() const;
    bool portBound(int32_t i) const;
    // The current value name, or null.
    const char* currentValueName() const;
    // Opens the run-mode menu at the point (the chosen item comes to
    // handleMenuCommand); what showing it answers.
    bool openRunMenu(const float* point, bool withValueNames);
    void drawGenerated(AM_Context* context, float position);
    // setValueFromUser with a float.
    void userSets(int32_t i, float value);

    float minimum_ = 0.0f;
    float maximum_ = 100.0f;
    float default_ = 50.0f;
    float value_ = 50.0f;
    float menuMinimum_ = 0.0f;
    float menuMaximum_ = 16.0f;
    float menuDefault_ = 0.0f;
    float menuValue_ = 0.0f;
    std::unique_ptr<char[][kValueNameBytes]> valueNames_;
    int32_t valueNameCount_ = 0;
    float dragStart_ = 0.0f;
    float mouseDownPoint_[2] = {0.0f, 0.0f};
    float lastPoint_[2] = {0.0f, 0.0f};
    float sensitivity_ = 1.0f;
    float customScale_ = 0.0f;
    float customSnap_ = 0.0f;
    uint8_t snapHold_ = 0;
    uint8_t fineDrag_ = 0;
    uint8_t active_ = 1;
    uint8_t touchSelect_ = 1;
};
