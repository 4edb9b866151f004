#include "gui/editors/AM_EditorControls.h"

#include "gui/editors/AM_View_EQ6_View.h"
#include "gui/editors/AM_View_EQView.h"
#include "gui/editors/AM_View_GenericStep.h"
#include "gui/editors/AM_View_Grid.h"
#include "gui/editors/AM_View_MultiOrder.h"
#include "gui/editors/AM_View_MultiStage.h"
#include "gui/editors/AM_View_Multipoint.h"
#include "gui/editors/AM_View_ShapeView.h"
#include "gui/views/AM_ControlTypes.h"
#include "gui/views/AM_ViewMan.h"

#include <cstring>

namespace {

struct EditorType {
    const char* name;
    AM_ControlFactory factory;
};

constexpr EditorType kEditorTypes[] = {
    {"MultiPoint", &AM_View_Multipoint::create},
    {"MultiOrder", &AM_View_MultiOrder::create},
    {"MultiStage", &AM_View_MultiStage::create},
    {"EQView", &AM_View_EQView::create},
    {"EQ6_View", &AM_View_EQ6_View::create},
    {"GenericStep", &AM_View_GenericStep::create},
    {"Grid", &AM_View_Grid::create},
    {"ShapeEditView", &AM_View_ShapeView::create},
};

} // namespace

int AM_installEditorControls(AM_ViewMan* viewMan)
{
    if (viewMan == nullptr) {
        return 0;
    }
    int replaced = 0;
    for (AM_ControlTypeRecord* record = viewMan->getControlTypes(); record != nullptr;
         record = record->next) {
        for (const EditorType& type : kEditorTypes) {
            if (std::strcmp(record->name, type.name) == 0 && record->factory != type.factory) {
                record->factory = type.factory;
                ++replaced;
            }
        }
    }
    return replaced;
}
