#pragma once
// The grid editor ("Grid"): a routing grid of modules held by the engine as
// one data block (AM_GridBlock, port "Grid Structure"). Cells are boxes in
// rows and columns with the signal lines between them; the user drags a
// cell onto another (the two exchange), switches cells on and off (Alt
// click, double click), routes a cell's inputs and side chains from its
// popup menu and places hidden modules into empty cells. Every cell the
// grid receives switches its module in the engine and shows or hides the
// unit of that name in the attached rack (message 15); an active cell that
// is clicked is selected and announced to the controls (message 49).
//
// The rack and the pane are attached from the edit menu or by the
// "clientRack" and "clientPane" properties; a client that goes away is
// forgotten.
//
// GUI thread only.

#include "gui/editors/AM_GridBlock.h"
#include "gui/views/AM_ViewControl.h"

#include <cstdint>
#include <string>

class AM_View_Grid : public AM_ViewControl {
public:
    static constexpr int32_t kGridPort = 0;
    // Sub-indices of the cell menu's commands (code 5).
    static constexpr uint32_t kRemove = 10;
    static constexpr uint32_t kToggleActive = 11;
    static constexpr uint32_t kFirstSideChain = 50;
    static constexpr uint32_t kLastSideChain = 65;
    static constexpr uint32_t kFirstPlace = 100;
    // The rack's unit states (message 15's argument).
    enum UnitState : uint32_t { kHideUnit = 0, kShowUnit = 1, kSelectUnit = 2 };

    AM_View_Grid(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);

    const char* getTypeName() const override;
    // A client that goes away is forgotten.
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override;
    void setParameterValue(int32_t i, const void* value) override;
    void onDoubleClick(const float* point, uint32_t buttons) override;
    bool onMouseDown(const float* point, uint32_t buttons) override;
    void onMouseDrag(const float* point, uint32_t buttons) override;
    void onMouseUp(const float* point, uint32_t buttons) override;
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override;
    // The base edit menu, then "Attach Rack" (the controls of type "Rack")
    // and "Attach Pane" (the containers with two layers or more).
    void buildEditMenu(const float* point, bool open, uint32_t extra) override;
    void draw(AM_Context* context) override;
    void writeProperties(std::string* script) override;
    void setProperty(const char* name, int32_t id, const char* value) override;

    // Announces the deselection of the selected name (message 49, 0) and
    // the selection of the new one (49, 1); null or "" selects nothing.
    virtual void selectCell(const char* name);

    // --- State, for tests.
    const AM_GridBlock& block() const { return block_; }
    AM_GridLayout layout() const;
    const char* getSelectedName() const { return selected_; }
    AM_ViewControl* getClientRack() const { return clientRack_; }
    AM_ViewControl* getClientPane() const { return clientPane_; }
    int grabbedColumn() const { return grabbed_[0]; }
    int grabbedRow() const { return grabbed_[1]; }
    int targetColumn() const { return target_[0]; }
    int targetRow() const { return target_[1]; }

private:
    void sendGrid();
    void releaseGrab();
    // Alt click and double click on a named cell.
    void toggleActive(int cell);
    void showCellMenu(const float* point, int cell);
    void showPlaceMenu(const float* point, int column, int row);
    bool runCellCommand(uint32_t sub, int cell);
    void placeHidden(int hidden, uint32_t place);
    void tellRack(const char* name, uint32_t state);
    void setClient(AM_ViewControl* client);

    // Drawing.
    void drawCell(AM_Context* context, const AM_GridLayout& grid, int column, int row);
    void drawLines(AM_Context* context, const AM_GridLayout& grid);
    // The nearest active cell of column k at or above row `from`; -1 for
    // none.
    int activeSourceRow(int k, int from) const;
    bool pick(AM_Context* context, int32_t slot);

    AM_GridBlock block_;
    AM_ViewControl* clientRack_ = nullptr;
    AM_ViewControl* clientPane_ = nullptr;
    float pointer_[2] = {0.0f, 0.0f};
    float grabOffset_[2] = {0.0f, 0.0f};
    char selected_[AM_GridBlock::kNameBytes] = {};
    int grabbed_[2] = {-1, -1};
    int target_[2] = {-1, -1};
};
