#include "LibraryFixture.h"

#include <string>

namespace librarytest {
namespace {

class ImportTest : public LibraryTest {
protected:
    ImportTest()
    {
        write(presets() + "/Bass.h2p", "bass");
        write(presets() + "/Lead.h2p", "lead");
        write(presets() + "/Keys/Bass.h2p", "other bass");
        write(presets() + "/Keys/Bass 1.h2p", "other bass 1");
        write("outside/Bass.h2p", "outside bass");
        list = library->addModulePresetList("Presets", PresetListType::kPatch);
        root = list->folders();
        keys = root->findByPath("Local/Keys");
        library->setCurrentFolder(root, "Presets");
        list->setTag(list->items(), "Favourites", true);   // Bass.h2p
        list->setTag(list->items()->next(), "Junk", true); // Lead.h2p
    }
    std::string source(const std::string& name) const { return dir.file(presets() + "/" + name); }
    std::string inKeys(const std::string& name) const
    {
        return dir.readFile(presets() + "/Keys/" + name);
    }
    ModulePresetList* list;
    PresetFolder* root;
    PresetFolder* keys;
};

TEST_F(ImportTest, CopyNumbersClashesAndAddsTheTag)
{
    const std::string paths = source("Bass.h2p") + "\r\n" + source("Lead.h2p") + "\n\n";
    EXPECT_EQ(list->importFiles(paths.c_str(), keys, true), 2);
    EXPECT_EQ(inKeys("Bass 2.h2p"), "bass"); // "Bass.h2p" and "Bass 1.h2p" are taken
    EXPECT_EQ(inKeys("Lead.h2p"), "lead");
    EXPECT_EQ(inKeys("Bass.h2p"), "other bass");
    EXPECT_EQ(dir.readFile(presets() + "/Bass.h2p"), "bass"); // the source stays
    EXPECT_TRUE(list->favouritesTagger()->hasTag("/Keys/", "Bass 2.h2p"));
    EXPECT_TRUE(list->favouritesTagger()->hasTag("/", "Bass.h2p")); // and keeps its tag
    EXPECT_TRUE(list->junkTagger()->hasTag("/Keys/", "Lead.h2p"));
    EXPECT_TRUE(trace.contains("copying '" + source("Bass.h2p") + "'"));

    // A copy within one folder gets a number too.
    EXPECT_EQ(list->importFiles(source("Lead.h2p").c_str(), root, true), 1);
    EXPECT_EQ(dir.readFile(presets() + "/Lead 1.h2p"), "lead");
}

TEST_F(ImportTest, MoveCarriesTheTagOnlyAfterSuccess)
{
    EXPECT_EQ(list->importFiles(source("Bass.h2p").c_str(), keys, false), 1);
    EXPECT_FALSE(dir.exists(presets() + "/Bass.h2p"));
    EXPECT_EQ(inKeys("Bass 2.h2p"), "bass");
    EXPECT_FALSE(list->favouritesTagger()->hasTag("/", "Bass.h2p"));
    EXPECT_TRUE(list->favouritesTagger()->hasTag("/Keys/", "Bass 2.h2p"));

    // A move that fails keeps the tag where it was.
    ASSERT_EQ(::rename(dir.file(presets() + "/Lead.h2p").c_str(), dir.file("gone.h2p").c_str()), 0);
    EXPECT_EQ(list->importFiles(source("Lead.h2p").c_str(), keys, false), 0);
    EXPECT_TRUE(trace.contains("' does not exist; it is passed over"));
    EXPECT_TRUE(list->junkTagger()->hasTag("/", "Lead.h2p"));
    EXPECT_FALSE(list->junkTagger()->hasTag("/Keys/", "Lead.h2p"));

    // Within the same folder a move does nothing.
    write(presets() + "/Keys/Pad.h2p", "pad");
    EXPECT_EQ(list->importFiles((dir.file(presets() + "/Keys/Pad.h2p")).c_str(), keys, false), 0);
    EXPECT_TRUE(trace.contains("copy within same folder, nothing to do here..."));

    // Written back with the tags where they are now.
    library.reset();
    EXPECT_EQ(dir.readFile(presets() + "/Favourites.db.txt"), "/Keys/\nBass 2.h2p\n");
}

TEST_F(ImportTest, FilesFromElsewhereAreAlwaysCopied)
{
    EXPECT_EQ(list->importFiles(dir.file("outside/Bass.h2p").c_str(), root, false), 1);
    EXPECT_TRUE(trace.contains("file comes from outer space - we duplicate anyway!"));
    EXPECT_EQ(dir.readFile("outside/Bass.h2p"), "outside bass");
    EXPECT_EQ(dir.readFile(presets() + "/Bass 1.h2p"), "outside bass");
    EXPECT_EQ(dir.readFile(presets() + "/Bass.h2p"), "bass"); // never replaced
    EXPECT_FALSE(list->favouritesTagger()->hasTag("/", "Bass 1.h2p"));
}

TEST_F(ImportTest, BadLinesAndTargetsAreRefused)
{
    const std::string longLine = "/" + std::string(600, 'x');
    const std::string paths = "relative/Bass.h2p\n" + longLine + "\n" + dir.file("outside/") +
                              "\n" + dir.file("outside/missing.h2p");
    EXPECT_EQ(list->importFiles(paths.c_str(), keys, true), 0);
    EXPECT_TRUE(trace.contains("is not a full path"));
    EXPECT_TRUE(trace.contains("too long"));
    EXPECT_TRUE(trace.contains("Refused the dropped file name ''"));
    EXPECT_TRUE(trace.contains("missing.h2p' does not exist; it is passed over"));
    // Only files the list shows are taken, from any line of the text.
    write("outside/notes.txt", "not a preset");
    write("outside/Warm.fxp", "program");
    const std::string mixed = dir.file("outside/notes.txt") + "\n" + dir.file("outside/Warm.fxp");
    EXPECT_EQ(list->importFiles(mixed.c_str(), keys, false), 1);
    EXPECT_TRUE(trace.contains("notes.txt' is not a preset file of this list; it is passed over"));
    EXPECT_FALSE(dir.exists(presets() + "/Keys/notes.txt"));
    EXPECT_EQ(inKeys("Warm.fxp"), "program");
    EXPECT_EQ(list->importFiles(source("Bass.h2p").c_str(), nullptr, true), 0);
    EXPECT_TRUE(trace.contains("couldn't copy files into non-existing directory!"));
    EXPECT_EQ(list->importFiles(nullptr, keys, true), 0);
    EXPECT_EQ(list->importFiles(dir.file(presets() + "/Keys").c_str(), root, false), 0);
    EXPECT_TRUE(trace.contains("is a folder; only files are taken"));
    EXPECT_TRUE(dir.exists(presets() + "/Keys/Bass.h2p"));
    // A folder of another list is not a target of this one.
    library->addModulePresetList("LFO1", PresetListType::kModule);
    EXPECT_EQ(
        list->importFiles(source("Bass.h2p").c_str(), library->getPresetFolders("LFO1"), true), 0);
}

} // namespace
} // namespace librarytest
