#include "EditorFixture.h"

#include "gui/editors/AM_EQCurves.h"
#include "gui/editors/AM_View_EQ6_View.h"
#include "gui/editors/AM_View_EQView.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"

#include <gtest/gtest.h>

#include <cmath>

namespace editortest {
namespace {

// A handle: a square with a dark edge.
class HandleGraphic : public AM_Graphic {
public:
    HandleGraphic(AM_GuiServices* services, uint32_t rgba) : AM_Graphic(services, 0), rgba_(rgba)
    {
        setWidth(9);
        setHeight(9);
    }
    void draw(AM_Context* context, const AM_Rect* rect, float value) override
    {
        (void)value;
        context->setColourPacked(rgba_);
        context->fillRect(rect);
        context->setColourPacked(0x101010FF);
        const float edge[8] = {rect->x + 0.5f,           rect->y + 0.5f,
                               rect->x + rect->w - 0.5f, rect->y + 0.5f,
                               rect->x + rect->w - 0.5f, rect->y + rect->h - 0.5f,
                               rect->x + 0.5f,           rect->y + rect->h - 0.5f};
        context->drawPolyline(edge, 4, 1.0f, true);
    }

private:
    uint32_t rgba_;
};

class EQViewTest : public EditorTest {
protected:
    int32_t addEqualiser(int bands) const
    {
        return bands == 4 ? interface.eq4First : interface.eq6First;
    }
    // Binds every port of the view to the equaliser's parameters.
    void bindAll(AM_View_EQBase* view, int32_t first)
    {
        for (int32_t port = 0; port <= view->modePort(); ++port)
            view->setPortParameter(port, interface.param(first + port));
    }
    void giveHandles(AM_View_EQBase* view)
    {
        const uint32_t tints[] = {0xE0A040FF, 0x60C0E0FF, 0x80E080FF, 0xE080C0FF,
                                  0xC0C060FF, 0xA0A0FFFF, 0xF0F0F0FF};
        for (int h = 0; h <= view->bandCount(); ++h) {
            auto* g = new HandleGraphic(vm.get(), h == view->bandCount() ? tints[6] : tints[h]);
            vm->addGraphic(g);
            view->setGraphic(g, h + 1);
        }
    }
    float stored(int32_t index)
    {
        float v = 0;
        std::memcpy(&v, interface.block(index).data(), sizeof v);
        return v;
    }
    // The centre of a handle as drawn.
    std::pair<float, float> centre(AM_View_EQBase* view, int handle)
    {
        AM_Rect r{};
        EXPECT_TRUE(view->handleRect(handle, &r));
        return {r.x + r.w / 2, r.y + r.h / 2};
    }
};

TEST_F(EQViewTest, PortsNamesAndStartingValuesOfBothClasses)
{
    auto* four = make<AM_View_EQView>("EQView", AM_Rect{0, 0, 221, 117});
    auto* six = make<AM_View_EQ6_View>("EQ6_View", AM_Rect{0, 120, 221, 117});
    ASSERT_NE(four, nullptr);
    ASSERT_NE(six, nullptr);
    EXPECT_STREQ(four->getTypeName(), "EQView");
    EXPECT_STREQ(six->getTypeName(), "EQ6_View");
    EXPECT_EQ(four->getNumPorts(), 27);
    EXPECT_EQ(six->getNumPorts(), 39);
    EXPECT_TRUE(four->hasTimer());
    EXPECT_EQ(std::string(four->getName()), "EQView " + std::to_string(four->getId()));

    struct Row {
        AM_View_EQBase* view;
        int32_t port;
        const char* name;
    };
    const Row rows[] = {
        {four, 0, "Freq LowShelf"},   {four, 2, "Freq Mid2"},      {four, 3, "Freq HiShelf"},
        {four, 4, "Gain LowShelf"},   {four, 8, "S/Q Low"},        {four, 9, "Q Mid1"},
        {four, 11, "S/Q High"},       {four, 12, "Output Gain"},   {four, 13, "Freq LowShelf M"},
        {four, 25, "Output Gain M"},  {four, 26, "EQ Mode"},       {six, 4, "Freq Mid4"},
        {six, 5, "Freq HiShelf"},     {six, 9, "Gain Mid3"},       {six, 17, "S/Q High"},
        {six, 18, "Output Gain"},     {six, 19, "Freq LowShelf M"}, {six, 37, "Output Gain M"},
        {six, 38, "EQ Mode"},
    };
    for (const Row& row : rows)
        EXPECT_STREQ(row.view->getPortDescriptor(row.port)->name, row.name) << row.port;
    EXPECT_EQ(four->getPortDescriptor(12)->types[0], uint32_t(k_kindFloat));
    EXPECT_EQ(four->getPortDescriptor(13)->types[0], uint32_t(k_meter));
    EXPECT_EQ(four->getPortDescriptor(26)->types[0], uint32_t(k_kindInteger));

    const float fourStart[] = {20, 40, 60, 80};
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(four->value(b), fourStart[b]);
        EXPECT_EQ(four->value(four->currentPort(b)), fourStart[b]);
    }
    const float sixSet[] = {0, 20, 40, 60, 80, 100};
    const float sixCurrent[] = {20, 40, 60, 80, 20, 40};
    for (int b = 0; b < 6; ++b) {
        EXPECT_EQ(six->value(b), sixSet[b]);
        EXPECT_EQ(six->value(six->currentPort(b)), sixCurrent[b]);
    }
    EXPECT_EQ(four->getGraphicCount(), 6);
    EXPECT_EQ(six->getGraphicCount(), 8);
    EXPECT_STREQ(six->getGraphicName(7), "EQ6_ViewGainHandle");
    EXPECT_STREQ(four->getColourName(3), "Meter");
    // Only the settings have value storage.
    EXPECT_NE(four->getValuePointer(12), nullptr);
    EXPECT_EQ(four->getValuePointer(13), nullptr);
    EXPECT_EQ(four->getValuePointer(26), nullptr);
}

TEST_F(EQViewTest, HandleDragSetsFrequencyAndGainHeldToTheirRanges)
{
    const int32_t first = addEqualiser(4);
    auto* view = make<AM_View_EQView>("EQView", AM_Rect{10, 20, 221, 117});
    bindAll(view, first);
    giveHandles(view);
    for (int b = 0; b < 4; ++b) {
        const float f = 20.0f * float(b + 1);
        view->setValueFromUser(b, &f);
    }
    struct Case {
        float x, y;
        float frequency, gain;
    };
    const float middle = 20 + 58; // gain 0
    const Case cases[] = {
        {20 + 2 * 30.0f, middle - 2 * 6.0f, 30.0f, 6.0f},
        {20 + 2 * 75.5f, middle + 2 * 10.0f, 75.5f, -10.0f},
        {0.0f, 0.0f, 0.0f, 24.0f},     // beyond the left and top edges
        {400.0f, 300.0f, 100.0f, -24.0f}, // beyond left + 210 and the bottom
    };
    for (const Case& c : cases) {
        const auto [hx, hy] = centre(view, 1);
        gesture(view, {{hx, hy}, {c.x, c.y}}, 0);
        EXPECT_FLOAT_EQ(stored(first + 1), c.frequency);
        EXPECT_FLOAT_EQ(stored(first + 4 + 1), c.gain);
        EXPECT_FLOAT_EQ(view->value(1), c.frequency);
        EXPECT_EQ(view->grabbed(), -1);
    }
    // The handle is drawn where the drag left it, so a press there hits it.
    const float at[2] = {20 + 2 * 100.0f, middle + 2 * 24.0f};
    EXPECT_EQ(view->handleAt(at), 1);

    // With the secondary button the drag edits the width: up raises it.
    const float w = 10.0f;
    view->setParameterValue(9, &w);
    const auto [wx, wy] = centre(view, 1);
    gesture(view, {{wx, wy}, {wx, wy - 15}, {wx, wy - 20}}, kRightButton);
    EXPECT_FLOAT_EQ(stored(first + 8 + 1), 30.0f);
    EXPECT_EQ(vm->menusShown, 0); // a handle takes the press, no menu
}

TEST_F(EQViewTest, OutputGainHandleIsClampedWhereDrawnAndDragsRelatively)
{
    const int32_t first = addEqualiser(4);
    auto* view = make<AM_View_EQView>("EQView", AM_Rect{0, 0, 221, 117});
    bindAll(view, first);
    giveHandles(view);
    const float thirty = 30.0f;
    view->setParameterValue(12, &thirty);
    AM_Rect r{};
    ASSERT_TRUE(view->handleRect(4, &r));
    EXPECT_FLOAT_EQ(r.y + r.h / 2, 58.0f - 56.0f); // shown as 28
    EXPECT_FLOAT_EQ(r.x, 221.0f - 9.0f);
    const float minus = -40.0f;
    view->setParameterValue(12, &minus);
    ASSERT_TRUE(view->handleRect(4, &r));
    EXPECT_FLOAT_EQ(r.y + r.h / 2, 58.0f + 56.0f);

    const float zero = 0.0f;
    view->setParameterValue(12, &zero);
    const auto [x, y] = centre(view, 4);
    gesture(view, {{x, y}, {x, y - 10}, {x, y - 10}}, 0);
    EXPECT_FLOAT_EQ(stored(first + 12), 5.0f);
    gesture(view, {{x, y - 10}, {x, y - 200}}, 0);
    EXPECT_FLOAT_EQ(stored(first + 12), 36.0f);
    gesture(view, {{x, 2}, {x, 400}}, 0);
    EXPECT_FLOAT_EQ(stored(first + 12), -36.0f);
}

TEST_F(EQViewTest, AltClickTakesOverTheCurrentValues)
{
    const int32_t first = addEqualiser(4);
    auto* view = make<AM_View_EQView>("EQView", AM_Rect{0, 0, 221, 117});
    // Settings bound; of the meters only the first frequency.
    for (int32_t port = 0; port < 13; ++port)
        view->setPortParameter(port, interface.param(first + port));
    view->setPortParameter(13, interface.param(first + 13));
    interface.engineSets(first + 13, 33.0f);
    view->onTimer();
    EXPECT_EQ(view->value(13), 33.0f);
    click(view, 100, 50, kAltKey);
    EXPECT_FLOAT_EQ(stored(first + 0), 33.0f);
    EXPECT_FLOAT_EQ(stored(first + 1), 40.0f); // unbound meter: its starting value
    EXPECT_FLOAT_EQ(stored(first + 3), 80.0f);
    EXPECT_FLOAT_EQ(stored(first + 4), 0.0f);
}

TEST_F(EQViewTest, TimerPollsOnlyBoundMeters)
{
    const int32_t first = addEqualiser(6);
    auto* view = make<AM_View_EQ6_View>("EQ6_View", AM_Rect{0, 0, 221, 117});
    view->setPortParameter(19 + 7, interface.param(first + 19 + 7)); // "Gain Mid1 M"
    interface.engineSets(first + 19 + 7, 12.0f);
    interface.engineSets(first + 19 + 8, 5.0f); // unbound
    view->onTimer();
    EXPECT_EQ(view->value(19 + 7), 12.0f);
    EXPECT_EQ(view->value(19 + 8), 0.0f);
    EXPECT_EQ(interface.writes.size(), 0u); // polling never writes
}

TEST_F(EQViewTest, MenuItemsModesAndPerClassClipboards)
{
    const int32_t four = addEqualiser(4);
    const int32_t six = addEqualiser(6);
    auto* view = make<AM_View_EQView>("EQView", AM_Rect{0, 0, 221, 117});
    auto* other = make<AM_View_EQ6_View>("EQ6_View", AM_Rect{0, 120, 221, 117});

    // Without a bound mode port: no mode items.
    click(view, 100, 100, kRightButton);
    EXPECT_EQ(vm->texts(), (std::vector<std::string>{"copy", "paste", "-", "clear"}));
    bindAll(view, four);
    bindAll(other, six);
    click(view, 100, 100, kRightButton);
    EXPECT_EQ(vm->texts(), (std::vector<std::string>{"copy", "paste", "-", "clear", "-", "EQ",
                                                      "Peaks", "Filter", "Bandpasses",
                                                      "panned BPs"}));
    EXPECT_EQ(vm->items[9].command, 0x80005);
    click(other, 100, 220, kRightButton);
    EXPECT_EQ(vm->texts(), (std::vector<std::string>{"copy", "paste", "-", "clear", "-", "EQ"}));

    vm->answer = 0x60005; // "Filter"
    click(view, 100, 100, kRightButton);
    EXPECT_EQ(stored(four + 26), 2.0f);
    EXPECT_EQ(view->mode(), 2);

    // Copy from the four-band view; the six-band view's clipboard is its own.
    const float g = 7.5f;
    view->setValueFromUser(5, &g);
    vm->answer = 0x10005;
    click(view, 100, 100, kRightButton);
    vm->answer = 0x20005;
    click(other, 100, 220, kRightButton);
    EXPECT_EQ(stored(six + 7), 0.0f);
    EXPECT_EQ(stored(six + 0), 0.0f);
    // Pasting into another four-band view takes every setting.
    auto* second = make<AM_View_EQView>("EQView", AM_Rect{230, 0, 221, 117});
    click(second, 330, 100, kRightButton);
    EXPECT_EQ(second->value(5), 7.5f);

    // Clear: the bound settings to their defaults.
    vm->answer = 0x30005;
    click(view, 100, 100, kRightButton);
    EXPECT_EQ(stored(four + 1), 50.0f);
    EXPECT_EQ(stored(four + 5), 0.0f);
    EXPECT_EQ(stored(four + 9), 10.0f);
    EXPECT_EQ(view->value(1), 50.0f);

    // The edit menu's own code is consumed without effect.
    AM_MenuItem item{};
    item.command = 0x40005;
    const float p[2] = {1, 1};
    EXPECT_TRUE(view->handleMenuCommand(p, kEditMenuId, true, &item));
    EXPECT_EQ(view->mode(), 2);
}

// The curve of set values is the baseline plus the shapes of the mode.
TEST_F(EQViewTest, CurvesFollowTheModeTable)
{
    auto* view = make<AM_View_EQView>("EQView", AM_Rect{4, 6, 221, 117});
    auto* six = make<AM_View_EQ6_View>("EQ6_View", AM_Rect{4, 130, 221, 117});
    const float values[][2] = {{5, 6.0f}, {6, -4.0f}, {9, 40.0f}, {7, 3.0f}};
    for (const auto& v : values)
        view->setParameterValue(int32_t(v[0]), &v[1]);

    auto expected = [&](int mode, bool current, float outputGain) {
        AM_EQPoint pts[kEQPoints];
        const AM_Rect b = view->getBounds();
        float base = mode >= 2 ? b.y + b.h - 10 : b.y + (b.h - 1) / 2 - (current ? 2 * outputGain : 0);
        layoutEQPoints(pts, kEQPoints, b, base);
        AM_EQShape shapes[kEQMaxBands];
        eqBandShapes(mode, 4, shapes);
        for (int band = 0; band < 4; ++band) {
            const int32_t off = current ? 13 : 0;
            float gain = view->value(off + 4 + band) + (current && mode >= 2 ? outputGain : 0);
            addEQShape(shapes[band], pts, kEQPoints, view->value(off + band), 2 * gain,
                       view->value(off + 8 + band));
        }
        return std::vector<float>{[&] {
            std::vector<float> ys;
            for (const AM_EQPoint& p : pts)
                ys.push_back(p.y);
            return ys;
        }()};
    };
    auto built = [&](bool current) {
        AM_EQPoint pts[kEQPoints];
        view->buildCurve(pts, current);
        std::vector<float> ys;
        for (const AM_EQPoint& p : pts)
            ys.push_back(p.y);
        EXPECT_FLOAT_EQ(pts[100].x, 4 + 10 + 200);
        return ys;
    };
    for (int mode = 0; mode <= 5; ++mode) {
        const float m = float(mode);
        view->setParameterValue(26, &m);
        EXPECT_TRUE(view->curveDirty());
        EXPECT_EQ(built(false), expected(mode, false, 0)) << mode;
    }
    // Mode 4 is drawn as mode 3.
    const float three = 3, four = 4;
    view->setParameterValue(26, &three);
    const std::vector<float> bandpasses = built(false);
    view->setParameterValue(26, &four);
    EXPECT_EQ(built(false), bandpasses);

    // The current curve rides on the current output gain.
    const float outGain = 5.0f, gain = 3.0f;
    view->setParameterValue(25, &outGain);
    view->setParameterValue(13 + 5, &gain);
    for (int mode : {0, 2}) {
        const float m = float(mode);
        view->setParameterValue(26, &m);
        EXPECT_EQ(built(true), expected(mode, true, 5.0f)) << mode;
    }

    // In the six-band view the modes other than "EQ" leave out Mid4 and
    // HiShelf.
    const float one = 1;
    six->setParameterValue(38, &one);
    AM_EQPoint before[kEQPoints];
    six->buildCurve(before, false);
    const float loud = 20.0f;
    six->setParameterValue(10, &loud); // "Gain Mid4"
    six->setParameterValue(11, &loud); // "Gain HiShelf"
    AM_EQPoint after[kEQPoints];
    six->buildCurve(after, false);
    for (int i = 0; i < kEQPoints; ++i)
        EXPECT_EQ(before[i].y, after[i].y);
    const float zero = 0;
    six->setParameterValue(38, &zero);
    six->buildCurve(after, false);
    EXPECT_LT(after[80].y, before[80].y - 30); // Mid4 at 80 lifts the curve
}

TEST_F(EQViewTest, ReferencePictures)
{
    const std::pair<const char*, const char*> kinds[] = {{"EQView", "eqview"},
                                                         {"EQ6_View", "eq6view"}};
    for (const auto& [type, picture] : kinds) {
        for (float zoom : {1.0f, 2.0f}) {
            SCOPED_TRACE(std::string(picture) + " zoom " + std::to_string(int(zoom)));
            auto* view = make<AM_View_EQBase>(type, AM_Rect{4, 4, 221, 117});
            view->setColour(colour("eq back", 0x1C2026FF), 0);
            view->setColour(colour("eq border", 0x5A6470FF), 1);
            view->setColour(colour("eq value", 0xF0C050FF), 2);
            view->setColour(colour("eq meter", 0x50B0F0FF), 3);
            giveHandles(view);
            const int bands = view->bandCount();
            for (int b = 0; b < bands; ++b) {
                const float gain = b % 2 == 0 ? 6.0f : -5.0f;
                const float q = 20.0f + 10.0f * float(b);
                const float cur = gain * 0.6f;
                view->setParameterValue(bands + b, &gain);
                view->setParameterValue(2 * bands + b, &q);
                view->setParameterValue(view->currentPort(bands + b), &cur);
                view->setParameterValue(view->currentPort(2 * bands + b), &q);
            }
            const float out = 4.0f;
            view->setParameterValue(view->outputGainPort(), &out);
            view->setParameterValue(view->currentPort(view->outputGainPort()), &out);
            EXPECT_EQ(paint(view, 229, 125, picture, zoom), "");
            view->setDisposeFlag(true, false);
            delete view;
        }
    }
}

TEST_F(EQViewTest, ScriptKeepsBothViewsAndTheirBindings)
{
    const int32_t first = addEqualiser(4);
    auto* view = make<AM_View_EQView>("EQView", AM_Rect{0, 0, 221, 117});
    make<AM_View_EQ6_View>("EQ6_View", AM_Rect{0, 120, 221, 117});
    bindAll(view, first);
    const std::string script = writeAndReload();
    EXPECT_NE(script.find("EQView"), std::string::npos);
    auto* again = find<AM_View_EQView>();
    ASSERT_NE(again, nullptr);
    EXPECT_NE(find<AM_View_EQ6_View>(), nullptr);
    ASSERT_NE(again->getPort(26)->parameter, nullptr);
    EXPECT_EQ(again->getPort(26)->parameter->index, uint32_t(first + 26));
}

} // namespace
} // namespace editortest
