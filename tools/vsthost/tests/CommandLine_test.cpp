#include "CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vsthost::Options;
using vsthost::parseCommandLine;

TEST(CommandLine, ReadsEveryOption)
{
    const std::vector<std::string> args = {"--plugin",
                                           "x.so",
                                           "--rate",
                                           "48000",
                                           "--block",
                                           "17",
                                           "--tempo",
                                           "93.5",
                                           "--midi",
                                           "song.mid",
                                           "--out",
                                           "o.wav",
                                           "--format",
                                           "s24",
                                           "--stats",
                                           "--info",
                                           "--list-params",
                                           "--set",
                                           "3=0.25",
                                           "--set",
                                           "0=1",
                                           "--load-bank",
                                           "in.bank",
                                           "--save-program",
                                           "out.prog",
                                           "--seconds",
                                           "2.5",
                                           "--tail",
                                           "0",
                                           "--time-info",
                                           "hostile",
                                           "--notes",
                                           "4"};
    Options options;
    std::string error;
    ASSERT_TRUE(parseCommandLine(args, options, error)) << error;
    EXPECT_EQ(options.pluginPath, "x.so");
    EXPECT_EQ(options.host.sampleRate, 48000.0);
    EXPECT_EQ(options.host.blockSize, 17);
    EXPECT_EQ(options.host.tempo, 93.5);
    EXPECT_EQ(options.midiFile, "song.mid");
    EXPECT_EQ(options.outFile, "o.wav");
    EXPECT_EQ(options.format, vsthost::SampleFormat::pcm24);
    EXPECT_TRUE(options.stats && options.info && options.listParams);
    ASSERT_EQ(options.parameters.size(), 2u);
    EXPECT_EQ(options.parameters[0].index, 3);
    EXPECT_EQ(options.parameters[0].value, 0.25f);
    EXPECT_EQ(options.loadBank, "in.bank");
    EXPECT_EQ(options.saveProgram, "out.prog");
    EXPECT_EQ(options.seconds, 2.5);
    EXPECT_EQ(options.tail, 0.0);
    EXPECT_EQ(options.host.timeInfo, vsthost::TimeInfoMode::hostile);
    EXPECT_EQ(options.benchNotes, 4);
}

TEST(CommandLine, RefusesWrongArguments)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--demo"},
        {"--plugin"},
        {"--plugin", "x.so", "--rate", "0"},
        {"--plugin", "x.so", "--rate", "fast"},
        {"--plugin", "x.so", "--block", "0"},
        {"--plugin", "x.so", "--block", "12x"},
        {"--plugin", "x.so", "--tempo", "-1"},
        {"--plugin", "x.so", "--set", "3"},
        {"--plugin", "x.so", "--set", "3=1.5"},
        {"--plugin", "x.so", "--set", "-1=0.5"},
        {"--plugin", "x.so", "--seconds", "-2"},
        {"--plugin", "x.so", "--seconds", "99999"},
        {"--plugin", "x.so", "--format", "mp3"},
        {"--plugin", "x.so", "--time-info", "sometimes"},
        {"--plugin", "x.so", "--notes", "0"},
        {"--plugin", "x.so", "--demo", "--midi", "a.mid"},
        {"--plugin", "x.so", "--frobnicate"},
        {"--plugin", "x.so", "--screenshot", "a.png"},
        {"--plugin", "x.so", "--idles", "5"},
        {"--plugin", "x.so", "--editor", "--idles", "0"},
        {"--plugin", "x.so", "--editor", "--screenshot"},
    };
    for (const std::vector<std::string>& args : cases) {
        Options options;
        std::string error;
        std::string joined;
        for (const std::string& arg : args)
            joined += arg + " ";
        EXPECT_FALSE(parseCommandLine(args, options, error)) << joined;
        EXPECT_FALSE(error.empty()) << joined;
    }
}

TEST(CommandLine, ReadsTheEditorOptions)
{
    Options options;
    std::string error;
    ASSERT_TRUE(parseCommandLine({"--plugin", "x.so", "--editor", "--screenshot", "shot.png",
                                  "--idles", "12"},
                                 options, error))
        << error;
    EXPECT_TRUE(options.editor);
    EXPECT_EQ(options.screenshot, "shot.png");
    EXPECT_EQ(options.idles, 12);
    ASSERT_TRUE(parseCommandLine({"--plugin", "x.so", "--editor"}, options, error));
    EXPECT_TRUE(options.editor);
    EXPECT_TRUE(options.screenshot.empty());
    EXPECT_EQ(options.idles, -1);
}

TEST(CommandLine, HelpNeedsNoPlugin)
{
    Options options;
    std::string error;
    ASSERT_TRUE(parseCommandLine({"--help"}, options, error)) << error;
    EXPECT_TRUE(options.help);
}

} // namespace
