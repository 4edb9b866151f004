#include "plugin/vst/VstStrings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

namespace {

TEST(FormatFloat, FillsEightCharacters)
{
    struct Case {
        float value;
        const char* expected;
    };
    const Case cases[] = {
        {0.0f, "0.000000"},
        {1.5f, "1.500000"},
        {-1.5f, "-1.50000"},
        {0.1f, "0.100000"},
        {1.15f, "1.150000"}, // rounded, not truncated to 1.149999
        {1234.5f, "1234.500"},
        {9.9999999f, "10.00000"}, // rounding carries into a new digit
        {12345678.0f, "12345678."},
        {99999992.0f, "99999992."},
        {-9999998.0f, "-9999998."},
        {-0.0000001f, "0.000000"}, // no sign on a value that rounds to zero
        {99999999.0f, "Huge!"},
        {1e20f, "Huge!"},
        {-9999999.0f, "Huge!"},
        {std::numeric_limits<float>::infinity(), "Huge!"},
        {-std::numeric_limits<float>::infinity(), "Huge!"},
        {std::numeric_limits<float>::quiet_NaN(), "NaN"},
    };
    for (const Case& c : cases) {
        char text[32];
        vst::formatFloat(c.value, text, sizeof(text));
        EXPECT_STREQ(text, c.expected) << "value " << c.value;
    }
}

TEST(FormatInt, DigitsAndHuge)
{
    struct Case {
        int32_t value;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0"},
        {7, "7"},
        {-7, "-7"},
        {99999999, "99999999"},
        {100000000, "Huge!"},
        {INT32_MAX, "Huge!"},
        {INT32_MIN, "-2147483648"},
    };
    for (const Case& c : cases) {
        char text[32];
        vst::formatInt(c.value, text, sizeof(text));
        EXPECT_STREQ(text, c.expected) << "value " << c.value;
    }
}

TEST(TextCapacity, IsNeverExceeded)
{
    char text[12];
    std::memset(text, '#', sizeof(text));
    vst::formatFloat(1234.5f, text, 5);
    EXPECT_STREQ(text, "1234");
    EXPECT_EQ(text[5], '#');
    vst::formatInt(-123456, text, 4);
    EXPECT_STREQ(text, "-12");
    vst::copyString(text, "abcdef", 1);
    EXPECT_STREQ(text, "");
    text[0] = 'z';
    vst::copyString(text, "abcdef", 0);
    EXPECT_EQ(text[0], 'z') << "capacity 0 writes nothing";
    vst::copyString(text, nullptr, 4);
    EXPECT_STREQ(text, "");
}

TEST(TextCapacity, DeliverTextCutsWhatTheGetterWrote)
{
    char host[16];
    std::memset(host, '#', sizeof(host));
    EXPECT_TRUE(
        vst::deliverText<64>(host, 8, [](char* text) { std::strcpy(text, "a long name"); }));
    EXPECT_STREQ(host, "a long ");
    EXPECT_EQ(host[8], '#');
    bool called = false;
    EXPECT_FALSE(vst::deliverText<64>(nullptr, 8, [&](char*) { called = true; }));
    EXPECT_FALSE(called);
}

TEST(TextCapacity, BoundedLengthStopsAtTheCapacity)
{
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(vst::boundedLength(unterminated, sizeof(unterminated)), 4u);
    EXPECT_EQ(vst::boundedLength("ab", 10), 2u);
    EXPECT_EQ(vst::boundedLength(nullptr, 10), 0u);
}

} // namespace
