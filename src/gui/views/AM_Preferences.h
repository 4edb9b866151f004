#pragma once
// The preference store of the GUI: (type, property, id) keys with a text
// value. Two lists hold them: the one of the plug-in's instance record
// (scopes 0 and 1, kept in the UI preference file from one run of the host
// to the next) and the view manager's own (scope 2 and above, written with
// a saved GUI script as DEFAULT lines).
//
// Records keep the order in which their keys were first added, so a list
// read from a file and written again gives the same text.
//
// GUI thread only.

#include <cstdint>
#include <string>
#include <vector>

// Preference scopes.
enum AM_PreferenceScope : uint32_t {
    kPreferenceScopeUser = 0,    // instance record: the UI preference file
    kPreferenceScopeSession = 1, // instance record
    kPreferenceScopeScript = 2,  // the view manager's own: the GUI script
};

struct AM_PreferenceRecord {
    std::string type;
    std::string property;
    std::string value;
    uint32_t id = 0;
    uint32_t scope = 0;
};

class AM_PreferenceList {
public:
    // The record of that key (ids equal, type and property equal as text),
    // or null.
    AM_PreferenceRecord* find(const char* type, const char* property, uint32_t id);
    const AM_PreferenceRecord* find(const char* type, const char* property, uint32_t id) const;
    // Appends a new record at the end.
    void append(const char* type, const char* property, const char* value, uint32_t id,
                uint32_t scope);
    void clear() { records_.clear(); }
    bool empty() const { return records_.empty(); }
    size_t size() const { return records_.size(); }
    // The records in order (the writers walk them).
    const std::vector<AM_PreferenceRecord>& records() const { return records_; }

private:
    std::vector<AM_PreferenceRecord> records_;
};

// Whether a preference text (type, property or value) can be written into a
// script line and read back as it is: no quote, tab, '=', line break or
// other control character. Scopes 0 and 1 also refuse a ':' that is not
// preceded by a backslash (an unescaped ':' separates the three texts of a
// stored preference) and a text that ends in a backslash (it would escape
// the separator after it). Null is refused.
bool AM_isWritablePreferenceText(const char* text, uint32_t scope);
