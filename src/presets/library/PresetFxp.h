#pragma once
// VST program files ("fxp") of this plug-in: a 60-byte header of big-endian
// 32-bit fields, then an opaque chunk (the patch-state text).
//
//   0 'CcnK'   4 byte size (chunk size + 52)   8 'FPCh'   12 format version 1
//   16 plug-in ID   20 plug-in version 1   24 published parameter count
//   28 program name (28 bytes, zero-filled, at most 27 characters)
//   56 chunk size   60 the chunk
//
// Pure; any thread.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace PresetFxp {

constexpr size_t kHeaderBytes = 60;
constexpr size_t kNameOffset = 28;
constexpr size_t kNameBytes = 28;
constexpr size_t kPluginIdOffset = 16;
constexpr uint32_t kFormatVersion = 1;
constexpr uint32_t kPluginVersion = 1;
// The byte size field counts everything after itself.
constexpr uint32_t kByteSizeBeforeChunk = 52;
// The name of a program image made without a name.
constexpr const char* kDefaultProgramName = "init";

// Why a file was refused.
enum class Check : int32_t {
    kOk = 0,
    kTooShort,      // fewer bytes than the header
    kNotAChunkFile, // no 'CcnK'
    kNotAProgram,   // no 'FPCh' (a bank, or a program of parameters)
    kOtherPlugin,   // another plug-in's ID
    kBadChunkSize,  // a chunk of 0 bytes, or more than the file holds
};

// Checks a file's bytes and finds its chunk: at least kHeaderBytes bytes,
// 'CcnK', 'FPCh', the plug-in's ID and a chunk size within the file (bytes
// after the chunk are ignored). On kOk, chunk and chunkSize (when given)
// are set.
Check findChunk(const uint8_t* data, size_t size, uint32_t pluginId, const uint8_t** chunk,
                uint32_t* chunkSize);
// A line for the trace about the check's result.
const char* describe(Check check);

// A program file of the chunk: header as above, the name cut to 27 bytes at
// a character boundary (null: "init"), the rest of the name field zeros.
// Empty when the chunk is too large for the 32-bit size fields.
std::vector<uint8_t> buildProgram(const void* chunk, uint32_t chunkSize, uint32_t pluginId,
                                  uint32_t parameterCount, const char* name);

// Writes the program name into an image of at least kHeaderBytes bytes: cut
// to 27 bytes at a character boundary (null: "init"), the rest of the field
// zeros. False (nothing written) for a shorter image.
bool setProgramName(uint8_t* image, size_t size, const char* name);

} // namespace PresetFxp
