// Writing one statement: the operand records become loads, the operators
// become instructions level by level (each level left to right), and the
// values a nested construct delivers are moved into their result registers.

#include "script/AMM_ObjectAccessor.h"
#include "script/AM_ScriptMachine.h"
#include "script/AM_ScriptVariable.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptErrors.h"
#include "script/ScriptOpcodes.h"
#include "script/ScriptPrint.h"

#include <cstring>

namespace script {
namespace {

constexpr uint32_t kSeparatorPrecedence = 13;
constexpr uint32_t kFirstBinaryLevel = 5;
constexpr uint32_t kLastBinaryLevel = 12;

bool isFloatKind(uint8_t kind)
{
    switch (kind) {
    case kKindFloatVariable:
    case kKindFloatElement:
    case kKindFloatConstant:
    case kKindFloatProperty:
    case kKindFloatMethodResult:
    case kKindFloatCallResult:
    case kKindFloatRegister:
        return true;
    default:
        return false;
    }
}

bool isPrefixOp(uint8_t op)
{
    return op == kOpPreIncrement || op == kOpPreDecrement || op == kOpNegate || op == kOpNot;
}

uint32_t precedence(uint8_t op)
{
    return opcodeInfo(op).precedence;
}

uint8_t form(bool leftFloat, bool rightFloat)
{
    if (leftFloat)
        return rightFloat ? kFormFloatFloat : kFormFloatInt;
    return rightFloat ? kFormIntFloat : kFormIntInt;
}

// The operand field an instruction shows for a record.
int32_t operandValue(const PreCode& r)
{
    if (r.variable)
        return static_cast<int32_t>(r.variable->slot);
    return static_cast<int32_t>(r.constant);
}

float constantFloat(const PreCode& r)
{
    float value;
    std::memcpy(&value, &r.constant, sizeof(value));
    return value;
}

void setConstantFloat(PreCode& r, float value)
{
    std::memcpy(&r.constant, &value, sizeof(value));
}

// A prefix operator applied to a constant at compile time.
void fold(PreCode& r, uint8_t op)
{
    if (r.kind == kKindFloatConstant) {
        float v = constantFloat(r);
        if (op == kOpPreIncrement)
            v += 1.0f;
        else if (op == kOpPreDecrement)
            v -= 1.0f;
        else if (op == kOpNegate)
            v = -v;
        else
            v = v != 0.0f ? 1.0f : 0.0f;
        setConstantFloat(r, v);
        return;
    }
    uint32_t v = r.constant;
    if (op == kOpPreIncrement)
        v += 1u;
    else if (op == kOpPreDecrement)
        v -= 1u;
    else if (op == kOpNegate)
        v = 0u - v;
    else
        v = v == 0u ? 1u : 0u;
    r.constant = v;
}

} // namespace

int32_t ScriptCompiler::allocate(bool isFloat)
{
    int32_t& next = isFloat ? floatIndex_ : intIndex_;
    if (next >= kRegisterCount) {
        print("ERROR: statement needs more than %d %s registers in line %d\n", kRegisterCount,
              isFloat ? "float" : "int", static_cast<int>(machine_.lineNumber_));
        return isFloat ? kErrFloatRegisters : kErrIntRegisters;
    }
    return next++;
}

int32_t ScriptCompiler::emitRoutine(uint8_t opcode, uint8_t kind, int32_t destination,
                                    int32_t source, void* object, AM_ScriptRoutine routine)
{
    AM_Instruction in;
    in.kind = kind;
    in.opcode = opcode;
    in.destination = static_cast<uint8_t>(destination);
    in.source = static_cast<uint8_t>(source);
    in.object = object;
    in.routine = routine;
    const int32_t index = machine_.emit(in);
    if (index < 0) {
        print("ERROR: the code area is full (%d instructions) in line %d\n", kCodeCapacity,
              static_cast<int>(machine_.lineNumber_));
        return kErrCodeAreaFull;
    }
    return index;
}

int32_t ScriptCompiler::emit(uint8_t opcode, uint8_t kind, int32_t destination, int32_t source,
                             int32_t value, void* object)
{
    const int32_t index =
        emitRoutine(opcode, kind, destination, source, object, opcodeInfo(opcode).routine);
    if (index >= 0)
        machine_.code_[index].value = value;
    return index;
}

int32_t ScriptCompiler::load(PreCode& r)
{
    uint8_t opcode;
    bool isFloat = isFloatKind(r.kind);
    int32_t value = operandValue(r);
    switch (r.kind) {
    case kKindFloatVariable:
        opcode = kOpLoadFloat;
        break;
    case kKindIntVariable:
        opcode = kOpLoadInt;
        break;
    case kKindFloatElement:
        opcode = kOpLoadFloatElement;
        break;
    case kKindIntElement:
        opcode = kOpLoadIntElement;
        break;
    case kKindFloatArray:
    case kKindIntArray:
        // Arrays travel as their slot numbers.
        opcode = kOpLoadIntConstant;
        isFloat = false;
        break;
    case kKindFloatConstant:
        opcode = kOpLoadFloatConstant;
        break;
    case kKindIntConstant:
        opcode = kOpLoadIntConstant;
        break;
    case kKindFloatProperty:
        opcode = kOpLoadFloatProperty;
        break;
    case kKindIntProperty:
        opcode = kOpLoadIntProperty;
        break;
    case kKindFloatRegister:
    case kKindIntRegister:
        return kContinue;
    default:
        print("BUG: Can't load specified type %d\n", r.kind);
        return kErrMissingOperand;
    }
    const int32_t reg = allocate(isFloat);
    if (reg < 0)
        return reg;
    r.reg = static_cast<uint8_t>(reg);
    const int32_t placed =
        emit(opcode, r.kind, reg, r.indexRegister == kNoRegister ? 0 : r.indexRegister, value,
             r.accessor);
    return placed < 0 ? placed : kContinue;
}

int32_t ScriptCompiler::store(const PreCode& r)
{
    const int32_t value = operandValue(r);
    switch (r.kind) {
    case kKindFloatVariable:
        return emit(kOpStoreFloat, r.kind, r.reg, 0, value);
    case kKindIntVariable:
        return emit(kOpStoreInt, r.kind, r.reg, 0, value);
    case kKindFloatElement:
        return emit(kOpStoreFloatElement, r.kind, r.reg, r.indexRegister, value);
    case kKindIntElement:
        return emit(kOpStoreIntElement, r.kind, r.reg, r.indexRegister, value);
    case kKindFloatProperty:
        return emit(kOpStoreFloatProperty, r.kind, r.reg, 0, 0, r.accessor);
    case kKindIntProperty:
        return emit(kOpStoreIntProperty, r.kind, r.reg, 0, 0, r.accessor);
    case kKindFloatRegister:
    case kKindIntRegister:
        print("WARNING: Can't store a Result Code\n");
        return kContinue;
    default:
        return kContinue;
    }
}

// The prefix records in front of records_[operand], innermost first.
int32_t ScriptCompiler::applyPrefixes(int32_t first, int32_t operand)
{
    PreCode& r = records_[operand];
    const bool constant = r.kind == kKindFloatConstant || r.kind == kKindIntConstant;
    if (constant)
        for (int32_t j = operand - 1; j >= first && isPrefixOp(records_[j].op); --j)
            fold(r, records_[j].op);
    int32_t loaded = load(r);
    if (loaded < 0)
        return loaded;
    for (int32_t j = operand - 1; j >= first && isPrefixOp(records_[j].op); --j) {
        records_[j].reg = r.reg;
        if (constant)
            continue;
        const uint8_t op = records_[j].op;
        const bool isValue =
            assignable(r) || r.kind == kKindFloatRegister || r.kind == kKindIntRegister;
        if (!isValue) {
            print("WARNING: Prefixing non-Value Type in Line %d\n",
                  static_cast<int>(machine_.lineNumber_));
            continue;
        }
        const uint8_t opcode = static_cast<uint8_t>(op + (isFloatKind(r.kind) ? 0 : 1));
        loaded = emit(opcode, r.kind, r.reg, 0, operandValue(r), r.accessor);
        if (loaded < 0)
            return loaded;
        if ((op == kOpPreIncrement || op == kOpPreDecrement) && assignable(r)) {
            loaded = store(r);
            if (loaded < 0)
                return loaded;
        }
    }
    return kContinue;
}

int32_t ScriptCompiler::write(int32_t first, ResultList* results)
{
    const int32_t count = recordCount_;
    const int32_t startFloat = floatIndex_;
    const int32_t startInt = intIndex_;
    int32_t r;

    // Placeholders take over their operand; every separator reserves one
    // register of each bank, so that results never overwrite a value that
    // is still to be moved.
    for (int32_t i = count - 1; i >= first; --i) {
        PreCode& record = records_[i];
        if (record.kind == kKindPrefix) {
            if (i + 1 >= count)
                return kErrMissingOperand;
            const PreCode& operand = records_[i + 1];
            record.kind = operand.kind;
            record.variable = operand.variable;
            record.accessor = operand.accessor;
            record.constant = operand.constant;
            record.indexRegister = operand.indexRegister;
            record.reg = operand.reg;
        }
        if (record.kind == kKindEmpty)
            return kErrMissingOperand;
        if (record.op == kOpNop)
            record.op = kOpSeparator;
        if (precedence(record.op) == kSeparatorPrecedence) {
            if ((r = allocate(true)) < 0 || (r = allocate(false)) < 0)
                return r;
        }
    }

    // Loads, left to right.
    for (int32_t i = first; i < count; ++i) {
        PreCode& record = records_[i];
        if (isPrefixOp(record.op))
            continue;
        if (opcodeInfo(record.op).opClass == kClassStore && record.kind != kKindFloatRegister &&
            record.kind != kKindIntRegister) {
            // A plain target: only a register to hold the value to store.
            if ((r = allocate(isFloatKind(record.kind))) < 0)
                return r;
            record.reg = static_cast<uint8_t>(r);
            continue;
        }
        if ((r = applyPrefixes(first, i)) < 0)
            return r;
    }

    // Binary operators, one precedence level at a time.
    for (uint32_t level = kFirstBinaryLevel; level <= kLastBinaryLevel; ++level) {
        for (int32_t left = first; left < count; ++left) {
            while (precedence(records_[left].op) == level) {
                int32_t right = left + 1;
                while (right < count && precedence(records_[right].op) < level)
                    ++right;
                if (right >= count)
                    return kErrMissingOperand;
                PreCode& l = records_[left];
                PreCode& rr = records_[right];
                const uint8_t opcode =
                    static_cast<uint8_t>(l.op + form(isFloatKind(l.kind), isFloatKind(rr.kind)));
                if ((r = emit(opcode, l.kind, l.reg, rr.reg, operandValue(l), l.accessor)) < 0)
                    return r;
                const uint32_t opClass = opcodeInfo(l.op).opClass;
                if (opClass == kClassStore || opClass == kClassModify) {
                    if ((r = store(l)) < 0)
                        return r;
                }
                l.op = rr.op;
                rr.op = kOpDone;
            }
        }
    }

    // Postfix operators: the expression used the value from before.
    for (int32_t i = first; i < count; ++i) {
        PreCode& record = records_[i];
        if (record.op != kOpPostIncrement && record.op != kOpPostDecrement)
            continue;
        const uint8_t opcode = static_cast<uint8_t>(record.op + (isFloatKind(record.kind) ? 0 : 1));
        if ((r = emit(opcode, record.kind, record.reg, 0, operandValue(record), record.accessor)) <
            0)
            return r;
        if ((r = store(record)) < 0)
            return r;
    }

    floatIndex_ = startFloat;
    intIndex_ = startInt;
    if (!results)
        return kContinue;

    if (count > first)
        results->resolvedAny = isFloatKind(records_[first].kind) ? kResultFloat : kResultInt;
    int32_t separators = 0;
    for (int32_t i = first; i < count; ++i)
        if (precedence(records_[i].op) == kSeparatorPrecedence)
            ++separators;
    const int32_t matched = separators < results->count ? separators : results->count;
    if (!results->fixedBase) {
        results->floatBase = floatIndex_;
        results->intBase = intIndex_;
        for (int32_t k = 0; k < matched; ++k)
            if ((r = allocate(ResultList::inFloatRegister(results->type(k)))) < 0)
                return r;
    }
    int32_t k = 0;
    for (int32_t i = first; i < count && k < matched; ++i) {
        const PreCode& value = records_[i];
        if (precedence(value.op) != kSeparatorPrecedence)
            continue;
        const int8_t type = results->type(k);
        if (type == kResultFloatArray && value.kind != kKindFloatArray)
            print("WARNING: expected float[]\n");
        if (type == kResultIntArray && value.kind != kKindIntArray)
            print("WARNING: expected int[]\n");
        const bool targetFloat = ResultList::inFloatRegister(type);
        const bool valueFloat = isFloatKind(value.kind);
        const int32_t target = results->registerOf(k);
        if (targetFloat != valueFloat || target != value.reg) {
            if ((r = emit(static_cast<uint8_t>(kOpMove + form(targetFloat, valueFloat)),
                          kKindControl, target, value.reg, 0)) < 0)
                return r;
        }
        ++k;
    }
    results->matched = matched;
    return kContinue;
}

} // namespace script
