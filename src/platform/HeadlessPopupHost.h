#pragma once
// Popup panels in memory for tests: it records every panel and the last
// picture shown in it, and hands out the events a test queued. An empty
// queue ends the menu (Kind::Ended) unless the host is told to wait for
// more (setEndWhenEmpty(false): the menu then stays up across idle calls
// until the test posts its input). A hook lets a test queue events as the
// menu goes, once it has seen what was opened.
//
// GUI thread only.

#include "platform/PopupHost.h"

#include <deque>
#include <functional>
#include <vector>

namespace platform {

class HeadlessPopupHost final : public PopupHost {
public:
    // screen: the screen's area; windowOrigin: where the editor's window
    // sits on it.
    HeadlessPopupHost(PixelRect screen, int windowOriginX, int windowOriginY);

    PixelRect screenArea() const override { return screen_; }
    void windowToScreen(int x, int y, int& screenX, int& screenY) const override;
    int openPanel(const PixelRect& screenRect) override;
    void presentPanel(int panel, const FrameView& picture) override;
    void closePanel(int panel) override;
    bool grabInput() override;
    void releaseInput() override { grabbed_ = false; }
    bool pollEvent(PopupEvent& event) override;

    struct Panel {
        int id = 0;
        PixelRect rect;
        bool open = false;
        int presents = 0;
        int width = 0;
        int height = 0;
        std::vector<uint8_t> pixels; // packed BGRA rows of the last picture
    };

    // The test's side.
    void post(const PopupEvent& event) { events_.push_back(event); }
    void postMove(int x, int y);
    void postClick(int x, int y);
    void postKey(int virtualKey, uint32_t character = 0);
    void postWheel(int x, int y, int steps);
    // Called before each event is handed out (and when the queue is empty,
    // before Ended is answered), so a test can queue more.
    void setBeforeEvent(std::function<void(HeadlessPopupHost&)> hook) { hook_ = std::move(hook); }
    // Refuse the grab (another program holds the pointer).
    void refuseGrab(bool refuse) { refuseGrab_ = refuse; }
    // Whether an empty queue ends the menu (true at start).
    void setEndWhenEmpty(bool end) { endWhenEmpty_ = end; }
    // Events handed out so far, and events still queued.
    int handedOut() const { return handedOut_; }
    size_t queued() const { return events_.size(); }

    const std::vector<Panel>& panels() const { return panels_; }
    // Open panels, in the order they were opened.
    std::vector<const Panel*> openPanels() const;
    bool grabbed() const { return grabbed_; }
    int grabs() const { return grabs_; }

private:
    PixelRect screen_;
    int originX_;
    int originY_;
    std::vector<Panel> panels_;
    std::deque<PopupEvent> events_;
    std::function<void(HeadlessPopupHost&)> hook_;
    bool grabbed_ = false;
    bool refuseGrab_ = false;
    bool endWhenEmpty_ = true;
    int grabs_ = 0;
    int handedOut_ = 0;
};

} // namespace platform
