#include "foundation/AM_File.h"

#include "foundation/AM_FileMessages.h"
#include "foundation/AM_NarrowPath.h"
#include "platform/FileSystem.h"

#include <type_traits>

static_assert(std::is_same_v<platform::FileHandle, int>,
              "AM_File keeps the platform handle as int");

AM_File::AM_File() : AM_FileObject(kTypeFile), handle_(platform::kNoFile) {}

AM_File::AM_File(const AM_String& path) : AM_FileObject(path, kTypeFile), handle_(platform::kNoFile)
{
}

AM_File::AM_File(const AM_File& other) : AM_FileObject(other), handle_(platform::kNoFile) {}

AM_File& AM_File::operator=(const AM_File& other)
{
    if (this != &other) {
        if (isOpen())
            close();
        AM_FileObject::operator=(other);
    }
    return *this;
}

AM_File::~AM_File()
{
    if (isOpen())
        close();
}

bool AM_File::isOpen() const
{
    return handle_ != platform::kNoFile;
}

AM_FileErr AM_File::open(int32_t mode)
{
    if (isOpen())
        close();
    platform::FileAccess access;
    switch (mode) {
    case kModeRead:
        access = platform::FileAccess::read;
        break;
    case kModeWrite:
        access = platform::FileAccess::write;
        break;
    case kModeReadWrite:
        access = platform::FileAccess::readWrite;
        break;
    default:
        return platform::fileerror::kInvalidParameter;
    }
    const AM_NarrowPath narrow(path_);
    AM_FileErr error = narrow.error();
    if (error == 0)
        error = platform::openFile(narrow.c_str(), access, mode == kModeWrite, handle_);
    if (error != 0)
        AM_FileMessages::openFailed(path_, mode, static_cast<int32_t>(access));
    return error;
}

AM_FileErr AM_File::close()
{
    return platform::closeFile(handle_);
}

AM_FileErr AM_File::readBytes(void* buffer, uint32_t count, uint32_t& bytesRead)
{
    bytesRead = 0;
    size_t done = 0;
    const AM_FileErr error = platform::readFile(handle_, buffer, count, done);
    bytesRead = static_cast<uint32_t>(done);
    return error;
}

AM_FileErr AM_File::writeBytes(const void* buffer, uint32_t count, uint32_t& bytesWritten)
{
    bytesWritten = 0;
    size_t done = 0;
    const AM_FileErr error = platform::writeFile(handle_, buffer, count, done);
    bytesWritten = static_cast<uint32_t>(done);
    return error;
}

AM_FileErr AM_File::size(uint64_t& bytes)
{
    return platform::getFileSize(handle_, bytes);
}
