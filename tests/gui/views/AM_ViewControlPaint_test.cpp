#include "PortFixture.h"

#include "GuiTestKit.h"

#include <string>

namespace {

using namespace viewtest;

constexpr float kCanvasWidth = 240;
constexpr float kCanvasHeight = 160;

// A pane with two layers, a hidden control, a child outside the pane, and a
// selected control with a child.
class PaintTest : public ParameterTest {
protected:
    PaintTest()
    {
        vm = open();
        auto* pale = new AM_Colour(vm, "Pale", 0xE8ECF0FF);
        auto* blue = new AM_Colour(vm, "Blue", 0x5070C0FF);
        auto* green = new AM_Colour(vm, "Green", 0x60A060FF);
        auto* orange = new AM_Colour(vm, "Orange", 0xE09040FF);
        for (AM_Colour* c : {pale, blue, green, orange})
            vm->addColour(c);

        root = addPaintControl(vm, nullptr, "Root", {0, 0, kCanvasWidth, kCanvasHeight}, true);
        root->setColour(pale, 0);
        pane = addPaintControl(vm, root, "Pane", {10, 10, 130, 100}, true);
        PaintControl* shown = new PaintControl(vm, {10, 10, 50, 40});
        pane->addControl(shown, 0x1, true);
        shown->setColour(blue, 0);
        PaintControl* otherLayer = new PaintControl(vm, {40, 30, 50, 40});
        pane->addControl(otherLayer, 0x2, true);
        otherLayer->setColour(orange, 0);
        pane->getFirstChildControl()->setVisible(false, 0x2, true);
        outside = addPaintControl(vm, pane, "Outside", {110, 60, 60, 30});
        outside->setColour(green, 0);
        hidden = addPaintControl(vm, root, "Hidden", {20, 120, 60, 30});
        hidden->setColour(orange, 0);
        hidden->setVisible(false, kAllLayers, false);
        picked = addPaintControl(vm, root, "Picked", {170, 100, 60, 50});
        picked->setColour(blue, 0);
        PaintControl* inner = addPaintControl(vm, picked, "Inner", {10, 10, 20, 20});
        inner->setState(inner->getState() | kStateInsideSelected);
        picked->setSelectedForTest(true);
    }

    std::string paint(bool editMode, float zoom)
    {
        root->setEditMode(editMode);
        testsupport::HeadlessCanvas canvas(kCanvasWidth, kCanvasHeight, zoom);
        canvas.begin();
        const AM_Rect clip{0, 0, kCanvasWidth, kCanvasHeight};
        root->paintTree(&canvas.context(), &clip);
        const std::string name = std::string(editMode ? "controls_edit" : "controls_run") + "_z" +
                                 std::to_string(int(zoom));
        return canvas.compare(name, 1);
    }

    AM_ViewMan* vm = nullptr;
    PaintControl* root = nullptr;
    PaintControl* pane = nullptr;
    PaintControl* outside = nullptr;
    PaintControl* hidden = nullptr;
    PaintControl* picked = nullptr;
};

TEST_F(PaintTest, RunAndEditModeMatchTheirReferencePictures)
{
    for (const float zoom : {1.0f, 2.0f}) {
        EXPECT_EQ(paint(false, zoom), "") << zoom;
        EXPECT_EQ(paint(true, zoom), "") << zoom;
    }
}

TEST_F(PaintTest, HiddenControlsAreNotDrawnAndClippedControlsStillPaintTheirChildren)
{
    paint(false, 1.0f);
    EXPECT_EQ(hidden->drawn, 0);
    EXPECT_EQ(outside->drawn, 1) << "drawn, but clipped by its pane";

    // A clip that misses the pane: in edit mode its children are still
    // asked, in run mode they go with it.
    const AM_Rect corner{150, 60, 30, 20};
    testsupport::HeadlessCanvas canvas(kCanvasWidth, kCanvasHeight, 1.0f);
    root->setEditMode(false);
    outside->drawn = 0;
    canvas.begin();
    pane->paintTree(&canvas.context(), &corner);
    EXPECT_EQ(outside->drawn, 0);
    root->setEditMode(true);
    pane->paintTree(&canvas.context(), &corner);
    EXPECT_EQ(outside->drawn, 1);
}

} // namespace
