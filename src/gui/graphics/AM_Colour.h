#pragma once
// A named colour of the view manager's colour tree, declared in the GUI
// script by a COLOUR line and written back by one on the save message.
//
// Packed colours are u32 0xRRGGBBAA (red in the most significant byte).
// GUI thread only.

#include "gui/graphics/AM_GuiObject.h"

#include <cstdint>
#include <string>

// The float nearest 1/255, used for every byte-to-float conversion of a
// colour channel.
constexpr float kByteToUnit = 0.003921569f;

class AM_Colour : public AM_GuiObject {
public:
    // Named name (cut to 31 bytes), or "Colour %d" by the colour counter when
    // name is null; the counter goes up by one in both cases.
    AM_Colour(AM_GuiServices* services, const char* name, uint32_t packed);
    // The same, opaque black.
    AM_Colour(AM_GuiServices* services, const char* name);

    // On the save message, a saveable colour appends its COLOUR line to the
    // script text given as data (a std::string); then the base's handling.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    // Each byte times kByteToUnit.
    virtual void setRGBA(uint32_t packed);
    // Appends "\n\nCOLOUR name='%s' rgba='%x'"; nothing when script is null.
    virtual void writeScript(std::string* script);

    // trunc(channel * 255) of each channel, in single precision (channels
    // are first kept within 0..1, so a colour always packs to its bytes).
    uint32_t getPacked() const;

    // The colour counter behind the default names; tests reset it to 0.
    static uint32_t colourCounter();
    static void resetColourCounter();

    float r = 0;
    float g = 0;
    float b = 0;
    float a = 1.0f;

private:
    void nameFromCounter(const char* name);
};

// The float channels of a packed colour, as setRGBA converts them.
void AM_unpackColour(uint32_t packed, float rgba[4]);
// The packed form of float channels, as the COLOUR writer converts them.
uint32_t AM_packColour(const float rgba[4]);
