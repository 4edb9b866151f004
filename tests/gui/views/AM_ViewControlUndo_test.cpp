#include "PortFixture.h"

#include "gui/views/AM_UndoList.h"
#include "gui/views/AM_ViewControl_BoundsUndo.h"
#include "gui/views/AM_ViewControl_DeleteUndo.h"

#include <string>

namespace {

using namespace viewtest;

// The names of a control's children, as "A B C".
std::string childNames(const AM_ViewControl* parent)
{
    std::string names;
    for (const AM_ViewControl* c = parent->getFirstChildControl(); c != nullptr;
         c = c->getNextControl()) {
        if (!names.empty())
            names += ' ';
        names += c->getName();
    }
    return names;
}

class EditUndoTest : public ParameterTest {
protected:
    AM_ViewMan* vm = open();
    PaintControl* root = addPaintControl(vm, nullptr, "Root", {0, 0, 400, 300}, true);
    AM_UndoList undo;
};

TEST_F(EditUndoTest, MovingThreeControlsIsOneGroupThatOneUndoRestores)
{
    PaintControl* boxes[3];
    for (int i = 0; i < 3; ++i)
        boxes[i] = addPaintControl(vm, root, ("Box" + std::to_string(i)).c_str(),
                                   {float(10 + 40 * i), 10, 30, 30});
    for (PaintControl* box : boxes)
        undo.add(new AM_ViewControl_BoundsUndo(box, "Move", false));
    for (PaintControl* box : boxes)
        box->moveBy(5, 7, false, false);
    ASSERT_TRUE(undo.close());
    EXPECT_EQ(undo.groupCount(), 1);

    undo.undo();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(boxes[i]->getBounds().x, float(10 + 40 * i));
        EXPECT_EQ(boxes[i]->getBounds().y, 10.0f);
    }
    undo.redo();
    EXPECT_EQ(boxes[2]->getBounds().x, 95.0f);
    EXPECT_EQ(boxes[2]->getBounds().y, 17.0f);
}

TEST_F(EditUndoTest, AResizeIsRestoredExactly)
{
    PaintControl* box = addPaintControl(vm, root, "Box", {50, 60, 30, 40});
    PaintControl* inner = addPaintControl(vm, box, "Inner", {1, 1, 5, 5});
    undo.add(new AM_ViewControl_BoundsUndo(box, "Resize", true));
    box->growBy(10, -5, 3, 8, false);
    const AM_Rect grown = box->getBounds();
    ASSERT_TRUE(undo.close());
    undo.undo();
    const AM_Rect b = box->getBounds();
    EXPECT_FLOAT_EQ(b.x, 50);
    EXPECT_FLOAT_EQ(b.y, 60);
    EXPECT_FLOAT_EQ(b.w, 30);
    EXPECT_FLOAT_EQ(b.h, 40);
    EXPECT_FLOAT_EQ(inner->getBounds().x, 51) << "a resize leaves the children";
    undo.redo();
    EXPECT_FLOAT_EQ(box->getBounds().x, grown.x);
    EXPECT_FLOAT_EQ(box->getBounds().h, grown.h);
}

TEST_F(EditUndoTest, AnUnmovedControlLeavesNoGroup)
{
    PaintControl* box = addPaintControl(vm, root, "Box", {50, 60, 30, 40});
    undo.add(new AM_ViewControl_BoundsUndo(box, "Move", false));
    EXPECT_FALSE(undo.close());
    EXPECT_EQ(undo.groupCount(), 0);
}

TEST_F(EditUndoTest, ADeletionIsUndoneAtItsOldPlaceAndRedoneAgain)
{
    addPaintControl(vm, root, "A", {0, 0, 10, 10});
    PaintControl* b = addPaintControl(vm, root, "B", {0, 0, 10, 10});
    addPaintControl(vm, b, "Inner", {0, 0, 5, 5});
    addPaintControl(vm, root, "C", {0, 0, 10, 10});

    undo.add(new AM_ViewControl_DeleteUndo(b, "Delete"));
    ASSERT_TRUE(undo.close());
    EXPECT_EQ(childNames(root), "A C");
    EXPECT_TRUE(b->isDisposed());
    EXPECT_TRUE(b->getFirstChildControl() != nullptr &&
                static_cast<PaintControl*>(b->getFirstChildControl())->isDisposed());

    undo.undo();
    EXPECT_EQ(childNames(root), "A B C");
    EXPECT_FALSE(b->isDisposed());
    undo.redo();
    EXPECT_EQ(childNames(root), "A C");

    // The list frees the control while its deletion is in effect.
    undo.clear();
    EXPECT_EQ(root->findByName("Inner"), nullptr);
}

TEST_F(EditUndoTest, AFirstChildComesBackFirst)
{
    PaintControl* first = addPaintControl(vm, root, "First", {0, 0, 10, 10});
    addPaintControl(vm, root, "Second", {0, 0, 10, 10});
    undo.add(new AM_ViewControl_DeleteUndo(first, "Delete"));
    undo.close();
    EXPECT_EQ(childNames(root), "Second");
    undo.undo();
    EXPECT_EQ(childNames(root), "First Second");

    // An only child comes back as the only child.
    PaintControl* pane = addPaintControl(vm, root, "Pane", {0, 0, 50, 50}, true);
    PaintControl* only = addPaintControl(vm, pane, "Only", {0, 0, 10, 10});
    undo.add(new AM_ViewControl_DeleteUndo(only, "Delete"));
    undo.close();
    EXPECT_EQ(childNames(pane), "");
    undo.undo();
    EXPECT_EQ(childNames(pane), "Only");
    // Undone deletions leave the controls in the tree when the list goes.
    undo.clear();
    EXPECT_EQ(root->findByName("Only"), only);
}

TEST_F(EditUndoTest, AnUndoneDeletionDroppedAsRedoTailKeepsTheControl)
{
    PaintControl* box = addPaintControl(vm, root, "Box", {0, 0, 10, 10});
    undo.add(new AM_ViewControl_DeleteUndo(box, "Delete"));
    undo.close();
    undo.undo();
    undo.add(new AM_ViewControl_BoundsUndo(box, "Move", false));
    box->moveBy(1, 1, false, false);
    undo.close();
    EXPECT_EQ(undo.groupCount(), 1);
    EXPECT_EQ(root->findByName("Box"), box);
}

TEST_F(EditUndoTest, StepsForgetAControlThatGoesAway)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {0, 0, 50, 50}, true);
    PaintControl* inner = addPaintControl(vm, pane, "Inner", {0, 0, 10, 10});
    undo.add(new AM_ViewControl_BoundsUndo(pane, "Move", false));
    pane->moveBy(3, 3, false, false);
    undo.close();
    undo.add(new AM_ViewControl_DeleteUndo(inner, "Delete"));
    undo.close();

    // The pane goes while the list still refers to it and keeps its child.
    undo.forgetControl(pane);
    pane->unlink();
    delete pane;
    undo.undo(); // the deletion: no parent to go back to
    undo.undo(); // the move: no control
    undo.clear();
}

} // namespace
