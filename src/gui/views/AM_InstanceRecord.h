#pragma once
// The process-wide record shared by every view manager of one plug-in name:
// the number of view managers using it and the preferences that the UI
// preference file keeps (scopes 0 and 1). Records live as long as the
// process; tests clear them with resetAll.
//
// GUI thread only (every editor of the process runs on the one thread).

#include "gui/views/AM_Preferences.h"

#include <cstdint>

class AM_InstanceRecord {
public:
    static constexpr int kNameBytes = 32;

    // The record of that plug-in name (compared byte for byte over at most
    // 31 bytes); a new one with no users and no preferences, appended to the
    // process-wide list, when there is none.
    static AM_InstanceRecord* findOrCreate(const char* pluginName);
    // The record of that name, or null.
    static AM_InstanceRecord* find(const char* pluginName);
    // Number of records in the process.
    static uint32_t count();
    // Frees every record (tests only; no view manager may be alive).
    static void resetAll();

    const char* getName() const { return name_; }

    uint32_t users = 0;
    AM_PreferenceList preferences;

private:
    char name_[kNameBytes] = {};
    AM_InstanceRecord* next_ = nullptr;
};
