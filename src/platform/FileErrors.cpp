#include "platform/FileErrors.h"

#include "platform/Paths.h"
#include "platform/Trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace platform {
namespace {

constexpr size_t kTraceLineBytes = kMaxPathBytes + 128;

// True when the folder holding the last component of path exists.
bool parentFolderExists(const char* path)
{
    if (path == nullptr)
        return false;
    size_t end = std::strlen(path);
    while (end > 1 && path[end - 1] == kPathSeparator)
        --end;
    while (end > 0 && path[end - 1] != kPathSeparator)
        --end;
    if (end == 0)
        return true; // a bare name lives in the current folder
    if (end >= kMaxPathBytes)
        return false;
    char parent[kMaxPathBytes];
    std::memcpy(parent, path, end);
    parent[end] = 0;
    struct stat st {};
    return ::stat(parent, &st) == 0 && S_ISDIR(st.st_mode);
}

bool existsAsNonFolder(const char* path)
{
    struct stat st {};
    return path && ::stat(path, &st) == 0 && !S_ISDIR(st.st_mode);
}

} // namespace

FileError errorFromErrno(int errnoValue, FileOperation op, const char* path)
{
    using namespace fileerror;
    switch (errnoValue) {
    case ENOENT:
        if (op == FileOperation::listFolder || op == FileOperation::createFile ||
            op == FileOperation::createFolder)
            return kPathNotFound;
        return parentFolderExists(path) ? kFileNotFound : kPathNotFound;
    case ENOTDIR:
        if ((op == FileOperation::listFolder || op == FileOperation::removeFolder) &&
            existsAsNonFolder(path))
            return kNotAFolder;
        return kPathNotFound;
    case EEXIST:
        if (op == FileOperation::removeFolder)
            return kFolderNotEmpty;
        if (op == FileOperation::createFolder || op == FileOperation::moveFile)
            return kAlreadyExists;
        return kFileExists;
    case ENOTEMPTY:
        return kFolderNotEmpty;
    case EACCES:
    case EPERM:
    case EISDIR:
        return kAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kDiskFull;
    case ENAMETOOLONG:
        return kNameTooLong;
    case EBADF:
        return kInvalidHandle;
    case EMFILE:
    case ENFILE:
        return kTooManyOpenFiles;
    case EROFS:
        return kWriteProtected;
    case EXDEV:
        return kNotSameDevice;
    case EBUSY:
    case ETXTBSY:
        return kSharingViolation;
    case ELOOP:
        return kCannotResolveName;
    case EINVAL:
        return kInvalidParameter;
    default: {
        char line[kTraceLineBytes];
        std::snprintf(line, sizeof line, "file error: errno %d (%s) on %s, reported as %u\n",
                      errnoValue, std::strerror(errnoValue), path ? path : "(no path)",
                      static_cast<unsigned>(kGeneralFailure));
        debugOutput(line);
        return kGeneralFailure;
    }
    }
}

} // namespace platform
