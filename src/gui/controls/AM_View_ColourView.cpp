#include "gui/controls/AM_View_ColourView.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "ColourView";
constexpr const char* kEditColourKey = "editColour";
constexpr uint32_t kRequestReply = 13;
constexpr int32_t kInfoLine = 1;

constexpr uint32_t kFloatTypes[] = {k_kindFloat};
const AM_ListenerDescriptor kListeners[] = {
    {0, "Red", 1, kFloatTypes},
    {1, "Green", 1, kFloatTypes},
    {2, "Blue", 1, kFloatTypes},
    {3, "Alpha", 1, kFloatTypes},
};
constexpr char kColourNames[][kGuiNameBytes] = {"Background"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"Background"};

constexpr uint32_t kBlack = 0x000000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;

float* component(AM_Colour* colour, int32_t i)
{
    switch (i) {
    case 0:
        return &colour->r;
    case 1:
        return &colour->g;
    case 2:
        return &colour->b;
    default:
        return &colour->a;
    }
}

uint32_t toByte(float v)
{
    return static_cast<uint32_t>(static_cast<int>(v * 255.0f));
}

} // namespace

AM_View_ColourView::AM_View_ColourView(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "ColourView %u", unsigned(getId()));
    setName(name);
    initControl(0, 0, nullptr, kComponents, kListeners, 1, kColourNames, 1, kGraphicNames, false);
}

AM_ViewControl* AM_View_ColourView::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* view = new AM_View_ColourView(viewMan, bounds);
    view->setFactory(&AM_View_ColourView::create);
    return view;
}

const char* AM_View_ColourView::getTypeName() const
{
    return kTypeName;
}

void AM_View_ColourView::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                        void* ptr)
{
    if (message == kGuiMsgColourReply) {
        auto* colour = dynamic_cast<AM_Colour*>(sender);
        if (colour != nullptr && colour->isSaveable() && viewMan_ != nullptr) {
            viewMan_->addMenuItem(0, kColourCode, colour->getName(), 0,
                                  colour == editColour_ ? kMenuChecked : kMenuCheckable, colour);
        }
    } else if (message == kCtlMsgRename && renamingColour_) {
        renamingColour_ = false;
        const char* text = static_cast<const char*>(ptr);
        if (editColour_ != nullptr && text != nullptr) {
            const size_t length = strnlen(text, kGuiNameBytes);
            if (length == 0 || length >= kGuiNameBytes || !AM_isWritableScriptName(text)) {
                AM_STD::printv("%s: a colour cannot be named '%.31s'\n", getName(), text);
            } else if (viewMan_ != nullptr && viewMan_->getColour(text) != nullptr &&
                       viewMan_->getColour(text) != editColour_) {
                AM_STD::printv("%s: there is a colour named '%s' already\n", getName(), text);
            } else {
                editColour_->setName(text);
                setLabelText(editColour_->getName());
                showOnInfoLine();
            }
        }
        redraw();
        return;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_View_ColourView::listenerValueChanged(int32_t i, const void* value)
{
    if (editColour_ != nullptr && i >= 0 && i < kComponents && value != nullptr) {
        float v = 0.0f;
        std::memcpy(&v, value, sizeof v);
        // A component outside 0..1 would not pack into its byte.
        *component(editColour_, i) = v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
        sendMessage(0xFFFFFFFFu, kCtlMsgColourChanged, 0, editColour_);
        showOnInfoLine();
    }
    redraw();
}

void AM_View_ColourView::formatInfoText(const AM_Colour* colour, char* text, size_t bytes)
{
    if (text == nullptr || bytes == 0) {
        return;
    }
    if (colour == nullptr) {
        text[0] = '\0';
        return;
    }
    const uint32_t packed = (toByte(colour->r) << 24) + (toByte(colour->g) << 16) +
                            (toByte(colour->b) << 8) + toByte(colour->a);
    AM_STD::sprintvn(text, bytes, "RGBA: %X", packed);
}

void AM_View_ColourView::showOnInfoLine()
{
    if (viewMan_ == nullptr || editColour_ == nullptr) {
        return;
    }
    char text[AM_InfoLine::kTextBytes];
    formatInfoText(editColour_, text, sizeof text);
    viewMan_->showInfoLine(kInfoLine, this, editColour_->getName(), text, true);
}

void AM_View_ColourView::updateColourPorts()
{
    if (editColour_ == nullptr) {
        return;
    }
    for (int32_t i = 0; i < kComponents; ++i) {
        AM_PortRecord* port = getListener(i);
        if (port == nullptr || port->owner == nullptr || port->descriptor == nullptr) {
            continue;
        }
        const float v = *component(editColour_, i);
        port->owner->setParameterValue(static_cast<int32_t>(port->descriptor->index), &v);
    }
    showOnInfoLine();
}

void AM_View_ColourView::setEditColour(AM_Colour* colour)
{
    editColour_ = colour;
    if (colour != nullptr) {
        setLabelText(colour->getName());
    }
    updateColourPorts();
    redraw();
}

bool AM_View_ColourView::onMouseDown(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (viewMan_ == nullptr || point == nullptr) {
        return false;
    }
    viewMan_->beginMenu(this, point, kRunMenuId);
    viewMan_->addMenuItem(0, kColourCode, "create new");
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    if (editColour_ != nullptr) {
        char text[64];
        std::snprintf(text, sizeof text, "Rename %s", editColour_->getName());
        viewMan_->addMenuItem(0, AM_menuCommand(kRenameSub, kMenuCodeOwnCommand), text);
    }
    // Every colour answers with message 36; the saveable ones list themselves.
    sendMessage(kGuiColourBit, kRequestReply, kGuiMsgColourReply, nullptr);
    viewMan_->showMenu();
    return false;
}

bool AM_View_ColourView::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                           const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    if (menuId == kRunMenuId) {
        const uint32_t code = AM_menuCode(item->command);
        if (code == kMenuCodeOwnCommand && AM_menuSubIndex(item->command) == kRenameSub &&
            editColour_ != nullptr && viewMan_ != nullptr) {
            renamingColour_ = true;
            char name[kGuiNameBytes];
            std::snprintf(name, sizeof name, "%s", editColour_->getName());
            viewMan_->beginTextEntry(this, kRenameEntryId, name, 0, nullptr);
            return true;
        }
        if (code == kColourCode) {
            AM_Colour* colour = static_cast<AM_Colour*>(item->userData);
            if (colour == nullptr) {
                if (viewMan_ == nullptr) {
                    return true;
                }
                colour = new AM_Colour(viewMan_, nullptr);
                viewMan_->addColour(colour);
            }
            setEditColour(colour);
            return true;
        }
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_ColourView::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    const AM_Rect inner{bounds_.x + 1, bounds_.y + 1, bounds_.w - 2, bounds_.h - 2};
    if (AM_Graphic* graphic = getGraphic(0)) {
        graphic->draw(context, &bounds_, 1.0f);
    } else {
        context->setColourPacked(kBlack);
        context->fillRect(&inner);
        const float halfW = inner.w / 2;
        const float halfH = inner.h / 2;
        const AM_Rect topLeft{inner.x, inner.y, halfW, halfH};
        const AM_Rect bottomRight{inner.x + halfW, inner.y + halfH, inner.w - halfW,
                                  inner.h - halfH};
        context->setColourPacked(kWhite);
        context->fillRect(&topLeft);
        context->fillRect(&bottomRight);
    }
    if (AM_Colour* background = getColour(0)) {
        context->setColourFromObject(background);
        context->fillRect(&inner);
    }
    if (editColour_ != nullptr) {
        context->setColourFromObject(editColour_);
        context->fillRect(&inner);
    }
}

void AM_View_ColourView::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script != nullptr && editColour_ != nullptr) {
        AM_ScriptWriter(*script).property(getName(), kEditColourKey, 0, editColour_->getName());
    }
}

void AM_View_ColourView::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr || std::strcmp(name, kEditColourKey) != 0) {
        return;
    }
    AM_Colour* colour = viewMan_ != nullptr ? viewMan_->getColour(value) : nullptr;
    if (colour == nullptr) {
        AM_STD::printv("%s: no colour named '%s' to edit\n", getName(), value);
        return;
    }
    editColour_ = colour;
}
