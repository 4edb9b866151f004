#include "presets/library/TuningFile.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string noteLines(int from, int to, int centsPerNote, const char* section)
{
    std::string text = std::string(section) + "\n";
    for (int n = from; n <= to; ++n)
        text += "note " + std::to_string(n) + "=" + std::to_string(n * centsPerNote) + "\n";
    return text;
}

bool read(const std::string& text, float table[kTuningNotes])
{
    return readTuningFile(text.data(), text.size(), table);
}

TEST(TuningFile, TuningSectionGivesSemitonesWithTheLowClamp)
{
    testsupport::TraceCapture trace;
    float table[kTuningNotes];
    ASSERT_TRUE(read("; a scale\n" + noteLines(0, 127, 100, "[Tuning]"), table));
    EXPECT_FLOAT_EQ(table[0], 0.1f); // 0 cents is clamped to 10
    for (int n = 1; n < kTuningNotes; ++n)
        EXPECT_FLOAT_EQ(table[n], static_cast<float>(n)) << n;
    EXPECT_TRUE(trace.standardOutput().find("search=' 0=%d'\n") != std::string::npos);
    EXPECT_TRUE(trace.standardOutput().find("search=' 127=%d'\n") != std::string::npos);
}

TEST(TuningFile, ValuesAreClampedPerSection)
{
    float table[kTuningNotes];
    ASSERT_TRUE(read("[Tuning]\nnote 0=20000\nnote 1=5\nnote 2=150\n", table));
    EXPECT_FLOAT_EQ(table[0], 150.0f);
    EXPECT_FLOAT_EQ(table[1], 0.1f);
    EXPECT_FLOAT_EQ(table[2], 1.5f);
    EXPECT_FLOAT_EQ(table[3], 3.0f); // no line: its own number

    ASSERT_TRUE(read("[Exact Tuning]\nnote 0=50.5\nnote 1=20000.0\nnote 2=150,25\n", table));
    EXPECT_FLOAT_EQ(table[0], 1.0f); // exact values are clamped to 100 cents
    EXPECT_FLOAT_EQ(table[1], 150.0f);
    EXPECT_FLOAT_EQ(table[2], 1.5025f);
}

TEST(TuningFile, ExactSectionAloneSetsOnlyItsNotes)
{
    float table[kTuningNotes];
    ASSERT_TRUE(read("[Exact Tuning]\nnote 0=6000.5\nnote 1=6100.25\nnote 2=x\n", table));
    EXPECT_FLOAT_EQ(table[0], 60.005f);
    EXPECT_FLOAT_EQ(table[1], 61.0025f);
    EXPECT_FLOAT_EQ(table[2], 2.0f); // no number read there
    for (int n = 3; n < kTuningNotes; ++n)
        EXPECT_FLOAT_EQ(table[n], static_cast<float>(n)) << n;
}

TEST(TuningFile, ExactSectionOverridesTheTuningSection)
{
    float table[kTuningNotes];
    ASSERT_TRUE(
        read(noteLines(0, 127, 100, "[Tuning]") + "[Exact Tuning]\nnote 0=6050.0\n", table));
    EXPECT_FLOAT_EQ(table[0], 60.5f);
    EXPECT_FLOAT_EQ(table[1], 1.0f);
}

TEST(TuningFile, TextWithoutEitherSectionIsRejected)
{
    testsupport::TraceCapture trace;
    float table[kTuningNotes];
    EXPECT_FALSE(read("note 0=100\n[tuning]\n", table));
    EXPECT_TRUE(trace.contains("Tun file features no [Tuning] and no [Exact Tuning] section"));
    EXPECT_FALSE(readTuningFile(nullptr, 0, table));
    for (int n = 0; n < kTuningNotes; ++n)
        EXPECT_FLOAT_EQ(table[n], static_cast<float>(n));
}

TEST(TuningFile, ReadingStopsAtTheGivenSize)
{
    // No terminator: the reader must not look past the bytes it is given.
    const std::string text = "[Tuning]\nnote 0=1200\nnote 1=1300";
    std::vector<char> bytes(text.begin(), text.end());
    float table[kTuningNotes];
    ASSERT_TRUE(readTuningFile(bytes.data(), bytes.size() - 2, table)); // "note 1=13"
    EXPECT_FLOAT_EQ(table[0], 12.0f);
    EXPECT_FLOAT_EQ(table[1], 0.13f);
    // A section name cut by the size is not found.
    EXPECT_FALSE(readTuningFile(bytes.data(), 5, table));
}

} // namespace
