#pragma once
// The drop side of XDND (version 5) on the editor's window: takes drags that
// offer the private data type over the window, asks the editor's DropTarget
// where they are, and on a drop fetches the bytes from the source's
// selection (INCR for large data) bounded in size. Nothing here waits: the
// request goes out on the drop, and the window's pump hands over the
// answer, the pieces and a tick on every idle call, so the transfer runs
// across idle calls under one overall deadline. The source is told it is
// finished with accepted only for what the editor took, and with the action
// the editor performed.
//
// GUI thread only.

#include "platform/DragDrop.h"

#include <X11/Xlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::x11 {

class X11Window;

class X11DropReceiver {
public:
    explicit X11DropReceiver(X11Window& window) : window_(window) {}
    // A drop still being fetched or decided is answered as not taken.
    ~X11DropReceiver();
    X11DropReceiver(const X11DropReceiver&) = delete;
    X11DropReceiver& operator=(const X11DropReceiver&) = delete;

    void setTarget(DropTarget* target);
    // One XDND client message addressed to the window.
    void handleMessage(const XClientMessageEvent& message);
    // The selection's answer and the pieces of a transfer under way.
    bool wantsEvent(const XEvent& event) const;
    void handleEvent(const XEvent& event);
    // From every pump: the transfer's deadline, the editor's late answer.
    void tick(uint32_t nowMs);
    // True from a drop until its source has been told the outcome.
    bool busy() const { return phase_ != Phase::kIdle; }

    // The longest drop taken; longer ones are refused.
    static constexpr size_t kMaxDropBytes = size_t(64) << 20;
    // How long a drop may take from the source's drop message to the whole
    // data, and the editor to decide a drop it took for later.
    static constexpr uint32_t kDeadlineMs = 5000;
    // Tests set a shorter deadline (0: this one).
    static void setDeadlineForTests(uint32_t ms) { deadlineForTests_ = ms; }

private:
    enum class Phase {
        kIdle,
        kAwaitSelection, // the data was asked for
        kReadingPieces,  // INCR: the pieces come one by one
        kAwaitResult,    // the editor decides on a later idle call
    };

    struct Drag {
        Window source = 0;
        int version = 0;
        bool offersOurType = false;
        bool accepted = false;
        int x = 0;
        int y = 0;
        int modifiers = 0;
    };

    void enter(const XClientMessageEvent& message);
    void position(const XClientMessageEvent& message);
    void leave();
    void drop(const XClientMessageEvent& message);
    void answerOtherSource(const XClientMessageEvent& message);
    bool typeListOffersOurs(Window source);
    bool insideWindow(int x, int y) const;
    void sendToSource(Window source, Atom type, long l1, long l2, long l4);
    void sendStatus(Window source, bool accept);
    void sendFinished(Window source, DropResult result);

    void selectionArrived(const XSelectionEvent& event);
    void pieceArrived();
    void deliver();
    void fail(const char* why);
    void finish(DropResult result);
    void watchPieces(bool on);
    bool usable() const;

    X11Window& window_;
    DropTarget* target_ = nullptr;
    Drag drag_;
    Phase phase_ = Phase::kIdle;
    std::vector<uint8_t> bytes_;
    // When the drop came (and, once the data is in, when it was handed
    // over): the deadline counts from there.
    uint32_t sinceMs_ = 0;
    bool watchingPieces_ = false;
    long savedEventMask_ = 0;
    static inline uint32_t deadlineForTests_ = 0;
};

} // namespace platform::x11
