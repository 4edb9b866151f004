#pragma once
// AM_FileObject: an entry of the file system (a file or a folder) named by
// its absolute path. A folder's path ends with the path separator '/'.
//
// Failures are answered as AM_FileErr: 0 for success, otherwise the system
// error number (2 file not found, 3 path not found, 5 access denied, 80 file
// exists, 183 folder exists, 145 folder not empty, 267 not a folder, ...).
//
// Objects belong to one thread at a time and are used off the audio thread.

#include "foundation/AM_String.h"

#include <cstdint>

using AM_FileErr = uint32_t;

class AM_FileObject {
public:
    // The stored type: unset (or missing), file, folder.
    static constexpr int32_t kTypeUnset = 0;
    static constexpr int32_t kTypeFile = 1;
    static constexpr int32_t kTypeFolder = 2;

    explicit AM_FileObject(int32_t type = kTypeUnset);
    // A folder (type 2) gets a '/' appended when the path does not end with one.
    AM_FileObject(const AM_String& path, int32_t type);
    virtual ~AM_FileObject();

    void getPath(AM_String& out) const;
    const AM_String& path() const { return path_; }
    // Replaces the path (a folder's gets its trailing '/').
    void setPath(const AM_String& path);

    // out becomes the path up to and including the last '/' before the path's
    // final character; without one, out is unchanged. Answers 0.
    AM_FileErr getParentPath(AM_String& out) const;
    // As getParentPath, into the path of the given object.
    AM_FileErr getParent(AM_FileObject& folder) const;
    // The text after the last '/' before the final character (the whole path
    // without one); a folder's name loses its trailing '/'. The stored type
    // decides (unset counts as a file).
    void getName(AM_String& out) const;

    // The stored type when known; else the file system is asked: a missing
    // entry gives 0 (asked again next time), a folder 2, anything else 1.
    int32_t getType();
    // Deletes the file, or removes the (empty) folder.
    AM_FileErr remove();

protected:
    // Appends the separator to a non-empty path that lacks it.
    void ensureTrailingSeparator();

    AM_String path_;
    int32_t type_;
};
