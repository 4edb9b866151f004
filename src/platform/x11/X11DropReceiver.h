#pragma once
// The drop side of XDND (version 5) on the editor's window: takes drags that
// offer the private data type, asks the editor's DropTarget where they are,
// and on a drop fetches the bytes from the source's selection (INCR for large
// data), bounded in size and under timeouts, then tells the source it is
// finished.
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

    void setTarget(DropTarget* target);
    // One XDND client message addressed to the window.
    void handleMessage(const XClientMessageEvent& message);
    // True while a drop's bytes are being fetched.
    bool busy() const { return busy_; }
    // The longest drop taken; longer ones are refused.
    static constexpr size_t kMaxDropBytes = size_t(64) << 20;
    // How long each step of a transfer may take.
    static constexpr uint32_t kStepTimeoutMs = 3000;

private:
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
    bool typeListOffersOurs(Window source);
    void sendToSource(Atom type, long l1, long l2, long l4);
    void sendStatus(bool accept);
    void sendFinished(bool accepted);
    bool fetch(Time time, std::vector<uint8_t>* bytes);
    bool readIncremental(std::vector<uint8_t>* bytes);

    X11Window& window_;
    DropTarget* target_ = nullptr;
    Drag drag_;
    bool busy_ = false;
};

} // namespace platform::x11
