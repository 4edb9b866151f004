#include "gui/graphics/image/AM_PngFolder.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PngFolder, ListsPngFilesInFrameOrder)
{
    testsupport::TempDir dir;
    for (const char* name : {"frame10.png", "Frame02.PNG", "frame01.png", "notes.txt", ".png",
                             "frame03.png.bak", "b.png"})
        dir.writeFile(name, "x");
    dir.makeDir("folder.png");
    std::vector<std::string> names = {"stale"};
    ASSERT_TRUE(AM_listPngFiles(dir.path().c_str(), names));
    EXPECT_EQ(names,
              (std::vector<std::string>{"b.png", "frame01.png", "Frame02.PNG", "frame10.png"}));
}

TEST(PngFolder, MissingFolderListsNothing)
{
    testsupport::TempDir dir;
    std::vector<std::string> names = {"stale"};
    EXPECT_FALSE(AM_listPngFiles(dir.file("missing").c_str(), names));
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(AM_listPngFiles(nullptr, names));
}

} // namespace
