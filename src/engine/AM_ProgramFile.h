#pragma once
// The VST program file ("fxp") with an opaque chunk, as presets are
// exported: a 60-byte header of big-endian 32-bit fields, then the chunk
// (a program chunk: patch-state text without the "#pgm=" line).
//
//   0 'CcnK'   4 file length - 8   8 'FPCh'   12 version 1   16 plug-in ID
//   20 plug-in version   24 parameter count   28 program name (28 bytes)
//   56 chunk size   60 the chunk
//
// Pure; any thread.

#include <cstddef>
#include <cstdint>

namespace AM_ProgramFile {

constexpr size_t kHeaderBytes = 60;
constexpr uint32_t kChunkMagic = 0x43636E4B;  // 'CcnK'
constexpr uint32_t kChunkFormat = 0x46504368; // 'FPCh'
constexpr size_t kMagicOffset = 0;
constexpr size_t kFormatOffset = 8;
constexpr size_t kChunkSizeOffset = 56;

// The program chunk of a file's bytes: false unless the file holds at least
// the header, starts with 'CcnK', has the format 'FPCh' and a chunk size
// that the file holds (a chunk of 0 bytes counts as none).
bool findChunk(const uint8_t* data, size_t size, const uint8_t** chunk, uint32_t* chunkSize);

} // namespace AM_ProgramFile
