// The call routines: script functions and module methods.

#include "script/AMM_ObjectAccessor.h"
#include "script/AM_ScriptMachine.h"
#include "script/AM_ScriptVariable.h"
#include "script/AM_Symbol.h"
#include "script/ScriptOpcodes.h"
#include "script/ScriptPrint.h"
#include "script/ScriptRoutines.h"

#include <cstring>

namespace script {
namespace {

constexpr uint32_t kScalarMask = kScalarSlots - 1;

uint32_t floatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

float bitsFloat(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

void unknownLetter(char letter)
{
    print("ERROR: unknown ObjFunc Attribute '%c' on execution\n", letter);
}

} // namespace

// The caller's live registers (below the argument registers) and the
// parameter variables are saved on the machine's save stack, so parameters
// behave as locals and recursion keeps the caller's values.
int32_t Routines::callFunction(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    auto* symbol = static_cast<AM_Symbol*>(in.object);
    if (!symbol || symbol->owner != &m) {
        print("ERROR: call of a function of another script in %d\n", index);
        return index + 1;
    }
    if (m.callDepth_ >= kMaxCallDepth) {
        print("stopped machine: script calls nested deeper than %d\n", kMaxCallDepth);
        m.abortRun();
        return kChainAbort;
    }
    const uint32_t floatCount = in.destination;
    const uint32_t intCount = in.source;
    uint32_t* save = m.saveStack_.get() + m.saveTop_;
    uint32_t used = 0;
    for (uint32_t r = 0; r < floatCount; ++r)
        save[used++] = floatBits(floatRegister(m, r));
    for (uint32_t r = 0; r < intCount; ++r)
        save[used++] = static_cast<uint32_t>(intRegister(m, r));

    uint32_t nextFloat = floatCount;
    uint32_t nextInt = intCount;
    const uint32_t letters = symbol->letterCount <= static_cast<uint32_t>(kMaxParameters) + 1
                                 ? symbol->letterCount
                                 : static_cast<uint32_t>(kMaxParameters) + 1;
    for (uint32_t k = 1; k < letters; ++k) {
        AM_ScriptVariable* variable = symbol->parameters[k];
        char letter = symbol->letters[k];
        uint32_t slot = variable ? variable->slot & kScalarMask : 0;
        if (letter == 'F') {
            save[used++] = floatBits(m.floatVariables_[slot]);
            m.floatVariables_[slot] = floatRegister(m, nextFloat++);
        } else if (letter == 'I') {
            save[used++] = static_cast<uint32_t>(m.intVariables_[slot]);
            m.intVariables_[slot] = intRegister(m, nextInt++);
        } else {
            unknownLetter(letter);
        }
    }
    m.saveTop_ += static_cast<int32_t>(used);

    ++m.callDepth_;
    m.runFunction(static_cast<int32_t>(symbol->codeStart));
    --m.callDepth_;

    if (symbol->letters[0] == 'F')
        floatRegister(m, floatCount) = floatRegister(m, 0);
    else if (symbol->letters[0] == 'I')
        intRegister(m, intCount) = intRegister(m, 0);
    else
        unknownLetter(symbol->letters[0]);

    uint32_t read = 0;
    for (uint32_t r = 0; r < floatCount; ++r)
        floatRegister(m, r) = bitsFloat(save[read++]);
    for (uint32_t r = 0; r < intCount; ++r)
        intRegister(m, r) = static_cast<int32_t>(save[read++]);
    for (uint32_t k = 1; k < letters; ++k) {
        AM_ScriptVariable* variable = symbol->parameters[k];
        uint32_t slot = variable ? variable->slot & kScalarMask : 0;
        if (symbol->letters[k] == 'F')
            m.floatVariables_[slot] = bitsFloat(save[read++]);
        else if (symbol->letters[k] == 'I')
            m.intVariables_[slot] = static_cast<int32_t>(save[read++]);
    }
    m.saveTop_ -= static_cast<int32_t>(used);
    return m.aborted_ ? kChainAbort : index + 1;
}

int32_t Routines::callMethod(AM_ScriptMachine& m, const AM_Instruction& in, int32_t index)
{
    auto* method = static_cast<AMM_ObjectMethod*>(in.object);
    method->refreshIndexValues(m.intBank_);
    uint32_t nextFloat = in.destination;
    uint32_t nextInt = in.source;
    const int32_t count = method->parameterCount();
    for (int32_t k = 0; k < count && k < kMaxParameters; ++k) {
        char letter = method->parameterLetters[k];
        if (letter == 'F')
            method->arguments[k] = floatBits(floatRegister(m, nextFloat++));
        else if (letter == 'I' || letter == 'f' || letter == 'i')
            method->arguments[k] = static_cast<uint32_t>(intRegister(m, nextInt++));
        else
            unknownLetter(letter);
    }
    print("exectuting inst_objectFunc f: %d, i: %d, mode = '%c'\n", in.destination, in.source,
          method->resultLetter);
    if (method->resultLetter == 'F')
        floatRegister(m, in.destination) = method->callFloat(m);
    else if (method->resultLetter == 'I')
        intRegister(m, in.source) = method->callInt(m);
    return m.aborted_ ? kChainAbort : index + 1;
}

} // namespace script

void AM_ScriptMachine::runFunction(int32_t start)
{
    int32_t index = start;
    for (;;) {
        if (index < 0 || index >= codeCount_) {
            script::print("returning from function after missing callback in %d\n", index);
            return;
        }
        if (code_[index].opcode == script::kOpRts)
            return;
        int32_t end = index;
        ChainEnd how = runChain(index, &end);
        if (how == ChainEnd::Return || how == ChainEnd::Abort)
            return;
        if (how == ChainEnd::Missing) {
            script::print("returning from function after missing callback in %d\n", end);
            return;
        }
        if (++chainCounter_ > script::kMaxChains) {
            script::print("returning from function after %d instruction chains\n",
                          script::kMaxChains);
            return;
        }
        index = end + 1;
    }
}
