#pragma once
// The parameter manager's own parameters ("PCore"): their order, their
// descriptor templates and their value names.
//
// Local order, with A XY axes, S slots per axis and M matrix rows:
//   A axes; A x S x 3 XY assignments (target, up, down), axis by axis, slot
//   by slot; 2 usage meters; M matrix rows of 5; 21 globals.

#include "engine/module/AM_AudioObject.h"
#include "params/object/AM_ParamInfo.h"

#include <cstdint>

// The globals, in order.
enum AM_CoreGlobal : int32_t {
    k_globalSwingBase,
    k_globalSwing,
    k_globalSwingLight,
    k_globalSwingTrigger,
    k_globalSelectModule,
    k_globalPatchFormat,
    k_globalPatchCompression,
    k_globalPatchNamed,
    k_globalPatchSong,
    k_globalPatchFolder,
    k_globalPatchFile,
    k_globalGuiFile,
    k_globalGuiScale,
    k_globalMetaAuthor,
    k_globalMetaDescription,
    k_globalMetaUsage,
    k_globalChannelLayout,
    k_globalSurroundOptions,
    k_globalLevels,
    k_globalMidiActivity,
    k_globalChannelMeter,
    k_coreGlobalCount
};

// The fields of a matrix row and of an XY assignment.
enum AM_MatrixField : int32_t {
    k_matrixTarget,
    k_matrixSource,
    k_matrixDepth,
    k_matrixViaSource,
    k_matrixViaDepth,
    k_matrixFields
};
enum AM_XYField : int32_t { k_xyTarget, k_xyUp, k_xyDown, k_xyFields };

constexpr int32_t k_coreMeters = 2;
constexpr int32_t k_maxXYAxes = 8;
// Text sizes of the text globals and the meta buffers.
constexpr uint32_t k_patchFolderBytes = 256;
constexpr uint32_t k_patchFileBytes = 64;
constexpr uint32_t k_guiFileBytes = 64;
constexpr uint32_t k_metaAuthorBytes = 128;
constexpr uint32_t k_metaDescriptionBytes = 512;
constexpr uint32_t k_metaUsageBytes = 512;
constexpr uint32_t k_levelsBytes = 16;

class AM_CoreLayout {
public:
    enum class Section { axis, xyAssignment, meter, matrix, global, none };
    struct Place {
        Section section;
        int32_t first;  // axis, meter, row or global number
        int32_t second; // slot or matrix field
        int32_t third;  // XY field
    };

    AM_CoreLayout(int32_t axes, int32_t slots, int32_t rows);

    int32_t axes() const { return axes_; }
    int32_t slots() const { return slots_; }
    int32_t rows() const { return rows_; }
    // (3 x S + 1) x A + 5 x M + 23.
    uint32_t count() const;
    Place placeOf(uint32_t local) const;
    uint32_t assignmentLocal(int32_t axis, int32_t slot, int32_t field) const;
    uint32_t meterLocal(int32_t meter) const;
    uint32_t matrixLocal(int32_t row, int32_t field) const;
    uint32_t globalLocal(int32_t global) const;
    // Locals of the XY axes and assignments: 0 up to this.
    uint32_t xyBlockEnd() const { return assignmentLocal(axes_, 0, 0); }

    // Writes the template of a local number into out (names numbered, index
    // and local number set); false for a local number outside.
    bool makeTemplate(uint32_t local, AM_ParamInfo* out) const;
    // The value names of a global: count and list, 0 for none.
    static int32_t globalValueStrings(int32_t global, AM_ValueNames* list);

private:
    int32_t axes_;
    int32_t slots_;
    int32_t rows_;
};
