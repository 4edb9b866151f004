#include "ControlFixture.h"

#include "gui/controls/AM_View_FaderBox.h"
#include "gui/graphics/AM_Colour.h"

#include <cmath>
#include <limits>

namespace {

using namespace controltest;

class FaderBoxTest : public ControlTest {
protected:
    // The registry's box of 16 at (10, 10), 161 x 103: columns of 159 / 16
    // units from x = 11.5, cells one unit narrower.
    AM_View_FaderBox* box(bool vertical = true)
    {
        AM_View_FaderBox* b = make<AM_View_FaderBox>("FaderBox16", {10, 10, 161, 103});
        b->setVertical(vertical);
        return b;
    }
};

TEST_F(FaderBoxTest, RegistryMakesBoxesOfSixteenFaders)
{
    AM_View_FaderBox* b = box();
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b->getTypeName(), "FaderBox16");
    EXPECT_EQ(std::string(b->getName()), "FaderBox " + std::to_string(b->getId()));
    EXPECT_EQ(b->getFaderCount(), 16);
    ASSERT_EQ(b->getNumPorts(), 17);
    EXPECT_STREQ(b->getPortDescriptor(0)->name, "Hilite Step");
    EXPECT_STREQ(b->getPortDescriptor(1)->name, "Value 1");
    EXPECT_STREQ(b->getPortDescriptor(16)->name, "Value 16");
    ASSERT_EQ(b->getColourCount(), 4);
    EXPECT_STREQ(b->getColourName(3), "Hilite");
    ASSERT_EQ(b->getGraphicCount(), 3);
    EXPECT_STREQ(b->getGraphicName(2), "SliderHandle");
    EXPECT_TRUE(b->hasTimer());
    EXPECT_FALSE(b->acceptsMouseWheel());
    EXPECT_EQ(b->getHighlightedStep(), -1);
    EXPECT_EQ(b->getFactory(), &AM_View_FaderBox::create);
    // Fader ports take continuous parameters, the step port a meter.
    b->setPortParameter(1, interface.param(kLevel));
    EXPECT_EQ(b->getPort(1)->parameter, nullptr);
    b->setPortParameter(0, interface.param(kLevel));
    EXPECT_NE(b->getPort(0)->parameter, nullptr);

    // A box of another count is held to 1..16 faders.
    AM_Rect bounds{0, 0, 50, 50};
    AM_View_FaderBox none(vm.get(), &bounds, 0);
    EXPECT_EQ(none.getFaderCount(), 1);
    AM_View_FaderBox many(vm.get(), &bounds, 40);
    EXPECT_EQ(many.getFaderCount(), 16);
    EXPECT_EQ(many.getFactory(), nullptr);
}

TEST_F(FaderBoxTest, AClickSetsTheFaderUnderThePointerAndGapsChangeNothing)
{
    struct Case {
        const char* what;
        bool vertical;
        float x, y;
        int32_t fader; // -1: nothing changes
        float expected;
    };
    const float column = 159.0f / 16.0f;
    const float row = 101.0f / 16.0f;
    const Case cases[] = {
        // Cell 0 spans [11.5, 20.4375): a quarter down the inner height.
        {"first cell", true, 12, 11 + 101 * 0.25f, 0, 0.75f},
        {"last cell", true, 11.5f + 15 * column + 1, 11, 15, 1.0f},
        {"bottom edge", true, 11.5f + 3 * column + 4, 112, 3, 0.0f},
        {"gap", true, 11.5f + column - 0.5f, 50, -1, 0.0f},
        {"left of the cells", true, 11.2f, 50, -1, 0.0f},
        // Horizontal: rows from y = 11.5, the value along x.
        {"row 2", false, 11 + 159 * 0.4f, 11.5f + 2 * row + 1, 2, 0.4f},
        {"row gap", false, 80, 11.5f + row - 0.5f, -1, 0.0f},
    };
    for (const float zoom : {1.0f, 2.0f}) {
        for (const Case& c : cases) {
            AM_View_FaderBox* b = box(c.vertical);
            gesture(zoom, {{c.x, c.y}});
            for (int32_t k = 0; k < 16; ++k) {
                const float expected = k == c.fader ? c.expected : 0.0f;
                EXPECT_NEAR(b->getFaderValue(k), expected, 1e-4)
                    << c.what << " fader " << k << " zoom " << zoom;
            }
            delete b;
        }
    }
}

TEST_F(FaderBoxTest, ASweepDrawsACurveAndBoundFadersWriteTheirParameters)
{
    AM_View_FaderBox* b = box();
    // Faders 1 and 2 (ports 2 and 3) are bound; fader 2 ranges 0..100.
    b->setPortParameter(2, interface.param(kAttack));
    b->setPortParameter(3, &wide);
    // From the top of fader 0 down to the bottom of fader 3.
    gesture(1.0f, {{15, 11}, {25, 11 + 101 / 3.0f}, {35, 11 + 202 / 3.0f}, {45, 112}});
    EXPECT_NEAR(b->getFaderValue(0), 1.0f, 1e-4);
    EXPECT_NEAR(b->getFaderValue(1), 2.0f / 3.0f, 1e-4);
    EXPECT_NEAR(b->getFaderValue(2), 100.0f / 3.0f, 1e-3);
    EXPECT_NEAR(b->getFaderValue(3), 0.0f, 1e-4);
    EXPECT_NEAR(interface.value(kAttack), 2.0f / 3.0f, 1e-4);
    EXPECT_NEAR(interface.value(kTune), 100.0f / 3.0f, 1e-3);
    // A click in the middle of fader 2 writes 50.
    gesture(1.0f, {{35, 11 + 50.5f}});
    EXPECT_NEAR(interface.value(kTune), 50.0f, 1e-3);
    // The right button only starts MIDI learn of the step port.
    const float point[2] = {15, 50};
    EXPECT_FALSE(b->onMouseDown(point, 2));
    EXPECT_TRUE(interface.learned.empty());
    b->setPortParameter(0, interface.param(kLevel));
    EXPECT_FALSE(b->onMouseDown(point, 2));
    EXPECT_EQ(interface.learned.size(), 1u);
    EXPECT_NEAR(b->getFaderValue(0), 1.0f, 1e-4);
}

TEST_F(FaderBoxTest, TheTimerHighlightsThePositionsStep)
{
    AM_View_FaderBox* b = box();
    b->onTimer();
    EXPECT_EQ(b->getHighlightedStep(), -1);
    b->setPortParameter(0, interface.param(kLevel));
    struct Case {
        float position;
        int32_t step;
    };
    const Case cases[] = {{35, 3}, {3.9f, 3}, {16, 0}, {0, 0}, {-1, -1},
                          {std::numeric_limits<float>::quiet_NaN(), -1}, {1e30f, -1}};
    for (const Case& c : cases) {
        interface.engineSets(kLevel, c.position);
        b->onTimer();
        EXPECT_EQ(b->getHighlightedStep(), c.step) << c.position;
    }
}

TEST_F(FaderBoxTest, EditMenuAndDirectionLine)
{
    AM_View_FaderBox* b = box();
    const AM_ControlMenu items = b->buildEditItems();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].text, "vertical");
    EXPECT_TRUE(items[1].checked);
    AM_MenuItem item;
    item.command = (1u << 16) | 5;
    EXPECT_TRUE(b->handleMenuCommand(nullptr, kEditMenuId, true, &item));
    EXPECT_FALSE(b->isVertical());
    item.command = (7u << 16) | 5;
    EXPECT_TRUE(b->handleMenuCommand(nullptr, kEditMenuId, true, &item));
    EXPECT_FALSE(b->isVertical());

    std::string script;
    b->writeControl(&script);
    EXPECT_NE(script.find("\nPROPERTY control='" + std::string(b->getName()) +
                          "' name='direction' id='0' value='horizontal'"),
              std::string::npos);
    b->setProperty("direction", 0, "vertical");
    EXPECT_TRUE(b->isVertical());

    const std::string text = "CONTROL type='FaderBox16' name='Steps' bounds='0 0 161 103'\n"
                             "PROPERTY control='Steps' name='direction' id='0' value='horizontal'\n";
    vm->parseScript(text.c_str(), static_cast<int32_t>(text.size()), true);
    auto* read = dynamic_cast<AM_View_FaderBox*>(vm->getTopControl()->findByName("Steps"));
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(read->isVertical());
    std::string first;
    read->writeControl(&first);
    read->setProperty("direction", 0, "horizontal");
    std::string second;
    read->writeControl(&second);
    EXPECT_EQ(first, second);
}

TEST_F(FaderBoxTest, FaderBoxesMatchTheirReferencePictures)
{
    AM_ViewControl* root = make<AM_ViewControl>("FaderBox16", {0, 0, 1, 1});
    // A drawn box: a ramp over minimum, middle and maximum, step 5 lit.
    AM_View_FaderBox* ramp = make<AM_View_FaderBox>("FaderBox16", {8, 8, 161, 103});
    for (int32_t k = 0; k < 16; ++k) {
        const float v = k < 3 ? 0.5f * static_cast<float>(k) : static_cast<float>(k % 8) / 7.0f;
        ramp->setParameterValue(k + 1, &v);
    }
    ramp->setPortParameter(0, interface.param(kLevel));
    interface.engineSets(kLevel, 5.0f);
    ramp->onTimer();
    // A box of plain colours whose lit step is at zero: one unit of bar.
    AM_View_FaderBox* coloured = make<AM_View_FaderBox>("FaderBox16", {176, 8, 161, 103});
    AM_Colour background(vm.get(), "fb", 0x262A30FF), border(vm.get(), "ff", 0x8A929CFF),
        bar(vm.get(), "fv", 0x6FB7D9FF), hilite(vm.get(), "fh", 0xFFFFFFFF);
    AM_Colour* colours[] = {&background, &border, &bar, &hilite};
    for (int i = 0; i < 4; ++i)
        coloured->setColour(colours[i], i);
    for (int32_t k = 0; k < 16; ++k) {
        const float v = 0.5f + 0.45f * std::sin(static_cast<float>(k) * 0.7f);
        const float zero = 0.0f;
        coloured->setParameterValue(k + 1, k == 9 ? &zero : &v);
    }
    coloured->setPortParameter(0, interface.param(kLevel));
    interface.engineSets(kLevel, 9.0f);
    coloured->onTimer();
    // A horizontal drawn box.
    AM_View_FaderBox* rows = make<AM_View_FaderBox>("FaderBox16", {344, 8, 120, 103});
    rows->setVertical(false);
    for (int32_t k = 0; k < 16; ++k) {
        const float v = static_cast<float>(k) / 15.0f;
        rows->setParameterValue(k + 1, &v);
    }
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(root, 472, 120, "faderboxes", zoom), "") << zoom;
    for (int i = 0; i < 4; ++i)
        coloured->setColour(nullptr, i);
}

} // namespace
