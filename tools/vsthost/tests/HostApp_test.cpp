// The kk-vsthost command line, end to end.
#include "HostApp.h"
#include "TempDir.h"
#include "WavFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

using vsthost::AudioBuffer;

constexpr const char* kTestSynth = KK_TEST_SYNTH_PATH;
constexpr const char* kMisbehaving = KK_MISBEHAVING_PLUGIN_PATH;
constexpr const char* kThirdPartyInstrument = "/usr/lib/vst/amsynth_vst.so";

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

CliResult run(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = vsthost::runCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}

AudioBuffer readBack(const std::string& path, int& rate)
{
    AudioBuffer audio;
    std::string error;
    EXPECT_TRUE(vsthost::readWav(path, audio, rate, error)) << error;
    return audio;
}

TEST(HostApp, RendersTheDemoToAWavFile)
{
    testsupport::TempDir dir;
    const std::string wav = dir.file("demo.wav");
    const CliResult r = run({"--plugin", kTestSynth, "--demo", "--rate", "48000", "--block", "100",
                             "--out", wav, "--stats"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("channel 2: peak"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("control register: unchanged"), std::string::npos) << r.out;
    int rate = 0;
    const AudioBuffer audio = readBack(wav, rate);
    EXPECT_EQ(rate, 48000);
    ASSERT_EQ(audio.channelCount(), 2);
    const std::vector<vsthost::ChannelStats> stats = vsthost::measure(audio);
    EXPECT_GT(stats[0].rms, 0.01);
    EXPECT_EQ(stats[0].nonFinite, 0);
    EXPECT_LE(stats[0].peak, 1.0f);
}

TEST(HostApp, ParametersChangeTheSound)
{
    const CliResult r = run({"--plugin", kTestSynth, "--demo", "--set", "0=0", "--stats"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("channel 1: peak 0.000000"), std::string::npos) << r.out;
    const CliResult list = run({"--plugin", kTestSynth, "--set", "1=0", "--list-params"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("1: Tune = -12.00 semi (0.000000)"), std::string::npos) << list.out;
}

TEST(HostApp, ChunkFilesRoundTrip)
{
    testsupport::TempDir dir;
    const std::string bank = dir.file("state.bank");
    const std::string again = dir.file("again.bank");
    ASSERT_EQ(run({"--plugin", kTestSynth, "--set", "0=0.125", "--save-bank", bank}).status, 0);
    const CliResult loaded =
        run({"--plugin", kTestSynth, "--load-bank", bank, "--list-params", "--save-bank", again});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_NE(loaded.out.find("0: Gain"), std::string::npos);
    EXPECT_NE(loaded.out.find("(0.125000)"), std::string::npos) << loaded.out;
    EXPECT_EQ(dir.readFile("state.bank"), dir.readFile("again.bank"));
    EXPECT_EQ(dir.readFile("state.bank").rfind("#pgm=Init\n", 0), 0u);
}

// Many plug-ins answer 0 to a chunk they did read, so a 0 is a warning; a
// chunk file that cannot be read is a failure.
TEST(HostApp, RejectedChunksWarnAndMissingFilesFail)
{
    testsupport::TempDir dir;
    dir.writeFile("junk.bank", "not a state");
    const CliResult rejected = run({"--plugin", kTestSynth, "--load-bank", dir.file("junk.bank")});
    EXPECT_EQ(rejected.status, 0) << rejected.err;
    EXPECT_NE(rejected.out.find("the plug-in answered 0"), std::string::npos) << rejected.out;
    EXPECT_NE(rejected.err.find("warning: the plug-in answered 0"), std::string::npos)
        << rejected.err;
    EXPECT_EQ(run({"--plugin", kTestSynth, "--load-program", dir.file("none")}).status, 1);
}

TEST(HostApp, InfoDescribesThePlugin)
{
    const CliResult r = run({"--plugin", kTestSynth, "--info"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line :
         {"effect: KK Test Synth\n", "VST version: 2400\n", "category: 2\n", "unique ID: 'kkTS'",
          "flags: replacing chunks synth\n", "receiveVstMidiEvent=1", "plugAsSend=-1"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line;
}

TEST(HostApp, BenchPrintsTheShareOfACorePerVoice)
{
    const CliResult r =
        run({"--plugin", kTestSynth, "--bench", "--notes", "4", "--seconds", "0.5"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("bench: 4 notes held 0.5 s"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("per voice: "), std::string::npos) << r.out;
}

TEST(HostApp, FailuresGiveTheirExitStatus)
{
    EXPECT_EQ(run({"--plugin"}).status, 2);
    EXPECT_EQ(run({"--plugin", "/nonexistent.so", "--demo"}).status, 1);
    EXPECT_EQ(run({"--plugin", kTestSynth, "--midi", "/nonexistent.mid"}).status, 1);
    EXPECT_EQ(run({"--plugin", kTestSynth, "--set", "9=0.5"}).status, 1);
    EXPECT_EQ(run({"--plugin", kTestSynth, "--bench", "--notes", "500"}).status, 1);
    const CliResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: kk-vsthost"), std::string::npos);
}

TEST(HostApp, SurvivesAPluginAnsweringNothing)
{
    setenv("KK_MISBEHAVE", "zero", 1);
    const CliResult r =
        run({"--plugin", kMisbehaving, "--info", "--list-params", "--demo", "--stats"});
    unsetenv("KK_MISBEHAVE");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("2:  = "), std::string::npos) << "parameters listed without entry points";
    EXPECT_NE(r.err.find("no process entry"), std::string::npos) << r.err;
}

// A third-party VST 2.4 instrument renders too: the host is generic.
TEST(HostApp, RendersAThirdPartyInstrument)
{
    if (!std::filesystem::exists(kThirdPartyInstrument))
        GTEST_SKIP() << kThirdPartyInstrument << " is not installed";
    testsupport::TempDir dir;
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    setenv("HOME", dir.path().c_str(), 1); // it keeps settings in the user's home
    const std::string wav = dir.file("third-party.wav");
#if defined(__SANITIZE_ADDRESS__)
    __lsan_disable(); // the instrument's own leaks are not this project's to find
#endif
    const CliResult r = run({"--plugin", kThirdPartyInstrument, "--demo", "--out", wav, "--stats"});
#if defined(__SANITIZE_ADDRESS__)
    __lsan_enable();
#endif
    if (oldHome != nullptr)
        setenv("HOME", savedHome.c_str(), 1);
    ASSERT_EQ(r.status, 0) << r.err;
    int rate = 0;
    const AudioBuffer audio = readBack(wav, rate);
    ASSERT_GE(audio.channelCount(), 1);
    const std::vector<vsthost::ChannelStats> stats = vsthost::measure(audio);
    EXPECT_GT(stats[0].rms, 0.001) << "the instrument rendered silence";
    EXPECT_EQ(stats[0].nonFinite, 0);
}

} // namespace
