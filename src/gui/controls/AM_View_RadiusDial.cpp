#include "gui/controls/AM_View_RadiusDial.h"

#include "gui/controls/AM_DialLook.h"
#include "gui/controls/AM_DragSensitivity.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "RadiusDial";

constexpr uint32_t kValueTypes[] = {k_kindFloat, k_kindXYAxis};
constexpr uint32_t kMeterTypes[] = {k_meter};
const AM_PortDescriptor kPorts[] = {{0, "RadiusDial Angle", 2, kValueTypes},
                                    {1, "RadiusDial Radius", 2, kValueTypes},
                                    {2, "RadiusDial AngleMeter", 1, kMeterTypes},
                                    {3, "RadiusDial RadiusMeter", 1, kMeterTypes}};

constexpr char kGraphicNames[][kGuiNameBytes] = {"RadiusDialBackground", "RadiusDialBall",
                                                 "RadiusDialMeter"};
constexpr int32_t kBackgroundSlot = 0;
constexpr int32_t kBallSlot = 1;
constexpr int32_t kMeterSlot = 2;

constexpr float kTwoPi = 6.28318530717959f;
constexpr float kQuarterPi = 0.785398163397448f;
// Angle 0 lies an eighth of a turn before straight up.
constexpr float kZeroTurn = 0.125f;

// The drawn ball's and indicator's share of the dial's side.
constexpr float kDrawnBallShare = 0.22f;
constexpr float kDrawnBallLeast = 6.0f;
constexpr float kDrawnMeterShare = 0.5f;

bool readFloat(const void* value, float* out)
{
    if (value == nullptr) {
        return false;
    }
    std::memcpy(out, value, sizeof *out);
    return true;
}

} // namespace

AM_View_RadiusDial::AM_View_RadiusDial(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "RadiusDial %u", unsigned(getId()));
    setName(name);
    initControl(0, 4, kPorts, 0, nullptr, 0, nullptr, 3, kGraphicNames, true);
}

AM_View_RadiusDial::~AM_View_RadiusDial() = default;

AM_ViewControl* AM_View_RadiusDial::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* dial = new AM_View_RadiusDial(viewMan, bounds);
    dial->setFactory(&AM_View_RadiusDial::create);
    return dial;
}

const char* AM_View_RadiusDial::getTypeName() const
{
    return kTypeName;
}

float AM_View_RadiusDial::sensitivityForRange(float r)
{
    if (r > 320) {
        return 4.0f;
    }
    if (r > 190) {
        return 3.0f;
    }
    if (r > 130) {
        return 2.0f;
    }
    return AM_smallRangeSensitivity(r);
}

float AM_View_RadiusDial::wrapAngle(float angle, float maximum)
{
    if (!std::isfinite(angle) || !std::isfinite(maximum) || !(maximum > 0.0f)) {
        return 0.0f;
    }
    if (angle > maximum) {
        angle = std::fmod(angle, maximum);
    } else if (angle < 0.0f) {
        angle = std::fmod(angle, maximum) + maximum;
    }
    return std::clamp(angle, 0.0f, maximum);
}

void AM_View_RadiusDial::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (parameter != nullptr && i == kAnglePort) {
        angleMinimum_ = parameter->min;
        angleMaximum_ = parameter->max;
        angleDefault_ = parameter->defaultValue;
        sensitivity_ = sensitivityForRange(angleMaximum_ - angleMinimum_);
    } else if (parameter != nullptr && i == kRadiusPort) {
        radiusMinimum_ = parameter->min;
        radiusMaximum_ = parameter->max;
        radiusDefault_ = parameter->defaultValue;
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_RadiusDial::setParameterValue(int32_t i, const void* value)
{
    float v = 0.0f;
    if (readFloat(value, &v)) {
        switch (i) {
        case kAnglePort:
            angle_ = v;
            break;
        case kRadiusPort:
            radius_ = v;
            break;
        case kAngleMeterPort:
            angleMeter_ = v;
            break;
        case kRadiusMeterPort:
            radiusMeter_ = v;
            break;
        default:
            break;
        }
    }
    AM_ViewControl::setParameterValue(i, value);
}

bool AM_View_RadiusDial::engineValue(int32_t port, float* value) const
{
    const AM_PortRecord* record = const_cast<AM_View_RadiusDial*>(this)->getPort(port);
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (record == nullptr || record->parameter == nullptr || host == nullptr) {
        return false;
    }
    return readFloat(host->getParameterValue(static_cast<int32_t>(record->parameter->index)),
                     value);
}

void AM_View_RadiusDial::onTimer()
{
    float v = 0.0f;
    if (engineValue(kAngleMeterPort, &v) && std::fabs(v - angleMeter_) > kAngleMeterStep) {
        setParameterValue(kAngleMeterPort, &v);
    }
    if (engineValue(kRadiusMeterPort, &v) && std::fabs(v - radiusMeter_) > kRadiusMeterStep) {
        setParameterValue(kRadiusMeterPort, &v);
    }
}

AM_Rect AM_View_RadiusDial::indicatorRect(float angle, float radius, float gw, float gh) const
{
    const float turn = angleMaximum_ != 0.0f ? angle / angleMaximum_ : 0.0f;
    const float phi = turn * kTwoPi - kQuarterPi;
    const float rho =
        radiusMaximum_ != 0.0f ? (bounds_.w - gw) / radiusMaximum_ * radius * 0.5f : 0.0f;
    AM_Rect r{bounds_.x + (bounds_.w - gw) / 2 + std::sin(phi) * rho,
              bounds_.y + (bounds_.h - gh) / 2 - std::cos(phi) * rho, gw, gh};
    if (!std::isfinite(r.x) || !std::isfinite(r.y)) {
        r.x = bounds_.x + (bounds_.w - gw) / 2;
        r.y = bounds_.y + (bounds_.h - gh) / 2;
    }
    return r;
}

bool AM_View_RadiusDial::ballSize(float* gw, float* gh) const
{
    if (const AM_Graphic* ball = getGraphic(kBallSlot)) {
        *gw = ball->getWidth();
        *gh = ball->getHeight();
        return true;
    }
    if (getGraphic(kBackgroundSlot) != nullptr || getGraphic(kMeterSlot) != nullptr) {
        return false;
    }
    // The drawn look's ball.
    const float side = std::max(kDrawnBallLeast, std::min(bounds_.w, bounds_.h) * kDrawnBallShare);
    *gw = side;
    *gh = side;
    return true;
}

void AM_View_RadiusDial::userSets(int32_t i, float value)
{
    setValueFromUser(i, &value);
}

bool AM_View_RadiusDial::onMouseDown(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr) {
        return false;
    }
    mouseDownPoint_[0] = point[0];
    mouseDownPoint_[1] = point[1];
    float gw = 0.0f;
    float gh = 0.0f;
    if (ballSize(&gw, &gh)) {
        const AM_Rect ball = indicatorRect(angle_, radius_, gw, gh);
        if (point[0] >= ball.x && point[0] < ball.x + ball.w && point[1] >= ball.y &&
            point[1] < ball.y + ball.h) {
            sendValueToParameter(kRadiusPort, &radius_);
            ballDrag_ = 1;
            ballCentre_[0] = ball.x + ball.w / 2;
            ballCentre_[1] = ball.y + ball.h / 2;
            return true;
        }
    }
    ballDrag_ = 0;
    startAngle_ = angle_;
    sendValueToParameter(kAnglePort, &angle_);
    return true;
}

void AM_View_RadiusDial::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[0]) || !std::isfinite(point[1])) {
        return;
    }
    float gw = 0.0f;
    float gh = 0.0f;
    if (ballDrag_ != 0 && ballSize(&gw, &gh)) {
        ballCentre_[0] += point[0] - mouseDownPoint_[0];
        ballCentre_[1] += point[1] - mouseDownPoint_[1];
        mouseDownPoint_[0] = point[0];
        mouseDownPoint_[1] = point[1];
        const float dx = bounds_.x + bounds_.w / 2 - ballCentre_[0];
        const float dy = bounds_.y + bounds_.h / 2 - ballCentre_[1];
        const float reach = (bounds_.w - gw) * 0.5f;
        float radius = reach > 0.0f ? std::sqrt(dx * dx + dy * dy) / reach * radiusMaximum_
                                    : radiusMaximum_;
        radius = std::min(radius, radiusMaximum_);
        // The ball on the centre keeps its angle.
        float angle = angle_;
        if (dx != 0.0f || dy != 0.0f) {
            angle = wrapAngle(-(std::atan2(dx, dy) / kTwoPi - kZeroTurn) * angleMaximum_,
                              angleMaximum_);
        }
        userSets(kAnglePort, angle);
        userSets(kRadiusPort, radius);
        return;
    }
    if (ballDrag_ != 0) {
        return;
    }
    const float a = wrapAngle((mouseDownPoint_[1] - point[1]) * sensitivity_ * 0.5f + startAngle_,
                              angleMaximum_);
    if (a != angle_) {
        userSets(kAnglePort, a);
    }
}

void AM_View_RadiusDial::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
}

void AM_View_RadiusDial::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    AM_Graphic* background = getGraphic(kBackgroundSlot);
    AM_Graphic* ball = getGraphic(kBallSlot);
    AM_Graphic* meter = getGraphic(kMeterSlot);
    if (background == nullptr && ball == nullptr && meter == nullptr) {
        drawGenerated(context);
        return;
    }
    if (background != nullptr) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (meter != nullptr) {
        const AM_Rect r =
            indicatorRect(angleMeter_, radiusMeter_, meter->getWidth(), meter->getHeight());
        meter->draw(context, &r, 1.0f);
    }
    if (ball != nullptr) {
        const AM_Rect r = indicatorRect(angle_, radius_, ball->getWidth(), ball->getHeight());
        ball->draw(context, &r, 1.0f);
    }
}

void AM_View_RadiusDial::drawGenerated(AM_Context* context)
{
    using namespace AM_DialLook;
    float centre[2];
    float half = 0.0f;
    centreOf(bounds_, centre, &half);
    float side = 0.0f;
    float unused = 0.0f;
    if (half < 4.0f || !ballSize(&side, &unused)) {
        return;
    }
    // The face: a track ring, the body and a mark where the angle starts.
    const float outer = half - 0.5f;
    fillDisc(context, centre, outer, kTrackColour);
    fillDisc(context, centre, outer - std::max(1.5f, half * 0.08f), kRimColour);
    fillDisc(context, centre, outer - std::max(2.5f, half * 0.12f), kBodyColour);
    fillDisc(context, centre, half * 0.12f, kBodyTopColour);
    float mark[2];
    float markEnd[2];
    pointAt(centre, -45.0f, outer - std::max(2.5f, half * 0.12f), mark);
    pointAt(centre, -45.0f, outer, markEnd);
    context->setColourPacked(kPointerColour);
    context->drawLine(mark, markEnd, 1.0f);

    const float meterSide = side * kDrawnMeterShare;
    const AM_Rect m = indicatorRect(angleMeter_, radiusMeter_, meterSide, meterSide);
    const float meterCentre[2] = {m.x + m.w / 2, m.y + m.h / 2};
    fillDisc(context, meterCentre, meterSide / 2, kMeterColour);

    const AM_Rect b = indicatorRect(angle_, radius_, side, side);
    const float ballCentre[2] = {b.x + b.w / 2, b.y + b.h / 2};
    context->setColourPacked(kArcColour);
    context->drawLine(centre, ballCentre, std::max(1.0f, half * 0.04f));
    fillDisc(context, ballCentre, side / 2, kRimColour);
    fillDisc(context, ballCentre, side / 2 - 1.0f, kArcColour);
    fillDisc(context, ballCentre, side * 0.18f, kPointerColour);
}
