#pragma once
// A control's port as the GUI-to-engine interface sees it: the interface
// keeps the ports that show each parameter and hands them new values.
// The controls (which derive from AM_PortOwner) build these records.

#include <cstdint>

class AM_ValueToStringObject;
struct AM_ParamInfo;

// One row of a control class's static port table.
struct AM_PortDescriptor {
    static constexpr uint32_t kNameBytes = 32;

    uint32_t index; // the port's number: its place in the table
    char name[kNameBytes];
    int32_t typeCount;     // accepted parameter type words
    const uint32_t* types; // typeCount entries
};

// What the interface calls on a control that shows a parameter.
class AM_PortOwner {
public:
    // Shows a new value on port `port`: a float for value parameters, the
    // block or the text for data parameters. The pointer is valid during the
    // call only. User-interface thread.
    virtual void setParameterValue(int32_t port, const void* value) = 0;

protected:
    ~AM_PortOwner() = default;
};

// A listener entry's descriptor has the same row layout: the port types it
// can follow.
using AM_ListenerDescriptor = AM_PortDescriptor;

struct AM_PortRecord {
    const AM_PortDescriptor* descriptor = nullptr;
    AM_PortOwner* owner = nullptr;
    // The bound parameter; null while the port is unbound.
    const AM_ParamInfo* parameter = nullptr;
    // Added to the parameter index of an indexed binding.
    int32_t indexOffset = 0;
    // Listener entries of other controls that point at this port.
    uint32_t listenerCount = 0;
    // Formats the value for the info line; may be null.
    AM_ValueToStringObject* valueToString = nullptr;
};
