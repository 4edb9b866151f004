#include "ControlFixture.h"
#include "TraceCapture.h"

#include "gui/controls/AM_View_Knob.h"
#include "gui/controls/AM_View_Pane.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/views/AM_ControlMessages.h"

#include <cmath>
#include <limits>

namespace {

using namespace controltest;

class PaneTest : public ControlTest {
protected:
    PaneTest() { AM_View_Pane::resetDragScratch(); }
    ~PaneTest() override { AM_View_Pane::resetDragScratch(); }

    // A visible run-mode pane of `layers` layers at the top of the tree.
    AM_View_Pane* pane(int layers, AM_Rect bounds = {0, 0, 200, 200},
                       AM_ViewControl* parent = nullptr, const char* type = "Pane")
    {
        auto* p = make<AM_View_Pane>(type, bounds, parent);
        for (int n = 1; n < layers; ++n)
            p->setProperty("layer", n, ("L" + std::to_string(n)).c_str());
        p->setProperty("layer", 0, "L0");
        return p;
    }
    AM_ViewControl* child(AM_ViewControl* parent, uint32_t mask, AM_Rect bounds = {10, 10, 20, 20})
    {
        AM_ViewControl* c = vm->createControl("Knob", &bounds);
        parent->addControl(c, mask, false);
        c->setState(c->getState() & ~kStateEditMode);
        return c;
    }
    static void select(AM_ViewControl* control, float layer) { control->setParameterValue(0, &layer); }
    AM_MenuItem item(uint32_t sub, uint32_t code = kMenuCodeOwnCommand, void* data = nullptr)
    {
        AM_MenuItem chosen;
        chosen.command = AM_menuCommand(sub, code);
        chosen.userData = data;
        return chosen;
    }
    AM_Colour* colour(const char* name, uint32_t rgba)
    {
        auto* c = new AM_Colour(vm.get(), name, rgba);
        vm->addColour(c);
        return c;
    }
};

TEST_F(PaneTest, OnlyTheChildrenOfTheCurrentLayerFollowThePane)
{
    AM_View_Pane* p = pane(3);
    AM_ViewControl* first = child(p, 0x1);
    AM_ViewControl* second = child(p, 0x2);
    AM_ViewControl* both = child(p, 0x3);
    AM_ViewControl* current = child(p, kAllLayers);
    EXPECT_EQ(current->getLayerMask(), 0x1u) << "all layers means the current one";

    struct Case {
        const char* what;
        float layer;
        bool paneVisible;
        bool first, second, both, current;
    };
    const Case cases[] = {
        {"layer 0", 0, true, true, false, true, true},
        {"layer 1", 1, true, false, true, true, false},
        {"layer 2 holds none of them", 2, true, false, false, false, false},
        {"a hidden pane hides every layer", 1, false, false, false, false, false},
        {"shown again, layer 1 only", 1, true, false, true, true, false},
    };
    for (const Case& c : cases) {
        select(p, c.layer);
        p->setVisible(c.paneVisible, kAllLayers, false);
        EXPECT_EQ(p->getCurrentLayer(), uint8_t(c.layer)) << c.what;
        EXPECT_EQ(first->isVisible(), c.first) << c.what;
        EXPECT_EQ(second->isVisible(), c.second) << c.what;
        EXPECT_EQ(both->isVisible(), c.both) << c.what;
        EXPECT_EQ(current->isVisible(), c.current) << c.what;
    }
    // A child added to another layer than the current one starts hidden.
    EXPECT_FALSE(child(p, 0x4)->isVisible());
}

TEST_F(PaneTest, LayerValuesOutsideTheLayersSelectTheFirst)
{
    AM_View_Pane* p = pane(4);
    for (float value : {40.0f, -3.0f, 4.0f, std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(), 1e30f}) {
        select(p, 2);
        select(p, value);
        EXPECT_EQ(p->getCurrentLayer(), 0) << value;
    }
    select(p, 3.7f);
    EXPECT_EQ(p->getCurrentLayer(), 3) << "truncated";
}

TEST_F(PaneTest, LayerPropertiesGrowTheCountWithinThirtyTwoLayers)
{
    auto* p = make<AM_View_Pane>("Pane", {0, 0, 100, 100});
    EXPECT_EQ(p->getNumLayers(), 1);
    p->setProperty("layer", 5, "Mod");
    EXPECT_EQ(p->getNumLayers(), 6);
    for (int n = 1; n <= 4; ++n)
        EXPECT_STREQ(p->getLayerName(n), ("Layer " + std::to_string(n + 1)).c_str());
    EXPECT_STREQ(p->getLayerName(5), "Mod");

    testsupport::TraceCapture trace;
    p->setProperty("layer", 32, "Too far");
    p->setProperty("layer", -1, "Before");
    EXPECT_EQ(p->getNumLayers(), 6);
    EXPECT_EQ(trace.count("layer 32 refused"), 1);
    EXPECT_EQ(trace.count("layer -1 refused"), 1);
    EXPECT_EQ(p->getLayerName(32), nullptr);
    EXPECT_FALSE(p->setLayerName(40, "x"));

    p->setProperty("layer", 31, "Last");
    EXPECT_EQ(p->getNumLayers(), 32);
    p->addLayer("More");
    EXPECT_EQ(p->getNumLayers(), 32);
    EXPECT_TRUE(trace.contains("no layer added, it has 32 already"));

    auto* q = make<AM_View_Pane>("Pane", {0, 0, 100, 100});
    q->addLayer("Second");
    EXPECT_EQ(q->getNumLayers(), 2);
    EXPECT_EQ(q->getCurrentLayer(), 1) << "the new layer is selected";
    EXPECT_STREQ(q->getLayerName(1), "Second");
}

TEST_F(PaneTest, ACollapsedPaneShrinksItsParentOnceAndGrowsItBack)
{
    AM_View_Pane* parent = pane(1, {0, 0, 200, 200});
    AM_View_Pane* coll = pane(1, {0, 150, 200, 50}, parent, "CollPane");
    EXPECT_STREQ(coll->getTypeName(), "CollPane");
    EXPECT_TRUE(coll->isCollapsible());
    EXPECT_TRUE(coll->hasTimer());
    coll->setProperty("layer", 1, "-");

    select(coll, 1);
    EXPECT_TRUE(coll->isCollapsed());
    EXPECT_EQ(parent->getBounds().h, 150);
    select(coll, 1);
    EXPECT_EQ(parent->getBounds().h, 150) << "the bottom test keeps it from shrinking twice";
    select(coll, 0);
    EXPECT_FALSE(coll->isCollapsed());
    EXPECT_EQ(parent->getBounds().h, 200);
    select(coll, 0);
    EXPECT_EQ(parent->getBounds().h, 200);

    // Renaming the current layer to "-" collapses at once.
    coll->setLayerName(0, "-");
    EXPECT_TRUE(coll->isCollapsed());
    EXPECT_EQ(parent->getBounds().h, 150);

    // A plain pane ignores the name.
    AM_View_Pane* plainParent = pane(1, {300, 0, 100, 100});
    AM_View_Pane* plain = pane(2, {300, 50, 100, 50}, plainParent);
    plain->setLayerName(1, "-");
    select(plain, 1);
    EXPECT_FALSE(plain->isCollapsed());
    EXPECT_EQ(plainParent->getBounds().h, 100);
}

TEST_F(PaneTest, AHiddenChildIsBroughtIntoViewUnlessTheActiveControlWouldVanish)
{
    AM_View_Pane* p = pane(4);
    AM_ViewControl* onTwo = child(p, 0x4 | 0x8, {10, 10, 20, 20});
    AM_ViewControl* onZero = child(p, 0x1, {100, 100, 28, 28});
    ASSERT_FALSE(onTwo->isVisible());

    // The press makes the knob on layer 0 the active control.
    vm->handleMouseDown(110, 110, 0);
    ASSERT_EQ(vm->getActiveControl(), onZero);
    testsupport::TraceCapture trace;
    onTwo->receiveMessage(onTwo, kCtlMsgBringIntoView, 0, nullptr);
    EXPECT_EQ(p->getCurrentLayer(), 0);
    EXPECT_TRUE(trace.contains("Can not switch layer because current control would become invisible"));
    vm->handleMouseUp(110, 110, 0);

    // Once the active control lives on the target too (or there is none in
    // the pane), the lowest layer of the child's mask is selected.
    onZero->setLayerMask(0x1 | 0x4);
    onTwo->receiveMessage(onTwo, kCtlMsgBringIntoView, 0, nullptr);
    EXPECT_EQ(p->getCurrentLayer(), 2);
    EXPECT_TRUE(onTwo->isVisible());

    // A child already on the current layer changes nothing.
    p->receiveMessage(onZero, kCtlMsgBringIntoView, 0, nullptr);
    EXPECT_EQ(p->getCurrentLayer(), 2);
}

TEST_F(PaneTest, AHiddenPaneAsksItsParentToShowIt)
{
    AM_View_Pane* outer = pane(2);
    AM_View_Pane* inner = pane(2, {10, 10, 100, 100});
    inner->unlink();
    outer->addControl(inner, 0x2, false);
    ASSERT_FALSE(inner->isVisible());
    // A selected module named like a layer of the hidden inner pane.
    inner->setLayerName(1, "Env");
    inner->receiveMessage(nullptr, kPaneMsgModuleSelected, 1, const_cast<char*>("Env"));
    EXPECT_EQ(inner->getCurrentLayer(), 1);
    EXPECT_EQ(outer->getCurrentLayer(), 1);
    EXPECT_TRUE(inner->isVisible());
}

TEST_F(PaneTest, SelectedModulesHighlightOrSelectTheirLayer)
{
    AM_View_Pane* p = pane(3);
    p->setLayerName(2, "Osc");
    p->receiveMessage(nullptr, kPaneMsgModuleSelected, 1, const_cast<char*>("Osc"));
    EXPECT_EQ(p->getCurrentLayer(), 2) << "without a highlight colour the layer is selected";
    EXPECT_EQ(p->getHighlightLayer(), AM_View_Pane::kNoHighlight);
    p->receiveMessage(nullptr, kPaneMsgModuleSelected, 0, const_cast<char*>("L1"));
    EXPECT_EQ(p->getCurrentLayer(), 2) << "a module left selects nothing";

    AM_View_Pane* h = pane(3, {300, 0, 100, 100});
    h->setColour(colour("Hilite", 0xFF8000FF), 2);
    h->setLayerName(1, "Env");
    h->receiveMessage(nullptr, kPaneMsgModuleSelected, 1, const_cast<char*>("Env"));
    EXPECT_EQ(h->getHighlightLayer(), 1u);
    EXPECT_EQ(h->getCurrentLayer(), 1);
    h->receiveMessage(nullptr, kPaneMsgModuleSelected, 0, const_cast<char*>("Env"));
    EXPECT_EQ(h->getHighlightLayer(), AM_View_Pane::kNoHighlight);
    h->receiveMessage(nullptr, kPaneMsgModuleSelected, 1, const_cast<char*>("Nothing"));
    EXPECT_EQ(h->getHighlightLayer(), AM_View_Pane::kNoHighlight);
}

TEST_F(PaneTest, EmbeddingMovesTheSenderOntoTheLayer)
{
    AM_View_Pane* target = pane(3);
    AM_View_Pane* other = pane(1, {300, 0, 100, 100});
    AM_ViewControl* moved = child(other, kAllLayers, {310, 10, 20, 20});
    testsupport::TraceCapture trace;
    target->receiveMessage(moved, kPaneMsgEmbed, 0x4, nullptr);
    EXPECT_EQ(moved->getParentControl(), target);
    EXPECT_EQ(moved->getLayerMask(), 0x4u);
    EXPECT_FALSE(moved->isVisible());
    EXPECT_EQ(moved->getBounds().x, 310);
    EXPECT_TRUE(trace.contains(std::string(moved->getName()) + " - 310.00 310.00"))
        << trace.text();

    // A container is never moved into its own subtree.
    AM_View_Pane* inner = pane(1, {10, 10, 50, 50}, target);
    inner->receiveMessage(target, kPaneMsgEmbed, 0x1, nullptr);
    EXPECT_EQ(inner->getParentControl(), target);
    EXPECT_EQ(target->getParentControl(), nullptr);
}

TEST_F(PaneTest, AMovablePaneIsDraggedWithinItsParent)
{
    AM_View_Pane* parent = pane(1, {0, 0, 200, 200});
    AM_View_Pane* movable = pane(1, {20, 20, 50, 50}, parent);
    AM_View_Pane* sibling = pane(1, {100, 100, 50, 50}, parent);
    movable->setMovable(true);
    const float down[2] = {30, 30};
    EXPECT_TRUE(movable->onMouseDown(down, 0));
    EXPECT_EQ(sibling->getNext(), movable) << "moved to the end, drawn on top";

    struct Step {
        float x, y;
        float expectX, expectY;
    };
    const Step steps[] = {
        {40.4f, 30.5f, 30, 21},   // halves round up
        {10, 10, 0, 0},           // held at the parent's left and top
        {500, 500, 150, 150},     // and at its right and bottom
        {29.6f, 29.4f, 20, 19},
    };
    for (const Step& s : steps) {
        const float at[2] = {s.x, s.y};
        movable->onMouseDrag(at, 0);
        EXPECT_EQ(movable->getBounds().x, s.expectX) << s.x;
        EXPECT_EQ(movable->getBounds().y, s.expectY) << s.y;
    }
}

TEST_F(PaneTest, RackMembersMoveAmongVisibleSiblingsOrHandThePressUp)
{
    AM_View_Pane* parent = pane(1, {0, 0, 200, 400});
    AM_View_Pane* a = pane(1, {0, 0, 200, 50}, parent);
    AM_View_Pane* hidden = pane(1, {0, 50, 200, 50}, parent);
    AM_View_Pane* b = pane(1, {0, 100, 200, 50}, parent);
    AM_View_Pane* c = pane(1, {0, 150, 200, 50}, parent);
    hidden->setVisible(false, kAllLayers, false);
    b->setRackMember(true);

    ASSERT_EQ(a->getNext(), hidden);
    ASSERT_EQ(hidden->getNext(), b);
    const float top[2] = {10, 103};
    EXPECT_FALSE(b->onMouseDown(top, 0));
    EXPECT_EQ(parent->getFirstChildControl(), b) << "before the nearest visible sibling above";
    EXPECT_EQ(b->getNext(), a);

    const float bottom[2] = {10, 145};
    EXPECT_FALSE(b->onMouseDown(bottom, 0));
    EXPECT_EQ(a->getNext(), b) << "after the nearest visible sibling below";
    EXPECT_EQ(b->getNext(), hidden);
    const float bottomAgain[2] = {10, 145};
    EXPECT_FALSE(b->onMouseDown(bottomAgain, 0));
    EXPECT_EQ(c->getNext(), b) << "the hidden sibling is passed over";

    // Between the strips the press goes to the parent, which keeps nothing.
    const float middle[2] = {10, 120};
    EXPECT_FALSE(b->onMouseDown(middle, 0));
    EXPECT_FALSE(b->isForwardingMouse());
    // A movable parent takes it, and the drag follows through the member.
    parent->setMovable(true);
    EXPECT_TRUE(b->onMouseDown(middle, 0));
    EXPECT_TRUE(b->isForwardingMouse());
    const float moved[2] = {10, 120};
    b->onMouseDrag(moved, 0);
    b->onMouseUp(moved, 0);
    EXPECT_FALSE(b->isForwardingMouse());
}

TEST_F(PaneTest, TheRunMenuOffersScriptsAndZoomSizes)
{
    AM_View_Pane* p = pane(1, {0, 0, 300, 200});
    vm->addScript("a.txt", "Dark", 0, 0);
    vm->addScript("b.txt", "Light", 1, 0);
    vm->setZoom(1.5f);
    const float at[2] = {5, 5};
    EXPECT_FALSE(p->onMouseDown(at, 2));
    std::vector<std::string> texts;
    std::vector<uint32_t> flags;
    for (const auto& i : vm->items) {
        texts.push_back(i.text);
        flags.push_back(i.flags);
    }
    const std::vector<std::string> expected = {
        "Dark", "Light", "-", "make default", "-", "cute - 150 x 100", "tiny - 200 x 133",
        "small - 225 x 150", "normal - 300 x 200", "large - 450 x 300", "huge - 600 x 400",
        "cinematic - 750 x 500"};
    EXPECT_EQ(texts, expected);
    ASSERT_EQ(flags.size(), expected.size());
    for (size_t k = 5; k < flags.size(); ++k)
        EXPECT_EQ(flags[k], k == 9 ? uint32_t(kMenuChecked) : uint32_t(kMenuCheckable)) << k;
    EXPECT_EQ(vm->items[0].command, int32_t(AM_menuCommand(0, 23)));
    EXPECT_EQ(vm->items[3].command, int32_t(AM_menuCommand(999, 23)));

    const AM_MenuItem huge = item(6, AM_View_Pane::kZoomCode);
    EXPECT_TRUE(p->handleMenuCommand(at, kRunMenuId, true, &huge));
    EXPECT_EQ(vm->getZoom(), 2.0f);
    const AM_MenuItem script = item(1, AM_View_Pane::kScriptCode);
    EXPECT_TRUE(p->handleMenuCommand(at, kRunMenuId, true, &script));
    const AM_MenuItem none = item(3, AM_View_Pane::kZoomCode);
    EXPECT_TRUE(p->handleMenuCommand(at, kRunMenuId, false, &none));
    EXPECT_EQ(vm->getZoom(), 2.0f) << "nothing chosen does nothing";
}

TEST_F(PaneTest, EditCommandsToggleTheSwitches)
{
    AM_View_Pane* root = pane(1);
    AM_View_Pane* p = pane(2, {10, 10, 100, 100}, root);
    vm->setRootViewForTest(root);
    vm->setEditMode(true);
    ASSERT_TRUE(vm->isEditMode());
    const float at[2] = {5, 5};
    p->buildEditMenu(at, true, 0);
    std::vector<std::string> texts;
    for (const auto& i : vm->items)
        texts.push_back(i.text);
    // The name first; the pane's own items after the base's.
    const std::vector<std::string> expected = {"-", "rename L0", "-", "movable", "hideOnInit",
                                               "RackMember", "collapsible", "-", "save to file",
                                               "edit script"};
    ASSERT_GT(texts.size(), expected.size());
    EXPECT_EQ(texts.front(), p->getName());
    EXPECT_EQ(std::vector<std::string>(texts.end() - long(expected.size()), texts.end()), expected);

    struct Case {
        uint32_t sub;
        bool (AM_View_Pane::*flag)() const;
    };
    const Case cases[] = {
        {AM_View_Pane::kCmdMovable, &AM_View_Pane::isMovable},
        {AM_View_Pane::kCmdHideOnInit, &AM_View_Pane::isHideOnInit},
        {AM_View_Pane::kCmdRackMember, &AM_View_Pane::isRackMember},
        {AM_View_Pane::kCmdCollapsible, &AM_View_Pane::isCollapsible},
    };
    for (const Case& c : cases) {
        const AM_MenuItem chosen = item(c.sub);
        EXPECT_TRUE(p->handleMenuCommand(at, kEditMenuId, true, &chosen));
        EXPECT_TRUE((p->*c.flag)()) << c.sub;
        EXPECT_TRUE(p->handleMenuCommand(at, kEditMenuId, true, &chosen));
        EXPECT_FALSE((p->*c.flag)()) << c.sub;
    }
    EXPECT_STREQ(p->getTypeName(), "Pane");

    // The layer rename edits the current layer's name in place; a name a
    // script cannot hold is refused and the old one stays.
    const AM_MenuItem rename = item(AM_View_Pane::kCmdRenameLayer);
    EXPECT_TRUE(p->handleMenuCommand(at, kEditMenuId, true, &rename));
    ASSERT_TRUE(vm->isTextEntryOpen());
    EXPECT_EQ(vm->entries.back().text, "L0");
    std::snprintf(const_cast<char*>(p->getLayerName(0)), 32, "Filter");
    vm->endTextEntry();
    EXPECT_STREQ(p->getLayerName(0), "Filter");
    EXPECT_TRUE(p->handleMenuCommand(at, kEditMenuId, true, &rename));
    testsupport::TraceCapture trace;
    std::snprintf(const_cast<char*>(p->getLayerName(0)), 32, "Bad'Name");
    vm->endTextEntry();
    EXPECT_STREQ(p->getLayerName(0), "Filter");
    EXPECT_TRUE(trace.contains("layer name refused"));
}

TEST_F(PaneTest, ARackMemberTakesAModuleNameAndAsksItsParent)
{
    AM_View_Pane* parent = pane(1);
    AM_View_Pane* member = pane(1, {0, 0, 100, 50}, parent);
    member->setRackMember(true);
    testsupport::TraceCapture trace;
    const float at[2] = {5, 5};
    const AM_MenuItem env = item(1, AM_View_Pane::kAssignModuleCode);
    EXPECT_TRUE(member->handleMenuCommand(at, kEditMenuId, true, &env));
    EXPECT_STREQ(member->getLayerName(0), "Env");
    EXPECT_TRUE(trace.contains("reassigning Rackmember!"));
    EXPECT_TRUE(trace.contains("setting first layer name to Env"));
    EXPECT_TRUE(trace.contains("asking parent to set us straight from 1"));
    const AM_MenuItem missing = item(9, AM_View_Pane::kAssignModuleCode);
    EXPECT_TRUE(member->handleMenuCommand(at, kEditMenuId, true, &missing));
    EXPECT_STREQ(member->getLayerName(0), "Env");
}

TEST_F(PaneTest, ClonesTakeLayersButNotTheDragSwitches)
{
    AM_View_Pane* p = pane(3, {0, 0, 100, 100}, nullptr, "CollPane");
    p->setMovable(true);
    p->setHideOnInit(true);
    p->setRackMember(true);
    auto* copy = make<AM_View_Pane>("Pane", {0, 0, 100, 100});
    p->copyProperties(copy);
    EXPECT_EQ(copy->getNumLayers(), 3);
    EXPECT_STREQ(copy->getLayerName(2), "L2");
    EXPECT_TRUE(copy->isRackMember());
    EXPECT_TRUE(copy->isCollapsible());
    EXPECT_FALSE(copy->isMovable());
    EXPECT_FALSE(copy->isHideOnInit());
}

TEST_F(PaneTest, HideOnInitPanesHideWhenTheGuiHasLoaded)
{
    AM_View_Pane* p = pane(1);
    AM_View_Pane* q = pane(1, {300, 0, 100, 100});
    p->setProperty("hideOnInit", 0, "YES");
    q->setProperty("hideOnInit", 0, "yes");
    EXPECT_FALSE(q->isHideOnInit()) << "only YES sets it";
    p->receiveMessage(nullptr, kPaneMsgGuiLoaded, 0, nullptr);
    q->receiveMessage(nullptr, kPaneMsgGuiLoaded, 0, nullptr);
    EXPECT_FALSE(p->isVisible());
    EXPECT_TRUE(q->isVisible());
}

TEST_F(PaneTest, PanesDrawTheirLayersAndHighlight)
{
    AM_View_Pane* root = pane(1, {0, 0, 240, 120});
    root->setColour(colour("PaneBack", 0x23262BFF), 0);
    AM_View_Pane* left = pane(2, {8, 8, 108, 104}, root);
    left->setColour(colour("PaneFill", 0x31353CFF), 0);
    left->setColour(colour("PaneEdge", 0x6A717DFF), 1);
    AM_View_Pane* right = pane(2, {124, 8, 108, 104}, root);
    right->setColour(colour("PaneFill2", 0x31353CFF), 0);
    right->setColour(colour("PaneEdge2", 0x6A717DFF), 1);
    right->setColour(colour("PaneGlow", 0xE9A23BFF), 2);
    right->setLayerName(1, "Osc");
    right->receiveMessage(nullptr, kPaneMsgModuleSelected, 1, const_cast<char*>("Osc"));
    child(left, 0x1, {20, 20, 28, 28});
    child(left, 0x2, {60, 60, 28, 28});
    child(right, 0x2, {150, 40, 28, 28});
    for (float zoom : {1.0f, 2.0f})
        EXPECT_EQ(paint(root, 240, 120, "panes", zoom), "") << zoom;
}

TEST_F(PaneTest, ScriptLinesRoundTrip)
{
    const std::string script =
        "CONTROL type='Pane' name='Main' bounds='0 0 300 200'\n"
        "CONTROL type='CollPane' name='Fold' bounds='0 150 300 50' parent='Main'\n"
        "CONTROL type='Knob' name='Cut' bounds='10 10 28 28' parent='Fold' layerMask='2'\n"
        "PROPERTY control='Main' name='layer' id='0' value='Front'\n"
        "PROPERTY control='Main' name='movable' id='0' value='YES'\n"
        "PROPERTY control='Main' name='hideOnInit' id='0' value='YES'\n"
        "PROPERTY control='Main' name='RackMember' id='0' value='YES'\n"
        "PROPERTY control='Fold' name='layer' id='0' value='Open'\n"
        "PROPERTY control='Fold' name='layer' id='1' value='-'\n";
    vm->parseScript(script.c_str(), int32_t(script.size()), true);
    auto* main = dynamic_cast<AM_View_Pane*>(vm->getTopControl()->findByName("Main"));
    auto* fold = dynamic_cast<AM_View_Pane*>(vm->getTopControl()->findByName("Fold"));
    ASSERT_NE(main, nullptr);
    ASSERT_NE(fold, nullptr);
    EXPECT_TRUE(main->isMovable());
    EXPECT_TRUE(main->isHideOnInit());
    EXPECT_TRUE(main->isRackMember());
    EXPECT_TRUE(fold->isCollapsible());
    EXPECT_EQ(fold->getNumLayers(), 2);

    std::string first;
    main->writeControl(&first);
    EXPECT_NE(first.find("CONTROL type='Pane' name='Main'"), std::string::npos) << first;
    for (const char* line : {"\nPROPERTY control='Main' name='layer' id='0' value='Front'",
                             "\nPROPERTY control='Main' name='movable' id='0' value='YES'",
                             "\nPROPERTY control='Main' name='hideOnInit' id='0' value='YES'",
                             "\nPROPERTY control='Main' name='RackMember' id='0' value='YES'"})
        EXPECT_NE(first.find(line), std::string::npos) << line;
    std::string second;
    fold->writeControl(&second);
    EXPECT_NE(second.find("CONTROL type='CollPane' name='Fold'"), std::string::npos) << second;
    EXPECT_NE(second.find("\nPROPERTY control='Fold' name='layer' id='1' value='-'"),
              std::string::npos);

    // Read back into a fresh GUI, the tree writes the same text.
    std::string whole;
    main->writeControlTree(&whole);
    main->writePropertyTree(&whole);
    NamedInterface other;
    MenuViewMan fresh(&other, nullptr, nullptr);
    const AM_PluginInfo info = pluginInfo("OtherSynth");
    fresh.setProcessDescription(&info);
    fresh.init(nullptr);
    fresh.registerDefaults();
    AM_installStandardControls(&fresh);
    fresh.parseScript(whole.c_str(), int32_t(whole.size()), true);
    auto* again = dynamic_cast<AM_View_Pane*>(fresh.getTopControl()->findByName("Main"));
    ASSERT_NE(again, nullptr);
    std::string copy;
    again->writeControlTree(&copy);
    again->writePropertyTree(&copy);
    EXPECT_EQ(copy, whole);
}

} // namespace
