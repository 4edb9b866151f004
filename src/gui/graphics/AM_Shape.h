#pragma once
// Vector graphics whose geometry and colours move between two states with
// the value they are drawn for (state 0 at value 0, state 1 at value 1):
// the ring segment (AM_ShapeCirc), the box (AM_ShapeBox) and the rounded
// rectangle (AM_RoundRect). Each holds links to colours of the view
// manager (null when unset) and its values (AM_ShapeValues), written as
// GR_PROPERTY lines and read back from them.
//
// GUI thread only.

#include "gui/graphics/AM_Graphic.h"
#include "gui/graphics/AM_ShapeValues.h"

class AM_Colour;

class AM_Shape : public AM_Graphic {
public:
    // Mask bit of every shape.
    static constexpr uint32_t kShapeBit = 0x200000;
    static constexpr int kMaxLinks = 9;

    // On a colour-changed message (35) for one of its links the shape tells
    // the controls to redraw (33); then the graphic's handling.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* data) override;
    const char* getTypeName() const override { return values_.typeName(); }
    // The graphic's lines, a "colour" line per set link, then the values.
    void writeScript(std::string* script) override;
    // "colour" (link id = the view manager's colour named by the value, null
    // when there is none) and the shape's value keys; an id out of range is
    // traced and the line ignored. The graphic's own keys are not taken.
    void setProperty(const char* name, int id, const char* value) override;

    virtual int getLinkCount() const { return values_.linkCount(); }
    // Stores a link (null clears it) and tells the controls to redraw; an
    // index out of range is ignored.
    virtual void setColourLink(int index, AM_Colour* colour);
    AM_Colour* getColourLink(int index) const;
    virtual int getValueCount() const { return values_.count(); }
    virtual const char* getValueName(int index) const { return values_.name(index); }
    float getValue(int index) const { return values_.get(index); }
    void setValue(int index, float value) { values_.set(index, value); }
    // Changes one value by an editing step, shows it on the view manager's
    // info line and tells the controls to redraw.
    virtual void editParameters(int index, float amount);

    // A new shape for a GRAPHIC line's type ("circ", "box", "rounded
    // rect"), or null for another type.
    static AM_Shape* create(AM_GuiServices* services, const char* typeName, uint32_t key);

protected:
    // Named by the format ("Circ #%d") with the object id.
    AM_Shape(AM_GuiServices* services, uint32_t key, AM_ShapeKind kind, const char* nameFormat);

    // Sets on the context the colour at value from the three links from
    // firstLink on.
    void setColourAt(AM_Context* context, int firstLink, float value) const;
    void announceChange();

    AM_Colour* links_[kMaxLinks] = {};
    AM_ShapeValues values_;
};

// The ring segment: fill colours at values 0, 0.5 and 1 (links 0-2), the
// pointer line (link 3); links 4-8 are kept and written but not drawn.
class AM_ShapeCirc : public AM_Shape {
public:
    AM_ShapeCirc(AM_GuiServices* services, uint32_t key);
    void draw(AM_Context* context, const AM_Rect* rect, float value) override;

private:
    float centre_[2] = {0.5f, 0.5f};
};

// The box: fill colours at 0, 0.5, 1 (links 0-2), outline colours at 0,
// 0.5, 1 (links 3-5; with neither link of the pair set the outline keeps
// the fill colour).
class AM_ShapeBox : public AM_Shape {
public:
    AM_ShapeBox(AM_GuiServices* services, uint32_t key);
    void draw(AM_Context* context, const AM_Rect* rect, float value) override;
};

// The rounded rectangle: fill (link 0) and border (link 1). The value it is
// drawn for does not change it.
class AM_RoundRect : public AM_Shape {
public:
    AM_RoundRect(AM_GuiServices* services, uint32_t key);
    void draw(AM_Context* context, const AM_Rect* rect, float value) override;
};
