#pragma once
// The one rule for names that become a component of a path: preset names
// when saving, new preset folders, imported files, module and product folder
// names of the preset lists. A name that breaks it is refused with a trace
// line and nothing is created.
//
// Pure; any thread except the audio thread (the refusal is traced).

#include <cstddef>

// Longest name of a file or folder the file systems take, in bytes.
constexpr size_t kMaxPathComponentBytes = 255;

// True when the name may stand as one path component: not null, not empty,
// not "." or "..", no '/', '\', control character (below 0x20, or 0x7F) and
// at most maxBytes bytes. Otherwise writes "Refused the %s name '%s': %s" (the
// purpose, the name with control characters shown as '?', and the reason)
// to the trace and answers false.
bool isValidPathComponent(const char* name, size_t maxBytes = kMaxPathComponentBytes,
                          const char* purpose = "file");
// The same test without a trace line.
bool isPathComponent(const char* name, size_t maxBytes = kMaxPathComponentBytes);
