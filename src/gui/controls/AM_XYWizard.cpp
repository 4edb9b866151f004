#include "gui/controls/AM_XYWizard.h"

#include "foundation/AM_STD.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

using Row = AM_XYWizardRow;
constexpr uint32_t X = AM_XYWizardRow::kAxisX;
constexpr uint32_t Y = AM_XYWizardRow::kAxisY;

constexpr Row kFilters[] = {
    {X, "VCF1", "Res", 50, -100}, {Y, "VCF1", "Cut", 50, -50},  {X, "VCF2", "Res", 50, -100},
    {Y, "VCF2", "Cut", 50, -50},  {X, "VCF3", "Res", 50, -100}, {Y, "VCF3", "Cut", 50, -50},
    {X, "VCF4", "Res", 50, -100}, {Y, "VCF4", "Cut", 50, -50},  {X, "-", "", 0, 0},
};
constexpr Row kFilterMod[] = {
    {X, "VCF1", "FM1", 25, -50}, {Y, "VCF1", "FM2", 25, -25}, {X, "VCF2", "FM1", 25, -50},
    {Y, "VCF2", "FM2", 25, -25}, {X, "VCF3", "FM1", 25, -50}, {Y, "VCF3", "FM2", 25, -25},
    {X, "VCF4", "FM1", 25, -50}, {Y, "VCF4", "FM2", 25, -25}, {X, "-", "", 0, 0},
};
constexpr Row kEnvSpeed[] = {
    {X, "ENV1", "Dec", 50, -50}, {Y, "ENV1", "Rel", 50, -25}, {X, "ENV2", "Dec", 50, -50},
    {Y, "ENV2", "Rel", 50, -25}, {X, "ENV3", "Dec", 50, -50}, {Y, "ENV3", "Rel", 50, -25},
    {X, "ENV4", "Dec", 50, -50}, {Y, "ENV4", "Rel", 50, -25}, {X, "-", "", 0, 0},
};
constexpr Row kEnvDyn[] = {
    {X, "ENV1", "Vel", 50, -50}, {Y, "ENV1", "Sus", 50, -50}, {X, "ENV2", "Vel", 50, -50},
    {Y, "ENV2", "Sus", 50, -50}, {X, "ENV3", "Vel", 50, -50}, {Y, "ENV3", "Sus", 50, -50},
    {X, "ENV4", "Vel", 50, -50}, {Y, "ENV4", "Sus", 50, -50}, {X, "-", "", 0, 0},
};

constexpr uint32_t kFirstSubIndex = 1000;
const AM_XYWizardTable kTables[] = {
    {"Filters", "Cutoff & Resonance", kFilters},
    {"FilterMod", "Filter Modulation", kFilterMod},
    {"EnvSpeed", "Envelope Decay & Release Times", kEnvSpeed},
    {"EnvDyn", "Envelope Velocity & Sustain", kEnvDyn},
};

// The largest text block the wizard fills.
constexpr float kMaxTextBytes = 65536.0f;
constexpr int32_t kNameBytes = 16;
constexpr float kPercent = 0.01f;

bool endsTable(const Row& row)
{
    return std::strcmp(row.module, "-") == 0;
}

// A write as the engine expects it from the GUI: the value, then the change.
void write(AM_View_Interface* host, const AM_ParamInfo* parameter, const void* value)
{
    const int32_t index = static_cast<int32_t>(parameter->index);
    host->setParameterValue(index, value);
    host->parameterChanged(index, value, false);
}

void writeFloat(AM_View_Interface* host, const AM_ParamInfo* parameter, float value)
{
    write(host, parameter, &value);
}

float readFloat(AM_View_Interface* host, const AM_ParamInfo* parameter)
{
    float value = parameter->defaultValue;
    if (const void* stored = host->getParameterValue(static_cast<int32_t>(parameter->index))) {
        std::memcpy(&value, stored, sizeof value);
    }
    return value;
}

// The target's offset that a percentage of its range reaches from c,
// clipped to the range first.
float offsetWithin(float c, float minimum, float maximum, float percent)
{
    const float low = std::min(minimum, maximum);
    const float high = std::max(minimum, maximum);
    const float reached = c + (maximum - minimum) * percent * kPercent;
    const float clipped = std::isfinite(reached) ? std::min(std::max(reached, low), high) : c;
    return clipped - c;
}

// The three slot parameters of (meta, slot), all or none.
struct Slot {
    char names[3][kNameBytes];
    const AM_ParamInfo* parameters[3];
};

bool findSlot(AM_View_Interface* host, int32_t meta, int32_t slot, Slot* out)
{
    static const char* const kPatterns[] = {"MT%d%d", "ML%d%d", "MR%d%d"};
    bool all = true;
    for (int k = 0; k < 3; ++k) {
        AM_STD::sprintn(out->names[k], kNameBytes, kPatterns[k], meta, slot);
        out->parameters[k] = host->findParameter(AM_XYWizard::kMetaModule, out->names[k]);
        all = all && out->parameters[k] != nullptr;
    }
    return all;
}

// The target's long name, terminated within its field.
std::string longNameOf(const AM_ParamInfo* parameter)
{
    return std::string(parameter->longName, strnlen(parameter->longName, k_longNameBytes));
}

// Sets text parameter `name` of the label module to the text, when it
// exists and holds text.
void setLabelText(AM_View_Interface* host, const char* name, const char* text)
{
    const AM_ParamInfo* parameter = host->findParameter(AM_XYWizard::kLabelModule, name);
    if (parameter == nullptr) {
        return;
    }
    const float bytes = parameter->max;
    if (parameter->kind() != k_kindData || !(bytes >= 1.0f) || bytes > kMaxTextBytes) {
        AM_STD::printv("XY Wizard: %s cannot hold a text\n", name);
        return;
    }
    std::string block(static_cast<size_t>(bytes), '\0');
    std::memcpy(block.data(), text, std::min(block.size() - 1, std::strlen(text)));
    write(host, parameter, block.data());
}

// Sets MT = -1 in slots from..8 of the meta; false when one is missing.
bool clearSlots(AM_View_Interface* host, int32_t meta, int32_t from)
{
    for (int32_t slot = from; slot <= AM_XYWizard::kSlotCount; ++slot) {
        char name[kNameBytes];
        AM_STD::sprintn(name, sizeof name, "MT%d%d", meta, slot);
        const AM_ParamInfo* target = host->findParameter(AM_XYWizard::kMetaModule, name);
        if (target == nullptr) {
            return false;
        }
        writeFloat(host, target, -1.0f);
    }
    return true;
}

} // namespace

const AM_XYWizardTable* AM_XYWizard::tableFor(uint32_t subIndex)
{
    if (subIndex < kFirstSubIndex || subIndex - kFirstSubIndex >= std::size(kTables)) {
        return nullptr;
    }
    return &kTables[subIndex - kFirstSubIndex];
}

bool AM_XYWizard::run(AM_View_Interface* host, int32_t padNumber, uint32_t subIndex)
{
    const AM_XYWizardTable* table = tableFor(subIndex);
    if (table == nullptr) {
        AM_STD::printv("NO WIZARD SELECTED\n");
        return false;
    }
    if (host == nullptr) {
        return false;
    }
    int32_t xCount = 0;
    int32_t yCount = 0;
    for (const Row* row = table->rows; !endsTable(*row); ++row) {
        if (!host->isModuleActive(row->module)) {
            AM_STD::printv("XY Wizard: Module inactive: %s\n", row->module);
            continue;
        }
        const AM_ParamInfo* target = host->findParameter(row->module, row->parameter);
        if (target == nullptr) {
            AM_STD::printv("XY Wizard can't find parameter %s:%s\n", row->module, row->parameter);
            continue;
        }
        const int64_t meta = int64_t{row->axis} + 2 * int64_t{padNumber} - 1;
        if (meta < 1 || meta > kMetaCount) {
            AM_STD::printv("XY Wizard: Meta out of range...\n");
            return false;
        }
        const int32_t slot = row->axis == AM_XYWizardRow::kAxisX ? ++xCount : ++yCount;
        Slot found{};
        if (slot > kSlotCount || !findSlot(host, static_cast<int32_t>(meta), slot, &found)) {
            AM_STD::printv("XY Wizard: Can't find meta parameters...\n");
            return false;
        }
        const std::string targetName = longNameOf(target);
        AM_STD::printv("XY Setup: %s - %s - %s -> %s\n", found.names[0], found.names[1],
                       found.names[2], targetName.c_str());
        const float index = static_cast<float>(target->index);
        AM_STD::printv("setting %s to %f -> %s\n", found.names[0], static_cast<double>(index),
                       targetName.c_str());
        writeFloat(host, found.parameters[0], index);
        const float c = readFloat(host, target);
        writeFloat(host, found.parameters[1],
                   offsetWithin(c, target->min, target->max, row->lowPercent));
        writeFloat(host, found.parameters[2],
                   offsetWithin(c, target->min, target->max, row->highPercent));
    }
    if (xCount < 1 || yCount < 1) {
        return true;
    }
    char name[kNameBytes];
    AM_STD::sprintn(name, sizeof name, "XY%dL", padNumber);
    setLabelText(host, name, table->shortName);
    AM_STD::sprintn(name, sizeof name, "XY%dT", padNumber);
    setLabelText(host, name, table->title);
    if (!clearSlots(host, 2 * padNumber - 1, xCount + 1)) {
        AM_STD::printv("XY Wizard: Can't find X meta parameters for clearing...\n");
        return false;
    }
    if (!clearSlots(host, 2 * padNumber, yCount + 1)) {
        AM_STD::printv("XY Wizard: Can't find Y meta parameters for clearing...\n");
        return false;
    }
    return true;
}
