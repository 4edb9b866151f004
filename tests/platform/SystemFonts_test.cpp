#include "platform/SystemFonts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool endsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The build needs the Bitstream Vera package, so its faces are installed.
TEST(SystemFonts, FindsInstalledFontsByFileOrFamily)
{
    struct Case {
        const char* name;
        const char* fileName;
    };
    for (const Case c :
         {Case{"Vera.ttf", "/Vera.ttf"}, Case{"VERA.TTF", "/Vera.ttf"},
          Case{"VeraBd.ttf", "/VeraBd.ttf"}, Case{"Bitstream Vera Sans", "/Vera.ttf"},
          Case{"Bitstream Vera Sans.ttf", "/Vera.ttf"},
          Case{"bitstream vera sans mono", "/VeraMono.ttf"}}) {
        std::string path;
        EXPECT_TRUE(platform::findSystemFontFile(c.name, path)) << c.name;
        EXPECT_TRUE(endsWith(path, c.fileName)) << c.name << " -> " << path;
    }
}

TEST(SystemFonts, UnknownNamesAreNotSubstituted)
{
    for (const char* name : {"l_10646.ttf", "No Such Family At All", "", ".ttf"}) {
        std::string path = "unchanged";
        EXPECT_FALSE(platform::findSystemFontFile(name, path)) << name;
        EXPECT_EQ(path, "unchanged");
    }
    std::string path = "unchanged";
    EXPECT_FALSE(platform::findSystemFontFile(nullptr, path));
}

TEST(SystemFonts, ResetLoadsTheConfigurationAgain)
{
    platform::resetSystemFonts();
    std::string path;
    EXPECT_TRUE(platform::findSystemFontFile("Vera.ttf", path));
    platform::resetSystemFonts();
    platform::resetSystemFonts();
    EXPECT_TRUE(platform::findSystemFontFile("Vera.ttf", path));
}

} // namespace
