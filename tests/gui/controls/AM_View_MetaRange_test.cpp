#include "MetaFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_MetaRange.h"
#include "gui/graphics/AM_Graphic.h"

#include <cmath>
#include <limits>

namespace {

using namespace controltest;

class MetaRangeTest : public MetaTest {
protected:
    MetaRangeTest() { AM_View_MetaRange::resetProcessState(); }
    ~MetaRangeTest() override { AM_View_MetaRange::resetProcessState(); }

    // A range of travel 100 bound to slot 2 of meta 3 (pad 2's X axis).
    AM_View_MetaRange* slotRange(AM_Rect bounds = {10, 10, 107, 60})
    {
        AM_View_MetaRange* range = make<AM_View_MetaRange>("MetaRange", bounds);
        EXPECT_TRUE(range->bindSlot(32));
        return range;
    }
    void target(const char* module, const char* name)
    {
        meta.engineSets(meta.indexOf("PCore", "MT32"), float(meta.indexOf(module, name)));
    }
    // The engine holds a new value without announcing it.
    void quietly(const char* module, const char* name, float value)
    {
        std::vector<uint8_t> bytes(sizeof value);
        std::memcpy(bytes.data(), &value, sizeof value);
        meta.setBlock(meta.indexOf(module, name), bytes);
    }
    void press(AM_View_MetaRange* range, std::initializer_list<std::pair<float, float>> points)
    {
        auto it = points.begin();
        float last[2] = {it->first, it->second};
        range->handleMouseDown(last, 0, 0);
        for (++it; it != points.end(); ++it) {
            last[0] = it->first;
            last[1] = it->second;
            range->handleMouseDrag(last, 0, 0);
        }
        range->handleMouseUp(last, 0, 0);
    }
};

TEST_F(MetaRangeTest, RegistryMakesRangesWithTheirPortsAndSlots)
{
    AM_View_MetaRange* range = make<AM_View_MetaRange>("MetaRange", {0, 0, 167, 167});
    ASSERT_NE(range, nullptr);
    EXPECT_STREQ(range->getTypeName(), "MetaRange");
    EXPECT_TRUE(range->hasTimer());
    ASSERT_EQ(range->getNumPorts(), 3);
    EXPECT_STREQ(range->getPortDescriptor(0)->name, "Upper");
    EXPECT_STREQ(range->getPortDescriptor(1)->name, "Lower");
    EXPECT_STREQ(range->getPortDescriptor(2)->name, "Param");
    ASSERT_EQ(range->getColourCount(), 4);
    EXPECT_STREQ(range->getColourName(3), "MetaLine");
    ASSERT_EQ(range->getGraphicCount(), 5);
    EXPECT_STREQ(range->getGraphicName(0), "MetaRangeBackground");
    EXPECT_STREQ(range->getGraphicName(3), "MetaUniPolar");
    EXPECT_STREQ(range->getGraphicName(4), "MetaBiPolar");
    range->setPortParameter(2, param("VCF1", "Cut"));
    EXPECT_EQ(range->getPort(2)->parameter, nullptr) << "Param takes assignments only";
}

TEST_F(MetaRangeTest, SlotNumbersBindThePortsAndTheMetaSource)
{
    AM_View_MetaRange* range = slotRange();
    EXPECT_EQ(range->getPort(0)->parameter, param("PCore", "ML32"));
    EXPECT_EQ(range->getPort(1)->parameter, param("PCore", "MR32"));
    EXPECT_EQ(range->getPort(2)->parameter, param("PCore", "MT32"));
    EXPECT_EQ(range->getMetaSource(), param("PCore", "X_2")) << "meta 3 is pad 2's X axis";
    EXPECT_EQ(range->getTarget(), nullptr);

    const struct {
        int32_t n;
        bool binds;
    } numbers[] = {{11, true},  {88, true}, {10, false},  {90, false}, {19, false},
                   {80, false}, {0, false}, {-11, false}, {881, false}};
    for (const auto& c : numbers) {
        AM_View_MetaRange* other = make<AM_View_MetaRange>("MetaRange", {0, 0, 50, 50});
        EXPECT_EQ(other->bindSlot(c.n), c.binds) << c.n;
        EXPECT_EQ(other->getPort(2)->parameter != nullptr, c.binds) << c.n;
    }
}

TEST_F(MetaRangeTest, TheTextEntryBindsInEditModeOnly)
{
    AM_View_MetaRange* range = make<AM_View_MetaRange>("MetaRange", {10, 10, 107, 60});
    const float point[2] = {20, 20};
    range->onDoubleClick(point, 0);
    ASSERT_EQ(vm->entries.size(), 1u);
    EXPECT_EQ(vm->entries[0].target, range);
    EXPECT_EQ(vm->entries[0].text, "");
    vm->typeEntry("47");
    EXPECT_EQ(range->getPort(0)->parameter, nullptr) << "run mode";

    range->setEditMode(true);
    for (const char* text : {"90", "10", "abc", "99999999999999999999", ""}) {
        range->onDoubleClick(point, 0);
        vm->typeEntry(text);
        EXPECT_EQ(range->getPort(2)->parameter, nullptr) << text;
    }
    range->onDoubleClick(point, 0);
    vm->typeEntry("47");
    EXPECT_EQ(range->getPort(0)->parameter, param("PCore", "ML47"));
    EXPECT_EQ(range->getPort(2)->parameter, param("PCore", "MT47"));
    EXPECT_EQ(range->getMetaSource(), param("PCore", "Y_2"));
}

TEST_F(MetaRangeTest, RangesFollowTheTargetAndStayInTheControl)
{
    AM_View_MetaRange* range = slotRange();
    meta.engineSets(meta.indexOf("PCore", "ML32"), 90.0f);
    meta.engineSets(meta.indexOf("PCore", "MR32"), -20.0f);
    const struct {
        const char* module;
        const char* name;
        float r;
        bool bipolar;
    } targets[] = {
        {"VCF1", "Cut", 127, false},
        {"VCF1", "FM1", 200, true},
        {"ENV1", "Sus", 100, false},
    };
    for (const auto& t : targets) {
        target(t.module, t.name);
        EXPECT_EQ(range->getTarget(), param(t.module, t.name)) << t.name;
        EXPECT_EQ(range->isBipolar(), t.bipolar) << t.name;
        EXPECT_FLOAT_EQ(range->getUpperMinimum(), -t.r);
        EXPECT_FLOAT_EQ(range->getUpperMaximum(), t.r);
        EXPECT_FLOAT_EQ(range->getLowerMinimum(), -t.r);
        EXPECT_FLOAT_EQ(range->getLowerMaximum(), t.r);
    }
    // 100..-100 held to the last range -100..100; the shared descriptors keep
    // the engine's range.
    EXPECT_FLOAT_EQ(range->getUpperValue(), 90.0f);
    EXPECT_FLOAT_EQ(param("PCore", "ML32")->min, -100.0f);
    EXPECT_FLOAT_EQ(param("PCore", "ML32")->max, 100.0f);
    EXPECT_FLOAT_EQ(param("PCore", "MR32")->defaultValue, -50.0f);

    // A target of range 0..1 clamps the shown offsets.
    target("Osc", "Tune");
    EXPECT_FLOAT_EQ(range->getUpperValue(), 2.0f);
    EXPECT_FLOAT_EQ(range->getLowerValue(), -2.0f);
    EXPECT_TRUE(range->isBipolar());

    // -1 clears the target and returns to -100..100.
    meta.engineSets(meta.indexOf("PCore", "MT32"), -1.0f);
    EXPECT_EQ(range->getTarget(), nullptr);
    EXPECT_FLOAT_EQ(range->getUpperMinimum(), -100.0f);
    EXPECT_FLOAT_EQ(range->getLowerMaximum(), 100.0f);
    EXPECT_FLOAT_EQ(range->getUpperValue(), 0.0f);
    EXPECT_EQ(range->targetRect().w, 0.0f);

    // Indices no parameter has leave no target.
    for (const float index : {1e9f, 1e30f, std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN()}) {
        range->setParameterValue(AM_View_MetaRange::kParamPort, &index);
        EXPECT_EQ(range->getTarget(), nullptr) << index;
    }
}

TEST_F(MetaRangeTest, AnEmptyTargetRangeNeverDivides)
{
    AM_View_MetaRange* range = slotRange();
    meta.engineSets(meta.indexOf("PCore", "X_2"), 50.0f);
    target("Flat", "Zero");
    ASSERT_NE(range->getTarget(), nullptr);
    EXPECT_FLOAT_EQ(range->getUpperMaximum(), 0.0f);
    EXPECT_TRUE(std::isfinite(range->upperHandleX()));
    EXPECT_TRUE(std::isfinite(range->lowerHandleX()));
    EXPECT_FLOAT_EQ(range->metaLineOffset(), 0.0f);
    const AM_Rect strip = range->targetRect();
    EXPECT_TRUE(std::isfinite(strip.x));
    press(range, {{13, 10}, {80, 10}});
    EXPECT_EQ(range->getDragMode(), AM_View_MetaRange::kDragUpper);
    EXPECT_FLOAT_EQ(range->getUpperValue(), 0.0f);
    press(range, {{strip.x + 2, strip.y + 2}, {strip.x + 40, strip.y + 2}});
    EXPECT_FLOAT_EQ(meta.valueOf("Flat", "Zero"), 5.0f);
    testsupport::HeadlessCanvas canvas(200, 100, 1);
    canvas.begin();
    range->draw(&canvas.context());
}

TEST_F(MetaRangeTest, HandlesDragTheOffsetsAndTheStripDragsTheTarget)
{
    AM_View_MetaRange* range = slotRange();
    meta.engineSets(meta.indexOf("PCore", "ML32"), 0.0f);
    meta.engineSets(meta.indexOf("PCore", "MR32"), 0.0f);
    target("ENV1", "Sus"); // 0..100 at 50: offsets -100..100
    EXPECT_FLOAT_EQ(range->upperHandleX(), 63.5f);
    // The upper tip is on the top edge, the lower one on the bottom edge.
    press(range, {{60, 12}, {88, 12}});
    EXPECT_EQ(range->getDragMode(), AM_View_MetaRange::kDragUpper);
    EXPECT_FLOAT_EQ(meta.valueOf("PCore", "ML32"), 50.0f);
    EXPECT_FLOAT_EQ(range->getUpperValue(), 50.0f);
    press(range, {{66, 68}, {13, 68}});
    EXPECT_EQ(range->getDragMode(), AM_View_MetaRange::kDragLower);
    EXPECT_FLOAT_EQ(meta.valueOf("PCore", "MR32"), -100.0f);
    // A press near neither keeps the last handle.
    press(range, {{90, 25}, {113, 25}});
    EXPECT_FLOAT_EQ(meta.valueOf("PCore", "MR32"), 100.0f);

    // The strip, 100 wide, has the value's place under the centre line;
    // dragging right lowers the value, written straight to the engine.
    const AM_Rect strip = range->targetRect();
    EXPECT_FLOAT_EQ(strip.x, 63.5f - 50.0f);
    EXPECT_FLOAT_EQ(strip.w, 100.0f);
    meta.edits.clear();
    press(range, {{strip.x + 10, 40}, {strip.x + 30, 40}});
    EXPECT_EQ(range->getDragMode(), AM_View_MetaRange::kDragTarget);
    EXPECT_FLOAT_EQ(meta.valueOf("ENV1", "Sus"), 30.0f);
    EXPECT_FLOAT_EQ(range->getTargetValue(), 30.0f);
    press(range, {{strip.x + 80, 40}, {strip.x - 500, 40}});
    EXPECT_FLOAT_EQ(meta.valueOf("ENV1", "Sus"), 100.0f);
}

TEST_F(MetaRangeTest, TheTimerFollowsTheTargetAndTheMeta)
{
    AM_View_MetaRange* range = slotRange();
    target("VCF1", "FM1"); // offsets -200..200
    meta.engineSets(meta.indexOf("PCore", "ML32"), 100.0f);
    meta.engineSets(meta.indexOf("PCore", "MR32"), 50.0f);
    quietly("VCF1", "FM1", 20.0f);
    quietly("PCore", "X_2", 50.0f);
    range->onTimer();
    EXPECT_FLOAT_EQ(range->getTargetValue(), 20.0f);
    EXPECT_FLOAT_EQ(range->getMetaValue(), 50.0f);
    // Travel 100, half of it for a full meta: 50 * 100 / 200 of 100 * 0.005.
    EXPECT_FLOAT_EQ(range->metaLineOffset(), 12.5f);
    // Below zero the lower offset scales: -50 / -200 * 50.
    quietly("PCore", "X_2", -50.0f);
    range->onTimer();
    EXPECT_FLOAT_EQ(range->metaLineOffset(), 6.25f);
    range->setVisible(false, kAllLayers, false);
    quietly("VCF1", "FM1", 0.0f);
    range->onTimer();
    EXPECT_FLOAT_EQ(range->getTargetValue(), 20.0f) << "a hidden range does not poll";
}

TEST_F(MetaRangeTest, DoubleClicksCycleThePresets)
{
    AM_View_MetaRange* range = slotRange();
    const float point[2] = {20, 20};
    range->onDoubleClick(point, 0);
    EXPECT_FLOAT_EQ(meta.valueOf("PCore", "ML32"), 50.0f) << "the descriptor's default";
    EXPECT_FLOAT_EQ(meta.valueOf("PCore", "MR32"), -50.0f);
    EXPECT_EQ(AM_View_MetaRange::getPresetCounter(), 0) << "no target, no cycling";

    target("ENV1", "Sus");
    meta.engineSets(meta.indexOf("ENV1", "Sus"), 30.0f);
    range->onTimer();
    const struct {
        float upper, lower;
    } presets[] = {{0, 0}, {-30, 70}, {70, -30}, {0, 0}};
    for (const auto& p : presets) {
        range->onDoubleClick(point, 0);
        EXPECT_FLOAT_EQ(meta.valueOf("PCore", "ML32"), p.upper);
        EXPECT_FLOAT_EQ(meta.valueOf("PCore", "MR32"), p.lower);
    }
    EXPECT_EQ(vm->entries.size(), 5u) << "each double click opens the entry";
    // In edit mode the offsets stay.
    range->setEditMode(true);
    range->onDoubleClick(point, 0);
    EXPECT_FLOAT_EQ(meta.valueOf("PCore", "ML32"), 0.0f);
    EXPECT_EQ(AM_View_MetaRange::getPresetCounter(), 1);
}

// A graphic that records where it is drawn.
class PlacedGraphic : public AM_Graphic {
public:
    PlacedGraphic(AM_GuiServices* services, float w, float h) : AM_Graphic(services, 0)
    {
        setWidth(w);
        setHeight(h);
    }
    void draw(AM_Context*, const AM_Rect* rect, float) override { places.push_back(*rect); }
    std::vector<AM_Rect> places;
};

TEST_F(MetaRangeTest, ThePolarityPicksTheTargetGraphic)
{
    AM_View_MetaRange* range = slotRange();
    PlacedGraphic uni(vm.get(), 40, 10), bi(vm.get(), 80, 20);
    range->setGraphic(&uni, 3);
    range->setGraphic(&bi, 4);
    testsupport::HeadlessCanvas canvas(200, 100, 1);
    canvas.begin();
    range->draw(&canvas.context());
    EXPECT_TRUE(uni.places.empty() && bi.places.empty()) << "no target, no graphic";
    target("ENV1", "Sus"); // at 50
    range->draw(&canvas.context());
    ASSERT_EQ(uni.places.size(), 1u);
    EXPECT_FLOAT_EQ(uni.places[0].x, 10 + 107 / 2.0f - 40 * 0.5f);
    EXPECT_FLOAT_EQ(uni.places[0].y, 10 + (60 - 10) / 2.0f);
    target("VCF1", "FM1"); // -100..100 at 0
    range->draw(&canvas.context());
    ASSERT_EQ(bi.places.size(), 1u);
    EXPECT_FLOAT_EQ(bi.places[0].w, 80.0f);
    EXPECT_FLOAT_EQ(bi.places[0].x, 10 + 107 / 2.0f - 80 * 0.5f);
    range->setGraphic(nullptr, 3);
    range->setGraphic(nullptr, 4);
}

TEST_F(MetaRangeTest, ScriptLinesRoundTrip)
{
    const std::string first =
        reload("CONTROL type='MetaRange' name='Slot' bounds='10 10 167 60'\n"
               "PARAMETER control='Slot' port='Upper' module='PCore' parameter='ML15' "
               "valuestring='generic'\n"
               "PARAMETER control='Slot' port='Lower' module='PCore' parameter='MR15' "
               "valuestring='generic'\n"
               "PARAMETER control='Slot' port='Param' module='PCore' parameter='MT15' "
               "valuestring='generic'\n");
    auto* range = dynamic_cast<AM_View_MetaRange*>(vm->getTopControl()->findByName("Slot"));
    ASSERT_NE(range, nullptr);
    EXPECT_EQ(range->getPort(2)->parameter, param("PCore", "MT15"));
    EXPECT_EQ(range->getMetaSource(), param("PCore", "X_1"));
    EXPECT_NE(first.find("port='Param' module='PCore' parameter='MT15'"), std::string::npos)
        << first;
    EXPECT_EQ(reload(first), first);
}

TEST_F(MetaRangeTest, RangesMatchTheirReferencePictures)
{
    // Without a target; a unipolar target with the meta line; a bipolar one
    // below its zero with the meta below zero; one of plain colours.
    AM_ViewControl* root = make<AM_ViewControl>("MetaRange", {0, 0, 1, 1});
    AM_View_MetaRange* empty = make<AM_View_MetaRange>("MetaRange", {8, 8, 167, 40});
    empty->bindSlot(11);
    AM_View_MetaRange* uni = make<AM_View_MetaRange>("MetaRange", {8, 56, 167, 40});
    uni->bindSlot(32);
    target("ENV1", "Sus");
    meta.engineSets(meta.indexOf("ENV1", "Sus"), 30.0f);
    meta.engineSets(meta.indexOf("PCore", "ML32"), 60.0f);
    meta.engineSets(meta.indexOf("PCore", "MR32"), -40.0f);
    meta.engineSets(meta.indexOf("PCore", "X_2"), 80.0f);
    AM_View_MetaRange* bi = make<AM_View_MetaRange>("MetaRange", {8, 104, 167, 40});
    bi->bindSlot(41);
    meta.engineSets(meta.indexOf("PCore", "MT41"), float(meta.indexOf("VCF2", "FM1")));
    meta.engineSets(meta.indexOf("VCF2", "FM1"), -40.0f);
    meta.engineSets(meta.indexOf("PCore", "ML41"), 120.0f);
    meta.engineSets(meta.indexOf("PCore", "MR41"), -150.0f);
    meta.engineSets(meta.indexOf("PCore", "Y_2"), -60.0f);
    AM_View_MetaRange* coloured = make<AM_View_MetaRange>("MetaRange", {183, 8, 100, 136});
    coloured->bindSlot(33);
    meta.engineSets(meta.indexOf("PCore", "MT33"), float(meta.indexOf("VCF1", "Cut")));
    meta.engineSets(meta.indexOf("PCore", "ML33"), 50.0f);
    meta.engineSets(meta.indexOf("PCore", "MR33"), -90.0f);
    AM_Colour background(vm.get(), "mb", 0x30343AFF), border(vm.get(), "mf", 0x9098A0FF),
        handles(vm.get(), "mv", 0x7FC97FFF), line(vm.get(), "ml", 0xFF8800FF);
    coloured->setColour(&background, 0);
    coloured->setColour(&border, 1);
    coloured->setColour(&handles, 2);
    coloured->setColour(&line, 3);
    for (AM_View_MetaRange* range : {empty, uni, bi, coloured})
        range->onTimer();
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(root, 291, 152, "meta_ranges", zoom), "") << zoom;
    for (int i = 0; i < 4; ++i)
        coloured->setColour(nullptr, i);
}

} // namespace
