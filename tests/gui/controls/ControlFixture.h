#pragma once
// A view manager with the built control classes installed, on the parameter
// interface of the views tests. The list parameter "Wave" shows the names
// "Osc", "Env", "none" and "Filter"; `wide` is a copy of "Tune" ranging
// 0..100 with default 50, for knob arithmetic in whole units.

#include "../views/ParameterFixture.h"

#include "GuiTestKit.h"
#include "gui/controls/AM_StandardControls.h"
#include "gui/graphics/text/AM_FontSettings.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdio>
#include <initializer_list>
#include <utility>
#include <string>

namespace controltest {

using namespace viewtest;

class NamedInterface : public ParameterInterface {
public:
    void getParameterDisplay(int32_t index, const void* value, char* text) override
    {
        if (index == kWave && value != nullptr && text != nullptr) {
            static const char* const kNames[] = {"Osc", "Env", "none", "Filter"};
            float v = 0;
            std::memcpy(&v, value, sizeof v);
            const int k = static_cast<int>(v);
            std::snprintf(text, 32, "%s", k >= 0 && k < 4 ? kNames[k] : "?");
            return;
        }
        ParameterInterface::getParameterDisplay(index, value, text);
    }
};

// A view manager that records the menus controls show and answers with a
// chosen command (0: nothing chosen).
class MenuViewMan : public MenuRecordingViewMan {
public:
    using MenuRecordingViewMan::MenuRecordingViewMan;
    // Chooses the first item whose text is answerText or, without one, whose
    // command is the answer (0: nothing).
    uint32_t chooseFromMenu()
    {
        ++menusShown;
        const AM_MenuTable& table = getMenuTable();
        for (uint32_t i = 1; (answer != 0 || !answerText.empty()) && i <= table.itemCount(); ++i) {
            const AM_MenuItem* item = table.item(i);
            if (item->isSubMenuEntry() || item->isSeparator()) {
                continue;
            }
            if (answerText.empty() ? item->command == static_cast<uint32_t>(answer)
                                   : item->text == answerText) {
                return i;
            }
        }
        return 0;
    }
    // Shows the menu as the editor does: the chosen item goes to the control
    // that opened it.
    bool showMenu() override
    {
        const uint32_t chosen = chooseFromMenu();
        if (chosen != 0) {
            deliverMenuCommand(chosen);
        }
        return false;
    }
    bool makeDefault() override
    {
        ++defaultsMade;
        return TestViewMan::makeDefault();
    }
    void selectModule(const char* name) override
    {
        selectedModules.emplace_back(name != nullptr ? name : "");
        TestViewMan::selectModule(name);
    }
    bool performAction(uint32_t action, const char* address) override
    {
        actions.push_back(static_cast<int32_t>(action));
        addresses.emplace_back(address != nullptr ? address : "");
        return true;
    }
    // An entry typed and accepted in the prompt.
    void typeEntry(const std::string& text) { acceptTextEntry(text); }
    bool beginTextEntry(AM_ViewControl* target, uint32_t id, char* text, uint32_t textBytes,
                        void* userData, bool multiLine) override
    {
        entries.push_back({target != nullptr ? target->getName() : "", text != nullptr ? text : "",
                           target});
        return TestViewMan::beginTextEntry(target, id, text, textBytes, userData, multiLine);
    }
    struct Entry {
        std::string title;
        std::string text;
        AM_ViewControl* target;
    };

    std::vector<int32_t> actions;
    std::vector<std::string> addresses;
    std::vector<std::string> selectedModules;
    std::vector<Entry> entries;
    int defaultsMade = 0;
    std::string answerText;
};

// The process-wide state of view managers, cleared around each test.
struct ControlTestAccess {
    static void reset()
    {
        // The pinned font of the reference pictures.
        AM_FontSettings::reset();
        const std::string font = KK_VERA_TTF;
        AM_FontSettings::setFolder(font.substr(0, font.rfind('/') + 1).c_str());
        resetViewProcessState();
    }
};

class ControlTest : public ::testing::Test {
protected:
    ControlTest()
    {
        resetAll();
        vm = std::make_unique<MenuViewMan>(&interface, nullptr, nullptr);
        openTestSynth(*vm);
        AM_installStandardControls(vm.get());
        wide = *interface.param(kTune);
        wide.min = 0;
        wide.max = 100;
        wide.defaultValue = 50;
    }
    ~ControlTest() override
    {
        vm.reset();
        resetAll();
    }
    static void resetAll() { ControlTestAccess::reset(); }

    // Press, drags and release through the view manager at the zoom; the
    // points are in GUI units. The zoom goes back to 1 after.
    void gesture(float zoom, std::initializer_list<std::pair<float, float>> points,
                 uint32_t flags = 0)
    {
        vm->setZoom(zoom);
        vm->setEditMode(false);
        auto it = points.begin();
        vm->handleMouseDown(it->first * zoom, it->second * zoom, flags);
        std::pair<float, float> last = *it;
        for (++it; it != points.end(); ++it) {
            last = *it;
            vm->handleMouseDrag(last.first * zoom, last.second * zoom, flags);
        }
        vm->handleMouseUp(last.first * zoom, last.second * zoom, flags);
        vm->setZoom(1.0f);
    }

    // Reads the script into a fresh GUI (the old one goes away) and writes
    // the tree back, control lines and then property lines.
    std::string readAndWrite(const std::string& script)
    {
        vm.reset();
        vm = std::make_unique<MenuViewMan>(&interface, nullptr, nullptr);
        openTestSynth(*vm);
        AM_installStandardControls(vm.get());
        vm->parseScript(script.c_str(), static_cast<int32_t>(script.size()), true);
        std::string written;
        if (AM_ViewControl* top = vm->getTopControl()) {
            top->writeControlTree(&written);
            top->writePropertyTree(&written);
        }
        return written;
    }

    // A control of the type, registered at the top of the tree (or under
    // parent), visible and in run mode.
    template <class T>
    T* make(const char* type, AM_Rect bounds, AM_ViewControl* parent = nullptr)
    {
        AM_ViewControl* control = vm->createControl(type, &bounds);
        if (parent != nullptr)
            parent->addControl(control, kAllLayers, false);
        else
            vm->registerControl(control, nullptr);
        control->setVisible(true, kAllLayers, false);
        control->setEditMode(false);
        return dynamic_cast<T*>(control);
    }

    // Paints the control tree into a canvas and compares it with the golden
    // picture `name`_z1 / _z2.
    std::string paint(AM_ViewControl* top, float width, float height, const std::string& name,
                      float zoom)
    {
        testsupport::HeadlessCanvas canvas(width, height, zoom);
        canvas.begin();
        const AM_Rect clip{0, 0, width, height};
        top->paintTree(&canvas.context(), &clip);
        return canvas.compare(name + "_z" + std::to_string(int(zoom)), 1);
    }

    NamedInterface interface;
    std::unique_ptr<MenuViewMan> vm;
    AM_ParamInfo wide{};
};

} // namespace controltest
