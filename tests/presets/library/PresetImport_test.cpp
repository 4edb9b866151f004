#include "LibraryFixture.h"

#include "presets/library/PresetFxp.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace librarytest {
namespace {

// A state text as the plug-in writes it, told apart by its last line.
std::string state(const std::string& mark)
{
    return "#AM=KestanK4\n#Vers=10020\n// " + mark + "\n";
}

class ImportTest : public LibraryTest {
protected:
    ImportTest()
    {
        write(presets() + "/Bass.h2p", state("bass"));
        write(presets() + "/Lead.h2p", state("lead"));
        write(presets() + "/Keys/Bass.h2p", state("other bass"));
        write(presets() + "/Keys/Bass 1.h2p", state("other bass 1"));
        write("outside/Bass.h2p", state("outside bass"));
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
    EXPECT_EQ(inKeys("Bass 2.h2p"), state("bass")); // "Bass.h2p" and "Bass 1.h2p" are taken
    EXPECT_EQ(inKeys("Lead.h2p"), state("lead"));
    EXPECT_EQ(inKeys("Bass.h2p"), state("other bass"));
    EXPECT_EQ(dir.readFile(presets() + "/Bass.h2p"), state("bass")); // the source stays
    EXPECT_TRUE(list->favouritesTagger()->hasTag("/Keys/", "Bass 2.h2p"));
    EXPECT_TRUE(list->favouritesTagger()->hasTag("/", "Bass.h2p")); // and keeps its tag
    EXPECT_TRUE(list->junkTagger()->hasTag("/Keys/", "Lead.h2p"));
    EXPECT_TRUE(trace.contains("copying '" + source("Bass.h2p") + "'"));

    // A copy within one folder gets a number too.
    EXPECT_EQ(list->importFiles(source("Lead.h2p").c_str(), root, true), 1);
    EXPECT_EQ(dir.readFile(presets() + "/Lead 1.h2p"), state("lead"));
}

TEST_F(ImportTest, MoveCarriesTheTagOnlyAfterSuccess)
{
    EXPECT_EQ(list->importFiles(source("Bass.h2p").c_str(), keys, false), 1);
    EXPECT_FALSE(dir.exists(presets() + "/Bass.h2p"));
    EXPECT_EQ(inKeys("Bass 2.h2p"), state("bass"));
    EXPECT_FALSE(list->favouritesTagger()->hasTag("/", "Bass.h2p"));
    EXPECT_TRUE(list->favouritesTagger()->hasTag("/Keys/", "Bass 2.h2p"));

    // A move that fails keeps the tag where it was.
    ASSERT_EQ(::rename(dir.file(presets() + "/Lead.h2p").c_str(), dir.file("gone.h2p").c_str()), 0);
    EXPECT_EQ(list->importFiles(source("Lead.h2p").c_str(), keys, false), 0);
    EXPECT_TRUE(trace.contains("' does not exist; it is passed over"));
    EXPECT_TRUE(list->junkTagger()->hasTag("/", "Lead.h2p"));
    EXPECT_FALSE(list->junkTagger()->hasTag("/Keys/", "Lead.h2p"));

    // Within the same folder a move does nothing.
    write(presets() + "/Keys/Pad.h2p", state("pad"));
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
    EXPECT_EQ(dir.readFile("outside/Bass.h2p"), state("outside bass"));
    EXPECT_EQ(dir.readFile(presets() + "/Bass 1.h2p"), state("outside bass"));
    EXPECT_EQ(dir.readFile(presets() + "/Bass.h2p"), state("bass")); // never replaced
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
    const std::string chunk = state("warm");
    const std::vector<uint8_t> program =
        PresetFxp::buildProgram(chunk.data(), uint32_t(chunk.size()), kPluginId, 0, "Warm");
    write("outside/Warm.fxp", std::string(program.begin(), program.end()));
    const std::string mixed = dir.file("outside/notes.txt") + "\n" + dir.file("outside/Warm.fxp");
    EXPECT_EQ(list->importFiles(mixed.c_str(), keys, false), 1);
    EXPECT_TRUE(trace.contains("notes.txt' is not a preset file of this list; it is passed over"));
    EXPECT_FALSE(dir.exists(presets() + "/Keys/notes.txt"));
    EXPECT_EQ(inKeys("Warm.fxp"), std::string(program.begin(), program.end()));
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

// Any client of the display can send a drop: only regular files that read
// as presets of this instrument come in, each refusal counted with its
// reason for the user.
TEST_F(ImportTest, OnlyRegularFilesThatReadAsPresetsComeIn)
{
    write("outside/secret", "root:x:0:0:secret\n");
    write("outside/not a state.h2p", "root:x:0:0:secret\n#AMx\n");
    write("outside/words.aupreset", "just words");
    const std::string chunk = state("foreign");
    const std::vector<uint8_t> foreign =
        PresetFxp::buildProgram(chunk.data(), uint32_t(chunk.size()), kPluginId + 1, 0, "F");
    write("outside/Foreign.fxp", std::string(foreign.begin(), foreign.end()));
    ASSERT_EQ(::symlink(dir.file("outside/secret").c_str(), dir.file("outside/shadow.h2p").c_str()),
              0);
    // A link to a real preset is refused as well: what it points to may change.
    ASSERT_EQ(::symlink(dir.file("outside/Bass.h2p").c_str(), dir.file("outside/link.h2p").c_str()),
              0);
    ASSERT_EQ(::mkfifo(dir.file("outside/pipe.h2p").c_str(), 0600), 0);
    // Larger than the library ever loads: a sparse file, nothing on disk.
    write("outside/huge.h2p", state("huge"));
    ASSERT_EQ(::truncate(dir.file("outside/huge.h2p").c_str(),
                         off_t(PresetLibrary::kMaxPresetFileBytes) + 1),
              0);

    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"shadow.h2p", "is a link"},
        {"link.h2p", "is a link"},
        {"pipe.h2p", "is not a regular file"},
        {"huge.h2p", "is larger than the 64 MiB"},
        {"not a state.h2p", "does not read as a preset"},
        {"Foreign.fxp", "does not read as a preset"},
        {"words.aupreset", "does not read as a preset"},
    };
    for (const auto& c : cases) {
        PresetImportReport report;
        EXPECT_EQ(list->importFiles(dir.file(std::string("outside/") + c.name).c_str(), keys, true,
                                    &report),
                  0)
            << c.name;
        EXPECT_EQ(report.refused, 1) << c.name;
        EXPECT_NE(report.firstReason.find(std::string("\"") + c.name + "\" " + c.reason),
                  std::string::npos)
            << report.firstReason;
        EXPECT_FALSE(dir.exists(presets() + "/Keys/" + c.name)) << c.name;
    }
}

TEST_F(ImportTest, AFileNamedManyTimesComesInOnce)
{
    std::string paths;
    for (int i = 0; i < 2000; ++i)
        paths += dir.file("outside/Bass.h2p") + "\n";
    paths += dir.file("outside/./Bass.h2p") + "\n" + dir.file("outside/../outside/Bass.h2p");
    PresetImportReport report;
    EXPECT_EQ(list->importFiles(paths.c_str(), keys, true, &report), 1);
    EXPECT_EQ(report.refused, 0);
    EXPECT_EQ(inKeys("Bass 2.h2p"), state("outside bass"));
    EXPECT_FALSE(dir.exists(presets() + "/Keys/Bass 3.h2p"));
}

TEST_F(ImportTest, ADropBringsInABoundedNumberOfFilesAndBytes)
{
    const int32_t over = ModulePresetList::kMaxImportFiles + 10;
    std::string paths;
    for (int32_t i = 0; i < over; ++i) {
        const std::string name = "many/P" + std::to_string(i) + ".h2p";
        write(name, state(name));
        paths += dir.file(name) + "\n";
    }
    PresetImportReport report;
    EXPECT_EQ(list->importFiles(paths.c_str(), keys, true, &report),
              ModulePresetList::kMaxImportFiles);
    EXPECT_EQ(report.refused, 10);
    EXPECT_NE(report.firstReason.find("at most " +
                                      std::to_string(ModulePresetList::kMaxImportFiles) + " files"),
              std::string::npos)
        << report.firstReason;

    // Two files that each fit but not both: the second is refused unread.
    const off_t size = off_t(ModulePresetList::kMaxImportBytes / 2 + 1);
    for (const char* name : {"big/One.h2p", "big/Two.h2p"}) {
        write(name, state(name));
        ASSERT_EQ(::truncate(dir.file(name).c_str(), size), 0);
    }
    const std::string two = dir.file("big/One.h2p") + "\n" + dir.file("big/Two.h2p");
    EXPECT_EQ(list->importFiles(two.c_str(), keys, true, &report), 1);
    EXPECT_EQ(report.refused, 1);
    EXPECT_NE(report.firstReason.find("\"Two.h2p\" was not taken: a drop brings in at most 64 MiB"),
              std::string::npos)
        << report.firstReason;
    EXPECT_TRUE(dir.exists(presets() + "/Keys/One.h2p"));
    EXPECT_FALSE(dir.exists(presets() + "/Keys/Two.h2p"));
}

} // namespace
} // namespace librarytest
