#include "gui/graphics/AM_Colour.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_GuiMessages.h"

#include <cmath>

namespace {

uint32_t g_colourCounter = 0;

constexpr float kUnitToByte = 255.0f;

uint32_t channelToByte(float value)
{
    // NaN and values outside 0..1 would not pack into one byte.
    if (!(value > 0.0f))
        return 0;
    if (value > 1.0f)
        value = 1.0f;
    return static_cast<uint32_t>(value * kUnitToByte);
}

} // namespace

void AM_unpackColour(uint32_t packed, float rgba[4])
{
    rgba[0] = static_cast<float>(packed >> 24) * kByteToUnit;
    rgba[1] = static_cast<float>((packed >> 16) & 0xFF) * kByteToUnit;
    rgba[2] = static_cast<float>((packed >> 8) & 0xFF) * kByteToUnit;
    rgba[3] = static_cast<float>(packed & 0xFF) * kByteToUnit;
}

uint32_t AM_packColour(const float rgba[4])
{
    return (channelToByte(rgba[0]) << 24) + (channelToByte(rgba[1]) << 16) +
           (channelToByte(rgba[2]) << 8) + channelToByte(rgba[3]);
}

AM_Colour::AM_Colour(AM_GuiServices* services, const char* name, uint32_t packed)
    : AM_GuiObject(services)
{
    mask_ |= kGuiColourBit;
    nameFromCounter(name);
    setRGBA(packed);
}

AM_Colour::AM_Colour(AM_GuiServices* services, const char* name) : AM_GuiObject(services)
{
    mask_ |= kGuiColourBit;
    nameFromCounter(name);
}

void AM_Colour::nameFromCounter(const char* name)
{
    if (name != nullptr) {
        setName(name);
    } else {
        char text[kGuiNameBytes];
        AM_STD::sprintvn(text, sizeof text, "Colour %d", static_cast<int>(g_colourCounter));
        setName(text);
    }
    ++g_colourCounter;
}

void AM_Colour::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    if (message == kGuiMsgSaveObjects && isSaveable())
        writeScript(static_cast<std::string*>(ptr));
    AM_GuiObject::receiveMessage(sender, message, arg, ptr);
}

void AM_Colour::setRGBA(uint32_t packed)
{
    float rgba[4];
    AM_unpackColour(packed, rgba);
    r = rgba[0];
    g = rgba[1];
    b = rgba[2];
    a = rgba[3];
}

uint32_t AM_Colour::getPacked() const
{
    const float rgba[4] = {r, g, b, a};
    return AM_packColour(rgba);
}

void AM_Colour::writeScript(std::string* script)
{
    if (script == nullptr)
        return;
    // The name is at most 31 bytes and the number at most 8 digits.
    char line[96];
    const uint32_t packed = getPacked();
    AM_STD::sprintvn(line, sizeof line, "\n\nCOLOUR name='%s' rgba='%x'", getName(), packed);
    script->append(line);
}

uint32_t AM_Colour::colourCounter()
{
    return g_colourCounter;
}

void AM_Colour::resetColourCounter()
{
    g_colourCounter = 0;
}
