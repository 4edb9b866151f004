#include "gui/views/AM_ActionTable.h"

const AM_ActionTableEntry AM_actionTable[] = {
    {kActionNextPreset, "next preset"},
    {kActionPreviousPreset, "prev preset"},
    {kActionUndo, "undo"},
    {kActionRedo, "redo"},
    {kActionTransform, "transform"},
    {kActionArray, "array"},
    {kActionAlignTop, "align top"},
    {kActionAlignLeft, "align left"},
    {kActionAlignRight, "align right"},
    {kActionAlignBottom, "align bottom"},
    {kActionWebSite, "go website"},
    {0, "EOL"},
};

const AM_ActionTableEntry* AM_findAction(uint32_t code)
{
    if (code == 0) {
        return nullptr;
    }
    for (const AM_ActionTableEntry* row = AM_actionTable; row->code != 0; ++row) {
        if (row->code == code) {
            return row;
        }
    }
    return nullptr;
}
