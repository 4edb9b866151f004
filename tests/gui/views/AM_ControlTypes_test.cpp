#include "ViewManFixture.h"

#include "TraceCapture.h"
#include "gui/graphics/AM_ValueToStringObject.h"

#include <cstring>
#include <string>

class ControlTypesTest : public viewtest::ViewManTest {};

namespace {

struct ExpectedType {
    const char* name;
    float width;
    float height;
    uint32_t flags;
};

// The registry in menu order.
const ExpectedType kExpectedTypes[] = {
    {"Knob", 28, 28, 0x1700},          {"Pane", 200, 200, 0},
    {"Display", 64, 12, 0x1100},       {"Label", 64, 12, 0},
    {"EditMenus", 64, 12, 0x1100},     {"LayerSelector", 200, 16, 0},
    {"Meter", 103, 16, 0x1700},        {"Button On-Off", 26, 12, 0x1700},
    {"Wire Out", 24, 24, 0x1700},      {"Wire In", 24, 24, 0x1700},
    {"DataGraph", 128, 128, 0x1700},   {"Slider", 24, 103, 0x1700},
    {"PresetManager", 400, 400, 0},    {"PresetSelector", 400, 400, 0},
    {"PresetSaver", 26, 12, 0x1700},   {"Keyboard", 720, 108, 0x1700},
    {"MetaXY", 28, 28, 0x1700},        {"RadiusDial", 64, 64, 0x1700},
    {"EQView", 221, 117, 0x1700},      {"EQ6_View", 221, 117, 0x1700},
    {"SnapshotDial", 129, 129, 0x1700}, {"MultiPoint", 200, 100, 0x1700},
    {"MultiOrder", 200, 16, 0x1700},   {"Grid", 200, 100, 0x1700},
    {"Rack", 200, 400, 0},             {"Scale4", 132, 68, 0x1700},
    {"CollPane", 200, 200, 0},         {"MultiStage", 200, 100, 0x1700},
    {"XY", 167, 167, 0x1700},          {"MetaRange", 167, 167, 0x1700},
    {"Rec_Knob", 28, 28, 0x1700},      {"GenericStep", 132, 68, 0x1700},
    {"FaderBox16", 161, 103, 0x1700},  {"InfoDisplay", 200, 24, 0},
    {"GSwitch", 16, 16, 0x1100},       {"ColourView", 100, 100, 0x1700},
    {"ShapeEditView", 300, 100, 0x1700}, {"Hotspot", 24, 24, 0x1700},
};

// Deletes a control that was never put into a tree.
void discard(AM_ViewControl* control)
{
    delete control;
}

} // namespace

TEST_F(ControlTypesTest, RegistryListsEveryTypeInMenuOrderWithSizeAndFlags)
{
    AM_ViewMan* vm = open();
    vm->registerDefaults();
    const AM_ControlTypeRecord* record = vm->getControlTypes();
    size_t index = 0;
    for (; record != nullptr; record = record->next, ++index) {
        ASSERT_LT(index, std::size(kExpectedTypes)) << "extra type " << record->name;
        const ExpectedType& expected = kExpectedTypes[index];
        SCOPED_TRACE(expected.name);
        EXPECT_STREQ(record->name, expected.name);
        EXPECT_EQ(record->defaultWidth, expected.width);
        EXPECT_EQ(record->defaultHeight, expected.height);
        EXPECT_EQ(record->flags, expected.flags);
        ASSERT_NE(record->factory, nullptr);
        EXPECT_EQ(vm->getControlObjectSize(record->factory), sizeof(AM_PlaceholderControl));
        // Each type creates a control that answers with its own type name.
        AM_ViewControl* control = vm->createControl(expected.name, nullptr);
        ASSERT_NE(control, nullptr);
        EXPECT_STREQ(control->getTypeName(), expected.name);
        EXPECT_EQ(control->getFactory(), record->factory);
        discard(control);
    }
    EXPECT_EQ(index, std::size(kExpectedTypes));
}

TEST_F(ControlTypesTest, EveryTypeHasItsOwnFactory)
{
    AM_ViewMan* vm = open();
    vm->registerDefaults();
    for (const AM_ControlTypeRecord* a = vm->getControlTypes(); a != nullptr; a = a->next) {
        for (const AM_ControlTypeRecord* b = a->next; b != nullptr; b = b->next) {
            EXPECT_NE(a->factory, b->factory) << a->name << " / " << b->name;
        }
    }
}

TEST_F(ControlTypesTest, CreateControlMatchesNamesExactlyAndGivesTheDefaultRectangle)
{
    AM_ViewMan* vm = open();
    vm->registerDefaults();
    struct Case {
        const char* name;
        bool found;
    };
    const Case cases[] = {
        {"Knob", true},          {"knob", false},          {"KNOB", false},
        {"Kno", false},          {"Knob ", false},         {"Button On-Off", true},
        {"Wire Out", true},      {"WireOut", false},       {"", false},
        {"NoSuchType", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AM_ViewControl* control = vm->createControl(c.name, nullptr);
        EXPECT_EQ(control != nullptr, c.found);
        discard(control);
    }
    EXPECT_EQ(vm->createControl(nullptr, nullptr), nullptr);

    AM_ViewControl* knob = vm->createControl("Knob", nullptr);
    ASSERT_NE(knob, nullptr);
    const AM_Rect r = knob->getBounds();
    EXPECT_EQ(r.x, 0.0f);
    EXPECT_EQ(r.y, 0.0f);
    EXPECT_EQ(r.w, 28.0f);
    EXPECT_EQ(r.h, 28.0f);
    discard(knob);

    const AM_Rect given{10.5f, 20, 33, 44};
    AM_ViewControl* slider = vm->createControl("Slider", &given);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->getBounds().x, 10.5f);
    EXPECT_EQ(slider->getBounds().y, 20.0f);
    EXPECT_EQ(slider->getBounds().w, 33.0f);
    EXPECT_EQ(slider->getBounds().h, 44.0f);
    discard(slider);
}

TEST_F(ControlTypesTest, EmptyRegistryCreatesNothing)
{
    AM_ViewMan* vm = open();
    EXPECT_EQ(vm->getControlTypes(), nullptr);
    EXPECT_EQ(vm->createControl("Knob", nullptr), nullptr);
}

namespace {
AM_ViewControl* ownFactory(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    return new AM_ViewControl(viewMan, bounds);
}
AM_ViewControl* unregisteredFactory(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    return new AM_ViewControl(viewMan, bounds);
}
} // namespace

TEST_F(ControlTypesTest, RegisteredTypeIsACopyAppendedWithItsObjectSize)
{
    AM_ViewMan* vm = open();
    AM_ControlTypeRecord first{"First", 10, 11, 0, &ownFactory, nullptr};
    AM_ControlTypeRecord second{"Second", 12, 13, 0x1100, &ownFactory, &first};
    vm->registerControlType(&first, 100);
    vm->registerControlType(&second, 200);
    // The list holds copies: changing the caller's record changes nothing.
    std::strcpy(first.name, "Changed");
    AM_ControlTypeRecord* head = vm->getControlTypes();
    ASSERT_NE(head, nullptr);
    EXPECT_STREQ(head->name, "First");
    ASSERT_NE(head->next, nullptr);
    EXPECT_STREQ(head->next->name, "Second");
    EXPECT_EQ(head->next->next, nullptr);
    // The first type built by the factory answers.
    EXPECT_EQ(vm->getControlObjectSize(&ownFactory), 100u);
    EXPECT_EQ(vm->getControlObjectSize(&unregisteredFactory), 0u);
    EXPECT_EQ(vm->getControlObjectSize(nullptr), 0u);
}

TEST_F(ControlTypesTest, DefaultsHoldFixedUnsavedColoursThenSaveableWireColours)
{
    AM_ViewMan* vm = open();
    vm->registerDefaults();
    struct ColourCase {
        const char* name;
        uint32_t rgba;
        bool saveable;
    };
    const ColourCase cases[] = {
        {"black", 0x000000FF, false},       {"white", 0xFFFFFFFF, false},
        {"grey", 0x7F7F7FFF, false},        {"red", 0xFF0000FF, false},
        {"green", 0x00FF00FF, false},       {"blue", 0x0000FFFF, false},
        {"yellow", 0xFFFF00FF, false},      {"orange", 0xFF8800FF, false},
        {"trans white", 0xFFFFFF80, false}, {"trans black", 0x00000080, false},
        {"trans red", 0xFF000080, false},   {"trans green", 0x00FF0080, false},
        {"trans blue", 0x0000FF80, false},  {"trans grey", 0x7F7F7F80, false},
        {"invisible", 0x00000000, false},   {"WireC1", 0xFF8800FF, true},
        {"WireC2", 0x8080FFFF, true},       {"WireC3", 0xFF0000FF, true},
        {"WireC4", 0xFFFF00FF, true},       {"WireC5", 0x60FF60FF, true},
        {"WireC6", 0xAFAFAFFF, true},
    };
    // In this order along the colour list.
    AM_GuiObject* node = vm->getColours();
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(node, nullptr);
        auto* colour = dynamic_cast<AM_Colour*>(node);
        ASSERT_NE(colour, nullptr);
        EXPECT_STREQ(colour->getName(), c.name);
        EXPECT_EQ(colour->getPacked(), c.rgba);
        EXPECT_EQ(colour->isSaveable(), c.saveable);
        EXPECT_EQ(vm->getColour(c.name), colour);
        node = node->getNext();
    }
    EXPECT_EQ(node, nullptr);

    // A saved script holds the wire colours only.
    std::string script;
    vm->getColours()->sendMessage(kGuiColourBit, 19, 0, &script);
    vm->getColours()->receiveMessage(nullptr, 19, 0, &script);
    EXPECT_EQ(script.find("'black'"), std::string::npos);
    EXPECT_EQ(script.find("'invisible'"), std::string::npos);
    for (int i = 1; i <= 6; ++i) {
        EXPECT_NE(script.find("name='WireC" + std::to_string(i) + "'"), std::string::npos) << i;
    }

    AM_ValueToStringObject* generic = vm->getValueToString("generic");
    ASSERT_NE(generic, nullptr);
    EXPECT_EQ(vm->getValueToStrings(), generic);
    EXPECT_EQ(generic->getNext(), nullptr);
}

TEST_F(ControlTypesTest, DefaultsAreRegisteredOnce)
{
    AM_ViewMan* vm = open();
    vm->registerDefaults();
    testsupport::TraceCapture trace;
    vm->registerDefaults();
    size_t types = 0;
    for (const AM_ControlTypeRecord* r = vm->getControlTypes(); r != nullptr; r = r->next) {
        ++types;
    }
    EXPECT_EQ(types, std::size(kExpectedTypes));
    EXPECT_EQ(vm->getColour("black")->getNext()->getName(), std::string("white"));
    EXPECT_TRUE(trace.contains("Defaults registered already"));
}

TEST_F(ControlTypesTest, PlaceholderAnnouncesEachTypeOnceAndKeepsItsTypeName)
{
    AM_ViewMan* vm = open();
    vm->registerDefaults();
    testsupport::TraceCapture trace;
    discard(vm->createControl("Knob", nullptr));
    discard(vm->createControl("Knob", nullptr));
    discard(vm->createControl("Wire Out", nullptr));
    EXPECT_EQ(trace.count("Control type 'Knob' not built yet"), 1);
    EXPECT_EQ(trace.count("Control type 'Wire Out' not built yet"), 1);
}
