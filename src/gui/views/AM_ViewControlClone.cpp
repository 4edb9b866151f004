// Cloning controls: a copy built by the class's factory, with its subtree,
// slots, state and bindings; a whole selection is cloned at once.

#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <cstring>
#include <vector>

namespace {

// Cloning modes: 0 binds nothing, 1 to 16 the parameter that many places
// further, 17 and above the parameter of the same short name in the next
// module.
constexpr uint32_t kCloneNextModule = 17;

// The parameter a clone's port binds to for a port bound to `parameter`;
// null when there is none.
const AM_ParamInfo* cloneBinding(AM_View_Interface* host, const AM_ParamInfo* parameter,
                                 bool sameParameter, uint32_t mode)
{
    if (parameter == nullptr) {
        return nullptr;
    }
    if (sameParameter) {
        return parameter;
    }
    if (host == nullptr || mode == 0) {
        return nullptr;
    }
    if (mode < kCloneNextModule) {
        const int64_t index = int64_t(parameter->index) + mode;
        if (index >= host->getNumParameters()) {
            return nullptr;
        }
        return host->getParameterInfo(static_cast<int32_t>(index));
    }
    const AM_ModuleRecord* module = host->getModuleInfoByIndex(parameter->moduleIndex + 1);
    if (module == nullptr) {
        return nullptr;
    }
    char moduleName[k_moduleShortNameBytes + 1];
    char parameterName[k_shortNameBytes + 1];
    std::memcpy(moduleName, module->shortName, k_moduleShortNameBytes);
    moduleName[k_moduleShortNameBytes] = '\0';
    std::memcpy(parameterName, parameter->shortName, k_shortNameBytes);
    parameterName[k_shortNameBytes] = '\0';
    return host->findParameter(moduleName, parameterName);
}

} // namespace

AM_ViewControl* AM_ViewControl::clone(bool withSiblings, AM_ViewControl* newParent, float dx,
                                      float dy)
{
    AM_ViewControl* copy = cloneOne(withSiblings, newParent, dx, dy);
    if (copy == nullptr) {
        return nullptr;
    }
    // The rest of the selection, one control after the other; a control
    // that cannot be cloned ends it.
    AM_ViewControl* next = nextSelected_ != this ? nextSelected_ : nullptr;
    nextSelected_ = nullptr;
    while (next != nullptr && next != this) {
        AM_ViewControl* after = next->nextSelected_;
        next->nextSelected_ = nullptr;
        if (next->cloneOne(false, nullptr, dx, dy) == nullptr) {
            break;
        }
        next = after;
    }
    return copy;
}

AM_ViewControl* AM_ViewControl::cloneOne(bool withSiblings, AM_ViewControl* newParent, float dx,
                                         float dy)
{
    if (factory_ == nullptr || viewMan_ == nullptr) {
        return nullptr;
    }
    AM_ViewControl* parent = newParent != nullptr ? newParent : getParentControl();
    // The siblings to clone, taken before any copy joins the list: copies
    // added to the same parent are not cloned again.
    std::vector<AM_ViewControl*> siblings;
    if (withSiblings) {
        for (AM_ViewControl* next = getNextControl(); next != nullptr;
             next = next->getNextControl()) {
            siblings.push_back(next);
        }
    }
    const AM_Rect rect{getRelativeX() + dx, getRelativeY() + dy, bounds_.w, bounds_.h};
    AM_ViewControl* copy = factory_(viewMan_, &rect);
    if (copy == nullptr) {
        return nullptr;
    }
    if (copy->getFactory() == nullptr) {
        copy->setFactory(factory_);
    }
    for (size_t i = 0; i < copy->colours_.size() && i < colours_.size(); ++i) {
        copy->colours_[i] = colours_[i];
    }
    for (size_t i = 0; i < copy->graphics_.size() && i < graphics_.size(); ++i) {
        copy->graphics_[i] = graphics_[i];
    }
    if (parent != nullptr) {
        parent->addControl(copy, layerMask_, true);
    } else {
        // Nowhere to put it: the copy stands alone at the same place.
        copy->offsetBy(bounds_.x - getRelativeX(), bounds_.y - getRelativeY(), false);
    }
    copy->setVisible(isVisible(), kAllLayers, false);
    copy->state_ = state_ & ~kStateDisposed;
    copy->setPrototype(this);
    state_ &= ~kStateSelected;

    AM_View_Interface* host = viewMan_->getInterface();
    const bool sameParameter = viewMan_->isCloning();
    const uint32_t mode = viewMan_->getCloneMode();
    for (size_t i = 0; i < ports_.size() && i < copy->ports_.size(); ++i) {
        const AM_ParamInfo* bound = cloneBinding(host, ports_[i].parameter, sameParameter, mode);
        if (bound != nullptr && acceptsType(copy->getPortDescriptor(int32_t(i)), bound->type)) {
            copy->setPortParameter(static_cast<int32_t>(i), bound);
        }
    }

    if (AM_ViewControl* child = getFirstChildControl()) {
        if (child->cloneOne(true, copy, 0.0f, 0.0f) == nullptr) {
            AM_STD::printv("ERROR: couldn't clone child of %s\n", getName());
        }
    }
    copyProperties(copy);
    for (AM_ViewControl* sibling : siblings) {
        sibling->cloneOne(false, parent, dx, dy);
    }
    return copy;
}
