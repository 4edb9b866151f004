#include "gui/graphics/AM_ScriptLines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ScriptLines, FormatsWithTheFrameworksFormatterAndCutsLongLines)
{
    std::string text = "GRAPHIC";
    AM_appendScriptLine(text, " name='%s' path='%d' value='%.2f'", "knob", 4, 0.125);
    // Halves are rounded to even, as the formatter does.
    EXPECT_EQ(text, "GRAPHIC name='knob' path='4' value='0.12'");

    const std::string longName(3000, 'n');
    std::string cut;
    AM_appendScriptLine(cut, "\nGR_PROPERTY graphic='%s'", longName.c_str());
    EXPECT_EQ(cut.size(), kScriptLineBytes - 1);
    EXPECT_EQ(cut.substr(0, 22), "\nGR_PROPERTY graphic='");
}

TEST(ScriptLines, ValuesReadAsNumbersOrZero)
{
    struct Case {
        const char* text;
        float value;
    };
    for (const Case c : {Case{"12.5", 12.5f}, Case{"-0.25", -0.25f}, Case{"  3", 3.0f},
                         Case{"wide", 0.0f}, Case{"", 0.0f}, Case{nullptr, 0.0f}}) {
        EXPECT_EQ(AM_scriptValue(c.text), c.value) << (c.text ? c.text : "null");
    }
}

} // namespace
