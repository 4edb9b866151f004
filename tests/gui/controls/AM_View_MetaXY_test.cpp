#include "MetaFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_Knob.h"
#include "gui/controls/AM_View_MetaXY.h"

#include <limits>

namespace {

using namespace controltest;

class MetaXYTest : public MetaTest {
protected:
    MetaXYTest() { AM_View_MetaXY::resetProcessState(); }
    ~MetaXYTest() override { AM_View_MetaXY::resetProcessState(); }

    AM_View_MetaXY* pad() { return make<AM_View_MetaXY>("MetaXY", {20, 20, 28, 28}); }
    void drag(AM_View_MetaXY* xy, float dx, float dy, uint32_t flags = 0)
    {
        const float down[2] = {30, 30};
        const float to[2] = {30 + dx, 30 - dy};
        xy->handleMouseDown(down, flags, 0);
        xy->handleMouseDrag(to, flags, 0);
        xy->handleMouseUp(to, flags, 0);
    }
    // A knob bound to the parameter, selected in edit mode.
    AM_View_Knob* selectedKnob(const char* module, const char* name)
    {
        AM_View_Knob* knob = make<AM_View_Knob>("Knob", {200, 20, 28, 28});
        knob->setPortParameter(0, param(module, name));
        knob->setState(knob->getState() | kStateSelected);
        return knob;
    }
};

TEST_F(MetaXYTest, RegistryMakesPadsWithEightPorts)
{
    AM_View_MetaXY* xy = pad();
    ASSERT_NE(xy, nullptr);
    EXPECT_STREQ(xy->getTypeName(), "MetaXY");
    ASSERT_EQ(xy->getNumPorts(), 8);
    EXPECT_STREQ(xy->getPortDescriptor(0)->name, "MetaX Value1");
    EXPECT_STREQ(xy->getPortDescriptor(3)->name, "MetaX Value4");
    EXPECT_STREQ(xy->getPortDescriptor(4)->name, "MetaY Value1");
    EXPECT_STREQ(xy->getPortDescriptor(7)->name, "MetaY Value4");
    EXPECT_EQ(xy->getColourCount(), 0);
    ASSERT_EQ(xy->getGraphicCount(), 2);
    EXPECT_STREQ(xy->getGraphicName(0), "MetaXYBackground");
    EXPECT_STREQ(xy->getGraphicName(1), "MetaXYForeGround");
    xy->setPortParameter(0, interface.param(kWave));
    EXPECT_EQ(xy->getPort(0)->parameter, nullptr) << "a list parameter is refused";
}

TEST_F(MetaXYTest, SensitivityFollowsTheLastBoundRangeOfEachAxis)
{
    const struct {
        float range;
        float sensitivity;
    } cases[] = {{1000, 4},     {190.5f, 4},   {190, 2},   {130.5f, 2},   {130, 1},
                 {75, 1},       {74.9f, 0.4f}, {16, 0.4f}, {15.9f, 0.2f}, {8, 0.2f},
                 {7.9f, 0.04f}, {1, 0.04f},    {0, 0.04f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(AM_View_MetaXY::sensitivityForRange(c.range), c.sensitivity) << c.range;

    // Ranges 0..1, 0..10 and 0..100 on the X ports: the last one decides.
    AM_View_MetaXY* xy = pad();
    AM_ParamInfo ten = *param("ENV1", "Rel");
    ten.max = 10;
    xy->setPortParameter(0, interface.param(kAttack));
    EXPECT_FLOAT_EQ(xy->getXSensitivity(), 0.04f);
    xy->setPortParameter(1, &ten);
    EXPECT_FLOAT_EQ(xy->getXSensitivity(), 0.2f);
    xy->setPortParameter(2, param("ENV1", "Dec"));
    EXPECT_FLOAT_EQ(xy->getXSensitivity(), 1.0f);
    EXPECT_FLOAT_EQ(xy->getYSensitivity(), 1.0f);
    xy->setPortParameter(5, param("VCF1", "FM1"));
    EXPECT_FLOAT_EQ(xy->getYSensitivity(), 4.0f);
    EXPECT_FLOAT_EQ(xy->getXSensitivity(), 1.0f);
    xy->setPortParameter(1, nullptr);
}

TEST_F(MetaXYTest, DragsMoveEveryBoundParameterFromItsStart)
{
    AM_View_MetaXY* xy = pad();
    xy->setPortParameter(0, param("VCF1", "Res"));
    xy->setPortParameter(1, param("VCF1", "Cut"));
    xy->setPortParameter(4, param("ENV1", "Sus"));
    meta.engineSets(meta.indexOf("VCF1", "Res"), 20.0f);

    // Sensitivity 1.0 on both axes: half a unit per pixel, up is positive.
    drag(xy, 10, 10);
    EXPECT_FLOAT_EQ(meta.valueOf("VCF1", "Res"), 25.0f);
    EXPECT_FLOAT_EQ(meta.valueOf("VCF1", "Cut"), 69.0f);
    EXPECT_FLOAT_EQ(meta.valueOf("ENV1", "Sus"), 55.0f);
    // The next press starts from the values the engine holds then.
    meta.engineSets(meta.indexOf("ENV1", "Sus"), 10.0f);
    drag(xy, 0, -10);
    EXPECT_FLOAT_EQ(meta.valueOf("ENV1", "Sus"), 5.0f);
    EXPECT_FLOAT_EQ(meta.valueOf("VCF1", "Res"), 25.0f);
    // Shift moves 0.01 per pixel; far drags stop at each range's end.
    drag(xy, 10, 0, 1);
    EXPECT_FLOAT_EQ(meta.valueOf("VCF1", "Res"), 25.1f);
    drag(xy, 1000, -1000);
    EXPECT_FLOAT_EQ(meta.valueOf("VCF1", "Res"), 100.0f);
    EXPECT_FLOAT_EQ(meta.valueOf("VCF1", "Cut"), 127.0f);
    EXPECT_FLOAT_EQ(meta.valueOf("ENV1", "Sus"), 0.0f);

    // A position that is not a number moves nothing.
    const float down[2] = {30, 30};
    const float nan[2] = {std::numeric_limits<float>::quiet_NaN(), 30};
    xy->handleMouseDown(down, 0, 0);
    xy->onMouseDrag(nan, 0);
    xy->handleMouseUp(down, 0, 0);
    EXPECT_FLOAT_EQ(meta.valueOf("VCF1", "Res"), 100.0f);
}

TEST_F(MetaXYTest, SelectionBindsTheAnsweringControlsInOrder)
{
    AM_View_MetaXY* xy = pad();
    xy->setPortParameter(0, param("ENV4", "Dec"));
    xy->setPortParameter(4, param("ENV4", "Rel"));
    selectedKnob("VCF1", "Cut");
    selectedKnob("VCF2", "Cut");
    selectedKnob("VCF3", "Res");
    AM_View_Knob* unselected = make<AM_View_Knob>("Knob", {240, 20, 28, 28});
    unselected->setPortParameter(0, param("VCF4", "Res"));
    make<AM_View_Knob>("Knob", {280, 20, 28, 28})->setState(kStateSelected);

    testsupport::TraceCapture trace;
    vm->setEditMode(true);
    vm->answerText = "Selection 2 X";
    const float point[2] = {30, 30};
    xy->buildEditMenu(point, true, 0);
    ASSERT_GE(vm->items.size(), 3u);
    EXPECT_EQ(vm->items[vm->items.size() - 2].text, "Selection 2 X");
    EXPECT_EQ(vm->items.back().text, "Selection 2 Y");
    EXPECT_TRUE(trace.contains("assign X from selection\n"));
    EXPECT_EQ(xy->getPort(0)->parameter, param("VCF1", "Cut"));
    EXPECT_EQ(xy->getPort(1)->parameter, param("VCF2", "Cut"));
    EXPECT_EQ(xy->getPort(2)->parameter, param("VCF3", "Res"));
    EXPECT_EQ(xy->getPort(3)->parameter, nullptr);
    EXPECT_EQ(xy->getPort(4)->parameter, param("ENV4", "Rel")) << "the Y ports stay";
    EXPECT_EQ(AM_View_MetaXY::getAssignMode(), AM_View_MetaXY::kAssignNone);

    // Answers outside an assignment, or meant for another pad, bind nothing.
    AM_View_MetaXY* other = pad();
    xy->receiveMessage(unselected, AM_View_MetaXY::kMsgSelectionAnswer, 14, xy);
    xy->receiveMessage(unselected, AM_View_MetaXY::kMsgSelectionAnswer, 14, other);
    EXPECT_EQ(xy->getPort(3)->parameter, nullptr);

    // Five answers for four ports: the fifth is reported.
    selectedKnob("VCF4", "Cut");
    selectedKnob("VCF4", "FM1");
    xy->assignFromSelection(AM_View_MetaXY::kAssignY);
    EXPECT_EQ(xy->getPort(4)->parameter, param("VCF1", "Cut"));
    EXPECT_EQ(xy->getPort(7)->parameter, param("VCF4", "Cut"));
    EXPECT_TRUE(trace.contains("no free port left"));
}

TEST_F(MetaXYTest, RunMenuCommandsLearnTheFirstPort)
{
    AM_View_MetaXY* xy = pad();
    const float point[2] = {30, 30};
    AM_MenuItem learn;
    learn.command = AM_controlCommand(AM_View_MetaXY::kMidiLearn);
    EXPECT_TRUE(xy->handleMenuCommand(point, kControlRunMenu, true, &learn));
    EXPECT_TRUE(meta.learned.empty()) << "port 0 is unbound";
    xy->setPortParameter(0, param("VCF1", "Cut"));
    xy->handleMenuCommand(point, kControlRunMenu, true, &learn);
    EXPECT_EQ(meta.learned.size(), 1u);
    AM_MenuItem unlearn;
    unlearn.command = AM_controlCommand(AM_View_MetaXY::kMidiUnlearn);
    xy->handleMenuCommand(point, kControlRunMenu, true, &unlearn);
    EXPECT_EQ(meta.learned.size(), 3u);
}

TEST_F(MetaXYTest, ScriptLinesRoundTrip)
{
    const std::string first =
        reload("CONTROL type='MetaXY' name='Both' bounds='10 10 28 28'\n"
               "PARAMETER control='Both' port='MetaX Value2' module='VCF1' parameter='Cut'\n"
               "PARAMETER control='Both' port='MetaY Value1' module='ENV1' parameter='Sus'\n");
    auto* xy = dynamic_cast<AM_View_MetaXY*>(vm->getTopControl()->findByName("Both"));
    ASSERT_NE(xy, nullptr);
    EXPECT_EQ(xy->getPort(1)->parameter, param("VCF1", "Cut"));
    EXPECT_EQ(xy->getPort(4)->parameter, param("ENV1", "Sus"));
    EXPECT_NE(first.find("port='MetaX Value2' module='VCF1' parameter='Cut'"), std::string::npos)
        << first;
    EXPECT_EQ(reload(first), first);
}

TEST_F(MetaXYTest, PadsMatchTheirReferencePictures)
{
    AM_ViewControl* root = make<AM_ViewControl>("MetaXY", {0, 0, 1, 1});
    make<AM_View_MetaXY>("MetaXY", {8, 8, 28, 28});
    make<AM_View_MetaXY>("MetaXY", {44, 8, 40, 40});
    make<AM_View_MetaXY>("MetaXY", {92, 8, 16, 16});
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(root, 116, 56, "meta_xy_pads", zoom), "") << zoom;
}

} // namespace
