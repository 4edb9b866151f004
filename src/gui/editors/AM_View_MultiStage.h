#pragma once
// The multi-stage envelope editor: edits one of up to four envelopes at a
// time on a time axis that zooms and pans from 1 to 128 units. Points are
// dragged (moved, or with every later point in drag mode 1), levels are
// painted (drag mode 2), segments are bent by dragging and straightened by
// a click, points are inserted (Alt-click) and erased (Alt-drag), the loop
// is set with two handles in the strip above the graph, and the drag mode
// with the buttons in the strip below it. A phase pointer shows where the
// engine plays the envelope. Every change sends the envelope's whole block.
//
// Ports: 0..3 "MSEG1".."MSEG4" (envelope blocks, 0x504), 4..7
// "Phase1".."Phase4" (display values, read on the timer). Envelopes are
// copied and pasted through one clipboard every instance shares.
//
// GUI thread only.

#include "gui/editors/AM_EnvelopeBlock.h"
#include "gui/editors/AM_EnvelopeGraph.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_MultiStage : public AM_ViewControl {
public:
    static constexpr int kEnvelopes = 4;
    static constexpr int32_t kFirstEnvelopePort = 0;
    static constexpr int32_t kFirstPhasePort = 4;

    enum DragKind : int {
        kNoDrag = -1,
        kDragMove = 0,
        kDragZoom = 1,
        kDragBend = 2,
        kDragPaint = 3,
        kDragErase = 4,
        kDragLoopStart = 10,
        kDragLoopEnd = 11,
    };
    // Menu commands (sub-index of a code-5 item of menu 0).
    enum Command : uint32_t {
        kCopy = 1,
        kPaste = 2,
        kHalfSize = 10,
        kDoubleSize = 11,
        kUpsideDown = 12,
        kUnitSnap = 20,
        kValueSnap = 21,
        kQuantize = 22,
        kUnitSpacing = 23,
        kEvenSpacing = 24,
        kPointer = 25,
        kRemovePoint = 30,
        kSetLoopStart = 31,
        kSetLoopEnd = 32,
    };
    enum PointerMode : int { kPointerOff = 0, kPointerCoarse = 1, kPointerFine = 2 };

    static constexpr float kMinWidth = 1.0f;
    static constexpr float kMaxWidth = AM_EnvelopeBlock::kMaxTime;

    AM_View_MultiStage(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_MultiStage() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    const char* getTypeName() const override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    void setParameterValue(int32_t i, const void* value) override;
    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void draw(AM_Context* context) override;
    // Shown on a layer 0..3 (the lowest of bits 0..3 of `layers`), the
    // editor takes that envelope when its port is bound; hidden, envelope 0.
    void setVisible(bool visible, uint32_t layers, bool withSiblings) override;

    // --- State, for tests.

    const AM_EnvelopeBlock& getEnvelope(int i) const;
    int getCurrentEnvelope() const { return current_; }
    bool isActive(int i) const { return i >= 0 && i < kEnvelopes && active_[i]; }
    int getDragMode() const { return dragMode_; }
    int getUnitSnap() const { return unitSnap_; }
    int getValueSnap() const { return valueSnap_; }
    int getPointerMode() const { return pointerMode_; }
    float getLastPhase() const { return lastPhase_; }
    float getRequestedWidth() const { return requestedWidth_; }
    float getRequestedOffset() const { return requestedOffset_; }
    int getSelectedPoint() const { return selected_; }
    int getDragKind() const { return dragKind_; }
    // The layout of the current bounds and view range.
    AM_EnvelopeGraph graph() const;
    // Where the mode button of drag mode i was last drawn (empty before).
    AM_Rect modeButton(int i) const;

    static bool clipboardFilled();
    static void resetClipboard();

private:
    bool envelopeBound(int i) const;
    AM_EnvelopeBlock& block() { return envelopes_[current_]; }
    void unpackEditSettings();
    void packEditSettings();
    void send();
    void makeCurrent(int i);
    // Keeps the requested range within 1..128 units and 0..128.
    void limitRange();
    void followPoint(float time);

    void openBackgroundMenu(const float* point);
    void openPointMenu(const float* point);
    void applyCommand(uint32_t sub, int32_t value);

    void dragLoopHandle(const float* point, bool start);

    void drawButtons(AM_Context* context, bool current);
    void drawStrips(AM_Context* context, const AM_EnvelopeGraph& g);
    void drawTimeGrid(AM_Context* context, const AM_EnvelopeGraph& g);
    void drawEnvelope(AM_Context* context, const AM_EnvelopeGraph& g, int e, bool current);
    void drawHandles(AM_Context* context, const AM_EnvelopeGraph& g);

    AM_EnvelopeBlock envelopes_[kEnvelopes];
    bool active_[kEnvelopes] = {};
    int current_ = 0;
    int dragMode_ = 1;
    int unitSnap_ = 0;
    int valueSnap_ = 0;
    int pointerMode_ = kPointerCoarse;
    float lastPhase_ = -1.0f;
    float requestedWidth_ = AM_EnvelopeGraph::kInitialWidth;
    float requestedOffset_ = 0.0f;

    int selected_ = -1;
    int bendSegment_ = -1;
    int dragKind_ = kNoDrag;
    float grab_[2] = {0.0f, 0.0f};
    float press_[2] = {0.0f, 0.0f};
    float swing_ = 0.0f;
    float bow_ = 0.0f;
    bool controlAtPress_ = false;
    bool bendMoved_ = false;
    bool shiftAtPress_ = false;
    AM_Rect buttons_[3] = {};
};
