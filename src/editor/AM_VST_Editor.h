#pragma once
// The plug-in's editor as the host sees it: the host's editor calls (open,
// close, idle, getRect, keys, the wheel) and the events of its child window
// (pointer, keys, wheel, exposure, drops) become view-manager calls in GUI
// coordinates. Opening builds the GUI's whole setting: the view interface
// (by the base), the view manager with its software context, the child
// window inside the host's window, the menus and dialogs, the drop target.
//
// GUI thread only: every call comes from the host's user-interface thread.
// What the engine tells the editor arrives through the plug-in's queue on
// the idle call, before the timer tick.

#include "editor/AM_EditorSurface.h"
#include "platform/DragDrop.h"
#include "platform/EditorWindow.h"
#include "platform/WindowEvent.h"
#include "presets/AM_VST_EditorBase.h"

#include <cstdint>
#include <memory>

class AM_EditorViewMan;
class AM_EditorDialogs;

class AM_VST_Editor : public AM_VST_EditorBase,
                      private platform::WindowEventSink,
                      private platform::DropTarget,
                      private platform::DragSourceClient {
public:
    // Idle ticks counted from here.
    static constexpr uint32_t kFirstIdleTick = 100;
    // The bounds the view manager is opened with, before it fits the GUI.
    static constexpr float kInitialWidth = 1024.0f;
    static constexpr float kInitialHeight = 800.0f;

    // Registers with the effect as its editor.
    explicit AM_VST_Editor(AM_VST_base* effect);
    ~AM_VST_Editor() override;

    // The factory the module registers (AM_VST_setEditorFactory).
    static AM_VST_EditorSeam* create(AM_VST_base* effect);
    // Editors open in the process; a test reset.
    static uint32_t openEditorCount();
    static void resetOpenEditorCount();

    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    bool setKnobMode(VstInt32 mode) override;
    // Invalidates the whole GUI, asks the host for the size when it can
    // size windows, resizes the child window (or keeps the size for the
    // window still to come); the editor rectangle follows.
    bool sizeWindow(int32_t width, int32_t height) override;
    void* getWindow() override;

    AM_EditorViewMan* getViewManager() const { return viewManager_.get(); }
    platform::EditorWindow* editorWindow() const { return window_.get(); }
    AM_EditorSurface& editorSurface() { return surface_; }
    uint32_t getIdleTicks() const { return idleTicks_; }
    bool isCaptured() const { return captured_ != 0; }
    // True once the display went away under the open editor.
    bool displayLost() const { return displayLost_; }

    // The timer tick: counts, then the view manager's tick.
    void onTimer();
    // A key code (AM_guiKeyCode) to the view manager; false when it was not
    // taken or there is no view manager.
    bool handleKey(uint32_t code, uint32_t modifiers = 0);
    // A drag carrying our data moves over the window (kDragStateOver) or
    // leaves it (kDragStateLeft), at the last pointer position.
    void handleDragOver(uint32_t state);
    // A dropped block of the private format at the last drop position.
    bool handleDrop(const uint8_t* data, size_t size);
    // A press at window pixels, as a double click when the flag is set.
    void mouse(int x, int y, int32_t buttons, bool doubleClick);
    // Invalidates the editor rectangle.
    void invalidateAll();
    // The notice titled "GUI" with the text "TOP", then invalidateAll.
    void invalidateAllWithAlert();

protected:
    bool openView(void* parentWindow, AM_VST_View_Interface& viewInterface) override;
    void closeView() override;
    void resizeView(int32_t width, int32_t height) override;

private:
    void onWindowEvent(const platform::WindowEvent& event) override;
    bool dragOver(int x, int y, int modifiers) override;
    void dragLeave() override;
    platform::DropResult drop(int x, int y, int modifiers, const uint8_t* data,
                              size_t size) override;
    platform::DropResult dropResult() override;
    // Null when a drop at the window pixel may land now; otherwise why not.
    const char* dropRefusal(int x, int y) const;
    void dragEnded(platform::DragResult result) override;

    void pressed(const platform::WindowEvent& event);
    void released(const platform::WindowEvent& event);
    void keyPressed(const platform::WindowEvent& event);
    void exposed(const platform::PixelRect& area);
    void connectionLost();
    void applyZoomToDialogs();

    uint32_t idleTicks_ = kFirstIdleTick;
    uint8_t captured_ = 0;
    std::unique_ptr<AM_EditorViewMan> viewManager_;
    std::unique_ptr<platform::EditorWindow> window_;
    std::unique_ptr<AM_EditorDialogs> dialogs_;
    AM_EditorSurface surface_;
    void* parentWindow_ = nullptr;
    bool counted_ = false;
    bool windowGone_ = false;
    // The connection to the display broke: nothing is pumped or drawn until
    // the host closes the editor.
    bool displayLost_ = false;
    // A size asked for before the window exists.
    int32_t pendingWidth_ = 0;
    int32_t pendingHeight_ = 0;
    // The pointer's last place and modifiers in the window, for the host's
    // wheel and for drags.
    int pointerX_ = 0;
    int pointerY_ = 0;
    int pointerModifiers_ = 0;
    bool dropWelcome_ = false;
};
