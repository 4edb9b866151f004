#include "platform/FileSystem.h"

#include "FileSizeLimit.h"
#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace platform::fileerror;
using platform::FileOperation;

TEST(FileErrors, TableMapsErrnoPerOperation)
{
    struct Case {
        int errnoValue;
        FileOperation op;
        platform::FileError expected;
    };
    const Case cases[] = {
        {EACCES, FileOperation::openFile, kAccessDenied},
        {EPERM, FileOperation::removeFile, kAccessDenied},
        {EISDIR, FileOperation::openFile, kAccessDenied},
        {EEXIST, FileOperation::createFile, kFileExists},
        {EEXIST, FileOperation::copyFile, kFileExists},
        {EEXIST, FileOperation::createFolder, kAlreadyExists},
        {EEXIST, FileOperation::moveFile, kAlreadyExists},
        {EEXIST, FileOperation::removeFolder, kFolderNotEmpty},
        {ENOTEMPTY, FileOperation::removeFolder, kFolderNotEmpty},
        {ENOSPC, FileOperation::createFile, kDiskFull},
        {EFBIG, FileOperation::createFile, kDiskFull},
        {EDQUOT, FileOperation::createFile, kDiskFull},
        {ENAMETOOLONG, FileOperation::openFile, kNameTooLong},
        {EBADF, FileOperation::openFile, kInvalidHandle},
        {EROFS, FileOperation::createFile, kWriteProtected},
        {ENOENT, FileOperation::listFolder, kPathNotFound},
        {ENOENT, FileOperation::createFolder, kPathNotFound},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::errorFromErrno(c.errnoValue, c.op, "/nowhere/x"), c.expected)
            << c.errnoValue;
}

TEST(FileErrors, UnmappedErrnoIsTracedAndNeverZero)
{
    testsupport::TraceCapture capture;
    EXPECT_EQ(platform::errorFromErrno(EIO, FileOperation::openFile, "/some/file"),
              kGeneralFailure);
    EXPECT_TRUE(capture.contains("errno " + std::to_string(EIO)));
    EXPECT_TRUE(capture.contains("/some/file"));
}

class FileSystemTest : public ::testing::Test {
protected:
    std::string path(const std::string& relative) const { return dir.file(relative); }
    testsupport::TempDir dir;
};

TEST_F(FileSystemTest, MissingEntriesAnswerFileOrPathNotFound)
{
    platform::FileHandle handle = 7;
    EXPECT_EQ(
        platform::openFile(path("missing.txt").c_str(), platform::FileAccess::read, false, handle),
        kFileNotFound);
    EXPECT_EQ(handle, platform::kNoFile);
    EXPECT_EQ(platform::openFile(path("nodir/missing.txt").c_str(), platform::FileAccess::read,
                                 false, handle),
              kPathNotFound);
    EXPECT_EQ(platform::createFile(path("nodir/new.txt").c_str(), false, handle), kPathNotFound);
    EXPECT_EQ(platform::createFolder(path("nodir/sub").c_str()), kPathNotFound);
    EXPECT_EQ(platform::removeFile(path("missing.txt").c_str()), kFileNotFound);
    EXPECT_EQ(platform::removeFolder(path("missing").c_str()), kFileNotFound);
    std::vector<platform::FolderEntry> entries;
    EXPECT_EQ(platform::listFolder(path("missing").c_str(), entries), kPathNotFound);
}

TEST_F(FileSystemTest, WrongKindOfEntry)
{
    dir.writeFile("file.txt", "x");
    dir.makeDir("folder");
    std::vector<platform::FolderEntry> entries;
    EXPECT_EQ(platform::listFolder(path("file.txt").c_str(), entries), kNotAFolder);
    EXPECT_EQ(platform::removeFolder(path("file.txt").c_str()), kNotAFolder);
    EXPECT_EQ(platform::removeFile(path("folder").c_str()), kAccessDenied);
    platform::FileHandle handle;
    EXPECT_EQ(platform::openFile(path("folder").c_str(), platform::FileAccess::write, true, handle),
              kAccessDenied);
    EXPECT_EQ(platform::createFolder(path("file.txt").c_str()), kAlreadyExists);
    EXPECT_EQ(
        platform::openFile(path("file.txt/x").c_str(), platform::FileAccess::read, false, handle),
        kPathNotFound);
    EXPECT_EQ(platform::createFolders(path("file.txt/deeper").c_str()), kAlreadyExists);
}

// A named pipe (here without a writer or a reader) would block an ordinary
// open for ever: every way in refuses it at once as a file that cannot be
// opened, and leaves it in place.
TEST_F(FileSystemTest, NamedPipesAreRefusedWithoutWaiting)
{
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0644), 0);
    const std::string pipe = path("pipe");
    struct Case {
        const char* what;
        platform::FileError (*attempt)(const std::string& pipe, const std::string& other);
    };
    const Case cases[] = {
        {"open to read",
         [](const std::string& p, const std::string&) {
             platform::FileHandle h;
             return platform::openFile(p.c_str(), platform::FileAccess::read, false, h);
         }},
        {"open to write",
         [](const std::string& p, const std::string&) {
             platform::FileHandle h;
             return platform::openFile(p.c_str(), platform::FileAccess::write, true, h);
         }},
        {"open to read and write",
         [](const std::string& p, const std::string&) {
             platform::FileHandle h;
             return platform::openFile(p.c_str(), platform::FileAccess::readWrite, false, h);
         }},
        {"create over it",
         [](const std::string& p, const std::string&) {
             platform::FileHandle h;
             return platform::createFile(p.c_str(), true, h);
         }},
        {"copy from it",
         [](const std::string& p, const std::string& other) {
             return platform::copyFile(p.c_str(), other.c_str(), false);
         }},
        {"copy onto it",
         [](const std::string& p, const std::string& other) {
             return platform::copyFile(other.c_str(), p.c_str(), false);
         }},
    };
    dir.writeFile("plain.txt", "plain");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.attempt(pipe, path("plain.txt")), kAccessDenied);
        struct stat st {};
        ASSERT_EQ(::stat(pipe.c_str(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode));
        EXPECT_EQ(dir.readFile("plain.txt"), "plain");
    }
    // A regular file opened the same way stays blocking and readable whole.
    platform::FileHandle handle;
    ASSERT_EQ(platform::openFile(path("plain.txt").c_str(), platform::FileAccess::read, false,
                                 handle),
              kNone);
    EXPECT_EQ(::fcntl(handle, F_GETFL) & O_NONBLOCK, 0);
    platform::closeFile(handle);
}

TEST_F(FileSystemTest, TransferWithoutTheAccessIsDeniedNotAnInvalidHandle)
{
    // Regression: a read-only file refused a write with 6 (invalid handle)
    // where the system answers 5 (access denied).
    dir.writeFile("a.txt", "contents");
    struct Case {
        platform::FileAccess access;
        bool write;
        platform::FileError expected;
    };
    const Case cases[] = {
        {platform::FileAccess::read, true, kAccessDenied},
        {platform::FileAccess::write, false, kAccessDenied},
        {platform::FileAccess::read, false, kNone},
        {platform::FileAccess::write, true, kNone},
    };
    for (const auto& c : cases) {
        platform::FileHandle handle;
        ASSERT_EQ(platform::openFile(path("a.txt").c_str(), c.access, false, handle), kNone);
        char buffer[4] = {'x', 'y', 'z', 'w'};
        size_t done = 99;
        const platform::FileError error = c.write ? platform::writeFile(handle, buffer, 1, done)
                                                  : platform::readFile(handle, buffer, 1, done);
        EXPECT_EQ(error, c.expected) << static_cast<int>(c.access) << " " << c.write;
        EXPECT_EQ(done, c.expected == kNone ? 1u : 0u);
        platform::closeFile(handle);
        size_t none = 99;
        EXPECT_EQ(c.write ? platform::writeFile(handle, buffer, 1, none)
                          : platform::readFile(handle, buffer, 1, none),
                  kInvalidHandle);
    }
}

TEST_F(FileSystemTest, CreateReadWriteAndTruncate)
{
    platform::FileHandle handle;
    ASSERT_EQ(platform::createFile(path("a.txt").c_str(), false, handle), kNone);
    size_t done = 0;
    EXPECT_EQ(platform::writeFile(handle, "long contents", 13, done), kNone);
    EXPECT_EQ(done, 13u);
    EXPECT_EQ(platform::closeFile(handle), kNone);
    EXPECT_EQ(handle, platform::kNoFile);
    EXPECT_EQ(platform::closeFile(handle), kInvalidHandle);
    EXPECT_EQ(platform::createFile(path("a.txt").c_str(), false, handle), kFileExists);

    // Writing with truncation replaces the contents without a stale tail.
    ASSERT_EQ(platform::openFile(path("a.txt").c_str(), platform::FileAccess::write, true, handle),
              kNone);
    platform::writeFile(handle, "short", 5, done);
    platform::closeFile(handle);
    EXPECT_EQ(dir.readFile("a.txt"), "short");

    ASSERT_EQ(platform::openFile(path("a.txt").c_str(), platform::FileAccess::read, false, handle),
              kNone);
    uint64_t size = 0;
    EXPECT_EQ(platform::getFileSize(handle, size), kNone);
    EXPECT_EQ(size, 5u);
    char buffer[16] = {};
    EXPECT_EQ(platform::readFile(handle, buffer, sizeof buffer, done), kNone);
    EXPECT_EQ(done, 5u); // fewer at the end of the file
    platform::closeFile(handle);

    // Overwriting creation empties the file.
    ASSERT_EQ(platform::createFile(path("a.txt").c_str(), true, handle), kNone);
    platform::closeFile(handle);
    EXPECT_EQ(dir.readFile("a.txt"), "");
}

TEST_F(FileSystemTest, FoldersCreateAndRemove)
{
    EXPECT_EQ(platform::createFolder(path("f").c_str()), kNone);
    EXPECT_EQ(platform::createFolder(path("f").c_str()), kAlreadyExists);
    dir.writeFile("f/inside.txt", "x");
    EXPECT_EQ(platform::removeFolder(path("f").c_str()), kFolderNotEmpty);
    EXPECT_EQ(platform::removeFile(path("f/inside.txt").c_str()), kNone);
    EXPECT_EQ(platform::removeFolder(path("f").c_str()), kNone);
    EXPECT_EQ(platform::createFolders(path("x/y/z/").c_str()), kNone);
    EXPECT_EQ(platform::queryEntry(path("x/y/z").c_str()), platform::EntryKind::folder);
    EXPECT_EQ(platform::createFolders(path("x/y/z").c_str()), kNone); // already there
}

TEST_F(FileSystemTest, ListingIsSortedWithoutDotEntries)
{
    for (const char* name : {"b", "A", "a", "C", "B.txt", ".hidden"})
        dir.writeFile(name, "");
    dir.makeDir("sub");
    ASSERT_EQ(symlink(path("sub").c_str(), path("linked").c_str()), 0);
    ASSERT_EQ(symlink(path("gone").c_str(), path("dangling").c_str()), 0);

    std::vector<platform::FolderEntry> entries;
    ASSERT_EQ(platform::listFolder(path("").c_str(), entries), kNone);
    std::vector<std::string> names;
    std::vector<std::string> folders;
    for (const auto& e : entries) {
        names.push_back(e.name);
        if (e.isFolder)
            folders.push_back(e.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "A", "a", "b", "B.txt", "C", "dangling",
                                               "linked", "sub"}));
    EXPECT_EQ(folders, (std::vector<std::string>{"linked", "sub"}));
    EXPECT_EQ(platform::queryEntry(path("dangling").c_str()), platform::EntryKind::file);
}

TEST_F(FileSystemTest, CopyKeepsContentsAndTime)
{
    dir.writeFile("src.txt", "source");
    dir.writeFile("old.txt", "much longer old contents");
    struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path("src.txt").c_str(), times, 0), 0);

    EXPECT_EQ(platform::copyFile(path("src.txt").c_str(), path("old.txt").c_str(), true),
              kFileExists);
    EXPECT_EQ(dir.readFile("old.txt"), "much longer old contents");
    EXPECT_EQ(platform::copyFile(path("src.txt").c_str(), path("old.txt").c_str(), false), kNone);
    EXPECT_EQ(dir.readFile("old.txt"), "source");
    platform::EntryInfo info;
    ASSERT_EQ(platform::getEntryInfo(path("old.txt").c_str(), info), kNone);
    EXPECT_EQ(info.modifiedMs, 1000000000LL * 1000);
    EXPECT_EQ(info.size, 6u);

    EXPECT_EQ(platform::copyFile(path("missing").c_str(), path("x").c_str(), false), kFileNotFound);
    EXPECT_FALSE(dir.exists("x"));
    EXPECT_EQ(platform::copyFile(path("src.txt").c_str(), path("nodir/x").c_str(), false),
              kPathNotFound);
}

TEST_F(FileSystemTest, MoveNeverReplaces)
{
    dir.writeFile("a.txt", "a");
    dir.writeFile("b.txt", "b");
    EXPECT_EQ(platform::moveFile(path("a.txt").c_str(), path("b.txt").c_str()), kAlreadyExists);
    EXPECT_EQ(dir.readFile("b.txt"), "b");
    EXPECT_EQ(platform::moveFile(path("a.txt").c_str(), path("c.txt").c_str()), kNone);
    EXPECT_FALSE(dir.exists("a.txt"));
    EXPECT_EQ(dir.readFile("c.txt"), "a");
    EXPECT_EQ(platform::moveFile(path("a.txt").c_str(), path("d.txt").c_str()), kFileNotFound);
    dir.makeDir("folder");
    EXPECT_EQ(platform::moveFile(path("folder").c_str(), path("moved").c_str()), kNone);
    EXPECT_EQ(platform::queryEntry(path("moved").c_str()), platform::EntryKind::folder);
}

// Entries of the folder other than the given names (left-over temporaries).
std::vector<std::string> strayEntries(const std::string& folder, std::vector<std::string> expected)
{
    std::vector<platform::FolderEntry> entries;
    platform::listFolder(folder.c_str(), entries);
    std::vector<std::string> stray;
    for (const auto& entry : entries)
        if (std::find(expected.begin(), expected.end(), entry.name) == expected.end())
            stray.push_back(entry.name);
    return stray;
}

TEST_F(FileSystemTest, WriteReplacingCreatesAndReplacesWhole)
{
    const std::string target = path("preset.h2p");
    EXPECT_EQ(platform::writeFileReplacing(target.c_str(), "first version", 13), kNone);
    EXPECT_EQ(dir.readFile("preset.h2p"), "first version");
    ::chmod(target.c_str(), 0640);
    EXPECT_EQ(platform::writeFileReplacing(target.c_str(), "second", 6), kNone);
    EXPECT_EQ(dir.readFile("preset.h2p"), "second");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(platform::writeFileReplacing(target.c_str(), nullptr, 0), kNone);
    EXPECT_EQ(dir.readFile("preset.h2p"), "");
    EXPECT_TRUE(strayEntries(dir.path(), {"preset.h2p"}).empty());
}

TEST_F(FileSystemTest, WriteReplacingThatFailsLeavesTheOldFile)
{
    dir.writeFile("preset.h2p", "old contents");
    const std::string big(64 * 1024, 'x');
    {
        testsupport::FileSizeLimit limit(1024);
        EXPECT_NE(platform::writeFileReplacing(path("preset.h2p").c_str(), big.data(), big.size()),
                  kNone);
    }
    EXPECT_EQ(dir.readFile("preset.h2p"), "old contents");
    EXPECT_TRUE(strayEntries(dir.path(), {"preset.h2p"}).empty());

    EXPECT_EQ(platform::writeFileReplacing(path("missing/preset.h2p").c_str(), "x", 1),
              kPathNotFound);
    dir.makeDir("folder");
    EXPECT_EQ(platform::writeFileReplacing(path("folder").c_str(), "x", 1), kAccessDenied);
    EXPECT_EQ(platform::queryEntry(path("folder").c_str()), platform::EntryKind::folder);
}

// A file the user made read-only is not replaced, even by a caller that may
// write any file; its folder stays as it was.
TEST_F(FileSystemTest, WriteReplacingLeavesAReadOnlyFile)
{
    dir.writeFile("kept.h2p", "kept");
    const std::string kept = path("kept.h2p");
    for (const mode_t mode : {0444, 0400, 0000}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(::chmod(kept.c_str(), mode), 0);
        EXPECT_TRUE(platform::isReadOnlyFile(kept.c_str()));
        EXPECT_EQ(platform::writeFileReplacing(kept.c_str(), "new", 3), kAccessDenied);
        ::chmod(kept.c_str(), 0644);
        EXPECT_EQ(dir.readFile("kept.h2p"), "kept");
    }
    EXPECT_TRUE(strayEntries(dir.path(), {"kept.h2p"}).empty());
    ASSERT_EQ(::chmod(kept.c_str(), 0644), 0);
    EXPECT_FALSE(platform::isReadOnlyFile(kept.c_str()));
    EXPECT_FALSE(platform::isReadOnlyFile(path("missing.h2p").c_str()));
    EXPECT_FALSE(platform::isReadOnlyFile(dir.path().c_str()));
    EXPECT_EQ(platform::writeFileReplacing(kept.c_str(), "new", 3), kNone);
    EXPECT_EQ(dir.readFile("kept.h2p"), "new");
}

TEST(FileNames, CompareIgnoresAsciiCaseThenBytes)
{
    EXPECT_LT(platform::compareNames("apple", "Banana"), 0);
    EXPECT_LT(platform::compareNames("A", "a"), 0);
    EXPECT_GT(platform::compareNames("b.txt", "b"), 0);
    EXPECT_EQ(platform::compareNames("same", "same"), 0);
}

} // namespace
