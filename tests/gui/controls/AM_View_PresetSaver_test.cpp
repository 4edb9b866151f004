#include "ControlFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_Label.h"
#include "gui/controls/AM_View_PresetManager.h"
#include "gui/controls/AM_View_PresetSaver.h"
#include "gui/controls/AM_View_PresetSelector.h"
#include "gui/graphics/AM_Colour.h"

#include <memory>

namespace {

using namespace controltest;

// Two modules with a preset parameter each (text of 80 bytes, named after
// the module), a tuning parameter, and the native-format switch recorded.
class SaverInterface : public NamedInterface {
public:
    SaverInterface()
    {
        presetA = getNumParameters();
        add(AM_makeParamInfo(0, "PresA", "Oscillator", k_typeTextData, 0, kPresetBytes, 0, 0, 0),
            0);
        presetB = getNumParameters();
        add(AM_makeParamInfo(0, "PresB", "Envelope", k_typeTextData, 0, kPresetBytes, 0, 0, 0), 1);
        tuning = getNumParameters();
        add(AM_makeParamInfo(0, "Tune", "Tuning", k_typeTextData, 0, kPresetBytes, 0, 0, 0), 0);
        format = getNumParameters();
        add(AM_makeParamInfo(0, "Form", "Format", k_kindInteger, 0, 1, 0, 0, 0), 0);
    }
    void setNativeFormat(uint32_t flag) override
    {
        formats.push_back(flag);
        NamedInterface::setNativeFormat(flag);
    }
    const char* getCurrentPresetName(const char*) override { return "Current"; }
    PresetSaveResult savePreset(char* name, const char*, bool force) override
    {
        steps.push_back(std::string("save ") + name + (force ? " forced" : ""));
        return saveResult;
    }
    void nextPreset(const char*) override { steps.emplace_back("next"); }
    void previousPreset(const char*) override { steps.emplace_back("previous"); }
    PresetSaveResult saveResult = PresetSaveResult::kSaved;
    std::vector<std::string> steps;
    static constexpr uint32_t kPresetBytes = 80;
    int32_t presetA = -1, presetB = -1, tuning = -1, format = -1;
    std::vector<uint32_t> formats;
};

// A view manager that records the save dialogs asked for.
class SaveDialogViewMan : public MenuViewMan {
public:
    using MenuViewMan::MenuViewMan;
    bool presetSaveDialog(const char* modulePath, const char* title, const char* name) override
    {
        dialogs.emplace_back(modulePath != nullptr ? modulePath : "(main)");
        return MenuViewMan::presetSaveDialog(modulePath, title, name);
    }
    void showAlert(const char* title, const char* text) override
    {
        alerts.push_back(std::string(title) + ": " + text);
    }
    std::vector<std::string> dialogs;
    std::vector<std::string> alerts;
};

class PresetSaverTest : public ::testing::Test {
protected:
    PresetSaverTest()
    {
        ControlTestAccess::reset();
        vm = std::make_unique<SaveDialogViewMan>(&ui, nullptr, nullptr);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installStandardControls(vm.get());
        top = make("Pane", {0, 0, 400, 300});
    }
    ~PresetSaverTest() override
    {
        vm.reset();
        ControlTestAccess::reset();
    }
    AM_ViewControl* make(const char* type, AM_Rect bounds, const char* name = nullptr,
                         AM_ViewControl* parent = nullptr)
    {
        AM_ViewControl* control = vm->createControl(type, &bounds);
        if (parent != nullptr)
            parent->addControl(control, kAllLayers, false);
        else
            vm->registerControl(control, nullptr);
        if (name != nullptr)
            control->setName(name);
        control->setVisible(true, kAllLayers, false);
        control->setEditMode(false);
        return control;
    }
    AM_View_PresetSaver* saver(const char* name, int32_t parameter, AM_Rect bounds = {10, 10, 60, 14})
    {
        auto* s = dynamic_cast<AM_View_PresetSaver*>(make("PresetSaver", bounds, name, top));
        if (parameter >= 0)
            s->setPortParameter(0, ui.param(parameter));
        return s;
    }
    static const float* at(float x, float y)
    {
        static float point[2];
        point[0] = x;
        point[1] = y;
        return point;
    }

    SaverInterface ui;
    std::unique_ptr<SaveDialogViewMan> vm;
    AM_ViewControl* top = nullptr;
};

TEST_F(PresetSaverTest, TwoButtonsShareTheBrowserPane)
{
    AM_ViewControl* pane = make("Pane", {100, 0, 300, 300}, "Browser", top);
    auto* folders =
        dynamic_cast<AM_View_PresetManager*>(make("PresetManager", {100, 20, 120, 200}, "_PresetFolders", pane));
    auto* list =
        dynamic_cast<AM_View_PresetSelector*>(make("PresetSelector", {220, 20, 180, 200}, "_ModulePresets", pane));
    auto* label = dynamic_cast<AM_View_Label*>(make("Label", {100, 0, 200, 16}, "_PresetType", pane));
    ASSERT_TRUE(folders && list && label);
    pane->setVisible(false, kAllLayers, false);
    AM_View_PresetSaver* a = saver("SaveA", ui.presetA, {10, 10, 60, 14});
    AM_View_PresetSaver* b = saver("SaveB", ui.presetB, {10, 30, 60, 14});
    a->setProperty("clientpane", 1, "Browser");
    b->setProperty("clientpane", 1, "Browser");
    ASSERT_EQ(a->getClientPane(), pane);

    struct Step {
        AM_View_PresetSaver* button;
        bool open;
        const char* list;
    };
    const Step steps[] = {
        {a, true, "Oscillator"},  // opens for A
        {a, false, "Oscillator"}, // A again closes it
        {a, true, "Oscillator"},
        {b, true, "Envelope"}, // B while open re-targets and keeps it open
        {b, false, "Envelope"},
    };
    for (const Step& s : steps) {
        s.button->onMouseDown(at(12, s.button->getBounds().y + 2), 0);
        EXPECT_EQ(pane->isVisible(), s.open) << s.button->getName() << " " << s.list;
        EXPECT_STREQ(list->getPresetListName(), s.list);
        EXPECT_EQ(list->getOwnerSaver(), s.button);
        EXPECT_STREQ(label->getText(), s.list);
    }

    // Without the browser's controls a click still works and changes nothing.
    list->setName("SomeList");
    label->setName("SomeLabel");
    a->onMouseDown(at(12, 12), 0);
    EXPECT_TRUE(pane->isVisible());
    EXPECT_STREQ(list->getPresetListName(), "Envelope");
    EXPECT_STREQ(label->getText(), "Envelope");
}

TEST_F(PresetSaverTest, MenusAndClicksSaveThroughTheSaveForm)
{
    AM_View_PresetSaver* bound = saver("Bound", ui.presetA);
    vm->answerText = "save Oscillator settings";
    bound->onMouseDown(at(12, 12), 2);
    ASSERT_FALSE(vm->items.empty());
    EXPECT_EQ(vm->items[0].text, "save Oscillator settings");
    EXPECT_EQ(vm->dialogs, std::vector<std::string>{"Oscillator"});
    EXPECT_EQ(ui.selectedModules.back(), "Oscillator");

    // Unbound: a click opens the form for the whole patch.
    AM_View_PresetSaver* main = saver("Main", -1, {10, 40, 60, 14});
    main->onMouseDown(at(12, 42), 0);
    EXPECT_EQ(vm->dialogs.back(), "(main)");
    EXPECT_EQ(vm->dialogs.size(), 2u);
    // Alt saves over the current preset without the form.
    main->onMouseDown(at(12, 42), 8);
    EXPECT_EQ(vm->dialogs.size(), 2u);
}

TEST_F(PresetSaverTest, AQuickSaveThatDidNotHappenIsShownAndStaysOnThePreset)
{
    // Alt saves over the current preset, with Shift stepping on to the next;
    // a save refused or failed is shown, and stepping on would lose the
    // edits that were not saved.
    const struct {
        PresetSaveResult result;
        std::vector<std::string> steps;
        const char* alert; // a part of the alert, or null for none
    } cases[] = {
        {PresetSaveResult::kSaved, {"save Current forced", "next"}, nullptr},
        {PresetSaveResult::kFailed, {"save Current forced"}, "could not be written"},
        {PresetSaveResult::kRefused, {"save Current forced"}, "no preset folder"},
        {PresetSaveResult::kCancelled, {"save Current forced"}, nullptr},
    };
    AM_View_PresetSaver* main = saver("Main", -1, {10, 40, 60, 14});
    for (const auto& c : cases) {
        ui.saveResult = c.result;
        ui.steps.clear();
        vm->alerts.clear();
        main->onMouseDown(at(12, 42), 8 | 1);
        EXPECT_EQ(ui.steps, c.steps);
        ASSERT_EQ(vm->alerts.size(), c.alert != nullptr ? 1u : 0u);
        if (c.alert != nullptr) {
            EXPECT_NE(vm->alerts[0].find("Preset not saved: "), std::string::npos);
            EXPECT_NE(vm->alerts[0].find(c.alert), std::string::npos) << vm->alerts[0];
        }
    }
    EXPECT_TRUE(vm->dialogs.empty());
}

TEST_F(PresetSaverTest, ValuesShowTheNameAndSetTheFormat)
{
    AM_View_PresetSaver* s = saver("Shown", ui.presetA);
    // A text that fills the parameter without a terminator is cut there and at 63.
    std::vector<char> text(SaverInterface::kPresetBytes, 'x');
    s->setParameterValue(0, text.data());
    EXPECT_EQ(std::string(s->getDisplayText()), std::string(63, 'x'));
    s->setParameterValue(0, "Warm Pad");
    EXPECT_STREQ(s->getDisplayText(), "Warm Pad");

    s->setPortParameter(1, ui.param(ui.format));
    ui.formats.clear();
    for (float v : {1.0f, 0.0f, std::nanf("")}) {
        s->setParameterValue(1, &v);
    }
    EXPECT_EQ(ui.formats, (std::vector<uint32_t>{1, 0, 0}));

    // The preset name from the user goes to the parameter in a buffer of its size.
    s->showPresetName("Bright");
    EXPECT_STREQ(static_cast<const char*>(ui.getParameterValue(ui.presetA)), "Bright");
}

TEST_F(PresetSaverTest, ATuningParameterNamesTheTuningList)
{
    AM_View_PresetSaver* first = saver("TuneA", ui.tuning);
    AM_View_PresetSaver* second = saver("TuneB", ui.tuning);
    EXPECT_TRUE(first->isTuning());
    EXPECT_EQ(first->getPresetListName(), "Oscillator Tuning");
    EXPECT_EQ(second->getPresetListName(), "Oscillator Tuning")
        << "a second button finds the list the first one made";
    AM_View_PresetSaver* plain = saver("Plain", ui.presetB);
    EXPECT_FALSE(plain->isTuning());
    EXPECT_EQ(plain->getPresetListName(), "Envelope");
}

TEST_F(PresetSaverTest, TheClientPaneIsWrittenAndReadByName)
{
    AM_ViewControl* pane = make("Pane", {100, 0, 100, 100}, "Browser", top);
    AM_View_PresetSaver* s = saver("Saver", ui.presetA);
    s->setClientPane(pane);
    std::string script;
    s->writeProperties(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Saver' name='clientpane' id='1' value='Browser'"),
              std::string::npos)
        << script;
    s->setProperty("clientpane", 1, "Nothing");
    EXPECT_EQ(s->getClientPane(), nullptr);

    // The edit menu offers the containers.
    vm->setEditMode(true);
    vm->answerText = "Browser";
    testsupport::TraceCapture trace;
    s->buildEditMenu(at(12, 12), true, 0);
    EXPECT_EQ(s->getClientPane(), pane);
    EXPECT_TRUE(trace.contains("done adding clientPane to Saver"));
}

TEST_F(PresetSaverTest, TheButtonIsDrawn)
{
    AM_View_PresetSaver* s = saver("Drawn", ui.presetA, {0, 0, 90, 16});
    const auto colour = [this](const char* name, uint32_t rgba) {
        auto* c = new AM_Colour(vm.get(), name, rgba);
        vm->addColour(c);
        return c;
    };
    s->setColour(colour("SaverBack", 0x2E3238FF), 0);
    s->setColour(colour("SaverBorder", 0x5A606BFF), 1);
    s->setColour(colour("SaverText", 0xE9A23BFF), 2);
    s->setParameterValue(0, "Glass Harp");
    for (float zoom : {1.0f, 2.0f}) {
        testsupport::HeadlessCanvas canvas(90, 16, zoom);
        canvas.begin();
        s->draw(&canvas.context());
        EXPECT_EQ(canvas.compare("preset_button_z" + std::to_string(int(zoom)), 1), "") << zoom;
    }
}

} // namespace
