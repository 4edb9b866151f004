// The module tree: building it, finding modules in it, the receiver chains,
// and the tree-wide numbering of parameters.

#include "engine/module/AM_AudioObject.h"

#include "foundation/AM_STD.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ParamInfo.h"

#include <cstring>

void AM_AudioObject::addSibling(AM_AudioObject* object)
{
    if (!object || object == this)
        return;
    AM_AudioObject* last = this;
    while (last->nextSibling_)
        last = last->nextSibling_;
    last->nextSibling_ = object;
    object->previousSibling_ = last;
    object->parent_ = parent_;
    if (host_)
        object->setHost(host_);
}

int32_t AM_AudioObject::addChild(AM_AudioObject* object)
{
    if (!object || object == this)
        return 0;
    if (!firstChild_) {
        firstChild_ = object;
        object->parent_ = this;
        if (host_)
            object->setHost(host_);
    } else {
        firstChild_->addSibling(object);
    }
    object->setGroup(group_);
    return 1;
}

AM_AudioObject* AM_AudioObject::findByName(const char* name)
{
    if (!name)
        return nullptr;
    if (std::strcmp(name_, name) == 0)
        return this;
    if (firstChild_) {
        if (AM_AudioObject* found = firstChild_->findByName(name))
            return found;
    }
    return nextSibling_ ? nextSibling_->findByName(name) : nullptr;
}

AM_AudioObject* AM_AudioObject::findByModuleIndex(uint32_t index)
{
    if (moduleIndex_ == index)
        return this;
    if (firstChild_) {
        if (AM_AudioObject* found = firstChild_->findByModuleIndex(index))
            return found;
    }
    return nextSibling_ ? nextSibling_->findByModuleIndex(index) : nullptr;
}

AM_AudioObject** AM_AudioObject::collectMidiReceivers(AM_AudioObject** cursor)
{
    if ((mask_ & k_classMidiReceiver) != 0 && cursor) {
        *cursor = this;
        nextMidiReceiver_ = nullptr;
        cursor = &nextMidiReceiver_;
    }
    if (firstChild_)
        cursor = firstChild_->collectMidiReceivers(cursor);
    if (nextSibling_)
        cursor = nextSibling_->collectMidiReceivers(cursor);
    return cursor;
}

AM_AudioObject** AM_AudioObject::collectVoiceEventReceivers(AM_AudioObject** cursor)
{
    if ((mask_ & k_classVoiceEventReceiver) != 0 && cursor) {
        *cursor = this;
        nextVoiceEventReceiver_ = nullptr;
        cursor = &nextVoiceEventReceiver_;
    }
    if (firstChild_)
        cursor = firstChild_->collectVoiceEventReceivers(cursor);
    if (nextSibling_)
        cursor = nextSibling_->collectVoiceEventReceivers(cursor);
    return cursor;
}

int32_t AM_AudioObject::getParameterCount(bool tree)
{
    int32_t count = static_cast<int32_t>(parameterCount_);
    if (tree) {
        if (firstChild_)
            count += firstChild_->getParameterCount(true);
        if (nextSibling_)
            count += nextSibling_->getParameterCount(true);
    }
    return count;
}

AM_AudioObject* AM_AudioObject::locateParameter(int32_t i, uint32_t* local)
{
    AM_AudioObject* module = this;
    while (module && i >= 0) {
        const int32_t own = module->getParameterCount(false);
        if (i < own) {
            if (local)
                *local = static_cast<uint32_t>(i);
            return module;
        }
        i -= own;
        if (module->firstChild_) {
            const int32_t below = module->firstChild_->getParameterCount(true);
            if (i < below) {
                module = module->firstChild_;
                continue;
            }
            i -= below;
        }
        module = module->nextSibling_;
    }
    return nullptr;
}

const AM_ParamInfo* AM_AudioObject::getParameterTemplateAt(int32_t i)
{
    uint32_t local = 0;
    AM_AudioObject* module = locateParameter(i, &local);
    return module ? module->getParameterTemplate(local) : nullptr;
}

int32_t AM_AudioObject::getParameterDescriptorAt(int32_t i, AM_ParamInfo* out)
{
    uint32_t local = 0;
    AM_AudioObject* module = locateParameter(i, &local);
    if (!module || !out)
        return -1;
    const AM_ParamInfo* info = module->getParameterTemplate(local);
    if (info)
        *out = *info;
    else
        std::memset(out, 0, sizeof(*out));
    out->moduleIndex = static_cast<int32_t>(module->moduleIndex_);
    out->localNumber = local;
    return out->moduleIndex;
}

void* AM_AudioObject::getParameterAddressAt(int32_t i)
{
    uint32_t local = 0;
    AM_AudioObject* module = locateParameter(i, &local);
    return module ? module->getParameterAddress(local) : nullptr;
}
