#pragma once
// A view manager ready to read GUI scripts: the standard types and colours,
// an editor root pane named "editRootControl" as the top control, and a
// scripts folder of its own (a temporary folder that the fixture files can
// be copied into).

#include "TempDir.h"
#include "TraceCapture.h"
#include "ViewManFixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace viewtest {

// Opens the editor-setup switch that the editor sets in GUI-editing mode,
// and records the alerts shown to the user ("title: text").
class ScriptViewMan : public AM_ViewMan {
public:
    using AM_ViewMan::AM_ViewMan;
    void setEditorSetupMode(bool on) { editorSetupMode_ = on ? 1 : 0; }
    void setEditModeForTest(bool on) { editMode_ = on ? 1 : 0; }
    void showAlert(const char* title, const char* text) override
    {
        alerts.push_back(std::string(title) + ": " + text);
        AM_ViewMan::showAlert(title, text);
    }
    std::vector<std::string> alerts;
};

// The text of a file of tests/gui/views/scripts/.
inline std::string fixtureText(const std::string& name)
{
    const char* data = std::getenv("KK_TEST_DATA");
    std::ifstream in(std::string(data != nullptr ? data : ".") + "/scripts/" + name,
                     std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ScriptTest : public ViewManTest {
protected:
    // A view manager in GUI-editing mode (INCLUDEd scripts are editable)
    // unless editorSetup is false.
    ScriptViewMan* openEditor(bool editorSetup = true, const char* pluginName = "TestSynth")
    {
        views.push_back(std::make_unique<ScriptViewMan>(&interface, nullptr, nullptr));
        auto* vm = static_cast<ScriptViewMan*>(views.back().get());
        const AM_PluginInfo info = pluginInfo(pluginName);
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        const AM_Rect editor{0, 0, 800, 600};
        AM_ViewControl* top = vm->createControl("Pane", &editor);
        top->setName("editRootControl");
        vm->registerControl(top, nullptr);
        vm->setPath(kPathScripts, (dir.path() + "/").c_str());
        vm->setEditorSetupMode(editorSetup);
        return vm;
    }

    // Copies fixture files into the scripts folder.
    void copyFixtures(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            dir.writeFile(name, fixtureText(name));
    }

    std::string scriptPath(const std::string& name) const { return dir.file(name); }

    testsupport::TempDir dir;
    testsupport::TraceCapture trace;
};

} // namespace viewtest
