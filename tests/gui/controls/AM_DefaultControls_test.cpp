// Default controls for a module: laid out in rows by the view manager,
// reached from the edit menu's "module" item of a container, with the real
// knob and display classes, their name labels and their bindings.

#include "ControlFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_Label.h"

#include "gui/views/AM_AGG_ViewMan.h"
#include "gui/views/AM_PlatformDialogs.h"
#include "platform/HeadlessMenuPresenter.h"

#include <string>
#include <vector>

namespace {

using namespace controltest;

constexpr uint32_t kRightButton = 2;
constexpr int32_t kBank = 2;

// The fixture's parameters and a third module, "Control Bank", with five
// continuous values, a list, a hidden value, an XY axis and a meter.
class BankInterface : public NamedInterface {
public:
    BankInterface()
    {
        addModule("Bank", "Control Bank", kBank);
        for (const char* name : {"K1", "K2", "K3", "K4", "K5"})
            add(AM_makeParamInfo(0, name, name, k_kindFloat, 0, 1, 0, 0, 0), kBank);
        add(AM_makeParamInfo(0, "Mode", "Mode", k_kindInteger, 0, 3, 0, 0, 0), kBank);
        add(AM_makeParamInfo(0, "Hide", "Hidden", k_kindFloat, 0, 1, 0, k_paramHidden, 0), kBank);
        add(AM_makeParamInfo(0, "PadX", "Pad X", k_kindXYAxis, 0, 1, 0, 0, 0), kBank);
        add(AM_makeParamInfo(0, "Peak", "Peak", k_meter, 0, 1, 0, 0, 0), kBank);
    }
};

class DefaultControlsTest : public ::testing::Test {
protected:
    DefaultControlsTest()
    {
        ControlTestAccess::reset();
        vm = std::make_unique<AM_AGG_ViewMan>(&ui, nullptr, nullptr, nullptr);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        vm->registerDefaults();
        AM_installStandardControls(vm.get());
        AM_PlatformDialogs dialogs;
        dialogs.menus = &menus;
        vm->setDialogs(dialogs);

        const AM_Rect editor{0, 0, 400, 300};
        AM_ViewControl* top = vm->createControl("Pane", &editor);
        vm->registerControl(top, nullptr);
        top->setVisible(true, kAllLayers, false);
        vm->newRootView();
        // The container: 200 wide, off the origin.
        const AM_Rect area{40, 30, 200, 200};
        container = vm->createControl("Pane", &area);
        container->setName("Bank Pane");
        vm->getRootView()->addControl(container, kAllLayers, true);
        container->setVisible(true, kAllLayers, false);
    }
    ~DefaultControlsTest() override
    {
        vm.reset();
        ControlTestAccess::reset();
    }

    // The controls of the container (not their labels), in order.
    std::vector<AM_ViewControl*> made() const
    {
        std::vector<AM_ViewControl*> controls;
        for (AM_ViewControl* c = container->getFirstChildControl(); c != nullptr;
             c = c->getNextControl())
            controls.push_back(c);
        return controls;
    }

    BankInterface ui;
    platform::HeadlessMenuPresenter menus;
    std::unique_ptr<AM_AGG_ViewMan> vm;
    AM_ViewControl* container = nullptr;
};

struct Placed {
    const char* type;
    const char* parameter;
    float x, y; // within the container
};

TEST_F(DefaultControlsTest, TheModulesVisibleValuesAreLaidOutInRows)
{
    testsupport::TraceCapture trace;
    vm->buildDefaultControls(container, kBank);

    // Four 28-unit knobs fit in the first row; the fifth would end at 200,
    // past 188, and starts a new row below the tallest plus 24. The hidden
    // value and the meter get nothing.
    const Placed expected[] = {
        {"Knob", "K1", 12, 12},    {"Knob", "K2", 52, 12},    {"Knob", "K3", 92, 12},
        {"Knob", "K4", 132, 12},   {"Knob", "K5", 12, 64},    {"Display", "Mode", 52, 64},
        {"Knob", "PadX", 128, 64},
    };
    const std::vector<AM_ViewControl*> controls = made();
    ASSERT_EQ(controls.size(), std::size(expected));
    for (size_t i = 0; i < controls.size(); ++i) {
        const Placed& p = expected[i];
        AM_ViewControl* c = controls[i];
        EXPECT_STREQ(c->getTypeName(), p.type) << i;
        EXPECT_FLOAT_EQ(c->getBounds().x, 40 + p.x) << p.parameter;
        EXPECT_FLOAT_EQ(c->getBounds().y, 30 + p.y) << p.parameter;
        ASSERT_NE(c->getPort(0)->parameter, nullptr) << p.parameter;
        EXPECT_STREQ(c->getPort(0)->parameter->shortName, p.parameter);
        EXPECT_NE(c->getState() & kStateEditMode, 0u) << p.parameter;
        EXPECT_TRUE(c->isVisible()) << p.parameter;
    }
    // The first of each kind is made, the rest clone the one before.
    EXPECT_EQ(controls[0]->getPrototype(), nullptr);
    EXPECT_EQ(controls[4]->getPrototype(), controls[3]);
    EXPECT_EQ(controls[5]->getPrototype(), nullptr);
    EXPECT_EQ(controls[6]->getPrototype(), controls[4]);

    // Each knob carries its own name label, centred under it and naming its
    // parameter.
    for (size_t i : {size_t(0), size_t(4), size_t(6)}) {
        AM_ViewControl* label = controls[i]->getFirstChildControl();
        ASSERT_NE(label, nullptr) << i;
        EXPECT_STREQ(label->getTypeName(), "Label");
        EXPECT_EQ(label->getNextControl(), nullptr) << "one label for " << i;
        const AM_Rect k = controls[i]->getBounds();
        const AM_Rect l = label->getBounds();
        EXPECT_NEAR(l.x + l.w / 2, k.x + k.w / 2, 0.5f) << i;
        EXPECT_STREQ(static_cast<AM_View_Label*>(label)->getText(),
                     controls[i]->getPort(0)->parameter->longName);
    }
    EXPECT_NE(trace.text().find("Parameter K5\n"), std::string::npos);
    EXPECT_NE(trace.text().find("ParamID 8\n"), std::string::npos);
}

TEST_F(DefaultControlsTest, OtherModulesAndNoContainerGiveNothing)
{
    vm->buildDefaultControls(container, 7);
    vm->buildDefaultControls(nullptr, kBank);
    EXPECT_TRUE(made().empty());

    // The envelope's two continuous values (its data block gets nothing).
    vm->buildDefaultControls(container, 1);
    ASSERT_EQ(made().size(), 2u);
    EXPECT_STREQ(made()[1]->getPort(0)->parameter->longName, "Env Tune");
}

TEST_F(DefaultControlsTest, TheEditMenusModuleItemBuildsTheDefaultControls)
{
    // New controls start in edit mode: switch the GUI to run mode and back.
    vm->setEditMode(false);
    vm->setEditMode(true);
    ASSERT_TRUE(vm->isEditMode());
    menus.choosePath({"create control", "module", "Control Bank"});
    vm->handleMouseDown(60, 150, kRightButton);
    vm->handleMouseUp(60, 150, kRightButton);
    EXPECT_EQ(menus.unmatchedChoices(), 0);
    const std::vector<AM_ViewControl*> controls = made();
    ASSERT_EQ(controls.size(), 7u);
    EXPECT_FLOAT_EQ(controls[4]->getBounds().y, 30 + 64);

    // A module menu dismissed builds nothing more.
    menus.dismiss();
    vm->handleMouseDown(60, 150, kRightButton);
    vm->handleMouseUp(60, 150, kRightButton);
    EXPECT_EQ(made().size(), 7u);
}

} // namespace
