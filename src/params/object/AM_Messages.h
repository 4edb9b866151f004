#pragma once
// The numbered messages of the engine side and the class bits of the
// AM_Object mask that select their receivers.
//
// "Counter" messages pass a pointer to an int32_t that each receiver reads
// and advances, so objects are numbered in the host's registration order.

#include <cstdint>

enum AM_MessageCode : uint32_t {
    k_msgHostDeleted = 0,         // ptr: the host; receivers forget it
    k_msgDescribeModule = 1,      // ptr: AM_ModuleRecord[], one per module index
    k_msgCountModSources = 2,     // ptr: int32_t counter, starts at 1
    k_msgCountControlRows = 3,    // ptr: int32_t counter, starts at 1
    k_msgDescribeModSources = 4,  // arg 1, ptr: AM_ModSourceInfo[]
    k_msgAssignIndex = 5,         // ptr: int32_t counter, starts at 0
    k_msgRegisterPointer = 6,     // ptr: module pointer array
    k_msgParameterChanged = 7,    // arg: module index, ptr: its global memory
    k_msgSetLabel = 8,            // ptr: zero-terminated text
    k_msgCountMe = 9,             // the reply that counts the modules
    k_msgAssignCircuitIndex = 10, // ptr: int32_t counter (circuits only)
    k_msgListModuleIndex = 11,    // ptr: uint32_t[] by circuit index
    k_msgDiagnostics = 12,        // any
    k_msgRequestReply = 13,       // arg: the code to answer with
    k_msgSetTrigger21 = 21,       // the parameter manager raises a flag byte
    k_msgSetSecondLabel = 27,     // ptr: zero-terminated text
    k_msgCircuitSignal = 34,      // arg 1 from a circuit, 69 as its echo
    k_msgRestartAttack = 50,
    k_msgRelease = 51,
    k_msgFirstNote = 52,
    k_msgLastNoteOff = 53,
    k_msgStateSave = 57,      // arg 0 at the start, 1 at the end
    k_msgStateLoad = 58,      // arg: the level of the read
    k_msgLoadStateText = 59,  // arg: module filter, ptr: state text
    k_msgVersionChanged = 65, // arg: the new state version
};

// The argument a circuit sends with k_msgCircuitSignal in answer to arg 1.
constexpr uint32_t k_circuitSignalEcho = 69;
// The u32 the parameter manager writes for k_msgSetTrigger21 with arg 1.
constexpr uint32_t k_trigger21Answer = 139;

// Class bits of the AM_Object mask (also type and state bits of modules).
enum AM_ClassFlag : uint32_t {
    k_classAudioObject = 0x4,      // every module
    k_classCircuit = 0x8,          // takes a circuit index
    k_classParaMan = 0x10,         // the parameter manager
    k_classPolyByCopies = 0x20,    // copies per channel in a sharing circuit
    k_classActiveByUsage = 0x40,   // active only while its usage bit is set
    k_classMidiReceiver = 0x10000, // on the MIDI receiver chain
    k_classVoiceEventReceiver = 0x20000,
    k_classSwitchable = 0x800000, // gets an "Active %s" switch in its circuit
};
