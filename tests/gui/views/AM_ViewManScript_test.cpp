#include "ScriptFixture.h"

#include "FileSizeLimit.h"
#include "PortFixture.h"
#include "foundation/AM_DataFolder.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_InstanceRecord.h"
#include "gui/views/AM_RootView.h"
#include "gui/views/AM_ScriptReader.h"

#include <cstdio>
#include <string>
#include <vector>

using viewtest::fixtureText;
using viewtest::ScriptTest;

namespace {

AM_PlaceholderControl* placeholder(AM_ViewMan* vm, const char* name)
{
    return dynamic_cast<AM_PlaceholderControl*>(vm->getTopControl()->findByName(name));
}

// The CONTROL and PROPERTY part of a saved script, without banners.
std::string controlsOf(const std::string& saved)
{
    const size_t start = saved.find("\n\nCONTROL");
    const size_t end = saved.find("\n\nV_PROPERTY");
    if (start == std::string::npos || end == std::string::npos)
        return {};
    return saved.substr(start, end - start);
}

// The UI preference file of the fixture's plug-in.
std::string prefsFilePath()
{
    AM_Directory folder;
    if (getSpecialFolder(folder, kAM_FolderSupport, 0, "Orlen", "TestFolder") != 0)
        return {};
    char path[1024];
    folder.path().getNarrow(path, sizeof path - 1);
    return std::string(path) + "com.TestMaker.TestSynth.UIprefs.txt";
}

// Registers the port fixture's class as the type "TestPort".
void registerPortType(AM_ViewMan* vm)
{
    AM_ControlTypeRecord type{};
    std::snprintf(type.name, sizeof type.name, "TestPort");
    type.defaultWidth = 20;
    type.defaultHeight = 20;
    type.factory = [](AM_ViewMan* v, const AM_Rect* b) -> AM_ViewControl* {
        return new viewtest::PortControl(v, b);
    };
    vm->registerControlType(&type, sizeof(viewtest::PortControl));
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST_F(ScriptTest, AFixtureWithEveryKeywordSavesToItsReferenceAndRoundTrips)
{
    copyFixtures({"fixture.txt", "part.txt", "theme.txt"});
    AM_ViewMan* vm = openEditor();
    ASSERT_TRUE(vm->loadScriptFile(scriptPath("fixture.txt").c_str(), 1));

    // What reading did, beyond what the saved text shows.
    EXPECT_STREQ(vm->getAuthor(), "Fixture Author");
    EXPECT_STREQ(vm->findPreference("View", "zoom", 1), "2");
    EXPECT_EQ(vm->getColour("Nothing"), nullptr); // rgba 0 is ignored
    EXPECT_EQ(vm->getGraphic("Strip"), nullptr);  // images come from the image folders
    ASSERT_NE(vm->getScript(0), nullptr);
    EXPECT_EQ(vm->getScript(0)->name, "Plain");
    EXPECT_EQ(vm->getLoadedScriptPath(), scriptPath("theme.txt")); // the file read last
    AM_ViewControl* cutoff = placeholder(vm, "Cutoff");
    ASSERT_NE(cutoff, nullptr);
    EXPECT_EQ(cutoff->getParentControl(), placeholder(vm, "Main"));
    EXPECT_EQ(cutoff->getLayerMask(), 3u);
    EXPECT_NE(cutoff->getState() & kStateEditMode, 0u);

    // Saving writes the script that was opened, never the included ones.
    ASSERT_TRUE(vm->saveScript());
    if (const char* data = std::getenv("KK_UPDATE_GOLDEN")) {
        (void)data;
        std::ofstream(std::string(std::getenv("KK_TEST_DATA")) + "/scripts/fixture_saved.txt",
                      std::ios::binary)
            << dir.readFile("fixture.txt");
    }
    const std::string reference = fixtureText("fixture_saved.txt");
    EXPECT_EQ(dir.readFile("fixture.txt"), reference);
    EXPECT_EQ(dir.readFile("part.txt"), fixtureText("part.txt"));
    EXPECT_EQ(dir.readFile("theme.txt"), fixtureText("theme.txt"));
    EXPECT_TRUE(trace.contains("saving to " + scriptPath("fixture.txt")));

    // Read, save, read, save: the same text each time.
    views.clear();
    for (int round = 0; round < 2; ++round) {
        AM_ViewMan* next = openEditor();
        ASSERT_TRUE(next->loadScriptFile(scriptPath("fixture.txt").c_str(), 1));
        ASSERT_TRUE(next->saveScript());
        EXPECT_EQ(dir.readFile("fixture.txt"), reference) << "round " << round;
        views.clear();
    }
}

TEST_F(ScriptTest, ANonEditableLoadIsNeverSaved)
{
    copyFixtures({"fixture.txt", "part.txt", "theme.txt"});
    dir.writeFile("mine.txt", "CONTROL type='Knob' name='Mine' bounds='1 2 30 30' "
                              "parent='editRootControl'\n");
    AM_ViewMan* vm = openEditor();
    ASSERT_TRUE(vm->loadScriptFile(scriptPath("mine.txt").c_str(), 1));
    // The fixture's objects join the GUI, marked not saveable.
    const std::string fixture = fixtureText("fixture.txt");
    vm->parseScript(fixture.data(), int32_t(fixture.size()), false);
    ASSERT_NE(placeholder(vm, "Cutoff"), nullptr);
    EXPECT_FALSE(placeholder(vm, "Cutoff")->isSaveable());
    EXPECT_EQ(placeholder(vm, "Cutoff")->getState() & kStateEditMode, 0u);
    ASSERT_TRUE(vm->saveScript());
    const std::string saved = dir.readFile("mine.txt");
    EXPECT_NE(saved.find("name='Mine'"), std::string::npos);
    for (const char* name : {"Cutoff", "Main", "Panel", "Ring", "Card"})
        EXPECT_EQ(saved.find(std::string("'") + name + "'"), std::string::npos) << name;

    // A GUI read without edit rights has no script to save into: the file
    // stays as it was.
    views.clear();
    AM_ViewMan* viewer = openEditor(false);
    ASSERT_TRUE(viewer->loadScriptFile(scriptPath("fixture.txt").c_str(), 0));
    EXPECT_FALSE(viewer->saveScript());
    EXPECT_EQ(dir.readFile("fixture.txt"), fixture);
}

TEST_F(ScriptTest, IncludesAndThemesStopAtCyclesMissingFilesAndDepth)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;
        const char* trace;
        std::vector<const char*> colours; // all defined after the load
    };
    std::string chain;
    std::vector<std::pair<std::string, std::string>> deep;
    for (int i = 0; i < 12; ++i) {
        deep.push_back({"d" + std::to_string(i) + ".txt",
                        "INCLUDE filename='d" + std::to_string(i + 1) + ".txt'\nCOLOUR name='D" +
                            std::to_string(i) + "' rgba='ff'\n"});
    }
    const Case cases[] = {
        {"itself",
         {{"a.txt", "INCLUDE filename='a.txt'\nCOLOUR name='After' rgba='ff'\n"}},
         "is being read already",
         {"After"}},
        {"a two-file cycle",
         {{"a.txt", "INCLUDE filename='b.txt'\nCOLOUR name='A' rgba='ff'\n"},
          {"b.txt", "INCLUDE filename='a.txt'\nCOLOUR name='B' rgba='ff'\n"}},
         "a.txt is being read already",
         {"A", "B"}},
        {"a missing file",
         {{"a.txt", "INCLUDE filename='missing.txt'\nCOLOUR name='After' rgba='ff'\n"}},
         "Empty File...",
         {"After"}},
        {"a name outside the scripts folder",
         {{"a.txt", "INCLUDE filename='../a.txt'\nCOLOUR name='After' rgba='ff'\n"}},
         "not inside the scripts folder",
         {"After"}},
        {"a chain deeper than the limit", deep, "included 8 deep", {"D0", "D7"}},
    };
    for (const Case& c : cases) {
        for (const auto& [name, text] : c.files)
            dir.writeFile(name, text);
        const std::string first = c.files.front().first;
        AM_ViewMan* vm = openEditor();
        trace.clear();
        vm->loadScriptFile(scriptPath(first).c_str(), 1);
        EXPECT_TRUE(trace.contains(c.trace)) << c.what << "\n" << trace.text();
        for (const char* colour : c.colours)
            EXPECT_NE(vm->getColour(colour), nullptr) << c.what << ": " << colour;
        // Saving still writes the script that was opened.
        EXPECT_TRUE(vm->saveScript()) << c.what;
        EXPECT_TRUE(trace.contains("saving to " + scriptPath(first))) << c.what;
        views.clear();
    }
}

TEST_F(ScriptTest, ScriptsThatIncludeEachOtherAreEachReadOnceByOneLoad)
{
    // Each file includes all the others (no cycle once a file has closed):
    // without a bound one load reads 1 + 4 + 4*3 + 4*3*2 + 4*3*2*1 files.
    constexpr int kFiles = 5;
    for (int i = 0; i < kFiles; ++i) {
        std::string text;
        for (int j = 0; j < kFiles; ++j)
            if (j != i)
                text += "INCLUDE filename='f" + std::to_string(j) + ".txt'\n";
        text += "CONTROL type='Knob' name='C" + std::to_string(i) +
                "' bounds='0 0 10 10' parent='editRootControl'\n";
        dir.writeFile("f" + std::to_string(i) + ".txt", text);
    }
    AM_ViewMan* vm = openEditor();
    const auto controls = [vm]() {
        int count = 0;
        for (AM_ViewControl* c = vm->getTopControl()->getFirstChildControl(); c != nullptr;
             c = c->getNextControl())
            ++count;
        return count;
    };
    trace.clear();
    vm->loadScriptFile(scriptPath("f0.txt").c_str(), 1);
    EXPECT_EQ(controls(), kFiles);
    EXPECT_TRUE(trace.contains("f2.txt was read already by this load: not read again"))
        << trace.text();
    // The next load reads each of them again, once.
    vm->loadScriptFile(scriptPath("f1.txt").c_str(), 1);
    EXPECT_EQ(controls(), 2 * kFiles);
}

TEST_F(ScriptTest, PastItsLimitsAScriptMakesNoMoreControlsColoursOrGraphics)
{
    AM_ViewMan* vm = openEditor();
    const int32_t controlsBefore = vm->getControlCount();
    const int32_t coloursBefore = vm->getColourCount();
    std::string text;
    for (int32_t i = 0; i < AM_ScriptReader::kMaxColours - coloursBefore + 2; ++i)
        text += "COLOUR name='C" + std::to_string(i) + "' rgba='ff'\n";
    for (int32_t i = 0; i < AM_ScriptReader::kMaxGraphics + 2; ++i)
        text += "GRAPHIC name='S" + std::to_string(i) + "' path='1' type='circ'\n";
    const int32_t controls = AM_ScriptReader::kMaxControls - controlsBefore;
    for (int32_t i = 0; i < controls + 2; ++i)
        text += "CONTROL type='Knob' name='K" + std::to_string(i) +
                "' bounds='0 0 28 28' parent='editRootControl'\n";
    text += "COLOUR name='Last' rgba='ff'\n";
    dir.writeFile("big.txt", text);
    ASSERT_TRUE(vm->loadScriptFile(scriptPath("big.txt").c_str(), 1));

    EXPECT_EQ(vm->getColourCount(), AM_ScriptReader::kMaxColours);
    EXPECT_EQ(vm->getGraphicCount(), AM_ScriptReader::kMaxGraphics);
    EXPECT_EQ(vm->getControlCount(), AM_ScriptReader::kMaxControls);
    EXPECT_NE(vm->findControl(vm->getTopControl(), ("K" + std::to_string(controls - 1)).c_str()),
              nullptr);
    EXPECT_EQ(vm->findControl(vm->getTopControl(), ("K" + std::to_string(controls)).c_str()),
              nullptr);
    EXPECT_EQ(trace.count("the most it takes"), 3) << "one line each";
    const int32_t stopLine = AM_ScriptReader::kMaxColours - coloursBefore + 2 +
                             AM_ScriptReader::kMaxGraphics + 2 + controls + 1;
    EXPECT_TRUE(trace.contains("stops at line " + std::to_string(stopLine) +
                               ": the GUI holds 4096 controls, the most it takes"))
        << trace.text().substr(0, 2000);
    // An existing colour still takes a new value past the limit.
    const std::string again = "COLOUR name='C0' rgba='11223344'\n";
    vm->parseScript(again.data(), int32_t(again.size()), true);
    EXPECT_EQ(vm->getColour("C0")->getPacked(), 0x11223344u);
}

TEST_F(ScriptTest, AThemeRecordThatIsAFolderReadsNothingAndTheParseGoesOn)
{
    dir.makeDir("Themes/Dark");
    dir.writeFile("a.txt", "THEME name='Dark'\nCOLOUR name='After' rgba='ff'\n");
    AM_ViewMan* vm = openEditor();
    vm->addScript(dir.file("Themes/Dark").c_str(), "Dark", 1, 0);
    vm->loadScriptFile(scriptPath("a.txt").c_str(), 1);
    EXPECT_TRUE(trace.contains("Empty File..."));
    EXPECT_EQ(vm->getAlternative(), 1u);
    EXPECT_NE(vm->getColour("After"), nullptr);
}

TEST_F(ScriptTest, AThemeThatCannotBeFoundEndsTheParse)
{
    struct Case {
        bool withRecord;
        const char* trace;
    };
    for (const Case& c : {Case{false, "No scripts, can't load Theme"},
                          Case{true, "Script doesn't exist, can't load Theme"}}) {
        AM_ViewMan* vm = openEditor();
        if (c.withRecord)
            vm->addScript("other.txt", "Other", 0, 0);
        const std::string text = "COLOUR name='Before' rgba='ff'\nTHEME name='Nowhere'\n"
                                 "COLOUR name='After' rgba='ff'\n";
        vm->parseScript(text.data(), int32_t(text.size()), true);
        EXPECT_TRUE(trace.contains(c.trace));
        EXPECT_NE(vm->getColour("Before"), nullptr);
        EXPECT_EQ(vm->getColour("After"), nullptr);
        views.clear();
    }
}

TEST_F(ScriptTest, AThemeRecordLoadsItsScript)
{
    dir.makeDir("Themes/Dark/Scripts");
    dir.writeFile("Themes/Dark/Scripts/TestSynth.txt",
                  "CONTROL type='Knob' name='DarkKnob' parent='editRootControl'\n");
    dir.writeFile("plain.txt", "CONTROL type='Knob' name='PlainKnob' parent='editRootControl'\n");
    AM_ViewMan* vm = openEditor();
    vm->addScript(dir.file("Themes/Dark/Scripts/TestSynth.txt").c_str(), "Dark", 1, 0);
    vm->addScript("plain.txt", "Plain", 0, 0);
    const std::string text = "THEME name='Dark'\nTHEME name='Plain'\n";
    vm->parseScript(text.data(), int32_t(text.size()), true);
    // A theme of its own folder is never editable; a script of the scripts
    // folder follows the editor-setup switch.
    ASSERT_NE(placeholder(vm, "DarkKnob"), nullptr);
    EXPECT_FALSE(placeholder(vm, "DarkKnob")->isSaveable());
    ASSERT_NE(placeholder(vm, "PlainKnob"), nullptr);
    EXPECT_TRUE(placeholder(vm, "PlainKnob")->isSaveable());
    EXPECT_EQ(vm->getAlternative(), 0u);
}

TEST_F(ScriptTest, ControlLinesNeedATypeFiniteBoundsAndAKnownParent)
{
    AM_ViewMan* vm = openEditor();
    const std::string text = "CONTROL type='Pane' name='Box' bounds='100 50 200 200'\n"
                             "CONTROL type='Knob' name='In' bounds='10 10 20 20' parent='Box'\n"
                             "CONTROL type='Knob' name='Tiny' bounds='1 1 2 0' parent='Box'\n"
                             "CONTROL type='Knob' name='Plain' parent='Box'\n"
                             "CONTROL type='Knob' name='Lost' bounds='1 1 20 20' parent='Nobody'\n"
                             "CONTROL type='Knob' name='Three' bounds='1 1 20'\n"
                             "CONTROL type='Knob' name='Huge' bounds='1 1 1e39 20'\n"
                             "CONTROL type='Knob' name='NaN' bounds='1 1 nan 20'\n"
                             "CONTROL type='knob' name='Lower'\n"
                             "CONTROL name='NoType'\n";
    vm->parseScript(text.data(), int32_t(text.size()), true);
    AM_ViewControl* box = placeholder(vm, "Box");
    ASSERT_NE(box, nullptr);
    // Without a parent the top control takes it, with the consistency text.
    EXPECT_EQ(box->getParentControl(), vm->getTopControl());
    EXPECT_NE(trace.standardOutput().find(
                  "CONSISTENCY ERROR: Control Box wants parent (none), but couldn't fine it\n"),
              std::string::npos);
    EXPECT_NE(trace.standardOutput().find(
                  "CONSISTENCY ERROR: Control Lost wants parent Nobody, but couldn't fine it\n"),
              std::string::npos);
    EXPECT_EQ(placeholder(vm, "Lost")->getParentControl(), vm->getTopControl());

    struct Expected {
        const char* name;
        AM_Rect bounds; // absolute
    };
    for (const Expected& e : {Expected{"In", {110, 60, 20, 20}}, Expected{"Tiny", {101, 51, 6, 6}},
                              Expected{"Plain", {100, 50, 28, 28}}}) {
        AM_ViewControl* control = placeholder(vm, e.name);
        ASSERT_NE(control, nullptr) << e.name;
        EXPECT_EQ(control->getParentControl(), box) << e.name;
        const AM_Rect b = control->getBounds();
        EXPECT_EQ(b.x, e.bounds.x) << e.name;
        EXPECT_EQ(b.y, e.bounds.y) << e.name;
        EXPECT_EQ(b.w, e.bounds.w) << e.name;
        EXPECT_EQ(b.h, e.bounds.h) << e.name;
    }
    for (const char* skipped : {"Three", "Huge", "NaN", "Lower", "NoType"})
        EXPECT_EQ(vm->getTopControl()->findByName(skipped), nullptr) << skipped;
    EXPECT_EQ(trace.count("bounds are not four finite numbers"), 3);
    EXPECT_TRUE(trace.contains("unknown type knob"));

    // Written relative to the parent, read back to the same place.
    std::string written;
    placeholder(vm, "In")->writeControl(&written);
    EXPECT_EQ(written, "\n\nCONTROL type='Knob' name='In' bounds='10.00 10.00 20.00 20.00' "
                       "parent='Box' layerMask='ffffffff'");
}

TEST_F(ScriptTest, PropertyLinesFindTheirControlAndRefuseIdsOutsideTheSlots)
{
    AM_ViewMan* vm = openEditor();
    const std::string text =
        "CONTROL type='Knob' name='K' bounds='0 0 28 28' parent='editRootControl'\n"
        "CONTROL type='Knob' name='L' bounds='0 0 28 28' parent='editRootControl'\n"
        "PROPERTY control='K' name='colours' id='2' value='red'\n"
        "PROPERTY control='K' name='colours' id='2' value='blue'\n"
        "PROPERTY control='K' name='colours' id='-1' value='red'\n"
        "PROPERTY control='K' name='graphics' id='32' value='Ring'\n"
        "PROPERTY control='K' name='steps' id='100' value='1 2 3'\n"
        "PROPERTY control='K' name='bare'\n"
        "PROPERTY control='Nobody' name='colours' id='0' value='red'\n"
        "PROPERTY name='name' control='L' value='control' id='0'\n"
        "GRAPHIC name='Ring' path='1' type='circ'\n"
        "GR_PROPERTY graphic='Ring' name='colour' id='-3' value='red'\n"
        "GR_PROPERTY graphic='Ring' name='colour' id='99' value='red'\n"
        "GR_PROPERTY graphic='Ring' name='colour' id='1' value='red'\n"
        "GR_PROPERTY graphic='Ring' name='colour' id='2' value='Nocolour'\n"
        "GR_PROPERTY graphic='Nothing' name='colour' id='1' value='red'\n";
    vm->parseScript(text.data(), int32_t(text.size()), true);
    using Kept = AM_PlaceholderControl::KeptProperty;
    const std::vector<Kept>& kept = placeholder(vm, "K")->keptProperties();
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].name, "colours");
    EXPECT_EQ(kept[0].id, 2);
    EXPECT_EQ(kept[0].value, "blue"); // the same slot again replaces the value
    EXPECT_EQ(kept[1].name, "steps");
    EXPECT_EQ(kept[1].id, 100);
    EXPECT_TRUE(trace.contains("PROPERTY line with id -1 skipped"));
    EXPECT_TRUE(trace.contains("graphics slot 32 refused"));
    EXPECT_TRUE(trace.contains("PROPERTY line of K without name or value skipped"));
    // Keys are found by name whatever their order and values.
    const std::vector<Kept>& keptL = placeholder(vm, "L")->keptProperties();
    ASSERT_EQ(keptL.size(), 1u);
    EXPECT_EQ(keptL[0].name, "name");
    EXPECT_EQ(keptL[0].value, "control");

    EXPECT_TRUE(trace.contains("GR_PROPERTY line with id -3 skipped"));
    // Names the GUI does not have are said, not passed over.
    EXPECT_TRUE(trace.contains("GR_PROPERTY line skipped: no graphic named 'Nothing'"));
    EXPECT_TRUE(trace.contains("GR_PROPERTY 'colour' of 'Ring': no colour named 'Nocolour'"));
    std::string ring;
    vm->getGraphic("Ring")->writeScript(&ring);
    EXPECT_NE(ring.find("name='colour' id='1' value='red'"), std::string::npos);
    EXPECT_EQ(ring.find("id='99'"), std::string::npos);
}

TEST_F(ScriptTest, ColoursAndGraphicsKeepTheirIdentityAndMarks)
{
    AM_ViewMan* vm = openEditor();
    const std::string editable = "COLOUR name='Ink' rgba='000000ff'\n"
                                 "GRAPHIC name='Ring' path='9' type='circ'\n"
                                 "GRAPHIC name='Box' path='2' type='box'\n"
                                 "GRAPHIC name='Odd' path='2' type='hexagon'\n"
                                 "GRAPHIC name='NoType' path='2'\n";
    vm->parseScript(editable.data(), int32_t(editable.size()), true);
    AM_Colour* ink = vm->getColour("Ink");
    ASSERT_NE(ink, nullptr);
    EXPECT_EQ(ink->getPacked(), 0x000000FFu);
    ASSERT_NE(vm->getGraphic("Ring"), nullptr);
    EXPECT_EQ(vm->getGraphic("Ring")->getPathIndex(), 0u); // no path kind 9
    EXPECT_NE(vm->getGraphic("Box"), nullptr);
    EXPECT_EQ(vm->getGraphic("Odd"), nullptr);
    EXPECT_EQ(vm->getGraphic("NoType"), nullptr);

    // Read again without edit rights: the same objects, the colour's value
    // replaced and its marks kept; the graphic made not saveable.
    const std::string again = "COLOUR name='Ink' rgba='ff0000ff'\n"
                              "GRAPHIC name='Ring' path='1' type='circ'\n";
    vm->parseScript(again.data(), int32_t(again.size()), false);
    EXPECT_EQ(vm->getColour("Ink"), ink);
    EXPECT_EQ(ink->getPacked(), 0xFF0000FFu);
    EXPECT_TRUE(ink->isSaveable());
    EXPECT_FALSE(vm->getGraphic("Ring")->isSaveable());
}

TEST_F(ScriptTest, DefaultAndPreferenceLinesFillThePreferenceLists)
{
    AM_ViewMan* vm = openEditor();
    const std::string text = "DEFAULT type='Knob' property='speed' id='1' value='3'\n"
                             "DEFAULT property='speed' id='1' value='3'\n"
                             "DEFAULT type='Knob' id='1' value='3'\n"
                             "DEFAULT type='Knob' property='speed' id='1'\n"
                             "V_PROPERTY name='Preference' id='4' value='Look:skin\\:dark:on'\n"
                             "V_PROPERTY name='Preference' id='5' value='Look:skin'\n"
                             "V_PROPERTY name='ObjectInstance' id='0' value='77'\n"
                             "V_PROPERTY name='Unknown' id='0' value='1'\n";
    vm->parseScript(text.data(), int32_t(text.size()), true);
    EXPECT_STREQ(vm->findPreference("Knob", "speed", 1), "3");
    ASSERT_EQ(vm->getOwnPreferences().size(), 1u);
    for (const char* missing : {"type NULL", "property NULL", "value NULL"})
        EXPECT_TRUE(trace.contains(missing)) << missing;
    EXPECT_TRUE(
        trace.contains("Detected strange number of strings for prefs property 'Look:skin'"));
    // An escaped ':' stays in its part, with its backslash.
    EXPECT_STREQ(vm->findPreference("Look", "skin\\:dark", 4), "on");
    EXPECT_EQ(vm->peekNextObjectId(), 77u);
}

TEST_F(ScriptTest, TheRootViewsFontAndGammaListenersAreSavedAndReadBack)
{
    const std::string text =
        "CONTROL type='TestPort' name='_Face' bounds='0 0 20 20' parent='root'\n"
        "CONTROL type='TestPort' name='_Gamma' bounds='30 0 20 20' parent='root'\n"
        "LISTENER control='root' port='FontFace' listento='_Face' extport='value'\n"
        "LISTENER control='root' port='Gamma' listento='_Gamma' extport='value'\n";
    dir.writeFile("gui.txt", text);
    const auto openWithRoot = [&]() {
        auto* vm = openEditor();
        registerPortType(vm);
        vm->newRootView();
        return vm;
    };
    const auto followed = [](AM_ViewMan* vm, int32_t listener) -> std::string {
        const AM_PortRecord* port =
            static_cast<AM_RootView*>(vm->getRootView())->getListener(listener);
        const auto* owner = port != nullptr ? dynamic_cast<AM_ViewControl*>(port->owner) : nullptr;
        return owner != nullptr ? owner->getName() : "";
    };

    AM_ViewMan* vm = openWithRoot();
    ASSERT_TRUE(vm->loadScriptFile(scriptPath("gui.txt").c_str(), 1));
    ASSERT_EQ(followed(vm, AM_RootView::kListenFontFace), "_Face");
    ASSERT_TRUE(vm->saveScript());
    const std::string saved = dir.readFile("gui.txt");
    EXPECT_NE(saved.find("\nLISTENER control='root' port='Gamma' listento='_Gamma' "
                         "extport='value'"),
              std::string::npos)
        << saved;
    views.clear();

    // Reopened, the root follows the same controls and saves the same text.
    AM_ViewMan* next = openWithRoot();
    ASSERT_TRUE(next->loadScriptFile(scriptPath("gui.txt").c_str(), 1));
    EXPECT_EQ(followed(next, AM_RootView::kListenFontFace), "_Face");
    EXPECT_EQ(followed(next, AM_RootView::kListenGamma), "_Gamma");
    ASSERT_TRUE(next->saveScript());
    EXPECT_EQ(dir.readFile("gui.txt"), saved);
}

TEST_F(ScriptTest, TwoControlsNamingEachOtherAsPrototypeMakeNoCycle)
{
    const std::string text =
        "CONTROL type='TestPort' name='A' bounds='0 0 20 20' parent='editRootControl'\n"
        "CONTROL type='TestPort' name='B' bounds='30 0 20 20' parent='editRootControl'\n"
        "PROPERTY control='A' name='prototype' id='0' value='B'\n"
        "PROPERTY control='B' name='prototype' id='0' value='A'\n";
    dir.writeFile("gui.txt", text);
    AM_ViewMan* vm = openEditor();
    registerPortType(vm);
    ASSERT_TRUE(vm->loadScriptFile(scriptPath("gui.txt").c_str(), 1));
    auto* a = dynamic_cast<AM_ViewControl*>(vm->getTopControl()->findByName("A"));
    auto* b = dynamic_cast<AM_ViewControl*>(vm->getTopControl()->findByName("B"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->getPrototype(), b);
    EXPECT_EQ(b->getPrototype(), nullptr);
    EXPECT_TRUE(trace.contains("B cannot follow A: the prototypes would make a cycle"));
    // The first change after opening reaches the clone once.
    b->growBy(0, 0, 4, 0, false);
    EXPECT_EQ(a->getBounds().w, 24.0f);
    EXPECT_EQ(b->getBounds().w, 24.0f);
}

TEST_F(ScriptTest, SavingKeepsTheOldScriptWhenTheNewOneCannotBeWrittenAndSaysSo)
{
    std::string big = "CONTROL type='Pane' name='P' bounds='0 0 50 50' parent='editRootControl'\n"
                      "CONTROL type='Knob' name='K' bounds='0 0 28 28' parent='P'\n";
    dir.writeFile("gui.txt", big);
    auto* vm = openEditor();
    ASSERT_TRUE(vm->loadScriptFile(scriptPath("gui.txt").c_str(), 1));
    vm->newRootView();
    vm->setEditModeForTest(true);
    auto* root = static_cast<AM_RootView*>(vm->getRootView());
    // Past the size limit a write fails as on a full disk.
    const std::string notWritten = "GUI script not saved: gui.txt could not be written (the disk "
                                   "is full). The old file is kept.";
    {
        // The saved text is far longer than the file the limit allows.
        testsupport::FileSizeLimit limit(big.size() + 10);
        EXPECT_FALSE(vm->saveScript());
        // The root menu's "save changes" tells the user too.
        const float point[2] = {1, 1};
        root->buildEditMenu(point, true, 0);
        const AM_MenuTable& table = vm->getMenuTable();
        const AM_MenuItem* save = nullptr;
        for (uint32_t i = 1; i <= table.itemCount(); ++i)
            if (table.item(i)->text == "save changes")
                save = table.item(i);
        ASSERT_NE(save, nullptr);
        EXPECT_TRUE(root->handleMenuCommand(point, 0x7FFFFFFF, true, save));
        // So does a pane's "save to file".
        EXPECT_FALSE(vm->saveControlScript(placeholder(vm, "P")));
    }
    EXPECT_EQ(dir.readFile("gui.txt"), big);
    EXPECT_TRUE(trace.contains("the old file is kept"));
    ASSERT_EQ(vm->alerts.size(), 3u);
    EXPECT_EQ(vm->alerts[0], notWritten);
    EXPECT_EQ(vm->alerts[1], notWritten);
    EXPECT_EQ(vm->alerts[2], "GUI script not saved: guiP.txt could not be written (the disk is "
                             "full). The old file is kept.");

    EXPECT_TRUE(vm->saveScript());
    EXPECT_NE(dir.readFile("gui.txt"), big);
    EXPECT_EQ(vm->alerts.size(), 3u) << "a save that worked says nothing";

    // A GUI that was not opened for editing has no script to save into.
    views.clear();
    auto* viewer = openEditor(false);
    EXPECT_FALSE(viewer->saveScript());
    ASSERT_EQ(viewer->alerts.size(), 1u);
    EXPECT_EQ(viewer->alerts[0], "GUI script not saved: This GUI was not opened from a script "
                                 "that can be edited.");
}

TEST_F(ScriptTest, AControlsChildrenAreSavedBesideTheScript)
{
    const std::string text =
        "CONTROL type='Pane' name='Rack' bounds='100 100 200 200' parent='editRootControl'\n"
        "CONTROL type='Knob' name='A' bounds='10 10 28 28' parent='Rack'\n"
        "CONTROL type='Knob' name='B' bounds='50 10 28 28' parent='Rack'\n"
        "PROPERTY control='B' name='style' id='0' value='round'\n";
    dir.writeFile("gui.txt", text);
    AM_ViewMan* vm = openEditor();
    ASSERT_TRUE(vm->loadScriptFile(scriptPath("gui.txt").c_str(), 1));
    AM_ViewControl* rack = placeholder(vm, "Rack");
    ASSERT_TRUE(vm->saveControlScript(rack));
    EXPECT_STREQ(rack->getName(), "Rack");
    const std::string saved = dir.readFile("guiRack.txt");
    EXPECT_EQ(controlsOf(saved + "\n\nV_PROPERTY"),
              "\n\nCONTROL type='Knob' name='A' bounds='10.00 10.00 28.00 28.00' "
              "parent='*placeholder*' layerMask='ffffffff'"
              "\n\nCONTROL type='Knob' name='B' bounds='50.00 10.00 28.00 28.00' "
              "parent='*placeholder*' layerMask='ffffffff'"
              "\n\n/********************************************************"
              "\n*                                                       *"
              "\n*\t\t\t\t\tProperties                           *"
              "\n*                                                       *"
              "\n********************************************************/"
              "\nPROPERTY control='B' name='style' id='0' value='round'");
    EXPECT_TRUE(trace.contains("saving to " + scriptPath("guiRack.txt")));
    // A control without children writes an empty file.
    ASSERT_TRUE(vm->saveControlScript(placeholder(vm, "A")));
    EXPECT_EQ(dir.readFile("guiA.txt"), "");
}

TEST_F(ScriptTest, TheDefaultFileNamesTheScriptThatIsOpenedAndSaved)
{
    dir.writeFile("Main.txt",
                  "CONTROL type='Knob' name='K' bounds='0 0 28 28' parent='editRootControl'\n");
    AM_ViewMan* vm = openEditor();
    vm->setPath(kPathCurrentScript, scriptPath("Main.txt").c_str());
    ASSERT_TRUE(vm->makeDefault());
    EXPECT_EQ(dir.readFile("TestSynthdefault.txt"), "INCLUDE filename='Main.txt'\n");
    views.clear();

    AM_ViewMan* next = openEditor();
    ASSERT_TRUE(next->loadScriptByName("default"));
    ASSERT_NE(placeholder(next, "K"), nullptr);
    ASSERT_TRUE(next->saveScript());
    EXPECT_EQ(dir.readFile("TestSynthdefault.txt"), "INCLUDE filename='Main.txt'\n");
    EXPECT_NE(dir.readFile("Main.txt").find("CONTROL type='Knob' name='K'"), std::string::npos);

    // With a theme loaded the default names the theme.
    next->addScript(dir.file("Dark.txt").c_str(), "Dark", 2, 0);
    const std::string theme = "THEME name='Dark'\n";
    next->parseScript(theme.data(), int32_t(theme.size()), true);
    ASSERT_TRUE(next->makeDefault());
    EXPECT_EQ(dir.readFile("TestSynthdefault.txt"), "THEME name='Dark'\n");
}

TEST_F(ScriptTest, TheScriptListKeepsOneRecordPerPath)
{
    AM_ViewMan* vm = openEditor();
    vm->addScript("a.txt", "A", 0, 0);
    vm->addScript("a.txt", "Again", 3, 0);
    vm->addScript("b.txt", "A name far longer than thirty-one characters", 1, 1);
    vm->addScript("c.txt", "Bad 'name'", 0, 0);
    ASSERT_NE(vm->getScript(1), nullptr);
    EXPECT_EQ(vm->getScript(0)->name, "A");
    EXPECT_EQ(vm->getScript(1)->name.size(), 31u);
    EXPECT_EQ(vm->getScript(2), nullptr);
    EXPECT_EQ(vm->getScript(-1), nullptr);
    EXPECT_TRUE(trace.contains("Script Bad 'name' refused"));
}

TEST_F(ScriptTest, TheLastEditorOfAPluginWritesTheUiPreferencesAndTheNextReadsThem)
{
    AM_ViewMan* first = openEditor();
    AM_ViewMan* second = openEditor();
    ASSERT_TRUE(first->setAuthor("Someone"));
    ASSERT_TRUE(first->addPreference("View", "zoom", "2", 0, kPreferenceScopeUser));
    ASSERT_TRUE(first->addPreference("Knob", "mode", "linear", 3, kPreferenceScopeUser));
    ASSERT_TRUE(first->addPreference("Script", "only", "x", 0, kPreferenceScopeScript));
    views.erase(views.begin());
    EXPECT_TRUE(trace.contains("Records Still existing: 1"));
    (void)second;
    views.clear();

    const std::string file = prefsFilePath();
    const std::string text = fileText(file);
    EXPECT_EQ(text, "V_PROPERTY name='Author' id='0' value='Someone'\n"
                    "V_PROPERTY name='Preference' id='0' value='View:zoom:2'\n"
                    "V_PROPERTY name='Preference' id='3' value='Knob:mode:linear'\n");

    AM_ViewMan::resetProcessState();
    AM_ViewMan* next = openEditor();
    EXPECT_STREQ(next->getAuthor(), "");
    ASSERT_TRUE(next->loadDefaults());
    EXPECT_STREQ(next->getAuthor(), "Someone");
    EXPECT_STREQ(next->findPreference("View", "zoom", 0), "2");
    EXPECT_STREQ(next->findPreference("Knob", "mode", 3), "linear");
    EXPECT_EQ(next->findPreference("Script", "only", 0), nullptr);
    views.clear();
    // Written again unchanged.
    EXPECT_EQ(fileText(file), text);
}

TEST_F(ScriptTest, ThePreferenceFileTakesViewPropertiesOnly)
{
    std::remove(prefsFilePath().c_str());
    AM_ViewMan* vm = openEditor();
    trace.clear();
    EXPECT_FALSE(vm->loadDefaults());
    EXPECT_TRUE(trace.contains("loadDefaults e: 2"));
    vm->addPreference("Keep", "me", "1", 0, kPreferenceScopeUser);
    ASSERT_TRUE(vm->storeUIPreferences());

    std::ofstream(prefsFilePath(), std::ios::binary)
        << "# a comment\r\nCONTROL type='Knob' name='Sneaky' parent='editRootControl'\n"
           "V_PROPERTY name='Preference' id='2' value='A:b:c'\n"
           "INCLUDE filename='elsewhere.txt'\n";
    ASSERT_TRUE(vm->loadDefaults());
    EXPECT_STREQ(vm->findPreference("A", "b", 2), "c");
    EXPECT_EQ(vm->getTopControl()->findByName("Sneaky"), nullptr);
    EXPECT_TRUE(trace.contains("UI Preferences: CONTROL line ignored"));
    EXPECT_TRUE(trace.contains("UI Preferences: INCLUDE line ignored"));
}

TEST_F(ScriptTest, APlaceholderKeepsOnlyLinesItCanWriteBack)
{
    AM_ViewMan* vm = openEditor();
    auto* knob = dynamic_cast<AM_PlaceholderControl*>(vm->createControl("Knob", nullptr));
    ASSERT_NE(knob, nullptr);
    vm->getTopControl()->addControl(knob, kAllLayers, true);
    knob->setProperty("text", 0, "it's");
    knob->setProperty("te=xt", 1, "plain");
    EXPECT_FALSE(knob->connectParameter("Value", "Filt", "Cut", "bad\nstring"));
    knob->keepListener("Value", "tab\there", "Out");
    EXPECT_TRUE(knob->keptProperties().empty());
    EXPECT_TRUE(knob->keptParameters().empty());
    EXPECT_TRUE(knob->keptListeners().empty());
    EXPECT_EQ(trace.count("line refused"), 4);

    // The same port again replaces the kept line.
    EXPECT_TRUE(knob->connectParameter("Value", "Filt", "Cut", nullptr));
    EXPECT_TRUE(knob->connectParameter("Value", "Amp", "Vol", "generic"));
    ASSERT_EQ(knob->keptParameters().size(), 1u);
    EXPECT_EQ(knob->keptParameters()[0].module, "Amp");
    EXPECT_TRUE(knob->keptParameters()[0].hasValueString);
    EXPECT_EQ(trace.count("stay unbound until its class is built"), 1);
}
