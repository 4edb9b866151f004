// The script lines of controls: the CONTROL block of pass 1 and the
// PROPERTY and LISTENER lines of pass 2 of a script save, and the lines a
// placeholder control keeps for the class that will replace it.

#include "foundation/AM_STD.h"
#include "gui/views/AM_PlaceholderControl.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewControl.h"

#include <cstring>

namespace {

// Whether a control belongs into a saved script: saveable and not disposed.
bool isWritten(const AM_ViewControl* control)
{
    return control->isSaveable() && (control->getState() & kStateDisposed) == 0;
}

// Whether the texts of a kept line can be written back as they are; traces
// a line that cannot.
bool writable(const char* keyword, const char* a, const char* b, const char* c)
{
    if (AM_isWritableScriptName(a) && AM_isWritableScriptName(b) && AM_isWritableScriptName(c))
        return true;
    AM_STD::printv("%s line refused: a text holds a quote, tab, '=' or line break", keyword);
    return false;
}

bool isSlotProperty(const std::string& name)
{
    return name == "colours" || name == "graphics";
}

} // namespace

void AM_ViewControl::writeControlTree(std::string* script)
{
    if (script == nullptr)
        return;
    for (AM_ViewControl* control = this; control != nullptr; control = control->getNextControl()) {
        if (isWritten(control))
            control->writeControl(script);
        if (AM_ViewControl* child = control->getFirstChildControl())
            child->writeControlTree(script);
    }
}

void AM_ViewControl::writePropertyTree(std::string* script)
{
    if (script == nullptr)
        return;
    for (AM_ViewControl* control = this; control != nullptr; control = control->getNextControl()) {
        if (isWritten(control))
            control->writeProperties(script);
        if (AM_ViewControl* child = control->getFirstChildControl())
            child->writePropertyTree(script);
    }
}

void AM_ViewControl::writeControl(std::string* script)
{
    const char* type = getTypeName();
    if ((state_ & kStateDisposed) != 0)
        AM_STD::printv("%s OUTPUTTING DESPITE DISPOSEFLAG!!!!\n", getName());
    if (type == nullptr) {
        AM_STD::printv("\n# unspecified control %s", getName());
        return;
    }
    if (script == nullptr)
        return;
    AM_ScriptWriter writer(*script);
    const float bounds[4] = {getRelativeX(), getRelativeY(), bounds_.w, bounds_.h};
    writer.line("\n\n", "CONTROL").text("type", type).text("name", getName());
    writer.floats("bounds", bounds, 4);
    if (const AM_ViewControl* parent = getParentControl())
        writer.text("parent", parent->getName());
    writer.hex("layerMask", layerMask_);
    writeSlotAndParameterLines(script);
}

void AM_ViewControl::writeProperties(std::string* script)
{
    if (script == nullptr)
        return;
    if (const AM_ViewControl* prototype = getPrototype())
        AM_ScriptWriter(*script).property(getName(), "prototype", 0, prototype->getName());
    writeListenerLines(script);
}

void AM_PlaceholderControl::setProperty(const char* name, int32_t id, const char* value)
{
    if (name == nullptr || value == nullptr)
        return;
    if (!writable("PROPERTY", name, value, ""))
        return;
    if (isSlotProperty(name) && (id < 0 || id >= kMaxKeptSlots)) {
        AM_STD::printv("%s: %s slot %d refused (slots 0 to %d)", getName(), name, int(id),
                       int(kMaxKeptSlots - 1));
        return;
    }
    for (KeptProperty& kept : kept_) {
        if (kept.id == id && kept.name == name) {
            kept.value = value;
            return;
        }
    }
    kept_.push_back({name, id, value});
}

void AM_PlaceholderControl::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script == nullptr || getTypeName() == nullptr)
        return;
    AM_ScriptWriter writer(*script);
    for (const char* slots : {"colours", "graphics"}) {
        for (const KeptProperty& kept : kept_) {
            if (kept.name == slots)
                writer.property(getName(), kept.name.c_str(), kept.id, kept.value.c_str());
        }
    }
    for (const KeptParameter& kept : keptParameters_) {
        writer.line("\n", "PARAMETER")
            .text("control", getName())
            .text("port", kept.port)
            .text("module", kept.module)
            .text("parameter", kept.parameter);
        if (kept.hasValueString)
            writer.text("valuestring", kept.valueString);
    }
}

void AM_PlaceholderControl::writeProperties(std::string* script)
{
    AM_ViewControl::writeProperties(script);
    if (script == nullptr)
        return;
    AM_ScriptWriter writer(*script);
    for (const KeptProperty& kept : kept_) {
        if (!isSlotProperty(kept.name))
            writer.property(getName(), kept.name.c_str(), kept.id, kept.value.c_str());
    }
    for (const KeptListener& kept : keptListeners_) {
        writer.line("\n", "LISTENER")
            .text("control", getName())
            .text("port", kept.port)
            .text("listento", kept.listenTo)
            .text("extport", kept.extPort);
    }
}

bool AM_PlaceholderControl::connectParameter(const char* portName, const char* module,
                                             const char* parameter, const char* valueString)
{
    if (portName == nullptr || module == nullptr || parameter == nullptr)
        return false;
    if (!writable("PARAMETER", portName, module, parameter) ||
        !writable("PARAMETER", valueString != nullptr ? valueString : "", "", ""))
        return false;
    traceUnbound("PARAMETER");
    KeptParameter line{portName, module, parameter, valueString != nullptr ? valueString : "",
                       valueString != nullptr};
    for (KeptParameter& kept : keptParameters_) {
        if (kept.port == portName) {
            kept = std::move(line);
            return true;
        }
    }
    keptParameters_.push_back(std::move(line));
    return true;
}

void AM_PlaceholderControl::keepListener(const char* portName, const char* listenTo,
                                         const char* extPort)
{
    if (portName == nullptr || listenTo == nullptr || extPort == nullptr)
        return;
    if (!writable("LISTENER", portName, listenTo, extPort))
        return;
    traceUnbound("LISTENER");
    KeptListener line{portName, listenTo, extPort};
    for (KeptListener& kept : keptListeners_) {
        if (kept.port == portName) {
            kept = std::move(line);
            return;
        }
    }
    keptListeners_.push_back(std::move(line));
}

void AM_PlaceholderControl::traceUnbound(const char* what)
{
    if (bindingsTraced_)
        return;
    bindingsTraced_ = true;
    AM_STD::printv("%s (%s): its PARAMETER and LISTENER lines stay unbound until its class is "
                   "built; they are kept and written back as they came (first: %s)",
                   getName(), getTypeName() != nullptr ? getTypeName() : "", what);
}
