#include "gui/controls/AM_StandardControls.h"

#include "gui/controls/AM_View_Button.h"
#include "gui/controls/AM_View_ColourView.h"
#include "gui/controls/AM_View_DataGraph.h"
#include "gui/controls/AM_View_Display.h"
#include "gui/controls/AM_View_EditMenus.h"
#include "gui/controls/AM_View_FaderBox.h"
#include "gui/controls/AM_View_GSwitch.h"
#include "gui/controls/AM_View_Hotspot.h"
#include "gui/controls/AM_View_InfoDisplay.h"
#include "gui/controls/AM_View_Keyboard.h"
#include "gui/controls/AM_View_Knob.h"
#include "gui/controls/AM_View_Label.h"
#include "gui/controls/AM_View_LayerSelector.h"
#include "gui/controls/AM_View_MetaRange.h"
#include "gui/controls/AM_View_MetaXY.h"
#include "gui/controls/AM_View_Meter.h"
#include "gui/controls/AM_View_Pane.h"
#include "gui/controls/AM_View_PresetManager.h"
#include "gui/controls/AM_View_PresetSaver.h"
#include "gui/controls/AM_View_PresetSelector.h"
#include "gui/controls/AM_View_RadiusDial.h"
#include "gui/controls/AM_View_Rack.h"
#include "gui/controls/AM_View_Rec_Knob.h"
#include "gui/controls/AM_View_Scale4.h"
#include "gui/controls/AM_View_Slider.h"
#include "gui/controls/AM_View_SnapshotDial.h"
#include "gui/controls/AM_View_WireIn.h"
#include "gui/controls/AM_View_WireOut.h"
#include "gui/controls/AM_View_XY.h"
#include "gui/views/AM_ControlTypes.h"
#include "gui/views/AM_ViewMan.h"

#include <cstring>

namespace {

struct BuiltType {
    const char* name;
    AM_ControlFactory factory;
};

constexpr BuiltType kBuiltTypes[] = {
    {"Knob", &AM_View_Knob::create},
    {"Label", &AM_View_Label::create},
    {"Button On-Off", &AM_View_Button::create},
    {"Meter", &AM_View_Meter::create},
    {"Slider", &AM_View_Slider::create},
    {"FaderBox16", &AM_View_FaderBox::create},
    {"Keyboard", &AM_View_Keyboard::create},
    {"GSwitch", &AM_View_GSwitch::create},
    {"Pane", &AM_View_Pane::create},
    {"CollPane", &AM_View_Pane::createCollPane},
    {"Rack", &AM_View_Rack::create},
    {"LayerSelector", &AM_View_LayerSelector::create},
    {"Hotspot", &AM_View_Hotspot::create},
    {"ColourView", &AM_View_ColourView::create},
    {"DataGraph", &AM_View_DataGraph::create},
    {"EditMenus", &AM_View_EditMenus::create},
    {"Display", &AM_View_Display::create},
    {"InfoDisplay", &AM_View_InfoDisplay::create},
    {"PresetManager", &AM_View_PresetManager::create},
    {"Rec_Knob", &AM_View_Rec_Knob::create},
    {"RadiusDial", &AM_View_RadiusDial::create},
    {"PresetSelector", &AM_View_PresetSelector::create},
    {"SnapshotDial", &AM_View_SnapshotDial::create},
    {"Scale4", &AM_View_Scale4::create},
    {"Wire Out", &AM_View_WireOut::create},
    {"Wire In", &AM_View_WireIn::create},
    {"PresetSaver", &AM_View_PresetSaver::create},
    {"XY", &AM_View_XY::create},
    {"MetaXY", &AM_View_MetaXY::create},
    {"MetaRange", &AM_View_MetaRange::create},
};

} // namespace

int AM_installStandardControls(AM_ViewMan* viewMan)
{
    if (viewMan == nullptr) {
        return 0;
    }
    int replaced = 0;
    for (AM_ControlTypeRecord* record = viewMan->getControlTypes(); record != nullptr;
         record = record->next) {
        for (const BuiltType& type : kBuiltTypes) {
            if (std::strcmp(record->name, type.name) == 0 && record->factory != type.factory) {
                record->factory = type.factory;
                ++replaced;
            }
        }
    }
    return replaced;
}
