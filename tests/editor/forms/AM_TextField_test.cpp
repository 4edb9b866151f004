#include "editor/forms/AM_TextField.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// Caret moves over lines and characters of different byte lengths.
TEST(TextField, CaretMovesKeepWholeCharactersAndColumns)
{
    struct Case {
        const char* what;
        const char* text;
        std::function<void(AM_TextField&)> moves;
        size_t caret;
        size_t anchor;
    } cases[] = {
        {"left over a two-byte letter", "a\xc3\xa9",
         [](AM_TextField& f) {
             f.setCaret(3, false);
             f.moveLeft(false);
         },
         1, 1},
        {"a caret inside a character goes to its start", "a\xe2\x82\xac",
         [](AM_TextField& f) { f.setCaret(3, false); }, 1, 1},
        {"down keeps the column", "abcd\nxy\nlmnop",
         [](AM_TextField& f) {
             f.setCaret(3, false);
             f.moveLines(1, false);
         },
         7, 7},
        {"down twice lands at the column on the third line", "abcd\nxy\nlmnop",
         [](AM_TextField& f) {
             f.setCaret(3, false);
             f.moveLines(2, false);
         },
         11, 11},
        {"up from the first line goes to the start", "abcd\nxy",
         [](AM_TextField& f) {
             f.setCaret(2, false);
             f.moveLines(-1, false);
         },
         0, 0},
        {"down from the last line goes to the end", "ab\ncd",
         [](AM_TextField& f) {
             f.setCaret(4, false);
             f.moveLines(1, true);
         },
         5, 4},
        {"columns count characters, not bytes", "\xc3\xa9\xc3\xa9x\nabcd",
         [](AM_TextField& f) {
             f.setCaret(4, false);
             f.moveLines(1, false);
         },
         8, 8},
        {"home and end stay on the line", "one\ntwo\nthree",
         [](AM_TextField& f) {
             f.setCaret(5, false);
             f.home(false);
             f.end(true);
         },
         7, 4},
        {"a word is letters and digits", "cut off_2 now", [](AM_TextField& f) { f.selectWord(6); },
         9, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AM_TextField field;
        field.reset(c.text, true, 100);
        c.moves(field);
        EXPECT_EQ(field.caret(), c.caret);
        EXPECT_EQ(field.anchor(), c.anchor);
    }
}

TEST(TextField, DeletingAndInsertingKeepTheTextWellFormed)
{
    AM_TextField field;
    field.reset("a\xe2\x82\xac", false, 8);
    field.setCaret(4, false);
    field.backspace();
    EXPECT_EQ(field.text(), "a");
    field.setCaret(0, false);
    field.deleteForward();
    EXPECT_EQ(field.text(), "");
    // Line ends become spaces in one line; what does not fit is left out.
    EXPECT_FALSE(field.insert("ab\r\ncd\ref\ngh"));
    EXPECT_EQ(field.text(), "ab cd ef");
    EXPECT_FALSE(field.insert("x"));
    EXPECT_EQ(field.caret(), 8u);

    AM_TextField lines;
    lines.reset("", true, 100);
    EXPECT_TRUE(lines.insert("1\r\n2\r3\n4"));
    EXPECT_EQ(lines.text(), "1\n2\n3\n4");
    EXPECT_TRUE(lines.insertCodePoint('\n'));
    EXPECT_FALSE(lines.insertCodePoint(0x1B));
    EXPECT_FALSE(lines.insertCodePoint(0xD800));
    EXPECT_TRUE(lines.insertCodePoint(0x1F3B9));
    EXPECT_EQ(lines.text(), "1\n2\n3\n4\n\xf0\x9f\x8e\xb9");
}

} // namespace
