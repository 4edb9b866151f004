#include "platform/FileSystem.h"

#include "platform/Paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr mode_t kNewFileMode = 0666; // reduced by the umask
constexpr mode_t kNewFolderMode = 0777;
constexpr mode_t kPermissionBits = 07777;
constexpr size_t kCopyChunk = 1 << 16;
constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kNsPerMs = 1000000;
// Names tried for a temporary file before giving up.
constexpr int kTemporaryAttempts = 100;

FileError fail(FileOperation op, const char* path)
{
    return errorFromErrno(errno, op, path);
}

bool isFolder(const char* path)
{
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool entryExists(const char* path)
{
    struct stat st {};
    return ::lstat(path, &st) == 0;
}

std::string joinPath(const char* folder, const std::string& name)
{
    std::string path(folder);
    if (!path.empty() && path.back() != kPathSeparator)
        path += kPathSeparator;
    return path + name;
}

FileError copyContents(int from, int to, const char* toPath)
{
    std::unique_ptr<char[]> chunk(new char[kCopyChunk]);
    for (;;) {
        const ssize_t got = ::read(from, chunk.get(), kCopyChunk);
        if (got == 0)
            return fileerror::kNone;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fail(FileOperation::openFile, toPath);
        }
        size_t done = 0;
        if (const FileError error = writeFile(to, chunk.get(), static_cast<size_t>(got), done))
            return error;
    }
}

// A read or write refused on a descriptor that is open answers 5 (the
// descriptor lacks that access); only a descriptor that is not open is an
// invalid handle.
FileError transferError(FileHandle handle, FileOperation op)
{
    if (errno == EBADF && ::fcntl(handle, F_GETFD) != -1)
        return fileerror::kAccessDenied;
    return fail(op, nullptr);
}

// Opens without ever waiting (a named pipe or a device in the data folder
// would otherwise block the open, or the first read, for ever) and accepts
// only regular files: anything else is closed again and answers 5, as a
// file that cannot be opened for that access. The descriptor is blocking
// again once accepted.
FileError openRegular(const char* path, int flags, mode_t mode, FileOperation op, int& fd)
{
    fd = -1;
    int opened;
    do {
        opened = ::open(path, flags | O_NONBLOCK | O_NOCTTY, mode);
    } while (opened < 0 && errno == EINTR);
    if (opened < 0) {
        // A pipe opened for writing without a reader.
        if (errno == ENXIO)
            return fileerror::kAccessDenied;
        return fail(op, path);
    }
    struct stat st {};
    if (::fstat(opened, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(opened);
        return fileerror::kAccessDenied;
    }
    const int status = ::fcntl(opened, F_GETFL);
    if (status != -1)
        ::fcntl(opened, F_SETFL, status & ~O_NONBLOCK);
    fd = opened;
    return fileerror::kNone;
}

} // namespace

EntryKind queryEntry(const char* path)
{
    struct stat st {};
    if (path == nullptr || path[0] == 0)
        return EntryKind::missing;
    // A dangling link is not followed: lstat then sees the link itself (or
    // whatever has been created there in the meantime).
    if (::stat(path, &st) != 0 && ::lstat(path, &st) != 0)
        return EntryKind::missing;
    return S_ISDIR(st.st_mode) ? EntryKind::folder : EntryKind::file;
}

FileError getEntryInfo(const char* path, EntryInfo& info)
{
    info = EntryInfo{};
    struct stat st {};
    if (path == nullptr || ::stat(path, &st) != 0)
        return fail(FileOperation::query, path);
    info.kind = S_ISDIR(st.st_mode) ? EntryKind::folder : EntryKind::file;
    info.size = info.kind == EntryKind::file ? static_cast<uint64_t>(st.st_size) : 0;
    info.modifiedMs =
        static_cast<int64_t>(st.st_mtim.tv_sec) * kMsPerSecond + st.st_mtim.tv_nsec / kNsPerMs;
    return fileerror::kNone;
}

FileError openFile(const char* path, FileAccess access, bool truncate, FileHandle& handle)
{
    handle = kNoFile;
    int flags = O_CLOEXEC;
    switch (access) {
    case FileAccess::read:
        flags |= O_RDONLY;
        break;
    case FileAccess::write:
        flags |= O_WRONLY | (truncate ? O_TRUNC : 0);
        break;
    case FileAccess::readWrite:
        flags |= O_RDWR | (truncate ? O_TRUNC : 0);
        break;
    }
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    // A folder is refused before a truncating open could touch it.
    if (isFolder(path))
        return fileerror::kAccessDenied;
    int fd;
    if (const FileError error = openRegular(path, flags, 0, FileOperation::openFile, fd))
        return error;
    handle = fd;
    return fileerror::kNone;
}

FileError createFile(const char* path, bool overwrite, FileHandle& handle)
{
    handle = kNoFile;
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
    int fd;
    if (const FileError error =
            openRegular(path, flags, kNewFileMode, FileOperation::createFile, fd))
        return error;
    handle = fd;
    return fileerror::kNone;
}

FileError closeFile(FileHandle& handle)
{
    const FileHandle fd = handle;
    handle = kNoFile;
    if (fd < 0)
        return fileerror::kInvalidHandle;
    // The descriptor is released even when close reports an error.
    if (::close(fd) != 0 && errno != EINTR)
        return fail(FileOperation::openFile, nullptr);
    return fileerror::kNone;
}

FileError readFile(FileHandle handle, void* buffer, size_t count, size_t& done)
{
    done = 0;
    if (handle < 0)
        return fileerror::kInvalidHandle;
    auto* bytes = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t got = ::read(handle, bytes + done, count - done);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return transferError(handle, FileOperation::openFile);
        }
        done += static_cast<size_t>(got);
    }
    return fileerror::kNone;
}

FileError writeFile(FileHandle handle, const void* buffer, size_t count, size_t& done)
{
    done = 0;
    if (handle < 0)
        return fileerror::kInvalidHandle;
    const auto* bytes = static_cast<const char*>(buffer);
    while (done < count) {
        const ssize_t put = ::write(handle, bytes + done, count - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return transferError(handle, FileOperation::createFile);
        }
        done += static_cast<size_t>(put);
    }
    return fileerror::kNone;
}

FileError getFileSize(FileHandle handle, uint64_t& size)
{
    size = 0;
    if (handle < 0)
        return fileerror::kInvalidHandle;
    struct stat st {};
    if (::fstat(handle, &st) != 0)
        return fail(FileOperation::query, nullptr);
    size = static_cast<uint64_t>(st.st_size);
    return fileerror::kNone;
}

FileError removeFile(const char* path)
{
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    if (::unlink(path) != 0)
        return fail(FileOperation::removeFile, path);
    return fileerror::kNone;
}

FileError removeFolder(const char* path)
{
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    if (::rmdir(path) != 0)
        return fail(FileOperation::removeFolder, path);
    return fileerror::kNone;
}

FileError createFolder(const char* path)
{
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    if (::mkdir(path, kNewFolderMode) != 0)
        return fail(FileOperation::createFolder, path);
    return fileerror::kNone;
}

FileError createFolders(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return fileerror::kInvalidParameter;
    std::string partial;
    const std::string full(path);
    for (size_t i = 0; i <= full.size(); ++i) {
        if (i < full.size() && full[i] != kPathSeparator) {
            partial += full[i];
            continue;
        }
        if (!partial.empty() && !isFolder(partial.c_str())) {
            if (::mkdir(partial.c_str(), kNewFolderMode) != 0 &&
                !(errno == EEXIST && isFolder(partial.c_str())))
                return fail(FileOperation::createFolder, partial.c_str());
        }
        if (i < full.size())
            partial += kPathSeparator;
    }
    return fileerror::kNone;
}

FileError copyFile(const char* from, const char* to, bool failIfExists)
{
    if (from == nullptr || to == nullptr)
        return fileerror::kInvalidParameter;
    FileHandle source = kNoFile;
    if (const FileError error = openFile(from, FileAccess::read, false, source))
        return error;
    struct stat st {};
    if (::fstat(source, &st) != 0) {
        const FileError error = fail(FileOperation::query, from);
        closeFile(source);
        return error;
    }
    if (isFolder(to)) {
        closeFile(source);
        return fileerror::kAccessDenied;
    }
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    int target;
    if (const FileError error = openRegular(to, flags, st.st_mode & kPermissionBits,
                                            FileOperation::copyFile, target)) {
        closeFile(source);
        return error;
    }
    FileError error = copyContents(source, target, to);
    if (error == fileerror::kNone) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(target, times);
    }
    if (::close(target) != 0 && error == fileerror::kNone && errno != EINTR)
        error = fail(FileOperation::copyFile, to);
    closeFile(source);
    if (error != fileerror::kNone)
        ::unlink(to);
    return error;
}

FileError moveFile(const char* from, const char* to)
{
    if (from == nullptr || to == nullptr)
        return fileerror::kInvalidParameter;
    if (!entryExists(from))
        return errorFromErrno(ENOENT, FileOperation::moveFile, from);
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return fileerror::kNone;
    if (errno == EINVAL || errno == ENOSYS) {
        // The file system cannot refuse to replace: check first.
        if (entryExists(to))
            return fileerror::kAlreadyExists;
        if (::rename(from, to) == 0)
            return fileerror::kNone;
    }
    if (errno == EXDEV && !isFolder(from)) {
        if (const FileError error = copyFile(from, to, true))
            return error == fileerror::kFileExists ? fileerror::kAlreadyExists : error;
        if (::unlink(from) != 0)
            return fail(FileOperation::removeFile, from);
        return fileerror::kNone;
    }
    return fail(FileOperation::moveFile, to);
}

bool isReadOnlyFile(const char* path)
{
    struct stat st {};
    if (path == nullptr || ::stat(path, &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    // The write bits first: a privileged caller may write any file, but a
    // file nobody may write was made read-only on purpose.
    constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    return (st.st_mode & kAnyWrite) == 0 || ::access(path, W_OK) != 0;
}

FileError writeFileReplacing(const char* path, const void* data, size_t size)
{
    if (path == nullptr || path[0] == 0 || (data == nullptr && size != 0))
        return fileerror::kInvalidParameter;
    const std::string target(path);
    if (target.back() == kPathSeparator || isFolder(path) || isReadOnlyFile(path))
        return fileerror::kAccessDenied;
    const size_t slash = target.rfind(kPathSeparator);
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    mode_t mode = kNewFileMode;
    struct stat old {};
    const bool replacing = ::stat(path, &old) == 0;
    if (replacing)
        mode = old.st_mode & kPermissionBits;

    // A short name of our own, so that a long target name cannot make the
    // temporary one too long; created exclusively, so two writers never
    // share it.
    static std::atomic<uint32_t> serial{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryAttempts && fd < 0; ++attempt) {
        temporary = folder + ".kk-" + std::to_string(::getpid()) + "-" +
                    std::to_string(serial.fetch_add(1, std::memory_order_relaxed)) + ".tmp";
        do {
            fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0 && errno != EEXIST)
            return fail(FileOperation::createFile, temporary.c_str());
    }
    if (fd < 0)
        return fileerror::kFileExists;

    size_t done = 0;
    FileError error = writeFile(fd, data, size, done);
    if (error == fileerror::kNone && done != size)
        error = fileerror::kDiskFull;
    if (error == fileerror::kNone && replacing && ::fchmod(fd, mode) != 0)
        error = fail(FileOperation::createFile, temporary.c_str());
    if (error == fileerror::kNone && ::fsync(fd) != 0)
        error = fail(FileOperation::createFile, temporary.c_str());
    struct stat written {};
    if (error == fileerror::kNone &&
        (::fstat(fd, &written) != 0 || static_cast<uint64_t>(written.st_size) != size))
        error = fileerror::kDiskFull;
    if (::close(fd) != 0 && error == fileerror::kNone && errno != EINTR)
        error = fail(FileOperation::createFile, temporary.c_str());
    if (error == fileerror::kNone && ::rename(temporary.c_str(), path) != 0)
        error = fail(FileOperation::createFile, path);
    if (error != fileerror::kNone) {
        ::unlink(temporary.c_str());
        return error;
    }
    // The rename itself is made durable with the folder.
    const int folderFd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return fileerror::kNone;
}

FileError listFolder(const char* path, std::vector<FolderEntry>& entries)
{
    entries.clear();
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    DIR* dir = ::opendir(path);
    if (dir == nullptr)
        return fail(FileOperation::listFolder, path);
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        FolderEntry item;
        item.name = name;
        if (entry->d_type == DT_DIR)
            item.isFolder = true;
        else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
            item.isFolder = isFolder(joinPath(path, name).c_str());
        entries.push_back(std::move(item));
        errno = 0;
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0) {
        entries.clear();
        return errorFromErrno(readError, FileOperation::listFolder, path);
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return compareNames(a.name, b.name) < 0;
    });
    return fileerror::kNone;
}

} // namespace platform
