#pragma once
// The script machine: storage, code and registers of the scripts of one
// patch-state text, and the driver that compiles and runs each block.
//
// One machine serves one state text: it is created for the text's first
// script block, keeps its variables, arrays and functions for the later
// blocks, and is released with dumpVariables and deleted when the text is
// done. All compiler state lives in the machine, so machines on different
// threads are independent (only the "rand" generator is shared, and it is
// lock-free). A machine itself is used by one thread at a time, never the
// audio thread.
//
// Everything a script can make grow is bounded (ScriptLimits.h): a block
// that needs more code, registers, nesting, names or array elements than
// allowed fails to compile, and a run stops after kMaxChains chains, its
// instruction budget or kMaxCallDepth nested calls.

#include "script/AM_Instruction.h"
#include "script/ScriptLimits.h"

#include <cstdint>
#include <memory>

class ExpScope;
class KeyWordMan;
class AM_Symbol;
class AMM_ObjectAccessor;
struct AM_ScriptVariable;

namespace script {
class ScriptCompiler;
struct Routines;
} // namespace script

class AM_ScriptMachine {
public:
    // The resolver is not owned and must outlive the machine. Not on the
    // audio thread (allocates).
    explicit AM_ScriptMachine(KeyWordMan* resolver);
    // Releases the variables and, unless dumpVariables did, what the
    // machine's scripts registered with the resolver.
    ~AM_ScriptMachine();
    AM_ScriptMachine(const AM_ScriptMachine&) = delete;
    AM_ScriptMachine& operator=(const AM_ScriptMachine&) = delete;

    // Compiles one script block and, when it compiled, runs it. The text is
    // read, never written: at most length bytes of it (length 0: up to its
    // terminating zero); a zero byte ends it in any case. The block ends at
    // "?>" or at the end of the text. Returns the characters consumed,
    // "?>" included; after a failed compile the characters up to and
    // including the block's "?>" (or all of the text). lineNumber is the
    // line the text starts on; getLineNumber gives the line reached.
    int32_t compileAndRun(const char* text, uint32_t lineNumber, uint32_t length);
    uint32_t getLineNumber() const { return lineNumber_; }
    // 0 after a compile that succeeded, else the negative error code.
    int32_t lastCompileResult() const { return lastCompileResult_; }

    // The variable of that name (length characters of name), newest first,
    // or null.
    AM_ScriptVariable* findVariable(const char* name, uint32_t length);
    // Declares a variable: type 0 float or 1 int (2 or 3 with a count above
    // 0, an array of count elements). Returns the existing record for an
    // identical declaration in the same chain; null (and a message) for a
    // conflicting one, an unknown type, a full slot table, a name longer
    // than 31 characters or too many array elements.
    AM_ScriptVariable* declareVariable(const char* name, uint32_t type, uint32_t count,
                                       uint32_t flags);
    void pushScope();
    // Closes the innermost scope: its variables go to the free list.
    void popScope();
    int32_t depth() const { return depth_; }

    // Prints every variable on the standard output, then releases the
    // variables, scopes, arrays, code and what the scripts registered with
    // the resolver: the machine is as new afterwards. Called when the state
    // text is done.
    void dumpVariables();

    // Values by slot, for accessors, methods and tests. Slots outside the
    // table read 0 and write nothing.
    float floatVariable(uint32_t slot) const;
    int32_t intVariable(uint32_t slot) const;
    void setFloatVariable(uint32_t slot, float value);
    void setIntVariable(uint32_t slot, int32_t value);
    // Element storage of an array slot and its length, or null (length 0).
    float* floatArray(uint32_t slot, int32_t* length);
    int32_t* intArray(uint32_t slot, int32_t* length);

    KeyWordMan* keyWords() const { return resolver_; }
    // The code area, for listings and tests.
    int32_t codeCount() const { return codeCount_; }
    const AM_Instruction& instruction(int32_t index) const;

    // Instructions one block run may execute (kDefaultRunBudget unless set).
    void setRunBudget(uint32_t instructions) { runBudget_ = instructions; }
    // Chains counted by the last run.
    int32_t chainCount() const { return chainCounter_; }

private:
    friend class script::ScriptCompiler;
    friend struct script::Routines;

    enum class ChainEnd { EndOfLine, Return, Missing, Abort };

    // Runs one chain from index; returns how it ended and where.
    ChainEnd runChain(int32_t index, int32_t* endIndex);
    void runBlock(int32_t first);
    void listBlock(int32_t first) const;
    // Runs a script function's chains from its code start until it returns.
    void runFunction(int32_t start);
    void abortRun();

    int32_t emit(const AM_Instruction& instruction); // index, or -1 when the code area is full

    // What a compile may have to take back: the newest variable of each
    // chain, of the free list, and the slot counts when it began.
    struct VariableMark {
        AM_ScriptVariable* chains[script::kVariableNameChains];
        AM_ScriptVariable* freeList;
        int32_t slotCounts[4];
        int32_t arrayElements;
    };
    VariableMark markVariables() const;
    // Deletes the variables declared since the mark and gives their slots
    // back. Only while no scope opened since the mark is open.
    void releaseVariablesSince(const VariableMark& mark);
    void releaseVariables();
    void attachResolver();
    void releaseResolver();
    static void printVariable(const AM_ScriptMachine& machine, const AM_ScriptVariable& v);

    KeyWordMan* resolver_;
    // What the resolver held when the machine was made; released back to it.
    AM_Symbol* resolverSymbolMark_ = nullptr;
    AMM_ObjectAccessor* resolverAccessorMark_ = nullptr;
    bool resolverReleased_ = false;

    ExpScope* scope_ = nullptr;
    int32_t depth_ = 0;
    AM_ScriptVariable* chains_[script::kVariableNameChains] = {};
    AM_ScriptVariable* freeList_ = nullptr;

    float floatVariables_[script::kScalarSlots] = {};
    int32_t intVariables_[script::kScalarSlots] = {};
    float* floatArrays_[script::kArraySlots] = {};
    int32_t* intArrays_[script::kArraySlots] = {};
    int32_t floatArrayLengths_[script::kArraySlots] = {};
    int32_t intArrayLengths_[script::kArraySlots] = {};
    int32_t slotCounts_[4] = {};
    int32_t arrayElements_ = 0;

    std::unique_ptr<AM_Instruction[]> code_;
    int32_t codeCount_ = 0;

    float floatRegisters_[script::kRegisterStorage] = {};
    int32_t intRegisters_[script::kRegisterStorage] = {};
    float* floatBank_ = floatRegisters_;
    int32_t* intBank_ = intRegisters_;

    // Registers and parameter values saved by nested function calls.
    std::unique_ptr<uint32_t[]> saveStack_;
    int32_t saveTop_ = 0;
    int32_t callDepth_ = 0;

    int32_t chainCounter_ = 0;
    uint32_t runBudget_ = script::kDefaultRunBudget;
    uint32_t instructionsLeft_ = 0;
    bool aborted_ = false;

    uint32_t lineNumber_ = 0;
    int32_t lastCompileResult_ = 0;
    std::unique_ptr<script::ScriptCompiler> compiler_;
};
