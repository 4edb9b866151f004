#pragma once
// The text control: static text of the GUI script, the name label other
// controls create as their first child, the value-name label of a knob, an
// editable text bound to a text parameter (short texts on one line, long
// ones as a wrapped block) and, in meta-display mode, an information box
// that shows the descriptive texts of the current patch and grows with its
// container to fit them.
//
// Its text settings start from the view manager's DEFAULT preferences of
// the type "Label"; only settings that differ from those are written back.
//
// GUI thread only.

#include "gui/controls/AM_ControlMenu.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <memory>

class AM_View_Label : public AM_ViewControl {
public:
    // The text field's size; setText keeps at most kSetTextLimit characters.
    static constexpr int32_t kTextBytes = 32;
    static constexpr size_t kSetTextLimit = 30;
    // A text parameter of at least this maximum uses the long buffer.
    static constexpr int32_t kLongTextCapacity = 33;
    // The meta display's buffer.
    static constexpr int32_t kMetaCapacity = 2048;

    AM_View_Label(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Label() override;

    // The registry's factory.
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;

    // Message 8 takes the text; 43 ends a text entry; 46 (a preset was
    // loaded) refreshes a meta display.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;

    // Port 0 with a text parameter: the capacity becomes its maximum; from
    // kLongTextCapacity on the long buffer grows to it.
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    // Port 0: the text (or the long text) takes the parameter's text.
    void setParameterValue(int32_t i, const void* value) override;

    // Text entry on the text (edit mode, or a bound short text in run mode)
    // or, in run mode, a multi-line entry on a bound long text.
    void onDoubleClick(const float* point, uint32_t buttons) override;
    // A press goes on to the parent; drags and the release follow it there
    // when the parent kept the press.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    // Edit mode: '+' and '-' change the text size.
    bool onKeyDown(uint32_t key, uint32_t modifiers) override;
    // The meta display's height follows its text, 16 units per tick at most.
    void onTimer() override;

    void draw(AM_Context* context) override;

    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // The class's own edit-menu items.
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    AM_ControlMenu buildEditItems() const;
    // Edit-menu commands of the class (code 5 items): 1 toggles the
    // pass-through, 2 the meta display, 3..5 set the horizontal alignment.
    // True when the command was the class's own.
    bool applyEditCommand(uint32_t command);

    bool isParentLabel() const { return parentLabel_ != 0; }
    void setParentLabel(bool on) override { parentLabel_ = on ? 1 : 0; }
    bool isValueLabel() const { return valueLabel_ != 0; }
    void setValueLabel(bool on) { valueLabel_ = on ? 1 : 0; }
    bool isMetaDisplay() const { return metaDisplay_ != 0; }
    bool isPassThrough() const { return passThrough_ != 0; }

    // Copies at most kSetTextLimit characters, then redraws.
    void setText(const char* text);
    const char* getText() const { return text_; }
    // The long text (empty without a long buffer).
    const char* getLongText() const { return longText_ ? longText_.get() : ""; }
    int32_t getCapacity() const { return capacity_; }

    void setTextSize(float size);
    void setTextAlignment(int32_t alignment);
    void setTextVAlignment(int32_t alignment);
    void setTextVOffset(float offset);
    float getTextSize() const { return textSize_; }
    int32_t getTextAlignment() const { return hAlign_; }
    int32_t getTextVAlignment() const { return vAlign_; }
    float getTextVOffset() const { return textVOffset_; }
    float getTextHeight() const { return textHeight_; }

    // Fills the long buffer with the patch's descriptive texts.
    void showMetaInfo();

    // A clone (the base's, without siblings) moved by (dx, dy) into
    // newParent (null: this label's parent) with this label's text and text
    // settings; a name label stays one when it gets a new parent. Null when
    // no clone could be made.
    AM_View_Label* cloneWithText(float dx, float dy, AM_ViewControl* newParent);

private:
    // Replaces the long buffer by an empty one of `capacity` bytes.
    void makeLongBuffer(int32_t capacity);
    // Sends the text (or the long text) to the bound parameter.
    void sendText();

    char text_[kTextBytes] = {};
    int32_t hAlign_ = 1;
    int32_t vAlign_ = 1;
    float textSize_ = 9.0f;
    float textVOffset_ = -2.0f;
    uint8_t parentLabel_ = 0;
    uint8_t valueLabel_ = 0;
    uint8_t passThrough_ = 0;
    uint8_t metaDisplay_ = 0;
    int32_t capacity_ = 0;
    std::unique_ptr<char[]> longText_;
    int32_t longBytes_ = 0;
    float textHeight_ = 0.0f;
};
