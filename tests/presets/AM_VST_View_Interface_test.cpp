// The VST plug-in's GUI-to-engine interface in a whole plug-in: created
// when the editor opens, values from the editor to the engine and the host
// (once each), values from the host to the editor (only on its idle call),
// the record caches and the host-index map, edit gestures, MIDI learn, the
// host's program changes, and the editor torn down before the engine.

#include "InterfaceFixture.h"

#include "params/object/AM_ParamInfo.h"
#include "platform/Trace.h"

#include <cmath>
#include <thread>

namespace {

using namespace viewtest;

class ViewInterfaceTest : public InterfaceTest {};

TEST_F(ViewInterfaceTest, TheEditorMakesTheInterfaceWhenItOpensAndEndsItWhenItCloses)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    EXPECT_NE(e->flags & effFlagsHasEditor, 0) << "a registered editor factory gives an editor";
    ASSERT_NE(editor(e).getInterface(), nullptr);
    EXPECT_EQ(plugin(e).getEditorSeam()->getViewInterface(), editor(e).getInterface());
    // Initialised with the view manager, then the host's initial program
    // announced by its name.
    const std::vector<std::string> expected = {"parametersRefreshed", "parametersRefreshed"};
    EXPECT_EQ(viewMan(e).calls, expected);
    EXPECT_EQ(ui(e).getViewMan(), editor(e).viewMan());

    dispatch(e, effEditClose);
    EXPECT_EQ(editor(e).getInterface(), nullptr);
    EXPECT_EQ(plugin(e).getEditorSeam()->getViewInterface(), nullptr);
    EXPECT_EQ(TestEditor::life.closed, 1);
}

TEST_F(ViewInterfaceTest, OpeningAnnouncesTheInitialProgramByNameAndAnyOtherAsAProgramChange)
{
    struct Case {
        const char* program;
        std::vector<std::string> announced;
    };
    const Case cases[] = {
        {"initialize", {"parametersRefreshed"}},
        {"...", {"parametersRefreshed"}},
        {"Brass", {"requestParameterRefresh", "parametersRefreshed"}},
    };
    for (const Case& c : cases) {
        AEffect* e = openWithEditor();
        ASSERT_NE(e, nullptr);
        dispatch(e, effEditClose);
        dispatch(e, effSetProgramName, 0, 0, const_cast<char*>(c.program));
        static int parent = 0;
        ASSERT_EQ(dispatch(e, effEditOpen, 0, 0, &parent), 1) << c.program;
        std::vector<std::string> expected = {"parametersRefreshed"};
        expected.insert(expected.end(), c.announced.begin(), c.announced.end());
        EXPECT_EQ(viewMan(e).calls, expected) << c.program;
        dispatch(e, effEditClose);
    }
}

TEST_F(ViewInterfaceTest, WithoutARegisteredFactoryThePluginHasNoEditor)
{
    AM_VST_setEditorFactory(nullptr);
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->flags & effFlagsHasEditor, 0);
    EXPECT_EQ(plugin(e).getEditorSeam(), nullptr);
}

TEST_F(ViewInterfaceTest, ClosingThePluginWithItsEditorOpenEndsTheEditorBeforeTheEngine)
{
    AEffect* e = openWithEditor();
    ASSERT_EQ(TestEditor::life.opened, 1);
    close(e);
    EXPECT_EQ(TestEditor::life.closed, 1);
    EXPECT_TRUE(TestEditor::life.engineAliveAtClose);
}

TEST_F(ViewInterfaceTest, TheCachesHoldTheEnginesRecords)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    Synth_AudioMan& audio = engine(e);

    ASSERT_EQ(view.getNumParameters(), audio.getParameterCount(false));
    ASSERT_EQ(view.getNumModules(), audio.getModuleCount());
    for (int32_t m = 0; m < view.getNumModules(); ++m) {
        const AM_ModuleRecord* record = view.getModuleInfoByIndex(m);
        ASSERT_NE(record, nullptr);
        EXPECT_STREQ(record->longName, audio.getModuleRecord(m)->longName);
        EXPECT_TRUE(view.isModuleActive(record->shortName)) << record->shortName;
    }
    for (int32_t bad : {-1, view.getNumModules(), 1 << 30})
        EXPECT_EQ(view.getModuleInfoByIndex(bad), nullptr) << bad;

    int32_t automatable = 0;
    for (int32_t i = 0; i < audio.getParameterCount(false); ++i) {
        const AM_ParamInfo* record = audio.getParameterDescriptor(i, false);
        if ((record->flags & k_paramPublished) == 0)
            continue;
        ++automatable;
        if (record->kind() != k_kindData) {
            EXPECT_EQ(view.hostIndexToInternal(record->publishedIndex), i) << record->shortName;
        }
    }
    EXPECT_EQ(view.getAutomatableCount(), automatable);
    EXPECT_GT(automatable, 0);
    for (int32_t bad : {-1, 1 << 20})
        EXPECT_EQ(view.hostIndexToInternal(bad), -1);
    for (int32_t bad : {-1, view.getNumParameters()})
        EXPECT_EQ(view.getParameterInfo(bad, false), nullptr);
}

// The editor's road to the engine: applied once, the host told once, every
// bound port told once, and nothing more on the next idle call (the host's
// answering setParameter is not applied or announced again).
TEST_F(ViewInterfaceTest, AValueFromTheEditorReachesTheEngineTheHostOnceAndEveryBoundPort)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    const AM_ParamInfo& cutoff = info(e, "Kestan", "Cutoff");
    const auto index = static_cast<int32_t>(cutoff.index);
    RecordingPort knob(0), display(2);
    ASSERT_EQ(view.registerParameterListener(&knob.record, index, true), 0);
    knob.record.parameter = &cutoff;
    ASSERT_EQ(view.registerParameterListener(&display.record, index, true), 1);
    display.record.parameter = &cutoff;

    const float plain = cutoff.min + 0.25f * (cutoff.max - cutoff.min);
    view.setParameterValue(index, &plain);
    process(e);

    EXPECT_FLOAT_EQ(engine(e).getParameter(index, false), plain);
    ASSERT_EQ(host.automations.size(), 1u);
    EXPECT_EQ(host.automations[0].index, cutoff.publishedIndex);
    EXPECT_NEAR(host.automations[0].value, 0.25f, 1e-6f);
    for (RecordingPort* port : {&knob, &display}) {
        ASSERT_EQ(port->values.size(), 1u);
        EXPECT_FLOAT_EQ(port->values[0], plain);
    }
    EXPECT_EQ(knob.ports[0], 0);
    EXPECT_EQ(display.ports[0], 2);

    dispatch(e, effEditIdle);
    EXPECT_EQ(knob.values.size(), 1u) << "the host's answer came back as a second notification";
    EXPECT_EQ(display.values.size(), 1u);
}

TEST_F(ViewInterfaceTest, HostAutomationOnTheAudioThreadReachesTheEditorOnlyOnItsIdleCall)
{
    AEffect* e = openWithEditor();
    const AM_ParamInfo& cutoff = info(e, "Kestan", "Cutoff");
    RecordingPort knob;
    ui(e).registerParameterListener(&knob.record, static_cast<int32_t>(cutoff.index), true);

    std::thread audio([&] {
        platform::RealtimeScope realtime;
        e->setParameter(e, cutoff.publishedIndex, 0.5f);
        process(e);
    });
    audio.join();
    EXPECT_TRUE(knob.values.empty());

    dispatch(e, effEditIdle);
    ASSERT_EQ(knob.values.size(), 1u);
    EXPECT_FLOAT_EQ(knob.values[0], cutoff.min + 0.5f * (cutoff.max - cutoff.min));
    EXPECT_EQ(knob.threads[0], std::this_thread::get_id());
    EXPECT_TRUE(host.automations.empty()) << "host automation is not sent back to the host";
}

TEST_F(ViewInterfaceTest, TheHostHearsNormalisedValuesAndARangeOfZeroAs0)
{
    FixtureAudioMan::config.flatDetune = true;
    FixtureAudioMan::config.wideCutoff = true;
    AEffect* e = openFixtureWithEditor();
    AM_VST_View_Interface& view = ui(e);
    host.echoAutomation = false;

    struct Case {
        const char* parameter;
        float plain;
        float expected;
    };
    const Case cases[] = {
        {"Cutoff", 0.0f, 0.5f}, // -100000..100000
        {"Cutoff", 1e9f, 1.0f}, // clamped to the maximum first
        {"Detune", 3.0f, 0.0f}, // minimum equals maximum
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.parameter) + " " + std::to_string(c.plain));
        const AM_ParamInfo& record = info(e, "Kestan", c.parameter);
        if ((record.flags & k_paramPublished) == 0)
            continue;
        host.automations.clear();
        view.setParameterValue(static_cast<int32_t>(record.index), &c.plain);
        ASSERT_EQ(host.automations.size(), 1u);
        EXPECT_EQ(host.automations[0].value, c.expected);
    }

    // A value that is not a number changes nothing and tells no one.
    host.automations.clear();
    const float nan = std::nanf("");
    view.setParameterValue(id(e, "Kestan", "Cutoff"), &nan);
    EXPECT_TRUE(host.automations.empty());
}

TEST_F(ViewInterfaceTest, EditGesturesReachTheHostForAutomatableParametersOnly)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    const AM_ParamInfo& cutoff = info(e, "Kestan", "Cutoff");
    view.beginEndEdit(static_cast<int32_t>(cutoff.index), true);
    view.beginEndEdit(static_cast<int32_t>(cutoff.index), false);
    view.beginEndEdit(id(e, "PCore", "SelMod"), true);
    view.beginEndEdit(-1, true);
    view.beginEndEdit(view.getNumParameters(), true);
    const std::vector<std::string> expected = {"begin " + std::to_string(cutoff.publishedIndex),
                                               "end " + std::to_string(cutoff.publishedIndex)};
    EXPECT_EQ(host.edits, expected);
}

TEST_F(ViewInterfaceTest, ParameterChangedByHostNumberingUsesTheOwnMapAndChecksIt)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    const AM_ParamInfo& cutoff = info(e, "Kestan", "Cutoff");
    RecordingPort knob;
    view.registerParameterListener(&knob.record, static_cast<int32_t>(cutoff.index), true);

    const float v = 123.0f;
    view.parameterChanged(cutoff.publishedIndex, &v, true);
    view.parameterChanged(static_cast<int32_t>(cutoff.index), &v, false);
    for (int32_t bad : {-1, 1 << 20, view.getNumParameters()}) {
        view.parameterChanged(bad, &v, true);
        view.parameterChanged(bad, &v, false);
    }
    EXPECT_EQ(knob.values.size(), 2u);

    // An interface whose map was never built hears nothing by host numbering.
    AM_VST_View_Interface fresh(editor(e));
    fresh.parameterChanged(cutoff.publishedIndex, 1.0f, true);
    fresh.parameterChanged(cutoff.publishedIndex, &v, true);
    EXPECT_EQ(knob.values.size(), 2u);
}

TEST_F(ViewInterfaceTest, AChangeOfASourceChoiceSchedulesAnInterfaceRefresh)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    const float source = 1.0f;
    viewMan(e).calls.clear();
    view.setParameterValue(id(e, "PCore", "MMS1"), &source);
    EXPECT_EQ(viewMan(e).count("scheduleInterfaceRefresh 0"), 1);
    viewMan(e).calls.clear();
    view.setParameterValue(id(e, "Kestan", "Cutoff"), &source);
    EXPECT_EQ(viewMan(e).count("scheduleInterfaceRefresh 0"), 0);
}

TEST_F(ViewInterfaceTest, DisplayTextsOfListsNumbersAndAxes)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    char text[AM_View_Interface::kDisplayTextBytes];

    // A list parameter with value names: "SBase" (0..23 named "1/64"...).
    const int32_t swingBase = id(e, "PCore", "SBase");
    struct Case {
        int32_t index;
        float value;
        const char* expected;
    };
    const Case cases[] = {
        {swingBase, 0.0f, "1/64"},
        {swingBase, 3.0f, "1/8"},
        {swingBase, 24.0f, "24"}, // past the names
        {swingBase, -5.0f, "-5"}, // before them
        {id(e, "PCore", "ModU1"), 1.5f, "1.50"},
        {id(e, "Kestan", "Cutoff"), 440.7f, "440"},
    };
    for (const Case& c : cases) {
        view.getParameterDisplay(c.index, &c.value, text);
        EXPECT_STREQ(text, c.expected) << c.index << " " << c.value;
    }
    view.getParameterDisplay(-1, nullptr, text);
    EXPECT_STREQ(text, "void");
    view.getParameterDisplay(view.getNumParameters(), nullptr, text);
    EXPECT_STREQ(text, "void");
    // Without a value, the current one.
    const float fourth = 4.0f;
    view.setParameterValue(swingBase, &fourth);
    view.getParameterDisplay(swingBase, nullptr, text);
    EXPECT_STREQ(text, "1/4");
}

TEST_F(ViewInterfaceTest, TextParametersTakeTheTextUpToItsEndAndReadBackTerminated)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    const int32_t file = id(e, "PCore", "PFile");
    RecordingPort label;
    view.registerParameterListener(&label.record, file, true);

    // A short text in a buffer that ends with it: only the text is read.
    const char* shortName = "Lead.h2p";
    view.setParameterValue(file, shortName);
    EXPECT_STREQ(static_cast<const char*>(view.getParameterValue(file)), "Lead.h2p");
    ASSERT_EQ(label.texts.size(), 1u);
    EXPECT_EQ(label.texts[0], "Lead.h2p");

    // A text as long as the block is cut to fit its terminator.
    const std::string tooLong(200, 'x');
    view.setParameterValue(file, tooLong.c_str());
    EXPECT_EQ(std::string(static_cast<const char*>(view.getParameterValue(file))),
              std::string(63, 'x'));
}

// A controller message as the host delivers it.
void sendController(AEffect* e, uint8_t controller, uint8_t value)
{
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = sizeof midi;
    midi.midiData[0] = static_cast<char>(0xB0);
    midi.midiData[1] = static_cast<char>(controller);
    midi.midiData[2] = static_cast<char>(value);
    std::vector<uint8_t> block(vstEventsBytes(1), 0);
    auto* events = reinterpret_cast<VstEvents*>(block.data());
    events->numEvents = 1;
    vstEventList(events)[0] = reinterpret_cast<VstEvent*>(&midi);
    e->dispatcher(e, effProcessEvents, 0, 0, events, 0.0f);
}

TEST_F(ViewInterfaceTest, MidiLearnArmsThePluginAndTheLearnedControllerReachesTheViewManager)
{
    AEffect* e = openWithEditor();
    AM_VST_View_Interface& view = ui(e);
    const AM_ParamInfo& cutoff = info(e, "Kestan", "Cutoff");
    RecordingPort knob;
    view.midiLearn(&cutoff, &knob);
    EXPECT_EQ(plugin(e).getMidiLearnTarget(), static_cast<int32_t>(cutoff.index));
    EXPECT_EQ(view.getMidiLearnParameter(), &cutoff);

    // The controller arrives on the audio thread; the view manager hears of
    // it on the idle call.
    std::thread audio([&] {
        platform::RealtimeScope realtime;
        sendController(e, 30, 126);
    });
    audio.join();
    EXPECT_EQ(viewMan(e).count("finishMidiLearn"), 0);
    dispatch(e, effEditIdle);
    EXPECT_EQ(viewMan(e).count("finishMidiLearn"), 1);
    EXPECT_EQ(viewMan(e).learnedParameter, &cutoff);
    EXPECT_EQ(viewMan(e).learnedController, 30);
    EXPECT_EQ(viewMan(e).learnedControl, &knob);
    EXPECT_EQ(plugin(e).getMidiLearnTarget(), -1);

    view.midiLearn(&cutoff, &knob);
    view.midiLearn(nullptr, nullptr);
    EXPECT_EQ(plugin(e).getMidiLearnTarget(), -1);
}

TEST_F(ViewInterfaceTest, NativePresetChangedRefreshesTheViewAndRenamesTheProgram)
{
    AEffect* e = openWithEditor();
    viewMan(e).calls.clear();
    ui(e).nativePresetChanged("Warm Pad");
    EXPECT_NE(trace.standardOutput().find("AM_VST_View_Interface::nativePresetChanged( Warm Pad )"),
              std::string::npos);
    const std::vector<std::string> expected = {"requestParameterRefresh", "parametersRefreshed"};
    EXPECT_EQ(viewMan(e).calls, expected);
    char name[64] = {};
    plugin(e).getProgramName(name);
    EXPECT_STREQ(name, "Warm Pad");
}

TEST_F(ViewInterfaceTest, SizeWindowResizesTheEditorAndAsksTheHost)
{
    AEffect* e = openWithEditor();
    ui(e).sizeWindow(800, 300);
    ERect* rect = nullptr;
    ASSERT_EQ(dispatch(e, effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right, 800);
    EXPECT_EQ(rect->bottom, 300);
    ASSERT_EQ(host.sizes.size(), 1u);
    EXPECT_EQ(host.sizes[0], "800x300");
    EXPECT_FALSE(editor(e).sizeWindow(0, 300));
    EXPECT_FALSE(editor(e).sizeWindow(100000, 300));
    EXPECT_EQ(rect->right, 800);
}

} // namespace
