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
    void nativePresetChanged(const char*) override {}
    std::vector<uint8_t> getFxpProgram() override { return {}; }
    std::vector<uint8_t> getStateInfo(const char*) override { return {}; }
    bool setStateInfo(const void*, uint32_t, const char*) override { return false; }

    std::vector<std::pair<int32_t, int32_t>> windowSizes;
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

class ViewManTest : public ::testing::Test {
protected:
    ViewManTest() { resetAll(); }
    ~ViewManTest() override
    {
        views.clear();
        resetAll();
    }

    static void resetAll()
    {
        AM_ViewMan::resetProcessState();
        AM_View_Interface::resetProcessState();
        AM_PlaceholderControl::resetAnnouncements();
        AM_Colour::resetColourCounter();
    }

    // A new view manager of that plug-in name, described and opened.
    AM_ViewMan* open(const char* pluginName = "TestSynth")
    {
        views.push_back(std::make_unique<AM_ViewMan>(&interface, nullptr, nullptr));
        AM_ViewMan* vm = views.back().get();
        const AM_PluginInfo info = pluginInfo(pluginName);
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        return vm;
    }

    RecordingInterface interface;
    std::vector<std::unique_ptr<AM_ViewMan>> views;
};

} // namespace viewtest
