// The editor's module states and the host's chunks at the same time: the
// host never gets a chunk cut down to the module the editor selected for
// its own state, while the audio thread plays on.

#include "InterfaceFixture.h"

#include "platform/Trace.h"

#include <atomic>
#include <thread>

namespace {

using namespace viewtest;

class StateThreadsTest : public InterfaceTest {};

TEST_F(StateThreadsTest, HostChunksStayWholeWhileTheEditorTakesModuleStates)
{
    AEffect* e = openWithEditor();
    ListInterface view(editor(e));
    RecordingViewMan viewMan;
    view.initialize(&viewMan);
    process(e);

    void* data = nullptr;
    const VstIntPtr wholeSize = e->dispatcher(e, effGetChunk, 1, 0, &data, 0.0f);
    ASSERT_GT(wholeSize, 0);
    const std::string whole(static_cast<const char*>(data), static_cast<size_t>(wholeSize));

    std::atomic<bool> stop{false};
    std::atomic<int> cutChunks{0};
    std::atomic<int> hostChunks{0};
    std::thread audio([&] {
        platform::RealtimeScope realtime;
        std::vector<float> left(plugintest::kBlock), right(plugintest::kBlock),
            silence(plugintest::kBlock);
        float* inputs[2] = {silence.data(), silence.data()};
        float* outputs[2] = {left.data(), right.data()};
        while (!stop.load())
            e->processReplacing(e, inputs, outputs, plugintest::kBlock);
    });
    std::thread hostThread([&] {
        while (!stop.load()) {
            void* chunk = nullptr;
            const VstIntPtr size = e->dispatcher(e, effGetChunk, 1, 0, &chunk, 0.0f);
            const std::string got(static_cast<const char*>(chunk), static_cast<size_t>(size));
            if (got.find("Cutoff") == std::string::npos)
                ++cutChunks;
            ++hostChunks;
        }
    });
    for (int i = 0; i < 200; ++i) {
        const std::vector<uint8_t> module = view.getStateInfo("LFO1");
        ASSERT_FALSE(module.empty());
    }
    while (hostChunks.load() < 50)
        std::this_thread::yield();
    stop.store(true);
    hostThread.join();
    audio.join();
    EXPECT_EQ(cutChunks.load(), 0);
}

} // namespace
