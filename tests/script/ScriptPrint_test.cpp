#include "script/ScriptPrint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

std::string format(size_t capacity, const char* fmt, ...)
{
    char out[script::kPrintCapacity];
    va_list args;
    va_start(args, fmt);
    script::formatText(out, capacity, fmt, args);
    va_end(args);
    return out;
}

TEST(ScriptPrint, FormatsLikePrintfWithoutTheLocale)
{
    const size_t n = script::kPrintCapacity;
    EXPECT_EQ(format(n, "%s[ % d ] = %f", "a", 0, 0.5), "a[  0 ] = 0.500000");
    EXPECT_EQ(format(n, "[% d]", -3), "[-3]");
    EXPECT_EQ(format(n, "%.2f %.2f %.2f", 1.5, 0.125, 3.255),
              "1.50 0.12 3.25"); // exact binary value
    EXPECT_EQ(format(n, "%.0f|%5.1f|%-4d|%04d|%+d", 2.5, 3.14159, 7, -7, 5),
              "2|  3.1|7   |-007|+5");
    EXPECT_EQ(format(n, "%d %u %x %X %c %%", -2147483647 - 1, 4000000000u, 255u, 255u, 'q'),
              "-2147483648 4000000000 ff FF q %");
    EXPECT_EQ(format(n, "%s|%.2s|%5s", static_cast<const char*>(nullptr), "abc", "ab"),
              "(null)|ab|   ab");
    EXPECT_EQ(format(n, "%f %f", static_cast<double>(NAN), -static_cast<double>(INFINITY)),
              "nan -inf");
    EXPECT_EQ(format(n, "%.2f", 1e20), "100000000000000000000.00"); // no exponent
    EXPECT_EQ(format(n, "%q"), "%q");
    EXPECT_EQ(format(n, "end%"), "end");
}

TEST(ScriptPrint, CutsAtTheCapacity)
{
    EXPECT_EQ(format(6, "%s", "abcdefgh"), "abcde");
    EXPECT_EQ(format(4, "%d", 123456), "123");
    EXPECT_EQ(format(1, "abc"), "");
}

} // namespace
