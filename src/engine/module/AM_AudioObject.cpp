#include "engine/module/AM_AudioObject.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ModuleRecord.h"
#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ModSourceInfo.h"

#include <cstring>

namespace {

constexpr const char* kUntitled = "untitled";
constexpr int32_t kShortNameChars = 7;
constexpr int32_t kDiagnosticsRule = 68;

void copyText(char* out, int32_t bytes, const char* text)
{
    int32_t i = 0;
    for (; i < bytes - 1 && text[i] != 0; ++i)
        out[i] = text[i];
    out[i] = 0;
}

// Copies a message's text into a label of 128 bytes, made on first use.
void setLabelText(char*& label, const void* text)
{
    if (!text)
        return;
    if (!label)
        label = new char[k_labelBytes]();
    copyText(label, k_labelBytes, static_cast<const char*>(text));
}

void emptyRoutine(int32_t*, int32_t*, AM_ChildRecord*, AM_ProcessContext*) {}

} // namespace

AM_AudioObject::AM_AudioObject(AM_EngineOwner* owner, const char* name) : owner_(owner)
{
    mask_ = k_classAudioObject;
    copyText(name_, k_moduleNameBytes, name ? name : kUntitled);
    int32_t i = 0;
    for (; i < kShortNameChars && name_[i] != 0 && name_[i] != ':'; ++i)
        shortName_[i] = name_[i];
    shortName_[i] = 0;
}

AM_AudioObject::~AM_AudioObject()
{
    delete firstChild_;
    delete nextSibling_;
    delete[] label_;
    delete[] secondLabel_;
    if (sharedMemory_ && sharedMemory_->owner == this) {
        delete[] static_cast<uint8_t*>(sharedMemory_->buffer);
        delete sharedMemory_;
    }
}

const char* AM_AudioObject::getLongName() const
{
    const char* colon = std::strchr(name_, ':');
    if (!colon)
        return name_;
    ++colon;
    if (*colon == ' ')
        ++colon;
    return colon;
}

AM_ProcessContext* AM_AudioObject::context() const
{
    return owner_ ? owner_->getProcessContext() : nullptr;
}

void AM_AudioObject::setHost(AM_ObjectHost* host)
{
    if (host == host_)
        return;
    AM_Object::setHost(host);
    if (firstChild_)
        firstChild_->setHost(host);
    if (nextSibling_)
        nextSibling_->setHost(host);
}

void AM_AudioObject::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    switch (message) {
    case k_msgDescribeModule:
        if (ptr) {
            AM_ModuleRecord& record = static_cast<AM_ModuleRecord*>(ptr)[moduleIndex_];
            copyText(record.shortName, k_moduleShortNameBytes, shortName_);
            copyText(record.longName, k_moduleLongNameBytes, getLongName());
            record.moduleIndex = moduleIndex_;
            record.group = group_;
        }
        break;
    case k_msgCountModSources:
        if (modSourceCount_ != 0 && ptr) {
            int32_t* counter = static_cast<int32_t*>(ptr);
            firstModSource_ = static_cast<uint32_t>(*counter);
            *counter += static_cast<int32_t>(modSourceCount_);
        }
        break;
    case k_msgCountControlRows:
        if (controlRowCount_ != 0 && ptr) {
            int32_t* counter = static_cast<int32_t*>(ptr);
            firstControlRow_ = static_cast<uint32_t>(*counter);
            *counter += static_cast<int32_t>(controlRowCount_);
        }
        break;
    case k_msgDescribeModSources:
        if (ptr) {
            AM_ModSourceInfo* list = static_cast<AM_ModSourceInfo*>(ptr);
            for (uint32_t i = 0; i < modSourceCount_; ++i)
                getModSourceInfo(i, &list[firstModSource_ + i]);
        }
        break;
    case k_msgAssignIndex:
        if (ptr) {
            int32_t* counter = static_cast<int32_t*>(ptr);
            moduleIndex_ = static_cast<uint32_t>(*counter);
            ++*counter;
        }
        break;
    case k_msgRegisterPointer:
        if (ptr)
            static_cast<AM_AudioObject**>(ptr)[moduleIndex_] = this;
        break;
    case k_msgSetLabel:
        setLabelText(label_, ptr);
        break;
    case k_msgAssignCircuitIndex:
        if ((mask_ & k_classCircuit) != 0 && ptr) {
            int32_t* counter = static_cast<int32_t*>(ptr);
            circuitIndex_ = *counter;
            ++*counter;
        }
        break;
    case k_msgListModuleIndex:
        if (circuitIndex_ >= 0 && ptr)
            static_cast<uint32_t*>(ptr)[circuitIndex_] = moduleIndex_;
        break;
    case k_msgDiagnostics:
        printDiagnostics(ptr, message, arg);
        break;
    case k_msgSetSecondLabel:
        setLabelText(secondLabel_, ptr);
        break;
    default:
        break;
    }
    AM_Object::receiveMessage(sender, message, arg, ptr);
}

void AM_AudioObject::probe(const char*) {}
void AM_AudioObject::prepare(AM_ProcessContext*) {}
void AM_AudioObject::copiesChanged() {}
const AM_ParamInfo* AM_AudioObject::getParameterTemplate(uint32_t)
{
    return nullptr;
}
int32_t AM_AudioObject::getValueStrings(uint32_t, AM_ValueNames*)
{
    return 0;
}
void* AM_AudioObject::getParameterAddress(uint32_t)
{
    return nullptr;
}
void* AM_AudioObject::getParameterData(uint32_t)
{
    return nullptr;
}
void AM_AudioObject::parameterChanged(uint32_t*, float*, AM_ParamChangeContext*) {}
AM_AudioObjectMethod* AM_AudioObject::makeMethodRecord(const char*)
{
    return nullptr;
}
bool AM_AudioObject::writeDataByName(uint32_t, AM_NamePartList, int32_t, float)
{
    return false;
}
bool AM_AudioObject::readDataByName(uint32_t, AM_NamePartList, int32_t, float*)
{
    return false;
}
bool AM_AudioObject::callMethodByName(uint32_t, AM_NamePartList, int32_t, void*, float, float)
{
    return false;
}
uint32_t AM_AudioObject::getUserWord()
{
    return userWord_;
}
void AM_AudioObject::setUserWord(uint32_t word)
{
    userWord_ = word;
}
void AM_AudioObject::voiceEvent(int32_t, int32_t, float, float, AM_ProcessContext*) {}
void AM_AudioObject::midiEvent(int32_t, int32_t, float, float, uint32_t) {}

void AM_AudioObject::printSideChain(int32_t arg)
{
    AM_STD::printv("%s SideChain: %d\n", name_, arg);
}

AM_ProcessRoutine AM_AudioObject::getProcessRoutine(AM_ProcessContext*)
{
    return emptyRoutine;
}
void AM_AudioObject::reset(AM_ChildRecord*) {}
uint32_t AM_AudioObject::getModSourceCount()
{
    return modSourceCount_;
}
uint32_t AM_AudioObject::getFirstModSourceIndex()
{
    return firstModSource_;
}

void AM_AudioObject::getModSourceInfo(uint32_t i, AM_ModSourceInfo* info)
{
    if (!info)
        return;
    if (modSourceCount_ < 2)
        AM_STD::sprintn(info->name, sizeof(info->name), "%s", getLongName());
    else
        AM_STD::sprintn(info->name, sizeof(info->name), "%s %d", getLongName(),
                        static_cast<int32_t>(i));
    info->flags = k_sourceKindDefault;
    info->span = 1;
}

void AM_AudioObject::setGroup(int32_t group)
{
    group_ = group;
}
int32_t AM_AudioObject::getGroup()
{
    return group_;
}

void AM_AudioObject::printDiagnostics(void*, uint32_t, uint32_t)
{
    // Every trace call ends its line itself.
    char rule[kDiagnosticsRule + 1];
    std::memset(rule, '-', kDiagnosticsRule);
    rule[kDiagnosticsRule] = 0;
    AM_STD::printv("%s", rule);
    AM_STD::printv("DataDiagnostics Object %s:", name_);
    AM_STD::printv("%s", rule);
}

int32_t AM_AudioObject::getDependentModules(AM_AudioObject* const** list)
{
    if (list)
        *list = nullptr;
    return 0;
}

void* AM_AudioObject::getVoiceMemory(uint32_t voice)
{
    if (!voiceMemory_)
        return nullptr;
    const uint32_t voices = voiceCount_ ? voiceCount_ : 1;
    const uint64_t units = static_cast<uint64_t>(voiceMemorySize_) * voice / voices;
    return voiceMemory_ + units * 4;
}

void* AM_AudioObject::getGlobalMemory()
{
    return globalMemory_;
}

void AM_AudioObject::dispatchVoiceEvent(int32_t voice, int32_t type, float velocity, float pitch,
                                        AM_ProcessContext* ctx)
{
    voiceEvent(voice, type, velocity, pitch, ctx);
    if (nextVoiceEventReceiver_)
        nextVoiceEventReceiver_->dispatchVoiceEvent(voice, type, velocity, pitch, ctx);
}

void AM_AudioObject::dispatchMidiEvent(int32_t kind, int32_t number, float value, float extra,
                                       uint32_t frame)
{
    midiEvent(kind, number, value, extra, frame);
    if (nextMidiReceiver_)
        nextMidiReceiver_->dispatchMidiEvent(kind, number, value, extra, frame);
}

uint32_t AM_AudioObject::getSpareValue()
{
    return spareValue_;
}
void AM_AudioObject::setSpareValue(uint32_t value)
{
    spareValue_ = value;
}
uint32_t AM_AudioObject::getChannelCount()
{
    return channelCount_;
}
uint32_t AM_AudioObject::getBusRow()
{
    return busRow_;
}
void AM_AudioObject::setBusRow(uint32_t row)
{
    busRow_ = row;
}
uint32_t AM_AudioObject::getModuleIndex()
{
    return moduleIndex_;
}

void AM_AudioObject::setModuleFlags(uint32_t flags, uint32_t parameterCount, uint32_t channelCount,
                                    uint32_t modSourceCount, uint32_t controlRowCount)
{
    mask_ |= flags;
    parameterCount_ = parameterCount;
    channelCount_ = channelCount;
    modSourceCount_ = modSourceCount;
    controlRowCount_ = controlRowCount;
}

void AM_AudioObject::setVoiceCount(uint32_t count)
{
    voiceCount_ = count;
}
void AM_AudioObject::setChildCopies(uint32_t copies)
{
    childCopies_ = copies;
}
