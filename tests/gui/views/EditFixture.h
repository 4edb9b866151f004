#pragma once
// A GUI in edit mode for the control-editing tests: a top pane holding the
// root view with its grid (20 pixels, shown) and three editable controls of
// a class with ports, a listener, colour and graphic slots and a factory.
// The view manager shows menus and prompts through the headless forms.

#include "ParameterFixture.h"
#include "PortFixture.h"

#include "gui/graphics/AM_Context.h"
#include "gui/views/AM_AGG_ViewMan.h"
#include "gui/views/AM_ControlTypes.h"
#include "gui/views/AM_PlatformDialogs.h"
#include "gui/views/AM_RootView.h"
#include "platform/HeadlessMenuPresenter.h"
#include "platform/HeadlessSaveForm.h"
#include "platform/HeadlessTextPrompt.h"
#include "platform/HeadlessThreeWayQuestion.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace viewtest {

// Ports of the editable class: "value" takes whole numbers, continuous
// values and meters; "data" data blocks.
inline constexpr uint32_t kEditValueTypes[] = {k_kindInteger, k_kindFloat, k_meter};
inline const AM_PortDescriptor kEditPorts[] = {
    {0, "value", 3, kEditValueTypes},
    {1, "data", 1, kDataTypes},
};

class EditControl : public AM_ViewControl {
public:
    EditControl(AM_ViewMan* viewMan, const AM_Rect* bounds) : AM_ViewControl(viewMan, bounds)
    {
        initControl(0, 2, kEditPorts, 1, kFixtureListeners, 2, kPaintColourSlots, 1,
                    kPaintGraphicSlots, false);
        setFactory(&create);
    }
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds)
    {
        return new EditControl(viewMan, bounds);
    }
    const char* getTypeName() const override { return "TestEdit"; }
    void setContainer(bool on) { isContainer_ = on ? 1 : 0; }
    void draw(AM_Context* context) override
    {
        const AM_Rect b = getBounds();
        if (const AM_Colour* background = getColour(0))
            context->setColourFromObject(background);
        else
            context->setColourPacked(0xB8C4D0FF);
        context->fillRect(&b);
        context->setColourPacked(0x304050FF);
        context->frameRect(&b);
    }
    void copyProperties(AM_ViewControl* clone) override
    {
        static_cast<EditControl*>(clone)->tag = tag;
    }
    void setInspectorSubject(AM_ViewControl* subject, int32_t slot) override
    {
        inspected = subject;
        inspectedSlot = slot;
    }
    bool bindField(const AM_InspectorField& field) override
    {
        bound = field;
        return true;
    }

    int tag = 0;
    AM_ViewControl* inspected = nullptr;
    int32_t inspectedSlot = -2;
    AM_InspectorField bound;
};

class EditViewMan : public AM_AGG_ViewMan {
public:
    explicit EditViewMan(AM_View_Interface* interface)
        : AM_AGG_ViewMan(interface, nullptr, nullptr, nullptr)
    {
    }
    void setRootViewForTest(AM_ViewControl* rootView) { setRootView(rootView, nullptr); }
    void setGuiEditing(bool on) { pluginInfo_.optionByte = on ? 1 : 0; }
};

// Interface with two meta parameters ("X1", "Y1", one target each) whose
// assignments are recorded.
class MetaInterface : public ParameterInterface {
public:
    struct Assignment {
        int32_t slot;
        int32_t parameter;
        int32_t target;
    };
    int32_t getNumMetaParameters() override
    {
        walk_ = 0;
        return int32_t(names_.size());
    }
    int32_t getNumModTargets() override { return 1; }
    const char* nextMetaParameterName() override
    {
        const char* name = names_[size_t(walk_) % names_.size()];
        ++walk_;
        return name;
    }
    int32_t getModTarget(int32_t slot, int32_t target) override
    {
        return target == 0 && slot >= 0 && slot < int32_t(targets.size()) ? targets[size_t(slot)]
                                                                            : -1;
    }
    void assignModTarget(int32_t slot, int32_t parameter, int32_t target) override
    {
        assignments.push_back({slot, parameter, target});
    }
    std::vector<int32_t> targets = {-1, -1};
    std::vector<Assignment> assignments;

private:
    std::vector<const char*> names_ = {"X1", "Y1"};
    int32_t walk_ = 0;
};

class EditTest : public ::testing::Test {
protected:
    EditTest()
    {
        resetAll();
        AM_ViewControl::setAssignModule(0);
        vm = std::make_unique<EditViewMan>(&interface);
        const AM_PluginInfo info = pluginInfo("TestSynth");
        vm->setProcessDescription(&info);
        vm->init(nullptr);
        AM_PlatformDialogs dialogs;
        dialogs.menus = &menus;
        dialogs.prompt = &prompt;
        dialogs.saveForm = &form;
        dialogs.question = &question;
        vm->setDialogs(dialogs);
        vm->setGuiEditing(true);
        AM_ControlTypeRecord type{};
        std::snprintf(type.name, sizeof type.name, "TestEdit");
        type.defaultWidth = 30;
        type.defaultHeight = 20;
        type.flags = 0;
        type.factory = &EditControl::create;
        vm->registerControlType(&type, sizeof(EditControl));

        top = addPaintControl(vm.get(), nullptr, "Top", {0, 0, 400, 300}, true);
        const AM_Rect rootBounds{0, 0, 400, 300};
        root = new AM_RootView(vm.get(), &rootBounds);
        root->setGridSize(20);
        root->setGridShown(true);
        top->addControl(root, kAllLayers, true);
        vm->setRootViewForTest(root);
        a = add("A", {20, 40, 40, 40});
        b = add("B", {100, 40, 40, 40});
        c = add("C", {180, 40, 40, 40});
        top->setEditMode(false);
        root->setState(root->getState() | AM_RootView::kRootState);
        vm->setEditMode(true);
    }
    ~EditTest() override
    {
        vm.reset();
        resetAll();
    }

    static void resetAll() { resetViewProcessState(); }

    EditControl* add(const char* name, const AM_Rect& bounds, AM_ViewControl* parent = nullptr)
    {
        auto* control = new EditControl(vm.get(), &bounds);
        control->setName(name);
        (parent != nullptr ? parent : root)->addControl(control, kAllLayers, true);
        return control;
    }
    static bool selected(const AM_ViewControl* control)
    {
        return (control->getState() & kStateSelected) != 0;
    }
    // The items of the last shown menu as indented text.
    std::string shownMenu() const
    {
        return menus.lastShown() != nullptr ? platform::describeMenu(menus.lastShown()->menu) : "";
    }

    MetaInterface interface;
    platform::HeadlessMenuPresenter menus;
    platform::HeadlessTextPrompt prompt;
    platform::HeadlessSaveForm form;
    platform::HeadlessThreeWayQuestion question;
    std::unique_ptr<EditViewMan> vm;
    PaintControl* top = nullptr;
    AM_RootView* root = nullptr;
    EditControl* a = nullptr;
    EditControl* b = nullptr;
    EditControl* c = nullptr;
};

} // namespace viewtest
