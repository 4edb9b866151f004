#include "params/AM_ParamProperty.h"

#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"
#include "params/AM_ModuleProperty.h"
#include "params/AM_ParaMan.h"

#include <cstring>

namespace {

constexpr float kScriptSampleRate = 44100.0f;
// Parts of a dotted name: module, parameter, sub-parameter.
constexpr int32_t kModulePart = 0;
constexpr int32_t kParameterPart = 1;
constexpr int32_t kSubPart = 2;

struct PropertyWord {
    const char* word;
    int32_t code;
};
constexpr PropertyWord kPropertyWords[] = {
    {"type", k_propertyType},         {"id", k_propertyId},
    {"min", k_propertyMin},           {"max", k_propertyMax},
    {"moduleID", k_propertyModuleId}, {"modSource", k_propertyModSource},
};

bool isSourceSelector(const AM_ParamInfo& p)
{
    return p.kind() == k_kindInteger && (p.flags & k_paramSourceSelector) != 0 &&
           (p.flags & (k_paramSecondListDefault | k_paramFirstBit23Default)) == 0;
}

int32_t readInt(AM_ParaMan* manager, const AM_ParamInfo* p, int32_t property);

float readFloat(AM_ParaMan* manager, const AM_ParamInfo* p, int32_t property)
{
    if (!p)
        return 0.0f;
    switch (property) {
    case k_propertyValue:
        return manager->getValue(static_cast<int32_t>(p->index), false);
    case k_propertyMin:
        return p->min;
    case k_propertyMax:
        return p->max;
    default:
        return static_cast<float>(readInt(manager, p, property));
    }
}

int32_t readInt(AM_ParaMan* manager, const AM_ParamInfo* p, int32_t property)
{
    if (!p)
        return 0;
    switch (property) {
    case k_propertyType:
        return static_cast<int32_t>(p->kind());
    case k_propertyId:
        return static_cast<int32_t>(p->index);
    case k_propertyModuleId:
        return p->moduleIndex;
    case k_propertyModSource:
        return isSourceSelector(*p) ? 1 : 0;
    default:
        return static_cast<int32_t>(readFloat(manager, p, property));
    }
}

bool writable(const AM_ParamInfo* p, int32_t property)
{
    return p && property == k_propertyValue && p->kind() != k_meter && p->kind() != k_kindData &&
           (p->flags & (k_paramHidden | k_paramNotSaved)) == 0;
}

void write(AM_ParaMan* manager, const AM_ParamInfo* p, float value)
{
    int32_t id = static_cast<int32_t>(p->index);
    AM_ParamChangeContext context{kScriptSampleRate};
    manager->setParam(&id, &value, &context, true);
    // Set by the script: the state read in progress keeps it.
    manager->clearStatePending(id);
}

// A subscript counted from 1 as a place from 0 (0 for negative ones);
// false when it lies outside count.
bool place(int16_t subscript, int32_t count, int32_t* out)
{
    int32_t v = subscript - 1;
    if (v < 0)
        v = 0;
    *out = v;
    return v < count;
}

} // namespace

int32_t AM_propertyCode(const char* word)
{
    for (const PropertyWord& w : kPropertyWords)
        if (std::strcmp(word, w.word) == 0)
            return w.code;
    return -1;
}

AM_ParamProperty::AM_ParamProperty(AM_ParaMan* manager, int32_t property)
    : manager_(manager), property_(property)
{
}

bool AM_ParamProperty::addModule(int32_t matchedId)
{
    if (moduleCount_ >= kMaxModules)
        return false;
    modules_[moduleCount_++] = matchedId;
    return true;
}

void AM_ParamProperty::setFamily(int32_t count, int32_t stride)
{
    parameterCount_ = count;
    parameterStride_ = stride;
}

void AM_ParamProperty::setSubFamily(int32_t count, int32_t stride)
{
    subCount_ = count;
    subStride_ = stride;
}

void AM_ParamProperty::chooseValueType(const AM_ParamInfo& first)
{
    valueType =
        first.kind() == k_kindInteger || first.kind() == k_kindAssignment ? kIntValue : kFloatValue;
}

AM_ParamInfo* AM_ParamProperty::resolve()
{
    if (direct_)
        return manager_->getParameterInfo(indexValues[kParameterPart]);
    int32_t module = 0;
    int32_t parameter = 0;
    int32_t sub = 0;
    if (moduleCount_ > 1) {
        AM_STD::printv("ModuleIndex %d!\n", indexValues[kModulePart] - 1);
        if (!place(indexValues[kModulePart], moduleCount_, &module))
            return nullptr;
    }
    if (parameterCount_ > 1) {
        AM_STD::printv("ParamIndex %d!\n", indexValues[kParameterPart] - 1);
        if (!place(indexValues[kParameterPart], parameterCount_, &parameter))
            return nullptr;
    }
    if (subCount_ > 1) {
        AM_STD::printv("SubParamIndex %d!\n", indexValues[kSubPart] - 1);
        if (!place(indexValues[kSubPart], subCount_, &sub))
            return nullptr;
    }
    if (moduleCount_ < 1 || modules_[module] < 0)
        return nullptr;
    return manager_->getParameterInfo(modules_[module] + parameter * parameterStride_ +
                                      sub * subStride_);
}

int32_t AM_ParamProperty::getInt()
{
    return readInt(manager_, resolve(), property_);
}

float AM_ParamProperty::getFloat()
{
    return readFloat(manager_, resolve(), property_);
}

void AM_ParamProperty::setInt(int32_t value)
{
    setFloat(static_cast<float>(value));
}

void AM_ParamProperty::setFloat(float value)
{
    const AM_ParamInfo* p = resolve();
    if (!writable(p, property_))
        return;
    AM_STD::printv("setting Parameter %d (%s) to %.2f\n", static_cast<int32_t>(p->index),
                   p->longName, value);
    write(manager_, p, value);
}

AM_AnyParamProperty::AM_AnyParamProperty(AM_ParaMan* manager, int32_t property,
                                         const int32_t* modules, int32_t count)
    : manager_(manager), property_(property), moduleCount_(count)
{
    if (moduleCount_ > kMaxModules)
        moduleCount_ = kMaxModules;
    for (int32_t k = 0; k < moduleCount_; ++k)
        modules_[k] = modules[k];
    valueType = property == k_propertyType || property == k_propertyId ||
                        property == k_propertyModuleId || property == k_propertyModSource
                    ? kIntValue
                    : kFloatValue;
}

AM_ParamInfo* AM_AnyParamProperty::getParameter()
{
    const int32_t m = AM_chooseModule(manager_, modules_, moduleCount_, indexValues[kModulePart]);
    AM_AudioObject* module = manager_->getModuleObject(m);
    if (!module)
        return nullptr;
    const int32_t j = indexValues[kParameterPart];
    const int32_t count = module->getParameterCount(false);
    if (j < 0 || j >= count)
        return nullptr;
    AM_ParamInfo* p = manager_->getParameterInfo(module->getFirstParameterId() + j);
    if (p)
        AM_STD::printv("Module '%s' has %d Params, %d is '%s'\n", module->getName(), count, j,
                       p->longName);
    return p;
}

int32_t AM_AnyParamProperty::getInt()
{
    return readInt(manager_, getParameter(), property_);
}

float AM_AnyParamProperty::getFloat()
{
    return readFloat(manager_, getParameter(), property_);
}

void AM_AnyParamProperty::setInt(int32_t value)
{
    setFloat(static_cast<float>(value));
}

void AM_AnyParamProperty::setFloat(float value)
{
    const AM_ParamInfo* p = getParameter();
    if (writable(p, property_))
        write(manager_, p, value);
}
