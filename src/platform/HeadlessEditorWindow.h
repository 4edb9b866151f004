#pragma once
// An editor window that exists only in memory, for tests and tools: its
// surface is a HeadlessSurface whose pixels can be read back, events are
// posted by the test and handed out by the next pump, drags end as the test
// says, and drops are made by the test ("drop these bytes here").
//
// GUI thread only.

#include "platform/EditorWindow.h"
#include "platform/HeadlessPopupHost.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace platform {

class HeadlessEditorWindow final : public EditorWindow {
public:
    HeadlessEditorWindow(int width, int height);

    int width() const override { return surface_.width(); }
    int height() const override { return surface_.height(); }
    bool resize(int width, int height) override;
    void pumpEvents(WindowEventSink& sink) override;
    Surface& surface() override { return surface_; }
    DragSource& dragSource() override { return dragSource_; }
    void setDropTarget(DropTarget* target) override { dropTarget_ = target; }
    // A headless host on a 1920 x 1080 screen with the window at its
    // corner; menus stay up until the test gives them input.
    std::unique_ptr<PopupHost> openPopupHost() override;
    void takeFocus() override { ++focusRequests_; }
    void leaveKeyToHost() override { ++keysLeftToHost_; }
    uintptr_t nativeHandle() const override { return 0; }
    bool alive() const override { return alive_; }

    // The test's side.
    HeadlessSurface& headlessSurface() { return surface_; }
    // Queues an event for the next pump.
    void post(const WindowEvent& event) { pending_.push_back(event); }
    // How the next drags end, at once (Dropped until set otherwise; Failed:
    // they do not start).
    void setDragResult(DragResult result) { dragSource_.result = result; }
    // The bytes of every drag so far.
    const std::vector<std::vector<uint8_t>>& draggedData() const { return dragSource_.dragged; }
    // A drag carrying our data moves over the point: true when the drop
    // target welcomes it there.
    bool dragHere(int x, int y, int modifiers);
    // The drag leaves the window (or is cancelled).
    void dragAway();
    // A drag carrying bytes moves over the point and drops there, as the
    // drop target welcomes it: true when it was dropped.
    bool dropHere(int x, int y, int modifiers, const std::vector<uint8_t>& bytes);
    // The drop of a drag that was welcome at its last move, made without
    // asking again (what changed since is the target's to notice): true
    // when there was a target to take it; dropResult() tells its answer.
    bool dropAfterMove(int x, int y, int modifiers, const std::vector<uint8_t>& bytes);
    // What the target answered to the last drop (Refused before any); one
    // it decides later is asked again here, as a window asks on each idle.
    DropResult dropResult();
    // The window is destroyed from outside: the next pump reports it.
    void destroyFromOutside();
    // The connection to the display breaks: the next pump reports it (the
    // surface goes on recording, so a test sees what is still presented).
    void loseConnection();
    bool connectionLost() const { return lost_; }
    // The last popup host opened (valid while its owner keeps it).
    HeadlessPopupHost* popupHost() const { return popupHost_; }
    int focusRequests() const { return focusRequests_; }
    int keysLeftToHost() const { return keysLeftToHost_; }

private:
    struct ScriptedDragSource final : DragSource {
        bool start(const uint8_t* data, size_t size, DragSourceClient* client) override;
        bool dragging() const override { return false; }
        void cancel() override {}
        DragResult result = DragResult::Dropped;
        std::vector<std::vector<uint8_t>> dragged;
    };

    HeadlessSurface surface_;
    ScriptedDragSource dragSource_;
    DropTarget* dropTarget_ = nullptr;
    DropResult lastDrop_ = DropResult::Refused;
    HeadlessPopupHost* popupHost_ = nullptr;
    std::deque<WindowEvent> pending_;
    int focusRequests_ = 0;
    int keysLeftToHost_ = 0;
    bool alive_ = true;
    bool lost_ = false;
};

} // namespace platform
