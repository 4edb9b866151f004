// Breaking text into lines: here a character is one unit wide.

#include "gui/graphics/text/AM_TextWrap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

float characters(const std::string& line)
{
    return float(line.size());
}

TEST(AM_TextWrapTest, LinesBreakAtSpacesAndLineEndsAndTheLastTakesTheRest)
{
    using Lines = std::vector<std::string>;
    struct Case {
        const char* text;
        float width;
        int maxLines;
        Lines lines;
    };
    const Case cases[] = {
        {"", 10, 3, {""}},
        {"short", 10, 3, {"short"}},
        {"one two three four", 9, 4, {"one two", "three", "four"}},
        {"a verylongword b", 4, 4, {"a", "verylongword", "b"}}, // a long word stands alone
        {"first\nsecond line\n\nlast", 20, 6, {"first", "second line", "", "last"}},
        {"one two three four five", 9, 2, {"one two", "three four five"}},
        {"p1\np2\np3", 10, 2, {"p1", "p2 p3"}},
        {"one two", 3, 1, {"one two"}},
        {"one two", 3, 0, {"one two"}}, // at least one line
    };
    for (const Case& c : cases)
        EXPECT_EQ(AM_wrapText(c.text, c.width, c.maxLines, characters), c.lines) << c.text;
}

} // namespace
