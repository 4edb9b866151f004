#pragma once
// The drag side of XDND (version 5) from the editor's window: a nested loop
// with the pointer and keyboard grabbed finds the XDND-aware window under the
// pointer, offers it the private data type only, serves the selection
// (TARGETS and the private type) and waits for the target's XdndFinished
// under a timeout. Escape cancels.
//
// GUI thread only.

#include "platform/DragDrop.h"

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

namespace platform::x11 {

class X11Window;

class X11DragSender final : public DragSource {
public:
    explicit X11DragSender(X11Window& window) : window_(window) {}

    DragResult drag(const uint8_t* data, size_t size) override;
    // A selection request for the drag's data (any time: late requests of a
    // target that was told of the drop are answered while the data is kept).
    void serveRequest(const XSelectionRequestEvent& request);
    // XdndStatus and XdndFinished from the target.
    void handleMessage(const XClientMessageEvent& message);
    bool dragging() const { return dragging_; }
    // Property deletions of a requestor reading the data in pieces (INCR).
    bool wantsPropertyEvent(const XPropertyEvent& event) const;
    void handlePropertyEvent(const XPropertyEvent& event);

    // The longest data sent in one piece: what one request to the server can
    // carry. Tests set a smaller one (0: the server's).
    static void setLargestPieceForTests(size_t bytes) { largestPieceForTests_ = bytes; }

    // How long the target may take to answer a drop.
    static constexpr uint32_t kFinishTimeoutMs = 5000;

private:
    struct Target {
        Window window = 0;
        int version = 0;
    };

    struct Outgoing {
        Window requestor = 0;
        Atom property = None;
        size_t sent = 0;
        bool active = false;
    };

    size_t largestPiece() const;
    void endOutgoing();
    Target findTarget(int rootX, int rootY);
    void moveTo(int rootX, int rootY, Time time);
    void sendMessage(Atom type, long l1, long l2, long l3, long l4);
    DragResult finishDrop(Time time);
    void leaveTarget();

    X11Window& window_;
    std::vector<uint8_t> data_;
    Target target_;
    bool dragging_ = false;
    bool statusPending_ = false;
    bool accepted_ = false;
    bool finished_ = false;
    bool finishedAccepted_ = false;
    bool positionPending_ = false;
    int pendingX_ = 0;
    int pendingY_ = 0;
    Time pendingTime_ = CurrentTime;
    Outgoing outgoing_;
    static inline size_t largestPieceForTests_ = 0;
};

} // namespace platform::x11
