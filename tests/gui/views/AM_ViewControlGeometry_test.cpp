#include "PortFixture.h"

#include "TraceCapture.h"
#include "gui/views/AM_ControlMessages.h"

#include <string>
#include <vector>

namespace {

using namespace viewtest;

class GeometryTest : public ParameterTest {
protected:
    AM_ViewMan* vm = open();
    // The top of the tree; the test's controls go below it.
    PaintControl* root = addPaintControl(vm, nullptr, "Root", {0, 0, 400, 300});
};

void expectBounds(const AM_ViewControl* c, float x, float y, float w, float h)
{
    const AM_Rect b = c->getBounds();
    EXPECT_FLOAT_EQ(b.x, x) << c->getName();
    EXPECT_FLOAT_EQ(b.y, y) << c->getName();
    EXPECT_FLOAT_EQ(b.w, w) << c->getName();
    EXPECT_FLOAT_EQ(b.h, h) << c->getName();
}

TEST_F(GeometryTest, GrowingMovesEachEdgeAndKeepsTheMinimumSide)
{
    struct Case {
        float left, top, right, bottom;
        float x, y, w, h;
    };
    const Case cases[] = {
        {5, 0, 0, 0, 45, 50, 25, 20},     {0, 5, 5, 0, 50, 45, 25, 25},
        {-2, -3, -4, -5, 52, 53, 14, 12}, {-10, 0, -10, 0, 60, 50, 6, 20},
        {0, -30, 0, 0, 50, 80, 20, 6},
    };
    for (const Case& c : cases) {
        PaintControl* box = addPaintControl(vm, root, "Box", {50, 50, 20, 20});
        box->growBy(c.left, c.top, c.right, c.bottom, false);
        expectBounds(box, c.x, c.y, c.w, c.h);
        EXPECT_EQ(box->boundsChanges, 1);
        box->unlink();
        delete box;
    }
}

TEST_F(GeometryTest, MovingTakesTheSubtreeAndOnRequestSiblingsAndSelection)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {10, 10, 100, 100}, true);
    PaintControl* inner = addPaintControl(vm, pane, "Inner", {5, 5, 20, 20});
    PaintControl* after = addPaintControl(vm, root, "After", {200, 10, 20, 20});
    PaintControl* picked = addPaintControl(vm, root, "Picked", {300, 10, 20, 20});

    pane->moveBy(3, 4, false, false);
    expectBounds(pane, 13, 14, 100, 100);
    expectBounds(inner, 18, 19, 20, 20);
    expectBounds(after, 200, 10, 20, 20);

    pane->moveBy(1, 1, true, false);
    expectBounds(after, 201, 11, 20, 20);
    expectBounds(picked, 301, 11, 20, 20);

    pane->setSelectedForTest(true);
    pane->setNextSelected(picked);
    const float to[2] = {0, 0};
    pane->moveTo(to, true);
    expectBounds(pane, 0, 0, 100, 100);
    expectBounds(inner, 5, 5, 20, 20);
    expectBounds(picked, 287, -4, 20, 20);
    expectBounds(after, 201, 11, 20, 20);
    pane->setNextSelected(nullptr);
}

TEST_F(GeometryTest, ScalingKeepsTheLayoutAboutTheOrigin)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {10, 10, 100, 50}, true);
    PaintControl* inner = addPaintControl(vm, pane, "Inner", {20, 10, 10, 10});
    pane->scaleBy(2, 3, false, false);
    expectBounds(pane, 10, 10, 200, 150);
    expectBounds(inner, 50, 40, 20, 30);

    const float point[2] = {100, 100};
    inner->alignTo(point, kAlignInsideEnd * kAlignCodesPerAxis + kAlignInsideEnd, false);
    expectBounds(inner, 80, 70, 20, 30);
}

TEST_F(GeometryTest, OffsetAndRelativeOrigin)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {100, 50, 100, 100}, true);
    PaintControl* inner = addPaintControl(vm, pane, "Inner", {10, 10, 20, 20});
    expectBounds(inner, 110, 60, 20, 20);
    EXPECT_FLOAT_EQ(inner->getRelativeX(), 10);
    EXPECT_FLOAT_EQ(inner->getRelativeY(), 10);
}

TEST_F(GeometryTest, SlotsStartWithTheDefaultResources)
{
    vm->addColour(new AM_Colour(vm, "defaultBackground", 0x336699FF));
    PaintControl* box = addPaintControl(vm, root, "Box", {0, 0, 10, 10});
    ASSERT_NE(box->getColour(0), nullptr);
    EXPECT_STREQ(box->getColour(0)->getName(), "defaultBackground");
    EXPECT_EQ(box->getColour(1), nullptr) << "no \"defaultFrame\"";
    EXPECT_EQ(box->getGraphic(0), nullptr);
    EXPECT_STREQ(box->getColourName(1), "Frame");
    EXPECT_STREQ(box->getGraphicName(0), "Face");
    EXPECT_EQ(box->getColourName(2), nullptr);
    EXPECT_EQ(box->getColour(-1), nullptr);
    EXPECT_EQ(box->getGraphicName(1), nullptr);
}

TEST_F(GeometryTest, ClonesFollowTheirPrototypesColoursAndGrowth)
{
    auto* red = new AM_Colour(vm, "Red", 0xFF0000FF);
    vm->addColour(red);
    PaintControl* knob = addPaintControl(vm, root, "Knob", {0, 0, 20, 20});
    PaintControl* clone = addPaintControl(vm, root, "Clone", {50, 0, 20, 20});
    PaintControl* stranger = addPaintControl(vm, root, "Stranger", {90, 0, 20, 20});
    clone->setPrototype(knob);

    knob->setColour(red, 1);
    EXPECT_EQ(clone->getColour(1), red);
    EXPECT_EQ(stranger->getColour(1), nullptr);
    knob->setColourByName(nullptr, "Frame");
    EXPECT_EQ(clone->getColour(1), nullptr);

    knob->growBy(1, 2, 3, 4, false);
    expectBounds(clone, 49, -2, 24, 26);
    expectBounds(stranger, 90, 0, 20, 20);

    // A selected clone keeps its own size.
    clone->setSelectedForTest(true);
    knob->growBy(1, 1, 1, 1, false);
    expectBounds(clone, 49, -2, 24, 26);
}

TEST_F(GeometryTest, PrototypeCyclesAreRefusedAndAChangeNeverComesBackRoundAgain)
{
    auto* red = new AM_Colour(vm, "Red", 0xFF0000FF);
    vm->addColour(red);
    PaintControl* a = addPaintControl(vm, root, "A", {0, 0, 20, 20});
    PaintControl* b = addPaintControl(vm, root, "B", {30, 0, 20, 20});
    PaintControl* c = addPaintControl(vm, root, "C", {60, 0, 20, 20});
    testsupport::TraceCapture trace;
    EXPECT_FALSE(a->setPrototype(a));
    ASSERT_TRUE(b->setPrototype(a));
    ASSERT_TRUE(c->setPrototype(b));
    EXPECT_FALSE(a->setPrototype(b)) << "two controls following each other";
    EXPECT_FALSE(a->setPrototype(c)) << "a cycle of three";
    EXPECT_EQ(a->getPrototype(), nullptr);
    EXPECT_TRUE(trace.contains("A cannot follow C: the prototypes would make a cycle"));
    a->setColour(red, 0);
    EXPECT_EQ(c->getColour(0), red);
    a->growBy(1, 0, 0, 0, false);
    expectBounds(c, 59, 0, 21, 20);

    // A cycle made past the checks: each change goes round once and stops.
    a->forcePrototype(c);
    trace.clear();
    a->setColour(nullptr, 0);
    EXPECT_EQ(b->getColour(0), nullptr);
    EXPECT_EQ(c->getColour(0), nullptr);
    EXPECT_TRUE(trace.contains("A: a change came back through its clones")) << trace.text();
    a->growBy(0, 0, 1, 0, false);
    expectBounds(c, 59, 0, 22, 20);
    a->forcePrototype(nullptr);

    // A chain of prototypes has a length limit.
    std::vector<PaintControl*> chain{a};
    while (chain.size() < size_t(AM_ViewControl::kMaxPrototypeChain)) {
        PaintControl* next = addPaintControl(vm, root, "Link", {0, 40, 20, 20});
        ASSERT_TRUE(next->setPrototype(chain.back()));
        chain.push_back(next);
    }
    PaintControl* tooFar = addPaintControl(vm, root, "TooFar", {0, 40, 20, 20});
    EXPECT_FALSE(tooFar->setPrototype(chain.back()));
    EXPECT_TRUE(trace.contains("a chain of prototypes holds at most 256 controls"));
    a->growBy(0, 0, 0, 1, false);
    expectBounds(chain.back(), 0, 40, 20, 21);
}

TEST_F(GeometryTest, HidingClearsTheSelectionAndReachesTheSubtree)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {0, 0, 100, 100}, true);
    PaintControl* inner = addPaintControl(vm, pane, "Inner", {0, 0, 10, 10});
    pane->setSelectedForTest(true);
    pane->setVisible(false, kAllLayers, false);
    EXPECT_FALSE(pane->isVisible());
    EXPECT_FALSE(inner->isVisible());
    EXPECT_EQ(pane->getState() & kStateSelected, 0u);
    pane->setVisible(true, kAllLayers, false);
    EXPECT_TRUE(inner->isVisible());
}

TEST_F(GeometryTest, EditModeHitsChildrenOutsideTheirContainerRunModeDoesNot)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {100, 100, 100, 100}, true);
    PaintControl* inside = addPaintControl(vm, pane, "Inside", {10, 10, 30, 30});
    PaintControl* outside = addPaintControl(vm, pane, "Outside", {150, 0, 20, 20});
    PaintControl* over = addPaintControl(vm, pane, "Over", {20, 20, 30, 30});

    const float inOverlap[2] = {125, 125};
    const float inOutside[2] = {255, 105};
    const float inPane[2] = {190, 190};
    const float edge[2] = {200, 200};
    EXPECT_EQ(root->getControlInPoint(inOverlap, 0), over) << "the last painted wins";
    EXPECT_EQ(root->getControlInPoint(inOutside, 0), outside);
    EXPECT_EQ(root->getControlInPoint(inPane, 0), pane);
    EXPECT_EQ(root->getControlInPoint(edge, 0), pane) << "edges are inside";

    root->setEditMode(false);
    EXPECT_EQ(root->getControlInPoint(inOverlap, 0), over);
    EXPECT_EQ(root->getControlInPoint(inOutside, 0), root);
    over->setVisible(false, kAllLayers, false);
    EXPECT_EQ(root->getControlInPoint(inOverlap, 0), inside);

    testsupport::TraceCapture trace;
    root->getControlInPoint(inPane, 1);
    EXPECT_TRUE(trace.contains("getControlInPoint RELATIVE"));
}

TEST_F(GeometryTest, RectangleHitsFindTheDeepestEarliestControl)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {100, 100, 100, 100}, true);
    PaintControl* first = addPaintControl(vm, pane, "First", {10, 10, 30, 30});
    PaintControl* second = addPaintControl(vm, pane, "Second", {20, 20, 30, 30});
    (void)second;
    PaintControl* far = addPaintControl(vm, pane, "Far", {150, 150, 10, 10});
    const AM_Rect overlap{125, 125, 2, 2};
    EXPECT_EQ(pane->getControlInRect(&overlap, 0), first);
    const AM_Rect farArea{255, 255, 1, 1};
    EXPECT_EQ(pane->getControlInRect(&farArea, 0), far) << "edit mode: the union with children";
    pane->setEditMode(false);
    EXPECT_EQ(pane->getControlInRect(&farArea, 0), nullptr);
}

TEST_F(GeometryTest, ATimerChainThatRunsIntoItselfStops)
{
    PaintControl* a = addPaintControl(vm, root, "A", {0, 0, 10, 10});
    PaintControl* b = addPaintControl(vm, root, "B", {0, 0, 10, 10});
    a->nextInTimerChain = b;
    b->nextInTimerChain = a;
    testsupport::TraceCapture trace;
    a->runTimerChain();
    EXPECT_EQ(a->ticks, 1);
    EXPECT_EQ(b->ticks, 1);
    EXPECT_EQ(trace.count("circular timer!"), 1);
    b->nextInTimerChain = nullptr;
    a->runTimerChain();
    EXPECT_EQ(a->ticks, 2) << "the guards were cleared";
    EXPECT_EQ(b->ticks, 2);
    a->nextInTimerChain = nullptr;

    EXPECT_FALSE(a->hasTimer());
    a->setTimer(true);
    EXPECT_TRUE(a->hasTimer());
    EXPECT_TRUE(vm->isTimerChainDirty());
}

TEST_F(GeometryTest, DisposingMarksTheSubtreeAndOnRequestTheSiblings)
{
    PaintControl* pane = addPaintControl(vm, root, "Pane", {0, 0, 100, 100}, true);
    PaintControl* inner = addPaintControl(vm, pane, "Inner", {0, 0, 10, 10});
    PaintControl* next = addPaintControl(vm, root, "Next", {0, 0, 10, 10});
    pane->setDisposeFlag(true, false);
    EXPECT_TRUE(pane->isDisposed());
    EXPECT_TRUE(inner->isDisposed());
    EXPECT_FALSE(next->isDisposed());
    pane->setDisposeFlag(true, true);
    EXPECT_TRUE(next->isDisposed());
    pane->setDisposeFlag(false, true);
    EXPECT_FALSE(inner->isDisposed());
    EXPECT_FALSE(next->isDisposed());
}

TEST_F(GeometryTest, MessagesAnsweredByEveryControl)
{
    PaintControl* box = addPaintControl(vm, root, "Box", {0, 0, 10, 10});
    auto* asker = new RecordingControl(vm, nullptr);
    vm->registerControl(asker, nullptr);

    // 14: only a selected control answers, with the code in the argument.
    asker->sendMessage(kGuiControlBit, kCtlMsgAskSelected, 77, nullptr);
    EXPECT_TRUE(asker->received.empty());
    box->setSelectedForTest(true);
    asker->sendMessage(kGuiControlBit, kCtlMsgAskSelected, 77, nullptr);
    ASSERT_EQ(asker->received.size(), 1u);
    EXPECT_EQ(asker->received[0].message, 77u);
    EXPECT_EQ(asker->received[0].arg, uint32_t(kCtlMsgAskSelected));

    // 70: the class's object size is added.
    uint32_t count = 5;
    asker->sendMessage(kGuiControlBit, kCtlMsgMemoryUse, 0, &count);
    EXPECT_GE(count, 5u);

    // 67: a hidden control passes it up to its parent.
    auto* pane = new RecordingControl(vm, nullptr);
    vm->registerControl(pane, nullptr);
    PaintControl* hidden = addPaintControl(vm, pane, "Hidden", {0, 0, 5, 5});
    hidden->setVisible(false, kAllLayers, false);
    hidden->receiveMessage(asker, kCtlMsgBringIntoView, 0, nullptr);
    ASSERT_FALSE(pane->received.empty());
    EXPECT_EQ(pane->received.back().message, uint32_t(kCtlMsgBringIntoView));
}

TEST_F(GeometryTest, AnIndexOffsetMovesTheBindingsOfItsBase)
{
    auto* sender = new RecordingControl(vm, nullptr);
    vm->registerControl(sender, nullptr);
    PortControl* knob = addPortControl(vm, "Knob");
    PortControl* other = addPortControl(vm, "Other");
    knob->setPortParameter(0, interface.param(kTune));
    other->setPortParameter(0, interface.param(kWave));
    interface.engineSets(kAttack, 0.9f);

    int32_t offset = kAttack - kTune;
    sender->sendMessage(0, kCtlMsgIndexOffset, kTune, &offset);
    EXPECT_EQ(knob->getPort(0)->parameter, interface.param(kAttack));
    EXPECT_EQ(knob->getPort(0)->indexOffset, offset);
    EXPECT_EQ(knob->shown.back().value, 0.9f);
    EXPECT_EQ(interface.getListener(kTune, 0), nullptr);
    EXPECT_EQ(interface.getListener(kAttack, 0), knob->getPort(0));
    EXPECT_EQ(other->getPort(0)->parameter, interface.param(kWave)) << "another base";

    // Back to offset 0 from the same base.
    int32_t none = 0;
    sender->sendMessage(0, kCtlMsgIndexOffset, kTune, &none);
    EXPECT_EQ(knob->getPort(0)->parameter, interface.param(kTune));
    EXPECT_EQ(knob->getPort(0)->indexOffset, 0);
}

} // namespace

namespace {

using namespace viewtest;

class NameLabelTest : public ParameterTest {
protected:
    AM_ViewMan* vm = open();
    PaintControl* root = addPaintControl(vm, nullptr, "Root", {0, 0, 400, 300});
};

TEST_F(NameLabelTest, TheLabelIsCentredBelowTheControl)
{
    PaintControl* knob = addPaintControl(vm, root, "Cutoff", {100, 100, 40, 40});
    knob->addNameLabel(0x1700);
    const AM_ViewControl* label = knob->getFirstChildControl();
    ASSERT_NE(label, nullptr);
    EXPECT_STREQ(label->getTypeName(), "Label");
    const AM_Rect b = label->getBounds();
    EXPECT_FLOAT_EQ(b.x + b.w / 2, 120.0f);
    EXPECT_FLOAT_EQ(b.y, 140.0f);
    EXPECT_TRUE(label->isVisible());
}

TEST_F(NameLabelTest, TheWheelGoesUpToTheParent)
{
    struct WheelPane : PaintControl {
        using PaintControl::PaintControl;
        void onMouseWheel(float steps) override { received += steps; }
        float received = 0;
    };
    auto* pane = new WheelPane(vm, {0, 0, 100, 100}, true);
    root->addControl(pane, kAllLayers, false);
    PaintControl* inner = addPaintControl(vm, pane, "Inner", {0, 0, 10, 10});
    inner->onMouseWheel(2.0f);
    EXPECT_EQ(pane->received, 2.0f);
}

} // namespace
