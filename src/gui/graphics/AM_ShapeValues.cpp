#include "gui/graphics/AM_ShapeValues.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_ScriptLines.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kUnknownName[] = "huh?";

// Ring segment.
enum CircValue { kAS0, kAE0, kRI0, kRO0, kAS1, kAE1, kRI1, kRO1 };
constexpr int kCircValues = 8;
constexpr int kCircStateValues = 4;
constexpr float kCircDefaults[kCircValues] = {-135, 1, 0.4f, 0.4f, -135, 270, 0.45f, 0.45f};
constexpr const char* kCircNames[kCircValues] = {"AS0", "AE0", "RI0", "RO0",
                                                 "AS1", "AE1", "RI1", "RO1"};
constexpr const char* kCircEditTexts[kCircValues] = {
    "minAngleStart: %.2f", "minAngleArc: %.2f", "minRadiusInner: %.2f", "minRadiusOuter: %.2f",
    "maxAngleStart: %.2f", "maxAngleArc: %.2f", "maxRadiusInner: %.2f", "maxRadiusOuter: %.2f"};
// The values behind ids 0..3 of the "angles" and "radius" lines.
constexpr int kIdsPerKey = 4;
constexpr int kAngleValues[kIdsPerKey] = {kAS0, kAE0, kAS1, kAE1};
constexpr int kRadiusValues[kIdsPerKey] = {kRI0, kRO0, kRI1, kRO1};
constexpr float kMaxStartAngle = 360;
constexpr float kMaxArc = 359;
constexpr float kRadiusStep = 0.02f;
constexpr float kMaxOuterRadius = 0.499f;

// Box.
constexpr int kBoxValues = 8;
constexpr int kBoxSides = 4;
constexpr int kStates = 2;
constexpr const char* kBoxSideKeys[kBoxSides] = {"left", "top", "right", "bottom"};
constexpr const char* kBoxNames[kBoxValues] = {"left0",  "left1",  "top0",    "top1",
                                               "right0", "right1", "bottom0", "bottom1"};
constexpr float kBoxDefaults[kBoxValues] = {0, 0, 0, 0, 1, 1, 1, 1};

// Rounded rectangle.
enum RoundValue { kBorder, kRadius };
constexpr int kRoundValues = 2;
constexpr float kRoundDefault = 0.1f;

constexpr float kFractionStep = 0.01f;

} // namespace

AM_ShapeValues::AM_ShapeValues(AM_ShapeKind kind) : kind_(kind)
{
    switch (kind_) {
    case AM_ShapeKind::circ:
        std::copy(std::begin(kCircDefaults), std::end(kCircDefaults), values_);
        break;
    case AM_ShapeKind::box:
        std::copy(std::begin(kBoxDefaults), std::end(kBoxDefaults), values_);
        break;
    case AM_ShapeKind::roundRect:
        values_[kBorder] = kRoundDefault;
        values_[kRadius] = kRoundDefault;
        break;
    }
}

const char* AM_ShapeValues::typeName() const
{
    switch (kind_) {
    case AM_ShapeKind::circ:
        return "circ";
    case AM_ShapeKind::box:
        return "box";
    case AM_ShapeKind::roundRect:
        break;
    }
    return "rounded rect";
}

int AM_ShapeValues::linkCount() const
{
    constexpr int kCircLinks = 9;
    constexpr int kBoxLinks = 6;
    constexpr int kRoundLinks = 2;
    switch (kind_) {
    case AM_ShapeKind::circ:
        return kCircLinks;
    case AM_ShapeKind::box:
        return kBoxLinks;
    case AM_ShapeKind::roundRect:
        break;
    }
    return kRoundLinks;
}

int AM_ShapeValues::count() const
{
    return kind_ == AM_ShapeKind::roundRect ? kRoundValues : kMaxValues;
}

float AM_ShapeValues::get(int index) const
{
    return index >= 0 && index < count() ? values_[index] : 0.0f;
}

void AM_ShapeValues::set(int index, float value)
{
    if (index >= 0 && index < count())
        values_[index] = value;
}

const char* AM_ShapeValues::name(int index) const
{
    if (index < 0 || index >= count())
        return kUnknownName;
    switch (kind_) {
    case AM_ShapeKind::circ:
        return kCircNames[index];
    case AM_ShapeKind::box:
        return kBoxNames[index];
    case AM_ShapeKind::roundRect:
        break;
    }
    return index == kBorder ? "border" : "radius";
}

AM_ShapeValues::Take AM_ShapeValues::setProperty(const char* key, int id, const char* value)
{
    if (key == nullptr)
        return Take::other;
    switch (kind_) {
    case AM_ShapeKind::circ: {
        const bool angles = std::strcmp(key, "angles") == 0;
        if (!angles && std::strcmp(key, "radius") != 0)
            return Take::other;
        if (id < 0 || id >= kIdsPerKey)
            return Take::refused;
        values_[angles ? kAngleValues[id] : kRadiusValues[id]] = AM_scriptValue(value);
        return Take::taken;
    }
    case AM_ShapeKind::box:
        for (int side = 0; side < kBoxSides; ++side)
            if (std::strcmp(key, kBoxSideKeys[side]) == 0) {
                if (id < 0 || id >= kStates)
                    return Take::refused;
                values_[side * kStates + id] = AM_scriptValue(value);
                return Take::taken;
            }
        return Take::other;
    case AM_ShapeKind::roundRect:
        break;
    }
    // The rounded rectangle takes its values whatever the id.
    if (std::strcmp(key, "border") == 0)
        values_[kBorder] = AM_scriptValue(value);
    else if (std::strcmp(key, "radius") == 0)
        values_[kRadius] = AM_scriptValue(value);
    else
        return Take::other;
    return Take::taken;
}

void AM_ShapeValues::writeLines(std::string& out, const char* graphicName) const
{
    constexpr char kLine[] = "\nGR_PROPERTY graphic='%s' name='%s' id='%d' value='%.2f'";
    switch (kind_) {
    case AM_ShapeKind::circ:
        for (int id = 0; id < kIdsPerKey; ++id)
            AM_appendScriptLine(out, kLine, graphicName, "angles", id,
                                double(values_[kAngleValues[id]]));
        for (int id = 0; id < kIdsPerKey; ++id)
            AM_appendScriptLine(out, kLine, graphicName, "radius", id,
                                double(values_[kRadiusValues[id]]));
        return;
    case AM_ShapeKind::box:
        for (int side = 0; side < kBoxSides; ++side)
            for (int state = 0; state < kStates; ++state)
                AM_appendScriptLine(out, kLine, graphicName, kBoxSideKeys[side], state,
                                    double(values_[side * kStates + state]));
        return;
    case AM_ShapeKind::roundRect:
        break;
    }
    AM_appendScriptLine(out, kLine, graphicName, "border", 0, double(values_[kBorder]));
    AM_appendScriptLine(out, kLine, graphicName, "radius", 0, double(values_[kRadius]));
}

bool AM_ShapeValues::edit(int index, float amount, char* text, size_t capacity)
{
    switch (kind_) {
    case AM_ShapeKind::circ: {
        if (index < 0 || index >= kCircValues)
            return false;
        float& value = values_[index];
        const int state = index / kCircStateValues * kCircStateValues;
        switch (index % kCircStateValues) {
        case kAS0:
            value = std::clamp(value + amount, -kMaxStartAngle, kMaxStartAngle);
            break;
        case kAE0:
            value = std::clamp(value + amount, -kMaxArc, kMaxArc);
            break;
        case kRI0:
            value = std::max(0.0f, std::min(value + amount * kRadiusStep, values_[state + kRO0]));
            break;
        default:
            value = std::min(kMaxOuterRadius,
                             std::max(value + amount * kRadiusStep, values_[state + kRI0]));
            break;
        }
        AM_STD::sprintvn(text, capacity, kCircEditTexts[index], double(value));
        return true;
    }
    case AM_ShapeKind::box:
        if (index < 0 || index >= kBoxValues)
            return false;
        break;
    case AM_ShapeKind::roundRect:
        // The radius by its own index, the border by any other.
        index = index == kRadius ? kRadius : kBorder;
        break;
    }
    values_[index] = std::clamp(values_[index] + amount * kFractionStep, 0.0f, 1.0f);
    AM_STD::sprintvn(text, capacity, "%s: %.2f", name(index), double(values_[index]));
    return true;
}

const char* AM_ShapeValues::editTag() const
{
    switch (kind_) {
    case AM_ShapeKind::circ:
        return "CircParam";
    case AM_ShapeKind::box:
        return "BoxParam";
    case AM_ShapeKind::roundRect:
        break;
    }
    return "RRParam";
}
