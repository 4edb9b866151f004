#include "foundation/AM_STD.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

TEST(AM_STD_Scan, PublishedParameterLine)
{
    int32_t index = 0;
    char name[32] = "";
    char display[32] = "";
    const int n = AM_STD::scanv("5:VCC:Voices\"Voices\"", "%d:%s\"%s\" ", &index, name,
                                uint32_t{sizeof name}, display, uint32_t{sizeof display});
    EXPECT_EQ(n, 3);
    EXPECT_EQ(index, 5);
    EXPECT_STREQ(name, "VCC:Voices");
    EXPECT_STREQ(display, "Voices");
}

TEST(AM_STD_Scan, Conversions)
{
    int32_t d = 99;
    char s[16] = "";
    EXPECT_EQ(AM_STD::scanv("12 abc", "%d %s", &d, s, uint32_t{sizeof s}), 2);
    EXPECT_EQ(d, 12);
    EXPECT_STREQ(s, "abc");

    d = 99;
    EXPECT_EQ(AM_STD::scanv("abc", "%d", &d), 1); // counts, stores nothing
    EXPECT_EQ(d, 99);

    EXPECT_EQ(AM_STD::scanv("Y_5", "X_%d", &d), 1); // literals are stepped over
    EXPECT_EQ(d, 5);

    EXPECT_EQ(AM_STD::scanv("  \t-42", "%d", &d), 1);
    EXPECT_EQ(d, -42);

    uint32_t u = 0;
    uint32_t x = 0;
    float f = 0;
    char c = 0;
    EXPECT_EQ(AM_STD::scanv("7 1fA 2,5 q", "%u %x %f %c", &u, &x, &f, &c), 4);
    EXPECT_EQ(u, 7u);
    EXPECT_EQ(x, 0x1FAu);
    EXPECT_FLOAT_EQ(f, 2.5f);
    EXPECT_EQ(c, 'q');
}

TEST(AM_STD_Scan, NullTargetsNeitherReadNorCount)
{
    int32_t d = 0;
    char s[8] = "";
    // The null %d leaves the text where it is: the %s then reads "12".
    EXPECT_EQ(AM_STD::scanv("12 x", "%d%s", static_cast<int32_t*>(nullptr), s, uint32_t{8}), 1);
    EXPECT_STREQ(s, "12 x");
    // A null %s target still consumes its capacity argument, so the %d finds
    // its own pointer; the blank steps over the 'x' that was not read.
    EXPECT_EQ(AM_STD::scanv("x 9", "%s %d", static_cast<char*>(nullptr), uint32_t{8}, &d), 1);
    EXPECT_EQ(d, 9);
}

TEST(AM_STD_Scan, StringIsCutToItsCapacityAndTheTextMovesOn)
{
    char s[4];
    std::memset(s, '#', sizeof s);
    int32_t d = 0;
    EXPECT_EQ(AM_STD::scanv("abcdefgh:9", "%s:%d", s, uint32_t{sizeof s}, &d), 2);
    EXPECT_STREQ(s, "abc");
    EXPECT_EQ(d, 9);

    char e[5];
    // "a" + euro sign (3 bytes) + "b": cut before the euro sign, not inside it.
    AM_STD::scanv("a\xE2\x82\xAC"
                  "b",
                  "%s", e, uint32_t{4});
    EXPECT_STREQ(e, "a");

    char untouched = '#';
    EXPECT_EQ(AM_STD::scanv("abc", "%s", &untouched, uint32_t{0}), 1);
    EXPECT_EQ(untouched, '#');
}

TEST(AM_STD_Scan, FormatOrTextEndingEarlyStopsCleanly)
{
    int32_t d = 0;
    EXPECT_EQ(AM_STD::scanv("5", "%"), 0);
    EXPECT_EQ(AM_STD::scanv("", "%d", &d), 0);
    EXPECT_EQ(AM_STD::scanv("5 6", "%d %d", &d, &d), 2);
    EXPECT_EQ(AM_STD::scanv("5", "%d %d", &d, &d), 1); // the text ends after the first
    EXPECT_EQ(AM_STD::scanv("ab", "%%%d", &d), 1);     // %% steps over one character
    EXPECT_EQ(AM_STD::scanv(nullptr, "%d", &d), 0);
}

TEST(AM_STD_AtoF, ReadsBothSeparatorsWithoutExponent)
{
    struct Case {
        const char* text;
        float value;
        int used;
    };
    const Case cases[] = {
        {"3,25", 3.25f, 4},
        {"-0.000", -0.0f, 6},
        {"7.", 7.0f, 2},
        {"1e5", 1.0f, 1},
        {"0.5x", 0.5f, 3},
        {"-12", -12.0f, 3},
        {".25", 0.25f, 3},
        {"abc", 0.0f, 0},
        {"2.000x", 2.0f, 5},
        {"0.000000000000000000000000001", 1e-27f, 29}, // beyond the power table
    };
    for (const auto& c : cases) {
        float value = 99.0f;
        EXPECT_EQ(AM_STD::AtoF(c.text, &value), c.used) << c.text;
        EXPECT_FLOAT_EQ(value, c.value) << c.text;
    }
    float negativeZero = 1.0f;
    AM_STD::AtoF("-0.000", &negativeZero);
    EXPECT_TRUE(std::signbit(negativeZero));
}

TEST(AM_STD_AtoF, LongFractionsKeepTheirValue)
{
    // Regression: hundreds of fraction digits overflowed the accumulator, so
    // the value read was NaN (or 0 where the power of ten overflowed).
    struct Case {
        std::string text;
        float value;
    };
    const Case cases[] = {
        {"0." + std::string(400, '7'), 0.7777778f},
        {"-3," + std::string(320, '5'), -3.5555556f},
        {"0." + std::string(20, '0') + std::string(300, '9'), 1e-20f},
        {"0." + std::string(400, '0') + "1", 0.0f},
        {"1" + std::string(50, '0') + ".5", INFINITY}, // beyond float: infinite, not NaN
    };
    for (const auto& c : cases) {
        float value = 99.0f;
        EXPECT_EQ(AM_STD::AtoF(c.text.c_str(), &value), static_cast<int>(c.text.size()));
        EXPECT_FLOAT_EQ(value, c.value) << c.text.substr(0, 40);
    }
    float scanned = 99.0f;
    const std::string text = "v 0." + std::string(400, '3');
    EXPECT_EQ(AM_STD::scanv(text.c_str(), "v %f", &scanned), 1);
    EXPECT_FLOAT_EQ(scanned, 0.33333334f);
}

TEST(AM_STD_AtoF, ReadsBackWhatTheFormatterWrote)
{
    const double values[] = {0.0, 1.0, -1.5, 0.125, 440.0, 20000.0, 0.001, 123.456, -99.99};
    for (double v : values) {
        char text[64];
        AM_STD::sprint(text, "%.6f", v);
        float back = 0;
        AM_STD::AtoF(text, &back);
        EXPECT_FLOAT_EQ(back, static_cast<float>(v)) << text;
    }
}

} // namespace
