#pragma once
// An editor view manager with the headless menus and dialogs, and a
// control that opens menus the way the control classes do: a right press
// in run mode gives the run-mode menu (value names, MIDI learn), in edit
// mode the edit menu (name, layer mask, order, lock, rename). Every chosen
// item is recorded; "Rename Control" opens the name prompt.

#include "ViewManFixture.h"

#include "gui/views/AM_AGG_ViewMan.h"
#include "gui/views/AM_MenuTable.h"
#include "platform/HeadlessMenuPresenter.h"
#include "platform/HeadlessSaveForm.h"
#include "platform/HeadlessTextPrompt.h"
#include "platform/HeadlessThreeWayQuestion.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace viewtest {

// Edit-menu codes the fixture answers.
constexpr uint32_t kCodeRename = 2;
constexpr uint32_t kCodeLocked = 11;
constexpr uint32_t kCodeOrder = 12;
constexpr uint32_t kCodeLayerMask = 15;

class MenuControl : public AM_ViewControl {
public:
    struct Command {
        uint32_t menuId;
        uint32_t command;
        std::string text;
        void* userData;
        float x;
        float y;
    };

    MenuControl(AM_ViewMan* viewMan, const AM_Rect* bounds) : AM_ViewControl(viewMan, bounds) {}

    // The right press of the control classes: the run-mode or the edit menu.
    void rightPress(float x, float y)
    {
        const float point[2] = {x, y};
        if ((getState() & kStateEditMode) != 0) {
            buildEditMenu(point);
        } else {
            buildRunMenu(point);
        }
        viewMan_->showMenu();
    }

    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override
    {
        if (!valid || item == nullptr) {
            return false;
        }
        commands.push_back({menuId, item->command, item->text, item->userData, point[0], point[1]});
        if (menuId == kEditMenuId && AM_menuCode(item->command) == kCodeRename) {
            std::snprintf(nameEntry, sizeof nameEntry, "%s", getName());
            beginRename();
            viewMan_->beginTextEntry(this, 0, nameEntry, sizeof nameEntry, nameEntry);
        }
        return true;
    }

    std::vector<std::string> valueNames = {"Saw", "Square", "Noise"};
    int32_t currentValue = 1;
    std::vector<Command> commands;
    char nameEntry[kGuiNameBytes] = {};

private:
    void buildRunMenu(const float* point)
    {
        viewMan_->beginMenu(this, point, kRunMenuId);
        for (size_t k = 0; k < valueNames.size(); ++k) {
            viewMan_->addMenuItem(0, AM_menuCommand(uint32_t(k), kMenuCodeOwnCommand),
                                  valueNames[k].c_str(), 0,
                                  int32_t(k) == currentValue ? kMenuChecked : kMenuCheckable);
        }
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText);
        viewMan_->addMenuItem(0, AM_menuCommand(kMenuSubMidiLearn, kMenuCodeOwnCommand),
                              "MidiLearn");
        viewMan_->addMenuItem(0, AM_menuCommand(kMenuSubMidiUnlearn, kMenuCodeOwnCommand),
                              "MidiUnLearn");
    }

    void buildEditMenu(const float* point)
    {
        viewMan_->beginMenu(this, point, kEditMenuId);
        viewMan_->addMenuItem(0, 0, getName());
        const uint32_t layers = viewMan_->addSubMenu(0, "LayerMask");
        for (uint32_t n = 0; n < 32; ++n) {
            const std::string text = "Layer " + std::to_string(n + 1);
            viewMan_->addMenuItem(layers, AM_menuCommand(n, kCodeLayerMask), text.c_str(), 0,
                                  (getLayerMask() >> n) & 1 ? kMenuChecked : kMenuCheckable);
        }
        viewMan_->addMenuItem(layers, 0, kMenuSeparatorText);
        viewMan_->addMenuItem(layers, AM_menuCommand(32, kCodeLayerMask), "all layers");
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText);
        viewMan_->addMenuItem(0, AM_menuCommand(0, kCodeOrder), "bring to front");
        viewMan_->addMenuItem(0, AM_menuCommand(1, kCodeOrder), "send to back");
        viewMan_->addMenuItem(0, kCodeLocked, "locked", 0,
                              (getState() & kStateLocked) != 0 ? kMenuChecked : kMenuCheckable);
        viewMan_->addMenuItem(0, kCodeRename, "Rename Control");
    }
};

// The editor's view manager, with the selection and undo it is asked for
// recorded.
class EditorViewMan : public AM_AGG_ViewMan {
public:
    EditorViewMan(AM_View_Interface* interface)
        : AM_AGG_ViewMan(interface, nullptr, nullptr, nullptr)
    {
    }
    AM_ViewControl* getFocusedControl() override { return focused; }
    bool hasMultiSelection() override { return multiSelection; }
    void undo() override { calls.push_back("undo"); }
    void redo() override { calls.push_back("redo"); }
    void addUndo(AM_GuiObject* record) override
    {
        calls.push_back(std::string("addUndo ") + record->getName());
        delete record;
    }
    void closeUndo() override { calls.push_back("closeUndo"); }
    void setAlternativeForTest(uint32_t alternative) { alternative_ = alternative; }

    AM_ViewControl* focused = nullptr;
    bool multiSelection = false;
    std::vector<std::string> calls;
};

class EditorTest : public ViewManTest {
protected:
    EditorTest()
    {
        vm = std::make_unique<EditorViewMan>(&interface);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        AM_PlatformDialogs dialogs;
        dialogs.menus = &menus;
        dialogs.prompt = &prompt;
        dialogs.saveForm = &form;
        dialogs.question = &question;
        vm->setDialogs(dialogs);
    }
    ~EditorTest() override { vm.reset(); }

    // A control of the tree at (x, y), w x h.
    MenuControl* addControl(const char* name, float x, float y, float w = 40, float h = 30)
    {
        const AM_Rect bounds{x, y, w, h};
        auto* control = new MenuControl(vm.get(), &bounds);
        control->setName(name);
        vm->registerControl(control, nullptr);
        return control;
    }

    platform::HeadlessMenuPresenter menus;
    platform::HeadlessTextPrompt prompt;
    platform::HeadlessSaveForm form;
    platform::HeadlessThreeWayQuestion question;
    std::unique_ptr<EditorViewMan> vm;
};

} // namespace viewtest
