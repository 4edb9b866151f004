#include "foundation/AM_DataFolder.h"

#include "platform/Module.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr char kMaker[] = "Orlen";
constexpr char kProduct[] = "KestanK4";

std::string narrow(const AM_String& s)
{
    std::string out(static_cast<size_t>(s.getNarrowLength()) + 1, 0);
    s.getNarrow(out.data(), static_cast<int32_t>(out.size()) - 1);
    out.pop_back();
    return out;
}

std::string realPath(const std::string& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? resolved : path;
}

// Sets an environment variable for the scope and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = ::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
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

// The module lives in <tmp>/plugins/; the data home and the home folder are
// below <tmp> too.
class DataFolderTest : public ::testing::Test {
protected:
    DataFolderTest()
    {
        dir.makeDir("plugins");
        platform::overrideModulePath(dir.file("plugins/KestanK4.so").c_str());
        resetDataFolderSearch();
    }
    ~DataFolderTest() override
    {
        platform::overrideModulePath(nullptr);
        resetDataFolderSearch();
    }

    std::string special(int32_t kind, AM_FileErr* error = nullptr)
    {
        AM_Directory folder;
        const AM_FileErr result = getSpecialFolder(folder, kind, 1, kMaker, kProduct);
        if (error)
            *error = result;
        else
            EXPECT_EQ(result, 0u) << "kind " << kind;
        return narrow(folder.path());
    }

    testsupport::TempDir dir;
    ScopedEnv dataHome{"XDG_DATA_HOME", dir.file("share")};
    ScopedEnv home{"HOME", dir.file("home")};
    testsupport::TraceCapture capture;
};

TEST_F(DataFolderTest, NormalLayoutBelowTheDataHome)
{
    const std::string share = dir.file("share") + "/";
    struct Case {
        int32_t kind;
        std::string path;
    };
    const Case cases[] = {
        {1, share + "Orlen/KestanK4/Data/"},
        {2, share + "Orlen/Presets/KestanK4/"},
        {3, share + "Orlen/KestanK4/Modules/"},
        {4, share + "Orlen/KestanK4/MetaAssignment/"},
        {5, share + "Orlen/Tunefiles/"},
        {6, share + "Orlen/CCMaps/"},
        {7, dir.file("home/Documents") + "/"},
        {8, share + "Orlen/Support/"},
        {9, share + "VST/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(special(c.kind), c.path) << "kind " << c.kind;
        EXPECT_TRUE(dir.exists(c.path.substr(dir.path().size() + 1))) << c.path;
    }
    EXPECT_EQ(capture.count("TRYING TO RETRIEVE\n"), 1); // the search runs once
    EXPECT_TRUE(capture.contains("DOESN'T USE ALT LINK\n"));
    EXPECT_FALSE(capture.contains("going back from ProductApp Support"));
}

TEST_F(DataFolderTest, AlternateFolderBesideTheModule)
{
    dir.makeDir("plugins/KestanK4.data");
    const std::string root = dir.file("plugins/KestanK4.data") + "/";
    struct Case {
        int32_t kind;
        std::string path;
    };
    const Case cases[] = {
        {1, root + "Data/"},
        {2, root + "Presets/KestanK4/"},
        {3, root + "Modules/"},
        {4, root + "MetaAssignment/"},
        {5, root + "Tunefiles/"},
        {6, root + "CCMaps/"},
        {7, dir.file("home/Documents") + "/"},
        {8, root + "Support/"},
        {9, root + "VST/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(special(c.kind), c.path) << "kind " << c.kind;
        EXPECT_TRUE(dir.exists(c.path.substr(dir.path().size() + 1))) << c.path;
    }
    EXPECT_EQ(capture.count("TRYING TO RETRIEVE\n"), 1);
    EXPECT_TRUE(capture.contains("ALTERNATE_DIRECTORY, HERE WE GO:\n" + root + "\n" +
                                 "using ALTERNATE_DIRECTORY\n"));
    // Data, Modules and MetaAssignment skip the maker and product levels.
    EXPECT_EQ(capture.count("going back from ProductApp Support\n"), 3);
    EXPECT_FALSE(dir.exists("share/Orlen"));
}

TEST_F(DataFolderTest, LinkToAFolderElsewhere)
{
    dir.makeDir("elsewhere");
    ASSERT_EQ(
        ::symlink(dir.file("elsewhere").c_str(), dir.file("plugins/KestanK4.data.lnk").c_str()), 0);
    const std::string target = realPath(dir.file("elsewhere"));
    EXPECT_EQ(special(2), target + "/Presets/KestanK4/");
    EXPECT_TRUE(capture.contains("Link found, HERE WE GO:\n" +
                                 dir.file("plugins/KestanK4.data.lnk") + "\n" + target + "\n"));
}

TEST_F(DataFolderTest, BrokenLinkFallsBackForTheWholeProcess)
{
    ASSERT_EQ(::symlink(dir.file("gone").c_str(), dir.file("plugins/KestanK4.data.lnk").c_str()),
              0);
    EXPECT_EQ(special(2), dir.file("share") + "/Orlen/Presets/KestanK4/");
    EXPECT_TRUE(capture.contains("WRONG Link\n" + dir.file("plugins/KestanK4.data.lnk") + "\n"));

    // The root never moves back to an alternate folder while the process runs.
    dir.makeDir("plugins/KestanK4.data");
    EXPECT_EQ(special(2), dir.file("share") + "/Orlen/Presets/KestanK4/");
    EXPECT_EQ(capture.count("TRYING TO RETRIEVE"), 1);
}

TEST_F(DataFolderTest, FolderWinsOverLinkAndAPlainFileSelectsNothing)
{
    dir.writeFile("plugins/KestanK4.data", "not a folder");
    EXPECT_EQ(special(5), dir.file("share") + "/Orlen/Tunefiles/");

    resetDataFolderSearch();
    ::unlink(dir.file("plugins/KestanK4.data").c_str());
    dir.makeDir("plugins/KestanK4.data");
    dir.makeDir("elsewhere");
    ASSERT_EQ(
        ::symlink(dir.file("elsewhere").c_str(), dir.file("plugins/KestanK4.data.lnk").c_str()), 0);
    capture.clear();
    EXPECT_EQ(special(5), dir.file("plugins/KestanK4.data") + "/Tunefiles/");
    EXPECT_FALSE(capture.contains("Link found"));
}

TEST_F(DataFolderTest, OtherKindsLeaveTheFolderAlone)
{
    for (int32_t kind : {0, 10, -1}) {
        AM_Directory folder(AM_String("/unchanged/"));
        EXPECT_EQ(getSpecialFolder(folder, kind, 1, kMaker, kProduct), 0u);
        EXPECT_EQ(narrow(folder.path()), "/unchanged/");
    }
    EXPECT_FALSE(capture.contains("TRYING TO RETRIEVE"));
}

TEST_F(DataFolderTest, AFileInTheWayIsAnError)
{
    dir.writeFile("share/Orlen", "a file where the maker folder belongs");
    AM_FileErr error = 0;
    const std::string path = special(2, &error);
    EXPECT_EQ(error, 267u);
    EXPECT_EQ(path, dir.file("share") + "/"); // left where the failing step left it
}

TEST_F(DataFolderTest, UnknownModulePathUsesTheDataHome)
{
    platform::overrideModulePath("");
    AM_Directory root;
    EXPECT_EQ(getDataRootFolder(root), 0u);
    EXPECT_EQ(narrow(root.path()), dir.file("share") + "/");
    EXPECT_EQ(narrow(getAlternateDataFolder()), "");
}

TEST_F(DataFolderTest, RootFailureIsReportedNotHidden)
{
    dir.writeFile("blocked", "");
    ScopedEnv blocked("XDG_DATA_HOME", dir.file("blocked/share"));
    AM_Directory root(AM_String("/unchanged/"));
    EXPECT_NE(getDataRootFolder(root), 0u);
    EXPECT_EQ(narrow(root.path()), "/unchanged/");
}

TEST(ResolveShellLink, ReplacesTheBufferOnlyOnSuccess)
{
    testsupport::TempDir dir;
    dir.makeDir("target");
    ASSERT_EQ(::symlink(dir.file("target").c_str(), dir.file("link").c_str()), 0);
    char buffer[4096];
    std::snprintf(buffer, sizeof buffer, "%s", dir.file("link").c_str());
    EXPECT_TRUE(resolveShellLink(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), realPath(dir.file("target")));

    std::snprintf(buffer, sizeof buffer, "%s", dir.file("target").c_str());
    EXPECT_FALSE(resolveShellLink(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer), dir.file("target"));

    std::snprintf(buffer, sizeof buffer, "%s", dir.file("link").c_str());
    EXPECT_TRUE(resolveShellLink(buffer, 5));
    EXPECT_EQ(std::string(buffer), realPath(dir.file("target")).substr(0, 4));
}

} // namespace
