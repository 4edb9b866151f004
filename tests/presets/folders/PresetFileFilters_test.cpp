#include "presets/folders/PresetFileFilters.h"

#include "foundation/AM_File.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct FilterCase {
    const char* path;
    bool folder;
    bool preset;
    bool native;
    bool tuning;
};

const FilterCase kFilterCases[] = {
    {"/p/a.fxp", false, true, false, false},
    {"/p/a.h2p", false, true, true, false},
    {"/p/a.aupreset", false, true, false, false},
    {"/p/a.tun", false, false, false, true},
    // The test is on the last letters only.
    {"/p/bigfxp", false, true, false, false},
    {"/p/notun", false, false, false, true},
    // Case matters: the loader recognises the lower-case extensions only.
    {"/p/a.FXP", false, false, false, false},
    {"/p/a.H2P", false, false, false, false},
    {"/p/a.fxp.txt", false, false, false, false},
    {"/p/a.fxp.bak0", false, false, false, false},
    // Folders are refused whatever their name.
    {"/p/a.h2p", true, false, false, false},
    {"/p/a.tun", true, false, false, false},
    {"/p/a.aupreset", true, false, false, false},
};

std::unique_ptr<AM_FileObject> entryFor(const FilterCase& c)
{
    if (c.folder)
        return std::make_unique<AM_Directory>(AM_String(c.path));
    return std::make_unique<AM_File>(AM_String(c.path));
}

TEST(PresetFileFilters, AcceptByEndingAndRefuseFolders)
{
    for (const FilterCase& c : kFilterCases) {
        SCOPED_TRACE(std::string(c.path) + (c.folder ? " (folder)" : " (file)"));
        const std::unique_ptr<AM_FileObject> entry = entryFor(c);
        EXPECT_EQ(isPresetFile(entry.get()), c.preset);
        EXPECT_EQ(isNativePresetFile(entry.get()), c.native);
        EXPECT_EQ(isTuningFile(entry.get()), c.tuning);
    }
}

TEST(PresetFileFilters, NoEntryIsRefused)
{
    EXPECT_FALSE(isPresetFile(nullptr));
    EXPECT_FALSE(isNativePresetFile(nullptr));
    EXPECT_FALSE(isTuningFile(nullptr));
}

} // namespace
