// The letter-coded binary section: the encoder's exact text for known data,
// round trips, the meaningless blanks, the checksum and the decoder's
// refusals of damaged or hostile text.

#include "TraceCapture.h"
#include "params/AM_QuadText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string encode(const std::vector<uint8_t>& data)
{
    std::string out(static_cast<size_t>(quadTextCapacity(static_cast<uint32_t>(data.size()))), 0);
    const uint32_t n =
        encodeQuadText(out.data(), out.size(), data.data(), static_cast<uint32_t>(data.size()));
    out.resize(n);
    return out;
}

// Decodes exactly the characters of text (no terminator behind them).
bool decode(const std::string& text, std::vector<uint8_t>* out, uint32_t maxBytes)
{
    std::vector<char> exact(text.begin(), text.end());
    out->assign(maxBytes, 0xEE);
    uint32_t decoded = 0;
    const bool ok = decodeQuadText(out->data(), exact.data(), static_cast<uint32_t>(exact.size()),
                                   maxBytes, &decoded);
    out->resize(decoded);
    return ok;
}

// The data part of an encoded text: between '!' and '=', line feeds out.
std::string dataPart(const std::string& text)
{
    std::string s;
    for (char c : text.substr(text.find('!') + 1, text.find('=') - text.find('!') - 1))
        if (c != '\n')
            s += c;
    return s;
}

// A text with the checksum its characters call for.
std::string withChecksum(const std::string& body)
{
    uint32_t sum = 0;
    for (char c : body)
        if (static_cast<uint8_t>(c) > 32)
            sum += static_cast<uint8_t>(c);
    return body + "=" + std::to_string(static_cast<int32_t>(sum));
}

std::string dictionary(int longs = 10, int bytes = 26)
{
    std::string s = "?";
    for (int k = 0; k < longs; ++k)
        s += "aaaaaaaa:";
    for (int k = 0; k < bytes; ++k) {
        if (k > 0)
            s += ':';
        s += static_cast<char>('a' + (k >> 4));
        s += static_cast<char>('a' + (k & 15));
    }
    return s + "!";
}

TEST(QuadTextEncoder, EmptyDataGivesTheBareDictionaryAndItsChecksum)
{
    EXPECT_EQ(encode({}), "?aaaaaaaa:aaaaaaaa:aaaaaaaa:aaaaaaaa:aaaaaaaa:aaaaaaaa:aaaaaaaa:\n"
                          "aaaaaaaa:aaaaaaaa:aaaaaaaa:aa:ab:ac:ad:ae:af:ag:ah:ai:aj:ak:al:a\n"
                          "m:an:ao:ap:ba:bb:bc:bd:be:bf:bg:bh:bi:bj!=15105");
}

TEST(QuadTextEncoder, KnownDataGivesTheExpectedTokens)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
        const char* tokens;
    };
    const std::vector<Case> cases = {
        // The unfilled reference longs hold the word 0.
        {"eight zero bytes", std::vector<uint8_t>(8, 0), "q1"},
        // The only run makes 0x55 reference byte A.
        {"300 equal bytes", std::vector<uint8_t>(300, 0x55), "A299"},
        // Not a multiple of 4: bytes only, 0 leads the byte counts.
        {"odd size", {0, 0, 0, 7, 7}, "A2H1"},
        // The word 0x04030201 twice becomes reference long q.
        {"repeated word", {1, 2, 3, 4, 1, 2, 3, 4}, "q1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = encode(c.data);
        EXPECT_EQ(dataPart(text), c.tokens);
        std::vector<uint8_t> back;
        ASSERT_TRUE(decode(text, &back, static_cast<uint32_t>(c.data.size())));
        EXPECT_EQ(back, c.data);
    }
}

TEST(QuadTextEncoder, ALineFeedFollowsEverySixtyFourthCharacter)
{
    std::vector<uint8_t> data(500);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    const std::string text = encode(data);
    size_t run = 0;
    for (char c : text) {
        if (c == '\n') {
            EXPECT_EQ(run, 64u);
            run = 0;
        } else {
            ++run;
        }
    }
    EXPECT_LE(run, 64u);
}

TEST(QuadTextEncoder, RandomDataRoundTripsWithinTheWorstCase)
{
    const uint32_t seed = 20240611;
    std::mt19937 random(seed);
    for (int round = 0; round < 200; ++round) {
        const uint32_t size = random() % 2000;
        std::vector<uint8_t> data(size);
        // Mixed: noise, runs and repeated words, so every token kind shows.
        const int style = round % 3;
        for (uint32_t i = 0; i < size; ++i)
            data[i] = style == 0   ? static_cast<uint8_t>(random())
                      : style == 1 ? static_cast<uint8_t>(random() % 3)
                                   : static_cast<uint8_t>((i % 8) * (random() % 2 == 0 ? 1 : 0));
        const std::string text = encode(data);
        ASSERT_FALSE(text.empty()) << "seed " << seed << " round " << round;
        ASSERT_LE(text.size(), quadTextCapacity(size));
        std::vector<uint8_t> back;
        ASSERT_TRUE(decode(text, &back, size)) << "seed " << seed << " round " << round;
        ASSERT_EQ(back, data) << "seed " << seed << " round " << round;
    }
}

TEST(QuadTextEncoder, TheWorstCaseHoldsForDataWithoutRepeats)
{
    // Every value once, twice over: no reference helps, two letters a byte.
    std::vector<uint8_t> data;
    for (int k = 0; k < 8; ++k)
        for (int v = 0; v < 256; ++v)
            data.push_back(static_cast<uint8_t>(v ^ (k * 37)));
    const uint64_t capacity = quadTextCapacity(static_cast<uint32_t>(data.size()));
    EXPECT_LE(encode(data).size(), capacity);
    std::string small(static_cast<size_t>(capacity - 1), 0);
    EXPECT_EQ(
        encodeQuadText(small.data(), small.size(), data.data(), static_cast<uint32_t>(data.size())),
        0u);
}

TEST(QuadTextDecoder, BlanksAndLineBreaksBetweenAnyTwoCharactersChangeNothing)
{
    const std::vector<uint8_t> data = {1, 2, 3, 4, 1, 2, 3, 4, 200, 200, 200, 5, 0, 0, 0, 0};
    const std::string text = encode(data);
    for (const char* blank : {" ", "\n", "\r", "\t", "\r\n \t"}) {
        for (size_t at = 1; at < text.size(); ++at) {
            std::string spaced = text;
            spaced.insert(at, blank);
            std::vector<uint8_t> back;
            ASSERT_TRUE(decode(spaced, &back, 16)) << "blank at " << at;
            ASSERT_EQ(back, data) << "blank at " << at;
        }
    }
}

TEST(QuadTextDecoder, ChangingOneCharacterFailsTheChecksum)
{
    const std::vector<uint8_t> data = {10, 20, 30, 40, 50, 60, 70, 80};
    const std::string text = encode(data);
    // A dictionary letter, a data letter and a checksum digit.
    const size_t places[] = {3, text.find('!') + 2, text.size() - 1};
    for (size_t at : places) {
        std::string damaged = text;
        damaged[at] = damaged[at] == 'b' ? 'c' : (damaged[at] == '3' ? '4' : 'b');
        testsupport::TraceCapture capture;
        std::vector<uint8_t> back;
        EXPECT_FALSE(decode(damaged, &back, 8)) << "changed at " << at;
        EXPECT_NE(capture.standardOutput().find("Checksum mismatch: "), std::string::npos);
        EXPECT_TRUE(back.empty());
    }
}

TEST(QuadTextDecoder, DamagedOrHostileTextIsRefused)
{
    const std::string d = dictionary();
    struct Case {
        const char* name;
        std::string text;
        uint32_t maxBytes;
        const char* message; // on the standard output, "" for none
    };
    const std::vector<Case> cases = {
        {"no start", "aaaa=1", 8, ""},
        {"no end", d + "A", 8, ""},
        {"checksum cut short", withChecksum(d + "A").substr(0, withChecksum(d + "A").size() - 2), 8,
         "Checksum mismatch"},
        {"eleven reference longs", withChecksum(dictionary(11) + "A"), 8,
         "more than 10 reference longs!"},
        {"twenty-seven reference bytes", withChecksum(dictionary(10, 27) + "A"), 8,
         "more than 26 reference bytes!"},
        {"a group of seventeen letters", withChecksum("?" + std::string(17, 'a') + ":!A"), 8, ""},
        {"no end of the dictionary", withChecksum("?aaaaaaaa:aa"), 8, "reached EOF too early!"},
        {"undefined reference byte", withChecksum(dictionary(10, 3) + "D"), 8,
         "reference byte D is not defined!"},
        {"undefined reference long", withChecksum(dictionary(2) + "s"), 8,
         "reference long s is not defined!"},
        {"a count without a token", withChecksum(d + "12"), 8,
         "BUG! - Number identifier omitted by previous action/n"},
        {"half a byte", withChecksum(d + "a"), 8, "HEX parse awaited a-p, got ="},
        {"a byte pair broken", withChecksum(d + "aZ"), 8, "HEX parse awaited a-p, got Z"},
        {"more bytes than room", withChecksum(d + "A8"), 8, "BUG! - bytesExpanded > maxBytes"},
        // A run count that overflows 32 bits must not wrap into the room.
        {"a huge run count", withChecksum(d + "q4294967296"), 8, "BUG! - bytesExpanded > maxBytes"},
        {"sixteen digits of run count", withChecksum(d + "q9999999999999999"), 8,
         "BUG! - bytesExpanded > maxBytes"},
        {"seventeen digits", withChecksum(d + "A" + std::string(17, '0')), 1000,
         "BUG! - Number identifier omitted by previous action/n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TraceCapture capture;
        std::vector<uint8_t> back;
        EXPECT_FALSE(decode(c.text, &back, c.maxBytes));
        EXPECT_TRUE(back.empty());
        if (c.message[0] != 0) {
            EXPECT_NE(capture.standardOutput().find(c.message), std::string::npos)
                << capture.standardOutput();
        }
    }
}

TEST(QuadTextDecoder, OtherPunctuationIsSkippedAndAZeroByteEndsTheText)
{
    const std::string d = dictionary();
    std::vector<uint8_t> back;
    ASSERT_TRUE(decode(withChecksum(d + "[A`B{C}"), &back, 8));
    EXPECT_EQ(back, (std::vector<uint8_t>{0, 1, 2}));

    // The '=' behind a zero byte is not part of the text.
    std::string text = withChecksum(d + "A");
    text.insert(text.find('='), std::string(1, '\0'));
    EXPECT_FALSE(decode(text, &back, 8));
}

TEST(QuadTextDecoder, WithoutOutputOnlyTheChecksRun)
{
    const std::vector<uint8_t> data(40, 3);
    const std::string text = encode(data);
    uint32_t decoded = 0;
    EXPECT_TRUE(
        decodeQuadText(nullptr, text.data(), static_cast<uint32_t>(text.size()), 40, &decoded));
    EXPECT_EQ(decoded, 40u);
    EXPECT_FALSE(
        decodeQuadText(nullptr, text.data(), static_cast<uint32_t>(text.size()), 39, &decoded));
    EXPECT_EQ(decoded, 0u);
}

} // namespace
