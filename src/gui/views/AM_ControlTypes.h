#pragma once
// The control-type registry: one record per control type with its factory,
// default size and flags. The view manager keeps copies in registration
// order (registerControlType) and creates controls by type name
// (createControl).
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The name-label option of a type (bits 0x3F00): the edit menu's create
// command adds a name label aligned by (flags & mask) >> 8.
constexpr uint32_t kControlTypeLabelMask = 0x3F00;
constexpr uint32_t kControlTypeLabelShift = 8;
constexpr uint32_t kControlTypeLabelCentred = 0x1700;
constexpr uint32_t kControlTypeLabelLeft = 0x1100;

struct AM_ControlTypeRecord {
    static constexpr int kNameBytes = 32;

    char name[kNameBytes];
    float defaultWidth;
    float defaultHeight;
    uint32_t flags;
    AM_ControlFactory factory;
    AM_ControlTypeRecord* next; // link of the view manager's copies
};

// The view manager's list: copies of the registered records, linked by
// `next` in registration order, each with the object size given at
// registration.
class AM_ControlTypeList {
public:
    // Appends a copy of the record (`next` cleared) with its object size.
    void append(const AM_ControlTypeRecord& record, uint32_t objectSize);
    // The first record (walk on by `next`), or null.
    AM_ControlTypeRecord* head();
    // The first record whose name equals typeName exactly, or null.
    const AM_ControlTypeRecord* find(const char* typeName) const;
    // The object size of the first type built by that factory; 0 when none.
    uint32_t objectSizeOf(AM_ControlFactory factory) const;
    size_t size() const { return entries_.size(); }
    void clear() { entries_.clear(); }

private:
    struct Entry {
        AM_ControlTypeRecord record;
        uint32_t objectSize;
    };
    std::vector<std::unique_ptr<Entry>> entries_;
};

// The standard control types in menu order; `count` receives their number.
const AM_ControlTypeRecord* AM_standardControlTypes(size_t* count);

// A standard colour: name and packed 0xRRGGBBAA value.
struct AM_StandardColour {
    const char* name;
    uint32_t rgba;
};
// The fifteen colours that are never saved, then the six saveable
// patch-cord colours.
const AM_StandardColour* AM_fixedColours(size_t* count);
const AM_StandardColour* AM_wireColours(size_t* count);

// The name of the value-to-string object that registerDefaults creates.
constexpr const char* kGenericValueToString = "generic";
