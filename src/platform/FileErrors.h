#pragma once
// File errors as the program reports them: the Windows system error numbers
// (0 = success), mapped from errno in one table (FileErrors.cpp).

#include <cstdint>

namespace platform {

using FileError = uint32_t;

namespace fileerror {
constexpr FileError kNone = 0;
constexpr FileError kFileNotFound = 2;
constexpr FileError kPathNotFound = 3;
constexpr FileError kTooManyOpenFiles = 4;
constexpr FileError kAccessDenied = 5;
constexpr FileError kInvalidHandle = 6;
constexpr FileError kNotSameDevice = 17;
constexpr FileError kWriteProtected = 19;
constexpr FileError kGeneralFailure = 31;
constexpr FileError kSharingViolation = 32;
constexpr FileError kFileExists = 80;
constexpr FileError kInvalidParameter = 87;
constexpr FileError kDiskFull = 112;
constexpr FileError kInvalidName = 123;
constexpr FileError kFolderNotEmpty = 145;
constexpr FileError kAlreadyExists = 183;
constexpr FileError kNameTooLong = 206;
constexpr FileError kNotAFolder = 267;
constexpr FileError kCannotResolveName = 1921;
} // namespace fileerror

// What the failed call was doing; some errno values answer differently per
// operation (an existing name is 80 for a file, 183 for a folder, 145 when
// removing a folder).
enum class FileOperation {
    query,        // attributes of an entry
    openFile,     // opening an existing file
    createFile,   // creating a file
    createFolder, // creating a folder
    removeFile,
    removeFolder,
    listFolder, // reading a folder's entries
    copyFile,   // copy without replacing
    moveFile,   // move without replacing
};

// The error number for errnoValue during op on path (never 0). Values
// outside the table answer 31 and write the errno to the trace. Any thread
// except a real-time one (it may look at the file system).
FileError errorFromErrno(int errnoValue, FileOperation op, const char* path);

} // namespace platform
