#include "EditorFixture.h"
#include "TraceCapture.h"

#include "gui/editors/AM_View_MultiOrder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace editortest {
namespace {

// Wave w is flat at a level of its own, so thumbnails tell waves apart.
AM_WavesetBlock flatWaves()
{
    AM_WavesetBlock block;
    for (int w = 0; w < AM_WavesetBlock::kWaves; ++w)
        for (int p = 0; p < block.pointCount(); ++p)
            block.setY(w, p, -0.9f + 0.12f * float(w));
    return block;
}

class MultiOrderTest : public EditorTest {
protected:
    // An editor (200 x 100) bound to the oscillator's blocks and a strip of
    // 200 x 16 under it, linked by the script property, glided into place
    // with every thumbnail rendered.
    void build(const AM_WavesetBlock& waves = flatWaves())
    {
        interface.seed(kCurve, waves.data());
        editor = make<AM_View_Multipoint>("MultiPoint", AM_Rect{0, 0, 200, 100});
        for (int32_t port = 0; port < 4; ++port)
            editor->setPortParameter(port, interface.param(kCurve + port));
        order = make<AM_View_MultiOrder>("MultiOrder", AM_Rect{0, 104, 200, 16});
        order->setProperty("clientmultipoint", 1, editor->getName());
        settle();
        interface.writes.clear();
    }
    void settle()
    {
        for (int tick = 0; tick < 200; ++tick)
            order->onTimer();
    }
    float centreX(int step) const
    {
        const AM_Rect r = order->getStepRect(step);
        return r.x + r.w / 2;
    }
    // The level of a waveset wave's first point, which tells the waves of
    // flatWaves apart.
    float levelOf(int wave) const { return editor->getPoints().y(wave, 1); }

    AM_View_Multipoint* editor = nullptr;
    AM_View_MultiOrder* order = nullptr;
};

TEST_F(MultiOrderTest, TheScriptPropertyLinksTheEditorAndIsWrittenBack)
{
    build();
    EXPECT_EQ(order->getLinkedEditor(), editor);
    EXPECT_EQ(editor->getLinkedView(), static_cast<AM_WaveStepView*>(order));
    EXPECT_STREQ(order->getTypeName(), "MultiOrder");
    EXPECT_TRUE(order->hasTimer());
    std::string script;
    order->writeProperties(&script);
    EXPECT_NE(script.find(std::string("PROPERTY control='") + order->getName() +
                          "' name='clientmultipoint' id='1' value='" + editor->getName() + "'"),
              std::string::npos);

    testsupport::TraceCapture trace;
    order->setProperty("clientmultipoint", 1, "Nobody");
    EXPECT_TRUE(trace.contains(std::string("WOOOPS... ") + order->getName() +
                               " wants clientpane Nobody, but it doesn't exist..."));
    EXPECT_EQ(order->getLinkedEditor(), editor);

    // Either side going away leaves the other without a dangling link.
    auto* other = make<AM_View_Multipoint>("MultiPoint", AM_Rect{0, 130, 200, 100});
    order->setProperty("clientmultipoint", 1, other->getName());
    EXPECT_EQ(editor->getLinkedView(), nullptr);
    other->unlink();
    delete other;
    EXPECT_EQ(order->getLinkedEditor(), nullptr);
    order->onTimer();
    order->linkEditor(editor);
    order->unlink();
    delete order;
    order = nullptr;
    EXPECT_EQ(editor->getLinkedView(), nullptr);
    interface.engineSets(kSelect, kSelectMinimum + 3.0f);
}

TEST_F(MultiOrderTest, AGuiScriptKeepsTheEditorsAndTheirLink)
{
    build();
    const std::string editorName = editor->getName();
    const std::string written = writeAndReload();
    EXPECT_NE(written.find("MultiPoint"), std::string::npos);
    EXPECT_NE(written.find("MultiOrder"), std::string::npos);
    auto* readEditor = find<AM_View_Multipoint>();
    auto* readOrder = find<AM_View_MultiOrder>();
    ASSERT_NE(readEditor, nullptr);
    ASSERT_NE(readOrder, nullptr);
    EXPECT_EQ(std::string(readEditor->getName()), editorName);
    EXPECT_EQ(readOrder->getLinkedEditor(), readEditor);
    EXPECT_EQ(readEditor->getLinkedView(), static_cast<AM_WaveStepView*>(readOrder));
    // The ports are bound again: an edit reaches the parameter.
    interface.writes.clear();
    readEditor->copyWave(0, 1);
    EXPECT_EQ(interface.writesOf(kCurve), 1);
}

TEST_F(MultiOrderTest, ShownBoxesGlideFromTheMiddleToTheirSlots)
{
    build();
    order->setVisible(true, kAllLayers, false);
    for (int i = 0; i < 16; ++i) {
        EXPECT_FLOAT_EQ(order->getShownPosition(i), 8.0f / 17.0f);
        EXPECT_TRUE(order->isRefreshPending(i));
    }
    order->onTimer();
    // 0.4 of the way in one tick.
    EXPECT_NEAR(order->getShownPosition(0), 8.0f / 17.0f * 0.6f, 1e-6f);
    EXPECT_EQ(order->getPendingRefreshes(), 15);
    settle();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(order->getShownPosition(i), float(i) / 16.0f);
        EXPECT_NEAR(order->getStepRect(i).x, 3.5f + 194.0f * float(i) / 16.0f, 1e-4f);
    }
    EXPECT_EQ(order->getPendingRefreshes(), 0);
    // Thumbnails: 0.5 - 0.4 x the sounding level (the block's level negated).
    EXPECT_NEAR(order->getThumbnail(0, 10), 0.5f - 0.4f * 0.9f, 1e-5f);
}

TEST_F(MultiOrderTest, ReorderingStep3OntoSlot10KeepsTheOtherOrder)
{
    build();
    std::vector<float> before;
    for (int w = 0; w < 16; ++w)
        before.push_back(levelOf(w));
    const float thumb3 = order->getThumbnail(3, 5);
    const float from = centreX(3);
    const float to = 200.0f * 10.5f / 16.0f;
    gesture(order, {{from, 110}, {(from + to) / 2, 110}, {to, 110}}, kControlKey);
    EXPECT_EQ(levelOf(10), before[3]);
    for (int w = 3; w < 10; ++w)
        EXPECT_EQ(levelOf(w), before[size_t(w) + 1]);
    for (int w : {0, 1, 2, 11, 12, 15})
        EXPECT_EQ(levelOf(w), before[size_t(w)]);
    EXPECT_EQ(order->getCurrentStep(), 10);
    EXPECT_EQ(editor->getCurrentWave(), 10);
    EXPECT_EQ(order->getThumbnail(10, 5), thumb3);
    // The dropped box glides on from where it was let go.
    EXPECT_NE(order->getShownPosition(10), 10.0f / 16.0f);
    settle();
    EXPECT_EQ(order->getShownPosition(10), 10.0f / 16.0f);
    EXPECT_EQ(interface.writesOf(kCurve), 1);
}

TEST_F(MultiOrderTest, PointerPositionsThatAreNotNumbersLeaveAReorderAsItWas)
{
    build();
    std::vector<float> before;
    for (int w = 0; w < 16; ++w)
        before.push_back(levelOf(w));
    const float from = centreX(3);
    const float to = 200.0f * 10.5f / 16.0f;
    const float nan = std::nanf("");
    const float inf = INFINITY;
    // Positions that are not numbers are skipped, mid-drag and at the
    // release, so the box ends where the last real position put it.
    gesture(order, {{from, 110}, {nan, 110}, {to, inf}, {to, 110}, {-inf, nan}}, kControlKey);
    EXPECT_EQ(levelOf(10), before[3]);
    EXPECT_EQ(order->getCurrentStep(), 10);
    settle();
    for (int step = 0; step < 16; ++step)
        EXPECT_TRUE(std::isfinite(order->getShownPosition(step))) << step;
    // A press at a position that is not a number starts nothing.
    const float nowhere[2] = {nan, 110};
    EXPECT_FALSE(order->handleMouseDown(nowhere, 0, 0));
}

TEST_F(MultiOrderTest, MorphRefreshesOneThumbnailPerTickAndTheRangeShrinks)
{
    build();
    click(order, centreX(2), 110, 0);
    ASSERT_EQ(order->getCurrentStep(), 2);
    vm->answer = int32_t(AM_menuCommand(AM_View_MultiOrder::kMorph, 5));
    click(order, centreX(9), 110, kRightButton);
    EXPECT_EQ(vm->texts(), (std::vector<std::string>{"morph", "duplicate", "exchange"}));
    // The waves between take the blend of waves 2 and 9.
    EXPECT_NEAR(levelOf(5), levelOf(2) + (levelOf(9) - levelOf(2)) * 3.0f / 7.0f, 1e-5f);
    EXPECT_EQ(order->getShownStep(), 9);
    EXPECT_EQ(order->getPendingRefreshes(), 6);
    int lastShown = order->getShownStep();
    for (int tick = 1; tick <= 6; ++tick) {
        order->onTimer();
        EXPECT_EQ(order->getPendingRefreshes(), 6 - tick);
        EXPECT_FALSE(order->isRefreshPending(2 + tick));
        EXPECT_LE(order->getShownStep(), lastShown);
        lastShown = order->getShownStep();
    }
    settle();
    EXPECT_EQ(order->getShownStep(), 2);
}

TEST_F(MultiOrderTest, ARightClickOnTheCurrentStepSelectsIt)
{
    build();
    click(order, centreX(4), 110, 0);
    click(order, centreX(4), 110, kRightButton);
    EXPECT_EQ(vm->menusShown, 0);
    EXPECT_EQ(order->getCurrentStep(), 4);
    EXPECT_EQ(editor->getCurrentWave(), 4);
    // A plain click follows "Select" through the editor.
    float select = 0;
    std::memcpy(&select, interface.block(kSelect).data(), 4);
    EXPECT_EQ(select, kSelectMinimum + 4.0f);
    // On another step the menu opens and nothing is selected.
    click(order, centreX(7), 110, kRightButton);
    EXPECT_EQ(vm->menusShown, 1);
    EXPECT_EQ(order->getCurrentStep(), 4);
}

TEST_F(MultiOrderTest, AltDragInterpolatesAndControlAltClickCopies)
{
    build();
    // The range runs from the step current before the press (0) to the
    // step where the Alt-drag ends.
    const float level0 = levelOf(0);
    gesture(order, {{centreX(1), 110}, {centreX(5), 110}}, kAltKey);
    EXPECT_EQ(order->getCurrentStep(), 5);
    EXPECT_EQ(order->getShownStep(), 0);
    EXPECT_NEAR(levelOf(3), level0 + (levelOf(5) - level0) * 3.0f / 5.0f, 1e-5f);
    EXPECT_EQ(order->getPendingRefreshes(), 4);

    click(order, centreX(12), 110, kControlKey | kAltKey);
    EXPECT_EQ(levelOf(12), levelOf(5));
    EXPECT_EQ(order->getCurrentStep(), 5);

    // Duplicate and exchange from the menu.
    vm->answer = int32_t(AM_menuCommand(AM_View_MultiOrder::kDuplicate, 5));
    click(order, centreX(0), 110, kRightButton);
    EXPECT_EQ(levelOf(0), levelOf(5));
    const float level15 = levelOf(15);
    vm->answer = int32_t(AM_menuCommand(AM_View_MultiOrder::kExchange, 5));
    click(order, centreX(15), 110, kRightButton);
    EXPECT_EQ(levelOf(14), level15);
}

TEST_F(MultiOrderTest, TheEditMenuListsEditorsToAttach)
{
    build();
    auto* other = make<AM_View_Multipoint>("MultiPoint", AM_Rect{0, 130, 200, 100});
    const float point[2] = {10, 110};
    order->buildEditMenu(point, true, 0);
    const AM_MenuTable& table = vm->getMenuTable();
    const AM_MenuItem* chosen = nullptr;
    int checked = 0;
    for (uint32_t i = 1; i <= table.itemCount(); ++i) {
        const AM_MenuItem* item = table.item(i);
        if (item->userData == other)
            chosen = item;
        checked += item->userData == editor && item->isChecked() ? 1 : 0;
    }
    EXPECT_EQ(table.item(1)->text, order->getName());
    EXPECT_EQ(checked, 1);
    ASSERT_NE(chosen, nullptr);
    const AM_MenuItem item = *chosen;
    EXPECT_TRUE(order->handleMenuCommand(point, kEditMenuId, true, &item));
    EXPECT_EQ(order->getLinkedEditor(), other);
    EXPECT_EQ(editor->getLinkedView(), nullptr);
    EXPECT_EQ(other->getLinkedView(), static_cast<AM_WaveStepView*>(order));
    EXPECT_EQ(order->getPendingRefreshes(), 16);

    // Data that names none of the GUI's controls attaches nothing.
    AM_Rect nowhere{0, 0, 10, 10};
    AM_MenuItem stray = item;
    stray.userData = &nowhere;
    EXPECT_FALSE(order->handleMenuCommand(point, kEditMenuId, true, &stray));
    EXPECT_EQ(order->getLinkedEditor(), other);
}

TEST_F(MultiOrderTest, ReferencePictures)
{
    AM_WavesetBlock waves;
    for (int w = 0; w < 16; ++w) {
        waves.setY(w, 1, -0.8f + 0.1f * float(w));
        waves.setY(w, 3, 0.7f - 0.05f * float(w));
        waves.setOutWeight(w, 1, AM_WavesetBlock::kWeightSmooth);
    }
    build(waves);
    click(order, centreX(6), 110, 0);
    vm->answer = int32_t(AM_menuCommand(AM_View_MultiOrder::kMorph, 5));
    click(order, centreX(11), 110, kRightButton);
    // Mid-way: the range still highlighted, two thumbnails still to render.
    for (int tick = 0; tick < 3; ++tick)
        order->onTimer();
    // The strip on a panel, moved to the canvas's origin.
    order->moveBy(0, -100, false, false);
    for (float zoom : {1.0f, 2.0f}) {
        testsupport::HeadlessCanvas canvas(200, 24, zoom);
        canvas.begin();
        canvas.context().setColourPacked(0x1E2228FF);
        const AM_Rect all{0, 0, 200, 24};
        canvas.context().fillRect(&all);
        order->draw(&canvas.context());
        EXPECT_EQ(canvas.compare("multiorder_z" + std::to_string(int(zoom)), 1), "");
    }
}

} // namespace
} // namespace editortest
