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
    bool keepPrevious = false;
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

namespace {

bool blank(const char* line)
{
    for (; *line; ++line)
        if (*line != ' ' && *line != '\t' && *line != '\r' && *line != '\n')
            return false;
    return true;
}

// The first line of the header as the writer makes it.
bool isHeaderLine(const char* line)
{
    char text[kHeaderBytes];
    AM_STD::sprintn(text, sizeof text, kHeaderFormat, "Global", "MidiCC", "Map");
    const size_t length = std::strcspn(text, "\n");
    return std::strlen(line) == length && std::strncmp(line, text, length) == 0;
}

// Applies one line; false when it assigns nothing.
bool applyLine(const char* line, int32_t* map, AM_EngineOwner& owner)
{
    int32_t number = -1;
    char word[kWordBytes] = {};
    if (!startsWithNumber(line) ||
        AM_STD::scanv(line, "%d=%s ", &number, word, kWordBytes) != kItemsPerLine)
        return false;
    if (static_cast<uint32_t>(number) >= static_cast<uint32_t>(kControllers))
        return false;
    char module[k_nameFieldBytes];
    char parameter[k_nameFieldBytes];
    if (!AM_splitParameterName(word, module, parameter, AM_ParameterNameEnd::kBlank))
        return false;
    const AM_ParamInfo* info = owner.findParameter(module, parameter);
    if (!info || info->index > static_cast<uint32_t>(kIndexMask))
        return false;
    map[number] = static_cast<int32_t>(info->index) | kAssignedBit;
    return true;
}

} // namespace

int32_t applyText(const char* text, int32_t* map, AM_EngineOwner& owner, int32_t* untaken)
{
    if (untaken)
        *untaken = 0;
    if (!map)
        return 0;
    AM_LineReader reader(text);
    char line[kMaxLineChars + 1];
    int32_t applied = 0;
    while (reader.readLine(line, kMaxLineChars) != 0) {
        if (applyLine(line, map, owner))
            ++applied;
        else if (untaken && !blank(line) && !isHeaderLine(line))
            ++*untaken;
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
    // Only a map changed in this process (learned or unlearned) is written.
    switch (s.source) {
    case Source::kLoaded:
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
    noteUntakenLines(false);
}

void noteUntakenLines(bool present)
{
    ProcessState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.keepPrevious = present;
}

bool shouldKeepPrevious()
{
    ProcessState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.keepPrevious;
}

void resetProcessState()
{
    ProcessState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.header.clear();
    s.source = Source::kNotRead;
    std::memset(s.recorded, 0, sizeof s.recorded);
    s.keepPrevious = false;
}

} // namespace AM_MidiMapFile
