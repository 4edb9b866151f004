#pragma once
// The folder tree of a preset list (the main patch list unless a preset
// saver points it at a module's list) as an indented list of 16-unit rows.
// A click makes a folder current (the preset list view follows), a click on
// the box before a folder with sub-folders opens or closes it, the context
// menu rescans the folders or creates a sub-folder, and preset files dropped
// onto a folder are copied (Control held) or moved there on the next timer
// tick, after the drag source has returned.
//
// The folder model (folders, the current folder, imports) belongs to the
// preset library behind the parameter interface.
//
// GUI thread only; the new-folder name buffer is process-wide.

#include "gui/controls/AM_ListScrollBar.h"
#include "gui/controls/AM_RowLabelSettings.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <string>

class PresetFolder;

class AM_View_PresetManager : public AM_ViewControl {
public:
    static constexpr float kRowHeight = 16.0f;
    // Indent per folder depth, and the deepest folder that gets sub-folders.
    static constexpr float kIndent = 10.0f;
    static constexpr int32_t kMaxCreateDepth = 5;
    // Chains longer than this open with the other depth-1 branches closed.
    static constexpr int32_t kCollapseAbove = 20;
    // Menu commands (code 5) and the text entry id of a new folder's name.
    static constexpr uint32_t kCmdRefresh = 1;
    static constexpr uint32_t kCmdCreateFolder = 2;
    static constexpr uint32_t kNewFolderEntryId = 64;
    static constexpr int32_t kNewFolderBytes = 64;
    // The drop kind of preset files, and the key flag that copies them.
    static constexpr uint32_t kDropKindFiles = 1;
    static constexpr uint32_t kDropCopyFlag = 4;

    AM_View_PresetManager(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_PresetManager() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    void onDragOver(const float* point, uint32_t modifiers, uint32_t state) override;
    void onDragLeave() override;
    // A drop of preset files without key flags (moved).
    void onDrop(const float* point, const char* data) override;
    // Performs a pending drop.
    void onTimer() override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    void draw(AM_Context* context) override;
    // Text size, alignments and offset (not the label text).
    void copyProperties(AM_ViewControl* clone) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // A drop with its key flags, kind and size: kind 1 onto a folder keeps
    // a copy of the `length` bytes for the next tick.
    void dropData(const float* point, uint32_t keyFlags, uint32_t kind, uint32_t length,
                  const char* data) override;
    // The folder under the point, or null.
    PresetFolder* folderAtPoint(const float* point);
    // The run menu of the folders; folder may be null.
    void buildFolderMenu(const float* point, PresetFolder* folder);
    // Fetches the folders, closes far branches of a long chain and scrolls
    // the current folder into view.
    void updateFolderView();

    void setText(const char* text);
    const char* getText() const { return label_.text; }
    void setTextSize(float size);
    void setTextAlignment(int32_t alignment);
    void setTextVAlignment(int32_t alignment);
    void setTextVOffset(float offset);
    // The list shown (null or empty: the main patch list).
    void setPresetList(const char* modulePath);

    int32_t getFirstRow() const { return firstRow_; }
    int32_t getVisibleRows() const { return visibleRows_; }
    PresetFolder* getHoverFolder() const { return hoverFolder_; }
    bool hoverCopies() const { return hoverCopies_; }
    bool hasPendingDrop() const { return dropTarget_ != nullptr; }
    bool dropCopies() const { return dropCopies_; }
    float getTextSize() const { return label_.size; }

    // The process-wide new-folder name (tests).
    static void resetNewFolderName();
    static char* newFolderName();

private:
    const char* listName() const { return presetList_.empty() ? nullptr : presetList_.c_str(); }
    PresetFolder* folders();
    PresetFolder* currentFolder();
    // Folders not hidden under a collapsed folder, from first on.
    static int32_t visibleCount(PresetFolder* first);
    // The visible folder of that row, or null.
    static PresetFolder* visibleAt(PresetFolder* first, int32_t row);
    // The row of a folder among the visible ones (-1 when hidden or absent).
    static int32_t rowOf(PresetFolder* first, const PresetFolder* folder);
    static bool hasSubFolders(const PresetFolder* folder);
    void createFolder(const char* name);
    void clampFirstRow(int32_t count);

    AM_RowLabelSettings label_;
    int32_t folderCount_ = 0;
    int32_t firstRow_ = 0;
    int32_t visibleRows_ = 0;
    int32_t thumbDrag_ = 0;
    float lastPoint_[2] = {0.0f, 0.0f};
    AM_ListScrollBar bar_;
    std::string presetList_;
    PresetFolder* hoverFolder_ = nullptr;
    // The drag over hoverFolder_ would copy (Control held), not move.
    bool hoverCopies_ = false;
    PresetFolder* dropTarget_ = nullptr;
    std::string dropData_;
    bool dropCopies_ = false;
};
