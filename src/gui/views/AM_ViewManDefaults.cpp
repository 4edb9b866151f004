// Default controls for a module without a GUI of its own: one control per
// visible parameter (a "Display" for a list, a "Knob" for a continuous
// value), laid out in rows inside a container.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>

namespace {

// Space around and between the controls (GUI units).
constexpr float kMargin = 12.0f;
// Extra space between two rows.
constexpr float kRowGap = 24.0f;

// The type that shows a parameter, or null for one that gets no control.
const char* defaultTypeFor(const AM_ParamInfo& parameter)
{
    switch (parameter.kind()) {
    case k_kindInteger:
        return "Display";
    case k_kindFloat:
    case k_kindXYAxis:
        return "Knob";
    default:
        return nullptr;
    }
}

// The last control made of one type, which the next of that type clones.
struct LastOfType {
    const char* type;
    AM_ViewControl* control;
};

} // namespace

void AM_ViewMan::buildDefaultControls(AM_ViewControl* container, int32_t module)
{
    if (container == nullptr || interface_ == nullptr) {
        return;
    }
    const float width = container->getBounds().w;
    float x = kMargin;
    float y = kMargin;
    float tallest = 0.0f;
    LastOfType made[] = {{"Display", nullptr}, {"Knob", nullptr}};

    const int32_t count = interface_->getNumParameters();
    for (int32_t i = 0; i < count; ++i) {
        AM_STD::printv("ParamID %d\n", int(i));
        const AM_ParamInfo* parameter = interface_->getParameterInfo(i);
        if (parameter == nullptr || (parameter->flags & k_paramHidden) != 0 ||
            parameter->moduleIndex != module) {
            continue;
        }
        char shortName[k_shortNameBytes + 1] = {};
        std::copy_n(parameter->shortName, k_shortNameBytes, shortName);
        AM_STD::printv("Parameter %s\n", shortName);
        const char* typeName = defaultTypeFor(*parameter);
        const AM_ControlTypeRecord* type =
            typeName != nullptr ? controlTypes_.find(typeName) : nullptr;
        if (type == nullptr || type->factory == nullptr || !std::isfinite(type->defaultWidth) ||
            !std::isfinite(type->defaultHeight)) {
            continue;
        }

        // A control that would pass the right margin starts a new row
        // (unless it is the first of its row).
        if (x > kMargin && x + type->defaultWidth > width - kMargin) {
            x = kMargin;
            y += tallest + kRowGap;
        }
        const AM_Rect rect{x, y, type->defaultWidth, type->defaultHeight};

        LastOfType* last = typeName == made[0].type ? &made[0] : &made[1];
        AM_ViewControl* control = nullptr;
        if (last->control == nullptr) {
            control = type->factory(this, &rect);
            if (control != nullptr) {
                if (control->getFactory() == nullptr) {
                    control->setFactory(type->factory);
                }
                container->addControl(control, kAllLayers, true);
                if ((type->flags & kControlTypeLabelMask) != 0) {
                    control->addNameLabel(type->flags);
                }
            }
        } else {
            // The copy takes the previous one's graphics, colours and label,
            // moved to its own place.
            AM_ViewControl* previous = last->control;
            control = previous->clone(false, container, rect.x - previous->getRelativeX(),
                                      rect.y - previous->getRelativeY());
        }
        if (control == nullptr) {
            AM_STD::printv("%s: no %s for %s\n", container->getName(), typeName, shortName);
            continue;
        }
        last->control = control;
        control->setPortParameter(0, parameter);
        control->setEditMode(true);
        control->setVisible(true, kAllLayers, false);

        tallest = std::max(tallest, type->defaultHeight);
        x += type->defaultWidth + kMargin;
    }
    container->redraw();
}
