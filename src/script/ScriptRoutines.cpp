#include "script/ScriptRoutines.h"

#include "script/AMM_ObjectAccessor.h"
#include "script/AM_ScriptMachine.h"

#include <cstring>
#include <limits>

namespace script {
namespace {

constexpr uint32_t kRegisterMask = kRegisterStorage - 1;
constexpr uint32_t kScalarMask = kScalarSlots - 1;
constexpr uint32_t kArrayMask = kArraySlots - 1;
static_assert((kRegisterStorage & kRegisterMask) == 0, "register storage is a power of two");
static_assert((kScalarSlots & kScalarMask) == 0, "scalar slots are a power of two");
static_assert((kArraySlots & kArrayMask) == 0, "array slots are a power of two");

constexpr float kIntRangeEnd = 2147483648.0f; // 2^31

} // namespace

int32_t truncateToInt(float value)
{
    if (value != value)
        return 0;
    if (value >= kIntRangeEnd)
        return std::numeric_limits<int32_t>::max();
    if (value < -kIntRangeEnd)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

float& Routines::floatRegister(AM_ScriptMachine& m, uint32_t number)
{
    return m.floatBank_[number & kRegisterMask];
}

int32_t& Routines::intRegister(AM_ScriptMachine& m, uint32_t number)
{
    return m.intBank_[number & kRegisterMask];
}

int32_t Routines::endOfLine(AM_ScriptMachine&, const AM_Instruction&, int32_t)
{
    return kChainEndOfLine;
}

int32_t Routines::returnFromFunction(AM_ScriptMachine&, const AM_Instruction&, int32_t)
{
    return kChainReturn;
}

int32_t Routines::nop(AM_ScriptMachine&, const AM_Instruction&, int32_t index)
{
    return index + 1;
}

int32_t Routines::jump(AM_ScriptMachine&, const AM_Instruction& in, int32_t index)
{
    return index + in.value;
}

int32_t Routines::branchTrue(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    return intRegister(m, in.destination) != 0 ? index + in.value : index + 1;
}

int32_t Routines::branchFalse(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    return intRegister(m, in.destination) == 0 ? index + in.value : index + 1;
}

int32_t Routines::loadFloat(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    floatRegister(m, in.destination) =
        m.floatVariables_[static_cast<uint32_t>(in.value) & kScalarMask];
    return index + 1;
}

int32_t Routines::loadInt(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    intRegister(m, in.destination) = m.intVariables_[static_cast<uint32_t>(in.value) & kScalarMask];
    return index + 1;
}

int32_t Routines::storeFloat(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    m.floatVariables_[static_cast<uint32_t>(in.value) & kScalarMask] =
        floatRegister(m, in.destination);
    return index + 1;
}

int32_t Routines::storeInt(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    m.intVariables_[static_cast<uint32_t>(in.value) & kScalarMask] = intRegister(m, in.destination);
    return index + 1;
}

int32_t Routines::loadFloatElement(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    uint32_t slot = static_cast<uint32_t>(in.value) & kArrayMask;
    int32_t element = intRegister(m, in.source);
    bool inside = element >= 0 && element < m.floatArrayLengths_[slot] && m.floatArrays_[slot];
    floatRegister(m, in.destination) = inside ? m.floatArrays_[slot][element] : 0.0f;
    return index + 1;
}

int32_t Routines::loadIntElement(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    uint32_t slot = static_cast<uint32_t>(in.value) & kArrayMask;
    int32_t element = intRegister(m, in.source);
    bool inside = element >= 0 && element < m.intArrayLengths_[slot] && m.intArrays_[slot];
    intRegister(m, in.destination) = inside ? m.intArrays_[slot][element] : 0;
    return index + 1;
}

int32_t Routines::storeFloatElement(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    uint32_t slot = static_cast<uint32_t>(in.value) & kArrayMask;
    int32_t element = intRegister(m, in.source);
    if (element >= 0 && element < m.floatArrayLengths_[slot] && m.floatArrays_[slot])
        m.floatArrays_[slot][element] = floatRegister(m, in.destination);
    return index + 1;
}

int32_t Routines::storeIntElement(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    uint32_t slot = static_cast<uint32_t>(in.value) & kArrayMask;
    int32_t element = intRegister(m, in.source);
    if (element >= 0 && element < m.intArrayLengths_[slot] && m.intArrays_[slot])
        m.intArrays_[slot][element] = intRegister(m, in.destination);
    return index + 1;
}

int32_t Routines::loadFloatConstant(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    float value;
    std::memcpy(&value, &in.value, sizeof(value));
    floatRegister(m, in.destination) = value;
    return index + 1;
}

int32_t Routines::loadIntConstant(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    intRegister(m, in.destination) = in.value;
    return index + 1;
}

int32_t Routines::loadFloatProperty(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    auto* property = static_cast<AMM_ObjectProperty*>(in.object);
    property->refreshIndexValues(m.intBank_);
    floatRegister(m, in.destination) = property->getFloat();
    return index + 1;
}

int32_t Routines::loadIntProperty(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    auto* property = static_cast<AMM_ObjectProperty*>(in.object);
    property->refreshIndexValues(m.intBank_);
    intRegister(m, in.destination) = property->getInt();
    return index + 1;
}

int32_t Routines::storeFloatProperty(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    auto* property = static_cast<AMM_ObjectProperty*>(in.object);
    property->refreshIndexValues(m.intBank_);
    property->setFloat(floatRegister(m, in.destination));
    return index + 1;
}

int32_t Routines::storeIntProperty(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    auto* property = static_cast<AMM_ObjectProperty*>(in.object);
    property->refreshIndexValues(m.intBank_);
    property->setInt(intRegister(m, in.destination));
    return index + 1;
}

} // namespace script
