#pragma once
// Whole-file operations on AM_String paths: copy and move, as the preset
// library uses them. Not on the audio thread.

#include "foundation/AM_FileObject.h"

// Copies the file with its modification time; with failIfExists an existing
// destination answers 80, otherwise it is replaced.
AM_FileErr AM_copyFile(const AM_String& from, const AM_String& to, bool failIfExists);
// Moves (renames) a file or folder without replacing an existing destination
// (183); across file systems a file is copied and the original removed.
AM_FileErr AM_moveFile(const AM_String& from, const AM_String& to);
