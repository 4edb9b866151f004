#pragma once
// The recording knob: a knob for its own parameter that can also record its
// movements into a row of step parameters. Alt-click arms recording; while
// the mouse is held, each timer tick writes the recorded value into the
// parameter of the step after the current play step ("RecStep"), the step
// parameters lying recParamOffset indices apart from the first ("RecParam").
// A second port may bind a list parameter whose value name the knob's label
// shows.
//
// Mouse flags: 1 Shift, 2 right button, 4 Control, 8 Alt.
//
// GUI thread only.

#include "gui/controls/AM_ValueNameTable.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_Rec_Knob : public AM_ViewControl {
public:
    static constexpr int32_t kValuePort = 0;
    static constexpr int32_t kMenuPort = 1;
    static constexpr int32_t kRecParamPort = 2;
    static constexpr int32_t kRecStepPort = 3;
    // Sub-indices of the class's code-5 menu items.
    enum Command : uint32_t { kSetOffset = 1, kMidiLearn = 200 };
    enum RecordState : int32_t { kRecordOff = 0, kRecordArmed = 1, kRecording = 2 };

    // One row of the offset menu; the table ends at an offset of -1.
    struct OffsetEntry {
        const char* text;
        int32_t offset;
    };
    static const OffsetEntry kOffsetTable[];

    AM_View_Rec_Knob(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Rec_Knob() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
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
    void addControl(AM_ViewControl* child, uint32_t layerMask, bool offset) override;
    void copyProperties(AM_ViewControl* clone) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // Writes the recorded value into the parameter of `step` when recording
    // and the step or the value changed since the last write. The index
    // RecParam + recParamOffset x step must name a parameter; otherwise
    // nothing is written (trace line).
    void sendRecordedValue();

    // The sensitivity of a range; `fineRanges` when bit 0 of the
    // parameter's flags is set.
    static float sensitivityForRange(float range, bool fineRanges);

    float getValue() const { return value_; }
    float getSensitivity() const { return sensitivity_; }
    float getRecordedValue() const { return recordedValue_; }
    int32_t getRecParamOffset() const { return recParamOffset_; }
    void setRecParamOffset(int32_t offset) { recParamOffset_ = offset; }
    int32_t getStep() const { return step_; }
    int32_t getRecordState() const { return recordState_; }
    bool showsName() const { return showName_ != 0; }
    const AM_ValueNameTable& getMenuNames() const { return menuNames_; }

private:
    bool portBound(int32_t i) const;
    // The current engine value of a bound port's parameter.
    bool engineValue(int32_t port, float* value) const;
    const char* currentMenuName() const;
    bool recordingDrag() const;
    void userSets(int32_t i, float value);
    bool openRunMenu(const float* point);
    void drawGenerated(AM_Context* context, float position);

    float minimum_ = 0.0f;
    float maximum_ = 100.0f;
    float default_ = 50.0f;
    float value_ = 50.0f;
    float menuMinimum_ = 0.0f;
    float menuMaximum_ = 16.0f;
    float menuDefault_ = 0.0f;
    float menuValue_ = 0.0f;
    AM_ValueNameTable menuNames_;
    float startValue_ = 0.0f;
    float mouseDownPoint_[2] = {0.0f, 0.0f};
    float sensitivity_ = 1.0f;
    int32_t fine_ = 0;
    int32_t showName_ = 1;
    float recordedValue_ = 0.0f;
    int32_t recParamOffset_ = 0;
    int32_t step_ = 0;
    int32_t recordState_ = kRecordOff;
    float lastRecordedValue_ = 0.0f;
    int32_t lastStep_ = 0;
};
