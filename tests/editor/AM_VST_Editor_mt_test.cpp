// The plug-in with its editor open in a window of the X display, used from
// three threads at once as hosts do: the audio thread plays notes and
// automates parameters, the user-interface thread idles the editor and reads
// what its controls show (an LFO's meter, the patch's author), and a third
// thread gets and sets bank and program chunks and selects programs.

#include "EditorFixture.h"

#include "platform/x11/X11HostWindow.h"
#include "plugin/vst/VstEvents.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace editortest;

class EditorThreadsTest : public EditorTest {
protected:
    static std::string chunk(AEffect* e, bool program)
    {
        void* data = nullptr;
        const VstIntPtr size = dispatch(e, effGetChunk, program ? 1 : 0, 0, &data);
        return data != nullptr && size > 0
                   ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
                   : std::string();
    }
    static void setChunk(AEffect* e, const std::string& bytes, bool program)
    {
        std::string copy = bytes;
        dispatch(e, effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(copy.size()), copy.data());
    }
    // One block with a note on, a note off and a controller.
    static void play(AEffect* e, int block)
    {
        VstMidiEvent midi[3] = {};
        const uint8_t key = static_cast<uint8_t>(48 + block % 24);
        const uint8_t messages[3][3] = {{0x90, key, 100},
                                        {0x80, static_cast<uint8_t>(key - 5), 0},
                                        {0xB0, 1, static_cast<uint8_t>(block % 128)}};
        std::vector<uint8_t> list(vstEventsBytes(3), 0);
        auto* events = reinterpret_cast<VstEvents*>(list.data());
        events->numEvents = 3;
        for (int i = 0; i < 3; ++i) {
            midi[i].type = kVstMidiType;
            midi[i].byteSize = sizeof(VstMidiEvent);
            midi[i].deltaFrames = i * 7;
            std::memcpy(midi[i].midiData, messages[i], 3);
            vstEventList(events)[i] = reinterpret_cast<VstEvent*>(&midi[i]);
        }
        dispatch(e, effProcessEvents, 0, 0, events);
        std::vector<float> left(plugintest::kBlock), right(plugintest::kBlock),
            silence(plugintest::kBlock);
        float* inputs[2] = {silence.data(), silence.data()};
        float* outputs[2] = {left.data(), right.data()};
        e->processReplacing(e, inputs, outputs, plugintest::kBlock);
    }
};

TEST_F(EditorThreadsTest, AudioEditorAndStateThreadsTogether)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    // The editor again, in a window of the display.
    dispatch(e, effEditClose);
    AM_setEditorWindowOpener(nullptr);
    auto host = platform::openX11HostWindow("editor threads", 320, 240);
    if (!host) {
        if (std::getenv("KK_REQUIRE_X11") != nullptr)
            FAIL() << "no X display reachable, though KK_REQUIRE_X11 asks for one";
        GTEST_SKIP() << "no X display reachable (DISPLAY unset or the server is down)";
    }
    ASSERT_EQ(dispatch(e, effEditOpen, 0, 0, reinterpret_cast<void*>(host->nativeHandle())), 1);

    const int32_t meter = id(e, "LFO1", "VMet");
    const int32_t author = id(e, "PCore", "MetaA");
    ASSERT_GE(meter, 0);
    ASSERT_GE(author, 0);
    // Two states, one naming an author and one without (whose reading
    // clears the author).
    ui(e).setParameterValue(author, "Tester");
    process(e);
    const std::string named = chunk(e, true);
    ui(e).setParameterValue(author, "");
    process(e);
    const std::string plain = chunk(e, false);
    ASSERT_FALSE(named.empty());
    ASSERT_FALSE(plain.empty());

    constexpr int kBlocks = 200;
    // The audio thread plays once the other two have begun, so the three
    // overlap however the threads are scheduled.
    std::atomic<bool> audioDone{false};
    std::atomic<bool> stating{false};
    std::atomic<bool> idling{false};
    std::thread audio([&] {
        while (!stating.load() || !idling.load())
            std::this_thread::yield();
        for (int block = 0; block < kBlocks; ++block) {
            // Automation arrives on the audio thread between blocks.
            e->setParameter(e, block % e->numParams, static_cast<float>(block % 100) * 0.01f);
            play(e, block);
        }
        audioDone = true;
    });
    int stateRounds = 0;
    std::thread states([&] {
        do {
            setChunk(e, stateRounds % 2 == 0 ? named : plain, stateRounds % 2 == 0);
            const std::string bank = chunk(e, false);
            const std::string program = chunk(e, true);
            EXPECT_FALSE(bank.empty());
            EXPECT_FALSE(program.empty());
            dispatch(e, effSetProgram, 0, stateRounds % e->numPrograms);
            ++stateRounds;
            stating = true;
        } while (!audioDone);
    });
    // This thread is the user interface's.
    int idles = 0;
    std::vector<std::string> shown;
    do {
        dispatch(e, effEditIdle);
        const float level = e->getParameter(e, 0) + engine(e).getParameter(meter, false);
        EXPECT_TRUE(std::isfinite(level));
        // The author as its control would show it: whole, never torn
        // between the two states' texts.
        const auto* text = static_cast<const char*>(ui(e).getParameterValue(author));
        const std::string copy = text != nullptr ? text : "";
        EXPECT_TRUE(copy.empty() || copy == "Tester") << copy;
        ++idles;
        idling = true;
    } while (!audioDone);
    audio.join();
    states.join();
    dispatch(e, effEditIdle);
    EXPECT_GT(idles, 0);
    EXPECT_GT(stateRounds, 0);
    // The editor closes before its host window goes.
    dispatch(e, effEditClose);
}

} // namespace
