#include "presets/library/PresetFxp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kId = 0x57713378; // 'Wq3x'

uint32_t field(const std::vector<uint8_t>& image, size_t offset)
{
    return static_cast<uint32_t>(image[offset]) << 24 |
           static_cast<uint32_t>(image[offset + 1]) << 16 |
           static_cast<uint32_t>(image[offset + 2]) << 8 | image[offset + 3];
}

TEST(PresetFxp, HeaderFieldsFollowTheLayout)
{
    const std::string chunk = "<state text>";
    const auto image = PresetFxp::buildProgram(chunk.data(), static_cast<uint32_t>(chunk.size()),
                                               kId, 123, "Warm Pad");
    ASSERT_EQ(image.size(), 60 + chunk.size());
    EXPECT_EQ(field(image, 0), 0x43636E4Bu); // 'CcnK'
    EXPECT_EQ(field(image, 4), chunk.size() + 52);
    EXPECT_EQ(field(image, 8), 0x46504368u); // 'FPCh'
    EXPECT_EQ(field(image, 12), 1u);
    EXPECT_EQ(field(image, 16), kId);
    EXPECT_EQ(field(image, 20), 1u);
    EXPECT_EQ(field(image, 24), 123u);
    const std::string name(reinterpret_cast<const char*>(image.data()) + 28, 28);
    EXPECT_EQ(name, std::string("Warm Pad") + std::string(20, '\0')); // zero-filled
    EXPECT_EQ(field(image, 56), chunk.size());
    EXPECT_EQ(std::string(image.begin() + 60, image.end()), chunk);
}

TEST(PresetFxp, NameIsCutToTwentySevenBytesOrDefaults)
{
    const std::string longName(40, 'n');
    auto image = PresetFxp::buildProgram("x", 1, kId, 0, longName.c_str());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()) + 28), std::string(27, 'n'));
    EXPECT_EQ(image[55], 0);
    image = PresetFxp::buildProgram("x", 1, kId, 0, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(image.data()) + 28, "init");
    // A character is never cut in half: 26 bytes and a two-byte character.
    const std::string utf8 = std::string(26, 'a') + "\xC3\xA4";
    image = PresetFxp::buildProgram("x", 1, kId, 0, utf8.c_str());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.data()) + 28), std::string(26, 'a'));
}

TEST(PresetFxp, BuiltImageLoadsBackToTheSameChunk)
{
    const std::string chunk(1000, 's');
    const auto image = PresetFxp::buildProgram(chunk.data(), 1000, kId, 7, "P");
    const uint8_t* found = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(PresetFxp::findChunk(image.data(), image.size(), kId, &found, &size),
              PresetFxp::Check::kOk);
    EXPECT_EQ(found, image.data() + 60);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(found), size), chunk);
}

TEST(PresetFxp, LoaderChecksEveryFieldBeforeUse)
{
    const std::string chunk = "chunk";
    const auto good = PresetFxp::buildProgram(chunk.data(), 5, kId, 0, "P");
    struct Case {
        const char* label;
        size_t offset;
        uint8_t value;
        size_t size;
        PresetFxp::Check expected;
    };
    const Case cases[] = {
        {"whole", 0, 'C', good.size(), PresetFxp::Check::kOk},
        {"trailing bytes are fine", 0, 'C', good.size() + 8, PresetFxp::Check::kOk},
        {"header only", 0, 'C', 60, PresetFxp::Check::kBadChunkSize},
        {"short", 0, 'C', 59, PresetFxp::Check::kTooShort},
        {"magic", 0, 'X', good.size(), PresetFxp::Check::kNotAChunkFile},
        {"bank ('FBCh')", 9, 'B', good.size(), PresetFxp::Check::kNotAProgram},
        {"plug-in id", 19, 'y', good.size(), PresetFxp::Check::kOtherPlugin},
        {"chunk larger than the file", 59, 6, good.size(), PresetFxp::Check::kBadChunkSize},
        {"chunk size 0", 59, 0, good.size(), PresetFxp::Check::kBadChunkSize},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        bytes.resize(good.size() + 8, 0);
        bytes[c.offset] = c.value;
        uint32_t size = 99;
        EXPECT_EQ(PresetFxp::findChunk(bytes.data(), c.size, kId, nullptr, &size), c.expected)
            << c.label;
        EXPECT_EQ(size, c.expected == PresetFxp::Check::kOk ? 5u : 99u) << c.label;
        EXPECT_NE(std::string(PresetFxp::describe(c.expected)), "") << c.label;
    }
    EXPECT_EQ(PresetFxp::findChunk(nullptr, 100, kId, nullptr, nullptr),
              PresetFxp::Check::kTooShort);
}

} // namespace
