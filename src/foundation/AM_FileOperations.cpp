#include "foundation/AM_FileOperations.h"

#include "foundation/AM_NarrowPath.h"
#include "platform/FileSystem.h"

AM_FileErr AM_copyFile(const AM_String& from, const AM_String& to, bool failIfExists)
{
    const AM_NarrowPath source(from);
    const AM_NarrowPath target(to);
    if (source.error() || target.error())
        return source.error() ? source.error() : target.error();
    return platform::copyFile(source.c_str(), target.c_str(), failIfExists);
}

AM_FileErr AM_moveFile(const AM_String& from, const AM_String& to)
{
    const AM_NarrowPath source(from);
    const AM_NarrowPath target(to);
    if (source.error() || target.error())
        return source.error() ? source.error() : target.error();
    return platform::moveFile(source.c_str(), target.c_str());
}

AM_FileErr AM_writeFileReplacing(const AM_String& path, const void* data, size_t size)
{
    const AM_NarrowPath target(path);
    if (target.error())
        return target.error();
    return platform::writeFileReplacing(target.c_str(), data, size);
}

bool AM_isReadOnlyFile(const AM_String& path)
{
    const AM_NarrowPath target(path);
    return target.error() == 0 && platform::isReadOnlyFile(target.c_str());
}
