// The driver: compiling a block, listing it and running its chains.

#include "script/AM_ScriptMachine.h"
#include "script/ScriptCompiler.h"
#include "script/ScriptOpcodes.h"
#include "script/ScriptPrint.h"
#include "script/ScriptRoutines.h"

#include <cstring>

int32_t AM_ScriptMachine::compileAndRun(const char* text, uint32_t lineNumber, uint32_t length)
{
    if (!text)
        return 0;
    const uint32_t size = length ? length : static_cast<uint32_t>(std::strlen(text));
    lineNumber_ = lineNumber;
    const int32_t first = codeCount_;
    script::ScriptCompiler::Outcome outcome = compiler_->compileBlock(text, size);
    lastCompileResult_ = outcome.result < 0 ? outcome.result : 0;
    if (outcome.result < 0) {
        script::print("Error in Line %d: Code %d\n", static_cast<int>(lineNumber_), outcome.result);
        return outcome.consumed;
    }
    AM_Instruction endOfLine;
    endOfLine.kind = script::kKindControl;
    endOfLine.opcode = script::kOpEndOfLine;
    endOfLine.value = static_cast<int32_t>(lineNumber_);
    endOfLine.routine = script::Routines::endOfLine;
    code_[codeCount_++] = endOfLine;
    AM_Instruction guard;
    guard.kind = script::kKindControl;
    guard.opcode = script::kOpStop;
    code_[codeCount_] = guard;
    listBlock(first);
    runBlock(first);
    return outcome.consumed;
}

int32_t AM_ScriptMachine::emit(const AM_Instruction& instruction)
{
    // The closing "end of line" and the guard always find room.
    if (codeCount_ >= script::kCodeCapacity - script::kCodeReserve)
        return -1;
    code_[codeCount_] = instruction;
    return codeCount_++;
}

void AM_ScriptMachine::listBlock(int32_t first) const
{
    for (int32_t i = first; i < codeCount_; ++i) {
        const AM_Instruction& in = code_[i];
        const char* name = script::opcodeInfo(in.opcode).name;
        switch (in.opcode) {
        case script::kOpEndOfLine:
            script::print("%d:\t eol\n", i);
            break;
        case script::kOpBranch:
        case script::kOpBranchTrue:
        case script::kOpBranchFalse:
            script::print("%d:\t %s %d (%d)\n", i, name, in.value, i + in.value);
            break;
        default:
            script::print("%d:\t %d %s %d\n", i, in.destination, name, in.source);
            break;
        }
    }
}

void AM_ScriptMachine::abortRun()
{
    aborted_ = true;
}

AM_ScriptMachine::ChainEnd AM_ScriptMachine::runChain(int32_t index, int32_t* endIndex)
{
    for (;;) {
        // Past the code lies the guard; nothing beyond it is ever run.
        if (index < 0 || index >= codeCount_ || !code_[index].routine) {
            *endIndex = index;
            return ChainEnd::Missing;
        }
        if (instructionsLeft_ == 0) {
            script::print("stopped machine after %u instructions\n", runBudget_);
            abortRun();
            *endIndex = index;
            return ChainEnd::Abort;
        }
        --instructionsLeft_;
        const AM_Instruction& in = code_[index];
        const int32_t next = in.routine(*this, in, index);
        if (next >= 0) {
            index = next;
            continue;
        }
        *endIndex = index;
        if (next == script::kChainEndOfLine)
            return ChainEnd::EndOfLine;
        if (next == script::kChainReturn)
            return ChainEnd::Return;
        return ChainEnd::Abort;
    }
}

void AM_ScriptMachine::runBlock(int32_t first)
{
    chainCounter_ = 0;
    floatBank_ = floatRegisters_;
    intBank_ = intRegisters_;
    instructionsLeft_ = runBudget_;
    aborted_ = false;
    callDepth_ = 0;
    saveTop_ = 0;
    int32_t index = first;
    while (index < codeCount_) {
        int32_t end = index;
        const ChainEnd how = runChain(index, &end);
        if (how == ChainEnd::Abort)
            break;
        if (how == ChainEnd::Missing) {
            script::print("stopped machine after missing callback in %d\n", end);
            break;
        }
        // A return outside a function ends the block.
        if (how == ChainEnd::Return)
            break;
        if (++chainCounter_ > script::kMaxChains) {
            script::print("stopped machine after %d instruction chains\n", script::kMaxChains);
            break;
        }
        index = end + 1;
    }
}
