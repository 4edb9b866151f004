#pragma once
// A strip of tabs, one per layer of a client pane or one per value of a
// stepped integer parameter; a click on a tab selects that layer or value.
// It lies horizontally or vertically, can leave out the tab of the current
// layer ("skip selected"), and can keep the client's current layer as a
// preference that is restored whenever the GUI has loaded.
//
// The client pane is not owned: a client that goes away (message 18) is
// forgotten.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <array>
#include <cstdint>
#include <vector>

class AM_View_LayerSelector : public AM_ViewControl {
public:
    static constexpr int32_t kValueNameBytes = 32;
    // The most value tabs a parameter gets; a wider range gets none.
    static constexpr int32_t kMaxValueNames = 1024;
    // Sub-indices of the selector's own menu commands (code 5).
    static constexpr uint32_t kCmdSetDefault = 1; // run menu
    static constexpr uint32_t kCmdSkipSelected = 1;
    static constexpr uint32_t kCmdVertical = 2;

    AM_View_LayerSelector(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_LayerSelector() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    // Port 0 and an integer parameter: its range, default and the display
    // text of every value.
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;

    void onDoubleClick(const float* point, uint32_t buttons) override;
    // Never keeps the press.
    bool onMouseDown(const float* point, uint32_t buttons) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;
    void writeProperties(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // Attaches the pane (null detaches); with port 0 bound, the pane shows
    // the layer of the current value.
    void setClientPane(AM_ViewControl* pane);
    AM_ViewControl* getClientPane() const { return clientPane_; }

    // Selects the client's first layer named like the stored default.
    void restoreDefault();

    bool isSkipSelected() const { return skipSelected_; }
    bool isVertical() const { return vertical_; }
    void setSkipSelected(bool on) { skipSelected_ = on; }
    void setVertical(bool on) { vertical_ = on; }
    float getValue() const { return value_; }
    float getMinimum() const { return minValue_; }
    float getMaximum() const { return maxValue_; }
    int32_t getValueNameCount() const { return static_cast<int32_t>(valueNames_.size()); }
    // Value name i; null outside the table.
    const char* getValueName(int32_t i) const;

private:
    // The number of tabs of a client with n layers.
    int32_t slotCount(int32_t layers) const;
    // The fraction (0..1) of the strip at the point, along its axis.
    float fractionAt(const float* point, bool alongY) const;
    // The client's layer of a value (-1 when none).
    int32_t layerOfValue(float value) const;
    void showRunMenu(const float* point);
    // The tabs of a client pane or of the value names.
    void drawTabs(AM_Context* context, const AM_Rect& r, int32_t count, int32_t current,
                  bool skip, bool alongY, bool fromClient);

    float minValue_ = 0.0f;
    float maxValue_ = 16.0f;
    float defaultValue_ = 0.0f;
    float value_ = 0.0f;
    bool skipSelected_ = false;
    bool vertical_ = false;
    std::vector<std::array<char, kValueNameBytes>> valueNames_;
    AM_ViewControl* clientPane_ = nullptr;
};
