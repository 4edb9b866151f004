#pragma once
// A control class with one port of each family and one listener entry, for
// the port and gesture tests:
//   port 0 "value"  accepts list, continuous and axis parameters
//   port 1 "data"   accepts data blocks (0x104)
//   port 2 "text"   accepts text blocks (0x604)
//   port 3 "meter"  accepts meters
//   port 4 "none"   accepts nothing
//   listener 0 "follow" follows continuous ports
// A drag moves port 0's value by the vertical distance from the press / 100.

#include "ParameterFixture.h"

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/views/AM_ViewControl.h"

#include <cstring>
#include <vector>

namespace viewtest {

inline constexpr uint32_t kValueTypes[] = {k_kindInteger, k_kindFloat, k_kindXYAxis};
inline constexpr uint32_t kDataTypes[] = {k_typeBinaryData};
inline constexpr uint32_t kTextTypes[] = {k_typeTextData};
inline constexpr uint32_t kMeterTypes[] = {k_meter};
inline constexpr uint32_t kFollowTypes[] = {k_kindFloat};

inline const AM_PortDescriptor kFixturePorts[] = {
    {0, "value", 3, kValueTypes}, {1, "data", 1, kDataTypes}, {2, "text", 1, kTextTypes},
    {3, "meter", 1, kMeterTypes}, {4, "none", 0, nullptr},
};
inline const AM_ListenerDescriptor kFixtureListeners[] = {{0, "follow", 1, kFollowTypes}};

class PortControl : public AM_ViewControl {
public:
    struct Shown {
        int32_t port;
        float value;
    };

    PortControl(AM_ViewMan* viewMan, const AM_Rect* bounds) : AM_ViewControl(viewMan, bounds)
    {
        initControl(0, 5, kFixturePorts, 1, kFixtureListeners, 0, nullptr, 0, nullptr, false);
        acceptsWheel_ = 1;
    }
    const char* getTypeName() const override { return "TestPort"; }
    void setParameterValue(int32_t i, const void* value) override
    {
        float v = 0.0f;
        if (value != nullptr)
            std::memcpy(&v, value, sizeof v);
        shown.push_back({i, v});
        if (i == 0)
            current = v;
        AM_ViewControl::setParameterValue(i, value);
    }
    bool onMouseDown(const float*, uint32_t) override
    {
        startValue = current;
        return keepPress;
    }
    void onMouseDrag(const float* point, uint32_t) override
    {
        const float v = startValue + (downPoint_[1] - point[1]) / 100.0f;
        setValueFromUser(0, &v);
    }
    void listenerValueChanged(int32_t i, const void* value) override
    {
        float v = 0.0f;
        std::memcpy(&v, value, sizeof v);
        followed.push_back({i, v});
    }
    // Runs a press at (10, 100), drags to y and releases.
    void drag(float y)
    {
        const float down[2] = {10.0f, 100.0f};
        const float to[2] = {10.0f, y};
        handleMouseDown(down, 0, 0);
        handleMouseDrag(to, 0, 0);
        handleMouseUp(to, 0, 0);
    }

    bool keepPress = true;
    float current = 0.0f;
    float startValue = 0.0f;
    std::vector<Shown> shown;
    std::vector<Shown> followed;
};

// A run-mode control of the fixture class owned by the view manager's tree.
inline PortControl* addPortControl(AM_ViewMan* vm, const char* name)
{
    const AM_Rect bounds{0, 0, 40, 40};
    auto* control = new PortControl(vm, &bounds);
    control->setName(name);
    vm->registerControl(control, nullptr);
    control->setVisible(true, kAllLayers, false);
    control->setEditMode(false);
    return control;
}

} // namespace viewtest

namespace viewtest {

inline constexpr char kPaintColourSlots[][kGuiNameBytes] = {"Background", "Frame"};
inline constexpr char kPaintGraphicSlots[][kGuiNameBytes] = {"Face"};

// A control with two colour slots and one graphic slot that paints its
// bounds in its background colour and frames them in its frame colour
// (grey and black when a slot is empty). `container` makes it a pane.
class PaintControl : public AM_ViewControl {
public:
    PaintControl(AM_ViewMan* viewMan, const AM_Rect& bounds, bool container = false)
        : AM_ViewControl(viewMan, &bounds)
    {
        initControl(0, 0, nullptr, 0, nullptr, 2, kPaintColourSlots, 1, kPaintGraphicSlots, false);
        isContainer_ = container ? 1 : 0;
    }
    const char* getTypeName() const override { return "TestPaint"; }
    void draw(AM_Context* context) override
    {
        ++drawn;
        const AM_Rect b = getBounds();
        if (const AM_Colour* background = getColour(0))
            context->setColourFromObject(background);
        else
            context->setColourPacked(0xC0C0C0FF);
        context->fillRect(&b);
        if (const AM_Colour* frame = getColour(1))
            context->setColourFromObject(frame);
        else
            context->setColourPacked(0x000000FF);
        context->frameRect(&b);
    }
    void onTimer() override { ++ticks; }
    void boundsChanged() override { ++boundsChanges; }
    void setSelectedForTest(bool on)
    {
        setState(on ? (getState() | kStateSelected) : (getState() & ~kStateSelected));
    }
    // A prototype link made past the checks of setPrototype.
    void forcePrototype(AM_ViewControl* prototype) { prototype_ = prototype; }

    int drawn = 0;
    int ticks = 0;
    int boundsChanges = 0;
};

// A paint control added under parent (or as a top-level control), named
// and with its bounds given relative to the parent.
inline PaintControl* addPaintControl(AM_ViewMan* vm, AM_ViewControl* parent, const char* name,
                                     const AM_Rect& bounds, bool container = false)
{
    auto* control = new PaintControl(vm, bounds, container);
    control->setName(name);
    if (parent != nullptr) {
        parent->addControl(control, kAllLayers, true);
    } else {
        vm->registerControl(control, nullptr);
        control->setVisible(true, kAllLayers, false);
    }
    return control;
}

} // namespace viewtest
