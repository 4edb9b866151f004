#pragma once
// The editor's status display. For 100 timer ticks after the view manager
// publishes an info line that the display's mask selects (bit 0 the
// parameter being changed, bit 1 the control being edited) it shows that
// line; otherwise the current preset name, with the engine's version mode
// (the list parameter on port 0) drawn faintly behind it. Its menu lists
// the presets of the current folder or, in channel mode (right button), the
// plug-in's output channel layout; with a parameter on port 0 the right
// button adds its modes.
//
// Member of the display chain (messages 39 and 40 pass along it) and of
// the timer chain. Mouse flags: 2 right button.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <memory>

class AM_View_InfoDisplay : public AM_ViewControl {
public:
    static constexpr int32_t kNameBytes = 32;
    static constexpr int32_t kPresetNameBytes = 64;
    // Ticks an info line stays, and ticks between polls of port 0.
    static constexpr int32_t kInfoLineTicks = 100;
    static constexpr int32_t kPollTicks = 50;
    // Messages of the display chain.
    static constexpr uint32_t kMsgInfoLine = 39;
    static constexpr uint32_t kMsgPresetName = 40;
    // Own commands (sub-index of code 5).
    static constexpr uint32_t kLoadPreset = 2;
    static constexpr uint32_t kChannelLayout = 200;
    static constexpr uint32_t kSurroundOutput = 300;
    static constexpr uint32_t kToggleChannel = 100;

    AM_View_InfoDisplay(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_InfoDisplay() override;
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    void draw(AM_Context* context) override;
    void setVisible(bool visible, uint32_t layers, bool withSiblings) override;
    // With a channel shown, the strip below the display is its own too.
    bool claimsPoint(const float* point) const override;
    void writeProperties(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;
    // The current value := the parameter's value on port 0 (visible only).
    void pollValue();

    int32_t getCountdown() const { return countdown_; }
    int32_t getPollCountdown() const { return pollCountdown_; }
    uint32_t getMask() const { return mask_; }
    int32_t getCurrentLine() const { return currentLine_; }
    bool getChannelMode() const { return channelMode_ != 0; }
    int32_t getCurrentValue() const { return currentValue_; }
    const char* getPresetName() const { return presetName_; }
    // Mode name k (null when none).
    const char* getModeName(int32_t k) const;

private:
    bool portBound() const;
    void passOn(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr);
    void addChannelItems();
    void drawInfoLine(AM_Context* context, const AM_Rect& box);
    void drawIdle(AM_Context* context, const AM_Rect& box);
    // Writes a value to a parameter of the core module by short name.
    void setCoreParameter(const char* name, float value);

    char presetName_[kPresetNameBytes] = {};
    int32_t countdown_ = 10;
    uint32_t mask_ = 0xFFFF;
    int32_t currentLine_ = 1;
    uint32_t channelMode_ = 0;
    int32_t topValue_ = 0;
    int32_t currentValue_ = 0;
    int32_t pollCountdown_ = 0;
    float minimum_ = 0.0f;
    std::unique_ptr<char[][kNameBytes]> names_;
    int32_t nameCount_ = 0;
};
