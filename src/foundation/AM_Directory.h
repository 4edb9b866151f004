#pragma once
// AM_Directory: a folder that can create, find and enter its children. Its
// path always ends with '/'; a child's path is the folder's path followed by
// the child's name.
//
// A folder object without a path answers 3 (path not found) to every
// operation on children; an empty child name answers 123.

#include "foundation/AM_FileObject.h"

class AM_File;

class AM_Directory : public AM_FileObject {
public:
    AM_Directory();
    explicit AM_Directory(const AM_String& path);

    // The folder's path becomes its parent's (see getParentPath).
    AM_FileErr moveToParent();
    // Creates the child folder: 183 when the name exists.
    AM_FileErr createSubDirectory(const AM_String& name);
    // Creates the child file (80 when it exists, unless overwrite, which
    // empties it) and points file at it. The first failing create of the
    // process shows the "Orlen Error" message box.
    AM_FileErr createFile(const AM_String& name, AM_File& file, bool overwrite);
    // True when the child exists; isFolder (when given) tells whether it is a
    // folder.
    bool exists(const AM_String& name, bool* isFolder = nullptr);
    // Enters the child folder. A missing child is created first when create
    // is set, else nothing changes and the answer is 0. A child that is a
    // file answers 267 and nothing changes.
    AM_FileErr enterSubDirectory(const AM_String& name, bool create);
    // createSubDirectory, then enterSubDirectory.
    AM_FileErr createAndEnter(const AM_String& name);
    // Points file at the child file. A missing child is created when create
    // is set, else nothing changes and the answer is 0. A child that is a
    // folder answers 5 and nothing changes.
    AM_FileErr getFile(const AM_String& name, AM_File& file, bool create);

private:
    // Checks the folder path and the name; on success child is the child's path.
    AM_FileErr childPath(const AM_String& name, AM_String& child);
};
