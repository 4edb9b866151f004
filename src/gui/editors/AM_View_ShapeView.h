#pragma once
// The shape editor ("ShapeEditView"): the workbench of the GUI's vector
// shapes. It makes new shapes, picks one of the GUI's shapes, shows it in
// three previews (drawn for value 0, for value 1, and in the middle for the
// "Value" listener at the size the "Preview Width" and "Preview Height"
// listeners give) and edits the shape's values by vertical drags in a strip
// of value cells along the bottom. Listened values are held to 0..1. Its
// popup menu binds the shape's colour links to the GUI's colours. It edits
// graphics, not parameters: no ports.
//
// Menus are filled from the replies of the graphics (37) and the colours
// (36) to a reply request; only graphics and colours of this view
// manager's lists are taken from a chosen item.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_Shape;

class AM_View_ShapeView : public AM_ViewControl {
public:
    // Height of the value strip.
    static constexpr float kStripHeight = 16.0f;
    // Colour links a shape offers in the menu at most.
    static constexpr int kMaxLinks = 10;
    enum Listener : int32_t { kValue = 0, kPreviewWidth = 1, kPreviewHeight = 2 };
    // Sub-indices of "create new" (code 5) and the codes of the submenus.
    enum Create : uint32_t { kCreateCirc = 1, kCreateBox = 2, kCreateRoundRect = 3 };
    static constexpr uint32_t kSelectShapeCode = 17;
    static constexpr uint32_t kColourLinkCode = 18;

    AM_View_ShapeView(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    const char* getTypeName() const override;
    void listenerValueChanged(int32_t i, const void* value) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void draw(AM_Context* context) override;
    void boundsChanged() override;

    // --- State, for tests.
    AM_Shape* getShape() const { return shape_; }
    AM_Rect previewA() const { return previewA_; }
    AM_Rect previewB() const { return previewB_; }
    AM_Rect previewC() const { return previewC_; }
    AM_Rect valueStrip() const { return strip_; }
    // The side of the previews.
    float side() const { return previewA_.w; }
    int getValueCount() const { return valueCount_; }
    int getSelectedValue() const { return selected_; }

private:
    void layout();
    void showMenu(const float* point);
    void dragTo(const float* point);
    void edit(AM_Shape* shape);
    // The graphic or colour only when it is one of the view manager's.
    AM_Shape* ownShape(const void* graphic) const;
    AM_Colour* ownColour(const void* colour) const;

    AM_Shape* shape_ = nullptr;
    AM_Rect previewA_{};
    AM_Rect previewC_{};
    AM_Rect previewB_{};
    AM_Rect strip_{};
    float value_ = 0.0f;
    float previewWidth_ = 0.0f;
    float previewHeight_ = 0.0f;
    int valueCount_ = 0;
    int selected_ = -1;
    float last_[2] = {0.0f, 0.0f};
};
