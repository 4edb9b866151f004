#include "EditorFixture.h"
#include "TraceCapture.h"

#include "gui/editors/AM_WaveGraph.h"
#include "gui/editors/AM_WaveSegment.h"
#include "gui/editors/AM_WaveStepView.h"

#include <gtest/gtest.h>

#include <cmath>

namespace editortest {
namespace {

// A step-order view stand-in that records what the editor tells it.
struct StepRecorder : AM_WaveStepView {
    void markWaveChanged(int step) override { marked.push_back(step); }
    void setCurrentStep(int step) override { current.push_back(step); }
    std::vector<int> marked;
    std::vector<int> current;
};

// A waveset whose 16 waves differ: wave w has its points at the default
// positions with levels bent by w.
AM_WavesetBlock distinctWaves()
{
    AM_WavesetBlock block;
    for (int w = 0; w < AM_WavesetBlock::kWaves; ++w) {
        for (int p = 0; p < block.pointCount(); ++p) {
            block.setY(w, p, std::sin(float(w + 1) * 0.37f * float(p + 1)) * 0.8f);
            block.setOutWeight(w, p, AM_WavesetBlock::kWeightSmooth);
            block.setInWeight(w, p, AM_WavesetBlock::kWeightSmooth);
        }
    }
    return block;
}

class MultipointTest : public EditorTest {
protected:
    // An editor of 200 x 100 at the origin: display rectangle (5, 5, 190,
    // 90), bound to all four ports.
    AM_View_Multipoint* editor(const AM_WavesetBlock& points = AM_WavesetBlock())
    {
        interface.seed(kCurve, points.data());
        AM_View_Multipoint* e = make<AM_View_Multipoint>("MultiPoint", AM_Rect{0, 0, 200, 100});
        for (int32_t port = 0; port < 4; ++port) {
            e->setPortParameter(port, interface.param(kCurve + port));
        }
        interface.writes.clear();
        interface.edits.clear();
        return e;
    }
    static void centre(AM_View_Multipoint* e, int point, float out[2])
    {
        AM_WaveGraph::fromBounds(e->getBounds())
            .handleCentre(e->getPoints(), e->getCurrentWave(), point, e->getMode(), out);
    }
    AM_WavesetBlock sent()
    {
        AM_WavesetBlock block;
        block.assign(interface.block(kCurve).data(), AM_WavesetBlock::kBytes);
        return block;
    }
    void setMode(int mode) { interface.engineSets(kMode, float(mode)); }
    // The texts of the context menu's top level, without the wave choice
    // that closes it.
    std::vector<std::string> topTexts() const
    {
        std::vector<std::string> texts;
        const AM_MenuTable& table = vm->getMenuTable();
        for (uint32_t i = 1; i <= table.itemCount(); ++i) {
            const AM_MenuItem* item = table.item(i);
            if (item->subMenu() == 0 && !item->isSubMenuEntry())
                texts.push_back(item->text);
        }
        if (!texts.empty() && texts.back() == "-")
            texts.pop_back();
        return texts;
    }
};

TEST_F(MultipointTest, RegistersAsTheMultiPointTypeWithItsPortsAndName)
{
    AM_View_Multipoint* e = editor();
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->getTypeName(), "MultiPoint");
    EXPECT_EQ(std::string(e->getName()).rfind("Multipoint ", 0), 0u);
    ASSERT_EQ(e->getNumPorts(), 4);
    EXPECT_STREQ(e->getPortDescriptor(0)->name, "Curve");
    EXPECT_STREQ(e->getPortDescriptor(1)->name, "Wavetables");
    EXPECT_STREQ(e->getPortDescriptor(2)->name, "Select");
    EXPECT_STREQ(e->getPortDescriptor(3)->name, "Mode");
    EXPECT_EQ(e->getColourCount(), 7);
    EXPECT_STREQ(e->getColourName(6), "MorphCurve");
    EXPECT_FALSE(e->hasTimer());
}

TEST_F(MultipointTest, BlocksAreCheckedOnReceiptAndNullValuesChangeNothing)
{
    AM_View_Multipoint* e = editor();
    // A saved block with a point count past the arrays.
    std::vector<uint8_t> bytes(AM_WavesetBlock::kBytes, 0);
    AM_WavesetBlock().copyTo(bytes.data());
    const uint32_t tooMany = 4000;
    std::memcpy(bytes.data() + 8192, &tooMany, 4);
    interface.engineSetsBlock(kCurve, bytes.data());
    EXPECT_EQ(e->getPoints().pointCount(), AM_WavesetBlock::kMaxPoints);

    testsupport::TraceCapture trace;
    const int before = e->getPoints().pointCount();
    e->setParameterValue(AM_View_Multipoint::kCurvePort, nullptr);
    EXPECT_TRUE(trace.contains("AM_View_Multipoint::setParameterValue ( int inNumPort, void* "
                               "inValue ) value NULL"));
    EXPECT_EQ(e->getPoints().pointCount(), before);

    // An unbound block port refuses a value.
    e->setPortParameter(AM_View_Multipoint::kValuesPort, nullptr);
    std::vector<float> loud(AM_WaveValueBlock::kWaves * AM_WaveValueBlock::kValues, 0.5f);
    e->setParameterValue(AM_View_Multipoint::kValuesPort, loud.data());
    EXPECT_EQ(e->getValues().value(0, 0), 0.0f);
    EXPECT_EQ(trace.count("value NULL"), 2);
}

TEST_F(MultipointTest, ModePortMapsWholeNumbersToCurveModes)
{
    struct Case {
        float value;
        int mode;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {0.95f, 1}, {2, 2}, {3, 2}, {4, 0}, {-1, 0}, {NAN, 0}};
    AM_View_Multipoint* e = editor();
    StepRecorder steps;
    e->setLinkedView(&steps);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        e->setParameterValue(AM_View_Multipoint::kModePort, &c.value);
        EXPECT_EQ(e->getMode(), c.mode);
    }
    // Each change of mode makes all 16 thumbnails stale: 0->1->2->0.
    EXPECT_EQ(steps.marked.size(), 3u * 16u);
}

TEST_F(MultipointTest, SelectFollowsTheParameterUntilAWaveIsChosen)
{
    AM_View_Multipoint* e = editor();
    StepRecorder steps;
    e->setLinkedView(&steps);
    interface.engineSets(kSelect, kSelectMinimum + 6.4f);
    EXPECT_EQ(e->getCurrentWave(), 6);
    interface.engineSets(kSelect, kSelectMinimum + 6.6f);
    EXPECT_EQ(e->getCurrentWave(), 7);
    interface.engineSets(kSelect, kSelectMinimum + 40.0f);
    EXPECT_EQ(e->getCurrentWave(), 15);
    EXPECT_EQ(steps.current, (std::vector<int>{0, 6, 7, 15}));

    // A chosen wave stays whatever "Select" says; command 16 follows again.
    AM_MenuItem show3{"wave", 0, AM_menuCommand(3, 5)};
    e->handleMenuCommand(nullptr, kRunMenuId, true, &show3);
    interface.engineSets(kSelect, kSelectMinimum + 9.0f);
    EXPECT_EQ(e->getCurrentWave(), 3);
    AM_MenuItem follow{"follow", 0, AM_menuCommand(16, 5)};
    e->handleMenuCommand(nullptr, kRunMenuId, true, &follow);
    EXPECT_EQ(e->getCurrentWave(), 9);

    // selectWave moves "Select" while following.
    e->selectWave(12);
    EXPECT_FLOAT_EQ(interface.param(kSelect)->min + 12.0f, [&] {
        float v;
        std::memcpy(&v, interface.block(kSelect).data(), 4);
        return v;
    }());
}

TEST_F(MultipointTest, TheWaveChoiceClosesTheContextMenu)
{
    AM_View_Multipoint* e = editor();
    vm->answer = int32_t(AM_menuCommand(5, 5));
    click(e, 60, 20, kRightButton);
    EXPECT_TRUE(vm->hasItem("follow Select"));
    EXPECT_TRUE(vm->hasItem("Wave 16"));
    EXPECT_EQ(e->getFollowSelect(), 5);
    EXPECT_EQ(e->getCurrentWave(), 5);
    vm->answer = 0;
    click(e, 60, 20, kRightButton);
    for (const auto& item : vm->items) {
        const bool checked = (item.flags & kMenuChecked) == kMenuChecked;
        EXPECT_EQ(checked, item.text == "Wave 6") << item.text;
    }
}

TEST_F(MultipointTest, AltRightClickInsertsIntoAllWavesKeepingTheOtherShapes)
{
    const AM_WavesetBlock start = distinctWaves();
    AM_View_Multipoint* e = editor(start);
    StepRecorder steps;
    e->setLinkedView(&steps);
    interface.engineSets(kSelect, kSelectMinimum + 2.0f);
    // Empty space at x = 0.3 of the cycle, level -0.2.
    const float px = 5 + 190 * 0.3f;
    const float py = 5 + (1 - 0.2f) * 45;
    click(e, px, py, kRightButton | kAltKey);

    const AM_WavesetBlock after = sent();
    EXPECT_EQ(after.pointCount(), 5);
    EXPECT_EQ(interface.writesOf(kCurve), 1);
    // The new point sits in every wave at x = 0.3, between points 1 and 2.
    for (int w = 0; w < AM_WavesetBlock::kWaves; ++w) {
        SCOPED_TRACE(w);
        EXPECT_NEAR(after.x(w, 2), 0.3f, 1e-5f);
        if (w == 2) {
            EXPECT_NEAR(after.y(w, 2), -0.2f, 1e-4f);
            continue;
        }
        // The other waves keep their level where the point went in.
        EXPECT_NEAR(after.y(w, 2), waveLevelAt(start, w, 0.3f, kWaveLooped), 1e-5f);
        EXPECT_NEAR(after.x(w, 3), start.x(w, 2), 1e-6f);
    }
    EXPECT_TRUE(e->isSelected(2));
    EXPECT_EQ(e->selectedCount(), 1);
    EXPECT_EQ(steps.marked.size(), 16u);
    EXPECT_EQ(undoGroups(), 1);
    EXPECT_EQ(vm->menusShown, 0);
}

TEST_F(MultipointTest, AltRightClickRemovesAPointFromEveryWaveDownToFour)
{
    AM_View_Multipoint* e = editor(distinctWaves());
    click(e, 5 + 190 * 0.3f, 50, kRightButton | kAltKey);
    ASSERT_EQ(sent().pointCount(), 5);
    float c[2];
    centre(e, 2, c);
    click(e, c[0], c[1], kRightButton | kAltKey);
    const AM_WavesetBlock after = sent();
    EXPECT_EQ(after.pointCount(), 4);
    EXPECT_EQ(after.x(7, 2), distinctWaves().x(7, 2));
    EXPECT_EQ(vm->menusShown, 0);

    // At four points the Alt right click opens the menu instead, with no
    // "remove point"; point 0 is never removed.
    centre(e, 1, c);
    click(e, c[0], c[1], kRightButton | kAltKey);
    EXPECT_EQ(e->getPoints().pointCount(), 4);
    EXPECT_EQ(vm->menusShown, 1);
    EXPECT_FALSE(vm->hasItem("remove point"));
    EXPECT_EQ(undoGroups(), 2);
}

TEST_F(MultipointTest, ContextMenuOffersWhatTheSelectionAndCountsAllow)
{
    AM_View_Multipoint* e = editor();
    click(e, 60, 20, kRightButton);
    EXPECT_EQ(topTexts(), (std::vector<std::string>{"insert point", "-", "all smooth",
                                                     "all linear", "all peaks", "-",
                                                     "distribute all", "clear", "-",
                                                     "copy waveset"}));
    float c[2];
    centre(e, 1, c);
    click(e, c[0], c[1], 0);
    click(e, c[0], c[1], kRightButton);
    EXPECT_EQ(topTexts(), (std::vector<std::string>{"smooth selected", "linear selected",
                                                     "peaks selected", "-", "distribute all",
                                                     "clear", "-", "copy waveset"}));

    // Full: no "insert point" on empty space.
    AM_WavesetBlock full;
    for (int i = 0; i < 28; ++i)
        full.insertPoint(0.02f + 0.03f * float(i), 0, 0, 0);
    ASSERT_EQ(full.pointCount(), 32);
    interface.engineSetsBlock(kCurve, full.data());
    click(e, 60, 8, kRightButton);
    EXPECT_FALSE(vm->hasItem("insert point"));
    click(e, 60, 8, kRightButton | kAltKey);
    EXPECT_EQ(e->getPoints().pointCount(), 32);
    // Any point but point 0 may be removed; point 0 and the closing point
    // (point 0 at the right edge) offer no removal.
    centre(e, 1, c);
    click(e, c[0], c[1], kRightButton);
    EXPECT_TRUE(vm->hasItem("remove point"));
    centre(e, 0, c);
    click(e, c[0], c[1], kRightButton);
    EXPECT_FALSE(vm->hasItem("remove point"));
    centre(e, 32, c);
    click(e, c[0], c[1], kRightButton);
    EXPECT_FALSE(vm->hasItem("remove point"));

    setMode(2);
    click(e, 60, 20, kRightButton);
    EXPECT_EQ(topTexts(), (std::vector<std::string>{"blur", "sharpen", "maximize", "-",
                                                     "copy waveset"}));
}

TEST_F(MultipointTest, PasteIsOfferedOnlyAfterACopyInAnyInstance)
{
    AM_View_Multipoint* first = editor(distinctWaves());
    click(first, 60, 20, kRightButton);
    EXPECT_FALSE(vm->hasItem("paste waveset"));
    vm->answer = int32_t(AM_menuCommand(AM_View_Multipoint::kCopyWaveset, 5));
    click(first, 60, 20, kRightButton);
    EXPECT_TRUE(AM_View_Multipoint::clipboardFilled());
    first->unlink();
    delete first;

    // Another instance pastes both blocks: points first, then values.
    AM_View_Multipoint* second = editor();
    vm->answer = 0;
    click(second, 60, 20, kRightButton);
    EXPECT_TRUE(vm->hasItem("paste waveset"));
    interface.writes.clear();
    vm->answer = int32_t(AM_menuCommand(AM_View_Multipoint::kPasteWaveset, 5));
    click(second, 60, 20, kRightButton);
    EXPECT_EQ(interface.writes, (std::vector<int32_t>{kCurve, kWaves}));
    EXPECT_EQ(second->getPoints().y(9, 2), distinctWaves().y(9, 2));

    setMode(2);
    vm->answer = 0;
    click(second, 60, 20, kRightButton);
    EXPECT_TRUE(vm->hasItem("Paste waveset"));

    AM_View_Multipoint::resetClipboard();
    click(second, 60, 20, kRightButton);
    EXPECT_FALSE(vm->hasItem("Paste waveset"));
}

TEST_F(MultipointTest, DraggingAPointMovesItAndItsSelectionPastItsNeighbour)
{
    AM_View_Multipoint* e = editor();
    float c[2];
    centre(e, 1, c); // x 0.1, y 0.5
    // Right past point 2 (x 0.5) to x 0.6, and up to level -0.5.
    gesture(e, {{c[0], c[1]}, {c[0] + 190 * 0.25f, c[1]}, {c[0] + 190 * 0.5f, c[1] - 45}}, 0);
    const AM_WavesetBlock after = sent();
    EXPECT_NEAR(after.x(0, 1), 0.5f, 1e-5f);
    EXPECT_NEAR(after.x(0, 2), 0.6f, 1e-5f);
    EXPECT_NEAR(after.y(0, 2), -0.5f, 1e-5f);
    EXPECT_TRUE(e->isSelected(2));
    EXPECT_FALSE(e->isSelected(1));
    // One host edit per bound port around the gesture and one undo group.
    EXPECT_EQ(undoGroups(), 1);
    EXPECT_GE(interface.writesOf(kCurve), 2);

    // The pointer is held so that no selected point leaves the wave.
    centre(e, 2, c);
    gesture(e, {{c[0], c[1]}, {c[0] + 500, c[1] - 500}}, 0);
    EXPECT_NEAR(sent().x(0, 3), 1.0f, 1e-5f);
    EXPECT_NEAR(sent().y(0, 3), -1.0f, 1e-5f);
    EXPECT_EQ(undoGroups(), 2);
}

TEST_F(MultipointTest, TheClosingHandleDragsPointZeroOnlyUpAndDown)
{
    AM_View_Multipoint* e = editor();
    // Looped: the closing handle sits at the right edge at point 0's level.
    gesture(e, {{195, 50}, {150, 72.5f}}, 0);
    EXPECT_EQ(sent().x(0, 0), 0.0f);
    EXPECT_NEAR(sent().y(0, 0), 0.5f, 1e-5f);
    EXPECT_TRUE(e->isSelected(0));
}

TEST_F(MultipointTest, ControlAndAltDragsBendTheTangents)
{
    struct Case {
        uint32_t keys;
        float in;
        float out;
    };
    // 20 pixels up lowers the bent weights by 0.2.
    const Case cases[] = {{kControlKey, -0.2f, 0.0f},
                          {kAltKey, 0.0f, -0.2f},
                          {kControlKey | kAltKey, -0.2f, -0.2f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        AM_View_Multipoint* e = editor();
        float h[2];
        centre(e, 2, h);
        gesture(e, {{h[0], h[1]}, {h[0], h[1] - 20}}, c.keys);
        EXPECT_NEAR(sent().inWeight(0, 2), c.in, 1e-5f);
        EXPECT_NEAR(sent().outWeight(0, 2), c.out, 1e-5f);
        EXPECT_NEAR(sent().y(0, 2), 0.0f, 1e-6f);
        e->unlink();
        delete e;
    }
}

TEST_F(MultipointTest, RubberBandSelectsTheHandlesInsideAndShiftAdds)
{
    AM_View_Multipoint* e = editor();
    float c1[2], c2[2];
    centre(e, 1, c1);
    centre(e, 2, c2);
    gesture(e, {{c1[0] - 3, 40}, {c2[0] + 3, 80}}, 0);
    EXPECT_TRUE(e->isSelected(1));
    EXPECT_TRUE(e->isSelected(2));
    EXPECT_EQ(e->selectedCount(), 2);
    EXPECT_FALSE(e->hasRubberBand());

    // Shift-click toggles one point; a band without Shift starts afresh.
    float c3[2];
    centre(e, 3, c3);
    click(e, c3[0], c3[1], kShiftKey);
    EXPECT_EQ(e->selectedCount(), 3);
    click(e, c3[0], c3[1], kShiftKey);
    EXPECT_EQ(e->selectedCount(), 2);
    gesture(e, {{150, 10}, {151, 11}}, 0);
    EXPECT_EQ(e->selectedCount(), 0);
    EXPECT_EQ(interface.writesOf(kCurve), 0);
}

TEST_F(MultipointTest, MenuCommandsReshapeTheCurrentWave)
{
    AM_View_Multipoint* e = editor(distinctWaves());
    auto command = [&](uint32_t sub) {
        vm->answer = int32_t(AM_menuCommand(sub, 5));
        click(e, 60, 8, kRightButton);
    };
    command(AM_View_Multipoint::kPeaks);
    for (int p = 0; p < 32; ++p) {
        EXPECT_EQ(sent().inWeight(0, p), -1.0f);
        EXPECT_EQ(sent().outWeight(0, p), -1.0f);
    }
    EXPECT_EQ(sent().inWeight(1, 0), AM_WavesetBlock::kWeightSmooth);
    command(AM_View_Multipoint::kDistribute);
    EXPECT_NEAR(sent().x(0, 1), 0.25f, 1e-6f);
    EXPECT_NEAR(sent().x(0, 3), 0.75f, 1e-6f);
    // "clear" with fewer than three selected flattens to point 0's level.
    command(AM_View_Multipoint::kLineUpOrClear);
    for (int p = 1; p < 4; ++p)
        EXPECT_EQ(sent().y(0, p), sent().y(0, 0));
    EXPECT_NE(sent().y(1, 1), sent().y(1, 0));
}

TEST_F(MultipointTest, ValueModeDrawsFreehandLinesFromTheAnchorAndErases)
{
    AM_View_Multipoint* e = editor();
    setMode(2);
    interface.writes.clear();
    // Sample s sits at x = 5 + s * 190 / 127 on press.
    auto xOf = [](int s) { return 5.0f + (float(s) + 0.2f) * 190.0f / 127.0f; };
    gesture(e, {{xOf(10), 5}}, 0);
    EXPECT_EQ(e->getValues().value(0, 10), 1.0f);
    EXPECT_EQ(interface.writesOf(kWaves), 2);

    // Control: straight lines from the pressed sample to the pointer.
    gesture(e, {{xOf(20), 50 - 45}, {5 + 40.5f * 190 / 128, 50 + 45}}, kControlKey);
    EXPECT_EQ(e->getValues().value(0, 20), 1.0f);
    EXPECT_EQ(e->getValues().value(0, 40), -1.0f);
    EXPECT_NEAR(e->getValues().value(0, 30), 0.0f, 1e-5f);

    // Dragging far above and below stays within -1..1.
    gesture(e, {{xOf(60), 5}, {5 + 61.5f * 190 / 128, -500}, {5 + 62.5f * 190 / 128, 900}}, 0);
    EXPECT_EQ(e->getValues().value(0, 60), 1.0f);
    EXPECT_EQ(e->getValues().value(0, 62), -1.0f);

    // Alt erases what the pointer passes over.
    gesture(e, {{xOf(20), 5}, {5 + 24.5f * 190 / 128, 5}}, kAltKey);
    for (int s = 20; s <= 24; ++s)
        EXPECT_EQ(e->getValues().value(0, s), 0.0f);
    EXPECT_EQ(e->getValues().value(0, 60), 1.0f);
    EXPECT_EQ(undoGroups(), 4);

    // A press outside the display rectangle draws nothing.
    interface.writes.clear();
    gesture(e, {{2, 2}, {60, 50}}, 0);
    EXPECT_EQ(interface.writesOf(kWaves), 0);
}

TEST_F(MultipointTest, WaveOperationsOfTheStepViewEditTheRightBlock)
{
    AM_View_Multipoint* e = editor(distinctWaves());
    const AM_WavesetBlock start = distinctWaves();
    e->moveWave(3, 10);
    EXPECT_EQ(sent().y(10, 1), start.y(3, 1));
    EXPECT_EQ(sent().y(3, 1), start.y(4, 1));
    e->copyWave(0, 5);
    EXPECT_EQ(sent().y(5, 2), sent().y(0, 2));
    e->interpolateWaves(0, 4);
    EXPECT_NEAR(sent().y(2, 1), (sent().y(0, 1) + sent().y(4, 1)) / 2, 1e-6f);

    // Value mode works on the values; a copy onto a lower wave copies too.
    setMode(2);
    interface.writes.clear();
    const float v = 0.75f;
    std::vector<float> values(16 * 128, 0.0f);
    values[9 * 128 + 5] = v;
    interface.engineSetsBlock(kWaves, values.data());
    e->copyWave(9, 2);
    EXPECT_EQ(e->getValues().value(2, 5), v);
    EXPECT_EQ(interface.writesOf(kWaves), 1);
    EXPECT_EQ(interface.writesOf(kCurve), 0);
}

TEST_F(MultipointTest, ReferencePictures)
{
    const AM_WavesetBlock waves = distinctWaves();
    AM_View_Multipoint* e = editor(waves);
    e->setColour(colour("Panel", 0x1E2228FF), 0);
    e->setColour(colour("Edge", 0x5A6270FF), 1);
    e->setColour(colour("Dot", 0xE8ECF0FF), 2);
    e->setColour(colour("Curve", 0xF0A040FF), 3);
    e->setColour(colour("Watermark", 0xFFFFFF20), 4);
    e->setColour(colour("Selected", 0x40C0FFFF), 5);
    e->setColour(colour("Morph", 0x7080A0A0), 6);
    interface.engineSets(kSelect, kSelectMinimum + 0.4f);
    float c[2];
    centre(e, 2, c);
    click(e, c[0], c[1], 0);
    for (float zoom : {1.0f, 2.0f}) {
        EXPECT_EQ(paint(e, 200, 100, "multipoint_points", zoom), "");
    }
    setMode(2);
    std::vector<float> values(16 * 128);
    for (int w = 0; w < 16; ++w)
        for (int s = 0; s < 128; ++s)
            values[size_t(w * 128 + s)] = 0.9f * std::sin(6.2831853f * float(s) / 128.0f * float(w + 1) / 2.0f);
    interface.engineSetsBlock(kWaves, values.data());
    for (float zoom : {1.0f, 2.0f}) {
        EXPECT_EQ(paint(e, 200, 100, "multipoint_values", zoom), "");
    }
}

} // namespace
} // namespace editortest
