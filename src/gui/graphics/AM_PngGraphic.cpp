#include "gui/graphics/AM_PngGraphic.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/graphics/AM_ScriptLines.h"

#include <cstring>

namespace {
constexpr size_t kExtensionLength = 4;
constexpr size_t kKeepExtensionUpTo = 8;
} // namespace

AM_PngGraphic::AM_PngGraphic(AM_GuiServices* services, const char* fileName, uint32_t key)
    : AM_Graphic(services, key), fileName_(fileName != nullptr ? fileName : "")
{
    kind_ = kPng;
    if (fileName_.size() >= kLongFileName) {
        char name[kGuiNameBytes];
        AM_STD::sprintvn(name, sizeof name, "png %d", int32_t(nextCounterValue()));
        setName(name);
        return;
    }
    std::string name = fileName_;
    if (name.size() > kKeepExtensionUpTo)
        name.resize(name.size() - kExtensionLength);
    setName(name.c_str());
}

void AM_PngGraphic::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* data)
{
    if (message == kGuiMsgSaveObjects && isSaveable() && useCount_ != 0)
        writeScript(static_cast<std::string*>(data));
    AM_GuiObject::receiveMessage(sender, message, arg, data);
}

void AM_PngGraphic::writeScript(std::string* script)
{
    if (script == nullptr)
        return;
    AM_Graphic::writeScript(script);
    if (!fileName_.empty())
        AM_appendScriptLine(*script, "\nGR_PROPERTY graphic='%s' name='filename' id='0' value='%s'",
                            getName(), fileName_.c_str());
}

AM_PngGraphic* AM_PngGraphic::findByFileName(const char* fileName)
{
    for (AM_GuiObject* node = this; node != nullptr; node = node->getNext())
        if (auto* graphic = dynamic_cast<AM_PngGraphic*>(node))
            if (fileName != nullptr && graphic->fileName_ == fileName)
                return graphic;
    return nullptr;
}
