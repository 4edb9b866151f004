#include "EditorFixture.h"

#include "editor/AM_PrivateDataFormat.h"
#include "gui/graphics/text/AM_FontSettings.h"
#include "gui/views/AM_MenuTable.h"
#include "platform/HeadlessPopupHost.h"
#include "platform/SaveForm.h"
#include "platform/TextPrompt.h"
#include "platform/ThreeWayQuestion.h"

#include <algorithm>
#include <functional>
#include <string>

namespace {

using namespace editortest;
using platform::PointerButton;
using platform::WindowEventKind;

TEST_F(EditorTest, OpeningMakesTheWindowInTheHostsWindowAtTheGuiSize)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    EXPECT_NE(e->flags & effFlagsHasEditor, 0);
    ASSERT_EQ(g_windows.size(), 1u);
    EXPECT_NE(g_windows[0].parent, 0u) << "the host's window is the parent";
    ASSERT_NE(ed(e).getViewManager(), nullptr);
    const AM_Rect& canvas = vm(e).getCanvasBounds();
    const ERect r = rect(e);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, static_cast<int>(canvas.w));
    EXPECT_EQ(r.bottom, static_cast<int>(canvas.h));
    EXPECT_EQ(win(e).width(), r.right);
    EXPECT_EQ(win(e).height(), r.bottom);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 1u);
    EXPECT_GE(win(e).focusRequests(), 1);
    EXPECT_EQ(vm(e).getDialogs().menus != nullptr, true);

    const uint32_t ticks = ed(e).getIdleTicks();
    EXPECT_GE(ticks, AM_VST_Editor::kFirstIdleTick);
    idle(e);
    idle(e);
    EXPECT_EQ(ed(e).getIdleTicks(), ticks + 2);

    dispatch(e, effEditClose);
    EXPECT_EQ(ed(e).getViewManager(), nullptr);
    EXPECT_EQ(ed(e).editorWindow(), nullptr);
    EXPECT_EQ(ed(e).getInterface(), nullptr);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 0u);
    idle(e); // an idle call after closing does nothing
}

TEST_F(EditorTest, TwoEditorsAreOpenAtOnceAndCountedApart)
{
    AEffect* first = openWithEditor();
    AEffect* second = openWithEditor();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 2u);
    EXPECT_NE(&win(first), &win(second));
    dispatch(first, effEditClose);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 1u);
    idle(second);
    dispatch(second, effEditClose);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 0u);
}

TEST_F(EditorTest, AWindowThatCannotBeMadeLeavesTheEditorClosed)
{
    g_refuseWindows = true;
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(ed(e).getViewManager(), nullptr);
    EXPECT_EQ(ed(e).getInterface(), nullptr);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 0u);
    static int parent = 0;
    EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, &parent), 0);
    g_refuseWindows = false;
    EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, &parent), 1);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 1u);
}

TEST_F(EditorTest, TheRectangleFollowsEveryResizeAndTheHostIsAsked)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const Panel panel = buildPanel(vm(e), ui(e));
    ERect r = rect(e);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.bottom, 200);
    EXPECT_EQ(win(e).width(), 300);
    EXPECT_EQ(win(e).height(), 200);

    host.sizes.clear();
    vm(e).setZoom(2.0f);
    r = rect(e);
    EXPECT_EQ(r.right, 600);
    EXPECT_EQ(r.bottom, 400);
    EXPECT_EQ(win(e).width(), 600);
    EXPECT_EQ(win(e).height(), 400);
    EXPECT_EQ(host.sizes, std::vector<std::string>{"600x400"});
    (void)panel;
}

TEST_F(EditorTest, ASizeAskedForBeforeTheWindowExistsIsKeptForIt)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    dispatch(e, effEditClose);
    EXPECT_TRUE(ed(e).sizeWindow(640, 480));
    EXPECT_EQ(rect(e).right, 640);
    EXPECT_EQ(rect(e).bottom, 480);
    static int parent = 0;
    ASSERT_EQ(dispatch(e, effEditOpen, 0, 0, &parent), 1);
    ASSERT_EQ(g_windows.size(), 2u);
    EXPECT_EQ(g_windows[1].width, 640);
    EXPECT_EQ(g_windows[1].height, 480);
    // Then the GUI's own size, as the rectangle says.
    EXPECT_EQ(win(e).width(), rect(e).right);
    EXPECT_EQ(win(e).height(), rect(e).bottom);
}

TEST_F(EditorTest, DraggingAKnobChangesItsParameterWithTheHostsEditGesture)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const Panel panel = buildPanel(vm(e), ui(e));
    ASSERT_GE(panel.published, 0) << "the synth has a published float parameter";
    idle(e);
    host.edits.clear();
    host.automations.clear();
    const float before = value(e, panel.parameter);

    post(e, WindowEventKind::ButtonDown, 54, 54);
    idle(e);
    EXPECT_TRUE(ed(e).isCaptured());
    const uint32_t ticks = ed(e).getIdleTicks();
    post(e, WindowEventKind::PointerMove, 54, 34);
    idle(e);
    EXPECT_EQ(ed(e).getIdleTicks(), ticks + 2) << "a captured motion ticks at once";
    post(e, WindowEventKind::ButtonUp, 54, 34);
    idle(e);
    EXPECT_FALSE(ed(e).isCaptured());

    EXPECT_NE(value(e, panel.parameter), before);
    const std::string begin = "begin " + std::to_string(panel.published);
    const std::string end = "end " + std::to_string(panel.published);
    ASSERT_GE(host.edits.size(), 2u);
    EXPECT_EQ(host.edits.front(), begin);
    EXPECT_EQ(host.edits.back(), end);
    ASSERT_FALSE(host.automations.empty());
    EXPECT_TRUE(std::all_of(host.automations.begin(), host.automations.end(),
                            [&](const auto& a) { return a.index == panel.published; }));
}

TEST_F(EditorTest, APressOnNothingIsNotCapturedAndADoubleClickLeavesTheCapture)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    buildPanel(vm(e), ui(e));
    post(e, WindowEventKind::ButtonDown, 250, 180);
    idle(e);
    EXPECT_FALSE(ed(e).isCaptured());
    testsupport::TraceCapture trace;
    platform::WindowEvent doubleClick;
    doubleClick.kind = WindowEventKind::ButtonDown;
    doubleClick.x = 250;
    doubleClick.y = 180;
    doubleClick.button = PointerButton::Primary;
    doubleClick.doubleClick = true;
    win(e).post(doubleClick);
    idle(e);
    EXPECT_TRUE(trace.contains("mouse"));
    EXPECT_FALSE(ed(e).isCaptured());
    // No button: nothing happens.
    trace.clear();
    post(e, WindowEventKind::ButtonDown, 250, 180, PointerButton::NoButton);
    idle(e);
    EXPECT_FALSE(trace.contains("mouse"));
}

TEST_F(EditorTest, KeysTheGuiDoesNotTakeGoBackToTheHost)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    testsupport::TraceCapture trace;
    // effEditKeyDown: character in index, virtual key in value.
    EXPECT_EQ(dispatch(e, effEditKeyDown, 0, VKEY_F6), 0);
    EXPECT_TRUE(trace.contains("onKeyDown (VstKeyCode 45)"));
    EXPECT_TRUE(trace.contains("Orlen plugin doesn't use key"));

    platform::WindowEvent key;
    key.kind = WindowEventKind::KeyDown;
    key.virtualKey = platform::kVirtualKeyTab;
    win(e).post(key);
    idle(e);
    EXPECT_EQ(win(e).keysLeftToHost(), 1);
}

TEST_F(EditorTest, DropsAreReadInThePrivateFormatAndOthersRefused)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    buildPanel(vm(e), ui(e));
    testsupport::TraceCapture trace;
    const std::vector<uint8_t> patches =
        AM_encodePrivateData(kAM_DragKindPatchList, "Bank/Lead.preset", kAM_DragLengthOfText);
    EXPECT_TRUE(win(e).dropHere(54, 54, 0, patches));
    EXPECT_TRUE(trace.contains("it is a patch list!"));

    trace.clear();
    const std::vector<uint8_t> text =
        AM_encodePrivateData(kAM_DragKindText, "words", kAM_DragLengthOfText);
    EXPECT_TRUE(win(e).dropHere(54, 54, 0, text));
    EXPECT_FALSE(trace.contains("it is a patch list!"));
    EXPECT_FALSE(trace.contains("drop refused"));

    trace.clear();
    const std::string foreign = "text/plain\nhello";
    win(e).dropHere(54, 54, 0, std::vector<uint8_t>(foreign.begin(), foreign.end()));
    EXPECT_TRUE(trace.contains("drop refused: unknown type"));
}

// A control of the test's own put on the panel, in run mode.
template <class Control>
Control* addToPanel(AM_EditorViewMan& vm, const Panel& panel, const AM_Rect& bounds)
{
    auto* control = new Control(&vm, bounds);
    panel.pane->addControl(control, kAllLayers, false);
    control->setVisible(true, kAllLayers, false);
    control->setEditMode(false);
    return control;
}

// A control that records the drags that reach it.
class DragRecorder : public AM_ViewControl {
public:
    DragRecorder(AM_ViewMan* vm, const AM_Rect& bounds) : AM_ViewControl(vm, &bounds)
    {
        initControl(0, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, false);
    }
    const char* getTypeName() const override { return "DragRecorder"; }
    void onDragOver(const float*, uint32_t modifiers, uint32_t state) override
    {
        events.push_back("over " + std::to_string(modifiers) + " " +
                         std::to_string(int32_t(state)));
    }
    void onDragLeave() override { events.push_back("leave"); }
    std::vector<std::string> events;
};

TEST_F(EditorTest, ADragThatLeavesTheWindowGivesTheControlItsLeave)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const Panel panel = buildPanel(vm(e), ui(e));
    auto* recorder = addToPanel<DragRecorder>(vm(e), panel, AM_Rect{100, 100, 50, 50});

    EXPECT_TRUE(win(e).dragHere(120, 120, platform::kModifierShift));
    EXPECT_TRUE(win(e).dragHere(125, 120, platform::kModifierControl));
    win(e).dragAway();
    win(e).dragAway();
    using Events = std::vector<std::string>;
    EXPECT_EQ(recorder->events, (Events{"over 1 1", "over 4 1", "leave"}));
}

// A control that opens a menu on a press and records the item that comes
// back, with the point and the data it carries.
class MenuOpener : public AM_ViewControl {
public:
    MenuOpener(AM_ViewMan* vm, const AM_Rect& bounds) : AM_ViewControl(vm, &bounds)
    {
        initControl(0, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, false);
    }
    const char* getTypeName() const override { return "MenuOpener"; }
    bool onMouseDown(const float* point, uint32_t) override
    {
        viewMan_->beginMenu(this, point, kRunMenuId);
        viewMan_->addMenuItem(0, AM_menuCommand(1, kMenuCodeOwnCommand), "First", 0, 0, &first);
        viewMan_->addMenuItem(0, AM_menuCommand(2, kMenuCodeOwnCommand), "Second", 0, 0, &second);
        viewMan_->showMenu();
        return false;
    }
    bool handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                           const AM_MenuItem* item) override
    {
        if (valid && item != nullptr)
            chosen.push_back({item->text, item->userData, point[0], point[1], menuId});
        return true;
    }
    struct Chosen {
        std::string text;
        void* data;
        float x;
        float y;
        uint32_t menuId;
    };
    int first = 0;
    int second = 0;
    std::vector<Chosen> chosen;
};

// Opening a menu returns to the host at once: the idle calls go on while it
// is up, the GUI keeps its timer, and the chosen item reaches the control
// on the idle call that handles the click, with the menu's point and the
// item's data. Escape on a second menu chooses nothing.
TEST_F(EditorTest, AMenuStaysUpAcrossIdleCallsAndItsChoiceComesBackLater)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const Panel panel = buildPanel(vm(e), ui(e));
    auto* opener = addToPanel<MenuOpener>(vm(e), panel, AM_Rect{100, 100, 50, 50});
    platform::HeadlessPopupHost* popups = win(e).popupHost();
    ASSERT_NE(popups, nullptr);

    post(e, WindowEventKind::ButtonDown, 120, 130);
    idle(e);
    ASSERT_EQ(popups->openPanels().size(), 1u);
    const platform::HeadlessPopupHost::Panel menu = *popups->openPanels()[0];
    EXPECT_EQ(menu.rect.x, 120);
    EXPECT_EQ(menu.rect.y, 130);
    const uint32_t ticks = ed(e).getIdleTicks();
    for (int i = 0; i < 10; ++i)
        idle(e);
    EXPECT_EQ(ed(e).getIdleTicks(), ticks + 10);
    EXPECT_EQ(popups->openPanels().size(), 1u);
    EXPECT_TRUE(popups->grabbed());
    EXPECT_TRUE(opener->chosen.empty());

    // The second row: padding 4, rows of 20.
    popups->postMove(menu.rect.x + 30, menu.rect.y + 4 + 20 + 10);
    popups->postClick(menu.rect.x + 30, menu.rect.y + 4 + 20 + 10);
    idle(e);
    EXPECT_TRUE(popups->openPanels().empty());
    EXPECT_FALSE(popups->grabbed());
    ASSERT_EQ(opener->chosen.size(), 1u);
    EXPECT_EQ(opener->chosen[0].text, "Second");
    EXPECT_EQ(opener->chosen[0].data, &opener->second);
    EXPECT_EQ(opener->chosen[0].x, 120.0f);
    EXPECT_EQ(opener->chosen[0].y, 130.0f);
    EXPECT_EQ(opener->chosen[0].menuId, kRunMenuId);

    post(e, WindowEventKind::ButtonDown, 110, 110);
    idle(e);
    ASSERT_EQ(popups->openPanels().size(), 1u);
    popups->postKey(platform::kVirtualKeyEscape);
    idle(e);
    EXPECT_TRUE(popups->openPanels().empty());
    EXPECT_EQ(opener->chosen.size(), 1u);
}

// A control that takes every drop and says it did, as the view manager
// hears it from a control that takes drops: at once, or on its next tick.
class DropTaker : public AM_ViewControl {
public:
    DropTaker(AM_ViewMan* vm, const AM_Rect& bounds) : AM_ViewControl(vm, &bounds)
    {
        initControl(0, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, false);
    }
    const char* getTypeName() const override { return "DropTaker"; }
    void dropData(const float*, uint32_t keyFlags, uint32_t, uint32_t length,
                  const char* data) override
    {
        texts.emplace_back(data, length);
        if (!later) {
            viewMan_->setDropOutcome((keyFlags & 4) != 0 ? kDropCopied : kDropMoved);
            return;
        }
        viewMan_->setDropOutcome(kDropPending);
        setTimer(true);
    }
    void onTimer() override
    {
        viewMan_->setDropOutcome(kDropCopied);
        setTimer(false);
    }
    bool later = false;
    std::vector<std::string> texts;
};

std::vector<uint8_t> patchList(const char* text)
{
    return AM_encodePrivateData(kAM_DragKindPatchList, text, kAM_DragLengthOfText);
}

// The source hears what the editor did with a drop: the action the control
// performed, or refused when nothing took it.
TEST_F(EditorTest, ADropIsAnsweredWithWhatTheControlUnderItDid)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const Panel panel = buildPanel(vm(e), ui(e));
    auto* taker = addToPanel<DropTaker>(vm(e), panel, AM_Rect{100, 100, 50, 50});
    using platform::DropResult;
    const std::string noLineFeed(80, 'x');
    const std::string unknownType = "text/plain\nhello";
    struct Row {
        const char* name;
        int x;
        int modifiers;
        std::vector<uint8_t> bytes;
        DropResult result;
    };
    const Row rows[] = {
        {"moved", 120, 0, patchList("/a.preset"), DropResult::Moved},
        {"copied with Control", 120, platform::kModifierControl, patchList("/a.preset"),
         DropResult::Copied},
        {"over a control that takes nothing", 10, 0, patchList("/a.preset"), DropResult::Refused},
        {"a block without a line feed", 120, 0,
         std::vector<uint8_t>(noLineFeed.begin(), noLineFeed.end()), DropResult::Refused},
        {"an unknown type", 120, 0, std::vector<uint8_t>(unknownType.begin(), unknownType.end()),
         DropResult::Refused},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const size_t before = taker->texts.size();
        win(e).dropHere(row.x, 120, row.modifiers, row.bytes);
        EXPECT_EQ(win(e).dropResult(), row.result);
        EXPECT_EQ(taker->texts.size() - before, row.result == DropResult::Refused ? 0u : 1u);
    }

    // A control that does it on its tick: pending until then.
    taker->later = true;
    EXPECT_TRUE(win(e).dropHere(120, 120, 0, patchList("/b.preset")));
    EXPECT_EQ(win(e).dropResult(), DropResult::Pending);
    idle(e);
    EXPECT_EQ(win(e).dropResult(), DropResult::Copied);
}

// While a menu, prompt, save form or question is up, input to the GUI is
// blocked: drops too, whether the drag came before it opened or after.
TEST_F(EditorTest, DropsAreRefusedWhileAMenuOrFormIsOpenAndOutsideTheWindow)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const Panel panel = buildPanel(vm(e), ui(e));
    auto* taker = addToPanel<DropTaker>(vm(e), panel, AM_Rect{100, 100, 50, 50});
    addToPanel<MenuOpener>(vm(e), panel, AM_Rect{200, 100, 50, 50});
    const AM_PlatformDialogs dialogs = vm(e).getDialogs();
    struct Client : platform::SaveFormClient, platform::ThreeWayQuestionClient {
        void saveFormAccepted(const platform::SaveFormFields&) override {}
        void saveFormCancelled() override {}
        void questionAnswered(platform::QuestionAnswer) override {}
    } client;
    char text[32] = "name";
    struct Row {
        const char* name;
        std::function<void()> open;
        std::function<void()> close;
    };
    const Row rows[] = {
        {"a menu",
         [&] {
             post(e, WindowEventKind::ButtonDown, 220, 120);
             idle(e);
         },
         [&] {
             win(e).popupHost()->postKey(platform::kVirtualKeyEscape);
             idle(e);
         }},
        {"a prompt",
         [&] { vm(e).beginTextEntry(panel.knob, 1, text, sizeof text, nullptr, false); },
         [&] { dialogs.prompt->close(); }},
        {"the save form",
         [&] { dialogs.saveForm->open(platform::SaveFormFields{"n", "", "", ""}, {}, &client); },
         [&] { dialogs.saveForm->close(); }},
        {"a question", [&] { dialogs.question->ask(platform::QuestionText{}, &client); },
         [&] { dialogs.question->close(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        testsupport::TraceCapture trace;
        // Welcome before, refused once it is up: at the drop of a drag that
        // was welcome just before it opened, and at the next move.
        EXPECT_TRUE(win(e).dragHere(120, 120, 0));
        row.open();
        EXPECT_TRUE(win(e).dropAfterMove(120, 120, 0, patchList("/a.preset")));
        EXPECT_EQ(win(e).dropResult(), platform::DropResult::Refused);
        EXPECT_TRUE(trace.contains("drop refused: a menu or form is open")) << trace.text();
        EXPECT_FALSE(win(e).dragHere(121, 120, 0));
        EXPECT_FALSE(win(e).dropHere(120, 120, 0, patchList("/a.preset")));
        EXPECT_TRUE(taker->texts.empty());
        row.close();
        EXPECT_TRUE(win(e).dropHere(120, 120, 0, patchList("/a.preset")));
        EXPECT_EQ(win(e).dropResult(), platform::DropResult::Moved);
        taker->texts.clear();
    }

    // Outside the window (a source's position the window does not cover).
    testsupport::TraceCapture trace;
    for (const auto& [x, y] : {std::pair{-1, 120}, std::pair{120, -1},
                               std::pair{win(e).width(), 120}, std::pair{120, win(e).height()}}) {
        EXPECT_FALSE(win(e).dragHere(x, y, 0));
        EXPECT_TRUE(win(e).dropAfterMove(x, y, 0, patchList("/a.preset")));
        EXPECT_EQ(win(e).dropResult(), platform::DropResult::Refused);
    }
    EXPECT_TRUE(trace.contains("drop refused: outside the window"));
    EXPECT_TRUE(taker->texts.empty());
}

// A menu whose control goes away, or whose editor closes, goes down with
// it; nothing reaches what is gone.
TEST_F(EditorTest, AMenuGoesDownWithItsControlOrItsEditor)
{
    for (const bool closeEditor : {false, true}) {
        SCOPED_TRACE(closeEditor);
        AEffect* e = openWithEditor();
        ASSERT_NE(e, nullptr);
        const Panel panel = buildPanel(vm(e), ui(e));
        auto* opener = addToPanel<MenuOpener>(vm(e), panel, AM_Rect{100, 100, 50, 50});
        platform::HeadlessPopupHost* popups = win(e).popupHost();
        post(e, WindowEventKind::ButtonDown, 120, 130);
        idle(e);
        ASSERT_EQ(popups->openPanels().size(), 1u);
        if (closeEditor) {
            dispatch(e, effEditClose);
            EXPECT_EQ(ed(e).getViewManager(), nullptr);
            close(e);
            continue;
        }
        opener->unlink();
        delete opener;
        EXPECT_TRUE(popups->openPanels().empty());
        EXPECT_FALSE(popups->grabbed());
        EXPECT_FALSE(vm(e).isMenuShown());
        // The editor shows menus again.
        addToPanel<MenuOpener>(vm(e), panel, AM_Rect{100, 100, 50, 50});
        post(e, WindowEventKind::ButtonDown, 120, 130);
        idle(e);
        EXPECT_EQ(popups->openPanels().size(), 1u);
        close(e);
    }
}

TEST_F(EditorTest, ADragCarriesTheBlockWhateverItsOutcome)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const platform::DragResult outcomes[] = {
        platform::DragResult::Dropped, platform::DragResult::Refused,
        platform::DragResult::Cancelled, platform::DragResult::Failed};
    for (const platform::DragResult outcome : outcomes) {
        win(e).setDragResult(outcome);
        EXPECT_FALSE(vm(e).startDragDrop(nullptr, kAM_DragKindPatchList, kAM_DragLengthOfText,
                                         "Bank/Lead.preset"));
    }
    ASSERT_EQ(win(e).draggedData().size(), 4u);
    const std::vector<uint8_t> expected =
        AM_encodePrivateData(kAM_DragKindPatchList, "Bank/Lead.preset", kAM_DragLengthOfText);
    for (const auto& dragged : win(e).draggedData())
        EXPECT_EQ(dragged, expected);
}

TEST_F(EditorTest, ClosingAfterTheHostDestroyedTheParentIsSafe)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    win(e).destroyFromOutside();
    idle(e);
    idle(e);
    dispatch(e, effEditClose);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 0u);
    static int parent = 0;
    EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, &parent), 1);
}

TEST_F(EditorTest, ALostDisplayStopsTheDrawingAndTheHostStillClosesTheEditor)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    buildPanel(vm(e), ui(e));
    idle(e);
    const int presented = win(e).headlessSurface().presentCount();
    ASSERT_GT(presented, 0);
    win(e).loseConnection();
    // Events that were still queued behind the loss go nowhere.
    post(e, WindowEventKind::ButtonDown, 50, 50);
    idle(e);
    EXPECT_TRUE(ed(e).displayLost());
    EXPECT_TRUE(trace.contains("Editor: the display went away; the editor stops drawing"));
    const uint32_t ticks = ed(e).getIdleTicks();
    ed(e).invalidateAll();
    idle(e);
    idle(e);
    EXPECT_EQ(win(e).headlessSurface().presentCount(), presented);
    EXPECT_EQ(ed(e).getIdleTicks(), ticks);
    EXPECT_FALSE(ed(e).isCaptured());
    dispatch(e, effEditClose);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 0u);
    // A later open (on a display that is back) starts afresh.
    static int parent = 0;
    EXPECT_EQ(dispatch(e, effEditOpen, 0, 0, &parent), 1);
    EXPECT_FALSE(ed(e).displayLost());
    idle(e);
    EXPECT_GT(win(e).headlessSurface().presentCount(), 0);
}

TEST_F(EditorTest, TheAlertIsANoticeInTheWindowThatAClickCloses)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    buildPanel(vm(e), ui(e));
    idle(e);
    ed(e).invalidateAllWithAlert();
    idle(e);
    AM_EditorSurface& surface = ed(e).editorSurface();
    ASSERT_TRUE(surface.noticeUp());
    EXPECT_EQ(surface.noticeTitle(), "GUI");
    EXPECT_EQ(surface.noticeText(), "TOP");
    const platform::PixelRect area = surface.noticeArea();
    const uint32_t titlePixel = win(e).headlessSurface().pixel(area.x + area.w / 2, area.y + 4);
    EXPECT_EQ(titlePixel & 0xFFFFFFu, 0xB3261Eu) << std::hex << titlePixel;

    post(e, WindowEventKind::ButtonDown, area.x + 5, area.y + 5);
    idle(e);
    EXPECT_FALSE(surface.noticeUp());
    const uint32_t after = win(e).headlessSurface().pixel(area.x + area.w / 2, area.y + 4);
    EXPECT_NE(after & 0xFFFFFFu, 0xB3261Eu);
}

TEST_F(EditorTest, AGuiScriptThatIsNotSavedIsShownInTheNotice)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    idle(e);
    AM_EditorSurface& surface = ed(e).editorSurface();
    ASSERT_FALSE(surface.noticeUp());
    // The notice's text is measured in the editor's font (the test's data
    // folder has none).
    const std::string vera = KK_VERA_TTF;
    vm(e).setPath(kPathFonts, vera.substr(0, vera.rfind('/') + 1).c_str());
    AM_FontSettings::reset();
    // The GUI in use was not opened for editing: there is nothing to save into.
    EXPECT_FALSE(vm(e).saveScript());
    idle(e);
    ASSERT_TRUE(surface.noticeUp());
    EXPECT_EQ(surface.noticeTitle(), "GUI script not saved");
    EXPECT_EQ(surface.noticeText(), "This GUI was not opened from a script that can be edited.");
    // The text is longer than one line: the notice grows to hold it.
    const platform::PixelRect area = surface.noticeArea();
    EXPECT_GT(area.h, 86);
    const uint32_t titlePixel = win(e).headlessSurface().pixel(area.x + area.w / 2, area.y + 4);
    EXPECT_EQ(titlePixel & 0xFFFFFFu, 0xB3261Eu) << std::hex << titlePixel;
    dispatch(e, effEditClose);
    AM_FontSettings::reset();
}

} // namespace

namespace {

using namespace editortest;

TEST_F(EditorTest, ClosingWithAPromptOpenClosesItFirst)
{
    AEffect* e = openWithEditor();
    ASSERT_NE(e, nullptr);
    const Panel panel = buildPanel(vm(e), ui(e));
    idle(e);
    char text[32] = "name";
    ASSERT_TRUE(vm(e).beginTextEntry(panel.knob, 1, text, sizeof text, nullptr, false));
    const AM_PlatformDialogs dialogs = vm(e).getDialogs();
    ASSERT_NE(dialogs.prompt, nullptr);
    EXPECT_TRUE(dialogs.prompt->isOpen());
    idle(e);
    dispatch(e, effEditClose);
    EXPECT_EQ(ed(e).getViewManager(), nullptr);
    EXPECT_EQ(AM_VST_Editor::openEditorCount(), 0u);
    static int parent = 0;
    ASSERT_EQ(dispatch(e, effEditOpen, 0, 0, &parent), 1);
    EXPECT_FALSE(vm(e).getDialogs().prompt->isOpen());
}

} // namespace
