// Whether a module runs, resetting and randomizing the tree, and the test
// probe.

#include "engine/module/AM_AudioObject.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ProcessContext.h"
#include "engine/module/AM_Random.h"
#include "foundation/AM_STD.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ParamInfo.h"

#include <atomic>

namespace {

std::atomic<float*> g_testProbe{nullptr};

// Control rows below this use the first usage word (bit row - 1), the
// others the second (bit row - 24).
constexpr uint32_t kFirstWordRows = 24;
constexpr uint32_t kUsageBits = 23;

// Randomize of list parameters: draws in [0, 150); above 100 the default
// returns.
constexpr float kListDrawRange = 150.0f;
constexpr float kListDefaultAbove = 100.0f;
constexpr float kPercent = 0.01f;

} // namespace

bool AM_AudioObject::isActive(int32_t)
{
    if (parent_ && !parent_->isActive(static_cast<int32_t>(moduleIndex_)))
        return false;
    if ((mask_ & k_classActiveByUsage) == 0)
        return true;
    AM_ProcessContext* ctx = context();
    const uint32_t row = firstControlRow_;
    if (!ctx || row == 0)
        return true;
    uint32_t word = 0;
    uint32_t bit = 0;
    if (row < kFirstWordRows) {
        word = std::atomic_ref<uint32_t>(ctx->usageWord1).load(std::memory_order_relaxed);
        bit = row - 1;
    } else {
        word = std::atomic_ref<uint32_t>(ctx->usageWord2).load(std::memory_order_relaxed);
        bit = row - kFirstWordRows;
    }
    return bit < kUsageBits && ((word >> bit) & 1u) != 0;
}

void AM_AudioObject::resetTree()
{
    const bool active = isActive(static_cast<int32_t>(moduleIndex_));
    if (firstChild_ && active)
        firstChild_->resetTree();
    if (nextSibling_)
        nextSibling_->resetTree();
    if (active)
        reset(nullptr);
}

void AM_AudioObject::randomizeTree(float amount)
{
    if (firstChild_)
        firstChild_->randomizeTree(amount);
    if (nextSibling_)
        nextSibling_->randomizeTree(amount);
    randomize(amount);
}

void AM_AudioObject::randomize(float amount)
{
    if (!owner_)
        return;
    for (uint32_t i = 0; i < parameterCount_; ++i) {
        const int32_t id =
            owner_->findParameterIndex(static_cast<int32_t>(moduleIndex_), static_cast<int32_t>(i));
        if (id < 0)
            continue;
        const AM_ParamInfo* info = owner_->getParameterDescriptor(id, false);
        if (!info || (info->flags & (k_paramHidden | k_paramNotSaved)) != 0)
            continue;
        if (info->kind() == k_kindInteger) {
            const float draw = AM_Random::range(0.0f, kListDrawRange);
            float value = owner_->getParameter(id, false);
            if (draw > kListDefaultAbove)
                value = info->defaultValue;
            else if (draw < amount)
                value = static_cast<float>(
                    static_cast<int32_t>(AM_Random::range(info->min, info->max) + 0.5f));
            owner_->setParameter(id, value, false);
        } else if (info->kind() == k_kindFloat) {
            const float draw = AM_Random::range(info->min, info->max);
            const float current = owner_->getParameter(id, false);
            owner_->setParameter(id, current + (draw - current) * amount * kPercent, false);
        }
    }
}

void AM_AudioObject::setTestProbe(float* probe)
{
    g_testProbe.store(probe, std::memory_order_relaxed);
}

void AM_AudioObject::printTestProbe(const char* tag)
{
    float* probe = g_testProbe.load(std::memory_order_relaxed);
    if (!probe) {
        AM_STD::printv("#TEST# NULL @ %s - (%s)\n", tag, name_);
        return;
    }
    const float value = *probe;
    if (value != 0.0f)
        AM_STD::printv("#TEST# %f @ %s - (%s)\n", static_cast<double>(value), tag, name_);
}

float* AM_AudioObject::getProcessTestProbe()
{
    return g_testProbe.load(std::memory_order_relaxed);
}

void AM_AudioObject::resetProcessTestProbe()
{
    g_testProbe.store(nullptr, std::memory_order_relaxed);
}
