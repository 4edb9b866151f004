// The inspector of the editor's own GUI: its rows (controls named "*i*...")
// are pointed at the colour, graphic and parameter slots, the properties
// and the name of the control that becomes the focused one.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"

#include <cstring>

namespace {

// Rows of one kind of slot: the template row, the pane that holds the rows,
// the row name pattern and the trace line written when a row is made.
struct RowKind {
    const char* rider;
    const char* pane;
    const char* rowPattern;
    const char* creating;
};

constexpr RowKind kColourRows = {"*i*ColoursRider", "*i*CtrlColours", "*i*CtrlColour%d",
                                 "creating clone!"};
constexpr RowKind kGraphicRows = {"*i*GraphicsRider", "*i*CtrlGraphics", "*i*CtrlGraphic%d",
                                  "creating clone for graphics!"};
constexpr RowKind kParameterRows = {"*i*ParamsRider", "*i*CtrlParams", "*i*CtrlParam%d",
                                    "creating clone!"};

constexpr int32_t kInspectorRows = 32;
constexpr float kRowSpacing = 20.0f;
// Layer masks of rows: shown, and hidden (past the control's slots).
constexpr uint32_t kRowShown = 1;
constexpr uint32_t kRowHidden = 4;

AM_ViewControl* findControl(AM_ViewControl* top, const char* name)
{
    return top != nullptr ? dynamic_cast<AM_ViewControl*>(top->findByName(name)) : nullptr;
}

void placeRows(AM_ViewControl* top, AM_ViewControl* subject, const RowKind& kind, int32_t count)
{
    AM_ViewControl* rider = findControl(top, kind.rider);
    AM_ViewControl* pane = findControl(top, kind.pane);
    AM_STD::printv("inNumEntries: %d\n", int(count));
    if (pane == nullptr) {
        AM_STD::printv("inPane NULL\n");
    }
    if (rider == nullptr) {
        AM_STD::printv("Rider NULL\n");
    }
    AM_ViewControl* previous = rider;
    for (int32_t i = 0; i < kInspectorRows; ++i) {
        char name[kGuiNameBytes];
        AM_STD::sprintn(name, sizeof name, kind.rowPattern, int(i));
        AM_ViewControl* row = findControl(top, name);
        if (i < count) {
            if (row == nullptr && rider != nullptr && previous != nullptr) {
                AM_STD::printv("%s\n", kind.creating);
                const AM_Rect from = rider->getBounds();
                const AM_Rect after = previous->getBounds();
                row = rider->clone(false, pane, after.x - from.x, after.y + kRowSpacing - from.y);
                if (row != nullptr) {
                    row->setName(name);
                }
            }
            if (row != nullptr) {
                row->setInspectorSubject(subject, i);
                row->setLayerMask(kRowShown);
                row->redraw();
                previous = row;
            }
        } else if (row != nullptr) {
            row->setInspectorSubject(nullptr, -1);
            row->setLayerMask(i == 0 ? kRowShown : kRowHidden);
            row->redraw();
        }
    }
}

} // namespace

void AM_ViewControl::fillInspector()
{
    AM_ViewControl* top = viewMan_ != nullptr ? viewMan_->getTopControl() : nullptr;
    if (top == nullptr) {
        return;
    }
    placeRows(top, this, kColourRows, getColourCount());
    placeRows(top, this, kGraphicRows, getGraphicCount());
    placeRows(top, this, kParameterRows, getNumPorts());
    for (const char* name : {"*i*CtrlRider", "*i*CtrlProps"}) {
        if (AM_ViewControl* row = findControl(top, name)) {
            row->setInspectorSubject(this, 0);
        }
    }
    if (AM_ViewControl* field = findControl(top, "*i*CtrlName")) {
        // The field edits a copy of the name; its change comes back as a
        // rename, which checks the new name.
        std::memset(renameText_, 0, sizeof renameText_);
        std::strncpy(renameText_, getName(), sizeof renameText_ - 1);
        beginRename();
        AM_InspectorField binding;
        binding.owner = this;
        binding.label = "Control";
        binding.field = renameText_;
        binding.kind = AM_InspectorField::kText;
        binding.textBytes = sizeof renameText_;
        binding.changedMessage = kCtlMsgRename;
        field->bindField(binding);
    }
}
