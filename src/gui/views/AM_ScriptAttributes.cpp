#include "gui/views/AM_ScriptAttributes.h"

namespace {

using T = AM_ScriptValueType;

constexpr AM_ScriptAttribute kRows[kScriptRows] = {
    {"CONTROL", "type", T::kText},
    {"CONTROL", "name", T::kText},
    {"CONTROL", "bounds", T::kFloat},
    {"CONTROL", "inset", T::kFloat},
    {"CONTROL", "parent", T::kText},
    {"CONTROL", "layerMask", T::kHex},
    {"CONTROL", "prototype", T::kText},
    {"GRAPHIC", "name", T::kText},
    {"GRAPHIC", "path", T::kInt},
    {"GRAPHIC", "type", T::kText},
    {"GRAPHIC", "filename", T::kText},
    {"PROPERTY", "control", T::kText},
    {"PROPERTY", "name", T::kText},
    {"PROPERTY", "id", T::kInt},
    {"PROPERTY", "value", T::kText},
    {"GR_PROPERTY", "graphic", T::kText},
    {"GR_PROPERTY", "name", T::kText},
    {"GR_PROPERTY", "id", T::kInt},
    {"GR_PROPERTY", "value", T::kText},
    {"V_PROPERTY", "name", T::kText},
    {"V_PROPERTY", "id", T::kInt},
    {"V_PROPERTY", "value", T::kText},
    {"COLOUR", "name", T::kText},
    {"COLOUR", "rgba", T::kHex},
    {"LISTENER", "control", T::kText},
    {"LISTENER", "port", T::kText},
    {"LISTENER", "listento", T::kText},
    {"LISTENER", "extport", T::kText},
    {"PARAMETER", "control", T::kText},
    {"PARAMETER", "port", T::kText},
    {"PARAMETER", "module", T::kText},
    {"PARAMETER", "parameter", T::kText},
    {"PARAMETER", "valuestring", T::kText},
    {"INCLUDE", "filename", T::kText},
    {"ALTERNATIVE", "filename", T::kText},
    {"ALTERNATIVE", "name", T::kText},
    {"THEME", "name", T::kText},
    {"DEFAULT", "type", T::kText},
    {"DEFAULT", "property", T::kText},
    {"DEFAULT", "id", T::kInt},
    {"DEFAULT", "value", T::kText},
};

} // namespace

const AM_ScriptAttribute* AM_scriptAttribute(int32_t row)
{
    if (row < 0 || row >= kScriptRows) {
        return nullptr;
    }
    return &kRows[row];
}
