#pragma once
// The live editor of one colour resource of the GUI: shows the colour over
// a black-and-white checker (so its transparency shows), drives four
// listener entries "Red", "Green", "Blue" and "Alpha" (the ports of other
// controls that LISTENER lines connect to it) and takes edits back from
// them, reports the packed value on info line 1, and offers a menu to pick
// any saveable colour of the GUI, create a new one or rename the edited one.
//
// The edited colour belongs to the view manager's colour list.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_ColourView : public AM_ViewControl {
public:
    // Listener entries, one per component.
    enum Component : int32_t { kRed = 0, kGreen = 1, kBlue = 2, kAlpha = 3, kComponents = 4 };
    // Menu commands (menu 0).
    static constexpr uint32_t kRenameSub = 1;
    static constexpr uint32_t kColourCode = 18;
    // The id of the rename prompt.
    static constexpr uint32_t kRenameEntryId = 32;

    AM_View_ColourView(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    // 36 from a colour while the pick menu is built: a saveable colour is
    // listed. 43 after a colour rename entry: the colour takes the name.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    // Component i of the colour takes the value (kept within 0..1); every
    // object hears of the change (message 35) and info line 1 shows it.
    void listenerValueChanged(int32_t i, const void* value) override;
    // Opens the pick menu; the press is not kept.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void draw(AM_Context* context) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // Every connected listener target shows the matching component, and
    // the info line is set.
    void updateColourPorts();
    // The colour to edit (null: none): the label names it, the targets
    // follow.
    void setEditColour(AM_Colour* colour);
    AM_Colour* getEditColour() const { return editColour_; }

    // "RGBA: %X" of the colour's components, each truncated to a byte.
    static void formatInfoText(const AM_Colour* colour, char* text, size_t bytes);

private:
    void showOnInfoLine();

    AM_Colour* editColour_ = nullptr;
    bool renamingColour_ = false;
};
