// The patch-state writer: the state text piece by piece (createSetting) and
// the whole chunk with its letter-coded binary section (writeState).
//
// The text, in order:
//   /*@meta ... */        the meta texts (author, description, usage), each
//                         escaped between single quotes; only when one is set
//   #AM=<effect name>     #Vers=<version, hex>     #Endian=little|big
//   #nm=<n> #ms=<name>... the modulation sources, then #nv= / #mv= for the
//                         second list
//   #cm=<module>          before the parameters of each module, then
//   <short name>=<value>  one line per saved parameter in global id order:
//                         integers as "%d" or 'value name', floats "%.2f",
//                         data blocks by chunk number, assignments
//                         module:parameter or none:assigned
// "PForm" 2 adds explanatory comments; "SelMod" limits the text to one
// module; "PComp" 1 leaves inactive modules out.
//
// writeState makes the text in one pass, collects the data blocks of the
// same pass, sizes the chunk from the encoder's worst case and writes it
// without ever going past that size.

#include "params/AM_ParaMan.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_PluginInfo.h"
#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"
#include "params/AM_MetaText.h"
#include "params/AM_QuadText.h"
#include "params/object/AM_Messages.h"
#include "script/ScriptPrint.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kChunkMagic = 0x414D6263; // "cbMA" in little-endian order
constexpr uint32_t kChunkHeaderBytes = 16;
constexpr uint32_t kTextAlignment = 4;
constexpr uint32_t kEndianProbe = 0x42626C4C;
constexpr int32_t kExtendedFormat = 2;
constexpr int32_t kActiveOnly = 1;
constexpr uint32_t kLineBytes = 512;
constexpr uint32_t kNameBytes = 64;
constexpr uint32_t kSectionHeaderBytes = 128;
// Characters cut from the end of a "#cm=" line of a single module: its line
// feed and up to two digits.
constexpr int32_t kTrimmedTail = 3;
constexpr char kTrimLimit = '@'; // characters up to this one are cut
constexpr const char* kSectionHeader =
    "\n\n// Section for ugly compressed binary Data\n// DON'T TOUCH THIS\n\n$$$$%d\n";
constexpr const char* kMetaLabels[AM_ParaMan::kMetaTexts] = {"Author:\n'", "Description:\n'",
                                                             "Usage:\n'"};

void putU32(uint8_t* out, uint32_t value)
{
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
}

uint32_t floatBits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

// A zero-terminated copy of a name field that need not be terminated.
void copyName(char* out, uint32_t capacity, const char* field, uint32_t fieldBytes)
{
    uint32_t n = 0;
    while (field && n < fieldBytes && n + 1 < capacity && field[n])
        ++n;
    if (n > 0)
        std::memcpy(out, field, n);
    out[n] = 0;
}

// The integer a list or integer value is written as.
int32_t writtenInteger(float v)
{
    int32_t n = static_cast<int32_t>(std::trunc(v + 0.5f));
    if (v < 0.0f)
        --n;
    return n;
}

uint32_t dataSize(const AM_ParamInfo& info)
{
    return info.max > 0.0f && info.max < static_cast<float>(INT32_MAX)
               ? static_cast<uint32_t>(info.max)
               : 0;
}

// The first line as written: no line breaks, and none of the pairs that
// would start a binary section, a comment or a script.
std::string sanitisedFirstLine(const char* line)
{
    std::string out;
    for (const char* p = line; *p; ++p) {
        char c = *p;
        if (c == '\n' || c == '\r')
            c = ' ';
        const char previous = out.empty() ? 0 : out.back();
        if ((previous == '$' && c == '$') || (previous == '/' && c == '*') ||
            (previous == '<' && c == '?'))
            continue;
        out += c;
    }
    return out;
}

} // namespace

void AM_ParaMan::countTextProc(AM_ParaMan*, const char* piece, void* context)
{
    if (context && piece)
        *static_cast<uint32_t*>(context) += static_cast<uint32_t>(std::strlen(piece));
}

void AM_ParaMan::appendTextProc(AM_ParaMan*, const char* piece, void* context)
{
    auto* out = static_cast<AM_TextAppend*>(context);
    if (!out || !out->text || out->capacity == 0 || !piece)
        return;
    for (; *piece; ++piece) {
        if (out->length + 1 >= out->capacity) {
            out->overflow = true;
            break;
        }
        out->text[out->length++] = *piece;
    }
    out->text[out->length] = 0;
}

int32_t AM_ParaMan::globalSetting(int32_t global, const int32_t& field) const
{
    // The field is the global's storage, which the audio thread writes once
    // blocks run: it is read only while there is no table (and no audio).
    if (!table_)
        return field;
    const int32_t id = ownId(layout_.globalLocal(global));
    return static_cast<int32_t>(std::floor(requestedValue(id) + 0.5f));
}

void AM_ParaMan::createSetting(AM_TextProc proc, void* context)
{
    if (!proc) {
        script::print("AM_ParaMan::createSetting: inParamReportProc is NULL!\n");
        return;
    }
    writtenData_.clear();
    char line[kLineBytes];
    auto emit = [this, proc, context](const char* piece) { proc(this, piece, context); };

    bool anyMeta = false;
    for (const char* text : meta_)
        anyMeta = anyMeta || (text && text[0] != 0);
    if (anyMeta) {
        emit("/*@meta\n\n");
        std::string escaped;
        for (int32_t k = 0; k < kMetaTexts; ++k) {
            if (!meta_[k] || meta_[k][0] == 0)
                continue;
            escaped.clear();
            metatext::escape(meta_[k], escaped);
            emit(kMetaLabels[k]);
            emit(escaped.c_str());
            emit("'\n\n");
        }
        emit("*/\n\n");
    }

    char name[kNameBytes];
    const AM_PluginInfo* info = owner_ ? owner_->getPluginInfo() : nullptr;
    copyName(name, sizeof(name), info ? info->effectName : nullptr, k_pluginNameBytes);
    AM_STD::sprintn(line, sizeof(line), "#AM=%s\n", name);
    emit(line);
    const AM_ProcessContext* ctx = context_ ? context_ : AM_AudioObject::context();
    const uint32_t version = ctx ? loadStateVersion(*ctx) : getVersion();
    AM_STD::sprintn(line, sizeof(line), "#Vers=%X\n", version);
    emit(line);
    const uint32_t probe = kEndianProbe;
    emit(std::memcmp(&probe, "BblL", sizeof(probe)) == 0 ? "#Endian=big\n" : "#Endian=little\n");

    const int32_t format = globalSetting(k_globalPatchFormat, patchFormat_);
    if (format == kExtendedFormat)
        emit("\n/*\n\n\tModulator Reference Table\n\n*/\n\n");
    AM_STD::sprintn(line, sizeof(line), "#nm=%d\n", sourceCount_);
    emit(line);
    for (int32_t i = 0; i < sourceCount_; ++i) {
        copyName(name, sizeof(name), sourceList_[i].name, k_sourceNameBytes);
        AM_STD::sprintn(line, sizeof(line), "#ms=%s\n", name);
        emit(line);
    }
    AM_STD::sprintn(line, sizeof(line), "#nv=%d\n", secondCount_);
    emit(line);
    for (int32_t i = 0; i < secondCount_; ++i) {
        copyName(name, sizeof(name), secondList_[i].name, k_sourceNameBytes);
        AM_STD::sprintn(line, sizeof(line), "#mv=%s\n", name);
        emit(line);
    }

    const int32_t selected = globalSetting(k_globalSelectModule, moduleFilter_);
    if (selected != 0)
        script::print("ParaMan selectedModule: %d\n", selected);
    const int32_t compression = globalSetting(k_globalPatchCompression, patchCompression_);

    int32_t previousModule = INT_MIN;
    bool skipModule = false;
    int32_t dataNumber = 0;
    for (int32_t id = 0; table_ && id < parameterCount_; ++id) {
        const AM_ParamInfo& p = table_[id];
        if (p.kind() == k_meter || (p.flags & (k_paramHidden | k_paramNotSaved)) != 0)
            continue;
        if (selected > 0 && p.moduleIndex != selected)
            continue;
        if (p.moduleIndex != previousModule) {
            previousModule = p.moduleIndex;
            AM_AudioObject* module = moduleOf(p.moduleIndex);
            skipModule = compression == kActiveOnly && selected == 0 && module &&
                         !module->isActive(p.moduleIndex);
            if (!skipModule)
                writeModuleHeader(proc, context, p.moduleIndex, format, selected);
        }
        if (!skipModule)
            writeValueLine(proc, context, id, format, &dataNumber);
    }
}

void AM_ParaMan::writeModuleHeader(AM_TextProc proc, void* context, int32_t moduleIndex,
                                   int32_t format, int32_t selected)
{
    char line[kLineBytes];
    char name[kNameBytes];
    const AM_ModuleRecord* record = owner_ ? owner_->getModuleRecord(moduleIndex) : nullptr;
    copyName(name, sizeof(name), record ? record->shortName : nullptr, k_moduleShortNameBytes);
    if (format == kExtendedFormat) {
        const AM_AudioObject* module = moduleOf(moduleIndex);
        AM_STD::sprintn(line, sizeof(line), "\n/*\n\n\t%s\n\n*/\n\n",
                        module ? module->getName() : name);
        proc(this, line, context);
    }
    int32_t length = AM_STD::sprintn(line, sizeof(line), "#cm=%s\n", name);
    if (selected > 0) {
        // A module preset names its kind, not its number: "#cm=LFO" for LFO2.
        const int32_t nameStart = 4;
        for (int32_t cut = 0; cut < kTrimmedTail && length > nameStart; ++cut) {
            if (line[length - 1] > kTrimLimit)
                break;
            line[--length] = 0;
        }
        line[length++] = '\n';
        line[length] = 0;
    }
    proc(this, line, context);
}

void AM_ParaMan::writeValueLine(AM_TextProc proc, void* context, int32_t id, int32_t format,
                                int32_t* dataNumber)
{
    const AM_ParamInfo& p = table_[id];
    char shortName[k_shortNameBytes + 1];
    copyName(shortName, sizeof(shortName), p.shortName, k_shortNameBytes);
    const bool extended = format == kExtendedFormat;
    char line[kLineBytes];
    line[0] = 0;
    const float value = getValue(id, false);
    switch (p.kind()) {
    case k_kindInteger: {
        const int32_t n = writtenInteger(value);
        char valueText[kNameBytes];
        AM_STD::sprintn(valueText, sizeof(valueText), "%d", n);
        AM_ValueNames names = nullptr;
        const int32_t count = getValueStrings(static_cast<uint32_t>(id), &names);
        const int32_t place = n - static_cast<int32_t>(p.min);
        char valueName[k_valueNameBytes + 1] = {};
        const bool named = names && place >= 0 && place < count;
        if (named)
            copyName(valueName, sizeof(valueName), names[place], k_valueNameBytes);
        if (named && (p.flags & k_paramValueStrings) != 0)
            AM_STD::sprintn(valueText, sizeof(valueText), "'%s'", valueName);
        if (!extended)
            AM_STD::sprintn(line, sizeof(line), "%s=%s\n", shortName, valueText);
        else if (named)
            AM_STD::sprintn(line, sizeof(line), "%s=%s\t\t\t\t// %s=%s\n", shortName, valueText,
                            p.longName, valueName);
        else
            AM_STD::sprintn(line, sizeof(line), "%s=%s\t\t\t\t// %s\n", shortName, valueText,
                            p.longName);
        break;
    }
    case k_kindFloat:
    case k_kindXYAxis: {
        // A small negative value that rounds to zero is written as 0.00: a
        // "-0.00" would read back as 0 and be written without its sign.
        char number[kLineBytes];
        AM_STD::sprintn(number, sizeof(number), "%.2f", value);
        const char* text = std::strcmp(number, "-0.00") == 0 ? "0.00" : number;
        if (extended)
            AM_STD::sprintn(line, sizeof(line), "%s=%s\t\t\t// %s\n", shortName, text, p.longName);
        else
            AM_STD::sprintn(line, sizeof(line), "%s=%s\n", shortName, text);
        break;
    }
    case k_kindData:
        if (extended)
            AM_STD::sprintn(line, sizeof(line), "%s=%d\t\t\t\t// binary data for %s\n", shortName,
                            *dataNumber, p.longName);
        else
            AM_STD::sprintn(line, sizeof(line), "%s=%d\n", shortName, *dataNumber);
        ++*dataNumber;
        writtenData_.push_back(id);
        break;
    case k_kindAssignment: {
        const int32_t target = static_cast<int32_t>(std::floor(value + 0.5f));
        const AM_ParamInfo* t = target >= 0 ? getParameterInfo(target) : nullptr;
        const AM_ModuleRecord* record =
            t && owner_ ? owner_->getModuleRecord(t->moduleIndex) : nullptr;
        if (!record) {
            if (extended)
                AM_STD::sprintn(line, sizeof(line), "%s=none:assigned\t// %s\n", shortName,
                                p.longName);
            else
                AM_STD::sprintn(line, sizeof(line), "%s=none:assigned\n", shortName);
            break;
        }
        char moduleName[k_moduleShortNameBytes + 1];
        char targetName[k_shortNameBytes + 1];
        copyName(moduleName, sizeof(moduleName), record->shortName, k_moduleShortNameBytes);
        copyName(targetName, sizeof(targetName), t->shortName, k_shortNameBytes);
        if (extended)
            AM_STD::sprintn(line, sizeof(line), "%s=%s:%s\t// %s\n", shortName, moduleName,
                            targetName, p.longName);
        else
            AM_STD::sprintn(line, sizeof(line), "%s=%s:%s\n", shortName, moduleName, targetName);
        break;
    }
    default:
        return;
    }
    proc(this, line, context);
}

// The "cbMA" records of the data blocks of the last createSetting.
uint32_t AM_ParaMan::buildChunkRecords(std::vector<uint8_t>& out)
{
    uint64_t total = 0;
    for (int32_t id : writtenData_)
        total += kChunkHeaderBytes + dataSize(table_[id]);
    if (total > UINT32_MAX / 4) {
        AM_STD::printv("AM_ParaMan::writeState: %d bytes of data blocks are too many",
                       static_cast<int32_t>(total > INT32_MAX ? INT32_MAX : total));
        return UINT32_MAX;
    }
    out.assign(static_cast<size_t>(total), 0);
    uint8_t* record = out.data();
    for (int32_t id : writtenData_) {
        const AM_ParamInfo& p = table_[id];
        const uint32_t size = dataSize(p);
        putU32(record, kChunkMagic);
        putU32(record + 4, size);
        putU32(record + 8, floatBits(p.min));
        putU32(record + 12, floatBits(p.defaultValue));
        if (!owner_ || !owner_->copyBinaryParameterData(id, record + kChunkHeaderBytes, size))
            AM_STD::printv("dataPtr == NULL");
        record += kChunkHeaderBytes + size;
    }
    return static_cast<uint32_t>(total);
}

bool AM_ParaMan::reserveStateBuffer(uint64_t bytes)
{
    if (bytes > UINT32_MAX / 2)
        return false;
    if (stateCapacity_ < bytes) {
        delete[] stateBuffer_;
        stateCapacity_ = static_cast<uint32_t>(2 * bytes);
        stateBuffer_ = new char[stateCapacity_];
    }
    std::memset(stateBuffer_, 0, stateCapacity_);
    return true;
}

const char* AM_ParaMan::writeState(uint32_t* size, const char* firstLine)
{
    if (size)
        *size = 0;
    sendMessage(0, k_msgStateSave, 0, nullptr);
    stateText_.clear();
    createSetting([](AM_ParaMan*, const char* piece,
                     void* text) { *static_cast<std::string*>(text) += piece; },
                  &stateText_);
    const std::string head = firstLine ? sanitisedFirstLine(firstLine) + "\n" : std::string();
    const uint32_t total = buildChunkRecords(stateRecords_);

    const uint64_t textEnd = head.size() + stateText_.size(); // where the terminator goes
    const uint64_t t = (textEnd + 1 + kTextAlignment - 1) / kTextAlignment * kTextAlignment;
    char header[kSectionHeaderBytes];
    uint32_t headerLength = 0;
    uint64_t needed = t;
    if (total > 0 && total != UINT32_MAX) {
        headerLength = static_cast<uint32_t>(
            AM_STD::sprintn(header, sizeof(header), kSectionHeader, static_cast<int32_t>(total)));
        needed = t + headerLength + quadTextCapacity(total) + 2;
    }
    if (total == UINT32_MAX || !reserveStateBuffer(needed)) {
        AM_STD::printv("AM_ParaMan::writeState: the state does not fit");
        sendMessage(0, k_msgStateSave, 1, nullptr);
        return nullptr;
    }
    std::memcpy(stateBuffer_, head.data(), head.size());
    std::memcpy(stateBuffer_ + head.size(), stateText_.data(), stateText_.size());
    uint64_t chunkSize = t;
    if (total > 0) {
        // One continuous text: the terminator and the rounding bytes become
        // line feeds up to the section header at t - 1.
        for (uint64_t i = textEnd; i + 1 < t; ++i)
            stateBuffer_[i] = '\n';
        char* section = stateBuffer_ + t - 1;
        std::memcpy(section, header, headerLength);
        const uint64_t room = stateCapacity_ - (t - 1 + headerLength) - 2;
        const uint32_t encoded =
            encodeQuadText(section + headerLength, room, stateRecords_.data(), total);
        section[headerLength + encoded] = '\n';
        // The zero behind it and one more are in place already.
        chunkSize = t + headerLength + encoded + 2;
    }
    sendMessage(0, k_msgStateSave, 1, nullptr);
    if (size)
        *size = static_cast<uint32_t>(chunkSize);
    return stateBuffer_;
}
