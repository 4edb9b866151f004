#include "presets/folders/PresetFolder.h"

#include "PresetTestChain.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using presettest::folderAt;
using presettest::makeChain;

std::unique_ptr<PresetFolder> folderOn(const std::string& path, uint8_t depth,
                                       const char* name = nullptr)
{
    return std::make_unique<PresetFolder>(std::make_unique<AM_Directory>(AM_String(path.c_str())),
                                          depth, name);
}

TEST(PresetFolder, NamePathAndRelativePath)
{
    struct Case {
        std::string path;
        uint8_t depth;
        const char* givenName;
        std::string name;
        std::string fullPath;
        std::string relativePath;
    };
    const std::string longName(80, 'n');
    const std::vector<Case> cases = {
        {"/d/Presets", 0, nullptr, "Presets", "/d/Presets/", "/"},
        {"/d/Presets/", 0, "Local", "Local", "/d/Presets/", "/"},
        {"/d/Presets/Pads", 1, nullptr, "Pads", "/d/Presets/Pads/", "/Pads/"},
        {"/d/Presets/Pads/Warm/", 2, nullptr, "Warm", "/d/Presets/Pads/Warm/", "/Pads/Warm/"},
        {"/d/Presets/x", 0, "", "", "/d/Presets/x/", "/"},
        {"/d/Presets/x", 0, longName.c_str(), std::string(63, 'n'), "/d/Presets/x/", "/"},
        // A backslash is an ordinary character of a name here.
        {"/d/P/back\\slash", 1, nullptr, "back\\slash", "/d/P/back\\slash/", "/back\\slash/"},
        // More levels than the path has names: the whole path.
        {"/a/", 5, nullptr, "a", "/a/", "/a/"},
        // Bytes that are not UTF-8 survive.
        {"/d/P/bad\xFF", 1, nullptr, "bad\xFF", "/d/P/bad\xFF/", "/bad\xFF/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto folder = folderOn(c.path, c.depth, c.givenName);
        EXPECT_EQ(std::string(folder->name()), c.name);
        EXPECT_EQ(folder->path(), c.fullPath);
        EXPECT_EQ(std::string(folder->relativePath()), c.relativePath);
        EXPECT_EQ(folder->depth(), c.depth);
        EXPECT_FALSE(folder->isCollapsed());
        EXPECT_EQ(folder->next(), nullptr);
        EXPECT_EQ(folder->previous(), nullptr);
        EXPECT_EQ(folder->items(), nullptr);
    }
}

TEST(PresetFolder, WithoutADirectory)
{
    PresetFolder folder(nullptr, 0, "Local");
    EXPECT_STREQ(folder.name(), "Local");
    EXPECT_EQ(folder.path(), "/");
    EXPECT_STREQ(folder.relativePath(), "/");
    EXPECT_EQ(folder.scanFiles(0), 0);
    EXPECT_EQ(folder.listFiles(0), nullptr);
    EXPECT_EQ(folder.scanSubFolderTree(folder.directory(), &folder, 1), 0);
}

// Local
//   A
//     X
//   B
//     A      (a second "A", one level deeper)
//     C
//       D
//   E
class FolderTree : public ::testing::Test {
protected:
    std::unique_ptr<PresetFolder> root = makeChain(
        {{"Local", 0}, {"A", 1}, {"X", 2}, {"B", 1}, {"A", 2}, {"C", 2}, {"D", 3}, {"E", 1}});
    PresetFolder* at(int index) { return folderAt(root.get(), index); }
};

TEST_F(FolderTree, AppendLinksBothWays)
{
    for (int i = 1; i < 8; ++i) {
        EXPECT_EQ(at(i)->previous(), at(i - 1));
        EXPECT_EQ(PresetFolder::previousFolder(root.get(), at(i)), at(i - 1));
    }
    EXPECT_EQ(at(7)->next(), nullptr);
    EXPECT_STREQ(at(6)->relativePath(), "/B/C/D/");
}

TEST_F(FolderTree, FindByPath)
{
    struct Case {
        std::string path;
        int expected; // position in the chain, -1 for none
    };
    const std::vector<Case> cases = {
        {"Local", 0},
        {"Local/A", 1},
        {"Local/A/X", 2},
        {"Local/B", 3},
        {"Local/B/A", 4},
        {"Local/B/C/D", 6},
        {"Local/E", 7},
        // Names that exist only deeper than the level asked for.
        {"Local/X", -1},
        {"Local/C", -1},
        {"Local/A/D", -1},
        {"Local/B/D", -1},
        // Empty names.
        {"", -1},
        {"Local/", -1},
        {"/Local", -1},
        {"Local//A", -1},
        {"Other", -1},
        {"Local/A/X/Y", -1},
        {"Loc", -1},
        {"Local/a", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(root->findByPath(c.path.c_str()), c.expected < 0 ? nullptr : at(c.expected));
    }
    EXPECT_EQ(root->findByPath(nullptr), nullptr);
}

TEST(PresetFolder, FindByPathAcceptsUpTo255Bytes)
{
    // "Loc" and four names of 62 bytes: 3 + 4 x 63 = 255 bytes.
    const std::string name(62, 'n');
    const auto root = makeChain({{"Loc", 0},
                                 {name.c_str(), 1},
                                 {name.c_str(), 2},
                                 {name.c_str(), 3},
                                 {name.c_str(), 4},
                                 {"x", 5}});
    std::string path = "Loc";
    for (int level = 1; level <= 4; ++level)
        path += "/" + name;
    ASSERT_EQ(path.size(), 255u);
    EXPECT_EQ(root->findByPath(path.c_str()), folderAt(root.get(), 4));
    EXPECT_EQ(root->findByPath((path + "/x").c_str()), nullptr);
    EXPECT_EQ(root->findByPath((path + "/").c_str()), nullptr);
}

TEST_F(FolderTree, FindByName)
{
    EXPECT_EQ(root->findByName("A"), at(1));
    EXPECT_EQ(at(2)->findByName("A"), at(4));
    EXPECT_EQ(root->findByName("Local"), root.get());
    EXPECT_EQ(at(1)->findByName("Local"), nullptr);
    EXPECT_EQ(root->findByName("a"), nullptr);
    EXPECT_EQ(root->findByName(nullptr), nullptr);
}

TEST_F(FolderTree, CountFoldersSkipsWhatACollapsedFolderHides)
{
    struct Case {
        std::vector<int> collapsed;
        int visible;
    };
    const std::vector<Case> cases = {
        {{}, 8},     {{3}, 5}, // B hides A, C and D
        {{3, 5}, 5},           // C inside the collapsed B changes nothing
        {{5}, 7},              // C hides D
        {{1}, 7},              // A hides X
        {{2}, 8},              // X has nothing to hide
        {{7}, 8},              // nor has the last folder
        {{0}, 1},              // the root hides everything
    };
    for (const Case& c : cases) {
        for (int i = 0; i < 8; ++i)
            at(i)->setCollapsed(false);
        for (int index : c.collapsed)
            at(index)->setCollapsed(true);
        EXPECT_EQ(root->countFolders(false), c.visible) << "first collapsed " << c.collapsed.size();
        EXPECT_EQ(root->countFolders(true), 8);
    }
    EXPECT_EQ(at(5)->countFolders(true), 3);
}

TEST_F(FolderTree, PreviousLastAndParent)
{
    EXPECT_EQ(PresetFolder::previousFolder(root.get(), root.get()), nullptr);
    EXPECT_EQ(PresetFolder::previousFolder(root.get(), nullptr), nullptr);
    const auto outsider = folderOn("/elsewhere", 1);
    EXPECT_EQ(PresetFolder::previousFolder(root.get(), outsider.get()), nullptr);
    EXPECT_EQ(PresetFolder::lastFolder(root.get()), at(7));
    EXPECT_EQ(PresetFolder::lastFolder(at(7)), at(7));
    EXPECT_EQ(PresetFolder::lastFolder(nullptr), nullptr);

    const int parents[] = {-1, 0, 1, 0, 3, 3, 5, 0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(at(i)->parent(), parents[i] < 0 ? nullptr : at(parents[i])) << "folder " << i;
}

TEST(PresetFolder, LiveFolderCount)
{
    const int32_t before = PresetFolder::liveFolders();
    auto root = makeChain({{"Local", 0}, {"A", 1}, {"B", 1}});
    EXPECT_EQ(PresetFolder::liveFolders(), before + 3);
    root->append(folderOn("/data/Local/C", 1));
    EXPECT_EQ(PresetFolder::liveFolders(), before + 4);
    root.reset();
    EXPECT_EQ(PresetFolder::liveFolders(), before);
}

// Deleting a chain must not recurse once per folder.
TEST(PresetFolder, AVeryLongChainIsDeleted)
{
    constexpr int kFolders = 300000;
    const int32_t before = PresetFolder::liveFolders();
    auto root = std::make_unique<PresetFolder>(nullptr, 0, "Local");
    PresetFolder* last = root.get();
    for (int i = 1; i < kFolders; ++i) {
        last->append(std::make_unique<PresetFolder>(nullptr, 1, "f"));
        last = last->next();
    }
    EXPECT_EQ(root->countFolders(true), kFolders);
    root.reset();
    EXPECT_EQ(PresetFolder::liveFolders(), before);
}

} // namespace
