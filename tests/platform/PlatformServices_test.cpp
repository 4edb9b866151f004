#include "platform/Clock.h"
#include "platform/Module.h"
#include "platform/UserFolders.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <stdlib.h>
#include <string>
#include <unistd.h>

namespace {

// Sets an environment variable for the scope and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = ::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

std::string realPath(const std::string& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? resolved : path;
}

TEST(Module, PathDefaultsToTheModuleHoldingThePlatform)
{
    std::string path;
    ASSERT_TRUE(platform::getModulePath(path));
    // Linked statically into this test program.
    EXPECT_EQ(path, realPath("/proc/self/exe"));
}

TEST(Module, AddressAndOverrideSelectTheModule)
{
    std::string path;
    // An address inside the shared C library.
    platform::setModuleAddress(reinterpret_cast<const void*>(&::getpid));
    ASSERT_TRUE(platform::getModulePath(path));
    EXPECT_NE(path.find("libc"), std::string::npos) << path;
    EXPECT_EQ(path[0], '/');

    platform::overrideModulePath("/opt/plugins/KestanK4.so");
    ASSERT_TRUE(platform::getModulePath(path));
    EXPECT_EQ(path, "/opt/plugins/KestanK4.so");
    platform::overrideModulePath("");
    EXPECT_FALSE(platform::getModulePath(path));
    EXPECT_TRUE(path.empty());

    platform::overrideModulePath(nullptr);
    platform::setModuleAddress(nullptr);
    ASSERT_TRUE(platform::getModulePath(path));
    EXPECT_EQ(path, realPath("/proc/self/exe"));
}

TEST(UserFolders, DataHomeFollowsTheEnvironmentAndIsCreated)
{
    testsupport::TempDir dir;
    ScopedEnv home("HOME", dir.path().c_str());
    std::string path;
    {
        ScopedEnv xdg("XDG_DATA_HOME", dir.file("xdg/").c_str());
        ASSERT_EQ(platform::getDataHomeFolder(path), 0u);
        EXPECT_EQ(path, dir.file("xdg"));
        EXPECT_TRUE(dir.exists("xdg"));
    }
    {
        ScopedEnv xdg("XDG_DATA_HOME", "relative/ignored");
        ASSERT_EQ(platform::getDataHomeFolder(path), 0u);
        EXPECT_EQ(path, dir.file(".local/share"));
        EXPECT_TRUE(dir.exists(".local/share"));
    }
    ASSERT_EQ(platform::getDocumentsFolder(path), 0u);
    EXPECT_EQ(path, dir.file("Documents"));
    EXPECT_TRUE(dir.exists("Documents"));

    dir.writeFile("blocked", "");
    ScopedEnv xdg("XDG_DATA_HOME", dir.file("blocked/share").c_str());
    EXPECT_NE(platform::getDataHomeFolder(path), 0u);
}

TEST(UserFolders, OnlyLinksToExistingFoldersResolve)
{
    testsupport::TempDir dir;
    dir.makeDir("target");
    dir.writeFile("file", "");
    ASSERT_EQ(::symlink(dir.file("target").c_str(), dir.file("toFolder").c_str()), 0);
    ASSERT_EQ(::symlink("target", dir.file("relative").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("file").c_str(), dir.file("toFile").c_str()), 0);
    ASSERT_EQ(::symlink(dir.file("gone").c_str(), dir.file("dangling").c_str()), 0);

    std::string target = "unchanged";
    EXPECT_TRUE(platform::resolveFolderLink(dir.file("toFolder").c_str(), target));
    EXPECT_EQ(target, realPath(dir.file("target")));
    EXPECT_TRUE(platform::resolveFolderLink(dir.file("relative").c_str(), target));
    EXPECT_EQ(target, realPath(dir.file("target")));
    target = "unchanged";
    for (const char* name : {"toFile", "dangling", "target", "missing"}) {
        EXPECT_FALSE(platform::resolveFolderLink(dir.file(name).c_str(), target)) << name;
        EXPECT_EQ(target, "unchanged") << name;
    }
}

TEST(Clock, TickCountsAgree)
{
    const uint64_t wide = platform::tickCount64();
    const uint32_t narrow = platform::tickCount();
    const uint64_t later = platform::tickCount64();
    EXPECT_GE(later, wide);
    // The 32-bit count is the low part of the 64-bit one, taken in between.
    EXPECT_LE(static_cast<uint32_t>(narrow - static_cast<uint32_t>(wide)),
              static_cast<uint32_t>(later - wide));
}

} // namespace
