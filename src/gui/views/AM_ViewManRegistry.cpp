// The view manager's control-type registry, control creation and the
// defaults every GUI starts with.

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_ValueToStringObject.h"
#include "gui/views/AM_PlaceholderControl.h"
#include "gui/views/AM_ViewMan.h"

void AM_ViewMan::registerControlType(const AM_ControlTypeRecord* record, uint32_t objectSize)
{
    if (record == nullptr) {
        return;
    }
    controlTypes_.append(*record, objectSize);
}

AM_ControlTypeRecord* AM_ViewMan::getControlTypes()
{
    return controlTypes_.head();
}

uint32_t AM_ViewMan::getControlObjectSize(AM_ControlFactory factory)
{
    return controlTypes_.objectSizeOf(factory);
}

AM_ViewControl* AM_ViewMan::createControl(const char* typeName, const AM_Rect* bounds)
{
    const AM_ControlTypeRecord* type = controlTypes_.find(typeName);
    if (type == nullptr || type->factory == nullptr) {
        return nullptr;
    }
    AM_Rect rect{0, 0, type->defaultWidth, type->defaultHeight};
    if (bounds != nullptr) {
        rect = *bounds;
    }
    return type->factory(this, &rect);
}

void AM_ViewMan::registerDefaults()
{
    if (controlTypes_.size() != 0) {
        AM_STD::printv("Defaults registered already");
        return;
    }
    size_t count = 0;
    const AM_StandardColour* fixed = AM_fixedColours(&count);
    for (size_t i = 0; i < count; ++i) {
        addColour(new AM_Colour(this, fixed[i].name, fixed[i].rgba));
    }
    // The standard colours belong to every GUI and are never written into
    // a script.
    if (colours_ != nullptr) {
        colours_->setMarks(true, true, true);
    }
    const AM_StandardColour* wires = AM_wireColours(&count);
    for (size_t i = 0; i < count; ++i) {
        addColour(new AM_Colour(this, wires[i].name, wires[i].rgba));
    }
    const AM_ControlTypeRecord* types = AM_standardControlTypes(&count);
    for (size_t i = 0; i < count; ++i) {
        registerControlType(&types[i], uint32_t(sizeof(AM_PlaceholderControl)));
    }
    addValueToString(new AM_ValueToStringObject(this, kGenericValueToString));
}
