#include "ViewManFixture.h"

#include "TraceCapture.h"
#include "gui/views/AM_InstanceRecord.h"

#include <string>

class PreferencesTest : public viewtest::ViewManTest {};

namespace {
std::string listText(const AM_PreferenceList& list)
{
    std::string out;
    for (const AM_PreferenceRecord& r : list.records()) {
        out += r.type + "/" + r.property + "/" + std::to_string(r.id) + "=" + r.value + "@" +
               std::to_string(r.scope) + " ";
    }
    return out;
}
} // namespace

TEST_F(PreferencesTest, PreferenceKeysIncludeTheIdAndKeepTheirScope)
{
    AM_ViewMan* vm = open();
    AM_InstanceRecord* record = vm->getInstanceRecord();
    EXPECT_TRUE(vm->addPreference("Window", "Zoom", "1", 0, kPreferenceScopeUser));
    EXPECT_TRUE(vm->addPreference("Window", "Zoom", "2", 1, kPreferenceScopeSession));
    EXPECT_TRUE(vm->addPreference("Knob", "Mode", "3", 0, kPreferenceScopeScript));
    EXPECT_EQ(listText(record->preferences), "Window/Zoom/0=1@0 Window/Zoom/1=2@1 ");
    EXPECT_EQ(listText(vm->getOwnPreferences()), "Knob/Mode/0=3@2 ");

    // The same key overwrites the value where it is, whatever scope is asked.
    EXPECT_TRUE(vm->addPreference("Window", "Zoom", "4", 0, kPreferenceScopeScript));
    EXPECT_TRUE(vm->addPreference("Knob", "Mode", "5", 0, kPreferenceScopeUser));
    EXPECT_EQ(listText(record->preferences), "Window/Zoom/0=4@0 Window/Zoom/1=2@1 ");
    EXPECT_EQ(listText(vm->getOwnPreferences()), "Knob/Mode/0=5@2 ");

    EXPECT_STREQ(vm->findPreference("Window", "Zoom", 1), "2");
    EXPECT_EQ(vm->findPreference("Window", "Zoom", 2), nullptr);
    EXPECT_EQ(vm->findPreference("window", "Zoom", 0), nullptr);
    EXPECT_EQ(vm->findPreference(nullptr, "Zoom", 0), nullptr);
}

TEST_F(PreferencesTest, NewKeysAreAppendedSoTheirOrderIsStable)
{
    AM_ViewMan* vm = open();
    for (const char* property : {"c", "a", "b"}) {
        EXPECT_TRUE(vm->addPreference("T", property, "v", 0, kPreferenceScopeScript));
    }
    EXPECT_TRUE(vm->addPreference("T", "a", "w", 0, kPreferenceScopeScript));
    EXPECT_EQ(listText(vm->getOwnPreferences()), "T/c/0=v@2 T/a/0=w@2 T/b/0=v@2 ");
}

TEST_F(PreferencesTest, MissingPreferencesTakeTheirDefaultIntoTheScript)
{
    AM_ViewMan* vm = open();
    EXPECT_EQ(vm->getIntPreference("Grid", "Size", 0, 8), 8);
    EXPECT_FLOAT_EQ(vm->getFloatPreference("Window", "Zoom", 0, 1.5f), 1.5f);
    EXPECT_STREQ(vm->getStringPreference("Theme", "Name", 0, "Dark"), "Dark");
    EXPECT_EQ(listText(vm->getOwnPreferences()),
              "Grid/Size/0=8@2 Window/Zoom/0=1.50@2 Theme/Name/0=Dark@2 ");
    EXPECT_TRUE(vm->getInstanceRecord()->preferences.empty());

    // Stored values win over the defaults; a second read adds nothing.
    // An existing key is overwritten in its own list, whatever scope is asked.
    EXPECT_TRUE(vm->addPreference("Grid", "Size", "-3", 0, kPreferenceScopeUser));
    EXPECT_EQ(vm->getIntPreference("Grid", "Size", 0, 8), -3);
    EXPECT_TRUE(vm->getInstanceRecord()->preferences.find("Grid", "Size", 0) == nullptr);
    EXPECT_TRUE(vm->addPreference("Snap", "Step", "-12", 0, kPreferenceScopeUser));
    EXPECT_EQ(vm->getIntPreference("Snap", "Step", 0, 8), -12);
    EXPECT_TRUE(vm->addPreference("Snap", "Factor", "0.25", 0, kPreferenceScopeUser));
    EXPECT_FLOAT_EQ(vm->getFloatPreference("Snap", "Factor", 0, 1.0f), 0.25f);
    EXPECT_EQ(vm->getOwnPreferences().size(), 3u);
    // A value that is no number gives the default.
    EXPECT_TRUE(vm->addPreference("Snap", "Word", "none", 0, kPreferenceScopeUser));
    EXPECT_EQ(vm->getIntPreference("Snap", "Word", 0, 7), 7);
    EXPECT_FLOAT_EQ(vm->getFloatPreference("Snap", "Word", 0, 0.5f), 0.5f);
}

TEST_F(PreferencesTest, PreferencesThatCannotBeWrittenBackAreRefused)
{
    AM_ViewMan* vm = open();
    struct Case {
        const char* type;
        const char* property;
        const char* value;
        uint32_t scope;
        bool stored;
    };
    const Case cases[] = {
        {"Window", "Zoom", "2", kPreferenceScopeUser, true},
        {"Window", "Title", "two words", kPreferenceScopeUser, true},
        {"Window", "Quote", "it's", kPreferenceScopeUser, false},
        {"Window", "Equal", "a=b", kPreferenceScopeScript, false},
        {"Window", "Tab", "a\tb", kPreferenceScopeScript, false},
        {"Window", "Line", "a\nb", kPreferenceScopeScript, false},
        {"Window", "Return", "a\rb", kPreferenceScopeUser, false},
        {"Win'dow", "Zoom", "2", kPreferenceScopeScript, false},
        {"Window", "Zo=om", "2", kPreferenceScopeScript, false},
        // ':' joins the three texts of a stored preference.
        {"Window", "Colon", "a:b", kPreferenceScopeUser, false},
        {"Win:dow", "Colon", "b", kPreferenceScopeSession, false},
        {"Window", "Colon", "a:b", kPreferenceScopeScript, true},
        {"Window", "Escaped", "a\\:b", kPreferenceScopeUser, true},
        {"Window", "Backslash", "a\\b", kPreferenceScopeUser, true},
        {"Window", "Trailing", "ab\\", kPreferenceScopeUser, false},
        {"Window", "Trailing", "ab\\", kPreferenceScopeScript, true},
        {nullptr, "Zoom", "2", kPreferenceScopeScript, false},
        {"Window", nullptr, "2", kPreferenceScopeScript, false},
        {"Window", "Zoom", nullptr, kPreferenceScopeScript, false},
    };
    testsupport::TraceCapture trace;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.property != nullptr ? c.property : "(null)"));
        EXPECT_EQ(vm->addPreference(c.type, c.property, c.value, 7, c.scope), c.stored);
    }
    EXPECT_EQ(vm->getInstanceRecord()->preferences.size(), 4u);
    EXPECT_EQ(vm->getOwnPreferences().size(), 2u);
    EXPECT_EQ(trace.count("refused"), 13);

    // An existing record is not changed by a refused value.
    EXPECT_FALSE(vm->addPreference("Window", "Zoom", "3'", 7, kPreferenceScopeUser));
    EXPECT_STREQ(vm->findPreference("Window", "Zoom", 7), "2");
}

TEST_F(PreferencesTest, PreferencesAreBoundedInLength)
{
    AM_ViewMan* vm = open();
    const std::string fits(190, 'v');
    const std::string tooLong(200, 'v');
    EXPECT_TRUE(vm->addPreference("T", "P", fits.c_str(), 0, kPreferenceScopeUser));
    EXPECT_FALSE(vm->addPreference("T", "Q", tooLong.c_str(), 0, kPreferenceScopeUser));
    EXPECT_TRUE(vm->addPreference("T", "Q", tooLong.c_str(), 0, kPreferenceScopeScript));
    const std::string huge(300, 'v');
    EXPECT_FALSE(vm->addPreference("T", "R", huge.c_str(), 0, kPreferenceScopeScript));
}

TEST_F(PreferencesTest, WithoutAnInstanceRecordOnlyTheScriptPreferencesWork)
{
    AM_ViewMan vm(&interface, nullptr, nullptr);
    testsupport::TraceCapture trace;
    EXPECT_FALSE(vm.addPreference("Window", "Zoom", "2", 0, kPreferenceScopeUser));
    EXPECT_TRUE(trace.contains("no Inst rec to add prefs into"));
    EXPECT_EQ(vm.getIntPreference("Grid", "Size", 0, 8), 8);
    EXPECT_EQ(vm.getIntPreference("Grid", "Size", 0, 9), 8);
    EXPECT_TRUE(trace.contains("no Inst rec to provide for prefs"));
    EXPECT_EQ(vm.getOwnPreferences().size(), 1u);
}
