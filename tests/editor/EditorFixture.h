#pragma once
// The plug-in from the module's entry with the real editor, whose window is
// an in-memory one the test drives (events posted, drops made, pixels read
// back), and the recording host of the interface tests.

#include "InterfaceFixture.h"

#include "editor/AM_EditorViewMan.h"
#include "editor/AM_EditorWindowOpener.h"
#include "editor/AM_VST_Editor.h"
#include "gui/views/AM_ViewControl.h"
#include "platform/HeadlessEditorWindow.h"

#include <memory>
#include <vector>

namespace editortest {

struct OpenedWindow {
    platform::HeadlessEditorWindow* window;
    uintptr_t parent;
    int width;
    int height;
};

// Every window the editors opened, in order (the objects belong to the
// editors; a closed editor's entry dangles and is not used).
inline std::vector<OpenedWindow> g_windows;
inline bool g_refuseWindows = false;

inline std::unique_ptr<platform::EditorWindow> openHeadless(uintptr_t parent, int width, int height)
{
    if (g_refuseWindows)
        return nullptr;
    auto window = std::make_unique<platform::HeadlessEditorWindow>(width, height);
    g_windows.push_back({window.get(), parent, width, height});
    return window;
}

class EditorTest : public viewtest::InterfaceTest {
protected:
    void SetUp() override
    {
        InterfaceTest::SetUp();
        AM_VST_setEditorFactory(&AM_VST_Editor::create);
        AM_setEditorWindowOpener(&openHeadless);
        AM_VST_Editor::resetOpenEditorCount();
        g_windows.clear();
        g_refuseWindows = false;
    }
    void TearDown() override
    {
        InterfaceTest::TearDown();
        AM_setEditorWindowOpener(nullptr);
        AM_VST_Editor::resetOpenEditorCount();
        g_windows.clear();
    }

    static AM_VST_Editor& ed(AEffect* e)
    {
        return *static_cast<AM_VST_Editor*>(plugin(e).getEditorSeam());
    }
    static AM_EditorViewMan& vm(AEffect* e) { return *ed(e).getViewManager(); }
    static AM_VST_View_Interface& ui(AEffect* e) { return *ed(e).getInterface(); }
    static float value(AEffect* e, int32_t index)
    {
        float v = 0.0f;
        std::memcpy(&v, ui(e).getParameterValue(index), sizeof v);
        return v;
    }
    static platform::HeadlessEditorWindow& win(AEffect* e)
    {
        return *static_cast<platform::HeadlessEditorWindow*>(ed(e).editorWindow());
    }
    static ERect rect(AEffect* e)
    {
        ERect* r = nullptr;
        EXPECT_EQ(dispatch(e, effEditGetRect, 0, 0, &r), 1);
        return r != nullptr ? *r : ERect{};
    }
    static void post(AEffect* e, platform::WindowEventKind kind, int x, int y,
                     platform::PointerButton button = platform::PointerButton::Primary,
                     int modifiers = 0)
    {
        platform::WindowEvent event;
        event.kind = kind;
        event.x = x;
        event.y = y;
        event.button = button;
        event.modifiers = modifiers;
        win(e).post(event);
    }
    static void idle(AEffect* e) { dispatch(e, effEditIdle); }
};

} // namespace editortest

namespace editortest {

// A pane with one knob bound to the first published float parameter, the
// GUI sized to the pane.
struct Panel {
    AM_ViewControl* pane = nullptr;
    AM_ViewControl* knob = nullptr;
    int32_t parameter = -1;
    int32_t published = -1;
};

inline Panel buildPanel(AM_EditorViewMan& vm, AM_VST_View_Interface& ui)
{
    Panel panel;
    const AM_Rect paneBounds{0, 0, 300, 200};
    panel.pane = vm.createControl("Pane", &paneBounds);
    if (AM_ViewControl* root = vm.getRootView()) {
        // The panel is the whole GUI: under the root view, which with the
        // editor root pane takes its size.
        root->addControl(panel.pane, kAllLayers, false);
        for (AM_ViewControl* c : {vm.getTopControl(), root}) {
            const AM_Rect b = c->getBounds();
            c->growBy(0, 0, paneBounds.w - b.w, paneBounds.h - b.h, false);
        }
    } else {
        vm.registerControl(panel.pane, nullptr);
    }
    panel.pane->setVisible(true, kAllLayers, false);
    panel.pane->setEditMode(false);
    const AM_Rect knobBounds{40, 40, 28, 28};
    panel.knob = vm.createControl("Knob", &knobBounds);
    panel.pane->addControl(panel.knob, kAllLayers, false);
    panel.knob->setVisible(true, kAllLayers, false);
    panel.knob->setEditMode(false);
    for (int32_t i = 0; i < ui.getNumParameters(); ++i) {
        const AM_ParamInfo* info = ui.getParameterInfo(i, false);
        if (info != nullptr && info->kind() == k_kindFloat && (info->flags & k_paramPublished) &&
            info->max > info->min) {
            panel.parameter = i;
            panel.published = info->publishedIndex;
            panel.knob->setPortParameter(0, info);
            break;
        }
    }
    vm.setZoom(1.0f);
    return panel;
}

} // namespace editortest
