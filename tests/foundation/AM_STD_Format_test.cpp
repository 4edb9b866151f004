#include "foundation/AM_STD.h"
#include "foundation/AM_String.h"

#include "AllocationCounter.h"
#include "TraceCapture.h"
#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>

namespace {

std::string fmtDouble(const char* format, double value)
{
    char out[512];
    const int n = AM_STD::sprint(out, format, value);
    EXPECT_EQ(n, static_cast<int>(std::string(out).size()));
    return out;
}

TEST(AM_STD_Format, FloatConversions)
{
    struct Case {
        const char* format;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"%f", 0.125, "0.12"}, // exact half rounds to even
        {"%f", 0.375, "0.38"},
        {"%f", -0.0, "0.00"}, // -0.0 is >= 0: no sign
        {"%f", 0.5, "0.50"},  // the zero before the point stays
        {"%f", -1.5, "-1.50"},
        {"%f", 1234.5678, "1234.57"},
        {"%.1f", 9.96, "10.0"}, // carry into the guard digit
        {"%f", 9.999, "10.00"},
        {"%.0f", 2.7, "2"}, // no decimals: truncated
        {"%.0f", 0.4, "0"},
        {"%.0f", -2.7, "-2"},
        {"%.f", 1.0, "1.00"}, // %.f keeps 2 decimals
        {"%.3f", 0.001, "0.001"},
        {"%.9f", 0.123456789, "0.123456789"}, // two chunks of decimals
        {"%.-0f", 3.25, "3"},
        {"%f", 3000000000.0, "3000000000.00"}, // beyond 32 bits
        {"%f", 1e20, "100000000000000000000.00"},
        {"%.30f", 0.5, "0.5000000000000000000"}, // precision reduced to 19
        {"%f", 1.0 / 0.0, "inf"},
        {"%f", -1.0 / 0.0, "-inf"},
        {"%f", 0.0 / 0.0, "nan"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fmtDouble(c.format, c.value), c.expected) << c.format << " " << c.value;
}

TEST(AM_STD_Format, LargestDoubleFitsTheDeclaredBound)
{
    char out[AM_STD::kMaxNumberChars + 1];
    const double largest = -1.7976931348623157e308;
    const int n = AM_STD::FtoA(out, &largest, 1000);
    EXPECT_EQ(n, AM_STD::kMaxNumberChars);
    out[n] = 0;
    EXPECT_EQ(std::string(out).substr(0, 6), "-17976");
}

TEST(AM_STD_Format, IntegerAndTextConversions)
{
    char out[128];
    struct Case {
        std::string got;
        const char* expected;
    };
    auto f = [&](auto... args) {
        AM_STD::sprint(out, args...);
        return std::string(out);
    };
    const Case cases[] = {
        {f("%x", 255u), "ff"},
        {f("%X", 255u), "FF"},
        {f("%X", 0u), "0"},
        {f("%d", -7), "-7"},
        {f("%d", INT32_MIN), "-2147483648"},
        {f("%u", 4294967295u), "4294967295"},
        {f("%c%c", 'o', 'k'), "ok"},
        {f("%s|%d", static_cast<const char*>(nullptr), 4), "NULL|4"},
        {f("100%%"), "100%"},
        {f("%5d|%d", 3), "|3"}, // width vanishes with its next character; 3 stays
        {f("%ld!"), "!"},
        {f("%i,x"), "x"},   // unknown letter eats the comma
        {f("end%"), "end"}, // a format ending in '%'
        {f("end%l"), "end"},
        {f(""), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected);
}

TEST(AM_STD_Format, BadPrecisionReportsOnStandardOutputAndGoesOn)
{
    testsupport::TraceCapture capture;
    char out[64];
    EXPECT_EQ(AM_STD::sprint(out, "%.2d|%f", 1.5), 6);
    EXPECT_STREQ(out, "d|1.50");
    AM_STD::sprint(out, "%.-1f", 2.0);
    EXPECT_STREQ(out, "f");
    EXPECT_EQ(capture.standardOutput(), "format mismatch error\nformat mismatch error\n");
    EXPECT_EQ(capture.text(), "");
}

TEST(AM_STD_Format, WideStringOnlyInTheVForms)
{
    AM_String name("Bass \xE2\x82\xAC"); // euro sign: 3 bytes for one unit
    AM_String empty;
    char out[64];
    EXPECT_EQ(AM_STD::sprintv(out, "[%S]", &name), 10);
    EXPECT_STREQ(out, "[Bass \xE2\x82\xAC]");
    AM_STD::sprintv(out, "[%S|%d]", &empty, 5);
    EXPECT_STREQ(out, "[|5]");
    AM_STD::sprint(out, "[%S|%d]", 5); // sprint knows no %S: it vanishes with '|'
    EXPECT_STREQ(out, "[5]");
}

TEST(AM_STD_Format, WideStringLimitIsTenThousandUnits)
{
    AM_String longest;
    AM_String tooLong;
    for (int i = 0; i < 10000; ++i)
        longest.appendChar(u'x');
    tooLong = longest;
    tooLong.appendChar(u'y');
    std::string out(20000, '?');
    EXPECT_EQ(AM_STD::sprintv(out.data(), "%S", &longest), 10000);
    EXPECT_EQ(AM_STD::sprintv(out.data(), "%S|%d", &tooLong, 7), 2);
    EXPECT_STREQ(out.c_str(), "|7");
}

TEST(AM_STD_Format, NullTargetOrFormatIsTracedBySprintv)
{
    testsupport::TraceCapture capture;
    char out[8] = "keep";
    EXPECT_EQ(AM_STD::sprintv(nullptr, "%d", 1), 0);
    EXPECT_EQ(AM_STD::sprintv(out, nullptr), 0);
    EXPECT_STREQ(out, "keep");
    EXPECT_EQ(capture.text(), "AM_STD::sprintv target NULL\nAM_STD::sprintv format NULL\n");
}

TEST(AM_STD_Format, CapacityFormsNeverWritePastTheirCapacity)
{
    struct Case {
        size_t capacity;
        const char* expected;
        int length;
    };
    // "ab" + euro sign + "cd": the euro sign is never cut in half.
    const Case cases[] = {
        {0, nullptr, 0},
        {1, "", 0},
        {3, "ab", 2},
        {4, "ab", 2},
        {5, "ab", 2},
        {6, "ab\xE2\x82\xAC", 5},
        {64,
         "ab\xE2\x82\xAC"
         "cd",
         7},
    };
    for (const auto& c : cases) {
        char out[72];
        std::memset(out, '#', sizeof out);
        const int n = AM_STD::sprintn(out, c.capacity, "ab%scd", "\xE2\x82\xAC");
        EXPECT_EQ(n, c.length) << c.capacity;
        if (c.expected) {
            EXPECT_STREQ(out, c.expected) << c.capacity;
        }
        for (size_t i = c.capacity; i < sizeof out; ++i)
            ASSERT_EQ(out[i], '#') << "byte " << i << " written with capacity " << c.capacity;
    }
    char out[8];
    std::memset(out, '#', sizeof out);
    AM_String wide("0123456789");
    EXPECT_EQ(AM_STD::sprintvn(out, 4, "%S", &wide), 3);
    EXPECT_STREQ(out, "012");
    EXPECT_EQ(AM_STD::sprintvn(out, 6, "%f", 123.456), 5);
    EXPECT_STREQ(out, "123.4");
}

TEST(AM_STD_Printv, LongMessageIsSentInPiecesThenALineFeed)
{
    testsupport::TraceCapture capture;
    const std::string message(600, 'm');
    AM_STD::printv("%s", message.c_str());
    const auto pieces = capture.pieces();
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].size(), 251u);
    EXPECT_EQ(pieces[1].size(), 251u);
    EXPECT_EQ(pieces[2].size(), 98u);
    EXPECT_EQ(pieces[3], "\n");
}

TEST(AM_STD_Printv, LineEndsCloseTheirPiece)
{
    testsupport::TraceCapture capture;
    AM_STD::printv("a\nb");
    AM_STD::printv("c\r\n");
    EXPECT_EQ(capture.pieces(), (std::vector<std::string>{"a\n", "b", "\n", "c\r", "\n", "\n"}));
}

TEST(AM_STD_Printv, ConversionsDoNotSendButNeverOverflow)
{
    testsupport::TraceCapture capture;
    AM_STD::printv("%c%d", '\n', 12); // a line feed from %c does not send
    EXPECT_EQ(capture.pieces(), (std::vector<std::string>{"\n12", "\n"}));

    // Many large numbers in a row: the line is sent before it would overflow.
    capture.clear();
    const double big = 1e299;
    char one[AM_STD::kMaxNumberChars + 1];
    AM_STD::sprint(one, "%f", big);
    ASSERT_EQ(std::strlen(one), 303u);
    std::string format;
    std::string expected;
    for (int i = 0; i < 40; ++i) {
        format += "%f";
        expected += one;
    }
    AM_STD::printv(format.c_str(), big, big, big, big, big, big, big, big, big, big, big, big, big,
                   big, big, big, big, big, big, big, big, big, big, big, big, big, big, big, big,
                   big, big, big, big, big, big, big, big, big, big, big);
    const auto pieces = capture.pieces();
    std::string joined;
    for (const auto& p : pieces) {
        EXPECT_LT(p.size(), 600u);
        joined += p;
    }
    EXPECT_EQ(joined, expected + "\n");
}

TEST(AM_STD_Printv, WideTextIsSentInPiecesToo)
{
    testsupport::TraceCapture capture;
    AM_String path;
    for (int i = 0; i < 300; ++i)
        path.appendChar(u'\u00E9'); // two bytes each
    AM_STD::printv("%S", &path);
    std::string joined;
    for (const auto& p : capture.pieces()) {
        EXPECT_LE(p.size(), 251u);
        joined += p;
    }
    std::string expected;
    for (int i = 0; i < 300; ++i)
        expected += "\xC3\xA9";
    EXPECT_EQ(joined, expected + "\n");
}

TEST(AM_STD_Printv, NeverAllocates)
{
    testsupport::TraceCapture capture;
    AM_String name("Lead \xE2\x82\xAC");
    {
        // On a real-time thread the pieces wait in the trace ring, so only
        // printv itself is counted (the capturing sink allocates).
        platform::RealtimeScope realtime;
        testsupport::AllocationCounter counter;
        AM_STD::printv("%S %s %d %u %x %X %c %f %.3f %%", &name, "text", -1, 2u, 255u, 255u, 'c',
                       0.5, 1.25);
        EXPECT_EQ(counter.count(), 0u);
    }
    EXPECT_EQ(capture.text(), "Lead \xE2\x82\xAC text -1 2 ff FF c 0.50 1.250 %\n");
}

int formatThroughList(char* out, size_t capacity, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int length = AM_STD::vsprintvn(out, capacity, format, arguments);
    va_end(arguments);
    return length;
}

TEST(AM_STD_Sprintv, ArgumentListFormsLikeTheVariadicOne)
{
    char direct[16];
    char listed[16];
    const int n = AM_STD::sprintvn(direct, sizeof direct, "%s=%.2f", "width", 128.0);
    EXPECT_EQ(formatThroughList(listed, sizeof listed, "%s=%.2f", "width", 128.0), n);
    EXPECT_STREQ(listed, direct);
    EXPECT_STREQ(listed, "width=128.00");
    // Cut to the capacity; a null target is left alone.
    EXPECT_EQ(formatThroughList(listed, 6, "%s", "abcdefgh"), 5);
    EXPECT_STREQ(listed, "abcde");
    EXPECT_EQ(formatThroughList(nullptr, 4, "x"), 0);
}

} // namespace
