#pragma once
// The source socket of the patch wires ("Wire Out"). It is bound to no
// parameter: its identity is its name, "Wire@" followed by one of the value
// names of the list parameter its targets (AM_View_WireIn) select. Dragging
// out of it draws a new cord that connects the target it is dropped on;
// dragging with the right button moves every cord of this source to
// another source, or disconnects them all when dropped elsewhere.
//
// Colour slots: 0 "Ring", 1 "Inner", 2 "Wire" (the cord colour); graphic
// slot 0 "WirePlug".
//
// GUI thread only.

#include "gui/controls/AM_WireCord.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_WireOut : public AM_ViewControl {
public:
    static constexpr int32_t kWireColourSlot = 2;
    // Width of the straight line drawn while all cords move.
    static constexpr float kMoveAllLineWidth = 5.0f;

    AM_View_WireOut(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void draw(AM_Context* context) override;
    void drawTopLayer(AM_Context* context, const AM_Rect* clip) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    // The base messages, then 68 (the style in arg).
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;

    // Left button: a new cord in the next cord colour; right button: every
    // cord of this source (counted on the trace, "numWires: %d").
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    // A new cord connects the target under the pointer; moved cords go to
    // the source under it, or all disconnect.
    void onMouseUp(const float* point, uint32_t buttons) override;

    // The cord colour (colour slot 2).
    void setWireColour(AM_Colour* colour);
    AM_Colour* getWireColour() const;
    // With recompute the curve is sampled again from start to end; then the
    // cord's box is invalidated.
    void invalidateWire(bool recompute);

    int32_t getStyle() const { return style_; }
    bool isDraggingAll() const { return draggingAll_; }
    int getPointCount() const { return pointCount_; }
    const float* getPoints() const { return points_; }

private:
    bool draggingAll_ = false;
    float start_[2] = {0.0f, 0.0f};
    float end_[2] = {0.0f, 0.0f};
    int pointCount_ = 0;
    int32_t style_ = 0;
    float points_[2 * kWireRoomPoints] = {};
};
