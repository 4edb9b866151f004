#include "LibraryFixture.h"

#include "foundation/AM_FileMessages.h"
#include "platform/FileSystem.h"
#include "presets/library/PresetFxp.h"

#include "FileSizeLimit.h"

#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace librarytest {
namespace {

class SaveTest : public LibraryTest {
protected:
    SaveTest()
    {
        library->addModulePresetList("Presets", PresetListType::kPatch);
        host.messages.clear();
    }
    PresetSaveResult save(std::string name, const char* path = "Presets", bool force = false)
    {
        name.push_back('\0');
        return library->savePreset(name.data(), path, force);
    }
    std::string file(const std::string& name) const { return dir.readFile(presets() + "/" + name); }
    bool exists(const std::string& name) const { return dir.exists(presets() + "/" + name); }
    // The folder holds exactly these names (no temporary file is left).
    std::string entries() const
    {
        std::vector<platform::FolderEntry> list;
        platform::listFolder(dir.file(presets()).c_str(), list);
        std::string out;
        for (const auto& e : list)
            out += (out.empty() ? "" : " ") + e.name;
        return out;
    }
};

TEST_F(SaveTest, NewPresetIsWrittenAndBecomesCurrent)
{
    host.state = "first";
    EXPECT_EQ(save("Warm Pad"), PresetSaveResult::kSaved);
    EXPECT_EQ(file("Warm Pad.h2p"), "first");
    EXPECT_TRUE(host.questions.empty());
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "Warm Pad");
    EXPECT_STREQ(library->getCurrentPresetExtension("Presets"), "h2p");
    EXPECT_EQ(host.nativeChanges, std::vector<std::string>{"Warm Pad"});
    EXPECT_EQ(host.messages, (std::vector<std::string>{"47:Presets", "46:Presets"}));
    EXPECT_EQ(listed("Presets"), "Warm Pad.h2p");
    EXPECT_EQ(host.text(kPFile), "Warm Pad.h2p");
    EXPECT_EQ(host.text(kPFold), "Local");
    EXPECT_EQ(entries(), "Warm Pad.h2p");
}

TEST_F(SaveTest, OverwriteBackupAndCancel)
{
    host.state = "v1";
    ASSERT_EQ(save("Pad"), PresetSaveResult::kSaved);
    host.state = "v2";
    host.answer = PresetLibraryHost::kAnswerOverwrite;
    EXPECT_EQ(save("Pad"), PresetSaveResult::kSaved);
    EXPECT_EQ(host.questions, std::vector<std::string>{"Pad"});
    EXPECT_EQ(file("Pad.h2p"), "v2");
    EXPECT_EQ(entries(), "Pad.h2p");

    host.answer = PresetLibraryHost::kAnswerBackupAndSave;
    host.state = "v3";
    EXPECT_EQ(save("Pad"), PresetSaveResult::kSaved);
    host.state = "v4";
    EXPECT_EQ(save("Pad"), PresetSaveResult::kSaved);
    EXPECT_EQ(file("Pad.h2p"), "v4");
    EXPECT_EQ(file("Pad.h2p.bak0"), "v2");
    EXPECT_EQ(file("Pad.h2p.bak1"), "v3");

    host.answer = PresetLibraryHost::kAnswerCancel;
    host.state = "v5";
    library->setCurrentPreset("Other", "h2p", "Presets");
    host.messages.clear();
    host.nativeChanges.clear();
    EXPECT_EQ(save("Pad"), PresetSaveResult::kCancelled);
    EXPECT_EQ(file("Pad.h2p"), "v4");
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "Other");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.nativeChanges.empty());

    // Force asks nothing.
    host.questions.clear();
    EXPECT_EQ(save("Pad", "Presets", true), PresetSaveResult::kSaved);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(file("Pad.h2p"), "v5");
    EXPECT_EQ(entries(), "Pad.h2p Pad.h2p.bak0 Pad.h2p.bak1");
}

TEST_F(SaveTest, ExistenceIsAskedOfTheFileSystem)
{
    // A file that appeared after the folder was listed is not overwritten
    // without asking.
    write(presets() + "/Late.h2p", "theirs");
    EXPECT_EQ(library->doesPresetExist("Late", "h2p", "Presets"), nullptr);
    host.answer = PresetLibraryHost::kAnswerCancel;
    EXPECT_EQ(save("Late"), PresetSaveResult::kCancelled);
    EXPECT_EQ(file("Late.h2p"), "theirs");
    EXPECT_EQ(host.questions, std::vector<std::string>{"Late"});
    // A folder of that name is never replaced.
    dir.makeDir(presets() + "/Dir.h2p");
    EXPECT_EQ(save("Dir", "Presets", true), PresetSaveResult::kRefused);
}

TEST_F(SaveTest, FailedWriteLeavesTheOldFileAndTheNames)
{
    host.state = "old contents";
    ASSERT_EQ(save("Pad"), PresetSaveResult::kSaved);
    library->setCurrentPreset("Before", "h2p", "Presets");
    host.messages.clear();
    host.nativeChanges.clear();
    write(presets() + "/Big.h2p", std::string(4096, 'b'));
    host.state = std::string(64 * 1024, 'n');
    {
        testsupport::FileSizeLimit limit(1024);
        EXPECT_EQ(save("Pad"), PresetSaveResult::kFailed);
        // A backup that cannot be written stops the save too.
        host.answer = PresetLibraryHost::kAnswerBackupAndSave;
        host.state = "short";
        EXPECT_EQ(save("Big"), PresetSaveResult::kFailed);
    }
    EXPECT_EQ(file("Pad.h2p"), "old contents");
    EXPECT_EQ(dir.readFile(presets() + "/Big.h2p"), std::string(4096, 'b'));
    EXPECT_FALSE(exists("Big.h2p.bak0"));
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "Before");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.nativeChanges.empty());
    EXPECT_EQ(entries(), "Big.h2p Pad.h2p");
    EXPECT_NE(trace.standardOutput().find(
                  "Eeek, AM_FileErr occurred on AM_Directory->createFile( NameString, NewPreset, "
                  "true )\n"),
              std::string::npos);
}

// Runs the step in a child process without the right to write into folders
// it does not own (as root: as the user nobody) and answers its exit code.
template <typename Step> int runWithoutWriteAccess(Step step)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                ::_exit(2);
        }
        ::_exit(step() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SaveTest, SaveIntoReadOnlyFolderFailsAndKeepsTheOldFile)
{
    host.state = "old";
    ASSERT_EQ(save("Pad"), PresetSaveResult::kSaved);
    host.state = "new";
    host.answer = PresetLibraryHost::kAnswerBackupAndSave;
    // The folders on the way may be entered and read, the preset folder not
    // written.
    for (std::string folder = dir.file(presets()); folder.size() >= dir.path().size();
         folder = folder.substr(0, folder.rfind('/')))
        ::chmod(folder.c_str(), 0755);
    ::chmod(dir.file(presets()).c_str(), 0555);
    const int result = runWithoutWriteAccess([&] {
        return save("Pad") == PresetSaveResult::kFailed &&
               save("Fresh") == PresetSaveResult::kFailed;
    });
    ::chmod(dir.file(presets()).c_str(), 0755);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(file("Pad.h2p"), "old");
    EXPECT_EQ(entries(), "Pad.h2p");
}

TEST_F(SaveTest, FolderThatWentAwayFailsCleanly)
{
    write(presets() + "/Sub/x.h2p", "x");
    library->rescanPresets("Presets");
    ModulePresetList* list = library->getModulePresetList("Presets");
    library->setCurrentFolder(list->folders()->findByPath("Local/Sub"), "Presets");
    ASSERT_EQ(::rename(dir.file(presets() + "/Sub").c_str(), dir.file(presets() + "/Gone").c_str()),
              0);
    EXPECT_EQ(save("New"), PresetSaveResult::kFailed);
    EXPECT_FALSE(dir.exists(presets() + "/Sub"));
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "...");
}

TEST_F(SaveTest, NamesAreMadeSafeOrRefused)
{
    std::string name = "a/b?c";
    name.push_back('\0');
    EXPECT_EQ(library->savePreset(name.data(), "Presets", false), PresetSaveResult::kSaved);
    EXPECT_STREQ(name.c_str(), "a_b_c"); // edited in place
    EXPECT_TRUE(trace.contains("Changed 2 characters to '_': a_b_c"));
    EXPECT_TRUE(exists("a_b_c.h2p"));

    for (const std::string& bad :
         {std::string(""), std::string(".."), std::string("tab\there"), std::string(64, 'x')}) {
        EXPECT_EQ(save(bad), PresetSaveResult::kRefused) << bad;
    }
    EXPECT_EQ(entries(), "a_b_c.h2p");
    EXPECT_EQ(save("x", "Nothing"), PresetSaveResult::kRefused);
    EXPECT_EQ(library->savePreset(nullptr, "Presets", false), PresetSaveResult::kRefused);
}

TEST_F(SaveTest, KindOfDataFollowsTheListAndTheFormatFlag)
{
    library->setDefaultExtension("fxp");
    library->setNativeFormat(0);
    host.program = "FXPIMAGE";
    EXPECT_EQ(save("Prog"), PresetSaveResult::kSaved);
    EXPECT_EQ(file("Prog.fxp"), "FXPIMAGE");
    EXPECT_STREQ(library->getCurrentPresetExtension("Presets"), "fxp");

    // A program image carries the name it is saved under.
    const auto image = PresetFxp::buildProgram("chunk", 5, kPluginId, 3, "Old name");
    host.program.assign(image.begin(), image.end());
    EXPECT_EQ(save("New name"), PresetSaveResult::kSaved);
    const std::string saved = file("New name.fxp");
    ASSERT_EQ(saved.size(), image.size());
    EXPECT_EQ(saved.substr(28, 28), std::string("New name") + std::string(20, '\0'));
    EXPECT_EQ(saved.substr(0, 28), host.program.substr(0, 28));
    EXPECT_EQ(saved.substr(56), host.program.substr(56));

    // No data: nothing is written, nothing changes.
    host.program.clear();
    EXPECT_EQ(save("Empty"), PresetSaveResult::kFailed);
    EXPECT_FALSE(exists("Empty.fxp"));

    // Module lists save the module's state and tell the engine side nothing.
    library->addModulePresetList("LFO1", PresetListType::kModule);
    host.nativeChanges.clear();
    host.state = "lfo state";
    std::string name = "Wobble";
    EXPECT_EQ(library->savePreset(name.data(), "LFO1", false), PresetSaveResult::kSaved);
    EXPECT_EQ(dir.readFile(modules() + "/LFO/Wobble.h2p"), "lfo state");
    EXPECT_EQ(host.stateAsked.back(), "LFO1");
    EXPECT_TRUE(host.nativeChanges.empty());
    EXPECT_EQ(host.messages.back(), "46:LFO1");
}

// A tuning list writes no file, but the name becomes its current preset and
// the controls hear of the save as of any other.
TEST_F(SaveTest, SavingIntoATuningListWritesNothingButNamesTheCurrentPreset)
{
    write(tunefiles() + "/Just.tun", "[Tuning]\n");
    const std::string tuning = library->addTuningPresetList(&host.records[kTuningName]);
    host.messages.clear();
    host.nativeChanges.clear();
    std::string name = "Just";
    name.push_back('\0');
    EXPECT_EQ(library->savePreset(name.data(), tuning.c_str(), false), PresetSaveResult::kNothing);
    EXPECT_NE(trace.standardOutput().find("don't save anything for tun\n"), std::string::npos);
    EXPECT_EQ(dir.readFile(tunefiles() + "/Just.tun"), "[Tuning]\n");
    EXPECT_TRUE(host.questions.empty());
    EXPECT_STREQ(library->getCurrentPresetName(tuning.c_str()), "Just");
    EXPECT_STREQ(library->getCurrentPresetExtension(tuning.c_str()), "tun");
    EXPECT_EQ(host.messages, (std::vector<std::string>{"47:" + tuning, "46:" + tuning}));
    EXPECT_TRUE(host.nativeChanges.empty());
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "...");

    name = "Fresh";
    name.push_back('\0');
    EXPECT_EQ(library->savePreset(name.data(), tuning.c_str(), false), PresetSaveResult::kNothing);
    EXPECT_FALSE(dir.exists(tunefiles() + "/Fresh.tun"));
    EXPECT_STREQ(library->getCurrentPresetName(tuning.c_str()), "Fresh");
}

// A preset file the user made read-only is refused as any file that cannot
// be written: whatever the answer, and with force, nothing is asked, backed
// up or replaced, the names stay and the user is told.
TEST_F(SaveTest, AReadOnlyPresetIsNeverReplaced)
{
    host.state = "mine";
    ASSERT_EQ(save("Pad"), PresetSaveResult::kSaved);
    library->setCurrentPreset("Before", "h2p", "Presets");
    ASSERT_EQ(::chmod(dir.file(presets() + "/Pad.h2p").c_str(), 0444), 0);
    host.messages.clear();
    host.nativeChanges.clear();
    host.state = "new";
    AM_FileMessages::reset();
    for (const int32_t answer :
         {PresetLibraryHost::kAnswerOverwrite, PresetLibraryHost::kAnswerBackupAndSave}) {
        host.answer = answer;
        EXPECT_EQ(save("Pad"), PresetSaveResult::kFailed);
    }
    EXPECT_EQ(save("Pad", "Presets", true), PresetSaveResult::kFailed);
    ::chmod(dir.file(presets() + "/Pad.h2p").c_str(), 0644);
    EXPECT_EQ(file("Pad.h2p"), "mine");
    EXPECT_EQ(entries(), "Pad.h2p");
    EXPECT_TRUE(host.questions.empty());
    EXPECT_STREQ(library->getCurrentPresetName("Presets"), "Before");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.nativeChanges.empty());
    EXPECT_NE(trace.standardOutput().find("Eeek, AM_FileErr occurred on AM_Directory->createFile"),
              std::string::npos);
    ASSERT_EQ(trace.messageBoxes().size(), 1u);
    EXPECT_NE(trace.messageBoxes()[0].find("Orlen Error|file couldn't be created to "),
              std::string::npos);
    EXPECT_NE(trace.messageBoxes()[0].find("Pad.h2p"), std::string::npos);
    AM_FileMessages::reset();

    // Writable again, it is saved over as before.
    host.answer = PresetLibraryHost::kAnswerOverwrite;
    EXPECT_EQ(save("Pad"), PresetSaveResult::kSaved);
    EXPECT_EQ(file("Pad.h2p"), "new");
}

} // namespace
} // namespace librarytest
