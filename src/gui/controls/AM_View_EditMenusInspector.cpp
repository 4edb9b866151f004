// The edit menus field as a row or a field of the editor's own inspector:
// rows are pointed at a slot of the focused control, fields at a variable
// or a text of another control (the root view's grid and transform values,
// the focused control's name).

#include "gui/controls/AM_View_EditMenus.h"

#include "foundation/AM_STD.h"

#include <cstring>

namespace {

// The rows of one kind of slot: row names begin with the prefix; the
// template they are cloned from has a name of its own.
struct RowKind {
    const char* rowPrefix;
    const char* templateName;
    int32_t mode;
};

constexpr RowKind kRowKinds[] = {
    {"*i*CtrlColour", "*i*ColoursRider", AM_View_EditMenus::kColour},
    {"*i*CtrlGraphic", "*i*GraphicsRider", AM_View_EditMenus::kGraphic},
    {"*i*CtrlParam", "*i*ParamsRider", AM_View_EditMenus::kParameter},
};

const RowKind* rowKindOf(const char* name)
{
    if (name == nullptr) {
        return nullptr;
    }
    for (const RowKind& kind : kRowKinds) {
        if (std::strcmp(name, kind.templateName) == 0 ||
            std::strncmp(name, kind.rowPrefix, std::strlen(kind.rowPrefix)) == 0) {
            return &kind;
        }
    }
    return nullptr;
}

} // namespace

void AM_View_EditMenus::setInspectorSubject(AM_ViewControl* subject, int32_t slot)
{
    const RowKind* kind = rowKindOf(getName());
    if (kind == nullptr) {
        AM_STD::printv("%s is no inspector row\n", getName());
        return;
    }
    bindSlot(subject, subject != nullptr ? slot : 0, kind->mode);
}

bool AM_View_EditMenus::bindField(const AM_InspectorField& field)
{
    auto* owner = dynamic_cast<AM_ViewControl*>(field.owner);
    if (owner == nullptr || field.field == nullptr) {
        return false;
    }
    if (field.kind == AM_InspectorField::kText) {
        if (field.textBytes == 0) {
            return false;
        }
        bindText(owner, static_cast<char*>(field.field), static_cast<int32_t>(field.textBytes),
                 field.label);
        changedMessage_ = field.changedMessage;
        return true;
    }
    fieldNames_.reset();
    if (field.valueTexts != nullptr && field.minimum <= field.maximum) {
        const size_t count = size_t(int64_t(field.maximum) - field.minimum + 1);
        fieldNames_ = std::make_unique<ValueName[]>(count);
        for (size_t k = 0; k < count; ++k) {
            const char* text = field.valueTexts[k];
            std::strncpy(fieldNames_[k], text != nullptr ? text : "", kNameBytes - 1);
            fieldNames_[k][kNameBytes - 1] = '\0';
        }
    }
    // Unsigned fields hold small values (switches, modes): read as signed.
    bindVariable(owner, field.label, static_cast<int32_t*>(field.field),
                 fieldNames_.get(), field.minimum,
                 field.maximum);
    changedMessage_ = field.changedMessage;
    return true;
}

void AM_View_EditMenus::announceChange(void* field)
{
    if (changedMessage_ != 0 && owner_ != nullptr) {
        owner_->receiveMessage(this, changedMessage_, 0, field);
    }
}
