// The root view: grid snapping and drawing, the cloning mode, the font
// settings it passes to the drawing context, its menu and the binding of the
// editor's inspector fields.

#include "TraceCapture.h"
#include "ViewManFixture.h"

#include "gui/graphics/AM_Context.h"
#include "gui/views/AM_AGG_ViewMan.h"
#include "gui/views/AM_RootView.h"
#include "platform/Surface.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace viewtest;

// Records the lines drawn and the colour each was drawn in.
class LineContext : public AM_Context {
public:
    struct Line {
        float x0, y0, x1, y1;
        uint32_t colour;
    };
    void setColourPacked(uint32_t rgba) override { colour = rgba; }
    void drawPolyline(const float*, int, float, bool) override {}
    void drawLine(const float p0[2], const float p1[2], float) override
    {
        lines.push_back({p0[0], p0[1], p1[0], p1[1], colour});
    }
    void fillRect(const AM_Rect* r) override { fills.push_back({*r, colour}); }
    void frameRect(const AM_Rect* r) override { frames.push_back({*r, colour}); }
    struct Box {
        AM_Rect r;
        uint32_t colour;
    };
    uint32_t colour = 0;
    std::vector<Line> lines;
    std::vector<Box> fills;
    std::vector<Box> frames;
};

// An inspector field: records what it was bound to.
class FakeField : public AM_ViewControl {
public:
    using AM_ViewControl::AM_ViewControl;
    bool bindField(const AM_InspectorField& f) override
    {
        field = f;
        label = f.label != nullptr ? f.label : "";
        return true;
    }
    AM_InspectorField field;
    std::string label;
};

class RootViewTest : public ViewManTest {
protected:
    // A view manager with a top pane and a root view under it.
    AM_RootView* openRoot(AM_ViewMan* vm = nullptr)
    {
        viewMan = vm != nullptr ? vm : open();
        const AM_Rect area{0, 0, 200, 100};
        top = new AM_ViewControl(viewMan, &area);
        top->setName("editRootControl");
        viewMan->registerControl(top, nullptr);
        top->setVisible(true, kAllLayers, false);
        viewMan->newRootView();
        return static_cast<AM_RootView*>(viewMan->getRootView());
    }

    // The item of the menu table with that text (null when none).
    const AM_MenuItem* menuItem(const std::string& text) const
    {
        const AM_MenuTable& table = viewMan->getMenuTable();
        for (uint32_t i = 1; i <= table.itemCount(); ++i)
            if (table.item(i)->text == text)
                return table.item(i);
        return nullptr;
    }

    AM_ViewMan* viewMan = nullptr;
    AM_ViewControl* top = nullptr;
    testsupport::TraceCapture trace;
};

TEST_F(RootViewTest, TheRootHangsUnderTheEditorRootPaneAsALockedContainer)
{
    AM_RootView* root = openRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->getName(), "root");
    EXPECT_EQ(root->getParentControl(), top);
    EXPECT_TRUE(root->isContainer());
    EXPECT_EQ(root->getState(), 0x10000u | 0x20000u | 0x80000u | 0x400000u);
    EXPECT_EQ(root->getBounds().w, 200.0f);
    EXPECT_EQ(root->getNumListeners(), 6);
    EXPECT_EQ(root->getNumPorts(), 0);
    const char* names[] = {"Gamma", "FontGamma", "FontWeight", "FontRenderer", "FontFace",
                           "GridSize"};
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_STREQ(root->getListenerDescriptor(i)->name, names[i]);
    EXPECT_EQ(root->getGridSize(), 20);
    EXPECT_FALSE(root->isGridShown());
    EXPECT_EQ(root->getCloneMode(), 0u);
    const AM_EditTransform t = root->getTransform();
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.w, 100);
    EXPECT_EQ(t.arrayCount, 8);
}

TEST_F(RootViewTest, APointLessThanEightPixelsPastAGridLineSnapsBackOntoIt)
{
    AM_RootView* root = openRoot();
    struct Case {
        float x, y;
        bool snaps;
        float dx, dy; // expected offsets (0 where the axis does not snap)
    };
    const Case cases[] = {
        {43, 58, true, -3, 0},        // x 3 past 40; y 18 past 40
        {40, 60, true, 0, 0},         // on the lines: an offset of nothing
        {47.99f, 52, true, -7.99f, 0}, // 7.99 past a line still snaps
        {38, 59, false, 0, 0},        // just short of lines: never pulled forward
        {-43, 5, true, 3, -5},        // toward zero on the negative side
    };
    root->setGridShown(true);
    for (const Case& c : cases) {
        const float point[2] = {c.x, c.y};
        float offset[2] = {0, 0};
        const bool snapped = viewMan->snapToGrid(point, offset);
        EXPECT_EQ(snapped, c.snaps) << c.x << "," << c.y;
        EXPECT_NEAR(offset[0], c.dx, 1e-3f) << c.x;
        EXPECT_NEAR(offset[1], c.dy, 1e-3f) << c.y;
    }
    // (43, 58) snaps to (40, 58).
    const float point[2] = {43, 58};
    float offset[2] = {0, 0};
    ASSERT_TRUE(viewMan->snapToGrid(point, offset));
    EXPECT_EQ(point[0] + offset[0], 40.0f);
    EXPECT_EQ(point[1] + offset[1], 58.0f);

    root->setGridShown(false);
    offset[0] = offset[1] = 0;
    EXPECT_FALSE(viewMan->snapToGrid(point, offset));
    EXPECT_EQ(offset[0], 0.0f);

    root->setGridShown(true);
    root->setGridSize(3);
    EXPECT_EQ(root->getGridSize(), 8);
    root->setGridSize(99);
    EXPECT_EQ(root->getGridSize(), 32);
    const float nan[2] = {NAN, 33};
    offset[0] = offset[1] = 0;
    EXPECT_TRUE(viewMan->snapToGrid(nan, offset));
    EXPECT_EQ(offset[0], 0.0f);
    EXPECT_EQ(offset[1], -1.0f);
}

TEST_F(RootViewTest, TheGridIsDrawnInEditModeWithEveryFourthLineStronger)
{
    AM_RootView* root = openRoot();
    LineContext context;
    root->drawOverlay(&context);
    EXPECT_TRUE(context.lines.empty()) << "grid hidden";

    root->setGridShown(true);
    root->drawOverlay(&context);
    EXPECT_TRUE(context.lines.empty()) << "run mode";

    static_cast<TestViewMan*>(viewMan)->setEditModeForTest(true);
    root->drawOverlay(&context);
    // 200 x 100 with a grid of 20: 9 vertical and 4 horizontal lines.
    std::vector<LineContext::Line> vertical, horizontal;
    for (const auto& l : context.lines)
        (l.x0 == l.x1 ? vertical : horizontal).push_back(l);
    ASSERT_EQ(vertical.size(), 9u);
    ASSERT_EQ(horizontal.size(), 4u);
    for (size_t k = 1; k <= 9; ++k) {
        const auto& l = vertical[k - 1];
        EXPECT_EQ(l.x0, 0.5f + float(k) * 20.0f);
        EXPECT_EQ(l.y0, 0.5f);
        EXPECT_EQ(l.y1, 100.5f);
        EXPECT_EQ(l.colour, k % 4 == 0 ? 0xA080FF80u : 0xA080FF30u) << k;
    }
    EXPECT_EQ(horizontal[3].colour, 0xA080FF80u);
    EXPECT_EQ(horizontal[0].x1, 200.5f);

    root->drawEditFrame(&context);
    ASSERT_EQ(context.fills.size(), 1u);
    EXPECT_EQ(context.fills[0].colour, 0xE0E0E0FFu);
    EXPECT_EQ(context.fills[0].r.w, 199.0f);
    ASSERT_EQ(context.frames.size(), 1u);
    EXPECT_EQ(context.frames[0].colour, 0x0000FF60u);
}

TEST_F(RootViewTest, FontListenersSetTheDrawingContext)
{
    platform::HeadlessSurface window(200, 100);
    AM_AGG_ViewMan* vm = nullptr;
    views.push_back(std::make_unique<AM_AGG_ViewMan>(&interface, nullptr, nullptr, &window));
    vm = static_cast<AM_AGG_ViewMan*>(views.back().get());
    const AM_PluginInfo info = pluginInfo("TestSynth");
    vm->setProcessDescription(&info);
    vm->init(nullptr);
    AM_RootView* root = openRoot(vm);
    AM_Context* context = vm->getContext();
    auto send = [&](int32_t listener, float v) { root->listenerValueChanged(listener, &v); };

    send(AM_RootView::kListenGamma, 0.75f);
    EXPECT_FLOAT_EQ(context->getGamma(), 1.5f);
    send(AM_RootView::kListenFontGamma, 0.5f);
    EXPECT_FLOAT_EQ(context->getTextGamma(), 1.0f);
    EXPECT_TRUE(trace.contains("FontGamma: 1")) << trace.text();
    send(AM_RootView::kListenFontWeight, 1.0f);
    EXPECT_FLOAT_EQ(context->getFontWeight(), 0.1f);
    EXPECT_TRUE(trace.contains("FontWeight: 0.1")) << trace.text();
    send(AM_RootView::kListenFontRenderer, 0.5f);
    EXPECT_EQ(context->getGlyphMode(), 2u);
    send(AM_RootView::kListenFontRenderer, 7.0f);
    EXPECT_EQ(context->getGlyphMode(), 4u) << "held to the known modes";
    send(AM_RootView::kListenFontFace, 0.5f);
    EXPECT_STREQ(context->getFontFileName(), "#l_10646.ttf");
    EXPECT_TRUE(trace.contains("FontFace: #l_10646.ttf"));
    send(AM_RootView::kListenFontFace, NAN);
    EXPECT_STREQ(context->getFontFileName(), "#l_10646.ttf") << "not a number: ignored";

    struct Face {
        float v;
        const char* file;
    };
    const Face faces[] = {
        {0.0f, "Vera.ttf"},          {0.08f, "Share-Regular.ttf"},
        {0.16f, "DroidSans.ttf"},    {0.24f, "DroidSans-Bold.ttf"},
        {0.44f, "DroidSans-Bold.ttf"}, {0.56f, "LucidaGrande.ttf"},
        {0.9f, "LiberationSans-Bold.ttf"}, {1.0f, "LiberationSans-Regular.ttf"},
        {1.04f, "Vera.ttf"},         {-0.5f, "Vera.ttf"},
    };
    for (const Face& f : faces)
        EXPECT_STREQ(AM_RootView::fontFaceFor(f.v), f.file) << f.v;
}

TEST_F(RootViewTest, TheRootMenuOffersGridSpacingCloningAndTheModeSwitch)
{
    AM_RootView* root = openRoot();
    root->setGridShown(true);
    root->setGridSize(24);
    const float point[2] = {10, 10};
    root->buildEditMenu(point, true, 0);
    const AM_MenuTable& table = viewMan->getMenuTable();
    EXPECT_EQ(table.menuId(), kEditMenuId);
    EXPECT_EQ(table.item(1)->text, "root");
    const AM_MenuItem* grid = menuItem("show Grid");
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(grid->isChecked());
    EXPECT_EQ(grid->command, (1u << 16) | 5u);
    for (int px = 8; px <= 32; ++px) {
        const AM_MenuItem* row = menuItem(std::to_string(px) + "px");
        ASSERT_NE(row, nullptr) << px;
        EXPECT_EQ(row->isChecked(), px == 24) << px;
        EXPECT_NE(row->subMenu(), 0u);
    }
    EXPECT_NE(menuItem("empty instance"), nullptr);
    EXPECT_NE(menuItem("Param +16"), nullptr);
    EXPECT_TRUE(menuItem("empty instance")->isChecked());
    EXPECT_EQ(menuItem("next Module")->command, (6u << 16) | 5u);
    EXPECT_NE(menuItem("back to edit"), nullptr) << "run mode";
    EXPECT_EQ(menuItem("save changes"), nullptr);

    // The chosen rows reach the root's fields.
    AM_MenuItem chosen = *menuItem("12px");
    EXPECT_TRUE(root->handleMenuCommand(point, kEditMenuId, true, &chosen));
    EXPECT_EQ(root->getGridSize(), 12);
    chosen = *menuItem("Param +2");
    EXPECT_TRUE(root->handleMenuCommand(point, kEditMenuId, true, &chosen));
    EXPECT_EQ(viewMan->getCloneMode(), 2u);
    EXPECT_EQ(root->getCloneMode(), 2u);
    EXPECT_TRUE(trace.contains("cloning mode Param +2"));
    chosen = *menuItem("show Grid");
    EXPECT_TRUE(root->handleMenuCommand(point, kEditMenuId, true, &chosen));
    EXPECT_FALSE(root->isGridShown());
    // Not the root's: handed to the base, which takes none.
    chosen.command = (1u << 16) | 0xFFF0u;
    EXPECT_FALSE(root->handleMenuCommand(point, kEditMenuId, true, &chosen));
    EXPECT_FALSE(root->handleMenuCommand(point, kEditMenuId, false, nullptr));

    // In edit mode: save and check out.
    static_cast<TestViewMan*>(viewMan)->setEditModeForTest(true);
    root->buildEditMenu(point, true, 0);
    EXPECT_NE(menuItem("save changes"), nullptr);
    EXPECT_NE(menuItem("check out"), nullptr);
    EXPECT_EQ(menuItem("back to edit"), nullptr);
}

TEST_F(RootViewTest, MessageFortyOneTogglesTheGridAndShowsItOnTheInfoLine)
{
    // The GUI editor's keys work in GUI-editing mode.
    views.push_back(std::make_unique<TestViewMan>(&interface, nullptr, nullptr));
    AM_PluginInfo info = pluginInfo("TestSynth");
    info.optionByte = 1;
    views.back()->setProcessDescription(&info);
    views.back()->init(nullptr);
    AM_RootView* root = openRoot(views.back().get());
    root->receiveMessage(viewMan, AM_RootView::kMsgToggleGrid, 0, nullptr);
    EXPECT_TRUE(root->isGridShown());
    const AM_InfoLine* line = viewMan->getInfoLine(0);
    EXPECT_STREQ(line->title, "Grid ON");
    EXPECT_STREQ(line->text, "pix: 20");
    EXPECT_EQ(line->subject, root);
    // The G key of the GUI editor sends it.
    static_cast<TestViewMan*>(viewMan)->setEditModeForTest(true);
    viewMan->handleKey('g', 0, 0);
    EXPECT_FALSE(root->isGridShown());
    EXPECT_STREQ(viewMan->getInfoLine(0)->title, "Grid OFF");
}

TEST_F(RootViewTest, MessageFortyEightBindsTheInspectorFieldsToTheRootsFields)
{
    AM_RootView* root = openRoot();
    const AM_Rect area{0, 0, 64, 12};
    auto* gridField = new FakeField(viewMan, &area);
    gridField->setName("*i*GridMenu");
    top->addControl(gridField, kAllLayers, false);
    auto* cloneField = new FakeField(viewMan, &area);
    cloneField->setName("*i*CloneMode");
    top->addControl(cloneField, kAllLayers, false);
    auto* scaleField = new FakeField(viewMan, &area);
    scaleField->setName("*i*TF_h");
    top->addControl(scaleField, kAllLayers, false);

    viewMan->sendMessage(AM_ViewMan::kControlsClassMask, AM_RootView::kMsgBindInspector, 0,
                         nullptr);
    EXPECT_EQ(gridField->field.owner, root);
    EXPECT_EQ(gridField->label, "Grid px");
    EXPECT_EQ(gridField->field.kind, AM_InspectorField::kInt32);
    EXPECT_EQ(gridField->field.minimum, 8);
    EXPECT_EQ(gridField->field.maximum, 32);
    ASSERT_NE(gridField->field.field, nullptr);
    *static_cast<int32_t*>(gridField->field.field) = 16;
    EXPECT_EQ(root->getGridSize(), 16);

    EXPECT_EQ(cloneField->field.kind, AM_InspectorField::kUInt32);
    EXPECT_EQ(cloneField->field.maximum, 17);
    ASSERT_NE(cloneField->field.valueTexts, nullptr);
    EXPECT_STREQ(cloneField->field.valueTexts[17], "next Module");
    *static_cast<uint32_t*>(cloneField->field.field) = 3;
    EXPECT_EQ(viewMan->getCloneMode(), 3u);

    EXPECT_EQ(scaleField->field.minimum, 25);
    EXPECT_EQ(scaleField->field.maximum, 400);
    *static_cast<int32_t*>(scaleField->field.field) = 250;
    EXPECT_EQ(viewMan->getEditTransform().h, 250);
}

TEST_F(RootViewTest, OutsideEditModeTheRootStillWritesItsProperties)
{
    AM_RootView* root = openRoot();
    root->setState(root->getState() & ~uint32_t(kStateEditMode));
    std::string script;
    root->receiveMessage(viewMan, AM_RootView::kMsgWriteProperties, 0, &script);
    EXPECT_TRUE(trace.contains("RootControl outputs properties anyway :-p"));
}

TEST_F(RootViewTest, ANewRootViewReplacesTheOldOneAndKeepsTheEditorsSettings)
{
    AM_RootView* root = openRoot();
    root->setGridSize(16);
    root->setGridShown(true);
    viewMan->setCloneMode(5);
    const AM_Rect area{10, 10, 50, 20};
    auto* child = new AM_ViewControl(viewMan, &area);
    root->addControl(child, kAllLayers, false);
    viewMan->newRootView();
    auto* fresh = static_cast<AM_RootView*>(viewMan->getRootView());
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->getFirstChildControl(), nullptr) << "the old GUI went with the old root";
    EXPECT_EQ(fresh->getParentControl(), top);
    EXPECT_EQ(top->getFirstChildControl(), fresh) << "only one root under the pane";
    EXPECT_EQ(fresh->getNextControl(), nullptr);
    EXPECT_EQ(fresh->getGridSize(), 16);
    EXPECT_TRUE(fresh->isGridShown());
    EXPECT_EQ(viewMan->getCloneMode(), 5u);
}

} // namespace
