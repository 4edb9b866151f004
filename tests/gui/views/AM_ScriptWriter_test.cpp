#include "gui/views/AM_PreferenceText.h"
#include "gui/views/AM_ScriptIncludeGuard.h"
#include "gui/views/AM_ScriptLine.h"
#include "gui/views/AM_ScriptWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Parts = std::vector<std::string>;

TEST(PreferenceTextTest, CutsAtEveryUnescapedColon)
{
    struct Case {
        std::string text;
        Parts parts;
    };
    const Case cases[] = {
        {"View:zoom:2", {"View", "zoom", "2"}},
        {"Look:skin\\:dark:on", {"Look", "skin\\:dark", "on"}},
        {":x:y:z", {":x", "y", "z"}},
        {"a::b", {"a", "", "b"}},
        {"two:parts", {"two", "parts"}},
        {"", {""}},
        {"a:b:c:d", {"a", "b", "c", "d"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AM_splitPreferenceText(c.text.c_str()), c.parts) << c.text;
    // At most 254 characters are taken apart.
    const std::string longText = "a:b:" + std::string(300, 'v');
    const Parts parts = AM_splitPreferenceText(longText.c_str());
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[2].size(), kPreferenceTextChars - 4);
    EXPECT_TRUE(AM_splitPreferenceText(nullptr).empty());
}

TEST(PreferenceTextTest, JoinedTextsSplitBackIntoThemselves)
{
    const Parts texts = {"Look", "skin\\:dark", "on"};
    EXPECT_EQ(AM_splitPreferenceText(AM_joinPreferenceText(texts[0], texts[1], texts[2]).c_str()),
              texts);
}

TEST(ScriptWriterTest, WritesLinesThatReadBackAsWritten)
{
    std::string out;
    AM_ScriptWriter writer(out);
    const float bounds[4] = {10.0f, 20.5f, -3.25f, 1.0f / 3.0f};
    writer.line("\n\n", "CONTROL")
        .text("type", "Button On-Off")
        .text("name", std::string("A name"))
        .floats("bounds", bounds, 4)
        .hex("layerMask", 0xFFFFFFFFu)
        .integer("id", -7)
        .text("empty", nullptr);
    EXPECT_EQ(out, "\n\nCONTROL type='Button On-Off' name='A name' "
                   "bounds='10.00 20.50 -3.25 0.33' layerMask='ffffffff' id='-7' empty=''");

    AM_ScriptLine line;
    line.read(out.data() + 2, out.size() - 2);
    EXPECT_STREQ(line.value(kRowControlType), "Button On-Off");
    EXPECT_STREQ(line.value(kRowControlName), "A name");
    float read[4] = {};
    EXPECT_EQ(line.numbers(kRowControlBounds, read, 4), 4);
    EXPECT_EQ(read[1], 20.5f);
    EXPECT_EQ(read[2], -3.25f);
    uint32_t mask = 0;
    EXPECT_EQ(line.numbers(kRowControlLayerMask, &mask, 1), 1);
    EXPECT_EQ(mask, 0xFFFFFFFFu);
    EXPECT_STREQ(line.value("empty"), "");
}

TEST(ScriptWriterTest, BannersAreCommentsToTheReader)
{
    for (AM_ScriptSection section :
         {AM_ScriptSection::kPreferences, AM_ScriptSection::kColours, AM_ScriptSection::kGraphics,
          AM_ScriptSection::kControls, AM_ScriptSection::kProperties}) {
        std::string out;
        AM_ScriptWriter(out).banner(section);
        size_t position = 0;
        int lines = 0;
        AM_ScriptLine line;
        while (position < out.size()) {
            position += line.read(out.data() + position, out.size() - position);
            EXPECT_TRUE(line.isComment());
            lines += line.tokenCount() > 0 ? 1 : 0;
        }
        EXPECT_EQ(lines, 5);
    }
}

TEST(ScriptIncludeGuardTest, RefusesAFileThatIsOpenAndChainsTooDeep)
{
    AM_ScriptIncludeGuard guard;
    EXPECT_TRUE(guard.enter("/s/main.txt"));
    EXPECT_FALSE(guard.enter("/s/./main.txt"));
    EXPECT_FALSE(guard.enter("/s/sub/../main.txt"));
    EXPECT_FALSE(guard.enter("\\s\\main.txt"));
    EXPECT_TRUE(guard.enter("/s/part.txt"));
    EXPECT_EQ(guard.depth(), 2u);
    guard.leave();
    EXPECT_FALSE(guard.enter("/s/part.txt")) << "one load reads a file once";
    EXPECT_EQ(guard.filesRead(), 2u);
    for (size_t i = 1; i < AM_ScriptIncludeGuard::kMaxDepth; ++i)
        EXPECT_TRUE(guard.enter(("/s/" + std::to_string(i) + ".txt").c_str()));
    EXPECT_FALSE(guard.enter("/s/one-too-many.txt"));
    EXPECT_EQ(guard.outermost(), "/s/main.txt");
    EXPECT_EQ(guard.innermost(), "/s/7.txt");
    while (guard.depth() > 0)
        guard.leave();
    EXPECT_EQ(guard.outermost(), "");
    // The next load starts afresh.
    EXPECT_TRUE(guard.enter("/s/main.txt"));
    EXPECT_TRUE(guard.enter("/s/part.txt"));
    EXPECT_EQ(guard.filesRead(), 2u);
}

} // namespace
