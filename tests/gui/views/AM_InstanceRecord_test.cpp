#include "ViewManFixture.h"

#include "TraceCapture.h"
#include "foundation/AM_DataFolder.h"
#include "foundation/AM_Directory.h"
#include "gui/views/AM_InstanceRecord.h"

#include <cstdio>
#include <fstream>
#include <string>

class InstanceRecordTest : public viewtest::ViewManTest {};

namespace {
// The UI preference file of the fixture's plug-in "TestSynth".
std::string prefsFile()
{
    AM_Directory folder;
    if (getSpecialFolder(folder, kAM_FolderSupport, 0, "Orlen", "TestFolder") != 0) {
        return {};
    }
    char path[1024] = {};
    folder.path().getNarrow(path, sizeof path - 1);
    return std::string(path) + "com.TestMaker.TestSynth.UIprefs.txt";
}

bool exists(const std::string& path)
{
    return std::ifstream(path).good();
}
} // namespace

TEST_F(InstanceRecordTest, EditorsOfOnePluginShareOneRecordAndCountTheirUsers)
{
    const std::string file = prefsFile();
    ASSERT_FALSE(file.empty());
    std::remove(file.c_str());
    AM_ViewMan* first = open("TestSynth");
    AM_ViewMan* second = open("TestSynth");
    AM_ViewMan* other = open("OtherSynth");
    EXPECT_EQ(first->getNumViewManagers(), 3u);
    AM_InstanceRecord* record = first->getInstanceRecord();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(second->getInstanceRecord(), record);
    EXPECT_NE(other->getInstanceRecord(), record);
    EXPECT_STREQ(record->getName(), "TestSynth");
    EXPECT_EQ(record->users, 2u);
    EXPECT_EQ(AM_InstanceRecord::count(), 2u);

    // A preference of the record is seen by both editors.
    EXPECT_TRUE(first->addPreference("Window", "Zoom", "2", 0, kPreferenceScopeUser));
    EXPECT_STREQ(second->findPreference("Window", "Zoom", 0), "2");
    EXPECT_EQ(other->findPreference("Window", "Zoom", 0), nullptr);

    // Closing the first leaves the file alone; the second writes it.
    testsupport::TraceCapture trace;
    views.erase(views.begin());
    EXPECT_TRUE(trace.contains("Records Still existing: 1"));
    EXPECT_EQ(record->users, 1u);
    EXPECT_EQ(second->getNumViewManagers(), 2u);
    EXPECT_FALSE(exists(file));
    trace.clear();
    views.erase(views.begin());
    EXPECT_FALSE(trace.contains("Records Still existing"));
    EXPECT_FALSE(trace.contains("NO RECORD"));
    EXPECT_EQ(record->users, 0u);
    EXPECT_TRUE(exists(file));
    // The record and its preferences outlive the editors.
    EXPECT_EQ(AM_InstanceRecord::find("TestSynth"), record);
    EXPECT_EQ(record->preferences.size(), 1u);
}

TEST_F(InstanceRecordTest, WithoutThePluginInfoThereIsNoRecord)
{
    testsupport::TraceCapture trace;
    {
        AM_ViewMan vm(&interface, nullptr, nullptr);
        EXPECT_EQ(vm.getInstanceRecord(), nullptr);
        EXPECT_TRUE(trace.contains(
            "ViewMan can't set up Instance record - processdesc not ready yet"));
        EXPECT_FALSE(vm.init(nullptr));
    }
    EXPECT_TRUE(trace.contains("NO RECORD"));
    EXPECT_EQ(AM_InstanceRecord::count(), 0u);
}

TEST_F(InstanceRecordTest, AnEditorThatNeverOpenedDoesNotReleaseAnothersRecord)
{
    AM_ViewMan* opened = open("TestSynth");
    AM_InstanceRecord* record = opened->getInstanceRecord();
    testsupport::TraceCapture trace;
    {
        AM_ViewMan described(&interface, nullptr, nullptr);
        const AM_PluginInfo info = viewtest::pluginInfo("TestSynth");
        described.setProcessDescription(&info);
        EXPECT_EQ(described.getInstanceRecord(), record);
    }
    EXPECT_EQ(record->users, 1u);
    EXPECT_TRUE(trace.contains("NO RECORD"));
    // Opening twice counts once.
    opened->init(nullptr);
    EXPECT_EQ(record->users, 1u);
}

TEST_F(InstanceRecordTest, PluginNamesAreComparedWithinTheirBytes)
{
    AM_PluginInfo info = viewtest::pluginInfo("x");
    std::memset(info.effectName, 'N', sizeof info.effectName); // no terminator
    AM_ViewMan vm(&interface, nullptr, nullptr);
    vm.setProcessDescription(&info);
    AM_InstanceRecord* record = vm.getInstanceRecord();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(std::strlen(record->getName()), size_t(AM_InstanceRecord::kNameBytes - 1));
    EXPECT_EQ(vm.getInstanceRecord(), record);
    EXPECT_EQ(AM_InstanceRecord::count(), 1u);
}
