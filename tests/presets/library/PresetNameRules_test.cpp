#include "presets/library/PresetNameRules.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NameCase {
    const char* label;
    std::string name;
    bool valid;
};

TEST(PresetNameRules, OneRuleForEveryPathComponent)
{
    const NameCase cases[] = {
        {"plain", "Warm Pad", true},
        {"utf8",
         "Fl\xC3\xA4"
         "che",
         true},
        {"leading dot", ".hidden", true},
        {"three dots", "...", true},
        {"at the limit", std::string(63, 'a'), true},
        {"empty", "", false},
        {"dot", ".", false},
        {"dot dot", "..", false},
        {"slash", "a/b", false},
        {"backslash", "a\\b", false},
        {"line feed", "a\nb", false},
        {"tab", "a\tb", false},
        {"delete", "a\x7f", false},
        {"too long", std::string(64, 'a'), false},
    };
    for (const NameCase& c : cases) {
        testsupport::TraceCapture trace;
        EXPECT_EQ(isValidPathComponent(c.name.c_str(), 63, "preset"), c.valid) << c.label;
        EXPECT_EQ(isPathComponent(c.name.c_str(), 63), c.valid) << c.label;
        EXPECT_EQ(trace.contains("Refused the preset name"), !c.valid) << c.label;
        EXPECT_FALSE(trace.contains("\n'")) << c.label; // control characters are not shown
    }
    EXPECT_FALSE(isValidPathComponent(nullptr));
    EXPECT_TRUE(isValidPathComponent(std::string(255, 'x').c_str()));
    EXPECT_FALSE(isValidPathComponent(std::string(256, 'x').c_str()));
}

} // namespace
