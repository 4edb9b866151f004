// Files and folders through the wide-character Win32 calls. Errors are the
// calls' own (GetLastError); a FileHandle holds the Windows handle, whose
// significant bits fit in 32 (Windows keeps handles interchangeable between
// 32- and 64-bit processes), and INVALID_HANDLE_VALUE is kNoFile.
#include "platform/FileSystem.h"

#include "platform/Paths.h"
#include "platform/win32/Win32Text.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <windows.h>

namespace platform {
namespace {

using win32::lastError;
using win32::toWide;

// The most one ReadFile or WriteFile call moves.
constexpr DWORD kMaxTransfer = 1u << 30;
// Names tried for a temporary file before giving up.
constexpr int kTemporaryAttempts = 100;
// 100-ns intervals between 1601 (FILETIME's start) and 1970.
constexpr int64_t kFileTimeOf1970 = 116444736000000000LL;
constexpr int64_t kFileTimeTicksPerMs = 10000;
// Files are shared as POSIX files are: a reader never stops a writer from
// replacing or removing the file.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE toHandle(FileHandle handle)
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle));
}

FileHandle toFileHandle(HANDLE handle)
{
    return static_cast<FileHandle>(reinterpret_cast<intptr_t>(handle));
}

DWORD attributesOf(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str());
}

bool isFolder(const std::wstring& path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Accepts only files on disk: a folder, a pipe or a device is closed again
// and answers 5, as a file that cannot be opened for that access.
FileError acceptRegular(HANDLE opened, FileHandle& handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(opened) != FILE_TYPE_DISK || !::GetFileInformationByHandle(opened, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::CloseHandle(opened);
        return fileerror::kAccessDenied;
    }
    handle = toFileHandle(opened);
    return fileerror::kNone;
}

} // namespace

EntryKind queryEntry(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return EntryKind::missing;
    const DWORD attributes = attributesOf(toWide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return EntryKind::missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::folder : EntryKind::file;
}

FileError getEntryInfo(const char* path, EntryInfo& info)
{
    info = EntryInfo{};
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data))
        return lastError();
    const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.kind = folder ? EntryKind::folder : EntryKind::file;
    info.size = folder ? 0
                       : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const int64_t ticks = static_cast<int64_t>(
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime);
    info.modifiedMs = (ticks - kFileTimeOf1970) / kFileTimeTicksPerMs;
    return fileerror::kNone;
}

FileError openFile(const char* path, FileAccess access, bool truncate, FileHandle& handle)
{
    handle = kNoFile;
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    const std::wstring wide = toWide(path);
    // A folder is refused before a truncating open could touch it.
    if (isFolder(wide))
        return fileerror::kAccessDenied;
    DWORD rights = 0;
    if (access == FileAccess::read || access == FileAccess::readWrite)
        rights |= GENERIC_READ;
    if (access == FileAccess::write || access == FileAccess::readWrite)
        rights |= GENERIC_WRITE;
    const DWORD disposition =
        truncate && access != FileAccess::read ? TRUNCATE_EXISTING : OPEN_EXISTING;
    HANDLE opened = ::CreateFileW(wide.c_str(), rights, kShareAll, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return lastError();
    return acceptRegular(opened, handle);
}

FileError createFile(const char* path, bool overwrite, FileHandle& handle)
{
    handle = kNoFile;
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    HANDLE opened = ::CreateFileW(toWide(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                  overwrite ? CREATE_ALWAYS : CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return lastError();
    return acceptRegular(opened, handle);
}

FileError closeFile(FileHandle& handle)
{
    const FileHandle open = handle;
    handle = kNoFile;
    if (open == kNoFile)
        return fileerror::kInvalidHandle;
    if (!::CloseHandle(toHandle(open)))
        return lastError();
    return fileerror::kNone;
}

FileError readFile(FileHandle handle, void* buffer, size_t count, size_t& done)
{
    done = 0;
    if (handle == kNoFile)
        return fileerror::kInvalidHandle;
    auto* bytes = static_cast<char*>(buffer);
    while (done < count) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(count - done, kMaxTransfer));
        DWORD got = 0;
        if (!::ReadFile(toHandle(handle), bytes + done, want, &got, nullptr))
            return lastError();
        if (got == 0)
            break;
        done += got;
    }
    return fileerror::kNone;
}

FileError writeFile(FileHandle handle, const void* buffer, size_t count, size_t& done)
{
    done = 0;
    if (handle == kNoFile)
        return fileerror::kInvalidHandle;
    const auto* bytes = static_cast<const char*>(buffer);
    while (done < count) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(count - done, kMaxTransfer));
        DWORD put = 0;
        if (!::WriteFile(toHandle(handle), bytes + done, want, &put, nullptr))
            return lastError();
        if (put == 0)
            return fileerror::kDiskFull;
        done += put;
    }
    return fileerror::kNone;
}

FileError getFileSize(FileHandle handle, uint64_t& size)
{
    size = 0;
    if (handle == kNoFile)
        return fileerror::kInvalidHandle;
    LARGE_INTEGER value{};
    if (!::GetFileSizeEx(toHandle(handle), &value))
        return lastError();
    size = static_cast<uint64_t>(value.QuadPart);
    return fileerror::kNone;
}

FileError removeFile(const char* path)
{
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    if (!::DeleteFileW(toWide(path).c_str()))
        return lastError();
    return fileerror::kNone;
}

FileError removeFolder(const char* path)
{
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    const std::wstring wide = toWide(path);
    const DWORD attributes = attributesOf(wide);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return fileerror::kNotAFolder;
    if (!::RemoveDirectoryW(wide.c_str()))
        return lastError();
    return fileerror::kNone;
}

FileError createFolder(const char* path)
{
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    if (!::CreateDirectoryW(toWide(path).c_str(), nullptr))
        return lastError();
    return fileerror::kNone;
}

FileError createFolders(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return fileerror::kInvalidParameter;
    const std::string full(path);
    for (size_t i = 0; i <= full.size(); ++i) {
        if (i < full.size() && !isSeparator(full[i]))
            continue;
        const std::string partial = full.substr(0, i);
        // The root, a drive ("C:") or the server part of a network path.
        if (partial.empty() || partial.back() == ':' || isSeparator(partial.back()) ||
            (partial.size() >= 2 && isSeparator(partial[0]) && isSeparator(partial[1]) &&
             std::count_if(partial.begin() + 2, partial.end(), isSeparator) < 1))
            continue;
        const std::wstring wide = toWide(partial);
        if (isFolder(wide))
            continue;
        if (!::CreateDirectoryW(wide.c_str(), nullptr)) {
            const FileError error = lastError();
            if (!isFolder(wide))
                return error;
        }
    }
    return fileerror::kNone;
}

FileError copyFile(const char* from, const char* to, bool failIfExists)
{
    if (from == nullptr || to == nullptr)
        return fileerror::kInvalidParameter;
    const std::wstring source = toWide(from);
    const std::wstring target = toWide(to);
    if (isFolder(source) || isFolder(target))
        return fileerror::kAccessDenied;
    if (!::CopyFileW(source.c_str(), target.c_str(), failIfExists ? TRUE : FALSE))
        return lastError();
    return fileerror::kNone;
}

FileError moveFile(const char* from, const char* to)
{
    if (from == nullptr || to == nullptr)
        return fileerror::kInvalidParameter;
    const std::wstring source = toWide(from);
    const std::wstring target = toWide(to);
    if (attributesOf(source) == INVALID_FILE_ATTRIBUTES)
        return lastError();
    // Never replaces: an existing destination answers 183. Files may cross
    // volumes (copied, then the original removed).
    if (attributesOf(target) != INVALID_FILE_ATTRIBUTES)
        return fileerror::kAlreadyExists;
    if (!::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED)) {
        const FileError error = lastError();
        return error == fileerror::kFileExists ? fileerror::kAlreadyExists : error;
    }
    return fileerror::kNone;
}

bool isReadOnlyFile(const char* path)
{
    if (path == nullptr)
        return false;
    const std::wstring wide = toWide(path);
    const DWORD attributes = attributesOf(wide);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return true;
    // A file the caller has no right to write.
    HANDLE probe = ::CreateFileW(wide.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    ::CloseHandle(probe);
    return false;
}

FileError writeFileReplacing(const char* path, const void* data, size_t size)
{
    if (path == nullptr || path[0] == 0 || (data == nullptr && size != 0))
        return fileerror::kInvalidParameter;
    const std::string target(path);
    const std::wstring wideTarget = toWide(target);
    if (isSeparator(target.back()) || isFolder(wideTarget) || isReadOnlyFile(path))
        return fileerror::kAccessDenied;
    const size_t slash = target.find_last_of("/\\");
    const std::string folder =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);

    static std::atomic<uint32_t> serial{0};
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kTemporaryAttempts && file == INVALID_HANDLE_VALUE;
         ++attempt) {
        temporary = toWide(folder + ".kk-" + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(serial.fetch_add(1, std::memory_order_relaxed)) +
                           ".tmp");
        file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            return lastError();
    }
    if (file == INVALID_HANDLE_VALUE)
        return fileerror::kFileExists;

    FileHandle handle = toFileHandle(file);
    size_t done = 0;
    FileError error = writeFile(handle, data, size, done);
    if (error == fileerror::kNone && done != size)
        error = fileerror::kDiskFull;
    if (error == fileerror::kNone && !::FlushFileBuffers(file))
        error = lastError();
    uint64_t written = 0;
    if (error == fileerror::kNone && (getFileSize(handle, written) != 0 || written != size))
        error = fileerror::kDiskFull;
    if (const FileError closeError = closeFile(handle); error == fileerror::kNone)
        error = closeError;
    if (error == fileerror::kNone &&
        !::MoveFileExW(temporary.c_str(), wideTarget.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = lastError();
    if (error != fileerror::kNone)
        ::DeleteFileW(temporary.c_str());
    return error;
}

FileError listFolder(const char* path, std::vector<FolderEntry>& entries)
{
    entries.clear();
    if (path == nullptr)
        return fileerror::kInvalidParameter;
    std::string pattern(path);
    const DWORD attributes = attributesOf(toWide(pattern));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const FileError error = lastError();
        return error == fileerror::kFileNotFound ? fileerror::kPathNotFound : error;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return fileerror::kNotAFolder;
    if (!pattern.empty() && !isSeparator(pattern.back()))
        pattern += kPathSeparator;
    pattern += '*';
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW(toWide(pattern).c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        const FileError error = lastError();
        // A drive's root without entries has not even "." to find.
        return error == fileerror::kFileNotFound ? fileerror::kNone : error;
    }
    FileError error = fileerror::kNone;
    do {
        const std::wstring name(found.cFileName);
        if (name == L"." || name == L"..")
            continue;
        FolderEntry item;
        item.name = win32::toUtf8(name);
        item.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(std::move(item));
    } while (::FindNextFileW(search, &found));
    if (::GetLastError() != ERROR_NO_MORE_FILES)
        error = lastError();
    ::FindClose(search);
    if (error != fileerror::kNone) {
        entries.clear();
        return error;
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return compareNames(a.name, b.name) < 0;
    });
    return fileerror::kNone;
}

} // namespace platform
