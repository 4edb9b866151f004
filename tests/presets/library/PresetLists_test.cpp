#include "LibraryFixture.h"

#include <filesystem>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace librarytest {
namespace {

TEST(ModuleNames, NormalisedNameNamesTheSharedList)
{
    const std::pair<const char*, const char*> cases[] = {
        {"LFO1", "LFO"},
        {"LFO2", "LFO"},
        {"OSC12", "OSC"},
        {"Env 2", "Env"},
        {"AB1", "AB1"},
        {"X9", "X9"},
        {"Voice/Other", "Voice"},
        {"Voice/", "Voice"},
        {"/x", ""},
        {"Filter-1 ", "Filter"},
        {"", ""},
        {"Osc2/Prod/x", "Osc"},
        {"Fl\xC3\xA4", "Fl\xC3\xA4"}, // a multi-byte character is never cut
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(normalizeModuleName(path), name) << path;
    EXPECT_EQ(normalizeModuleName(nullptr), "");
    EXPECT_EQ(normalizeModuleName(std::string(40, 'M').c_str()), std::string(31, 'M'));
}

TEST_F(LibraryTest, EachKindOfListFindsItsPlace)
{
    ModulePresetList* patch = library->addModulePresetList("Presets", PresetListType::kPatch);
    ModulePresetList* lfo = library->addModulePresetList("LFO1", PresetListType::kModule);
    ModulePresetList* other = library->addModulePresetList("Voice/Ombrix", PresetListType::kModule);
    const char* tuning = library->addTuningPresetList(&host.records[kTuningName]);
    ASSERT_NE(patch->folders(), nullptr);
    ASSERT_NE(lfo->folders(), nullptr);
    ASSERT_NE(other->folders(), nullptr);
    EXPECT_EQ(patch->folders()->path(), dir.file(presets()) + "/");
    EXPECT_EQ(lfo->folders()->path(), dir.file(modules() + "/LFO") + "/");
    EXPECT_EQ(other->folders()->path(), dir.file("KestanK4.data/Presets/Ombrix") + "/");
    EXPECT_STREQ(tuning, "Voice Tuning");
    ModulePresetList* tunings = library->getModulePresetList(tuning);
    ASSERT_NE(tunings, nullptr);
    EXPECT_EQ(tunings->folders()->path(), dir.file(tunefiles()) + "/");
    EXPECT_EQ(tunings->tuningTableParameter(), static_cast<uint32_t>(kTuningTable));
    EXPECT_EQ(tunings->listType(), PresetListType::kTuning);
    EXPECT_STREQ(patch->folders()->name(), "Local");
    EXPECT_STREQ(patch->rootName(), kProduct);

    // One list per module kind; the first type stays.
    EXPECT_EQ(library->addModulePresetList("LFO2", PresetListType::kPatch), lfo);
    EXPECT_EQ(lfo->listType(), PresetListType::kModule);
    EXPECT_EQ(library->getModulePresetList("LFO2/anything"), lfo);
    EXPECT_STREQ(library->addTuningPresetList(&host.records[kTuningName]), "not applicable");
    EXPECT_EQ(library->getModulePresetList(nullptr), patch);
    EXPECT_EQ(library->getModulePresetList("Nothing"), nullptr);
    // Every list has attached its two taggers.
    EXPECT_EQ(tagRegistryUseCount(), 8);
    library.reset();
    EXPECT_EQ(tagRegistryUseCount(), 0);
}

TEST_F(LibraryTest, UnreachablePlaceLeavesTheListWithoutFolders)
{
    host.withInfo = false;
    ModulePresetList* list = library->addModulePresetList("Presets", PresetListType::kPatch);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->folders(), nullptr);
    EXPECT_TRUE(trace.contains("AM_FileErr 3 AM_View_Interface::scanPresetFolders local"));
    EXPECT_TRUE(trace.contains("Can't access any Patch Location for 'Presets'"));
    library->nextPreset("Presets");
    library->previousPreset("Presets");
    EXPECT_EQ(library->getPresetItems("Presets"), nullptr);
    EXPECT_FALSE(library->createPresetFolder("New", "Presets"));

    // A product folder name that cannot be a folder is refused.
    host.withInfo = true;
    EXPECT_EQ(library->addModulePresetList("Voice/..", PresetListType::kModule)->folders(),
              nullptr);
    EXPECT_TRUE(trace.contains("Refused the product folder name '..'"));
}

TEST_F(LibraryTest, FoldersListingsAndTheSavedFolder)
{
    write(presets() + "/Init.h2p", "s");
    write(presets() + "/Bank.fxp", "s");
    write(presets() + "/Host.aupreset", "s");
    write(presets() + "/notes.txt", "s");
    write(presets() + "/Pads/Warm/Soft.h2p", "s");
    write(modules() + "/LFO/Wobble.h2p", "s");
    write(modules() + "/LFO/Other.fxp", "s");
    host.setText(kPFold, "Local/Pads/Warm");
    ModulePresetList* patch = library->addModulePresetList("Presets", PresetListType::kPatch);
    // The folder named by "PFold" is current.
    EXPECT_STREQ(patch->currentFolder()->name(), "Warm");
    EXPECT_EQ(listed("Presets"), "Soft.h2p");
    library->setCurrentFolder(nullptr, "Presets");
    EXPECT_EQ(listed("Presets"), "Bank.fxp Host.aupreset Init.h2p");
    EXPECT_EQ(host.messages.back(), "47:Presets");
    library->addModulePresetList("LFO1", PresetListType::kModule);
    EXPECT_EQ(listed("LFO1"), "Wobble.h2p");

    // A folder pointer that is not one of the list's is not followed.
    PresetFolder* lfoRoot = library->getPresetFolders("LFO1");
    library->setCurrentFolder(lfoRoot, "Presets");
    EXPECT_EQ(library->getCurrentFolder("Presets"), patch->folders());

    // The display parameters.
    library->setCurrentFolder(patch->folders()->findByPath("Local/Pads/Warm"), "Presets");
    library->setCurrentPreset("Soft", "h2p", "Presets");
    host.setText(kPFold, "");
    library->updatePresetDisplay();
    EXPECT_EQ(host.text(kPFold), "Local/Pads/Warm");
    EXPECT_EQ(host.text(kPFile), "Soft.h2p");

    // No folder is restored from a name that is not there (the root holds
    // presets and no file is remembered), nor by a type-1 list.
    restart();
    host.setText(kPFold, "Local/Gone");
    host.setText(kPFile, "");
    patch = library->addModulePresetList("Presets", PresetListType::kPatch);
    EXPECT_EQ(patch->currentFolder(), patch->folders());
    restart();
    host.setText(kPFold, "Local/Pads/Warm");
    patch = library->addModulePresetList("Presets", PresetListType::kPatchKeepFolder);
    EXPECT_EQ(patch->currentFolder(), patch->folders());
}

TEST_F(LibraryTest, WithoutARememberedFolderTheListOpensOnPresets)
{
    // The browser once opened on an empty root with the factory folders
    // below it: an empty list on the first view.
    struct Case {
        const char* what;
        std::vector<std::string> files;
        const char* savedFolder;
        const char* savedFile;
        const char* opens;
        const char* listed;
    };
    const Case cases[] = {
        {"the first folder holding presets", {"Leads/Saw.h2p", "Pads/Warm/Soft.h2p"}, "", "",
         "Leads", "Saw.h2p"},
        {"the root when it holds presets", {"Init.h2p", "Leads/Saw.h2p"}, "", "", "Local",
         "Init.h2p"},
        {"the folder of the remembered file", {"Leads/Saw.h2p", "Pads/Warm/Soft.h2p"}, "",
         "Soft.h2p", "Warm", "Soft.h2p"},
        {"the remembered file's folder when its own is gone",
         {"Leads/Saw.h2p", "Pads/Soft.h2p"}, "Local/Gone", "Soft.h2p", "Pads", "Soft.h2p"},
        {"a remembered file found nowhere", {"Leads/Saw.h2p", "Pads/Soft.h2p"}, "", "Other.h2p",
         "Leads", "Saw.h2p"},
        {"the remembered folder, even empty", {"Leads/Saw.h2p", "Empty/notes.txt"},
         "Local/Empty", "", "Empty", ""},
        {"the root when no folder holds presets", {"Leads/notes.txt"}, "", "", "Local", ""},
    };
    for (const Case& c : cases) {
        restart();
        std::filesystem::remove_all(dir.file(presets()));
        for (const std::string& f : c.files)
            write(presets() + "/" + f, "s");
        host.setText(kPFold, c.savedFolder);
        host.setText(kPFile, c.savedFile);
        ModulePresetList* list = library->addModulePresetList("Presets", PresetListType::kPatch);
        ASSERT_NE(list->currentFolder(), nullptr) << c.what;
        EXPECT_STREQ(list->currentFolder()->name(), c.opens) << c.what;
        EXPECT_EQ(listed("Presets"), c.listed) << c.what;
    }
}

TEST_F(LibraryTest, RescanAndNewFolders)
{
    write(presets() + "/A/a.h2p", "s");
    library->addModulePresetList("Presets", PresetListType::kPatch);
    ModulePresetList* list = library->getModulePresetList("Presets");
    library->setCurrentFolder(list->folders()->findByPath("Local/A"), "Presets");
    EXPECT_TRUE(library->createPresetFolder("New Folder", "Presets"));
    EXPECT_TRUE(dir.exists(presets() + "/A/New Folder"));
    // Listed, and the current folder stays.
    EXPECT_STREQ(list->currentFolder()->name(), "A");
    EXPECT_NE(list->folders()->findByPath("Local/A/New Folder"), nullptr);
    // An existing folder is fine; bad names create nothing.
    EXPECT_TRUE(library->createPresetFolder("New Folder", "Presets"));
    for (const char* bad : {"", "..", "a/b", "x\ny"})
        EXPECT_FALSE(library->createPresetFolder(bad, "Presets")) << bad;
    write(presets() + "/A/file", "x");
    EXPECT_FALSE(library->createPresetFolder("file", "Presets"));
    EXPECT_FALSE(library->createPresetFolder("X", "Nothing"));
    EXPECT_TRUE(trace.contains("no ModulePresetList to craete new folder into..."));
    library->rescanPresets("Nothing");
    EXPECT_TRUE(trace.contains("no ModulePresetList to rescan..."));

    // A current folder that went away: the first folder.
    ASSERT_EQ(::rename(dir.file(presets() + "/A").c_str(), dir.file(presets() + "/B").c_str()), 0);
    library->rescanPresets("Presets");
    EXPECT_EQ(list->currentFolder(), list->folders());
}

TEST_F(LibraryTest, LongFileNamesKeepTheirOwnTags)
{
    const std::string first = std::string(70, 'a') + "1.h2p";
    const std::string second = std::string(70, 'a') + "2.h2p";
    write(presets() + "/" + first, "1");
    write(presets() + "/" + second, "2");
    ModulePresetList* list = library->addModulePresetList("Presets", PresetListType::kPatch);
    // Both items keep the same 63-byte name.
    ASSERT_STREQ(list->items()->name(), list->items()->next()->name());
    list->setTag(list->items()->next(), "Favourites", true);
    library.reset();
    EXPECT_EQ(dir.readFile(presets() + "/Favourites.db.txt"), "/\n" + second + "\n");
    restart();
    list = library->addModulePresetList("Presets", PresetListType::kPatch);
    EXPECT_FALSE(list->items()->isFavourite());
    EXPECT_TRUE(list->items()->next()->isFavourite());
}

// What the list shows is what the tag files keep: a tag the files cannot
// hold is refused, the item keeps its marks, and reopening shows the same.
TEST_F(LibraryTest, TagsThatCannotBeKeptAreRefusedAndNotShown)
{
    write(presets() + "/\\odd.h2p", "odd");
    write(presets() + "/a1.h2p", "a1");
    write(presets() + "/a2.h2p", "a2");
    write(presets() + "/Junk.db.txt", "/\na2.h2p\n");
    write(presets() + "/Favourites.db.txt", "/\nKeep.h2p\n");
    const std::string favouritesFile = dir.file(presets() + "/Favourites.db.txt");
    ASSERT_EQ(
        ::truncate(favouritesFile.c_str(), static_cast<off_t>(PresetTagger::kMaxFileBytes + 1)), 0);
    ModulePresetList* list = library->addModulePresetList("Presets", PresetListType::kPatch);
    const auto item = [&](const char* name) {
        return library->doesPresetExist(name, "h2p", "Presets");
    };
    ASSERT_NE(item("\\odd"), nullptr);
    ASSERT_TRUE(item("a2")->isJunk());
    // Read back, the entry would be a folder line.
    EXPECT_EQ(list->setTag(item("\\odd"), PresetTagger::kJunk, true),
              PresetTagResult::kNameNotTaggable);

    ASSERT_EQ(::chmod(dir.file(presets() + "/Junk.db.txt").c_str(), 0444), 0);
    struct Case {
        const char* name;
        const char* tag;
        PresetTagResult result;
    };
    const Case cases[] = {
        // The favourites file could not be read: writing it would lose it.
        {"a1", PresetTagger::kFavourites, PresetTagResult::kTagFileLocked},
        // Junk in a read-only file: a favourite would have to leave it.
        {"a2", PresetTagger::kFavourites, PresetTagResult::kTagFileLocked},
        // Read-only: no new junk either.
        {"a1", PresetTagger::kJunk, PresetTagResult::kTagFileLocked},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.tag);
        EXPECT_EQ(list->setTag(item(c.name), c.tag, true), c.result);
    }
    EXPECT_TRUE(trace.contains("cannot be tagged"));
    EXPECT_TRUE(trace.contains("its tag file cannot be written"));
    const auto marks = [&] {
        std::string out;
        for (const PresetListItem* i = list->items(); i != nullptr; i = i->next())
            out += std::string(i->name()) + (i->isFavourite() ? "+F" : "") +
                   (i->isJunk() ? "+J" : "") + " ";
        return out;
    };
    EXPECT_EQ(marks(), "\\odd a1 a2+J ");
    item("a1")->setSelected(true);
    item("a2")->setSelected(true);
    EXPECT_EQ(list->setTagOnSelected(PresetTagger::kFavourites, true),
              PresetTagResult::kTagFileLocked);
    EXPECT_EQ(marks(), "\\odd a1 a2+J ");

    library.reset();
    ::chmod(dir.file(presets() + "/Junk.db.txt").c_str(), 0644);
    EXPECT_EQ(dir.readFile(presets() + "/Junk.db.txt"), "/\na2.h2p\n");
    restart();
    list = library->addModulePresetList("Presets", PresetListType::kPatch);
    EXPECT_EQ(marks(), "\\odd a1 a2+J ");

    // A file that can take it takes the tag, and the other tag goes.
    EXPECT_EQ(list->setTag(item("a2"), PresetTagger::kJunk, false), PresetTagResult::kDone);
    EXPECT_EQ(list->setTag(item("a1"), PresetTagger::kJunk, true), PresetTagResult::kDone);
    EXPECT_EQ(marks(), "\\odd a1+J a2 ");
}

// The browsing fixture: three folders, items in name order.
class BrowseTest : public LibraryTest {
protected:
    BrowseTest()
    {
        write(presets() + "/a1.h2p", "a1");
        write(presets() + "/a2.h2p", "a2");
        write(presets() + "/a3.h2p", "a3");
        write(presets() + "/Empty/readme.txt", "");
        write(presets() + "/Z/z1.h2p", "z1");
        write(presets() + "/Z/z2.h2p", "z2");
        list = library->addModulePresetList("Presets", PresetListType::kPatch);
    }
    std::string current() const
    {
        return std::string(list->currentFolder()->name()) + ":" + list->currentPresetName();
    }
    ModulePresetList* list;
};

TEST_F(BrowseTest, NextWalksItemsThenFoldersAndWraps)
{
    library->setCurrentPreset("", "h2p", "Presets");
    library->nextPreset("Presets");
    EXPECT_EQ(current(), "Local:a1"); // without a current item: the folder's first
    library->nextPreset("Presets");
    EXPECT_EQ(current(), "Local:a2");
    EXPECT_EQ(host.applied.back().first, "a2");
    library->nextPreset("Presets");
    library->nextPreset("Presets");
    EXPECT_EQ(current(), "Z:z1"); // the empty folder is passed
    library->nextPreset("Presets");
    library->nextPreset("Presets");
    EXPECT_EQ(current(), "Local:a1"); // wrapped
}

TEST_F(BrowseTest, NextSkipsJunk)
{
    library->setCurrentPreset("a1", "h2p", "Presets");
    list->setTag(list->items()->next(), "Junk", true);
    library->nextPreset("Presets");
    EXPECT_EQ(current(), "Local:a3");
    list->setTag(list->items()->next()->next(), "Junk", true);
    library->setCurrentPreset("a1", "h2p", "Presets");
    library->nextPreset("Presets");
    EXPECT_EQ(current(), "Z:z1"); // only junk after it: the next folder
}

TEST_F(BrowseTest, PreviousWalksBackAndWraps)
{
    library->setCurrentPreset("a2", "h2p", "Presets");
    library->previousPreset("Presets");
    EXPECT_EQ(current(), "Local:a1");
    library->previousPreset("Presets");
    EXPECT_EQ(current(), "Z:z2"); // the last item of the last folder with items
    library->previousPreset("Presets");
    EXPECT_EQ(current(), "Z:z1");
    // Without a current item: the folder's first.
    library->setCurrentPreset("gone", "h2p", "Presets");
    library->previousPreset("Presets");
    EXPECT_EQ(current(), "Z:z1");
}

TEST_F(BrowseTest, TagsFollowItemsAndAreWrittenAtTheEnd)
{
    PresetListItem* a1 = list->items();
    PresetListItem* a2 = a1->next();
    list->setTag(a1, "Favourites", true);
    list->setTag(a1, "Junk", true); // favourite, then junk: only junk
    list->setTag(a2, "Favourites", true);
    list->setTag(a2, "Other", true);
    EXPECT_TRUE(a1->isJunk());
    EXPECT_TRUE(a2->isFavourite());
    a2->next()->setSelected(true);
    list->setTagOnSelected("Favourites", true);
    library.reset();
    EXPECT_EQ(dir.readFile(presets() + "/Junk.db.txt"), "/\na1.h2p\n");
    EXPECT_EQ(dir.readFile(presets() + "/Favourites.db.txt"), "/\na2.h2p\na3.h2p\n");

    // Read back: a new listing shows the tags.
    restart();
    list = library->addModulePresetList("Presets", PresetListType::kPatch);
    EXPECT_EQ(std::string(list->getTag(list->items())), "Junk");
    EXPECT_TRUE(list->items()->isJunk());
    EXPECT_TRUE(list->items()->next()->isFavourite());
    list->setTag(list->items(), "Junk", false);
    EXPECT_EQ(list->getTag(list->items()), nullptr);
}

TEST_F(BrowseTest, TwoEditorsShareTheTagsUntilTheLastCloses)
{
    FakeHost otherHost;
    auto other = std::make_unique<PresetLibrary>(otherHost);
    ModulePresetList* otherList = other->addModulePresetList("Presets", PresetListType::kPatch);
    EXPECT_EQ(otherList->favouritesTagger(), list->favouritesTagger());
    list->setTag(list->items(), "Favourites", true);
    other->refreshCurrentFolder("Presets");
    EXPECT_TRUE(otherList->items()->isFavourite());
    library.reset();
    EXPECT_FALSE(dir.exists(presets() + "/Favourites.db.txt")); // still in use
    other.reset();
    EXPECT_EQ(dir.readFile(presets() + "/Favourites.db.txt"), "/\na1.h2p\n");
}

} // namespace
} // namespace librarytest
