#include "foundation/AM_LineReader.h"
#include "foundation/AM_STD.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(AM_STD_Strings, LengthAndEquality)
{
    EXPECT_EQ(AM_STD::strlen("abc"), 3u);
    EXPECT_EQ(AM_STD::strcmp("abc", "abc"), 0);
    EXPECT_EQ(AM_STD::strcmp("abc", "abd"), 1);
    EXPECT_EQ(AM_STD::strcmp("abd", "abc"), 1); // no ordering
    EXPECT_EQ(AM_STD::strcmp("ab", "abc"), 1);
}

TEST(AM_STD_Strings, EscapeAndUnescapeRoundTrip)
{
    const std::string text = "say \"hi\"\tit's C:\\dir\r\nnext\n";
    char buffer[128];
    std::strcpy(buffer, text.c_str());
    AM_STD::escapeString(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "say \\\"hi\\\"\\tit\\'s C:\\\\dir\\r\\nnext\\n");
    const int n = AM_STD::unescapeString(buffer);
    // Line breaks come back as CR LF.
    EXPECT_STREQ(buffer, "say \"hi\"\tit's C:\\dir\r\nnext\r\n");
    EXPECT_EQ(n, static_cast<int>(std::strlen(buffer)));
}

TEST(AM_STD_Strings, EscapeCutsToTheBufferWithoutSplittingAnEscape)
{
    struct Case {
        uint32_t size;
        const char* expected;
    };
    // "a\tb" escapes to the four characters a, backslash, t, b.
    const Case cases[] = {{5, "a\\tb"}, {4, "a\\t"}, {3, "a"}, {2, "a"}, {1, ""}};
    for (const auto& c : cases) {
        char buffer[8];
        std::memset(buffer, '#', sizeof buffer);
        std::strcpy(buffer, "a\tb");
        AM_STD::escapeString(buffer, c.size);
        EXPECT_STREQ(buffer, c.expected) << c.size;
        // Nothing is written beyond the original text and its terminator.
        for (size_t i = 4; i < sizeof buffer; ++i) {
            if (i >= c.size) {
                EXPECT_EQ(buffer[i], '#') << c.size;
            }
        }
    }
}

TEST(AM_STD_Strings, Unescape)
{
    struct Case {
        const char* escaped;
        const char* expected;
    };
    const Case cases[] = {
        {"\\r\\n\\t", "\r\n\t"}, // a \r\n pair gives one line break
        {"\\n\\r", "\r\n"},
        {"\\n\\n", "\r\n\r\n"},
        {"\\r\\n\\r\\n", "\r\n\r\n"}, // two pairs keep both breaks
        {"a\\qb", "a\\qb"},           // unknown escape stays as written
        {"end\\", "end\\"},           // trailing backslash
        {"\\\\n", "\\n"},
        {"", ""},
    };
    for (const auto& c : cases) {
        char buffer[64];
        std::strcpy(buffer, c.escaped);
        EXPECT_EQ(AM_STD::unescapeString(buffer), static_cast<int>(std::strlen(c.expected)))
            << c.escaped;
        EXPECT_STREQ(buffer, c.expected) << c.escaped;
    }
}

TEST(AM_STD_Strings, FileName)
{
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"a\\b\\", "b\\"}, {"/home/u/x.h2p", "x.h2p"}, {"dir/sub/", "sub/"},
        {"/abc", "/abc"},  {"plain", "plain"},         {"C:\\a\\b.txt", "b.txt"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(AM_STD::getFileName(c.path), c.name) << c.path;
}

TEST(AM_STD_Strings, FindString)
{
    EXPECT_EQ(AM_STD::findString("lo", "hello lo"), 3);
    EXPECT_EQ(AM_STD::findString("aab", "aaab"), 1);
    EXPECT_EQ(AM_STD::findString("xyz", "hello"), -1);
    EXPECT_EQ(AM_STD::findString("", "hello"), -1);
    EXPECT_EQ(AM_STD::findString("hello!", "hello"), -1);
}

TEST(AM_STD_Strings, ReplaceCharsRunsTheSetInOrder)
{
    char text[] = "a/b\\c:d";
    EXPECT_EQ(AM_STD::replaceChars(text, "/\\:", '_'), 3);
    EXPECT_STREQ(text, "a_b_c_d");
    char chain[] = "ab";
    // 'a' becomes 'b', then every 'b' (both now) becomes 'c'.
    EXPECT_EQ(AM_STD::replaceChars(chain, "ab", 'b'), 3);
    EXPECT_STREQ(chain, "bb");
}

TEST(AM_STD_Strings, ShortenString)
{
    struct Case {
        const char* source;
        int maxLen;
        const char* expected;
    };
    const Case cases[] = {
        {"abcdefghijklmnopqrst", 9, "abcd...st"},
        {"abcdefghijklmnopqrst", 8, "abcd...t"},
        {"abcdefghijklmnopqrst", 7, "abcdefg"},
        {"short", 9, "short"},
        {"exactly9!", 9, "exactly9!"},
        {"abc", 0, ""},
    };
    for (const auto& c : cases) {
        char out[32];
        EXPECT_EQ(AM_STD::shortenString(out, c.source, c.maxLen),
                  static_cast<int>(std::strlen(c.expected)));
        EXPECT_STREQ(out, c.expected) << c.source << " " << c.maxLen;
    }
}

std::vector<std::pair<uint32_t, std::string>> readAll(const char* text, uint32_t maxLength)
{
    AM_LineReader reader(text);
    std::vector<std::pair<uint32_t, std::string>> lines;
    std::vector<char> buffer(maxLength + 1);
    for (uint32_t r = reader.readLine(buffer.data(), maxLength); r != 0;
         r = reader.readLine(buffer.data(), maxLength))
        lines.emplace_back(r, buffer.data());
    return lines;
}

TEST(AM_LineReader, SplitsAtEachLineEndCharacter)
{
    using Lines = std::vector<std::pair<uint32_t, std::string>>;
    EXPECT_EQ(readAll("a\r\nb", 255), (Lines{{2, "a"}, {1, ""}, {2, "b"}}));
    EXPECT_EQ(readAll("x\n\ny\n", 255), (Lines{{2, "x"}, {1, ""}, {2, "y"}}));
    EXPECT_EQ(readAll("", 255), Lines{});
    EXPECT_EQ(readAll("abcdef\ngh", 3), (Lines{{4, "abc"}, {3, "gh"}})); // rest skipped
}

TEST(AM_LineReader, CountsLines)
{
    AM_LineReader reader("1\n2\n3");
    char buffer[8];
    while (reader.readLine(buffer, 7) != 0) {
    }
    EXPECT_EQ(reader.getLineCount(), 3u);
    EXPECT_EQ(reader.readLine(buffer, 7), 0u);
}

} // namespace
