#include "EditorFixture.h"

#include "gui/editors/AM_View_ShapeView.h"
#include "gui/graphics/AM_Shape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace editortest {
namespace {

// The view, counting its redraws.
class CountingShapeView : public AM_View_ShapeView {
public:
    using AM_View_ShapeView::AM_View_ShapeView;
    void redraw() override
    {
        ++redraws;
        AM_View_ShapeView::redraw();
    }
    int redraws = 0;
};

class ShapeViewTest : public EditorTest {
protected:
    CountingShapeView* build(AM_Rect bounds = AM_Rect{10, 10, 300, 100})
    {
        auto* view = new CountingShapeView(vm.get(), &bounds);
        vm->registerControl(view, nullptr);
        view->setVisible(true, kAllLayers, false);
        view->setEditMode(false);
        return view;
    }
    // A shape of the GUI, as a GRAPHIC line makes it.
    template <class S> S* addShape(const char* name)
    {
        auto* shape = new S(vm.get(), 0);
        shape->setName(name);
        vm->addGraphic(shape);
        return shape;
    }
    bool command(AM_View_ShapeView* view, uint32_t code, uint32_t sub, void* data)
    {
        AM_MenuItem item{};
        item.command = AM_menuCommand(sub, code);
        item.userData = data;
        const float p[2] = {0, 0};
        return view->handleMenuCommand(p, kRunMenuId, true, &item);
    }
    // Texts of the items of the menu just built, submenu by submenu.
    std::vector<std::string> itemsOf(const std::string& subMenuText) const
    {
        const AM_MenuTable& table = vm->getMenuTable();
        uint32_t sub = AM_MenuTable::kNoSubMenu;
        for (uint32_t i = 1; i <= table.itemCount(); ++i)
            if (table.item(i)->isSubMenuEntry() && table.item(i)->text == subMenuText)
                sub = table.item(i)->command;
        std::vector<std::string> out;
        for (uint32_t i = 1; i <= table.itemCount(); ++i)
            if (table.item(i)->subMenu() == sub && !table.item(i)->isSubMenuEntry())
                out.push_back(table.item(i)->text);
        return out;
    }
};

TEST_F(ShapeViewTest, LayoutOfPreviewsAndStrip)
{
    struct Case {
        AM_Rect bounds;
        float side, d;
    };
    const Case cases[] = {
        {{10, 10, 300, 100}, 84, 108}, // the usual wide strip
        {{0, 0, 100, 300}, 100, 0},     // tall: the previews lie on each other
        {{0, 0, 200, 216}, 200, 0},
        {{0, 0, 80, 10}, 0, 40},        // lower than the strip: no previews
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bounds.w);
        auto* view = build(c.bounds);
        EXPECT_EQ(view->side(), c.side);
        EXPECT_EQ(view->previewA().x, c.bounds.x);
        EXPECT_EQ(view->previewC().x, c.bounds.x + c.d);
        EXPECT_EQ(view->previewB().x, c.bounds.x + 2 * c.d);
        EXPECT_EQ(view->previewB().h, c.side);
        const AM_Rect strip = view->valueStrip();
        EXPECT_EQ(strip.y, c.bounds.y + c.bounds.h - 16);
        EXPECT_EQ(strip.w, c.bounds.w);
        EXPECT_EQ(strip.h, 16);
    }
    // A new size lays the view out again.
    auto* view = build();
    view->growBy(0, 0, 0, 100, false);
    EXPECT_EQ(view->side(), 184);
    EXPECT_STREQ(view->getTypeName(), "ShapeEditView");
    EXPECT_EQ(view->getNumPorts(), 0);
    EXPECT_STREQ(view->getListenerDescriptor(2)->name, "Preview Height");
}

TEST_F(ShapeViewTest, TheMenuCreatesSelectsAndLinksColours)
{
    auto* ring = addShape<AM_ShapeCirc>("Ring");
    addShape<AM_RoundRect>("Plate");
    vm->addGraphic(new AM_Graphic(vm.get(), 0)); // not a shape
    colour("Amber", 0xF0B040FF);
    colour("Slate", 0x3A4350FF);
    auto* view = build();

    // No shape: a press anywhere opens the menu.
    const float at[2] = {100, 105};
    EXPECT_FALSE(view->handleMouseDown(at, 0, 0));
    EXPECT_EQ(itemsOf("create new"),
              (std::vector<std::string>{"Circ Shape", "Box Shape", "Rounded Rect"}));
    EXPECT_EQ(itemsOf("select shape"), (std::vector<std::string>{"Ring", "Plate"}));
    EXPECT_TRUE(itemsOf("colour 1").empty());

    ASSERT_TRUE(command(view, 17, 0, ring));
    EXPECT_EQ(view->getShape(), ring);
    EXPECT_EQ(view->getValueCount(), 8);
    // A press on the strip edits; above it the menu opens with the links.
    const float above[2] = {100, 50};
    view->handleMouseDown(above, 0, 0);
    EXPECT_EQ(itemsOf("Ring"), (std::vector<std::string>{}));
    // Every colour of the GUI, the standard ones first.
    std::vector<std::string> colours;
    for (AM_GuiObject* c = vm->getColours(); c != nullptr; c = c->getNext())
        colours.push_back(c->getName());
    EXPECT_EQ(colours.back(), "Slate");
    EXPECT_EQ(itemsOf("colour 1"), colours);
    EXPECT_EQ(itemsOf("colour 9"), colours);
    EXPECT_TRUE(itemsOf("colour 10").empty());

    // Linking: an index within the shape's links and a colour of the GUI.
    AM_Colour* amber = vm->getColour("Amber");
    ASSERT_TRUE(command(view, 18, 2, amber));
    EXPECT_EQ(ring->getColourLink(2), amber);
    AM_Colour stranger(vm.get(), "Stranger", 0xFF0000FF);
    command(view, 18, 3, &stranger);
    command(view, 18, 9, amber);
    command(view, 18, 40000, amber);
    EXPECT_EQ(ring->getColourLink(3), nullptr);

    // Creating: owned by the GUI's graphics, saved with it, edited here.
    const int before = view->redraws;
    ASSERT_TRUE(command(view, 5, AM_View_ShapeView::kCreateBox, nullptr));
    auto* box = dynamic_cast<AM_ShapeBox*>(view->getShape());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(vm->getGraphic(box->getName()), box);
    EXPECT_EQ(box->getPathIndex(), 1u);
    EXPECT_TRUE(box->isSaveable());
    EXPECT_EQ(view->getValueCount(), box->getValueCount());
    EXPECT_GT(view->redraws, before);

    // A graphic that is not one of the GUI's shapes is not taken; null
    // clears the shape.
    AM_ShapeCirc loose(vm.get(), 0);
    command(view, 17, 0, &loose);
    EXPECT_EQ(view->getShape(), box);
    command(view, 17, 0, nullptr);
    EXPECT_EQ(view->getShape(), nullptr);
    EXPECT_EQ(view->getValueCount(), 0);
}

TEST_F(ShapeViewTest, StripDragsChangeTheShapeAndRedrawIt)
{
    auto* ring = addShape<AM_ShapeCirc>("Ring");
    auto* other = addShape<AM_ShapeCirc>("Other");
    AM_ShapeCirc twin(vm.get(), 0);
    auto* view = build();
    command(view, 17, 0, ring);
    const AM_Rect strip = view->valueStrip();
    const float cell = strip.w / 8;

    // The press selects the cell under it and changes nothing.
    const float press[2] = {strip.x + 1.5f * cell, strip.y + 8};
    ASSERT_TRUE(view->handleMouseDown(press, 0, 0));
    EXPECT_EQ(view->getSelectedValue(), 1);
    EXPECT_EQ(ring->getValue(1), twin.getValue(1));
    // Dragging up by 3 passes a change of 3; the shape announces it and the
    // view redraws.
    const int before = view->redraws;
    const float up[2] = {press[0] + 20, press[1] - 3};
    view->handleMouseDrag(up, 0, 0);
    twin.editParameters(1, 3.0f);
    EXPECT_EQ(ring->getValue(1), twin.getValue(1));
    EXPECT_GT(view->redraws, before);
    // The release is one more step.
    const float down[2] = {press[0], press[1] + 2};
    view->handleMouseUp(down, 0, 0);
    twin.editParameters(1, -5.0f);
    EXPECT_EQ(ring->getValue(1), twin.getValue(1));

    // The strip's edges belong to it: the right edge is the last value.
    struct Case {
        float x, y;
        int selected;
    };
    const Case cases[] = {{strip.x, strip.y, 0},
                          {strip.x + strip.w, strip.y + strip.h, 7},
                          {strip.x + 4.5f * cell, strip.y + 1, 4},
                          {strip.x + 4.5f * cell, strip.y - 1, -1}};
    for (const Case& c : cases) {
        const float p[2] = {c.x, c.y};
        view->handleMouseDown(p, 0, 0);
        view->handleMouseUp(p, 0, 0);
        EXPECT_EQ(view->getSelectedValue(), c.selected) << c.x << "," << c.y;
    }
    // Another shape's change does not redraw the view.
    const int now = view->redraws;
    other->editParameters(2, 1.0f);
    EXPECT_EQ(view->redraws, now);
}

TEST_F(ShapeViewTest, ListenersSizeThePreview)
{
    auto* ring = addShape<AM_ShapeCirc>("Ring");
    auto* view = build();
    command(view, 17, 0, ring);
    struct Case {
        float v;
        float size;
    };
    // s = 84: trunc((0.8 v + 0.2) 84 + 0.5).
    const Case cases[] = {{1.0f, 84}, {0.0f, 17}, {0.5f, 50}};
    for (const Case& c : cases) {
        view->listenerValueChanged(AM_View_ShapeView::kPreviewWidth, &c.v);
        view->listenerValueChanged(AM_View_ShapeView::kPreviewHeight, &c.v);
        EXPECT_EQ(ring->getWidth(), c.size);
        EXPECT_EQ(ring->getHeight(), c.size);
    }
    const float bad[] = {std::nanf(""), INFINITY};
    for (float v : bad) {
        view->listenerValueChanged(AM_View_ShapeView::kPreviewWidth, &v);
        EXPECT_EQ(ring->getWidth(), 50);
    }
    // Values beyond the two states are held to them.
    const float beyond[] = {1e30f, -4.0f};
    view->listenerValueChanged(AM_View_ShapeView::kPreviewWidth, &beyond[0]);
    EXPECT_EQ(ring->getWidth(), 84);
    view->listenerValueChanged(AM_View_ShapeView::kPreviewHeight, &beyond[1]);
    EXPECT_EQ(ring->getHeight(), 17);
    view->listenerValueChanged(AM_View_ShapeView::kPreviewWidth, nullptr);
    view->listenerValueChanged(7, &cases[0].v);
}

TEST_F(ShapeViewTest, ReferencePictures)
{
    for (float zoom : {1.0f, 2.0f}) {
        auto* empty = build(AM_Rect{0, 0, 300, 100});
        empty->setColour(colour("sv back", 0x23272EFF), 0);
        EXPECT_EQ(paint(empty, 300, 100, "shapeview_empty", zoom), "");
        empty->unlink();
        delete empty;

        auto* ring = addShape<AM_ShapeCirc>("Ring");
        ring->setColourLink(0, colour("ring low", 0x3A6EA5FF));
        ring->setColourLink(1, colour("ring mid", 0x6FB7E8FF));
        ring->setColourLink(2, colour("ring high", 0xF0B040FF));
        ring->setColourLink(3, colour("ring pointer", 0xFFFFFFFF));
        // A ring with a width: inner radius 0.25, outer 0.42 and 0.47.
        for (int state : {0, 4}) {
            ring->setValue(state + 2, 0.25f);
            ring->setValue(state + 3, state == 0 ? 0.42f : 0.47f);
        }
        auto* view = build(AM_Rect{0, 0, 300, 100});
        view->setColour(vm->getColour("sv back"), 0);
        command(view, 17, 0, ring);
        const float value = 0.6f, size = 0.5f;
        view->listenerValueChanged(AM_View_ShapeView::kValue, &value);
        view->listenerValueChanged(AM_View_ShapeView::kPreviewWidth, &size);
        view->listenerValueChanged(AM_View_ShapeView::kPreviewHeight, &size);
        EXPECT_EQ(paint(view, 300, 100, "shapeview", zoom), "");
        view->unlink();
        delete view;
    }
}

} // namespace
} // namespace editortest
