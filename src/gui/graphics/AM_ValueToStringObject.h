#pragma once
// A named object that turns a parameter's value into its display text. The
// view manager registers one default instance named "generic"; controls
// find others by name.
//
// GUI thread only.

#include "gui/graphics/AM_GuiObject.h"

#include <cstddef>

struct AM_ParamInfo;

// Bytes a value text may need, the terminator included.
constexpr size_t kValueTextBytes = 64;

class AM_ValueToStringObject : public AM_GuiObject {
public:
    // The name is copied when not null.
    AM_ValueToStringObject(AM_GuiServices* services, const char* name);

    // Whether the object formats values of this parameter: always.
    virtual bool acceptsParameter(const AM_ParamInfo* descriptor);
    // By the kind of the parameter: integers and lists "%d" of the value
    // truncated toward zero, the float kinds "%.2f", any other kind
    // "unknown value". Writes at most outSize bytes, terminator included;
    // nothing without a descriptor, a value or an output.
    virtual void valueToString(const AM_ParamInfo* descriptor, const float* value, char* out,
                               size_t outSize);
};
