// The published-parameter numbering: the identity without a file, the
// lines of "com.<vendor>.<effect>.publicparams.txt", the completion of the
// numbers a file leaves out, and its use by the engine.

#include "StartupFixture.h"
#include "TraceCapture.h"

#include "params/CustomParamTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using namespace enginetest;

class NumberingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DataRoot::resetProcessState();
        engine = makeStartupEngine(0);
        count = engine->getParameterCount(true);
        for (int32_t p = 0; p < count; ++p)
            identity.push_back(engine->getInternalIndex(p));
    }

    // The global ids of the published numbers 0 to count - 1.
    std::vector<int32_t> numbering(const CustomParamTable& table) const
    {
        std::vector<int32_t> ids;
        for (int32_t p = 0; p < table.getCount(); ++p)
            ids.push_back(table.getInternalIDFromPublished(p));
        return ids;
    }

    // Every published parameter under exactly one number.
    void expectOneNumberEach(const CustomParamTable& table) const
    {
        const std::vector<int32_t> ids = numbering(table);
        EXPECT_EQ(std::set<int32_t>(ids.begin(), ids.end()),
                  std::set<int32_t>(identity.begin(), identity.end()));
        for (int32_t k = 0; k < table.getCount(); ++k) {
            const CustomParamTable::Entry* entry = table.getEntry(k);
            EXPECT_EQ(table.getInternalIDFromPublished(entry->publishedNumber), entry->globalId);
        }
    }

    std::unique_ptr<CustomParamTable> tableOf(const std::string& text)
    {
        auto table = std::make_unique<CustomParamTable>();
        table->buildFromParameters(*engine, count);
        table->applyText(*engine, text.c_str());
        return table;
    }

    std::unique_ptr<StartupAudioMan> engine;
    int32_t count = 0;
    std::vector<int32_t> identity;
};

TEST_F(NumberingTest, WithoutLinesTheNumberingIsTheDefaultOrder)
{
    CustomParamTable table;
    table.buildFromParameters(*engine, count);
    ASSERT_EQ(table.getCount(), count);
    EXPECT_EQ(table.getInternalIDFromPublished(0), -1) << "nothing numbered before loading";
    table.applyText(*engine, "");
    EXPECT_EQ(numbering(table), identity);
    for (int32_t p = 0; p < count; ++p) {
        const AM_ParamInfo* info = engine->getParameterDescriptor(p, true);
        EXPECT_EQ(std::string(table.getEntry(p)->displayName),
                  std::string(info->longName).substr(0, 23));
        EXPECT_STREQ(table.getPublishedName(p), "") << "not renamed";
    }
}

TEST_F(NumberingTest, ApplyingTheNumberingKeepsTheLongNamesItDoesNotReplace)
{
    CustomParamTable table;
    table.buildFromParameters(*engine, count);
    table.applyText(*engine, "0:AM1:Gain\"Drive Amount Control\"\n");
    engine->getParaMan()->setCustomParamTable(&table);
    EXPECT_STREQ(engine->findParameter("AM2", "Cut")->longName, "Cutoff Frequency");
    EXPECT_STREQ(engine->findParameter("AM1", "Gain")->longName, "Drive Amount Co");
}

TEST_F(NumberingTest, NamedNumbersTakeTheirParametersAndTheRestFollowInDefaultOrder)
{
    testsupport::TraceCapture trace;
    // A ':' may close the parameter name, as the parameter report writes it.
    const auto table = tableOf("0:AM2:Cut\"Second Cutoff\"\n1:AM1:Gain:\"Drive\" // comment\n");
    const int32_t cut = engine->id("AM2", "Cut");
    const int32_t gain = engine->id("AM1", "Gain");
    std::vector<int32_t> expected = {cut, gain};
    for (int32_t id : identity)
        if (id != cut && id != gain)
            expected.push_back(id);
    EXPECT_EQ(numbering(*table), expected);
    EXPECT_STREQ(table->getPublishedName(0), "Second Cutoff");
    EXPECT_STREQ(table->getPublishedName(1), "Drive");
    EXPECT_EQ(trace.text(), "");
}

TEST_F(NumberingTest, LinesOutOfOrderAreTracedAndUsed)
{
    testsupport::TraceCapture trace;
    const auto table = tableOf("3:AM1:Mode\"M\"\n5:AM2:Mode\"N\"\n");
    EXPECT_EQ(trace.text(), "Out Of order: Param 3 after -1\nOut Of order: Param 5 after 3\n");
    EXPECT_EQ(table->getInternalIDFromPublished(3), engine->id("AM1", "Mode"));
    EXPECT_EQ(table->getInternalIDFromPublished(5), engine->id("AM2", "Mode"));
    expectOneNumberEach(*table);
}

TEST_F(NumberingTest, ANumberOrAParameterTakenTwiceKeepsTheFirstLine)
{
    struct Case {
        const char* text;
        const char* trace;
    };
    const Case cases[] = {
        {"0:AM1:Gain\"A\"\n0:AM2:Gain\"B\"\n",
         "Out Of order: Param 0 after 0\ndouble assignemnt to Param 0 - ignored\n"},
        {"0:AM1:Gain\"A\"\n1:AM1:Gain\"B\"\n", "Param 1: AM1:Gain already is Param 0 - ignored\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        testsupport::TraceCapture trace;
        const auto table = tableOf(c.text);
        EXPECT_EQ(trace.text(), c.trace);
        EXPECT_EQ(table->getInternalIDFromPublished(0), engine->id("AM1", "Gain"));
        EXPECT_STREQ(table->getPublishedName(0), "A");
        expectOneNumberEach(*table);
    }
}

TEST_F(NumberingTest, LinesThatNameNoPublishedParameterAreSkipped)
{
    const char* lines[] = {
        "0:AM1:Gain",             // no display name
        "x:AM1:Gain\"x\"",        // no number
        "99:AM1:Gain\"x\"",       // beyond the published parameters
        "0:AM1:Level\"x\"",       // not published
        "0:AM1:Nope\"x\"",        // no such parameter
        "0:AM9:Gain\"x\"",        // no such module
        "0:AccessOneX:Gain\"x\"", // no ':' within 8 characters
        "0:AM1:GainAmount\"x\"",  // parameter name longer than 7
        "",
        "\"\"\"",
    };
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        testsupport::TraceCapture trace;
        const auto table = tableOf(std::string(line) + "\n");
        EXPECT_EQ(numbering(*table), identity);
        EXPECT_FALSE(trace.contains("double"));
    }
}

TEST_F(NumberingTest, LongDisplayNamesAreCutTo23Characters)
{
    const auto table = tableOf("0:AM1:Gain\"An Exceedingly Long Display Name\"\n");
    EXPECT_STREQ(table->getPublishedName(0), "An Exceedingly Long Dis");
}

TEST_F(NumberingTest, NumbersOutOfRangeAnswerMinusOneWithATraceLine)
{
    const auto table = tableOf("");
    for (int32_t p : {-1, count, INT32_MIN}) {
        testsupport::TraceCapture trace;
        EXPECT_EQ(table->getInternalIDFromPublished(p), -1);
        EXPECT_EQ(table->getPublishedName(p), nullptr);
        EXPECT_EQ(trace.count("CustomParamTable::getInternalIDFromPublished out of bounds!\n"), 2);
    }
}

TEST_F(NumberingTest, TheFileNameCarriesVendorAndEffect)
{
    char name[64];
    CustomParamTable::fileName(name, sizeof name, "Orlen", "KestanK4");
    EXPECT_STREQ(name, "com.Orlen.KestanK4.publicparams.txt");
}

// Through the start-up loader: the file in the Support folder decides what
// the host sees under each number, and the name it sees.
class NumberingFileTest : public ::testing::Test {
protected:
    DataRoot root;
    testsupport::TraceCapture quiet;
};

TEST_F(NumberingFileTest, TheFileReordersTheHostVisibleParametersOfEveryInstance)
{
    root.write(DataRoot::numberingFile(), "0:AM2:Cut\"Second Cutoff\"\n1:AM1:Gain\"Drive\"\n");
    auto engine = makeStartupEngine();
    auto second = makeStartupEngine();
    for (StartupAudioMan* e : {engine.get(), second.get()}) {
        const AM_ParamInfo* first = e->getParameterDescriptor(0, true);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(static_cast<int32_t>(first->index), e->id("AM2", "Cut"));
        EXPECT_STREQ(first->longName, "Second Cutoff");
        EXPECT_STREQ(e->getParameterDescriptor(1, true)->longName, "Drive");
        EXPECT_EQ(e->getPublishedIndex(e->id("AM2", "Cut")), 0);
        e->setParameter(0, 25.0f, true);
        EXPECT_EQ(e->getParameter(e->id("AM2", "Cut"), false), 25.0f);
    }
}

TEST_F(NumberingFileTest, WithoutAFileTheNumberingIsTheIdentity)
{
    const auto reference = makeStartupEngine(0);
    std::vector<int32_t> expected;
    for (int32_t p = 0; p < reference->getParameterCount(true); ++p)
        expected.push_back(reference->getInternalIndex(p));
    DataRoot::resetProcessState();
    auto engine = makeStartupEngine();
    std::vector<int32_t> ids;
    for (int32_t p = 0; p < engine->getParameterCount(true); ++p)
        ids.push_back(engine->getInternalIndex(p));
    EXPECT_EQ(ids, expected);
}

TEST_F(NumberingFileTest, FilesThatCannotBeReadAreTraced)
{
    struct Case {
        bool folder;
        const char* trace;
    };
    for (const Case& c :
         {Case{false, "published file Size < 1\n"}, Case{true, "Can't load Published: "}}) {
        SCOPED_TRACE(c.trace);
        DataRoot fresh;
        if (c.folder)
            fresh.dir.makeDir(DataRoot::numberingFile());
        else
            fresh.write(DataRoot::numberingFile(), "");
        testsupport::TraceCapture trace;
        auto engine = makeStartupEngine();
        EXPECT_TRUE(trace.contains(c.trace));
        EXPECT_EQ(engine->getInternalIndex(0), makeStartupEngine(0)->getInternalIndex(0));
    }
}

} // namespace
