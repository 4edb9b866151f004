#include "gui/controls/AM_RowLabelSettings.h"

#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewControl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kLabelTextKey = "labeltext";
constexpr const char* kAlignmentKey = "labelTextAlignment";
constexpr const char* kVAlignmentKey = "labelTextVAlignment";
constexpr const char* kSizeKey = "labelTextSize";
constexpr const char* kVOffsetKey = "labelTextVOffset";
// The range alignment codes are held to when read.
constexpr long kAlignmentLimit = 1000;

bool readAlignment(const char* value, int32_t& out)
{
    char* end = nullptr;
    const long v = std::strtol(value, &end, 10);
    if (end == value) {
        return false;
    }
    out = static_cast<int32_t>(std::clamp(v, -kAlignmentLimit, kAlignmentLimit));
    return true;
}

} // namespace

void AM_RowLabelSettings::setText(const char* value)
{
    std::snprintf(text, sizeof text, "%s", value != nullptr ? value : "");
}

void AM_RowLabelSettings::writeLines(std::string* script, const char* control) const
{
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    char number[32];
    // A label text a script line cannot hold is written empty.
    writer.property(control, kLabelTextKey, 0, AM_isWritableScriptName(text) ? text : "");
    std::snprintf(number, sizeof number, "%d", int(alignment));
    writer.property(control, kAlignmentKey, 0, number);
    std::snprintf(number, sizeof number, "%d", int(vAlignment));
    writer.property(control, kVAlignmentKey, 0, number);
    std::snprintf(number, sizeof number, "%.2f", double(size));
    writer.property(control, kSizeKey, 0, number);
    std::snprintf(number, sizeof number, "%.2f", double(vOffset));
    writer.property(control, kVOffsetKey, 0, number);
}

bool AM_RowLabelSettings::readProperty(const char* name, const char* value)
{
    if (name == nullptr || value == nullptr) {
        return false;
    }
    char* end = nullptr;
    if (std::strcmp(name, kLabelTextKey) == 0) {
        setText(value);
    } else if (std::strcmp(name, kAlignmentKey) == 0) {
        readAlignment(value, alignment);
    } else if (std::strcmp(name, kVAlignmentKey) == 0) {
        readAlignment(value, vAlignment);
    } else if (std::strcmp(name, kSizeKey) == 0) {
        const float v = std::strtof(value, &end);
        if (end != value && std::isfinite(v) && v > 0.0f) {
            size = v;
        }
    } else if (std::strcmp(name, kVOffsetKey) == 0) {
        const float v = std::strtof(value, &end);
        if (end != value && std::isfinite(v)) {
            vOffset = v;
        }
    } else {
        return false;
    }
    return true;
}

void AM_RowLabelSettings::copyLookTo(AM_RowLabelSettings& other) const
{
    other.alignment = alignment;
    other.vAlignment = vAlignment;
    other.size = size;
    other.vOffset = vOffset;
}
