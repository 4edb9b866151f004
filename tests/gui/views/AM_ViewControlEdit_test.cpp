// Editing controls in edit mode through the view manager at zoom 2:
// selecting, moving on the grid, resizing by the handles, locking,
// cloning, deleting and undoing; the selection walk.

#include "EditFixture.h"
#include "GuiTestKit.h"
#include "TraceCapture.h"

#include "gui/views/AM_ActionTable.h"

#include <string>
#include <vector>

namespace {

using namespace viewtest;

constexpr uint32_t kShift = 1;
constexpr uint32_t kControl = 4;
constexpr uint32_t kAlt = 8;
constexpr uint32_t kBackspace = 8;

// The editing tests run at zoom 2: points are given in GUI units and sent
// in window pixels.
class ZoomedEditTest : public EditTest {
protected:
    ZoomedEditTest() { vm->setZoom(2.0f); }
    bool press(float x, float y, uint32_t buttons = 0)
    {
        return vm->handleMouseDown(2 * x, 2 * y, buttons);
    }
    void drag(float x, float y) { vm->handleMouseDrag(2 * x, 2 * y, 0); }
    void release(float x, float y) { vm->handleMouseUp(2 * x, 2 * y, 0); }
    // A click: a press on a control that is not selected selects it.
    void click(float x, float y, uint32_t buttons = 0)
    {
        press(x, y, buttons);
        release(x, y);
    }
    // A whole gesture from (x, y) by (dx, dy).
    void pull(float x, float y, float dx, float dy, uint32_t buttons = 0)
    {
        press(x, y, buttons);
        drag(x + dx / 2, y + dy / 2);
        drag(x + dx, y + dy);
        release(x + dx, y + dy);
    }
};

void expectBounds(const AM_ViewControl* control, const AM_Rect& expected)
{
    const AM_Rect b = control->getBounds();
    EXPECT_FLOAT_EQ(b.x, expected.x) << control->getName();
    EXPECT_FLOAT_EQ(b.y, expected.y) << control->getName();
    EXPECT_FLOAT_EQ(b.w, expected.w) << control->getName();
    EXPECT_FLOAT_EQ(b.h, expected.h) << control->getName();
}

TEST_F(ZoomedEditTest, APressSelectsAndShiftTogglesTheSelection)
{
    EXPECT_TRUE(press(30, 50));
    release(30, 50);
    EXPECT_TRUE(selected(a));
    EXPECT_EQ(vm->getFocusedControl(), a);
    EXPECT_FALSE(vm->hasMultiSelection());

    // Shift adds B; the focused control stays the first in tree order.
    EXPECT_TRUE(press(110, 50, kShift));
    release(110, 50);
    EXPECT_TRUE(selected(a));
    EXPECT_TRUE(selected(b));
    EXPECT_EQ(vm->getFocusedControl(), a);
    EXPECT_EQ(a->getNextSelected(), b);

    // Shift on a selected control takes it out.
    press(30, 50, kShift);
    release(30, 50);
    EXPECT_FALSE(selected(a));
    EXPECT_EQ(vm->getFocusedControl(), b);
    EXPECT_EQ(b->getNextSelected(), nullptr);

    // A plain press elsewhere replaces the selection; on the root view it
    // clears it.
    press(190, 50);
    release(190, 50);
    EXPECT_FALSE(selected(b));
    EXPECT_EQ(vm->getFocusedControl(), c);
    press(300, 200);
    release(300, 200);
    EXPECT_FALSE(selected(c));
    EXPECT_EQ(vm->getFocusedControl(), nullptr);
}

TEST_F(ZoomedEditTest, AMoveSnapsToTheGridAndIsUndoneInOneStep)
{
    // A at (20, 40): dragged by (23, 18) its origin would be (43, 58), which
    // the grid of 20 pulls to (40, 58).
    click(30, 50);
    pull(30, 50, 23, 18);
    expectBounds(a, {40, 58, 40, 40});
    const AM_InfoLine* line = vm->getInfoLine(1);
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line->title, "Bounds");
    EXPECT_STREQ(line->text, "x/y 40/58 h/w 40x40");
    EXPECT_EQ(line->subject, a);
    EXPECT_EQ(a->getState() & 0x1Fu, 0u) << "the release ends the move";

    vm->undo();
    expectBounds(a, {20, 40, 40, 40});

    // With the grid hidden the move follows the pointer.
    root->setGridShown(false);
    pull(30, 50, 23, 18);
    expectBounds(a, {43, 58, 40, 40});
}

TEST_F(ZoomedEditTest, ThreeMovedControlsAreUndoneInOneStep)
{
    press(30, 50);
    release(30, 50);
    press(110, 50, kShift);
    release(110, 50);
    press(190, 50, kShift);
    release(190, 50);
    ASSERT_EQ(vm->getFocusedControl(), a);

    // A press inside a selected control moves the whole selection.
    pull(30, 50, 40, 20);
    expectBounds(a, {60, 60, 40, 40});
    expectBounds(b, {140, 60, 40, 40});
    expectBounds(c, {220, 60, 40, 40});

    vm->undo();
    expectBounds(a, {20, 40, 40, 40});
    expectBounds(b, {100, 40, 40, 40});
    expectBounds(c, {180, 40, 40, 40});
    vm->redo();
    expectBounds(c, {220, 60, 40, 40});
}

// Each handle dragged far inward leaves the control at the least size; the
// left and top edges stop at the opposite edge less the minimum.
struct HandleCase {
    const char* name;
    float x, y;   // a point on the handle (B is at (100, 40), 40 x 40)
    float dx, dy; // the drag
    AM_Rect expected;
};

TEST_F(ZoomedEditTest, EachHandleResizesDownToTheLeastSize)
{
    root->setGridShown(false);
    click(120, 60);
    const HandleCase cases[] = {
        {"top-left", 101, 41, 100, 100, {134, 74, 6, 6}},
        {"top-middle", 120, 41, 100, 100, {100, 74, 40, 6}},
        {"top-right", 139, 41, -100, 100, {100, 74, 6, 6}},
        {"right-middle", 138, 60, -100, 0, {100, 40, 6, 40}},
        {"bottom-right", 139, 79, -100, -100, {100, 40, 6, 6}},
        {"bottom-middle", 120, 79, 0, -100, {100, 40, 40, 6}},
        {"bottom-left", 101, 79, 100, -100, {134, 40, 6, 6}},
        {"left-middle", 101, 60, 100, 0, {134, 40, 6, 40}},
    };
    for (const HandleCase& k : cases) {
        SCOPED_TRACE(k.name);
        pull(k.x, k.y, k.dx, k.dy);
        expectBounds(b, k.expected);
        vm->undo();
        expectBounds(b, {100, 40, 40, 40});
    }
}

TEST_F(ZoomedEditTest, ADraggedEdgeSnapsToTheGrid)
{
    // The right edge of B (140) dragged by 13 reaches 153: not near a
    // line. By 23 it reaches 163, 3 past the line at 160, and snaps there.
    click(120, 60);
    pull(138, 60, 13, 0);
    expectBounds(b, {100, 40, 53, 40});
    vm->undo();
    pull(138, 60, 23, 0);
    expectBounds(b, {100, 40, 60, 40});
    // The left edge (100) dragged by -17 reaches 83: 3 past 80.
    vm->undo();
    pull(101, 60, -17, 0);
    expectBounds(b, {80, 40, 60, 40});
}

TEST_F(ZoomedEditTest, PressPointsPickAHandleOrAMove)
{
    // 3 pixels inside the right edge at mid-height: the right edge; 6
    // pixels inside: a move.
    const float rightEdge[2] = {137, 60};
    const float inner[2] = {134, 60};
    EXPECT_EQ(b->hitHandle(rightEdge), 3);
    EXPECT_EQ(AM_ViewControl::handleDragBits(3), uint32_t(kStateResizeRight));
    EXPECT_EQ(b->hitHandle(inner), -1);
    click(120, 60);
    press(137, 60);
    EXPECT_EQ(b->getState() & 0x1Fu, uint32_t(kStateResizeRight));
    release(137, 60);
    press(134, 60);
    EXPECT_EQ(b->getState() & 0x1Fu, uint32_t(kStateMoving));
    release(134, 60);

    // A control without handles only moves.
    b->setState(b->getState() | kStateNoResizeHandles);
    press(137, 60);
    EXPECT_EQ(b->getState() & 0x1Fu, uint32_t(kStateMoving));
    release(137, 60);

    const uint32_t bits[8] = {0x6, 0x4, 0xC, 0x8, 0x18, 0x10, 0x12, 0x2};
    for (int32_t h = 0; h < 8; ++h) {
        EXPECT_EQ(AM_ViewControl::handleDragBits(h), bits[h]) << h;
    }
    EXPECT_EQ(AM_ViewControl::handleDragBits(-1), 0u);
}

TEST_F(ZoomedEditTest, ALockedControlIsSelectedAndShowsItsBoundsButDoesNotMove)
{
    a->setState(a->getState() | kStateLocked);
    click(30, 50);
    pull(30, 50, 40, 40);
    expectBounds(a, {20, 40, 40, 40});
    pull(21, 41, 10, 10); // its handle
    expectBounds(a, {20, 40, 40, 40});
    EXPECT_TRUE(selected(a));
    EXPECT_STREQ(vm->getInfoLine(1)->text, "x/y 20/40 h/w 40x40");
    EXPECT_EQ(vm->getUndoList().lastDone(), nullptr) << "nothing to undo";
}

TEST_F(ZoomedEditTest, ControlPressClonesTheSelectionWhichThePressThenMoves)
{
    vm->setCloneMode(2);
    // A shows parameter 0 (Wave); mode 2 binds its clone two places on, to
    // the meter Level.
    a->setPortParameter(0, interface.param(kWave));
    a->tag = 7;
    auto* grey = new AM_Colour(vm.get(), "Grey", 0x808080FF);
    vm->addColour(grey);
    a->setColour(grey, 1);
    AM_ViewControl* child = add("A child", {5, 5, 10, 10}, a);

    // Away from the child.
    click(50, 70);
    pull(50, 70, 60, 0, kControl);

    auto* copy = dynamic_cast<EditControl*>(vm->getFocusedControl());
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy, a);
    EXPECT_EQ(vm->getActiveControl(), copy);
    EXPECT_EQ(copy->getPrototype(), a);
    EXPECT_TRUE(selected(copy));
    EXPECT_FALSE(selected(a));
    expectBounds(a, {20, 40, 40, 40});
    expectBounds(copy, {80, 40, 40, 40});
    EXPECT_EQ(copy->getParentControl(), root);
    EXPECT_EQ(copy->getLayerMask(), a->getLayerMask());
    EXPECT_EQ(copy->getColour(1), grey);
    EXPECT_EQ(copy->tag, 7);
    ASSERT_NE(copy->getPort(0)->parameter, nullptr);
    EXPECT_EQ(copy->getPort(0)->parameter->index, uint32_t(kLevel));
    // The child came along, at the same place in the copy.
    AM_ViewControl* copiedChild = copy->getFirstChildControl();
    ASSERT_NE(copiedChild, nullptr);
    EXPECT_NE(copiedChild, child);
    expectBounds(copiedChild, {85, 45, 10, 10});
    EXPECT_NE(copiedChild->getState() & kStateInsideSelected, 0u);
}

struct CloneModeCase {
    const char* name;
    uint32_t mode;
    uint32_t buttons;
    int32_t bound;    // parameter of the original
    int32_t expected; // parameter of the clone, -1 none
};

TEST_F(ZoomedEditTest, TheCloningModeChoosesTheClonesParameters)
{
    const CloneModeCase cases[] = {
        {"empty instance", 0, kControl, kTune, -1},
        {"Param +2", 2, kControl, kWave, kLevel},
        {"Param +4", 4, kControl, kTune, kAttack},
        {"past the last parameter", 16, kControl, kTune, -1},
        {"not a type the port takes", 2, kControl, kTune, -1},
        {"next Module", 17, kControl, kTune, kEnvTune},
        {"next Module without one", 17, kControl, kEnvTune, -1},
        {"Alt: the same parameter", 4, kControl | kAlt, kTune, kTune},
    };
    for (const CloneModeCase& k : cases) {
        SCOPED_TRACE(k.name);
        vm->setCloneMode(k.mode);
        a->setPortParameter(0, interface.param(k.bound));
        press(300, 200);
        release(300, 200);
        press(30, 50);
        release(30, 50);
        press(30, 50, k.buttons);
        release(30, 50);
        auto* copy = dynamic_cast<EditControl*>(vm->getFocusedControl());
        ASSERT_NE(copy, nullptr);
        ASSERT_NE(copy, a);
        const AM_ParamInfo* parameter = copy->getPort(0)->parameter;
        if (k.expected < 0) {
            EXPECT_EQ(parameter, nullptr);
        } else {
            ASSERT_NE(parameter, nullptr);
            EXPECT_EQ(parameter->index, uint32_t(k.expected));
        }
        EXPECT_FALSE(vm->isCloning());
        copy->setPortParameter(0, nullptr);
        copy->unlink();
        delete copy;
    }
}

TEST_F(ZoomedEditTest, AWholeSelectionIsClonedAtOnce)
{
    press(30, 50);
    release(30, 50);
    press(110, 50, kShift);
    release(110, 50);
    pull(30, 50, 0, 60, kControl);
    int count = 0;
    for (AM_ViewControl* s = vm->getFocusedControl(); s != nullptr; s = s->getNextSelected()) {
        ++count;
        EXPECT_NE(s, a);
        EXPECT_NE(s, b);
    }
    EXPECT_EQ(count, 2);
    expectBounds(a, {20, 40, 40, 40});
    expectBounds(b, {100, 40, 40, 40});
    AM_ViewControl* copyOfB = vm->getFocusedControl()->getNextSelected();
    EXPECT_EQ(copyOfB->getPrototype(), b);
    expectBounds(copyOfB, {100, 100, 40, 40});
}

TEST_F(ZoomedEditTest, AControlWithoutFactoryIsNotCloned)
{
    a->setFactory(nullptr);
    press(30, 50);
    release(30, 50);
    testsupport::TraceCapture trace;
    pull(30, 50, 40, 0, kControl);
    EXPECT_EQ(vm->getFocusedControl(), a);
    EXPECT_EQ(a->clone(false, nullptr, 0, 0), nullptr);
    // The press moves the original instead.
    expectBounds(a, {60, 40, 40, 40});
    EXPECT_TRUE(trace.contains("A cannot be cloned\n"));
}

TEST_F(ZoomedEditTest, BackspaceDeletesTheSelectionAndUndoBringsItBack)
{
    press(30, 50);
    release(30, 50);
    press(110, 50, kShift);
    release(110, 50);
    EXPECT_TRUE(vm->handleKey(kBackspace, 0, 0));
    EXPECT_EQ(vm->getFocusedControl(), nullptr);
    EXPECT_EQ(a->getParent(), nullptr);
    EXPECT_EQ(b->getParent(), nullptr);
    EXPECT_EQ(root->getFirstChildControl(), c);
    EXPECT_EQ(root->findByName("A"), nullptr);
    // A press where A was hits the root view now.
    press(30, 50);
    release(30, 50);
    EXPECT_EQ(vm->getFocusedControl(), nullptr);

    vm->undo();
    EXPECT_EQ(root->getFirstChildControl(), a);
    EXPECT_EQ(a->getNextControl(), b);
    EXPECT_EQ(b->getNextControl(), c);
    EXPECT_FALSE(a->isDisposed());
    press(30, 50);
    release(30, 50);
    EXPECT_EQ(vm->getFocusedControl(), a);

    // Redone, the deletion takes the focused A out of the selection too.
    vm->redo();
    EXPECT_EQ(root->getFirstChildControl(), c);
    EXPECT_EQ(vm->getFocusedControl(), nullptr);
    EXPECT_FALSE(selected(a));
    // Without a selection backspace deletes nothing.
    EXPECT_TRUE(vm->handleKey(kBackspace, 0, 0));
    EXPECT_EQ(root->getFirstChildControl(), c);
}

TEST_F(EditTest, TheSelectionWalkMarksTheInsideAndChainsTheOutermost)
{
    EditControl* inner = add("Inner", {5, 5, 10, 10}, a);
    EditControl* innermost = add("Innermost", {1, 1, 4, 4}, inner);
    c->setState(c->getState() | kStateSelected);

    // Focusing A with clearFirst: C loses its bit, A's subtree is inside.
    AM_SelectionTail tail;
    a->updateSelection(&tail, a, false, true);
    EXPECT_EQ(tail.head, a);
    EXPECT_EQ(tail.last, a);
    EXPECT_FALSE(selected(c));
    EXPECT_NE(inner->getState() & kStateInsideSelected, 0u);
    EXPECT_NE(innermost->getState() & kStateInsideSelected, 0u);
    EXPECT_EQ(a->inspected, nullptr);

    // A selected control inside a selected one is not chained.
    inner->setState(inner->getState() | kStateSelected);
    c->setState(c->getState() | kStateSelected);
    AM_SelectionTail again;
    a->updateSelection(&again, nullptr, false, false);
    EXPECT_EQ(again.head, a);
    EXPECT_EQ(a->getNextSelected(), c);
    EXPECT_EQ(again.last, c);
    EXPECT_EQ(inner->getNextSelected(), nullptr);

    // Without a selected ancestor the inside bit goes.
    a->setState(a->getState() & ~kStateSelected);
    inner->setState(inner->getState() & ~kStateSelected);
    AM_SelectionTail last;
    a->updateSelection(&last, nullptr, false, false);
    EXPECT_EQ(inner->getState() & kStateInsideSelected, 0u);
    EXPECT_EQ(last.head, c);
}

TEST_F(ZoomedEditTest, AnArrayContinuesTheRowFromThePrototype)
{
    press(30, 50);
    release(30, 50);
    pull(30, 50, 50, 0, kControl); // a clone 50 to the right
    AM_ViewControl* first = vm->getFocusedControl();
    ASSERT_NE(first, a);
    expectBounds(first, {70, 40, 40, 40});
    AM_EditTransform transform = vm->getEditTransform();
    transform.arrayCount = 4;
    vm->setEditTransform(transform);

    testsupport::TraceCapture trace;
    EXPECT_TRUE(vm->performAction(AM_fourCC("xarr")));
    EXPECT_TRUE(trace.contains("doing 4 clones now...\n"));
    // Four in the row: the prototype, its clone and two more.
    AM_ViewControl* last = vm->getFocusedControl();
    expectBounds(last, {170, 40, 40, 40});
    EXPECT_EQ(vm->getActiveControl(), last);
    ASSERT_NE(last->getPrototype(), nullptr);
    expectBounds(last->getPrototype(), {120, 40, 40, 40});
    EXPECT_EQ(last->getPrototype()->getPrototype(), first);

    // A focused control without a prototype makes no array.
    click(215, 50);
    ASSERT_EQ(vm->getFocusedControl(), c);
    EXPECT_FALSE(vm->performAction(AM_fourCC("xarr")));
}

TEST_F(EditTest, UndoingATransformScaleRestoresTheContainerAndEveryControlInside)
{
    a->setContainer(true);
    EditControl* inner = add("Inner", {4, 6, 20, 10}, a);
    EditControl* deeper = add("Deeper", {2, 2, 8, 6}, inner);
    const AM_Rect before[3] = {a->getBounds(), inner->getBounds(), deeper->getBounds()};
    vm->setFocus(a, true);
    ASSERT_EQ(vm->getFocusedControl(), a);
    vm->setEditTransform({10, -5, 200, 150, 8});
    ASSERT_TRUE(vm->performAction(AM_fourCC("xfrm")));
    const AM_Rect after[3] = {a->getBounds(), inner->getBounds(), deeper->getBounds()};
    expectBounds(inner, {30 + 8, 35 + 9, 40, 15});

    vm->undo();
    const AM_ViewControl* controls[3] = {a, inner, deeper};
    for (int i = 0; i < 3; ++i)
        expectBounds(controls[i], before[i]);
    vm->redo();
    for (int i = 0; i < 3; ++i)
        expectBounds(controls[i], after[i]);
}

// The edit-mode picture over the root view's grid: a selection of two
// controls with their handles, a control inside a selected one and an
// unselected control.
TEST_F(EditTest, AnEditModeSelectionMatchesItsReferencePictures)
{
    EditControl* inner = add("Inner", {8, 8, 16, 12}, a);
    inner->setEditMode(true);
    vm->handleMouseDown(30, 70, 0);
    vm->handleMouseUp(30, 70, 0);
    vm->handleMouseDown(110, 50, 1);
    vm->handleMouseUp(110, 50, 0);
    ASSERT_EQ(vm->getFocusedControl(), a);
    ASSERT_TRUE(vm->hasMultiSelection());
    for (const float zoom : {1.0f, 2.0f}) {
        testsupport::HeadlessCanvas canvas(240, 100, zoom);
        canvas.begin();
        const AM_Rect clip{0, 0, 240, 100};
        root->paintTree(&canvas.context(), &clip);
        EXPECT_EQ(canvas.compare("edit_selection_z" + std::to_string(int(zoom)), 1), "") << zoom;
    }
}

TEST_F(EditTest, CloningWithSiblingsIntoTheSameParentClonesEachOnce)
{
    AM_ViewControl* copy = a->clone(true, nullptr, 0, 100);
    ASSERT_NE(copy, nullptr);
    std::vector<std::string> names;
    int count = 0;
    for (AM_ViewControl* child = root->getFirstChildControl(); child != nullptr;
         child = child->getNextControl()) {
        ++count;
        if (child->getPrototype() != nullptr) {
            names.push_back(child->getPrototype()->getName());
            EXPECT_FLOAT_EQ(child->getBounds().y, 140);
        }
    }
    EXPECT_EQ(count, 6);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C"}));
}

} // namespace
