#pragma once
// The compiler of the script language: reads a block character by
// character (no token stream, no syntax tree), gathers the operand records
// of each statement and writes them as instructions by operator precedence;
// control flow is emitted as jumps whose distances are patched afterwards.
//
// All its state belongs to one machine. It reads the text through a bounded
// view and never writes into it. Nesting (blocks, ifs, fors, parentheses,
// indexes, calls) is bounded by kMaxNesting, so the recursion depth is too.
// A block that fails to compile leaves nothing behind: its code, the
// functions and accessors it registered and the scopes it opened are
// rolled back.

#include "script/AM_FunctionRecord.h"
#include "script/KeyWordMan.h"
#include "script/PreCode.h"
#include "script/ScriptLimits.h"

#include <cstdint>
#include <memory>

class AM_ScriptMachine;
class AM_Symbol;
struct AM_ScriptVariable;

namespace script {

class ScriptCompiler {
public:
    struct Outcome {
        int32_t result;   // 0 or more when compiled, else the error code
        int32_t consumed; // characters of the text the block took
    };

    explicit ScriptCompiler(AM_ScriptMachine& machine);
    ~ScriptCompiler();
    ScriptCompiler(const ScriptCompiler&) = delete;
    ScriptCompiler& operator=(const ScriptCompiler&) = delete;

    // Compiles one block of size bytes into the machine's code area (the
    // machine's line number is read and advanced). Script thread only.
    Outcome compileBlock(const char* text, uint32_t size);

private:
    enum Mode : int32_t {
        kModeTop = 0,
        kModeStatement = 1,
        kModeIndex = 3,
        kModeParenthesis = 4,
        kModeInitializer = 6,
        kModeArguments = 7,
    };
    // Status of the helpers: kContinue or kClosed, or a negative error code.
    static constexpr int32_t kContinue = 0;
    static constexpr int32_t kClosed = 1; // the construct this call compiles is complete

    // One invocation of compileScope.
    struct Scope {
        int32_t mode;
        ResultList* results;
        int32_t firstRecord;
        int32_t level = 0; // blocks opened by this call and still open
        int32_t pendingType = -1;
        bool pendingConst = false;
        bool statementCode = false; // an initializer wrote code for this statement
        int32_t separators = 0;
        int32_t unknownStart = -1; // a name that could not be placed
        int32_t unknownLength = 0;
    };

    // compileScope: the characters consumed (0 or more) or an error code.
    int32_t compileScope(int32_t mode, ResultList* results);
    int32_t step(Scope& s);
    int32_t finishTop(Scope& s);

    // Text.
    char at(int32_t position) const;
    void skipTrivia();
    void newLine();
    bool followsWord(int32_t position, const char* word) const;
    int32_t nameLength(int32_t position) const;
    int32_t skipToBlockEnd(int32_t from) const;

    // Names and statements (ScriptStatements.cpp).
    int32_t name(Scope& s);
    int32_t typeKeyword(Scope& s, int32_t type, bool isConst, int32_t next);
    int32_t keyword(Scope& s, const char* word);
    int32_t keywordAllowed(const Scope& s) const;
    int32_t declaration(Scope& s, int32_t start, int32_t length);
    int32_t defineFunction(Scope& s, int32_t start, int32_t length);
    int32_t parameterList(AM_Symbol& symbol);
    int32_t ifStatement(Scope& s);
    int32_t forStatement(Scope& s);
    int32_t breakStatement(Scope& s);
    int32_t returnStatement(Scope& s);
    int32_t openBlock(Scope& s);
    int32_t closeBlock(Scope& s);
    int32_t statementEnd(Scope& s);
    int32_t closedStatement(const Scope& s) const;

    // Expressions (ScriptExpressions.cpp).
    int32_t number(Scope& s);
    int32_t variableOperand(Scope& s, AM_ScriptVariable& variable);
    int32_t call(Scope& s, int32_t start, int32_t length);
    int32_t dottedName(Scope& s, int32_t start, int32_t length);
    int32_t methodCall(Scope& s, const AM_NameParts& parts, const uint8_t* indexRegisters);
    int32_t parenthesis(Scope& s);
    int32_t initializer(Scope& s);
    int32_t punctuation(Scope& s, char c);
    int32_t operatorAfterOperand(Scope& s, uint8_t op, int32_t length);
    int32_t assignment(Scope& s, uint8_t op, int32_t length);
    int32_t prefix(Scope& s, uint8_t op, int32_t length);
    int32_t postfix(Scope& s, uint8_t op);
    int32_t separator(Scope& s);
    int32_t closeNested(Scope& s);
    int32_t unknownName(Scope& s);

    // Records.
    bool atOperandPosition(const Scope& s) const;
    // An operand where an operator belongs: the statement has no meaning
    // (an operator the language lacks, such as '%', is skipped and leaves
    // its two operands side by side), so the block is refused rather than
    // computing something else than was written.
    int32_t operandAfterOperand();
    PreCode* lastRecord(const Scope& s);
    int32_t pushRecord(Scope& s, const PreCode& record);
    static bool assignable(const PreCode& record);

    // Writing (ScriptWriter.cpp).
    int32_t write(int32_t first, ResultList* results);
    int32_t load(PreCode& record);
    int32_t applyPrefixes(int32_t first, int32_t operand);
    int32_t store(const PreCode& record);
    int32_t allocate(bool isFloat);
    int32_t emit(uint8_t opcode, uint8_t kind, int32_t destination, int32_t source, int32_t value,
                 void* object = nullptr);
    int32_t emitRoutine(uint8_t opcode, uint8_t kind, int32_t destination, int32_t source,
                        void* object, AM_ScriptRoutine routine);

    // Keyword resolver access (works without a resolver: built-ins only).
    bool findFunction(const char* name, AM_FunctionRecord& out);

    AM_ScriptMachine& machine_;
    const char* text_ = nullptr;
    int32_t limit_ = 0; // characters readable
    int32_t position_ = 0;
    int32_t substitute_ = -1; // a position read as ';' (the closing ')' of a for step)
    std::unique_ptr<PreCode[]> records_;
    int32_t recordCount_ = 0;
    int32_t floatIndex_ = 0; // next free float register (f_ix)
    int32_t intIndex_ = 0;   // next free int register (i_ix)
    int32_t nesting_ = 0;
    AM_Symbol* currentFunction_ = nullptr;
    bool inFor_ = false;
};

} // namespace script
