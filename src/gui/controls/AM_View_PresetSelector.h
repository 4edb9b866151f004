#pragma once
// The presets of the current folder of one preset list, in one to four
// columns of 16-unit rows. A click loads a preset; Alt-clicks toggle and
// Shift-clicks extend a multiple selection, which can be dragged out as a
// patch list (one full path a line) onto a folder view or another editor.
// The context menu tags presets as favourites or junk (the preset library's
// "Favourites" and "Junk" tag files), selects all or none and shows or hides
// junk; the arrow keys up and down step to the previous or next preset.
//
// Drawing, hit tests and the scroll-bar column share one geometry (Layout),
// so a click always lands on the row and column it was drawn in.
//
// GUI thread only.

#include "gui/controls/AM_ListScrollBar.h"
#include "gui/controls/AM_RowLabelSettings.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <string>

class PresetListItem;
class ModulePresetList;
enum class PresetTagResult : int32_t;

class AM_View_PresetSelector : public AM_ViewControl {
public:
    static constexpr float kRowHeight = 16.0f;
    // Width of the scroll-bar column and of the icon column before a name.
    static constexpr float kScrollColumn = 16.0f;
    static constexpr float kIconColumn = 16.0f;
    static constexpr int32_t kMaxColumns = 4;
    // Keys: previous and next preset.
    static constexpr uint32_t kKeyPrevious = 30;
    static constexpr uint32_t kKeyNext = 31;
    // Run-menu commands (code 5, these in the upper half).
    static constexpr uint32_t kCmdUnFavourite = 100;
    static constexpr uint32_t kCmdFavourite = 101;
    static constexpr uint32_t kCmdUnJunk = 102;
    static constexpr uint32_t kCmdJunk = 103;
    static constexpr uint32_t kCmdUnFavouriteSelected = 200;
    static constexpr uint32_t kCmdFavouriteSelected = 201;
    static constexpr uint32_t kCmdUnJunkSelected = 202;
    static constexpr uint32_t kCmdJunkSelected = 203;
    static constexpr uint32_t kCmdToggleJunk = 300;
    static constexpr uint32_t kCmdSelectAll = 400;
    static constexpr uint32_t kCmdDeselect = 401;
    // The drag kind of a patch list.
    static constexpr uint32_t kDragKindPatchList = 1;

    AM_View_PresetSelector(AM_ViewMan* viewMan, const AM_Rect* bounds);
    ~AM_View_PresetSelector() override;

    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    void setPortParameter(int32_t i, const AM_ParamInfo* parameter) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    void onMouseWheel(float steps) override;
    // The selected paths, one a line (the text belongs to the view and lives
    // until the next call); null when nothing is selected.
    const char* getDragData() override;
    bool onKeyDown(uint32_t key, uint32_t modifiers) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    void draw(AM_Context* context) override;
    void copyProperties(AM_ViewControl* clone) override;
    void writeControl(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // The item drawn under the point, or null.
    PresetListItem* itemAtPoint(const float* point);

    void setText(const char* text);
    const char* getText() const { return label_.text; }
    void setTextSize(float size);
    void setTextAlignment(int32_t alignment);
    void setTextVAlignment(int32_t alignment);
    void setTextVOffset(float offset);

    // The list shown (null or empty: the main patch list), and the preset
    // button that pointed the view at it (its port 0 follows loads; null:
    // none).
    void setPresetListName(const char* name);
    const char* getPresetListName() const { return listName(); }
    void setOwnerSaver(AM_ViewControl* saver) { ownerSaver_ = saver; }
    AM_ViewControl* getOwnerSaver() const { return ownerSaver_; }

    int32_t getColumns() const { return columns_; }
    void setColumns(int32_t columns);
    int32_t getFirstRow() const { return firstRow_; }
    int32_t getVisibleRows() const { return visibleRows_; }
    int32_t getRowsPerColumn() const { return rowsPerColumn_; }
    int32_t getItemCount() const { return itemCount_; }
    bool showsJunk() const { return showJunk_; }
    bool hasScrollBar() const { return bar_.shown(); }
    float getTextSize() const { return label_.size; }

private:
    // Where items go: one geometry for drawing and hit tests.
    struct Layout {
        int32_t count = 0;
        int32_t rowsPerColumn = 0;
        float columnWidth = 0.0f;
        // Left of the scroll-bar column (the right end of the columns).
        float listRight = 0.0f;
    };
    Layout layout();
    const char* listName() const { return presetListName_.empty() ? nullptr : presetListName_.c_str(); }
    ModulePresetList* presetList();
    PresetListItem* items();
    // The first item shown (junk passed over unless shown), and the next.
    PresetListItem* firstShown();
    PresetListItem* nextShown(const PresetListItem* item) const;
    PresetListItem* shownAt(int32_t index);
    bool ownsItem(const PresetListItem* item);
    void clampFirstRow(int32_t rowsPerColumn);
    void clickItem(PresetListItem* item, uint32_t buttons);
    void selectRange(PresetListItem* clicked);
    void loadItem(PresetListItem* item);
    void showItemMenu(const float* point, PresetListItem* item);
    void followCurrentPreset(const char* list);
    bool runCommand(uint32_t command, void* userData);
    // Tells the user, on the info display, of a tag change that was refused.
    void tellRefusal(const char* tagName, PresetTagResult result);

    AM_RowLabelSettings label_;
    int32_t itemCount_ = 0;
    int32_t firstRow_ = 0;
    int32_t columns_ = 1;
    int32_t rowsPerColumn_ = 0;
    int32_t visibleRows_ = 0;
    int32_t thumbDrag_ = 0;
    float lastPoint_[2] = {0.0f, 0.0f};
    AM_ListScrollBar bar_;
    std::string presetListName_;
    AM_ViewControl* ownerSaver_ = nullptr;
    PresetListItem* clickedItem_ = nullptr;
    bool showJunk_ = false;
    std::string dragText_;
};
