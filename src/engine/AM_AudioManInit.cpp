// The audio manager's init: numbering the modules by messages, carving the
// engine block, filling the process context and setting up the parameters.

#include "engine/AM_AudioMan.h"

#include "engine/AM_EngineBlockLayout.h"
#include "engine/module/AM_CircuitObject.h"
#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParaMan.h"
#include "params/object/AM_Messages.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// The stereo path needs two carry and bus channels; the channel tables of the
// multi-channel paths hold 16.
constexpr uint32_t kMinCarvedChannels = 2;
constexpr uint32_t kMaxCarvedChannels = 16;
constexpr uint32_t kDenormalFlushMode = 3;
constexpr double kDefaultTempo = 120.0;
constexpr float kDefaultBeatsPerBar = 4.0f;

template <typename T> T* at(uint8_t* base, size_t offset)
{
    return reinterpret_cast<T*>(base + offset);
}

} // namespace

void AM_AudioMan::init()
{
    if (initDone_) {
        AM_STD::printv("AM_AudioMan::init: the engine is initialised already");
        return;
    }
    if (!ensureMainCircuit()) {
        AM_STD::printv("AM_AudioMan::init: no main circuit, the engine stays idle");
        return;
    }
    buildModules();
    initDone_ = true;

    int32_t rows = 1;
    int32_t sources = 1;
    int32_t indexed = 0;
    sendMessage(0, k_msgCountControlRows, 0, &rows);
    sendMessage(0, k_msgCountModSources, 0, &sources);
    sendMessage(0, k_msgAssignCircuitIndex, 0, &indexed);
    controlRowCount_ = static_cast<uint32_t>(rows);
    modSourceCount_ = static_cast<uint32_t>(sources);
    indexedObjectCount_ = indexed;

    carveEngineBlock();
    if (!context_)
        return;

    int32_t modules = 0;
    sendMessage(0, k_msgAssignIndex, 0, &modules);
    context_->moduleCount = static_cast<uint32_t>(modules);
    moduleTableSize_ = static_cast<uint32_t>(std::max(modules, 1));
    moduleTable_ = new AM_AudioObject*[moduleTableSize_]();
    sendMessage(0, k_msgRegisterPointer, 0, moduleTable_);
    context_->moduleTable = moduleTable_;

    mainCircuit_->collectMidiReceivers(&midiReceivers_);
    mainCircuit_->collectVoiceEventReceivers(&voiceEventReceivers_);
    context_->midiReceivers = midiReceivers_;
    context_->voiceEventReceivers = voiceEventReceivers_;

    describeModules();

    context_->songPosition = 0.0;
    context_->lastHostPosition = 0.0;
    context_->beatsPerBar = kDefaultBeatsPerBar;
    context_->tempo = kDefaultTempo;
    context_->barStart = 0.0;

    sendMessage(k_classAudioObject, k_msgListModuleIndex, 0, context_->indexedModuleIndices);

    paraMan_->setupParameters(context_);
    buildDataBlockStaging();
    mainCircuit_->resetTree();
    loadStartupFiles();

    for (int32_t c = 0; c < k_contextChannels; ++c) {
        context_->outputChannels[c] = nullptr;
        context_->inputChannels[c] = nullptr;
    }
}

// Sizes and allocates the engine block, puts the process context at its
// start and carves the areas behind it; then the module tree takes its
// memory from the rest.
void AM_AudioMan::carveEngineBlock()
{
    carvedChannelsPerBus_ =
        std::clamp(pluginInfo_.channelsPerBus, kMinCarvedChannels, kMaxCarvedChannels);
    AM_EngineBlockCounts counts{};
    counts.channelCapacity = channelCapacity_;
    counts.channelsPerBus = carvedChannelsPerBus_;
    counts.modulationSlots = modulationSlots_;
    counts.controlRows = controlRowCount_;
    counts.indexedObjects = static_cast<uint32_t>(indexedObjectCount_);
    counts.moduleVoiceBytes = mainCircuit_->getSubtreeVoiceMemorySize();
    counts.moduleGlobalBytes = mainCircuit_->getSubtreeGlobalMemorySize();
    const AM_EngineBlockLayout layout = AM_layoutEngineBlock(counts);

    const size_t bytes =
        (std::max(layout.blockBytes, layout.moduleEnd) + k_engineBlockAlignment - 1) &
        ~(k_engineBlockAlignment - 1);
    engineBlock_ = static_cast<uint8_t*>(::operator new(
        bytes, std::align_val_t{k_engineBlockAlignment}, std::nothrow));
    if (!engineBlock_) {
        AM_STD::printv("AM_AudioMan::init: no memory for an engine block of %d bytes",
                       static_cast<int32_t>(bytes));
        return;
    }
    std::memset(engineBlock_, 0, bytes);
    engineBlockSize_ = static_cast<uint32_t>(bytes);

    uint8_t* base = engineBlock_;
    context_ = at<AM_ProcessContext>(base, 0);
    storeStateVersion(*context_, pluginInfo_.initialStateVersion);
    storeSampleRate(initialSampleRate_);

    const uint32_t b = carvedChannelsPerBus_;
    context_->controlRows = at<float>(base, layout.controlRows);
    context_->controlRowCount = controlRowCount_;
    context_->modSourceCount = modSourceCount_;
    carryArea_ = at<float>(base, layout.carryArea);
    context_->busBuffer = at<float>(base, layout.busBuffer);
    context_->channelCapacity = channelCapacity_;
    context_->busRowCount = b + channelCapacity_;
    context_->fadeRows = at<float>(base, layout.fadeRows);
    context_->fadeRowCount = 4 * b;
    context_->modulationRecords = at<AM_ModulationRecord>(base, layout.modulationRecords);
    context_->modulationSlotCount = modulationSlots_;
    context_->indexedObjectCount = static_cast<uint32_t>(indexedObjectCount_);
    context_->indexedModuleIndices = at<uint32_t>(base, layout.indexedModuleIndices);
    context_->applyCounts = at<uint32_t>(base, layout.applyCounts);
    context_->applyLists = at<uint32_t>(base, layout.applyLists);
    context_->restoreCounts = at<uint32_t>(base, layout.restoreCounts);
    context_->restoreLists = at<uint32_t>(base, layout.restoreLists);
    context_->rowActiveFlags = at<uint32_t>(base, layout.rowActiveFlags);
    context_->denormalMode = kDenormalFlushMode;

    uint8_t* voiceCursor = base + layout.moduleVoice;
    uint8_t* globalCursor = base + layout.moduleGlobal;
    mainCircuit_->assignMemory(voiceCursor, globalCursor, context_);
}

// Counts the modules by their replies to message 13 and lets each describe
// itself into the module records.
void AM_AudioMan::describeModules()
{
    moduleCount_ = 0;
    sendMessage(k_classAudioObject, k_msgRequestReply, k_msgCountMe, nullptr);
    // Records are indexed by module index; the table covers every index.
    moduleRecordCount_ =
        std::max(static_cast<uint32_t>(std::max(moduleCount_, 0)), context_->moduleCount);
    moduleRecords_ = new AM_ModuleRecord[std::max(moduleRecordCount_, 1u)]();
    sendMessage(k_classAudioObject, k_msgDescribeModule, 0, moduleRecords_);
}

void AM_AudioMan::storeSampleRate(float rate)
{
    context_->sampleRate = rate;
    context_->samplePeriod = 1.0f / rate;
    context_->sampleRateD = static_cast<double>(rate);
    context_->samplePeriodD = 1.0 / static_cast<double>(rate);
    context_->sampleRateInt = static_cast<int32_t>(rate);
}
