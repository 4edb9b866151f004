#pragma once
// The XY pad: a square whose handle sets two continuous parameters at once,
// port 0 along the horizontal axis and port 1 along the vertical one (up is
// higher). A press or drag puts the handle under the pointer, a double click
// restores both defaults. The right button opens the run menu: MIDI learn
// per axis and the XY wizard, whose tables assign a family of targets to the
// meta slots behind the pad (see AM_XYWizard.h).
//
// A pad learns its number for the wizard from the short name of its X
// parameter ("X_1".."X_4"); -1 until then.
//
// Mouse flags: 2 right button. GUI thread only.

#include "gui/controls/AM_ControlMenu.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_XY : public AM_ViewControl {
public:
    static constexpr int32_t kXPort = 0;
    static constexpr int32_t kYPort = 1;
    // The handle travels this much less than the pad's side, inset by
    // kMargin on each end.
    static constexpr float kTravelReduction = 7.0f;
    static constexpr float kMargin = 3.0f;
    // Run-menu commands (sub of a code-5 item).
    enum RunCommand : uint32_t {
        kLearnX = 1,
        kLearnY = 2,
        kWizardFilters = 1000,
        kWizardFilterMod = 1001,
        kWizardEnvSpeed = 1002,
        kWizardEnvDyn = 1003,
    };

    AM_View_XY(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_XY() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;
    void draw(AM_Context* context) override;

    void onDoubleClick(const float* point, uint32_t buttons) override;
    // Without the right button the handle jumps to the point (true); with
    // it the run menu opens.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;

    // The run menu: MIDI learn per axis, then the wizard items.
    AM_ControlMenu buildRunMenu() const;
    // A separator and one item per wizard table.
    static void addWizardMenuItems(AM_ControlMenu* menu);
    // Runs the wizard table of that sub-index for this pad (a trace line
    // for an unknown one).
    void runWizard(uint32_t subIndex);

    float getXValue() const { return xValue_; }
    float getYValue() const { return yValue_; }
    float getXMinimum() const { return xMinimum_; }
    float getXMaximum() const { return xMaximum_; }
    float getYMinimum() const { return yMinimum_; }
    float getYMaximum() const { return yMaximum_; }
    int32_t getPadNumber() const { return padNumber_; }

    // The pad number a short name "X_<n>" gives (n above 0), or -1.
    static int32_t padNumberOf(const char* shortName);
    // Where the handle's top-left corner goes for a handle of that size.
    void handleOrigin(float handleWidth, float handleHeight, float* x, float* y) const;

private:
    bool portBound(int32_t i) const;
    void userSets(int32_t i, float value);
    // The normalised position of the shown values (0 for an empty range).
    float fractionX() const;
    float fractionY() const;
    void drawGenerated(AM_Context* context);

    float xMinimum_ = -100.0f;
    float xMaximum_ = 100.0f;
    float xDefault_ = 0.0f;
    float xValue_ = 0.0f;
    float yMinimum_ = -100.0f;
    float yMaximum_ = 100.0f;
    float yDefault_ = 0.0f;
    float yValue_ = 0.0f;
    int32_t padNumber_ = -1;
    float lastPoint_[2] = {0.0f, 0.0f};
};
