#pragma once
// The window surface of the editor's X11 window: presented rectangles of the
// top-down BGRA frame are copied into an image of the window's size and sent
// with XPutImage, through MIT shared memory when the server offers it (and
// the connection is local), plainly otherwise. The image keeps what was last
// presented, so an exposed part is shown again without the editor.
//
// GUI thread only.

#include "platform/Surface.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

namespace platform::x11 {

class X11Surface final : public Surface {
public:
    X11Surface(Display* display, Window window, Visual* visual, int depth, bool allowSharedMemory);
    ~X11Surface() override;
    X11Surface(const X11Surface&) = delete;
    X11Surface& operator=(const X11Surface&) = delete;

    void present(const FrameView& frame, const PixelRect& source, int destX, int destY) override;

    // The window's new size: the image is made again (and starts black).
    void resize(int width, int height);
    // Sends the part of the kept image that lies in area again.
    void refresh(const PixelRect& area);
    // Frees the image and the shared memory (before the window goes).
    void release();

    bool usesSharedMemory() const { return shared_; }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    bool createImage();
    void destroyImage();
    bool createSharedImage();
    void copyRows(const FrameView& frame, int sx, int sy, int dx, int dy, int w, int h);
    void send(int x, int y, int w, int h);

    Display* display_;
    Window window_;
    Visual* visual_;
    int depth_;
    bool allowShared_;
    GC gc_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo segment_{};
    bool shared_ = false;
    bool directCopy_ = false;
    int width_ = 0;
    int height_ = 0;
};

} // namespace platform::x11
