#include "params/CustomParamTable.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_PluginInfo.h"
#include "foundation/AM_DataFolder.h"
#include "foundation/AM_LineReader.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParameterName.h"
#include "params/AM_WholeFile.h"
#include "params/object/AM_ParamInfo.h"
#include "platform/TextConversion.h"

#include <cstring>

namespace {

constexpr const char* kFileNameFormat = "com.%s.%s.publicparams.txt";
constexpr uint32_t kFileNameBytes = 128;
// The name field and the display field of a line are copied whole and
// checked afterwards.
constexpr uint32_t kFieldBytes = CustomParamTable::kMaxLineChars + 1;
constexpr int32_t kFieldsPerLine = 3;

// At most 23 characters of the text, cut at a character boundary.
void copyDisplayName(char (&out)[CustomParamTable::kDisplayNameBytes], const char* text)
{
    std::memset(out, 0, sizeof out);
    if (!text)
        return;
    size_t length = std::strlen(text);
    if (length >= sizeof out) {
        length = sizeof out - 1;
        length -= platform::incompleteUtf8Tail(text, length);
    }
    std::memcpy(out, text, length);
}

// True when the line starts (after blanks and tabs) with a number, so that
// the scanner's %d really read one.
bool startsWithNumber(const char* line)
{
    while (*line == ' ' || *line == '\t')
        ++line;
    if (*line == '-')
        ++line;
    return *line >= '0' && *line <= '9';
}

} // namespace

CustomParamTable::CustomParamTable() = default;

CustomParamTable::~CustomParamTable() = default;

void CustomParamTable::clear()
{
    entries_.reset();
    entryOfNumber_.reset();
    globalIdOfNumber_.reset();
    count_ = 0;
}

void CustomParamTable::fileName(char* out, uint32_t capacity, const char* vendor,
                                const char* effect)
{
    AM_STD::sprintn(out, capacity, kFileNameFormat, vendor ? vendor : "", effect ? effect : "");
}

void CustomParamTable::buildFromParameters(AM_EngineOwner& owner, int32_t publishedCount)
{
    clear();
    if (publishedCount <= 0)
        return;
    count_ = publishedCount;
    const size_t n = static_cast<size_t>(count_);
    entries_ = std::make_unique<Entry[]>(n);
    entryOfNumber_ = std::make_unique<int32_t[]>(n);
    globalIdOfNumber_ = std::make_unique<int32_t[]>(n);
    for (int32_t k = 0; k < count_; ++k) {
        Entry& entry = entries_[static_cast<size_t>(k)];
        entry.publishedNumber = -1;
        entry.defaultPosition = static_cast<uint32_t>(k);
        const AM_ParamInfo* info = owner.getParameterDescriptor(k, true);
        entry.globalId = info ? static_cast<int32_t>(info->index) : -1;
        copyDisplayName(entry.displayName, info ? info->longName : nullptr);
        entry.named = false;
        entryOfNumber_[static_cast<size_t>(k)] = -1;
        globalIdOfNumber_[static_cast<size_t>(k)] = -1;
    }
}

void CustomParamTable::load(AM_EngineOwner& owner)
{
    const AM_PluginInfo* info = owner.getPluginInfo();
    AM_Directory support;
    if (const AM_FileErr error = getSpecialFolder(support, kAM_FolderSupport, 0, info->vendorName,
                                                  info->componentName)) {
        AM_STD::printv("Can't load Published: %d", static_cast<int32_t>(error));
        complete();
        return;
    }
    char name[kFileNameBytes];
    fileName(name, sizeof name, info->vendorName, info->effectName);
    if (!support.exists(name)) {
        complete();
        return;
    }
    AM_String path(support.path());
    path.appendNarrow(name);
    std::vector<char> text;
    const AM_WholeFileResult result = AM_readWholeFile(path, text, kMaxFileBytes);
    if (!result.ok()) {
        AM_STD::printv("Can't load Published: %d", static_cast<int32_t>(result.error));
        complete();
        return;
    }
    if (text.size() < 2) {
        AM_STD::printv("published file Size < 1");
        complete();
        return;
    }
    applyText(owner, text.data());
}

void CustomParamTable::applyText(AM_EngineOwner& owner, const char* text)
{
    AM_LineReader reader(text);
    char line[kMaxLineChars + 1];
    int32_t previous = -1;
    while (reader.readLine(line, kMaxLineChars) != 0)
        applyLine(owner, line, previous);
    complete();
}

void CustomParamTable::applyLine(AM_EngineOwner& owner, const char* line, int32_t& previous)
{
    int32_t number = 0;
    char name[kFieldBytes] = {};
    char display[kFieldBytes] = {};
    if (!startsWithNumber(line) || AM_STD::scanv(line, "%d:%s\"%s\" ", &number, name, kFieldBytes,
                                                 display, kFieldBytes) != kFieldsPerLine)
        return;
    if (number != previous + 1)
        AM_STD::printv("Out Of order: Param %d after %d", number, previous);
    previous = number;
    if (number < 0 || number >= count_)
        return;
    const size_t slot = static_cast<size_t>(number);
    if (globalIdOfNumber_[slot] != -1) {
        AM_STD::printv("double assignemnt to Param %d - ignored", number);
        return;
    }
    char module[k_nameFieldBytes];
    char parameter[k_nameFieldBytes];
    if (!AM_splitParameterName(name, module, parameter, AM_ParameterNameEnd::kBlankOrColon))
        return;
    const AM_ParamInfo* info = owner.findParameter(module, parameter);
    if (!info || info->publishedIndex < 0)
        return;
    const int32_t k = entryOfGlobalId(static_cast<int32_t>(info->index));
    if (k < 0)
        return;
    Entry& entry = entries_[static_cast<size_t>(k)];
    // A parameter keeps the number its first line gave it: a second number
    // would leave that one and some other parameter without a parameter.
    if (entry.publishedNumber != -1) {
        AM_STD::printv("Param %d: %s:%s already is Param %d - ignored", number, module, parameter,
                       entry.publishedNumber);
        return;
    }
    entry.publishedNumber = number;
    copyDisplayName(entry.displayName, display);
    entry.named = true;
    entryOfNumber_[slot] = k;
    globalIdOfNumber_[slot] = entry.globalId;
}

int32_t CustomParamTable::entryOfGlobalId(int32_t globalId) const
{
    for (int32_t k = 0; k < count_; ++k) {
        if (entries_[static_cast<size_t>(k)].globalId == globalId)
            return k;
    }
    return -1;
}

// Numbers without a parameter go, in ascending order, to the entries
// without a number, in default order. Each number taken consumes one entry,
// so the free entries always suffice and are met in order.
void CustomParamTable::complete()
{
    int32_t cursor = 0;
    for (int32_t p = 0; p < count_; ++p) {
        const size_t slot = static_cast<size_t>(p);
        if (globalIdOfNumber_[slot] != -1)
            continue;
        while (cursor < count_ && entries_[static_cast<size_t>(cursor)].publishedNumber != -1)
            ++cursor;
        if (cursor >= count_) {
            AM_STD::printv("CustomParamTable: no parameter left for Param %d", p);
            return;
        }
        Entry& entry = entries_[static_cast<size_t>(cursor)];
        entry.publishedNumber = p;
        entryOfNumber_[slot] = cursor;
        globalIdOfNumber_[slot] = entry.globalId;
        ++cursor;
    }
}

int32_t CustomParamTable::getInternalIDFromPublished(int32_t p) const
{
    if (p < 0 || p >= count_) {
        AM_STD::printv("CustomParamTable::getInternalIDFromPublished out of bounds!");
        return -1;
    }
    return globalIdOfNumber_[static_cast<size_t>(p)];
}

const char* CustomParamTable::getPublishedName(int32_t p) const
{
    if (p < 0 || p >= count_) {
        AM_STD::printv("CustomParamTable::getInternalIDFromPublished out of bounds!");
        return nullptr;
    }
    const int32_t k = entryOfNumber_[static_cast<size_t>(p)];
    if (k < 0)
        return nullptr;
    const Entry& entry = entries_[static_cast<size_t>(k)];
    return entry.named ? entry.displayName : "";
}

const CustomParamTable::Entry* CustomParamTable::getEntry(int32_t k) const
{
    return (k >= 0 && k < count_) ? &entries_[static_cast<size_t>(k)] : nullptr;
}
