#pragma once
// The scaling curve: four points of a key-scaling curve (input = MIDI key)
// or, in its secondary mode, of a velocity-scaling curve (input = MIDI
// velocity), each with a 7-bit output. Both curves live in one 16-byte
// data parameter: the key curve's input and output words, then the
// velocity curve's; point i is byte (3 - i) of a word (point 0 the most
// significant), 7 bits each. A point is dragged with the pointer; passing a
// neighbour swaps the two, so the points stay in ascending order of their
// input. While dragging, the view manager's info line shows the point.
//
// Colour slots: 0 background, 1 border, 2 dots, 3 curve, 4 text,
// 5 selected dot, 6 meter; graphic slot 0 the background. With no colour
// and no graphic set it draws a curve of its own.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <string>

class AM_View_Scale4 : public AM_ViewControl {
public:
    static constexpr int32_t kScalePort = 0;
    static constexpr int32_t kMeterPort = 1;
    static constexpr int32_t kPoints = 4;
    static constexpr uint32_t kBlockBytes = 16;
    // Word order of the block.
    enum Word : int32_t { kKeyIn = 0, kKeyOut = 1, kVelocityIn = 2, kVelocityOut = 3 };
    static constexpr uint32_t kWordMask = 0x7F7F7F7F;
    static constexpr uint32_t kInitialInputs = 0x30405060;
    static constexpr uint32_t kInitialOutputs = 0x7F7F7F7F;
    // The plot area lies this far inside the bounds.
    static constexpr float kPlotInset = 5.0f;
    // A press this close to a point (squared distance) picks it up.
    static constexpr float kPickDistanceSquared = 49.0f;
    // The edit menu's "secondary" item: code 5, sub-index 1.
    static constexpr uint32_t kSecondarySub = 1;
    static constexpr const char* kVelocityKey = "scaleVal";

    AM_View_Scale4(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Scale4() override;
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;

    // Port 0 takes a scale block (as many bytes as the block and the
    // parameter both hold, masked to 7 bits); port 1 a meter value.
    void setParameterValue(int32_t i, const void* value) override;
    const void* getValuePointer(int32_t port) override;
    // Port 0: the block goes to the parameter (a larger parameter keeps its
    // bytes past the block), then the info line shows the dragged point.
    void sendValueToParameter(int32_t i, const void* value) override;

    void draw(AM_Context* context) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void boundsChanged() override;

    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void copyProperties(AM_ViewControl* clone) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // Screen positions (GUI units) of point i of a curve given by its input
    // and output words.
    void velocityPointToScreen(uint32_t inWord, uint32_t outWord, int32_t i, float* x,
                               float* y) const;
    void keyPointToScreen(uint32_t inWord, uint32_t outWord, int32_t i, float* x,
                          float* y) const;

    // Byte i (7 bits) of a word, and a word with byte i replaced.
    static int32_t pointOf(uint32_t word, int32_t i);
    static uint32_t withPoint(uint32_t word, int32_t i, int32_t value);

    // The shown curve's input and output of point i.
    int32_t inputAt(int32_t i) const;
    int32_t outputAt(int32_t i) const;
    const uint32_t* getBlock() const { return block_; }
    bool isVelocityMode() const { return velocityMode_ != 0; }
    void setVelocityMode(bool on);
    int32_t getSelected() const { return selected_; }
    float getMeter() const { return meter_; }
    AM_Rect getPlotRect() const { return plotRect_; }

private:
    void pointToScreen(int32_t i, float* x, float* y) const;
    void updatePlotRect();
    // Moves the selected point to the anchor's input and output and swaps
    // it past neighbours it overtook.
    void placeSelected();
    void fillInfoLine();
    void drawGenerated(AM_Context* context);
    // The meter as a line across the plot at the input it gives, and the
    // curve, in the current colour.
    void drawMeter(AM_Context* context, float width) const;
    void drawCurve(AM_Context* context, const float* xs, const float* ys, float width) const;

    AM_Rect plotRect_{};
    uint32_t block_[4] = {kInitialInputs, kInitialOutputs, kInitialInputs, kInitialOutputs};
    float downPoint_[2] = {};
    int32_t selected_ = -1;
    int32_t outValue_ = 0;
    int32_t inValue_ = 0;
    float anchor_[2] = {};
    int32_t velocityMode_ = 0;
    float meter_ = 0.0f;
};
