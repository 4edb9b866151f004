#pragma once
// A spot of the GUI picture for documentation: it only draws its graphic.
// A click on any hotspot writes an HTML page to the debug trace that shows
// the parent's background picture as an image map with one tool-tip anchor
// per hotspot of the GUI (message 71 asks every hotspot for its part). The
// page is a by-product for a manual; nothing reads it back.
//
// A hotspot answers no other message: it takes no part in the controls'
// message protocol (it is not written when the GUI script is saved).
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_Hotspot : public AM_ViewControl {
public:
    // Message 71: write the page section in the argument (0 the style
    // rules, 1 the anchors, 2 the tip containers).
    static constexpr uint32_t kMsgImageMap = 71;
    // Where the page expects the background picture and the hotspot icon.
    static constexpr const char* kImageFolder = "images/";

    AM_View_Hotspot(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    // Writes the page; keeps the press.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void draw(AM_Context* context) override;

    // The whole page, as a click writes it.
    void writeImageMap();

private:
    void writeSection(uint32_t section);
};
