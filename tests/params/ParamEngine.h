#pragma once
// The test engine with a parameter manager as the main circuit's first
// child, answering the owner's parameter services through it.

#include "FixtureModule.h"
#include "TestEngine.h"
#include "params/AM_ParaMan.h"

#include <cstring>
#include <functional>
#include <map>
#include <vector>

namespace testfixture {

class ParamEngine : public TestEngine {
public:
    using Factory = std::function<AM_ParaMan*(AM_EngineOwner*, int32_t, int32_t, int32_t)>;

    // The parameter manager is the first module, as the audio manager adds
    // it before any other.
    ParamEngine(int32_t axes, int32_t slots, int32_t rows, EngineOptions options = {},
                const Factory& factory = {})
        : TestEngine(options)
    {
        paraMan =
            factory ? factory(this, axes, slots, rows) : new AM_ParaMan(this, axes, slots, rows);
        addModule(paraMan);
    }

    void setupParameterTable() override { paraMan->setupParameters(ctx()); }

    int32_t findParameterIndex(int32_t moduleIndex, int32_t localIndex) override
    {
        for (int32_t i = 0; i < paraMan->getJointParameterCount(); ++i) {
            const AM_ParamInfo* info = paraMan->getParameterInfo(i);
            if (info->moduleIndex == moduleIndex &&
                info->localNumber == static_cast<uint32_t>(localIndex))
                return i;
        }
        return -1;
    }
    AM_ParamInfo* getParameterDescriptor(int32_t index, bool published) override
    {
        return paraMan->getParameterInfo(published ? paraMan->getPublishedMap()[index] : index);
    }
    float getParameter(int32_t index, bool published) override
    {
        return paraMan->getValue(index, published);
    }
    void setParameter(int32_t index, float value, bool published) override
    {
        if (published)
            index = paraMan->getPublishedMap()[index];
        paraMan->setParam(&index, &value, ctx(), false);
    }
    void* getBinaryParameterData(int32_t index) override
    {
        auto found = binaryData.find(index);
        return found == binaryData.end() ? nullptr : found->second.data();
    }

    // The global id of (module, local number).
    int32_t idOf(AM_AudioObject* module, uint32_t local)
    {
        return module->getFirstParameterId() + static_cast<int32_t>(local);
    }
    // setParam with the engine's context.
    float set(int32_t id, float value, bool immediate = false)
    {
        paraMan->setParam(&id, &value, ctx(), immediate);
        return value;
    }

    AM_ParaMan* paraMan = nullptr;
    std::map<int32_t, std::vector<uint8_t>> binaryData;
};

inline int32_t storedInt(const float& storage)
{
    int32_t value = 0;
    std::memcpy(&value, &storage, sizeof(value));
    return value;
}

} // namespace testfixture
