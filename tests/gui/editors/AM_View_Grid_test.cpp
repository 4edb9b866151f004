#include "EditorFixture.h"

#include "TraceCapture.h"
#include "gui/editors/AM_View_Grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace editortest {
namespace {

using Flag = AM_GridBlock::Flag;
constexpr uint32_t kOn = AM_GridBlock::kActive;

// A grid block as the engine holds it.
struct GridBytes {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(AM_GridBlock::kBytes, 0);
    GridBytes(int32_t columns = 4, int32_t rows = 4)
    {
        const char magic[4] = {'D', 'I', 'R', 'G'};
        std::memcpy(bytes.data(), magic, 4);
        std::memcpy(bytes.data() + 4, &columns, 4);
        std::memcpy(bytes.data() + 8, &rows, 4);
    }
    static size_t at(int column, int row) { return size_t(12 + (4 * row + column) * 12); }
    GridBytes& cell(int column, int row, const char* name, uint32_t flags)
    {
        std::strncpy(reinterpret_cast<char*>(&bytes[at(column, row)]), name, 8);
        std::memcpy(&bytes[at(column, row) + 8], &flags, 4);
        return *this;
    }
    static std::string name(const std::vector<uint8_t>& b, int column, int row)
    {
        return std::string(reinterpret_cast<const char*>(&b[at(column, row)]),
                           strnlen(reinterpret_cast<const char*>(&b[at(column, row)]), 8));
    }
    static uint32_t flags(const std::vector<uint8_t>& b, int column, int row)
    {
        uint32_t f = 0;
        std::memcpy(&f, &b[at(column, row) + 8], 4);
        return f;
    }
};

// A rack as far as the grid sees it: it records the units it is told to
// show (1), hide (0) or select (2), and the selections announced (49).
class FakeRack : public viewtest::RecordingControl {
public:
    using RecordingControl::RecordingControl;
    const char* getTypeName() const override { return type; }
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        if (message == 15 && ptr != nullptr)
            units.push_back(std::string(static_cast<const char*>(ptr)) + "=" + std::to_string(arg));
        RecordingControl::receiveMessage(sender, message, arg, ptr);
    }
    void makeLayered()
    {
        isContainer_ = 1;
        numLayers_ = 2;
    }
    const std::vector<std::string>& unitCalls() const { return units; }
    std::vector<std::string> selections() const
    {
        std::vector<std::string> out;
        for (const Received& r : received)
            if (r.message == 49)
                out.push_back(r.text + "=" + std::to_string(r.arg));
        return out;
    }
    const char* type = "Rack";
    std::vector<std::string> units;
};

class GridTest : public EditorTest {
protected:
    GridTest()
    {
        // Modules the interface knows, in the order of their ids.
        for (const char* m : {"Osc1", "Osc2", "Filt", "Amp", "Echo", "Verb"}) {
            interface.addParameter(
                m, AM_makeParamInfo(0, "Level", "Level", k_kindFloat, 0, 1, 0, 0, 0));
            interface.getModuleInfo(m)->group = 0;
        }
        gridParam = interface.addParameter(
            "Routing", AM_makeParamInfo(0, "Grid", "Grid Structure", 0x504, 0,
                                        float(AM_GridBlock::kBytes), 0, 0, 0));
        // Grid parameters larger and smaller than the view's block.
        bigParam = interface.addParameter(
            "Routing", AM_makeParamInfo(0, "Big", "Big Grid", 0x504, 0, 1024, 0, 0, 0));
        tinyParam = interface.addParameter(
            "Routing", AM_makeParamInfo(0, "Tiny", "Tiny Grid", 0x504, 0, 8, 0, 0, 0));
        // The interface makes room for the ports of the new parameters.
        interface.initialize(vm.get());
    }

    // A 200 x 100 grid at (10, 10) bound to the grid parameter, which holds
    // `grid`, with a rack attached.
    AM_View_Grid* build(const GridBytes& grid)
    {
        rack = new FakeRack(vm.get(), nullptr);
        vm->registerControl(rack, nullptr);
        auto* view = make<AM_View_Grid>("Grid", AM_Rect{10, 10, 200, 100});
        view->setProperty("clientRack", 1, rack->getName());
        interface.seed(gridParam, grid.bytes.data());
        view->setPortParameter(AM_View_Grid::kGridPort, interface.param(gridParam));
        interface.engineSetsBlock(gridParam, grid.bytes.data());
        rack->units.clear();
        return view;
    }
    const std::vector<uint8_t>& sent() const { return interface.block(gridParam); }
    int writes() const { return interface.writesOf(gridParam); }
    bool active(const char* module) { return interface.isModuleActive(module); }
    // The centre of a cell of the 200 x 100 grid at (10, 10).
    std::pair<float, float> centre(const AM_View_Grid* view, int column, int row) const
    {
        float x = 0, y = 0;
        view->layout().cellCentre(column, row, &x, &y);
        return {x, y};
    }
    void command(AM_View_Grid* view, uint32_t sub, const void* cell, uint32_t menu = kRunMenuId,
                 uint32_t code = kMenuCodeOwnCommand)
    {
        AM_MenuItem item{};
        item.command = AM_menuCommand(sub, code);
        item.userData = const_cast<void*>(cell);
        const float p[2] = {20, 20};
        view->handleMenuCommand(p, menu, true, &item);
    }
    // The item of the menu just built whose text is `text`, chosen.
    bool chooseBuilt(AM_View_Grid* view, const std::string& text)
    {
        const AM_MenuTable& table = vm->getMenuTable();
        for (uint32_t i = 1; i <= table.itemCount(); ++i) {
            if (table.item(i)->text == text) {
                const AM_MenuItem item = *table.item(i);
                const float p[2] = {20, 20};
                return view->handleMenuCommand(p, table.menuId(), true, &item);
            }
        }
        return false;
    }

    int32_t gridParam = -1;
    int32_t bigParam = -1;
    int32_t tinyParam = -1;
    FakeRack* rack = nullptr;
};

TEST_F(GridTest, TypeSlotsAndStartingState)
{
    auto* view = make<AM_View_Grid>("Grid", AM_Rect{0, 0, 200, 100});
    EXPECT_STREQ(view->getTypeName(), "Grid");
    EXPECT_EQ(std::string(view->getName()).rfind("Grid ", 0), 0u);
    EXPECT_STREQ(view->getPortDescriptor(0)->name, "Grid Structure");
    EXPECT_STREQ(view->getColourName(10), "TextOff");
    EXPECT_STREQ(view->getGraphicName(2), "ModuleBGSelect");
    EXPECT_EQ(view->block().columns(), 4);
    EXPECT_EQ(view->block().rows(), 16);
    EXPECT_EQ(view->grabbedColumn(), -1);
    EXPECT_FALSE(view->hasTimer());
}

TEST_F(GridTest, ReceivedCellsSwitchModulesAndRackUnits)
{
    GridBytes grid(2, 2);
    grid.cell(0, 0, "Osc1", kOn).cell(1, 0, "Osc2", 0).cell(0, 1, "Filt", kOn | 0x100);
    grid.cell(2, 0, "Echo", kOn); // outside the two columns
    interface.getModuleInfo("Osc2")->group = int32_t(AM_View_Interface::kModuleActive);
    auto* view = build(GridBytes(1, 1));
    interface.engineSetsBlock(gridParam, grid.bytes.data());
    EXPECT_TRUE(active("Osc1"));
    EXPECT_FALSE(active("Osc2"));
    EXPECT_TRUE(active("Filt"));
    EXPECT_FALSE(active("Echo"));
    EXPECT_EQ(rack->unitCalls(), (std::vector<std::string>{"Osc1=1", "Osc2=0", "Filt=1"}));
    EXPECT_EQ(view->block().columns(), 2);
    EXPECT_EQ(view->block().rows(), 2);
}

TEST_F(GridTest, BlocksAreValidatedOnReceipt)
{
    struct Case {
        const char* what;
        int32_t columns, rows;
        int heldColumns, heldRows;
    };
    const Case cases[] = {
        {"in range", 3, 5, 3, 5},   {"no columns", 0, 4, 1, 4},     {"negative", -7, -1, 1, 1},
        {"too wide", 9, 4, 4, 4},   {"too tall", 4, 40, 4, 16},     {"huge", 1 << 30, 1 << 30, 4, 16},
    };
    auto* view = build(GridBytes());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GridBytes grid(c.columns, c.rows);
        interface.engineSetsBlock(gridParam, grid.bytes.data());
        EXPECT_EQ(view->block().columns(), c.heldColumns);
        EXPECT_EQ(view->block().rows(), c.heldRows);
    }

    // Names are terminated: eight characters read as seven.
    GridBytes named;
    std::memcpy(&named.bytes[GridBytes::at(0, 0)], "ABCDEFGH", 8);
    interface.engineSetsBlock(gridParam, named.bytes.data());
    EXPECT_STREQ(view->block().name(0), "ABCDEFG");

    // A block without the magic changes nothing.
    testsupport::TraceCapture trace;
    GridBytes wrong(2, 2);
    wrong.bytes[0] = 'X';
    interface.engineSetsBlock(gridParam, wrong.bytes.data());
    EXPECT_TRUE(trace.contains("encountered non-Grid parameter structure"));
    EXPECT_EQ(view->block().columns(), 4);
    EXPECT_STREQ(view->block().name(0), "ABCDEFG");
}

TEST_F(GridTest, CopiesAreBoundedByTheViewsBlock)
{
    // A parameter larger than the grid: only 780 bytes are taken, and a
    // send keeps the parameter's bytes past them.
    const int32_t big = bigParam;
    std::vector<uint8_t> bytes = GridBytes().cell(0, 0, "Osc1", kOn).bytes;
    bytes.resize(1024, 0xAB);
    interface.seed(big, bytes.data());
    auto* view = make<AM_View_Grid>("Grid", AM_Rect{10, 10, 200, 100});
    view->setPortParameter(AM_View_Grid::kGridPort, interface.param(big));
    interface.engineSetsBlock(big, bytes.data());
    EXPECT_STREQ(view->block().name(0), "Osc1");
    const auto [x, y] = centre(view, 0, 0);
    click(view, x, y, kAltKey);
    EXPECT_EQ(GridBytes::flags(interface.block(big), 0, 0), 0u);
    EXPECT_EQ(interface.block(big)[1000], 0xAB);

    // A parameter shorter than the header holds no grid.
    const int32_t tiny = tinyParam;
    interface.seed(tiny, GridBytes(2, 2).bytes.data());
    view->setPortParameter(AM_View_Grid::kGridPort, interface.param(tiny));
    interface.engineSetsBlock(tiny, GridBytes(2, 2).bytes.data());
    EXPECT_EQ(view->block().columns(), 4);
}

TEST_F(GridTest, PointsAndBoxesShareTheLayout)
{
    auto* view = build(GridBytes(4, 4));
    const AM_GridLayout grid = view->layout();
    struct Case {
        float x, y;
        bool found;
        int column, row;
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {10, 10, true, 0, 0},      {209.99f, 109.99f, true, 3, 3}, {210, 110, true, 3, 3},
        {500, -40, true, 3, 0},    {60, 35, true, 1, 1},           {nan, 20, false, 0, 0},
        {20, INFINITY, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        int column = -1, row = -1;
        EXPECT_EQ(grid.cellAt(c.x, c.y, &column, &row), c.found);
        if (c.found) {
            EXPECT_EQ(column, c.column);
            EXPECT_EQ(row, c.row);
        }
    }
    // Every drawn box lies in the cell its points address.
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const AM_Rect box = grid.cellBox(column, row);
            for (const auto& [x, y] : {std::pair{box.x, box.y}, std::pair{box.x + box.w, box.y + box.h}}) {
                int c = -1, r = -1;
                ASSERT_TRUE(grid.cellAt(x, y, &c, &r));
                EXPECT_EQ(c, column);
                EXPECT_EQ(r, row);
            }
        }
    }
    // An empty control addresses no cell.
    const AM_GridLayout empty{AM_Rect{0, 0, 0, 0}, 4, 4};
    int c = 0, r = 0;
    EXPECT_FALSE(empty.cellAt(0, 0, &c, &r));
}

TEST_F(GridTest, DraggingACellExchangesCellsThroughTheInterface)
{
    GridBytes grid;
    grid.cell(0, 0, "Osc1", kOn | 0x100).cell(2, 1, "Filt", kOn | 0x400);
    auto* view = build(grid);
    const auto [x0, y0] = centre(view, 0, 0);
    const auto [x1, y1] = centre(view, 2, 1);
    const int before = writes();
    // Grabbed a little off the centre: the box follows the cell's centre.
    gesture(view, {{x0 + 5, y0 + 3}, {x0 + 40, y0 + 10}, {x1 + 5, y1 + 3}}, 0);
    EXPECT_EQ(writes(), before + 1);
    EXPECT_EQ(GridBytes::name(sent(), 2, 1), "Osc1");
    EXPECT_EQ(GridBytes::name(sent(), 0, 0), "Filt");
    EXPECT_EQ(GridBytes::flags(sent(), 2, 1), kOn | 0x100);
    EXPECT_EQ(view->grabbedColumn(), -1);
    EXPECT_EQ(view->targetColumn(), -1);
    EXPECT_EQ(std::string(view->getSelectedName()), "Osc1");

    // Dropped onto itself: the block is unchanged but still sent.
    const std::vector<uint8_t> held = sent();
    gesture(view, {{x1, y1}, {x1 + 2, y1}}, 0);
    EXPECT_EQ(writes(), before + 2);
    EXPECT_EQ(sent(), held);

    // A "same" cell takes the column it lands in as its input.
    command(view, 4, view->block().cellAddress(AM_GridBlock::cellIndex(2, 1)));
    EXPECT_EQ(GridBytes::flags(sent(), 2, 1), kOn | 0x400 | 0x1000);
    const auto [x3, y3] = centre(view, 3, 3);
    gesture(view, {{x1, y1}, {x3, y3}}, 0);
    EXPECT_EQ(GridBytes::flags(sent(), 3, 3), kOn | 0x800 | 0x1000);
}

TEST_F(GridTest, ClicksSelectAndAltClicksSwitch)
{
    GridBytes grid;
    grid.cell(0, 0, "Osc1", kOn).cell(1, 0, "Osc2", kOn).cell(0, 1, "Filt", 0);
    auto* view = build(grid);
    auto* listener = new FakeRack(vm.get(), nullptr);
    listener->type = "Listener";
    vm->registerControl(listener, nullptr);
    const auto [ax, ay] = centre(view, 0, 0);
    const auto [bx, by] = centre(view, 1, 0);
    const auto [fx, fy] = centre(view, 0, 1);

    click(view, ax, ay, 0);
    click(view, bx, by, 0);
    EXPECT_EQ(listener->selections(), (std::vector<std::string>{"Osc1=1", "Osc1=0", "Osc2=1"}));
    // Units are selected on the press (each send shows or hides them all).
    std::vector<std::string> selected;
    for (const std::string& call : rack->unitCalls())
        if (call.back() == '2')
            selected.push_back(call);
    EXPECT_EQ(selected, (std::vector<std::string>{"Osc1=2", "Osc2=2"}));
    // An inactive cell is not selected by a click.
    click(view, fx, fy, 0);
    EXPECT_STREQ(view->getSelectedName(), "Osc2");

    // Alt switches: off hides the unit and selects nothing; on shows and
    // selects it; the engine follows.
    rack->units.clear();
    click(view, bx, by, kAltKey);
    EXPECT_FALSE(active("Osc2"));
    EXPECT_EQ(GridBytes::flags(sent(), 1, 0), 0u);
    EXPECT_STREQ(view->getSelectedName(), "");
    EXPECT_EQ(rack->unitCalls().front(), "Osc2=0");
    const float at[2] = {fx, fy};
    view->onDoubleClick(at, 0);
    EXPECT_TRUE(active("Filt"));
    EXPECT_EQ(GridBytes::flags(sent(), 0, 1), kOn);
    EXPECT_STREQ(view->getSelectedName(), "Filt");
    // Other modifiers do nothing.
    const int before = writes();
    click(view, ax, ay, kShiftKey);
    click(view, ax, ay, kControlKey);
    EXPECT_EQ(writes(), before);
}

TEST_F(GridTest, TheCellMenuRoutesInputsAndSideChains)
{
    GridBytes grid(3, 4);
    grid.cell(1, 1, "Filt", kOn | 0x200).cell(2, 2, "Amp", kOn | 0x1000 | 0x400 | 0x2000 | 0x4000);
    auto* view = build(grid);
    const auto [fx, fy] = centre(view, 1, 1);
    const auto [ax, ay] = centre(view, 2, 2);

    click(view, fx, fy, kRightButton);
    EXPECT_EQ(vm->texts(), (std::vector<std::string>{"Input 1", "Input 2", "Input 3", "same", "-",
                                                      "active", "-", "remove"}));
    EXPECT_EQ(vm->items[1].flags, uint32_t(kMenuChecked));
    EXPECT_EQ(vm->items[0].flags, uint32_t(kMenuCheckable));
    EXPECT_EQ(vm->items[3].command, int32_t(AM_menuCommand(3, 5)));
    EXPECT_EQ(vm->items[7].command, 0xa0005);
    EXPECT_EQ(view->grabbedColumn(), -1);

    // Side chains are offered with bit 13; "same" hides the input's check.
    click(view, ax, ay, kRightButton);
    EXPECT_EQ(vm->texts(), (std::vector<std::string>{"Input 1", "Input 2", "Input 3", "same", "-",
                                                      "SideChain 1", "SideChain 2", "SideChain 3",
                                                      "-", "active", "-", "remove"}));
    EXPECT_EQ(vm->items[2].flags, uint32_t(kMenuCheckable));
    EXPECT_EQ(vm->items[3].flags, uint32_t(kMenuChecked));
    EXPECT_EQ(vm->items[5].flags, uint32_t(kMenuChecked));
    EXPECT_EQ(vm->items[6].command, int32_t(AM_menuCommand(51, 5)));

    const void* amp = view->block().cellAddress(AM_GridBlock::cellIndex(2, 2));
    struct Step {
        uint32_t sub;
        uint32_t flags;
    };
    const Step steps[] = {
        {0, kOn | 0x100 | 0x2000 | 0x4000},         // Input 1 clears "same"
        {3, kOn | 0x400 | 0x1000 | 0x2000 | 0x4000}, // same: its own column
        {52, kOn | 0x400 | 0x1000 | 0x2000 | 0x10000},
        {11, 0x400 | 0x1000 | 0x2000 | 0x10000},     // active off
        {10, 0x2 | 0x400 | 0x1000 | 0x2000 | 0x10000},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.sub);
        const int before = writes();
        command(view, s.sub, amp);
        EXPECT_EQ(writes(), before + 1);
        EXPECT_EQ(GridBytes::flags(sent(), 2, 2), s.flags);
    }
    EXPECT_FALSE(active("Amp"));

    // Commands that are not the menu's, or that name no cell of the grid,
    // send nothing.
    const int before = writes();
    const auto* bytes = static_cast<const uint8_t*>(amp);
    for (const void* cell : {static_cast<const void*>(nullptr), static_cast<const void*>(bytes + 4),
                             static_cast<const void*>(bytes + 5000)})
        command(view, 0, cell);
    command(view, 66, amp);
    command(view, 7, amp);
    EXPECT_EQ(writes(), before);
}

TEST_F(GridTest, EmptyCellsOfferHiddenModulesToPlace)
{
    GridBytes grid(3, 3);
    grid.cell(0, 0, "Verb", 0x2).cell(1, 0, "Osc2", 0x2 | 0x1000).cell(2, 0, "Gone", 0x2);
    grid.cell(0, 2, "Osc2", 0x2).cell(1, 2, "Filt", kOn | 0x200).cell(3, 5, "Echo", 0x2);
    auto* view = build(grid);

    // Ascending module ids, each once, names the engine knows.
    const auto [ex, ey] = centre(view, 2, 1);
    click(view, ex, ey, 0);
    EXPECT_EQ(vm->texts(), (std::vector<std::string>{"Osc2", "Echo", "Verb"}));
    EXPECT_EQ(vm->items[0].command, int32_t(AM_menuCommand(100 + 1 * 3 + 2, 5)));
    ASSERT_TRUE(chooseBuilt(view, "Verb"));
    EXPECT_EQ(GridBytes::name(sent(), 2, 1), "Verb");
    EXPECT_EQ(GridBytes::flags(sent(), 2, 1), kOn | 0x400);
    EXPECT_EQ(GridBytes::name(sent(), 0, 0), "");
    EXPECT_TRUE(active("Verb"));
    EXPECT_STREQ(view->getSelectedName(), "Verb");

    // Into an occupied cell: the occupant takes the hidden module's place
    // with its own flags.
    command(view, 100 + 2 * 3 + 1, view->block().cellAddress(AM_GridBlock::cellIndex(1, 0)));
    EXPECT_EQ(GridBytes::name(sent(), 1, 2), "Osc2");
    EXPECT_EQ(GridBytes::flags(sent(), 1, 2), kOn | 0x200 | 0x1000);
    EXPECT_EQ(GridBytes::name(sent(), 1, 0), "Filt");
    EXPECT_EQ(GridBytes::flags(sent(), 1, 0), kOn | 0x200);

    // A cell that is not hidden is not placed.
    const int before = writes();
    command(view, 100, view->block().cellAddress(AM_GridBlock::cellIndex(1, 0)));
    EXPECT_EQ(writes(), before);

    // Nothing hidden: an empty menu.
    auto* bare = build(GridBytes(2, 2).cell(0, 0, "Osc1", kOn));
    const auto [bx, by] = centre(bare, 1, 1);
    const int shown = vm->menusShown;
    click(bare, bx, by, 0);
    EXPECT_EQ(vm->menusShown, shown + 1);
    EXPECT_TRUE(vm->items.empty());
}

TEST_F(GridTest, ClientsFromTheEditMenuAndTheScript)
{
    auto* view = build(GridBytes().cell(0, 0, "Osc1", kOn));
    auto* pane = new FakeRack(vm.get(), nullptr);
    pane->type = "Pane";
    pane->makeLayered();
    vm->registerControl(pane, nullptr);

    vm->setEditModeForTest(true);
    const float p[2] = {20, 20};
    view->buildEditMenu(p, true, 0);
    const AM_MenuTable& table = vm->getMenuTable();
    std::vector<std::string> subMenus;
    for (uint32_t i = 1; i <= table.itemCount(); ++i)
        if (table.item(i)->isSubMenuEntry())
            subMenus.push_back(table.item(i)->text);
    EXPECT_EQ(std::count(subMenus.begin(), subMenus.end(), "Attach Rack"), 1);
    EXPECT_EQ(std::count(subMenus.begin(), subMenus.end(), "Attach Pane"), 1);
    int racks = 0, panes = 0;
    for (uint32_t i = 1; i <= table.itemCount(); ++i) {
        const AM_MenuItem* item = table.item(i);
        if (item->userData == rack && AM_menuCode(item->command) == kMenuCodeAttachControl) {
            ++racks;
            EXPECT_TRUE(item->isChecked());
        }
        if (item->userData == pane && AM_menuCode(item->command) == kMenuCodeAttachControl)
            ++panes;
    }
    EXPECT_EQ(racks, 1);
    EXPECT_EQ(panes, 1);
    vm->setEditModeForTest(false);
    command(view, 0, pane, kEditMenuId, kMenuCodeAttachControl);
    EXPECT_EQ(view->getClientPane(), pane);
    EXPECT_EQ(view->getClientRack(), rack);
    // Data that is not a control of the GUI attaches nothing.
    command(view, 0, colour("not a control", 0x000000FF), kEditMenuId, kMenuCodeAttachControl);
    EXPECT_EQ(view->getClientPane(), pane);
    EXPECT_EQ(view->getClientRack(), rack);

    std::string lines;
    view->writeProperties(&lines);
    const std::string me = view->getName();
    EXPECT_NE(lines.find("PROPERTY control='" + me + "' name='clientRack' id='1' value='" +
                         rack->getName() + "'"),
              std::string::npos);
    EXPECT_NE(lines.find("name='clientPane' id='1' value='" + std::string(pane->getName()) + "'"),
              std::string::npos);

    command(view, 0, nullptr, kEditMenuId, kMenuCodeAttachControl);
    EXPECT_EQ(view->getClientRack(), nullptr);
    EXPECT_EQ(view->getClientPane(), nullptr);

    // By name: attached and the grid sent again; an unknown name is traced.
    const int before = writes();
    view->setProperty("clientRack", 1, rack->getName());
    EXPECT_EQ(view->getClientRack(), rack);
    EXPECT_EQ(writes(), before + 1);
    testsupport::TraceCapture trace;
    view->setProperty("clientPane", 1, "Nobody");
    EXPECT_TRUE(trace.contains("WOOOPS... " + me + " wants clientpane Nobody, but it doesn't exist..."));
    EXPECT_EQ(view->getClientPane(), nullptr);

    // A client that goes away is forgotten (the rack made last, so that
    // the tree keeps the others).
    auto* last = new FakeRack(vm.get(), nullptr);
    vm->registerControl(last, nullptr);
    view->setProperty("clientRack", 1, last->getName());
    EXPECT_EQ(view->getClientRack(), last);
    last->unlink();
    delete last;
    EXPECT_EQ(view->getClientRack(), nullptr);
    const auto [x, y] = centre(view, 0, 0);
    click(view, x, y, kAltKey);
    EXPECT_FALSE(active("Osc1"));
}

TEST_F(GridTest, ReferencePictures)
{
    GridBytes grid(3, 4);
    grid.cell(0, 0, "Osc1", kOn | 0x100).cell(1, 0, "Osc2", kOn | 0x200);
    grid.cell(0, 1, "Filt", kOn | 0x100 | 0x200 | 0x2000 | 0x10000);
    grid.cell(2, 1, "Echo", 0x400);
    grid.cell(1, 2, "Amp", kOn | 0x100 | 0x200);
    grid.cell(2, 3, "Verb", kOn | 0x200 | 0x400);
    grid.cell(2, 2, "Hide", 0x2);
    for (float zoom : {1.0f, 2.0f}) {
        auto* view = build(grid);
        const char* names[] = {"gr back", "gr border", "gr dot",   "gr line",   "gr text",   "gr box",
                               "gr edge", "gr shade",  "gr chosen", "gr tchosen", "gr toff"};
        const uint32_t colours[] = {0x1E2228FF, 0x59636EFF, 0x000000FF, 0x6FB7E8FF,
                                    0xE6E9EDFF, 0x3A4350FF, 0x808B99FF, 0xF0B040FF,
                                    0x2F6E9EFF, 0xFFFFFFFF, 0x8A929CFF};
        for (int32_t slot = 0; slot < 11; ++slot)
            view->setColour(colour(names[slot], colours[slot]), slot);
        // Amp is dragged towards Verb's cell; Filt is selected.
        const auto [ax, ay] = centre(view, 1, 2);
        const float down[2] = {ax, ay};
        const float over[2] = {ax + 52, ay + 16};
        ASSERT_TRUE(view->handleMouseDown(down, 0, 0));
        view->handleMouseDrag(over, 0, 0);
        view->selectCell("Filt");
        EXPECT_EQ(paint(view, 220, 120, "grid", zoom), "");
        view->handleMouseUp(down, 0, 0);
        view->setPortParameter(AM_View_Grid::kGridPort, nullptr);
    }
}

} // namespace
} // namespace editortest
