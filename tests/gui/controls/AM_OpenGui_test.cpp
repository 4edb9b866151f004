// Opening a GUI through the whole order of the view manager's init with the
// built control classes: the fixture GUI fitted, the canvas and the window
// at the zoom, the first tick's values, and the pictures it gives.

#include "ControlFixture.h"
#include "FixtureGui.h"
#include "GoldenImage.h"
#include "SmallStackThread.h"
#include "TempDir.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_Knob.h"
#include "gui/graphics/AM_AGG_Context.h"
#include "gui/views/AM_AGG_ViewMan.h"
#include "gui/views/AM_RootView.h"
#include "platform/Surface.h"

#include <cmath>
#include <string>

namespace {

using namespace controltest;

// The parameter interface with the patch's GUI scale.
class ScaleInterface : public NamedInterface {
public:
    ScaleInterface()
    {
        scale_ = AM_makeParamInfo(0, "GScale", "GUI Scale", k_kindFloat, -3, 4, 0, 0, 0);
        scale_.index = 100;
    }
    AM_ParamInfo* findParameter(const char* module, const char* name) override
    {
        if (std::string(module) == "PCore" && std::string(name) == "GScale")
            return &scale_;
        return NamedInterface::findParameter(module, name);
    }
    const void* getParameterValue(int32_t index) override
    {
        if (index == 100)
            return &scale;
        return NamedInterface::getParameterValue(index);
    }
    float scale = 0.0f;

private:
    AM_ParamInfo scale_{};
};

class OpenGuiTest : public ::testing::Test {
protected:
    OpenGuiTest() { ControlTestAccess::reset(); }
    ~OpenGuiTest() override
    {
        vm.reset();
        window.reset();
        ControlTestAccess::reset();
    }

    // Opens the editor with the GUI script text (none: no script file) at
    // the GUI scale, through the whole init.
    void openEditor(const char* gui, float scale)
    {
        ui.scale = scale;
        // The engine's state before the editor opens.
        ui.engineSets(kTune, 0.5f);
        if (gui != nullptr)
            dir.writeFile("TestSynth.txt", gui);
        window = std::make_unique<platform::HeadlessSurface>(800, 600);
        vm = std::make_unique<AM_AGG_ViewMan>(&ui, nullptr, nullptr, window.get());
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->setControlInstaller(&AM_installStandardControls);
        vm->setPath(kPathScripts, (dir.path() + "/").c_str());
        const AM_Rect editor{0, 0, 800, 600};
        ASSERT_TRUE(vm->init(&editor));
    }

    AM_AGG_Context* context() const { return static_cast<AM_AGG_Context*>(vm->getContext()); }

    ScaleInterface ui;
    testsupport::TempDir dir;
    std::unique_ptr<platform::HeadlessSurface> window;
    std::unique_ptr<AM_AGG_ViewMan> vm;
};

struct Scale {
    const char* name;
    float gscale;
    float zoom;
};

class OpenGuiPictureTest : public OpenGuiTest, public ::testing::WithParamInterface<Scale> {};

TEST_P(OpenGuiPictureTest, TheFixtureGuiOpensFittedAndDrawnAtItsZoom)
{
    const Scale s = GetParam();
    openEditor(kFixtureGui, s.gscale);
    EXPECT_EQ(vm->getZoom(), s.zoom);

    // The tree: editor root pane > root view > the GUI, moved to the origin.
    AM_ViewControl* top = vm->getTopControl();
    ASSERT_NE(top, nullptr);
    EXPECT_STREQ(top->getName(), "editRootControl");
    AM_ViewControl* root = vm->getRootView();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getParentControl(), top);
    AM_ViewControl* main = root->getFirstChildControl();
    ASSERT_NE(main, nullptr);
    EXPECT_STREQ(main->getName(), "Main");
    EXPECT_EQ(main->getBounds().x, 0.0f);
    EXPECT_EQ(main->getBounds().y, 0.0f);
    for (AM_ViewControl* c : {top, root}) {
        EXPECT_EQ(c->getBounds().w, 240.0f) << c->getName();
        EXPECT_EQ(c->getBounds().h, 120.0f) << c->getName();
    }
    EXPECT_TRUE(top->isVisible());

    // The canvas and the window: the GUI's size at the zoom.
    const int width = int(240.0f * s.zoom);
    const int height = int(120.0f * s.zoom);
    EXPECT_EQ(context()->bufferWidth(), width);
    EXPECT_EQ(context()->bufferHeight(), height);
    EXPECT_EQ(vm->getCanvasBounds().w, float(width));
    ASSERT_FALSE(ui.windowSizes.empty());
    EXPECT_EQ(ui.windowSizes.back(), std::make_pair(width, height));

    // The first tick shows the engine's values on every bound control.
    vm->onTimer();
    EXPECT_EQ(vm->getRefreshedParameters(), uint32_t(ui.getNumParameters() - 1))
        << "every parameter but the meter's is sent again";
    auto* knob = dynamic_cast<AM_View_Knob*>(top->findByName("TuneKnob"));
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->getValue(), 0.5f);

    vm->repaintAll();
    EXPECT_EQ(testsupport::compareWithGolden(std::string("open_gui_") + s.name, context()->pixels(),
                                             context()->bufferWidth(), context()->bufferHeight(),
                                             context()->bufferWidth() * 4, 1),
              "");
}

INSTANTIATE_TEST_SUITE_P(Scales, OpenGuiPictureTest,
                         ::testing::Values(Scale{"z1", 0.0f, 1.0f}, Scale{"huge", 4.0f, 2.7182817f}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OpenGuiTest, AMissingOrEmptyScriptOpensAtTheSmallestSizeWithANotice)
{
    for (const char* gui : {static_cast<const char*>(nullptr), "# nothing here\n"}) {
        testsupport::TraceCapture trace;
        openEditor(gui, 2.0f);
        AM_ViewControl* top = vm->getTopControl();
        ASSERT_NE(top, nullptr);
        EXPECT_EQ(top->getBounds().w, AM_ViewMan::kMinEditorWidth);
        EXPECT_EQ(top->getBounds().h, AM_ViewMan::kMinEditorHeight);
        EXPECT_EQ(vm->getRootView()->getFirstChildControl(), nullptr);
        EXPECT_EQ(context()->bufferWidth(), int(2 * AM_ViewMan::kMinEditorWidth));
        EXPECT_EQ(ui.windowSizes.back(),
                  std::make_pair(int(2 * AM_ViewMan::kMinEditorWidth),
                                 int(2 * AM_ViewMan::kMinEditorHeight)));
        EXPECT_TRUE(trace.contains("The GUI is empty"));
        vm->repaintAll();
        if (gui == nullptr) {
            EXPECT_TRUE(trace.contains("Empty File..."));
            EXPECT_EQ(testsupport::compareWithGolden("open_gui_empty_z2", context()->pixels(),
                                                     context()->bufferWidth(),
                                                     context()->bufferHeight(),
                                                     context()->bufferWidth() * 4, 1),
                      "");
        }
        vm.reset();
        ControlTestAccess::reset();
        ui.windowSizes.clear();
        dir.writeFile("TestSynth.txt", "");
    }
}

TEST_F(OpenGuiTest, ANewZoomResizesTheCanvasAndAsksTheHostForTheZoomedSize)
{
    openEditor(kFixtureGui, 0.0f);
    vm->setZoom(1.5f);
    EXPECT_EQ(context()->bufferWidth(), 360);
    EXPECT_EQ(context()->bufferHeight(), 180);
    EXPECT_EQ(vm->getCanvasBounds().w, 360.0f);
    EXPECT_EQ(ui.windowSizes.back(), std::make_pair(360, 180));
    vm->setZoom(-1.0f);
    EXPECT_EQ(context()->bufferWidth(), 360) << "a refused zoom changes nothing";
}

} // namespace

namespace {

using namespace controltest;

// Panes nested `levels` deep, each on layers 1 and 2 (so a pane showing
// its layer reaches each child on two of them), the first under the editor.
std::string nestedPanes(int levels)
{
    std::string gui;
    for (int i = 0; i < levels; ++i) {
        gui += "CONTROL type='Pane' name='P" + std::to_string(i) +
               "' bounds='1 1 400 300' parent='" +
               (i == 0 ? std::string("editRootControl") : "P" + std::to_string(i - 1)) +
               "' layerMask='3'\n";
    }
    return gui;
}

TEST_F(OpenGuiTest, APaneTreeDeeperThanTheReaderTakesStopsThereAndRunsOnASmallStack)
{
    testsupport::TraceCapture trace;
    const std::string gui = nestedPanes(20000);
    bool opened = false;
    bool deepestKept = false;
    bool tooDeepRead = true;
    ASSERT_TRUE(testsupport::runWithStack(testsupport::kGuiThreadStack, [&]() {
        openEditor(gui.c_str(), 0);
        opened = vm != nullptr;
        deepestKept = vm->getTopControl()->findByName("P126") != nullptr;
        tooDeepRead = vm->getTopControl()->findByName("P127") != nullptr;
        vm->onTimer();
        vm->onTimer();
        vm->repaintAll();
        vm->handleMouseDown(20, 20, 0);
        vm->handleMouseUp(20, 20, 0);
        vm->newRootView(); // the GUI goes: every control of it is deleted
        vm->loadScriptFile(nullptr, -1);
        vm.reset();
    }));
    ASSERT_TRUE(opened);
    EXPECT_TRUE(deepestKept);
    EXPECT_FALSE(tooDeepRead);
    // The editor pane and the root view are above P0: P126 has 128 controls
    // above it, P127 would have 129.
    EXPECT_TRUE(
        trace.contains("stops at line 128: control P127 would be nested more than 128 deep"))
        << trace.text().substr(0, 2000);
    EXPECT_EQ(trace.count("stops at line"), 2) << "once per load";
}

} // namespace
