#include "foundation/AM_Directory.h"
#include "foundation/AM_DirectoryIterator.h"
#include "foundation/AM_File.h"
#include "foundation/AM_FileMessages.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string narrow(const AM_String& s)
{
    std::string out(static_cast<size_t>(s.getNarrowLength()) + 1, 0);
    s.getNarrow(out.data(), static_cast<int32_t>(out.size()) - 1);
    out.pop_back();
    return out;
}

class DirectoryTest : public ::testing::Test {
protected:
    DirectoryTest() { AM_FileMessages::reset(); }
    ~DirectoryTest() override { AM_FileMessages::reset(); }
    std::string root() const { return dir.path() + "/"; }

    testsupport::TempDir dir;
    testsupport::TraceCapture capture;
    AM_Directory folder{AM_String(dir.path().c_str())};
};

TEST_F(DirectoryTest, CreatingANewFileTwice)
{
    AM_File file;
    EXPECT_EQ(folder.createFile("new.txt", file, false), 0u);
    EXPECT_EQ(narrow(file.path()), root() + "new.txt");
    EXPECT_FALSE(file.isOpen());
    AM_File again;
    EXPECT_EQ(folder.createFile("new.txt", again, false), 80u);
    EXPECT_EQ(again.path().length(), 0);
    EXPECT_EQ(folder.createFile("new.txt", again, false), 80u);
    EXPECT_EQ(capture.messageBoxes(),
              (std::vector<std::string>{"Orlen Error|file couldn't be created to " + root() +
                                        "new.txt"}));
}

TEST_F(DirectoryTest, OverwritingCreationEmptiesTheFile)
{
    dir.writeFile("old.txt", "old contents");
    AM_File file;
    EXPECT_EQ(folder.createFile("old.txt", file, true), 0u);
    EXPECT_EQ(dir.readFile("old.txt"), "");
}

TEST_F(DirectoryTest, SubFolders)
{
    EXPECT_EQ(folder.createSubDirectory("sub"), 0u);
    EXPECT_EQ(folder.createSubDirectory("sub"), 183u);
    bool isFolder = false;
    EXPECT_TRUE(folder.exists("sub", &isFolder));
    EXPECT_TRUE(isFolder);
    EXPECT_FALSE(folder.exists("nothing", &isFolder));

    dir.writeFile("sub/x", "");
    AM_Directory sub(AM_String((root() + "sub").c_str()));
    EXPECT_EQ(sub.remove(), 145u);
}

TEST_F(DirectoryTest, EnteringChildren)
{
    // Missing without create: success, nothing changes (the caller checks).
    EXPECT_EQ(folder.enterSubDirectory("missing", false), 0u);
    EXPECT_EQ(narrow(folder.path()), root());

    EXPECT_EQ(folder.enterSubDirectory("made", true), 0u);
    EXPECT_EQ(narrow(folder.path()), root() + "made/");
    EXPECT_TRUE(dir.exists("made"));

    // A file where a folder is expected is an error, not a silent success.
    dir.writeFile("made/plain", "");
    EXPECT_EQ(folder.enterSubDirectory("plain", true), 267u);
    EXPECT_EQ(narrow(folder.path()), root() + "made/");

    EXPECT_EQ(folder.createAndEnter("deeper"), 0u);
    EXPECT_EQ(narrow(folder.path()), root() + "made/deeper/");
    EXPECT_EQ(folder.moveToParent(), 0u);
    EXPECT_EQ(folder.createAndEnter("deeper"), 183u);
}

TEST_F(DirectoryTest, GettingFiles)
{
    dir.writeFile("there.txt", "x");
    dir.makeDir("folder");
    AM_File file;
    EXPECT_EQ(folder.getFile("there.txt", file, false), 0u);
    EXPECT_EQ(narrow(file.path()), root() + "there.txt");

    AM_File untouched(AM_String("/unchanged"));
    EXPECT_EQ(folder.getFile("missing.txt", untouched, false), 0u);
    EXPECT_EQ(narrow(untouched.path()), "/unchanged");
    EXPECT_EQ(folder.getFile("folder", untouched, true), 5u);
    EXPECT_EQ(narrow(untouched.path()), "/unchanged");

    EXPECT_EQ(folder.getFile("created.txt", file, true), 0u);
    EXPECT_TRUE(dir.exists("created.txt"));
}

TEST_F(DirectoryTest, EmptyNamesAndPathlessFoldersAreRefused)
{
    AM_File file;
    EXPECT_EQ(folder.enterSubDirectory("", true), 123u);
    EXPECT_EQ(folder.createSubDirectory(""), 123u);
    AM_Directory pathless;
    EXPECT_EQ(pathless.enterSubDirectory("x", true), 3u);
    EXPECT_EQ(pathless.getFile("x", file, true), 3u);
    EXPECT_FALSE(pathless.exists("x"));
}

std::vector<std::string> list(const AM_Directory& folder, AM_FileFilter filter,
                              std::vector<int32_t>* types = nullptr)
{
    AM_DirectoryIterator it(folder, filter);
    std::vector<std::string> names;
    while (AM_FileObject* object = it.next()) {
        std::unique_ptr<AM_FileObject> owned(object);
        AM_String name;
        object->getName(name);
        names.push_back(narrow(name));
        if (types)
            types->push_back(object->getType());
    }
    EXPECT_EQ(it.next(), nullptr);
    return names;
}

TEST_F(DirectoryTest, ListingIsSortedAndTyped)
{
    for (const char* name : {"beta.h2p", "Alpha.h2p", "alpha.fxp", "zeta.txt"})
        dir.writeFile(name, "");
    dir.makeDir("Bank");
    ASSERT_EQ(symlink((root() + "Bank").c_str(), (root() + "link").c_str()), 0);
    std::vector<int32_t> types;
    EXPECT_EQ(list(folder, nullptr, &types),
              (std::vector<std::string>{"alpha.fxp", "Alpha.h2p", "Bank", "beta.h2p", "link",
                                        "zeta.txt"}));
    EXPECT_EQ(types, (std::vector<int32_t>{1, 1, 2, 1, 2, 1}));

    // A refused object is deleted (the sanitizer build checks for leaks).
    auto onlyPresets = [](AM_FileObject* object) {
        return object->path().endsWith(AM_String(".h2p"));
    };
    EXPECT_EQ(list(folder, onlyPresets), (std::vector<std::string>{"Alpha.h2p", "beta.h2p"}));
}

TEST_F(DirectoryTest, ListingAMissingFolderIsEmpty)
{
    AM_Directory missing(AM_String((root() + "missing").c_str()));
    EXPECT_TRUE(list(missing, nullptr).empty());
    AM_Directory pathless;
    EXPECT_TRUE(list(pathless, nullptr).empty());
}

} // namespace
