#include "params/AM_AudioObjectMethod.h"

bool AM_AudioObjectMethod::addModule(AM_AudioObject* module)
{
    if (!module || moduleCount_ >= kMaxModules)
        return false;
    modules_[moduleCount_++] = module;
    return true;
}

AM_AudioObject* AM_AudioObjectMethod::addressedModule() const
{
    if (moduleCount_ <= 1)
        return module(0);
    return module(indexValues[0] - 1);
}
