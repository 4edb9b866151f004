#include "gui/controls/AM_View_Button.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ActionTable.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "Button On-Off";

constexpr uint32_t kButtonTypes[] = {k_kindInteger};
const AM_PortDescriptor kPorts[] = {{0, "Button Value", 1, kButtonTypes}};

enum ColourSlot : int32_t {
    kBackground = 0,
    kBorder = 1,
    kText = 2,
    kBackgroundHilite = 3,
    kTextHilite = 4,
};
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Text",
                                                "BackgroundHilite", "TextHilite"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"ButtonBackground", "ButtonForeGround"};

constexpr const char* kClientPaneKey = "clientpane";
constexpr const char* kActionKey = "ActionID";
constexpr const char* kPushOnlyKey = "PushOnly";

// The drawn button.
constexpr uint32_t kFaceColour = 0x3A3F47FF;
constexpr uint32_t kFaceOnColour = 0xE9A23BFF;
constexpr uint32_t kEdgeColour = 0x16181CFF;
constexpr uint32_t kFaceTextColour = 0xD8DBE0FF;
constexpr uint32_t kFaceOnTextColour = 0x1C1E22FF;
constexpr float kCornerInset = 1.0f;

} // namespace

AM_View_Button::AM_View_Button(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Button %u", unsigned(getId()));
    setName(name);
    initControl(0, 1, kPorts, 0, nullptr, 5, kColourNames, 2, kGraphicNames, false);
}

AM_View_Button::~AM_View_Button() = default;

AM_ViewControl* AM_View_Button::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* button = new AM_View_Button(viewMan, bounds);
    button->setFactory(&AM_View_Button::create);
    return button;
}

const char* AM_View_Button::getTypeName() const
{
    return kTypeName;
}

void AM_View_Button::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (i == 0 && parameter != nullptr) {
        minimum_ = parameter->min;
        maximum_ = parameter->max;
        default_ = parameter->defaultValue;
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_Button::setParameterValue(int32_t i, const void* value)
{
    if (value != nullptr) {
        std::memcpy(&value_, value, sizeof value_);
    }
    AM_ViewControl::setParameterValue(i, value);
}

void AM_View_Button::onDoubleClick(const float* point, uint32_t buttons)
{
    onMouseDown(point, buttons);
    if (pushOnly_ != 0) {
        onMouseUp(point, buttons);
    }
}

void AM_View_Button::followClientPane()
{
    if (clientPane_ != nullptr) {
        value_ = clientPane_->isVisible() ? 1.0f : 0.0f;
    }
}

bool AM_View_Button::onMouseDown(const float* point, uint32_t buttons)
{
    (void)buttons;
    const float next = value_ != onValue_ ? onValue_ : minimum_;
    setValueFromUser(0, &next);
    if (clientPane_ != nullptr) {
        followClientPane();
        clientPane_->redraw();
        clientPane_->setVisible(!clientPane_->isVisible(), kAllLayers, false);
        followClientPane();
        redraw();
    }
    if (actionCode_ != 0) {
        if (actionCode_ == kWebAction) {
            AM_ControlMenu menu;
            menu.push_back({"visit website", AM_controlCommand(kVisitWebsite), false, false});
            return AM_openControlMenu(viewMan_, this, point, kControlRunMenu, menu);
        }
        performAction();
    }
    return pushOnly_ != 0;
}

void AM_View_Button::onMouseUp(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    if (pushOnly_ != 0) {
        setValueFromUser(0, &minimum_);
    }
}

void AM_View_Button::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    if (message == kCtlMsgGoingAway && sender != nullptr && clientPane_ != nullptr &&
        static_cast<AM_Object*>(clientPane_) == sender) {
        clientPane_ = nullptr;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_View_Button::performAction()
{
    if (viewMan_ != nullptr) {
        viewMan_->performAction(actionCode_);
    }
}

void AM_View_Button::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    followClientPane();
    AM_Graphic* background = getGraphic(0);
    AM_Graphic* foreground = getGraphic(1);
    AM_Colour* fill = getColour(kBackground);
    AM_Colour* border = getColour(kBorder);
    AM_Colour* text = getColour(kText);
    if (background == nullptr && foreground == nullptr && fill == nullptr && border == nullptr &&
        text == nullptr) {
        drawGenerated(context);
        return;
    }
    if (background != nullptr) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (foreground != nullptr) {
        foreground->draw(context, &bounds_, value_);
    }
    const bool on = isOn();
    if (fill != nullptr) {
        AM_Colour* hilite = getColour(kBackgroundHilite);
        context->setColourFromObject(on && hilite != nullptr ? hilite : fill);
        context->fillRect(&bounds_);
    }
    if (border != nullptr) {
        context->setColourFromObject(border);
        const AM_Rect frame{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1, bounds_.h - 1};
        context->frameRect(&frame);
    }
    if (text != nullptr) {
        context->setFontSize(textSize_);
        AM_Colour* hilite = getColour(kTextHilite);
        context->setColourFromObject(on && hilite != nullptr ? hilite : text);
        AM_Rect box = bounds_;
        box.y += textVOffset_;
        context->drawText(on ? onText_ : offText_, &box, hAlign_, vAlign_ == 1);
    }
}

void AM_View_Button::drawGenerated(AM_Context* context)
{
    const bool on = isOn();
    const AM_Rect outer = bounds_;
    context->setColourPacked(kEdgeColour);
    context->fillRect(&outer);
    const AM_Rect face{bounds_.x + kCornerInset, bounds_.y + kCornerInset,
                       std::max(0.0f, bounds_.w - 2 * kCornerInset),
                       std::max(0.0f, bounds_.h - 2 * kCornerInset)};
    context->setColourPacked(on ? kFaceOnColour : kFaceColour);
    context->fillRect(&face);
    context->setFontSize(textSize_);
    context->setColourPacked(on ? kFaceOnTextColour : kFaceTextColour);
    // Centred by the font's height, the text sits a little low on a face
    // this small: half the text offset lifts it.
    AM_Rect box = face;
    box.y += textVOffset_ * 0.5f;
    context->drawText(on ? onText_ : offText_, &box, 1, true);
}

void AM_View_Button::writeProperties(std::string* script)
{
    AM_ViewControl::writeProperties(script);
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    if (clientPane_ != nullptr) {
        writer.property(getName(), kClientPaneKey, 1, clientPane_->getName());
    }
    if (actionCode_ != 0) {
        char code[16];
        std::snprintf(code, sizeof code, "%X", unsigned(actionCode_));
        writer.property(getName(), kActionKey, 1, code);
    }
    if (pushOnly_ != 0) {
        writer.property(getName(), kPushOnlyKey, 1, "Yes");
    }
}

void AM_View_Button::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr) {
        return;
    }
    if (std::strcmp(name, kClientPaneKey) == 0) {
        AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
        auto* pane = top != nullptr ? dynamic_cast<AM_ViewControl*>(top->findByName(value)) : nullptr;
        if (pane == nullptr || pane == this) {
            AM_STD::printv("WOOOPS... %s wants clientpane %s, but it doesn't exist...\n", getName(),
                           value);
            return;
        }
        clientPane_ = pane;
    } else if (std::strcmp(name, kActionKey) == 0) {
        unsigned code = 0;
        if (std::sscanf(value, "%X", &code) == 1) {
            actionCode_ = code;
        }
    } else if (std::strcmp(name, kPushOnlyKey) == 0) {
        pushOnly_ = std::strcmp(value, "Yes") == 0 ? 1 : 0;
    }
}

void AM_View_Button::setAction(uint32_t actionCode, const char* text)
{
    std::snprintf(onText_, sizeof onText_, "%s", text != nullptr ? text : "");
    std::snprintf(offText_, sizeof offText_, "%s", onText_);
    pushOnly_ = 1;
    actionCode_ = actionCode;
}

void AM_View_Button::setClientPane(AM_ViewControl* pane)
{
    clientPane_ = pane;
    if (pane != nullptr) {
        pane->redraw();
    }
    redraw();
}

AM_ControlMenu AM_View_Button::buildEditItems() const
{
    AM_ControlMenu menu;
    AM_addMenuSeparator(&menu);
    menu.push_back({"Push Only", AM_controlCommand(kTogglePushOnly), true, pushOnly_ != 0});
    AM_addMenuSeparator(&menu);
    return menu;
}

bool AM_View_Button::applyMenuCommand(uint32_t menuId, uint32_t command, void* userData)
{
    const uint32_t code = command & 0xFFFF;
    const uint32_t sub = command >> 16;
    if (menuId == kControlEditMenu) {
        if (code == kControlMenuCode && sub < kTogglePushOnly) {
            // An item of the action list: its row carries the code.
            const auto* row = static_cast<const AM_ActionTableEntry*>(userData);
            actionCode_ = row != nullptr ? row->code : 0;
            return false;
        }
        if (code == kControlMenuCode && sub == kTogglePushOnly) {
            pushOnly_ = pushOnly_ != 0 ? 0 : 1;
            return false;
        }
        if (code == kAttachPaneCode) {
            auto* pane = static_cast<AM_ViewControl*>(userData);
            clientPane_ = pane != this ? pane : nullptr;
            redraw();
            return true;
        }
        return false;
    }
    if (menuId == kControlRunMenu && code == kControlMenuCode && sub == kVisitWebsite &&
        viewMan_ != nullptr) {
        // A button named by a web address opens that page.
        const char* name = getName();
        const bool isAddress = name != nullptr && std::strncmp(name, "http", 4) == 0;
        viewMan_->performAction(actionCode_, isAddress ? name : nullptr);
    }
    return false;
}

bool AM_View_Button::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                       const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const bool own = (menuId == kControlEditMenu || menuId == kControlRunMenu) &&
                     (AM_menuCode(item->command) == kControlMenuCode ||
                      (menuId == kControlEditMenu && AM_menuCode(item->command) == kAttachPaneCode));
    if (applyMenuCommand(menuId, item->command, item->userData)) {
        return true;
    }
    const bool used = AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    return own || used;
}

void AM_View_Button::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    if (viewMan_ == nullptr || (open && point == nullptr)) {
        return;
    }
    if (open) {
        viewMan_->beginMenu(this, point, kControlEditMenu);
        viewMan_->addMenuItem(0, 0, getName());
    }
    AM_ViewControl::buildEditMenu(point, false, extra);
    AM_addControlMenuItems(viewMan_, buildEditItems());
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    // Every container offers itself as the pane, the current one checked.
    const uint32_t panes = viewMan_->addSubMenu(0, "Attach Pane");
    sendMessage(kGuiControlBit, kCtlMsgContainerMenu, panes, clientPane_);
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    for (const AM_ActionTableEntry* row = AM_actionTable; row->code != 0; ++row) {
        viewMan_->addMenuItem(0, AM_controlCommand(kActionListItem), row->label, 0,
                              row->code == actionCode_ ? kMenuChecked : kMenuCheckable,
                              const_cast<AM_ActionTableEntry*>(row));
    }
    if (open) {
        viewMan_->showMenu();
    }
}
