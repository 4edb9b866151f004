#pragma once
// The on/off and push button. Bound to a parameter it toggles between the
// on value (1.0) and the parameter's minimum; push-only buttons go back to
// the minimum on release. It can show and hide a client pane (it then shows
// "on" exactly while the pane is visible) and carry a four-character action
// code that it hands to the view manager when clicked. It draws two
// graphics, up to five colours and its "On"/"Off" texts; with none of them
// set it draws a plain button of its own.
//
// GUI thread only.

#include "gui/controls/AM_ControlMenu.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_Button : public AM_ViewControl {
public:
    static constexpr int32_t kTextBytes = 32;
    // The action code that opens the single-item web menu.
    static constexpr uint32_t kWebAction = 0x5F776562; // '_web'
    // Commands of the class (sub of a code-5 item): the web item of the
    // run menu, push only of the edit menu.
    static constexpr uint32_t kVisitWebsite = 616;
    static constexpr uint32_t kTogglePushOnly = 100;
    // The sub of the action-list items of the edit menu.
    static constexpr uint32_t kActionListItem = 1;
    // The edit menu's code for an attached pane.
    static constexpr uint32_t kAttachPaneCode = 16;

    AM_View_Button(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Button() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;

    void onDoubleClick(const float* point, uint32_t buttons) override;
    // True for a push-only button, so that the release is reported.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;

    // A client pane that goes away (message 18) is forgotten.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    // The base items, "Push Only", the "Attach Pane" submenu that every
    // container fills, and the list of actions with the current one checked.
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;
    void writeProperties(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // Both texts take the text (up to 31 characters); push only; the code.
    void setAction(uint32_t actionCode, const char* text);
    // The pane the button shows and hides (not owned; null for none).
    void setClientPane(AM_ViewControl* pane);
    AM_ViewControl* getClientPane() const { return clientPane_; }

    // The class's own edit-menu items (the pane submenu and the action list
    // come from the view manager).
    AM_ControlMenu buildEditItems() const;
    // A chosen command of menu `menuId` with the item's user data (an
    // action-list item carries its action row, an "Attach Pane" item the
    // pane); true when the class handled it whole.
    bool applyMenuCommand(uint32_t menuId, uint32_t command, void* userData);

    bool isOn() const { return value_ == onValue_; }
    float getValue() const { return value_; }
    float getMinimum() const { return minimum_; }
    bool isPushOnly() const { return pushOnly_ != 0; }
    uint32_t getActionCode() const { return actionCode_; }
    const char* getOnText() const { return onText_; }
    const char* getOffText() const { return offText_; }

private:
    // The value a client pane gives: 1 while it is visible.
    void followClientPane();
    void drawGenerated(AM_Context* context);
    // Hands the action code to the view manager.
    void performAction();

    float minimum_ = 0.0f;
    float maximum_ = 1.0f;
    float default_ = 0.0f;
    float value_ = 0.0f;
    float onValue_ = 1.0f;
    char offText_[kTextBytes] = "Off";
    char onText_[kTextBytes] = "On";
    int32_t hAlign_ = 1;
    int32_t vAlign_ = 1;
    float textSize_ = 9.0f;
    float textVOffset_ = -2.0f;
    int32_t pushOnly_ = 0;
    uint32_t actionCode_ = 0;
    AM_ViewControl* clientPane_ = nullptr;
};
