#include "gui/controls/AM_View_LayerSelector.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_View_Pane.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "LayerSelector";

constexpr uint32_t kIntegerTypes[] = {k_kindInteger};
const AM_PortDescriptor kPorts[] = {{0, "integer", 1, kIntegerTypes}};

enum ColourSlot : int32_t {
    kBackground = 0,
    kBorder = 1,
    kText = 2,
    kBackgroundHilite = 3,
    kTextHilite = 4,
};
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Text",
                                                "BackgroundHilite", "TextHilite"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"SelectorBackground", "SelectorForeGround"};

constexpr const char* kClientPaneKey = "clientpane";
constexpr const char* kSkipSelectedKey = "skipselected";
constexpr const char* kVerticalKey = "vertical";
constexpr const char* kYes = "yes";
constexpr const char* kDefaultKey = "default";
constexpr uint32_t kPreferenceId = 1;

constexpr float kFontSize = 9.0f;

} // namespace

AM_View_LayerSelector::AM_View_LayerSelector(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "LayerSelector %u", unsigned(getId()));
    setName(name);
    state_ |= kStateOwnEditMouseDown;
    initControl(0, 1, kPorts, 0, nullptr, 5, kColourNames, 2, kGraphicNames, false);
}

AM_View_LayerSelector::~AM_View_LayerSelector() = default;

AM_ViewControl* AM_View_LayerSelector::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* selector = new AM_View_LayerSelector(viewMan, bounds);
    selector->setFactory(&AM_View_LayerSelector::create);
    return selector;
}

const char* AM_View_LayerSelector::getTypeName() const
{
    return kTypeName;
}

const char* AM_View_LayerSelector::getValueName(int32_t i) const
{
    return i >= 0 && i < getValueNameCount() ? valueNames_[size_t(i)].data() : nullptr;
}

// --- Binding and values.

void AM_View_LayerSelector::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (i == 0 && parameter != nullptr && parameter->kind() == k_kindInteger) {
        minValue_ = parameter->min;
        maxValue_ = parameter->max;
        defaultValue_ = parameter->defaultValue;
        valueNames_.clear();
        const float span = std::floor(maxValue_ - minValue_) + 1.0f;
        if (!std::isfinite(span) || span < 1.0f || span > float(kMaxValueNames)) {
            AM_STD::printv("%s: no value tabs for a range of %g values\n", getName(),
                           double(span));
        } else {
            AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
            const int32_t count = static_cast<int32_t>(span);
            valueNames_.resize(size_t(count));
            for (int32_t k = 0; k < count; ++k) {
                char text[AM_View_Interface::kDisplayTextBytes + 1] = {};
                const float v = minValue_ + float(k);
                if (host != nullptr) {
                    host->getParameterDisplay(static_cast<int32_t>(parameter->index), &v, text);
                }
                text[AM_View_Interface::kDisplayTextBytes] = '\0';
                std::array<char, kValueNameBytes>& name = valueNames_[size_t(k)];
                name.fill('\0');
                std::snprintf(name.data(), name.size(), "%s", text);
            }
        }
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

int32_t AM_View_LayerSelector::layerOfValue(float value) const
{
    if (clientPane_ == nullptr || !std::isfinite(value)) {
        return -1;
    }
    const float position = value - minValue_ + 0.5f;
    if (position < 0.0f || position >= float(clientPane_->getNumLayers())) {
        return -1;
    }
    return static_cast<int32_t>(position);
}

void AM_View_LayerSelector::setParameterValue(int32_t i, const void* value)
{
    if (i == 0 && value != nullptr) {
        std::memcpy(&value_, value, sizeof value_);
    }
    AM_ViewControl::setParameterValue(i, value);
    if (i == 0 && clientPane_ != nullptr) {
        const int32_t layer = layerOfValue(value_);
        if (layer >= 0 && layer != clientPane_->getCurrentLayer()) {
            clientPane_->selectLayer(layer);
        }
    }
}

void AM_View_LayerSelector::setClientPane(AM_ViewControl* pane)
{
    clientPane_ = pane != this ? pane : nullptr;
    const AM_PortRecord* port = getPort(0);
    if (clientPane_ != nullptr && port != nullptr && port->parameter != nullptr) {
        const int32_t layer = layerOfValue(value_);
        if (layer >= 0 && layer != clientPane_->getCurrentLayer()) {
            clientPane_->selectLayer(layer);
        }
    }
    redraw();
}

void AM_View_LayerSelector::restoreDefault()
{
    if (clientPane_ == nullptr || viewMan_ == nullptr) {
        return;
    }
    const char* stored = viewMan_->findPreference(getName(), kDefaultKey, kPreferenceId);
    if (stored == nullptr) {
        return;
    }
    for (int32_t n = 0; n < clientPane_->getNumLayers(); ++n) {
        const char* layer = clientPane_->getLayerName(n);
        if (layer != nullptr && std::strncmp(layer, stored, kValueNameBytes) == 0) {
            clientPane_->selectLayer(n);
            return;
        }
    }
}

void AM_View_LayerSelector::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                           void* ptr)
{
    const bool fromClient =
        sender != nullptr && clientPane_ != nullptr && static_cast<AM_Object*>(clientPane_) == sender;
    if (message == kPaneMsgLayerChanged && fromClient) {
        redraw();
    } else if (message == kPaneMsgGuiLoaded) {
        restoreDefault();
    } else if (message == kCtlMsgGoingAway && fromClient) {
        clientPane_ = nullptr;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

// --- Mouse and menus.

int32_t AM_View_LayerSelector::slotCount(int32_t layers) const
{
    return skipSelected_ && layers > 1 ? layers - 1 : layers;
}

float AM_View_LayerSelector::fractionAt(const float* point, bool alongY) const
{
    const float start = alongY ? bounds_.y : bounds_.x;
    const float length = alongY ? bounds_.h : bounds_.w;
    const float p = alongY ? point[1] : point[0];
    if (length <= 2.0f) {
        return -1.0f;
    }
    return (p - (start + 1.0f)) / (length - 2.0f);
}

void AM_View_LayerSelector::onDoubleClick(const float* point, uint32_t buttons)
{
    onMouseDown(point, buttons);
}

bool AM_View_LayerSelector::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    if (clientPane_ != nullptr) {
        if ((buttons & 2u) != 0) {
            showRunMenu(point);
            return false;
        }
        const int32_t n = clientPane_->getNumLayers();
        const int32_t c = clientPane_->getCurrentLayer();
        const float f = fractionAt(point, vertical_);
        if (f < 0.0f || n <= 0) {
            return false;
        }
        int32_t i = static_cast<int32_t>(f * float(slotCount(n)));
        if (skipSelected_ && i >= c) {
            ++i;
        }
        if (i >= 0 && i < n) {
            clientPane_->selectLayer(i);
        }
        return false;
    }
    const AM_PortRecord* port = getPort(0);
    if (port != nullptr && port->parameter != nullptr) {
        const float f = fractionAt(point, vertical_);
        if (!std::isfinite(f)) {
            return false;
        }
        float v = std::trunc(f * (maxValue_ - minValue_ + 1.0f) + minValue_);
        v = std::clamp(v, minValue_, maxValue_);
        setValueFromUser(0, &v);
    }
    return false;
}

void AM_View_LayerSelector::showRunMenu(const float* point)
{
    if (viewMan_ == nullptr) {
        return;
    }
    viewMan_->beginMenu(this, point, kRunMenuId);
    viewMan_->addMenuItem(0, AM_menuCommand(kCmdSetDefault, kMenuCodeOwnCommand),
                          "set current to default");
    viewMan_->showMenu();
}

void AM_View_LayerSelector::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    if (viewMan_ == nullptr) {
        return;
    }
    if (open) {
        viewMan_->beginMenu(this, point, kEditMenuId);
        viewMan_->addMenuItem(0, 0, getName());
    }
    AM_ViewControl::buildEditMenu(point, false, extra);
    if (viewMan_->isEditMode()) {
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        const uint32_t panes = viewMan_->addSubMenu(0, "Attach Pane");
        if (panes != AM_MenuTable::kNoSubMenu) {
            if (AM_ViewControl* top = viewMan_->getTopControl()) {
                top->sendMessage(AM_ViewManServices::kControlsClassMask, kCtlMsgLayerMenu, panes,
                                 clientPane_);
            }
        }
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        const auto check = [](bool on) {
            return on ? uint32_t(kMenuChecked) : uint32_t(kMenuCheckable);
        };
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdVertical, kMenuCodeOwnCommand), "vertical", 0,
                              check(vertical_));
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdSkipSelected, kMenuCodeOwnCommand),
                              "skip selected", 0, check(skipSelected_));
    }
    if (open) {
        viewMan_->showMenu();
    }
}

bool AM_View_LayerSelector::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                              const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kRunMenuId && code == kMenuCodeOwnCommand && sub == kCmdSetDefault) {
        if (clientPane_ != nullptr && viewMan_ != nullptr) {
            const char* layer = clientPane_->getLayerName(clientPane_->getCurrentLayer());
            if (layer != nullptr) {
                viewMan_->addPreference(getName(), kDefaultKey, layer, kPreferenceId, 0);
            }
        }
        return true;
    }
    if (menuId == kEditMenuId) {
        if (code == kMenuCodeOwnCommand && sub == kCmdSkipSelected) {
            skipSelected_ = !skipSelected_;
            redraw();
            return true;
        }
        if (code == kMenuCodeOwnCommand && sub == kCmdVertical) {
            vertical_ = !vertical_;
            redraw();
            return true;
        }
        if (code == kMenuCodeAttachControl) {
            setClientPane(static_cast<AM_ViewControl*>(item->userData));
            return true;
        }
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

// --- Drawing.

void AM_View_LayerSelector::drawTabs(AM_Context* context, const AM_Rect& r, int32_t count,
                                     int32_t current, bool skip, bool alongY, bool fromClient)
{
    const int32_t slots = skip && count > 1 ? count - 1 : count;
    if (slots <= 0) {
        return;
    }
    AM_Colour* border = getColour(kBorder);
    AM_Colour* text = getColour(kText);
    AM_Colour* textHilite = getColour(kTextHilite);
    AM_Colour* fillHilite = getColour(kBackgroundHilite);
    const float size = (alongY ? r.h : r.w) / float(slots);
    AM_Rect tab{r.x, r.y, alongY ? r.w : size, alongY ? size : r.h};
    for (int32_t i = 0; i < count; ++i) {
        const bool isCurrent = i == current;
        if (isCurrent && skip) {
            continue;
        }
        if (isCurrent && fillHilite != nullptr) {
            context->setColourFromObject(fillHilite);
            context->fillRect(&tab);
        }
        const char* name = fromClient ? clientPane_->getLayerName(i) : getValueName(i);
        if (text != nullptr && name != nullptr) {
            context->setColourFromObject(isCurrent && textHilite != nullptr ? textHilite : text);
            AM_Rect box = tab;
            box.y -= 2.0f;
            context->drawText(context->fitText(name, box.w), &box, 1, true);
        }
        if (border != nullptr) {
            context->setColourFromObject(border);
            const float from[2] = {tab.x, tab.y};
            const float to[2] = {alongY ? tab.x + tab.w : tab.x, alongY ? tab.y : tab.y + tab.h};
            context->drawLine(from, to, 1.0f);
        }
        if (alongY) {
            tab.y += size;
        } else {
            tab.x += size;
        }
    }
}

void AM_View_LayerSelector::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    if (AM_Graphic* background = getGraphic(0)) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (AM_Colour* fill = getColour(kBackground)) {
        context->setColourFromObject(fill);
        context->fillRect(&bounds_);
    }
    context->setFontSize(kFontSize);
    const AM_Rect r{bounds_.x + 1.5f, bounds_.y + 1.5f, bounds_.w - 3, bounds_.h - 3};
    if (AM_Colour* border = getColour(kBorder)) {
        context->setColourFromObject(border);
        const float points[] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
        context->drawPolyline(points, 4, 1.0f, true);
    }
    float position = 0.5f;
    if (clientPane_ != nullptr) {
        const int32_t n = clientPane_->getNumLayers();
        const int32_t c = clientPane_->getCurrentLayer();
        drawTabs(context, r, n, c, skipSelected_, vertical_, true);
        position = float(c) / float(std::max(n, 2) - 1);
    } else if (!valueNames_.empty()) {
        const int32_t count = getValueNameCount();
        const int32_t current = std::isfinite(value_) ? static_cast<int32_t>(value_) : -1;
        drawTabs(context, r, count, current, false, false, false);
    }
    const AM_PortRecord* port = getPort(0);
    if (port != nullptr && port->parameter != nullptr) {
        const int32_t count = std::max(getValueNameCount(), 2);
        position = std::isfinite(value_) ? std::trunc(value_) / float(count - 1) : 0.0f;
    }
    if (AM_Graphic* foreground = getGraphic(1)) {
        foreground->draw(context, &bounds_, position);
    }
}

// --- The script.

void AM_View_LayerSelector::writeProperties(std::string* script)
{
    AM_ViewControl::writeProperties(script);
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    if (clientPane_ != nullptr) {
        writer.property(getName(), kClientPaneKey, 1, clientPane_->getName());
    }
    if (skipSelected_) {
        writer.property(getName(), kSkipSelectedKey, 1, kYes);
    }
    if (vertical_) {
        writer.property(getName(), kVerticalKey, 1, kYes);
    }
}

void AM_View_LayerSelector::setProperty(const char* name, int32_t id, const char* value)
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
        setClientPane(pane);
    } else if (std::strcmp(name, kSkipSelectedKey) == 0) {
        skipSelected_ = std::strcmp(value, kYes) == 0;
    } else if (std::strcmp(name, kVerticalKey) == 0) {
        vertical_ = std::strcmp(value, kYes) == 0;
    }
}
