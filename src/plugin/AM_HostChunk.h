#pragma once
// A state chunk handed in by the host, checked before anything reads it.
//
// The chunk is copied into a buffer of its size + 1 with a terminating
// zero, and every scan stays inside the size. A chunk is taken when it is a
// complete patch state as this plug-in writes it:
//
//   ["#pgm=" program name LF] state text ... 0 [more zero bytes]
//
// that is: at least kMinBytes bytes and at most kMaxBytes; a "#pgm=" line,
// when there is one, ends in a line feed; the state text holds a line that
// begins with "#AM=", and it ends in the zero byte every written state ends
// in (a chunk cut short anywhere in its text or its binary section has
// none). Anything else is refused with a reason, and nothing is read.
//
// Not on the audio thread (it allocates).

#include <cstdint>
#include <vector>

class AM_HostChunk {
public:
    static constexpr int32_t kMinBytes = 9;
    static constexpr int32_t kMaxBytes = 16 << 20;
    // Characters of a "#pgm=" line taken as the program name.
    static constexpr uint32_t kProgramNameChars = 27;

    // Copies and checks size bytes of data; false, with reason() set, when
    // the chunk is refused.
    bool take(const void* data, int64_t size);

    // The whole chunk (the "#pgm=" line included), terminated one byte
    // behind its size.
    const char* data() const { return bytes_.data(); }
    int32_t size() const { return size_; }
    // The chunk began with a "#pgm=" line; its name (at most 27
    // characters), terminated.
    bool hasProgramName() const { return hasProgramName_; }
    const char* programName() const { return programName_; }
    // Why the last take refused the chunk ("" when it took it).
    const char* reason() const { return reason_; }

private:
    bool refuse(const char* reason);
    bool holdsStateHeader(uint32_t from, uint32_t end) const;

    std::vector<char> bytes_;
    int32_t size_ = 0;
    bool hasProgramName_ = false;
    char programName_[kProgramNameChars + 1] = {};
    const char* reason_ = "";
};
