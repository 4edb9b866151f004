#include "gui/graphics/AM_ShapeGeometry.h"
#include "gui/graphics/AM_ShapeValues.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Take = AM_ShapeValues::Take;

TEST(ShapeValues, DefaultsNamesAndKinds)
{
    struct Case {
        AM_ShapeKind kind;
        const char* type;
        int links;
        std::vector<float> values;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {AM_ShapeKind::circ,
         "circ",
         9,
         {-135, 1, 0.4f, 0.4f, -135, 270, 0.45f, 0.45f},
         {"AS0", "AE0", "RI0", "RO0", "AS1", "AE1", "RI1", "RO1"}},
        {AM_ShapeKind::box,
         "box",
         6,
         {0, 0, 0, 0, 1, 1, 1, 1},
         {"left0", "left1", "top0", "top1", "right0", "right1", "bottom0", "bottom1"}},
        {AM_ShapeKind::roundRect, "rounded rect", 2, {0.1f, 0.1f}, {"border", "radius"}},
    };
    for (const Case& c : cases) {
        const AM_ShapeValues values(c.kind);
        EXPECT_STREQ(values.typeName(), c.type);
        EXPECT_EQ(values.linkCount(), c.links);
        ASSERT_EQ(values.count(), int(c.values.size())) << c.type;
        for (int i = 0; i < values.count(); ++i) {
            EXPECT_FLOAT_EQ(values.get(i), c.values[size_t(i)]) << c.type << " " << i;
            EXPECT_EQ(values.name(i), c.names[size_t(i)]);
        }
        EXPECT_STREQ(values.name(-1), "huh?");
        EXPECT_STREQ(values.name(values.count()), "huh?");
        EXPECT_EQ(values.get(values.count()), 0.0f);
    }
}

// Every value written, then read back into a fresh shape through the same
// GR_PROPERTY keys, comes back (to the two decimals written).
TEST(ShapeValues, PropertyLinesRoundTrip)
{
    for (const AM_ShapeKind kind :
         {AM_ShapeKind::circ, AM_ShapeKind::box, AM_ShapeKind::roundRect}) {
        AM_ShapeValues written(kind);
        for (int i = 0; i < written.count(); ++i)
            written.set(i, 0.25f * float(i + 1) - 1.5f);
        std::string text;
        written.writeLines(text, "Knob Ring");

        AM_ShapeValues read(kind);
        size_t lines = 0;
        for (size_t at = text.find("\nGR_PROPERTY"); at != std::string::npos;
             at = text.find("\nGR_PROPERTY", at + 1)) {
            const std::string line = text.substr(at + 1, text.find('\n', at + 1) - at - 1);
            const auto field = [&line](const std::string& key) {
                const size_t start = line.find(key + "='") + key.size() + 2;
                return line.substr(start, line.find('\'', start) - start);
            };
            EXPECT_EQ(field("graphic"), "Knob Ring");
            EXPECT_EQ(read.setProperty(field("name").c_str(), std::stoi(field("id")),
                                       field("value").c_str()),
                      Take::taken)
                << line;
            ++lines;
        }
        EXPECT_EQ(lines, size_t(written.count()));
        for (int i = 0; i < written.count(); ++i)
            EXPECT_FLOAT_EQ(read.get(i), written.get(i)) << written.typeName() << " " << i;
    }
}

TEST(ShapeValues, WrittenLinesAreTheScriptsOwn)
{
    AM_ShapeValues box(AM_ShapeKind::box);
    std::string text;
    box.writeLines(text, "Box #3");
    const std::string firstTwo = "\nGR_PROPERTY graphic='Box #3' name='left' id='0' value='0.00'"
                                 "\nGR_PROPERTY graphic='Box #3' name='left' id='1' value='0.00'";
    EXPECT_EQ(text.substr(0, firstTwo.size()), firstTwo);
    AM_ShapeValues round(AM_ShapeKind::roundRect);
    text.clear();
    round.writeLines(text, "RR");
    EXPECT_EQ(text, "\nGR_PROPERTY graphic='RR' name='border' id='0' value='0.10'"
                    "\nGR_PROPERTY graphic='RR' name='radius' id='0' value='0.10'");
}

TEST(ShapeValues, KeysAndIdsOutOfRange)
{
    struct Case {
        AM_ShapeKind kind;
        const char* key;
        int id;
        Take take;
        int index; // the value set, or -1
    };
    const std::vector<Case> cases = {
        {AM_ShapeKind::circ, "angles", 0, Take::taken, 0},
        {AM_ShapeKind::circ, "angles", 2, Take::taken, 4},
        {AM_ShapeKind::circ, "radius", 1, Take::taken, 3},
        {AM_ShapeKind::circ, "radius", 3, Take::taken, 7},
        {AM_ShapeKind::circ, "angles", 4, Take::refused, -1},
        {AM_ShapeKind::circ, "radius", -1, Take::refused, -1},
        {AM_ShapeKind::circ, "width", 0, Take::other, -1},
        {AM_ShapeKind::circ, "left", 0, Take::other, -1},
        {AM_ShapeKind::box, "top", 1, Take::taken, 3},
        {AM_ShapeKind::box, "bottom", 0, Take::taken, 6},
        {AM_ShapeKind::box, "right", 2, Take::refused, -1},
        {AM_ShapeKind::box, "radius", 0, Take::other, -1},
        {AM_ShapeKind::roundRect, "radius", 7, Take::taken, 1},
        {AM_ShapeKind::roundRect, "border", -3, Take::taken, 0},
        {AM_ShapeKind::roundRect, "angles", 0, Take::other, -1},
        {AM_ShapeKind::roundRect, nullptr, 0, Take::other, -1},
    };
    for (const Case& c : cases) {
        AM_ShapeValues values(c.kind);
        const AM_ShapeValues before(c.kind);
        EXPECT_EQ(values.setProperty(c.key, c.id, "0.75"), c.take)
            << (c.key ? c.key : "null") << " " << c.id;
        for (int i = 0; i < values.count(); ++i)
            EXPECT_FLOAT_EQ(values.get(i), i == c.index ? 0.75f : before.get(i))
                << (c.key ? c.key : "null") << " " << c.id << " value " << i;
    }
    // A value that is not a number reads as 0.
    AM_ShapeValues box(AM_ShapeKind::box);
    EXPECT_EQ(box.setProperty("right", 0, "wide"), Take::taken);
    EXPECT_EQ(box.get(4), 0.0f);
}

TEST(ShapeValues, EditingStepsAndLimits)
{
    struct Case {
        AM_ShapeKind kind;
        int index;
        float amount;
        float expected;
        const char* text;
    };
    const std::vector<Case> cases = {
        {AM_ShapeKind::circ, 3, 100, 0.499f, "minRadiusOuter: 0.50"},
        {AM_ShapeKind::circ, 3, -100, 0.4f, "minRadiusOuter: 0.40"}, // not below RI0
        {AM_ShapeKind::circ, 2, 1, 0.4f, "minRadiusInner: 0.40"},    // not above RO0
        {AM_ShapeKind::circ, 6, -100, 0, "maxRadiusInner: 0.00"},
        {AM_ShapeKind::circ, 0, 1000, 360, "minAngleStart: 360.00"},
        {AM_ShapeKind::circ, 4, -1000, -360, "maxAngleStart: -360.00"},
        {AM_ShapeKind::circ, 5, 100, 359, "maxAngleArc: 359.00"},
        {AM_ShapeKind::circ, 1, -5, -4, "minAngleArc: -4.00"},
        {AM_ShapeKind::box, 4, -30, 0.7f, "right0: 0.70"},
        {AM_ShapeKind::box, 0, -30, 0, "left0: 0.00"},
        {AM_ShapeKind::roundRect, 1, 10, 0.2f, "radius: 0.20"},
        {AM_ShapeKind::roundRect, 0, 200, 1, "border: 1.00"},
        {AM_ShapeKind::roundRect, 5, -5, 0.05f, "border: 0.05"},
    };
    for (const Case& c : cases) {
        AM_ShapeValues values(c.kind);
        char text[39] = "";
        EXPECT_TRUE(values.edit(c.index, c.amount, text, sizeof text));
        const int changed = c.kind == AM_ShapeKind::roundRect && c.index != 1 ? 0 : c.index;
        EXPECT_NEAR(values.get(changed), c.expected, 1e-5f) << values.typeName() << c.index;
        EXPECT_STREQ(text, c.text);
    }
    for (const AM_ShapeKind kind : {AM_ShapeKind::circ, AM_ShapeKind::box}) {
        AM_ShapeValues values(kind);
        char text[39] = "untouched";
        EXPECT_FALSE(values.edit(8, 1, text, sizeof text));
        EXPECT_FALSE(values.edit(-1, 1, text, sizeof text));
        EXPECT_STREQ(text, "untouched");
    }
    EXPECT_STREQ(AM_ShapeValues(AM_ShapeKind::circ).editTag(), "CircParam");
    EXPECT_STREQ(AM_ShapeValues(AM_ShapeKind::box).editTag(), "BoxParam");
    EXPECT_STREQ(AM_ShapeValues(AM_ShapeKind::roundRect).editTag(), "RRParam");
}

TEST(ShapeGeometry, NewRingHasNoThicknessAndTurnsWithTheValue)
{
    const AM_ShapeValues circ(AM_ShapeKind::circ);
    const float centre[2] = {0.5f, 0.5f};
    AM_RingGeometry ring = AM_ringGeometry(circ, centre, 0, 0, 100, 100, 0);
    EXPECT_FLOAT_EQ(ring.centre[0], 50);
    EXPECT_FLOAT_EQ(ring.inner, 40);
    EXPECT_FLOAT_EQ(ring.outer, 40);
    EXPECT_FLOAT_EQ(ring.from, -135);
    EXPECT_FLOAT_EQ(ring.to, -134);
    ring = AM_ringGeometry(circ, centre, 0, 0, 100, 100, 1);
    EXPECT_FLOAT_EQ(ring.inner, 45);
    EXPECT_FLOAT_EQ(ring.outer, 45);
    EXPECT_FLOAT_EQ(ring.from, -135);
    EXPECT_FLOAT_EQ(ring.to, 135);
    // The pointer at 135 degrees points down and to the right.
    EXPECT_GT(ring.pointerEnd[0], 50);
    EXPECT_GT(ring.pointerEnd[1], 50);
    // A negative arc is drawn from its end.
    AM_ShapeValues back(AM_ShapeKind::circ);
    back.set(1, -90);
    ring = AM_ringGeometry(back, centre, 10, 20, 200, 100, 0);
    EXPECT_FLOAT_EQ(ring.from, -225);
    EXPECT_FLOAT_EQ(ring.to, -135);
    EXPECT_FLOAT_EQ(ring.inner, 40); // of the shorter side
    EXPECT_FLOAT_EQ(ring.centre[0], 110);
    EXPECT_FLOAT_EQ(ring.centre[1], 70);
}

TEST(ShapeGeometry, BoxAndRoundedRectangle)
{
    AM_ShapeValues box(AM_ShapeKind::box);
    AM_BoxGeometry whole = AM_boxGeometry(box, 10, 20, 100, 50, 0.3f);
    EXPECT_FLOAT_EQ(whole.x, 10);
    EXPECT_FLOAT_EQ(whole.w, 100);
    box.set(5, 0.5f); // right shrinks to the middle at value 1
    box.set(0, 0.8f); // left starts past right: the box is kept the right way round
    const AM_BoxGeometry half = AM_boxGeometry(box, 0, 0, 100, 50, 1);
    EXPECT_FLOAT_EQ(half.x, 0);
    EXPECT_FLOAT_EQ(half.w, 50);
    const AM_BoxGeometry swapped = AM_boxGeometry(box, 0, 0, 100, 50, 0);
    EXPECT_FLOAT_EQ(swapped.x, 80);
    EXPECT_FLOAT_EQ(swapped.w, 20);

    const AM_ShapeValues round(AM_ShapeKind::roundRect);
    AM_RoundRectGeometry r = AM_roundRectGeometry(round, 30, 30);
    EXPECT_FLOAT_EQ(r.radius, 10);
    EXPECT_FLOAT_EQ(r.border, 2.5f);
    r = AM_roundRectGeometry(round, 10, 10);
    EXPECT_FLOAT_EQ(r.radius, 5);
    r = AM_roundRectGeometry(round, 40, 6);
    EXPECT_FLOAT_EQ(r.radius, 3);
    AM_ShapeValues negative(AM_ShapeKind::roundRect);
    negative.set(0, -1);
    EXPECT_FLOAT_EQ(AM_roundRectGeometry(negative, 30, 30).border, 0);
}

} // namespace
