// The timer tick, the dirty rectangles and the repaint of the view manager.

#include "PortFixture.h"
#include "GoldenImage.h"
#include "TraceCapture.h"

#include "gui/views/AM_AGG_ViewMan.h"
#include "platform/Surface.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace viewtest;

constexpr float kWidth = 400;
constexpr float kHeight = 300;
// What an uncoloured paint control fills itself with, as the surface reads.
constexpr uint32_t kGrey = 0xFFC0C0C0u;

class TickInterface : public ParameterInterface {
public:
    void updateActiveModules(bool force) override { refreshes.push_back(force); }
    std::vector<bool> refreshes;
};

// A wheel-taking control that counts its wheel brackets.
class WheelControl : public PaintControl {
public:
    using PaintControl::PaintControl;
    void beginWheel() override
    {
        ++begun;
        PaintControl::beginWheel();
    }
    void endWheel() override
    {
        ++ended;
        PaintControl::endWheel();
    }
    int begun = 0;
    int ended = 0;
};

void resetAll()
{
    AM_ViewMan::resetProcessState();
    AM_View_Interface::resetProcessState();
    AM_PlaceholderControl::resetAnnouncements();
    AM_Colour::resetColourCounter();
}

// A platform view manager on a headless surface with a 400 x 300 run-mode
// top control.
class TimerTest : public ::testing::Test {
protected:
    TimerTest()
    {
        resetAll();
        surface = std::make_unique<platform::HeadlessSurface>(int(kWidth), int(kHeight));
        vm = std::make_unique<AM_AGG_ViewMan>(&interface, nullptr, nullptr, surface.get());
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        const AM_Rect canvas{0, 0, kWidth, kHeight};
        vm->init(&canvas);
        vm->registerDefaults();
        top = addPaintControl(vm.get(), nullptr, "Top", {0, 0, kWidth, kHeight}, true);
        top->setEditMode(false);
        clearDirty();
    }
    ~TimerTest() override
    {
        vm.reset();
        resetAll();
    }

    // Paints the dirty rectangles, which empties the slots.
    void clearDirty() { vm->repaint(nullptr); }
    // Gives the top control a colour without invalidating anything, so
    // the window keeps the grey it was first painted in.
    void recolourQuietly(AM_Colour* colour)
    {
        const AM_Rect nowhere{-10, -10, 1, 1};
        vm->setClipRect(&nowhere);
        top->setColour(colour, 0);
        vm->setClipRect(nullptr);
        EXPECT_FALSE(vm->isDirty());
    }

    std::vector<AM_Rect> dirty() const
    {
        std::vector<AM_Rect> rects;
        for (int32_t i = 0; i < AM_ViewMan::kDirtyRectSlots; ++i) {
            const AM_Rect r = vm->getDirtyRect(i);
            if (r.w * r.h >= 1.0f)
                rects.push_back(r);
        }
        return rects;
    }

    void invalidate(float x, float y, float w, float h)
    {
        const AM_Rect r{x, y, w, h};
        vm->invalidateRect(&r);
    }

    TickInterface interface;
    std::unique_ptr<platform::HeadlessSurface> surface;
    std::unique_ptr<AM_AGG_ViewMan> vm;
    PaintControl* top = nullptr;
};

bool same(const AM_Rect& a, const AM_Rect& b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

::testing::AssertionResult dirtyIs(const std::vector<AM_Rect>& actual,
                                   const std::vector<AM_Rect>& expected)
{
    std::string text;
    for (const AM_Rect& r : actual)
        text += " (" + std::to_string(r.x) + "," + std::to_string(r.y) + "," +
                std::to_string(r.w) + "," + std::to_string(r.h) + ")";
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "dirty:" << text;
    for (size_t i = 0; i < actual.size(); ++i)
        if (!same(actual[i], expected[i]))
            return ::testing::AssertionFailure() << "dirty:" << text;
    return ::testing::AssertionSuccess();
}

TEST_F(TimerTest, InvalidationMergesNearbyRectanglesAndKeepsFarOnesApart)
{
    struct Case {
        const char* what;
        std::vector<AM_Rect> invalidated;
        std::vector<AM_Rect> expected;
    };
    const std::vector<Case> cases = {
        {"inside an already dirty one", {{10, 10, 50, 50}, {20, 20, 10, 10}}, {{10, 10, 50, 50}}},
        {"covering a dirty one", {{20, 20, 10, 10}, {10, 10, 50, 50}}, {{10, 10, 50, 50}}},
        {"touching side by side", {{10, 10, 10, 10}, {20, 10, 10, 10}}, {{10, 10, 20, 10}}},
        {"far apart", {{0, 0, 10, 10}, {200, 200, 10, 10}}, {{0, 0, 10, 10}, {200, 200, 10, 10}}},
        {"a merge that merges on",
         {{0, 0, 10, 10}, {100, 0, 10, 10}, {50, 0, 10, 10}},
         {{0, 0, 110, 10}}},
        {"wholly outside the top control", {{500, 10, 10, 10}, {-30, -30, 20, 20}}, {}},
        {"partly outside", {{-5, 290, 20, 20}}, {{0, 290, 15, 10}}},
        {"narrower than one unit", {{10, 10, 0.5f, 40}}, {}},
        {"not a number", {{NAN, 10, 10, 10}}, {}},
    };
    for (const Case& c : cases) {
        for (const AM_Rect& r : c.invalidated)
            vm->invalidateRect(&r);
        EXPECT_TRUE(dirtyIs(dirty(), c.expected)) << c.what;
        clearDirty();
    }
}

TEST_F(TimerTest, NoneMeansTheWholeTopControlAndTheClipLimitsInvalidation)
{
    vm->invalidateRect(nullptr);
    EXPECT_TRUE(dirtyIs(dirty(), {{0, 0, kWidth, kHeight}}));
    clearDirty();

    const AM_Rect clip{100, 100, 50, 50};
    vm->setClipRect(&clip);
    invalidate(0, 0, 20, 20);       // outside the clip: dropped
    invalidate(90, 120, 20, 10);    // cut to the clip
    EXPECT_TRUE(dirtyIs(dirty(), {{100, 120, 10, 10}}));
    vm->setClipRect(nullptr);
    invalidate(0, 0, 20, 20);
    EXPECT_EQ(dirty().size(), 2u);
}

TEST_F(TimerTest, NineFarApartRectanglesLeaveEightSlotsTheNinthGrowingTheCheapest)
{
    // Eight 10 x 10 squares in two rows, 100 and 200 units apart, and a
    // ninth 60 units below the second: no union is below the two areas
    // plus 500, and the second grows least.
    for (int i = 0; i < 8; ++i)
        invalidate(float(i % 4) * 100, float(i / 4) * 200, 10, 10);
    EXPECT_EQ(dirty().size(), 8u);
    invalidate(100, 70, 10, 10);
    const std::vector<AM_Rect> rects = dirty();
    ASSERT_EQ(rects.size(), 8u);
    EXPECT_TRUE(same(vm->getDirtyRect(1), AM_Rect{100, 0, 10, 80}));
    EXPECT_TRUE(same(vm->getDirtyRect(2), AM_Rect{200, 0, 10, 10}));
}

TEST_F(TimerTest, ATickDrawsTheDirtyRectanglesOnlyAndCopiesThemToTheWindow)
{
    auto* blue = new AM_Colour(vm.get(), "Blue", 0x2040C0FF);
    vm->addColour(blue);
    recolourQuietly(blue);
    const int presentsBefore = surface->presentCount();
    invalidate(10, 10, 20, 20);
    vm->onTimer();
    EXPECT_FALSE(vm->isDirty());
    EXPECT_EQ(surface->presentCount(), presentsBefore + 1);
    EXPECT_EQ(surface->pixel(20, 20), 0xFF2040C0u);
    EXPECT_EQ(surface->pixel(60, 60), kGrey) << "outside the dirty rectangle";

    // Nothing dirty: the next tick copies nothing.
    vm->onTimer();
    EXPECT_EQ(surface->presentCount(), presentsBefore + 1);
}

TEST_F(TimerTest, ARepaintLeavesTheInputBlockRectangleAlone)
{
    auto* blue = new AM_Colour(vm.get(), "Blue", 0x2040C0FF);
    vm->addColour(blue);
    recolourQuietly(blue);
    const AM_Rect block{100, 100, 50, 50};
    vm->setInputBlockRect(&block);
    const AM_Rect area{80, 80, 100, 100};
    vm->repaint(&area);
    EXPECT_EQ(surface->pixel(85, 85), 0xFF2040C0u);   // above
    EXPECT_EQ(surface->pixel(120, 170), 0xFF2040C0u); // below
    EXPECT_EQ(surface->pixel(90, 120), 0xFF2040C0u);  // left
    EXPECT_EQ(surface->pixel(170, 120), 0xFF2040C0u); // right
    EXPECT_EQ(surface->pixel(125, 125), kGrey); // the blocked part
    vm->setInputBlockRect(nullptr);
    vm->repaintAll();
    EXPECT_EQ(surface->pixel(125, 125), 0xFF2040C0u);
}

TEST_F(TimerTest, TheTopLayerIsDrawnAfterTheTree)
{
    struct TopLayer : PaintControl {
        using PaintControl::PaintControl;
        void drawTopLayer(AM_Context* context, const AM_Rect*) override
        {
            const AM_Rect r{0, 0, 10, 10};
            context->setColourPacked(0xFF0000FF);
            context->fillRect(&r);
        }
    };
    auto* overlay = new TopLayer(vm.get(), AM_Rect{300, 200, 20, 20});
    top->addControl(overlay, kAllLayers, false);
    vm->setTopLayerControl(overlay, true);
    vm->repaintAll();
    EXPECT_EQ(surface->pixel(5, 5), 0xFFFF0000u);
}

TEST_F(TimerTest, TheTickRefreshesTheInterfaceTicksTheChainAndSaysWhenThereIsNone)
{
    testsupport::TraceCapture trace;
    vm->onTimer();
    ASSERT_EQ(interface.refreshes.size(), 1u) << "pending from construction";
    EXPECT_FALSE(interface.refreshes[0]);
    EXPECT_TRUE(trace.contains("timechain NULL"));

    vm->scheduleInterfaceRefresh(true);
    PaintControl* ticking = addPaintControl(vm.get(), top, "Ticking", {10, 10, 20, 20});
    ticking->setEditMode(false);
    ticking->setTimer(true); // the chain is rebuilt on the next tick
    trace.clear();
    vm->onTimer();
    ASSERT_EQ(interface.refreshes.size(), 2u);
    EXPECT_TRUE(interface.refreshes[1]);
    EXPECT_EQ(ticking->ticks, 1);
    EXPECT_FALSE(trace.contains("timechain NULL"));
    vm->onTimer();
    EXPECT_EQ(interface.refreshes.size(), 2u);
    EXPECT_EQ(ticking->ticks, 2);
}

TEST_F(TimerTest, AWheelGestureEndsTwentyTicksAfterItsLastStep)
{
    auto* wheel = new WheelControl(vm.get(), AM_Rect{10, 10, 40, 40});
    top->addControl(wheel, kAllLayers, false);
    wheel->setEditMode(false);
    vm->setWheelControl(wheel, 20);
    for (int i = 0; i < 19; ++i)
        vm->onTimer();
    EXPECT_EQ(wheel->ended, 0);
    EXPECT_EQ(vm->getWheelControl(), wheel);
    vm->onTimer();
    EXPECT_EQ(wheel->ended, 1);
    EXPECT_EQ(vm->getWheelControl(), nullptr);
    vm->onTimer();
    EXPECT_EQ(wheel->ended, 1);
}

TEST_F(TimerTest, TheFirstTickResendsEveryParameterButMetersToEveryBoundPort)
{
    PortControl* ports[4];
    for (int i = 0; i < 4; ++i) {
        ports[i] = addPortControl(vm.get(), ("Port" + std::to_string(i)).c_str());
        ports[i]->setPortParameter(0, interface.param(kTune));
        ports[i]->shown.clear();
    }
    PortControl* meter = addPortControl(vm.get(), "Meter");
    meter->setPortParameter(3, interface.param(kLevel));
    meter->shown.clear();
    interface.setBlock(kTune, {0, 0, 0x00, 0x3F}); // 0.5 set behind the controls' back
    EXPECT_TRUE(vm->isParameterRefreshPending());

    vm->onTimer();
    EXPECT_FALSE(vm->isParameterRefreshPending());
    EXPECT_EQ(vm->getRefreshedParameters(), uint32_t(kFixtureParameters - 1));
    for (PortControl* port : ports) {
        ASSERT_EQ(port->shown.size(), 1u);
        EXPECT_EQ(port->shown[0].value, 0.5f);
    }
    EXPECT_TRUE(meter->shown.empty());

    // Until asked again, later ticks send nothing.
    vm->onTimer();
    EXPECT_EQ(ports[0]->shown.size(), 1u);
    interface.setBlock(kTune, {0, 0, 0x80, 0x3F}); // 1.0
    vm->requestParameterRefresh();
    vm->onTimer();
    ASSERT_EQ(ports[3]->shown.size(), 2u);
    EXPECT_EQ(ports[3]->shown[1].value, 1.0f);
}

TEST_F(TimerTest, TheDisplayChainHearsThatTheParametersWereRefreshed)
{
    auto* display = new RecordingControl(vm.get(), nullptr);
    display->addBits(kControlShowsValuesBit);
    vm->registerControl(display, nullptr);
    vm->onTimer();
    int refreshed = 0;
    for (const auto& r : display->received)
        refreshed += r.message == 40 ? 1 : 0;
    EXPECT_EQ(refreshed, 1);
}

TEST_F(TimerTest, NothingHappensWhileAScriptLoads)
{
    struct Loading : AM_AGG_ViewMan {
        using AM_AGG_ViewMan::AM_AGG_ViewMan;
        void setLoading(bool on) { scriptLoading_ = on ? 1 : 0; }
    };
    Loading loading(&interface, nullptr, nullptr, surface.get());
    loading.setLoading(true);
    interface.refreshes.clear();
    loading.onTimer();
    EXPECT_TRUE(interface.refreshes.empty());
    EXPECT_TRUE(loading.isParameterRefreshPending());
    loading.setLoading(false);
    loading.onTimer();
    EXPECT_EQ(interface.refreshes.size(), 1u);
    EXPECT_FALSE(loading.isParameterRefreshPending());
}

} // namespace

namespace {

// A panel repainted through the view manager at zooms 1 and 2: a pane with
// three faces, one of them partly under an input-block rectangle that the
// repaint leaves white, and a top-layer marker.
class RepaintPictureTest : public ::testing::TestWithParam<int> {};

TEST_P(RepaintPictureTest, APanelRepaintedThroughTheViewManagerMatchesItsReference)
{
    const float zoom = float(GetParam());
    resetAll();
    {
        TickInterface ui;
        platform::HeadlessSurface window(int(kWidth * zoom), int(kHeight * zoom));
        AM_AGG_ViewMan vm(&ui, nullptr, nullptr, &window);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm.setProcessDescription(&info);
        const AM_Rect canvas{0, 0, kWidth, kHeight};
        vm.init(&canvas);
        auto* pale = new AM_Colour(&vm, "Pale", 0xE8ECF0FF);
        auto* blue = new AM_Colour(&vm, "Blue", 0x5070C0FF);
        auto* green = new AM_Colour(&vm, "Green", 0x60A060FF);
        for (AM_Colour* c : {pale, blue, green})
            vm.addColour(c);
        PaintControl* top = addPaintControl(&vm, nullptr, "Top", {0, 0, kWidth, kHeight}, true);
        top->setColour(pale, 0);
        PaintControl* pane = addPaintControl(&vm, top, "Pane", {20, 20, 360, 200}, true);
        pane->setColour(green, 0);
        for (int i = 0; i < 3; ++i)
            addPaintControl(&vm, pane, ("Face" + std::to_string(i)).c_str(),
                            {20.0f + float(i) * 110.0f, 40, 90, 90})
                ->setColour(blue, 0);
        top->setEditMode(false);
        vm.setZoom(zoom);
        const AM_Rect block{260, 150, 100, 40};
        vm.setInputBlockRect(&block);
        vm.invalidateRect(nullptr);
        vm.onTimer();
        auto* context = static_cast<AM_AGG_Context*>(vm.getContext());
        EXPECT_EQ(context->bufferWidth(), int(kWidth * zoom));
        EXPECT_EQ(context->bufferHeight(), int(kHeight * zoom));
        EXPECT_EQ(testsupport::compareWithGolden(
                      "viewman_repaint_z" + std::to_string(GetParam()), context->pixels(),
                      context->bufferWidth(), context->bufferHeight(), context->bufferWidth() * 4,
                      1),
                  "");
    }
    resetAll();
}

INSTANTIATE_TEST_SUITE_P(Zooms, RepaintPictureTest, ::testing::Values(1, 2));

} // namespace

// What a control's own changes leave to repaint: the area it left and the
// area it took, nothing for a hidden control.
TEST_F(TimerTest, AControlsChangesInvalidateWhereItWasAndWhereItIs)
{
    struct Case {
        const char* what;
        bool visible;
        void (*change)(AM_ViewControl*);
        std::vector<AM_Rect> mustBeDirty;
    };
    const Case cases[] = {
        {"move", true, [](AM_ViewControl* c) { c->moveBy(150, 0, false, false); },
         {{10, 10, 20, 20}, {160, 10, 20, 20}}},
        {"grow", true, [](AM_ViewControl* c) { c->growBy(0, 0, 30, 10, false); },
         {{10, 10, 50, 30}}},
        {"hide", true, [](AM_ViewControl* c) { c->setVisible(false, kAllLayers, false); },
         {{10, 10, 20, 20}}},
        {"show", false, [](AM_ViewControl* c) { c->setVisible(true, kAllLayers, false); },
         {{10, 10, 20, 20}}},
        {"hidden move", false, [](AM_ViewControl* c) { c->moveBy(150, 0, false, false); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PaintControl* control = addPaintControl(vm.get(), top, "Box", {10, 10, 20, 20});
        control->setEditMode(false);
        if (!c.visible)
            control->setVisible(false, kAllLayers, false);
        clearDirty();
        c.change(control);
        const std::vector<AM_Rect> rects = dirty();
        for (const AM_Rect& want : c.mustBeDirty) {
            bool covered = false;
            for (const AM_Rect& r : rects)
                covered = covered || (r.x <= want.x && r.y <= want.y &&
                                      r.x + r.w >= want.x + want.w &&
                                      r.y + r.h >= want.y + want.h);
            EXPECT_TRUE(covered) << "(" << want.x << "," << want.y << "," << want.w << ","
                                 << want.h << ") is not repainted";
        }
        if (c.mustBeDirty.empty()) {
            EXPECT_FALSE(vm->isDirty());
        }
        control->unlink();
        delete control;
        clearDirty();
    }
}
