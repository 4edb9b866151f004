#include "params/AM_StateReader.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_PluginInfo.h"
#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"
#include "params/AM_MetaText.h"
#include "params/AM_PresetAdapter.h"
#include "params/AM_QuadText.h"
#include "params/ParamKeyWords.h"
#include "params/object/AM_Messages.h"
#include "script/AM_ScriptMachine.h"
#include "script/ScriptPrint.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

namespace {

constexpr uint32_t kChunkMagic = 0x414D6263;        // "cbMA" in little-endian order
constexpr uint32_t kSwappedChunkMagic = 0x63624D41; // written with the other byte order
constexpr uint32_t kChunkHeaderBytes = 16;
constexpr uint32_t kWordBytes = 4;
constexpr int32_t kMaxSectionBytes = 1000000;
constexpr int32_t kStatementBytes = 255;
constexpr int32_t kStatementKept = 251; // characters kept before a statement is cut
constexpr int32_t kAdapterNameChars = 32;
constexpr int32_t kModuleNameBytes = 32;
// "#nm" and "#nv" maps hold at most this many saved sources.
constexpr int32_t kMaxSavedSources = 4096;
// A saved source count that marks a preset of the older sister product.
constexpr int32_t kSisterSourceCount = 13;
constexpr float kReaderSampleRate = 44100.0f;
constexpr const char* kMetaKeys[AM_ParaMan::kMetaTexts] = {"Author:", "Description:", "Usage:"};
constexpr const char* kProgramLine = "#pgm=";
constexpr const char* kMetaStart = "/*@meta";
constexpr const char* kTextDataReset = "...";

// Source names renamed over time; each name is also tried as its partner.
constexpr const char* kSourceRenames[][2] = {
    {"ArpModulator", "ArpMod"}, {"Pressure", "ATouch"}, {"KeyFollow", "KeyFol"}};

uint32_t getU32(const uint8_t* in)
{
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
           static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

uint32_t swapped(uint32_t v)
{
    return v >> 24 | (v >> 8 & 0xff00u) | (v << 8 & 0xff0000u) | v << 24;
}

// A name field of fieldBytes that need not be zero-terminated.
std::string fieldText(const char* field, size_t fieldBytes)
{
    size_t n = 0;
    while (n < fieldBytes && field[n])
        ++n;
    return std::string(field, n);
}

std::string withoutBlanks(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != ' ')
            out += c;
    return out;
}

// The index of a source named like name, or -1: the saved number itself when
// the source there still has that name (names may repeat), else the first
// of that name. Blanks do not count (the statement scanner drops them); with
// renames the old and new names of renamed sources match each other.
int32_t findSource(const char* name, int32_t savedNumber, const AM_ModSourceInfo* list,
                   int32_t count, bool renames)
{
    if (!list)
        return -1;
    if (savedNumber >= 0 && savedNumber < count &&
        withoutBlanks(fieldText(list[savedNumber].name, k_sourceNameBytes)) == withoutBlanks(name))
        return savedNumber;
    for (int32_t i = 0; i < count; ++i)
        if (fieldText(list[i].name, k_sourceNameBytes) == name)
            return i;
    std::string wanted = withoutBlanks(name);
    if (renames) {
        for (const auto& pair : kSourceRenames) {
            if (wanted == pair[0]) {
                wanted = pair[1];
                break;
            }
            if (wanted == pair[1]) {
                wanted = pair[0];
                break;
            }
        }
    }
    for (int32_t i = 0; i < count; ++i)
        if (withoutBlanks(fieldText(list[i].name, k_sourceNameBytes)) == wanted)
            return i;
    return -1;
}

uint32_t dataSize(const AM_ParamInfo& info)
{
    return info.max > 0.0f && info.max < static_cast<float>(INT32_MAX)
               ? static_cast<uint32_t>(info.max)
               : 0;
}

} // namespace

AM_StateReader::AM_StateReader(AM_ParaMan& manager, const char* text, int32_t size, int32_t mode,
                               int32_t level, int32_t filter)
    : man_(manager), text_(new char[static_cast<size_t>(size) + 1]),
      size_(static_cast<uint32_t>(size)), mode_(mode), level_(level),
      selected_(filter >= 0 ? filter
                            : manager.globalSetting(k_globalSelectModule, manager.moduleFilter_))
{
    std::memcpy(text_.get(), text, size_);
    text_[size_] = 0;
    const void* zero = std::memchr(text_.get(), 0, size_);
    textEnd_ = zero ? static_cast<uint32_t>(static_cast<const char*>(zero) - text_.get()) : size_;
    pending_.assign(static_cast<size_t>(man_.getJointParameterCount()), kUntouched);
    man_.readPending_[level_] = pending_.data();
}

AM_StateReader::~AM_StateReader()
{
    man_.readPending_[level_] = nullptr;
}

uint32_t AM_StateReader::find(const char* needle, uint32_t from, uint32_t limit) const
{
    const uint32_t n = static_cast<uint32_t>(std::strlen(needle));
    if (limit > textEnd_)
        limit = textEnd_;
    for (uint32_t i = from; i + n <= limit; ++i)
        if (std::memcmp(text_.get() + i, needle, n) == 0)
            return i;
    return limit;
}

bool AM_StateReader::atLineStart(uint32_t i) const
{
    return i == 0 || text_[i - 1] == '\n' || text_[i - 1] == '\r';
}

void AM_StateReader::run()
{
    if (mode_ == 0 || mode_ == 1)
        man_.emptyChangeQueue();
    man_.sendMessage(0, k_msgStateLoad, static_cast<uint32_t>(mode_), nullptr);

    uint32_t position = readMetaBlock(skipProgramLine());
    if (selected_ == 0)
        findPresetAdapter(position);
    if (selected_ > 0 || mode_ == 2)
        defaults_ = kKeepUnmentioned;
    current_ = -1;
    man_.currentModule_ = -1;
    apply(man_.ownId(man_.layout_.globalLocal(k_globalPatchNamed)), 1.0f);
    readBinarySection(position);
    scanStatements(position);
    finish();
}

uint32_t AM_StateReader::skipProgramLine() const
{
    if (find(kProgramLine, 0, static_cast<uint32_t>(std::strlen(kProgramLine))) != 0)
        return 0;
    uint32_t i = 0;
    while (i < textEnd_ && text_[i] != '\n')
        ++i;
    return i < textEnd_ ? i + 1 : textEnd_;
}

uint32_t AM_StateReader::findOutsideMeta(const char* needle, uint32_t from) const
{
    const uint32_t at = find(needle, from, textEnd_);
    if (at < metaStart_ || at >= metaEnd_)
        return at;
    return find(needle, metaEnd_, textEnd_);
}

// Finds the "@meta" comment and, in modes 0 and 1, takes its texts. Returns
// where the statements begin: behind the comment when it opens the text,
// else from.
uint32_t AM_StateReader::readMetaBlock(uint32_t from)
{
    const uint32_t start = find(kMetaStart, from, textEnd_);
    if (start >= textEnd_)
        return from;
    uint32_t textStart[AM_ParaMan::kMetaTexts] = {};
    uint32_t textLength[AM_ParaMan::kMetaTexts] = {};
    bool found[AM_ParaMan::kMetaTexts] = {};
    uint32_t i = start + static_cast<uint32_t>(std::strlen(kMetaStart));
    uint32_t blockEnd = textEnd_;
    while (i < textEnd_) {
        if (text_[i] == '*' && at(i + 1) == '/') {
            blockEnd = i + 2;
            break;
        }
        if (text_[i] == '\'') {
            uint32_t closing = 0;
            i = metatext::findClosingQuote(text_.get(), i + 1, textEnd_, &closing);
            continue;
        }
        int32_t key = -1;
        for (int32_t k = 0; k < AM_ParaMan::kMetaTexts && key < 0; ++k)
            if (find(kMetaKeys[k], i, i + static_cast<uint32_t>(std::strlen(kMetaKeys[k]))) == i)
                key = k;
        if (key < 0) {
            ++i;
            continue;
        }
        uint32_t q = i + static_cast<uint32_t>(std::strlen(kMetaKeys[key]));
        while (q < textEnd_ && static_cast<uint8_t>(text_[q]) <= ' ')
            ++q;
        if (q >= textEnd_ || text_[q] != '\'') {
            i = q;
            continue;
        }
        uint32_t closing = 0;
        i = metatext::findClosingQuote(text_.get(), q + 1, textEnd_, &closing);
        if (!found[key]) {
            found[key] = true;
            textStart[key] = q + 1;
            textLength[key] = closing - (q + 1);
        }
    }
    // Statements go on behind a block that opens the text. A block further
    // on (or one quoted in a comment) is skipped by the statement scanner as
    // the comment it is, so the statements before it are read.
    uint32_t lead = from;
    while (lead < start && static_cast<uint8_t>(text_[lead]) <= ' ')
        ++lead;
    const uint32_t next = lead == start ? blockEnd : from;
    metaStart_ = start;
    metaEnd_ = blockEnd;
    if ((mode_ != 0 && mode_ != 1) || !(found[0] || found[1] || found[2]))
        return next;
    // The block is the patch's: a text it lacks is empty.
    man_.allocMetaBuffers(found[0] ? textLength[0] + 1 : 0, found[1] ? textLength[1] + 1 : 0,
                          found[2] ? textLength[2] + 1 : 0);
    std::string unescaped;
    for (int32_t k = 0; k < AM_ParaMan::kMetaTexts; ++k) {
        if (!man_.getMetaText(k))
            continue;
        if (!found[k]) {
            man_.storeMetaText(k, nullptr, 0);
            continue;
        }
        metaFound_[k] = true;
        unescaped.assign(textLength[k] + 1, '\0');
        const uint32_t length =
            metatext::unescape(text_.get() + textStart[k], textLength[k], unescaped.data());
        man_.storeMetaText(k, unescaped.data(), length);
    }
    return next;
}

void AM_StateReader::findPresetAdapter(uint32_t from)
{
    AM_EngineOwner* owner = man_.getOwner();
    if (!owner)
        return;
    uint32_t at = from;
    for (;;) {
        at = findOutsideMeta("#AM=", at);
        if (at >= textEnd_)
            return;
        if (atLineStart(at))
            break;
        ++at;
    }
    char name[kAdapterNameChars + 1] = {};
    uint32_t p = at + 4;
    for (int32_t n = 0; n < kAdapterNameChars && p < textEnd_ &&
                        static_cast<uint8_t>(text_[p]) >= static_cast<uint8_t>(' ');
         ++n)
        name[n] = text_[p++];
    const AM_PluginInfo* info = owner->getPluginInfo();
    const std::string own = info ? fieldText(info->effectName, k_pluginNameBytes) : std::string();
    if (own == name)
        return;
    script::print("seeking for a PresetAdapter for '%s'\n", name);
    adapter_ = owner->findPresetAdapter(name);
    if (!adapter_)
        return;
    script::print("FOUND IT\n");
    adapter_->beginImport();
    if (!adapter_->resetsUnmentioned())
        defaults_ = kKeepUnmentioned;
}

void AM_StateReader::readBinarySection(uint32_t from)
{
    const uint32_t mark = findOutsideMeta("$$$$", from);
    if (mark < textEnd_) {
        int32_t bytes = 0;
        AM_STD::scanv(text_.get() + mark + 4, "%d", &bytes);
        if (bytes <= 0) {
            script::print("couldn't determine max size of compressed binary chunk.../n");
            return;
        }
        if (bytes > kMaxSectionBytes) {
            script::print("Horribly big number for binary chunk: %d/n", bytes);
            return;
        }
        std::vector<uint8_t>& buffer = man_.chunkBuffers_[level_];
        if (buffer.size() < static_cast<size_t>(bytes))
            buffer.resize(static_cast<size_t>(bytes));
        uint32_t decoded = 0;
        if (decodeQuadText(buffer.data(), text_.get() + mark + 4, textEnd_ - (mark + 4),
                           static_cast<uint32_t>(bytes), &decoded)) {
            records_ = buffer.data();
            recordBytes_ = decoded;
        }
        return;
    }
    // Records may follow the text's terminating zero directly, at the next
    // multiple of 4.
    const uint32_t start = (textEnd_ + 1 + kWordBytes - 1) / kWordBytes * kWordBytes;
    if (textEnd_ < size_ && start < size_) {
        records_ = reinterpret_cast<const uint8_t*>(text_.get()) + start;
        recordBytes_ = size_ - start;
    }
}

void AM_StateReader::scanStatements(uint32_t from)
{
    uint32_t pos = from;
    bool ended = false;
    char statementText[kStatementBytes + 1];
    while (pos < size_ && !ended) {
        man_.parsePosition_ = static_cast<int32_t>(pos);
        int32_t kept = 0;
        int32_t equals = -1;
        bool quoted = false;
        for (;;) {
            if (pos >= size_ || text_[pos] == 0) {
                ended = true;
                break;
            }
            const char c = text_[pos];
            if (c == '\n') {
                ++pos;
                ++line_;
                break;
            }
            if (c == '\r') {
                ++pos;
                break;
            }
            if (quoted) {
                // A quoted value name is taken as it stands.
                quoted = c != '\'';
                statementText[kept++] = c;
                ++pos;
            } else if (c == ' ' || c == '\t') {
                ++pos;
                continue;
            } else if (c == '/' && at(pos + 1) == '/') {
                while (pos < textEnd_ && text_[pos] != '\n' && text_[pos] != '\r')
                    ++pos;
                continue;
            } else if (c == '/' && at(pos + 1) == '*') {
                const uint32_t close = find("*/", pos + 2, textEnd_);
                for (uint32_t i = pos + 2; i < close; ++i)
                    line_ += text_[i] == '\n' ? 1 : 0;
                pos = close < textEnd_ ? close + 2 : textEnd_;
                continue;
            } else if (c == '$') {
                if (at(pos + 1) == '$' && at(pos + 2) != '$' && at(pos + 3) != '$') {
                    ended = true; // the binary section begins
                    break;
                }
                ++pos;
                continue;
            } else if (c == '<') {
                pos = at(pos + 1) == '?' ? runScript(pos) : pos + 1;
                continue;
            } else if (c == '=' && equals < 0) {
                equals = kept;
                statementText[kept++] = 0;
                ++pos;
            } else {
                quoted = c == '\'';
                statementText[kept++] = c;
                ++pos;
            }
            if (kept >= kStatementKept) {
                // Cut: the next character counts as the line's end.
                if (pos < size_ && text_[pos] != 0) {
                    line_ += text_[pos] == '\n' ? 1 : 0;
                    ++pos;
                }
                break;
            }
        }
        statementText[kept] = 0;
        statement(statementText, equals);
    }
}

// Compiles and runs the script block whose "<?" is at open; returns the
// position behind its "?>" (or where a script moved the parse position
// forward to).
uint32_t AM_StateReader::runScript(uint32_t open)
{
    script::print("start Compile in line %d\n", static_cast<int32_t>(line_));
    if (!machine_) {
        machine_ = std::make_unique<AM_ScriptMachine>(man_.getKeyWords());
        if (man_.scriptRunBudget_ > 0)
            machine_->setRunBudget(man_.scriptRunBudget_);
    }
    const uint32_t start = open + 2;
    const uint32_t remaining = size_ - start;
    man_.parsePosition_ = static_cast<int32_t>(start);
    int32_t consumed =
        remaining > 0 ? machine_->compileAndRun(text_.get() + start, line_, remaining) : 0;
    if (consumed < 0)
        consumed = 0;
    if (static_cast<uint32_t>(consumed) > remaining)
        consumed = static_cast<int32_t>(remaining);
    line_ = machine_->getLineNumber();
    uint32_t next = start + static_cast<uint32_t>(consumed);
    // A script may skip text ahead, never back (that could read a block
    // again and again).
    const int32_t moved = man_.parsePosition_;
    if (moved != static_cast<int32_t>(start) && moved > static_cast<int32_t>(next) &&
        static_cast<uint32_t>(moved) <= textEnd_)
        next = static_cast<uint32_t>(moved);
    return next;
}

void AM_StateReader::statement(char* text, int32_t equals)
{
    if (equals < 0 || text[equals + 1] == 0)
        return;
    const char* key = text;
    const char* value = text + equals + 1;
    if (key[0] == '#')
        hashKey(key, value);
    else
        parameterLine(key, value);
}

void AM_StateReader::hashKey(const char* key, const char* value)
{
    if (std::strcmp(key, "#nm") == 0) {
        sourceCount(value, sourceMap_, &sourceFill_, true);
    } else if (std::strcmp(key, "#nv") == 0) {
        sourceCount(value, secondMap_, &secondFill_, false);
    } else if (std::strcmp(key, "#ms") == 0) {
        sourceName(value, sourceMap_, &sourceFill_, true);
    } else if (std::strcmp(key, "#mv") == 0) {
        sourceName(value, secondMap_, &secondFill_, false);
    } else if (std::strcmp(key, "#defaults") == 0) {
        // A module preset never resets the whole patch.
        if (selected_ > 0 || mode_ == 2)
            return;
        if (std::strcmp(value, "no") == 0) {
            if (defaults_ == kResetUnmentioned)
                for (uint8_t& p : pending_)
                    if (p == kPending)
                        p = kUntouched;
            defaults_ = kKeepUnmentioned;
        } else if (std::strcmp(value, "yes") == 0) {
            if (defaults_ != kResetUnmentioned)
                markAllPending();
            defaults_ = kResetUnmentioned;
        }
    } else if (std::strcmp(key, "#Vers") == 0) {
        uint32_t version = 0;
        AM_STD::scanv(value, "%X", &version);
        if (version != 0)
            version_ = version;
    } else if (std::strcmp(key, "#patchname") == 0) {
        const int32_t id = man_.ownId(man_.layout_.globalLocal(k_globalPatchNamed));
        if (std::strcmp(value, "no") == 0)
            apply(id, 0.0f);
        else if (std::strcmp(value, "yes") == 0)
            apply(id, 1.0f);
    } else if (std::strcmp(key, "#cm") == 0) {
        moduleLine(value);
    }
}

void AM_StateReader::sourceCount(const char* value, std::vector<int32_t>& map, int32_t* fill,
                                 bool first)
{
    int32_t count = 0;
    AM_STD::scanv(value, "%d", &count);
    map.clear();
    *fill = 0;
    if (count > 0)
        map.assign(static_cast<size_t>(count < kMaxSavedSources ? count : kMaxSavedSources), 0);
    if (!first || count != kSisterSourceCount || adapter_)
        return;
    AM_EngineOwner* owner = man_.getOwner();
    const AM_PluginInfo* info = owner ? owner->getPluginInfo() : nullptr;
    if (!info || fieldText(info->effectName, k_pluginNameBytes) != "Ombrix")
        return;
    adapter_ = owner->findPresetAdapter("Vorlak");
    if (!adapter_)
        return;
    script::print("importing Vorlak preset into Ombrix\n");
    adapter_->beginImport();
    if (!adapter_->resetsUnmentioned())
        defaults_ = kKeepUnmentioned;
}

void AM_StateReader::sourceName(const char* value, std::vector<int32_t>& map, int32_t* fill,
                                bool first)
{
    if (static_cast<size_t>(*fill) >= map.size())
        return;
    const int32_t found = first ? findSource(value, *fill, man_.getModSourceList(),
                                             man_.getModSourceListCount(), true)
                                : findSource(value, *fill, man_.getSecondSourceList(),
                                             man_.getSecondSourceListCount(), false);
    if (found < 0 && first)
        script::print("Can't find '%s'\n", value);
    // An unknown source keeps its place (as "none"), so the numbers of the
    // sources after it stay right.
    map[static_cast<size_t>((*fill)++)] = found < 0 ? 0 : found;
}

void AM_StateReader::moduleLine(const char* value)
{
    current_ = -1;
    man_.currentModule_ = -1;
    AM_EngineOwner* owner = man_.getOwner();
    if (!owner)
        return;
    char name[kModuleNameBytes] = {};
    std::strncpy(name, value, sizeof(name) - 1);
    if (selected_ <= 0) {
        if (defaults_ == kUndecided) {
            markAllPending();
            defaults_ = kResetUnmentioned;
        }
        if (std::strcmp(name, "COsc1") == 0)
            std::strcpy(name, "OSC1");
        else if (std::strcmp(name, "COsc2") == 0)
            std::strcpy(name, "OSC2");
        translateKeys_ = adapter_ ? adapter_->translateModule(name, sizeof(name)) : false;
        name[sizeof(name) - 1] = 0;
        const int32_t count = owner->getModuleCount();
        for (int32_t i = 0; i < count; ++i) {
            const AM_ModuleRecord* record = owner->getModuleRecord(i);
            if (record && fieldText(record->shortName, k_moduleShortNameBytes) == name) {
                current_ = i;
                break;
            }
        }
    } else {
        // A module preset names the module's kind: "ENV" or "ENV1" loads into
        // ENV2 (of names of equal length, the last character is not compared).
        const AM_ModuleRecord* record = owner->getModuleRecord(selected_);
        if (!record)
            return;
        const std::string own = fieldText(record->shortName, k_moduleShortNameBytes);
        const size_t length = std::strlen(name);
        bool matches = false;
        if (length > 0 && length < own.size())
            matches = own.compare(0, length, name) == 0;
        else if (length > 0 && length == own.size())
            matches = own.compare(0, length - 1, name, length - 1) == 0;
        if (matches)
            current_ = selected_;
    }
    man_.currentModule_ = current_;
}

int32_t AM_StateReader::findKey(const char* key)
{
    AM_AudioObject* module = man_.moduleOf(current_);
    if (!module)
        return -1;
    const int32_t total = man_.getJointParameterCount();
    const int32_t first = module->getFirstParameterId();
    int32_t count = module->getParameterCount(false);
    if (first < 0 || first >= total || count <= 0)
        return -1;
    if (count > total - first)
        count = total - first;
    const size_t length = std::strlen(key);
    if (length >= static_cast<size_t>(k_shortNameBytes))
        return -1;
    int32_t i = cursor_ >= first && cursor_ < first + count ? cursor_ + 1 : first;
    for (int32_t n = 0; n < count; ++n, ++i) {
        if (i >= first + count)
            i = first;
        const char* shortName = man_.table_[i].shortName;
        if (std::strncmp(shortName, key, k_shortNameBytes) == 0) {
            cursor_ = i;
            return i;
        }
    }
    return -1;
}

void AM_StateReader::parameterLine(const char* key, const char* value)
{
    if (current_ < 0) {
        switchLine(key, value);
        return;
    }
    const char* lookup = key;
    if (translateKeys_ && adapter_) {
        const char* translated = adapter_->translateKey(key);
        if (translated)
            lookup = translated;
    }
    const int32_t id = findKey(lookup);
    if (id < 0) {
        switchLine(key, value);
        return;
    }
    man_.clearStatePending(id);
    const AM_ParamInfo& p = man_.table_[id];
    if (((p.flags & k_paramNoSnapshot) != 0 && mode_ != 1) || p.kind() == k_meter ||
        (p.flags & k_paramNotSaved) != 0 || ((p.flags & k_paramHidden) != 0 && mode_ != 2))
        return;
    switch (p.kind()) {
    case k_kindInteger:
        apply(id, listValue(id, value));
        break;
    case k_kindFloat:
    case k_kindXYAxis: {
        float v = 0.0f;
        AM_STD::AtoF(value, &v);
        apply(id, v);
        break;
    }
    case k_kindData:
        setData(id, value);
        break;
    case k_kindAssignment:
        setAssignment(id, value);
        break;
    default:
        break;
    }
}

float AM_StateReader::listValue(int32_t id, const char* value) const
{
    const AM_ParamInfo& p = man_.table_[id];
    if (value[0] == '\'') {
        std::string name(value + 1);
        if (!name.empty() && name.back() == '\'')
            name.pop_back();
        AM_ValueNames names = nullptr;
        const int32_t count = man_.getValueStrings(static_cast<uint32_t>(id), &names);
        for (int32_t i = 0; names && i < count; ++i)
            if (fieldText(names[i], k_valueNameBytes) == name)
                return p.min + static_cast<float>(i);
        return 0.0f;
    }
    int32_t n = 0;
    AM_STD::scanv(value, "%d", &n);
    if ((p.flags & k_paramSourceSelector) == 0)
        return static_cast<float>(n);
    // A saved source number: where that source is now.
    const bool second = (p.flags & k_paramSecondList) != 0;
    const std::vector<int32_t>& map = second ? secondMap_ : sourceMap_;
    if (n < 0 || static_cast<size_t>(n) >= map.size())
        return 0.0f;
    return static_cast<float>(map[static_cast<size_t>(n)]);
}

void AM_StateReader::setData(int32_t id, const char* value)
{
    int32_t wanted = 0;
    AM_STD::scanv(value, "%d", &wanted);
    if (!records_) {
        script::print("Binary Chunks are NULL!\n");
        script::print("CHUNK IS NULL\n");
        return;
    }
    const AM_ParamInfo& p = man_.table_[id];
    uint32_t offset = 0;
    for (int32_t k = 0; wanted >= 0; ++k) {
        const uint32_t left = recordBytes_ - offset;
        if (left < kChunkHeaderBytes)
            break;
        const uint8_t* record = records_ + offset;
        const uint32_t magic = getU32(record);
        const bool otherOrder = magic == kSwappedChunkMagic;
        const uint32_t size = otherOrder ? swapped(getU32(record + 4)) : getU32(record + 4);
        if ((magic != kChunkMagic && !otherOrder) || size > left - kChunkHeaderBytes) {
            script::print("FOUND INVALID BINARY CHUNK #%d\n", k);
            break;
        }
        if (k == wanted) {
            // A shorter record is filled up with zeros, a longer one cut.
            const uint32_t bytes = dataSize(p);
            const uint32_t copied = size < bytes ? size : bytes;
            payload_.assign(bytes, 0);
            std::memcpy(payload_.data(), record + kChunkHeaderBytes, copied);
            if (otherOrder && (p.flags & k_paramTextData) == 0) {
                for (uint32_t w = 0; w + kWordBytes <= copied; w += kWordBytes) {
                    const uint32_t v = swapped(getU32(payload_.data() + w));
                    std::memcpy(payload_.data() + w, &v, kWordBytes);
                }
            }
            AM_EngineOwner* owner = man_.getOwner();
            if (owner && bytes > 0)
                owner->setBinaryParameterData(id, payload_.data(), bytes);
            return;
        }
        offset += kChunkHeaderBytes + size;
    }
    script::print("CHUNK IS NULL\n");
}

void AM_StateReader::setAssignment(int32_t id, const char* value)
{
    const char* colon = nullptr;
    for (int32_t i = 0; i < k_shortNameBytes && value[i]; ++i) {
        if (value[i] == ':') {
            colon = value + i;
            break;
        }
    }
    if (!colon)
        return;
    const std::string module(value, static_cast<size_t>(colon - value));
    if (module == "none") {
        apply(id, -1.0f);
        return;
    }
    AM_EngineOwner* owner = man_.getOwner();
    const AM_ParamInfo* target = owner ? owner->findParameter(module.c_str(), colon + 1) : nullptr;
    if (target)
        apply(id, static_cast<float>(target->index));
}

void AM_StateReader::switchLine(const char* key, const char* value)
{
    if (!man_.getLoadingDefaults() || key[0] != '!' || std::strcmp(value, "YES") != 0)
        return;
    static constexpr const char* kSwitches[] = {"!EDITOR", "!BLOCK_LATENCY_OFF",
                                                "!PRINT_PUBLIC_PARAMS", "!PRINT_BINARY_STATE"};
    AM_EngineOwner* owner = man_.getOwner();
    for (int32_t k = 0; owner && k < static_cast<int32_t>(std::size(kSwitches)); ++k)
        if (std::strcmp(key, kSwitches[k]) == 0)
            owner->setEngineOption(k, 1);
}

void AM_StateReader::apply(int32_t id, float value)
{
    if (id < 0 || id >= man_.getJointParameterCount())
        return;
    man_.clearStatePending(id);
    if (value == man_.getValue(id, false))
        return;
    AM_ParamChangeContext context{kReaderSampleRate};
    man_.setParam(&id, &value, &context, true);
}

void AM_StateReader::markAllPending()
{
    for (uint8_t& p : pending_)
        if (p == kUntouched)
            p = kPending;
}

void AM_StateReader::finish()
{
    if (defaults_ == kResetUnmentioned) {
        for (int32_t k = 0; k < AM_ParaMan::kMetaTexts; ++k)
            if (!metaFound_[k])
                man_.storeMetaText(k, nullptr, 0);
        if (version_ != 0)
            man_.setVersion(version_, false);
        AM_EngineOwner* owner = man_.getOwner();
        AM_ParamChangeContext context{kReaderSampleRate};
        for (size_t i = 0; i < pending_.size(); ++i) {
            if (pending_[i] != kPending)
                continue;
            pending_[i] = kUntouched;
            int32_t id = static_cast<int32_t>(i);
            const AM_ParamInfo& p = man_.table_[id];
            if ((p.flags & (k_paramHidden | k_paramNotSaved | k_paramNoSnapshot)) != 0)
                continue;
            const uint32_t kind = p.kind();
            if (kind == k_kindInteger || kind == k_kindFloat || kind == k_kindXYAxis ||
                kind == k_kindAssignment) {
                float value = p.defaultValue;
                man_.setParam(&id, &value, &context, true);
            } else if (p.type == k_typeTextData && owner) {
                const uint32_t bytes = dataSize(p);
                if (bytes == 0)
                    continue;
                payload_.assign(bytes, 0);
                std::memcpy(payload_.data(), kTextDataReset,
                            std::min<size_t>(bytes - 1, std::strlen(kTextDataReset)));
                owner->setBinaryParameterData(id, payload_.data(), bytes);
            }
        }
    }
    if (machine_) {
        machine_->dumpVariables();
        machine_.reset();
    }
    if (adapter_)
        adapter_->endImport();
    man_.sendMessage(0, k_msgStateLoad, 1, nullptr);
    man_.switchQueueOff();
}
