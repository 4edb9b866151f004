// The edit menu of controls shown through the headless presenter, its
// commands, the "assign to" menu of meta parameters, renaming through a
// scripted prompt and the inspector rows.

#include "EditFixture.h"
#include "TraceCapture.h"

#include "gui/graphics/AM_Graphic.h"

#include <string>
#include <vector>

namespace {

using namespace viewtest;

constexpr uint32_t kRightButton = 2;

class EditMenuTest : public EditTest {
protected:
    // A right press on the control through the view manager (zoom 1).
    void rightPress(AM_ViewControl* control)
    {
        const AM_Rect r = control->getBounds();
        vm->handleMouseDown(r.x + r.w / 2, r.y + r.h / 2, kRightButton);
    }
    // Hands an edit-menu command to the control as if chosen.
    bool choose(AM_ViewControl* control, uint32_t command, void* userData = nullptr,
                uint32_t menuId = kEditMenuId)
    {
        AM_MenuItem item;
        item.command = command;
        item.userData = userData;
        const float point[2] = {control->getBounds().x + 5, control->getBounds().y + 6};
        return control->handleMenuCommand(point, menuId, true, &item);
    }
};

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(EditMenuTest, ARightPressInEditModeShowsTheControlsItems)
{
    a->setLayerMask(0x5);
    rightPress(a);
    const std::string text = shownMenu();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.substr(0, text.find("> Listeners")),
              "A\n"
              "> Parameters\n"
              "  > value\n"
              "    > Oscillator\n"
              "      Waveform\n"
              "      Fine Tune\n"
              "      Output Level\n"
              "    > Envelope\n"
              "      Attack Time\n"
              "      Env Tune\n"
              "  > data\n"
              "    > Oscillator\n"
              "    > Envelope\n"
              "      Curve Data\n")
        << text;
    EXPECT_TRUE(contains(text, "> Listeners\n  > follow\n")) << text;
    EXPECT_TRUE(contains(text, "> Graphics\n  > Face\n    none\n")) << text;
    EXPECT_TRUE(contains(text, "> Colours\n  > Background\n    > standard\n    > editor\n"
                               "    > default\n    none\n  > Frame\n"))
        << text;
    EXPECT_TRUE(contains(text, "> LayerMask\n  [x] Layer 1\n  [ ] Layer 2\n  [x] Layer 3\n"));
    EXPECT_TRUE(contains(text, "  [ ] Layer 32\n  -\n  all layers\n-\nbring to front\n"
                               "send to back\n[ ] locked\nRename Control\n"))
        << text;
    EXPECT_FALSE(contains(text, "create control")) << "A is no container";
    EXPECT_FALSE(contains(text, "Select Children"));
    EXPECT_FALSE(contains(text, "size to fit")) << "no graphic in any slot";
}

TEST_F(EditMenuTest, ContainersOfferTypesModulesAndTheirChildren)
{
    a->setContainer(true);
    add("Inner", {5, 5, 10, 10}, a);
    rightPress(a);
    const std::string text = shownMenu();
    EXPECT_TRUE(contains(text, "> create control\n  TestEdit\n  -\n  > module\n    Oscillator\n"
                               "    Envelope\n  -\n  > reassign children\n    Oscillator\n"
                               "    Envelope\n"))
        << text;
    EXPECT_TRUE(contains(text, "Rename Control\nSelect Children\n")) << text;
}

TEST_F(EditMenuTest, TheChosenItemReachesTheControlAndNothingChosenChangesNothing)
{
    menus.choosePath({"Parameters", "value", "Envelope", "Attack Time"});
    rightPress(a);
    ASSERT_NE(a->getPort(0)->parameter, nullptr);
    EXPECT_EQ(a->getPort(0)->parameter->index, uint32_t(kAttack));

    menus.choosePath({"locked"});
    rightPress(a);
    EXPECT_NE(a->getState() & kStateLocked, 0u);

    const uint32_t state = a->getState();
    const AM_Rect bounds = a->getBounds();
    menus.dismiss();
    rightPress(a);
    EXPECT_EQ(a->getState(), state);
    EXPECT_EQ(a->getLayerMask(), kAllLayers);
    EXPECT_FLOAT_EQ(a->getBounds().x, bounds.x);
    EXPECT_EQ(a->getPort(0)->parameter->index, uint32_t(kAttack));
    EXPECT_EQ(menus.unmatchedChoices(), 0);
}

TEST_F(EditMenuTest, OutsideEditModeTheMenuHoldsOnlyTheName)
{
    vm->setEditMode(false);
    const float point[2] = {30, 50};
    a->buildEditMenu(point, true, 0);
    EXPECT_EQ(shownMenu(), "A\n");
    EXPECT_EQ(vm->getMenuTable().menuId(), kEditMenuId);
}

// A control with 51 ports: with two modules the Parameters menu would have
// 102 submenus, so it offers one module at a time.
class ManyPortsControl : public AM_ViewControl {
public:
    static constexpr int32_t kPorts = 51;
    ManyPortsControl(AM_ViewMan* viewMan, const AM_Rect* bounds) : AM_ViewControl(viewMan, bounds)
    {
        static const std::vector<AM_PortDescriptor> ports = [] {
            std::vector<AM_PortDescriptor> table(kPorts);
            for (int32_t i = 0; i < kPorts; ++i) {
                table[size_t(i)].index = uint32_t(i);
                std::snprintf(table[size_t(i)].name, AM_PortDescriptor::kNameBytes, "p%d", int(i));
                table[size_t(i)].typeCount = 3;
                table[size_t(i)].types = kEditValueTypes;
            }
            return table;
        }();
        initControl(0, kPorts, ports.data(), 0, nullptr, 0, nullptr, 0, nullptr, false);
    }
};

TEST_F(EditMenuTest, PastTheLimitTheParametersOfOneModuleAreOffered)
{
    const AM_Rect bounds{250, 40, 40, 40};
    auto* many = new ManyPortsControl(vm.get(), &bounds);
    many->setName("Many");
    root->addControl(many, kAllLayers, true);
    many->setEditMode(true);

    AM_ViewControl::setAssignModule(7); // out of range: held to the last module
    menus.choosePath({"Parameters", "Select Module", "Oscillator"});
    rightPress(many);
    std::string text = shownMenu();
    EXPECT_EQ(text.substr(0, text.find("  > p1\n")),
              "Many\n"
              "> Parameters\n"
              "  Module: Envelope\n"
              "  > Select Module\n"
              "    [ ] Oscillator\n"
              "    [x] Envelope\n"
              "  > p0\n"
              "    Attack Time\n"
              "    Env Tune\n")
        << text;
    EXPECT_EQ(AM_ViewControl::getAssignModule(), 0);

    menus.choosePath({"Parameters", "p50", "Fine Tune"});
    rightPress(many);
    text = shownMenu();
    EXPECT_TRUE(contains(text, "  Module: Oscillator\n")) << text;
    ASSERT_NE(many->getPort(50)->parameter, nullptr);
    EXPECT_EQ(many->getPort(50)->parameter->index, uint32_t(kTune));
}

struct LayerCase {
    const char* name;
    uint32_t before;
    uint32_t sub;
    uint32_t after;
};

TEST_F(EditMenuTest, LayerMaskItemsToggleBitsButNeverTheLastOne)
{
    const LayerCase cases[] = {
        {"bit on", 0x1, 2, 0x5},
        {"bit off", 0x5, 0, 0x4},
        {"the only bit stays", 0x4, 2, 0x4},
        {"Layer 32 sets every layer", 0x1, 31, 0x7FFFFFFF},
        {"all layers", 0x1, 32, 0x7FFFFFFF},
    };
    for (const LayerCase& k : cases) {
        a->setLayerMask(k.before);
        EXPECT_TRUE(choose(a, AM_menuCommand(k.sub, 15)));
        EXPECT_EQ(a->getLayerMask(), k.after) << k.name;
    }
}

TEST_F(EditMenuTest, LockOrderModuleAndChildrenCommands)
{
    EXPECT_TRUE(choose(a, 11));
    EXPECT_NE(a->getState() & kStateLocked, 0u);
    EXPECT_TRUE(choose(a, 11));
    EXPECT_EQ(a->getState() & kStateLocked, 0u);

    // "bring to front": last of the siblings, painted over the others.
    EXPECT_TRUE(choose(a, 12));
    EXPECT_EQ(root->getFirstChildControl(), b);
    EXPECT_EQ(c->getNextControl(), a);
    // "send to back": first.
    EXPECT_TRUE(choose(c, AM_menuCommand(1, 12)));
    EXPECT_EQ(root->getFirstChildControl(), c);

    EXPECT_TRUE(choose(a, AM_menuCommand(1, 7)));
    EXPECT_EQ(AM_ViewControl::getAssignModule(), 1);

    a->setContainer(true);
    EditControl* first = add("First", {1, 1, 10, 10}, a);
    EditControl* hidden = add("Hidden", {20, 1, 10, 10}, a);
    EditControl* second = add("Second", {1, 20, 10, 10}, a);
    for (EditControl* child : {first, hidden, second}) {
        child->setEditMode(true);
    }
    hidden->setVisible(false, kAllLayers, false);
    EXPECT_TRUE(choose(a, 8));
    EXPECT_TRUE(selected(first));
    EXPECT_TRUE(selected(second));
    EXPECT_FALSE(selected(hidden));
    EXPECT_EQ(vm->getFocusedControl(), first);

    // An item of another menu, or nothing chosen, is not used.
    EXPECT_FALSE(choose(a, 11, nullptr, 5));
    AM_MenuItem item;
    item.command = 11;
    EXPECT_FALSE(a->handleMenuCommand(nullptr, kEditMenuId, false, &item));
    EXPECT_EQ(a->getState() & kStateLocked, 0u);
}

TEST_F(EditMenuTest, CreateBuildsATypeAtThePointInEditMode)
{
    // The root view's own menu creates nothing; a container's does.
    menus.choosePath({"create control", "TestEdit"});
    vm->handleMouseDown(300, 200, kRightButton); // on the root
    EXPECT_EQ(c->getNextControl(), nullptr);
    EXPECT_EQ(menus.unmatchedChoices(), 1);

    a->setContainer(true);
    menus.choosePath({"create control", "TestEdit"});
    vm->handleMouseDown(30, 52, kRightButton); // inside A
    AM_ViewControl* made = a->getFirstChildControl();
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->getTypeName(), "TestEdit");
    EXPECT_FLOAT_EQ(made->getBounds().x, 30);
    EXPECT_FLOAT_EQ(made->getBounds().y, 52);
    EXPECT_FLOAT_EQ(made->getBounds().w, 30);
    EXPECT_FLOAT_EQ(made->getBounds().h, 20);
    EXPECT_NE(made->getState() & kStateEditMode, 0u);
    EXPECT_TRUE(made->isVisible());
    EXPECT_EQ(made->getFactory(), &EditControl::create);
}

TEST_F(EditMenuTest, SlotsListenersAndReassignment)
{
    auto* grey = new AM_Colour(vm.get(), "Grey", 0x808080FF);
    vm->addColour(grey);
    EXPECT_TRUE(choose(a, AM_menuCommand(1, 18), grey));
    EXPECT_EQ(a->getColour(1), grey);
    EXPECT_TRUE(choose(a, AM_menuCommand(1, 18), nullptr));
    EXPECT_EQ(a->getColour(1), nullptr);
    // A colour item whose data is not one of the GUI's colours sets nothing.
    AM_Colour stranger(vm.get(), "Stranger", 0xFF0000FF);
    a->setColour(grey, 1);
    EXPECT_TRUE(choose(a, AM_menuCommand(1, 18), &stranger));
    EXPECT_TRUE(choose(a, AM_menuCommand(1, 18), b));
    EXPECT_EQ(a->getColour(1), grey);
    a->setColour(nullptr, 1);

    // The colour menu: each colour goes to its list, the slot's own checked.
    a->setColour(grey, 0);
    rightPress(a);
    EXPECT_TRUE(contains(shownMenu(), "  > Background\n    > standard\n"
                                      "      [x] Grey\n"))
        << shownMenu();

    b->setPortParameter(0, interface.param(kTune));
    b->setName("_Provider");
    rightPress(a);
    EXPECT_TRUE(contains(shownMenu(), "> Listeners\n  > follow\n    > _Provider\n      value\n"))
        << shownMenu();
    EXPECT_TRUE(choose(a, AM_menuCommand(0, 19), b->getPort(0)));
    EXPECT_EQ(a->getListener(0), b->getPort(0));

    // Children follow the module chosen under "reassign children".
    a->setContainer(true);
    EditControl* inner = add("Inner", {1, 1, 10, 10}, a);
    inner->setPortParameter(0, interface.param(kTune));
    EXPECT_TRUE(choose(a, AM_menuCommand(1, 22)));
    EXPECT_EQ(inner->getPort(0)->parameter->index, uint32_t(kEnvTune));
}

TEST_F(EditMenuTest, SizeToFitTakesTheGraphicsSizeAsOneUndoStep)
{
    auto* face = new AM_Graphic(vm.get(), 0);
    face->setName("Face64");
    face->setWidth(64);
    face->setHeight(32);
    vm->addGraphic(face);
    EXPECT_TRUE(choose(a, AM_menuCommand(0, 4), face));
    EXPECT_EQ(a->getGraphic(0), face);
    rightPress(a);
    EXPECT_TRUE(contains(shownMenu(), "> size to fit\n  Face64\n")) << shownMenu();

    EXPECT_TRUE(choose(a, 20, face));
    EXPECT_FLOAT_EQ(a->getBounds().w, 64);
    EXPECT_FLOAT_EQ(a->getBounds().h, 32);
    vm->undo();
    EXPECT_FLOAT_EQ(a->getBounds().w, 40);
    EXPECT_FLOAT_EQ(a->getBounds().h, 40);
}

TEST_F(EditMenuTest, RenameGoesThroughAScriptedPromptAndIsValidated)
{
    menus.choosePath({"Rename Control"});
    testsupport::TraceCapture trace;
    rightPress(a);
    EXPECT_TRUE(trace.contains("AM_EditMenuCmd_RenameControl, ok\n"));
    ASSERT_TRUE(prompt.isOpen());
    EXPECT_EQ(prompt.requests().back().text, "A");
    EXPECT_EQ(prompt.requests().back().maxBytes, size_t(AM_ViewControl::kRenameBytes - 1));
    prompt.type("Cutoff");
    prompt.pressReturn();
    EXPECT_STREQ(a->getName(), "Cutoff");

    // Too short, taken, or not writable into a script: the name stays.
    for (const char* refused : {"ab", "B", "Say 'hi'"}) {
        menus.choosePath({"Rename Control"});
        rightPress(a);
        prompt.type(refused);
        prompt.pressReturn();
        EXPECT_STREQ(a->getName(), "Cutoff") << refused;
    }
    // A long text is cut to what the name holds.
    menus.choosePath({"Rename Control"});
    rightPress(a);
    prompt.type(std::string(40, 'n'));
    prompt.pressReturn();
    EXPECT_EQ(std::string(a->getName()), std::string(31, 'n'));
}

TEST_F(EditMenuTest, TheAssignMenuOffersTheMetaParametersOfAssignablePorts)
{
    interface.param(kTune)->flags |= 8;
    interface.targets[0] = kTune;
    a->setPortParameter(0, interface.param(kTune));
    const float point[2] = {30, 50};
    vm->beginMenu(a, point, kRunMenuId);
    a->buildAssignMenu(0);
    menus.choosePath({"assign to", "Y1"});
    vm->showMenu();
    EXPECT_EQ(shownMenu(), "> assign to\n  [x] X1\n  [ ] Y1\n");
    ASSERT_EQ(interface.assignments.size(), 1u);
    EXPECT_EQ(interface.assignments[0].slot, 1);
    EXPECT_EQ(interface.assignments[0].parameter, kTune);
    EXPECT_EQ(interface.assignments[0].target, -1);

    // A parameter that cannot be modulated offers nothing.
    interface.param(kTune)->flags &= ~8u;
    vm->beginMenu(a, point, kRunMenuId);
    a->buildAssignMenu(0);
    EXPECT_EQ(vm->getMenuTable().itemCount(), 0u);

    testsupport::TraceCapture trace;
    EXPECT_TRUE(choose(a, (1u << 24) | (0u << 16) | 24, nullptr, kRunMenuId));
    EXPECT_TRUE(trace.contains("AssignMeta Parameter Port empty\n"));
    EXPECT_TRUE(choose(a, (9u << 24) | (0u << 16) | 24, nullptr, kRunMenuId));
    EXPECT_TRUE(trace.contains("AssignMeta Parameter Port exceeded\n"));
    EXPECT_EQ(interface.assignments.size(), 1u);
}

TEST_F(EditMenuTest, TheInspectorRowsFollowTheFocusedControl)
{
    // The editor's inspector: a pane of colour rows with its template, an
    // old row past A's slots, and the name field.
    const AM_Rect paneBounds{250, 100, 140, 190};
    auto* pane = new EditControl(vm.get(), &paneBounds);
    pane->setName("*i*CtrlColours");
    pane->setContainer(true);
    top->addControl(pane, kAllLayers, false);
    EditControl* rider = add("*i*ColoursRider", {0, 0, 140, 18}, pane);
    EditControl* old = add("*i*CtrlColour5", {0, 120, 140, 18}, pane);
    EditControl* nameField = add("*i*CtrlName", {0, 170, 140, 18}, pane);

    testsupport::TraceCapture trace;
    a->fillInspector();
    EXPECT_TRUE(trace.contains("inNumEntries: 2\n"));
    EXPECT_TRUE(trace.contains("creating clone!\n"));
    // No graphics rows in this inspector.
    EXPECT_TRUE(trace.contains("inPane NULL\n"));
    EXPECT_TRUE(trace.contains("Rider NULL\n"));
    auto* row0 = dynamic_cast<EditControl*>(top->findByName("*i*CtrlColour0"));
    auto* row1 = dynamic_cast<EditControl*>(top->findByName("*i*CtrlColour1"));
    ASSERT_NE(row0, nullptr);
    ASSERT_NE(row1, nullptr);
    EXPECT_EQ(row0->getParentControl(), pane);
    EXPECT_FLOAT_EQ(row0->getBounds().y, rider->getBounds().y + 20);
    EXPECT_FLOAT_EQ(row1->getBounds().y, rider->getBounds().y + 40);
    EXPECT_EQ(row0->inspected, a);
    EXPECT_EQ(row1->inspectedSlot, 1);
    EXPECT_EQ(row1->getLayerMask(), 1u);
    EXPECT_EQ(old->inspected, nullptr);
    EXPECT_EQ(old->inspectedSlot, -1);
    EXPECT_EQ(old->getLayerMask(), 4u);

    // The name field edits A's name through a checked rename.
    EXPECT_STREQ(nameField->bound.label, "Control");
    EXPECT_EQ(nameField->bound.kind, AM_InspectorField::kText);
    EXPECT_EQ(nameField->bound.textBytes, AM_ViewControl::kRenameBytes);
    EXPECT_EQ(nameField->bound.owner, a);
    auto* field = static_cast<char*>(nameField->bound.field);
    EXPECT_STREQ(field, "A");
    std::snprintf(field, AM_ViewControl::kRenameBytes, "Osc Knob");
    a->receiveMessage(nameField, nameField->bound.changedMessage, 0, field);
    EXPECT_STREQ(a->getName(), "Osc Knob");
    std::snprintf(field, AM_ViewControl::kRenameBytes, "B");
    a->receiveMessage(nameField, nameField->bound.changedMessage, 0, field);
    EXPECT_STREQ(a->getName(), "Osc Knob");

    // Focusing B points the same rows at B without making new ones.
    trace.clear();
    b->fillInspector();
    EXPECT_FALSE(trace.contains("creating clone!\n"));
    EXPECT_EQ(row0->inspected, b);
}

} // namespace
