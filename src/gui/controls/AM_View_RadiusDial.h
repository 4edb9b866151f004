#pragma once
// The radius dial: edits two parameters as the polar coordinates of a ball
// dragged around the dial's centre. Angle 0 points 45 degrees before
// straight up, the angle grows clockwise and its range is one full turn;
// the radius runs from the centre to the edge less the ball's half size. A
// press outside the ball turns the angle by vertical drags (wrapping round);
// a press on the ball drags it. Two output values of the engine (an angle
// and a radius) are polled and shown as a second indicator.
//
// Without graphics the dial draws its own face, ball and indicator, and the
// drawn ball can be dragged like a ball graphic.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_RadiusDial : public AM_ViewControl {
public:
    static constexpr int32_t kAnglePort = 0;
    static constexpr int32_t kRadiusPort = 1;
    static constexpr int32_t kAngleMeterPort = 2;
    static constexpr int32_t kRadiusMeterPort = 3;
    // Meter changes smaller than these are not shown.
    static constexpr float kAngleMeterStep = 0.01f;
    static constexpr float kRadiusMeterStep = 1.0f;

    AM_View_RadiusDial(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_RadiusDial() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;
    void onTimer() override;

    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;

    void draw(AM_Context* context) override;

    // The sensitivity of an angle range.
    static float sensitivityForRange(float range);
    // The angle brought into 0..maximum by whole turns (a non-finite angle
    // or a range that is not positive gives 0).
    static float wrapAngle(float angle, float maximum);

    // The rectangle of an indicator of size (gw, gh) at (angle, radius).
    AM_Rect indicatorRect(float angle, float radius, float gw, float gh) const;
    // The size of the ball (false when there is no ball to drag).
    bool ballSize(float* gw, float* gh) const;

    float getAngle() const { return angle_; }
    float getRadius() const { return radius_; }
    float getAngleMeter() const { return angleMeter_; }
    float getRadiusMeter() const { return radiusMeter_; }
    float getSensitivity() const { return sensitivity_; }
    bool isBallDrag() const { return ballDrag_ != 0; }

private:
    bool engineValue(int32_t port, float* value) const;
    void userSets(int32_t i, float value);
    void drawGenerated(AM_Context* context);

    float angleMinimum_ = 0.0f;
    float angleMaximum_ = 100.0f;
    float angleDefault_ = 50.0f;
    float radiusMinimum_ = 0.0f;
    float radiusMaximum_ = 100.0f;
    float radiusDefault_ = 50.0f;
    float angle_ = 50.0f;
    float radius_ = 50.0f;
    float angleMeter_ = 0.0f;
    float radiusMeter_ = 0.0f;
    int32_t ballDrag_ = 0;
    float startAngle_ = 0.0f;
    float mouseDownPoint_[2] = {0.0f, 0.0f};
    float ballCentre_[2] = {0.0f, 0.0f};
    float sensitivity_ = 1.0f;
};
