#pragma once
// The Win32 half's own folder calls beyond UserFolders.h: shell links (the
// ".lnk" files Explorer makes) and the choice of the data home. Not on a
// real-time thread; each call initialises COM for itself where it needs it.

#include <string>

namespace platform::win32 {

// The target of the shell link file at linkPath (UTF-8, no trailing
// separator, separators '/'); false with target unchanged when the file is no
// shell link or names no path.
bool readShellLink(const char* linkPath, std::string& target);
// Writes a shell link file at linkPath that points at targetPath; false when
// it cannot be written.
bool writeShellLink(const char* linkPath, const char* targetPath);

// True when a new file can be created in the folder (it is removed again).
bool canCreateFilesIn(const char* folder);

// Where the data home is looked for: the program-files folder when it takes
// new files, else the user's roaming application-data folder. Tests put it
// elsewhere with a path, and back with null.
void overrideDataHomeFolder(const char* utf8PathOrNull);

} // namespace platform::win32
