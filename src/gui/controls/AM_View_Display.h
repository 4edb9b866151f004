#pragma once
// A text display of one parameter: a list parameter shows its current value
// name, a parameter selector (type 5, a parameter index or -1) the chosen
// parameter as "module: parameter" (or "none"), and a "DisplayValue"
// graphic, when set, is drawn by the value instead of any text. A click
// opens a menu of the values (or, in iterate mode, steps to the next one,
// wrapping at the end; dragging over a row of equal displays copies the
// value into each); the wheel steps through the values. A client pane (a
// layered container) can follow the value by showing the layer of the same
// number. Port 1 may bind a meter, polled on the timer.
//
// Mouse flags: 2 right button.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <memory>

class AM_View_Display : public AM_ViewControl {
public:
    enum Port : int32_t { kValuePort = 0, kMeterPort = 1 };
    static constexpr int32_t kNameBytes = 32;
    // Own commands (sub-index of code 5).
    static constexpr uint32_t kToggleIterate = 1;
    // The sub-index of "none" in a parameter selector's menu.
    static constexpr uint32_t kNoneSub = 0xFFFF;

    AM_View_Display(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Display() override;
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;
    // The base; then info line 0 names the parameter and its new value.
    void setValueFromUser(int32_t i, const void* value) override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;

    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void draw(AM_Context* context) override;
    void copyProperties(AM_ViewControl* clone) override;
    void writeProperties(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // The value names as items of submenu 0 (name k: command (k << 16) |
    // 23), the current one checked; answers the checked item, else 0.
    uint32_t addValueMenuItems();
    // The control's menu; in edit mode the base items, then "Attach Pane"
    // (the layered containers list themselves) and "iterate".
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    // The text drawn without a "DisplayValue" graphic (null: none).
    const char* displayText();
    float getValue() const { return value_; }
    float getMeterValue() const { return meterValue_; }
    bool getIterate() const { return iterate_ != 0; }
    void setIterate(bool on) { iterate_ = on ? 1 : 0; }
    AM_ViewControl* getClientPane() const { return clientPane_; }
    void setClientPane(AM_ViewControl* pane);
    int32_t getValueNameCount() const { return nameCount_; }

private:
    // The type word of the parameter on port 0 (-1 when unbound).
    int64_t valueType() const;
    bool portBound(int32_t i) const;
    void userSets(float value);
    // The next value of iterate mode: one up, back to the minimum past the
    // maximum.
    void iterateStep();
    // The client pane shows the layer of the value.
    void paneFollowsValue();
    void paneShowsLayer(int64_t layer);
    void openValueMenu(const float* point, bool withLearn);
    void openSelectorMenu(const float* point);
    void fillInfoLine(float value);

    uint8_t iterate_ = 0;
    int32_t hAlign_ = 1;
    int32_t vAlign_ = 1;
    float textSize_ = 9.0f;
    float textVOffset_ = -2.0f;
    float minimum_ = 0.0f;
    float maximum_ = 16.0f;
    float default_ = 0.0f;
    float value_ = 0.0f;
    std::unique_ptr<char[][kNameBytes]> names_;
    int32_t nameCount_ = 0;
    float meterValue_ = 0.0f;
    float meterMinimum_ = 0.0f;
    float meterMaximum_ = 0.0f;
    AM_ViewControl* clientPane_ = nullptr;
    char text_[2 * 64 + 4] = {};
};
