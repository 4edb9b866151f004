// Input routing of the view manager: zoomed points, run-mode tracking,
// edit-mode selection painting, the wheel gesture, drag and drop and keys.

#include "PortFixture.h"
#include "TraceCapture.h"

#include <string>
#include <vector>

namespace {

using namespace viewtest;

// A control that records what reaches it.
class InputControl : public PaintControl {
public:
    InputControl(AM_ViewMan* vm, const AM_Rect& bounds) : PaintControl(vm, bounds)
    {
        acceptsWheel_ = 1;
    }
    bool onMouseDown(const float* point, uint32_t) override
    {
        events.push_back("down " + at(point));
        return keepPress;
    }
    void onMouseDrag(const float* point, uint32_t) override { events.push_back("drag " + at(point)); }
    void onMouseUp(const float* point, uint32_t) override { events.push_back("up " + at(point)); }
    void onMouseWheel(float steps) override { events.push_back("wheel " + std::to_string(int(steps))); }
    void beginWheel() override
    {
        events.push_back("begin wheel");
        PaintControl::beginWheel();
    }
    void endWheel() override
    {
        events.push_back("end wheel");
        PaintControl::endWheel();
    }
    void onDragOver(const float* point, uint32_t modifiers, uint32_t state) override
    {
        std::string event = "over " + at(point);
        if (modifiers != 0)
            event += " keys " + std::to_string(modifiers);
        if (state != kDragStateOver)
            event += " state " + std::to_string(int32_t(state));
        events.push_back(event);
    }
    void onDragLeave() override { events.push_back("leave"); }
    void onDrop(const float* point, const char* text) override
    {
        events.push_back("drop " + at(point) + " " + (text != nullptr ? text : ""));
    }
    bool onKeyDown(uint32_t key, uint32_t modifiers) override
    {
        events.push_back("key " + std::to_string(key) + " " + std::to_string(modifiers));
        return true;
    }
    void onDoubleClick(const float* point, uint32_t) override { events.push_back("double " + at(point)); }

    static std::string at(const float* p)
    {
        return std::to_string(int(p[0])) + "," + std::to_string(int(p[1]));
    }

    bool keepPress = true;
    std::vector<std::string> events;
};

class InputViewMan : public TestViewMan {
public:
    using TestViewMan::TestViewMan;
    void setPending(int32_t index) { pendingScript_ = index; }
    void setLoading(bool on) { scriptLoading_ = on ? 1 : 0; }
    void setGuiEditing(bool on) { pluginInfo_.optionByte = on ? 1 : 0; }
};

// A 400 x 300 top pane in run mode holding a root view with two controls,
// "A" at (40, 20) and "B" at (120, 20), each 40 x 40.
class InputTest : public ParameterTest {
protected:
    InputTest()
    {
        view = std::make_unique<InputViewMan>(&interface, nullptr, nullptr);
        vm = static_cast<InputViewMan*>(view.get());
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        top = addPaintControl(vm, nullptr, "Top", {0, 0, 400, 300}, true);
        root = addPaintControl(vm, top, "Root", {0, 0, 400, 300}, true);
        vm->setRootViewForTest(root);
        a = add("A", {40, 20, 40, 40});
        b = add("B", {120, 20, 40, 40});
        c = add("C", {200, 20, 40, 40});
        top->setEditMode(false);
        // The root view stays in edit mode, locked, without handles.
        root->setState(root->getState() | kStateEditMode | kStateLocked |
                       kStateNoResizeHandles | kStateRootView);
    }

    InputControl* add(const char* name, const AM_Rect& bounds)
    {
        auto* control = new InputControl(vm, bounds);
        control->setName(name);
        root->addControl(control, kAllLayers, false);
        return control;
    }

    void editMode() { vm->setEditMode(true); }
    static bool selected(const AM_ViewControl* control)
    {
        return (control->getState() & kStateSelected) != 0;
    }

    InputViewMan* vm = nullptr;
    PaintControl* top = nullptr;
    PaintControl* root = nullptr;
    InputControl* a = nullptr;
    InputControl* b = nullptr;
    InputControl* c = nullptr;
};

using Events = std::vector<std::string>;

TEST_F(InputTest, AtZoomTwoAPressDragAndReleaseReachTheControlUnderThePointInGuiUnits)
{
    vm->setZoom(2.0f);
    EXPECT_TRUE(vm->handleMouseDown(100, 60, 0)); // GUI (50, 30): inside A
    EXPECT_TRUE(vm->isPressTracked());
    EXPECT_EQ(vm->getActiveControl(), a);
    vm->handleMouseDrag(300, 80, 0); // over B: still A's drag
    vm->handleMouseUp(310, 90, 0);
    EXPECT_FALSE(vm->isPressTracked());
    EXPECT_EQ(a->events, (Events{"down 50,30", "drag 150,40", "up 155,45"}));
    EXPECT_TRUE(b->events.empty());

    // A press the control does not keep is not tracked.
    a->keepPress = false;
    EXPECT_FALSE(vm->handleMouseDown(100, 60, 0));
    EXPECT_FALSE(vm->isPressTracked());
    // A press on nothing: the top pane takes no press either.
    EXPECT_FALSE(vm->handleMouseDown(780, 580, 0));
}

TEST_F(InputTest, AReleaseWithoutAPressCallsNoControl)
{
    testsupport::TraceCapture trace;
    EXPECT_FALSE(vm->handleMouseUp(50, 30, 0));
    EXPECT_TRUE(trace.contains("MouseUp Without Tracking\n"));
    EXPECT_TRUE(a->events.empty());
}

TEST_F(InputTest, EventsDuringAScriptLoadAreDropped)
{
    testsupport::TraceCapture trace;
    vm->setPending(0);
    EXPECT_FALSE(vm->handleMouseDown(50, 30, 0));
    EXPECT_TRUE(trace.contains("omg... handleMouseDown during timed setup"));
    EXPECT_FALSE(vm->handleMouseWheel(50, 30, 1, 0));
    EXPECT_FALSE(vm->handleKey('a', 0, 0));
    vm->setPending(-1);
    vm->setLoading(true);
    EXPECT_FALSE(vm->handleMouseDown(50, 30, 0));
    EXPECT_TRUE(trace.contains("omg... handleMouseDown during absolutelyNoDrawing"));
    EXPECT_FALSE(vm->handleDrop(50, 30, 0, 1, 4, "TEXT"));
    vm->setLoading(false);
    EXPECT_TRUE(a->events.empty());
}

TEST_F(InputTest, TheInputBlockRectangleStopsPressesWheelAndKeys)
{
    const AM_Rect block{30, 10, 100, 100};
    vm->setInputBlockRect(&block);
    EXPECT_FALSE(vm->handleMouseDown(50, 30, 0));
    EXPECT_FALSE(vm->handleMouseWheel(50, 30, 1, 0));
    EXPECT_FALSE(vm->handleKey('a', 0, 0));
    EXPECT_TRUE(vm->handleMouseDown(210, 30, 0)) << "C lies outside the block";
    vm->handleMouseUp(210, 30, 0);
    vm->setInputBlockRect(nullptr);
    EXPECT_TRUE(a->events.empty());
}

TEST_F(InputTest, AWheelStepKeepsItsControlUntilTwentyTicksThePointerLeavesOrAPress)
{
    EXPECT_TRUE(vm->handleMouseWheel(50, 30, 1.7f, 0));
    EXPECT_EQ(vm->getWheelControl(), a);
    EXPECT_EQ(vm->getWheelHoldCount(), 20);
    for (int i = 0; i < 5; ++i)
        vm->onTimer();
    EXPECT_TRUE(vm->handleMouseWheel(60, 40, -1.0f, 0));
    EXPECT_EQ(vm->getWheelHoldCount(), 20) << "a step restarts the count";
    for (int i = 0; i < 19; ++i)
        vm->onTimer();
    EXPECT_EQ(vm->getWheelControl(), a);
    vm->onTimer();
    EXPECT_EQ(vm->getWheelControl(), nullptr);
    EXPECT_EQ(a->events, (Events{"begin wheel", "wheel 1", "wheel -1", "end wheel"}));

    // Leaving the control ends the gesture and starts one on the next.
    a->events.clear();
    vm->handleMouseWheel(50, 30, 1, 0);
    vm->handleMouseWheel(130, 30, 1, 0);
    EXPECT_EQ(a->events, (Events{"begin wheel", "wheel 1", "end wheel"}));
    EXPECT_EQ(vm->getWheelControl(), b);
    // A press ends it too.
    vm->handleMouseDown(210, 30, 0);
    EXPECT_EQ(vm->getWheelControl(), nullptr);
    EXPECT_EQ(b->events.back(), "end wheel");
}

TEST_F(InputTest, DragOverAndDropReachTheControlUnderThePoint)
{
    EXPECT_TRUE(vm->handleDragOver(50, 30, 0, kDragStateOver));
    EXPECT_TRUE(vm->handleDragOver(130, 30, 4, kDragStateOver));
    EXPECT_TRUE(vm->handleDrop(140, 40, 0, 1, 4, "TEXT"));
    EXPECT_EQ(a->events, (Events{"over 50,30", "leave"}));
    EXPECT_EQ(b->events, (Events{"over 130,30 keys 4", "drop 140,40 TEXT", "leave"}));
    EXPECT_TRUE(vm->handleDoubleClick(210, 30, 0));
    EXPECT_EQ(c->events, (Events{"double 210,30"}));
}

// A drag that leaves the window (or is cancelled) reaches the control it
// was over as its leave, never as one more drag over, wherever the pointer
// was last seen; a later leave finds no control.
TEST_F(InputTest, ADragLeavingTheWindowGivesTheControlItsLeave)
{
    struct Case {
        const char* name;
        float lastX; // where the leave is reported
        Events a;
        Events b;
    };
    const Case cases[] = {
        {"leave reported over the control", 50, {"over 50,30", "leave"}, {}},
        {"leave reported over another control", 130, {"over 50,30", "leave"}, {}},
        {"leave reported outside the window", -5, {"over 50,30", "leave"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        a->events.clear();
        b->events.clear();
        EXPECT_TRUE(vm->handleDragOver(50, 30, 0, kDragStateOver));
        EXPECT_FALSE(vm->handleDragOver(c.lastX, 30, 0, kDragStateLeft));
        EXPECT_FALSE(vm->handleDragOver(c.lastX, 30, 0, kDragStateLeft));
        EXPECT_EQ(a->events, c.a);
        EXPECT_EQ(b->events, c.b);
        EXPECT_EQ(vm->getActiveControl(), nullptr);
    }
}

TEST_F(InputTest, InEditModeAPressSelectsAndShiftPaintingDeselectsSiblingsOnce)
{
    editMode();
    EXPECT_TRUE(vm->handleMouseDown(50, 30, 0));
    EXPECT_TRUE(selected(a));
    EXPECT_EQ(vm->getFocusedControl(), a);
    EXPECT_TRUE(vm->isPaintingSelection()) << "a press on an unselected control paints";
    vm->handleMouseDrag(130, 30, 0);
    vm->handleMouseDrag(210, 30, 0);
    vm->handleMouseUp(210, 30, 0);
    EXPECT_TRUE(selected(b));
    EXPECT_TRUE(selected(c));
    EXPECT_TRUE(vm->hasMultiSelection());
    EXPECT_EQ(a->getNextSelected(), b);
    EXPECT_EQ(b->getNextSelected(), c);

    // Shift on a selected control deselects it and paints "deselect".
    EXPECT_TRUE(vm->handleMouseDown(130, 30, 1));
    EXPECT_FALSE(selected(b));
    vm->handleMouseDrag(210, 30, 0);
    vm->handleMouseDrag(220, 30, 0); // C again: nothing more
    vm->handleMouseDrag(50, 30, 0);
    vm->handleMouseUp(50, 30, 0);
    EXPECT_FALSE(selected(c));
    EXPECT_FALSE(selected(a));
    EXPECT_EQ(vm->getFocusedControl(), nullptr);
    EXPECT_FALSE(vm->hasMultiSelection());

    // A plain press replaces the selection; on the root view it clears it.
    vm->handleMouseDown(50, 30, 0);
    vm->handleMouseUp(50, 30, 0);
    vm->handleMouseDown(130, 30, 0);
    EXPECT_FALSE(selected(a));
    EXPECT_EQ(vm->getFocusedControl(), b);
    vm->handleMouseDown(300, 200, 0);
    EXPECT_EQ(vm->getFocusedControl(), nullptr);
    EXPECT_TRUE(a->events.empty()) << "edit-mode presses are not the control's own";
}

TEST_F(InputTest, TheRightButtonReachesAnEditModeControlAsInRunMode)
{
    editMode();
    vm->handleMouseDown(50, 30, 2);
    EXPECT_FALSE(selected(a));
    EXPECT_EQ(vm->getActiveControl(), a);
}

TEST_F(InputTest, FocusIsForEditModeControlsOtherThanTheRootView)
{
    vm->setFocus(a, true);
    EXPECT_EQ(vm->getFocusedControl(), nullptr) << "run mode";
    editMode();
    vm->setFocus(root, true);
    EXPECT_EQ(vm->getFocusedControl(), nullptr);
    vm->setFocus(b, true);
    vm->setFocus(a, true);
    EXPECT_EQ(vm->getFocusedControl(), a) << "the first in tree order";
    EXPECT_TRUE(vm->hasMultiSelection());
    vm->setFocus(a, false);
    EXPECT_EQ(vm->getFocusedControl(), b);
    EXPECT_FALSE(vm->hasMultiSelection());
}

TEST_F(InputTest, KeysGoToTheActiveControlAndNotWhileAPressIsTracked)
{
    EXPECT_FALSE(vm->handleKey('a', 0, 0)) << "no active control";
    vm->handleMouseDown(50, 30, 0);
    testsupport::TraceCapture trace;
    EXPECT_FALSE(vm->handleKey('a', 0, 0));
    EXPECT_EQ(trace.standardOutput(), "no key events while mousing please!\n");
    vm->handleMouseUp(50, 30, 0);
    EXPECT_TRUE(vm->handleKey('a', 1, 0));
    EXPECT_EQ(a->events.back(), "key 97 1");
}

TEST_F(InputTest, TheGuiEditorKeysMoveTheSelectionToggleAndStepTheFocus)
{
    vm->setGuiEditing(true);
    editMode();
    EXPECT_TRUE(vm->handleKey(8, 0, 0)) << "backspace with nothing focused";

    vm->setFocus(a, true);
    vm->setFocus(b, true);
    const AM_Rect before = b->getBounds();
    EXPECT_TRUE(vm->handleKey(29, 0, 0)); // right
    EXPECT_TRUE(vm->handleKey(31, 0, 0)); // down
    EXPECT_EQ(a->getBounds().x, 41.0f);
    EXPECT_EQ(b->getBounds().x, before.x + 1);
    EXPECT_EQ(b->getBounds().y, before.y + 1);
    vm->undo();
    vm->undo();
    EXPECT_EQ(b->getBounds().x, before.x);
    EXPECT_EQ(b->getBounds().y, before.y);

    // Tab steps the focus, but not with several selected.
    EXPECT_TRUE(vm->handleKey(9, 0, 0));
    EXPECT_EQ(vm->getFocusedControl(), a);
    vm->setFocus(b, false);
    EXPECT_TRUE(vm->handleKey(9, 0, 0));
    EXPECT_EQ(vm->getFocusedControl(), b);
    EXPECT_FALSE(selected(a));

    EXPECT_TRUE(vm->getSelectOnPress());
    EXPECT_TRUE(vm->handleKey('f', 0, 0));
    EXPECT_FALSE(vm->getSelectOnPress());

    const bool wasEdit = (a->getState() & kStateEditMode) != 0;
    EXPECT_TRUE(vm->handleKey(27, 0, 0));
    EXPECT_NE((a->getState() & kStateEditMode) != 0, wasEdit) << "escape toggles edit mode";

    // With a modifier the editor's keys do nothing.
    EXPECT_FALSE(vm->handleKey('f', 1, 0));
    EXPECT_FALSE(vm->getSelectOnPress());
}

TEST_F(InputTest, TheEditorPanesAreShownAndHiddenByTheirKeys)
{
    vm->setGuiEditing(true);
    PaintControl* colourLab = addPaintControl(vm, top, "editColourLabPane", {0, 200, 50, 50});
    testsupport::TraceCapture trace;
    EXPECT_TRUE(vm->handleKey('c', 0, 0));
    EXPECT_FALSE(colourLab->isVisible());
    EXPECT_TRUE(vm->handleKey('c', 0, 0));
    EXPECT_TRUE(colourLab->isVisible());
    EXPECT_TRUE(vm->handleKey('x', 0, 0));
    EXPECT_TRUE(trace.contains("no XForms tool available"));
    EXPECT_TRUE(vm->handleKey('s', 0, 0));
    EXPECT_EQ(trace.standardOutput(), "");
}

} // namespace
