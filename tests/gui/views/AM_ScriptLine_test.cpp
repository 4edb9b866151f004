#include "gui/views/AM_ScriptLine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> tokensOf(const std::string& text)
{
    AM_ScriptLine line;
    line.read(text.data(), text.size());
    std::vector<std::string> tokens;
    for (int i = 0; i < line.tokenCount(); ++i)
        tokens.emplace_back(line.token(i));
    return tokens;
}

using Tokens = std::vector<std::string>;

struct TokenCase {
    const char* what;
    std::string text;
    Tokens tokens;
};

TEST(ScriptLineTest, CutsLinesIntoTokens)
{
    const TokenCase cases[] = {
        {"single spaces", "CONTROL type='Knob' name='A'", {"CONTROL", "type", "Knob", "name", "A"}},
        {"tab after keyword, double spaces, spaces round '='",
         "CONTROL\ttype = 'Knob'  name =  'A'",
         {"CONTROL", "type", "Knob", "name", "A"}},
        {"leading separators skipped", " \t= COLOUR name='x'", {"COLOUR", "name", "x"}},
        {"quoted space, tab and '=' kept as spaces",
         "P value='a b\tc=d'",
         {"P", "value", "a b c d"}},
        {"a quoted empty value is a token", "P value='' id='3'", {"P", "value", "", "id", "3"}},
        {"quotes inside a token join its parts", "P ab'c d'e", {"P", "abc de"}},
        {"an unterminated quote runs to the line end", "P value='a b", {"P", "value", "a b"}},
        {"the line ends at LF", "A b\nC d", {"A", "b"}},
        {"the line ends at CR", "A b\rC d", {"A", "b"}},
        {"the line ends at NUL", std::string("A b\0C d", 7), {"A", "b"}},
        {"an empty line", "", {}},
    };
    for (const TokenCase& c : cases)
        EXPECT_EQ(tokensOf(c.text), c.tokens) << c.what;
}

TEST(ScriptLineTest, ReportsTheBytesOfOneLine)
{
    AM_ScriptLine line;
    const std::string text = "A b\r\nC d";
    size_t used = line.read(text.data(), text.size());
    EXPECT_EQ(used, 4u); // "A b" and the CR
    used += line.read(text.data() + used, text.size() - used);
    EXPECT_EQ(line.tokenCount(), 0); // CR LF gives an empty line
    EXPECT_EQ(used, 5u);
    used += line.read(text.data() + used, text.size() - used);
    EXPECT_EQ(std::string(line.keyword()), "C");
    EXPECT_EQ(used, text.size());
}

TEST(ScriptLineTest, SkipsComments)
{
    struct Case {
        std::string text;
        bool comment;
    };
    const Case cases[] = {
        {"", true},
        {"   ", true},
        {"  # CONTROL type='Knob'", true},
        {"/* banner", true},
        {"* banner", true},
        {"9 CONTROL", true},
        {"@KEY", true},
        {"'' CONTROL", true},
        {"\x80"
         "CONTROL",
         true},
        {"\xc3\xa9"
         "CONTROL",
         true},
        {"A", false},
        {"CONTROL type='Knob'", false},
        {"'CONTROL'", false},
    };
    for (const Case& c : cases) {
        AM_ScriptLine line;
        line.read(c.text.data(), c.text.size());
        EXPECT_EQ(line.isComment(), c.comment) << c.text;
    }
}

TEST(ScriptLineTest, KeepsAtMostTheTokenAndCharacterLimits)
{
    std::string many = "K";
    for (int i = 0; i < 60; ++i)
        many += " t" + std::to_string(i);
    AM_ScriptLine line;
    line.read(many.data(), many.size());
    EXPECT_EQ(line.tokenCount(), AM_ScriptLine::kMaxTokens);
    EXPECT_STREQ(line.token(AM_ScriptLine::kMaxTokens - 1), "t47");
    EXPECT_TRUE(line.wasCut());

    const std::string longValue(2000, 'v');
    const std::string text = "K value='" + longValue + "' id='1'";
    const size_t used = line.read(text.data(), text.size());
    EXPECT_EQ(used, text.size());
    EXPECT_TRUE(line.wasCut());
    const size_t kept =
        std::strlen(line.token(0)) + std::strlen(line.token(1)) + std::strlen(line.token(2));
    EXPECT_EQ(kept, size_t(AM_ScriptLine::kMaxChars));
    EXPECT_EQ(line.tokenCount(), 3); // nothing after the limit is kept
    EXPECT_EQ(line.value("id"), nullptr);

    const std::string fits = "K v='" + std::string(AM_ScriptLine::kMaxChars - 2, 'x') + "'";
    line.read(fits.data(), fits.size());
    EXPECT_FALSE(line.wasCut());
    EXPECT_EQ(std::strlen(line.token(2)), size_t(AM_ScriptLine::kMaxChars - 2));
}

TEST(ScriptLineTest, FindsValuesByKeyNeverByAValueThatEqualsAKey)
{
    const std::string text = "PROPERTY control='name' name='id' id='7' value='value'";
    AM_ScriptLine line;
    line.read(text.data(), text.size());
    EXPECT_STREQ(line.value(kRowPropertyControl), "name");
    EXPECT_STREQ(line.value(kRowPropertyName), "id");
    EXPECT_STREQ(line.value(kRowPropertyValue), "value");
    int32_t id = 0;
    EXPECT_EQ(line.numbers(kRowPropertyId, &id, 1), 1);
    EXPECT_EQ(id, 7);
    // A row of another keyword is not this line's.
    EXPECT_EQ(line.value(kRowControlName), nullptr);
    // A key without '=' is no key; a key at the end has no value.
    const std::string loose = "CONTROL type 'Knob' name=";
    line.read(loose.data(), loose.size());
    EXPECT_EQ(line.value(kRowControlType), nullptr);
    EXPECT_EQ(line.value(kRowControlName), nullptr);
}

TEST(ScriptLineTest, ReadsNumbersOfEveryType)
{
    float f[16] = {};
    EXPECT_EQ(AM_ScriptLine::readNumbers("1 2 3 4", AM_ScriptValueType::kFloat, f, 4), 4);
    EXPECT_EQ(f[3], 4.0f); // a one-character last number is read too
    EXPECT_EQ(AM_ScriptLine::readNumbers("10.50 -2.25  3,5 0", AM_ScriptValueType::kFloat, f, 4),
              4);
    EXPECT_EQ(f[0], 10.5f);
    EXPECT_EQ(f[1], -2.25f);
    EXPECT_EQ(f[2], 3.5f);
    EXPECT_EQ(AM_ScriptLine::readNumbers("1 2 x 4", AM_ScriptValueType::kFloat, f, 4), 2);
    EXPECT_EQ(AM_ScriptLine::readNumbers("nan inf", AM_ScriptValueType::kFloat, f, 4), 0);
    EXPECT_EQ(AM_ScriptLine::readNumbers("", AM_ScriptValueType::kFloat, f, 4), 0);
    EXPECT_EQ(AM_ScriptLine::readNumbers(nullptr, AM_ScriptValueType::kFloat, f, 4), 0);

    uint32_t hex = 0;
    EXPECT_EQ(AM_ScriptLine::readNumbers("ffffffff", AM_ScriptValueType::kHex, &hex, 1), 1);
    EXPECT_EQ(hex, 0xFFFFFFFFu);
    EXPECT_EQ(AM_ScriptLine::readNumbers("000000Ff", AM_ScriptValueType::kHex, &hex, 1), 1);
    EXPECT_EQ(hex, 0xFFu);
    EXPECT_EQ(AM_ScriptLine::readNumbers("0x10", AM_ScriptValueType::kHex, &hex, 1), 0);

    int32_t ints[16] = {};
    EXPECT_EQ(AM_ScriptLine::readNumbers("-3 12", AM_ScriptValueType::kInt, ints, 16), 2);
    EXPECT_EQ(ints[0], -3);
    EXPECT_EQ(ints[1], 12);
    EXPECT_EQ(AM_ScriptLine::readNumbers("-", AM_ScriptValueType::kInt, ints, 16), 0);
    uint32_t u = 0;
    EXPECT_EQ(AM_ScriptLine::readNumbers("-3", AM_ScriptValueType::kUnsigned, &u, 1), 0);
    EXPECT_EQ(AM_ScriptLine::readNumbers("abc", AM_ScriptValueType::kText, &u, 1), 0);

    // At most 16 numbers and 135 characters of a value are read.
    std::string twenty;
    for (int i = 0; i < 20; ++i)
        twenty += std::to_string(i) + " ";
    EXPECT_EQ(AM_ScriptLine::readNumbers(twenty.c_str(), AM_ScriptValueType::kInt, ints, 99), 16);
    EXPECT_EQ(ints[15], 15);
    const std::string wide = std::string(134, ' ') + "12";
    EXPECT_EQ(AM_ScriptLine::readNumbers(wide.c_str(), AM_ScriptValueType::kInt, ints, 1), 1);
    EXPECT_EQ(ints[0], 1); // the work buffer cuts the second digit off
}

} // namespace
