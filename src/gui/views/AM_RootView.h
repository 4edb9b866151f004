#pragma once
// The top of the loaded GUI: a container control named "root" that covers
// the editor root pane and holds every control of the GUI script. It keeps
// the editor-wide editing settings (the grid, the cloning mode, the
// transform box of the editing tools), draws the grid over the GUI in edit
// mode, gives edit-mode moves and resizes their grid snapping, carries the
// root edit menu (grid, grid spacing, cloning mode, save, edit/run mode) and
// passes the GUI's font settings, which it follows through six listener
// entries, to the drawing context.
//
// The tree: the view manager's top control is the editor root pane
// "editRootControl"; the root view is its last child (in GUI-editing mode
// the editor's own set-up controls come before it); the GUI script's
// controls hang under the root view. A script line that names
// "editRootControl" as parent puts the control under the root view.
//
// GUI thread only.

#include "gui/views/AM_ViewControl.h"

#include <cstdint>

struct AM_EditTransform;

class AM_RootView : public AM_ViewControl {
public:
    static constexpr const char* kName = "root";
    // State: edit mode, locked, no resize handles, root.
    static constexpr uint32_t kRootState =
        kStateEditMode | kStateLocked | kStateNoResizeHandles | kStateRootView;

    static constexpr int32_t kMinGridSize = 8;
    static constexpr int32_t kMaxGridSize = 32;
    static constexpr int32_t kDefaultGridSize = 20;
    // A point closer than this past a grid line snaps back onto it.
    static constexpr float kSnapDistance = 8.0f;
    static constexpr uint32_t kCloneModes = 18;
    static constexpr int32_t kMinCloneArray = 2;
    static constexpr int32_t kMaxCloneArray = 16;
    static constexpr int32_t kMinTransformOffset = -100;
    static constexpr int32_t kMaxTransformOffset = 100;
    static constexpr int32_t kMinTransformScale = 25;
    static constexpr int32_t kMaxTransformScale = 400;

    // The root's own menu id and the code of its commands.
    static constexpr uint32_t kEditMenuId = 0x7FFFFFFF;
    static constexpr uint32_t kRootCommandCode = 5;
    enum RootCommand : uint32_t {
        kCmdToggleGrid = 1,
        kCmdGridSpacing = 2,
        kCmdSave = 3,
        kCmdReload = 4,
        kCmdSwitchMode = 5,
        kCmdCloneMode = 6,
    };
    // Listener entries (all follow value parameters).
    enum Listener : int32_t {
        kListenGamma = 0,
        kListenFontGamma = 1,
        kListenFontWeight = 2,
        kListenFontRenderer = 3,
        kListenFontFace = 4,
        kListenGridSize = 5,
        kListeners = 6,
    };
    // Messages the root answers.
    static constexpr uint32_t kMsgWriteProperties = 20;
    static constexpr uint32_t kMsgToggleGrid = 41;
    static constexpr uint32_t kMsgBindInspector = 48;

    // Named "root", kRootState, a container; no ports, colours or graphics.
    AM_RootView(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_RootView() override;

    const char* getTypeName() const override;

    // --- Grid.
    int32_t getGridSize() const { return gridSize_; }
    // Held to kMinGridSize..kMaxGridSize.
    void setGridSize(int32_t size);
    bool isGridShown() const { return gridShown_ != 0; }
    void setGridShown(bool shown);
    // The offset that puts a point (GUI units) back onto the grid line it
    // is less than kSnapDistance past (per axis, toward zero); false, with
    // the offset untouched on that axis, when the grid is hidden or neither
    // axis snaps.
    bool snapToGrid(const float* point, float* offset) override;

    // --- Cloning and the transform box.
    virtual uint32_t getCloneMode() const;
    // Held to 0..kCloneModes - 1.
    void setCloneMode(uint32_t mode);
    // Text of a cloning mode ("empty instance", "Param +1".., "next Module");
    // null past the table.
    static const char* cloneModeName(uint32_t mode);
    int32_t getCloneArray() const { return cloneArray_; }
    AM_EditTransform getTransform() const;
    // Each field held to its range.
    void setTransform(const AM_EditTransform& transform);

    // The font file of a "FontFace" value.
    static const char* fontFaceFor(float value);

    // --- Overrides.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    void listenerValueChanged(int32_t i, const void* value) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    // The root menu at the point; shown when open.
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    // Run mode without any GUI: a notice that no script was found.
    void draw(AM_Context* context) override;
    void drawEditFrame(AM_Context* context) override;
    void drawOverlay(AM_Context* context) override;

private:
    // Message 48: points the editor's inspector fields (found by name under
    // the top control) at the fields here.
    void bindInspector();
    // Message 41: toggles the grid and tells the info line.
    void toggleGridWithInfo();

    int32_t gridSize_ = kDefaultGridSize;
    uint32_t gridShown_ = 0;
    uint32_t cloneMode_ = 0;
    int32_t cloneArray_ = 8;
    int32_t transformX_ = 0;
    int32_t transformY_ = 0;
    int32_t transformW_ = 100;
    int32_t transformH_ = 100;
};
