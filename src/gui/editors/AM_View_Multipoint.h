#pragma once
// The multipoint waveset editor: shows one of the 16 waves of a waveset
// with its points, and the morph between the two waves around the "Select"
// position. Points are selected (click, Shift-click, rubber band), moved,
// bent (Control / Alt drag), inserted into all 16 waves and removed (Alt
// right click, or the context menu), and whole waves are reworked from the
// context menu. In value mode ("Mode" 2) it shows and draws the 128 raw
// values of the wave instead. Wavesets are copied and pasted through one
// clipboard that every instance shares for the life of the process.
//
// Ports: 0 "Curve" (the point block, 0x204), 1 "Wavetables" (the value
// block, 0x404), 2 "Select" (float wave position), 3 "Mode" (integer).
// Every edit sends the whole block it changed.
//
// A step-order view may be linked: the editor tells it which wave it shows
// and which thumbnails are out of date.
//
// GUI thread only.

#include "gui/editors/AM_WaveValueBlock.h"
#include "gui/editors/AM_WavesetBlock.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_WaveStepView;

class AM_View_Multipoint : public AM_ViewControl {
public:
    enum Port : int32_t { kCurvePort = 0, kValuesPort = 1, kSelectPort = 2, kModePort = 3 };
    // The context menu's commands (sub-index of a code-5 item of menu 0);
    // 0..15 show that wave whatever "Select" says, kFollowSelect follows it
    // again.
    enum Command : uint32_t {
        kFollowSelect = 16,
        kCopyWaveset = 32,
        kPasteWaveset = 33,
        kInsertPoint = 35,
        kRemovePoint = 36,
        kSmooth = 40,
        kLinear = 41,
        kPeaks = 42,
        kDistribute = 45,
        kLineUpOrClear = 46,
        kBlur = 50,
        kSharpen = 51,
        kMaximize = 52,
    };
    // Drag kinds: bits of a bending drag, the strokes of value mode.
    enum DragKind : int {
        kBendIn = 1,
        kBendOut = 2,
        kStrokeFreehand = 0,
        kStrokeLine = 1,
        kStrokeErase = 2,
    };

    static constexpr int kWaves = AM_WavesetBlock::kWaves;
    static constexpr int kFollowing = 16;

    AM_View_Multipoint(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Multipoint() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void setParameterValue(int32_t i, const void* value) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void draw(AM_Context* context) override;
    // Forgets a linked view that goes away.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;

    // --- What the step-order view calls.

    virtual int getCurrentWave() const { return currentWave_; }
    // Shows wave w; while following "Select", moves "Select" there.
    virtual void selectWave(int w);
    // Takes wave `from` out and puts it at `to` (values in value mode).
    virtual void moveWave(int from, int to);
    virtual void copyWave(int from, int to);
    // Fills the waves strictly between a and b with their linear blend.
    virtual void interpolateWaves(int a, int b);
    // Links a step-order view (null: none); it learns the current wave.
    virtual void setLinkedView(AM_WaveStepView* view);
    // The wave rendered in the current mode and reduced to count peaks in
    // table (256 entries).
    virtual float* getWavePeaks(int wave, int count, float* table) const;
    virtual void renderWave(int wave, float* table) const;

    // --- State, for the views that draw it and for tests.

    const AM_WavesetBlock& getPoints() const { return points_; }
    const AM_WaveValueBlock& getValues() const { return values_; }
    int getMode() const { return mode_; }
    int getFollowSelect() const { return followSelect_; }
    float getSelectPosition() const { return selectPosition_; }
    bool isSelected(int point) const;
    int selectedCount() const;
    bool hasRubberBand() const { return rubberBand_; }
    AM_Rect getRubberBand() const { return band_; }
    AM_WaveStepView* getLinkedView() const { return linked_; }

    // The clipboard shared by every instance, and its reset for tests.
    static bool clipboardFilled();
    static void resetClipboard();

private:
    void sendPoints();
    void sendValues();
    void markAllWaves();
    void markWave(int wave);
    void clearSelection();
    int followedWave() const;

    bool pointMouseDown(const float* point, uint32_t buttons);
    bool valueMouseDown(const float* point, uint32_t buttons);
    void pointDrag(const float* point);
    void valueDrag(const float* point);
    // The pointer range that keeps the selected points inside the wave.
    void limitPointer();
    void openContextMenu(const float* point, int hitPoint);
    void insertPointAt(float x, float y);
    void removePointAt(int point);
    void applyCommand(uint32_t sub);

    void drawPoints(AM_Context* context);
    void drawValues(AM_Context* context);

    AM_WavesetBlock points_;
    AM_WaveValueBlock values_;
    int currentWave_ = 0;
    int followSelect_ = kFollowing;
    float selectPosition_ = 0.0f;
    int mode_ = 0;
    AM_WavesetBlock::Selection selection_{};

    float press_[2] = {0.0f, 0.0f};
    int dragKind_ = 0;
    int dragPoint_ = -1;
    int lastSample_ = -1;
    // A press that moves or bends points, or draws values.
    bool pointDrag_ = false;
    bool valueDrag_ = false;
    bool rubberBand_ = false;
    // The rubber band, or the pointer's allowed range while points move.
    AM_Rect band_{};

    int menuPoint_ = -1;
    float menuPosition_[2] = {0.0f, 0.0f};
    AM_WaveStepView* linked_ = nullptr;
};
