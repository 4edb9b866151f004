// The plug-in module in the project's test host, its editor open on an X
// server of the test's own, which the test kills: the host process goes on,
// idles and closes the editor, and the instrument still plays. The host runs
// in a child process, so that a plug-in that ended it would fail the test
// instead of ending the test program.
#include "EditorSession.h"
#include "HostedPlugin.h"
#include "OwnXServer.h"
#include "TempDir.h"

#include "plugin/vst/VstEvents.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testsupport::ChildProcess;
using testsupport::OwnXServer;

constexpr int kAnswerMs = 120000;
constexpr int kIdlesBefore = 20;
constexpr int kIdlesAfter = 20;
constexpr int kBlock = 512;
constexpr int kBlocks = 40;
constexpr unsigned char kNoteOn = 0x90;
constexpr unsigned char kMiddleC = 60;
constexpr unsigned char kVelocity = 100;

struct HostSetting {
    std::string display;
    std::string module;
    std::string trace;
};

// Plays middle C for kBlocks blocks; the output's peak.
float playNote(vsthost::HostedPlugin& plugin)
{
    VstMidiEvent note{};
    note.type = kVstMidiType;
    note.byteSize = sizeof(VstMidiEvent);
    note.midiData[0] = kNoteOn;
    note.midiData[1] = kMiddleC;
    note.midiData[2] = kVelocity;
    std::vector<uint8_t> block(vstEventsBytes(1), 0);
    auto* events = reinterpret_cast<VstEvents*>(block.data());
    events->numEvents = 1;
    vstEventList(events)[0] = reinterpret_cast<VstEvent*>(&note);
    plugin.processEvents(events);
    std::vector<std::vector<float>> outputs(size_t(plugin.numOutputs()),
                                            std::vector<float>(kBlock, 0.0f));
    std::vector<std::vector<float>> inputs(size_t(plugin.numInputs()),
                                           std::vector<float>(kBlock, 0.0f));
    std::vector<float*> out;
    std::vector<float*> in;
    for (auto& channel : outputs)
        out.push_back(channel.data());
    for (auto& channel : inputs)
        in.push_back(channel.data());
    float peak = 0.0f;
    for (int b = 0; b < kBlocks; ++b) {
        plugin.process(in.data(), out.data(), kBlock);
        for (const auto& channel : outputs)
            for (float sample : channel)
                peak = std::max(peak, std::fabs(sample));
    }
    return peak;
}

int hostWithEditor(int toParent, int fromParent, void* arg)
{
    const HostSetting& setting = *static_cast<HostSetting*>(arg);
    setenv("DISPLAY", setting.display.c_str(), 1);
    setenv("KESTANK4_TRACE", setting.trace.c_str(), 1);
    vsthost::HostedPlugin plugin;
    std::string error;
    if (!plugin.load(setting.module, vsthost::HostSettings{}, error))
        return 10;
    plugin.start();
    {
        vsthost::EditorSession session(plugin);
        if (!session.open(error))
            return 11;
        session.idle(kIdlesBefore, false);
        ChildProcess::send(toParent, "open");
        std::string line;
        if (!ChildProcess::receive(fromParent, line, kAnswerMs) || line != "killed")
            return 12;
        for (int i = 0; i < kIdlesAfter; ++i)
            plugin.dispatch(effEditIdle);
        const bool windowShown = session.idle();
        session.close();
        ChildProcess::send(toParent, std::string("closed shown ") + (windowShown ? "1" : "0"));
    }
    const float peak = playNote(plugin);
    plugin.unload();
    ChildProcess::send(toParent, std::string("played ") + (peak > 0.01f ? "1" : "0"));
    return 0;
}

TEST(LostDisplay, TheHostGoesOnAndPlaysWhenTheServerDiesUnderTheEditor)
{
    OwnXServer server;
    std::string error;
    if (!server.start(error)) {
        if (std::getenv("KK_REQUIRE_X11") != nullptr)
            FAIL() << error;
        GTEST_SKIP() << error;
    }
    namespace fs = std::filesystem;
    testsupport::TempDir dir;
    fs::copy_file(KK_PLUGIN_MODULE, dir.file("KestanK4.so"));
    fs::copy(KK_BUILD_DATA, dir.file("KestanK4.data"), fs::copy_options::recursive);
    fs::copy_file(std::string(KK_SOURCE_DATA) + "/Scripts/KestanK4.txt",
                  dir.file("KestanK4.data/Scripts/KestanK4.txt"),
                  fs::copy_options::overwrite_existing);
    HostSetting setting{server.displayName(), dir.file("KestanK4.so"), dir.file("trace.txt")};

    ChildProcess host;
    ASSERT_TRUE(host.start(&hostWithEditor, &setting));
    std::string line;
    ASSERT_TRUE(host.readLine(line, kAnswerMs)) << "exit " << host.wait(kAnswerMs);
    ASSERT_EQ(line, "open");
    server.kill();
    ASSERT_TRUE(host.writeLine("killed"));
    ASSERT_TRUE(host.readLine(line, kAnswerMs)) << "the host ended: exit " << host.wait(kAnswerMs);
    EXPECT_EQ(line, "closed shown 0");
    ASSERT_TRUE(host.readLine(line, kAnswerMs)) << "the host ended: exit " << host.wait(kAnswerMs);
    EXPECT_EQ(line, "played 1");
    EXPECT_EQ(host.wait(kAnswerMs), 0);

    std::ifstream in(setting.trace);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Editor: the display went away; the editor stops drawing"),
              std::string::npos)
        << text.str();
}

} // namespace
