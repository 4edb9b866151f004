#include "foundation/AM_Directory.h"

#include "foundation/AM_File.h"
#include "foundation/AM_FileMessages.h"
#include "foundation/AM_NarrowPath.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

AM_Directory::AM_Directory() : AM_FileObject(kTypeFolder) {}

AM_Directory::AM_Directory(const AM_String& path) : AM_FileObject(path, kTypeFolder) {}

AM_FileErr AM_Directory::moveToParent()
{
    ensureTrailingSeparator();
    return getParentPath(path_);
}

AM_FileErr AM_Directory::childPath(const AM_String& name, AM_String& child)
{
    ensureTrailingSeparator();
    if (path_.length() == 0)
        return platform::fileerror::kPathNotFound;
    if (name.length() == 0)
        return platform::fileerror::kInvalidName;
    child = path_;
    child.append(name);
    return 0;
}

AM_FileErr AM_Directory::createSubDirectory(const AM_String& name)
{
    AM_String child;
    if (const AM_FileErr error = childPath(name, child))
        return error;
    child.appendChar(static_cast<char16_t>(platform::kPathSeparator));
    const AM_NarrowPath narrow(child);
    if (narrow.error())
        return narrow.error();
    return platform::createFolder(narrow.c_str());
}

AM_FileErr AM_Directory::createFile(const AM_String& name, AM_File& file, bool overwrite)
{
    AM_String child;
    AM_FileErr error = childPath(name, child);
    if (error == 0) {
        const AM_NarrowPath narrow(child);
        error = narrow.error();
        platform::FileHandle handle = platform::kNoFile;
        if (error == 0)
            error = platform::createFile(narrow.c_str(), overwrite, handle);
        if (error == 0) {
            platform::closeFile(handle);
            file.setPath(child);
            return 0;
        }
    }
    if (child.length() == 0) {
        child = path_;
        child.append(name);
    }
    AM_FileMessages::createFailed(child);
    return error;
}

bool AM_Directory::exists(const AM_String& name, bool* isFolder)
{
    if (isFolder)
        *isFolder = false;
    AM_String child;
    if (childPath(name, child) != 0)
        return false;
    const AM_NarrowPath narrow(child);
    if (narrow.error())
        return false;
    const platform::EntryKind kind = platform::queryEntry(narrow.c_str());
    if (isFolder)
        *isFolder = kind == platform::EntryKind::folder;
    return kind != platform::EntryKind::missing;
}

AM_FileErr AM_Directory::enterSubDirectory(const AM_String& name, bool create)
{
    AM_String child;
    if (const AM_FileErr error = childPath(name, child))
        return error;
    bool isFolder = false;
    if (!exists(name, &isFolder)) {
        if (!create)
            return 0;
        const AM_FileErr error = createAndEnter(name);
        // Someone else may have created the folder in the meantime.
        if (error != platform::fileerror::kAlreadyExists || !exists(name, &isFolder))
            return error;
    }
    if (!isFolder)
        return platform::fileerror::kNotAFolder;
    setPath(child);
    return 0;
}

AM_FileErr AM_Directory::createAndEnter(const AM_String& name)
{
    if (const AM_FileErr error = createSubDirectory(name))
        return error;
    return enterSubDirectory(name, false);
}

AM_FileErr AM_Directory::getFile(const AM_String& name, AM_File& file, bool create)
{
    AM_String child;
    if (const AM_FileErr error = childPath(name, child))
        return error;
    bool isFolder = false;
    if (!exists(name, &isFolder))
        return create ? createFile(name, file, false) : 0;
    if (isFolder)
        return platform::fileerror::kAccessDenied;
    file.setPath(child);
    return 0;
}
