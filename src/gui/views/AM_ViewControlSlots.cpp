// Colour and graphic slots of controls.

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* kDefaultPrefix = "default";

} // namespace

void AM_ViewControl::initSlots(int32_t colourCount, const char (*colourNames)[kGuiNameBytes],
                               int32_t graphicCount, const char (*graphicNames)[kGuiNameBytes])
{
    colourNames_ = colourCount > 0 ? colourNames : nullptr;
    graphicNames_ = graphicCount > 0 ? graphicNames : nullptr;
    colours_.assign(colourNames_ != nullptr ? static_cast<size_t>(colourCount) : 0, nullptr);
    graphics_.assign(graphicNames_ != nullptr ? static_cast<size_t>(graphicCount) : 0, nullptr);
    if (viewMan_ == nullptr) {
        return;
    }
    for (size_t i = 0; i < colours_.size(); ++i) {
        const std::string name = kDefaultPrefix + std::string(colourNames_[i]);
        colours_[i] = viewMan_->getColour(name.c_str());
    }
    for (size_t i = 0; i < graphics_.size(); ++i) {
        const std::string name = kDefaultPrefix + std::string(graphicNames_[i]);
        graphics_[i] = viewMan_->getGraphic(name.c_str());
        if (graphics_[i] != nullptr) {
            graphics_[i]->load(id_);
        }
    }
}

const char* AM_ViewControl::getGraphicName(int32_t slot) const
{
    return slot >= 0 && slot < getGraphicCount() ? graphicNames_[slot] : nullptr;
}

AM_Graphic* AM_ViewControl::getGraphic(int32_t slot) const
{
    return slot >= 0 && slot < getGraphicCount() ? graphics_[static_cast<size_t>(slot)] : nullptr;
}

const char* AM_ViewControl::getColourName(int32_t slot) const
{
    return slot >= 0 && slot < getColourCount() ? colourNames_[slot] : nullptr;
}

AM_Colour* AM_ViewControl::getColour(int32_t slot) const
{
    return slot >= 0 && slot < getColourCount() ? colours_[static_cast<size_t>(slot)] : nullptr;
}

void AM_ViewControl::tellClones(uint32_t message, uint32_t arg, void* data)
{
    if (viewMan_ == nullptr || !viewMan_->getSelectionOption()) {
        return;
    }
    if (tellingClones_) {
        AM_STD::printv("%s: a change came back through its clones, not passed on again\n",
                       getName());
        return;
    }
    tellingClones_ = true;
    sendMessage(kGuiControlBit, message, arg, data);
    tellingClones_ = false;
}

bool AM_ViewControl::setPrototype(AM_ViewControl* prototype)
{
    int32_t links = 0;
    for (const AM_ViewControl* p = prototype; p != nullptr; p = p->getPrototype()) {
        if (p == this) {
            AM_STD::printv("%s cannot follow %s: the prototypes would make a cycle\n", getName(),
                           prototype->getName());
            return false;
        }
        if (++links > kMaxPrototypeChain - 1) {
            AM_STD::printv("%s cannot follow %s: a chain of prototypes holds at most %d "
                           "controls\n",
                           getName(), prototype->getName(), int(kMaxPrototypeChain));
            return false;
        }
    }
    prototype_ = prototype;
    return true;
}

void AM_ViewControl::setGraphic(AM_Graphic* graphic, int32_t slot)
{
    if (slot < 0 || slot >= getGraphicCount()) {
        return;
    }
    if ((state_ & kStateSelected) != 0 && viewMan_ != nullptr) {
        if (auto* focused = dynamic_cast<AM_ViewControl*>(viewMan_->getFocusedControl())) {
            focused->setGraphicByName(graphic, getGraphicName(slot));
            if (graphic != nullptr) {
                graphic->load(id_);
            }
            return;
        }
    }
    graphics_[static_cast<size_t>(slot)] = graphic;
    if (graphic != nullptr) {
        graphic->load(id_);
    }
    redraw();
    tellClones(kCtlMsgPrototypeGraphic, static_cast<uint32_t>(slot), graphic);
}

void AM_ViewControl::setGraphicByName(AM_Graphic* graphic, const char* slotName)
{
    if (slotName == nullptr) {
        return;
    }
    setOwnGraphicByName(graphic, slotName);
    forRestOfSelection(false, [graphic, slotName](AM_ViewControl* c) {
        c->setOwnGraphicByName(graphic, slotName);
    });
}

void AM_ViewControl::setOwnGraphicByName(AM_Graphic* graphic, const char* slotName)
{
    for (int32_t slot = 0; slot < getGraphicCount(); ++slot) {
        if (std::strncmp(graphicNames_[slot], slotName, kGuiNameBytes) == 0) {
            graphics_[static_cast<size_t>(slot)] = graphic;
            if (graphic != nullptr) {
                graphic->load(id_);
            }
            redraw();
            tellClones(kCtlMsgPrototypeGraphic, static_cast<uint32_t>(slot), graphic);
        }
    }
}

void AM_ViewControl::setColour(AM_Colour* colour, int32_t slot)
{
    if (slot < 0 || slot >= getColourCount()) {
        return;
    }
    if ((state_ & kStateSelected) != 0 && viewMan_ != nullptr) {
        if (auto* focused = dynamic_cast<AM_ViewControl*>(viewMan_->getFocusedControl())) {
            focused->setColourByName(colour, getColourName(slot));
            return;
        }
    }
    colours_[static_cast<size_t>(slot)] = colour;
    redraw();
    tellClones(kCtlMsgPrototypeColour, static_cast<uint32_t>(slot), colour);
}

void AM_ViewControl::setColourByName(AM_Colour* colour, const char* slotName)
{
    if (slotName == nullptr) {
        return;
    }
    setOwnColourByName(colour, slotName);
    forRestOfSelection(
        false, [colour, slotName](AM_ViewControl* c) { c->setOwnColourByName(colour, slotName); });
}

void AM_ViewControl::setOwnColourByName(AM_Colour* colour, const char* slotName)
{
    for (int32_t slot = 0; slot < getColourCount(); ++slot) {
        if (std::strncmp(colourNames_[slot], slotName, kGuiNameBytes) == 0) {
            colours_[static_cast<size_t>(slot)] = colour;
            redraw();
            tellClones(kCtlMsgPrototypeColour, static_cast<uint32_t>(slot), colour);
        }
    }
}
