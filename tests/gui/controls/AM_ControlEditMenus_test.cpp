#include "ControlFixture.h"

#include "gui/controls/AM_View_Button.h"
#include "gui/controls/AM_View_FaderBox.h"
#include "gui/controls/AM_View_Keyboard.h"
#include "gui/controls/AM_View_Knob.h"
#include "gui/controls/AM_View_Label.h"
#include "gui/controls/AM_View_Meter.h"
#include "gui/controls/AM_View_Slider.h"
#include "gui/views/AM_ActionTable.h"

#include <functional>

namespace {

using namespace controltest;

// A container for the button's "Attach Pane" submenu.
class TestPane : public AM_ViewControl {
public:
    TestPane(AM_ViewMan* viewMan, const AM_Rect* bounds)
        : AM_ViewControl(viewMan, bounds)
    {
        isContainer_ = 1;
        setName("Effects Pane");
    }
};

class ControlEditMenusTest : public ControlTest {
protected:
    // Opens the control's edit menu and chooses the item of that text.
    void choose(AM_ViewControl* control, const std::string& text)
    {
        vm->answerText = text;
        const float point[2] = {control->getBounds().x + 2, control->getBounds().y + 2};
        control->buildEditMenu(point, true, 0);
        vm->answerText.clear();
    }
    bool hasItem(const std::string& text, uint32_t flags) const
    {
        for (const MenuViewMan::Item& item : vm->items)
            if (item.text == text && item.flags == flags)
                return true;
        return false;
    }
};

TEST_F(ControlEditMenusTest, EachClassListsItsItemsAfterItsNameAndTakesTheChoice)
{
    struct Case {
        const char* type;
        const char* item;
        uint32_t flagsBefore;
        std::function<bool(AM_ViewControl*)> changed;
    };
    const Case cases[] = {
        {"Knob", "touchSelect", kMenuChecked,
         [](AM_ViewControl* c) { return !static_cast<AM_View_Knob*>(c)->getTouchSelect(); }},
        {"Slider", "vertical", kMenuChecked,
         [](AM_ViewControl* c) { return !static_cast<AM_View_Slider*>(c)->isVertical(); }},
        {"FaderBox16", "vertical", kMenuChecked,
         [](AM_ViewControl* c) { return !static_cast<AM_View_FaderBox*>(c)->isVertical(); }},
        {"Meter", "RunningLight", kMenuCheckable,
         [](AM_ViewControl* c) { return static_cast<AM_View_Meter*>(c)->isRunningLight(); }},
        {"Label", "align right", kMenuCheckable,
         [](AM_ViewControl* c) { return static_cast<AM_View_Label*>(c)->getTextAlignment() == 2; }},
        {"Button On-Off", "Push Only", kMenuCheckable,
         [](AM_ViewControl* c) { return static_cast<AM_View_Button*>(c)->isPushOnly(); }},
        // The keyboard's item does nothing.
        {"Keyboard", "vertical", 0,
         [](AM_ViewControl* c) { return static_cast<AM_View_Keyboard*>(c)->getKeyCount() == 61; }},
    };
    for (const Case& c : cases) {
        AM_ViewControl* control = make<AM_ViewControl>(c.type, {10, 10, 60, 40});
        ASSERT_NE(control, nullptr) << c.type;
        choose(control, c.item);
        ASSERT_FALSE(vm->items.empty()) << c.type;
        EXPECT_EQ(vm->items.front().text, control->getName()) << c.type;
        EXPECT_TRUE(hasItem(c.item, c.flagsBefore)) << c.type;
        EXPECT_TRUE(c.changed(control)) << c.type;
        delete control;
    }
}

TEST_F(ControlEditMenusTest, ALabelsAlignmentAndFlagsComeFromItsMenu)
{
    AM_View_Label* label = make<AM_View_Label>("Label", {10, 10, 60, 12});
    choose(label, "align right");
    choose(label, "parentClickThrough");
    choose(label, "align left");
    choose(label, "");
    EXPECT_EQ(label->getTextAlignment(), 0);
    EXPECT_TRUE(hasItem("align right", kMenuCheckable));
    EXPECT_TRUE(hasItem("parentClickThrough", kMenuChecked));
    EXPECT_TRUE(hasItem("align left", kMenuChecked));
}

TEST_F(ControlEditMenusTest, AButtonAttachesAPaneAndTakesAnActionFromItsMenu)
{
    const AM_Rect area{100, 0, 80, 80};
    auto* pane = new TestPane(vm.get(), &area);
    vm->registerControl(pane, nullptr);
    AM_View_Button* button = make<AM_View_Button>("Button On-Off", {0, 0, 26, 12});
    choose(button, pane->getName());
    EXPECT_EQ(button->getClientPane(), pane);
    // The pane is offered in the submenu, checked now that it is attached.
    choose(button, "redo");
    EXPECT_TRUE(hasItem(pane->getName(), kMenuChecked));
    EXPECT_EQ(button->getActionCode(), kActionRedo);
    choose(button, "");
    EXPECT_TRUE(hasItem("redo", kMenuChecked));
    EXPECT_TRUE(hasItem("undo", kMenuCheckable));
    EXPECT_EQ(button->getClientPane(), pane);
}

TEST_F(ControlEditMenusTest, TheKnobsRunMenuSelectsAValueName)
{
    AM_View_Knob* knob = make<AM_View_Knob>("Knob", {10, 10, 28, 28});
    knob->setPortParameter(0, &wide);
    knob->setPortParameter(1, interface.param(kWave));
    vm->answerText = "Filter";
    const float point[2] = {20, 20};
    EXPECT_FALSE(knob->onMouseDown(point, 2));
    EXPECT_FLOAT_EQ(knob->getMenuValue(), 3.0f);
    EXPECT_FLOAT_EQ(interface.value(kWave), 3.0f);
    vm->answerText = "MidiLearn";
    knob->onMouseDown(point, 2);
    EXPECT_EQ(interface.learned.size(), 1u);
}

TEST_F(ControlEditMenusTest, ALabelsEntryWritesItsTextWithinWhatItHolds)
{
    AM_View_Label* label = make<AM_View_Label>("Label", {10, 10, 60, 12});
    label->setPortParameter(0, interface.param(kName));
    const float point[2] = {12, 12};
    label->onDoubleClick(point, 0);
    ASSERT_EQ(vm->entries.size(), 1u);
    vm->typeEntry("Warm Pad");
    EXPECT_STREQ(label->getText(), "Warm Pad");
    const std::vector<uint8_t> block = interface.block(kName);
    EXPECT_STREQ(reinterpret_cast<const char*>(block.data()), "Warm Pad");
    // The parameter holds 16 bytes: a longer entry is cut to them.
    label->onDoubleClick(point, 0);
    vm->typeEntry("A very long patch name indeed");
    EXPECT_EQ(std::string(label->getText()).size(), static_cast<size_t>(label->getCapacity()));
}

} // namespace
