#include "foundation/AM_FileOperations.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AM_FileOperations, CopyAndMoveByWidePath)
{
    testsupport::TempDir dir;
    const std::string name = "Bass \xE9.h2p"; // a name that is not valid UTF-8
    dir.writeFile(name, "preset");
    const AM_String from(dir.file(name).c_str());
    const AM_String copy(dir.file("copy.h2p").c_str());
    EXPECT_EQ(AM_copyFile(from, copy, true), 0u);
    EXPECT_EQ(AM_copyFile(from, copy, true), 80u);
    EXPECT_EQ(dir.readFile("copy.h2p"), "preset");

    const AM_String moved(dir.file("sub/moved.h2p").c_str());
    EXPECT_EQ(AM_moveFile(from, moved), 3u); // no folder "sub"
    dir.makeDir("sub");
    EXPECT_EQ(AM_moveFile(from, moved), 0u);
    EXPECT_FALSE(dir.exists(name));
    EXPECT_EQ(AM_moveFile(copy, moved), 183u);

    std::string tooLong(5000, 'x');
    EXPECT_EQ(AM_copyFile(AM_String(tooLong.c_str()), copy, false), 206u);
}

} // namespace
