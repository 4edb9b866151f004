// Program changes, bank selects and parameter events arrive on the audio
// thread between blocks while another thread changes and reads parameters
// by host index, as a host and its automation do. Run under ThreadSanitizer
// in CI.

#include "StartupFixture.h"
#include "TraceCapture.h"

#include "engine/AM_MidiEvent.h"
#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using namespace enginetest;

TEST(ProgramThreads, ProgramChangesOnTheAudioThreadWhileTheHostAutomates)
{
    DataRoot root;
    testsupport::TraceCapture quiet;
    const std::string programs = DataRoot::programs();
    root.write(programs + "/a.h2p", presetText({{"AM1", "Gain", 2.0f}}, {1, 2, 3}));
    root.write(programs + "/b.h2p", presetText({{"AM1", "Gain", -1.0f}, {"AM2", "Cut", 5.0f}}));
    root.write(programs + "/Second/c.h2p", presetText({{"AM2", "Mode", 3.0f}}));
    auto engine = makeStartupEngine();
    engine->reset();
    ASSERT_EQ(engine->getMidiBankCount(), 2u);
    const int32_t numbers = engine->getParameterCount(true);
    const int32_t cut = AM_AudioMan::kHostInternalOffset + engine->id("AM1", "Cut");

    std::atomic<bool> done{false};
    std::atomic<bool> automating{false};
    std::atomic<int> programsApplied{0};
    std::thread audio([&] {
        platform::RealtimeScope realtime;
        while (!automating.load(std::memory_order_acquire))
            std::this_thread::yield();
        std::vector<float> left(256), right(256);
        char name[AM_AudioMan::kProgramNameBytes];
        for (int b = 0; b < 2000; ++b) {
            if (b % 7 == 0)
                engine->midiEvent(AM_MidiEvent::kController, AM_MidiEvent::kBankSelectController,
                                  static_cast<float>(b / 7 % 3) / 127.0f, 0.0f, 0);
            if (b % 3 == 0 && engine->selectProgram(b % 2, name))
                programsApplied.fetch_add(1, std::memory_order_relaxed);
            engine->midiEvent(AM_MidiEvent::kParameter, engine->id("AM2", "Gain"),
                              static_cast<float>(b % 4), 0.0f, 0);
            runHostBlock(*engine, 1 + static_cast<uint32_t>(b * 31 % 256), nullptr, nullptr,
                         left.data(), right.data());
        }
        done.store(true, std::memory_order_release);
    });
    int rounds = 0;
    do {
        const int32_t p = rounds % numbers;
        const AM_ParamInfo* info = engine->getParameterDescriptor(p, true);
        ASSERT_NE(info, nullptr);
        engine->setParameter(p, info->defaultValue, true);
        engine->setParameter(cut, static_cast<float>(rounds % 100), true);
        const float value = engine->getParameter(p, true);
        EXPECT_GE(value, info->min);
        EXPECT_LE(value, info->max);
        EXPECT_EQ(engine->getParameter(numbers, true), 0.0f);
        platform::flushTrace();
        automating.store(true, std::memory_order_release);
        ++rounds;
    } while (!done.load(std::memory_order_acquire));
    audio.join();
    EXPECT_GT(programsApplied.load(), 0);
}

} // namespace
