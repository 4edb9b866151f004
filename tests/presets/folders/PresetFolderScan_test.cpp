#include "presets/folders/PresetFolder.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// "name depth relative-path" for every folder of a chain.
std::vector<std::string> describe(const PresetFolder* first)
{
    std::vector<std::string> out;
    for (const PresetFolder* folder = first; folder != nullptr; folder = folder->next())
        out.push_back(std::string(folder->name()) + " " + std::to_string(folder->depth()) + " " +
                      folder->relativePath());
    return out;
}

std::vector<std::string> itemNames(const PresetListItem* first)
{
    std::vector<std::string> out;
    for (const PresetListItem* item = first; item != nullptr; item = item->next())
        out.push_back(std::string(item->name()) + "." + item->extension());
    return out;
}

class FolderScan : public ::testing::Test {
protected:
    std::unique_ptr<PresetFolder> rootOn(const std::string& relative, const char* name = "Bank0")
    {
        const std::string path = relative.empty() ? dir.path() : dir.file(relative);
        return std::make_unique<PresetFolder>(
            std::make_unique<AM_Directory>(AM_String(path.c_str())), 0, name);
    }
    void link(const std::string& target, const std::string& relative) const
    {
        ASSERT_EQ(::symlink(target.c_str(), dir.file(relative).c_str()), 0);
    }

    testsupport::TempDir dir;
    testsupport::TraceCapture trace;
};

TEST_F(FolderScan, DepthFirstInNameOrderWithoutFiles)
{
    dir.makeDir("Pads");
    dir.makeDir("bass/Sub2");
    dir.makeDir("bass/sub1");
    dir.makeDir("Leads/Mono/Hard");
    dir.writeFile("top.h2p", "x");
    dir.writeFile("bass/b.fxp", "x");
    const auto root = rootOn("");
    EXPECT_EQ(root->scanSubFolderTree(root->directory(), root.get(), 1), 7);
    EXPECT_EQ(describe(root.get()), (std::vector<std::string>{
                                        "Bank0 0 /",
                                        "bass 1 /bass/",
                                        "sub1 2 /bass/sub1/",
                                        "Sub2 2 /bass/Sub2/",
                                        "Leads 1 /Leads/",
                                        "Mono 2 /Leads/Mono/",
                                        "Hard 3 /Leads/Mono/Hard/",
                                        "Pads 1 /Pads/",
                                    }));
    for (PresetFolder* folder = root->next(); folder != nullptr; folder = folder->next()) {
        EXPECT_EQ(folder->previous(), PresetFolder::previousFolder(root.get(), folder));
        EXPECT_EQ(folder->path(), dir.path() + folder->relativePath());
        EXPECT_EQ(folder->items(), nullptr);
    }
    EXPECT_EQ(root->findByPath("Bank0/Leads/Mono/Hard"),
              PresetFolder::lastFolder(root.get())->previous());
}

TEST_F(FolderScan, ScanSubFoldersAppendsToTheGivenChain)
{
    dir.makeDir("src/one");
    dir.makeDir("other");
    const auto source = rootOn("src");
    const auto own = rootOn("other", "Own");
    const auto head = rootOn("other", "Head");
    EXPECT_EQ(own->scanSubFolders(source->directory(), nullptr, 1), 1);
    EXPECT_EQ(own->scanSubFolders(source->directory(), head.get(), 1), 1);
    EXPECT_EQ(describe(own.get()), (std::vector<std::string>{"Own 0 /", "one 1 /one/"}));
    EXPECT_EQ(describe(head.get()), (std::vector<std::string>{"Head 0 /", "one 1 /one/"}));
    EXPECT_EQ(own->scanSubFolderTree(source->directory(), nullptr, 1), 0);
}

TEST_F(FolderScan, LinksToFoldersAreNotFollowed)
{
    dir.makeDir("real/inner");
    link(dir.path(), "loop");        // would make the tree endless
    link(dir.file("real"), "alias"); // would list "real" twice
    link("missing", "dangling");
    const auto root = rootOn("");
    EXPECT_EQ(root->scanSubFolderTree(root->directory(), root.get(), 1), 2);
    EXPECT_EQ(describe(root.get()),
              (std::vector<std::string>{"Bank0 0 /", "real 1 /real/", "inner 2 /real/inner/"}));
    EXPECT_TRUE(trace.contains("preset folder link not followed: " + dir.file("loop/")));
    EXPECT_TRUE(trace.contains("preset folder link not followed: " + dir.file("alias/")));
    EXPECT_FALSE(trace.contains("dangling"));
}

TEST_F(FolderScan, StopsAtTheDepthLimit)
{
    std::string nested;
    for (int level = 1; level <= PresetFolder::kMaxScanDepth + 4; ++level)
        nested += (level > 1 ? "/d" : "d");
    dir.makeDir(nested);
    const auto root = rootOn("");
    EXPECT_EQ(root->scanSubFolderTree(root->directory(), root.get(), 1),
              PresetFolder::kMaxScanDepth);
    const PresetFolder* deepest = PresetFolder::lastFolder(root.get());
    EXPECT_EQ(deepest->depth(), PresetFolder::kMaxScanDepth);
    EXPECT_EQ(std::string(deepest->relativePath()), "/" + nested.substr(0, 31) + "/");
    EXPECT_EQ(trace.count("preset folders deeper than 16 levels are not scanned"), 1);
}

TEST_F(FolderScan, StopsAtTheFolderLimit)
{
    for (int i = 0; i < PresetFolder::kMaxScannedFolders + 3; ++i)
        dir.makeDir("f" + std::to_string(i));
    const auto root = rootOn("");
    EXPECT_EQ(root->scanSubFolderTree(root->directory(), root.get(), 1),
              PresetFolder::kMaxScannedFolders);
    EXPECT_EQ(root->countFolders(true), PresetFolder::kMaxScannedFolders + 1);
    EXPECT_EQ(trace.count("preset folder scan stopped after 4096 folders"), 1);
}

TEST_F(FolderScan, AMissingOrFileRootGivesNothing)
{
    dir.writeFile("file.h2p", "x");
    for (const char* relative : {"missing", "file.h2p"}) {
        SCOPED_TRACE(relative);
        const auto root = rootOn(relative);
        EXPECT_EQ(root->scanSubFolderTree(root->directory(), root.get(), 1), 0);
        EXPECT_EQ(root->scanFiles(0), 0);
        EXPECT_EQ(root->next(), nullptr);
    }
}

// Names are bytes: neither invalid UTF-8 nor a backslash may break the path
// that leads back to the folder's files.
TEST_F(FolderScan, OddNamesLeadBackToTheirFiles)
{
    const std::vector<std::string> names = {"bad\xFF\xFE", "back\\slash", " spaced ", "a.b"};
    for (const std::string& name : names)
        dir.writeFile(name + "/p.h2p", "x");
    const auto root = rootOn("", "Local");
    EXPECT_EQ(root->scanSubFolderTree(root->directory(), root.get(), 1), 4);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        PresetFolder* folder = root->findByPath(("Local/" + name).c_str());
        ASSERT_NE(folder, nullptr);
        EXPECT_EQ(std::string(folder->name()), name);
        EXPECT_EQ(std::string(folder->relativePath()), "/" + name + "/");
        EXPECT_EQ(folder->scanFiles(2), 1);
        EXPECT_EQ(itemNames(folder->items()), (std::vector<std::string>{"p.h2p"}));
    }
}

TEST_F(FolderScan, ListTypesChooseTheFiles)
{
    for (const char* name : {"a.aupreset", "b.fxp", "c.h2p", "d.tun", "e.txt"})
        dir.writeFile(name, "x");
    dir.makeDir("sub.h2p");
    const std::vector<std::string> presets = {"a.aupreset", "b.fxp", "c.h2p"};
    const std::vector<std::string> everything = {"a.aupreset", "b.fxp", "c.h2p",
                                                 "d.tun",      "e.txt", "sub.h2p"};
    struct Case {
        int32_t type;
        std::vector<std::string> listed;
    };
    const std::vector<Case> cases = {
        {0, presets},   {1, presets},    {2, {"c.h2p"}},   {3, everything},
        {4, {"d.tun"}}, {5, everything}, {-1, everything},
    };
    const auto root = rootOn("");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(root->scanFiles(c.type), static_cast<int32_t>(c.listed.size()));
        EXPECT_EQ(itemNames(root->items()), c.listed);
        for (const PresetListItem* item = root->items(); item != nullptr; item = item->next())
            EXPECT_EQ(item->folder(), root.get());
    }
}

TEST_F(FolderScan, ScanFilesReplacesTheListing)
{
    dir.writeFile("a.h2p", "x");
    dir.writeFile("b.h2p", "x");
    const auto root = rootOn("");
    EXPECT_EQ(root->scanFiles(2), 2);
    ::unlink(dir.file("a.h2p").c_str());
    dir.writeFile("c.h2p", "x");
    EXPECT_EQ(root->scanFiles(2), 2);
    EXPECT_EQ(itemNames(root->items()), (std::vector<std::string>{"b.h2p", "c.h2p"}));

    // A separate listing leaves the folder's own alone.
    const std::unique_ptr<PresetListItem> other = root->listFiles(4);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(root->items()->count(true), 2);

    // Once the directory is discarded the folder lists nothing.
    root->discardDirectory();
    EXPECT_EQ(root->scanFiles(2), 0);
    EXPECT_EQ(root->items(), nullptr);
    EXPECT_EQ(root->path(), dir.path() + "/");
}

} // namespace
