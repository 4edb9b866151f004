#pragma once
// The drag side of XDND (version 5) from the editor's window. start grabs
// the pointer and the keyboard and returns; from then on the window's pump
// hands the drag its pointer, key and XDND events: it finds the XDND-aware
// window under the pointer, offers it the private data type only, serves
// the selection (TARGETS and the private type, INCR for large data), and on
// the release drops and waits for the target's XdndFinished, each wait
// bounded in time (tick). Escape cancels. The client hears the outcome
// once. Nothing here waits for the server.
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
    // A drag still on is cancelled (the target is told it left).
    ~X11DragSender() override;

    bool start(const uint8_t* data, size_t size, DragSourceClient* client) override;
    bool dragging() const override { return phase_ != Phase::kIdle; }
    void cancel() override;

    // While a drag is on: the pointer and key events of the window (true
    // when the event was the drag's).
    bool handleEvent(const XEvent& event);
    // XdndStatus and XdndFinished from the target.
    void handleMessage(const XClientMessageEvent& message);
    // The drag's clock, from every pump: a release never seen, a target
    // that does not answer.
    void tick(uint32_t nowMs);
    // A selection request for the drag's data (any time: late requests of a
    // target that was told of the drop are answered while the data is kept).
    void serveRequest(const XSelectionRequestEvent& request);
    // Property deletions of a requestor reading the data in pieces (INCR).
    bool wantsPropertyEvent(const XPropertyEvent& event) const;
    void handlePropertyEvent(const XPropertyEvent& event);

    // The longest data sent in one piece: what one request to the server can
    // carry. Tests set a smaller one (0: the server's).
    static void setLargestPieceForTests(size_t bytes) { largestPieceForTests_ = bytes; }

    // How long the target may take to answer the release (its status, then
    // XdndFinished); tests set a shorter time (0: this one).
    static constexpr uint32_t kFinishTimeoutMs = 5000;
    static void setFinishTimeoutForTests(uint32_t ms) { finishTimeoutForTests_ = ms; }
    // How often the buttons are looked at while the pointer rests.
    static constexpr uint32_t kButtonCheckMs = 50;

private:
    enum class Phase {
        kIdle,
        kDragging,      // following the pointer
        kAwaitStatus,   // released over a target whose status is on its way
        kAwaitFinished, // dropped: waiting for XdndFinished
    };

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
    void released(int rootX, int rootY, Time time);
    void drop();
    void leaveTarget();
    void finish(DragResult result, bool tell);
    bool usable() const;

    X11Window& window_;
    DragSourceClient* client_ = nullptr;
    Phase phase_ = Phase::kIdle;
    std::vector<uint8_t> data_;
    Target target_;
    bool statusPending_ = false;
    bool accepted_ = false;
    bool finishedAccepted_ = false;
    bool positionPending_ = false;
    int pendingX_ = 0;
    int pendingY_ = 0;
    Time pendingTime_ = CurrentTime;
    Time dropTime_ = CurrentTime;
    // The clock: the last button check, and when the wait for the target
    // began (0: not yet timed).
    uint32_t lastCheckMs_ = 0;
    uint32_t waitSinceMs_ = 0;
    bool waitTimed_ = false;
    Outgoing outgoing_;
    static inline size_t largestPieceForTests_ = 0;
    static inline uint32_t finishTimeoutForTests_ = 0;
};

} // namespace platform::x11
