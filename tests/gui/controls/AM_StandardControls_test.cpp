#include "ControlFixture.h"

#include "gui/controls/AM_View_Button.h"
#include "gui/controls/AM_View_Knob.h"
#include "gui/controls/AM_View_Label.h"
#include "gui/controls/AM_View_Meter.h"
#include "gui/controls/AM_View_Slider.h"

namespace {

using namespace controltest;

class StandardControlsTest : public ControlTest {};

TEST_F(StandardControlsTest, BuiltTypesReplaceTheirPlaceholdersOnce)
{
    // The fixture installed them already: a second call changes nothing.
    EXPECT_EQ(AM_installStandardControls(vm.get()), 0);
    EXPECT_EQ(AM_installStandardControls(nullptr), 0);

    const AM_Rect bounds{0, 0, 20, 20};
    std::unique_ptr<AM_ViewControl> knob(vm->createControl("Knob", &bounds));
    std::unique_ptr<AM_ViewControl> label(vm->createControl("Label", &bounds));
    std::unique_ptr<AM_ViewControl> button(vm->createControl("Button On-Off", &bounds));
    std::unique_ptr<AM_ViewControl> meter(vm->createControl("Meter", &bounds));
    std::unique_ptr<AM_ViewControl> slider(vm->createControl("Slider", &bounds));
    EXPECT_NE(dynamic_cast<AM_View_Knob*>(knob.get()), nullptr);
    EXPECT_NE(dynamic_cast<AM_View_Label*>(label.get()), nullptr);
    EXPECT_NE(dynamic_cast<AM_View_Button*>(button.get()), nullptr);
    EXPECT_NE(dynamic_cast<AM_View_Meter*>(meter.get()), nullptr);
    EXPECT_NE(dynamic_cast<AM_View_Slider*>(slider.get()), nullptr);
    EXPECT_EQ(knob->getFactory(), &AM_View_Knob::create);
}

TEST_F(StandardControlsTest, AFreshRegistryIsInstalledOverItsPlaceholders)
{
    NamedInterface other;
    MenuViewMan fresh(&other, nullptr, nullptr);
    const AM_PluginInfo info = pluginInfo("OtherSynth");
    fresh.setProcessDescription(&info);
    fresh.init(nullptr);
    fresh.registerDefaults();
    EXPECT_GE(AM_installStandardControls(&fresh), 19);
}

TEST_F(StandardControlsTest, ScriptWithBuiltControlsReadsAndWritesBack)
{
    const std::string script =
        "CONTROL type='Knob' name='Cutoff' bounds='10 10 28 28'\n"
        "CONTROL type='Label' name='Title' bounds='10 50 64 12'\n"
        "CONTROL type='Button On-Off' name='Power' bounds='10 70 26 12'\n"
        "PROPERTY control='Cutoff' name='touchSelect' id='0' value='NO'\n"
        "PROPERTY control='Title' name='labeltext' id='0' value='Filter'\n"
        "PROPERTY control='Power' name='PushOnly' id='1' value='Yes'\n";
    vm->parseScript(script.c_str(), static_cast<int32_t>(script.size()), true);
    AM_ViewControl* top = vm->getTopControl();
    ASSERT_NE(top, nullptr);
    auto* knob = dynamic_cast<AM_View_Knob*>(top->findByName("Cutoff"));
    auto* label = dynamic_cast<AM_View_Label*>(top->findByName("Title"));
    auto* button = dynamic_cast<AM_View_Button*>(top->findByName("Power"));
    ASSERT_NE(knob, nullptr);
    ASSERT_NE(label, nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(knob->getTouchSelect());
    EXPECT_STREQ(label->getText(), "Filter");
    EXPECT_TRUE(button->isPushOnly());
}

} // namespace
