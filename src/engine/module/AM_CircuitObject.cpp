#include "engine/module/AM_CircuitObject.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ModSourceInfo.h"

#include <cstring>

namespace {

constexpr uint32_t kBuiltInRows = 3;
constexpr uint32_t kCircuitFlags = k_classMidiReceiver | k_classCircuit;
constexpr uint32_t kProcessModePlain = 1;
constexpr int32_t kControllerBreath = 2;
constexpr int32_t kControllerExpression = 11;
// MIDI event kinds.
constexpr int32_t kEventController = 1;
constexpr int32_t kEventPitchWheel = 2;
constexpr int32_t kEventModWheel = 3;
constexpr int32_t kSwitchNameChars = 6;

const AM_ParamInfo kBuiltIns[kBuiltInRows] = {
    {0, "CcOp", "Output", k_kindFloat, 0.0f, 200.0f, 100.0f, 0x7, -1, 0, -1},
    {1, "RnDm", "Random", k_kindFloat, 0.0f, 100.0f, 10.0f, 0x403, -1, 1, -1},
    {2, "RnDmB", "Randomize", k_kindInteger, 0.0f, 1.0f, 0.0f, 0x1480, -1, 2, -1},
};
const AM_ParamInfo kRoutingRow = {
    0, "CrcR", "Circuit Routing", k_kindInteger, 0.0f, 0.0f, 0.0f, 0x84, -1, 0, -1};
const AM_ParamInfo kSwitchRow = {0,  "#", "Active %s", k_kindInteger, 0.0f, 1.0f, 1.0f, 0x884,
                                 -1, 0,   -1};
const AM_ParamInfo kSyncRow = {
    0, "CiTr", "Sync Trigger", k_kindInteger, 0.0f, 1.0f, 1.0f, 0x2104, -1, 0, -1};

struct SourceName {
    const char* name;
    uint32_t kind;
};
const SourceName kControllerSources[k_circuitControllers] = {
    {"ModWhl", 0x60000}, {"PitchW", 0x50001}, {"Breath", 0x70000}, {"Xpress", 0x70000}};

} // namespace

AM_CircuitObject::AM_CircuitObject(AM_EngineOwner* owner, const char* name,
                                   uint32_t channelCapacity, uint32_t busRow)
    : AM_AudioObject(owner, name), channelCapacity_(channelCapacity)
{
    setModuleFlags(kCircuitFlags, kBuiltInRows, channelCapacity, k_circuitControllers,
                   k_circuitControllers);
    setBusRow(busRow);
}

AM_CircuitObject::~AM_CircuitObject() = default;

uint32_t AM_CircuitObject::getCircuitParameterCount() const
{
    return static_cast<uint32_t>(builtInCount_ + (routingChoices_ > 0 ? 1 : 0) + switchCount_ +
                                 (syncTrigger_ ? 1 : 0));
}

void AM_CircuitObject::updateParameterCount()
{
    parameterCount_ = getCircuitParameterCount();
    syncTriggerIndex_ = syncTrigger_ ? static_cast<int32_t>(parameterCount_) - 1 : -1;
}

uint32_t AM_CircuitObject::recordsOf(AM_AudioObject* child) const
{
    if (!channelSharing_ || (child->getMask() & k_classPolyByCopies) == 0)
        return 1;
    const uint32_t channels = child->getChannelCount() ? child->getChannelCount() : 1;
    const uint32_t copies = channelCapacity_ / channels;
    return copies ? copies : 1;
}

int32_t AM_CircuitObject::addChild(AM_AudioObject* object)
{
    if (!object)
        return 0;
    if (object->getChannelCount() > channelCapacity_) {
        AM_STD::printv("CIRCUIT ERROR: AudioObject %s needs more Channels than available!\n",
                       object->getName());
        return 0;
    }
    int32_t result = AM_AudioObject::addChild(object);
    if (result == 0)
        return 0;
    const uint32_t records = recordsOf(object);
    if (channelSharing_ && (object->getMask() & k_classPolyByCopies) != 0) {
        object->setVoiceCount(records);
        result = static_cast<int32_t>(records);
    }
    recordCount_ += static_cast<int32_t>(records);
    if ((object->getMask() & k_classSwitchable) != 0)
        ++switchCount_;
    updateParameterCount();
    return result;
}

void AM_CircuitObject::setChannelSharing(bool on)
{
    channelSharing_ = on;
}

void AM_CircuitObject::enableSyncTrigger()
{
    syncTrigger_ = true;
    updateParameterCount();
}

int32_t AM_CircuitObject::removeBuiltInParameters()
{
    const int32_t old = builtInCount_;
    builtInCount_ = 0;
    updateParameterCount();
    return old;
}

void AM_CircuitObject::enableCircuitRouting(int32_t choices)
{
    routingChoices_ = choices > 0 ? choices : 0;
    updateParameterCount();
}

void AM_CircuitObject::setRoutingNames(AM_ValueNames names)
{
    routingNames_ = names;
}
void AM_CircuitObject::setProcessMode(uint32_t mode)
{
    processMode_ = mode;
}

AM_CircuitObject::Row AM_CircuitObject::rowOf(uint32_t local, uint32_t* number) const
{
    uint32_t i = local;
    if (i < static_cast<uint32_t>(builtInCount_)) {
        *number = i;
        return Row::builtIn;
    }
    i -= static_cast<uint32_t>(builtInCount_);
    if (routingChoices_ > 0) {
        if (i == 0) {
            *number = 0;
            return Row::routing;
        }
        --i;
    }
    if (i < static_cast<uint32_t>(switchCount_)) {
        *number = i;
        return Row::switchRow;
    }
    i -= static_cast<uint32_t>(switchCount_);
    if (syncTrigger_ && i == 0) {
        *number = 0;
        return Row::syncTrigger;
    }
    *number = 0;
    return Row::none;
}

// The row of local number `local`, built from the templates; switch rows
// take the names of the switchable children in child order.
void AM_CircuitObject::fillParameterRow(uint32_t local, AM_ParamInfo* info) const
{
    uint32_t number = 0;
    switch (rowOf(local, &number)) {
    case Row::builtIn:
        *info = kBuiltIns[number];
        break;
    case Row::routing:
        *info = kRoutingRow;
        info->max = static_cast<float>(routingChoices_ - 1);
        break;
    case Row::switchRow: {
        *info = kSwitchRow;
        uint32_t record = 0;
        int32_t seen = 0;
        for (AM_AudioObject* child = firstChild_; child; child = child->getNextSibling()) {
            if ((child->getMask() & k_classSwitchable) != 0) {
                if (seen == static_cast<int32_t>(number)) {
                    char shortName[k_shortNameBytes] = "#";
                    const char* childName = child->getShortName();
                    for (int32_t c = 0; c < kSwitchNameChars && childName[c] != 0; ++c)
                        shortName[c + 1] = childName[c];
                    AM_setShortName(*info, shortName);
                    AM_STD::sprintn(info->longName, sizeof(info->longName), "Active %s", shortName);
                    info->index = record;
                    info->localNumber = record;
                    return;
                }
                ++seen;
            }
            record += recordsOf(child);
        }
        return;
    }
    case Row::syncTrigger:
        *info = kSyncRow;
        break;
    case Row::none:
        std::memset(info, 0, sizeof(*info));
        return;
    }
    info->index = local;
    info->localNumber = local;
}

void AM_CircuitObject::buildParameterTable()
{
    const uint32_t count = getCircuitParameterCount();
    if (!parameterTable_ || parameterTableSize_ != count) {
        parameterTable_ = std::make_unique<AM_ParamInfo[]>(count ? count : 1);
        parameterTableSize_ = count;
    }
    for (uint32_t i = 0; i < count; ++i)
        fillParameterRow(i, &parameterTable_[i]);
}

const AM_ParamInfo* AM_CircuitObject::getParameterTemplate(uint32_t local)
{
    if (local >= getCircuitParameterCount())
        return nullptr;
    // Before prepare the rows follow the children as they are added.
    if (!prepared_ || parameterTableSize_ != getCircuitParameterCount())
        buildParameterTable();
    return &parameterTable_[local];
}

int32_t AM_CircuitObject::getValueStrings(uint32_t local, AM_ValueNames* list)
{
    uint32_t number = 0;
    if (rowOf(local, &number) != Row::routing || !routingNames_)
        return 0;
    if (list)
        *list = routingNames_;
    return routingChoices_;
}

AM_CircuitHeader* AM_CircuitObject::getHeader() const
{
    return prepared_ ? reinterpret_cast<AM_CircuitHeader*>(globalMemory_) : nullptr;
}

AM_ChildRecord* AM_CircuitObject::getChildRecord(int32_t number) const
{
    AM_CircuitHeader* header = getHeader();
    if (!header || number < 0 || number >= header->recordCount)
        return nullptr;
    return &header->records[number];
}

AM_CircuitVoice* AM_CircuitObject::getCircuitVoice(uint32_t copy, uint32_t voice) const
{
    if (!voiceMemory_ || voiceMemorySize_ == 0)
        return nullptr;
    const uint32_t voices = voiceCount_ ? voiceCount_ : 1;
    const size_t perVoice = static_cast<size_t>(voiceMemorySize_) * 4 / voices;
    return reinterpret_cast<AM_CircuitVoice*>(
        voiceMemory_ + static_cast<size_t>(copy) * copyStride_ + perVoice * voice);
}

void* AM_CircuitObject::getParameterAddress(uint32_t local)
{
    AM_CircuitHeader* header = getHeader();
    if (!header)
        return nullptr;
    uint32_t number = 0;
    switch (rowOf(local, &number)) {
    case Row::builtIn:
        if (number == 0)
            return &header->outputValue;
        if (number == 1)
            return &header->randomValue;
        return &header->randomizeValue;
    case Row::routing:
        return &header->routingValue;
    case Row::switchRow:
        return header->switches ? &header->switches[number].value : nullptr;
    case Row::syncTrigger:
        return &header->syncTriggerValue;
    case Row::none:
        break;
    }
    return nullptr;
}

void AM_CircuitObject::parameterChanged(uint32_t* local, float*, AM_ParamChangeContext*)
{
    AM_CircuitHeader* header = getHeader();
    if (!local || !header)
        return;
    uint32_t number = 0;
    switch (rowOf(*local, &number)) {
    case Row::builtIn:
        if (number == 2 && header->randomizeValue != 0) {
            AM_STD::printv("randomizing...\n");
            if (firstChild_)
                firstChild_->randomizeTree(header->randomValue);
            randomize(header->randomValue);
        }
        return;
    case Row::routing:
        if (owner_)
            owner_->setCircuitRouting(this, static_cast<float>(header->routingValue));
        return;
    case Row::switchRow:
        setSwitch(static_cast<int32_t>(number));
        return;
    case Row::syncTrigger:
    case Row::none:
        break;
    }
    AM_STD::printv("FATAL ERROR: AM_CircuitObject got bypass info for non-existing Module\n");
}

// Turns a switched child on or off: the run bit follows the switch and a
// running fade turns around from where it stands. A child switched on is
// reset first; its dependent modules follow without reset.
void AM_CircuitObject::setSwitch(int32_t switchNumber)
{
    AM_CircuitHeader* header = getHeader();
    if (!header->switches || switchNumber >= header->switchCount)
        return;
    const AM_SwitchEntry& entry = header->switches[switchNumber];
    AM_ChildRecord* record = getChildRecord(static_cast<int32_t>(entry.recordNumber));
    if (!record)
        return;
    const uint32_t on = entry.value != 0 ? static_cast<uint32_t>(k_childRun) : 0u;
    if ((record->flags & k_childRun) == on)
        return;
    auto flip = [on](AM_ChildRecord& r) {
        r.flags = (r.flags & ~k_childRun) | on;
        r.setFadeCountdown(k_fadeUnits - r.fadeCountdown());
    };
    flip(*record);
    if (on && record->object)
        record->object->reset(record);
    AM_AudioObject* const* dependents = nullptr;
    const int32_t count = record->object ? record->object->getDependentModules(&dependents) : 0;
    for (int32_t d = 0; d < count && dependents; ++d) {
        for (int32_t r = 1; r < header->recordCount; ++r) {
            AM_ChildRecord& other = header->records[r];
            if (other.object == dependents[d] && (other.flags & k_childRun) != on)
                flip(other);
        }
    }
}

void AM_CircuitObject::midiEvent(int32_t kind, int32_t number, float value, float, uint32_t)
{
    int32_t controller = -1;
    if (kind == kEventController && number == kControllerBreath)
        controller = k_controllerBreath;
    else if (kind == kEventController && number == kControllerExpression)
        controller = k_controllerExpression;
    else if (kind == kEventPitchWheel)
        controller = k_controllerPitchWheel;
    else if (kind == kEventModWheel)
        controller = k_controllerModWheel;
    if (controller < 0)
        return;
    for (uint32_t copy = 0; copy < copyCount_; ++copy) {
        for (uint32_t voice = 0; voice < voiceCount_; ++voice) {
            AM_CircuitVoice* state = getCircuitVoice(copy, voice);
            if (!state)
                return;
            state->target[controller] = value;
            state->increment[controller] = 0.0f;
        }
    }
}

void AM_CircuitObject::getModSourceInfo(uint32_t i, AM_ModSourceInfo* info)
{
    if (!info)
        return;
    if (i < k_circuitControllers) {
        AM_STD::sprintn(info->name, sizeof(info->name), "%s", kControllerSources[i].name);
        info->flags = kControllerSources[i].kind;
    } else {
        AM_STD::sprintn(info->name, sizeof(info->name), "%s %d", getLongName(),
                        static_cast<int32_t>(i));
        info->flags = k_sourceKindDefault;
    }
    info->span = 1;
}

void AM_CircuitObject::randomize(float amount)
{
    if (builtInCount_ == 0)
        AM_AudioObject::randomize(amount);
}

AM_ProcessRoutine AM_CircuitObject::getProcessRoutine(AM_ProcessContext*)
{
    return processMode_ == kProcessModePlain ? processModules : processModulesProbed;
}

bool AM_CircuitObject::isActive(int32_t index)
{
    if (parent_ && !parent_->isActive(static_cast<int32_t>(moduleIndex_)))
        return false;
    if (index == 0 || index == static_cast<int32_t>(moduleIndex_))
        return true;
    AM_CircuitHeader* header = getHeader();
    if (!header)
        return false;
    for (int32_t i = 0; i < header->runCount; ++i) {
        const uint32_t number = header->runList[i];
        if (number >= static_cast<uint32_t>(header->recordCount))
            continue;
        const AM_ChildRecord& record = header->records[number];
        if (record.object && record.object->getModuleIndex() == static_cast<uint32_t>(index))
            return (record.flags & k_childRun) != 0;
    }
    return false;
}

void AM_CircuitObject::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    if (message == k_msgParameterChanged) {
        AM_CircuitHeader* header = getHeader();
        for (int32_t i = 0; header && i < header->recordCount; ++i) {
            AM_ChildRecord& record = header->records[i];
            if (record.globalMemory == ptr && record.object)
                record.routine = record.object->getProcessRoutine(processContext_);
        }
    } else if (message == k_msgCircuitSignal && arg == 1) {
        sendMessage(0, k_msgCircuitSignal, k_circuitSignalEcho, ptr);
    }
    AM_AudioObject::receiveMessage(sender, message, arg, ptr);
}
