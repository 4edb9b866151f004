// The GUI-to-engine interface: lifecycle, parameter records, values and the
// ports that listen to them, and the module table.

#include "presets/AM_View_Interface.h"

#include "engine/AM_AudioMan.h"
#include "foundation/AM_STD.h"
#include "params/object/AM_Object.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_PortRecord.h"
#include "presets/AM_ViewManServices.h"
#include "presets/AM_ViewText.h"
#include "script/ScriptPrint.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace {

constexpr const char* kCoreModule = "PCore";
constexpr const char* kUsage1 = "ModU1";
constexpr const char* kUsage2 = "ModU2";
constexpr const char* kNoValue = "void";

// The module position the previous findParameter found; shared by every
// interface of the process.
std::atomic<int32_t> g_moduleCursor{0};

} // namespace

AM_View_Interface::AM_View_Interface() = default;

AM_View_Interface::~AM_View_Interface() = default;

void AM_View_Interface::resetProcessState()
{
    g_moduleCursor.store(0, std::memory_order_relaxed);
}

void AM_View_Interface::sizeWindow(int32_t, int32_t) {}

void AM_View_Interface::reportUnexpectedCall()
{
    script::print("WTF?!?\n");
}

void AM_View_Interface::initialize(AM_ViewManServices* viewMan)
{
    viewMan_ = viewMan;
    const int32_t n = std::max(getNumParameters(), 0);
    listenerParameters_ = n;
    listeners_.assign(static_cast<size_t>(n) * kListenerPlaces, nullptr);

    // Walking down leaves in each module's entry its lowest index.
    const auto modules = static_cast<int32_t>(modules_.size());
    firstParameter_.assign(modules_.size(), -1);
    metaParameterCount_ = 0;
    for (int32_t i = n - 1; i >= 0; --i) {
        const AM_ParamInfo* info = getParameterInfo(i, false);
        if (info == nullptr)
            continue;
        if (info->moduleIndex >= 0 && info->moduleIndex < modules)
            firstParameter_[static_cast<size_t>(info->moduleIndex)] = i;
        if (info->kind() == k_kindXYAxis)
            ++metaParameterCount_;
    }

    modTargetCount_ = 0;
    if (metaParameterCount_ > 0) {
        for (int32_t k = 1; k <= kMaxModTargets; ++k) {
            char name[k_shortNameBytes + 8];
            AM_STD::sprintn(name, sizeof name, "MT1%d", k);
            if (findCoreParameter(name) == nullptr)
                break;
            modTargetCount_ = k;
        }
    }
    metaWalkPosition_ = 0;

    const AM_ParamInfo* usage1 = findCoreParameter(kUsage1);
    const AM_ParamInfo* usage2 = findCoreParameter(kUsage2);
    usageIndex1_ = usage1 ? static_cast<int32_t>(usage1->index) : -1;
    usageIndex2_ = usage2 ? static_cast<int32_t>(usage2->index) : -1;
}

AM_AudioMan* AM_View_Interface::getAudioMan()
{
    return nullptr;
}

int32_t AM_View_Interface::getNumParameters()
{
    AM_AudioMan* audio = getAudioMan();
    if (audio == nullptr) {
        script::print("AM_View_Interface::getNumParameters() failed...\n");
        return 0;
    }
    return audio->getParameterCount(false);
}

AM_ParamInfo* AM_View_Interface::getParameterInfo(int32_t index, bool published)
{
    AM_AudioMan* audio = getAudioMan();
    if (audio == nullptr || index < 0)
        return nullptr;
    // A host index from 10000 up is not an index the editor hands out.
    if (published && index >= AM_AudioMan::kHostInternalOffset)
        return nullptr;
    return audio->getParameterDescriptor(index, published);
}

int32_t AM_View_Interface::internalIndexOf(int32_t publishedIndex)
{
    AM_AudioMan* audio = getAudioMan();
    return audio != nullptr ? audio->getInternalIndex(publishedIndex) : -1;
}

void AM_View_Interface::setParameterValue(int32_t, const void*) {}

const void* AM_View_Interface::getParameterValue(int32_t)
{
    return nullptr;
}

void AM_View_Interface::beginEndEdit(int32_t, bool) {}

void AM_View_Interface::parameterChanged(int32_t index, const void* value, bool hostNumbering)
{
    if (hostNumbering)
        index = index >= 0 ? internalIndexOf(index) : -1;
    if (index < 0)
        return;
    const AM_ParamInfo* info = getParameterInfo(index, false);
    if (info == nullptr)
        return;
    const bool sourceChoice =
        info->kind() == k_kindInteger && (info->flags & k_paramSourceSelector) != 0;
    if ((sourceChoice || (info->flags & kFlagUsageChange) != 0) && viewMan_ != nullptr)
        viewMan_->scheduleInterfaceRefresh(false);
    notifyListeners(index, value);
}

void AM_View_Interface::notifyListeners(int32_t index, const void* value)
{
    if (index < 0 || index >= listenerParameters_ || value == nullptr)
        return;
    // Every place is read when its turn comes: a port may leave (or another
    // join) while an earlier one shows the value. An empty place ends
    // nothing: a port that left may have left a gap before the others.
    for (int32_t place = 0; place < kListenerPlaces; ++place) {
        const AM_PortRecord* port =
            listeners_[static_cast<size_t>(index) * kListenerPlaces + static_cast<size_t>(place)];
        if (port == nullptr || port->owner == nullptr || port->descriptor == nullptr)
            continue;
        port->owner->setParameterValue(static_cast<int32_t>(port->descriptor->index), value);
    }
}

void AM_View_Interface::getParameterDisplay(int32_t index, const void* value, char* text)
{
    if (text == nullptr)
        return;
    if (value == nullptr)
        value = getParameterValue(index);
    const AM_ParamInfo* info = getParameterInfo(index, false);
    if (value == nullptr || info == nullptr) {
        viewtext::copy(text, kDisplayTextBytes, kNoValue);
        return;
    }
    const uint32_t kind = info->kind();
    if (kind == k_kindData && !(info->max >= static_cast<float>(sizeof(float)))) {
        viewtext::copy(text, kDisplayTextBytes, kNoValue);
        return;
    }
    float number = 0.0f;
    std::memcpy(&number, value, sizeof number);
    if (kind == k_kindXYAxis || kind == k_meter)
        AM_STD::sprintn(text, kDisplayTextBytes, "%.2f", static_cast<double>(number));
    else
        AM_STD::sprintn(text, kDisplayTextBytes, "%d", viewtext::truncated(number));
}

int32_t AM_View_Interface::registerParameterListener(AM_PortRecord* port, int32_t index, bool add)
{
    if (port == nullptr)
        return -1;
    const auto clearFirst = [this, port](int32_t parameter) {
        if (parameter < 0 || parameter >= listenerParameters_)
            return;
        for (int32_t place = 0; place < kListenerPlaces; ++place) {
            AM_PortRecord*& entry = listeners_[static_cast<size_t>(parameter) * kListenerPlaces +
                                               static_cast<size_t>(place)];
            if (entry == port) {
                entry = nullptr;
                return;
            }
        }
    };
    if (port->parameter != nullptr)
        clearFirst(static_cast<int32_t>(port->parameter->index));
    if (!add)
        return -1;
    if (index < 0 || index >= listenerParameters_) {
        AM_STD::printv("registerParameterListener: no parameter %d", index);
        return -1;
    }
    clearFirst(index);
    for (int32_t place = 0; place < kListenerPlaces; ++place) {
        AM_PortRecord*& entry =
            listeners_[static_cast<size_t>(index) * kListenerPlaces + static_cast<size_t>(place)];
        if (entry == nullptr) {
            entry = port;
            return place;
        }
    }
    AM_STD::printv("registerParameterListener: parameter %d has %d ports already", index,
                   kListenerPlaces);
    return -1;
}

AM_PortRecord* AM_View_Interface::getListener(int32_t index, int32_t place) const
{
    if (index < 0 || index >= listenerParameters_ || place < 0 || place >= kListenerPlaces)
        return nullptr;
    return listeners_[static_cast<size_t>(index) * kListenerPlaces + static_cast<size_t>(place)];
}

AM_ParamInfo* AM_View_Interface::findParameter(const char* module, const char* name)
{
    const int32_t modules = getNumModules();
    if (modules < 1 || module == nullptr || name == nullptr)
        return nullptr;
    int32_t start = g_moduleCursor.load(std::memory_order_relaxed);
    if (start < 0 || start >= modules)
        start = 0;
    int32_t found = -1;
    for (int32_t n = 0; n < modules; ++n) {
        const int32_t position = (start + n) % modules;
        const AM_ModuleRecord* record = getModuleInfoByIndex(position);
        if (record != nullptr &&
            viewtext::sameName(record->shortName, k_moduleShortNameBytes, module)) {
            found = position;
            break;
        }
    }
    if (found < 0)
        return nullptr;
    g_moduleCursor.store(found, std::memory_order_relaxed);

    const int32_t parameters = getNumParameters();
    if (parameters < 1)
        return nullptr;
    int32_t first = getFirstParameter(found);
    if (first < 0 || first >= parameters)
        first = 0;
    for (int32_t n = 0; n < parameters; ++n) {
        AM_ParamInfo* info = getParameterInfo((first + n) % parameters, false);
        if (info != nullptr && info->moduleIndex == found &&
            viewtext::sameName(info->shortName, k_shortNameBytes, name))
            return info;
    }
    return nullptr;
}

AM_ParamInfo* AM_View_Interface::findCoreParameter(const char* name)
{
    return findParameter(kCoreModule, name);
}

int32_t AM_View_Interface::getFirstParameter(int32_t moduleIndex) const
{
    if (moduleIndex < 0 || static_cast<size_t>(moduleIndex) >= firstParameter_.size())
        return -1;
    return firstParameter_[static_cast<size_t>(moduleIndex)];
}

void AM_View_Interface::refreshModuleParameters(int32_t moduleIndex)
{
    const int32_t n = getNumParameters();
    for (int32_t i = 0; i < n; ++i) {
        const AM_ParamInfo* info = getParameterInfo(i, false);
        if (info == nullptr || info->moduleIndex != moduleIndex || info->kind() == k_meter ||
            (info->flags & kFlagsNotRefreshed) != 0)
            continue;
        if (const void* value = getParameterValue(i))
            parameterChanged(i, value, false);
    }
}

// --- Modules.

void AM_View_Interface::setModuleTable(std::vector<AM_ModuleRecord> table)
{
    modules_ = std::move(table);
}

int32_t AM_View_Interface::getNumModules()
{
    AM_AudioMan* audio = getAudioMan();
    return audio != nullptr ? std::max(audio->getModuleCount(), 0) : 0;
}

AM_ModuleRecord* AM_View_Interface::getModuleInfo(const char* shortName)
{
    for (AM_ModuleRecord& record : modules_)
        if (viewtext::sameName(record.shortName, k_moduleShortNameBytes, shortName))
            return &record;
    return nullptr;
}

AM_ModuleRecord* AM_View_Interface::getModuleInfoByIndex(int32_t id)
{
    for (AM_ModuleRecord& record : modules_)
        if (id >= 0 && record.moduleIndex == static_cast<uint32_t>(id))
            return &record;
    return nullptr;
}

AM_ModuleRecord* AM_View_Interface::getModuleInfoL(const char* modulePath)
{
    if (modulePath == nullptr)
        return nullptr;
    char name[k_moduleLongNameBytes + 1];
    viewtext::modulePart(name, sizeof name, modulePath);
    for (AM_ModuleRecord& record : modules_)
        if (viewtext::sameName(record.longName, k_moduleLongNameBytes, name))
            return &record;
    return nullptr;
}

namespace {

void setActiveFlag(AM_ModuleRecord* record, bool on)
{
    if (record == nullptr)
        return;
    auto flags = static_cast<uint32_t>(record->group);
    flags =
        on ? flags | AM_View_Interface::kModuleActive : flags & ~AM_View_Interface::kModuleActive;
    record->group = static_cast<int32_t>(flags);
}

} // namespace

void AM_View_Interface::setModuleActive(const char* shortName, bool on)
{
    setActiveFlag(getModuleInfo(shortName), on);
}

void AM_View_Interface::setModuleActiveL(const char* modulePath, bool on)
{
    setActiveFlag(getModuleInfoL(modulePath), on);
}

bool AM_View_Interface::isModuleActive(const char* shortName)
{
    const AM_ModuleRecord* record = getModuleInfo(shortName);
    return record != nullptr && (static_cast<uint32_t>(record->group) & kModuleActive) != 0;
}

void AM_View_Interface::setDefaultExtension(const char* extension)
{
    library_.setDefaultExtension(extension);
}

void AM_View_Interface::setNativeFormat(uint32_t flag)
{
    library_.setNativeFormat(flag);
}

uint32_t AM_View_Interface::getNativeFormat()
{
    return library_.getNativeFormat();
}

void AM_View_Interface::sendTopControlMessage(uint32_t classMask, uint32_t message, uint32_t arg,
                                              void* data)
{
    if (viewMan_ == nullptr)
        return;
    if (AM_Object* top = viewMan_->getTopControl())
        top->sendMessage(classMask, message, arg, data);
}

int32_t AM_View_Interface::askThreeWay(const char* name)
{
    if (viewMan_ == nullptr)
        return k_answerCancel;
    const int32_t answer = viewMan_->askThreeWay(name);
    return answer == k_answerBackupAndSave || answer == k_answerOverwrite ? answer : k_answerCancel;
}
