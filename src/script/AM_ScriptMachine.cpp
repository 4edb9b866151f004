#include "script/AM_ScriptMachine.h"

#include "script/AMM_ObjectAccessor.h"
#include "script/AM_ScriptVariable.h"
#include "script/AM_Symbol.h"
#include "script/ExpScope.h"
#include "script/KeyWordMan.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptPrint.h"

#include <cstring>
#include <new>

namespace {

// Saved registers and parameters of one call at most: every register of
// both banks and the parameters.
constexpr int32_t kSavePerCall = 2 * script::kRegisterStorage + script::kMaxParameters;
constexpr uint32_t kTypeCount = 4;

} // namespace

AM_ScriptMachine::AM_ScriptMachine(KeyWordMan* resolver)
    : resolver_(resolver), code_(new AM_Instruction[script::kCodeCapacity]),
      saveStack_(new uint32_t[static_cast<size_t>(script::kMaxCallDepth) * kSavePerCall]),
      compiler_(new script::ScriptCompiler(*this))
{
    scope_ = new ExpScope(nullptr, this);
    scope_->enter();
    attachResolver();
}

AM_ScriptMachine::~AM_ScriptMachine()
{
    releaseVariables();
    releaseResolver();
}

void AM_ScriptMachine::attachResolver()
{
    if (!resolver_)
        return;
    resolver_->attachMachine();
    resolverSymbolMark_ = resolver_->symbols();
    resolverAccessorMark_ = resolver_->accessors();
    resolverReleased_ = false;
}

void AM_ScriptMachine::releaseResolver()
{
    if (!resolver_ || resolverReleased_)
        return;
    resolverReleased_ = true;
    // The last machine on the resolver clears it whole; a machine of a nested
    // state read removes only what it registered, so the outer script's
    // accessors and functions stay valid.
    if (resolver_->detachMachine() == 0)
        resolver_->clear();
    else
        resolver_->releaseTo(resolverAccessorMark_, resolverSymbolMark_);
}

void AM_ScriptMachine::releaseVariables()
{
    for (auto& chain : chains_) {
        AM_ScriptVariable::deleteChain(chain);
        chain = nullptr;
    }
    AM_ScriptVariable::deleteChain(freeList_);
    freeList_ = nullptr;
    while (scope_) {
        ExpScope* outer = scope_->next;
        delete scope_;
        scope_ = outer;
    }
    for (int32_t i = 0; i < script::kArraySlots; ++i) {
        delete[] floatArrays_[i];
        delete[] intArrays_[i];
        floatArrays_[i] = nullptr;
        intArrays_[i] = nullptr;
        floatArrayLengths_[i] = 0;
        intArrayLengths_[i] = 0;
    }
}

AM_ScriptMachine::VariableMark AM_ScriptMachine::markVariables() const
{
    VariableMark mark;
    for (int32_t i = 0; i < script::kVariableNameChains; ++i)
        mark.chains[i] = chains_[i];
    mark.freeList = freeList_;
    for (uint32_t t = 0; t < kTypeCount; ++t)
        mark.slotCounts[t] = slotCounts_[t];
    mark.arrayElements = arrayElements_;
    return mark;
}

void AM_ScriptMachine::releaseVariablesSince(const VariableMark& mark)
{
    auto dropTo = [](AM_ScriptVariable*& head, AM_ScriptVariable* keep) {
        while (head && head != keep) {
            AM_ScriptVariable* next = head->next;
            delete head;
            head = next;
        }
    };
    for (int32_t i = 0; i < script::kVariableNameChains; ++i)
        dropTo(chains_[i], mark.chains[i]);
    dropTo(freeList_, mark.freeList);
    for (int32_t slot = mark.slotCounts[AM_ScriptVariable::kFloatArray];
         slot < slotCounts_[AM_ScriptVariable::kFloatArray]; ++slot) {
        delete[] floatArrays_[slot];
        floatArrays_[slot] = nullptr;
        floatArrayLengths_[slot] = 0;
    }
    for (int32_t slot = mark.slotCounts[AM_ScriptVariable::kIntArray];
         slot < slotCounts_[AM_ScriptVariable::kIntArray]; ++slot) {
        delete[] intArrays_[slot];
        intArrays_[slot] = nullptr;
        intArrayLengths_[slot] = 0;
    }
    for (uint32_t t = 0; t < kTypeCount; ++t)
        slotCounts_[t] = mark.slotCounts[t];
    arrayElements_ = mark.arrayElements;
}

AM_ScriptVariable* AM_ScriptMachine::findVariable(const char* name, uint32_t length)
{
    if (length < 1 || length > static_cast<uint32_t>(script::kMaxVariableName))
        return nullptr;
    for (AM_ScriptVariable* v = chains_[length - 1]; v; v = v->next)
        if (std::memcmp(v->name, name, length) == 0 && v->name[length] == 0)
            return v;
    return nullptr;
}

AM_ScriptVariable* AM_ScriptMachine::declareVariable(const char* name, uint32_t type,
                                                     uint32_t count, uint32_t flags)
{
    if (count > 0)
        type += 2;
    size_t length = strnlen(name, script::kMaxVariableName + 1);
    if (length < 1 || length > static_cast<size_t>(script::kMaxVariableName)) {
        script::print("ERROR variable name %.31s... is longer than %d characters\n", name,
                      script::kMaxVariableName);
        return nullptr;
    }
    AM_ScriptVariable*& chain = chains_[length - 1];
    if (AM_ScriptVariable* old = findVariable(name, static_cast<uint32_t>(length))) {
        if (old->type == type && old->count == count && old->flags == flags)
            return old;
        script::print("ERROR can't redeclare variable %s\n", name);
        return nullptr;
    }
    if (type >= kTypeCount) {
        script::print("ERROR can't create variable %s of type %d\n", name, static_cast<int>(type));
        return nullptr;
    }
    const bool isFloat =
        type == AM_ScriptVariable::kFloat || type == AM_ScriptVariable::kFloatArray;
    const int32_t slot = slotCounts_[type];
    if (type <= AM_ScriptVariable::kInt) {
        if (slot >= script::kScalarSlots) {
            script::print(isFloat ? "OUT OF MEMORY ERROR: can't create float %s\n"
                                  : "OUT OF MEMORY ERROR: can't create int %s\n",
                          name);
            return nullptr;
        }
        if (isFloat)
            floatVariables_[slot] = 0.0f;
        else
            intVariables_[slot] = 0;
    } else {
        if (slot >= script::kArraySlots) {
            script::print(isFloat ? "OUT OF MEMORY ERROR: can't create float array %s\n"
                                  : "OUT OF MEMORY ERROR: can't create int array %s\n",
                          name);
            return nullptr;
        }
        // Arrays of one machine share a bounded element budget.
        void* storage = nullptr;
        if (count <= static_cast<uint32_t>(script::kMaxArrayElements - arrayElements_)) {
            if (isFloat)
                storage = new (std::nothrow) float[count]();
            else
                storage = new (std::nothrow) int32_t[count]();
        }
        if (!storage) {
            script::print(isFloat ? "OUT OF MEMORY ERROR: can't create float array %s[ %d ]\n"
                                  : "OUT OF MEMORY ERROR: can't create int array %s[ %d ]\n",
                          name, static_cast<int>(count));
            return nullptr;
        }
        arrayElements_ += static_cast<int32_t>(count);
        if (isFloat) {
            floatArrays_[slot] = static_cast<float*>(storage);
            floatArrayLengths_[slot] = static_cast<int32_t>(count);
        } else {
            intArrays_[slot] = static_cast<int32_t*>(storage);
            intArrayLengths_[slot] = static_cast<int32_t>(count);
        }
    }
    auto* record = new AM_ScriptVariable(name, static_cast<uint32_t>(slot), type, count, flags);
    record->next = chain;
    chain = record;
    ++slotCounts_[type];
    return record;
}

void AM_ScriptMachine::pushScope()
{
    ++depth_;
    if (!scope_)
        scope_ = new ExpScope(nullptr, this);
    scope_->enter();
}

void AM_ScriptMachine::popScope()
{
    if (depth_ <= 0)
        return;
    if (scope_ && !scope_->leave()) {
        ExpScope* outer = scope_->next;
        delete scope_;
        scope_ = outer;
    }
    for (auto& chain : chains_) {
        while (chain && chain->depth == static_cast<uint32_t>(depth_)) {
            AM_ScriptVariable* record = chain;
            chain = record->next;
            record->next = freeList_;
            freeList_ = record;
        }
    }
    --depth_;
}

void AM_ScriptMachine::printVariable(const AM_ScriptMachine& m, const AM_ScriptVariable& v)
{
    const uint32_t slot = v.slot;
    switch (v.type) {
    case AM_ScriptVariable::kFloat:
        script::print("%s = %.2f\n", v.name, static_cast<double>(m.floatVariable(slot)));
        break;
    case AM_ScriptVariable::kInt:
        script::print("%s = %d\n", v.name, m.intVariable(slot));
        break;
    case AM_ScriptVariable::kFloatArray: {
        const float* data = slot < script::kArraySlots ? m.floatArrays_[slot] : nullptr;
        if (!data) {
            script::print("Aaargh! %s is NULL\n", v.name);
            break;
        }
        for (int32_t i = 0; i < m.floatArrayLengths_[slot]; ++i)
            script::print("%s[ % d ] = %f\n", v.name, i, static_cast<double>(data[i]));
        break;
    }
    case AM_ScriptVariable::kIntArray: {
        const int32_t* data = slot < script::kArraySlots ? m.intArrays_[slot] : nullptr;
        if (!data) {
            script::print("Aaargh! %s is NULL\n", v.name);
            break;
        }
        for (int32_t i = 0; i < m.intArrayLengths_[slot]; ++i)
            script::print("%s[ % d ] = %d\n", v.name, i, data[i]);
        break;
    }
    default:
        break;
    }
}

void AM_ScriptMachine::dumpVariables()
{
    for (auto& chain : chains_)
        for (const AM_ScriptVariable* v = chain; v; v = v->next)
            printVariable(*this, *v);
    for (const AM_ScriptVariable* v = freeList_; v; v = v->next)
        printVariable(*this, *v);
    releaseVariables();
    releaseResolver();
    // Nothing of the scripts survives (the code referred to the released
    // accessors and functions): the machine is as new.
    for (int32_t i = 0; i < codeCount_ + script::kCodeReserve && i < script::kCodeCapacity; ++i)
        code_[i] = AM_Instruction();
    codeCount_ = 0;
    for (auto& count : slotCounts_)
        count = 0;
    arrayElements_ = 0;
    depth_ = 0;
    scope_ = new ExpScope(nullptr, this);
    scope_->enter();
    attachResolver();
}

float AM_ScriptMachine::floatVariable(uint32_t slot) const
{
    return slot < static_cast<uint32_t>(script::kScalarSlots) ? floatVariables_[slot] : 0.0f;
}

int32_t AM_ScriptMachine::intVariable(uint32_t slot) const
{
    return slot < static_cast<uint32_t>(script::kScalarSlots) ? intVariables_[slot] : 0;
}

void AM_ScriptMachine::setFloatVariable(uint32_t slot, float value)
{
    if (slot < static_cast<uint32_t>(script::kScalarSlots))
        floatVariables_[slot] = value;
}

void AM_ScriptMachine::setIntVariable(uint32_t slot, int32_t value)
{
    if (slot < static_cast<uint32_t>(script::kScalarSlots))
        intVariables_[slot] = value;
}

float* AM_ScriptMachine::floatArray(uint32_t slot, int32_t* length)
{
    bool valid = slot < static_cast<uint32_t>(script::kArraySlots) && floatArrays_[slot];
    if (length)
        *length = valid ? floatArrayLengths_[slot] : 0;
    return valid ? floatArrays_[slot] : nullptr;
}

int32_t* AM_ScriptMachine::intArray(uint32_t slot, int32_t* length)
{
    bool valid = slot < static_cast<uint32_t>(script::kArraySlots) && intArrays_[slot];
    if (length)
        *length = valid ? intArrayLengths_[slot] : 0;
    return valid ? intArrays_[slot] : nullptr;
}

const AM_Instruction& AM_ScriptMachine::instruction(int32_t index) const
{
    static const AM_Instruction kNone;
    if (index < 0 || index >= script::kCodeCapacity)
        return kNone;
    return code_[index];
}
