// Construction, teardown, identity, the message handler and the accessors of
// the audio manager.

#include "engine/AM_AudioMan.h"

#include "engine/AM_EngineBlockLayout.h"
#include "engine/dsp/AM_RealFFT.h"
#include "engine/module/AM_CircuitObject.h"
#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParaMan.h"
#include "params/AM_PresetAdapter.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ObjectHost.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr const char* kMainCircuitName = "main: Main Loop Circuit";
constexpr const char* kDefaultProductName = "AM_Plugin";
constexpr const char* kDefaultVendorName = "Orlen";
constexpr const char* kDefaultComponentName = "AM_PluginComponent";
constexpr const char* kDefaultEffectName = "AM_Plugin";
constexpr const char* kUnknownHost = "unknown";
constexpr uint32_t kDefaultBuses = 1;
constexpr uint32_t kDefaultChannelsPerBus = 2;
constexpr uint8_t kDefaultOptionByte = 1;
constexpr uint32_t kYearShift = 16;
constexpr uint32_t kMonthShift = 8;
// Message 42 goes to the same hook as message 12.
constexpr uint32_t kDiagnosticsMessage2 = 42;

void copyName(char* out, size_t capacity, const char* text)
{
    std::strncpy(out, text, capacity - 1);
    out[capacity - 1] = '\0';
}

// Today's date in UTC: year << 16 | month << 8 | day.
uint32_t buildDateToday()
{
    using namespace std::chrono;
    const year_month_day date{floor<days>(system_clock::now())};
    return (static_cast<uint32_t>(static_cast<int>(date.year())) << kYearShift) |
           (static_cast<uint32_t>(static_cast<unsigned>(date.month())) << kMonthShift) |
           static_cast<uint32_t>(static_cast<unsigned>(date.day()));
}

} // namespace

AM_AudioMan::AM_AudioMan(AM_ObjectHost* host, uint32_t channelCapacity, uint32_t modulationSlots)
    : AM_EngineOwner(host), channelCapacity_(channelCapacity), modulationSlots_(modulationSlots)
{
    if (!host) {
        ownHost_ = new AM_ObjectHost(kOwnHostCapacity);
        setHost(ownHost_);
    }
    fftBuffers_[0] = std::make_unique<FFTBuffer>();
    fftBuffers_[1] = std::make_unique<FFTBuffer>();
    fft_ = std::make_unique<AM_RealFFT>(kFFTLength);

    pluginInfo_ = AM_PluginInfo{};
    copyName(pluginInfo_.productName, k_pluginNameBytes, kDefaultProductName);
    copyName(pluginInfo_.vendorName, k_pluginNameBytes, kDefaultVendorName);
    copyName(pluginInfo_.componentName, k_pluginNameBytes, kDefaultComponentName);
    copyName(pluginInfo_.effectName, k_pluginNameBytes, kDefaultEffectName);
    pluginInfo_.buildDate = buildDateToday();
    pluginInfo_.initialStateVersion = 0;
    pluginInfo_.inputBuses = kDefaultBuses;
    pluginInfo_.outputBuses = kDefaultBuses;
    pluginInfo_.channelsPerBus = kDefaultChannelsPerBus;
    pluginInfo_.latency = kLatency;
    pluginInfo_.optionByte = kDefaultOptionByte;
    pluginInfo_.fftSignConvention = 0;

    copyName(hostName_, sizeof(hostName_), kUnknownHost);
    // The first work buffer holds a unit impulse.
    fftBuffers_[0]->data[0] = 1.0f;
}

AM_AudioMan::~AM_AudioMan()
{
    delete mainCircuit_; // deletes every module, the parameter manager too
    mainCircuit_ = nullptr;
    paraMan_ = nullptr;
    delete[] moduleRecords_;
    moduleRecords_ = nullptr;
    delete[] moduleTable_;
    moduleTable_ = nullptr;
    ::operator delete(engineBlock_, std::align_val_t{k_engineBlockAlignment});
    engineBlock_ = nullptr;
    context_ = nullptr;
    if (ownHost_) {
        AM_ObjectHost* host = ownHost_;
        setHost(nullptr);
        ownHost_ = nullptr;
        delete host;
    }
    fftBuffers_[0].reset();
    fftBuffers_[1].reset();
    fft_.reset();
    if (countedId_ != 0)
        AM_SharedInstances::release(countedId_);
    countedId_ = 0;
    for (AM_PresetAdapter*& adapter : presetAdapters_) {
        delete adapter;
        adapter = nullptr;
    }
}

void AM_AudioMan::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    switch (message) {
    case k_msgCountMe:
        ++moduleCount_;
        break;
    case k_msgFirstNote:
        if (context_ && context_->clockRestartOnNote != 0) {
            context_->clockReferencePosition = context_->songPosition;
            context_->clockBeatCount = 0.0;
        }
        break;
    case k_msgDiagnostics:
    case kDiagnosticsMessage2:
        diagnosticsHook(ptr, message, arg);
        break;
    case k_msgCircuitSignal:
        circuitSignalHook(arg, ptr);
        break;
    default:
        break;
    }
    AM_EngineOwner::receiveMessage(sender, message, arg, ptr);
}

void AM_AudioMan::buildModules() {}

void AM_AudioMan::setupParameters() {}

bool AM_AudioMan::addModule(AM_AudioObject* module)
{
    if (!module)
        return false;
    if (initDone_) {
        AM_STD::printv("AM_AudioMan::addModule: %s comes after init and is not added",
                       module->getName());
        return false;
    }
    if (!ensureMainCircuit())
        return false;
    if (mainCircuit_->addChild(module) == 0)
        return false;
    module->setHost(getHost());
    return true;
}

// The main circuit with the parameter manager as its first child, also when
// a subclass adds a module before init.
bool AM_AudioMan::ensureMainCircuit()
{
    if (!mainCircuit_) {
        mainCircuit_ = new AM_CircuitObject(this, kMainCircuitName, channelCapacity_, 0);
        mainCircuit_->setHost(getHost());
    }
    if (paraMan_)
        return true;
    AM_ParaMan* paraMan =
        new AM_ParaMan(this, static_cast<int32_t>(xyPads_), static_cast<int32_t>(xyTargetsPerPad_),
                       static_cast<int32_t>(modulationSlots_));
    if (mainCircuit_->addChild(paraMan) == 0) {
        AM_STD::printv("AM_AudioMan: the main circuit refused the parameter manager");
        delete paraMan;
        return false;
    }
    paraMan->setHost(getHost());
    paraMan_ = paraMan;
    return true;
}

void AM_AudioMan::setXYPadLayout(uint32_t pads, uint32_t targetsPerPad)
{
    if (paraMan_) {
        AM_STD::printv("AM_AudioMan::setXYPadLayout: too late, the parameter manager exists");
        return;
    }
    xyPads_ = pads;
    xyTargetsPerPad_ = targetsPerPad;
}

int32_t AM_AudioMan::setPluginId(uint32_t id)
{
    if (id != countedId_) {
        if (countedId_ != 0)
            AM_SharedInstances::release(countedId_);
        countedId_ = 0;
        if (AM_SharedInstances::acquire(id))
            countedId_ = id;
    }
    pluginId_ = id;
    return 0;
}

uint32_t AM_AudioMan::getPluginId()
{
    return pluginId_;
}

AM_SharedInstance* AM_AudioMan::getSharedInstanceEntry()
{
    return countedId_ != 0 ? AM_SharedInstances::find(countedId_) : nullptr;
}

uint32_t AM_AudioMan::getInstanceCount()
{
    const AM_SharedInstance* entry = getSharedInstanceEntry();
    return entry ? entry->instanceCount : 0;
}

void AM_AudioMan::setHostName(const char* name)
{
    if (name)
        copyName(hostName_, sizeof(hostName_), name);
}

const char* AM_AudioMan::getHostName()
{
    return hostName_;
}

AM_ProcessContext* AM_AudioMan::getProcessContext()
{
    return context_;
}

AM_PluginInfo* AM_AudioMan::getPluginInfo()
{
    return &pluginInfo_;
}

int32_t* AM_AudioMan::getMidiCCMap()
{
    return nullptr;
}

uint32_t AM_AudioMan::getEngineOption(int32_t index)
{
    if (index < 0 || index >= kEngineOptionCount)
        return 0;
    return std::atomic_ref<uint32_t>(engineOptions_[index]).load(std::memory_order_relaxed);
}

uint32_t AM_AudioMan::getModulationSourceCount()
{
    return modSourceCount_;
}

void AM_AudioMan::invalidateModulationRouting()
{
    routingDirty_.store(1, std::memory_order_release);
}

void AM_AudioMan::diagnosticsHook(void*, uint32_t, uint32_t) {}

void AM_AudioMan::circuitSignalHook(uint32_t, void*) {}
