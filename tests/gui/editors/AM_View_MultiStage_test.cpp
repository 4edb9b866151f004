#include "EditorFixture.h"
#include "TraceCapture.h"

#include "gui/editors/AM_View_MultiStage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace editortest {
namespace {

// The bytes of an envelope block.
struct RawEnvelope {
    uint8_t head[4];
    int32_t numSegments;
    int32_t loopStart;
    int32_t loopEnd;
    uint32_t editSettings;
    uint8_t reserved[12];
    AM_EnvelopeBlock::Point points[33];
};
static_assert(sizeof(RawEnvelope) == AM_EnvelopeBlock::kBytes);

// Six segments, loop 2..4, times 0 2 3 5 7 9 12, straight segments.
RawEnvelope sixSegments(int dragMode = 0)
{
    RawEnvelope raw{};
    raw.numSegments = 6;
    raw.loopStart = 2;
    raw.loopEnd = 4;
    raw.editSettings = uint32_t(dragMode);
    const float times[] = {0, 2, 3, 5, 7, 9, 12};
    const float levels[] = {0, 0.9f, 0.6f, 0.6f, 0.3f, 0.5f, 0};
    for (int i = 0; i < 7; ++i)
        raw.points[i] = {times[i], levels[i], 0, 0};
    return raw;
}

class MultiStageTest : public EditorTest {
protected:
    // An editor of 200 x 100 at the origin: graph (5, 12, 190, 72), one
    // unit 12 pixels wide at the initial 16 units; envelope 1 bound.
    AM_View_MultiStage* editor(const RawEnvelope& first = sixSegments(), int bound = 1)
    {
        for (int e = 0; e < 4; ++e)
            interface.seed(kEnv1 + e, &first);
        AM_View_MultiStage* m = make<AM_View_MultiStage>("MultiStage", AM_Rect{0, 0, 200, 100});
        for (int e = 0; e < bound; ++e) {
            m->setPortParameter(e, interface.param(kEnv1 + e));
            m->setPortParameter(4 + e, interface.param(kPhase1 + e));
        }
        interface.writes.clear();
        return m;
    }
    static float xOf(float t) { return 5.0f + 12.0f * t; }
    static float yOf(float level) { return 84.0f - 72.0f * level; }
    AM_EnvelopeBlock sent(int e = 0)
    {
        AM_EnvelopeBlock block;
        block.assign(interface.block(kEnv1 + e).data(), AM_EnvelopeBlock::kBytes);
        return block;
    }
};

TEST_F(MultiStageTest, RegistersWithItsPortsAndTakesTheLowestBoundEnvelope)
{
    AM_View_MultiStage* m = editor(sixSegments(), 0);
    ASSERT_NE(m, nullptr);
    EXPECT_STREQ(m->getTypeName(), "MultiStage");
    EXPECT_EQ(std::string(m->getName()).rfind("MultiStage ", 0), 0u);
    ASSERT_EQ(m->getNumPorts(), 8);
    EXPECT_STREQ(m->getPortDescriptor(3)->name, "MSEG4");
    EXPECT_STREQ(m->getPortDescriptor(4)->name, "Phase1");
    EXPECT_EQ(m->getColourCount(), 13);
    EXPECT_EQ(m->getGraphicCount(), 5);
    EXPECT_TRUE(m->hasTimer());

    m->setPortParameter(2, interface.param(kEnv1 + 2));
    EXPECT_EQ(m->getCurrentEnvelope(), 2);
    m->setPortParameter(3, interface.param(kEnv1 + 3));
    EXPECT_EQ(m->getCurrentEnvelope(), 2);
    m->setPortParameter(0, interface.param(kEnv1));
    EXPECT_EQ(m->getCurrentEnvelope(), 0);

    // Shown on layer 3 (mask bit 2) it edits the third envelope.
    m->setVisible(true, 0x4, false);
    EXPECT_EQ(m->getCurrentEnvelope(), 2);
    m->setVisible(false, 0x4, false);
    EXPECT_EQ(m->getCurrentEnvelope(), 0);
    // An unbound envelope's layer changes nothing.
    m->setVisible(true, 0x2, false);
    EXPECT_EQ(m->getCurrentEnvelope(), 0);
}

TEST_F(MultiStageTest, BlocksAreCheckedOnReceiptAndNullValuesAreRefused)
{
    AM_View_MultiStage* m = editor();
    EXPECT_EQ(m->getEnvelope(0).numSegments(), 6);
    RawEnvelope broken = sixSegments();
    broken.numSegments = 900;
    broken.loopStart = -3;
    broken.loopEnd = 77;
    interface.engineSetsBlock(kEnv1, &broken);
    EXPECT_EQ(m->getEnvelope(0).numSegments(), AM_EnvelopeBlock::kMaxSegments);
    EXPECT_GE(m->getEnvelope(0).loopStart(), 0);
    EXPECT_LE(m->getEnvelope(0).loopEnd(), m->getEnvelope(0).numSegments());

    testsupport::TraceCapture trace;
    m->setParameterValue(0, nullptr);
    m->setParameterValue(1, &broken); // unbound
    EXPECT_EQ(trace.count("AM_View_MultiStage::setParameterValue ( int inNumPort, void* inValue ) "
                          "value NULL"),
              2);
    EXPECT_EQ(m->getEnvelope(1).numSegments(), 16);
}

TEST_F(MultiStageTest, AltClickOnASegmentInsertsAPointAndShiftsTheLoop)
{
    AM_View_MultiStage* m = editor();
    // Segment 1 runs from (2, 0.9) to (3, 0.6): its middle.
    click(m, xOf(2.5f), yOf(0.75f), kAltKey);
    const AM_EnvelopeBlock after = sent();
    EXPECT_EQ(after.numSegments(), 7);
    EXPECT_NEAR(after.point(2).time, 2.5f, 0.05f);
    EXPECT_NEAR(after.point(2).level, 0.75f, 0.02f);
    EXPECT_EQ(after.loopStart(), 3);
    EXPECT_EQ(after.loopEnd(), 5);
    EXPECT_EQ(undoGroups(), 1);

    // Full at 32 segments: no more points.
    RawEnvelope full = sixSegments();
    full.numSegments = 32;
    for (int i = 0; i <= 32; ++i)
        full.points[i] = {float(i) * 0.25f, 0.5f, 0, 0};
    interface.engineSetsBlock(kEnv1, &full);
    interface.writes.clear();
    click(m, xOf(1.1f), yOf(0.2f), kAltKey);
    EXPECT_EQ(m->getEnvelope(0).numSegments(), 32);
}

TEST_F(MultiStageTest, AClickOnASegmentStraightensItAndControlStraightensAll)
{
    RawEnvelope bent = sixSegments();
    for (int i = 0; i < 6; ++i)
        bent.points[i].bow = 0.02f; // too little to count as bent
    AM_View_MultiStage* m = editor(bent);
    for (int i = 0; i < 6; ++i) {
        interface.engineSetsBlock(kEnv1, &bent);
    }
    click(m, xOf(6.0f), yOf(0.45f), 0);
    EXPECT_EQ(sent().point(3).bow, 0.0f);
    EXPECT_EQ(sent().point(3).swing, 0.0f);
    EXPECT_EQ(sent().point(1).bow, 0.02f);
    EXPECT_EQ(undoGroups(), 1);

    click(m, xOf(6.0f), yOf(0.45f), kControlKey);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(sent().point(i).bow, 0.0f);
    EXPECT_EQ(undoGroups(), 2);
}

TEST_F(MultiStageTest, ABendDragSetsSwingAndBowOfTheSegment)
{
    AM_View_MultiStage* m = editor();
    // Up 30 pixels bends by 0.3; left 20 pixels swings by 0.2.
    gesture(m, {{xOf(6.0f), yOf(0.45f)}, {xOf(6.0f) - 20, yOf(0.45f) - 30}}, 0);
    EXPECT_NEAR(sent().point(3).bow, 0.3f, 1e-5f);
    EXPECT_NEAR(sent().point(3).swing, 0.2f, 1e-5f);
    EXPECT_EQ(sent().point(2).bow, 0.0f);
    EXPECT_EQ(undoGroups(), 1);
    // With Control every segment takes the bend; far drags stop at 1.
    gesture(m, {{xOf(6.0f), yOf(0.45f)}, {xOf(6.0f), yOf(0.45f) - 500}}, kControlKey);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(sent().point(i).bow, 1.0f);
    EXPECT_EQ(undoGroups(), 2);
}

TEST_F(MultiStageTest, DragKindsFollowTheDragModeAndControlSwapsThem)
{
    struct Case {
        const char* what;
        int dragMode;
        uint32_t keys;
        float time3;  // point 3 after dragging it 1 unit right and to level 0.8
        float level3;
        float time4;  // the point after it
        float level1; // painting reaches point 3 only
    };
    const Case cases[] = {
        {"mode 0 moves the point alone", 0, 0, 6.0f, 0.8f, 7.0f, 0.9f},
        {"mode 1 shifts every later point", 1, 0, 6.0f, 0.8f, 8.0f, 0.9f},
        {"mode 2 paints levels", 2, 0, 5.0f, 0.8f, 7.0f, 0.9f},
        {"Control in mode 2 moves", 2, kControlKey, 6.0f, 0.8f, 7.0f, 0.9f},
        {"Control in mode 0 paints", 0, kControlKey, 5.0f, 0.8f, 7.0f, 0.9f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AM_View_MultiStage* m = editor(sixSegments(c.dragMode));
        const int groups = undoGroups();
        // Painting takes the point within 6 pixels of the pointer; a move
        // keeps the grab offset.
        const float x = c.time3 != 5.0f ? xOf(6.0f) : xOf(5.0f) + 1;
        gesture(m, {{xOf(5.0f), yOf(0.6f)}, {x, yOf(0.8f)}}, c.keys);
        const AM_EnvelopeBlock after = sent();
        EXPECT_NEAR(after.point(3).time, c.time3, 1e-4f);
        EXPECT_NEAR(after.point(3).level, c.level3, 1e-4f);
        EXPECT_NEAR(after.point(4).time, c.time4, 1e-4f);
        EXPECT_NEAR(after.point(1).level, c.level1, 1e-4f);
        EXPECT_EQ(undoGroups(), groups + 1);
        EXPECT_EQ(m->getSelectedPoint(), -1);
        m->unlink();
        delete m;
    }
}

TEST_F(MultiStageTest, AMovedPointStaysBetweenItsNeighboursAndSnaps)
{
    AM_View_MultiStage* m = editor();
    gesture(m, {{xOf(5.0f), yOf(0.6f)}, {xOf(9.5f), yOf(1.5f)}}, 0);
    EXPECT_EQ(sent().point(3).time, 7.0f);
    EXPECT_EQ(sent().point(3).level, 1.0f);
    // Point 0 keeps time 0.
    gesture(m, {{xOf(0.0f), yOf(0.0f)}, {xOf(1.0f), yOf(0.2f)}}, 0);
    EXPECT_EQ(sent().point(0).time, 0.0f);
    EXPECT_NEAR(sent().point(0).level, 0.2f, 1e-4f);

    // Unit snap 4: a quarter unit; Shift turns snapping off for a drag.
    vm->answer = int32_t(AM_menuCommand(AM_View_MultiStage::kUnitSnap, 5));
    RawEnvelope snapping = sixSegments();
    snapping.editSettings = 4u << 8;
    interface.engineSetsBlock(kEnv1, &snapping);
    ASSERT_EQ(m->getUnitSnap(), 4);
    gesture(m, {{xOf(5.0f), yOf(0.6f)}, {xOf(5.0f) + 5, yOf(0.6f)}}, 0);
    EXPECT_EQ(sent().point(3).time, 5.5f);
    gesture(m, {{xOf(5.5f), yOf(0.6f)}, {xOf(5.5f) + 1, yOf(0.6f)}}, kShiftKey);
    const float unsnapped = sent().point(3).time;
    EXPECT_GT(unsnapped, 5.5f);
    EXPECT_LT(unsnapped, 5.75f);
}

TEST_F(MultiStageTest, AltDragErasesPointsButNeverPointZero)
{
    AM_View_MultiStage* m = editor();
    gesture(m,
            {{xOf(2.0f), yOf(0.9f)}, {xOf(3.0f), yOf(0.6f)}, {xOf(5.0f), yOf(0.6f)},
             {xOf(0.0f), yOf(0.0f)}},
            kAltKey);
    const AM_EnvelopeBlock after = sent();
    EXPECT_EQ(after.numSegments(), 3);
    EXPECT_EQ(after.point(0).time, 0.0f);
    EXPECT_EQ(after.point(1).time, 7.0f);
    EXPECT_EQ(undoGroups(), 1);
}

TEST_F(MultiStageTest, ZoomStaysBetweenOneAnd128UnitsAndPanWithinTheEnvelope)
{
    AM_View_MultiStage* m = editor();
    // Empty space above the curves; dragging up widens the range.
    const float x = xOf(10.0f);
    gesture(m, {{x, 20}, {x, 20 - 8}}, 0);
    EXPECT_EQ(m->getRequestedWidth(), 16.5f);
    EXPECT_EQ(interface.writesOf(kEnv1), 1); // the release sends the block
    gesture(m, {{x, 20}, {x, 20 - 100000}}, 0);
    EXPECT_EQ(m->getRequestedWidth(), 128.0f);
    EXPECT_EQ(m->getRequestedOffset(), 0.0f);
    gesture(m, {{x, 20}, {x, 20 + 100000}}, 0);
    EXPECT_EQ(m->getRequestedWidth(), 1.0f);
    // One unit across the graph: the displayed range keeps whole pixels.
    EXPECT_NEAR(m->graph().width, 1.0f, 1e-4f);

    // Panning: left moves the view later, never past 128 - width or before 0.
    gesture(m, {{x, 20}, {x - 100000, 20}}, 0);
    EXPECT_EQ(m->getRequestedOffset(), 127.0f);
    gesture(m, {{x, 20}, {x + 100000, 20}}, 0);
    EXPECT_EQ(m->getRequestedOffset(), 0.0f);

    // A double click shows the whole envelope (at least 4 units).
    const float p[2] = {x, 20};
    m->onDoubleClick(p, 0);
    EXPECT_EQ(m->getRequestedWidth(), 12.0f);
    EXPECT_EQ(m->getRequestedOffset(), 0.0f);
}

TEST_F(MultiStageTest, LoopHandlesMoveTheLoopPoints)
{
    AM_View_MultiStage* m = editor();
    // The start handle 3 pixels left of point 2, the end 3 right of point 4.
    gesture(m, {{xOf(3.0f) - 3, 5}, {xOf(5.5f), 5}}, 0);
    EXPECT_EQ(sent().loopStart(), 3);
    gesture(m, {{xOf(7.0f) + 3, 5}, {xOf(10.0f), 5}}, 0);
    EXPECT_EQ(sent().loopEnd(), 5);
    gesture(m, {{xOf(9.0f) + 3, 5}, {xOf(4.0f), 5}}, 0);
    EXPECT_EQ(sent().loopEnd(), 3);
    gesture(m, {{xOf(5.0f) - 3, 5}, {xOf(1.0f), 5}}, 0);
    EXPECT_EQ(sent().loopStart(), 1);
    EXPECT_EQ(undoGroups(), 4);

    // With one loop point, grabbing right of it takes the loop end.
    RawEnvelope single = sixSegments();
    single.loopStart = single.loopEnd = 3;
    interface.engineSetsBlock(kEnv1, &single);
    gesture(m, {{xOf(5.0f) + 2, 5}, {xOf(10.0f), 5}}, 0);
    EXPECT_EQ(sent().loopStart(), 3);
    EXPECT_EQ(sent().loopEnd(), 5);
}

TEST_F(MultiStageTest, ModeButtonsWriteTheEditSettings)
{
    AM_View_MultiStage* m = editor(sixSegments(1));
    testsupport::HeadlessCanvas canvas(200, 100, 1);
    canvas.begin();
    m->draw(&canvas.context());
    const AM_Rect b = m->modeButton(2);
    ASSERT_GT(b.w, 0.0f);
    click(m, b.x + b.w / 2, b.y + b.h / 2, 0);
    EXPECT_EQ(m->getDragMode(), 2);
    EXPECT_EQ(sent().dragMode(), 2);
    EXPECT_EQ(undoGroups(), 1);
}

TEST_F(MultiStageTest, MenusOfferWhatTheEnvelopeAllows)
{
    AM_View_MultiStage* m = editor();
    const float x = xOf(10.0f);
    click(m, x, 20, kRightButton);
    EXPECT_TRUE(vm->hasItem("double size"));
    EXPECT_FALSE(vm->hasItem("paste"));
    EXPECT_FALSE(vm->hasItem("quantize to snap"));
    int checked = 0;
    for (const auto& item : vm->items)
        checked += (item.flags & kMenuChecked) == kMenuChecked ? 1 : 0;
    EXPECT_EQ(checked, 3); // snap off, snap off, pointer coarse

    // Copy, then paste into another envelope.
    vm->answer = int32_t(AM_menuCommand(AM_View_MultiStage::kCopy, 5));
    click(m, x, 20, kRightButton);
    EXPECT_TRUE(AM_View_MultiStage::clipboardFilled());
    m->setPortParameter(1, interface.param(kEnv1 + 1));
    RawEnvelope other = sixSegments();
    other.numSegments = 2;
    interface.engineSetsBlock(kEnv1 + 1, &other);
    m->setVisible(true, 0x2, false);
    ASSERT_EQ(m->getCurrentEnvelope(), 1);
    vm->answer = int32_t(AM_menuCommand(AM_View_MultiStage::kPaste, 5));
    click(m, x, 20, kRightButton);
    EXPECT_EQ(sent(1).numSegments(), 6);

    // Beyond 64 units "double size" is not offered.
    RawEnvelope longOne = sixSegments();
    longOne.points[6].time = 70;
    interface.engineSetsBlock(kEnv1 + 1, &longOne);
    vm->answer = 0;
    click(m, x, 20, kRightButton);
    EXPECT_FALSE(vm->hasItem("double size"));

    // The point menu.
    click(m, xOf(0.0f), yOf(0.0f), kRightButton);
    EXPECT_EQ(vm->texts(), (std::vector<std::string>{"loop start"}));
    vm->answer = int32_t(AM_menuCommand(AM_View_MultiStage::kSetLoopEnd, 5));
    click(m, xOf(9.0f), yOf(0.5f), kRightButton);
    EXPECT_EQ(vm->texts(), (std::vector<std::string>{"remove point", "loop end"}));
    EXPECT_EQ(sent(1).loopEnd(), 5);
}

TEST_F(MultiStageTest, SnapAndPointerCommandsTakeTheItemValue)
{
    AM_View_MultiStage* m = editor();
    const float x = xOf(10.0f);
    struct Case {
        const char* text;
        uint32_t sub;
    };
    auto choose = [&](const char* text) {
        vm->answer = 0;
        click(m, x, 20, kRightButton);
        const AM_MenuTable& table = vm->getMenuTable();
        for (uint32_t i = 1; i <= table.itemCount(); ++i) {
            if (table.item(i)->text == text) {
                const AM_MenuItem item = *table.item(i);
                m->handleMenuCommand(nullptr, kRunMenuId, true, &item);
                return;
            }
        }
        ADD_FAILURE() << text;
    };
    choose("Unit snap 6");
    EXPECT_EQ(m->getUnitSnap(), 6);
    EXPECT_EQ(sent().unitSnap(), 6);
    choose("Value snap 15");
    EXPECT_EQ(sent().valueSnap(), 15);
    choose("quantize to snap");
    EXPECT_NEAR(sent().point(2).level, 9.0f / 15.0f, 1e-5f);
    choose("Pointer fine");
    EXPECT_EQ(m->getPointerMode(), AM_View_MultiStage::kPointerFine);
    choose("upside down");
    EXPECT_NEAR(sent().point(1).level, 1.0f - 14.0f / 15.0f, 1e-5f);
}

TEST_F(MultiStageTest, ThePhasePointerRedrawsOnlyForSteps)
{
    AM_View_MultiStage* m = editor();
    interface.engineSets(kPhase1, 3.0f);
    m->onTimer();
    EXPECT_EQ(m->getLastPhase(), 3.0f);
    interface.engineSets(kPhase1, 3.05f);
    m->onTimer();
    EXPECT_EQ(m->getLastPhase(), 3.0f); // coarse: steps above 0.1
    AM_MenuItem fine{"Pointer fine", 0, AM_menuCommand(AM_View_MultiStage::kPointer, 5), nullptr, 2};
    m->handleMenuCommand(nullptr, kRunMenuId, true, &fine);
    m->onTimer();
    EXPECT_EQ(m->getLastPhase(), 3.05f);
    AM_MenuItem off{"Pointer off", 0, AM_menuCommand(AM_View_MultiStage::kPointer, 5), nullptr, 0};
    m->handleMenuCommand(nullptr, kRunMenuId, true, &off);
    interface.engineSets(kPhase1, 9.0f);
    m->onTimer();
    EXPECT_EQ(m->getLastPhase(), -1.0f);
}

TEST_F(MultiStageTest, ActivityMessagesNameABoundEnvelope)
{
    AM_View_MultiStage* m = editor(sixSegments(), 2);
    char name1[] = "MSEG2";
    m->receiveMessage(nullptr, 15, 1, name1);
    EXPECT_TRUE(m->isActive(1));
    char name3[] = "MSEG3"; // unbound
    m->receiveMessage(nullptr, 15, 1, name3);
    EXPECT_FALSE(m->isActive(2));
    m->receiveMessage(nullptr, 15, 0, name1);
    EXPECT_FALSE(m->isActive(1));
}

TEST_F(MultiStageTest, ReferencePictures)
{
    AM_View_MultiStage* m = editor(sixSegments(), 2);
    RawEnvelope shade = sixSegments();
    for (int i = 0; i <= 6; ++i)
        shade.points[i].level = 0.2f + 0.1f * float(i % 3);
    shade.points[1].bow = 0.6f;
    interface.engineSetsBlock(kEnv1 + 1, &shade);
    RawEnvelope shown = sixSegments();
    shown.points[0].bow = -0.5f;
    shown.points[3].swing = 0.7f;
    interface.engineSetsBlock(kEnv1, &shown);
    char active1[] = "MSEG1";
    char active2[] = "MSEG2";
    m->receiveMessage(nullptr, 15, 1, active1);
    m->receiveMessage(nullptr, 15, 1, active2);
    const struct {
        int slot;
        const char* name;
        uint32_t rgba;
    } palette[] = {{0, "Panel", 0x1E2228FF},    {1, "Edge", 0x5A6270FF},
                   {2, "Dot", 0xE8ECF0FF},      {3, "Curve", 0xF0A040FF},
                   {4, "Ink", 0xA8B0BCFF},      {5, "Selected", 0x40C0FFFF},
                   {6, "Grid", 0x3A414CFF},     {7, "LoopHeld", 0x60A0D0FF},
                   {8, "Loop", 0x3C5A78FF},     {9, "Shade", 0x6A7488A0},
                   {10, "LoopDot", 0x80D0FFFF}, {11, "Phase", 0xE05050FF}};
    for (const auto& c : palette)
        m->setColour(colour(c.name, c.rgba), c.slot);
    interface.engineSets(kPhase1, 6.4f);
    m->onTimer();
    for (float zoom : {1.0f, 2.0f}) {
        EXPECT_EQ(paint(m, 200, 100, "multistage", zoom), "");
    }
}

} // namespace
} // namespace editortest
