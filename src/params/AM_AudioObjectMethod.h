#pragma once
// A module method that scripts call by a dotted name (Module.method(...) or,
// for a numbered family of modules, Module[i].method(...)). A module makes
// the record for a method name in AM_AudioObject::makeMethodRecord, with its
// signature set and callInt/callFloat implemented; the keyword resolver
// then lists the modules the call may address and registers the record.
//
// Used on the thread that runs the script (never the audio thread).

#include "script/AMM_ObjectAccessor.h"

#include <cstdint>

class AM_AudioObject;

class AM_AudioObjectMethod : public AMM_ObjectMethod {
public:
    static constexpr int32_t kMaxModules = 8;

    // Adds a module the call may address; false when the list is full.
    bool addModule(AM_AudioObject* module);
    int32_t moduleCount() const { return moduleCount_; }
    AM_AudioObject* module(int32_t k) const
    {
        return k >= 0 && k < moduleCount_ ? modules_[k] : nullptr;
    }
    // The module a call addresses: the only one, or of a family the one the
    // script's first subscript names (counted from 1); null when the
    // subscript lies outside the family.
    AM_AudioObject* addressedModule() const;

private:
    AM_AudioObject* modules_[kMaxModules] = {};
    int32_t moduleCount_ = 0;
};
