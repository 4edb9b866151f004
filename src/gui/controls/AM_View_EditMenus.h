#pragma once
// The value field of the GUI's own editing panes: bound by code to one
// property of another control (its owner), it shows the current value or
// the name of the bound item, polls it on the timer, and edits it.
//
// Modes:
//   0 variable  a signed 32-bit integer of the owner with a range and
//               optional value names: drags (five pixels a step), the wheel,
//               or a menu of the names;
//   1 colour    one of the owner's colour slots,
//   2 graphic   one of its graphic slots,
//   3 port      one of its ports: a press opens the owner's own edit-menu
//               choices (colours; graphics; modules and parameters) at the
//               field, carried out by the owner's edit-menu handling;
//   4 text      a text buffer of the owner, edited by a text entry on a
//               double click.
//
// The owner is a link, not owned: when the owner goes away (message 18)
// the field forgets it together with everything that pointed into it (the
// variable, the value names, the text buffer).
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <memory>
#include <vector>

class AM_View_EditMenus : public AM_ViewControl {
public:
    enum Mode : int32_t { kVariable = 0, kColour = 1, kGraphic = 2, kParameter = 3, kText = 4 };
    static constexpr int32_t kNameBytes = 32;
    static constexpr int32_t kShownBytes = 64;
    // The longest bound text shown.
    static constexpr int32_t kShownTextChars = 62;
    // Command codes of the owner's edit menu opened at the field.
    static constexpr uint32_t kGraphicCode = 4;
    static constexpr uint32_t kParameterCode = 6;
    static constexpr uint32_t kModuleCode = 7;
    // Edit-menu command of the class.
    static constexpr uint32_t kToggleIterate = 1;
    // The id of the text entry.
    static constexpr uint32_t kTextEntryId = 4;

    using ValueName = char[kNameBytes];

    AM_View_EditMenus(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_EditMenus() override;
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    // --- Binding (by the code that builds an editing pane).

    // An integer of the owner in minimum..maximum; valueNames (may be null)
    // holds maximum - minimum + 1 names. labelText (may be null) names the
    // field's label.
    void bindVariable(AM_ViewControl* owner, const char* labelText, int32_t* variable,
                      const ValueName* valueNames, int32_t minimum, int32_t maximum);
    void bindColour(AM_ViewControl* owner, int32_t slot);
    void bindGraphic(AM_ViewControl* owner, int32_t slot);
    void bindParameters(AM_ViewControl* owner, int32_t port);
    // A text buffer of the owner of `capacity` bytes.
    void bindText(AM_ViewControl* owner, char* text, int32_t capacity, const char* labelText);
    // The shown text from the bound item.
    void updateBoundName();

    // --- Serving as an inspector row or field.

    // A row of the inspector's colour, graphic or parameter pane (told by
    // the row's name: "*i*CtrlColour%d" and its template "*i*ColoursRider",
    // and the same for graphics and parameters) binds that slot of the
    // subject; no subject unbinds it.
    void setInspectorSubject(AM_ViewControl* subject, int32_t slot) override;
    // Binds an integer or a text field of another control; its value
    // texts are copied. After each change the owner gets the field's
    // message. False when the owner is not a control or the field is none.
    bool bindField(const AM_InspectorField& field) override;
    // Mode 0: the value, held to the range, goes into the variable.
    void storeValue();
    // The value names as items (name k: command (k << 16) | 23), the
    // current one checked; answers the checked item's index, else 0.
    uint32_t addValueMenuItems();

    // --- Control.

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    // The control's menu; in edit mode the base items, then "iterate".
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    void draw(AM_Context* context) override;
    void copyProperties(AM_ViewControl* clone) override;
    void writeProperties(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    int32_t getMode() const { return mode_; }
    AM_ViewControl* getOwner() const { return owner_; }
    int32_t getValue() const { return value_; }
    const char* getShownText() const { return shown_; }
    bool getIterate() const { return iterate_ != 0; }
    // The text the field draws.
    const char* displayText();

private:
    // Binding of a slot kind: label texts and mode.
    void bindSlot(AM_ViewControl* owner, int32_t slot, int32_t mode);
    // The item in the owner's slot for modes 1-3 (null when none).
    const void* boundItem() const;
    // The value name of the value (null when none).
    const char* valueName() const;
    void setValue(int64_t value);
    void forgetOwner();
    // The owner's message after a change of a field bound by bindField.
    void announceChange(void* field);
    bool openColourMenu(const float* point);
    bool openGraphicMenu(const float* point);
    bool openParameterMenu(const float* point);

    uint8_t iterate_ = 0;
    int32_t mode_ = kVariable;
    AM_ViewControl* owner_ = nullptr;
    const void* lastBound_ = nullptr;
    char* text_ = nullptr;
    int32_t textCapacity_ = 64;
    int32_t slot_ = 0;
    int32_t* variable_ = nullptr;
    int32_t hAlign_ = 1;
    int32_t vAlign_ = 1;
    float textSize_ = 9.0f;
    float textVOffset_ = -2.0f;
    int32_t minimum_ = 0;
    int32_t maximum_ = 16;
    int32_t value_ = 0;
    char shown_[kShownBytes] = {};
    const ValueName* valueNames_ = nullptr;
    float dragPoint_[2] = {0.0f, 0.0f};
    // The text entry edits this copy; it goes into the owner's buffer when
    // the entry ends and the owner is still there.
    std::vector<char> entry_;
    // The value names of a field bound by bindField, and its message.
    std::unique_ptr<ValueName[]> fieldNames_;
    uint32_t changedMessage_ = 0;
    bool entryOpen_ = false;
    char number_[16] = {};
};
