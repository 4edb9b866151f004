#include "gui/controls/AM_View_Pane.h"

#include "foundation/AM_STD.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kPaneType = "Pane";
constexpr const char* kCollPaneType = "CollPane";
constexpr const char* kCollapsedName = "-";

constexpr uint32_t kLayerTypes[] = {k_kindInteger};
const AM_PortDescriptor kPorts[] = {{0, "LayerMem", 1, kLayerTypes}};

constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "BackHighlight"};

// Slot 0 is the pane's background; slot n that of layer n.
struct GraphicNames {
    char names[AM_View_Pane::kMaxLayers][kGuiNameBytes] = {};
    GraphicNames()
    {
        std::snprintf(names[0], kGuiNameBytes, "PaneBackground");
        for (int32_t n = 1; n < AM_View_Pane::kMaxLayers; ++n) {
            std::snprintf(names[n], kGuiNameBytes, "PaneBackground%d", int(n));
        }
    }
};
const GraphicNames kGraphicNames;

constexpr const char* kLayerKey = "layer";
constexpr const char* kMovableKey = "movable";
constexpr const char* kHideOnInitKey = "hideOnInit";
constexpr const char* kRackMemberKey = "RackMember";
constexpr const char* kYes = "YES";

} // namespace

AM_View_Pane::AM_View_Pane(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Pane %u", unsigned(getId()));
    setName(name);
    for (int32_t n = 0; n < kMaxLayers; ++n) {
        std::snprintf(layerNames_[n], kLayerNameBytes, "Layer %d", int(n + 1));
    }
    numLayers_ = 1;
    isContainer_ = 1;
    initControl(0, 1, kPorts, 0, nullptr, 3, kColourNames, kMaxLayers, kGraphicNames.names,
                false);
}

AM_View_Pane::~AM_View_Pane() = default;

AM_ViewControl* AM_View_Pane::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* pane = new AM_View_Pane(viewMan, bounds);
    pane->setFactory(&AM_View_Pane::create);
    return pane;
}

AM_ViewControl* AM_View_Pane::createCollPane(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* pane = new AM_View_Pane(viewMan, bounds);
    pane->setFactory(&AM_View_Pane::createCollPane);
    pane->makeCollapsible();
    return pane;
}

const char* AM_View_Pane::getTypeName() const
{
    return collapsible_ ? kCollPaneType : kPaneType;
}

void AM_View_Pane::makeCollapsible()
{
    collapsible_ = true;
    setTimer(true);
}

// --- Layers.

void AM_View_Pane::selectLayer(int32_t layer)
{
    const float value = static_cast<float>(layer);
    AM_PortRecord* port = getPort(0);
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (port != nullptr && port->parameter != nullptr && host != nullptr) {
        host->setParameterValue(static_cast<int32_t>(port->parameter->index), &value);
    }
    setParameterValue(0, &value);
}

void AM_View_Pane::setParameterValue(int32_t i, const void* value)
{
    AM_ViewControl::setParameterValue(i, value);
    if (i != 0 || value == nullptr) {
        return;
    }
    float v = 0.0f;
    std::memcpy(&v, value, sizeof v);
    // Not-a-number and values far outside the layers select layer 0.
    const int32_t layer =
        std::isfinite(v) && v > -1.0f && v < float(kMaxLayers) ? static_cast<int32_t>(v) : 0;
    applyLayer(layer);
}

void AM_View_Pane::changeParentHeight(float delta)
{
    AM_ViewControl* parent = getParentControl();
    if (parent == nullptr) {
        return;
    }
    parent->redraw();
    parent->growBy(0.0f, 0.0f, 0.0f, delta, false);
    parent->redraw();
}

void AM_View_Pane::applyLayer(int32_t layer)
{
    if (layer < 0 || layer >= numLayers_) {
        layer = 0;
    }
    if (collapsible_) {
        if (AM_ViewControl* parent = getParentControl()) {
            const AM_Rect own = bounds_;
            const AM_Rect outer = parent->getBounds();
            const float ownBottom = own.y + own.h - 5.0f;
            const float parentBottom = outer.y + outer.h;
            if (std::strcmp(layerNames_[layer], kCollapsedName) == 0) {
                if (ownBottom < parentBottom) {
                    changeParentHeight(-own.h);
                }
                collapsed_ = true;
            } else {
                if (parentBottom < ownBottom) {
                    changeParentHeight(own.h);
                }
                collapsed_ = false;
            }
        }
    }
    const uint32_t oldBit = 1u << currentLayer_;
    if (AM_ViewControl* child = getFirstChildControl()) {
        child->setVisible(false, oldBit, true);
    }
    currentLayer_ = static_cast<uint8_t>(layer);
    if (AM_ViewControl* child = getFirstChildControl()) {
        child->setVisible(visible_ != 0, 1u << currentLayer_, true);
    }
    sendMessage(AM_ViewManServices::kControlsClassMask, kPaneMsgLayerChanged,
                static_cast<uint32_t>(layer), nullptr);
    redraw();
}

const char* AM_View_Pane::getLayerName(int32_t layer)
{
    return layer >= 0 && layer < kMaxLayers ? layerNames_[layer] : nullptr;
}

bool AM_View_Pane::setLayerName(int32_t layer, const char* name)
{
    if (layer < 0 || layer >= kMaxLayers) {
        AM_STD::printv("%s: layer %d refused (layers 0 to %d)\n", getName(), int(layer),
                       int(kMaxLayers - 1));
        return false;
    }
    std::snprintf(layerNames_[layer], kLayerNameBytes, "%s", name != nullptr ? name : "");
    if (layer == currentLayer_) {
        applyLayer(layer);
    }
    return true;
}

void AM_View_Pane::addLayer(const char* name)
{
    if (numLayers_ >= kMaxLayers) {
        AM_STD::printv("%s: no layer added, it has %d already\n", getName(), int(kMaxLayers));
        return;
    }
    ++numLayers_;
    if (name != nullptr && name[0] != '\0') {
        std::snprintf(layerNames_[numLayers_ - 1], kLayerNameBytes, "%s", name);
    }
    selectLayer(numLayers_ - 1);
}

// --- Children and visibility.

void AM_View_Pane::addControl(AM_ViewControl* child, uint32_t layerMask, bool offset)
{
    if (child == nullptr || child == this) {
        return;
    }
    const uint32_t current = 1u << currentLayer_;
    const uint32_t mask = layerMask == kAllLayers ? current : layerMask;
    AM_ViewControl::addControl(child, mask, offset);
    if (visible_ == 0 || (mask & current) == 0) {
        child->setVisible(false, kAllLayers, false);
    }
}

void AM_View_Pane::setVisible(bool visible, uint32_t layers, bool withSiblings)
{
    if ((layerMask_ & layers) != 0) {
        if (visible_ != 0 && !visible) {
            redraw();
        }
        if (!visible) {
            state_ &= ~kStateSelected;
        }
        visible_ = visible ? 1 : 0;
        showChildrenOnLayers(1u << currentLayer_, visible);
    }
    if (withSiblings) {
        setSiblingsVisible(visible, layers);
    }
    redraw();
}

void AM_View_Pane::setGraphic(AM_Graphic* graphic, int32_t slot)
{
    (void)slot;
    AM_ViewControl::setGraphic(graphic, currentLayer_);
}

// --- Messages.

void AM_View_Pane::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    switch (message) {
    case kPaneMsgEmbed:
        embed(dynamic_cast<AM_ViewControl*>(sender), arg);
        break;
    case kCtlMsgRename:
        if (ptr != nullptr && ptr == static_cast<void*>(layerNames_[currentLayer_])) {
            if (!AM_isWritableScriptName(layerNames_[currentLayer_])) {
                AM_STD::printv("%s: layer name refused, a script line cannot hold it\n",
                               getName());
                std::memcpy(layerNames_[currentLayer_], renameBackup_, kLayerNameBytes);
            }
            redraw();
            return;
        }
        break;
    case kPaneMsgGuiLoaded:
        if (hideOnInit_) {
            setVisible(false, kAllLayers, false);
        }
        break;
    case kPaneMsgModuleSelected:
        moduleSelected(static_cast<const char*>(ptr), arg);
        break;
    case kCtlMsgBringIntoView:
        bringIntoView(dynamic_cast<AM_ViewControl*>(sender));
        break;
    default:
        break;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_View_Pane::embed(AM_ViewControl* sender, uint32_t mask)
{
    if (sender == nullptr || sender == this || (state_ & kStateInsideSelected) != 0) {
        return;
    }
    // A container cannot be moved into its own subtree.
    for (AM_ViewControl* up = this; up != nullptr; up = up->getParentControl()) {
        if (up == sender) {
            AM_STD::printv("%s cannot take %s: it lies inside it\n", getName(),
                           sender->getName());
            return;
        }
    }
    const float before = sender->getBounds().x;
    sender->redraw();
    sender->unlink();
    addControl(sender, mask, false);
    AM_STD::printv("%s - %f %f\n", sender->getName(), double(before),
                   double(sender->getBounds().x));
}

void AM_View_Pane::moduleSelected(const char* module, uint32_t on)
{
    if (module == nullptr) {
        return;
    }
    char name[kLayerNameBytes];
    std::snprintf(name, sizeof name, "%s", module);
    bool matched = false;
    if (getColour(2) != nullptr) {
        for (int32_t n = 0; n < numLayers_; ++n) {
            if (std::strcmp(layerNames_[n], name) != 0) {
                continue;
            }
            matched = true;
            if (on == 0) {
                highlightLayer_ = kNoHighlight;
            } else if (n == 0) {
                highlightLayer_ = 1;
            } else {
                highlightLayer_ = static_cast<uint32_t>(n);
                if (n != currentLayer_) {
                    selectLayer(n);
                }
            }
            if (visible_ != 0) {
                redraw();
            }
        }
    } else if (numLayers_ >= 2 && on != 0) {
        for (int32_t n = 0; n < numLayers_; ++n) {
            if (std::strcmp(layerNames_[n], name) == 0) {
                matched = true;
                selectLayer(n);
                break;
            }
        }
    }
    if (matched && visible_ == 0) {
        if (AM_ViewControl* parent = getParentControl()) {
            parent->receiveMessage(this, kCtlMsgBringIntoView, 0, nullptr);
        }
    }
}

AM_ViewControl* AM_View_Pane::childHolding(AM_ViewControl* control)
{
    for (AM_ViewControl* c = control; c != nullptr; c = c->getParentControl()) {
        if (c->getParentControl() == this) {
            return c;
        }
    }
    return nullptr;
}

void AM_View_Pane::bringIntoView(AM_ViewControl* sender)
{
    if (sender == nullptr || sender->getParentControl() != this) {
        return;
    }
    const uint32_t mask = sender->getLayerMask();
    int32_t target = currentLayer_;
    if ((mask & (1u << currentLayer_)) == 0) {
        target = 0;
        for (int32_t n = 0; n < numLayers_; ++n) {
            if ((mask & (1u << n)) != 0) {
                target = n;
                break;
            }
        }
    }
    if (target == currentLayer_) {
        return;
    }
    AM_ViewControl* active = viewMan_ != nullptr ? viewMan_->getActiveControl() : nullptr;
    AM_ViewControl* holder = active != nullptr ? childHolding(active) : nullptr;
    if (holder != nullptr && (holder->getLayerMask() & (1u << target)) == 0) {
        AM_STD::printv("Can not switch layer because current control would become invisible\n");
        return;
    }
    selectLayer(target);
}

// --- Clones and the script.

void AM_View_Pane::copyProperties(AM_ViewControl* clone)
{
    AM_ViewControl::copyProperties(clone);
    auto* pane = dynamic_cast<AM_View_Pane*>(clone);
    if (pane == nullptr || pane == this) {
        return;
    }
    pane->numLayers_ = numLayers_;
    std::memcpy(pane->layerNames_, layerNames_, sizeof layerNames_);
    pane->rackMember_ = rackMember_;
    if (collapsible_ && !pane->collapsible_) {
        pane->makeCollapsible();
    }
}

void AM_View_Pane::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    // The layers' background graphics are among the slot lines above.
    for (int32_t n = 0; n < numLayers_; ++n) {
        writer.property(getName(), kLayerKey, n, layerNames_[n]);
    }
    if (movable_) {
        writer.property(getName(), kMovableKey, 0, kYes);
    }
    if (hideOnInit_) {
        writer.property(getName(), kHideOnInitKey, 0, kYes);
    }
    if (rackMember_) {
        writer.property(getName(), kRackMemberKey, 0, kYes);
    }
}

void AM_View_Pane::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr) {
        return;
    }
    const bool yes = std::strcmp(value, kYes) == 0;
    if (std::strcmp(name, kLayerKey) == 0) {
        if (id < 0 || id >= kMaxLayers) {
            AM_STD::printv("%s: layer %d refused (layers 0 to %d)\n", getName(), int(id),
                           int(kMaxLayers - 1));
            return;
        }
        if (id >= numLayers_) {
            numLayers_ = static_cast<uint8_t>(id + 1);
        }
        std::snprintf(layerNames_[id], kLayerNameBytes, "%s", value);
        if (collapsible_ && id == currentLayer_) {
            applyLayer(id);
        }
    } else if (std::strcmp(name, kMovableKey) == 0 && yes) {
        movable_ = true;
    } else if (std::strcmp(name, kHideOnInitKey) == 0 && yes) {
        hideOnInit_ = true;
    } else if (std::strcmp(name, kRackMemberKey) == 0 && yes) {
        rackMember_ = true;
    }
}

void AM_View_Pane::onTimer()
{
    if (collapseTicks_ <= 0) {
        return;
    }
    const float step = std::trunc(bounds_.h / 5.0f);
    changeParentHeight(collapsed_ ? step : -step);
    if (--collapseTicks_ == 0) {
        collapsed_ = !collapsed_;
    }
}
