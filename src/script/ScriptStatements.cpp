// The statement level of the compiler: names, declarations, function
// definitions, blocks and the control statements.

#include "script/AM_ScriptMachine.h"
#include "script/AM_ScriptVariable.h"
#include "script/AM_Symbol.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptErrors.h"
#include "script/ScriptLexer.h"
#include "script/ScriptOpcodes.h"
#include "script/ScriptPrint.h"
#include "script/ScriptRoutines.h"

#include <cstring>
#include <memory>

namespace script {
namespace {

// Type keywords and what they declare.
constexpr int32_t kTypeFloat = 0;
constexpr int32_t kTypeInt = 1;
constexpr int32_t kTypeString = 2;
constexpr int32_t kTypeConst = -2;
constexpr int32_t kNotAType = -3;
// The reserved type "string" reaches declareVariable with this code, which
// it refuses.
constexpr uint32_t kStringTypeCode = 18;

int32_t typeKeywordCode(const char* word)
{
    if (std::strcmp(word, "float") == 0)
        return kTypeFloat;
    if (std::strcmp(word, "int") == 0)
        return kTypeInt;
    if (std::strcmp(word, "string") == 0)
        return kTypeString;
    if (std::strcmp(word, "const") == 0)
        return kTypeConst;
    return kNotAType;
}

bool isKeyword(const char* word)
{
    static const char* const kKeywords[] = {"return", "else", "if", "for", "break"};
    for (const char* k : kKeywords)
        if (std::strcmp(word, k) == 0)
            return true;
    return false;
}

bool isIncrementPrefix(const PreCode* record)
{
    return record && record->kind == kKindPrefix &&
           (record->op == kOpPreIncrement || record->op == kOpPreDecrement);
}

} // namespace

int32_t ScriptCompiler::name(Scope& s)
{
    const int32_t start = position_;
    const int32_t length = nameLength(start);
    position_ += length;
    if (length > kMaxFunctionName) {
        print("ERROR: name longer than %d characters in line %d\n", kMaxFunctionName,
              static_cast<int>(machine_.lineNumber_));
        return kErrFunctionNameTooLong;
    }
    char word[kSymbolNameCapacity] = {};
    std::memcpy(word, text_ + start, static_cast<size_t>(length));
    const char next = at(position_);
    if (next == '.') {
        if (s.pendingType >= 0)
            return kErrDottedAfterType;
        return dottedName(s, start, length);
    }
    const int32_t type = typeKeywordCode(word);
    if (type != kNotAType)
        return typeKeyword(s, type, type == kTypeConst, next);
    if (AM_ScriptVariable* variable = machine_.findVariable(word, static_cast<uint32_t>(length))) {
        if (s.pendingType >= 0)
            return kErrRedeclared;
        return variableOperand(s, *variable);
    }
    if (isKeyword(word))
        return keyword(s, word);
    int32_t paren = position_;
    if (lexer::isBlank(at(paren)))
        ++paren;
    if (at(paren) == '(') {
        if (at(paren + 1) == '(')
            return kErrBadCallParens;
        position_ = paren;
        return call(s, start, length);
    }
    if (s.pendingType >= 0)
        return declaration(s, start, length);
    if (s.pendingConst)
        return kErrConstWithoutType;
    if (next == '[')
        return dottedName(s, start, length);
    s.unknownStart = start;
    s.unknownLength = length;
    return kContinue;
}

int32_t ScriptCompiler::typeKeyword(Scope& s, int32_t type, bool isConst, int32_t next)
{
    if (isIncrementPrefix(lastRecord(s)))
        return kErrDeclarationAfterPrefix;
    const bool statementMode = s.mode == kModeTop || s.mode == kModeStatement;
    const bool fresh = statementMode && recordCount_ == s.firstRecord && !s.statementCode;
    if (!fresh || (!isConst && s.pendingType >= 0))
        return kErrTypeNotFirst;
    if (!lexer::isBlank(static_cast<char>(next)))
        return kErrTypeNoBlank;
    if (isConst)
        s.pendingConst = true;
    else
        s.pendingType = type;
    return kContinue;
}

int32_t ScriptCompiler::keywordAllowed(const Scope& s) const
{
    const PreCode* last = recordCount_ > s.firstRecord ? &records_[recordCount_ - 1] : nullptr;
    if (last && last->kind == kKindPrefix)
        return kErrKeywordAfterPrefix;
    const bool statementMode = s.mode == kModeTop || s.mode == kModeStatement;
    if (last || !statementMode || s.pendingType >= 0 || s.pendingConst || s.statementCode)
        return kErrKeywordAfterOperand;
    return kContinue;
}

int32_t ScriptCompiler::keyword(Scope& s, const char* word)
{
    const int32_t allowed = keywordAllowed(s);
    if (allowed < 0)
        return allowed;
    if (std::strcmp(word, "if") == 0)
        return ifStatement(s);
    if (std::strcmp(word, "for") == 0)
        return forStatement(s);
    if (std::strcmp(word, "break") == 0)
        return breakStatement(s);
    if (std::strcmp(word, "return") == 0)
        return returnStatement(s);
    return kErrStrayElse;
}

int32_t ScriptCompiler::declaration(Scope& s, int32_t start, int32_t length)
{
    if (isIncrementPrefix(lastRecord(s)))
        return kErrDeclarationAfterPrefix;
    if (!atOperandPosition(s))
        return operandAfterOperand();
    if (length > kMaxVariableName) {
        print("ERROR: variable name longer than %d characters in line %d\n", kMaxVariableName,
              static_cast<int>(machine_.lineNumber_));
        return kErrVariableNameTooLong;
    }
    char word[kNameCapacity] = {};
    std::memcpy(word, text_ + start, static_cast<size_t>(length));
    uint32_t count = 0;
    if (at(position_) == '[') {
        ++position_;
        while (lexer::isBlank(at(position_)))
            ++position_;
        int32_t digits = 0;
        uint32_t size = 0;
        while (digits < kMaxSizeDigits && lexer::isDigit(at(position_))) {
            size = size * 10 + static_cast<uint32_t>(at(position_) - '0');
            ++digits;
            ++position_;
        }
        while (lexer::isBlank(at(position_)))
            ++position_;
        if (digits == 0)
            return kErrDeclarationRefused;
        if (at(position_) != ']')
            return kErrSizeNoBracket;
        ++position_;
        if (size < 1)
            return kErrSizeBelowOne;
        count = size;
    } else {
        int32_t p = position_;
        while (lexer::isBlank(at(p)))
            ++p;
        if (p > position_ && at(p) == '[')
            return kErrBlankBeforeSize;
    }
    const uint32_t type =
        s.pendingType == kTypeString ? kStringTypeCode : static_cast<uint32_t>(s.pendingType);
    AM_ScriptVariable* variable = machine_.declareVariable(word, type, count, 0);
    if (!variable)
        return kErrDeclarationRefused;
    variable->depth = static_cast<uint32_t>(machine_.depth_);

    PreCode record;
    if (count > 0)
        record.kind = variable->isFloat() ? kKindFloatArray : kKindIntArray;
    else
        record.kind = variable->isFloat() ? kKindFloatVariable : kKindIntVariable;
    record.variable = variable;
    record.op = kOpNop;
    record.declared = count > 0;
    const int32_t pushed = pushRecord(s, record);
    if (pushed < 0)
        return pushed;

    int32_t p = position_;
    if (lexer::isBlank(at(p)))
        ++p;
    const char c = at(p);
    if (c == ',') {
        position_ = p + 1;
        return kContinue;
    }
    if (c == ';' || c == '=') {
        position_ = p;
        lastRecord(s)->op = 0;
        s.pendingType = -1;
        s.pendingConst = false;
        return kContinue;
    }
    return kErrBadDeclarator;
}

int32_t ScriptCompiler::defineFunction(Scope& s, int32_t start, int32_t length)
{
    if (s.pendingType == kTypeString) {
        print("ERROR: a function can't return a string in line %d\n",
              static_cast<int>(machine_.lineNumber_));
        return kErrBadLetter;
    }
    if (currentFunction_)
        return kErrNestedDefinition;
    KeyWordMan* resolver = machine_.resolver_;
    if (!resolver)
        return kErrUnknownFunction;
    char word[kSymbolNameCapacity] = {};
    std::memcpy(word, text_ + start, static_cast<size_t>(length));
    const int32_t skip = emit(kOpBranch, kKindControl, 0, 0, 0);
    if (skip < 0)
        return skip;
    auto symbol = std::make_unique<AM_Symbol>(word, static_cast<uint32_t>(machine_.codeCount_));
    symbol->letters[0] = s.pendingType == kTypeFloat ? 'F' : 'I';
    symbol->letterCount = 1;
    symbol->owner = &machine_;
    s.pendingType = -1;
    s.pendingConst = false;

    if (machine_.depth_ >= kMaxNesting)
        return kErrNestingTooDeep;
    machine_.pushScope();
    ++position_; // '('
    const int32_t listed = parameterList(*symbol);
    if (listed < 0)
        return listed;
    AM_Symbol* function = symbol.release();
    resolver->addSymbol(function);

    floatIndex_ = 0;
    intIndex_ = 0;
    const bool outerFor = inFor_;
    inFor_ = false;
    currentFunction_ = function;
    // Every statement of the body leaves its value in register 0 of the
    // result type, where the call takes the result from: a body that ends
    // without "return" gives the value of its last statement.
    ResultList result = ResultList::single(function->letters[0] == 'F' ? kResultFloat : kResultInt);
    result.fixedBase = true;
    result.floatBase = 0;
    result.intBase = 0;
    const int32_t body = compileScope(kModeStatement, &result);
    currentFunction_ = nullptr;
    inFor_ = outerFor;
    if (body < 0)
        return body;
    machine_.popScope();
    const int32_t last = machine_.codeCount_ - 1;
    if (last < 0 || machine_.code_[last].opcode != kOpRts) {
        const int32_t rts =
            emitRoutine(kOpRts, kKindControl, 0, 0, nullptr, Routines::returnFromFunction);
        if (rts < 0)
            return rts;
    }
    machine_.code_[skip].value = machine_.codeCount_ - skip;
    return closedStatement(s);
}

int32_t ScriptCompiler::parameterList(AM_Symbol& symbol)
{
    skipTrivia();
    if (at(position_) == ')') {
        ++position_;
        return kContinue;
    }
    for (;;) {
        skipTrivia();
        if (followsWord(position_, "const")) {
            position_ += 5;
            while (lexer::isBlank(at(position_)))
                ++position_;
        }
        char letter;
        uint32_t type;
        if (followsWord(position_, "float")) {
            letter = 'F';
            type = AM_ScriptVariable::kFloat;
            position_ += 5;
        } else if (followsWord(position_, "int")) {
            letter = 'I';
            type = AM_ScriptVariable::kInt;
            position_ += 3;
        } else {
            return kErrBadParameterList;
        }
        if (!lexer::isBlank(at(position_)))
            return kErrBadParameterList;
        while (lexer::isBlank(at(position_)))
            ++position_;
        const int32_t start = position_;
        const int32_t length = nameLength(start);
        if (length == 0 || !lexer::isNameStart(at(start)))
            return kErrBadParameterList;
        if (length > kMaxVariableName)
            return kErrVariableNameTooLong;
        char word[kNameCapacity] = {};
        std::memcpy(word, text_ + start, static_cast<size_t>(length));
        position_ += length;
        if (machine_.findVariable(word, static_cast<uint32_t>(length)))
            return kErrRedeclared;
        if (at(position_) == '[')
            return kErrBadParameterList;
        AM_ScriptVariable* variable = machine_.declareVariable(word, type, 0, 0);
        if (!variable)
            return kErrDeclarationRefused;
        variable->depth = static_cast<uint32_t>(machine_.depth_);
        if (!symbol.addParameter(letter, variable)) {
            print("ERROR: more than %d parameters for %s in line %d\n", kMaxParameters, symbol.name,
                  static_cast<int>(machine_.lineNumber_));
            return kErrTooManyParameters;
        }
        int32_t p = position_;
        if (lexer::isBlank(at(p)))
            ++p;
        const char c = at(p);
        if (c == ',') {
            position_ = p + 1;
            while (lexer::isBlank(at(position_)))
                ++position_;
            if (at(position_) == ',' || at(position_) == ')')
                return kErrBadParameterList;
            continue;
        }
        if (c == ')') {
            position_ = p + 1;
            return kContinue;
        }
        print("ugh, strange end of FunctionArgs definition: '%c' '%c' in line %d\n", c, at(p + 1),
              static_cast<int>(machine_.lineNumber_));
        return kErrBadParameterList;
    }
}

int32_t ScriptCompiler::ifStatement(Scope& s)
{
    int32_t p = position_;
    if (lexer::isBlank(at(p)))
        ++p;
    if (at(p) != '(' || at(p + 1) == '(')
        return kErrNoParenAfterKeyword;
    position_ = p + 1;
    ResultList condition = ResultList::single(kResultInt);
    int32_t r = compileScope(kModeParenthesis, &condition);
    if (r < 0)
        return r;
    if (condition.matched != 1)
        return kErrBadCondition;
    const int32_t reg = condition.intBase;
    const int32_t branch = emit(kOpBranchFalse, kKindControl, reg, 0, 0);
    if (branch < 0)
        return branch;
    floatIndex_ = 0;
    intIndex_ = 0;
    r = compileScope(kModeStatement, nullptr);
    if (r < 0)
        return r;
    // A true condition leaves 1 for the else-branch to test.
    r = emit(kOpLoadIntConstant, kKindIntConstant, reg, 0, 1);
    if (r < 0)
        return r;
    machine_.code_[branch].value = machine_.codeCount_ - branch;

    const int32_t afterIf = position_;
    const uint32_t afterLine = machine_.lineNumber_;
    skipTrivia();
    if (!followsWord(position_, "else")) {
        position_ = afterIf;
        machine_.lineNumber_ = afterLine;
        return closedStatement(s);
    }
    position_ += 4;
    const int32_t elseBranch = emit(kOpBranchTrue, kKindControl, reg, 0, 0);
    if (elseBranch < 0)
        return elseBranch;
    r = compileScope(kModeStatement, nullptr);
    if (r < 0)
        return r;
    machine_.code_[elseBranch].value = machine_.codeCount_ - elseBranch;
    return closedStatement(s);
}

int32_t ScriptCompiler::forStatement(Scope& s)
{
    int32_t p = position_;
    if (lexer::isBlank(at(p)))
        ++p;
    if (at(p) != '(' || at(p + 1) == '(')
        return kErrNoParenAfterKeyword;
    position_ = p + 1;
    if (machine_.depth_ >= kMaxNesting)
        return kErrNestingTooDeep;
    const int32_t loopStart = machine_.codeCount_;
    machine_.pushScope();
    const bool outerFor = inFor_;
    inFor_ = true;

    int32_t r = compileScope(kModeStatement, nullptr);
    if (r < 0)
        return r;
    const int32_t top = machine_.codeCount_;
    ResultList condition = ResultList::single(kResultInt);
    r = compileScope(kModeStatement, &condition);
    if (r < 0)
        return r;
    // An empty condition is always true.
    if (condition.matched == 0) {
        r = emit(kOpLoadIntConstant, kKindIntConstant, condition.intBase, 0, 1);
        if (r < 0)
            return r;
    }
    const int32_t exitBranch = emit(kOpBranchFalse, kKindControl, condition.intBase, 0, 0);
    if (exitBranch < 0)
        return exitBranch;

    // The step is compiled after the body; skip it for now. Its length is
    // counted from its first character that is not a blank.
    while (lexer::isBlank(at(position_)))
        ++position_;
    const int32_t stepStart = position_;
    const uint32_t stepLine = machine_.lineNumber_;
    int32_t depth = 1;
    for (;;) {
        const char c = at(position_);
        if (c == 0)
            return kErrBlockEndNested;
        if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            break;
        }
        if (c == '\n' || c == '\r')
            newLine();
        else
            ++position_;
        if (position_ - stepStart > kMaxForStep) {
            print("ERROR: for-step longer than %d characters in line %d\n", kMaxForStep,
                  static_cast<int>(stepLine));
            return kErrLongForStep;
        }
    }
    const int32_t stepEnd = position_;
    ++position_;

    r = compileScope(kModeStatement, nullptr);
    if (r < 0)
        return r;
    const int32_t afterBody = position_;
    const uint32_t afterLine = machine_.lineNumber_;

    // The step, read with its closing ')' as ';' and nothing beyond it.
    const int32_t outerSubstitute = substitute_;
    const int32_t outerLimit = limit_;
    position_ = stepStart;
    machine_.lineNumber_ = stepLine;
    substitute_ = stepEnd;
    limit_ = stepEnd + 1;
    r = compileScope(kModeStatement, nullptr);
    substitute_ = outerSubstitute;
    limit_ = outerLimit;
    if (r < 0)
        return r;
    position_ = afterBody;
    machine_.lineNumber_ = afterLine;

    const int32_t back = emit(kOpBranch, kKindControl, 0, 0, 0);
    if (back < 0)
        return back;
    machine_.code_[back].value = top - back;
    const int32_t end = machine_.codeCount_;
    machine_.code_[exitBranch].value = end - exitBranch;
    for (int32_t i = loopStart; i < end; ++i) {
        AM_Instruction& in = machine_.code_[i];
        if (in.kind == kKindEmpty && in.opcode == kOpBranch) {
            in.value = end - i;
            in.kind = kKindControl;
        }
    }
    machine_.popScope();
    inFor_ = outerFor;
    return closedStatement(s);
}

int32_t ScriptCompiler::breakStatement(Scope& s)
{
    if (s.mode != kModeStatement)
        return kErrBreakAtTop;
    if (!inFor_)
        return kErrBreakOutsideFor;
    int32_t p = position_;
    if (lexer::isBlank(at(p)))
        ++p;
    if (at(p) != ';')
        return kErrBreakNoSemicolon;
    position_ = p + 1;
    // Patched by the enclosing for-statement.
    const int32_t placeholder = emit(kOpBranch, kKindEmpty, 0, 0, 0);
    if (placeholder < 0)
        return placeholder;
    return closedStatement(s);
}

int32_t ScriptCompiler::returnStatement(Scope& s)
{
    if (!currentFunction_)
        return kErrReturnOutsideFunction;
    // The value goes to register 0 of the result type, where the call takes
    // it from.
    ResultList result =
        ResultList::single(currentFunction_->letters[0] == 'F' ? kResultFloat : kResultInt);
    result.fixedBase = true;
    result.floatBase = 0;
    result.intBase = 0;
    const int32_t r = compileScope(kModeStatement, &result);
    if (r < 0)
        return r;
    const int32_t rts =
        emitRoutine(kOpRts, kKindControl, 0, 0, nullptr, Routines::returnFromFunction);
    if (rts < 0)
        return rts;
    return closedStatement(s);
}

int32_t ScriptCompiler::openBlock(Scope& s)
{
    if (machine_.depth_ >= kMaxNesting) {
        print("ERROR: blocks nested deeper than %d in line %d\n", kMaxNesting,
              static_cast<int>(machine_.lineNumber_));
        return kErrNestingTooDeep;
    }
    ++position_;
    machine_.pushScope();
    ++s.level;
    return kContinue;
}

int32_t ScriptCompiler::closeBlock(Scope& s)
{
    if (recordCount_ > s.firstRecord || s.pendingType >= 0 || s.pendingConst || s.level == 0)
        return kErrCloseBraceInExpression;
    ++position_;
    machine_.popScope();
    --s.level;
    if (s.mode == kModeStatement && s.level == 0)
        return kClosed;
    return kContinue;
}

int32_t ScriptCompiler::statementEnd(Scope& s)
{
    ++position_;
    const bool hasRecords = recordCount_ > s.firstRecord;
    if (hasRecords && atOperandPosition(s))
        return kErrMissingOperand;
    if (hasRecords || s.results || s.statementCode) {
        if (hasRecords && lastRecord(s)->op == 0)
            lastRecord(s)->op = kOpSeparator;
        if (hasRecords || s.results) {
            const int32_t w = write(s.firstRecord, s.results);
            if (w < 0)
                return w;
        }
        const int32_t eol =
            emitRoutine(kOpEndOfLine, kKindControl, 0, 0, nullptr, Routines::endOfLine);
        if (eol < 0)
            return eol;
        machine_.code_[eol].value = static_cast<int32_t>(machine_.lineNumber_);
    }
    recordCount_ = s.firstRecord;
    floatIndex_ = 0;
    intIndex_ = 0;
    s.pendingType = -1;
    s.pendingConst = false;
    s.statementCode = false;
    s.separators = 0;
    return closedStatement(s);
}

int32_t ScriptCompiler::closedStatement(const Scope& s) const
{
    return s.mode == kModeStatement && s.level == 0 ? kClosed : kContinue;
}

} // namespace script
