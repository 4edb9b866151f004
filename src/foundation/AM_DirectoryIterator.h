#pragma once
// AM_DirectoryIterator: lists the entries of a folder, one new object per
// call: an AM_Directory for a folder (a link to a folder counts as one), an
// AM_File for anything else. "." and ".." never appear; the entries come
// sorted by name (ASCII case ignored, ties by bytes). The folder is read on
// the first call; later changes are not seen.
//
// Belongs to one thread; not on the audio thread.

#include "foundation/AM_Directory.h"

#include <cstddef>
#include <memory>

// Answers true to accept the object.
using AM_FileFilter = bool (*)(AM_FileObject* object);

class AM_DirectoryIterator {
public:
    // The folder is not owned and must outlive the iterator; a null filter
    // accepts everything.
    AM_DirectoryIterator(const AM_Directory& folder, AM_FileFilter filter);
    AM_DirectoryIterator(const AM_Directory* folder, AM_FileFilter filter);
    virtual ~AM_DirectoryIterator();
    AM_DirectoryIterator(const AM_DirectoryIterator&) = delete;
    AM_DirectoryIterator& operator=(const AM_DirectoryIterator&) = delete;

    // The next accepted entry, which the caller owns and deletes; null when
    // there are no more (or the folder cannot be read).
    AM_FileObject* next();

private:
    struct Listing;

    const AM_Directory* folder_;
    AM_FileFilter filter_;
    std::unique_ptr<Listing> listing_;
};
