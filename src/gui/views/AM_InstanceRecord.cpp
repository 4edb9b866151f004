#include "gui/views/AM_InstanceRecord.h"

#include <cstring>

namespace {
AM_InstanceRecord* g_firstRecord = nullptr;

bool sameName(const char* recordName, const char* name)
{
    return std::strncmp(recordName, name, AM_InstanceRecord::kNameBytes - 1) == 0;
}
} // namespace

AM_InstanceRecord* AM_InstanceRecord::find(const char* pluginName)
{
    if (pluginName == nullptr) {
        return nullptr;
    }
    for (AM_InstanceRecord* r = g_firstRecord; r != nullptr; r = r->next_) {
        if (sameName(r->name_, pluginName)) {
            return r;
        }
    }
    return nullptr;
}

AM_InstanceRecord* AM_InstanceRecord::findOrCreate(const char* pluginName)
{
    if (pluginName == nullptr) {
        return nullptr;
    }
    if (AM_InstanceRecord* found = find(pluginName)) {
        return found;
    }
    auto* record = new AM_InstanceRecord();
    std::strncpy(record->name_, pluginName, kNameBytes - 1);
    record->name_[kNameBytes - 1] = '\0';
    AM_InstanceRecord** tail = &g_firstRecord;
    while (*tail != nullptr) {
        tail = &(*tail)->next_;
    }
    *tail = record;
    return record;
}

uint32_t AM_InstanceRecord::count()
{
    uint32_t n = 0;
    for (AM_InstanceRecord* r = g_firstRecord; r != nullptr; r = r->next_) {
        ++n;
    }
    return n;
}

void AM_InstanceRecord::resetAll()
{
    while (g_firstRecord != nullptr) {
        AM_InstanceRecord* next = g_firstRecord->next_;
        delete g_firstRecord;
        g_firstRecord = next;
    }
}
