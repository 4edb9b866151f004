#include "engine/AM_MidiMapFile.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_LineReader.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParameterName.h"
#include "params/object/AM_ParamInfo.h"

#include <cstring>
#include <mutex>

namespace AM_MidiMapFile {

namespace {

constexpr const char* kFileNameFormat = "com.%s.%s.midimap.txt";
constexpr const char* kHeaderFormat = "// %s %s %s\n\n\n";
constexpr uint32_t kHeaderBytes = 64;
constexpr uint32_t kWordBytes = kMaxLineChars + 1;
constexpr int32_t kItemsPerLine = 2;
constexpr uint32_t kLineBytes = 256;

struct ProcessState {
    std::mutex mutex;
    std::string header;
    Source source = Source::kNotRead;
    int32_t recorded[kControllers] = {};
};

ProcessState& state()
{
    static ProcessState s;
    return s;
}

bool startsWithNumber(const char* line)
{
    while (*line == ' ' || *line == '\t')
        ++line;
    if (*line == '-')
        ++line;
    return *line >= '0' && *line <= '9';
}

bool sameMap(const int32_t* a, const int32_t* b)
{
    for (int32_t c = 0; c < kControllers; ++c) {
        // Every negative entry means "not assigned".
        const bool assignedA = a[c] >= 0;
        const bool assignedB = b[c] >= 0;
        if (assignedA != assignedB || (assignedA && a[c] != b[c]))
            return false;
    }
    return true;
}

} // namespace

void fileName(char* out, uint32_t capacity, const char* vendor, const char* effect)
{
    AM_STD::sprintn(out, capacity, kFileNameFormat, vendor ? vendor : "", effect ? effect : "");
}

int32_t applyText(const char* text, int32_t* map, AM_EngineOwner& owner)
{
    if (!map)
        return 0;
    AM_LineReader reader(text);
    char line[kMaxLineChars + 1];
    int32_t applied = 0;
    while (reader.readLine(line, kMaxLineChars) != 0) {
        int32_t number = -1;
        char word[kWordBytes] = {};
        if (!startsWithNumber(line) ||
            AM_STD::scanv(line, "%d=%s ", &number, word, kWordBytes) != kItemsPerLine)
            continue;
        if (static_cast<uint32_t>(number) >= static_cast<uint32_t>(kControllers))
            continue;
        char module[k_nameFieldBytes];
        char parameter[k_nameFieldBytes];
        if (!AM_splitParameterName(word, module, parameter, AM_ParameterNameEnd::kBlank))
            continue;
        const AM_ParamInfo* info = owner.findParameter(module, parameter);
        if (!info || info->index > static_cast<uint32_t>(kIndexMask))
            continue;
        map[number] = static_cast<int32_t>(info->index) | kAssignedBit;
        ++applied;
    }
    return applied;
}

std::string formatText(const int32_t* map, AM_EngineOwner& owner)
{
    std::string text = header();
    for (int32_t c = 0; map && c < kControllers; ++c) {
        if (map[c] < 0)
            continue;
        const AM_ParamInfo* info = owner.getParameterDescriptor(map[c] & kIndexMask, false);
        const AM_ModuleRecord* module = info ? owner.getModuleRecord(info->moduleIndex) : nullptr;
        if (!module)
            continue;
        char shortName[k_shortNameBytes + 1] = {};
        std::memcpy(shortName, info->shortName, k_shortNameBytes);
        char line[kLineBytes];
        AM_STD::sprintn(line, sizeof line, "%d=%s:%s //%s:%s\n", c, module->shortName, shortName,
                        module->longName, info->longName);
        text += line;
    }
    return text;
}

void buildHeader()
{
    ProcessState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.header.empty())
        return;
    char text[kHeaderBytes];
    AM_STD::sprintn(text, sizeof text, kHeaderFormat, "Global", "MidiCC", "Map");
    s.header = text;
}

std::string header()
{
    ProcessState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.header;
}

void noteRead(Source source, const int32_t* map)
{
    ProcessState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.source = source;
    if (map)
        std::memcpy(s.recorded, map, sizeof s.recorded);
}

Source source()
{
    ProcessState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.source;
}

bool shouldWrite(const int32_t* map)
{
    if (!map)
        return false;
    ProcessState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    switch (s.source) {
    case Source::kLoaded:
        return true;
    case Source::kAbsent:
        return !sameMap(map, s.recorded);
    case Source::kNotRead:
        break;
    }
    return false;
}

void noteWritten(const int32_t* map)
{
    noteRead(Source::kLoaded, map);
}

void resetProcessState()
{
    ProcessState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.header.clear();
    s.source = Source::kNotRead;
    std::memset(s.recorded, 0, sizeof s.recorded);
}

} // namespace AM_MidiMapFile
