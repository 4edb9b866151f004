// The check of a host chunk before the state reader sees it: the copy with
// its terminator, the program line, and the chunks it refuses.

#include "plugin/AM_HostChunk.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kState = std::string("#AM=KestanK4\n#Vers=10020\nCutoff=10.00\n") + '\0';

TEST(HostChunk, TakesStatesWithOrWithoutProgramLine)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool programLine;
        const char* programName;
    };
    const Case cases[] = {
        {"state", kState, false, ""},
        {"state with padding", kState + std::string(3, '\0'), false, ""},
        {"meta comment first", "/*@meta\n\nAuthor:\n'me'\n\n*/\n\n" + kState, false, ""},
        {"program line", "#pgm=Warm Pad\n" + kState, true, "Warm Pad"},
        {"empty program name", "#pgm=\n" + kState, true, ""},
        {"program line ending CR LF", "#pgm=Pad\r\n" + kState, true, "Pad"},
        {"long program name", "#pgm=" + std::string(40, 'p') + "\n" + kState, true,
         "ppppppppppppppppppppppppppp"},
        {"CR line ends", std::string("#AM=KestanK4\rCutoff=1.00\r") + '\0', false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AM_HostChunk chunk;
        ASSERT_TRUE(chunk.take(c.bytes.data(), static_cast<int64_t>(c.bytes.size())))
            << chunk.reason();
        EXPECT_EQ(chunk.size(), static_cast<int32_t>(c.bytes.size()));
        EXPECT_EQ(std::string(chunk.data(), c.bytes.size()), c.bytes);
        EXPECT_EQ(chunk.data()[c.bytes.size()], '\0');
        EXPECT_EQ(chunk.hasProgramName(), c.programLine);
        EXPECT_STREQ(chunk.programName(), c.programName);
        EXPECT_STREQ(chunk.reason(), "");
    }
}

TEST(HostChunk, RefusesWhatIsNoCompleteState)
{
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"eight bytes", std::string("#AM=K\n\0\0", 8), "shorter than a state"},
        {"no end", "#AM=KestanK4\nCutoff=10.00\n", "state cut short (no end)"},
        {"no header", std::string("#Vers=10020\nCutoff=10.00\n") + '\0',
         "not a state (no #AM= line)"},
        {"header after the end", std::string("Cutoff=1\n") + '\0' + "#AM=KestanK4\n" + '\0',
         "not a state (no #AM= line)"},
        {"header inside a line", std::string("x #AM=KestanK4\n") + '\0',
         "not a state (no #AM= line)"},
        {"program line without end", "#pgm=" + std::string(20, 'x'),
         "program line without its line end"},
        {"header only in the program line", std::string("#pgm=#AM=x\nCutoff=1\n") + '\0',
         "not a state (no #AM= line)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AM_HostChunk chunk;
        EXPECT_FALSE(chunk.take(c.bytes.data(), static_cast<int64_t>(c.bytes.size())));
        EXPECT_STREQ(chunk.reason(), c.reason);
        EXPECT_EQ(chunk.size(), 0);
    }
    AM_HostChunk chunk;
    EXPECT_FALSE(chunk.take(nullptr, 100));
    EXPECT_FALSE(chunk.take(kState.data(), -1));
    EXPECT_FALSE(chunk.take(kState.data(), int64_t{AM_HostChunk::kMaxBytes} + 1));
    EXPECT_STREQ(chunk.reason(), "larger than any state");
}

} // namespace
