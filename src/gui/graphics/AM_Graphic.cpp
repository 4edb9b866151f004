#include "gui/graphics/AM_Graphic.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/graphics/AM_ScriptLines.h"

#include <cmath>
#include <cstring>

namespace {

uint32_t gGraphicCounter = 0;

} // namespace

AM_Graphic::AM_Graphic(AM_GuiServices* services, uint32_t key) : AM_GuiObject(services), key_(key)
{
    mask_ |= kGraphicBit;
    char name[kGuiNameBytes];
    AM_STD::sprintvn(name, sizeof name, "Shape %d", int32_t(takeCounter()));
    setName(name);
}

uint32_t AM_Graphic::takeCounter()
{
    return gGraphicCounter++;
}

uint32_t AM_Graphic::nextCounterValue()
{
    return gGraphicCounter;
}

void AM_Graphic::resetCounter()
{
    gGraphicCounter = 0;
}

void AM_Graphic::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* data)
{
    if (message == kGuiMsgSaveObjects && isSaveable())
        writeScript(static_cast<std::string*>(data));
    AM_GuiObject::receiveMessage(sender, message, arg, data);
}

void AM_Graphic::load(uint32_t argument)
{
    if (++useCount_ != 1)
        return;
    for (AM_GuiObject* child = getFirstChild(); child != nullptr; child = child->getNext())
        if (auto* graphic = dynamic_cast<AM_Graphic*>(child))
            graphic->load(argument);
}

AM_Graphic* AM_Graphic::find(const char* name, uint32_t key)
{
    // The following graphics one after the other, so that a long list does
    // not deepen the stack.
    for (AM_Graphic* g = this; g != nullptr; g = dynamic_cast<AM_Graphic*>(g->getNext())) {
        if (key == g->key_ && name != nullptr &&
            std::strncmp(g->getName(), name, kGuiNameBytes) == 0)
            return g;
        if (auto* child = dynamic_cast<AM_Graphic*>(g->getFirstChild()))
            if (AM_Graphic* found = child->find(name, key))
                return found;
    }
    return nullptr;
}

void AM_Graphic::draw(AM_Context*, const AM_Rect*, float) {}

void AM_Graphic::drawRotated(AM_Context*, const AM_Rect*, float, float, float) {}

void AM_Graphic::writeScript(std::string* script)
{
    if (script == nullptr)
        return;
    const char* name = getName();
    AM_appendScriptLine(*script, "\n\nGRAPHIC name='%s' path='%d' type='%s'", name,
                        int32_t(getPathIndex()), getTypeName());
    AM_appendScriptLine(*script, "\nGR_PROPERTY graphic='%s' name='width' id='0' value='%.2f'",
                        name, double(getWidth()));
    AM_appendScriptLine(*script, "\nGR_PROPERTY graphic='%s' name='height' id='0' value='%.2f'",
                        name, double(getHeight()));
    AM_appendScriptLine(*script, "\nGR_PROPERTY graphic='%s' name='scalable' id='0' value='%s'",
                        name, isScalable() ? "yes" : "no");
}

void AM_Graphic::setProperty(const char* name, int, const char* value)
{
    if (name == nullptr || value == nullptr)
        return;
    if (std::strcmp(name, "width") == 0 || std::strcmp(name, "height") == 0) {
        float number = 0;
        AM_STD::scanv(value, "%f", &number);
        if (number > 0 && std::isfinite(number)) {
            if (name[0] == 'w')
                setWidth(number);
            else
                setHeight(number);
        }
    } else if (std::strcmp(name, "scalable") == 0) {
        setScalable(std::strcmp(value, "yes") == 0);
    }
}
