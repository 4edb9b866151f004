#include "DialFixture.h"

#include "gui/controls/AM_View_RadiusDial.h"

#include <cmath>

namespace {

using namespace controltest;

constexpr int32_t kRadiusParameter = 7; // "P7", 0..100

class RadiusDialTest : public DialTest {
protected:
    // A 64 x 64 dial at (0, 0) on two 0..100 parameters (turning
    // sensitivity 1.0) at angle and radius.
    AM_View_RadiusDial* dial(float angle, float radius)
    {
        AM_View_RadiusDial* d = make<AM_View_RadiusDial>("RadiusDial", {0, 0, 64, 64});
        d->setPortParameter(0, &wide);
        d->setPortParameter(1, steps.param(kRadiusParameter));
        steps.engineSets(kTune, angle);
        steps.engineSets(kRadiusParameter, radius);
        return d;
    }
    void gestureOn(AM_View_RadiusDial* d, std::initializer_list<std::pair<float, float>> points)
    {
        auto it = points.begin();
        const float down[2] = {it->first, it->second};
        d->handleMouseDown(down, 0, 0);
        float last[2] = {down[0], down[1]};
        for (++it; it != points.end(); ++it) {
            last[0] = it->first;
            last[1] = it->second;
            d->handleMouseDrag(last, 0, 0);
        }
        d->handleMouseUp(last, 0, 0);
    }
};

TEST_F(RadiusDialTest, RegistryMakesDialsWithTheirPortsSlotsAndTimer)
{
    AM_View_RadiusDial* d = make<AM_View_RadiusDial>("RadiusDial", {0, 0, 64, 64});
    ASSERT_NE(d, nullptr);
    EXPECT_STREQ(d->getTypeName(), "RadiusDial");
    EXPECT_EQ(d->getFactory(), &AM_View_RadiusDial::create);
    EXPECT_TRUE(d->hasTimer());
    ASSERT_EQ(d->getNumPorts(), 4);
    const char* const ports[] = {"RadiusDial Angle", "RadiusDial Radius", "RadiusDial AngleMeter",
                                 "RadiusDial RadiusMeter"};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_STREQ(d->getPortDescriptor(i)->name, ports[i]);
    const char* const graphics[] = {"RadiusDialBackground", "RadiusDialBall", "RadiusDialMeter"};
    ASSERT_EQ(d->getGraphicCount(), 3);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_STREQ(d->getGraphicName(i), graphics[i]);
    EXPECT_FLOAT_EQ(d->getAngle(), 50.0f);
    EXPECT_FLOAT_EQ(d->getRadius(), 50.0f);
}

TEST_F(RadiusDialTest, SensitivityFollowsTheAngleRange)
{
    const struct {
        float range;
        float sensitivity;
    } cases[] = {{320.5f, 4}, {320, 3},  {190.5f, 3}, {190, 2},     {130.5f, 2}, {130, 1},
                 {75, 1},     {74, 0.4f}, {16, 0.4f}, {15, 0.2f},   {8, 0.2f},   {7, 0.04f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(AM_View_RadiusDial::sensitivityForRange(c.range), c.sensitivity) << c.range;
}

TEST_F(RadiusDialTest, AnglesWrapByWholeTurns)
{
    const struct {
        float angle;
        float maximum;
        float wrapped;
    } cases[] = {{50, 100, 50},   {100, 100, 100}, {105, 100, 5},       {-30, 100, 70},
                 {250, 100, 50},  {-250, 100, 50}, {NAN, 100, 0},       {INFINITY, 100, 0},
                 {50, 0, 0},      {50, NAN, 0}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(AM_View_RadiusDial::wrapAngle(c.angle, c.maximum), c.wrapped)
            << c.angle << " " << c.maximum;
}

TEST_F(RadiusDialTest, TurningPastEitherEndOfTheRangeWrapsAround)
{
    AM_View_RadiusDial* d = dial(90, 10);
    // A press away from the ball turns: half a unit per pixel.
    gestureOn(d, {{60, 60}, {60, 50}, {60, 30}});
    EXPECT_FLOAT_EQ(steps.value(kTune), 5.0f);
    EXPECT_FALSE(d->isBallDrag());
    gestureOn(d, {{60, 60}, {60, 80}});
    EXPECT_FLOAT_EQ(steps.value(kTune), 95.0f);
    EXPECT_FLOAT_EQ(steps.value(kRadiusParameter), 10.0f);
}

TEST_F(RadiusDialTest, IndicatorsGoRoundClockwiseFromAnEighthBeforeTheTop)
{
    AM_View_RadiusDial* d = dial(0, 0);
    // A 14 x 14 indicator at the full radius: its centre lies 25 units
    // from the dial's centre (32, 32).
    const struct {
        float angle;
        float x;
        float y;
    } cases[] = {{12.5f, 32, 7},  {37.5f, 57, 32}, {62.5f, 32, 57}, {87.5f, 7, 32},
                 {0, 32 - 17.6777f, 32 - 17.6777f}, {100, 32 - 17.6777f, 32 - 17.6777f}};
    for (const auto& c : cases) {
        const AM_Rect r = d->indicatorRect(c.angle, 100, 14, 14);
        EXPECT_NEAR(r.x + 7, c.x, 1e-3f) << c.angle;
        EXPECT_NEAR(r.y + 7, c.y, 1e-3f) << c.angle;
    }
    const AM_Rect half = d->indicatorRect(37.5f, 50, 14, 14);
    EXPECT_NEAR(half.x + 7, 44.5f, 1e-3f);
}

TEST_F(RadiusDialTest, DraggingTheBallSetsAngleAndRadiusAndStopsAtTheEdge)
{
    AM_View_RadiusDial* d = dial(12.5f, 50); // the ball straight above the centre
    float gw = 0, gh = 0;
    ASSERT_TRUE(d->ballSize(&gw, &gh));
    const AM_Rect ball = d->indicatorRect(12.5f, 50, gw, gh);
    const float grab[2] = {ball.x + gw / 2 + 1, ball.y + gh / 2};
    // Out to the right, far past the dial's edge.
    gestureOn(d, {{grab[0], grab[1]}, {grab[0] + 40, grab[1] + 20}, {grab[0] + 200, grab[1] + 12.5f}});
    EXPECT_NEAR(steps.value(kTune), 37.5f, 0.01f);
    EXPECT_FLOAT_EQ(steps.value(kRadiusParameter), 100.0f);
    // Back near the centre, a little below it: a small radius pointing down.
    const AM_Rect moved = d->indicatorRect(d->getAngle(), d->getRadius(), gw, gh);
    const float again[2] = {moved.x + gw / 2, moved.y + gh / 2};
    gestureOn(d, {{again[0], again[1]}, {32, 37}});
    EXPECT_NEAR(steps.value(kTune), 62.5f, 0.01f);
    EXPECT_NEAR(steps.value(kRadiusParameter), 5.0f / ((64 - gw) / 2) * 100, 0.01f);
}

TEST_F(RadiusDialTest, MetersShowOnlyChangesAboveTheirSteps)
{
    AM_View_RadiusDial* d = dial(0, 0);
    d->setPortParameter(2, steps.param(kLevel));
    d->setPortParameter(3, steps.param(kPlayStep));
    ASSERT_NE(d->getPort(2)->parameter, nullptr);
    ASSERT_NE(d->getPort(3)->parameter, nullptr);
    steps.engineSets(kLevel, 0.5f);
    steps.engineSets(kPlayStep, 5.0f);
    d->onTimer();
    EXPECT_FLOAT_EQ(d->getAngleMeter(), 0.5f);
    EXPECT_FLOAT_EQ(d->getRadiusMeter(), 5.0f);
    steps.engineSets(kLevel, 0.505f);
    steps.engineSets(kPlayStep, 6.0f);
    d->onTimer();
    EXPECT_FLOAT_EQ(d->getAngleMeter(), 0.5f);
    EXPECT_FLOAT_EQ(d->getRadiusMeter(), 5.0f);
    steps.engineSets(kLevel, 0.52f);
    steps.engineSets(kPlayStep, 7.0f);
    d->onTimer();
    EXPECT_FLOAT_EQ(d->getAngleMeter(), 0.52f);
    EXPECT_FLOAT_EQ(d->getRadiusMeter(), 7.0f);
}

TEST_F(RadiusDialTest, RadiusDialsMatchTheirReferencePictures)
{
    AM_View_RadiusDial* first = make<AM_View_RadiusDial>("RadiusDial", {8, 8, 64, 64});
    first->setPortParameter(0, &wide);
    first->setPortParameter(1, steps.param(kRadiusParameter));
    const float angle = 30, radius = 80, meterAngle = 60, meterRadius = 40;
    first->setParameterValue(0, &angle);
    first->setParameterValue(1, &radius);
    first->setParameterValue(2, &meterAngle);
    first->setParameterValue(3, &meterRadius);
    AM_View_RadiusDial* centred = make<AM_View_RadiusDial>("RadiusDial", {84, 8, 64, 64});
    const float zero = 0;
    centred->setParameterValue(1, &zero);
    centred->setParameterValue(3, &zero);
    AM_View_RadiusDial* large = make<AM_View_RadiusDial>("RadiusDial", {160, 4, 96, 96});
    const float full = 100, down = 62.5f;
    large->setParameterValue(0, &down);
    large->setParameterValue(1, &full);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(first, 264, 104, "radius_dials", zoom), "") << zoom;
}

} // namespace
