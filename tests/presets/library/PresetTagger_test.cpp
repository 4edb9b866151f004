#include "presets/library/PresetTagger.h"

#include "TempDir.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

class TaggerTest : public ::testing::Test {
protected:
    TaggerTest() { resetTagRegistry(); }
    ~TaggerTest() override { resetTagRegistry(); }

    AM_Directory root() const { return AM_Directory(AM_String((dir.path() + "/").c_str())); }
    // A tagger of the registry, as a list takes it.
    PresetTagger* take(const char* tag = PresetTagger::kFavourites)
    {
        return getTagger("LFO", tag, root());
    }
    std::string file(const char* tag = "Favourites") const
    {
        return dir.readFile(std::string(tag) + ".db.txt");
    }
    bool fileExists(const char* tag = "Favourites") const
    {
        return dir.exists(std::string(tag) + ".db.txt");
    }

    testsupport::TempDir dir;
    testsupport::TraceCapture trace;
};

TEST_F(TaggerTest, TagFileRoundTrip)
{
    PresetTagger* tagger = take();
    EXPECT_TRUE(tagger->addTag("/", "Bass.h2p"));
    EXPECT_TRUE(tagger->addTag("/Pads/Warm/", "Soft.h2p"));
    EXPECT_TRUE(tagger->addTag("/", "Lead.h2p"));
    EXPECT_FALSE(fileExists()); // written when the last user lets go
    releaseTaggers();
    EXPECT_EQ(tagRegistryUseCount(), 0);
    EXPECT_TRUE(trace.contains("creating tag file"));
    EXPECT_EQ(file(), "/\nBass.h2p\nLead.h2p\n/Pads/Warm/\nSoft.h2p\n");

    tagger = take();
    EXPECT_TRUE(tagger->fileExisted());
    EXPECT_TRUE(tagger->hasTag("/", "Bass.h2p"));
    EXPECT_TRUE(tagger->hasTag("/", "Lead.h2p"));
    EXPECT_TRUE(tagger->hasTag("/Pads/Warm/", "Soft.h2p"));
    EXPECT_FALSE(tagger->hasTag("/Pads/", "Soft.h2p"));
    EXPECT_FALSE(tagger->isChanged());
    releaseTaggers();
    EXPECT_EQ(file(), "/\nBass.h2p\nLead.h2p\n/Pads/Warm/\nSoft.h2p\n");
}

TEST_F(TaggerTest, RemovedTagsDoNotReappear)
{
    dir.writeFile("Favourites.db.txt", "/\nA long preset name.h2p\nB.h2p\n/Sub/\nC.h2p\n");
    PresetTagger* tagger = take();
    EXPECT_TRUE(tagger->removeTag("/", "A long preset name.h2p"));
    EXPECT_TRUE(tagger->removeTag("/Sub/", "C.h2p"));
    EXPECT_FALSE(tagger->removeTag("/Sub/", "C.h2p"));
    releaseTaggers();
    // The whole file is replaced: no tail of the longer old text is left.
    EXPECT_EQ(file(), "/\nB.h2p\n");
    tagger = take();
    EXPECT_FALSE(tagger->hasTag("/", "A long preset name.h2p"));
    EXPECT_FALSE(tagger->hasTag("/Sub/", "C.h2p"));
    EXPECT_TRUE(tagger->removeTag("/", "B.h2p"));
    releaseTaggers();
    // The folder nodes stay but without entries nothing is written.
    EXPECT_TRUE(fileExists());
    EXPECT_EQ(file(), "");
}

TEST_F(TaggerTest, UnreadableTagFileIsNeverRewrittenOrDeleted)
{
    // Larger than a tag file may be: the tagger cannot read it.
    const std::string path = dir.file("Favourites.db.txt");
    dir.writeFile("Favourites.db.txt", "/\nKeep.h2p\n");
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(PresetTagger::kMaxFileBytes + 1)), 0);
    // A folder where the junk file should be.
    dir.makeDir("Junk.db.txt");

    PresetTagger* favourites = take(PresetTagger::kFavourites);
    PresetTagger* junk = take(PresetTagger::kJunk);
    EXPECT_FALSE(favourites->isReadable());
    EXPECT_FALSE(junk->isReadable());
    EXPECT_TRUE(trace.contains("PresetTagger e: "));
    favourites->addTag("/", "New.h2p");
    junk->addTag("/", "New.h2p");
    releaseTaggers();
    releaseTaggers();

    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(static_cast<uint64_t>(st.st_size), PresetTagger::kMaxFileBytes + 1);
    EXPECT_EQ(file().substr(0, 10), "/\nKeep.h2p");
    EXPECT_TRUE(dir.exists("Junk.db.txt/"));
}

TEST_F(TaggerTest, ReadingRules)
{
    using namespace std::string_literals;
    struct Case {
        const char* label;
        std::string text;
        const char* folder;
        const char* entry;
        bool tagged;
    };
    const Case cases[] = {
        {"entry before any folder line", "Early.h2p\n/\nLate.h2p\n", "/", "Early.h2p", false},
        {"entry after the folder line", "Early.h2p\n/\nLate.h2p\n", "/", "Late.h2p", true},
        {"carriage return dropped", "/\r\nWin.h2p\r\n", "/", "Win.h2p", true},
        {"carriage return alone ends a line", "/\rA.h2p\r\rB.h2p\r", "/", "B.h2p", true},
        {"last line without a line feed", "/\nFirst.h2p\nLast.h2p", "/", "Last.h2p", true},
        {"empty lines skipped", "\n\n/\n\nA.h2p\n\n", "/", "A.h2p", true},
        {"backslash folder line", "\\Pads\\Warm\\\nA.h2p\n", "/Pads/Warm/", "A.h2p", true},
        {"repeated folder line joins", "/A/\nx.h2p\n/\ny.h2p\n/A/\nz.h2p\n", "/A/", "z.h2p", true},
        {"zero byte ends the text", "/\nA.h2p\0B.h2p\n"s, "/", "B.h2p", false},
    };
    for (const Case& c : cases) {
        const auto tree = PresetTagger::parse(c.text.data(), c.text.size());
        const TagNode* folder = TagNode::find(tree.get(), c.folder);
        const bool tagged = folder && TagNode::find(folder->firstChild.get(), c.entry);
        EXPECT_EQ(tagged, c.tagged) << c.label;
    }
    EXPECT_EQ(PresetTagger::parse("A.h2p\nB.h2p", 11), nullptr);
    EXPECT_EQ(PresetTagger::parse(nullptr, 5), nullptr);
}

TEST_F(TaggerTest, NamesThatWouldReadBackDifferentlyAreNotTagged)
{
    PresetTagger* tagger = take();
    EXPECT_FALSE(tagger->addTag("/", "/etc.h2p"));
    EXPECT_FALSE(tagger->addTag("/", "\\x.h2p"));
    EXPECT_FALSE(tagger->addTag("/", "two\nlines.h2p"));
    EXPECT_FALSE(tagger->addTag("/", "cr\r.h2p"));
    EXPECT_FALSE(tagger->addTag("/", ""));
    EXPECT_FALSE(tagger->addTag("Pads/", "A.h2p"));
    EXPECT_FALSE(tagger->addTag("/Pa\nds/", "A.h2p"));
    EXPECT_FALSE(tagger->isChanged());
    EXPECT_TRUE(tagger->addTag("/", "fine name.h2p"));
    EXPECT_TRUE(tagger->isChanged());
    releaseTaggers();
    EXPECT_EQ(file(), "/\nfine name.h2p\n");
}

TEST_F(TaggerTest, TreeEdits)
{
    PresetTagger* tagger = take();
    tagger->addTag("/", "A.h2p");
    releaseTaggers();
    tagger = take();
    // Adding what is there changes nothing.
    EXPECT_TRUE(tagger->addTag("/", "A.h2p"));
    EXPECT_FALSE(tagger->isChanged());
    // A null entry only makes the folder node.
    EXPECT_TRUE(tagger->addTag("/Empty/", nullptr));
    EXPECT_TRUE(tagger->isChanged());
    tagger->addTag("/", "B.h2p");
    tagger->addTag("/", "C.h2p");
    EXPECT_TRUE(tagger->removeTag("/", "B.h2p")); // from the middle of the chain
    EXPECT_TRUE(tagger->removeTag("/", "A.h2p")); // the first child
    releaseTaggers();
    EXPECT_EQ(file(), "/\nC.h2p\n");
}

TEST_F(TaggerTest, FileWithoutFolderLinesIsDeletedWhenUntouched)
{
    dir.writeFile("Junk.db.txt", "Stray.h2p\n");
    PresetTagger* tagger = take(PresetTagger::kJunk);
    EXPECT_TRUE(tagger->fileExisted());
    EXPECT_EQ(tagger->tree(), nullptr);
    releaseTaggers();
    EXPECT_TRUE(trace.contains("deleting tag file"));
    EXPECT_FALSE(fileExists("Junk"));
}

TEST_F(TaggerTest, RegistrySharesTaggersAndOneCount)
{
    PresetTagger* a = getTagger("LFO", PresetTagger::kJunk, root());
    PresetTagger* b = getTagger("LFO", PresetTagger::kJunk, root());
    PresetTagger* c = getTagger("Presets", PresetTagger::kJunk, root());
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(tagRegistryUseCount(), 3);
    a->addTag("/", "A.h2p");
    releaseTaggers();
    releaseTaggers();
    EXPECT_FALSE(fileExists("Junk")); // still in use
    releaseTaggers();
    EXPECT_EQ(file("Junk"), "/\nA.h2p\n");
    releaseTaggers(); // one release too many
    EXPECT_TRUE(trace.contains("deleting non-exitent taglist"));
    EXPECT_EQ(tagRegistryUseCount(), 0);
}

TEST_F(TaggerTest, WriteThatFailsIsReportedAndKeepsTheOldFile)
{
    dir.makeDir("location");
    dir.writeFile("location/Favourites.db.txt", "/\nOld.h2p\n");
    PresetTagger* tagger = getTagger("LFO", PresetTagger::kFavourites,
                                     AM_Directory(AM_String((dir.path() + "/location/").c_str())));
    tagger->addTag("/", "New.h2p");
    // The location goes away under the tagger: nothing can be written.
    ASSERT_EQ(::rename(dir.file("location").c_str(), dir.file("moved").c_str()), 0);
    EXPECT_FALSE(tagger->writeBack());
    EXPECT_TRUE(trace.contains("PresetTagger couldn't create file e: 3"));
    EXPECT_TRUE(tagger->isChanged());
    releaseTaggers();
    EXPECT_EQ(dir.readFile("moved/Favourites.db.txt"), "/\nOld.h2p\n");
    EXPECT_FALSE(dir.exists("location"));
}

} // namespace
