#pragma once
// The meta XY: a small pad that moves up to four X parameters (ports 0-3)
// and four Y parameters (ports 4-7) together by relative drags, every
// parameter of an axis by the same mouse distance from the value it had at
// the press. Up is positive; Shift drags finely (0.01 per pixel).
//
// Its edit menu binds the ports from the selection: "Selection 2 X" (or Y)
// unbinds the axis and asks every selected control to answer; each answer
// binds the answering control's port-0 parameter to the next free port of
// the axis, in the order of the answers.
//
// Mouse flags: 1 Shift. GUI thread only.

#include "gui/controls/AM_ControlMenu.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_MetaXY : public AM_ViewControl {
public:
    static constexpr int32_t kAxisPorts = 4;
    static constexpr int32_t kFirstYPort = 4;
    // The answer that selected controls send back to the asking pad.
    static constexpr uint32_t kMsgSelectionAnswer = 56;
    // Edit-menu commands (sub of a code-5 item).
    enum EditCommand : uint32_t { kSelectionToX = 1, kSelectionToY = 2 };
    // Run-menu commands (sub of a code-5 item).
    enum RunCommand : uint32_t { kMidiLearn = 200, kMidiUnlearn = 201 };
    // The process-wide selection-assignment mode.
    enum AssignMode : int32_t { kAssignNone = 0, kAssignX = 1, kAssignY = 2 };

    AM_View_MetaXY(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_MetaXY() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    // Records the start values; always begins a drag.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void draw(AM_Context* context) override;

    // The class's own edit-menu items.
    static AM_ControlMenu buildEditItems();
    // Unbinds the axis and binds it again from the selection's answers.
    void assignFromSelection(AssignMode mode);

    // The value units per 2 px of travel for a parameter range.
    static float sensitivityForRange(float range);
    float getXSensitivity() const { return xSensitivity_; }
    float getYSensitivity() const { return ySensitivity_; }
    static int32_t getAssignMode();
    static void resetProcessState();

private:
    bool portBound(int32_t i) const;
    // The range of port i (0-7).
    float& minimumOf(int32_t i);
    float& maximumOf(int32_t i);
    float& startOf(int32_t i);
    // The answer of a selected control while assigning.
    void takeAnswer(AM_Object* sender);
    void drawGenerated(AM_Context* context);

    float xStart_[kAxisPorts] = {};
    float yStart_[kAxisPorts] = {};
    float xMinimum_[kAxisPorts] = {-100.0f, -100.0f, -100.0f, -100.0f};
    float yMinimum_[kAxisPorts] = {-100.0f, -100.0f, -100.0f, -100.0f};
    float xMaximum_[kAxisPorts] = {100.0f, 100.0f, 100.0f, 100.0f};
    float yMaximum_[kAxisPorts] = {100.0f, 100.0f, 100.0f, 100.0f};
    float pressPoint_[2] = {0.0f, 0.0f};
    float lastPoint_[2] = {0.0f, 0.0f};
    float xSensitivity_ = 1.0f;
    float ySensitivity_ = 1.0f;
    bool fine_ = false;
};
