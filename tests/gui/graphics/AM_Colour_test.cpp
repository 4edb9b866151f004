#include "gui/graphics/AM_Colour.h"

#include "GuiFixtures.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/graphics/AM_Rect.h"
#include "gui/graphics/AM_ValueToStringObject.h"
#include "params/object/AM_ObjectHost.h"
#include "params/object/AM_ParamInfo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

TEST(Colour, EveryByteValueSurvivesTheRoundTrip)
{
    for (uint32_t v = 0; v < 256; ++v) {
        const uint32_t packed = v << 24 | (255 - v) << 16 | v << 8 | (v ^ 0x5A);
        AM_Colour colour(nullptr, "c", packed);
        EXPECT_EQ(colour.getPacked(), packed) << v;
        EXPECT_EQ(colour.r, static_cast<float>(v) * kByteToUnit);
    }
}

TEST(Colour, ScriptLineAndUnpacking)
{
    AM_Colour black(nullptr, "black", 0x000000FF);
    EXPECT_EQ(black.r, 0.0f);
    EXPECT_EQ(black.a, 1.0f);
    std::string script;
    black.writeScript(&script);
    EXPECT_EQ(script, "\n\nCOLOUR name='black' rgba='ff'");

    AM_Colour mixed(nullptr, "mixed", 0x80402010);
    EXPECT_EQ(mixed.r, 128 * kByteToUnit);
    EXPECT_EQ(mixed.b, 32 * kByteToUnit);
    script.clear();
    mixed.writeScript(&script);
    EXPECT_EQ(script, "\n\nCOLOUR name='mixed' rgba='80402010'");
    mixed.writeScript(nullptr);

    AM_Colour plain(nullptr, "plain");
    EXPECT_EQ(plain.getPacked(), 0x000000FFu);

    // Channels set out of range pack to the nearest byte, never spill over.
    mixed.r = 1.5f;
    mixed.g = -0.2f;
    EXPECT_EQ(mixed.getPacked() >> 16, 0xFF00u);
}

TEST(Colour, DefaultNamesCountEveryColour)
{
    AM_Colour::resetColourCounter();
    CountingServices services;
    AM_Colour first(&services, nullptr);
    AM_Colour named(&services, "named", 0xFFFFFFFF);
    AM_Colour second(&services, nullptr, 0x11223344);
    EXPECT_STREQ(first.getName(), "Colour 0");
    EXPECT_STREQ(named.getName(), "named");
    EXPECT_STREQ(second.getName(), "Colour 2");
    EXPECT_EQ(AM_Colour::colourCounter(), 3u);
    EXPECT_EQ(first.getFlags(), 0x80800u | 0x4000u);
    EXPECT_EQ(second.getId(), 3u);
}

TEST(Colour, SaveMessageWritesOnlySaveableColours)
{
    AM_ObjectHost host(16);
    AM_Colour kept(nullptr, "kept", 0x10203040);
    AM_Colour hidden(nullptr, "hidden", 0x50607080);
    hidden.setMarks(true, true, false);
    kept.appendSibling(&hidden);
    kept.setHost(&host);
    AM_GuiObject sender(nullptr);
    std::string script;
    host.broadcastMessage(&sender, kGuiColourBit, kGuiMsgSaveObjects, 0, &script);
    EXPECT_EQ(script, "\n\nCOLOUR name='kept' rgba='10203040'");
    hidden.unlink();
}

TEST(Rect, AlignRectCodes)
{
    const AM_Rect b{100, 200, 50, 40};
    struct Case {
        int code;
        float x, y;
    };
    const Case cases[] = {
        {0, 1, 2},       {6 * 1, 90, 2},   {6 * 2, 100, 2},   {6 * 3, 120, 2},
        {6 * 4, 140, 2}, {6 * 5, 150, 2},  {6 * 6 + 0, 1, 2}, {1, 1, 196},
        {2, 1, 200},     {3, 1, 218},      {4, 1, 236},       {5, 1, 240},
        {21, 120, 218},  {0x17, 120, 240}, {0x11, 100, 240},  {-1, 1, 2},
    };
    for (const Case& c : cases) {
        AM_Rect a{1, 2, 10, 4};
        alignRect(&a, &b, c.code);
        EXPECT_EQ(a.x, c.x) << c.code;
        EXPECT_EQ(a.y, c.y) << c.code;
        EXPECT_EQ(a.w, 10);
        EXPECT_EQ(a.h, 4);
    }
}

TEST(Rect, UnionRect)
{
    AM_Rect a{10, 20, 30, 40};
    const AM_Rect b{0, 50, 5, 100};
    unionRect(&a, &b);
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 20);
    EXPECT_EQ(a.w, 40);
    EXPECT_EQ(a.h, 130);
    AM_Rect c{10, 10, 10, 10};
    const AM_Rect empty{0, 0, 0, 0}; // an empty rectangle counts like any other
    unionRect(&c, &empty);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.w, 20);
}

TEST(Rect, HandleUnderThePoint)
{
    const AM_Rect r{100, 100, 40, 20};
    struct Case {
        float x, y;
        int handle;
    };
    const Case cases[] = {
        {100, 100, 0},  {104, 104, 0},  {118, 100, 1},  {123, 104, 1},  {140, 100, 2},
        {135, 104, 2},  {140, 108, 3},  {140, 113, 3},  {140, 120, 4},  {120, 120, 5},
        {100, 120, 6},  {100, 110, 7},  {105, 106, -1}, {120, 110, -1}, {99, 100, -1},
        {141, 120, -1}, {110, 100, -1}, {117, 100, -1}, {124, 100, -1}, {100, 107, -1},
    };
    for (const Case& c : cases) {
        const float point[2] = {c.x, c.y};
        EXPECT_EQ(rectHandleAt(&r, point), c.handle) << c.x << "," << c.y;
    }
}

TEST(ValueToString, EveryKind)
{
    AM_ValueToStringObject generic(nullptr, "generic");
    EXPECT_STREQ(generic.getName(), "generic");
    struct Case {
        uint32_t type;
        float value;
        const char* text;
    };
    const Case cases[] = {
        {k_kindInteger, 2.999f, "2"},
        {k_kindInteger, -2.999f, "-2"},
        {k_kindInteger, 1e20f, "2147483647"},
        {k_kindFloat, 2.999f, "3.00"},
        {k_kindXYAxis, -0.375f, "-0.38"},
        {k_meter, 1.0f, "unknown value"},
        {k_typeTextData, 1.0f, "unknown value"},
        {k_kindAssignment, 1.0f, "unknown value"},
    };
    for (const Case& c : cases) {
        AM_ParamInfo info{};
        info.type = c.type;
        EXPECT_TRUE(generic.acceptsParameter(&info));
        char out[kValueTextBytes] = "untouched";
        generic.valueToString(&info, &c.value, out, sizeof out);
        EXPECT_STREQ(out, c.text) << c.type << " " << c.value;
    }
    char out[8] = "same";
    const float value = 1.0f;
    generic.valueToString(nullptr, &value, out, sizeof out);
    EXPECT_STREQ(out, "same");
    AM_ParamInfo info{};
    info.type = k_meter;
    generic.valueToString(&info, &value, out, 4); // cut to the buffer
    EXPECT_EQ(std::string(out).size(), 3u);
}
