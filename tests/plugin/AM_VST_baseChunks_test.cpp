// The state through the host's chunk opcodes: the layout of bank and
// program chunks, the byte-for-byte round trip, chunks that are refused
// without changing anything, and the program name.

#include "PluginFixture.h"

#include "plugin/AM_HostChunk.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace plugintest;

class PluginChunkTest : public PluginTest {
protected:
    // The plain values of the parameters the state holds, by global id.
    static std::vector<float> plainValues(AEffect* e)
    {
        std::vector<float> values;
        for (int32_t i = 0; i < engine(e).getParameterCount(false); ++i) {
            const AM_ParamInfo* info = engine(e).getParameterDescriptor(i, false);
            if (info->kind() != k_meter && (info->flags & (k_paramHidden | k_paramNotSaved)) == 0)
                values.push_back(engine(e).getParameter(i, false));
        }
        return values;
    }
    // Moves some parameters the state holds away from their defaults,
    // through the host.
    void changeState(AEffect* e)
    {
        const float values[] = {0.3f, 0.9f, 0.15f, 0.6f};
        for (VstInt32 p = 0; p < e->numParams; p += 7) {
            const AM_ParamInfo* info = engine(e).getParameterDescriptor(p, true);
            if ((info->flags & (k_paramHidden | k_paramNotSaved)) == 0)
                e->setParameter(e, p, values[static_cast<size_t>(p) % 4]);
        }
        Player(e, host).render(kBlock * 64, kBlock);
        dispatch(e, effSetProgramName, 0, 0, const_cast<char*>("Warm Pad"));
    }
};

TEST_F(PluginChunkTest, BankChunkBeginsWithTheProgramLineAndProgramChunkHasNone)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    const std::string bank = chunk(e, false);
    const std::string program = chunk(e, true);
    EXPECT_EQ(bank.rfind("#pgm=initialize\n#AM=KestanK4\n", 0), 0u);
    EXPECT_EQ(program.rfind("#AM=KestanK4\n", 0), 0u);
    EXPECT_EQ(program.find("#pgm="), std::string::npos);
    // Both end in the zero byte of the state text.
    EXPECT_EQ(bank.back(), '\0');
    EXPECT_EQ(program.back(), '\0');
}

// The state text keeps values with two decimals: a value the host set
// comes back within 0.005; from then on chunk and values stay exactly as
// they are however often the chunk goes back and forth.
TEST_F(PluginChunkTest, ChunksRoundTripByteForByte)
{
    AEffect* source = open();
    ASSERT_NE(source, nullptr);
    changeState(source);
    for (const bool program : {false, true}) {
        SCOPED_TRACE(program ? "program chunk" : "bank chunk");
        const std::string saved = chunk(source, program);
        const std::vector<float> plain = plainValues(source);

        AEffect* target = open();
        ASSERT_NE(target, nullptr);
        EXPECT_EQ(setChunk(target, saved, program), 1);
        EXPECT_EQ(chunk(target, program), saved);
        const std::vector<float> restored = plainValues(target);
        ASSERT_EQ(restored.size(), plain.size());
        for (size_t i = 0; i < plain.size(); ++i)
            EXPECT_NEAR(restored[i], plain[i], 0.0051f) << "parameter " << i;
        EXPECT_EQ(text(target, effGetProgramName), program ? "initialize" : "Warm Pad");

        // Set then get: the same bytes, and not one value moves.
        for (AEffect* e : {target, source}) {
            EXPECT_EQ(setChunk(e, saved, program), 1);
            const std::vector<float> values = allParameters(e);
            EXPECT_EQ(setChunk(e, saved, program), 1);
            EXPECT_EQ(chunk(e, program), saved);
            EXPECT_EQ(allParameters(e), values);
        }
        EXPECT_EQ(allParameters(target), allParameters(source));
        close(target);
    }
}

TEST_F(PluginChunkTest, RefusedChunksChangeNothing)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    changeState(e);
    const std::string bank = chunk(e, false);
    const std::string program = chunk(e, true);

    // Another state: the chunk of a fresh instance with other values.
    AEffect* other = open();
    ASSERT_NE(other, nullptr);
    const std::string valid = chunk(other, true);
    close(other);

    std::string garbage(4000, '\0');
    std::mt19937 random(1234);
    for (char& c : garbage)
        c = static_cast<char>(random());
    const size_t programEnd = valid.find('\0');
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"eight bytes", std::string("#AM=Kes\0", 8)},
        {"cut in half", valid.substr(0, valid.size() / 2)},
        {"cut before its end", valid.substr(0, programEnd)},
        {"cut in the binary section", valid.substr(0, valid.rfind("$$$$") + 40)},
        {"random bytes", garbage},
        {"text without a state header", std::string("Cutoff=10.00\nDetune=3.00\n") + '\0'},
        {"program line without its end", "#pgm=" + std::string(5000, 'x')},
        {"program line, then a cut state", "#pgm=Other\n" + valid.substr(0, valid.size() / 3)},
        {"header only inside a line", std::string("x#AM=KestanK4\nCutoff=10.00\n") + '\0'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool asProgram : {false, true}) {
            EXPECT_EQ(setChunk(e, c.bytes, asProgram), 0);
            EXPECT_EQ(chunk(e, false), bank);
            EXPECT_EQ(chunk(e, true), program);
        }
    }
    EXPECT_EQ(dispatch(e, effSetChunk, 0, 100, nullptr), 0);
    EXPECT_EQ(text(e, effGetProgramName), "Warm Pad");
    EXPECT_FALSE(AM_VST_base::earlyRestoreSeen());

    // Larger than any state.
    std::string oversized = valid;
    oversized.resize(static_cast<size_t>(AM_HostChunk::kMaxBytes) + 1, '\n');
    EXPECT_EQ(setChunk(e, oversized, true), 0);
    EXPECT_EQ(chunk(e, true), program);
}

TEST_F(PluginChunkTest, TrailingBytesAfterTheStateAreIgnored)
{
    AEffect* source = open();
    ASSERT_NE(source, nullptr);
    changeState(source);
    const std::string saved = chunk(source, true);
    AEffect* target = open();
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(setChunk(target, saved + std::string(100, 'z'), true), 1);
    EXPECT_EQ(chunk(target, true), saved);
}

TEST_F(PluginChunkTest, ProgramLineNamesTheProgram)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    const std::string state = chunk(e, true);
    const int updates = host.count(audioMasterUpdateDisplay);
    const std::string name30 = "abcdefghijklmnopqrstuvwxyz0123";
    EXPECT_EQ(setChunk(e, "#pgm=" + name30 + "\n" + state, false), 1);
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), updates + 1);
    // 27 characters are taken; the host sees 20 and "...".
    EXPECT_EQ(chunk(e, false).rfind("#pgm=" + name30.substr(0, 27) + "\n#AM=", 0), 0u);
    EXPECT_EQ(text(e, effGetProgramName), "abcdefghijklmnopqrst...");
    EXPECT_TRUE(AM_VST_base::earlyRestoreSeen());

    // A name of 23 characters is shown whole.
    EXPECT_EQ(setChunk(e, "#pgm=" + name30.substr(0, 23) + "\n" + state, false), 1);
    EXPECT_EQ(text(e, effGetProgramName), name30.substr(0, 23));
    char indexed[256] = {};
    EXPECT_EQ(dispatch(e, effGetProgramNameIndexed, 5, 3, indexed), 1);
    EXPECT_EQ(std::string(indexed), name30.substr(0, 23));
}

// A chunk that comes within the window after construction restores as at
// start-up, and so does every later one in the process; one that comes
// later restores as usual. The window is set here, so the answer never
// depends on how fast the test ran.
TEST_F(PluginChunkTest, OnlyARestoreSoonAfterConstructionCountsAsEarly)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    const std::string state = chunk(e, true);
    constexpr uint32_t kAnHour = 60 * 60 * 1000;
    AM_VST_base::setEarlyRestoreWindow(0);
    EXPECT_EQ(setChunk(e, state, true), 1);
    EXPECT_FALSE(AM_VST_base::earlyRestoreSeen());
    AM_VST_base::setEarlyRestoreWindow(kAnHour);
    EXPECT_EQ(setChunk(e, state, true), 1);
    EXPECT_TRUE(AM_VST_base::earlyRestoreSeen());
    AM_VST_base::setEarlyRestoreWindow(0);
    EXPECT_EQ(setChunk(e, state, true), 1);
    EXPECT_TRUE(AM_VST_base::earlyRestoreSeen());
    AM_VST_base::resetProcessState();
    EXPECT_FALSE(AM_VST_base::earlyRestoreSeen());
}

TEST_F(PluginChunkTest, SetProgramNameCopiesAtMostItsField)
{
    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    // A host text longer than the field, without a terminator in reach.
    std::vector<char> longName(100, 'n');
    dispatch(e, effSetProgramName, 0, 0, longName.data());
    EXPECT_EQ(chunk(e, false).rfind("#pgm=" + std::string(63, 'n') + "\n", 0), 0u);
    EXPECT_EQ(text(e, effGetProgramName), std::string(20, 'n') + "...");
}

} // namespace
