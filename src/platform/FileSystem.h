#pragma once
// Files and folders of the platform, addressed by UTF-8 paths. Every call
// answers a FileError (0 = success; see FileErrors.h) and never throws.
//
// Calls that touch the file system may block: never on the audio thread.
// Otherwise any thread; a FileHandle belongs to one thread at a time.

#include "platform/FileErrors.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using FileHandle = int;
constexpr FileHandle kNoFile = -1;

enum class EntryKind { missing, file, folder };

struct EntryInfo {
    EntryKind kind = EntryKind::missing;
    uint64_t size = 0;      // bytes, files only
    int64_t modifiedMs = 0; // last change of the contents, ms since 1970
};

// What stands at path, following symbolic links (a dangling link counts as a
// file). A missing entry answers 0 with kind missing.
EntryKind queryEntry(const char* path);
// Kind, size and modification time; a missing entry answers 2 or 3.
FileError getEntryInfo(const char* path, EntryInfo& info);

enum class FileAccess { read = 1, write = 2, readWrite = 3 };

// Opens an existing file. truncate empties it (write access only). A folder
// answers 5. On failure handle is kNoFile.
FileError openFile(const char* path, FileAccess access, bool truncate, FileHandle& handle);
// Creates a file for writing: fails with 80 when it exists, unless overwrite,
// which empties an existing file.
FileError createFile(const char* path, bool overwrite, FileHandle& handle);
// Closes the handle and sets it to kNoFile in every case; a closed handle
// answers 6.
FileError closeFile(FileHandle& handle);
// Reads up to count bytes (fewer only at the end of the file). A handle that
// is not open answers 6; one opened without that access (reading a file opened
// for writing only, or writing one opened for reading) answers 5.
FileError readFile(FileHandle handle, void* buffer, size_t count, size_t& done);
// Writes count bytes (fewer only on failure).
FileError writeFile(FileHandle handle, const void* buffer, size_t count, size_t& done);
FileError getFileSize(FileHandle handle, uint64_t& size);

FileError removeFile(const char* path);
// Removes an empty folder: 145 when it holds entries, 267 for a file.
FileError removeFolder(const char* path);
// Creates one folder: 183 when the name exists, 3 when its parent is missing.
FileError createFolder(const char* path);
// Creates the folder and every missing folder above it.
FileError createFolders(const char* path);

// Copies a file with its modification time; with failIfExists an existing
// destination answers 80, otherwise it is replaced. A partly written
// destination is removed.
FileError copyFile(const char* from, const char* to, bool failIfExists);
// Moves (renames) a file or folder; an existing destination answers 183.
// Across file systems a file is copied and the original removed.
FileError moveFile(const char* from, const char* to);

// True when a file stands at path that is read-only for the caller: one
// without any write permission (as marking it read-only leaves it), or one
// the caller has no right to write. False for folders and missing entries.
bool isReadOnlyFile(const char* path);

// Replaces the whole contents of the file at path by size bytes of data
// without ever leaving it partly written: the data goes into a new temporary
// file in the same folder (created exclusively, with the permissions of the
// file it replaces), is flushed to the disk, checked for its size and then
// renamed over path in one step. On any failure the temporary file is removed
// and whatever stood at path before is untouched. A path that names a folder,
// or a file that is read-only (isReadOnlyFile), answers 5. The temporary
// file's name starts with '.' and ends in ".tmp".
FileError writeFileReplacing(const char* path, const void* data, size_t size);

struct FolderEntry {
    std::string name;
    bool isFolder = false; // a link to a folder counts as a folder
};
// The entries of a folder, without "." and "..", sorted by name ignoring
// ASCII case, ties by bytes. A missing folder answers 3, a file 267.
FileError listFolder(const char* path, std::vector<FolderEntry>& entries);
// The order listFolder uses: negative, 0 or positive.
int compareNames(const std::string& a, const std::string& b);

} // namespace platform
