#pragma once
// An animation strip: its children are its frames, one graphic each. A
// value 0..1 picks the frame to draw; a strip whose name ends in
// "_rot<degrees>" cross-fades the two frames around the value, each turned
// toward the exact position (see AM_StripFrames.h).
//
// GUI thread only.

#include "gui/graphics/AM_Graphic.h"

class AM_MultiFrameGraphic : public AM_Graphic {
public:
    AM_MultiFrameGraphic(AM_GuiServices* services, uint32_t key);

    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* data) override;
    // Takes the name; "_rot%d" in it sets the total rotation.
    void setName(const char* name) override;
    // Adds a frame at the end and takes its size.
    void addChild(AM_GuiObject* frame) override;
    void draw(AM_Context* context, const AM_Rect* rect, float value) override;
    // Loads the frames, then takes the first frame's size (frames of image
    // files know theirs only once loaded).
    void load(uint32_t argument) override;

    uint32_t getFrameCount() const { return frameCount_; }
    float getRotation() const { return rotation_; }
    // Adds a frame for every PNG file of folder (a path ending in the
    // separator), in the listing order of its names; each frame is an image
    // graphic of that file with the strip's key. Returns the frames added
    // (0 when the folder cannot be listed).
    uint32_t addFramesFromFolder(const char* folder);
    // The frame at index (from 0), or null.
    AM_Graphic* getFrame(uint32_t index) const;

private:
    uint32_t frameCount_ = 0;
    float rotation_ = 0;
};
