#pragma once
// The meter: shows output values of the engine that it polls on the timer.
// Port 0 shows a level as a bar, a graphic frame or a handle, or lights one
// lamp of a running light (optionally dimmed across its window); port 1
// ("MultiMeter") draws up to eight position lines from a small data block;
// port 2 ("SurroundVU") draws sixteen 4-bit levels as an 8 x 2 grid of
// frames. With module update a change of its value makes the GUI re-read
// the other parameters of its module.
//
// GUI thread only.

#include "gui/controls/AM_ControlMenu.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_Meter : public AM_ViewControl {
public:
    static constexpr int32_t kLevelPort = 0;
    static constexpr int32_t kMultiPort = 1;
    static constexpr int32_t kSurroundPort = 2;
    static constexpr int32_t kBlockBytes = 8;
    // Edit-menu commands of the class (sub of a code-5 item).
    enum EditCommand : uint32_t {
        kToggleVertical = 1,
        kToggleModuleUpdate = 2,
        kToggleDimming = 3,
        kToggleRunningLight = 4,
    };

    AM_View_Meter(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Meter() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    const void* getValuePointer(int32_t port) override;
    void setParameterValue(int32_t i, const void* value) override;
    void onTimer() override;
    void draw(AM_Context* context) override;
    // A running light's clone is the next lamp of its chain.
    void copyProperties(AM_ViewControl* clone) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    AM_ControlMenu buildEditItems() const;
    // True when the command was the class's own.
    bool applyEditCommand(uint32_t command);

    float getValue() const { return value_; }
    bool isVertical() const { return vertical_ != 0; }
    bool isRunningLight() const { return runningLight_ != 0; }
    bool isDimming() const { return dimming_ != 0; }
    bool isModuleUpdate() const { return moduleUpdate_ != 0; }
    float getRunningStep() const { return runningStep_; }
    float getRunningRange() const { return runningRange_; }
    uint32_t getDivisor() const { return divisor_; }
    const uint8_t* getBlockBytes() const { return block_; }

    // The lamp's brightness for a value: 0 outside the window, else 1 (or,
    // with dimming, falling from 1 at the window's start).
    float lampLevel(float value) const;

private:
    bool portBound(int32_t i) const;
    // Polls the data block of port 1 or 2; true when it changed.
    void pollBlock(int32_t port, bool withDivisor);
    void pollLevel();
    // Re-announces the parameters of the bound parameter's module.
    void refreshModule();

    float minimum_ = 0.0f;
    float maximum_ = 1.0f;
    float default_ = 0.0f;
    float value_ = 0.0f;
    uint8_t block_[kBlockBytes] = {};
    uint32_t divisor_ = 0;
    int32_t pollCountdown_ = 0;
    uint8_t vertical_ = 0;
    uint8_t moduleUpdate_ = 0;
    uint8_t dimming_ = 0;
    uint8_t runningLight_ = 0;
    float runningStep_ = 0.0f;
    float runningRange_ = 1.0f;
};
