#pragma once
// A column of units, like an equipment rack: each child belongs to one or
// more of up to 32 named units (the rack's layers); the shown units are
// stacked top to bottom without gaps and glide to their places over a few
// timer ticks, and the column scrolls (wheel, scroll bar) when it is taller
// than the rack. Units are shown, hidden and selected by name (message 15);
// a selected unit is scrolled into view ("auto scroll") or moved to the top
// ("selected on top"). Panes flagged as rack members reorder themselves and
// ask the rack for the unit of a module (message 66).
//
// The rack clips its children to itself: draw opens the clip and
// drawOverlay closes it, and only the clip that draw opened on that context.
//
// Unit counts and indices from scripts or menus are held to 0..31; anything
// outside is refused with a trace line.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

class AM_View_Rack : public AM_ViewControl {
public:
    static constexpr int32_t kMaxUnits = 32;
    static constexpr int32_t kUnitNameBytes = 32;
    // Scroll modes.
    enum ScrollMode : int32_t { kNoScroll = 0, kAutoScroll = 1, kSelectedOnTop = 2 };
    // How setUnitState treats a unit.
    enum UnitState : int32_t { kHideUnit = 0, kShowUnit = 1, kSelectUnit = 2 };
    // Sub-indices of the rack's own menu commands (code 5).
    enum Command : uint32_t {
        kCmdMovable = 1,
        kCmdEmbed = 2,
        kCmdHideOnInit = 3,
        kCmdRenameUnit = 4,
    };
    // Run menu: the two scroll modes.
    static constexpr uint32_t kCmdAutoScroll = 1;
    static constexpr uint32_t kCmdSelectedOnTop = 2;
    // Margin of a column that fits, width of the scroll bar, wheel step.
    static constexpr float kMargin = 6.0f;
    static constexpr float kScrollBarWidth = 12.0f;
    static constexpr float kWheelStep = 30.0f;

    AM_View_Rack(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Rack() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    // One layout step while the rack is visible.
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;
    void drawEditFrame(AM_Context* context) override;
    void drawOverlay(AM_Context* context) override;
    void setVisible(bool visible, uint32_t layers, bool withSiblings) override;
    // A mask of all ones adds a new unit for the child.
    void addControl(AM_ViewControl* child, uint32_t layerMask, bool offset) override;

    void selectLayer(int32_t layer) override;
    const char* getLayerName(int32_t layer) override;
    void addLayer(const char* name) override;

    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // One tick of the layout (the child is not needed: the whole column is
    // laid out).
    void arrangeUnits(AM_ViewControl* child);
    // Hides, shows or selects the unit of that name (nothing for none).
    void setUnitState(const char* name, int32_t how);
    // Unit index of that name, or -1.
    int32_t findUnit(const char* name) const;

    uint32_t getShownUnits() const { return shownUnits_; }
    float getScrollOffset() const { return scrollOffset_; }
    float getColumnHeight() const { return columnHeight_; }
    float getApproach() const { return approach_; }
    bool contentFits() const { return contentFits_; }
    int32_t getScrollMode() const { return scrollMode_; }
    void setScrollMode(int32_t mode) { scrollMode_ = mode; }
    const char* getSelectedUnit() const { return selectedUnit_; }
    bool isMovable() const { return movable_; }
    bool isHideOnInit() const { return hideOnInit_; }

private:
    // Sets the scroll offset within [rack height - column height, 0],
    // redraws and makes the units jump.
    void scrollTo(float offset);
    // The column is taller than the rack.
    bool overflows() const { return columnHeight_ > bounds_.h; }
    // Scrolls to or lifts the children of unit n as the scroll mode says.
    void bringUnitForward(int32_t unit);
    void showRunMenu(const float* point);
    void embed(AM_ViewControl* sender, uint32_t mask);
    // Runs a child operation with invalidation limited to the rack.
    template <class F>
    void clipped(F&& operation);

    char layerNames_[kMaxUnits][kUnitNameBytes] = {};
    uint32_t shownUnits_ = 0xFFFFFFFFu;
    bool movable_ = false;
    bool hideOnInit_ = false;
    bool contentFits_ = false;
    float columnHeight_ = 0.0f;
    float scrollOffset_ = 0.0f;
    int32_t dragFromScrollbar_ = -1;
    float lastPoint_[2] = {0.0f, 0.0f};
    float approach_ = 0.75f;
    int32_t scrollMode_ = kAutoScroll;
    char selectedUnit_[kUnitNameBytes] = {};
    // The context whose clip draw pushed (drawOverlay pops only that one).
    AM_Context* clipPushed_ = nullptr;
    // Message 49 that this rack sends is not taken back by itself.
    bool announcing_ = false;
    char renameBackup_[kUnitNameBytes] = {};
};
