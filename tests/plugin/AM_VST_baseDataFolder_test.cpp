// Entries of the data folder that are not regular files, where the plug-in
// reads its start-up files: a named pipe would block a plain open for ever
// and with it the host's loading of the plug-in.

#include "PluginFixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using namespace plugintest;

class PluginDataFolderTest : public PluginTest {};

TEST_F(PluginDataFolderTest, NamedPipesInTheDataFolderAreRefusedAndTheLoadGoesOn)
{
    const std::string presets = "KestanK4.data/Presets/KestanK4/";
    const char* pipes[] = {
        "MIDI Programs/A program.h2p",
        "default.h2p",
    };
    dir.makeDir(presets + "MIDI Programs");
    dir.makeDir("KestanK4.data/Support");
    for (const char* pipe : pipes)
        ASSERT_EQ(::mkfifo(dir.file(presets + pipe).c_str(), 0644), 0) << pipe;
    const std::string map = "KestanK4.data/Support/com.Orlen.KestanK4.midimap.txt";
    ASSERT_EQ(::mkfifo(dir.file(map).c_str(), 0644), 0);

    AEffect* e = open();
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(trace.contains("Can't load Midimap: 5"));
    EXPECT_TRUE(trace.contains("Eeek, AM_FileErr occurred on AM_File->open()"));
    Player player(e, host);
    const Stereo sound = player.render(kBlock * 8, kBlock, {{0, 0x90, 60, 100}});
    EXPECT_GT(sound.peak(), 0.0f);

    // Closing the last instance neither waits on the pipe nor replaces it.
    close(e);
    struct stat st {};
    ASSERT_EQ(::stat(dir.file(map).c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

} // namespace
