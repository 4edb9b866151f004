#include "ViewManFixture.h"

#include "TraceCapture.h"
#include "gui/views/AM_InstanceRecord.h"

using viewtest::ViewManTest;

TEST_F(ViewManTest, OpensAndClosesWithTheStandardDefaults)
{
    AM_ViewMan* vm = open();
    vm->registerDefaults();
    EXPECT_EQ(vm->getNumViewManagers(), 1u);
    EXPECT_NE(vm->getColour("WireC1"), nullptr);
    EXPECT_NE(vm->getValueToString("generic"), nullptr);
    AM_ViewControl* knob = vm->createControl("Knob", nullptr);
    ASSERT_NE(knob, nullptr);
    vm->registerControl(knob, nullptr);
    EXPECT_EQ(vm->getTopControl(), knob);
    views.clear();
    EXPECT_EQ(AM_InstanceRecord::count(), 1u);
}
