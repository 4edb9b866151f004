#pragma once
// A graphic: a named, drawable resource that controls find by name and key
// (knob strips, backgrounds, buttons, shapes). The base of every graphic
// kind; it keeps the size, the data-folder kind of its file, a use count
// and writes its GRAPHIC and GR_PROPERTY lines into a saved GUI script.
//
// GUI thread only.

#include "gui/graphics/AM_GuiObject.h"
#include "gui/graphics/AM_Rect.h"

#include <cstdint>
#include <string>

class AM_Context;
class AM_PixelMap;

class AM_Graphic : public AM_GuiObject {
public:
    // Mask bit of every graphic; broadcasts to graphics use it as class mask.
    static constexpr uint32_t kGraphicBit = kGuiGraphicBit;
    static constexpr float kDefaultSide = 256.0f;
    enum Kind : uint32_t { kPlain = 0, kPng = 1, kShape = 2 };

    // Named "Shape %d" after the process-wide graphic counter.
    AM_Graphic(AM_GuiServices* services, uint32_t key);

    // On the save message (19), a saveable graphic appends its lines to the
    // script text given as data (a std::string).
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* data) override;

    virtual bool hasAlpha() const { return hasAlpha_; }
    // Counts a use; the first loads the children too.
    virtual void load(uint32_t argument);
    virtual void setPathIndex(uint32_t index) { pathIndex_ = index; }
    virtual uint32_t getPathIndex() const { return pathIndex_; }
    // This graphic, a descendant or a following sibling with the name and
    // key, depth first; null when none has.
    virtual AM_Graphic* find(const char* name, uint32_t key);
    virtual const char* getTypeName() const { return "no type"; }
    virtual uint32_t getKind() const { return kind_; }
    virtual float getWidth() const { return width_; }
    virtual float getHeight() const { return height_; }
    virtual void setWidth(float width) { width_ = width; }
    virtual void setHeight(float height) { height_ = height; }
    virtual bool isScalable() const { return scalable_; }
    virtual void setScalable(bool scalable) { scalable_ = scalable; }
    // Draws the graphic for a value 0..1 into the rectangle (GUI units).
    virtual void draw(AM_Context* context, const AM_Rect* rect, float value);
    // The same turned by angle degrees (counter-clockwise) at an opacity.
    virtual void drawRotated(AM_Context* context, const AM_Rect* rect, float value, float angle,
                             float alpha);
    // Appends the GRAPHIC line and its GR_PROPERTY lines; nothing for null.
    virtual void writeScript(std::string* script);
    // A GR_PROPERTY line's name, id and value text.
    virtual void setProperty(const char* name, int id, const char* value);
    // The decoded image behind the graphic, or null.
    virtual const AM_PixelMap* getPixelMap() const { return nullptr; }

    uint32_t getKey() const { return key_; }
    uint32_t getUseCount() const { return useCount_; }

    // The next number of the process-wide graphic counter; resetCounter sets
    // it to 0 (for tests).
    static uint32_t nextCounterValue();
    static void resetCounter();

protected:
    // Takes the next counter value (and advances the counter).
    static uint32_t takeCounter();

    bool hasAlpha_ = false;
    uint32_t pathIndex_ = 0;
    uint32_t kind_ = kPlain;
    float height_ = kDefaultSide;
    float width_ = kDefaultSide;
    bool scalable_ = true;
    uint32_t key_;
    uint32_t useCount_ = 0;
};
