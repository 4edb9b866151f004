#include "gui/controls/AM_View_WireIn.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_ControlMenu.h"
#include "gui/controls/AM_View_WireOut.h"
#include "gui/controls/AM_WireShared.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "Wire In";
constexpr uint32_t kListTypes[] = {k_kindInteger};
constexpr uint32_t kTextTypes[] = {k_typeTextData};
const AM_PortDescriptor kPorts[] = {{0, "Wire Param", 1, kListTypes},
                                    {1, "WireSeqText", 1, kTextTypes}};
constexpr char kColourNames[][kGuiNameBytes] = {"Ring", "Inner", "Outer", "Wire"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"WirePlug"};
constexpr uint32_t kShiftButton = 1;
constexpr uint32_t kRightButton = 2;
// The longest value name a source socket's name can carry.
constexpr size_t kNameAfterPrefix = kGuiNameBytes - 1 - kWireSourcePrefixLength;

// A parameter's float field as a whole number (truncated), held to the
// range an int32_t holds; 0 for a value that is not finite.
int32_t whole(float v)
{
    if (!std::isfinite(v)) {
        return 0;
    }
    constexpr float kLimit = 2147483520.0f;
    return static_cast<int32_t>(std::clamp(v, -kLimit, kLimit));
}

// "Wire@" and the value name, cut to the longest name a control has.
void sourceName(const char* valueName, char name[kGuiNameBytes])
{
    std::memcpy(name, kWireSourcePrefix, kWireSourcePrefixLength);
    const size_t length = strnlen(valueName, kNameAfterPrefix);
    std::memcpy(name + kWireSourcePrefixLength, valueName, length);
    name[kWireSourcePrefixLength + length] = '\0';
}

bool inside(const AM_Rect& r, const float* p)
{
    return p != nullptr && p[0] >= r.x && p[0] < r.x + r.w && p[1] >= r.y && p[1] < r.y + r.h;
}

} // namespace

AM_View_WireIn::AM_View_WireIn(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Wire In %u", unsigned(getId()));
    setName(name);
    initControl(0, 2, kPorts, 0, nullptr, 4, kColourNames, 1, kGraphicNames, false);
    style_ = AM_WireShared::style();
    if (AM_Colour* colour = AM_WireShared::initialCordColour(viewMan_)) {
        setWireColour(colour);
    }
}

AM_ViewControl* AM_View_WireIn::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* socket = new AM_View_WireIn(viewMan, bounds);
    socket->setFactory(&AM_View_WireIn::create);
    return socket;
}

const char* AM_View_WireIn::getTypeName() const
{
    return kTypeName;
}

void AM_View_WireIn::draw(AM_Context* context)
{
    AM_WireShared::drawSocket(this, context);
}

void AM_View_WireIn::drawTopLayer(AM_Context* context, const AM_Rect* clip)
{
    if (context == nullptr || clip == nullptr) {
        return;
    }
    if (source_ != nullptr) {
        if (!isVisible() || !source_->isVisible()) {
            return;
        }
    } else if (!(AM_WireShared::newCord && AM_WireShared::dragInProgress)) {
        return;
    }
    drawWire(clip, context, points_, pointCount_, getWireColour(), style_);
}

void AM_View_WireIn::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_ControlMenu items;
    AM_addMenuSeparator(&items);
    if (source_ != nullptr) {
        items.push_back({"Create WireSource clones", AM_controlCommand(kCloneSourcesSub)});
    }
    AM_buildClassEditMenu(this, point, open, extra, items);
}

bool AM_View_WireIn::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                       const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kEditMenuId && code == kStyleCode && sub == kCloneSourcesSub) {
        cloneSources();
        return true;
    }
    if (menuId == kRunMenuId && code == kStyleCode) {
        chooseStyle(static_cast<int32_t>(sub));
        return true;
    }
    if (menuId == kRunMenuId && code == kValueCode) {
        const int64_t value = int64_t(sub) + minimum_;
        if (value != value_ && value >= minimum_ && value <= maximum_) {
            const float v = static_cast<float>(value);
            setValueFromUser(kParamPort, &v);
        }
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_WireIn::chooseStyle(int32_t style)
{
    if (style < 0 || style >= kWireStyleCount) {
        return;
    }
    AM_WireShared::setStyle(style);
    if (style != style_) {
        sendMessage(0, kWireMsgStyle, static_cast<uint32_t>(style), nullptr);
        style_ = style;
        invalidateWire();
    }
    style_ = style;
    if (viewMan_ != nullptr) {
        viewMan_->addPreference(kWirePrefType, kWirePrefProperty, wireStyleName(style), kWirePrefId,
                                kWirePrefScope);
    }
}

void AM_View_WireIn::cloneSources()
{
    AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
    if (source_ == nullptr || top == nullptr || valueNames_.empty() || maximum_ <= minimum_) {
        return;
    }
    const int32_t count = std::min<int32_t>(maximum_ - minimum_, int32_t(valueNames_.size()));
    for (int32_t i = 0; i < count; ++i) {
        const char* valueName = valueNames_[size_t(i)].data();
        char name[kGuiNameBytes];
        sourceName(valueName, name);
        if (top->findByName(name) != nullptr) {
            continue;
        }
        if (AM_ViewControl* copy = source_->clone(false, nullptr, 0.0f, 0.0f)) {
            copy->setName(name);
            copy->setLabelText(valueName);
        }
    }
}

void AM_View_WireIn::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (i == kParamPort) {
        valueNames_.clear();
        if (parameter != nullptr && parameter->type == k_kindInteger) {
            minimum_ = whole(parameter->min);
            maximum_ = whole(parameter->max);
            defaultValue_ = whole(parameter->defaultValue);
            const int64_t count = int64_t(maximum_) - minimum_ + 1;
            AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
            if (count < 1 || count > kMaxValueNames) {
                AM_STD::printv("%s: no wire names for %lld values\n", getName(),
                               static_cast<long long>(count));
            } else {
                valueNames_.resize(size_t(count));
                for (int32_t k = 0; k < int32_t(count); ++k) {
                    char text[AM_View_Interface::kDisplayTextBytes + 1] = {};
                    const float v = static_cast<float>(minimum_ + k);
                    if (host != nullptr) {
                        host->getParameterDisplay(static_cast<int32_t>(parameter->index), &v,
                                                  text);
                    }
                    text[AM_View_Interface::kDisplayTextBytes] = '\0';
                    std::array<char, kValueNameBytes>& name = valueNames_[size_t(k)];
                    name.fill('\0');
                    std::snprintf(name.data(), name.size(), "%s", text);
                }
            }
        }
    } else if (i == kTextPort) {
        wireText_.clear();
        wireTextPending_ = false;
        if (parameter != nullptr && parameter->type == k_typeTextData) {
            const int32_t size = std::clamp(whole(parameter->max), 1, kMaxWireText);
            wireText_.assign(size_t(size), '\0');
            setTimer(true);
        }
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

const char* AM_View_WireIn::getValueName(int32_t i) const
{
    return i >= 0 && size_t(i) < valueNames_.size() ? valueNames_[size_t(i)].data() : nullptr;
}

AM_View_WireOut* AM_View_WireIn::findSourceFor(int32_t value) const
{
    const int64_t index = int64_t(value) - minimum_;
    AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
    if (top == nullptr || index < 0 || index >= int64_t(valueNames_.size())) {
        return nullptr;
    }
    // A name holds at most 31 characters: the look-up name is cut there, as
    // the source's own name is.
    char name[kGuiNameBytes];
    sourceName(valueNames_[size_t(index)].data(), name);
    return dynamic_cast<AM_View_WireOut*>(top->findByName(name));
}

void AM_View_WireIn::setParameterValue(int32_t i, const void* value)
{
    AM_ViewControl::setParameterValue(i, value);
    if (value == nullptr) {
        return;
    }
    if (i == kParamPort) {
        float v = 0.0f;
        std::memcpy(&v, value, sizeof v);
        setValueNumber(whole(v + 0.5f));
    } else if (i == kTextPort && !wireText_.empty() && value != wireText_.data()) {
        // (The keeper's own text comes back here when it is sent: it is kept.)
        const char* text = static_cast<const char*>(value);
        std::fill(wireText_.begin(), wireText_.end(), '\0');
        // The text parameter holds the buffer's size: never read past it.
        const size_t length = strnlen(text, wireText_.size() - 1);
        std::memcpy(wireText_.data(), text, length);
        if (length > 0 && !AM_WireShared::dragInProgress) {
            wireTextPending_ = true;
        }
    }
}

void AM_View_WireIn::setValueNumber(int32_t value)
{
    value_ = value;
    invalidateWire();
    AM_View_WireOut* found = nullptr;
    if (!valueNames_.empty()) {
        found = findSourceFor(value);
        sourcePending_ = found == nullptr && value != 0 ? 1 : 0;
    }
    source_ = value != 0 ? found : nullptr;
    if (viewMan_ != nullptr) {
        viewMan_->setTopLayerControl(this, source_ != nullptr);
    }
    if (source_ == nullptr) {
        proxy_ = nullptr;
    }
    updateWireGeometry(true);
    invalidateWire();
}

void AM_View_WireIn::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr || std::strcmp(name, kWireUpProperty) != 0) {
        return;
    }
    // A source's name is "Wire@" and a value name; shorter names name none.
    if (strnlen(value, kWireSourcePrefixLength) < size_t(kWireSourcePrefixLength)) {
        return;
    }
    const char* wanted = value + kWireSourcePrefixLength;
    for (size_t k = 0; k < valueNames_.size(); ++k) {
        if (std::strncmp(wanted, valueNames_[k].data(), kNameAfterPrefix) == 0) {
            const float v = static_cast<float>(minimum_ + int32_t(k));
            setValueFromUser(kParamPort, &v);
            return;
        }
    }
}

void AM_View_WireIn::setWireColour(AM_Colour* colour)
{
    AM_WireShared::setCordColour(this, kWireColourSlot, colour);
}

AM_Colour* AM_View_WireIn::getWireColour() const
{
    return getColour(kWireColourSlot);
}

void AM_View_WireIn::assignNextWireColour()
{
    AM_Colour* colour = AM_WireShared::nextCordColour(viewMan_);
    if (colour == nullptr) {
        return;
    }
    if (source_ == nullptr) {
        setWireColour(colour);
    } else {
        source_->setWireColour(colour);
    }
}

void AM_View_WireIn::updateWireGeometry(bool recompute)
{
    if (source_ != nullptr && !beingDragged_) {
        if (recompute) {
            const AM_ViewControl* from = source_;
            if (proxy_ != nullptr) {
                if (proxy_->source_ == source_ && proxy_ != this) {
                    from = proxy_;
                } else {
                    proxy_ = nullptr;
                }
            }
            AM_WireShared::centreOf(from, start_);
            AM_WireShared::centreOf(this, end_);
            pointCount_ = wireCurve(points_, start_, end_, nullptr);
        }
    } else if (recompute) {
        pointCount_ = wireCurve(points_, start_, end_, nullptr);
    }
    AM_WireShared::invalidatePoints(viewMan_, points_, pointCount_);
}

void AM_View_WireIn::invalidateWire()
{
    if (source_ != nullptr) {
        AM_WireShared::invalidatePoints(viewMan_, points_, pointCount_);
    }
}

void AM_View_WireIn::boundsChanged()
{
    updateWireGeometry(true);
}

bool AM_View_WireIn::paramBound() const
{
    const AM_PortRecord* port = const_cast<AM_View_WireIn*>(this)->getPort(kParamPort);
    return port != nullptr && port->parameter != nullptr && port->parameter->type == k_kindInteger;
}

uint32_t AM_View_WireIn::addValueMenuItems()
{
    if (viewMan_ == nullptr) {
        return 0;
    }
    uint32_t checked = 0;
    for (size_t k = 0; k < valueNames_.size(); ++k) {
        const bool current = int64_t(k) + minimum_ == value_;
        const uint32_t index =
            viewMan_->addMenuItem(0, AM_menuCommand(uint32_t(k), kValueCode),
                                  valueNames_[k].data(), 0, current ? kMenuChecked : kMenuCheckable);
        if (current && checked == 0) {
            checked = index;
        }
    }
    return checked;
}

bool AM_View_WireIn::onMouseDown(const float* point, uint32_t buttons)
{
    AM_WireShared::newCord = false;
    beingDragged_ = false;
    if (point == nullptr || !paramBound()) {
        return false;
    }
    if ((buttons & kRightButton) != 0) {
        if (viewMan_ == nullptr) {
            return false;
        }
        viewMan_->beginMenu(this, point, kRunMenuId);
        // Opened on the current value.
        viewMan_->setMenuInitialItem(addValueMenuItems());
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        for (int32_t s = 0; s < kWireStyleCount; ++s) {
            viewMan_->addMenuItem(0, AM_menuCommand(uint32_t(s), kStyleCode), wireStyleName(s), 0,
                                  s == style_ ? kMenuChecked : kMenuCheckable);
        }
        return viewMan_->showMenu();
    }
    AM_WireShared::dragInProgress = true;
    AM_WireShared::cloning = false;
    if (source_ != nullptr) {
        if ((buttons & kShiftButton) != 0) {
            AM_STD::printv("cloning Wire form source\n");
            AM_WireShared::cloning = true;
            assignNextWireColour();
            source_->onMouseDown(point, buttons);
            return true;
        }
        source_->setWireColour(getWireColour());
    } else {
        AM_WireShared::newCord = true;
        proxy_ = nullptr;
        assignNextWireColour();
    }
    if (AM_WireShared::newCord) {
        AM_WireShared::centreOf(this, start_);
        if (viewMan_ != nullptr) {
            viewMan_->setTopLayerControl(this, true);
        }
    } else {
        AM_WireShared::centreOf(proxy_ != nullptr ? static_cast<AM_ViewControl*>(proxy_)
                                                  : static_cast<AM_ViewControl*>(source_),
                                start_);
        beingDragged_ = true;
    }
    end_[0] = point[0];
    end_[1] = point[1];
    return true;
}

void AM_View_WireIn::onMouseDrag(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return;
    }
    if (AM_WireShared::cloning) {
        if (source_ != nullptr) {
            source_->onMouseDrag(point, buttons);
        }
        return;
    }
    updateWireGeometry(false);
    end_[0] = point[0];
    end_[1] = point[1];
    updateWireGeometry(true);
}

void AM_View_WireIn::onMouseUp(const float* point, uint32_t buttons)
{
    beingDragged_ = false;
    AM_ViewControl* target = AM_WireShared::socketAt(viewMan_, point);
    auto* targetIn = dynamic_cast<AM_View_WireIn*>(target);
    if (AM_WireShared::cloning) {
        // The second cord is the source's own drag; the first stays.
        if (source_ != nullptr) {
            source_->onMouseUp(point, buttons);
        }
        AM_WireShared::cloning = false;
        AM_WireShared::dragInProgress = false;
        return;
    }
    if (source_ != nullptr && !AM_WireShared::newCord) {
        if (targetIn != nullptr && targetIn != this && targetIn->source_ == source_) {
            AM_STD::printv("circular, eh?\n");
            target = nullptr;
            targetIn = nullptr;
        } else {
            source_->onMouseUp(point, buttons);
        }
        if (inside(bounds_, point)) {
            if (AM_Colour* colour = AM_WireShared::nextCordColour(viewMan_)) {
                setWireColour(colour);
            }
            updateWireGeometry(true);
            redraw();
        } else {
            invalidateWire();
            sendMessage(0, kWireMsgCordRehung, 0, targetIn);
            source_ = nullptr;
            proxy_ = nullptr;
            const float zero = 0.0f;
            setValueFromUser(kParamPort, &zero);
        }
    } else if (AM_WireShared::newCord) {
        updateWireGeometry(true);
        if (auto* out = dynamic_cast<AM_View_WireOut*>(target)) {
            proxy_ = nullptr;
            setProperty(kWireUpProperty, 0, out->getName());
        } else if (targetIn != nullptr && targetIn != this) {
            proxy_ = targetIn;
            if (targetIn->source_ != nullptr) {
                setProperty(kWireUpProperty, 0, targetIn->source_->getName());
            } else {
                proxy_ = nullptr;
            }
        }
        if (source_ == nullptr) {
            proxy_ = nullptr;
            if (viewMan_ != nullptr) {
                viewMan_->setTopLayerControl(this, false);
            }
            AM_WireShared::invalidatePoints(viewMan_, points_, pointCount_);
        } else {
            updateWireGeometry(true);
        }
    }
    AM_WireShared::newCord = false;
    if (listKeeper_ != nullptr) {
        listKeeper_->updateWireText(this);
    }
    AM_WireShared::dragInProgress = false;
}

void AM_View_WireIn::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    if (!paramBound() || source_ == nullptr) {
        return;
    }
    invalidateWire();
    if (viewMan_ != nullptr) {
        viewMan_->setTopLayerControl(this, false);
    }
    const float zero = 0.0f;
    setValueFromUser(kParamPort, &zero);
}

void AM_View_WireIn::onTimer()
{
    if (wireTextPending_) {
        wireTextPending_ = false;
        applyWireText();
    }
}
