#pragma once
// The snapshot dial: a round selector of N snapshots on a ring. A set of
// snapshot parameters each has a copy per snapshot at a fixed index stride
// (given by an alias parameter, its copy for snapshot 1); selecting snapshot
// k re-points every control bound to a snapshot parameter to its k-th copy
// (message 44), so one set of controls edits the selected snapshot. The
// dial's own parameter is a continuous position 0..N: a press inside the
// ring turns it by vertical drags (336 pixels a turn, wrapping round) and,
// with AutoSelect, the nearest snapshot follows; a click on the ring selects
// the snapshot of that sector (sector 0 at the top, clockwise).
//
// Without graphics the dial draws numbered sector lamps, the output value
// as a mark on the rim and a centre knob pointing at the position.
//
// Mouse flags: 2 right button. GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_SnapshotDial : public AM_ViewControl {
public:
    static constexpr int32_t kValuePort = 0;
    static constexpr int32_t kMeterPort = 1;
    static constexpr int32_t kMaximumParams = 64;
    // The pixels of one full turn.
    static constexpr float kTurnPixels = 336.0f;
    // The ring is farther from the centre than this share of half the width.
    static constexpr float kRingShare = 0.65f;
    // Sector counts beyond this are held to it for hit tests and drawing.
    static constexpr int32_t kMaximumSectors = 256;
    // Sub-indices of the code-5 items: the run menu's AutoSelect, and the
    // edit menu's add, remove and (3 + i) alias of snapshot parameter i.
    enum Command : uint32_t { kToggleAutoSelect = 1, kAddParam = 1, kRemoveParam = 2, kSetAlias = 3 };

    AM_View_SnapshotDial(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_SnapshotDial() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    const void* getValuePointer(int32_t port) override;
    void setParameterValue(int32_t i, const void* value) override;
    void onTimer() override;

    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;

    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;
    void copyProperties(AM_ViewControl* clone) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // The sector under the point, 0..N-1.
    int32_t sectorAt(const float* point) const;
    // Whether the point lies on the ring.
    bool onRing(const float* point) const;
    // Selects snapshot k (when it differs from the current one): message 44
    // for every snapshot parameter whose offset is not negative; redraws
    // when asked.
    void selectSnapshot(int32_t k, bool redrawAfter);
    // Appends a snapshot parameter without an alias (false when the list is
    // full or the index names no parameter); removes entry i, the last
    // taking its place; sets the alias of entry i.
    bool addSnapshotParam(int32_t index);
    bool removeSnapshotParam(int32_t i);
    bool setAliasParam(int32_t i, int32_t index);

    int32_t getCurrent() const { return current_; }
    bool getAutoSelect() const { return autoSelect_ != 0; }
    float getSnapshotCount() const { return snapshotCount_; }
    float getValue() const { return value_; }
    float getMeter() const { return meter_; }
    int32_t getParamCount() const { return paramCount_; }
    int32_t getSnapshotParam(int32_t i) const;
    int32_t getAliasParam(int32_t i) const;

private:
    // N as a whole number of sectors, 1..kMaximumSectors.
    int32_t sectors() const;
    bool runMenu(const float* point);
    // "module:parameter" of a parameter index; false when it names none.
    bool parameterText(int32_t index, std::string* text) const;
    int32_t parameterFromText(const char* text) const;
    void drawGenerated(AM_Context* context);

    int32_t current_ = 0;
    int32_t autoSelect_ = 1;
    float snapshotCount_ = 8.0f;
    float value_ = 0.0f;
    float meter_ = 0.0f;
    int32_t paramCount_ = 0;
    int32_t snapshotParam_[kMaximumParams];
    int32_t aliasParam_[kMaximumParams];
    float lastY_ = 0.0f;
};
