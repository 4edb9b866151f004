#pragma once
// The GUI switch: a small button whose menu chooses the GUI script (one of
// the scripts the view manager found, or "make default") and the GUI size
// (seven zoom steps, each shown with the window size it gives). Both
// choices are kept in the engine's core module, "GFile" and "GScale", so
// they are saved with the plug-in's state; a new size is asked of the host
// through the view manager's zoom.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_GSwitch : public AM_ViewControl {
public:
    static constexpr int32_t kFilePort = 0;
    static constexpr int32_t kScalePort = 1;
    static constexpr int32_t kSizeCount = 7;
    static constexpr int32_t kItemTextBytes = 32;
    // The sub-index of "make default" among the script items.
    static constexpr uint32_t kMakeDefault = 999;
    // The code of the script items.
    static constexpr uint32_t kScriptCode = 23;
    // Two zoom factors closer than this are the same size.
    static constexpr float kZoomTolerance = 0.001f;

    // Binds its ports to "GFile" and "GScale" of module "PCore" when the
    // interface has them.
    AM_View_GSwitch(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_GSwitch() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    // Ports, values, script lines and properties are the base's.
    const char* getTypeName() const override;

    // Opens the script and size menu at the point.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    // The items of every control only.
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;

    // Size step i (1..7): its name and zoom factor (null / 0 outside).
    static const char* sizeName(int32_t i);
    static float sizeFactor(int32_t i);
    // The size step of a zoom factor within the tolerance, or 0.
    static int32_t sizeOfZoom(float zoom);
    // The item text of size step i while the menu is open.
    const char* getSizeText(int32_t i) const;

private:
    void drawGenerated(AM_Context* context);
    // Sends a script name to the file parameter, copied into a block of the
    // parameter's size.
    void sendScriptName(const char* name);

    char sizeTexts_[kSizeCount][kItemTextBytes] = {};
};
