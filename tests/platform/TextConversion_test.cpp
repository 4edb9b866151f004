#include "platform/TextConversion.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::u16string toWide(const std::string& narrow)
{
    std::u16string wide(platform::utf16LengthOfUtf8(narrow.data(), narrow.size()) + 1, u'?');
    const size_t n = platform::utf8ToUtf16(wide.data(), wide.size(), narrow.data(), narrow.size());
    EXPECT_EQ(n + 1, wide.size());
    EXPECT_EQ(wide[n], 0);
    wide.resize(n);
    return wide;
}

std::string toNarrow(const std::u16string& wide)
{
    std::string narrow(platform::utf8LengthOfUtf16(wide.data(), wide.size()) + 1, '?');
    const size_t n = platform::utf16ToUtf8(narrow.data(), narrow.size(), wide.data(), wide.size());
    EXPECT_EQ(n + 1, narrow.size());
    EXPECT_EQ(narrow[n], 0);
    narrow.resize(n);
    return narrow;
}

struct Case {
    const char* name;
    std::string narrow;
    std::u16string wide;
};

TEST(TextConversion, ValidTextConvertsBothWays)
{
    const Case cases[] = {
        {"ascii", "Presets/a.h2p", u"Presets/a.h2p"},
        {"two bytes", "\xC3\xA9t\xC3\xA9", u"\u00E9t\u00E9"},
        {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
        {"supplementary", "\xF0\x9F\x8E\xB9", u"\U0001F3B9"},
        {"empty", "", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toWide(c.narrow), c.wide) << c.name;
        EXPECT_EQ(toNarrow(c.wide), c.narrow) << c.name;
    }
}

TEST(TextConversion, InvalidBytesBecomeEscapesAndComeBack)
{
    const Case cases[] = {
        {"lone continuation", "a\x80z", u"a\xDC80z"},
        {"latin-1 byte", "caf\xE9", u"caf\xDCE9"},
        {"overlong slash", "\xC0\xAF", u"\xDCC0\xDCAF"},
        {"truncated sequence", "\xE2\x82", u"\xDCE2\xDC82"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
        // The generalised form of an escape unit must stay three bytes.
        {"encoded escape unit", "\xED\xB2\x80", u"\xDCED\xDCB2\xDC80"},
        // An encoded high surrogate before a low one would pair up.
        {"encoded pair", "\xED\xA0\x80\xED\xB0\x80", u"\xDCED\xDCA0\xDC80\xDC00"},
        {"encoded high before bad byte", "\xED\xA0\x80\xFF", u"\xDCED\xDCA0\xDC80\xDCFF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toWide(c.narrow), c.wide) << c.name;
        EXPECT_EQ(toNarrow(toWide(c.narrow)), c.narrow) << c.name;
    }
}

TEST(TextConversion, LoneSurrogatesSurviveWideNarrowWide)
{
    const std::u16string cases[] = {
        u"\xD800",
        u"x\xD800y",
        u"\xDBFF\xDBFF!",
        u"\xDC00",
        u"\xDFFF\xDC7F",
        u"\xDC80",
        u"a\xDCFF",
        u"\xD800\U0001F3B9",
        u"\xDCC3"
        u"A",
        u"\xDC00\xD800",
    };
    for (const auto& wide : cases)
        EXPECT_EQ(toWide(toNarrow(wide)), wide);
}

TEST(TextConversion, RandomBytesRoundTrip)
{
    const unsigned seed = 20240611;
    std::mt19937 rng(seed);
    // Bytes drawn mostly from the ranges where UTF-8 decisions are made.
    const unsigned char pool[] = {'a',  0x80, 0xBF, 0xC2, 0xC3, 0xDF, 0xE0, 0xED,
                                  0xA0, 0xB0, 0xEF, 0xF0, 0xF4, 0x90, 0x8F, 0xFF};
    for (int round = 0; round < 2000; ++round) {
        std::string narrow(rng() % 12, 'a');
        for (auto& b : narrow)
            b = static_cast<char>(pool[rng() % sizeof(pool)]);
        ASSERT_EQ(toNarrow(toWide(narrow)), narrow) << "seed " << seed << " round " << round;
    }
}

TEST(TextConversion, TruncationStopsAtCharacterBoundaries)
{
    // "a" + euro sign (3 bytes) into 3 bytes: the euro sign does not fit whole.
    const std::u16string wide = u"a\u20AC";
    char narrow[3] = {'x', 'x', 'x'};
    EXPECT_EQ(platform::utf16ToUtf8(narrow, sizeof narrow, wide.data(), wide.size()), 1u);
    EXPECT_STREQ(narrow, "a");

    // A surrogate pair is never split: room for one unit only.
    const std::string piano = "\xF0\x9F\x8E\xB9";
    char16_t units[2] = {u'x', u'x'};
    EXPECT_EQ(platform::utf8ToUtf16(units, 2, piano.data(), piano.size()), 0u);
    EXPECT_EQ(units[0], 0);

    // Capacity 0 writes nothing at all.
    char untouched = 'x';
    EXPECT_EQ(platform::utf16ToUtf8(&untouched, 0, wide.data(), wide.size()), 0u);
    EXPECT_EQ(untouched, 'x');
}

TEST(TextConversion, IncompleteTailIsFound)
{
    struct TailCase {
        std::string text;
        size_t tail;
    };
    const TailCase cases[] = {
        {"abc", 0},
        {"a\xC3", 1},
        {"a\xE2\x82", 2},
        {"\xF0\x9F\x8E", 3},
        {"\xF0\x9F\x8E\xB9", 0},
        {"\x80\x80", 0},
        {"\xC3\xA9", 0},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::incompleteUtf8Tail(c.text.data(), c.text.size()), c.tail) << c.text;
}

} // namespace
