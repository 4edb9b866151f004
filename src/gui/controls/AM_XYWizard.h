#pragma once
// The XY wizard: four tables that assign a family of target parameters to
// the meta slots behind an XY pad in one step and label the pad.
//
// Pad p drives meta 2p - 1 with its X axis and meta 2p with its Y axis; each
// meta m has eight slots s, three "PCore" parameters each: "MT<m><s>" (the
// target's index, -1 for none), "ML<m><s>" and "MR<m><s>" (the offsets from
// the target's current value that the two ends of the meta range reach).
// A table row gives the offsets as percentages of the target's range; they
// are clipped to the range, so an offset never points outside it.
//
// Every failure is a trace line; rows already applied stay applied.
//
// GUI thread only.

#include <cstdint>

class AM_View_Interface;

struct AM_XYWizardRow {
    static constexpr uint32_t kAxisX = 0;
    static constexpr uint32_t kAxisY = 1;
    uint32_t axis;
    char module[8]; // "-" ends a table
    char parameter[24];
    float lowPercent;
    float highPercent;
};

struct AM_XYWizardTable {
    const char* shortName; // the pad's label
    const char* title;     // the pad's title
    const AM_XYWizardRow* rows;
};

namespace AM_XYWizard {

constexpr int32_t kMetaCount = 8;
constexpr int32_t kSlotCount = 8;
constexpr const char* kMetaModule = "PCore";
constexpr const char* kLabelModule = "ZMas";

// The table of a menu sub-index (1000 to 1003), or null.
const AM_XYWizardTable* tableFor(uint32_t subIndex);

// Applies the table of that sub-index for pad `padNumber`. Writes go
// through setParameterValue, each followed by parameterChanged. True when
// the table was applied to its end (with at least one X and one Y row the
// labels are set and the remaining slots cleared).
bool run(AM_View_Interface* host, int32_t padNumber, uint32_t subIndex);

} // namespace AM_XYWizard
