#pragma once
// The equaliser views: the response of a bank of B bands (a low shelf,
// B - 2 mid bands, a high shelf) drawn as two curves over a 0..100
// frequency axis: the curve of the set values (what the user dialled) and
// the curve of the current values the engine reports. Each band has a
// handle whose drag sets its frequency and gain (with the secondary button:
// its width); a handle at the right edge sets the output gain. The popup
// menu copies, pastes and clears the settings and switches the mode.
//
// Ports, with S = 3 B + 1 set-value ports:
//   0..B-1 frequencies, B..2B-1 gains, 2B..3B-1 widths, 3B output gain;
//   S..2S-1 the same as meters (current values, polled on the timer);
//   2S the mode ("EQ Mode", rounded).
// The four- and six-band views share this class; each has its own
// clipboard. Drawing and hit tests use the same handle rectangles.
//
// GUI thread only.

#include "gui/editors/AM_EQCurves.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_EQBase : public AM_ViewControl {
public:
    static constexpr int kMaxBands = 6;
    static constexpr int kMaxPorts = 2 * (3 * kMaxBands + 1) + 1;
    static constexpr float kGainLimit = 24.0f;
    static constexpr float kOutputGainLimit = 36.0f;
    // The output-gain handle is never drawn further out than this.
    static constexpr float kGainHandleLimit = 28.0f;

    // The menu's own commands (sub-indices of code 5).
    enum Command : uint32_t {
        kCopy = 1,
        kPaste = 2,
        kClear = 3,
        kFirstMode = 4,
        kLastMode = 11,
    };

    const char* getTypeName() const override;
    const void* getValuePointer(int32_t port) override;
    void setParameterValue(int32_t i, const void* value) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void draw(AM_Context* context) override;
    void boundsChanged() override;

    // The curve builders the bands use.
    virtual void addPeak(AM_EQPoint* points, int n, float f, float amount, float q);
    virtual void addLowShelf(AM_EQPoint* points, int n, float f, float amount, float q);
    virtual void addHighShelf(AM_EQPoint* points, int n, float f, float amount, float q);
    virtual void addLowPass(AM_EQPoint* points, int n, float f, float amount, float q);
    virtual void addHighPass(AM_EQPoint* points, int n, float f, float amount, float q);
    virtual void addBandPass(AM_EQPoint* points, int n, float f, float amount, float q);

    // --- Geometry and state, for tests.

    int bandCount() const { return bands_; }
    int setPortCount() const { return 3 * bands_ + 1; }
    int32_t frequencyPort(int band) const { return band; }
    int32_t gainPort(int band) const { return bands_ + band; }
    int32_t widthPort(int band) const { return 2 * bands_ + band; }
    int32_t outputGainPort() const { return 3 * bands_; }
    int32_t currentPort(int32_t setPort) const { return setPortCount() + setPort; }
    int32_t modePort() const { return 2 * setPortCount(); }
    float value(int32_t port) const;
    int mode() const { return mode_; }
    int grabbed() const { return grabbed_; }
    bool curveDirty() const { return dirty_ != 0; }
    // Handle b (B: the output gain) as drawn and hit: false when its
    // graphic is not set.
    bool handleRect(int handle, AM_Rect* rect) const;
    // The handle under the point (bands first, then the gain), or -1.
    int handleAt(const float* point) const;
    // The curves as the next draw makes them (current: the engine's
    // values).
    void buildCurve(AM_EQPoint* points, bool current);
    const AM_EQPoint* setCurve() const { return setCurve_; }

    // Empties the clipboards of both classes (tests).
    static void resetClipboards();

protected:
    // bands: 4 or 6. typeName and the graphic names stay valid for the
    // life of the program.
    AM_View_EQBase(AM_ViewMan* viewMan, const AM_Rect* bounds, int bands, const char* typeName,
                   const char (*graphicNames)[kGuiNameBytes], const float* initialValues);

private:
    float* clipboard() const;
    int modeItems() const { return bands_ == 4 ? 5 : 1; }
    float centreY() const;
    // Whether a band of a curve is drawn from the bottom.
    bool bottomBaseline() const { return mode_ >= kEQModeFilter; }
    void dragTo(const float* point);
    void openMenu(const float* point);
    void drawCurve(AM_Context* context, const AM_EQPoint* points);

    int bands_;
    const char* typeName_;
    float values_[kMaxPorts - 1] = {};
    int grabbed_ = -1;
    uint32_t rightButton_ = 0;
    float lastY_ = 0.0f;
    float leftMargin_ = kEQLeftMargin;
    uint32_t dirty_ = 1;
    AM_EQPoint setCurve_[kEQPoints] = {};
    int mode_ = 0;
};
