// The escaping of the meta texts: what the writer puts between the quotes
// and how the reader maps it back, for new texts and for older ones.

#include "params/AM_MetaText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string unescaped(const std::string& text)
{
    std::string out(text.size() + 1, 'x');
    out.resize(metatext::unescape(text.data(), static_cast<uint32_t>(text.size()), out.data()));
    return out;
}

TEST(MetaText, EveryTextSurvivesEscapingExactly)
{
    const std::string texts[] = {
        "plain",
        "quotes ' and \" and \\ backslash",
        "bare\nfeeds\rand\r\npairs\n\r\ttabs",
        "*/ closes nothing, nor does **/ or */*/",
        "ends in a backslash \\",
        "\\n is not a line feed",
        "",
    };
    for (const std::string& text : texts) {
        std::string escaped;
        metatext::escape(text.c_str(), escaped);
        EXPECT_EQ(escaped.find("*/"), std::string::npos) << escaped;
        EXPECT_EQ(escaped.find('\n'), std::string::npos) << escaped;
        uint32_t closing = 0;
        const std::string quoted = escaped + "' tail";
        EXPECT_EQ(metatext::findClosingQuote(quoted.c_str(), 0,
                                             static_cast<uint32_t>(quoted.size()), &closing),
                  escaped.size() + 1);
        EXPECT_EQ(unescaped(escaped), text);
    }
}

TEST(MetaText, OlderTextsReadAsTheyDid)
{
    // Line breaks escaped as a pair, unknown escapes and raw backslashes.
    EXPECT_EQ(unescaped("one\\r\\ntwo"), "one\r\ntwo");
    EXPECT_EQ(unescaped("C:\\Users\\Bob"), "C:\\Users\\Bob");
    EXPECT_EQ(unescaped("trailing\\"), "trailing\\");
}

TEST(MetaText, AQuotedTextWithoutItsEndRunsToTheEnd)
{
    uint32_t closing = 0;
    const std::string text = "abc\\'def\\";
    EXPECT_EQ(
        metatext::findClosingQuote(text.c_str(), 0, static_cast<uint32_t>(text.size()), &closing),
        text.size());
    EXPECT_EQ(closing, text.size());
}

} // namespace
