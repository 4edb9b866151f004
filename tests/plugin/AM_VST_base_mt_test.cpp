// The plug-in as hosts use it from several threads at once: an audio
// thread processing blocks with MIDI (notes, a learned controller, program
// changes), an automation thread setting parameters, and the user-interface
// thread reading parameters and names and idling an open editor.

#include "PluginFixture.h"

#include "plugin/AM_VST_EditorSeam.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace plugintest;

class CountingView : public AM_VST_ViewSeam {
public:
    void parameterChanged(int32_t, float, bool) override { ++parameters; }
    void hostProgramChanged() override { ++programs; }
    void hostProgramNameChanged(const char*) override { ++names; }
    int parameters = 0;
    int programs = 0;
    int names = 0;
};

class OpenEditor : public AM_VST_EditorSeam {
public:
    explicit OpenEditor(AudioEffect* effect) : AM_VST_EditorSeam(effect) {}
    bool open(void* window) override
    {
        AEffEditor::open(window);
        return true;
    }
    AM_VST_ViewSeam* getViewInterface() override { return &view; }
    CountingView view;
};

class PluginThreadsTest : public PluginTest {};

TEST_F(PluginThreadsTest, AudioAutomationAndInterfaceThreadsTogether)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    auto* editor = new OpenEditor(&plugin(e));
    plugin(e).attachEditor(editor);
    int window = 0;
    ASSERT_EQ(dispatch(e, effEditOpen, 0, 0, &window), 1);
    const int32_t cutoff = id(e, "Kestan", "Cutoff");
    plugin(e).setMidiLearnParameter(cutoff);

    constexpr int kBlocks = 200;
    // The audio thread plays once the other two have begun, so the three
    // overlap however the threads are scheduled.
    std::atomic<bool> audioDone{false};
    std::atomic<bool> automating{false};
    std::atomic<bool> idling{false};
    std::thread audio([&] {
        while (!automating.load() || !idling.load())
            std::this_thread::yield();
        Player player(e, host);
        for (int block = 0; block < kBlocks; ++block) {
            const uint8_t key = static_cast<uint8_t>(48 + block % 24);
            player.send({{block % kBlock, 0x90, key, 100},
                         {(block * 7) % kBlock, 0xB0, 20, static_cast<uint8_t>(block % 128)},
                         {0, 0x80, static_cast<uint8_t>(key - 3), 0},
                         {0, 0xC0, static_cast<uint8_t>(block % 4), 0}});
            player.render(kBlock, kBlock);
        }
        audioDone = true;
    });
    std::thread automation([&] {
        int i = 0;
        do {
            e->setParameter(e, i % e->numParams, static_cast<float>(i % 100) * 0.01f);
            ++i;
            automating = true;
        } while (!audioDone);
    });
    // The host saves its project (both chunk kinds) and loads a preset while
    // the instrument plays.
    const std::string saved = chunk(e, false);
    float sum = 0.0f;
    int idles = 0;
    int chunksRead = 0;
    do {
        for (VstInt32 p = 0; p < e->numParams; ++p)
            sum += e->getParameter(e, p);
        const VstInt32 shown = idles % e->numParams;
        text(e, effGetParamDisplay, shown);
        text(e, effGetParamLabel, shown);
        text(e, effGetParamName, shown);
        text(e, effGetProgramName);
        dispatch(e, effSetProgramName, 0, 0, const_cast<char*>(idles % 2 == 0 ? "A" : "B"));
        char indexed[kVstMaxProgNameLen + 1] = {};
        dispatch(e, effGetProgramNameIndexed, idles % e->numPrograms, -1, indexed);
        if (idles % 16 == 0)
            dispatch(e, effSetProgram, 0, idles % e->numPrograms);
        dispatch(e, effEditIdle);
        if (idles % 8 == 0) {
            const std::string bank = chunk(e, false);
            const std::string program = chunk(e, true);
            chunksRead += !bank.empty() && !program.empty();
            if (idles % 32 == 0) {
                EXPECT_EQ(setChunk(e, saved, false), 1);
            }
        }
        ++idles;
        idling = true;
    } while (!audioDone);
    audio.join();
    automation.join();
    dispatch(e, effEditIdle);
    EXPECT_TRUE(std::isfinite(sum));
    EXPECT_GT(idles, 0);
    EXPECT_GT(chunksRead, 0);
    EXPECT_GT(editor->view.parameters, 0);
    EXPECT_EQ(plugin(e).getLastLearnedController(), 20);
}

} // namespace
