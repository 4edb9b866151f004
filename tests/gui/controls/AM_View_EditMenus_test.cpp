#include "DisplayFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_EditMenus.h"
#include "gui/controls/AM_View_Label.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/views/AM_ControlMessages.h"

#include <cstring>

namespace {

using namespace controltest;

inline constexpr uint32_t kOwnerValueTypes[] = {k_kindFloat};
inline const AM_PortDescriptor kOwnerPorts[] = {{0, "Value", 1, kOwnerValueTypes}};
inline constexpr char kOwnerColours[][kGuiNameBytes] = {"Face", "Edge"};
inline constexpr char kOwnerGraphics[][kGuiNameBytes] = {"Cap"};

// A control with a colour, graphic and port of each kind and an integer and
// a text the fields can be bound to.
class OwnerControl : public AM_ViewControl {
public:
    OwnerControl(AM_ViewMan* viewMan, const AM_Rect* bounds) : AM_ViewControl(viewMan, bounds)
    {
        initControl(0, 1, kOwnerPorts, 0, nullptr, 2, kOwnerColours, 1, kOwnerGraphics, false);
    }
    const char* getTypeName() const override { return "TestOwner"; }
    void redraw() override { ++redraws; }
    int32_t steps = 5;
    char text[80] = "Lead";
    int redraws = 0;
};

class EditMenusTest : public ShowingTest {
protected:
    AM_View_EditMenus* field(AM_Rect bounds = {10, 10, 64, 12})
    {
        auto* f = make<AM_View_EditMenus>("EditMenus", bounds);
        f->addNameLabel(0);
        return f;
    }
    OwnerControl* owner()
    {
        const AM_Rect bounds{200, 10, 40, 40};
        auto* o = new OwnerControl(vm.get(), &bounds);
        vm->registerControl(o, nullptr);
        o->setVisible(true, kAllLayers, false);
        return o;
    }
    static std::string label(AM_ViewControl* f)
    {
        auto* l = dynamic_cast<AM_View_Label*>(f->getFirstChildControl());
        return l != nullptr ? l->getText() : "<no label>";
    }
    AM_Colour* colour(const char* name, uint32_t packed)
    {
        auto* c = new AM_Colour(vm.get(), name, packed);
        vm->addColour(c);
        return c;
    }
    static void drag(AM_View_EditMenus* f, float fromY, float toY)
    {
        const float down[2] = {5, fromY};
        const float to[2] = {5, toY};
        ASSERT_TRUE(f->onMouseDown(down, 0));
        f->onMouseDrag(to, 0);
    }
};

TEST_F(EditMenusTest, TypeSlotsAndTimer)
{
    AM_View_EditMenus* f = field();
    ASSERT_NE(f, nullptr);
    EXPECT_STREQ(f->getTypeName(), "EditMenus");
    EXPECT_EQ(std::string(f->getName()).rfind("EditMenu ", 0), 0u);
    EXPECT_EQ(f->getNumPorts(), 0);
    EXPECT_EQ(f->getGraphicCount(), 0);
    EXPECT_STREQ(f->getColourName(2), "Text");
    EXPECT_TRUE(f->hasTimer());
    EXPECT_TRUE(f->acceptsMouseWheel());
}

TEST_F(EditMenusTest, DraggingAVariableMovesItByOneStepPerFivePixels)
{
    OwnerControl* o = owner();
    AM_View_EditMenus* f = field();
    f->bindVariable(o, "Steps", &o->steps, nullptr, 0, 16);
    EXPECT_EQ(label(f), "Steps");
    EXPECT_EQ(f->getValue(), 5);
    // 12 pixels up: two steps; the remaining 2 pixels are dropped.
    drag(f, 100, 88);
    EXPECT_EQ(o->steps, 7);
    const float next[2] = {5, 85};
    f->onMouseDrag(next, 0);
    EXPECT_EQ(o->steps, 7);
    const float down[2] = {5, 200};
    f->onMouseDrag(down, 0);
    EXPECT_EQ(o->steps, 0); // held to the range
    EXPECT_GT(o->redraws, 0);
    EXPECT_STREQ(f->displayText(), "0");
}

TEST_F(EditMenusTest, TheWheelIsClampedOnStoringAndTheTimerFollowsTheVariable)
{
    OwnerControl* o = owner();
    AM_View_EditMenus* f = field();
    f->bindVariable(o, nullptr, &o->steps, nullptr, 0, 16);
    f->onMouseWheel(40);
    EXPECT_EQ(o->steps, 16);
    f->onMouseWheel(-3);
    EXPECT_EQ(o->steps, 13);
    f->onMouseWheel(-1e30f);
    EXPECT_EQ(o->steps, 0);
    o->steps = 9;
    f->onTimer();
    EXPECT_EQ(f->getValue(), 9);
}

TEST_F(EditMenusTest, ValueNamesFormAMenuWhoseItemsNameTheirValues)
{
    OwnerControl* o = owner();
    static const AM_View_EditMenus::ValueName kNames[] = {"low", "mid", "high"};
    o->steps = 3;
    AM_View_EditMenus* f = field();
    f->bindVariable(o, "Band", &o->steps, kNames, 2, 4);
    EXPECT_STREQ(f->displayText(), "mid");

    const float point[2] = {12, 12};
    menus->answer = (2 << 16) | 23;
    EXPECT_FALSE(f->onMouseDown(point, 0));
    ASSERT_EQ(menus->items.size(), 3u);
    EXPECT_EQ(menus->items[1].text, "mid");
    EXPECT_EQ(menus->items[1].flags, uint32_t(kMenuChecked));
    EXPECT_EQ(menus->getMenuTable().initialItem(), 2u);
    EXPECT_EQ(menus->items[0].command, 23);
    // Item 2 ("high") is the value 4.
    EXPECT_EQ(o->steps, 4);
    EXPECT_STREQ(f->displayText(), "high");

    // A variable outside the names shows its number.
    o->steps = 9;
    f->onTimer();
    EXPECT_STREQ(f->displayText(), "9");
}

TEST_F(EditMenusTest, ColourFieldsNameTheSlotAndOpenTheOwnersColourChoice)
{
    OwnerControl* o = owner();
    AM_Colour* red = colour("Red", 0xFF0000FF);
    colour("defaultFace", 0x808080FF);
    AM_View_EditMenus* f = field();

    f->bindColour(nullptr, 0);
    EXPECT_EQ(label(f), "no colour object");
    f->bindColour(o, 5);
    EXPECT_EQ(label(f), "n/a");
    const float point[2] = {12, 12};
    EXPECT_FALSE(f->onMouseDown(point, 0));
    EXPECT_EQ(menus->menusBegun, 0);

    f->bindColour(o, 1);
    EXPECT_EQ(label(f), "Edge");
    EXPECT_STREQ(f->getShownText(), " . ");
    o->setColour(red, 1);
    f->onTimer();
    EXPECT_STREQ(f->getShownText(), "Red");

    menus->answer = 0;
    f->onMouseDown(point, 0);
    const AM_MenuTable& table = vm->getMenuTable();
    EXPECT_EQ(table.menuId(), kEditMenuId);
    EXPECT_EQ(table.control(), o);
    const AM_MenuItem* none = menus->find("none");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->command, (1u << 16) | 18);
    const AM_MenuItem* listed = menus->find("Red");
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->userData, red);
    EXPECT_TRUE(listed->isChecked());
    const AM_MenuItem* standard = menus->find("standard");
    const AM_MenuItem* defaults = menus->find("default");
    ASSERT_NE(standard, nullptr);
    ASSERT_NE(defaults, nullptr);
    EXPECT_EQ(listed->subMenu(), standard->command);
    EXPECT_EQ(menus->find("defaultFace")->subMenu(), defaults->command);
}

TEST_F(EditMenusTest, GraphicFieldsOfferNoneAndTheGraphics)
{
    OwnerControl* o = owner();
    AM_View_EditMenus* f = field();
    f->bindGraphic(nullptr, 0);
    EXPECT_EQ(label(f), "no graphic object");
    f->bindGraphic(o, 0);
    EXPECT_EQ(label(f), "Cap");
    auto* badge = new BadgeGraphic(vm.get(), "Badge");
    vm->addGraphic(badge);
    o->setGraphic(badge, 0);
    f->onTimer();
    EXPECT_STREQ(f->getShownText(), "Badge");
    const float point[2] = {12, 12};
    f->onMouseDown(point, 0);
    ASSERT_NE(menus->find("none"), nullptr);
    EXPECT_EQ(menus->find("none")->command, 4u);
    EXPECT_EQ(vm->getMenuTable().control(), o);
}

TEST_F(EditMenusTest, PortFieldsShowTheParameterAndListTheModulesParameters)
{
    OwnerControl* o = owner();
    AM_View_EditMenus* f = field();
    f->bindParameters(nullptr, 0);
    EXPECT_EQ(label(f), "no parameters");
    f->bindParameters(o, 3);
    EXPECT_EQ(label(f), "n/a");
    f->bindParameters(o, 0);
    EXPECT_EQ(label(f), "Value");
    EXPECT_STREQ(f->getShownText(), " . ");
    o->setPortParameter(0, host.param(kAttack));
    f->onTimer();
    EXPECT_STREQ(f->getShownText(), "Envelope: Attack Time");

    const float point[2] = {12, 12};
    // The parameters offered are those of the module chosen for assignments.
    AM_ViewControl::setAssignModule(1);
    f->onMouseDown(point, 0);
    AM_ViewControl::setAssignModule(0);
    ASSERT_NE(menus->find("Module: Envelope"), nullptr);
    const AM_MenuItem* envelope = menus->find("Envelope");
    ASSERT_NE(envelope, nullptr);
    EXPECT_TRUE(envelope->isChecked());
    EXPECT_EQ(envelope->command, (1u << 16) | 7);
    EXPECT_FALSE(menus->find("Oscillator")->isChecked());
    // Only the continuous parameters of the module, the bound one checked.
    const AM_MenuItem* attack = menus->find("Attack Time");
    ASSERT_NE(attack, nullptr);
    EXPECT_TRUE(attack->isChecked());
    EXPECT_EQ(attack->command, 6u);
    EXPECT_EQ(attack->userData, host.param(kAttack));
    EXPECT_NE(menus->find("Env Tune"), nullptr);
    EXPECT_EQ(menus->find("Curve Data"), nullptr);
    EXPECT_EQ(menus->find("Fine Tune"), nullptr);

    // Module 0 is taken when the assignment module does not exist.
    AM_ViewControl::setAssignModule(9);
    f->onMouseDown(point, 0);
    AM_ViewControl::setAssignModule(0);
    ASSERT_NE(menus->find("Module: Oscillator"), nullptr);
    EXPECT_NE(menus->find("Fine Tune"), nullptr);
    EXPECT_FALSE(menus->find("Fine Tune")->isChecked());
}

TEST_F(EditMenusTest, TextFieldsShowAtMost62CharactersAndEditACopy)
{
    OwnerControl* o = owner();
    std::memset(o->text, 'x', 70);
    o->text[70] = '\0';
    AM_View_EditMenus* f = field();
    f->bindText(o, o->text, sizeof o->text, "Patch");
    EXPECT_EQ(label(f), "Patch");
    EXPECT_EQ(std::strlen(f->getShownText()), 62u);

    std::strcpy(o->text, "Bright Pad");
    f->onTimer();
    EXPECT_STREQ(f->getShownText(), "Bright Pad");

    const float point[2] = {12, 12};
    EXPECT_FALSE(f->onMouseDown(point, 0));
    f->onDoubleClick(point, 0);
    ASSERT_EQ(menus->entries.size(), 1u);
    EXPECT_EQ(menus->entries[0].text, "Bright Pad");
    // An entry that ends unchanged leaves the text; a stray end message
    // (no entry open) changes nothing.
    vm->endTextEntry();
    EXPECT_STREQ(o->text, "Bright Pad");
    char stray[] = "Warm Strings";
    f->receiveMessage(nullptr, kCtlMsgRename, 0, stray);
    EXPECT_STREQ(o->text, "Bright Pad");
}

TEST_F(EditMenusTest, ATextEntryReachesTheOwnerBoundedByItsBuffer)
{
    OwnerControl* o = owner();
    AM_View_EditMenus* f = field();
    char small[8] = "abc";
    f->bindText(o, small, sizeof small, nullptr);
    const float point[2] = {12, 12};
    f->onDoubleClick(point, 0);
    ASSERT_TRUE(vm->isTextEntryOpen());
    // What the prompt accepted is cut to the owner's buffer.
    menus->accept("a much longer name");
    EXPECT_STREQ(small, "a much ");
    EXPECT_STREQ(f->getShownText(), "a much ");
}

// A control that counts the messages a bound field sends it.
class MessageOwner : public OwnerControl {
public:
    using OwnerControl::OwnerControl;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        if (message == kFieldChanged) {
            ++changes;
            lastData = ptr;
        }
        OwnerControl::receiveMessage(sender, message, arg, ptr);
    }
    static constexpr uint32_t kFieldChanged = 1234;
    int changes = 0;
    void* lastData = nullptr;
};

TEST_F(EditMenusTest, InspectorRowsBindTheSlotTheirNameStandsFor)
{
    OwnerControl* o = owner();
    colour("Amber", 0xE0A030FF);
    o->setColour(vm->getColour("Amber"), 1);
    struct Case {
        const char* rowName;
        int32_t slot;
        int32_t mode;
        const char* label;
    } const cases[] = {
        {"*i*CtrlColour1", 1, AM_View_EditMenus::kColour, "Edge"},
        {"*i*ColoursRider", 0, AM_View_EditMenus::kColour, "Face"},
        {"*i*CtrlGraphic0", 0, AM_View_EditMenus::kGraphic, "Cap"},
        {"*i*CtrlParam0", 0, AM_View_EditMenus::kParameter, "Value"},
        {"*i*ParamsRider", 3, AM_View_EditMenus::kParameter, "n/a"},
    };
    for (const Case& c : cases) {
        AM_View_EditMenus* row = field();
        row->setName(c.rowName);
        row->setInspectorSubject(o, c.slot);
        EXPECT_EQ(row->getMode(), c.mode) << c.rowName;
        EXPECT_EQ(row->getOwner(), o) << c.rowName;
        EXPECT_EQ(label(row), c.label) << c.rowName;
        // A row past the subject's slots is detached.
        row->setInspectorSubject(nullptr, -1);
        EXPECT_EQ(row->getOwner(), nullptr) << c.rowName;
    }
    AM_View_EditMenus* edge = field();
    edge->setName("*i*CtrlColour1");
    edge->setInspectorSubject(o, 1);
    EXPECT_STREQ(edge->getShownText(), "Amber");

    // A field of another name is no row: it stays as it is.
    testsupport::TraceCapture trace;
    AM_View_EditMenus* other = field();
    other->setName("*i*GridMenu");
    other->setInspectorSubject(o, 0);
    EXPECT_EQ(other->getOwner(), nullptr);
    EXPECT_TRUE(trace.contains("*i*GridMenu is no inspector row"));
}

TEST_F(EditMenusTest, BoundFieldsEditTheOwnersValueAndTellItOfEachChange)
{
    const AM_Rect bounds{200, 10, 40, 40};
    auto* o = new MessageOwner(vm.get(), &bounds);
    vm->registerControl(o, nullptr);
    uint32_t mode = 1;
    static const char* const kModes[] = {"empty", "next", "last"};
    AM_InspectorField binding;
    binding.owner = o;
    binding.label = "Mode";
    binding.field = &mode;
    binding.kind = AM_InspectorField::kUInt32;
    binding.valueTexts = kModes;
    binding.minimum = 0;
    binding.maximum = 2;
    binding.changedMessage = MessageOwner::kFieldChanged;
    AM_View_EditMenus* f = field();
    ASSERT_TRUE(f->bindField(binding));
    EXPECT_EQ(label(f), "Mode");
    EXPECT_STREQ(f->displayText(), "next");
    f->onMouseWheel(5);
    EXPECT_EQ(mode, 2u) << "held to the range";
    EXPECT_STREQ(f->displayText(), "last");
    EXPECT_EQ(o->changes, 1);
    EXPECT_EQ(o->lastData, &mode);
    f->onMouseWheel(1);
    EXPECT_EQ(o->changes, 1) << "no change, no message";

    // A text field: the entry's text reaches the owner's buffer, then the
    // owner is told.
    char name[16] = "Knob 3";
    binding.label = "Control";
    binding.field = name;
    binding.kind = AM_InspectorField::kText;
    binding.textBytes = sizeof name;
    ASSERT_TRUE(f->bindField(binding));
    EXPECT_EQ(f->getMode(), AM_View_EditMenus::kText);
    const float point[2] = {12, 12};
    f->onDoubleClick(point, 0);
    ASSERT_TRUE(vm->isTextEntryOpen());
    menus->accept("Cutoff");
    EXPECT_STREQ(name, "Cutoff");
    EXPECT_EQ(o->changes, 2);
    EXPECT_EQ(o->lastData, name);

    // Binding anew by the other operations drops the message.
    f->bindVariable(o, nullptr, &o->steps, nullptr, 0, 16);
    f->onMouseWheel(1);
    EXPECT_EQ(o->changes, 2);

    // Refused: no field, an owner that is no control, a text of no size.
    AM_InspectorField none = binding;
    none.field = nullptr;
    EXPECT_FALSE(f->bindField(none));
    AM_InspectorField noControl = binding;
    AM_Colour* plain = colour("Plain", 0x000000FF);
    noControl.owner = plain;
    EXPECT_FALSE(f->bindField(noControl));
    AM_InspectorField empty = binding;
    empty.textBytes = 0;
    EXPECT_FALSE(f->bindField(empty));
}

TEST_F(EditMenusTest, AnOwnerThatGoesAwayIsForgotten)
{
    AM_View_EditMenus* variable = field();
    AM_View_EditMenus* text = field({10, 30, 64, 12});
    AM_View_EditMenus* colourField = field({10, 50, 64, 12});
    OwnerControl* o = owner(); // the last of the top controls
    variable->bindVariable(o, nullptr, &o->steps, nullptr, 0, 16);
    text->bindText(o, o->text, sizeof o->text, nullptr);
    colourField->bindColour(o, 0);
    const float point[2] = {12, 12};
    text->onDoubleClick(point, 0);

    o->unlink();
    delete o;
    for (AM_View_EditMenus* f : {variable, text, colourField}) {
        EXPECT_EQ(f->getOwner(), nullptr);
        f->onTimer();
        f->onMouseWheel(2);
        f->onMouseDown(point, 0);
        TraceContext context;
        f->draw(&context);
    }
    char accepted[] = "late";
    text->receiveMessage(nullptr, kCtlMsgRename, 0, accepted);
    EXPECT_STREQ(text->getShownText(), "");
    EXPECT_STREQ(colourField->getShownText(), " . ");
}

TEST_F(EditMenusTest, IterateIsAToggleThatIsWrittenReadAndCloned)
{
    AM_View_EditMenus* f = field();
    f->setName("Field");
    const float point[2] = {0, 0};
    const AM_MenuItem toggle{"iterate", 0, (1 << 16) | 5, nullptr, 0};
    EXPECT_TRUE(f->handleMenuCommand(point, kEditMenuId, true, &toggle));
    EXPECT_TRUE(f->getIterate());
    EXPECT_TRUE(f->handleMenuCommand(point, kEditMenuId, false, nullptr));

    std::string script;
    f->writeProperties(&script);
    EXPECT_NE(script.find("\nPROPERTY control='Field' name='iterate' id='1' value='yes'"),
              std::string::npos);
    AM_View_EditMenus* g = field();
    g->setProperty("iterate", 1, "no"); // whatever its value
    EXPECT_TRUE(g->getIterate());
    AM_View_EditMenus* h = field();
    f->copyProperties(h);
    EXPECT_TRUE(h->getIterate());

    enterEditMode();
    ASSERT_TRUE(vm->isEditMode());
    f->buildEditMenu(point, true, 0);
    ASSERT_NE(menus->find("iterate"), nullptr);
    EXPECT_TRUE(menus->find("iterate")->isChecked());
}

TEST_F(EditMenusTest, FieldsMatchTheirReferencePictures)
{
    OwnerControl* o = owner();
    AM_Colour* back = colour("FieldBack", 0x23262BFF);
    AM_Colour* edge = colour("FieldEdge", 0x5A606AFF);
    AM_Colour* ink = colour("FieldText", 0xE8E8E8FF);
    AM_Colour* amber = colour("Amber", 0xE9A23BFF);
    o->setColour(amber, 0);
    o->setPortParameter(0, host.param(kAttack));
    static const AM_View_EditMenus::ValueName kNames[] = {"off", "soft", "hard"};
    int32_t shape = 1;
    AM_View_EditMenus* fields[5];
    for (int i = 0; i < 5; ++i) {
        fields[i] = make<AM_View_EditMenus>("EditMenus", {6, 6.0f + 16 * i, 120, 13});
        fields[i]->setColour(back, 0);
        fields[i]->setColour(edge, 1);
        fields[i]->setColour(ink, 2);
    }
    fields[0]->bindVariable(o, nullptr, &o->steps, nullptr, 0, 16);
    fields[1]->bindVariable(o, nullptr, &shape, kNames, 0, 2);
    fields[2]->bindColour(o, 0);
    fields[3]->bindParameters(o, 0);
    fields[4]->bindText(o, o->text, sizeof o->text, nullptr);
    for (const float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(fields[0], 132, 90, "edit_fields", zoom), "") << zoom;
}

} // namespace
