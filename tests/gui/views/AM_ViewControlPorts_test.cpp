#include "PortFixture.h"

#include "TraceCapture.h"
#include "params/object/AM_Messages.h"

#include <string>

namespace {

using namespace viewtest;

class PortTest : public ParameterTest {
protected:
    // The first control is the top of the tree; the test's controls follow
    // it, so each can be unlinked and deleted alone.
    AM_ViewMan* vm = open();
    PortControl* top = addPortControl(vm, "Top");
};

// A child that takes the label text of message 8.
class LabelControl : public AM_ViewControl {
public:
    using AM_ViewControl::AM_ViewControl;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        if (message == k_msgSetLabel && ptr != nullptr)
            text = static_cast<const char*>(ptr);
        AM_ViewControl::receiveMessage(sender, message, arg, ptr);
    }
    std::string text;
};

TEST_F(PortTest, BindingShowsTheCurrentValueAndRegistersThePort)
{
    interface.engineSets(kTune, 0.4f);
    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kTune));
    ASSERT_EQ(knob->shown.size(), 1u);
    EXPECT_EQ(knob->shown[0].port, 0);
    EXPECT_EQ(knob->shown[0].value, 0.4f);
    EXPECT_EQ(interface.getListener(kTune, 0), knob->getPort(0));
    EXPECT_EQ(knob->getPort(0)->parameter, interface.param(kTune));
    EXPECT_EQ(knob->getPort(0)->owner, static_cast<AM_PortOwner*>(knob));

    interface.engineSets(kTune, -0.5f);
    EXPECT_EQ(knob->shown.back().value, -0.5f);

    knob->setPortParameter(0, nullptr);
    EXPECT_EQ(knob->getPort(0)->parameter, nullptr);
    EXPECT_EQ(interface.getListener(kTune, 0), nullptr);
    knob->shown.clear();
    interface.engineSets(kTune, 0.1f);
    EXPECT_TRUE(knob->shown.empty());
}

TEST_F(PortTest, APortTakesOnlyTheWholeTypeWordsItLists)
{
    PortControl* control = addPortControl(vm, "Editor");
    struct Case {
        int32_t port;
        int32_t parameter;
        bool bound;
    };
    const Case cases[] = {
        {0, kWave, true},  {0, kTune, true},  {0, kCurve, false}, {1, kCurve, true},
        {1, kName, false}, {2, kName, true},  {2, kCurve, false}, {3, kLevel, true},
        {3, kTune, false}, {4, kTune, false}, {4, kLevel, false},
    };
    for (const Case& c : cases) {
        control->setPortParameter(c.port, nullptr);
        testsupport::TraceCapture trace;
        control->setPortParameter(c.port, interface.param(c.parameter));
        const bool bound = control->getPort(c.port)->parameter == interface.param(c.parameter);
        EXPECT_EQ(bound, c.bound) << c.port << " " << c.parameter;
        EXPECT_EQ(trace.contains("trying to connect wrong parameter type! Editor"), !c.bound)
            << c.port << " " << c.parameter;
    }
}

TEST_F(PortTest, AMeterShowsItsValueWithoutRegisteringThePort)
{
    interface.engineSets(kLevel, 0.7f);
    PortControl* meter = addPortControl(vm, "Meter");
    meter->setPortParameter(3, interface.param(kLevel));
    ASSERT_EQ(meter->shown.size(), 1u);
    EXPECT_EQ(meter->shown[0].value, 0.7f);
    for (int32_t place = 0; place < AM_View_Interface::kListenerPlaces; ++place)
        EXPECT_EQ(interface.getListener(kLevel, place), nullptr);
}

TEST_F(PortTest, FourPortsFollowOneParameterAndAFifthIsRefused)
{
    PortControl* controls[5];
    for (int i = 0; i < 5; ++i)
        controls[i] = addPortControl(vm, ("Knob" + std::to_string(i)).c_str());
    for (int i = 0; i < 4; ++i)
        controls[i]->setPortParameter(0, interface.param(kTune));

    // The fifth keeps the parameter it had.
    controls[4]->setPortParameter(0, interface.param(kAttack));
    {
        testsupport::TraceCapture trace;
        controls[4]->setPortParameter(0, interface.param(kTune));
        EXPECT_TRUE(trace.contains("Knob4 port 0 not bound to Fine Tune"));
    }
    EXPECT_EQ(controls[4]->getPort(0)->parameter, interface.param(kAttack));

    for (PortControl* c : controls)
        c->shown.clear();
    interface.engineSets(kTune, 0.25f);
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(controls[i]->shown.size(), 1u) << i;
        EXPECT_EQ(controls[i]->shown[0].value, 0.25f) << i;
    }
    EXPECT_TRUE(controls[4]->shown.empty());
    interface.engineSets(kAttack, 0.5f);
    ASSERT_EQ(controls[4]->shown.size(), 1u);
    EXPECT_EQ(controls[4]->shown[0].value, 0.5f);

    // A control that goes away frees its place.
    controls[0]->unlink();
    delete controls[0];
    controls[4]->setPortParameter(0, interface.param(kTune));
    EXPECT_EQ(controls[4]->getPort(0)->parameter, interface.param(kTune));
    for (int32_t place = 0; place < AM_View_Interface::kListenerPlaces; ++place)
        EXPECT_NE(interface.getListener(kAttack, place), controls[4]->getPort(0));
}

TEST_F(PortTest, TheNameLabelShowsTheFirstBoundPortsParameter)
{
    PortControl* control = addPortControl(vm, "Combo");
    auto* label = new LabelControl(vm, nullptr);
    control->addControl(label, kAllLayers, false);

    control->setPortParameter(1, interface.param(kCurve));
    EXPECT_EQ(label->text, "Curve Data");
    control->setPortParameter(0, interface.param(kTune));
    EXPECT_EQ(label->text, "Fine Tune");
    control->setPortParameter(1, interface.param(kCurve));
    EXPECT_EQ(label->text, "Fine Tune") << "port 0 is bound: it names the label";
}

TEST_F(PortTest, ConnectByNamesTracesWhatItCannotFind)
{
    PortControl* knob = addPortControl(vm, "Knob");
    testsupport::TraceCapture trace;
    EXPECT_FALSE(knob->connectParameter("volume", "Osc", "Tune", nullptr));
    EXPECT_TRUE(trace.contains("AM_ViewControl::connectParameter wrong port!\n"));
    EXPECT_FALSE(knob->connectParameter("value", "Osc", "Gone", nullptr));
    EXPECT_TRUE(trace.contains("AM_ViewControl::connectParameter no target -> 'Osc' 'Gone'!!!\n"));
    EXPECT_EQ(knob->getPort(0)->parameter, nullptr);

    ASSERT_NE(vm->getValueToString("generic"), nullptr);
    EXPECT_TRUE(knob->connectParameter("value", "Osc", "Tune", "generic"));
    EXPECT_EQ(knob->getPort(0)->parameter, interface.param(kTune));
    EXPECT_EQ(knob->getPort(0)->valueToString, vm->getValueToString("generic"));

    // A list parameter has no default value-to-string object.
    EXPECT_TRUE(knob->connectParameter("value", "Osc", "Wave", nullptr));
    EXPECT_EQ(knob->getPort(0)->valueToString, vm->getValueToString("generic"))
        << "an object that accepts the parameter is kept";
    PortControl* list = addPortControl(vm, "List");
    EXPECT_TRUE(list->connectParameter("value", "Osc", "Wave", nullptr));
    EXPECT_EQ(list->getPort(0)->valueToString, nullptr);
}

TEST_F(PortTest, ReconnectingMovesPortsToTheSameNameInAnotherModule)
{
    PortControl* pane = addPortControl(vm, "Pane");
    const AM_Rect r{0, 0, 10, 10};
    auto* inner = new PortControl(vm, &r);
    pane->addControl(inner, kAllLayers, false);
    pane->setPortParameter(0, interface.param(kTune));
    inner->setPortParameter(0, interface.param(kTune));
    inner->setPortParameter(1, interface.param(kCurve));

    testsupport::TraceCapture trace;
    pane->reconnectPorts(1, false);
    EXPECT_EQ(pane->getPort(0)->parameter, interface.param(kEnvTune));
    EXPECT_EQ(inner->getPort(0)->parameter, interface.param(kEnvTune));
    EXPECT_EQ(inner->getPort(1)->parameter, interface.param(kCurve)) << "already in module 1";
    EXPECT_TRUE(trace.contains("Pane port 0 reassigned to Env:Tune\n"));

    // Module 0 has no "Curve": that port keeps its binding.
    pane->reconnectPorts(0, false);
    EXPECT_EQ(inner->getPort(0)->parameter, interface.param(kTune));
    EXPECT_EQ(inner->getPort(1)->parameter, interface.param(kCurve));
    EXPECT_EQ(interface.getListener(kEnvTune, 0), nullptr);
}

TEST_F(PortTest, ADragChangesTheParameterBetweenBeginAndEndEdit)
{
    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kTune));
    knob->setPortParameter(3, interface.param(kLevel));
    interface.edits.clear();

    knob->drag(75.0f);
    EXPECT_FLOAT_EQ(interface.value(kTune), 0.25f);
    ASSERT_EQ(interface.edits.size(), 4u);
    EXPECT_EQ(interface.edits[0].index, kTune);
    EXPECT_TRUE(interface.edits[0].begin);
    EXPECT_EQ(interface.edits[1].index, kLevel);
    EXPECT_TRUE(interface.edits[1].begin);
    EXPECT_FALSE(interface.edits[2].begin);
    EXPECT_FALSE(interface.edits[3].begin);
    EXPECT_FALSE(knob->isMouseDown());
    EXPECT_EQ(interface.writes, std::vector<int32_t>{kTune});

    // Info line 0 shows the parameter's module, name and value.
    const AM_InfoLine* line = vm->getInfoLine(0);
    EXPECT_STREQ(line->title, "Fine Tune");
    EXPECT_STREQ(line->text, "0.25");
    EXPECT_EQ(line->subject, interface.getModuleInfoByIndex(0));
    EXPECT_EQ(line->shown, 1);
}

TEST_F(PortTest, APressTheControlDoesNotKeepEndsAtOnce)
{
    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kTune));
    knob->keepPress = false;
    interface.edits.clear();
    const float point[2] = {1, 1};
    EXPECT_FALSE(knob->handleMouseDown(point, 0, 0));
    EXPECT_FALSE(knob->isMouseDown());
    ASSERT_EQ(interface.edits.size(), 2u);
    EXPECT_TRUE(interface.edits[0].begin);
    EXPECT_FALSE(interface.edits[1].begin);
    EXPECT_FALSE(knob->handleMouseUp(point, 0, 0)) << "no press in progress";
    EXPECT_EQ(interface.edits.size(), 2u);
}

TEST_F(PortTest, EditModeLeavesThePressToEditing)
{
    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kTune));
    knob->setEditMode(true);
    interface.edits.clear();
    const float point[2] = {1, 1};
    // The press starts moving or resizing the control, not a parameter
    // gesture.
    EXPECT_TRUE(knob->handleMouseDown(point, 0, 0));
    EXPECT_TRUE(interface.edits.empty());
    EXPECT_NE(knob->getState() & 0x1Fu, 0u);
}

TEST_F(PortTest, AWheelGestureIsBracketedOnlyWhenItOpenedTheEdit)
{
    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kTune));
    interface.edits.clear();
    knob->beginWheel();
    EXPECT_TRUE(knob->isWheelActive());
    knob->endWheel();
    EXPECT_FALSE(knob->isWheelActive());
    ASSERT_EQ(interface.edits.size(), 2u);
    EXPECT_TRUE(interface.edits[0].begin);
    EXPECT_FALSE(interface.edits[1].begin);

    // A wheel turned during a press leaves the press's edit open.
    interface.edits.clear();
    const float point[2] = {1, 1};
    knob->handleMouseDown(point, 0, 0);
    knob->beginWheel();
    knob->endWheel();
    EXPECT_EQ(interface.edits.size(), 1u);
    knob->handleMouseUp(point, 0, 0);
    EXPECT_EQ(interface.edits.size(), 2u);
}

TEST_F(PortTest, ListenersFollowAPortOfAnotherControl)
{
    PortControl* knob = addPortControl(vm, "Knob");
    PortControl* display = addPortControl(vm, "Display");
    knob->setPortParameter(0, interface.param(kTune));
    EXPECT_EQ(display->findListener("follow"), 0);
    EXPECT_EQ(display->findListener("value"), -1);
    ASSERT_TRUE(display->setListener(0, knob->findPort("value")));
    EXPECT_EQ(knob->getPort(0)->listenerCount, 1u);

    interface.engineSets(kTune, 0.6f);
    ASSERT_EQ(display->followed.size(), 1u);
    EXPECT_EQ(display->followed[0].port, 0);
    EXPECT_EQ(display->followed[0].value, 0.6f);

    // Another port of the knob is not followed.
    knob->setPortParameter(3, interface.param(kLevel));
    EXPECT_EQ(display->followed.size(), 1u);

    EXPECT_TRUE(display->setListener(0, nullptr));
    EXPECT_EQ(knob->getPort(0)->listenerCount, 0u);
    EXPECT_FALSE(display->setListener(1, knob->getPort(0)));
    EXPECT_EQ(knob->getPort(0)->listenerCount, 0u);
}

TEST_F(PortTest, AControlThatGoesAwayIsForgottenByItsFollowers)
{
    PortControl* knob = addPortControl(vm, "Knob");
    PortControl* display = addPortControl(vm, "Display");
    PortControl* clone = addPortControl(vm, "Clone");
    clone->setPrototype(knob);
    knob->setPrototype(display);
    knob->setPortParameter(0, interface.param(kTune));
    display->setListener(0, knob->getPort(0));

    knob->unlink();
    delete knob;
    EXPECT_EQ(display->getListener(0), nullptr);
    EXPECT_EQ(clone->getPrototype(), display) << "the clone follows the prototype's prototype";
    interface.engineSets(kTune, 0.2f);
    EXPECT_TRUE(display->followed.empty());

    // A follower that goes away first releases the count of the port.
    PortControl* source = addPortControl(vm, "Source");
    display->setListener(0, source->getPort(0));
    display->unlink();
    delete display;
    EXPECT_EQ(source->getPort(0)->listenerCount, 0u);
}

} // namespace

namespace {

using namespace viewtest;

TEST_F(PortTest, TheSelectionChainClosesOverAControlThatGoesAway)
{
    PortControl* first = addPortControl(vm, "First");
    PortControl* middle = addPortControl(vm, "Middle");
    PortControl* last = addPortControl(vm, "Last");
    first->setNextSelected(middle);
    middle->setNextSelected(last);
    middle->unlink();
    delete middle;
    EXPECT_EQ(first->getNextSelected(), last);
}

} // namespace
