#pragma once
// Dragging blocks of bytes out of the editor's window and dropping them into
// it. Only the program's private data type travels; what the bytes mean is
// the editor's business. Nothing here holds the caller: a drag runs on the
// editor window's pump across the host's idle calls, and its outcome comes
// back through a callback.
//
// GUI thread only.

#include <cstddef>
#include <cstdint>

namespace platform {

// The name the private data type is registered under.
inline constexpr char kPrivateDataTypeName[] = "ORL_CLIPBOARD_FORMAT";

enum class DragResult : int {
    Dropped,   // a target took the bytes
    Refused,   // released over nothing, or over a window that did not take them
    Cancelled, // Escape pressed
    Failed,    // the drag could not start (pointer not grabbed and the like)
};

// Told how a drag ended.
class DragSourceClient {
public:
    virtual ~DragSourceClient() = default;
    virtual void dragEnded(DragResult result) = 0;
};

// Starts drags from the editor's window.
class DragSource {
public:
    virtual ~DragSource() = default;
    // Starts dragging a copy of the bytes and returns at once: the drag
    // follows the pointer until the primary button is released or Escape
    // is pressed, and its outcome reaches the client once, from a later
    // idle call (a source whose drags end at once, a test's, may tell it
    // before start returns). False when the drag cannot start (one is on
    // already, the pointer cannot be had): the client hears nothing.
    virtual bool start(const uint8_t* data, size_t size, DragSourceClient* client) = 0;
    virtual bool dragging() const = 0;
    // Ends a drag that is on as cancelled; its client is told nothing.
    virtual void cancel() = 0;
};

// What became of a drop, as the source is told it.
enum class DropResult : int {
    Refused, // nothing was taken
    Copied,  // the data was taken and its source left as it is
    Moved,   // the data was taken and what it names moved here
    Pending, // taken for now; what becomes of it is told later (dropResult)
};

// Implemented by the editor: told where a drag carrying the private data type
// is and what is dropped. Points are in the window's pixel coordinates;
// modifiers are the WindowEvent bits.
class DropTarget {
public:
    virtual ~DropTarget() = default;
    // The pointer moved over the window; true when a drop here is welcome.
    virtual bool dragOver(int x, int y, int modifiers) = 0;
    // The drag left the window or was cancelled.
    virtual void dragLeave() = 0;
    // The bytes were dropped at the point: what the editor did with them.
    virtual DropResult drop(int x, int y, int modifiers, const uint8_t* data, size_t size) = 0;
    // After a drop answered Pending, asked on each later idle call until it
    // says something else.
    virtual DropResult dropResult() { return DropResult::Refused; }
};

} // namespace platform
