#include "gui/views/AM_ControlTypes.h"

#include "gui/views/AM_PlaceholderControl.h"

#include <array>
#include <cstring>
#include <utility>

namespace {

struct TypeRow {
    const char* name;
    float width;
    float height;
    uint32_t flags;
};

constexpr uint32_t kNone = 0;
constexpr uint32_t kCentred = kControlTypeLabelCentred;
constexpr uint32_t kLeft = kControlTypeLabelLeft;

constexpr std::array<TypeRow, 38> kRows = {{
    {"Knob", 28, 28, kCentred},
    {"Pane", 200, 200, kNone},
    {"Display", 64, 12, kLeft},
    {"Label", 64, 12, kNone},
    {"EditMenus", 64, 12, kLeft},
    {"LayerSelector", 200, 16, kNone},
    {"Meter", 103, 16, kCentred},
    {"Button On-Off", 26, 12, kCentred},
    {"Wire Out", 24, 24, kCentred},
    {"Wire In", 24, 24, kCentred},
    {"DataGraph", 128, 128, kCentred},
    {"Slider", 24, 103, kCentred},
    {"PresetManager", 400, 400, kNone},
    {"PresetSelector", 400, 400, kNone},
    {"PresetSaver", 26, 12, kCentred},
    {"Keyboard", 720, 108, kCentred},
    {"MetaXY", 28, 28, kCentred},
    {"RadiusDial", 64, 64, kCentred},
    {"EQView", 221, 117, kCentred},
    {"EQ6_View", 221, 117, kCentred},
    {"SnapshotDial", 129, 129, kCentred},
    {"MultiPoint", 200, 100, kCentred},
    {"MultiOrder", 200, 16, kCentred},
    {"Grid", 200, 100, kCentred},
    {"Rack", 200, 400, kNone},
    {"Scale4", 132, 68, kCentred},
    {"CollPane", 200, 200, kNone},
    {"MultiStage", 200, 100, kCentred},
    {"XY", 167, 167, kCentred},
    {"MetaRange", 167, 167, kCentred},
    {"Rec_Knob", 28, 28, kCentred},
    {"GenericStep", 132, 68, kCentred},
    {"FaderBox16", 161, 103, kCentred},
    {"InfoDisplay", 200, 24, kNone},
    {"GSwitch", 16, 16, kLeft},
    {"ColourView", 100, 100, kCentred},
    {"ShapeEditView", 300, 100, kCentred},
    {"Hotspot", 24, 24, kCentred},
}};

// One factory per type, so that each type's factory is its own (the
// object-size query and clones tell types apart by factory).
template <size_t Index>
AM_ViewControl* placeholderFactory(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    AM_ViewControl* control = AM_PlaceholderControl::create(viewMan, bounds, kRows[Index].name);
    control->setFactory(&placeholderFactory<Index>);
    return control;
}

AM_ControlTypeRecord makeRecord(const TypeRow& row, AM_ControlFactory factory)
{
    AM_ControlTypeRecord record{};
    std::strncpy(record.name, row.name, AM_ControlTypeRecord::kNameBytes - 1);
    record.defaultWidth = row.width;
    record.defaultHeight = row.height;
    record.flags = row.flags;
    record.factory = factory;
    record.next = nullptr;
    return record;
}

template <size_t... I>
std::array<AM_ControlTypeRecord, sizeof...(I)> makeTable(std::index_sequence<I...>)
{
    return {{makeRecord(kRows[I], &placeholderFactory<I>)...}};
}

const std::array<AM_ControlTypeRecord, kRows.size()> kStandardTypes =
    makeTable(std::make_index_sequence<kRows.size()>());

constexpr AM_StandardColour kFixedColours[] = {
    {"black", 0x000000FF},       {"white", 0xFFFFFFFF},       {"grey", 0x7F7F7FFF},
    {"red", 0xFF0000FF},         {"green", 0x00FF00FF},       {"blue", 0x0000FFFF},
    {"yellow", 0xFFFF00FF},      {"orange", 0xFF8800FF},      {"trans white", 0xFFFFFF80},
    {"trans black", 0x00000080}, {"trans red", 0xFF000080},   {"trans green", 0x00FF0080},
    {"trans blue", 0x0000FF80},  {"trans grey", 0x7F7F7F80}, {"invisible", 0x00000000},
};

constexpr AM_StandardColour kWireColours[] = {
    {"WireC1", 0xFF8800FF}, {"WireC2", 0x8080FFFF}, {"WireC3", 0xFF0000FF},
    {"WireC4", 0xFFFF00FF}, {"WireC5", 0x60FF60FF}, {"WireC6", 0xAFAFAFFF},
};

} // namespace

void AM_ControlTypeList::append(const AM_ControlTypeRecord& record, uint32_t objectSize)
{
    auto entry = std::make_unique<Entry>();
    entry->record = record;
    entry->record.name[AM_ControlTypeRecord::kNameBytes - 1] = '\0';
    entry->record.next = nullptr;
    entry->objectSize = objectSize;
    if (!entries_.empty()) {
        entries_.back()->record.next = &entry->record;
    }
    entries_.push_back(std::move(entry));
}

AM_ControlTypeRecord* AM_ControlTypeList::head()
{
    return entries_.empty() ? nullptr : &entries_.front()->record;
}

const AM_ControlTypeRecord* AM_ControlTypeList::find(const char* typeName) const
{
    if (typeName == nullptr) {
        return nullptr;
    }
    for (const auto& entry : entries_) {
        if (entry->record.name[0] == typeName[0] &&
            std::strcmp(entry->record.name, typeName) == 0) {
            return &entry->record;
        }
    }
    return nullptr;
}

uint32_t AM_ControlTypeList::objectSizeOf(AM_ControlFactory factory) const
{
    for (const auto& entry : entries_) {
        if (entry->record.factory == factory) {
            return entry->objectSize;
        }
    }
    return 0;
}

const AM_ControlTypeRecord* AM_standardControlTypes(size_t* count)
{
    if (count != nullptr) {
        *count = kStandardTypes.size();
    }
    return kStandardTypes.data();
}

const AM_StandardColour* AM_fixedColours(size_t* count)
{
    if (count != nullptr) {
        *count = std::size(kFixedColours);
    }
    return kFixedColours;
}

const AM_StandardColour* AM_wireColours(size_t* count)
{
    if (count != nullptr) {
        *count = std::size(kWireColours);
    }
    return kWireColours;
}
