#include "ViewManFixture.h"

#include "TraceCapture.h"

class ViewControlTest : public viewtest::ViewManTest {};

TEST_F(ViewControlTest, ControlStartsNamedByItsIdInEditModeOnAllLayers)
{
    AM_ViewMan* vm = open();
    const uint32_t id = vm->peekNextObjectId();
    const AM_Rect r{1, 2, 3, 4};
    AM_ViewControl control(vm, &r);
    EXPECT_EQ(control.getId(), id);
    EXPECT_EQ(std::string(control.getName()), "Control " + std::to_string(id));
    EXPECT_NE(control.getMask() & kGuiControlBit, 0u);
    EXPECT_EQ(control.getLayerMask(), kAllLayers);
    EXPECT_EQ(control.getState(), uint32_t(kStateEditMode));
    EXPECT_FALSE(control.isVisible());
    EXPECT_FALSE(control.hasTimer());
    EXPECT_EQ(control.getTypeName(), nullptr);
    EXPECT_EQ(control.getBounds().w, 3.0f);

    AM_ViewControl empty(vm, nullptr);
    EXPECT_EQ(empty.getBounds().w, 0.0f);
}

TEST_F(ViewControlTest, ControlNamesThatAScriptCannotHoldAreRefused)
{
    AM_ViewMan* vm = open();
    AM_ViewControl control(vm, nullptr);
    control.setName("Cutoff Knob");
    testsupport::TraceCapture trace;
    for (const char* bad : {"it's", "a=b", "a\tb", "a\nb"}) {
        control.setName(bad);
        EXPECT_STREQ(control.getName(), "Cutoff Knob") << bad;
    }
    EXPECT_EQ(trace.count("Control name refused"), 4);
}

TEST_F(ViewControlTest, AddedControlsFollowTheirParent)
{
    AM_ViewMan* vm = open();
    const AM_Rect outer{100, 50, 200, 200};
    auto* pane = new AM_ViewControl(vm, &outer);
    vm->registerControl(pane, nullptr);
    pane->setVisible(true, kAllLayers, false);

    const AM_Rect inner{10, 20, 30, 30};
    auto* child = new AM_ViewControl(vm, &inner);
    auto* grandchild = new AM_ViewControl(vm, &inner);
    child->addControl(grandchild, kAllLayers, false);
    pane->addControl(child, 0x2, true);
    EXPECT_EQ(child->getParentControl(), pane);
    EXPECT_EQ(child->getLayerMask(), 0x2u);
    EXPECT_EQ(child->getBounds().x, 110.0f);
    EXPECT_EQ(child->getBounds().y, 70.0f);
    EXPECT_EQ(grandchild->getBounds().x, 110.0f);
    EXPECT_EQ(child->getRelativeX(), 10.0f);
    EXPECT_EQ(child->getRelativeY(), 20.0f);
    EXPECT_TRUE(child->isVisible());
    EXPECT_TRUE(grandchild->isVisible());
    EXPECT_EQ(child->getHost(), vm->getObjectHost());

    // Hiding layer 0 leaves the child of layer 1 alone; hiding all reaches it.
    child->setVisible(false, 0x1, false);
    EXPECT_TRUE(child->isVisible());
    pane->setVisible(false, kAllLayers, false);
    EXPECT_FALSE(child->isVisible());
    EXPECT_FALSE(grandchild->isVisible());

    pane->addControl(pane, kAllLayers, false); // itself: nothing
    EXPECT_EQ(pane->getFirstChildControl(), child);
    EXPECT_EQ(child->getNextControl(), nullptr);
}
