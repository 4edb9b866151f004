#include "engine/AM_SharedInstance.h"

#include "params/AM_PublishedNumbering.h"
#include "presets/folders/PresetFolder.h"

#include <mutex>

namespace {

AM_SharedInstance g_entries[AM_SharedInstances::kEntries] = {};
// Hosts may create instances from more than one thread; counting is
// serialised (never on the audio thread).
std::mutex g_tableMutex;

AM_SharedInstance* findLocked(uint32_t pluginId)
{
    if (pluginId == 0)
        return nullptr;
    for (AM_SharedInstance& entry : g_entries) {
        if (entry.pluginId == pluginId)
            return &entry;
    }
    return nullptr;
}

void freeEntry(AM_SharedInstance& entry)
{
    delete entry.bankList;
    delete entry.publishedTable;
    entry = AM_SharedInstance{};
}

} // namespace

namespace AM_SharedInstances {

AM_SharedInstance* find(uint32_t pluginId)
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    return findLocked(pluginId);
}

AM_SharedInstance* acquire(uint32_t pluginId)
{
    if (pluginId == 0)
        return nullptr;
    std::lock_guard<std::mutex> lock(g_tableMutex);
    // The ID's own entry wherever it stands: a free entry before it (left by
    // an ID whose instances are gone) must not give the ID a second entry.
    if (AM_SharedInstance* entry = findLocked(pluginId)) {
        ++entry->instanceCount;
        return entry;
    }
    for (AM_SharedInstance& entry : g_entries) {
        if (entry.pluginId == 0) {
            entry = AM_SharedInstance{};
            entry.pluginId = pluginId;
            entry.instanceCount = 1;
            return &entry;
        }
    }
    return nullptr;
}

void release(uint32_t pluginId)
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    AM_SharedInstance* entry = findLocked(pluginId);
    if (!entry)
        return;
    if (entry->instanceCount > 0)
        --entry->instanceCount;
    if (entry->instanceCount == 0)
        freeEntry(*entry);
}

int32_t usedEntries()
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    int32_t used = 0;
    for (const AM_SharedInstance& entry : g_entries)
        used += entry.pluginId != 0 ? 1 : 0;
    return used;
}

void reset()
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    for (AM_SharedInstance& entry : g_entries)
        freeEntry(entry);
}

} // namespace AM_SharedInstances
