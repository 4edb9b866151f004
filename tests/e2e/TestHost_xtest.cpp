// The plug-in module itself in the project's test host: loaded from a copy
// beside its data folder, its editor opened in the host's window, at the
// size of the instrument's surface, with no trace line of a missing
// resource.
#include "EditorSession.h"
#include "HostedPlugin.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

bool displayReachable()
{
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

TEST(TestHostSurface, TheModulesEditorOpensAtItsSurfacesSizeWithEveryResourceFound)
{
    if (!displayReachable())
        GTEST_SKIP() << "no X display (DISPLAY unset)";
    namespace fs = std::filesystem;
    testsupport::TempDir dir;
    fs::copy_file(KK_PLUGIN_MODULE, dir.file("KestanK4.so"));
    fs::copy(KK_BUILD_DATA, dir.file("KestanK4.data"), fs::copy_options::recursive);
    fs::copy_file(std::string(KK_SOURCE_DATA) + "/Scripts/KestanK4.txt",
                  dir.file("KestanK4.data/Scripts/KestanK4.txt"),
                  fs::copy_options::overwrite_existing);
    // The module's trace goes to a file, read when it first writes.
    const std::string trace = dir.file("trace.txt");
    setenv("KESTANK4_TRACE", trace.c_str(), 1);

    vsthost::HostedPlugin plugin;
    std::string error;
    ASSERT_TRUE(plugin.load(dir.file("KestanK4.so"), vsthost::HostSettings{}, error)) << error;
    plugin.start();
    vsthost::EditorSession session(plugin);
    if (!session.open(error))
        GTEST_SKIP() << error;
    ASSERT_TRUE(session.idle(30, false));
    int width = 0, height = 0;
    ASSERT_TRUE(session.editorSize(width, height));
    EXPECT_EQ(session.window()->width(), width);
    EXPECT_EQ(session.window()->height(), height);
    // The surface is larger than the smallest editor and than a notice.
    EXPECT_GT(width, 800);
    EXPECT_GT(height, 500);
    std::vector<uint8_t> bgra;
    int shownWidth = 0, shownHeight = 0;
    EXPECT_TRUE(session.capture(bgra, shownWidth, shownHeight));
    session.close();
    plugin.unload();
    unsetenv("KESTANK4_TRACE");

    std::ifstream in(trace);
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_NE(text.str().find("Fontpath:"), std::string::npos) << "the trace file was written";
    for (const char* missing : {"no colour named", "no graphic named", "GR_PROPERTY line skipped",
                                "no target ->", "CONSISTENCY ERROR", "unknown type",
                                "Can't open", "Empty File", "The GUI is empty"})
        EXPECT_EQ(text.str().find(missing), std::string::npos) << missing << "\n" << text.str();
}

} // namespace
