#pragma once
// The step-order view: a strip of 16 boxes, one per wave of a linked
// multipoint editor, each with a 20-point thumbnail of its wave. A click
// shows that wave in the editor; a Control-drag reorders the waves, an
// Alt-drag (or "morph" from the menu) fills the waves between two steps
// with their blend, Control-Alt-click copies the current wave onto another,
// and the menu duplicates or exchanges waves. Boxes glide to their places
// on the timer, and at most one thumbnail is rendered per tick.
//
// The view works through the editor's operations only; its ports take no
// values. The link is made by the "clientmultipoint" property or from the
// edit menu's "Attach MultiPoint" list.
//
// GUI thread only.

#include "gui/editors/AM_WaveStepView.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <string>

class AM_View_Multipoint;

class AM_View_MultiOrder : public AM_ViewControl, public AM_WaveStepView {
public:
    static constexpr int kSteps = 16;
    static constexpr int kThumbPoints = 20;
    // The position every box starts from when the view is shown.
    static constexpr float kStartPosition = 8.0f / 17.0f;

    enum DragMode : int { kNoDrag = 0, kReorder = 1, kRange = 2 };
    enum Command : uint32_t { kMorph = 1, kDuplicate = 2, kExchange = 3 };

    AM_View_MultiOrder(AM_ViewMan* viewMan, const AM_Rect* bounds);
    // Unlinks the editor.
    ~AM_View_MultiOrder() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    // Message 25 from the linked editor selects a step; a linked editor
    // that goes away is forgotten.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    const char* getTypeName() const override;
    void setParameterValue(int32_t i, const void* value) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    // The edit menu: the name, the base entries, and the "Attach
    // MultiPoint" list of every multipoint editor (the linked one checked).
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    void draw(AM_Context* context) override;
    void setVisible(bool visible, uint32_t layers, bool withSiblings) override;
    void boundsChanged() override;
    void writeProperties(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    virtual void updateStepGeometry(int step);
    void markWaveChanged(int step) override;
    void setCurrentStep(int step) override;

    // Links the editor (null: none): the old one is told to forget this
    // view, every thumbnail is refreshed and the new one learns of it.
    void linkEditor(AM_View_Multipoint* editor);

    // --- State, for tests.

    AM_View_Multipoint* getLinkedEditor() const { return linked_; }
    int getCurrentStep() const { return current_; }
    int getShownStep() const { return shownStep_; }
    int getDragMode() const { return dragMode_; }
    int getPendingRefreshes() const { return pending_; }
    bool isRefreshPending(int step) const;
    float getShownPosition(int step) const;
    float getTargetPosition(int step) const;
    AM_Rect getStepRect(int step) const;
    float getThumbnail(int step, int k) const;
    // The step whose box holds the point (edges included; lowest wins), or
    // -1.
    int stepAt(const float* point) const;

private:
    struct Step {
        float shown = kStartPosition;
        float target = 0.0f;
        AM_Rect rect{};
        bool refresh = false;
        float thumb[kThumbPoints];
    };
    bool validStep(int step) const { return step >= 0 && step < kSteps; }
    // The step under a drag: the lowest whose box holds x strictly inside.
    int dragStepAt(float x) const;
    void openStepMenu(const float* point);
    void morphTo(int other);
    void resetTargets();

    Step steps_[kSteps];
    int pending_ = 0;
    int current_ = 0;
    int shownStep_ = 0;
    int insertSlot_ = 0;
    int dragMode_ = kNoDrag;
    int countdown_ = 0;
    int menuStep_ = -1;
    float pointer_[2] = {0.0f, 0.0f};
    AM_View_Multipoint* linked_ = nullptr;
};
