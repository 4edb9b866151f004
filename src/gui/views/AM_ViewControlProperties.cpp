// The slot, PARAMETER and LISTENER lines of controls, their base PROPERTY
// keys and renaming.

#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/graphics/AM_ValueToStringObject.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cstring>

namespace {

constexpr const char* kNoResource = "none";
constexpr const char* kColoursKey = "colours";
constexpr const char* kGraphicsKey = "graphics";
constexpr const char* kPrototypeKey = "prototype";

// A fixed-size name field as a terminated text.
std::string fieldText(const char* field, size_t bytes)
{
    return std::string(field, strnlen(field, bytes));
}

} // namespace

void AM_ViewControl::writeSlotAndParameterLines(std::string* script)
{
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    for (int32_t slot = 0; slot < getColourCount(); ++slot) {
        const AM_Colour* colour = getColour(slot);
        writer.property(getName(), kColoursKey, slot,
                        colour != nullptr ? colour->getName() : kNoResource);
    }
    for (int32_t slot = 0; slot < getGraphicCount(); ++slot) {
        const AM_Graphic* graphic = getGraphic(slot);
        writer.property(getName(), kGraphicsKey, slot,
                        graphic != nullptr ? graphic->getName() : kNoResource);
    }
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (host == nullptr) {
        return;
    }
    for (const AM_PortRecord& port : ports_) {
        if (port.parameter == nullptr || port.descriptor == nullptr) {
            continue;
        }
        // An indexed binding is written as its base parameter.
        const AM_ParamInfo* base = host->getParameterInfo(
            static_cast<int32_t>(port.parameter->index) - port.indexOffset, false);
        if (base == nullptr) {
            AM_STD::printv("%s port %s: its parameter is gone, no PARAMETER line\n", getName(),
                           port.descriptor->name);
            continue;
        }
        const AM_ModuleRecord* module = host->getModuleInfoByIndex(base->moduleIndex);
        writer.line("\n", "PARAMETER")
            .text("control", getName())
            .text("port", port.descriptor->name)
            .text("module", module != nullptr ? fieldText(module->shortName, k_moduleShortNameBytes)
                                              : std::string())
            .text("parameter", fieldText(base->shortName, k_shortNameBytes));
        if (port.valueToString != nullptr) {
            writer.text("valuestring", port.valueToString->getName());
        }
    }
}

void AM_ViewControl::writeListenerLines(std::string* script)
{
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    for (int32_t i = 0; i < getNumListeners(); ++i) {
        const AM_PortRecord* port = listeners_[static_cast<size_t>(i)];
        const AM_ViewControl* owner = ownerOf(port);
        if (owner == nullptr || port->descriptor == nullptr) {
            continue;
        }
        writer.line("\n", "LISTENER")
            .text("control", getName())
            .text("port", listenerDescriptors_[i].name)
            .text("listento", owner->getName())
            .text("extport", port->descriptor->name);
    }
}

void AM_ViewControl::setProperty(const char* name, int32_t id, const char* value)
{
    if (name == nullptr || value == nullptr) {
        return;
    }
    if (std::strcmp(name, kPrototypeKey) == 0) {
        AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
        AM_ViewControl* prototype = top != nullptr ? viewMan_->findControl(top, value) : nullptr;
        if (prototype == this) {
            AM_STD::printv("%s cannot be its own prototype\n", getName());
        } else if (prototype != nullptr) {
            setPrototype(prototype); // refuses a cycle, with a trace line
        }
        return;
    }
    const bool colours = std::strcmp(name, kColoursKey) == 0;
    const bool graphics = std::strcmp(name, kGraphicsKey) == 0;
    if (!colours && !graphics) {
        return;
    }
    const int32_t count = colours ? getColourCount() : getGraphicCount();
    if (id < 0 || id >= count) {
        AM_STD::printv("%s: no %s slot %d (it has %d)\n", getName(), name, int(id), int(count));
        return;
    }
    const bool none = std::strcmp(value, kNoResource) == 0 || viewMan_ == nullptr;
    if (colours) {
        AM_Colour* colour = none ? nullptr : viewMan_->getColour(value);
        if (!none && colour == nullptr) {
            AM_STD::printv("%s: no colour named %s", getName(), value);
        }
        colours_[static_cast<size_t>(id)] = colour;
        return;
    }
    AM_Graphic* graphic = none ? nullptr : viewMan_->getGraphic(value);
    if (!none && graphic == nullptr) {
        AM_STD::printv("%s: no graphic named %s", getName(), value);
    }
    graphics_[static_cast<size_t>(id)] = graphic;
    if (graphic != nullptr) {
        graphic->load(id_);
    }
}

bool AM_ViewControl::renameTo(const char* newName)
{
    renamePending_ = false;
    if (newName == nullptr) {
        return false;
    }
    if (std::strcmp(newName, getName()) == 0) {
        return true;
    }
    const size_t length = strnlen(newName, kMaximumNameLength + 1);
    if (length < kMinimumNameLength || length > kMaximumNameLength) {
        AM_STD::printv("A control name has %d to %d characters: %s keeps its name\n",
                       int(kMinimumNameLength), int(kMaximumNameLength), getName());
        return false;
    }
    if (!AM_isWritableScriptName(newName)) {
        AM_STD::printv("Control name refused (a quote, tab, '=' or line break): %s\n", newName);
        return false;
    }
    AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
    if (top != nullptr) {
        const AM_GuiObject* other = top->findByName(newName);
        if (other != nullptr && other != this) {
            AM_STD::printv("A Control called %s already exists!\n", newName);
            return false;
        }
    }
    setName(newName);
    redraw();
    return true;
}
