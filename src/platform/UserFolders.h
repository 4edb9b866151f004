#pragma once
// The user's standard folders and folder links. Not on a real-time thread.

#include "platform/FileErrors.h"

#include <string>

namespace platform {

// The user's data home ($XDG_DATA_HOME when it is an absolute path, else
// ~/.local/share), created when missing; the path has no trailing separator.
// Stands in for the program-files folder.
FileError getDataHomeFolder(std::string& path);
// The user's documents folder (~/Documents), created when missing.
FileError getDocumentsFolder(std::string& path);
// When linkPath is a symbolic link whose target is an existing folder, sets
// target to that folder's absolute path (no trailing separator) and answers
// true; otherwise false with target unchanged.
bool resolveFolderLink(const char* linkPath, std::string& target);

} // namespace platform
