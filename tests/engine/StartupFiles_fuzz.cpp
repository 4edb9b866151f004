// Feeds arbitrary text to the readers of the start-up files. The first byte
// chooses the reader: even bytes the published-parameter numbering, odd
// bytes the MIDI controller map. Checks that the numbering gives every
// published parameter exactly one number, and that a controller map holds
// only valid assignments and reads back the same from the text it writes.

#include "AccessEngine.h"

#include "params/CustomParamTable.h"

#include <cstdlib>
#include <set>
#include <string>

namespace {

using namespace enginetest;

StartupAudioMan& engine()
{
    static const std::unique_ptr<StartupAudioMan> instance = makeStartupEngine(0);
    return *instance;
}

void checkNumbering(const std::string& text)
{
    StartupAudioMan& e = engine();
    const int32_t count = e.getParameterCount(true);
    CustomParamTable table;
    table.buildFromParameters(e, count);
    table.applyText(e, text.c_str());
    std::set<int32_t> ids;
    for (int32_t p = 0; p < count; ++p) {
        const int32_t id = table.getInternalIDFromPublished(p);
        if (e.getPublishedIndex(id) < 0 || !table.getPublishedName(p))
            std::abort();
        ids.insert(id);
    }
    if (static_cast<int32_t>(ids.size()) != count)
        std::abort();
}

void checkControllerMap(const std::string& text)
{
    StartupAudioMan& e = engine();
    int32_t map[AM_MidiMapFile::kControllers];
    std::fill(std::begin(map), std::end(map), -1);
    AM_MidiMapFile::applyText(text.c_str(), map, e);
    for (int32_t entry : map) {
        if (entry < 0)
            continue;
        if ((entry & AM_MidiMapFile::kAssignedBit) == 0 ||
            !e.getParameterDescriptor(entry & AM_MidiMapFile::kIndexMask, false))
            std::abort();
    }
    int32_t again[AM_MidiMapFile::kControllers];
    std::fill(std::begin(again), std::end(again), -1);
    AM_MidiMapFile::applyText(AM_MidiMapFile::formatText(map, e).c_str(), again, e);
    if (!std::equal(std::begin(map), std::end(map), again))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if ((data[0] & 1) == 0)
        checkNumbering(text);
    else
        checkControllerMap(text);
    return 0;
}
