#pragma once
// The general container of the GUI: a rectangle whose children live on up
// to 32 named layers, one of which is shown at a time. Its one port binds
// the current layer to an integer parameter, so a layer switch is stored
// with the patch and other controls (layer selectors, buttons) can switch
// it. The same class is registered twice: "Pane" and "CollPane", a pane
// that collapses into its parent while its current layer is named "-".
//
// A pane can be dragged by the user (movable), hide itself once the GUI has
// loaded (hideOnInit) and be a member of a rack: a press on its top or
// bottom strip moves it one place up or down among its visible siblings,
// and it can ask its rack to put it into the unit of a module. Its run-mode
// menu carries the GUI-wide choices: alternative GUI scripts, "make
// default" and the zoom sizes.
//
// Layer counts and indices that come from scripts or menus are held to
// 0..31; anything outside is refused with a trace line.
//
// GUI thread only; the drag of a movable pane uses one process-wide record
// (one drag at a time).

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

// Messages panes, racks and layer selectors send and answer.
enum AM_PaneMessage : uint32_t {
    // Show or hide or select a rack unit; data: the unit's name, arg: how.
    kPaneMsgRackUnit = 15,
    // A container switched its layer; arg: the new layer.
    kPaneMsgLayerChanged = 25,
    // Move the sender into this container; arg: the layer mask it gets.
    kPaneMsgEmbed = 38,
    // The GUI script has loaded.
    kPaneMsgGuiLoaded = 48,
    // A module was selected (on) or left (off); data: its name.
    kPaneMsgModuleSelected = 49,
    // A rack member asks its rack for the unit of that name; data: the name.
    kPaneMsgRackMemberUnit = 66,
};

class AM_View_Pane : public AM_ViewControl {
public:
    static constexpr int32_t kMaxLayers = 32;
    static constexpr int32_t kLayerNameBytes = 32;
    // highlightLayer when no layer is highlighted.
    static constexpr uint32_t kNoHighlight = 32;
    // Sub-indices of the pane's own menu commands (code 5).
    enum Command : uint32_t {
        kCmdMovable = 1,
        kCmdEmbed = 2,
        kCmdHideOnInit = 3,
        kCmdRenameLayer = 4,
        kCmdRackMember = 5,
        kCmdCollapsible = 6,
        kCmdSaveToFile = 7,
        kCmdEditScript = 8,
    };
    // Command codes of the run menu and of a module chosen for a rack
    // member.
    static constexpr uint32_t kZoomCode = 5;
    static constexpr uint32_t kScriptCode = 23;
    static constexpr uint32_t kMakeDefaultIndex = 999;
    static constexpr uint32_t kAssignModuleCode = 22;
    // The text entry id of renames.
    static constexpr uint32_t kRenameEntryId = 32;
    // Zoom sizes of the run menu (k = 1..7).
    struct ZoomSize {
        const char* name;
        float factor;
    };
    static constexpr int32_t kZoomSizes = 7;
    static const ZoomSize kZoom[kZoomSizes];

    AM_View_Pane(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_Pane() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* createCollPane(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    // Port 0: the layer switch.
    void setParameterValue(int32_t i, const void* value) override;
    // The graphic of the current layer.
    void setGraphic(AM_Graphic* graphic, int32_t slot) override;

    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    // The collapse animation (runs only while collapseTicks is above 0).
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    // The edit menu: the name, the selection's "embed to Layer", the layer
    // rename and the pane's switches.
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;

    void draw(AM_Context* context) override;
    void drawEditFrame(AM_Context* context) override;
    // Only the children of the current layer follow the pane's visibility;
    // the others stay hidden.
    void setVisible(bool visible, uint32_t layers, bool withSiblings) override;
    // A mask of all ones puts the child on the current layer.
    void addControl(AM_ViewControl* child, uint32_t layerMask, bool offset) override;

    // Sets the bound parameter (when port 0 is bound) and switches.
    void selectLayer(int32_t layer) override;
    // Name of layer n; null outside 0..31.
    const char* getLayerName(int32_t layer) override;
    // One more layer (at most 32), which becomes the current one; with a
    // name, the new layer takes it.
    void addLayer(const char* name) override;
    // Layer count and names, rack membership and collapsibility.
    void copyProperties(AM_ViewControl* clone) override;

    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // Puts the pane into the timer chain and makes it collapsible.
    void makeCollapsible();
    // Layer n takes the name (cut to 31 bytes); when n is the current layer
    // the layer is applied again, so a collapsible pane re-evaluates "-".
    // False (trace line) when n is outside 0..31.
    bool setLayerName(int32_t layer, const char* name);

    bool isMovable() const { return movable_; }
    bool isHideOnInit() const { return hideOnInit_; }
    bool isRackMember() const { return rackMember_; }
    bool isCollapsible() const { return collapsible_; }
    bool isCollapsed() const { return collapsed_; }
    bool isForwardingMouse() const { return forwardingMouse_; }
    uint32_t getHighlightLayer() const { return highlightLayer_; }
    void setMovable(bool on) { movable_ = on; }
    void setHideOnInit(bool on) { hideOnInit_ = on; }
    void setRackMember(bool on) { rackMember_ = on; }

    // The drag record (tests).
    static void resetDragScratch();

protected:
    // Switches to the layer (out of range: 0): the collapse rule, the
    // children's visibility, message 25 and a redraw. No parameter write.
    void applyLayer(int32_t layer);
    // Fills the run-mode menu and shows it.
    void showRunMenu(const float* point);
    bool handleEditCommand(uint32_t code, uint32_t sub, const AM_MenuItem* item);
    bool handleRunCommand(uint32_t code, uint32_t sub);
    // A module chosen for a rack member: layer 0 takes its name and the
    // parent is asked for the unit.
    void reassignRackMember(uint32_t moduleIndex);
    // Messages 38, 49 and 67.
    void embed(AM_ViewControl* sender, uint32_t mask);
    void moduleSelected(const char* module, uint32_t on);
    void bringIntoView(AM_ViewControl* sender);
    // The child of this pane that holds the control (null when it is not a
    // descendant).
    AM_ViewControl* childHolding(AM_ViewControl* control);
    // Nearest visible sibling before / after this pane.
    AM_ViewControl* previousVisibleSibling() const;
    AM_ViewControl* nextVisibleSibling() const;
    // Parent's height grows by delta (negative shrinks).
    void changeParentHeight(float delta);

    char layerNames_[kMaxLayers][kLayerNameBytes] = {};
    uint32_t highlightLayer_ = kNoHighlight;
    int32_t collapseTicks_ = 0;
    int32_t highlightRadius_ = 12;
    bool movable_ = false;
    bool hideOnInit_ = false;
    bool rackMember_ = false;
    bool collapsible_ = false;
    bool collapsed_ = false;
    bool forwardingMouse_ = false;
    // The name the layer had when its rename started (restored when the
    // entry is not a name a script can hold).
    char renameBackup_[kLayerNameBytes] = {};
    // The control's name offered to the rename entry.
    char nameEntry_[kGuiNameBytes] = {};
};
