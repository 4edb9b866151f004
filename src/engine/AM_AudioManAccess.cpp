// The access layer: parameters by host index, counts and numbering, value
// names, hidden parameters, module names, and the state chunk.

#include "engine/AM_AudioMan.h"

#include "engine/module/AM_AudioObject.h"
#include "foundation/AM_STD.h"
#include "params/AM_ParaMan.h"
#include "params/object/AM_ParamInfo.h"

#include <algorithm>
#include <cstring>
#include <vector>

int32_t AM_AudioMan::resolveParameterIndex(int32_t index, bool published) const
{
    if (!paraMan_)
        return -1;
    const int32_t parameters = paraMan_->getJointParameterCount();
    if (published) {
        if (index >= kHostInternalOffset) {
            const int32_t id = index - kHostInternalOffset;
            return id < parameters ? id : -1;
        }
        if (index < 0 || index >= paraMan_->getPublishedCount())
            return -1;
        const int32_t id = paraMan_->getPublishedMap()[index];
        return (id >= 0 && id < parameters) ? id : -1;
    }
    return (index >= 0 && index < parameters) ? index : -1;
}

int32_t AM_AudioMan::getParameterCount(bool published)
{
    if (!paraMan_)
        return 0;
    const int32_t count =
        published ? paraMan_->getPublishedCount() : paraMan_->getJointParameterCount();
    return count > 0 ? count : 0;
}

int32_t AM_AudioMan::getPublishedIndex(int32_t internalIndex)
{
    const int32_t id = resolveParameterIndex(internalIndex, false);
    if (id < 0)
        return -1;
    return paraMan_->getParameterInfo(id)->publishedIndex;
}

int32_t AM_AudioMan::getInternalIndex(int32_t publishedIndex)
{
    if (!paraMan_ || publishedIndex < 0 || publishedIndex >= paraMan_->getPublishedCount())
        return -1;
    return paraMan_->getPublishedMap()[publishedIndex];
}

int32_t AM_AudioMan::getParameterValueString(int32_t index, AM_ValueNames* list, bool published)
{
    const int32_t id = resolveParameterIndex(index, published);
    if (id < 0)
        return 0;
    return paraMan_->getValueStrings(static_cast<uint32_t>(id), list);
}

void AM_AudioMan::hideParameter(const char* moduleShortName, const char* parameterShortName)
{
    AM_ParamInfo* info = findParameter(moduleShortName, parameterShortName);
    if (!info) {
        AM_STD::printv("couldn't hide %s %s", moduleShortName ? moduleShortName : "",
                       parameterShortName ? parameterShortName : "");
        return;
    }
    // A hidden parameter is neither shown nor saved, so it is not offered to
    // the host either: host automation of it would be lost with the next
    // state the host reloads.
    info->flags |= k_paramHidden;
    info->flags &= ~static_cast<uint32_t>(k_paramPublished);
}

const char* AM_AudioMan::getModuleName(int32_t moduleIndex)
{
    if (!moduleTable_ || moduleIndex < 0 || moduleIndex >= moduleCount_ ||
        static_cast<uint32_t>(moduleIndex) >= moduleTableSize_)
        return nullptr;
    const AM_AudioObject* module = moduleTable_[moduleIndex];
    return module ? module->getName() : nullptr;
}

void AM_AudioMan::importStateInfo()
{
    AM_STD::printv("Call to deprecated method AM_AudioMan::importStateInfo()");
}

const char* AM_AudioMan::getChunk(uint32_t* size, const char* firstLine)
{
    if (size)
        *size = 0;
    if (!paraMan_)
        return nullptr;
    return paraMan_->writeState(size, firstLine);
}

bool AM_AudioMan::setChunk(const void* data, int32_t size, int32_t mode)
{
    if (!paraMan_ || !data || size <= 0)
        return false;
    if (!paraMan_->readState(static_cast<const char*>(data), size, mode))
        return false;
    startedFromDefaultPreset_.store(false, std::memory_order_relaxed);
    // Before audio runs the bus channels are cleared here. Once blocks run,
    // every sub-block refills each bus row before the modules read it, so
    // nothing of the old state can be heard, and the rows belong to the
    // audio thread.
    if (context_ && context_->busBuffer && !paraMan_->isProcessing()) {
        const uint32_t rows = std::min(channelCapacity_, context_->busRowCount);
        std::memset(context_->busBuffer, 0, size_t{rows} * k_rowSamples * sizeof(float));
    }
    return true;
}

void AM_AudioMan::reloadState()
{
    uint32_t size = 0;
    const char* chunk = getChunk(&size, nullptr);
    if (!chunk || size == 0)
        return;
    // The reader may write the parameter manager's state buffer again, so it
    // reads a copy.
    const std::vector<char> copy(chunk, chunk + size);
    setChunk(copy.data(), static_cast<int32_t>(copy.size()), 1);
}
