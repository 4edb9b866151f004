// The Win32 platform half, run under Windows (or Wine): the errors are the
// system's own numbers, names travel as UTF-16 and come back as the same
// UTF-8 bytes, a shell link can stand for the data folder, and listings are
// sorted as on every platform.
#include "foundation/AM_DataFolder.h"
#include "foundation/AM_Directory.h"
#include "platform/FileSystem.h"
#include "platform/Module.h"
#include "platform/Trace.h"
#include "platform/UserFolders.h"
#include "platform/win32/Win32Folders.h"
#include "platform/win32/Win32Text.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using platform::FileError;
using platform::FileHandle;
using platform::kNoFile;
using namespace platform::fileerror;

std::string narrow(const AM_String& s)
{
    std::string out(static_cast<size_t>(s.getNarrowLength()) + 1, 0);
    s.getNarrow(out.data(), static_cast<int32_t>(out.size()) - 1);
    out.pop_back();
    return out;
}

// The names Windows itself lists in a folder, as UTF-16.
std::vector<std::wstring> wideNames(const std::string& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(platform::win32::toWide(folder + "/*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name(found.cFileName);
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

struct ErrorCase {
    const char* what;
    FileError expected;
    std::function<FileError(const testsupport::TempDir&)> run;
};

TEST(Win32FileErrors, AreTheSystemsOwnNumbers)
{
    const std::vector<ErrorCase> cases = {
        {"open a missing file", kFileNotFound,
         [](const testsupport::TempDir& dir) {
             FileHandle h = kNoFile;
             return platform::openFile(dir.file("missing.txt").c_str(),
                                       platform::FileAccess::read, false, h);
         }},
        {"open in a missing folder", kPathNotFound,
         [](const testsupport::TempDir& dir) {
             FileHandle h = kNoFile;
             return platform::openFile(dir.file("nowhere/x.txt").c_str(),
                                       platform::FileAccess::read, false, h);
         }},
        {"open a folder", kAccessDenied,
         [](const testsupport::TempDir& dir) {
             FileHandle h = kNoFile;
             return platform::openFile(dir.file("sub").c_str(), platform::FileAccess::write,
                                       true, h);
         }},
        {"create an existing file", kFileExists,
         [](const testsupport::TempDir& dir) {
             FileHandle h = kNoFile;
             return platform::createFile(dir.file("file.txt").c_str(), false, h);
         }},
        {"create an existing folder", kAlreadyExists,
         [](const testsupport::TempDir& dir) {
             return platform::createFolder(dir.file("sub").c_str());
         }},
        {"create a folder below a missing one", kPathNotFound,
         [](const testsupport::TempDir& dir) {
             return platform::createFolder(dir.file("nowhere/new").c_str());
         }},
        {"remove a folder that holds entries", kFolderNotEmpty,
         [](const testsupport::TempDir& dir) {
             return platform::removeFolder(dir.file("sub").c_str());
         }},
        {"remove a file as a folder", kNotAFolder,
         [](const testsupport::TempDir& dir) {
             return platform::removeFolder(dir.file("file.txt").c_str());
         }},
        {"list a file", kNotAFolder,
         [](const testsupport::TempDir& dir) {
             std::vector<platform::FolderEntry> entries;
             return platform::listFolder(dir.file("file.txt").c_str(), entries);
         }},
        {"list a missing folder", kPathNotFound,
         [](const testsupport::TempDir& dir) {
             std::vector<platform::FolderEntry> entries;
             return platform::listFolder(dir.file("missing").c_str(), entries);
         }},
        {"move onto an existing file", kAlreadyExists,
         [](const testsupport::TempDir& dir) {
             return platform::moveFile(dir.file("file.txt").c_str(),
                                       dir.file("sub/inner.txt").c_str());
         }},
        {"move a missing file", kFileNotFound,
         [](const testsupport::TempDir& dir) {
             return platform::moveFile(dir.file("missing.txt").c_str(),
                                       dir.file("other.txt").c_str());
         }},
        {"copy without replacing", kFileExists,
         [](const testsupport::TempDir& dir) {
             return platform::copyFile(dir.file("file.txt").c_str(),
                                       dir.file("sub/inner.txt").c_str(), true);
         }},
        {"read a file opened for writing", kAccessDenied,
         [](const testsupport::TempDir& dir) {
             FileHandle h = kNoFile;
             EXPECT_EQ(platform::openFile(dir.file("file.txt").c_str(),
                                          platform::FileAccess::write, false, h),
                       kNone);
             char byte = 0;
             size_t done = 0;
             const FileError error = platform::readFile(h, &byte, 1, done);
             platform::closeFile(h);
             return error;
         }},
        {"read a closed handle", kInvalidHandle,
         [](const testsupport::TempDir&) {
             char byte = 0;
             size_t done = 0;
             return platform::readFile(kNoFile, &byte, 1, done);
         }},
        {"replace a read-only file", kAccessDenied,
         [](const testsupport::TempDir& dir) {
             const std::string path = dir.file("locked.txt");
             dir.writeFile("locked.txt", "old");
             ::SetFileAttributesW(platform::win32::toWide(path).c_str(), FILE_ATTRIBUTE_READONLY);
             const FileError error = platform::writeFileReplacing(path.c_str(), "new", 3);
             ::SetFileAttributesW(platform::win32::toWide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
             EXPECT_EQ(dir.readFile("locked.txt"), "old");
             return error;
         }},
    };
    for (const ErrorCase& c : cases) {
        testsupport::TempDir dir;
        dir.writeFile("file.txt", "contents");
        dir.writeFile("sub/inner.txt", "inner");
        EXPECT_EQ(c.run(dir), c.expected) << c.what;
    }
}

TEST(Win32FileNames, NonAsciiNamesAreUtf16OnDiskAndComeBackUnchanged)
{
    struct NameCase {
        std::string utf8;
        std::wstring onDisk;
    };
    const std::vector<NameCase> cases = {
        {"Gr\xC3\xBC\xC3\x9F" "e", L"Gr\u00FC\u00DFe"},
        {"\xE6\x97\xA5\xE6\x9C\xAC", L"\u65E5\u672C"},
        {"\xF0\x9F\x8E\xB9 keys", L"\U0001F3B9 keys"},
    };
    for (const NameCase& c : cases) {
        testsupport::TempDir dir;
        const std::string folder = dir.path() + "/" + c.utf8;
        ASSERT_EQ(platform::createFolder(folder.c_str()), kNone) << c.utf8;
        const std::string file = folder + "/" + c.utf8 + ".txt";
        FileHandle h = kNoFile;
        ASSERT_EQ(platform::createFile(file.c_str(), false, h), kNone) << c.utf8;
        size_t done = 0;
        EXPECT_EQ(platform::writeFile(h, "abc", 3, done), kNone);
        EXPECT_EQ(platform::closeFile(h), kNone);

        EXPECT_EQ(wideNames(dir.path()), std::vector<std::wstring>{c.onDisk}) << c.utf8;
        std::vector<platform::FolderEntry> entries;
        ASSERT_EQ(platform::listFolder(folder.c_str(), entries), kNone);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, c.utf8 + ".txt");
        EXPECT_FALSE(entries[0].isFolder);

        platform::EntryInfo info;
        ASSERT_EQ(platform::getEntryInfo(file.c_str(), info), kNone);
        EXPECT_EQ(info.kind, platform::EntryKind::file);
        EXPECT_EQ(info.size, 3u);
        const std::string moved = dir.path() + "/" + c.utf8 + "-moved.txt";
        EXPECT_EQ(platform::moveFile(file.c_str(), moved.c_str()), kNone);
        EXPECT_EQ(platform::queryEntry(moved.c_str()), platform::EntryKind::file);
    }
}

TEST(Win32FileNames, ReplacingKeepsNoTemporaryAndLeavesTheNewContents)
{
    testsupport::TempDir dir;
    dir.writeFile("preset.h2p", "old contents");
    const std::string path = dir.file("preset.h2p");
    ASSERT_EQ(platform::writeFileReplacing(path.c_str(), "new", 3), kNone);
    EXPECT_EQ(dir.readFile("preset.h2p"), "new");
    std::vector<platform::FolderEntry> entries;
    ASSERT_EQ(platform::listFolder(dir.path().c_str(), entries), kNone);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "preset.h2p");
}

TEST(Win32Listing, IsSortedAsOnEveryPlatform)
{
    testsupport::TempDir dir;
    for (const char* name : {"b", "Zeta", "_x", "\xC3\xA4rger", "a2", "B1"}) {
        FileHandle h = kNoFile;
        ASSERT_EQ(platform::createFile((dir.path() + "/" + name).c_str(), false, h), kNone);
        platform::closeFile(h);
    }
    ASSERT_EQ(platform::createFolder(dir.file("A1").c_str()), kNone);
    std::vector<platform::FolderEntry> entries;
    ASSERT_EQ(platform::listFolder(dir.path().c_str(), entries), kNone);
    std::vector<std::string> names;
    for (const platform::FolderEntry& e : entries)
        names.push_back(e.name);
    // ASCII letters without regard to case, then by byte: '_' before the
    // letters, non-ASCII after them (NTFS would put '_' after 'Z').
    EXPECT_EQ(names, (std::vector<std::string>{"_x", "A1", "a2", "b", "B1", "Zeta",
                                                "\xC3\xA4rger"}));
    EXPECT_TRUE(entries[1].isFolder);
    EXPECT_FALSE(entries[2].isFolder);
}

class Win32DataRoot : public ::testing::Test {
protected:
    void SetUp() override
    {
        moduleFolder_ = dir_.path() + "/Plugins";
        dir_.makeDir("Plugins");
        dir_.makeDir("Home");
        platform::overrideModulePath((moduleFolder_ + "/KestanK4.dll").c_str());
        platform::win32::overrideDataHomeFolder(dir_.file("Home").c_str());
        resetDataFolderSearch();
    }
    void TearDown() override
    {
        platform::overrideModulePath(nullptr);
        resetDataFolderSearch();
    }
    std::string root()
    {
        AM_Directory folder{AM_String("")};
        EXPECT_EQ(getDataRootFolder(folder), 0u);
        return narrow(folder.path());
    }

    testsupport::TempDir dir_;
    std::string moduleFolder_;
};

TEST_F(Win32DataRoot, AShellLinkBesideTheModuleNamesTheDataFolder)
{
    // (TempDir's own calls take narrow names in the system code page.)
    const std::string target = dir_.file("Elsewhere/My Data \xC3\xA9t\xC3\xA9");
    ASSERT_EQ(platform::createFolders(target.c_str()), kNone);
    const std::string link = moduleFolder_ + "/KestanK4.data.lnk";
    ASSERT_TRUE(platform::win32::writeShellLink(link.c_str(), target.c_str()));

    std::string read;
    ASSERT_TRUE(platform::win32::readShellLink(link.c_str(), read));
    std::string resolved;
    ASSERT_TRUE(platform::resolveFolderLink(link.c_str(), resolved));
    EXPECT_EQ(resolved, read);
    // The link's target, as Windows spells it (drive and separators).
    EXPECT_NE(read.find("My Data \xC3\xA9t\xC3\xA9"), std::string::npos) << read;
    EXPECT_EQ(root(), read + "/");

    AM_Directory presets{AM_String("")};
    ASSERT_EQ(getSpecialFolder(presets, kAM_FolderPresets, 0, "Maker", "KestanK4"), 0u);
    EXPECT_EQ(narrow(presets.path()), read + "/Presets/KestanK4/");
    EXPECT_EQ(platform::queryEntry((target + "/Presets/KestanK4").c_str()),
              platform::EntryKind::folder);
}

TEST_F(Win32DataRoot, TheFolderWinsOverTheLinkAndABrokenLinkFallsBackToTheDataHome)
{
    struct RootCase {
        const char* what;
        bool folder;
        bool link;
        bool linkTargetExists;
        std::string expected; // below the temporary folder
    };
    const std::vector<RootCase> cases = {
        {"folder and link", true, true, true, "Plugins/KestanK4.data/"},
        {"link to a missing folder", false, true, false, "Home"},
        {"neither", false, false, false, "Home"},
    };
    for (const RootCase& c : cases) {
        testsupport::TempDir dir;
        const std::string plugins = dir.file("Plugins");
        dir.makeDir("Plugins");
        dir.makeDir("Home");
        platform::overrideModulePath((plugins + "/KestanK4.dll").c_str());
        platform::win32::overrideDataHomeFolder(dir.file("Home").c_str());
        resetDataFolderSearch();
        if (c.folder)
            dir.makeDir("Plugins/KestanK4.data");
        if (c.linkTargetExists)
            dir.makeDir("Target");
        if (c.link) {
            ASSERT_TRUE(platform::win32::writeShellLink(
                (plugins + "/KestanK4.data.lnk").c_str(), dir.file("Target").c_str()));
        }
        AM_Directory folder{AM_String("")};
        EXPECT_EQ(getDataRootFolder(folder), 0u) << c.what;
        EXPECT_EQ(narrow(folder.path()).rfind(dir.file(c.expected), 0), 0u)
            << c.what << ": " << narrow(folder.path());
    }
    platform::win32::overrideDataHomeFolder(dir_.file("Home").c_str());
}

TEST(Win32Folders, ANonLinkIsNoFolderLinkAndProbingCreatesNothing)
{
    testsupport::TempDir dir;
    dir.writeFile("plain.lnk", "not a shell link");
    dir.makeDir("folder");
    std::string target = "unchanged";
    EXPECT_FALSE(platform::resolveFolderLink(dir.file("plain.lnk").c_str(), target));
    EXPECT_FALSE(platform::resolveFolderLink(dir.file("folder").c_str(), target));
    EXPECT_EQ(target, "unchanged");

    EXPECT_TRUE(platform::win32::canCreateFilesIn(dir.path().c_str()));
    EXPECT_FALSE(platform::win32::canCreateFilesIn(dir.file("missing").c_str()));
    std::vector<platform::FolderEntry> entries;
    ASSERT_EQ(platform::listFolder(dir.path().c_str(), entries), kNone);
    EXPECT_EQ(entries.size(), 2u);
}

TEST(Win32Module, PathsComeFromTheModuleHandleInTheProgramsForm)
{
    std::string module, program;
    ASSERT_TRUE(platform::getModulePath(module));
    ASSERT_TRUE(platform::getExecutablePath(program));
    // The platform library is linked into this test program.
    EXPECT_EQ(module, program);
    EXPECT_EQ(program.find('\\'), std::string::npos) << program;
    EXPECT_NE(program.find("test_kk_platform_win32_checks.exe"), std::string::npos) << program;
    EXPECT_EQ(platform::queryEntry(program.c_str()), platform::EntryKind::file);
}

TEST(Win32Trace, GoesToTheFileTheVariableNames)
{
    testsupport::TempDir dir;
    const std::string file = dir.file("trace \xC3\xA9.txt");
    ASSERT_EQ(_putenv_s(platform::kTraceVariable, file.c_str()), 0);
    platform::resetTraceDestination();
    platform::debugOutput("first line\n");
    platform::standardOutput("to standard output\n");
    platform::resetTraceDestination(); // closes the file
    _putenv_s(platform::kTraceVariable, "");
    FileHandle h = kNoFile;
    ASSERT_EQ(platform::openFile(file.c_str(), platform::FileAccess::read, false, h), kNone);
    char text[64] = {};
    size_t done = 0;
    EXPECT_EQ(platform::readFile(h, text, sizeof text - 1, done), kNone);
    platform::closeFile(h);
    EXPECT_EQ(std::string(text, done), "first line\nto standard output\n");
}

} // namespace
