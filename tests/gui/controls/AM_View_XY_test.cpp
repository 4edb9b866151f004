#include "MetaFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_XY.h"
#include "gui/controls/AM_XYWizard.h"
#include "gui/graphics/AM_Graphic.h"

#include <cmath>
#include <limits>

namespace {

using namespace controltest;

class XYTest : public MetaTest {
protected:
    // A pad whose handle travels 100 units on each axis, bound to the axes
    // of pad `pad`.
    AM_View_XY* boundPad(int pad = 2)
    {
        AM_View_XY* xy = make<AM_View_XY>("XY", {10, 10, 107, 107});
        const std::string n = std::to_string(pad);
        xy->setPortParameter(AM_View_XY::kXPort, param("PCore", ("X_" + n).c_str()));
        xy->setPortParameter(AM_View_XY::kYPort, param("PCore", ("Y_" + n).c_str()));
        return xy;
    }
    void press(AM_View_XY* xy, std::initializer_list<std::pair<float, float>> points,
               uint32_t flags = 0)
    {
        auto it = points.begin();
        const float down[2] = {it->first, it->second};
        xy->handleMouseDown(down, flags, 0);
        float last[2] = {down[0], down[1]};
        for (++it; it != points.end(); ++it) {
            last[0] = it->first;
            last[1] = it->second;
            xy->handleMouseDrag(last, flags, 0);
        }
        xy->handleMouseUp(last, flags, 0);
    }
};

TEST_F(XYTest, RegistryMakesPadsWithTheirPortsAndSlots)
{
    AM_View_XY* xy = make<AM_View_XY>("XY", {0, 0, 167, 167});
    ASSERT_NE(xy, nullptr);
    EXPECT_STREQ(xy->getTypeName(), "XY");
    EXPECT_EQ(xy->getFactory(), &AM_View_XY::create);
    ASSERT_EQ(xy->getNumPorts(), 2);
    EXPECT_STREQ(xy->getPortDescriptor(0)->name, "X Value");
    EXPECT_STREQ(xy->getPortDescriptor(1)->name, "Y Value");
    ASSERT_EQ(xy->getColourCount(), 3);
    EXPECT_STREQ(xy->getColourName(0), "Background");
    EXPECT_STREQ(xy->getColourName(1), "Border");
    EXPECT_STREQ(xy->getColourName(2), "Value");
    ASSERT_EQ(xy->getGraphicCount(), 2);
    EXPECT_STREQ(xy->getGraphicName(0), "XYBackground");
    EXPECT_STREQ(xy->getGraphicName(1), "XYPuck");
    EXPECT_FLOAT_EQ(xy->getXMinimum(), -100.0f);
    EXPECT_FLOAT_EQ(xy->getYMaximum(), 100.0f);
    EXPECT_EQ(xy->getPadNumber(), -1);
}

TEST_F(XYTest, BindingTakesTheRangesAndThePadNumber)
{
    AM_View_XY* xy = make<AM_View_XY>("XY", {0, 0, 167, 167});
    xy->setPortParameter(AM_View_XY::kXPort, interface.param(kWave));
    EXPECT_EQ(xy->getPort(0)->parameter, nullptr) << "a list parameter is refused";
    xy->setPortParameter(AM_View_XY::kXPort, param("VCF1", "Cut"));
    xy->setPortParameter(AM_View_XY::kYPort, param("ENV1", "Sus"));
    EXPECT_FLOAT_EQ(xy->getXMaximum(), 127.0f);
    EXPECT_FLOAT_EQ(xy->getYMinimum(), 0.0f);
    EXPECT_EQ(xy->getPadNumber(), -1) << "Cut does not name a pad";
    xy->setPortParameter(AM_View_XY::kXPort, param("PCore", "X_3"));
    EXPECT_EQ(xy->getPadNumber(), 3);

    const struct {
        const char* name;
        int32_t pad;
    } names[] = {{"X_1", 1}, {"X_4", 4},   {"X_0", -1},        {"Y_2", -1},
                 {"X_", -1}, {"X_-2", -1}, {"X_99999", 99999}, {"X_999999", 999999}};
    for (const auto& c : names)
        EXPECT_EQ(AM_View_XY::padNumberOf(c.name), c.pad) << c.name;
    const char unterminated[8] = {'X', '_', '1', '2', '3', '4', '5', '6'};
    EXPECT_EQ(AM_View_XY::padNumberOf(unterminated), 123456);
}

TEST_F(XYTest, DraggingMovesBothParametersWithinThePad)
{
    // The handle's travel starts 3 px in and is 7 px shorter than the side;
    // points outside pin it to the nearest edge.
    const struct {
        float x, y;
        float xValue, yValue;
    } cases[] = {
        {13, 113, -100, -100}, {113, 13, 100, 100},  {63, 63, 0, 0},       {38, 88, -50, -50},
        {88, 38, 50, 50},      {0, 500, -100, -100}, {500, -50, 100, 100}, {10, 38, -100, 50},
    };
    AM_View_XY* xy = boundPad(2);
    for (const auto& c : cases) {
        press(xy, {{c.x, c.y}});
        EXPECT_FLOAT_EQ(meta.valueOf("PCore", "X_2"), c.xValue) << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(meta.valueOf("PCore", "Y_2"), c.yValue) << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(xy->getXValue(), c.xValue);
        EXPECT_FLOAT_EQ(xy->getYValue(), c.yValue);
    }

    // A drag along one axis sends only that axis, bracketed by the host's
    // edits of both ports.
    press(xy, {{63, 63}});
    meta.writes.clear();
    meta.edits.clear();
    press(xy, {{63, 63}, {73, 63}, {83, 63}});
    const int32_t x = meta.indexOf("PCore", "X_2");
    for (const int32_t written : meta.writes)
        EXPECT_EQ(written, x);
    EXPECT_EQ(meta.writes.size(), 2u);
    EXPECT_FLOAT_EQ(meta.valueOf("PCore", "X_2"), 40.0f);
    EXPECT_EQ(meta.edits.size(), 4u);
}

TEST_F(XYTest, DraggingThroughTheViewManagerAtZoomTwo)
{
    AM_View_XY* xy = boundPad(1);
    gesture(2.0f, {{38, 88}, {88, 38}});
    EXPECT_FLOAT_EQ(meta.valueOf("PCore", "X_1"), 50.0f);
    EXPECT_FLOAT_EQ(meta.valueOf("PCore", "Y_1"), 50.0f);
    EXPECT_FLOAT_EQ(xy->getXValue(), 50.0f);
}

TEST_F(XYTest, DoubleClickRestoresBothDefaults)
{
    AM_View_XY* xy = make<AM_View_XY>("XY", {10, 10, 107, 107});
    xy->setPortParameter(AM_View_XY::kXPort, param("VCF1", "Cut"));
    xy->setPortParameter(AM_View_XY::kYPort, param("ENV2", "Dec"));
    press(xy, {{113, 113}});
    EXPECT_FLOAT_EQ(meta.valueOf("VCF1", "Cut"), 127.0f);
    EXPECT_FLOAT_EQ(meta.valueOf("ENV2", "Dec"), 0.0f);
    const float point[2] = {20, 20};
    xy->onDoubleClick(point, 0);
    EXPECT_FLOAT_EQ(meta.valueOf("VCF1", "Cut"), 64.0f);
    EXPECT_FLOAT_EQ(meta.valueOf("ENV2", "Dec"), 50.0f);
}

TEST_F(XYTest, EmptyRangesAndTinyPadsNeverDivide)
{
    AM_ParamInfo flat = *param("VCF1", "Cut");
    flat.min = flat.max = flat.defaultValue = 5.0f;
    AM_View_XY* tiny = make<AM_View_XY>("XY", {0, 0, 7, 4});
    tiny->setPortParameter(AM_View_XY::kXPort, &flat);
    const float point[2] = {3, 2};
    tiny->handleMouseDown(point, 0, 0);
    tiny->handleMouseUp(point, 0, 0);
    EXPECT_FLOAT_EQ(meta.valueOf("VCF1", "Cut"), 5.0f);
    EXPECT_FLOAT_EQ(tiny->getYValue(), -100.0f) << "no travel pins the handle low";
    float x = -1, y = -1;
    tiny->handleOrigin(7, 7, &x, &y);
    EXPECT_TRUE(std::isfinite(x) && std::isfinite(y));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    tiny->setParameterValue(AM_View_XY::kXPort, &nan);
    tiny->handleOrigin(7, 7, &x, &y);
    EXPECT_FLOAT_EQ(x, 0.0f);
    tiny->setPortParameter(AM_View_XY::kXPort, nullptr);
}

TEST_F(XYTest, RunMenuLearnsPerAxisAndOffersTheWizard)
{
    AM_View_XY* xy = make<AM_View_XY>("XY", {10, 10, 107, 107});
    xy->setPortParameter(AM_View_XY::kXPort, param("PCore", "X_1"));
    vm->answerText = "MidiLearn Y Axis";
    const float point[2] = {50, 50};
    xy->handleMouseDown(point, 2, 0);
    xy->handleMouseUp(point, 2, 0);
    std::vector<std::string> texts;
    for (const auto& item : vm->items)
        texts.push_back(item.text);
    const std::vector<std::string> expected = {
        "MidiLearn X Axis", "MidiLearn Y Axis", "-", "Filters", "FilterMod", "EnvSpeed", "EnvDyn"};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(vm->items[0].command, static_cast<int32_t>(AM_controlCommand(1)));
    EXPECT_EQ(vm->items[6].command, static_cast<int32_t>(AM_controlCommand(1003)));
    EXPECT_TRUE(meta.learned.empty()) << "the Y axis is unbound";

    vm->answerText = "MidiLearn X Axis";
    xy->handleMouseDown(point, 2, 0);
    xy->handleMouseUp(point, 2, 0);
    ASSERT_EQ(meta.learned.size(), 1u);
    EXPECT_EQ(meta.learned[0].first, param("PCore", "X_1"));
    EXPECT_FLOAT_EQ(meta.valueOf("PCore", "X_1"), 0.0f) << "the right button moves nothing";

    EXPECT_TRUE(xy->handleMenuCommand(point, kControlRunMenu, false, nullptr));
    AM_MenuItem other;
    other.command = AM_controlCommand(1000, 6);
    EXPECT_TRUE(xy->handleMenuCommand(point, kControlRunMenu, true, &other));
    EXPECT_FLOAT_EQ(meta.slot("MT", 1, 1), -1.0f) << "another code runs no wizard";
}

TEST_F(XYTest, WizardFillsTheMetaSlotsOfItsPad)
{
    testsupport::TraceCapture trace;
    AM_View_XY* xy = boundPad(2);
    meta.engineSets(meta.indexOf("VCF2", "Res"), 80.0f);
    vm->answerText = "Filters";
    const float point[2] = {50, 50};
    xy->handleMouseDown(point, 2, 0);
    xy->handleMouseUp(point, 2, 0);

    // Pad 2: X rows go to meta 3, Y rows to meta 4, slots in table order.
    for (int32_t s = 1; s <= 4; ++s) {
        const std::string vcf = "VCF" + std::to_string(s);
        EXPECT_FLOAT_EQ(meta.slot("MT", 3, s), float(meta.indexOf(vcf.c_str(), "Res"))) << s;
        EXPECT_FLOAT_EQ(meta.slot("MT", 4, s), float(meta.indexOf(vcf.c_str(), "Cut"))) << s;
        // Cut 0..127 at 64: +50 % reaches 127 (clipped), -50 % reaches 0.5.
        EXPECT_FLOAT_EQ(meta.slot("ML", 4, s), 63.0f) << s;
        EXPECT_FLOAT_EQ(meta.slot("MR", 4, s), -63.5f) << s;
    }
    // Res 0..100 at 0 (VCF2 at 80): +50 % and -100 %, clipped to the range.
    EXPECT_FLOAT_EQ(meta.slot("ML", 3, 1), 50.0f);
    EXPECT_FLOAT_EQ(meta.slot("MR", 3, 1), 0.0f);
    EXPECT_FLOAT_EQ(meta.slot("ML", 3, 2), 20.0f);
    EXPECT_FLOAT_EQ(meta.slot("MR", 3, 2), -80.0f);
    for (int32_t s = 5; s <= 8; ++s) {
        EXPECT_FLOAT_EQ(meta.slot("MT", 3, s), -1.0f) << s;
        EXPECT_FLOAT_EQ(meta.slot("MT", 4, s), -1.0f) << s;
    }
    EXPECT_FLOAT_EQ(meta.slot("MT", 1, 1), -1.0f) << "other pads' metas stay";
    EXPECT_EQ(meta.text("ZMas", "XY2L"), "Filters");
    EXPECT_EQ(meta.text("ZMas", "XY2T"), "Cutoff & Resonance");
    EXPECT_EQ(meta.text("ZMas", "XY1L"), "");
    EXPECT_TRUE(trace.contains("XY Setup: MT31 - ML31 - MR31 -> VCF1 Resonance\n"));
    EXPECT_TRUE(trace.contains("XY Setup: MT44 - ML44 - MR44 -> VCF4 Cutoff\n"));
    EXPECT_TRUE(trace.contains("setting MT41 to "));
}

TEST_F(XYTest, WizardTablesNameTheirTargets)
{
    const struct {
        uint32_t sub;
        const char* label;
        const char* title;
        const char* x;
        const char* y;
    } tables[] = {
        {1000, "Filters", "Cutoff & Resonance", "Res", "Cut"},
        {1001, "FilterMod", "Filter Modulation", "FM1", "FM2"},
        {1002, "EnvSpeed", "Envelope Decay & Release Times", "Dec", "Rel"},
        {1003, "EnvDyn", "Envelope Velocity & Sustain", "Vel", "Sus"},
    };
    AM_View_XY* xy = boundPad(4);
    for (const auto& t : tables) {
        xy->runWizard(t.sub);
        const char* module = t.sub < 1002 ? "VCF3" : "ENV3";
        EXPECT_FLOAT_EQ(meta.slot("MT", 7, 3), float(meta.indexOf(module, t.x))) << t.label;
        EXPECT_FLOAT_EQ(meta.slot("MT", 8, 3), float(meta.indexOf(module, t.y))) << t.label;
        EXPECT_EQ(meta.text("ZMas", "XY4L"), t.label);
        EXPECT_EQ(meta.text("ZMas", "XY4T"), t.title);
    }
    // EnvSpeed's release: 0..100 at 50, +50 % to 100, -25 % to 25.
    xy->runWizard(1002);
    EXPECT_FLOAT_EQ(meta.slot("ML", 8, 1), 50.0f);
    EXPECT_FLOAT_EQ(meta.slot("MR", 8, 1), -25.0f);
}

TEST_F(XYTest, WizardReportsWhatItCannotDo)
{
    AM_View_XY* unnamed = make<AM_View_XY>("XY", {0, 0, 50, 50});
    {
        testsupport::TraceCapture trace;
        unnamed->runWizard(1000);
        EXPECT_TRUE(trace.contains("XY Wizard: Meta out of range...\n"));
        EXPECT_EQ(trace.count("Meta out of range"), 1) << "the wizard stops at the first row";
        unnamed->runWizard(999);
        unnamed->runWizard(1004);
        EXPECT_EQ(trace.count("NO WIZARD SELECTED\n"), 2);
    }
    EXPECT_EQ(meta.text("ZMas", "XY1L"), "");

    AM_View_XY* xy = boundPad(1);
    {
        // Inactive modules are skipped: with no Y row left the labels and
        // the remaining slots stay as they were.
        testsupport::TraceCapture trace;
        for (const char* module : {"VCF1", "VCF2", "VCF3", "VCF4"})
            meta.setActive(module, false);
        meta.engineSets(meta.indexOf("PCore", "MT18"), 12.0f);
        xy->runWizard(1001);
        EXPECT_EQ(trace.count("XY Wizard: Module inactive: VCF"), 8);
        EXPECT_FLOAT_EQ(meta.slot("MT", 1, 1), -1.0f);
        EXPECT_FLOAT_EQ(meta.slot("MT", 1, 8), 12.0f);
        EXPECT_EQ(meta.text("ZMas", "XY1L"), "");
    }
    {
        // Two active filters fill two slots per axis and clear the rest.
        testsupport::TraceCapture trace;
        meta.setActive("VCF2", true);
        meta.setActive("VCF4", true);
        xy->runWizard(1001);
        EXPECT_FLOAT_EQ(meta.slot("MT", 1, 1), float(meta.indexOf("VCF2", "FM1")));
        EXPECT_FLOAT_EQ(meta.slot("MT", 2, 2), float(meta.indexOf("VCF4", "FM2")));
        EXPECT_FLOAT_EQ(meta.slot("MT", 1, 3), -1.0f);
        EXPECT_FLOAT_EQ(meta.slot("MT", 1, 8), -1.0f);
        EXPECT_EQ(meta.text("ZMas", "XY1L"), "FilterMod");
    }
}

TEST_F(XYTest, WizardStopsWhereTheMetaParametersEnd)
{
    // Four slots per meta and no label module.
    MetaInterface small(MetaInterface::Options{4, false});
    {
        testsupport::TraceCapture trace;
        EXPECT_FALSE(AM_XYWizard::run(&small, 1, 1002));
        EXPECT_TRUE(trace.contains("XY Wizard: Can't find X meta parameters for clearing...\n"));
        EXPECT_FLOAT_EQ(small.slot("MT", 1, 3), float(small.indexOf("ENV3", "Dec")));
    }
    {
        // Four X rows need a fourth slot.
        testsupport::TraceCapture trace;
        MetaInterface tiny(MetaInterface::Options{2, true});
        EXPECT_FALSE(AM_XYWizard::run(&tiny, 3, 1003));
        EXPECT_TRUE(trace.contains("XY Wizard: Can't find meta parameters...\n"));
        EXPECT_FLOAT_EQ(tiny.slot("MT", 5, 2), float(tiny.indexOf("ENV2", "Vel")));
        EXPECT_EQ(tiny.text("ZMas", "XY3L"), "") << "a stopped table labels nothing";
    }
    {
        testsupport::TraceCapture trace;
        EXPECT_FALSE(AM_XYWizard::run(&small, 5, 1000));
        EXPECT_FALSE(AM_XYWizard::run(&small, -3, 1000));
        EXPECT_FALSE(AM_XYWizard::run(&small, std::numeric_limits<int32_t>::max(), 1000));
        EXPECT_EQ(trace.count("XY Wizard: Meta out of range...\n"), 3);
        EXPECT_FALSE(AM_XYWizard::run(nullptr, 1, 1000));
    }
}

TEST_F(XYTest, ScriptLinesRoundTrip)
{
    const std::string first =
        reload("CONTROL type='XY' name='Pad' bounds='10 10 167 167'\n"
               "PARAMETER control='Pad' port='X Value' module='PCore' parameter='X_2'\n"
               "PARAMETER control='Pad' port='Y Value' module='PCore' parameter='Y_2'\n"
               "PROPERTY control='Pad' name='colours' id='1' value='white'\n");
    AM_ViewControl* top = vm->getTopControl();
    ASSERT_NE(top, nullptr);
    auto* pad = dynamic_cast<AM_View_XY*>(top->findByName("Pad"));
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(pad->getPadNumber(), 2);
    EXPECT_EQ(pad->getPort(1)->parameter, param("PCore", "Y_2"));
    EXPECT_NE(first.find("CONTROL type='XY' name='Pad'"), std::string::npos) << first;
    EXPECT_NE(first.find("value='white'"), std::string::npos) << first;
    EXPECT_NE(first.find("parameter='Y_2'"), std::string::npos) << first;
    EXPECT_EQ(reload(first), first);
}

// A graphic that records where it is drawn.
class PlacedGraphic : public AM_Graphic {
public:
    PlacedGraphic(AM_GuiServices* services, float w, float h) : AM_Graphic(services, 0)
    {
        setWidth(w);
        setHeight(h);
    }
    void draw(AM_Context*, const AM_Rect* rect, float value) override
    {
        places.push_back(*rect);
        values.push_back(value);
    }
    std::vector<AM_Rect> places;
    std::vector<float> values;
};

TEST_F(XYTest, GraphicsFillTheBoundsAndThePuckFollowsTheValues)
{
    AM_View_XY* xy = boundPad(1);
    PlacedGraphic background(vm.get(), 10, 10);
    PlacedGraphic puck(vm.get(), 17, 7);
    xy->setGraphic(&background, 0);
    xy->setGraphic(&puck, 1);
    press(xy, {{38, 38}});
    testsupport::HeadlessCanvas canvas(200, 200, 1);
    canvas.begin();
    xy->draw(&canvas.context());
    ASSERT_EQ(background.places.size(), 1u);
    EXPECT_FLOAT_EQ(background.places[0].w, 107.0f);
    ASSERT_EQ(puck.places.size(), 1u);
    // x: 10 + (107 - 17) * 0.25, y: 10 + (107 - 7) * (1 - 0.75).
    EXPECT_FLOAT_EQ(puck.places[0].x, 32.5f);
    EXPECT_FLOAT_EQ(puck.places[0].y, 35.0f);
    EXPECT_FLOAT_EQ(puck.places[0].w, 17.0f);
    EXPECT_FLOAT_EQ(puck.values[0], 1.0f);
    xy->setGraphic(nullptr, 0);
    xy->setGraphic(nullptr, 1);
}

TEST_F(XYTest, PadsMatchTheirReferencePictures)
{
    // Drawn pads at the centre, a corner and an edge, and one of plain
    // colours with the frame handle.
    AM_ViewControl* root = make<AM_ViewControl>("XY", {0, 0, 1, 1});
    const struct {
        AM_Rect bounds;
        float x, y;
    } pads[] = {
        {{8, 8, 120, 120}, 0, 0},
        {{136, 8, 120, 120}, -70, 85},
        {{264, 8, 72, 72}, 100, -100},
    };
    for (const auto& p : pads) {
        AM_View_XY* xy = make<AM_View_XY>("XY", p.bounds);
        xy->setParameterValue(0, &p.x);
        xy->setParameterValue(1, &p.y);
    }
    AM_View_XY* coloured = make<AM_View_XY>("XY", {264, 88, 72, 40});
    const float x = 40, y = 20;
    coloured->setParameterValue(0, &x);
    coloured->setParameterValue(1, &y);
    AM_Colour background(vm.get(), "xb", 0x30343AFF), border(vm.get(), "xf", 0x9098A0FF),
        value(vm.get(), "xv", 0x7FC97FFF);
    coloured->setColour(&background, 0);
    coloured->setColour(&border, 1);
    coloured->setColour(&value, 2);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(root, 344, 136, "xy_pads", zoom), "") << zoom;
    for (int i = 0; i < 3; ++i)
        coloured->setColour(nullptr, i);
}

} // namespace
