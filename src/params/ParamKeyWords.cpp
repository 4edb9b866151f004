#include "params/ParamKeyWords.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"
#include "params/AM_AudioObjectMethod.h"
#include "params/AM_ModuleProperty.h"
#include "params/AM_ParaMan.h"
#include "params/AM_ParamProperty.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr float kScriptSampleRate = 44100.0f;
constexpr int32_t kMaxPartChars = k_namePartBytes - 1;
constexpr int32_t kMaxFamilyMembers = 256;
constexpr int32_t kMaxModuleFamily = 8;
constexpr int32_t kLongNameBytes = 2 * k_namePartBytes + 16;
constexpr char kFamilyMark = '@';
constexpr const char* kParameterWord = "Parameter";
constexpr const char* kEveryModule = "Module@";
constexpr const char* kAnyParameter = "Parameter@";

bool equals(const char* a, const char* b)
{
    return std::strcmp(a, b) == 0;
}

bool isFamily(const char* part)
{
    const size_t n = std::strlen(part);
    return n > 0 && part[n - 1] == kFamilyMark;
}

// The part without its family mark.
std::string baseName(const char* part)
{
    std::string s(part);
    if (!s.empty() && s.back() == kFamilyMark)
        s.pop_back();
    return s;
}

std::string numbered(const std::string& name, int32_t n)
{
    return name + std::to_string(n);
}

// Members name1, name2, ... of a family that `lookup` finds, in a row:
// their count and the id difference of the first two.
template <typename Lookup> void countFamily(Lookup lookup, int32_t* count, int32_t* stride)
{
    *count = 0;
    *stride = 0;
    int32_t firstId = -1;
    for (int32_t n = 1; n <= kMaxFamilyMembers; ++n) {
        const int32_t id = lookup(n);
        if (id < 0)
            break;
        if (n == 1)
            firstId = id;
        else if (n == 2)
            *stride = id - firstId;
        ++*count;
    }
}

std::string fieldText(const char* field, size_t fieldBytes)
{
    size_t n = 0;
    while (n < fieldBytes && field[n])
        ++n;
    return std::string(field, n);
}

} // namespace

ParamKeyWords::ParamKeyWords(AM_ParaMan* manager) : manager_(manager) {}

ParamKeyWords::~ParamKeyWords()
{
    clear();
}

int32_t ParamKeyWords::split(const char* name)
{
    std::memset(parts_, 0, sizeof(parts_));
    int32_t part = 0;
    int32_t length = 0;
    bool warned = false;
    for (const char* c = name; c && *c; ++c) {
        if (*c != '.') {
            if (length < kMaxPartChars)
                parts_[part][length++] = *c;
            continue;
        }
        if (part + 1 < kMaxParts) {
            ++part;
        } else {
            // Later segments are written over the eighth part.
            if (!warned)
                AM_STD::printv("Eeeek, more than 7 dots in an Object. That doesn't work here/n");
            warned = true;
            std::memset(parts_[part], 0, sizeof(parts_[part]));
        }
        length = 0;
    }
    partCount_ = part + 1;
    return partCount_;
}

int32_t ParamKeyWords::resolveParameter(int32_t module, const char* second)
{
    const size_t word = std::strlen(kParameterWord);
    if (std::strncmp(second, kParameterWord, word) == 0 && second[word] != 0) {
        bool digits = true;
        int64_t n = 0;
        for (const char* c = second + word; *c && digits; ++c) {
            digits = *c >= '0' && *c <= '9';
            if (digits && n <= INT32_MAX)
                n = n * 10 + (*c - '0');
        }
        if (digits)
            return n >= 1 && n < manager_->getJointParameterCount() ? static_cast<int32_t>(n) : -1;
    }
    return manager_->findParameter(module, second);
}

int32_t ParamKeyWords::collectModules(const char* first, int32_t* modules, const char* name)
{
    if (!isFamily(first)) {
        const int32_t m = manager_->findModule(first);
        if (m < 0)
            return 0;
        modules[0] = m;
        return 1;
    }
    AM_STD::printv("found Object Array: %s\n", name);
    const std::string base = baseName(first);
    int32_t count = 0;
    for (int32_t n = 1; n <= kMaxModuleFamily; ++n) {
        const int32_t m = manager_->findModule(numbered(base, n).c_str());
        if (m < 1)
            break;
        modules[count++] = m;
    }
    return count;
}

AMM_ObjectProperty* ParamKeyWords::createAccessor(const AM_NameParts& name)
{
    std::memset(parts_, 0, sizeof(parts_));
    partCount_ = name.count < kMaxParts ? name.count : kMaxParts;
    for (int32_t k = 0; k < partCount_; ++k)
        std::strncpy(parts_[k], name.parts[k], kMaxPartChars);
    if (partCount_ < 2)
        return nullptr;
    const char* first = parts_[0];
    const char* second = parts_[1];
    int32_t modules[kMaxModuleFamily] = {};
    int32_t count = 0;
    const bool every = equals(first, kEveryModule);
    if (equals(first, "Global")) {
        if (equals(second, "numModules") || equals(second, "numParameters")) {
            auto* global = new AM_GlobalProperty(
                manager_, equals(second, "numModules") ? AM_GlobalProperty::kModuleCount
                                                       : AM_GlobalProperty::kParameterCount);
            addAccessor(global);
            return global;
        }
        if (equals(second, kAnyParameter) && partCount_ >= 3) {
            const int32_t code = AM_propertyCode(parts_[2]);
            if (code < 0)
                return nullptr;
            auto* direct = new AM_ParamProperty(manager_, code);
            direct->setDirect();
            direct->valueType = code == k_propertyMin || code == k_propertyMax
                                    ? AMM_ObjectAccessor::kFloatValue
                                    : AMM_ObjectAccessor::kIntValue;
            addAccessor(direct);
            return direct;
        }
    }
    if (!every) {
        count = collectModules(first, modules, name.text);
        if (count == 0)
            return nullptr;
    }
    if (partCount_ == 2 &&
        (equals(second, "id") || equals(second, "active") || equals(second, "numParameters"))) {
        const int32_t property = equals(second, "id")       ? AM_AnyModuleProperty::kModuleIndex
                                 : equals(second, "active") ? AM_AnyModuleProperty::kActive
                                                            : AM_AnyModuleProperty::kParameterCount;
        auto* module = new AM_AnyModuleProperty(manager_, property, modules,
                                                every ? AM_AnyModuleProperty::kEveryModule : count);
        addAccessor(module);
        return module;
    }
    return parameterAccessor(name, modules, count, every);
}

AMM_ObjectProperty* ParamKeyWords::parameterAccessor(const AM_NameParts& name,
                                                     const int32_t* modules, int32_t moduleCount,
                                                     bool everyModule)
{
    const char* second = parts_[1];
    const bool anyParameter = equals(second, kAnyParameter);
    int32_t code = k_propertyValue;
    const char* sub = nullptr;
    if (partCount_ == 4) {
        AM_STD::printv("woah, numStrings == 4\n");
        if (everyModule || anyParameter) {
            AM_STD::printv("Cannot directly access parameters of Module[] or Parameter[]/n");
            return nullptr;
        }
        sub = parts_[2];
        code = AM_propertyCode(parts_[3]);
        if (code < 0)
            return nullptr;
    } else {
        AM_STD::printv("woah, numStrings = %d\n", partCount_);
        if (partCount_ > 4)
            return nullptr;
        if (partCount_ == 3) {
            code = AM_propertyCode(parts_[2]);
            if (code < 0) {
                if (anyParameter)
                    return nullptr;
                code = k_propertyValue;
                sub = parts_[2];
            }
        }
    }
    if (anyParameter && !sub) {
        auto* any = new AM_AnyParamProperty(
            manager_, code, modules, everyModule ? AM_AnyParamProperty::kEveryModule : moduleCount);
        addAccessor(any);
        return any;
    }
    if (sub) {
        AM_STD::printv("%s must be subparametized\n", name.text);
        if (everyModule) {
            AM_STD::printv("Cannot directly access parameters of Module[]/n");
            return nullptr;
        }
    }
    if (everyModule || moduleCount < 1)
        return nullptr;

    const int32_t home = modules[0];
    auto find = [this, home](const std::string& longName) {
        return manager_->findParameter(home, longName.c_str());
    };
    const std::string parameter = baseName(second);
    const bool parameterFamily = isFamily(second);
    int32_t parameterCount = 1;
    int32_t parameterStride = 0;
    int32_t subCount = 1;
    int32_t subStride = 0;
    std::string matched;
    if (sub) {
        const std::string subName = baseName(sub);
        const bool subFamily = isFamily(sub);
        const std::string firstParameter = parameterFamily ? numbered(parameter, 1) : parameter;
        const std::string firstSub = subFamily ? numbered(subName, 1) : subName;
        if (parameterFamily)
            countFamily([&](int32_t n) { return find(numbered(parameter, n) + " " + firstSub); },
                        &parameterCount, &parameterStride);
        if (subFamily)
            countFamily(
                [&](int32_t n) { return find(firstParameter + " " + numbered(subName, n)); },
                &subCount, &subStride);
        matched = firstParameter + " " + firstSub;
    } else if (parameterFamily) {
        AM_STD::printv("found Object Param Array: %s\n", name.text);
        countFamily([&](int32_t n) { return find(numbered(parameter, n)); }, &parameterCount,
                    &parameterStride);
        matched = numbered(parameter, 1);
    } else {
        matched = parameter;
    }
    if (parameterCount < 1 || subCount < 1 || matched.size() >= kLongNameBytes)
        return nullptr;
    const int32_t firstId = find(matched);
    const AM_ParamInfo* first = manager_->getParameterInfo(firstId);
    if (!first)
        return nullptr;

    auto* property = new AM_ParamProperty(manager_, code);
    for (int32_t k = 0; k < moduleCount; ++k)
        property->addModule(k == 0 ? firstId
                                   : manager_->findParameter(modules[k], matched.c_str()));
    property->setFamily(parameterCount, parameterStride);
    property->setSubFamily(subCount, subStride);
    property->chooseValueType(*first);
    AM_STD::printv("found %d x %s, striding %d [%d x %d], in %d * %s\n", parameterCount,
                   matched.c_str(), parameterStride, subCount, subStride, moduleCount, parts_[0]);
    addAccessor(property);
    return property;
}

AMM_ObjectMethod* ParamKeyWords::findMethod(const AM_NameParts& name)
{
    std::memset(parts_, 0, sizeof(parts_));
    partCount_ = name.count < kMaxParts ? name.count : kMaxParts;
    for (int32_t k = 0; k < partCount_; ++k)
        std::strncpy(parts_[k], name.parts[k], kMaxPartChars);
    if (partCount_ < 2)
        return nullptr;
    int32_t modules[kMaxModuleFamily] = {};
    const int32_t count = collectModules(parts_[0], modules, name.text);
    AM_AudioObject* first = count > 0 ? manager_->getModuleObject(modules[0]) : nullptr;
    if (!first)
        return nullptr;
    AM_AudioObjectMethod* record = first->makeMethodRecord(parts_[1]);
    if (!record)
        return nullptr;
    for (int32_t k = 0; k < count; ++k) {
        AM_AudioObject* module = manager_->getModuleObject(modules[k]);
        if (!module)
            continue;
        AM_STD::printv("Adding to AM_AudioObjectMethod: '%s'\n", module->getName());
        record->addModule(module);
    }
    addAccessor(record);
    return record;
}

int32_t ParamKeyWords::getParsePosition()
{
    return manager_->getParsePosition();
}

void ParamKeyWords::setParsePosition(int32_t position)
{
    manager_->setParsePosition(position);
}

bool ParamKeyWords::getValue(const char* name, float* value)
{
    if (!value)
        return false;
    split(name);
    const int32_t m = manager_->findModule(parts_[0]);
    if (m >= 0) {
        AM_AudioObject* module = manager_->getModuleObject(m);
        if (equals(parts_[1], "id")) {
            *value = static_cast<float>(m);
            return true;
        }
        if (equals(parts_[1], "NumParameters")) {
            *value = module ? static_cast<float>(module->getParameterCount(false)) : 0.0f;
            return true;
        }
        const int32_t p = resolveParameter(m, parts_[1]);
        const AM_ParamInfo* info = p >= 1 ? manager_->getParameterInfo(p) : nullptr;
        if (!info) {
            AM_STD::printv("Couldn't find ParameterID\n");
        } else {
            AM_AudioObject* owner = manager_->getModuleObject(info->moduleIndex);
            const uint32_t kind = info->kind();
            if (partCount_ == 2) {
                if (kind == k_kindData) {
                    if (owner)
                        owner->readDataByName(info->localNumber, parts_, partCount_, value);
                } else if (kind == k_meter) {
                    *value = 0.0f;
                } else {
                    *value = manager_->getValue(p, false);
                }
                return true;
            }
            const char* third = parts_[2];
            if (equals(third, "id")) {
                *value = static_cast<float>(p);
                return true;
            }
            if (equals(third, "type")) {
                *value = static_cast<float>(info->type);
                return true;
            }
            if (kind == k_kindData) {
                if (owner && owner->readDataByName(info->localNumber, parts_, partCount_, value))
                    return true;
            } else if (equals(third, "min")) {
                *value = info->min;
                return true;
            } else if (equals(third, "max")) {
                *value = info->max;
                return true;
            } else if (equals(third, "isModSource")) {
                *value = (info->flags & k_paramSourceSelector) != 0 &&
                                 (info->flags & k_paramSecondListDefault) == 0
                             ? 1.0f
                             : 0.0f;
                return true;
            }
        }
    }
    if (!equals(parts_[0], "Modulator")) {
        *value = 1.0f;
        return true;
    }
    return modulatorValue(value);
}

bool ParamKeyWords::modulatorValue(float* value)
{
    if (equals(parts_[1], "count")) {
        *value = static_cast<float>(manager_->getModSourceListCount());
        return true;
    }
    const AM_ModSourceInfo* sources = manager_->getModSourceList();
    const int32_t count = manager_->getModSourceListCount();
    for (int32_t i = 0; sources && partCount_ == 2 && i < count; ++i) {
        if (fieldText(sources[i].name, k_sourceNameBytes) == parts_[1]) {
            *value = static_cast<float>(i);
            return true;
        }
    }
    AM_STD::printv("ERROR: No Modulator with that name: %s\n", parts_[1]);
    return false;
}

bool ParamKeyWords::setValue(const char* name, float value)
{
    split(name);
    const int32_t m = manager_->findModule(parts_[0]);
    if (m < 0)
        return true;
    const int32_t p = resolveParameter(m, parts_[1]);
    const AM_ParamInfo* info = p >= 1 ? manager_->getParameterInfo(p) : nullptr;
    if (!info) {
        AM_STD::printv("ERROR: Can't find writable Parameter %s in Module %s\n", parts_[1],
                       parts_[0]);
        return true;
    }
    const uint32_t kind = info->kind();
    if (partCount_ >= 3) {
        AM_AudioObject* owner = manager_->getModuleObject(info->moduleIndex);
        if (kind == k_kindData && owner &&
            owner->writeDataByName(info->localNumber, parts_, partCount_, value)) {
            manager_->clearStatePending(p);
            return true;
        }
        AM_STD::printv("ERROR: Can't write to %s.%s.%s\n", parts_[0], parts_[1], parts_[2]);
        return true;
    }
    if (kind == k_meter || kind == k_kindData) {
        AM_STD::printv("ERROR: Can't write numerical value to  %s.%s\n", parts_[0], parts_[1]);
        return false;
    }
    if (kind == k_kindInteger)
        value = std::trunc(value);
    manager_->clearStatePending(p);
    int32_t id = p;
    AM_ParamChangeContext context{kScriptSampleRate};
    manager_->setParam(&id, &value, &context, true);
    return true;
}

float ParamKeyWords::callMethod(const char* name, float a, float b, void* context)
{
    split(name);
    if (partCount_ < 2)
        return KeyWordMan::callMethod(name, a, b, context);
    const int32_t m = manager_->findModule(parts_[0]);
    if (m < 0 || partCount_ < 3)
        return 0.0f;
    const int32_t p = manager_->findParameter(m, parts_[1]);
    const AM_ParamInfo* info = p >= 1 ? manager_->getParameterInfo(p) : nullptr;
    if (!info) {
        AM_STD::printv("ERROR: Can't find method for %s in Module %s\n", parts_[1], parts_[0]);
        return 0.0f;
    }
    AM_AudioObject* owner = manager_->getModuleObject(info->moduleIndex);
    if (info->kind() == k_kindData && owner &&
        owner->callMethodByName(info->localNumber, parts_, partCount_, context, a, b)) {
        manager_->clearStatePending(p);
        return 1.0f;
    }
    AM_STD::printv("ERROR: No method for %s.%s.%s\n", parts_[0], parts_[1], parts_[2]);
    AM_STD::printv("ERROR: No method for %s.%s\n", parts_[0], parts_[1]);
    return 0.0f;
}
