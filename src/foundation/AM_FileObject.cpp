#include "foundation/AM_FileObject.h"

#include "foundation/AM_NarrowPath.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace {
constexpr char16_t kSeparator = static_cast<char16_t>(platform::kPathSeparator);

// Index of the last separator before the final character, or -1.
int32_t lastInnerSeparator(const AM_String& path)
{
    return path.lastIndexOf(kSeparator, path.length() - 2);
}
} // namespace

AM_FileObject::AM_FileObject(int32_t type) : type_(type) {}

AM_FileObject::AM_FileObject(const AM_String& path, int32_t type) : path_(path), type_(type)
{
    if (type_ == kTypeFolder)
        ensureTrailingSeparator();
}

AM_FileObject::~AM_FileObject() = default;

void AM_FileObject::ensureTrailingSeparator()
{
    const int32_t length = path_.length();
    if (length > 0 && path_.charAt(length - 1) != kSeparator)
        path_.appendChar(kSeparator);
}

void AM_FileObject::getPath(AM_String& out) const
{
    out = path_;
}

void AM_FileObject::setPath(const AM_String& path)
{
    path_ = path;
    if (type_ == kTypeFolder)
        ensureTrailingSeparator();
}

AM_FileErr AM_FileObject::getParentPath(AM_String& out) const
{
    const int32_t cut = lastInnerSeparator(path_);
    if (cut >= 0) {
        AM_String parent;
        parent.appendSubstring(path_, 0, cut + 1);
        out = parent;
    }
    return 0;
}

AM_FileErr AM_FileObject::getParent(AM_FileObject& folder) const
{
    AM_String parent(folder.path_);
    getParentPath(parent);
    folder.path_ = parent;
    return 0;
}

void AM_FileObject::getName(AM_String& out) const
{
    const int32_t length = path_.length();
    int32_t end = length;
    if (type_ == kTypeFolder && length > 0 && path_.charAt(length - 1) == kSeparator)
        --end;
    const int32_t start = lastInnerSeparator(path_) + 1;
    AM_String name;
    name.appendSubstring(path_, start, end - start);
    out = name;
}

int32_t AM_FileObject::getType()
{
    if (type_ == kTypeFile || type_ == kTypeFolder)
        return type_;
    const AM_NarrowPath narrow(path_);
    switch (narrow.error() ? platform::EntryKind::missing : platform::queryEntry(narrow.c_str())) {
    case platform::EntryKind::missing:
        type_ = kTypeUnset;
        break;
    case platform::EntryKind::folder:
        type_ = kTypeFolder;
        break;
    case platform::EntryKind::file:
        type_ = kTypeFile;
        break;
    }
    return type_;
}

AM_FileErr AM_FileObject::remove()
{
    const int32_t type = getType();
    const AM_NarrowPath narrow(path_);
    if (narrow.error())
        return narrow.error();
    if (type == kTypeFile)
        return platform::removeFile(narrow.c_str());
    return platform::removeFolder(narrow.c_str());
}
