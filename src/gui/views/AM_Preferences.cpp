#include "gui/views/AM_Preferences.h"

#include "gui/views/AM_ViewControl.h"

#include <cstring>

AM_PreferenceRecord* AM_PreferenceList::find(const char* type, const char* property, uint32_t id)
{
    if (type == nullptr || property == nullptr) {
        return nullptr;
    }
    for (AM_PreferenceRecord& record : records_) {
        if (record.id == id && record.type == type && record.property == property) {
            return &record;
        }
    }
    return nullptr;
}

const AM_PreferenceRecord* AM_PreferenceList::find(const char* type, const char* property,
                                                   uint32_t id) const
{
    return const_cast<AM_PreferenceList*>(this)->find(type, property, id);
}

void AM_PreferenceList::append(const char* type, const char* property, const char* value,
                               uint32_t id, uint32_t scope)
{
    AM_PreferenceRecord record;
    record.type = type;
    record.property = property;
    record.value = value;
    record.id = id;
    record.scope = scope;
    records_.push_back(std::move(record));
}

bool AM_isWritablePreferenceText(const char* text, uint32_t scope)
{
    if (!AM_isWritableScriptName(text)) {
        return false;
    }
    if (scope >= kPreferenceScopeScript) {
        return true;
    }
    // A stored preference joins its texts with ':' and is cut at every ':'
    // not preceded by a backslash (the backslash stays in the text).
    char previous = '\0';
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == ':' && previous != '\\') {
            return false;
        }
        previous = *p;
    }
    return previous != '\\';
}
