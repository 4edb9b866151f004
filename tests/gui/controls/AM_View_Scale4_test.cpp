// The scaling curve: its block, the drag that keeps the points in order
// (swapping past neighbours), the info line, blocks of other sizes, the
// "secondary" item, its script lines and its pictures.

#include "ControlFixture.h"

#include "gui/controls/AM_View_Scale4.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/views/AM_ControlTypes.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace controltest;

// The fixture's parameters and three scale blocks: the usual 16 bytes, one
// of 64 bytes and one of 8, and the curve's output meter.
enum ScaleParameter : int32_t { kScale = kFixtureParameters, kWideScale, kShortScale, kOut };

class ScaleInterface : public NamedInterface {
public:
    ScaleInterface()
    {
        add(AM_makeParamInfo(0, "Scale", "Key Scale", 0x304, 0, 16, 0, 0, 0), 0);
        add(AM_makeParamInfo(0, "Wide", "Wide Scale", 0x304, 0, 64, 0, 0, 0), 0);
        add(AM_makeParamInfo(0, "Short", "Short Scale", 0x304, 0, 8, 0, 0, 0), 0);
        add(AM_makeParamInfo(0, "Out", "Scale Out", k_meter, 0, 127, 0, 0, 0), 0);
    }
    // The block of a parameter as its four words.
    std::array<uint32_t, 4> words(int32_t index) const
    {
        std::array<uint32_t, 4> w{};
        const std::vector<uint8_t> bytes = block(index);
        std::memcpy(w.data(), bytes.data(), std::min(bytes.size(), sizeof w));
        return w;
    }
    void setWords(int32_t index, const std::array<uint32_t, 4>& w)
    {
        std::vector<uint8_t> bytes(sizeof w);
        std::memcpy(bytes.data(), w.data(), sizeof w);
        setBlock(index, bytes);
        engineSetsBlock(index);
    }
    void engineSetsBlock(int32_t index) { parameterChanged(index, getParameterValue(index), false); }
};

constexpr uint32_t kInputs = AM_View_Scale4::kInitialInputs;
constexpr uint32_t kOutputs = AM_View_Scale4::kInitialOutputs;

class Scale4Test : public ::testing::Test {
protected:
    Scale4Test() { open(); }
    ~Scale4Test() override
    {
        vm.reset();
        ControlTestAccess::reset();
    }
    void open()
    {
        vm.reset();
        ControlTestAccess::reset();
        vm = std::make_unique<MenuViewMan>(&ui, nullptr, nullptr);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installStandardControls(vm.get());
    }
    // A Scale4 at (10, 10), its plot at (15, 15) 122 x 58, in run mode.
    AM_View_Scale4* make(int32_t parameter = kScale)
    {
        const AM_Rect bounds{10, 10, 132, 68};
        auto* scale = dynamic_cast<AM_View_Scale4*>(vm->createControl("Scale4", &bounds));
        EXPECT_NE(scale, nullptr);
        vm->registerControl(scale, nullptr);
        scale->setVisible(true, kAllLayers, false);
        scale->setEditMode(false);
        if (parameter >= 0)
            scale->setPortParameter(0, ui.param(parameter));
        // The engine's scale block starts as the control does.
        if (parameter == kScale)
            ui.setWords(kScale, {kInputs, kOutputs, kInputs, kOutputs});
        ui.writes.clear();
        ui.edits.clear();
        return scale;
    }
    // Press, one drag and release through the view manager at the zoom;
    // points in GUI units.
    void drag(float zoom, float x, float y, float dx, float dy)
    {
        vm->setZoom(zoom);
        vm->handleMouseDown(x * zoom, y * zoom, 0);
        vm->handleMouseDrag((x + dx) * zoom, (y + dy) * zoom, 0);
        vm->handleMouseUp((x + dx) * zoom, (y + dy) * zoom, 0);
        vm->setZoom(1.0f);
    }
    static std::vector<int> points(uint32_t word)
    {
        std::vector<int> p;
        for (int i = 0; i < 4; ++i)
            p.push_back(AM_View_Scale4::pointOf(word, i));
        return p;
    }
    // The screen place of point i of the shown curve.
    static std::pair<float, float> at(AM_View_Scale4* scale, int i)
    {
        float x = 0, y = 0;
        const uint32_t* b = scale->getBlock();
        if (scale->isVelocityMode())
            scale->velocityPointToScreen(b[2], b[3], i, &x, &y);
        else
            scale->keyPointToScreen(b[0], b[1], i, &x, &y);
        return {x, y};
    }

    ScaleInterface ui;
    std::unique_ptr<MenuViewMan> vm;
};

TEST_F(Scale4Test, ARegisteredTypeStartsFlatAtTheTopWithItsFourInputs)
{
    const AM_ControlTypeRecord* type = nullptr;
    for (AM_ControlTypeRecord* t = vm->getControlTypes(); t != nullptr; t = t->next)
        if (std::string(t->name) == "Scale4")
            type = t;
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->defaultWidth, 132.0f);
    EXPECT_EQ(type->defaultHeight, 68.0f);
    EXPECT_EQ(type->flags, 0x1700u);

    AM_View_Scale4* scale = make(-1);
    EXPECT_STREQ(scale->getTypeName(), "Scale4");
    const uint32_t* b = scale->getBlock();
    EXPECT_EQ(b[0], kInputs);
    EXPECT_EQ(b[1], kOutputs);
    EXPECT_EQ(b[2], kInputs);
    EXPECT_EQ(b[3], kOutputs);
    EXPECT_EQ(points(b[0]), (std::vector<int>{48, 64, 80, 96}));
    EXPECT_STREQ(scale->getPortDescriptor(0)->name, "Scale");
    EXPECT_STREQ(scale->getPortDescriptor(1)->name, "Meter");
    // A scale block binds; a float does not.
    scale->setPortParameter(0, ui.param(kTune));
    EXPECT_EQ(scale->getPort(0)->parameter, nullptr);
}

struct DragCase {
    const char* name;
    bool velocity;
    int point;    // the point picked up
    float dx, dy; // the drag
    std::vector<int> inputs;
    std::vector<int> outputs;
    int selectedAfterDrag;
};

TEST_F(Scale4Test, DraggingAPointPastItsNeighboursSwapsThemAndKeepsTheOrder)
{
    const DragCase cases[] = {
        // Key 64 at x 74.6 moved 30 right: 20 + 89.6 / 122 * 90 = 86.1 passes
        // 80; half the height down gives 127 - 64.
        {"past the next", false, 1, 30, 29, {48, 80, 86, 96}, {127, 127, 63, 127}, 2},
        {"past every point to the top key", false, 1, 500, 0, {48, 80, 96, 109},
         {127, 127, 127, 127}, 3},
        {"past every point to the lowest key", false, 2, -500, 500, {21, 48, 64, 96},
         {0, 127, 127, 127}, 0},
        {"a small step keeps the place", false, 1, 5, 0, {48, 68, 80, 96},
         {127, 127, 127, 127}, 1},
        {"no move changes nothing", false, 2, 0, 0, {48, 64, 80, 96}, {127, 127, 127, 127}, 2},
        // Velocity 64 at x 76.5 moved 30 left: 31.5 / 122 * 127 = 32.8.
        {"velocity past the previous", true, 1, -30, 0, {33, 48, 80, 96},
         {127, 127, 127, 127}, 0},
        {"velocity to the top", true, 3, 500, 0, {48, 64, 80, 127}, {127, 127, 127, 127}, 3},
    };
    for (const float zoom : {1.0f, 2.0f}) {
        for (const DragCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at zoom " + std::to_string(int(zoom)));
            open();
            AM_View_Scale4* scale = make();
            scale->setVelocityMode(c.velocity);
            const auto [x, y] = at(scale, c.point);
            vm->setZoom(zoom);
            vm->handleMouseDown(x * zoom, y * zoom, 0);
            vm->handleMouseDrag((x + c.dx) * zoom, (y + c.dy) * zoom, 0);
            EXPECT_EQ(scale->getSelected(), c.selectedAfterDrag);
            vm->handleMouseUp((x + c.dx) * zoom, (y + c.dy) * zoom, 0);
            vm->setZoom(1.0f);
            const std::array<uint32_t, 4> sent = ui.words(kScale);
            const int in = c.velocity ? 2 : 0;
            EXPECT_EQ(points(sent[size_t(in)]), c.inputs);
            EXPECT_EQ(points(sent[size_t(in + 1)]), c.outputs);
            // The other curve is untouched.
            EXPECT_EQ(sent[size_t(c.velocity ? 0 : 2)], kInputs);
            EXPECT_EQ(points(scale->getBlock()[in]), c.inputs);
            // One host edit for the gesture.
            ASSERT_FALSE(ui.edits.empty());
            EXPECT_TRUE(ui.edits.front().begin);
            EXPECT_FALSE(ui.edits.back().begin);
        }
    }
}

TEST_F(Scale4Test, APressAwayFromEveryPointSelectsAndChangesNothing)
{
    AM_View_Scale4* scale = make();
    const auto [x, y] = at(scale, 1);
    ui.writes.clear();
    drag(1.0f, x, y + 8, 20, 20); // 8 px below the point: past 7
    EXPECT_EQ(scale->getSelected(), -1);
    EXPECT_TRUE(ui.writes.empty());
    EXPECT_EQ(scale->getBlock()[0], kInputs);
    EXPECT_EQ(scale->getBlock()[1], kOutputs);
}

TEST_F(Scale4Test, TheInfoLineShowsTheDraggedPointAsANoteOrAVelocity)
{
    AM_View_Scale4* scale = make();
    // Key curve: point 0 at key 60 with output 100; velocity curve: point
    // 1 at 64 with output 90.
    ui.setWords(kScale, {0x3C405060, 0x647F7F7F, 0x30405060, 0x7F5A7F7F});
    ASSERT_EQ(points(scale->getBlock()[0])[0], 60);
    auto [x, y] = at(scale, 0);
    vm->handleMouseDown(x, y, 0);
    const AM_InfoLine* line = vm->getInfoLine(0);
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line->title, "Key Scale");
    EXPECT_STREQ(line->text, "C2 -> 100");
    EXPECT_NE(line->subject, nullptr) << "the module of the bound parameter";
    vm->handleMouseUp(x, y, 0);

    scale->setVelocityMode(true);
    std::tie(x, y) = at(scale, 1);
    vm->handleMouseDown(x, y, 0);
    EXPECT_STREQ(line->title, "Velocity Scale");
    EXPECT_STREQ(line->text, "Vel64 -> 90");
    vm->handleMouseUp(x, y, 0);
}

TEST_F(Scale4Test, BlocksOfOtherSizesAreCopiedWithinBothEnds)
{
    // A 64-byte parameter: only the first 16 bytes reach the control, and
    // a drag keeps the parameter's bytes past them.
    std::vector<uint8_t> wide(64);
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = uint8_t(0x80 | i);
    ui.setBlock(kWideScale, wide);
    AM_View_Scale4* scale = make(kWideScale);
    for (int w = 0; w < 4; ++w)
        EXPECT_EQ(scale->getBlock()[w] & ~AM_View_Scale4::kWordMask, 0u) << "masked to 7 bits";
    uint32_t first = 0;
    std::memcpy(&first, wide.data(), 4);
    EXPECT_EQ(scale->getBlock()[0], first & AM_View_Scale4::kWordMask);
    const auto [x, y] = at(scale, 0);
    drag(1.0f, x, y, 0, 10);
    const std::vector<uint8_t> after = ui.block(kWideScale);
    EXPECT_TRUE(std::equal(after.begin() + 16, after.end(), wide.begin() + 16));

    // An 8-byte parameter gives the key curve only.
    open();
    ui.setBlock(kShortScale, {0x60, 0x50, 0x40, 0x10, 0x7F, 0x7F, 0x7F, 0x7F});
    AM_View_Scale4* small = make(kShortScale);
    EXPECT_EQ(points(small->getBlock()[0]), (std::vector<int>{16, 64, 80, 96}));
    EXPECT_EQ(small->getBlock()[2], kInputs);
}

TEST_F(Scale4Test, PositionsThatAreNoNumbersAndAnEmptyPlotChangeNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    AM_View_Scale4* scale = make();
    const auto [x, y] = at(scale, 1);
    const float press[2] = {x, y};
    ASSERT_TRUE(scale->onMouseDown(press, 0));
    for (const float bad : {nan, inf, -inf}) {
        const float to[2] = {bad, y};
        scale->onMouseDrag(to, 0);
        const float to2[2] = {x, bad};
        scale->onMouseDrag(to2, 0);
    }
    EXPECT_EQ(scale->getBlock()[0], kInputs);
    // A huge move is held to the ends.
    const float far[2] = {3e38f, -3e38f};
    scale->onMouseDrag(far, 0);
    EXPECT_EQ(points(scale->getBlock()[0]), (std::vector<int>{48, 80, 96, 109}));
    EXPECT_EQ(points(scale->getBlock()[1])[3], 127);

    // A control smaller than its insets has a plot of no size.
    const AM_Rect tiny{0, 0, 4, 4};
    auto* flat = dynamic_cast<AM_View_Scale4*>(vm->createControl("Scale4", &tiny));
    const float corner[2] = {0, 0};
    flat->onMouseDown(corner, 0);
    const float moved[2] = {50, 50};
    flat->onMouseDrag(moved, 0);
    EXPECT_EQ(flat->getPlotRect().w, 0.0f);
    delete flat;

    // A meter value that is no number reads 0.
    scale->setPortParameter(1, ui.param(kOut));
    scale->setParameterValue(1, &nan);
    EXPECT_EQ(scale->getMeter(), 0.0f);
}

TEST_F(Scale4Test, SecondaryTogglesTheVelocityCurveAndTheScriptLinesRoundTrip)
{
    AM_View_Scale4* scale = make();
    vm->answerText = "secondary";
    const float point[2] = {12, 12};
    scale->buildEditMenu(point, true, 0);
    EXPECT_TRUE(scale->isVelocityMode());
    bool listed = false;
    for (const MenuViewMan::Item& item : vm->items)
        listed = listed || (item.text == "secondary" && item.command == ((1 << 16) | 5));
    EXPECT_TRUE(listed);
    vm->answerText.clear();

    const std::string script = "CONTROL type='Scale4' name='KeyCurve' bounds='10 10 132 68'\n"
                               "CONTROL type='Scale4' name='VelCurve' bounds='10 90 132 68'\n"
                               "PROPERTY control='VelCurve' name='scaleVal' id='0' value='YES'\n";
    vm->parseScript(script.c_str(), int32_t(script.size()), true);
    AM_ViewControl* top = vm->getTopControl();
    ASSERT_NE(top, nullptr);
    auto* key = dynamic_cast<AM_View_Scale4*>(top->findByName("KeyCurve"));
    auto* vel = dynamic_cast<AM_View_Scale4*>(top->findByName("VelCurve"));
    ASSERT_NE(key, nullptr);
    ASSERT_NE(vel, nullptr);
    EXPECT_FALSE(key->isVelocityMode());
    EXPECT_TRUE(vel->isVelocityMode());
    std::string written;
    top->writeControlTree(&written);
    top->writePropertyTree(&written);
    EXPECT_NE(written.find("\nPROPERTY control='VelCurve' name='scaleVal' id='0' value='YES'"),
              std::string::npos);
    EXPECT_EQ(written.find("control='KeyCurve' name='scaleVal'"), std::string::npos);

    // Written, read and written again: the same text.
    open();
    vm->parseScript(written.c_str(), int32_t(written.size()), true);
    std::string again;
    vm->getTopControl()->writeControlTree(&again);
    vm->getTopControl()->writePropertyTree(&again);
    EXPECT_EQ(again, written);
}

TEST_F(Scale4Test, CurvesMatchTheirReferencePictures)
{
    // Drawn looks: the initial curve, a shaped key curve, a velocity
    // curve with its meter, and one of plain colours with a selected dot.
    const AM_Rect all{0, 0, 300, 160};
    AM_ViewControl* root = vm->createControl("Pane", &all);
    vm->registerControl(root, nullptr);
    root->setVisible(true, kAllLayers, false);
    auto place = [&](float x, float y) {
        const AM_Rect bounds{x, y, 132, 68};
        auto* s = dynamic_cast<AM_View_Scale4*>(vm->createControl("Scale4", &bounds));
        root->addControl(s, kAllLayers, false);
        s->setVisible(true, kAllLayers, false);
        return s;
    };
    place(8, 8);
    AM_View_Scale4* shaped = place(156, 8);
    const uint32_t shapedBlock[4] = {0x24405C6D, 0x20507F60, kInputs, kOutputs};
    shaped->setParameterValue(0, shapedBlock);
    AM_View_Scale4* velocity = place(8, 84);
    const uint32_t velocityBlock[4] = {kInputs, kOutputs, 0x10306070, 0x10407F7F};
    velocity->setParameterValue(0, velocityBlock);
    velocity->setVelocityMode(true);
    const float meter = 72.0f;
    velocity->setParameterValue(1, &meter);
    AM_View_Scale4* plain = place(156, 84);
    const char* names[] = {"S4Back", "S4Border", "S4Dot", "S4Line", "S4Text", "S4Sel"};
    const uint32_t rgba[] = {0xF0F0E8FF, 0x404040FF, 0x205080FF, 0x205080FF, 0x000000FF,
                             0xD04020FF};
    for (int slot = 0; slot < 6; ++slot) {
        auto* colour = new AM_Colour(vm.get(), names[slot], rgba[slot]);
        vm->addColour(colour);
        plain->setColour(colour, slot);
    }
    plain->setParameterValue(0, shapedBlock);
    const auto [x, y] = at(plain, 2);
    const float press[2] = {x, y};
    ASSERT_TRUE(plain->onMouseDown(press, 0));

    root->setEditMode(false);
    for (const float zoom : {1.0f, 2.0f}) {
        testsupport::HeadlessCanvas canvas(300, 160, zoom);
        canvas.begin();
        const AM_Rect clip{0, 0, 300, 160};
        root->paintTree(&canvas.context(), &clip);
        EXPECT_EQ(canvas.compare("scale4_z" + std::to_string(int(zoom)), 1), "") << zoom;
    }
}

} // namespace
