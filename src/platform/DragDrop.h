#pragma once
// Dragging blocks of bytes out of the editor's window and dropping them into
// it. Only the program's private data type travels; what the bytes mean is
// the editor's business.
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

// Starts drags from the editor's window.
class DragSource {
public:
    virtual ~DragSource() = default;
    // Drags a copy of the bytes until the primary button is released or
    // Escape is pressed; returns when the drag is over (a nested event loop).
    virtual DragResult drag(const uint8_t* data, size_t size) = 0;
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
    // The bytes were dropped at the point.
    virtual void drop(int x, int y, int modifiers, const uint8_t* data, size_t size) = 0;
};

} // namespace platform
