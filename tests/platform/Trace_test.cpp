#include "platform/Trace.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(Trace, PiecesReachTheInstalledSinkInOrder)
{
    testsupport::TraceCapture capture;
    platform::debugOutput("first\n");
    platform::debugOutput("second");
    platform::standardOutput("out\n");
    EXPECT_EQ(capture.pieces(), (std::vector<std::string>{"first\n", "second"}));
    EXPECT_EQ(capture.standardOutput(), "out\n");
}

TEST(Trace, RealtimeThreadTextIsQueuedUntilFlushed)
{
    testsupport::TraceCapture capture;
    std::thread audio([] {
        platform::RealtimeScope scope;
        platform::debugOutput("from audio\n");
        platform::flushTrace();  // refused on a real-time thread
    });
    audio.join();
    EXPECT_EQ(capture.text(), "from audio\n");
}

TEST(Trace, LongRealtimeTextIsSplitNotLost)
{
    testsupport::TraceCapture capture;
    std::string longText(700, 'x');
    {
        platform::RealtimeScope scope;
        platform::debugOutput(longText.c_str());
    }
    EXPECT_EQ(capture.text(), longText);
}

TEST(Trace, MessageBoxesGoToTheHookWithoutBlocking)
{
    testsupport::TraceCapture capture;
    platform::messageBox("Orlen Error", "file couldn't be opened");
    EXPECT_EQ(capture.messageBoxes(),
              (std::vector<std::string>{"Orlen Error|file couldn't be opened"}));
}

TEST(Trace, FullRingDropsAndCounts)
{
    testsupport::TraceCapture capture;
    const uint64_t before = platform::droppedTracePieces();
    {
        platform::RealtimeScope scope;
        for (int i = 0; i < 1000; ++i)
            platform::debugOutput("x");
    }
    EXPECT_GT(platform::droppedTracePieces(), before);
    EXPECT_GT(capture.count("x"), 0);
}

}  // namespace
