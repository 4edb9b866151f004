#pragma once
// A view manager on a recording GUI-to-engine interface, with the
// process-wide state of view managers cleared before and after each test.

#include "engine/module/AM_PluginInfo.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/views/AM_PlaceholderControl.h"
#include "gui/views/AM_ViewMan.h"
#include "presets/AM_View_Interface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <memory>
#include <utility>
#include <vector>

namespace viewtest {

class RecordingInterface : public AM_View_Interface {
public:
    void sizeWindow(int32_t width, int32_t height) override
    {
        windowSizes.emplace_back(width, height);
    }
    void selectModule(const char* modulePath) override { selectedModules.emplace_back(modulePath); }
    void midiLearn(const AM_ParamInfo* record, AM_PortOwner* control) override
    {
        learned.emplace_back(record, control);
    }
    void nativePresetChanged(const char*) override {}
    std::vector<uint8_t> getFxpProgram() override { return {}; }
    std::vector<uint8_t> getStateInfo(const char*) override { return {}; }
    bool setStateInfo(const void*, uint32_t, const char*) override { return false; }

    std::vector<std::pair<int32_t, int32_t>> windowSizes;
    std::vector<std::string> selectedModules;
    std::vector<std::pair<const AM_ParamInfo*, AM_PortOwner*>> learned;
};

// A view manager whose theme alternative and root view a test can set.
class TestViewMan : public AM_ViewMan {
public:
    using AM_ViewMan::AM_ViewMan;
    void setAlternative(uint32_t alternative) { alternative_ = alternative; }
    void setRootViewForTest(AM_ViewControl* rootView) { setRootView(rootView, nullptr); }
    void setEditModeForTest(bool on) { editMode_ = on ? 1 : 0; }
};

// A view manager that records the items of the menus controls begin; what
// its menus answer (answer: the command to choose, 0 for nothing) is the
// deriving fixture's.
class MenuRecordingViewMan : public TestViewMan {
public:
    using TestViewMan::TestViewMan;
    struct Item {
        std::string text;
        int32_t command;
        uint32_t flags;
    };
    void beginMenu(AM_ViewControl* control, const float* point, uint32_t menuId) override
    {
        items.clear();
        ++menusBegun;
        TestViewMan::beginMenu(control, point, menuId);
    }
    uint32_t addMenuItem(uint32_t subMenu, uint32_t command, const char* text, int32_t value,
                         uint32_t flags, void* userData) override
    {
        items.push_back({text, static_cast<int32_t>(command), flags});
        return TestViewMan::addMenuItem(subMenu, command, text, value, flags, userData);
    }

    std::vector<Item> items;
    int menusBegun = 0;
    int menusShown = 0;
    int32_t answer = 0;
};

// A control that records the messages it receives.
class RecordingControl : public AM_ViewControl {
public:
    struct Received {
        uint32_t message;
        uint32_t arg;
        void* ptr;
        std::string text; // ptr as text for message 49
    };
    using AM_ViewControl::AM_ViewControl;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        std::string text;
        if (message == AM_ViewMan::kMsgModuleSelected && ptr != nullptr) {
            text = static_cast<const char*>(ptr);
        }
        received.push_back({message, arg, ptr, text});
        AM_ViewControl::receiveMessage(sender, message, arg, ptr);
    }
    // Makes the control a member of the timer or the display chain.
    void addBits(uint32_t bits) { addMaskBits(bits); }
    std::vector<Received> received;
};

inline AM_PluginInfo pluginInfo(const char* pluginName)
{
    AM_PluginInfo info{};
    std::strncpy(info.productName, "TestProduct", sizeof info.productName - 1);
    std::strncpy(info.vendorName, "TestMaker", sizeof info.vendorName - 1);
    std::strncpy(info.componentName, "TestFolder", sizeof info.componentName - 1);
    std::strncpy(info.effectName, pluginName, sizeof info.effectName - 1);
    return info;
}

// Clears what view managers keep for the whole process (instance counts,
// announcements, colour numbers).
inline void resetViewProcessState()
{
    AM_ViewMan::resetProcessState();
    AM_View_Interface::resetProcessState();
    AM_PlaceholderControl::resetAnnouncements();
    AM_Colour::resetColourCounter();
}

// Describes a new view manager as the plug-in "TestSynth", opens it and
// registers the default control types.
inline void openTestSynth(AM_ViewMan& vm)
{
    const AM_PluginInfo info = pluginInfo("TestSynth");
    vm.setProcessDescription(&info);
    vm.init(nullptr);
    vm.registerDefaults();
}

class ViewManTest : public ::testing::Test {
protected:
    ViewManTest() { resetAll(); }
    ~ViewManTest() override
    {
        views.clear();
        resetAll();
    }

    static void resetAll() { resetViewProcessState(); }

    // A new view manager of that plug-in name, described and opened.
    TestViewMan* open(const char* pluginName = "TestSynth")
    {
        views.push_back(std::make_unique<TestViewMan>(&interface, nullptr, nullptr));
        TestViewMan* vm = static_cast<TestViewMan*>(views.back().get());
        const AM_PluginInfo info = pluginInfo(pluginName);
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        return vm;
    }

    RecordingInterface interface;
    std::vector<std::unique_ptr<AM_ViewMan>> views;
};

} // namespace viewtest
