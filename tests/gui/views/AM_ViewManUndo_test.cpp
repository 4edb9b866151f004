#include "PortFixture.h"

#include "TraceCapture.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"

#include <string>

namespace {

using namespace viewtest;

// A view manager whose wheel and active controls a test can set.
class FieldViewMan : public TestViewMan {
public:
    using TestViewMan::TestViewMan;
    void setActive(AM_ViewControl* control) { activeControl_ = control; }
    void setWheel(AM_ViewControl* control) { wheelControl_ = control; }
    AM_ViewControl* getWheel() const { return wheelControl_; }
};

class ViewManUndoTest : public ParameterTest {
protected:
    ViewManUndoTest()
    {
        fields = new FieldViewMan(&interface, nullptr, nullptr);
        view.reset(fields);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        view->setProcessDescription(&info);
        view->init(nullptr);
        view->registerDefaults();
        vm = fields;
        root = addPaintControl(vm, nullptr, "Root", {0, 0, 400, 300}, true);
    }

    FieldViewMan* fields = nullptr;
    AM_ViewMan* vm = nullptr;
    PaintControl* root = nullptr;
};

TEST_F(ViewManUndoTest, ADragLeavesOneGroupThatUndoAndRedoApply)
{
    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kTune));
    interface.engineSets(kTune, 0.1f);

    knob->drag(60.0f);
    EXPECT_FLOAT_EQ(interface.value(kTune), 0.5f);
    EXPECT_EQ(vm->getUndoList().groupCount(), 1);
    EXPECT_STREQ(vm->getUndoList().first()->getName(), "Change Parameter");

    testsupport::TraceCapture trace;
    vm->undo();
    EXPECT_TRUE(trace.contains("undo!\n"));
    EXPECT_FLOAT_EQ(interface.value(kTune), 0.1f);
    EXPECT_FLOAT_EQ(knob->current, 0.1f) << "the control follows the engine";
    vm->redo();
    EXPECT_TRUE(trace.contains("redo!\n"));
    EXPECT_FLOAT_EQ(interface.value(kTune), 0.5f);
}

TEST_F(ViewManUndoTest, APressThatChangesNothingLeavesNoGroup)
{
    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kTune));
    knob->drag(100.0f); // back where it started
    EXPECT_EQ(vm->getUndoList().groupCount(), 0);

    knob->keepPress = false;
    knob->drag(0.0f);
    EXPECT_EQ(vm->getUndoList().groupCount(), 0);
}

// A control whose drag writes a whole data block.
class BlockControl : public PortControl {
public:
    using PortControl::PortControl;
    void onMouseDrag(const float*, uint32_t) override
    {
        uint8_t block[kCurveBytes] = {9, 8, 7, 6, 5, 4, 3, 2};
        setValueFromUser(1, block);
    }
};

TEST_F(ViewManUndoTest, ABlockParameterIsUndoneAsAWholeBlock)
{
    const AM_Rect bounds{0, 0, 40, 40};
    auto* editor = new BlockControl(vm, &bounds);
    vm->registerControl(editor, nullptr);
    editor->setVisible(true, kAllLayers, false);
    editor->setEditMode(false);
    editor->setPortParameter(1, interface.param(kCurve));
    const std::vector<uint8_t> before{1, 1, 2, 3, 5, 8, 13, 21};
    interface.setBlock(kCurve, before);

    editor->drag(50.0f);
    EXPECT_EQ(interface.block(kCurve), (std::vector<uint8_t>{9, 8, 7, 6, 5, 4, 3, 2}));
    ASSERT_EQ(vm->getUndoList().groupCount(), 1);
    vm->undo();
    EXPECT_EQ(interface.block(kCurve), before);
}

TEST_F(ViewManUndoTest, TheUndoAndRedoButtonsShowWhatCanBeDone)
{
    auto* highlight = new AM_Graphic(vm, 0);
    highlight->setName("UndoHighlight");
    vm->addGraphic(highlight);
    PaintControl* undoButton = addPaintControl(vm, root, "UndoButton", {0, 0, 20, 20});
    PaintControl* redoButton = addPaintControl(vm, root, "RedoButton", {30, 0, 20, 20});
    auto* plain = new AM_Graphic(vm, 0);
    plain->setName("Plain");
    vm->addGraphic(plain);
    redoButton->setGraphic(plain, 0);

    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kTune));
    knob->drag(50.0f);
    knob->drag(20.0f);
    EXPECT_EQ(undoButton->getGraphic(0), highlight);
    EXPECT_EQ(redoButton->getGraphic(0), nullptr) << "nothing to redo";

    vm->undo();
    EXPECT_EQ(undoButton->getGraphic(0), highlight);
    redoButton->setGraphic(plain, 0);
    vm->undo();
    EXPECT_EQ(undoButton->getGraphic(0), nullptr) << "nothing left to undo";
    EXPECT_EQ(redoButton->getGraphic(0), plain) << "no \"RedoHighlight\": the graphic stays";
    vm->clearUndo();
    EXPECT_EQ(redoButton->getGraphic(0), nullptr);
}

TEST_F(ViewManUndoTest, DeletingWithUndoThenClosingRunsClean)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {10, 10, 100, 100}, true);
    PaintControl* doomed = addPaintControl(vm, pane, "Doomed", {5, 5, 20, 20});
    addPaintControl(vm, doomed, "Inner", {1, 1, 5, 5});
    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kTune));
    knob->drag(80.0f);

    doomed->addUndo("Delete", AM_ViewControl::kUndoDelete, false, false);
    vm->closeUndo();
    EXPECT_EQ(pane->getFirstChild(), nullptr);
    vm->undo();
    EXPECT_EQ(pane->getFirstChild(), doomed);
    vm->redo();
    EXPECT_EQ(pane->getFirstChild(), nullptr);
    // The view manager closes with the deleted control in its list.
    view.reset();
}

TEST_F(ViewManUndoTest, ATreeTornDownWhileInUseLeavesNoLinkBehind)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {10, 10, 100, 100}, true);
    PortControl* knob = new PortControl(vm, nullptr);
    pane->addControl(knob, kAllLayers, false);
    knob->setPortParameter(0, interface.param(kTune));
    PortControl* display = addPortControl(vm, "Display");
    display->setListener(0, knob->getPort(0));
    display->setPrototype(knob);
    display->setNextSelected(knob);
    knob->nextInTimerChain = nullptr;
    fields->setActive(knob);
    fields->setWheel(knob);
    vm->setTopLayerControl(knob, true);
    vm->showInfoLine(1, knob, "Bounds", "x", true);
    // A press in progress: its undo step refers to the knob.
    const float point[2] = {1, 1};
    knob->setEditMode(false);
    knob->handleMouseDown(point, 0, 0);

    pane->unlink();
    delete pane;
    EXPECT_EQ(vm->getActiveControl(), nullptr);
    EXPECT_EQ(fields->getWheel(), nullptr);
    EXPECT_EQ(vm->getTopLayerControl(0), nullptr);
    EXPECT_EQ(vm->getInfoLine(1)->subject, nullptr);
    EXPECT_EQ(display->getListener(0), nullptr);
    EXPECT_EQ(display->getPrototype(), nullptr);
    EXPECT_EQ(display->getNextSelected(), nullptr);
    for (int32_t place = 0; place < AM_View_Interface::kListenerPlaces; ++place)
        EXPECT_EQ(interface.getListener(kTune, place), nullptr);
    // The open group's step forgot the knob: closing and undoing are safe.
    interface.engineSets(kTune, 0.7f);
    vm->closeUndo();
    vm->undo();
    view.reset();
}

} // namespace

namespace {

using namespace viewtest;

TEST_F(ViewManUndoTest, AWheelGestureLeavesOneWheelGroup)
{
    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kTune));
    knob->beginWheel();
    const float v = 0.3f;
    knob->setValueFromUser(0, &v);
    knob->endWheel();
    ASSERT_EQ(vm->getUndoList().groupCount(), 1);
    EXPECT_STREQ(vm->getUndoList().first()->getName(), "Wheel Parameter");
    vm->undo();
    EXPECT_FLOAT_EQ(interface.value(kTune), 0.0f);
}

TEST_F(ViewManUndoTest, MidiLearnHandsThePortsParameterToTheInterface)
{
    PortControl* knob = addPortControl(vm, "Knob");
    knob->setPortParameter(0, interface.param(kAttack));
    knob->midiLearn(0);
    ASSERT_EQ(interface.learned.size(), 1u);
    EXPECT_EQ(interface.learned[0].first, interface.param(kAttack));
    EXPECT_EQ(interface.learned[0].second, static_cast<AM_PortOwner*>(knob));
}

TEST_F(ViewManUndoTest, DisposedControlsAnnounceTheirEndWhenAsked)
{
    PortControl* knob = addPortControl(vm, "Knob");
    PortControl* display = addPortControl(vm, "Display");
    display->setListener(0, knob->getPort(0));
    knob->addUndo("Delete", AM_ViewControl::kUndoDelete, false, false);
    vm->closeUndo();
    EXPECT_TRUE(knob->isDisposed());
    EXPECT_NE(display->getListener(0), nullptr) << "still waiting in the undo list";
    root->sendMessage(kGuiControlBit, kCtlMsgAnnounceDisposed, 0, nullptr);
    EXPECT_EQ(display->getListener(0), nullptr);
}

} // namespace
