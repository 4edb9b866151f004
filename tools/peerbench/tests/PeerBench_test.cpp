#include "PeerBench.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kTestSynth = KK_TEST_SYNTH_PATH;
constexpr const char* kPeerBench = KK_PEERBENCH_PATH;

struct ParseCase {
    std::vector<std::string> args;
    bool ok;
    const char* errorPart; // for a refusal
};

TEST(PeerBench, ParsesItsOptionsAndRefusesBadOnes)
{
    const std::vector<std::string> both = {"--plugin", "a.so", "--peer", "b.so"};
    const auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> args = both;
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    const ParseCase cases[] = {
        {both, true, ""},
        {with({"--notes", "3,1,16", "--rounds", "5", "--seconds", "0.5"}), true, ""},
        {{"--plugin", "a.so"}, false, "--peer"},
        {with({"--notes", "1,,2"}), false, "--notes"},
        {with({"--notes", "0"}), false, "--notes"},
        {with({"--notes", "97"}), false, "--notes"},
        {with({"--rounds", "0"}), false, "--rounds"},
        {with({"--seconds", "-1"}), false, "--seconds"},
        {with({"--seconds"}), false, "needs a value"},
        {with({"--voices-only", "--loads-only"}), false, "nothing to measure"},
        {with({"--bogus"}), false, "unknown option"},
        {{"--load-once", "a.so"}, true, ""},
    };
    for (const ParseCase& c : cases) {
        peerbench::Options options;
        std::string error;
        EXPECT_EQ(peerbench::parseCommandLine(c.args, options, error), c.ok) << c.args.back();
        if (!c.ok) {
            EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
        }
    }
    peerbench::Options options;
    std::string error;
    ASSERT_TRUE(peerbench::parseCommandLine(with({"--notes", "3,1,16"}), options, error));
    EXPECT_EQ(options.notes, (std::vector<int>{3, 1, 16}));
    EXPECT_EQ(options.rounds, 7);
}

TEST(PeerBench, MedianOfOddAndEvenCounts)
{
    EXPECT_EQ(peerbench::median({}), 0.0);
    EXPECT_EQ(peerbench::median({5.0}), 5.0);
    EXPECT_EQ(peerbench::median({9.0, 1.0, 4.0}), 4.0);
    EXPECT_EQ(peerbench::median({4.0, 1.0, 9.0, 2.0}), 3.0);
}

// The test instrument against itself: a line per note count and the loads
// measured in fresh processes of the benchmark program.
TEST(PeerBench, MeasuresHeldNotesAndLoadsSideBySide)
{
    peerbench::Options options;
    std::string error;
    ASSERT_TRUE(peerbench::parseCommandLine({"--plugin", kTestSynth, "--peer", kTestSynth,
                                             "--notes", "1,3", "--rounds", "2", "--seconds", "0.2"},
                                            options, error))
        << error;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(peerbench::run(options, kPeerBench, out, err), 0) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("median of 2 alternating rounds"), std::string::npos) << text;
    EXPECT_NE(text.find("\n1      "), std::string::npos) << text;
    EXPECT_NE(text.find("\n3      "), std::string::npos) << text;
    EXPECT_NE(text.find("first instance's load"), std::string::npos) << text;
    EXPECT_NE(text.find("\nplug-in "), std::string::npos) << text;
}

TEST(PeerBench, AModuleThatDoesNotLoadFails)
{
    peerbench::Options options;
    std::string error;
    ASSERT_TRUE(peerbench::parseCommandLine(
        {"--plugin", kTestSynth, "--peer", "/nonexistent.so", "--rounds", "1", "--seconds", "0.1"},
        options, error));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(peerbench::run(options, kPeerBench, out, err), 1);
    EXPECT_NE(err.str().find("kk-peerbench:"), std::string::npos);

    options.voices = false;
    std::ostringstream out2;
    std::ostringstream err2;
    EXPECT_EQ(peerbench::run(options, kPeerBench, out2, err2), 1);
    EXPECT_NE(err2.str().find("no load measured"), std::string::npos) << err2.str();
}

} // namespace
