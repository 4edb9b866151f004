#include "foundation/AM_String.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string narrow(const AM_String& s)
{
    std::string out(static_cast<size_t>(s.getNarrowLength()) + 1, '?');
    s.getNarrow(out.data(), static_cast<int32_t>(out.size()) - 1);
    out.resize(std::strlen(out.c_str()));
    return out;
}

TEST(AM_String, ConstructionCopyAndAssignment)
{
    AM_String empty;
    EXPECT_EQ(empty.length(), 0);
    EXPECT_EQ(empty.getWide(), nullptr);

    AM_String a("Pad \xC3\xA9");
    EXPECT_EQ(a.length(), 5);
    EXPECT_EQ(a.charAt(4), u'\u00E9');
    AM_String b(a);
    EXPECT_TRUE(a == b);
    EXPECT_NE(a.getWide(), b.getWide()); // a buffer of its own

    AM_String c("other");
    c = a;
    EXPECT_TRUE(c == a);
    c = empty;
    EXPECT_EQ(c.length(), 0);
    c = c;
    EXPECT_EQ(c.length(), 0);
}

TEST(AM_String, EmptyWithAndWithoutBufferAreEqual)
{
    AM_String null;
    AM_String terminatorOnly("");
    EXPECT_TRUE(null == terminatorOnly);
    EXPECT_FALSE(null != terminatorOnly);
    EXPECT_TRUE(AM_String("ab") != AM_String("aB"));
}

TEST(AM_String, NarrowRoundTripKeepsEveryByte)
{
    const char* texts[] = {"plain", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB9",
                           "bad \xE9 byte \xFF\xFE", ""};
    for (const char* t : texts)
        EXPECT_EQ(narrow(AM_String(t)), t);
}

TEST(AM_String, GetNarrowIsBoundedAndTerminated)
{
    AM_String s("ab\xE2\x82\xAC"
                "cd"); // a, b, euro sign, c, d
    char out[8];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(s.getNarrow(out, 3), 2); // the euro sign does not fit in 3 bytes
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(out[4], '#');
    EXPECT_EQ(s.getNarrow(out, 7, 2), 5); // from the euro sign on
    EXPECT_STREQ(out, "\xE2\x82\xAC"
                      "cd");
    EXPECT_EQ(s.getNarrow(out, 7, 9), 0); // start beyond the end
    EXPECT_STREQ(out, "");
    EXPECT_EQ(s.getNarrowLength(), 7);
}

TEST(AM_String, SearchesAndSuffixes)
{
    AM_String path("/home/u/dir/");
    EXPECT_EQ(path.lastIndexOf(u'/', path.length() - 1), path.length() - 1);
    EXPECT_EQ(path.lastIndexOf(u'/', path.length() - 2), 7);
    EXPECT_EQ(path.lastIndexOf(u'/', 1000), path.length() - 1);
    EXPECT_EQ(path.lastIndexOf(u'x', 5), -1);
    EXPECT_EQ(path.lastIndexOf(u'/', -1), -1);
    EXPECT_EQ(AM_String().lastIndexOf(u'/', 0), -1);

    EXPECT_TRUE(AM_String("patch.h2p").endsWith(AM_String(".h2p")));
    EXPECT_FALSE(AM_String("h2p").endsWith(AM_String(".h2p")));
    EXPECT_TRUE(AM_String("x").endsWith(AM_String()));
}

TEST(AM_String, Extensions)
{
    struct Case {
        const char* text;
        bool hasExtension;
        const char* extension;
        bool removed;
        const char* withoutExtension;
    };
    const Case cases[] = {
        {"a.b.c", true, "c", true, "a.b"},
        {".fxp", true, "fxp", false, ".fxp"}, // a dot at index 0 counts for one, not the other
        {"name.", true, "", true, "name"},
        {"x", false, "keep", false, "x"},
        {".", false, "keep", false, "."},
        {"noext", false, "keep", false, "noext"},
    };
    for (const auto& c : cases) {
        AM_String s(c.text);
        AM_String extension("keep");
        EXPECT_EQ(s.getExtension(extension), c.hasExtension) << c.text;
        EXPECT_EQ(narrow(extension), c.extension) << c.text;
        EXPECT_EQ(s.removeExtension(), c.removed) << c.text;
        EXPECT_EQ(narrow(s), c.withoutExtension) << c.text;
    }
}

TEST(AM_String, Appending)
{
    AM_String s;
    s.appendNarrow("Pre");
    s.appendWide(u"sets");
    s.appendChar(u'/');
    s.append(AM_String("x"));
    s.appendSubstring(AM_String("0123456"), 2, 3);
    EXPECT_EQ(narrow(s), "Presets/x234");
    s.appendSubstring(AM_String("abc"), 1, 99); // range limited to the text
    EXPECT_EQ(narrow(s), "Presets/x234bc");
    s.append(s);
    EXPECT_EQ(narrow(s), "Presets/x234bcPresets/x234bc");
    s.clear();
    EXPECT_EQ(s.getWide(), nullptr);
    EXPECT_EQ(s.charAt(0), 0);
}

} // namespace
