// Laying out a circuit's memory and filling its child records once the
// engine block exists.

#include "engine/module/AM_CircuitObject.h"

#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"
#include "params/object/AM_Messages.h"

uint32_t AM_CircuitObject::getVoiceMemorySize()
{
    return sizeof(AM_CircuitVoice);
}

uint32_t AM_CircuitObject::getGlobalMemorySize()
{
    return k_circuitHeaderBytes + k_circuitBytesPerRecord * static_cast<uint32_t>(recordCount_) +
           k_circuitBytesPerSwitch * static_cast<uint32_t>(switchCount_);
}

void AM_CircuitObject::prepare(AM_ProcessContext* context)
{
    processContext_ = context;
    buildParameterTable();
    prepared_ = globalMemory_ != nullptr;
    if (!prepared_)
        return;

    // Global memory: header, switch list, child records, run list.
    auto* header = reinterpret_cast<AM_CircuitHeader*>(globalMemory_);
    uint8_t* cursor = globalMemory_ + k_circuitHeaderBytes;
    header->switches = nullptr;
    if (switchCount_ > 0) {
        header->switches = reinterpret_cast<AM_SwitchEntry*>(cursor);
        cursor += sizeof(AM_SwitchEntry) * static_cast<size_t>(switchCount_);
    }
    header->records = reinterpret_cast<AM_ChildRecord*>(cursor);
    cursor += sizeof(AM_ChildRecord) * static_cast<size_t>(recordCount_);
    header->runList = reinterpret_cast<uint32_t*>(cursor);
    header->runListEnd = header->runList + recordCount_;
    header->recordCount = recordCount_;
    header->runCount = recordCount_;
    header->circuitIndex = circuitIndex_;
    header->switchCount = switchCount_;
    header->firstControlRow = firstControlRow_;

    // The voice state of every voice of copy 0 points at the block behind it.
    for (uint32_t voice = 0; voice < voiceCount_; ++voice) {
        AM_CircuitVoice* state = getCircuitVoice(0, voice);
        state->ownBlock = reinterpret_cast<uint8_t*>(state) + sizeof(AM_CircuitVoice);
    }

    // Child records, walking the children in order.
    int32_t record = 0;
    int32_t switchNumber = 0;
    for (AM_AudioObject* child = firstChild_; child; child = child->getNextSibling()) {
        const uint32_t copies = recordsOf(child);
        const bool byCopies = channelSharing_ && (child->getMask() & k_classPolyByCopies) != 0;
        const uint32_t channels = child->getChannelCount() ? child->getChannelCount() : 1;
        const uint32_t rowStep = byCopies ? channels : channelCapacity_;
        if ((child->getMask() & k_classSwitchable) != 0 && switchNumber < switchCount_) {
            header->switches[switchNumber] = AM_SwitchEntry{1, static_cast<uint32_t>(record)};
            ++switchNumber;
        }
        for (uint32_t copy = 0; copy < copies && record < recordCount_; ++copy) {
            AM_ChildRecord& r = header->records[record];
            r.voiceMemory = child->getVoiceMemory(copy);
            r.globalMemory = child->getGlobalMemory();
            r.object = child;
            r.routine = child->getProcessRoutine(context);
            const uint32_t row = channelSharing_ ? copy * rowStep : busRow_;
            r.inputRow = static_cast<uint8_t>(row);
            r.outputRow = static_cast<uint8_t>(row);
            r.voice = 0;
            r.flags = k_childRun | k_childCreated;
            header->runList[record] = static_cast<uint32_t>(record);
            ++record;
        }
    }
    if (record < recordCount_) {
        AM_STD::printv("ERROR: %d CircuitModules set up, %d expected\n", record, recordCount_);
        header->recordCount = record;
        header->runCount = record;
    }
}

// Copies of the circuit's voice memory were made from copy 0: each copy's
// voice states point at their own block again.
void AM_CircuitObject::copiesChanged()
{
    for (uint32_t copy = 1; copy < copyCount_; ++copy) {
        for (uint32_t voice = 0; voice < voiceCount_; ++voice) {
            AM_CircuitVoice* state = getCircuitVoice(copy, voice);
            if (state)
                state->ownBlock = reinterpret_cast<uint8_t*>(state) + sizeof(AM_CircuitVoice);
        }
    }
}

AM_CircuitHeader* AM_CircuitObject::setRunCount(int32_t count)
{
    AM_CircuitHeader* header = getHeader();
    if (!header)
        return nullptr;
    if (count < 0)
        count = 0;
    if (count > header->recordCount)
        count = header->recordCount;
    header->runCount = count;
    return header;
}

void AM_CircuitObject::setModule(const char* name, uint8_t inputRow, uint8_t outputRow)
{
    AM_CircuitHeader* header = getHeader();
    AM_AudioObject* module = firstChild_ ? firstChild_->findByName(name) : nullptr;
    int32_t found = -1;
    for (int32_t i = 0; header && module && i < header->recordCount; ++i) {
        if (header->records[i].object == module) {
            found = i;
            break;
        }
    }
    if (found < 0 || header->runCount >= header->recordCount) {
        AM_STD::printv("AM_CircuitObject::setModule( '%s' ) failed\n", name ? name : "");
        return;
    }
    header->runList[header->runCount] = static_cast<uint32_t>(found);
    ++header->runCount;
    header->records[found].inputRow = inputRow;
    header->records[found].outputRow = outputRow;
}
