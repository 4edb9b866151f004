// The interface's state operations: the FXP program image, the state of the
// whole patch or of one module through "SelMod", states applied from the
// editor, the host's program changes, and the three-way question.

#include "InterfaceFixture.h"

#include "params/object/AM_ParamInfo.h"
#include "platform/Trace.h"

#include <thread>

namespace {

using namespace viewtest;

uint32_t bigEndian(const std::vector<uint8_t>& bytes, size_t at)
{
    return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
           (uint32_t{bytes[at + 2]} << 8) | uint32_t{bytes[at + 3]};
}

std::string programChunk(AEffect* e)
{
    void* data = nullptr;
    const VstIntPtr size = e->dispatcher(e, effGetChunk, 1, 0, &data, 0.0f);
    return size > 0 ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
                    : std::string();
}

std::string text(const std::vector<uint8_t>& bytes, size_t from = 0)
{
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end());
}

class StateTest : public InterfaceTest {
protected:
    // An interface of the test's own beside the editor's, with its own view
    // manager.
    ListInterface& listInterface(AEffect* e)
    {
        list_ = std::make_unique<ListInterface>(editor(e));
        list_->initialize(&listViewMan_);
        return *list_;
    }
    float selectedModule(AEffect* e) { return value(e, id(e, "PCore", "SelMod")); }

    RecordingViewMan listViewMan_;
    std::unique_ptr<ListInterface> list_;
};

TEST_F(StateTest, TheFxpImageHeaderMatchesTheLayoutFieldByField)
{
    AEffect* e = openWithEditor();
    const std::vector<uint8_t> image = ui(e).getFxpProgram();
    const std::string chunk = programChunk(e);
    ASSERT_FALSE(chunk.empty());
    ASSERT_EQ(image.size(), chunk.size() + 60);

    struct Field {
        size_t offset;
        uint32_t expected;
        const char* name;
    };
    const Field fields[] = {
        {0, 0x43636e4b, "chunkMagic 'CcnK'"},
        {4, static_cast<uint32_t>(chunk.size() + 52), "byteSize"},
        {8, 0x46504368, "fxMagic 'FPCh'"},
        {12, 1, "version"},
        {16, static_cast<uint32_t>(AM_VST_base::kUniqueId), "fxID 'Wq3x'"},
        {20, 1, "fxVersion"},
        {24, static_cast<uint32_t>(e->numParams), "numParams"},
        {56, static_cast<uint32_t>(chunk.size()), "chunk size"},
    };
    for (const Field& f : fields)
        EXPECT_EQ(bigEndian(image, f.offset), f.expected) << f.name;
    EXPECT_EQ(std::string(image.begin() + 16, image.begin() + 20), "Wq3x");
    // Without a preset list the name is "init", the rest of its field zero.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()) + 28), "init");
    for (size_t i = 28 + 4; i < 56; ++i)
        EXPECT_EQ(image[i], 0) << "name byte " << i;
    EXPECT_EQ(text(image, 60), chunk);
}

TEST_F(StateTest, TheFxpImageLoadsBackToTheSameChunk)
{
    AEffect* e = openWithEditor();
    const float cutoff = 77.0f;
    ui(e).setParameterValue(id(e, "Kestan", "Cutoff"), &cutoff);
    const std::vector<uint8_t> image = ui(e).getFxpProgram();
    const std::string saved = text(image, 60);

    const float other = 120.0f;
    ui(e).setParameterValue(id(e, "Kestan", "Cutoff"), &other);
    ASSERT_NE(programChunk(e), saved);
    std::vector<char> body(image.begin() + 60, image.end());
    ASSERT_EQ(dispatch(e, effSetChunk, 1, static_cast<VstIntPtr>(body.size()), body.data()), 1);
    EXPECT_EQ(programChunk(e), saved);
    EXPECT_EQ(ui(e).getFxpProgram(), image);
}

TEST_F(StateTest, TheFxpNameIsTheCurrentPresetsCutTo27CharactersWithZerosBehind)
{
    AEffect* e = openWithEditor();
    ListInterface& view = listInterface(e);
    struct Case {
        std::string name;
        std::string expected;
    };
    const Case cases[] = {
        {"Bass", "Bass"},
        {std::string(27, 'n'), std::string(27, 'n')},
        {std::string(40, 'l'), std::string(27, 'l')},
        {"", ""},
    };
    for (const Case& c : cases) {
        view.presetName = c.name;
        view.namedInit = true;
        const std::vector<uint8_t> image = view.getFxpProgram();
        ASSERT_GE(image.size(), 60u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()) + 28), c.expected);
        for (size_t i = 28 + c.expected.size(); i < 56; ++i)
            EXPECT_EQ(image[i], 0) << c.name << " byte " << i;
    }
}

TEST_F(StateTest, WholePatchAndModuleStatesAreTakenAroundSelMod)
{
    AEffect* e = openWithEditor();
    ListInterface& view = listInterface(e);
    const std::string whole = programChunk(e);

    EXPECT_EQ(text(ui(e).getStateInfo(nullptr)), whole);

    trace.clear();
    const std::string module = text(view.getStateInfo("LFO1/Slow"));
    EXPECT_NE(trace.standardOutput().find("setting ModuleSelect"), std::string::npos);
    EXPECT_NE(trace.standardOutput().find(" - LFO1/Slow"), std::string::npos);
    EXPECT_FALSE(module.empty());
    EXPECT_LT(module.size(), whole.size());
    EXPECT_EQ(module.find("Cutoff"), std::string::npos) << "a voice parameter in LFO1's state";
    EXPECT_EQ(selectedModule(e), 0.0f);
    EXPECT_EQ(programChunk(e), whole);

    // A module that does not exist: the whole patch.
    trace.clear();
    EXPECT_EQ(text(view.getStateInfo("Nope")), whole);
    EXPECT_NE(trace.standardOutput().find("getStateInfo Module not found: Nope/n"),
              std::string::npos);
}

TEST_F(StateTest, TheHostsChunkStaysAsItWasWhileTheEditorTakesStates)
{
    AEffect* e = openWithEditor();
    ListInterface& view = listInterface(e);
    void* data = nullptr;
    const VstIntPtr size = dispatch(e, effGetChunk, 1, 0, &data);
    ASSERT_GT(size, 0);
    const std::string before(static_cast<const char*>(data), static_cast<size_t>(size));
    // The editor writes the engine's state again (a module's, then the
    // whole patch's) before the host has read its chunk.
    EXPECT_FALSE(view.getStateInfo("LFO1").empty());
    EXPECT_FALSE(view.getFxpProgram().empty());
    EXPECT_EQ(std::string(static_cast<const char*>(data), static_cast<size_t>(size)), before);
}

TEST_F(StateTest, StateOperationsRefuseTheAudioThread)
{
    AEffect* e = openWithEditor();
    const std::string whole = programChunk(e);
    std::vector<uint8_t> state, image;
    bool applied = true;
    std::thread audio([&] {
        platform::RealtimeScope realtime;
        state = ui(e).getStateInfo(nullptr);
        image = ui(e).getFxpProgram();
        applied = ui(e).setStateInfo(whole.data(), static_cast<uint32_t>(whole.size()), nullptr);
    });
    audio.join();
    EXPECT_TRUE(state.empty());
    EXPECT_TRUE(image.empty());
    EXPECT_FALSE(applied);
}

TEST_F(StateTest, AStateFromTheEditorIsAppliedAndTheNextProgramChangeKeepsThePreset)
{
    AEffect* e = openWithEditor();
    ListInterface& view = listInterface(e);
    const int32_t cutoff = id(e, "Kestan", "Cutoff");
    const float first = 60.0f;
    ui(e).setParameterValue(cutoff, &first);
    const std::vector<uint8_t> saved = ui(e).getStateInfo(nullptr);
    const float second = 130.0f;
    ui(e).setParameterValue(cutoff, &second);

    EXPECT_TRUE(ui(e).setStateInfo(saved.data(), static_cast<uint32_t>(saved.size()), nullptr));
    EXPECT_FLOAT_EQ(engine(e).getParameter(cutoff, false), first);
    EXPECT_TRUE(ui(e).isNativeLoad());
    ui(e).hostProgramChanged();
    EXPECT_FALSE(ui(e).isNativeLoad());

    // A module's state, with SelMod back to 0 after it.
    const std::vector<uint8_t> lfo = view.getStateInfo("LFO1");
    EXPECT_TRUE(view.setStateInfo(lfo.data(), static_cast<uint32_t>(lfo.size()), "LFO1"));
    EXPECT_EQ(selectedModule(e), 0.0f);

    EXPECT_FALSE(ui(e).setStateInfo(nullptr, 10, nullptr));
    EXPECT_FALSE(ui(e).setStateInfo(saved.data(), 0, nullptr));
}

TEST_F(StateTest, HostProgramChangesRefreshTheView)
{
    AEffect* e = openWithEditor();
    RecordingViewMan& vm = viewMan(e);
    vm.calls.clear();
    ui(e).hostProgramChanged();
    EXPECT_EQ(vm.calls,
              (std::vector<std::string>{"requestParameterRefresh", "parametersRefreshed"}));
    vm.calls.clear();
    ui(e).hostProgramNameChanged("Strings");
    EXPECT_EQ(vm.calls, (std::vector<std::string>{"parametersRefreshed"}));

    // From the host, through the notification queue, on the idle call.
    vm.calls.clear();
    dispatch(e, effSetProgramName, 0, 0, const_cast<char*>("Brass"));
    EXPECT_TRUE(vm.calls.empty());
    dispatch(e, effEditIdle);
    EXPECT_EQ(vm.calls, (std::vector<std::string>{"parametersRefreshed"}));
}

TEST_F(StateTest, TheThreeWayQuestionClosedAnyOtherWayAnswersCancel)
{
    AEffect* e = openWithEditor();
    ListInterface& view = listInterface(e);
    struct Case {
        int32_t answer;
        int32_t expected;
    };
    const Case cases[] = {
        {k_answerBackupAndSave, k_answerBackupAndSave},
        {k_answerOverwrite, k_answerOverwrite},
        {k_answerCancel, k_answerCancel},
        {3, k_answerCancel},
        {-1, k_answerCancel},
    };
    for (const Case& c : cases) {
        listViewMan_.answers.push_back(c.answer);
        EXPECT_EQ(view.askThreeWay("Pad"), c.expected) << c.answer;
    }
    ListInterface unbound(editor(e));
    EXPECT_EQ(unbound.askThreeWay("Pad"), k_answerCancel);
}

} // namespace
