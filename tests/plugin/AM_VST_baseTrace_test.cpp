// Text the audio thread traces waits in the real-time ring only until the
// host's next call from another thread.

#include "PluginFixture.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace plugintest;

class PluginTraceTest : public PluginTest {};

TEST_F(PluginTraceTest, AudioThreadLinesReachTheSinkWithTheNextHostCall)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    void* data = nullptr;
    char name[kVstMaxProgNameLen + 1] = {};
    struct Call {
        const char* what;
        VstInt32 opcode;
        void* ptr;
    };
    const Call calls[] = {{"editor idle", effEditIdle, nullptr},
                          {"idle", effIdle, nullptr},
                          {"get chunk", effGetChunk, &data},
                          {"program name", effGetProgramName, name},
                          {"close", effClose, nullptr}};
    int bank = 1;
    for (const Call& call : calls) {
        SCOPED_TRACE(call.what);
        const std::string line = "MidiBankSelect " + std::to_string(bank);
        std::thread audio([&] {
            Player player(e, host);
            player.send({{0, 0xB0, 0, static_cast<uint8_t>(bank)}});
        });
        audio.join();
        EXPECT_EQ(trace.deliveredText().find(line), std::string::npos);
        if (call.opcode == effClose)
            close(e);
        else
            dispatch(e, call.opcode, 0, 0, call.ptr);
        EXPECT_NE(trace.deliveredText().find(line), std::string::npos);
        ++bank;
    }
}

} // namespace
