#include "editor/AM_PrivateDataFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> bytesOf(const std::string& text)
{
    return {text.begin(), text.end()};
}

TEST(PrivateDataFormat, ADragBuildsTheTypeLineTheBodyAndAZeroByte)
{
    struct Case {
        uint32_t kind;
        const char* text;
        uint32_t length;
        std::string expected;
    };
    const Case cases[] = {
        {kAM_DragKindPatchList, "Bank/Lead.preset", kAM_DragLengthOfText,
         std::string("ORL_PATCH_LIST\nBank/Lead.preset", 31) + '\0'},
        {kAM_DragKindText, "hello", kAM_DragLengthOfText, std::string("TEXT\nhello") + '\0'},
        // Any kind but the patch list is text.
        {7, "x", kAM_DragLengthOfText, std::string("TEXT\nx") + '\0'},
        // A given length takes that many bytes, zero bytes included.
        {kAM_DragKindText, "ab\0cd", 5, std::string("TEXT\nab\0cd", 10) + '\0'},
        {kAM_DragKindText, "abcdef", 3, std::string("TEXT\nabc") + '\0'},
        {kAM_DragKindPatchList, nullptr, 12, std::string("ORL_PATCH_LIST\n") + '\0'},
        {kAM_DragKindText, "", kAM_DragLengthOfText, std::string("TEXT\n") + '\0'},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> block = AM_encodePrivateData(c.kind, c.text, c.length);
        EXPECT_EQ(std::string(block.begin(), block.end()), c.expected) << c.expected;
    }
}

TEST(PrivateDataFormat, ADroppedBlockGivesItsKindBodyAndLength)
{
    struct Case {
        std::string block;
        uint32_t kind;
        std::string body;
    };
    const Case cases[] = {
        {std::string("ORL_PATCH_LIST\nA.preset\nB.preset") + '\0', kAM_DragKindPatchList,
         "A.preset\nB.preset"},
        // Text arrives as text, not as a patch list.
        {std::string("TEXT\nsome words") + '\0', kAM_DragKindText, "some words"},
        {std::string("TEXT\n") + '\0', kAM_DragKindText, ""},
        // No zero byte: the body ends with the block, never past it.
        {"TEXT\nunterminated", kAM_DragKindText, "unterminated"},
        // The body ends at its first zero byte.
        {std::string("TEXT\nfirst\0second", 17), kAM_DragKindText, "first"},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = bytesOf(c.block);
        const AM_DroppedData dropped = AM_decodePrivateData(bytes.data(), bytes.size());
        ASSERT_TRUE(dropped.accepted()) << c.block;
        EXPECT_EQ(dropped.kind, c.kind) << c.block;
        EXPECT_EQ(dropped.body, c.body) << c.block;
        EXPECT_EQ(dropped.length, c.body.size() + 1) << c.block;
    }
}

TEST(PrivateDataFormat, BlocksThatAreNotOursAreRefused)
{
    const std::string longLine(70, 'A');
    struct Case {
        std::string block;
        AM_PrivateDataRefusal refusal;
    };
    const Case cases[] = {
        {"", AM_PrivateDataRefusal::Empty},
        {"TEXT", AM_PrivateDataRefusal::NoTypeLine},
        {longLine + "\nbody", AM_PrivateDataRefusal::NoTypeLine},
        // The line feed must lie within the first 63 bytes.
        {std::string(63, 'T') + "\nbody", AM_PrivateDataRefusal::NoTypeLine},
        {std::string("TE\0XT\nbody", 10), AM_PrivateDataRefusal::NoTypeLine},
        {"text/plain\nbody", AM_PrivateDataRefusal::UnknownType},
        {"TEXT \nbody", AM_PrivateDataRefusal::UnknownType},
        {"ORL_PATCH_LIST2\nbody", AM_PrivateDataRefusal::UnknownType},
        {"\nbody", AM_PrivateDataRefusal::UnknownType},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = bytesOf(c.block);
        const AM_DroppedData dropped = AM_decodePrivateData(bytes.data(), bytes.size());
        EXPECT_EQ(dropped.refusal, c.refusal) << c.block;
        EXPECT_TRUE(dropped.body.empty());
    }
    EXPECT_EQ(AM_decodePrivateData(nullptr, 5).refusal, AM_PrivateDataRefusal::Empty);
}

TEST(PrivateDataFormat, ABlockReadsBackAsItWasBuilt)
{
    std::string body;
    for (int i = 0; i < 300000; ++i)
        body.push_back(static_cast<char>('a' + i % 26));
    for (const uint32_t kind : {kAM_DragKindText, kAM_DragKindPatchList}) {
        const std::vector<uint8_t> block = AM_encodePrivateData(kind, body.c_str(), kAM_DragLengthOfText);
        const AM_DroppedData dropped = AM_decodePrivateData(block.data(), block.size());
        ASSERT_TRUE(dropped.accepted());
        EXPECT_EQ(dropped.kind, kind);
        EXPECT_EQ(dropped.body, body);
    }
}

} // namespace
