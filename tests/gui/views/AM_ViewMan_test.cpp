#include "ViewManFixture.h"

#include "TempDir.h"
#include "TraceCapture.h"
#include "foundation/AM_File.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/graphics/AM_ValueToStringObject.h"
#include "gui/views/AM_AGG_ViewMan.h"
#include "gui/views/AM_InstanceRecord.h"
#include "params/object/AM_ObjectHost.h"
#include "params/object/AM_ParamInfo.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

using viewtest::RecordingControl;
using viewtest::TestViewMan;
using viewtest::ViewManTest;

TEST_F(ViewManTest, ConstructionStartsFromTheDocumentedState)
{
    AM_ViewMan* vm = open();
    EXPECT_EQ(vm->getMask(), AM_ViewMan::kClassMask);
    EXPECT_EQ(vm->getZoom(), 1.0f);
    EXPECT_TRUE(vm->isRefreshPending());
    EXPECT_FALSE(vm->getRefreshFlag());
    EXPECT_FALSE(vm->isEditMode());
    EXPECT_TRUE(vm->getSelectionOption());
    EXPECT_FALSE(vm->isCloning());
    EXPECT_EQ(vm->getCloneMode(), 0u);
    EXPECT_EQ(vm->getAlternative(), 0u);
    EXPECT_EQ(vm->getTopControl(), nullptr);
    EXPECT_EQ(vm->getContext(), nullptr);
    ASSERT_NE(vm->getObjectHost(), nullptr);
    EXPECT_EQ(vm->getObjectHost()->getObjectAt(0), vm);
    EXPECT_EQ(vm->getObjectHost()->getCapacity(), AM_ViewMan::kObjectHostCapacity);
    // The view manager is the interface's view manager until it goes.
    EXPECT_EQ(interface.getViewMan(), static_cast<AM_ViewManServices*>(vm));
    views.clear();
    EXPECT_EQ(interface.getViewMan(), nullptr);
}

TEST_F(ViewManTest, ObjectIdsCountUpFromZero)
{
    AM_ViewMan* vm = open();
    const uint32_t first = vm->peekNextObjectId();
    EXPECT_EQ(vm->newObjectId(), first);
    EXPECT_EQ(vm->newObjectId(), first + 1);
    EXPECT_EQ(vm->peekNextObjectId(), first + 2);
}

TEST_F(ViewManTest, ObjectsJoinTheirListsAndTheGuiHost)
{
    AM_ViewMan* vm = open();
    auto* first = new AM_Colour(vm, "one", 0x112233FF);
    auto* second = new AM_Colour(vm, "two", 0x445566FF);
    vm->addColour(first);
    vm->addColour(second);
    EXPECT_EQ(first->getHost(), vm->getObjectHost());
    EXPECT_EQ(vm->getColours(), first);
    EXPECT_EQ(first->getNext(), second);
    EXPECT_EQ(vm->getColour("two"), second);
    EXPECT_EQ(vm->getColour("three"), nullptr);
    EXPECT_EQ(vm->getColour(nullptr), nullptr);
    EXPECT_EQ(vm->getValueToString("generic"), nullptr);

    auto* v2s = new AM_ValueToStringObject(vm, "percent");
    vm->addValueToString(v2s);
    EXPECT_EQ(vm->getValueToString("percent"), v2s);
    EXPECT_EQ(v2s->getHost(), vm->getObjectHost());
}

TEST_F(ViewManTest, GetGraphicPrefersTheThemeAlternativeAndFallsBackToNone)
{
    TestViewMan* vm = open();
    EXPECT_EQ(vm->getGraphic("Knob"), nullptr);
    auto* plain = new AM_Graphic(vm, 0);
    plain->setName("Knob");
    auto* themed = new AM_Graphic(vm, 3);
    themed->setName("Knob");
    auto* onlyPlain = new AM_Graphic(vm, 0);
    onlyPlain->setName("Back");
    vm->addGraphic(plain);
    vm->addGraphic(themed);
    vm->addGraphic(onlyPlain);

    EXPECT_EQ(vm->getGraphic("Knob"), plain);
    vm->setAlternative(3);
    EXPECT_EQ(vm->getGraphic("Knob"), themed);
    EXPECT_EQ(vm->getGraphic("Back"), onlyPlain);
    EXPECT_EQ(vm->findGraphic("Back", 3), nullptr);
    EXPECT_EQ(vm->getGraphic("Missing"), nullptr);
}

TEST_F(ViewManTest, RegisterControlBuildsTheTreeAndTheChains)
{
    AM_ViewMan* vm = open();
    const AM_Rect r{0, 0, 400, 300};
    auto* top = new RecordingControl(vm, &r);
    vm->registerControl(top, nullptr);
    EXPECT_EQ(vm->getTopControl(), top);
    EXPECT_EQ(top->getHost(), vm->getObjectHost());

    auto* loose = new RecordingControl(vm, &r);
    vm->registerControl(loose, nullptr);
    EXPECT_EQ(top->getNext(), loose);
    // Registering again does not link it twice.
    vm->registerControl(loose, nullptr);
    EXPECT_EQ(loose->getNext(), nullptr);

    auto* timed = new RecordingControl(vm, &r);
    timed->addBits(kControlHasTimerBit);
    auto* display = new RecordingControl(vm, &r);
    display->addBits(kControlShowsValuesBit);
    top->addControl(timed, kAllLayers, false);
    top->addControl(display, kAllLayers, false);
    // A control in edit mode does not run on the timer; leaving edit mode
    // puts the chain out of date, and the rebuilt chain holds it.
    EXPECT_EQ(vm->getTimerChain(), nullptr);
    EXPECT_EQ(vm->getDisplayChain(), display);
    EXPECT_FALSE(vm->isTimerChainDirty());
    display->setEditMode(false); // no timer: the chain stays as it is
    EXPECT_FALSE(vm->isTimerChainDirty());
    timed->setEditMode(false);
    EXPECT_TRUE(vm->isTimerChainDirty());
    vm->updateTimerChain();
    EXPECT_EQ(vm->getTimerChain(), timed);
    EXPECT_EQ(timed->nextInTimerChain, nullptr);
    EXPECT_FALSE(vm->isTimerChainDirty());
    timed->setEditMode(true);
    EXPECT_TRUE(vm->isTimerChainDirty());
    vm->updateTimerChain();
    EXPECT_EQ(vm->getTimerChain(), nullptr);
    timed->setEditMode(false);
    vm->updateTimerChain();

    // A control that goes away leaves the chains.
    timed->unlink();
    delete timed;
    EXPECT_EQ(vm->getTimerChain(), nullptr);
    display->unlink();
    delete display;
    EXPECT_EQ(vm->getDisplayChain(), nullptr);

    vm->invalidateTimerChain();
    EXPECT_TRUE(vm->isTimerChainDirty());
    vm->updateTimerChain();
    EXPECT_FALSE(vm->isTimerChainDirty());
}

TEST_F(ViewManTest, SelectModuleBroadcastsMessage49)
{
    AM_ViewMan* vm = open();
    const AM_Rect r{0, 0, 10, 10};
    auto* control = new RecordingControl(vm, &r);
    vm->registerControl(control, nullptr);

    auto names = [&] {
        std::ostringstream out;
        for (const auto& m : control->received) {
            if (m.message == AM_ViewMan::kMsgModuleSelected) {
                out << m.arg << ":" << m.text << " ";
            }
        }
        control->received.clear();
        return out.str();
    };
    vm->selectModule("Osc1");
    EXPECT_EQ(names(), "1:Osc1 ");
    EXPECT_STREQ(vm->getModuleName(), "Osc1");
    vm->selectModule("Osc1");
    EXPECT_EQ(names(), "1:Osc1 ");
    vm->selectModule("Filter");
    EXPECT_EQ(names(), "0:Osc1 1:Filter ");
    EXPECT_STREQ(vm->getModuleName(), "Filter");
}

TEST_F(ViewManTest, TopLayerTableAddsOnceFillsAndRemoves)
{
    AM_ViewMan* vm = open();
    const AM_Rect r{0, 0, 10, 10};
    std::vector<std::unique_ptr<AM_ViewControl>> controls;
    for (int i = 0; i < AM_ViewMan::kTopLayerSlots + 1; ++i) {
        controls.push_back(std::make_unique<AM_ViewControl>(vm, &r));
    }
    AM_ViewControl* a = controls[0].get();
    AM_ViewControl* b = controls[1].get();
    EXPECT_EQ(vm->setTopLayerControl(a, true), 0);
    EXPECT_EQ(vm->setTopLayerControl(b, true), 1);
    EXPECT_EQ(vm->setTopLayerControl(a, true), 0);

    // Removing an absent control changes nothing.
    vm->setTopLayerControl(controls[5].get(), false);
    EXPECT_EQ(vm->getTopLayerControl(0), a);
    EXPECT_EQ(vm->getTopLayerControl(1), b);

    // Removing moves the later entries down.
    vm->setTopLayerControl(a, false);
    EXPECT_EQ(vm->getTopLayerControl(0), b);
    EXPECT_EQ(vm->getTopLayerControl(1), nullptr);
    EXPECT_EQ(vm->setTopLayerControl(a, true), 1);

    for (int i = 2; i < AM_ViewMan::kTopLayerSlots; ++i) {
        EXPECT_EQ(vm->setTopLayerControl(controls[i].get(), true), i);
    }
    AM_ViewControl* extra = controls[AM_ViewMan::kTopLayerSlots].get();
    EXPECT_EQ(vm->setTopLayerControl(extra, true), AM_ViewMan::kTopLayerSlots);
    vm->setTopLayerControl(extra, false);
    EXPECT_EQ(vm->getTopLayerControl(AM_ViewMan::kTopLayerSlots - 1),
              controls[AM_ViewMan::kTopLayerSlots - 1].get());

    // A control that goes away leaves the table.
    controls[2].reset();
    EXPECT_EQ(vm->getTopLayerControl(2), controls[3].get());
    EXPECT_EQ(vm->getTopLayerControl(AM_ViewMan::kTopLayerSlots - 1), nullptr);
}

TEST_F(ViewManTest, ZoomSizesTheWindowByTheTopControl)
{
    AM_ViewMan* vm = open();
    vm->setZoom(2.0f);
    EXPECT_EQ(vm->getZoom(), 2.0f);
    EXPECT_TRUE(interface.windowSizes.empty());

    const AM_Rect r{0, 0, 400.7f, 300.2f};
    vm->registerControl(new AM_ViewControl(vm, &r), nullptr);
    vm->setZoom(2.0f);
    ASSERT_EQ(interface.windowSizes.size(), 1u);
    EXPECT_EQ(interface.windowSizes[0], std::make_pair(800, 600));
    vm->setZoom(1.5f);
    EXPECT_EQ(interface.windowSizes.back(), std::make_pair(600, 450));

    testsupport::TraceCapture trace;
    for (float bad : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity()}) {
        vm->setZoom(bad);
    }
    EXPECT_EQ(vm->getZoom(), 1.5f);
    EXPECT_EQ(interface.windowSizes.size(), 2u);
    EXPECT_EQ(trace.count("Zoom"), 4);
}

TEST_F(ViewManTest, SoftwareViewManagerZoomsItsContext)
{
    auto vm = std::make_unique<AM_AGG_ViewMan>(&interface, nullptr, nullptr, nullptr);
    const AM_PluginInfo info = viewtest::pluginInfo("TestSynth");
    vm->setProcessDescription(&info);
    const AM_Rect canvas{0, 0, 400, 300};
    EXPECT_TRUE(vm->init(&canvas));
    AM_Context* context = vm->getContext();
    ASSERT_NE(context, nullptr);
    auto* agg = static_cast<AM_AGG_Context*>(context);
    ASSERT_NE(agg->getCanvasRect(), nullptr);
    EXPECT_EQ(agg->getCanvasRect()->w, 400.0f);
    EXPECT_EQ(agg->getCanvasRect()->h, 300.0f);
    vm->registerControl(new AM_ViewControl(vm.get(), &canvas), nullptr);
    vm->setZoom(2.0f);
    EXPECT_EQ(context->getZoom(), 2.0f);
    EXPECT_EQ(interface.windowSizes.back(), std::make_pair(800, 600));
}

TEST_F(ViewManTest, PathKinds)
{
    AM_ViewMan* vm = open();
    EXPECT_EQ(vm->getNumPathKinds(), 7);
    const char* names[] = {"no path", "Shapes", "Controls", "Panes", "Animations", "Icons",
                           "Other"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(vm->getPathKindName(i), names[i]);
        EXPECT_EQ(vm->findPathKind(names[i]), i);
    }
    EXPECT_STREQ(vm->getPathKindName(7), "no path");
    EXPECT_STREQ(vm->getPathKindName(-1), "no path");
    EXPECT_EQ(vm->findPathKind("Icons"), 5);
    EXPECT_EQ(vm->findPathKind("icons"), 0);
    EXPECT_EQ(vm->findPathKind(nullptr), 0);
}

TEST_F(ViewManTest, PathSlotsHoldCopiesAndOpenTheirFiles)
{
    AM_ViewMan* vm = open();
    testsupport::TempDir dir;
    const std::string file = dir.file("prefs.txt");
    std::string text = file;
    vm->setPath(2, text.c_str());
    text.clear();
    EXPECT_EQ(std::string(vm->getPath(2)), file);
    EXPECT_EQ(vm->getPath(3), nullptr);

    testsupport::TraceCapture trace;
    EXPECT_EQ(vm->openPathFile(3, false), nullptr);
    EXPECT_TRUE(trace.contains("path is NULL"));
    vm->setPath(kPathSlots, "x");
    vm->setPath(-1, "x");
    EXPECT_EQ(vm->getPath(kPathSlots), nullptr);

    // Writing creates the file; reading opens it.
    {
        std::unique_ptr<AM_File> out = vm->openPathFile(2, true);
        ASSERT_NE(out, nullptr);
        uint32_t written = 0;
        EXPECT_EQ(out->writeBytes("abc", 3, written), 0u);
    }
    EXPECT_TRUE(trace.contains("path is " + file));
    std::unique_ptr<AM_File> in = vm->openPathFile(2, false);
    ASSERT_NE(in, nullptr);
    char buffer[8] = {};
    uint32_t read = 0;
    EXPECT_EQ(in->readBytes(buffer, 8, read), 0u);
    EXPECT_EQ(std::string(buffer, read), "abc");

    vm->setPath(2, nullptr);
    EXPECT_EQ(vm->getPath(2), nullptr);
}

TEST_F(ViewManTest, InfoLinesGoToTheFirstDisplay)
{
    AM_ViewMan* vm = open();
    EXPECT_EQ(vm->getInfoLine(2), nullptr);
    EXPECT_EQ(vm->getInfoLine(-1), nullptr);
    vm->showInfoLine(0, true); // without a display chain
    EXPECT_EQ(vm->getInfoLine(0)->shown, 1);

    const AM_Rect r{0, 0, 10, 10};
    auto* display = new RecordingControl(vm, &r);
    display->addBits(kControlShowsValuesBit);
    vm->registerControl(display, nullptr);
    vm->showInfoLine(1, display, "Cutoff", "a text longer than the thirty-nine bytes of a line",
                     true);
    AM_InfoLine* line = vm->getInfoLine(1);
    EXPECT_EQ(line->subject, display);
    EXPECT_STREQ(line->title, "Cutoff");
    EXPECT_EQ(std::strlen(line->text), AM_InfoLine::kTextBytes - 1);
    ASSERT_FALSE(display->received.empty());
    EXPECT_EQ(display->received.back().message, AM_ViewMan::kMsgInfoLine);
    EXPECT_EQ(display->received.back().arg, 1u);
    EXPECT_EQ(display->received.back().ptr, line);
    vm->showInfoLine(1, false);
    EXPECT_EQ(line->shown, 0);
}

TEST_F(ViewManTest, InterfaceRefreshIsScheduledWithItsFlag)
{
    AM_ViewMan* vm = open();
    vm->scheduleInterfaceRefresh(true);
    EXPECT_TRUE(vm->isRefreshPending());
    EXPECT_TRUE(vm->getRefreshFlag());
    vm->scheduleInterfaceRefresh(false);
    EXPECT_FALSE(vm->getRefreshFlag());
}

TEST_F(ViewManTest, EditModeSwitchesTheRootViewsContents)
{
    TestViewMan* vm = open();
    const AM_Rect r{0, 0, 100, 100};
    auto* root = new AM_ViewControl(vm, &r);
    vm->registerControl(root, nullptr);
    vm->setRootViewForTest(root);
    auto* gui = new AM_ViewControl(vm, &r);
    auto* knob = new AM_ViewControl(vm, &r);
    root->addControl(gui, kAllLayers, false);
    gui->addControl(knob, kAllLayers, false);

    vm->setEditMode(false);
    EXPECT_FALSE(vm->isEditMode());
    EXPECT_EQ(gui->getState() & kStateEditMode, 0u);
    EXPECT_EQ(knob->getState() & kStateEditMode, 0u);
    vm->setEditMode(true);
    EXPECT_TRUE(vm->isEditMode());
    EXPECT_NE(knob->getState() & kStateEditMode, 0u);
}

TEST_F(ViewManTest, AuthorIsProcessWideBoundedAndWritable)
{
    AM_ViewMan* first = open("One");
    AM_ViewMan* second = open("Two");
    EXPECT_STREQ(first->getAuthor(), "");
    EXPECT_TRUE(first->setAuthor("Someone"));
    EXPECT_STREQ(second->getAuthor(), "Someone");

    const std::string longName(200, 'a');
    EXPECT_TRUE(first->setAuthor(longName.c_str()));
    EXPECT_EQ(std::string(first->getAuthor()), longName.substr(0, 127));

    testsupport::TraceCapture trace;
    for (const char* bad : {"it's", "a=b", "tab\there", "line\nbreak", "cr\r"}) {
        EXPECT_FALSE(first->setAuthor(bad)) << bad;
    }
    EXPECT_EQ(std::string(first->getAuthor()), longName.substr(0, 127));
    EXPECT_EQ(trace.count("Author refused"), 5);
}

TEST_F(ViewManTest, PresetSaveAndMidiLearnGoToTheInterface)
{
    AM_ViewMan* vm = open();
    EXPECT_FALSE(vm->presetSaveDialog("Osc1", "Save", "untitled"));
    ASSERT_EQ(interface.selectedModules.size(), 1u);
    EXPECT_EQ(interface.selectedModules[0], "Osc1");

    const AM_ParamInfo cutoff{};
    const AM_ParamInfo* parameter = &cutoff;
    vm->startMidiLearn(nullptr, parameter, 0.5f);
    ASSERT_EQ(interface.learned.size(), 1u);
    EXPECT_EQ(interface.learned[0].first, parameter);
    EXPECT_EQ(interface.learned[0].second, nullptr);
}

TEST_F(ViewManTest, AFullGuiIsTornDownWithTheViewManager)
{
    auto vm = std::make_unique<AM_AGG_ViewMan>(&interface, nullptr, nullptr, nullptr);
    const AM_PluginInfo info = viewtest::pluginInfo("TestSynth");
    vm->setProcessDescription(&info);
    const AM_Rect canvas{0, 0, 400, 300};
    vm->init(&canvas);
    vm->registerDefaults();
    auto* top = vm->createControl("Pane", &canvas);
    vm->registerControl(top, nullptr);
    AM_ViewControl* parent = top;
    for (const char* type : {"Pane", "Rack", "Knob", "Slider"}) {
        AM_ViewControl* child = vm->createControl(type, nullptr);
        parent->addControl(child, kAllLayers, true);
        vm->setTopLayerControl(child, true);
        parent = child;
    }
    auto* timed = new RecordingControl(vm.get(), &canvas);
    timed->addBits(kControlHasTimerBit | kControlShowsValuesBit);
    timed->setEditMode(false);
    top->addControl(timed, kAllLayers, false);
    vm->registerControl(vm->createControl("Label", nullptr), nullptr);
    auto* graphic = new AM_Graphic(vm.get(), 0);
    vm->addGraphic(graphic);
    vm->setPath(kPathFonts, "/nonexistent/fonts/");
    vm->selectModule("Osc1");
    EXPECT_EQ(vm->getTimerChain(), timed);
    EXPECT_EQ(vm->getNumViewManagers(), 1u);
    vm.reset();
    AM_ViewMan probe(&interface, nullptr, nullptr);
    EXPECT_EQ(probe.getNumViewManagers(), 1u);
}

TEST_F(ViewManTest, SoftwareViewManagerMakesPngGraphicsForItsTheme)
{
    AM_AGG_ViewMan vm(&interface, nullptr, nullptr, nullptr);
    EXPECT_EQ(vm.createGraphic(nullptr, "Knob.png", 0), nullptr);
    EXPECT_EQ(vm.createGraphic("/images/Knob.png", nullptr, 0), nullptr);
    AM_Graphic* graphic = vm.createGraphic("/images/Knob.png", "Knob.png", 2);
    ASSERT_NE(graphic, nullptr);
    EXPECT_STREQ(graphic->getName(), "Knob");
    EXPECT_EQ(graphic->getKey(), 2u);
    EXPECT_EQ(graphic->getKind(), uint32_t(AM_Graphic::kPng));
    vm.addGraphic(graphic);
    EXPECT_EQ(vm.findGraphic("Knob", 2), graphic);
}
