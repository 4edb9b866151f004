#pragma once
// Whole-file operations on AM_String paths: copy and move, as the preset
// library uses them. Not on the audio thread.

#include "foundation/AM_FileObject.h"

#include <cstddef>

// Copies the file with its modification time; with failIfExists an existing
// destination answers 80, otherwise it is replaced.
AM_FileErr AM_copyFile(const AM_String& from, const AM_String& to, bool failIfExists);
// Moves (renames) a file or folder without replacing an existing destination
// (183); across file systems a file is copied and the original removed.
AM_FileErr AM_moveFile(const AM_String& from, const AM_String& to);
// Replaces the whole contents of the file at path (creating it when
// missing) without ever leaving it partly written: a temporary file in the
// same folder, flushed and checked, is renamed over it. On failure the old
// file is untouched.
AM_FileErr AM_writeFileReplacing(const AM_String& path, const void* data, size_t size);
// True when a file stands at path that is read-only for the caller (no write
// permission at all, or none for the caller); such a file is never replaced
// (AM_writeFileReplacing answers 5).
bool AM_isReadOnlyFile(const AM_String& path);
