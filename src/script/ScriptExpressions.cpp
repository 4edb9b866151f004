// The expression level of the compiler: operands, calls, dotted names,
// operators and the ends of nested constructs.

#include "foundation/AM_STD.h"
#include "script/AMM_ObjectAccessor.h"
#include "script/AM_ScriptMachine.h"
#include "script/AM_ScriptVariable.h"
#include "script/AM_Symbol.h"
#include "script/BuiltinFunctions.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptErrors.h"
#include "script/ScriptLexer.h"
#include "script/ScriptOpcodes.h"
#include "script/ScriptPrint.h"
#include "script/ScriptRoutines.h"

#include <cstring>
#include <string>

namespace script {
namespace {

constexpr uint32_t kDecimalBase = 10;
constexpr int8_t kBadLetter = -2;

int8_t letterType(char letter, bool arraysAllowed)
{
    switch (letter) {
    case 'F':
        return kResultFloat;
    case 'I':
        return kResultInt;
    case 'f':
        return arraysAllowed ? kResultFloatArray : kBadLetter;
    case 'i':
        return arraysAllowed ? kResultIntArray : kBadLetter;
    default:
        return kBadLetter;
    }
}

} // namespace

bool ScriptCompiler::atOperandPosition(const Scope& s) const
{
    return recordCount_ == s.firstRecord || records_[recordCount_ - 1].op != 0;
}

int32_t ScriptCompiler::operandAfterOperand()
{
    print("ERROR: operand without an operator before it in line %d\n",
          static_cast<int>(machine_.lineNumber_));
    return kErrOperandAfterOperand;
}

PreCode* ScriptCompiler::lastRecord(const Scope& s)
{
    return recordCount_ > s.firstRecord ? &records_[recordCount_ - 1] : nullptr;
}

int32_t ScriptCompiler::pushRecord(Scope& s, const PreCode& record)
{
    if (recordCount_ - s.firstRecord >= kMaxStatementRecords || recordCount_ >= kPreCodeCapacity) {
        print("ERROR: statement needs more than %d operands in line %d\n", kMaxStatementRecords,
              static_cast<int>(machine_.lineNumber_));
        return kErrTooManyRecords;
    }
    records_[recordCount_++] = record;
    return kContinue;
}

bool ScriptCompiler::assignable(const PreCode& r)
{
    return r.kind <= kKindIntElement || r.kind == kKindFloatProperty || r.kind == kKindIntProperty;
}

bool ScriptCompiler::findFunction(const char* word, AM_FunctionRecord& out)
{
    KeyWordMan* resolver = machine_.resolver_;
    const AM_FunctionRecord* found = resolver ? resolver->findFunction(word) : findBuiltin(word);
    if (!found || !found->routine)
        return false;
    // A function of another machine's script has no code here. The root
    // symbol "main" (no owner) is found, so that it can be neither defined
    // again nor called.
    if (found->symbol && found->symbol->owner && found->symbol->owner != &machine_)
        return false;
    out = *found;
    return true;
}

int32_t ScriptCompiler::number(Scope& s)
{
    if (s.pendingType >= 0)
        return kErrBadDeclarator;
    if (!atOperandPosition(s))
        return operandAfterOperand();
    const int32_t start = position_;
    bool point = false;
    for (;;) {
        const char c = at(position_);
        if (lexer::isDigit(c)) {
            ++position_;
        } else if (c == '.') {
            if (point)
                return kErrSecondPoint;
            point = true;
            ++position_;
        } else {
            break;
        }
    }
    const int32_t end = position_;
    if (at(position_) == 'f') {
        if (!point)
            return kErrIntSuffix;
        ++position_;
    }
    PreCode record;
    if (point) {
        std::string digits;
        if (at(start) == '.')
            digits.push_back('0');
        for (int32_t i = start; i < end; ++i)
            digits.push_back(at(i));
        float value = 0.0f;
        AM_STD::AtoF(digits.c_str(), &value);
        record.kind = kKindFloatConstant;
        std::memcpy(&record.constant, &value, sizeof(value));
    } else {
        uint32_t value = 0; // wraps like a 32-bit accumulator
        for (int32_t i = start; i < end; ++i)
            value = value * kDecimalBase + static_cast<uint32_t>(at(i) - '0');
        record.kind = kKindIntConstant;
        record.constant = value;
    }
    return pushRecord(s, record);
}

int32_t ScriptCompiler::variableOperand(Scope& s, AM_ScriptVariable& variable)
{
    if (!atOperandPosition(s))
        return operandAfterOperand();
    PreCode record;
    record.variable = &variable;
    if (variable.isArray()) {
        if (at(position_) == '[') {
            ++position_;
            ResultList index = ResultList::single(kResultInt);
            const int32_t r = compileScope(kModeIndex, &index);
            if (r < 0)
                return r;
            record.kind = variable.isFloat() ? kKindFloatElement : kKindIntElement;
            record.indexRegister = static_cast<uint8_t>(index.intBase);
        } else {
            if (s.mode != kModeArguments)
                return kErrWholeArray;
            record.kind = variable.isFloat() ? kKindFloatArray : kKindIntArray;
        }
    } else {
        if (at(position_) == '[')
            return kErrBadBracket;
        record.kind = variable.isFloat() ? kKindFloatVariable : kKindIntVariable;
    }
    return pushRecord(s, record);
}

int32_t ScriptCompiler::call(Scope& s, int32_t start, int32_t length)
{
    char word[kSymbolNameCapacity] = {};
    std::memcpy(word, text_ + start, static_cast<size_t>(length));
    // A copy: resolving the arguments may call findFunction again.
    AM_FunctionRecord function;
    if (!findFunction(word, function)) {
        if (s.pendingType < 0) {
            print("ERROR: unknown function %s in line %d\n", word,
                  static_cast<int>(machine_.lineNumber_));
            return kErrUnknownFunction;
        }
        return defineFunction(s, start, length);
    }
    if (!atOperandPosition(s))
        return operandAfterOperand();
    if (function.letterCount < 1) {
        print("ERROR: %s can't be called in line %d\n", word,
              static_cast<int>(machine_.lineNumber_));
        return kErrArgumentCount;
    }
    if (function.letterCount > static_cast<uint32_t>(kMaxParameters) + 1)
        return kErrBadLetter;
    const char result = function.signature[0];
    if (result != 'F' && result != 'I')
        return kErrBadLetter;
    ResultList arguments;
    arguments.count = static_cast<int32_t>(function.letterCount) - 1;
    for (int32_t k = 0; k < arguments.count; ++k) {
        arguments.types[k] = letterType(function.signature[k + 1], false);
        if (arguments.types[k] == kBadLetter)
            return kErrBadLetter;
    }
    const int32_t floatBefore = floatIndex_;
    const int32_t intBefore = intIndex_;
    ++position_; // '('
    const int32_t r = compileScope(kModeArguments, &arguments);
    if (r < 0)
        return r;
    const bool isFloat = result == 'F';
    const int32_t placed = emitRoutine(
        isFloat ? kOpCallFloat : kOpCallInt, isFloat ? kKindFloatCallResult : kKindIntCallResult,
        arguments.floatBase, arguments.intBase, function.symbol, function.routine);
    if (placed < 0)
        return placed;
    // The arguments are used up; the result stays where the first argument
    // of its type was.
    floatIndex_ = floatBefore;
    intIndex_ = intBefore;
    PreCode record;
    record.kind = isFloat ? kKindFloatRegister : kKindIntRegister;
    const int32_t reg = isFloat ? arguments.floatBase : arguments.intBase;
    if (reg >= kRegisterCount)
        return isFloat ? kErrFloatRegisters : kErrIntRegisters;
    record.reg = static_cast<uint8_t>(reg);
    (isFloat ? floatIndex_ : intIndex_) = reg + 1;
    return pushRecord(s, record);
}

int32_t ScriptCompiler::dottedName(Scope& s, int32_t start, int32_t length)
{
    if (!atOperandPosition(s))
        return operandAfterOperand();
    AM_NameParts parts;
    std::memset(&parts, 0, sizeof(parts));
    uint8_t registers[kMaxNameParts];
    std::memset(registers, kNoRegister, sizeof(registers));
    if (length > kMaxVariableName)
        return kErrVariableNameTooLong;
    std::memcpy(parts.parts[0], text_ + start, static_cast<size_t>(length));
    int32_t k = 0;
    int32_t partLength = length;
    for (;;) {
        if (at(position_) == '[') {
            ++position_;
            ResultList index = ResultList::single(kResultInt);
            const int32_t r = compileScope(kModeIndex, &index);
            if (r < 0)
                return r;
            registers[k] = static_cast<uint8_t>(index.intBase);
            if (partLength + 1 > kMaxVariableName)
                return kErrVariableNameTooLong;
            parts.parts[k][partLength] = '@';
        }
        if (at(position_) != '.')
            break;
        ++position_;
        const char c = at(position_);
        if (lexer::isDigit(c)) {
            print("UGH! in '%s' read '%c' next '%c'\n", parts.parts[k], c, at(position_ + 1));
            return kErrNumberInDotted;
        }
        if (c == '(')
            return kErrParenInDotted;
        if (!lexer::isNameStart(c))
            return kErrDottedEmptyPart;
        if (++k >= kMaxNameParts) {
            print("ERROR: more than %d parts in a dotted name in line %d\n", kMaxNameParts,
                  static_cast<int>(machine_.lineNumber_));
            return kErrUnknownDottedName;
        }
        partLength = nameLength(position_);
        if (partLength > kMaxVariableName)
            return kErrVariableNameTooLong;
        std::memcpy(parts.parts[k], text_ + position_, static_cast<size_t>(partLength));
        position_ += partLength;
    }
    parts.count = k + 1;
    if (parts.count == 1) {
        print("Huh? We should have a point here\n");
        return kErrDottedNoPoint;
    }
    size_t used = 0;
    for (int32_t i = 0; i < parts.count; ++i) {
        if (i > 0)
            parts.text[used++] = '.';
        const size_t n = std::strlen(parts.parts[i]);
        std::memcpy(parts.text + used, parts.parts[i], n);
        used += n;
    }
    int32_t paren = position_;
    if (lexer::isBlank(at(paren)))
        ++paren;
    if (at(paren) == '(') {
        if (at(paren + 1) == '(')
            return kErrBadCallParens;
        position_ = paren;
        return methodCall(s, parts, registers);
    }
    KeyWordMan* resolver = machine_.resolver_;
    AMM_ObjectProperty* accessor = resolver ? resolver->createAccessor(parts) : nullptr;
    if (!accessor) {
        print("ERROR: unknown name %s in line %d\n", parts.text,
              static_cast<int>(machine_.lineNumber_));
        return kErrUnknownDottedName;
    }
    for (int32_t i = 0; i < parts.count; ++i)
        accessor->indexSlots[i] = registers[i];
    PreCode record;
    record.kind = accessor->valueType == AMM_ObjectAccessor::kIntValue ? kKindIntProperty
                                                                       : kKindFloatProperty;
    record.accessor = accessor;
    return pushRecord(s, record);
}

int32_t ScriptCompiler::methodCall(Scope& s, const AM_NameParts& parts,
                                   const uint8_t* indexRegisters)
{
    KeyWordMan* resolver = machine_.resolver_;
    AMM_ObjectMethod* method = resolver ? resolver->findMethod(parts) : nullptr;
    if (!method) {
        print("ERROR: no method %s in line %d\n", parts.text,
              static_cast<int>(machine_.lineNumber_));
        return kErrUnknownDottedName;
    }
    for (int32_t i = 0; i < parts.count; ++i)
        method->indexSlots[i] = indexRegisters[i];
    if (method->letterCount < 1 || method->letterCount > static_cast<uint32_t>(kMaxParameters) + 1)
        return kErrBadLetter;
    const char result = method->resultLetter;
    if (result != 'F' && result != 'I')
        return kErrBadLetter;
    ResultList arguments;
    arguments.count = method->parameterCount();
    for (int32_t k = 0; k < arguments.count; ++k) {
        arguments.types[k] = letterType(method->parameterLetters[k], true);
        if (arguments.types[k] == kBadLetter)
            return kErrBadLetter;
    }
    const int32_t floatBefore = floatIndex_;
    const int32_t intBefore = intIndex_;
    ++position_; // '('
    if (arguments.count == 0) {
        while (lexer::isBlank(at(position_)))
            ++position_;
        if (at(position_) != ')')
            return kErrBadCallParens;
        ++position_;
        arguments.floatBase = floatIndex_;
        arguments.intBase = intIndex_;
    } else {
        const int32_t r = compileScope(kModeArguments, &arguments);
        if (r < 0)
            return r;
    }
    const bool isFloat = result == 'F';
    const int32_t placed =
        emitRoutine(isFloat ? kOpMethodFloat : kOpMethodInt,
                    isFloat ? kKindFloatMethodResult : kKindIntMethodResult, arguments.floatBase,
                    arguments.intBase, method, Routines::callMethod);
    if (placed < 0)
        return placed;
    floatIndex_ = floatBefore;
    intIndex_ = intBefore;
    const int32_t reg = isFloat ? arguments.floatBase : arguments.intBase;
    if (reg >= kRegisterCount)
        return isFloat ? kErrFloatRegisters : kErrIntRegisters;
    PreCode record;
    record.kind = isFloat ? kKindFloatRegister : kKindIntRegister;
    record.reg = static_cast<uint8_t>(reg);
    (isFloat ? floatIndex_ : intIndex_) = reg + 1;
    return pushRecord(s, record);
}

int32_t ScriptCompiler::parenthesis(Scope& s)
{
    if (!atOperandPosition(s)) {
        print("Parenthesis on ByteCodeType %d\n", lastRecord(s)->kind);
        return kErrParenAfterOperand;
    }
    ++position_;
    ResultList value = ResultList::single(kResultAny);
    const int32_t r = compileScope(kModeParenthesis, &value);
    if (r < 0)
        return r;
    if (value.matched < 1)
        return kErrEmptyParen;
    PreCode record;
    record.kind = value.type(0) == kResultFloat ? kKindFloatRegister : kKindIntRegister;
    record.reg = static_cast<uint8_t>(value.registerOf(0));
    return pushRecord(s, record);
}

int32_t ScriptCompiler::initializer(Scope& s)
{
    AM_ScriptVariable* array = lastRecord(s)->variable;
    ++position_; // '{'
    ResultList values;
    values.count = static_cast<int32_t>(array->count);
    values.uniform = true;
    values.uniformType = array->isFloat() ? kResultFloat : kResultInt;
    values.arrayName = array->name;
    int32_t r = compileScope(kModeInitializer, &values);
    if (r < 0)
        return r;
    const uint8_t store = array->isFloat() ? kOpStoreFloatElement : kOpStoreIntElement;
    const uint8_t kind = array->isFloat() ? kKindFloatElement : kKindIntElement;
    for (int32_t i = 0; i < values.matched; ++i) {
        const int32_t index = allocate(false);
        if (index < 0)
            return index;
        r = emit(kOpLoadIntConstant, kKindIntConstant, index, 0, i);
        if (r < 0)
            return r;
        r = emit(store, kind, values.registerOf(i), index, static_cast<int32_t>(array->slot));
        if (r < 0)
            return r;
        --intIndex_;
    }
    recordCount_ = s.firstRecord;
    floatIndex_ = 0;
    intIndex_ = 0;
    s.statementCode = true;
    return kContinue;
}

int32_t ScriptCompiler::operatorAfterOperand(Scope& s, uint8_t op, int32_t length)
{
    if (atOperandPosition(s))
        return kErrMissingOperand;
    lastRecord(s)->op = op;
    position_ += length;
    return kContinue;
}

int32_t ScriptCompiler::assignment(Scope& s, uint8_t op, int32_t length)
{
    if (atOperandPosition(s))
        return kErrLeadingAssign;
    PreCode* last = lastRecord(s);
    if (last->declared && op == kOpAssign) {
        // Only a brace list can initialize an array.
        last->op = op;
        position_ += length;
        skipTrivia();
        return at(position_) == '{' ? kContinue : kErrAssignTarget;
    }
    if (!assignable(*last))
        return kErrAssignTarget;
    last->op = op;
    position_ += length;
    return kContinue;
}

int32_t ScriptCompiler::prefix(Scope& s, uint8_t op, int32_t length)
{
    PreCode record;
    record.kind = kKindPrefix;
    record.op = op;
    position_ += length;
    return pushRecord(s, record);
}

int32_t ScriptCompiler::postfix(Scope& s, uint8_t op)
{
    PreCode* last = lastRecord(s);
    if (!assignable(*last))
        return kErrPostfixTarget;
    last->op = op;
    PreCode copy = *last;
    copy.op = 0;
    position_ += 2;
    return pushRecord(s, copy);
}

int32_t ScriptCompiler::separator(Scope& s)
{
    if (s.mode != kModeArguments && s.mode != kModeInitializer)
        return kErrStrayComma;
    if (!s.results || s.results->count == 0)
        return kErrCommaNoResults;
    if (atOperandPosition(s))
        return kErrMissingOperand;
    PreCode* last = lastRecord(s);
    if (s.mode == kModeInitializer &&
        (last->kind == kKindFloatArray || last->kind == kKindIntArray ||
         last->kind == kKindFloatRegister || last->kind == kKindIntRegister))
        return kErrCommaAfterRegister;
    ++s.separators;
    if (s.mode == kModeInitializer && s.separators + 1 > s.results->count) {
        print("NumArguments %d -> %s length %d\n", s.separators + 1, s.results->arrayName,
              s.results->count);
        return kErrTooManyValues;
    }
    last->op = s.mode == kModeArguments ? kOpArgumentSeparator : kOpSeparator;
    ++position_;
    return kContinue;
}

int32_t ScriptCompiler::closeNested(Scope& s)
{
    const bool hasRecords = recordCount_ > s.firstRecord;
    if (hasRecords && atOperandPosition(s))
        return kErrMissingOperand;
    if (!hasRecords && s.separators > 0)
        return kErrMissingOperand;
    const int32_t values = hasRecords ? s.separators + 1 : 0;
    ResultList* results = s.results;
    if (s.mode == kModeArguments && values != results->count) {
        print("NumArguments: %d - f_ix: %d, i_ix:%d\n", values, floatIndex_, intIndex_);
        return kErrArgumentCount;
    }
    if (s.mode == kModeInitializer && values > results->count) {
        print("NumArguments %d -> %s length %d\n", values, results->arrayName, results->count);
        return kErrTooManyValues;
    }
    if (s.mode == kModeIndex && values != 1)
        return kErrMissingOperand;
    if (hasRecords) {
        PreCode* last = lastRecord(s);
        if (last->op == 0)
            last->op = kOpSeparator;
        const int32_t w = write(s.firstRecord, results);
        if (w < 0)
            return w;
    } else {
        results->matched = 0;
        results->floatBase = floatIndex_;
        results->intBase = intIndex_;
    }
    recordCount_ = s.firstRecord;
    ++position_;
    return kClosed;
}

int32_t ScriptCompiler::unknownName(Scope& s)
{
    char word[kSymbolNameCapacity] = {};
    std::memcpy(word, text_ + s.unknownStart, static_cast<size_t>(s.unknownLength));
    const char c = at(position_);
    if (lexer::isDigit(c) || (c == '.' && lexer::isDigit(at(position_ + 1)))) {
        AM_STD::printv("ERROR: a number after the unknown name '%s' in line %d", word,
                       static_cast<int>(machine_.lineNumber_));
        return kErrNumberAfterName;
    }
    print("ERROR: unknown name '%s' in line %d\n", word, static_cast<int>(machine_.lineNumber_));
    return kErrUnknownName;
}

int32_t ScriptCompiler::punctuation(Scope& s, char c)
{
    const char next = at(position_ + 1);
    const bool operand = atOperandPosition(s);
    PreCode* last = lastRecord(s);
    switch (c) {
    case ';':
        if (s.mode != kModeTop && s.mode != kModeStatement)
            return kErrSemicolonNested;
        return statementEnd(s);
    case ',':
        return separator(s);
    case '(':
        return parenthesis(s);
    case ')':
        if (s.mode == kModeParenthesis || s.mode == kModeArguments)
            return closeNested(s);
        return kErrStrayParen;
    case '[':
        return kErrBadBracket;
    case ']':
        if (s.mode == kModeIndex)
            return closeNested(s);
        return kErrStrayBracket;
    case '{':
        if (operand && last && last->declared && last->op == kOpAssign)
            return initializer(s);
        if ((s.mode == kModeTop || s.mode == kModeStatement) && !last && s.pendingType < 0 &&
            !s.pendingConst && !s.statementCode)
            return openBlock(s);
        return kErrBraceInExpression;
    case '}':
        if (s.mode == kModeInitializer)
            return closeNested(s);
        if (s.mode == kModeTop || s.mode == kModeStatement)
            return closeBlock(s);
        return kErrCloseBraceInExpression;
    case '=':
        if (next == '=')
            return operatorAfterOperand(s, kOpEqual, 2);
        return assignment(s, kOpAssign, 1);
    case '+':
        if (next == '+')
            return operand ? prefix(s, kOpPreIncrement, 2) : postfix(s, kOpPostIncrement);
        if (operand)
            return kErrUnaryPlus;
        if (next == '=')
            return assignment(s, kOpAddAssign, 2);
        return operatorAfterOperand(s, kOpAdd, 1);
    case '-':
        if (next == '-')
            return operand ? prefix(s, kOpPreDecrement, 2) : postfix(s, kOpPostDecrement);
        if (operand)
            return prefix(s, kOpNegate, 1);
        if (next == '=')
            return assignment(s, kOpSubtractAssign, 2);
        return operatorAfterOperand(s, kOpSubtract, 1);
    case '*':
        if (operand)
            return kErrLeadingStar;
        if (next == '=')
            return assignment(s, kOpMultiplyAssign, 2);
        return operatorAfterOperand(s, kOpMultiply, 1);
    case '/':
        if (operand)
            return kErrLeadingSlash;
        if (next == '=')
            return assignment(s, kOpDivideAssign, 2);
        return operatorAfterOperand(s, kOpDivide, 1);
    case '<':
        if (next == '<')
            return operatorAfterOperand(s, kOpShiftLeft, 2);
        if (next == '=')
            return operatorAfterOperand(s, kOpLessEqual, 2);
        return operatorAfterOperand(s, kOpLess, 1);
    case '>':
        if (next == '>')
            return operatorAfterOperand(s, kOpShiftRight, 2);
        if (next == '=')
            return operatorAfterOperand(s, kOpGreaterEqual, 2);
        return operatorAfterOperand(s, kOpGreater, 1);
    case '!':
        if (next == '=')
            return operatorAfterOperand(s, kOpNotEqual, 2);
        if (operand)
            return prefix(s, kOpNot, 1);
        return kErrNotAfterOperand;
    default: // '.'
        return kErrStrayPoint;
    }
}

} // namespace script
