#include "EditorFixture.h"

#include "gui/editors/AM_View_GenericStep.h"

#include <gtest/gtest.h>

#include <cmath>

namespace editortest {
namespace {

using Seq = BlockInterface::SeqParameter;

class GenericStepTest : public EditorTest {
protected:
    // A 132 x 68 editor on the 16-step block, holding `steps`.
    AM_View_GenericStep* build(const std::vector<float>& steps, Seq block = BlockInterface::kSteps16)
    {
        std::vector<float> all(size_t(interface.block(interface.seq(block)).size() / 4), 0.0f);
        std::copy(steps.begin(), steps.begin() + long(std::min(steps.size(), all.size())),
                  all.begin());
        interface.seed(interface.seq(block), all.data());
        auto* view = make<AM_View_GenericStep>("GenericStep", AM_Rect{0, 0, 132, 68});
        view->setPortParameter(AM_View_GenericStep::kSteps, interface.param(interface.seq(block)));
        interface.engineSetsBlock(interface.seq(block), all.data());
        return view;
    }
    std::vector<float> sent(Seq block = BlockInterface::kSteps16)
    {
        const auto& bytes = interface.block(interface.seq(block));
        std::vector<float> out(bytes.size() / 4);
        std::memcpy(out.data(), bytes.data(), bytes.size());
        return out;
    }
    void command(AM_View_GenericStep* view, uint32_t sub)
    {
        AM_MenuItem item{};
        item.command = AM_menuCommand(sub, kMenuCodeOwnCommand);
        const float p[2] = {10, 10};
        view->handleMenuCommand(p, kRunMenuId, true, &item);
    }
};

TEST_F(GenericStepTest, GeneratorAndStartingState)
{
    // a = 0x3336A4C3, b = 0x8C52F + a: mantissa bits of b.
    const uint32_t a = 0x3336A4C3u, b = (0u ^ 0x8C52Fu) + a;
    const float expected = float(b & 0x7FFFFF) / float(1 << 23);
    EXPECT_FLOAT_EQ(AM_View_GenericStep::nextRandom(), expected);
    AM_View_GenericStep::resetProcessState();
    auto* view = make<AM_View_GenericStep>("GenericStep", AM_Rect{0, 0, 132, 68});
    EXPECT_FLOAT_EQ(view->step(0), 2 * expected - 1);
    EXPECT_EQ(view->stepCount(), 16);
    EXPECT_EQ(view->stepMode(), 2);
    EXPECT_STREQ(view->getTypeName(), "GenericStep");
    EXPECT_STREQ(view->getPortDescriptor(2)->name, "NumSteps");
}

TEST_F(GenericStepTest, CountTableMenuChoosingTwentyFourSetsTwelve)
{
    auto* view = build({});
    view->setPortParameter(AM_View_GenericStep::kNumSteps,
                           interface.param(interface.seq(BlockInterface::kCountTable)));
    EXPECT_TRUE(view->usesCountTable());
    vm->answer = int32_t(AM_menuCommand(100 + 12, kMenuCodeOwnCommand));
    click(view, 50, 30, kRightButton);
    ASSERT_TRUE(vm->hasItem("24"));
    EXPECT_TRUE(vm->hasItem("128"));
    EXPECT_FALSE(vm->hasItem("paste"));
    float stored = 0;
    std::memcpy(&stored, interface.block(interface.seq(BlockInterface::kCountTable)).data(), 4);
    EXPECT_EQ(stored, 12.0f);
    EXPECT_EQ(view->stepCount(), 24);

    // Maxima 16 and 32: no table, the value is the count.
    for (Seq p : {BlockInterface::kCount16, BlockInterface::kCount32}) {
        view->setPortParameter(AM_View_GenericStep::kNumSteps, interface.param(interface.seq(p)));
        EXPECT_FALSE(view->usesCountTable());
        interface.engineSets(interface.seq(p), 7.0f);
        EXPECT_EQ(view->stepCount(), 7);
        vm->answer = 0;
        click(view, 50, 30, kRightButton);
        EXPECT_FALSE(vm->hasItem("24"));
    }
    // A count of 0 (or beyond 128) never reaches the geometry.
    interface.engineSets(interface.seq(BlockInterface::kCount32), 0.0f);
    EXPECT_EQ(view->stepCount(), 1);
    const float huge = 1e9f;
    view->setParameterValue(AM_View_GenericStep::kNumSteps, &huge);
    EXPECT_EQ(view->stepCount(), 128);
}

TEST_F(GenericStepTest, DragAcrossThreeStepsInterpolatesAndAltDrawsZeros)
{
    auto* view = build(std::vector<float>(16, 0.5f));
    const float mode = 0; // hold steps: no playing-step lock
    view->setParameterValue(AM_View_GenericStep::kStepMode, &mode);
    // Edit area 5..127 x 5..63: steps 7 px wide, centre y 34, 29 px per unit.
    auto xOf = [](int s) { return 5 + 7.0f * float(s) + 3; };
    auto yOf = [](float v) { return 34 - 29 * v; };
    gesture(view, {{xOf(2), yOf(-1)}, {xOf(4), yOf(1)}}, 0);
    std::vector<float> out = sent();
    EXPECT_FLOAT_EQ(out[2], -1.0f);
    EXPECT_NEAR(out[3], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(out[4], 1.0f);
    EXPECT_FLOAT_EQ(out[5], 0.5f);

    gesture(view, {{xOf(8), yOf(0.9f)}, {xOf(11), yOf(0.9f)}}, kAltKey);
    out = sent();
    for (int s = 8; s <= 11; ++s)
        EXPECT_EQ(out[size_t(s)], 0.0f) << s;
    EXPECT_FLOAT_EQ(out[12], 0.5f);
    // Beyond the last step nothing is written.
    gesture(view, {{xOf(15), yOf(0.2f)}, {200, yOf(0.2f)}}, 0);
    EXPECT_NEAR(sent()[15], 0.2f, 1e-5);
}

TEST_F(GenericStepTest, SoftenQuantizeNormalizeOnFixtureSteps)
{
    std::vector<float> steps(128, 0.0f);
    steps[3] = 1.0f;
    steps[126] = 0.5f; // beyond the count of 16
    auto* view = build({}, BlockInterface::kSteps128);
    interface.engineSetsBlock(interface.seq(BlockInterface::kSteps128), steps.data());
    command(view, AM_View_GenericStep::kSoften);
    std::vector<float> out = sent(BlockInterface::kSteps128);
    EXPECT_FLOAT_EQ(out[2], 0.2f);
    EXPECT_FLOAT_EQ(out[3], 0.6f);
    EXPECT_FLOAT_EQ(out[4], 0.2f);
    EXPECT_FLOAT_EQ(out[125], 0.1f);
    EXPECT_FLOAT_EQ(out[127], 0.0f); // the ends stay

    command(view, AM_View_GenericStep::kFirstQuantize); // 4 levels per unit
    out = sent(BlockInterface::kSteps128);
    EXPECT_FLOAT_EQ(out[3], 0.5f);  // trunc(1.6 * 4 + 0.5) / 4 - 1
    EXPECT_FLOAT_EQ(out[2], 0.25f); // trunc(1.2 * 4 + 0.5) / 4 - 1
    EXPECT_FLOAT_EQ(out[126], 0.25f); // beyond the count too: 0.3 after soften

    // Normalize over the count: -0.5..0.5 spread to -1..1.
    std::vector<float> ramp(128, 0.25f);
    ramp[0] = -0.5f;
    ramp[1] = 0.5f;
    ramp[20] = 0.9f; // beyond the count: untouched
    interface.engineSetsBlock(interface.seq(BlockInterface::kSteps128), ramp.data());
    view->setParameterValue(AM_View_GenericStep::kNumSteps, &(const float&)16.0f);
    command(view, AM_View_GenericStep::kNormalize);
    out = sent(BlockInterface::kSteps128);
    EXPECT_FLOAT_EQ(out[0], -1.0f);
    EXPECT_FLOAT_EQ(out[1], 1.0f);
    EXPECT_FLOAT_EQ(out[2], 0.5f);
    EXPECT_FLOAT_EQ(out[20], 0.9f);

    // A constant sequence is sent unchanged.
    std::vector<float> flat(128, 0.3f);
    interface.engineSetsBlock(interface.seq(BlockInterface::kSteps128), flat.data());
    const int writes = interface.writesOf(interface.seq(BlockInterface::kSteps128));
    command(view, AM_View_GenericStep::kNormalize);
    EXPECT_EQ(interface.writesOf(interface.seq(BlockInterface::kSteps128)), writes + 1);
    EXPECT_FLOAT_EQ(sent(BlockInterface::kSteps128)[5], 0.3f);
}

TEST_F(GenericStepTest, BlocksAreBoundedByTheViewAndClamped)
{
    auto* view = build({}, BlockInterface::kStepsHuge);
    EXPECT_EQ(view->stepCount(), 128);
    std::vector<float> big(256, 0.25f);
    big[0] = 7.0f;
    big[1] = std::nanf("");
    interface.engineSetsBlock(interface.seq(BlockInterface::kStepsHuge), big.data());
    EXPECT_EQ(view->step(0), 1.0f);
    EXPECT_EQ(view->step(1), 0.0f);
    EXPECT_EQ(view->step(127), 0.25f);
    // Sending keeps the block's bytes beyond the view's 128 steps.
    command(view, AM_View_GenericStep::kReset);
    const std::vector<float> out = sent(BlockInterface::kStepsHuge);
    EXPECT_EQ(out[127], 0.0f);
    EXPECT_EQ(out[200], 0.25f);
}

TEST_F(GenericStepTest, ReferencePicturesOfTheThreeStyles)
{
    std::vector<float> steps(16);
    for (int s = 0; s < 16; ++s)
        steps[size_t(s)] = 0.9f * std::sin(float(s) * 0.45f);
    for (int style = 0; style < 3; ++style) {
        for (float zoom : {1.0f, 2.0f}) {
            auto* view = build(steps);
            view->setColour(colour("st back", 0x1C2026FF), 0);
            view->setColour(colour("st border", 0x5A6470FF), 1);
            view->setColour(colour("st dot", 0xF0F0F0FF), 2);
            view->setColour(colour("st line", 0x50B0F0FF), 3);
            view->setColour(colour("st meter", 0xF0A030FF), 6);
            const float mode = float(style);
            view->setParameterValue(AM_View_GenericStep::kStepMode, &mode);
            EXPECT_EQ(paint(view, 132, 68, "genericstep_style" + std::to_string(style), zoom), "");
            // A parameter shows on a few ports only: leave the place free.
            view->setPortParameter(AM_View_GenericStep::kSteps, nullptr);
        }
    }
}

TEST_F(GenericStepTest, ScriptKeepsTheEditorAndItsBindings)
{
    auto* view = build({});
    view->setPortParameter(AM_View_GenericStep::kNumSteps,
                           interface.param(interface.seq(BlockInterface::kCountTable)));
    const std::string script = writeAndReload();
    EXPECT_NE(script.find("GenericStep"), std::string::npos);
    auto* again = find<AM_View_GenericStep>();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->usesCountTable());
    ASSERT_NE(again->getPort(0)->parameter, nullptr);
}

} // namespace
} // namespace editortest
