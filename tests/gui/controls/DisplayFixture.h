#pragma once
// Helpers of the display, field, colour-view, graph and hotspot tests: a
// container with a background graphic slot, and a graphic that draws a
// round badge (for the controls that only draw their graphic).

#include "ControlFixture.h"

#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"

#include <algorithm>

namespace controltest {

inline constexpr char kPanelGraphics[][kGuiNameBytes] = {"Background"};

// A plain container control with one graphic slot.
class Panel : public AM_ViewControl {
public:
    Panel(AM_ViewMan* viewMan, const AM_Rect* bounds) : AM_ViewControl(viewMan, bounds)
    {
        initControl(0, 0, nullptr, 0, nullptr, 0, nullptr, 1, kPanelGraphics, false);
        isContainer_ = 1;
    }
    const char* getTypeName() const override { return "TestPanel"; }
    void draw(AM_Context* context) override
    {
        context->setColourPacked(0x2A2E35FF);
        context->fillRect(&bounds_);
    }
};

// A graphic that draws a ring badge whose arc follows the value.
class BadgeGraphic : public AM_Graphic {
public:
    BadgeGraphic(AM_GuiServices* services, const char* name) : AM_Graphic(services, 0)
    {
        setName(name);
    }
    void draw(AM_Context* context, const AM_Rect* rect, float value) override
    {
        drawn.push_back(value);
        const float side = std::min(rect->w, rect->h);
        const float centre[2] = {rect->x + rect->w / 2, rect->y + rect->h / 2};
        context->setColourPacked(0xE9A23BFF);
        context->fillRingSegment(centre, side * 0.3f, side / 2 - 1, 0, 360 * std::clamp(value, 0.0f, 1.0f));
        context->setColourPacked(0xF4F4F4FF);
        context->fillRingSegment(centre, 0, side * 0.2f, 0, 360);
    }
    std::vector<float> drawn;
};

// A recording view manager whose menus are shown: the scripted answer is
// handed to the control that opened the menu, as the editor window does.
class ShowingViewMan : public MenuViewMan {
public:
    using MenuViewMan::MenuViewMan;
    bool showMenu() override
    {
        const uint32_t chosen = chooseFromMenu();
        if (chosen != 0)
            delivered = deliverMenuCommand(chosen);
        return false;
    }
    // The item of the last menu with that text (null when none).
    const AM_MenuItem* find(const std::string& text) const
    {
        const AM_MenuTable& table = getMenuTable();
        for (uint32_t i = 1; i <= table.itemCount(); ++i)
            if (table.item(i)->text == text)
                return table.item(i);
        return nullptr;
    }
    bool delivered = false;
};

// The control tests on a view manager that shows its menus.
class ShowingTest : public ControlTest {
protected:
    ShowingTest()
    {
        vm.reset();
        resetAll();
        auto showing = std::make_unique<ShowingViewMan>(&interface, nullptr, nullptr);
        menus = showing.get();
        vm = std::move(showing);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installStandardControls(vm.get());
    }
    Panel* panel(AM_Rect bounds)
    {
        auto* p = new Panel(vm.get(), &bounds);
        vm->registerControl(p, nullptr);
        p->setVisible(true, kAllLayers, false);
        p->setEditMode(false);
        return p;
    }
    ShowingViewMan* menus = nullptr;
};

} // namespace controltest
