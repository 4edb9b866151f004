#include "params/AM_ModuleProperty.h"

#include "engine/module/AM_EngineOwner.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParaMan.h"

int32_t AM_chooseModule(AM_ParaMan* manager, const int32_t* modules, int32_t count,
                        int32_t subscript)
{
    if (count == AM_AnyModuleProperty::kEveryModule) {
        AM_EngineOwner* owner = manager->getOwner();
        const int32_t total = owner ? owner->getModuleCount() : 0;
        return subscript >= 0 && subscript < total ? subscript : -1;
    }
    const int32_t k = subscript == 0 ? 0 : subscript - 1;
    return k >= 0 && k < count ? modules[k] : -1;
}

AM_AnyModuleProperty::AM_AnyModuleProperty(AM_ParaMan* manager, int32_t property,
                                           const int32_t* modules, int32_t count)
    : manager_(manager), property_(property), moduleCount_(count)
{
    if (moduleCount_ > kMaxModules)
        moduleCount_ = kMaxModules;
    for (int32_t k = 0; k < moduleCount_; ++k)
        modules_[k] = modules[k];
    valueType = kIntValue;
}

int32_t AM_AnyModuleProperty::getModule()
{
    return AM_chooseModule(manager_, modules_, moduleCount_, indexValues[0]);
}

int32_t AM_AnyModuleProperty::getInt()
{
    const int32_t m = getModule();
    AM_AudioObject* module = manager_->getModuleObject(m);
    if (!module) {
        AM_STD::printv("NO MODULE FOUND! %d\n", static_cast<int32_t>(indexValues[0]));
        return 0;
    }
    switch (property_) {
    case kActive:
        return module->isActive(m) ? 1 : 0;
    case kModuleIndex:
        return m;
    case kParameterCount:
        return module->getParameterCount(false);
    default:
        return 0;
    }
}

AM_GlobalProperty::AM_GlobalProperty(AM_ParaMan* manager, int32_t property)
    : manager_(manager), property_(property)
{
    valueType = kIntValue;
}

int32_t AM_GlobalProperty::getInt()
{
    if (property_ == kModuleCount) {
        AM_EngineOwner* owner = manager_->getOwner();
        return owner ? owner->getModuleCount() : 0;
    }
    return manager_->getJointParameterCount();
}
