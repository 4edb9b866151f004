#pragma once
// The GUI-to-engine interface in a plug-in built as the module's entry
// builds it, with an editor from a registered factory whose view is a
// recording stand-in for the view manager, and a host that records what
// the plug-in tells it (and, when asked, answers an automation by setting
// the parameter back, as some hosts do).

#include "PluginFixture.h"

#include "params/object/AM_Object.h"
#include "params/object/AM_ObjectHost.h"
#include "plugin/AM_VST_EditorSeam.h"
#include "presets/AM_PortRecord.h"
#include "presets/AM_VST_EditorBase.h"
#include "presets/AM_VST_View_Interface.h"
#include "presets/AM_ViewManServices.h"
#include "presets/library/PresetTagger.h"

#include <cstring>
#include <deque>
#include <string>
#include <thread>
#include <vector>

namespace viewtest {

using plugintest::FixtureAudioMan;

// A control's port that records what it is shown.
class RecordingPort : public AM_PortOwner {
public:
    explicit RecordingPort(uint32_t number = 0) : descriptor_{number, "port", 0, nullptr}
    {
        record.descriptor = &descriptor_;
        record.owner = this;
    }
    void setParameterValue(int32_t port, const void* value) override
    {
        ports.push_back(port);
        float number = 0.0f;
        if (value != nullptr)
            std::memcpy(&number, value, sizeof number);
        values.push_back(number);
        texts.emplace_back(value != nullptr ? static_cast<const char*>(value) : "");
        threads.push_back(std::this_thread::get_id());
    }
    void clear()
    {
        ports.clear();
        values.clear();
        texts.clear();
        threads.clear();
    }

    AM_PortRecord record;
    std::vector<int32_t> ports;
    std::vector<float> values;
    std::vector<std::string> texts;
    std::vector<std::thread::id> threads;

private:
    AM_PortDescriptor descriptor_;
};

// Records the messages the controls receive.
class MessageRecorder : public AM_Object {
public:
    explicit MessageRecorder(AM_ObjectHost* host, uint32_t mask) : AM_Object(nullptr)
    {
        mask_ = mask;
        setHost(host);
    }
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        received.push_back({message, arg, ptr != nullptr ? static_cast<const char*>(ptr) : ""});
        AM_Object::receiveMessage(sender, message, arg, ptr);
    }
    struct Message {
        uint32_t message;
        uint32_t arg;
        std::string text;
    };
    std::vector<Message> received;
};

// The view manager's operations, recorded.
class RecordingViewMan : public AM_ViewManServices {
public:
    RecordingViewMan() : host_(8), top_(&host_), controls(&host_, kControlsClassMask) {}

    const char* getProductName() override { return "KestanK4"; }
    void scheduleInterfaceRefresh(bool force) override
    {
        calls.push_back(force ? "scheduleInterfaceRefresh 1" : "scheduleInterfaceRefresh 0");
    }
    AM_InfoLine* getInfoLine(int32_t index) override
    {
        return index >= 0 && index < kInfoLines ? &lines[index] : nullptr;
    }
    void showInfoLine(int32_t index, bool on) override
    {
        calls.push_back("showInfoLine " + std::to_string(index) + (on ? " 1" : " 0"));
    }
    AM_Object* getTopControl() override { return &top_; }
    void requestParameterRefresh() override { calls.push_back("requestParameterRefresh"); }
    void parametersRefreshed() override { calls.push_back("parametersRefreshed"); }
    int32_t askThreeWay(const char* name) override
    {
        calls.push_back(std::string("askThreeWay ") + (name ? name : ""));
        if (answers.empty())
            return k_answerCancel;
        const int32_t answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void finishMidiLearn(const AM_ParamInfo* parameter, int32_t controller,
                         AM_PortOwner* control) override
    {
        learnedParameter = parameter;
        learnedController = controller;
        learnedControl = control;
        calls.push_back("finishMidiLearn");
    }

    int count(const std::string& call) const
    {
        int n = 0;
        for (const std::string& c : calls)
            n += c == call ? 1 : 0;
        return n;
    }

    std::vector<std::string> calls;
    AM_InfoLine lines[kInfoLines];
    std::deque<int32_t> answers;
    const AM_ParamInfo* learnedParameter = nullptr;
    int32_t learnedController = -1;
    AM_PortOwner* learnedControl = nullptr;

private:
    AM_ObjectHost host_;
    AM_Object top_;

public:
    MessageRecorder controls;
};

// What the editor saw of the plug-in while it ended its view.
struct ViewLife {
    int opened = 0;
    int closed = 0;
    bool engineAliveAtClose = false;
};

// The editor window with a recording view manager as its view.
class TestEditor : public AM_VST_EditorBase {
public:
    explicit TestEditor(AM_VST_base* effect) : AM_VST_EditorBase(effect) {}
    ~TestEditor() override { close(); }

    RecordingViewMan* viewMan() const { return viewMan_.get(); }
    static inline ViewLife life{};

protected:
    bool openView(void*, AM_VST_View_Interface& viewInterface) override
    {
        viewMan_ = std::make_unique<RecordingViewMan>();
        viewInterface.initialize(viewMan_.get());
        ++life.opened;
        return true;
    }
    void closeView() override
    {
        ++life.closed;
        life.engineAliveAtClose = getPlugin() != nullptr && getPlugin()->getAudioMan() != nullptr;
        viewMan_.reset();
    }

private:
    std::unique_ptr<RecordingViewMan> viewMan_;
};

inline AM_VST_EditorSeam* makeTestEditor(AM_VST_base* effect)
{
    return new TestEditor(effect);
}

// The host: records automation, edit gestures and resize requests.
class RecordingHost {
public:
    struct Automation {
        int32_t index;
        float value;
    };

    RecordingHost() { current_ = this; }
    ~RecordingHost() { current_ = nullptr; }
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                              void* ptr, float opt)
    {
        RecordingHost* host = current_;
        if (opcode == audioMasterVersion)
            return kVstVersion;
        if (host == nullptr)
            return 0;
        switch (opcode) {
        case audioMasterAutomate:
            host->automations.push_back({index, opt});
            // Some hosts set the parameter again while they record it.
            if (host->echoAutomation && effect != nullptr)
                effect->setParameter(effect, index, opt);
            return 1;
        case audioMasterBeginEdit:
            host->edits.push_back("begin " + std::to_string(index));
            return 1;
        case audioMasterEndEdit:
            host->edits.push_back("end " + std::to_string(index));
            return 1;
        case audioMasterCanDo:
            return ptr != nullptr && std::strcmp(static_cast<const char*>(ptr), "sizeWindow") == 0;
        case audioMasterSizeWindow:
            host->sizes.push_back(std::to_string(index) + "x" + std::to_string(value));
            return 1;
        case audioMasterWantMidi:
        case audioMasterUpdateDisplay:
        case audioMasterIOChanged:
            return 1;
        default:
            return 0;
        }
    }

    bool echoAutomation = true;
    std::vector<Automation> automations;
    std::vector<std::string> edits;
    std::vector<std::string> sizes;

private:
    static inline RecordingHost* current_ = nullptr;
};

class InterfaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugintest::resetProcessState();
        AM_View_Interface::resetProcessState();
        resetTagRegistry();
        TestEditor::life = {};
        dir.makeDir("KestanK4.data");
        platform::overrideModulePath(dir.file("KestanK4.so").c_str());
        resetDataFolderSearch();
        AM_VST_setEditorFactory(makeTestEditor);
    }
    void TearDown() override
    {
        for (AEffect* e : effects_)
            e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
        effects_.clear();
        AM_VST_setEditorFactory(nullptr);
        resetTagRegistry();
        FixtureAudioMan::config = plugintest::FixtureConfig{};
        platform::overrideModulePath(nullptr);
        plugintest::resetProcessState();
    }

    // A plug-in from the module's entry, resumed, its editor open.
    AEffect* openWithEditor()
    {
        AEffect* e = vst::createPluginEffect(RecordingHost::callback, createEffectInstance);
        return prepare(e);
    }
    // A plug-in over the fixture's audio manager, with the test editor.
    AEffect* openFixtureWithEditor()
    {
        auto* effect = new AM_VST_Edit(RecordingHost::callback, FixtureAudioMan::make);
        effect->attachEditor(makeTestEditor(effect));
        return prepare(effect->getAeffect());
    }
    AEffect* prepare(AEffect* e)
    {
        if (e == nullptr)
            return nullptr;
        effects_.push_back(e);
        dispatch(e, effOpen);
        dispatch(e, effSetSampleRate, 0, 0, nullptr, plugintest::kRate);
        dispatch(e, effSetBlockSize, 0, plugintest::kBlock);
        dispatch(e, effMainsChanged, 0, 1);
        static int parentWindow = 0;
        dispatch(e, effEditOpen, 0, 0, &parentWindow);
        return e;
    }
    void close(AEffect* e)
    {
        effects_.erase(std::remove(effects_.begin(), effects_.end(), e), effects_.end());
        dispatch(e, effClose);
    }
    // One silent block, so queued changes reach the engine.
    void process(AEffect* e)
    {
        std::vector<float> left(plugintest::kBlock), right(plugintest::kBlock),
            silence(plugintest::kBlock);
        float* inputs[2] = {silence.data(), silence.data()};
        float* outputs[2] = {left.data(), right.data()};
        e->processReplacing(e, inputs, outputs, plugintest::kBlock);
    }

    static VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                              void* ptr = nullptr, float opt = 0.0f)
    {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }
    static AM_VST_Edit& plugin(AEffect* e) { return *static_cast<AM_VST_Edit*>(e->object); }
    static Synth_AudioMan& engine(AEffect* e) { return *plugin(e).getAudioMan(); }
    static TestEditor& editor(AEffect* e)
    {
        return *static_cast<TestEditor*>(plugin(e).getEditorSeam());
    }
    static AM_VST_View_Interface& ui(AEffect* e) { return *editor(e).getInterface(); }
    static RecordingViewMan& viewMan(AEffect* e) { return *editor(e).viewMan(); }
    static const AM_ParamInfo& info(AEffect* e, const char* module, const char* parameter)
    {
        const AM_ParamInfo* found = engine(e).findParameter(module, parameter);
        EXPECT_NE(found, nullptr) << module << ":" << parameter;
        static AM_ParamInfo none{};
        return found != nullptr ? *found : none;
    }
    static int32_t id(AEffect* e, const char* module, const char* parameter)
    {
        return static_cast<int32_t>(info(e, module, parameter).index);
    }
    static float value(AEffect* e, int32_t index)
    {
        float v = 0.0f;
        std::memcpy(&v, ui(e).getParameterValue(index), sizeof v);
        return v;
    }

    testsupport::TempDir dir;
    testsupport::TraceCapture trace;
    RecordingHost host;

private:
    std::vector<AEffect*> effects_;
};

} // namespace viewtest

namespace viewtest {

// The interface with a preset list of its own: module paths that begin
// with a module name are lists of that module's presets, and the current
// preset name is the test's.
class ListInterface : public AM_VST_View_Interface {
public:
    using AM_View_Interface::askThreeWay;
    using AM_VST_View_Interface::AM_VST_View_Interface;

    bool isModulePresetList(const char* modulePath) override
    {
        return modulePath != nullptr && modulePath[0] != 0;
    }
    const char* getCurrentPresetName(const char*) override
    {
        return presetName.empty() && !namedInit ? nullptr : presetName.c_str();
    }

    std::string presetName;
    bool namedInit = false;
};

} // namespace viewtest
