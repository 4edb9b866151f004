#include "foundation/AM_Directory.h"
#include "foundation/AM_File.h"
#include "foundation/AM_FileMessages.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <string>

namespace {

std::string narrow(const AM_String& s)
{
    std::string out(static_cast<size_t>(s.getNarrowLength()) + 1, 0);
    s.getNarrow(out.data(), static_cast<int32_t>(out.size()) - 1);
    out.pop_back();
    return out;
}

int openDescriptors()
{
    int count = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++count;
        closedir(d);
    }
    return count;
}

class FileTest : public ::testing::Test {
protected:
    FileTest() { AM_FileMessages::reset(); }
    ~FileTest() override { AM_FileMessages::reset(); }
    AM_String path(const std::string& relative) const { return dir.file(relative).c_str(); }

    testsupport::TempDir dir;
    testsupport::TraceCapture capture;
};

TEST(AM_FileObject, ParentAndName)
{
    struct Case {
        const char* path;
        int32_t type;
        const char* parent; // "" when left unchanged
        const char* name;
    };
    const Case cases[] = {
        {"/a/b/", AM_FileObject::kTypeFolder, "/a/", "b"},
        {"/a/b.txt", AM_FileObject::kTypeFile, "/a/", "b.txt"},
        {"/a/b/", AM_FileObject::kTypeUnset, "/a/", "b/"}, // unset counts as a file
        {"/x", AM_FileObject::kTypeFile, "/", "x"},
        {"/", AM_FileObject::kTypeFolder, "", ""},
        {"plain", AM_FileObject::kTypeFile, "", "plain"},
    };
    for (const auto& c : cases) {
        AM_FileObject object(AM_String(c.path), c.type);
        AM_String parent("unchanged");
        EXPECT_EQ(object.getParentPath(parent), 0u);
        EXPECT_EQ(narrow(parent), *c.parent ? c.parent : "unchanged") << c.path;
        AM_String name;
        object.getName(name);
        EXPECT_EQ(narrow(name), c.name) << c.path;
    }
}

TEST(AM_FileObject, FolderPathsEndWithOneSeparator)
{
    EXPECT_EQ(narrow(AM_Directory("/x").path()), "/x/");
    EXPECT_EQ(narrow(AM_Directory("/x/").path()), "/x/");
    EXPECT_EQ(narrow(AM_FileObject(AM_String("/x"), AM_FileObject::kTypeFolder).path()), "/x/");
    EXPECT_EQ(narrow(AM_File("/x").path()), "/x");

    AM_Directory folder("/a/b/c");
    EXPECT_EQ(folder.moveToParent(), 0u);
    EXPECT_EQ(narrow(folder.path()), "/a/b/");
    AM_Directory parent("/elsewhere/");
    AM_File("/a/b.txt").getParent(parent);
    EXPECT_EQ(narrow(parent.path()), "/a/");
}

TEST_F(FileTest, TypeIsAskedUntilKnown)
{
    AM_FileObject object(path("later"), AM_FileObject::kTypeUnset);
    EXPECT_EQ(object.getType(), AM_FileObject::kTypeUnset);
    dir.makeDir("later");
    EXPECT_EQ(object.getType(), AM_FileObject::kTypeFolder);
    dir.writeFile("f", "");
    AM_FileObject file(path("f"), AM_FileObject::kTypeUnset);
    EXPECT_EQ(file.getType(), AM_FileObject::kTypeFile);
}

TEST_F(FileTest, RemoveFilesAndFolders)
{
    dir.writeFile("full/inside", "x");
    dir.writeFile("f.txt", "x");
    dir.makeDir("empty");
    AM_FileObject full(path("full"), AM_FileObject::kTypeUnset);
    EXPECT_EQ(full.remove(), 145u);
    AM_File inside(path("full/inside"));
    EXPECT_EQ(inside.remove(), 0u);
    EXPECT_EQ(full.remove(), 0u);
    AM_FileObject file(path("f.txt"), AM_FileObject::kTypeUnset);
    EXPECT_EQ(file.remove(), 0u);
    EXPECT_EQ(AM_Directory(path("empty")).remove(), 0u);
    EXPECT_EQ(AM_FileObject(path("gone"), AM_FileObject::kTypeUnset).remove(), 2u);
    EXPECT_FALSE(dir.exists("full") || dir.exists("f.txt") || dir.exists("empty"));
}

TEST_F(FileTest, OpeningAMissingFileShowsOneMessagePerProcess)
{
    AM_File missing(path("missing.txt"));
    EXPECT_EQ(missing.open(AM_File::kModeRead), 2u);
    EXPECT_EQ(missing.open(AM_File::kModeRead), 2u);
    AM_File other(path("other.txt"));
    EXPECT_EQ(other.open(AM_File::kModeWrite), 2u);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(capture.messageBoxes(),
              (std::vector<std::string>{"Orlen Error|file couldn't be opened " +
                                        dir.file("missing.txt") + " - 1"}));
}

TEST_F(FileTest, WriteFailureMessageNamesTheAccess)
{
    AM_File missing(path("missing.txt"));
    EXPECT_EQ(missing.open(AM_File::kModeReadWrite), 2u);
    EXPECT_EQ(capture.messageBoxes(),
              (std::vector<std::string>{"Orlen Error|file couldn't be written to " +
                                        dir.file("missing.txt") + " - 3"}));
}

TEST_F(FileTest, ReadWriteAndReplace)
{
    dir.writeFile("data.bin", "old contents that are long");
    AM_File file(path("data.bin"));

    // Mode 2 keeps the contents.
    ASSERT_EQ(file.open(AM_File::kModeReadWrite), 0u);
    uint32_t done = 99;
    EXPECT_EQ(file.writeBytes("OLD", 3, done), 0u);
    EXPECT_EQ(done, 3u);
    file.close();
    EXPECT_EQ(dir.readFile("data.bin"), "OLD contents that are long");

    // Mode 1 replaces them: no stale tail. A file open for writing only
    // refuses reading with 5 (access denied).
    ASSERT_EQ(file.open(AM_File::kModeWrite), 0u);
    char unread[4];
    EXPECT_EQ(file.readBytes(unread, sizeof unread, done), 5u);
    EXPECT_EQ(done, 0u);
    file.writeBytes("new", 3, done);
    EXPECT_EQ(file.close(), 0u);
    EXPECT_EQ(dir.readFile("data.bin"), "new");

    ASSERT_EQ(file.open(AM_File::kModeRead), 0u);
    uint64_t size = 0;
    EXPECT_EQ(file.size(size), 0u);
    EXPECT_EQ(size, 3u);
    char buffer[8] = {};
    EXPECT_EQ(file.readBytes(buffer, sizeof buffer, done), 0u);
    EXPECT_EQ(done, 3u);
    EXPECT_STREQ(buffer, "new");
    file.close();

    EXPECT_EQ(file.close(), 6u);
    EXPECT_EQ(file.readBytes(buffer, 1, done), 6u);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(file.open(7), 87u);
    EXPECT_TRUE(capture.messageBoxes().empty());
}

TEST_F(FileTest, FilesLeftOpenAreClosed)
{
    dir.writeFile("a", "x");
    const int before = openDescriptors();
    {
        AM_File file(path("a"));
        ASSERT_EQ(file.open(AM_File::kModeRead), 0u);
        ASSERT_EQ(file.open(AM_File::kModeRead), 0u); // reopening closes the first
        AM_File copy(file);
        EXPECT_FALSE(copy.isOpen());
        EXPECT_EQ(openDescriptors(), before + 1);
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(FileTest, NamesWithInvalidBytesStillWork)
{
    const std::string name = "caf\xE9.h2p"; // not valid UTF-8
    dir.writeFile(name, "bytes");
    AM_File file(path(name));
    ASSERT_EQ(file.open(AM_File::kModeRead), 0u);
    uint64_t size = 0;
    file.size(size);
    EXPECT_EQ(size, 5u);
}

} // namespace
