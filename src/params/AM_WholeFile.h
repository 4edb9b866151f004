#pragma once
// Reads a small file whole into memory, as the start-up files (the
// published-parameter numbering, the MIDI controller map, preset files) are
// read: open, size, allocate, read, close; and writes one whole: create
// (replacing), open, write, close. The step that failed tells the caller
// which of its trace lines to write.
//
// Not on the audio thread (file access, allocation).

#include "foundation/AM_Directory.h"

#include <cstdint>
#include <vector>

enum class AM_WholeFileStep : int32_t {
    kNone = 0,     // the file was read
    kOpen = 1,     // opening failed (error: the system's number)
    kSize = 2,     // asking the size failed
    kAllocate = 3, // larger than the caller allows, or out of memory
    kRead = 4,     // reading failed or came back short
    kCreate = 5,   // creating or opening the file for writing failed
    kWrite = 6,    // writing failed or was short
};

struct AM_WholeFileResult {
    AM_WholeFileStep step = AM_WholeFileStep::kNone;
    AM_FileErr error = 0;
    bool ok() const { return step == AM_WholeFileStep::kNone; }
};

// Reads the file at path into out: its bytes followed by one zero byte, so
// that text can be read from out.data() directly (out.size() is the file
// size + 1). A file larger than maxBytes is refused at the allocate step. On
// failure out is empty.
AM_WholeFileResult AM_readWholeFile(const AM_String& path, std::vector<char>& out,
                                    uint64_t maxBytes);

// Replaces the file name in folder (creating it when missing) by size bytes
// of data, never leaving it partly written: the data goes to a temporary
// file in the same folder that is renamed over it. A full disk answers the
// write step, any other failure the create step; either way the old file is
// as it was.
AM_WholeFileResult AM_writeWholeFile(AM_Directory& folder, const AM_String& name, const void* data,
                                     uint32_t size);
