#include "gui/graphics/AM_Context.h"

#include "TraceCapture.h"
#include "gui/graphics/AM_Colour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Records what the base's algorithms ask of a renderer; every character is
// 10 units wide.
class RecordingContext : public AM_Context {
public:
    void drawPolyline(const float points[], int count, float width, bool closed) override
    {
        polyline.assign(points, points + 2 * count);
        polylineWidth = width;
        polylineClosed = closed;
    }
    float getTextWidth(const char* text) override
    {
        return charWidth * static_cast<float>(std::strlen(text));
    }
    void drawText(const char* text, const AM_Rect* r, int, bool) override
    {
        lines.push_back(text);
        lineTops.push_back(r->y);
    }
    void pushClip() override { ++pushes; }
    void popClip() override { ++pops; }
    void setColour(float r, float g, float b, float a) override { colour = {r, g, b, a}; }

    float charWidth = 10.0f;
    std::vector<float> polyline;
    float polylineWidth = 0;
    bool polylineClosed = false;
    std::vector<std::string> lines;
    std::vector<float> lineTops;
    int pushes = 0;
    int pops = 0;
    std::vector<float> colour;
};

} // namespace

TEST(Context, Construction)
{
    RecordingContext context;
    EXPECT_EQ(context.getZoom(), 1.0f);
    EXPECT_STREQ(context.getFontFileName(), "Vera.ttf");
    context.setZoom(2.5f, 0, 0);
    EXPECT_EQ(context.getZoom(), 2.5f);
    AM_Colour colour(nullptr, "c", 0xFF800040);
    context.setColourFromObject(&colour);
    EXPECT_EQ(context.colour, (std::vector<float>{colour.r, colour.g, colour.b, colour.a}));
}

TEST(Context, FitText)
{
    RecordingContext context;
    EXPECT_STREQ(context.fitText("short", 42.0f), "short");  // 50 - 8 is not above 42
    const char* longText = "abcdefghijklmnopqrstuvwxyz0123"; // 30 characters, 300 units
    // n = trunc(30 / 292 * 100) = 10: five characters, "...", two more.
    EXPECT_STREQ(context.fitText(longText, 100.0f), "abcde...23");
    // Fewer than 8: the first n characters.
    EXPECT_STREQ(context.fitText(longText, 60.0f), "abcdef");
    EXPECT_STREQ(context.fitText(longText, -50.0f), "");
    EXPECT_STREQ(context.fitText(nullptr, 10.0f), "");

    const std::string huge(5000, 'x');
    context.charWidth = 0.0f;
    EXPECT_EQ(std::strlen(context.fitText(huge.c_str(), 10.0f)), 255u);
    context.charWidth = 10.0f;
    EXPECT_EQ(std::strlen(context.fitText(huge.c_str(), 1e30f)), 255u);
    EXPECT_EQ(std::strlen(context.fitText(huge.c_str(), 10.0f)), 1u);
    EXPECT_EQ(std::strlen(context.fitText(huge.c_str(), NAN)), 255u);
}

TEST(Context, AbstractContextNeverShortens)
{
    struct Bare : AM_Context {
        void drawPolyline(const float*, int, float, bool) override {}
    } bare;
    EXPECT_STREQ(bare.fitText("a rather long text", 1.0f), "a rather long text");
    const AM_Rect box{0, 0, 10, 10};
    EXPECT_EQ(bare.drawTextBox("two words", &box, 0, 5.0f), 5.0f);
}

TEST(Context, DrawTextBoxWraps)
{
    struct Case {
        const char* text;
        float width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"hello world", 80.0f, {"hello", "world"}},
        {"hello world", 200.0f, {"hello world"}},
        {"abcdef", 35.0f, {"abc", "def"}},
        {"a\r\nb", 200.0f, {"a", "b"}},
        {"a\n\rb", 200.0f, {"a", "b"}},
        {"a\n\nb", 200.0f, {"a", "", "b"}},
        {"a\r\rb", 200.0f, {"a", "", "b"}},
        {"one two three", 75.0f, {"one two", "three"}},
        {"", 100.0f, {}},
        {"wide", 5.0f, {}}, // not even one character fits
    };
    for (const Case& c : cases) {
        RecordingContext context;
        const AM_Rect box{10, 20, c.width, 1000};
        const float used = context.drawTextBox(c.text, &box, 0, 12.0f);
        EXPECT_EQ(context.lines, c.lines) << c.text;
        EXPECT_EQ(used, 12.0f * static_cast<float>(c.lines.size())) << c.text;
        EXPECT_EQ(context.pushes, 1);
        EXPECT_EQ(context.pops, 1);
        for (size_t i = 0; i < context.lineTops.size(); ++i)
            EXPECT_EQ(context.lineTops[i], 20.0f + 12.0f * static_cast<float>(i));
    }
}

TEST(Context, DrawTextBoxSkipsLinesBelowTheBoxButCountsThem)
{
    RecordingContext context;
    const AM_Rect box{0, 0, 35, 30}; // limit 30 - 6 = 24: lines at 0 and 12 drawn
    const float used = context.drawTextBox("abcdefghijkl", &box, 0, 12.0f);
    EXPECT_EQ(context.lines, (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(used, 48.0f);
}

TEST(Context, DrawTextBoxBoundsItsLinesAndIterations)
{
    testsupport::TraceCapture trace;
    RecordingContext context;
    context.charWidth = 0.0f;
    const std::string longLine(300, 'x');
    const AM_Rect box{0, 0, 100, 1e9f};
    EXPECT_EQ(context.drawTextBox(longLine.c_str(), &box, 0, 1.0f), 3.0f);
    EXPECT_EQ(context.lines[0].size(), 127u);
    EXPECT_EQ(context.lines[2].size(), 46u);

    std::string manyLines;
    for (int i = 0; i < 2100; ++i)
        manyLines += "x\n";
    context.lines.clear();
    EXPECT_EQ(context.drawTextBox(manyLines.c_str(), &box, 0, 1.0f), 2000.0f);
    EXPECT_NE(trace.text().find("lots of iterations..."), std::string::npos);
    EXPECT_EQ(context.drawTextBox(nullptr, &box, 0, 1.0f), 0.0f);
    EXPECT_EQ(context.drawTextBox("x", nullptr, 0, 1.0f), 0.0f);
}

TEST(Context, DrawCircle)
{
    struct Case {
        float radius;
        int perQuarter;
    };
    const Case cases[] = {{0.4f, 1},    {1.0f, 1}, {10.7f, 10}, {64.0f, 64},
                          {100.0f, 64}, {NAN, 1},  {-5.0f, 1}};
    for (const Case& c : cases) {
        RecordingContext context;
        const float centre[2] = {50, 60};
        context.drawCircle(centre, c.radius, 2.0f);
        ASSERT_EQ(context.polyline.size(), size_t(8 * c.perQuarter)) << c.radius;
        EXPECT_TRUE(context.polylineClosed);
        EXPECT_EQ(context.polylineWidth, 2.0f);
        if (!(c.radius > 0.0f))
            continue;
        // First point straight below, then right, top and left.
        const int n = c.perQuarter;
        EXPECT_NEAR(context.polyline[0], 50, 1e-3);
        EXPECT_NEAR(context.polyline[1], 60 + c.radius, 1e-3);
        EXPECT_NEAR(context.polyline[2 * n], 50 + c.radius, 1e-3);
        EXPECT_NEAR(context.polyline[4 * n + 1], 60 - c.radius, 1e-3);
        EXPECT_NEAR(context.polyline[6 * n], 50 - c.radius, 1e-3);
        for (int i = 0; i < 4 * n; ++i) {
            const float dx = context.polyline[2 * i] - 50;
            const float dy = context.polyline[2 * i + 1] - 60;
            EXPECT_NEAR(std::sqrt(dx * dx + dy * dy), std::fabs(c.radius), 1e-3);
        }
    }
}
