#include "script/ScriptCompiler.h"

#include "foundation/AM_STD.h"

#include "script/AM_ScriptMachine.h"
#include "script/ScriptErrors.h"
#include "script/ScriptLexer.h"
#include "script/ScriptPrint.h"

namespace script {

ScriptCompiler::ScriptCompiler(AM_ScriptMachine& machine)
    : machine_(machine), records_(new PreCode[kPreCodeCapacity])
{
}

ScriptCompiler::~ScriptCompiler() = default;

ScriptCompiler::Outcome ScriptCompiler::compileBlock(const char* text, uint32_t size)
{
    text_ = text;
    limit_ = size > static_cast<uint32_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(size);
    position_ = 0;
    substitute_ = -1;
    recordCount_ = 0;
    floatIndex_ = 0;
    intIndex_ = 0;
    nesting_ = 0;
    currentFunction_ = nullptr;
    inFor_ = false;

    const int32_t codeStart = machine_.codeCount_;
    const int32_t depthStart = machine_.depth_;
    KeyWordMan* resolver = machine_.resolver_;
    AMM_ObjectAccessor* accessorMark = resolver ? resolver->accessors() : nullptr;
    AM_Symbol* symbolMark = resolver ? resolver->symbols() : nullptr;
    const AM_ScriptMachine::VariableMark variables = machine_.markVariables();

    const int32_t result = compileScope(kModeTop, nullptr);
    if (result >= 0)
        return {result, position_};

    // Roll back: nothing of a block that failed stays behind (its code,
    // functions, accessors, scopes and variables).
    for (int32_t i = codeStart; i < machine_.codeCount_; ++i)
        machine_.code_[i] = AM_Instruction();
    machine_.codeCount_ = codeStart;
    if (resolver)
        resolver->releaseTo(accessorMark, symbolMark);
    while (machine_.depth_ > depthStart)
        machine_.popScope();
    machine_.releaseVariablesSince(variables);
    recordCount_ = 0;
    substitute_ = -1;
    return {result, skipToBlockEnd(position_)};
}

int32_t ScriptCompiler::compileScope(int32_t mode, ResultList* results)
{
    if (nesting_ >= kMaxNesting) {
        print("ERROR: nesting deeper than %d in line %d\n", kMaxNesting,
              static_cast<int>(machine_.lineNumber_));
        return kErrNestingTooDeep;
    }
    ++nesting_;
    Scope s;
    s.mode = mode;
    s.results = results;
    s.firstRecord = recordCount_;
    const int32_t start = position_;
    int32_t status;
    do {
        status = step(s);
    } while (status == kContinue);
    --nesting_;
    if (status < 0)
        return status;
    return position_ - start;
}

int32_t ScriptCompiler::step(Scope& s)
{
    skipTrivia();
    const char c = at(position_);
    const char next = at(position_ + 1);
    const bool endsBlock = c == '?' && next == '>';
    if (s.unknownStart >= 0 && !lexer::isSkipped(c, next))
        return unknownName(s);
    if (c == 0) {
        if (s.mode == kModeTop)
            return finishTop(s);
        print("ERROR: the script ends inside an unfinished statement in line %d\n",
              static_cast<int>(machine_.lineNumber_));
        return kErrBlockEndNested;
    }
    if (endsBlock) {
        if (s.mode != kModeTop)
            return kErrBlockEndNested;
        position_ += 2;
        print("finished compile in Line %d\n", static_cast<int>(machine_.lineNumber_));
        return finishTop(s);
    }
    if (lexer::isNameStart(c))
        return name(s);
    if (lexer::isDigit(c) || (c == '.' && lexer::isDigit(next)))
        return number(s);
    if (lexer::isPunctuation(c))
        return punctuation(s, c);
    ++position_;
    if (c == '?') {
        print("Conditional Operator not yet implemented. Line %d\n",
              static_cast<int>(machine_.lineNumber_));
    } else if (c == '"') {
        AM_STD::printv("oh, a constant integer array");
    } else if (c == '\'') {
        AM_STD::printv("oh, an integer constant");
    } else {
        const auto code = static_cast<unsigned char>(c);
        if (lexer::isStrangeByte(c))
            print("Ouch, read character %d on line %d\n", code,
                  static_cast<int>(machine_.lineNumber_));
        print("ERROR: Unknown instruction in Line %d: '%c'\n",
              static_cast<int>(machine_.lineNumber_), c);
    }
    return kContinue;
}

int32_t ScriptCompiler::finishTop(Scope& s)
{
    if (recordCount_ > s.firstRecord || s.statementCode || s.pendingType >= 0) {
        print("WARNING: statement without ';' ignored in line %d\n",
              static_cast<int>(machine_.lineNumber_));
        recordCount_ = s.firstRecord;
        floatIndex_ = 0;
        intIndex_ = 0;
    }
    if (s.level > 0)
        print("WARNING: %d block(s) not closed at the end of the script\n", s.level);
    for (; s.level > 0; --s.level)
        machine_.popScope();
    return kClosed;
}

char ScriptCompiler::at(int32_t position) const
{
    if (position < 0 || position >= limit_)
        return 0;
    if (position == substitute_)
        return ';';
    return text_[position];
}

void ScriptCompiler::newLine()
{
    const char c = at(position_);
    ++position_;
    const char pair = c == '\n' ? '\r' : '\n';
    if (at(position_) == pair)
        ++position_;
    ++machine_.lineNumber_;
}

void ScriptCompiler::skipTrivia()
{
    for (;;) {
        const char c = at(position_);
        if (c == ' ' || c == '\t') {
            ++position_;
        } else if (c == '\n' || c == '\r') {
            newLine();
        } else if (c == '/' && at(position_ + 1) == '/') {
            while (at(position_) != 0 && at(position_) != '\n' && at(position_) != '\r')
                ++position_;
        } else if (c == '/' && at(position_ + 1) == '*') {
            position_ += 2;
            while (at(position_) != 0 && !(at(position_) == '*' && at(position_ + 1) == '/')) {
                if (at(position_) == '\n' || at(position_) == '\r')
                    newLine();
                else
                    ++position_;
            }
            if (at(position_) != 0)
                position_ += 2;
        } else {
            return;
        }
    }
}

bool ScriptCompiler::followsWord(int32_t position, const char* word) const
{
    int32_t i = 0;
    for (; word[i]; ++i)
        if (at(position + i) != word[i])
            return false;
    return !lexer::isNameChar(at(position + i));
}

int32_t ScriptCompiler::nameLength(int32_t position) const
{
    int32_t length = 0;
    while (lexer::isNameChar(at(position + length)))
        ++length;
    return length;
}

int32_t ScriptCompiler::skipToBlockEnd(int32_t from) const
{
    int32_t p = from < 0 ? 0 : from;
    while (at(p) != 0) {
        if (at(p) == '?' && at(p + 1) == '>')
            return p + 2;
        ++p;
    }
    return p;
}

} // namespace script
