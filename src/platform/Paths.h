#pragma once
// Path conventions of the platform: the one folder separator, and the
// longest path the layer handles.

#include <cstddef>

namespace platform {

// Separates folders in a path; a folder path ends with it.
constexpr char kPathSeparator = '/';
// Longest path in bytes, terminator included.
constexpr size_t kMaxPathBytes = 4096;

} // namespace platform
