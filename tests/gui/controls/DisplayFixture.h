#pragma once
// Helpers of the display, field, colour-view, graph and hotspot tests: a
// container with a background graphic slot, and a graphic that draws a
// round badge (for the controls that only draw their graphic).

#include "ControlFixture.h"

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "presets/folders/PresetListItem.h"

#include <algorithm>
#include <map>
#include <memory>

namespace controltest {

// Parameters past those of the views fixture:
//   "Env"   (module 1): "Graph" curve block of two curves of 100 points,
//                        "Scope" oscilloscope block, "Redraw" meter
//   "Osc"   (module 0): "Target" parameter selector (type 5, -1..8)
//   "PCore" (module 2): "ChLay" list 0..8, "SurrO" list 0..2, "Vers" list
//                        0..2 ("Classic", "Modern", "Current")
enum WideParameter : int32_t {
    kGraph = kFixtureParameters,
    kScope,
    kRedraw,
    kTarget,
    kChannelLayout,
    kSurround,
    kVersion,
    kWideParameters,
};
inline constexpr uint32_t kGraphPoints = 100;
inline constexpr uint32_t kGraphBytes = 8 + 2 * kGraphPoints * 4;

class WideInterface : public NamedInterface {
public:
    WideInterface()
    {
        addModule("PCore", "Core", 2);
        add(AM_makeParamInfo(0, "Graph", "Graph Data", k_typeBinaryData, 0, kGraphBytes, 0, 0, 0), 1);
        add(AM_makeParamInfo(0, "Scope", "Scope Data", k_typeBinaryData, 0, 1536, 0, 0, 0), 1);
        add(AM_makeParamInfo(0, "Redraw", "Redraw", k_meter, 0, 1, 0, 0, 0), 1);
        add(AM_makeParamInfo(0, "Target", "Target", k_kindAssignment, -1, 8, -1, 0, 0), 0);
        add(AM_makeParamInfo(0, "ChLay", "Channel Layout", k_kindInteger, 0, 8, 0, 0, 0), 2);
        add(AM_makeParamInfo(0, "SurrO", "Surround Out", k_kindInteger, 0, 2, 0, 0, 0), 2);
        add(AM_makeParamInfo(0, "Vers", "Version", k_kindInteger, 0, 2, 0, 0, 0), 2);
        setFloat(kTarget, -1);
    }
    void getParameterDisplay(int32_t index, const void* value, char* text) override
    {
        if (index == int32_t(kVersion) && value != nullptr && text != nullptr) {
            static const char* const kNames[] = {"Classic", "Modern", "Current"};
            float v = 0;
            std::memcpy(&v, value, sizeof v);
            const int k = static_cast<int>(v);
            std::snprintf(text, 32, "%s", k >= 0 && k < 3 ? kNames[k] : "?");
            return;
        }
        NamedInterface::getParameterDisplay(index, value, text);
    }
    void setBytes(int32_t index, const void* bytes, size_t size)
    {
        std::vector<uint8_t>& stored = storage(index);
        std::memcpy(stored.data(), bytes, std::min(size, stored.size()));
    }
    void setFloat(int32_t index, float v) { setBytes(index, &v, sizeof v); }
    // The engine hands out no value for the parameter (or again one).
    void withholdValue(int32_t index, bool withheld) { withheld_[index] = withheld; }
    const void* getParameterValue(int32_t index) override
    {
        const auto found = withheld_.find(index);
        return found != withheld_.end() && found->second ? nullptr
                                                         : NamedInterface::getParameterValue(index);
    }
    // A listing of preset names for the first list; the current one.
    void setPresets(const std::vector<std::string>& names, const std::string& current)
    {
        presets_.reset();
        PresetListItem* last = nullptr;
        for (const std::string& name : names) {
            auto item = std::make_unique<PresetListItem>(nullptr, nullptr);
            item->setName(name.c_str());
            PresetListItem* raw = item.get();
            if (last == nullptr)
                presets_ = std::move(item);
            else
                last->setNext(std::move(item));
            last = raw;
        }
        currentPreset_ = current;
    }
    PresetListItem* getPresetItems(const char*) override { return presets_.get(); }
    const char* getCurrentPresetName(const char*) override { return currentPreset_.c_str(); }
    const char* getCurrentPresetExtension(const char*) override { return ""; }
    PresetLoadResult loadPreset(PresetListItem* item, const char*) override
    {
        loaded.push_back(item != nullptr ? item->name() : "");
        return PresetLoadResult{};
    }
    std::vector<std::string> loaded;

    // The flags word of a module record (0x100: listed, low byte: group).
    void setModuleFlags(uint32_t module, uint32_t flags)
    {
        for (AM_ModuleRecord& record : moduleTable())
            if (record.moduleIndex == module)
                record.group = static_cast<int32_t>(flags);
    }

private:
    std::unique_ptr<PresetListItem> presets_;
    std::string currentPreset_;
    std::map<int32_t, bool> withheld_;
};

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

// A container of three layers that records the layers it was asked to show.
class LayeredPanel : public Panel {
public:
    LayeredPanel(AM_ViewMan* viewMan, const AM_Rect* bounds) : Panel(viewMan, bounds)
    {
        numLayers_ = 3;
    }
    void selectLayer(int32_t layer) override
    {
        selected.push_back(layer);
        currentLayer_ = static_cast<uint8_t>(layer);
    }
    std::vector<int32_t> selected;
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

// A context that keeps the lines and texts drawn through it.
class TraceContext : public AM_Context {
public:
    struct Text {
        std::string text;
        AM_Rect rect;
        int align;
        float size;
        uint32_t colour;
    };
    void setColourPacked(uint32_t rgba) override { colour = rgba; }
    void setColourFromObject(const AM_Colour* c) override { colour = c != nullptr ? c->getPacked() : 0; }
    void setFontSize(float size) override { fontSize = size; }
    void drawPolyline(const float points[], int count, float, bool) override
    {
        polylines.emplace_back(points, points + 2 * count);
        polylineColours.push_back(colour);
    }
    void drawLine(const float p0[2], const float p1[2], float) override
    {
        lines.push_back({p0[0], p0[1], p1[0], p1[1]});
    }
    void drawText(const char* text, const AM_Rect* r, int hAlign, bool) override
    {
        texts.push_back({text, *r, hAlign, fontSize, colour});
    }
    std::vector<std::vector<float>> polylines;
    std::vector<uint32_t> polylineColours;
    std::vector<std::vector<float>> lines;
    std::vector<Text> texts;
    uint32_t colour = 0;
    float fontSize = 0;
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
    // The open prompt is accepted with the text.
    void accept(const std::string& text) { acceptTextEntry(text); }
    bool delivered = false;
};

// The control tests on a view manager that shows its menus.
class ShowingTest : public ControlTest {
protected:
    ShowingTest()
    {
        vm.reset();
        resetAll();
        auto showing = std::make_unique<ShowingViewMan>(&host, nullptr, nullptr);
        menus = showing.get();
        vm = std::move(showing);
        openTestSynth(*vm);
        AM_installStandardControls(vm.get());
    }
    ~ShowingTest() override { vm.reset(); }
    Panel* panel(AM_Rect bounds)
    {
        auto* p = new Panel(vm.get(), &bounds);
        vm->registerControl(p, nullptr);
        p->setVisible(true, kAllLayers, false);
        p->setEditMode(false);
        return p;
    }
    // Declared before the view manager goes: the interface outlives it.
    WideInterface host;
    // Puts the GUI into edit mode: a root view over a child.
    void enterEditMode()
    {
        Panel* root = panel({0, 0, 400, 300});
        Panel* child = new Panel(vm.get(), nullptr);
        root->addControl(child, kAllLayers, false);
        child->setEditMode(false);
        menus->setRootViewForTest(root);
        vm->setEditMode(true);
    }
    ShowingViewMan* menus = nullptr;
};

} // namespace controltest
