#include "platform/x11/X11Surface.h"

#include "platform/DirtyRect.h"
#include "platform/Trace.h"
#include "platform/x11/X11ConnectionWatch.h"
#include "platform/x11/X11ErrorTrap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace platform::x11 {

namespace {

constexpr int kBytesPerPixel = 4;
constexpr int kBitsPerPixel = 32;
constexpr unsigned long kRedMask = 0xff0000;
constexpr unsigned long kGreenMask = 0x00ff00;
constexpr unsigned long kBlueMask = 0x0000ff;
constexpr int kMaxSide = 16384;
constexpr int kSharedMemoryMode = 0600;

// Places an 8-bit channel value into a pixel by the visual's mask.
unsigned long toMask(uint8_t value, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0)
        ++shift;
    int bits = 0;
    while (((mask >> (shift + bits)) & 1) != 0)
        ++bits;
    const unsigned long scaled =
        bits >= 8 ? (unsigned long)value << (bits - 8) : (unsigned long)value >> (8 - bits);
    return (scaled << shift) & mask;
}

} // namespace

X11Surface::X11Surface(Display* display, Window window, Visual* visual, int depth,
                       bool allowSharedMemory)
    : display_(display), window_(window), visual_(visual), depth_(depth),
      allowShared_(allowSharedMemory)
{
    X11ErrorTrap trap(display_);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    if (trap.failed())
        gc_ = nullptr;
}

X11Surface::~X11Surface()
{
    release();
}

void X11Surface::destroyImage()
{
    if (image_ == nullptr)
        return;
    X11ErrorTrap trap(display_);
    if (shared_) {
        // A server that went away took its side of the segment with it.
        if (!X11ConnectionWatch::lost(display_)) {
            XShmDetach(display_, &segment_);
            XSync(display_, False);
        }
        XDestroyImage(image_);
        ::shmdt(segment_.shmaddr);
    } else {
        XDestroyImage(image_);
    }
    image_ = nullptr;
    shared_ = false;
}

void X11Surface::release()
{
    destroyImage();
    if (gc_ != nullptr && !X11ConnectionWatch::lost(display_)) {
        X11ErrorTrap trap(display_);
        XFreeGC(display_, gc_);
    }
    gc_ = nullptr;
}

void X11Surface::resize(int width, int height)
{
    width = std::clamp(width, 0, kMaxSide);
    height = std::clamp(height, 0, kMaxSide);
    if (image_ != nullptr && width == width_ && height == height_)
        return;
    destroyImage();
    width_ = width;
    height_ = height;
    if (width_ > 0 && height_ > 0 && !createImage())
        debugOutput("X11Surface: can't make the window image\n");
}

bool X11Surface::createSharedImage()
{
    int major = 0, minor = 0;
    Bool pixmaps = False;
    if (!XShmQueryVersion(display_, &major, &minor, &pixmaps))
        return false;
    XImage* image =
        XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr,
                        &segment_, static_cast<unsigned>(width_), static_cast<unsigned>(height_));
    if (image == nullptr)
        return false;
    const size_t bytes = static_cast<size_t>(image->bytes_per_line) * image->height;
    segment_.shmid = ::shmget(IPC_PRIVATE, bytes, IPC_CREAT | kSharedMemoryMode);
    if (segment_.shmid < 0) {
        XDestroyImage(image);
        return false;
    }
    void* address = ::shmat(segment_.shmid, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        ::shmctl(segment_.shmid, IPC_RMID, nullptr);
        XDestroyImage(image);
        return false;
    }
    segment_.shmaddr = image->data = static_cast<char*>(address);
    segment_.readOnly = False;
    bool attached = false;
    {
        // A server on another machine refuses the segment.
        X11ErrorTrap trap(display_);
        attached = XShmAttach(display_, &segment_) && !trap.failed();
    }
    // The segment goes away with its last user (the server and us).
    ::shmctl(segment_.shmid, IPC_RMID, nullptr);
    if (!attached) {
        ::shmdt(address);
        image->data = nullptr;
        XDestroyImage(image);
        return false;
    }
    image_ = image;
    shared_ = true;
    return true;
}

bool X11Surface::createImage()
{
    if (allowShared_ && createSharedImage()) {
        // ok
    } else {
        const size_t bytes = static_cast<size_t>(width_) * height_ * kBytesPerPixel;
        char* data = static_cast<char*>(std::calloc(bytes, 1));
        if (data == nullptr)
            return false;
        image_ = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, data,
                              static_cast<unsigned>(width_), static_cast<unsigned>(height_),
                              kBitsPerPixel, 0);
        if (image_ == nullptr) {
            std::free(data);
            return false;
        }
        shared_ = false;
    }
    directCopy_ = image_->bits_per_pixel == kBitsPerPixel && image_->byte_order == LSBFirst &&
                  visual_->red_mask == kRedMask && visual_->green_mask == kGreenMask &&
                  visual_->blue_mask == kBlueMask;
    return true;
}

void X11Surface::copyRows(const FrameView& frame, int sx, int sy, int dx, int dy, int w, int h)
{
    for (int row = 0; row < h; ++row) {
        const uint8_t* from = frame.pixels + static_cast<size_t>(sy + row) * frame.stride +
                              static_cast<size_t>(sx) * kBytesPerPixel;
        if (directCopy_) {
            char* to = image_->data + static_cast<size_t>(dy + row) * image_->bytes_per_line +
                       static_cast<size_t>(dx) * kBytesPerPixel;
            std::memcpy(to, from, static_cast<size_t>(w) * kBytesPerPixel);
            continue;
        }
        for (int col = 0; col < w; ++col) {
            const uint8_t* p = from + static_cast<size_t>(col) * kBytesPerPixel;
            const unsigned long pixel = toMask(p[2], visual_->red_mask) |
                                        toMask(p[1], visual_->green_mask) |
                                        toMask(p[0], visual_->blue_mask);
            XPutPixel(image_, dx + col, dy + row, pixel);
        }
    }
}

void X11Surface::send(int x, int y, int w, int h)
{
    // Nothing is drawn once the server went away.
    if (gc_ == nullptr || !X11ConnectionWatch::check(display_))
        return;
    // The window may be gone with its parent: never let that reach the host.
    X11ErrorTrap trap(display_);
    if (shared_) {
        XShmPutImage(display_, window_, gc_, image_, x, y, x, y, static_cast<unsigned>(w),
                     static_cast<unsigned>(h), False);
    } else {
        XPutImage(display_, window_, gc_, image_, x, y, x, y, static_cast<unsigned>(w),
                  static_cast<unsigned>(h));
    }
    // The trap's sync also makes sure the server has read the shared image
    // before the next frame is copied into it.
}

void X11Surface::present(const FrameView& frame, const PixelRect& source, int destX, int destY)
{
    if (image_ == nullptr || frame.pixels == nullptr)
        return;
    // The source inside the frame, then its destination inside the window.
    PixelRect src = clipToArea(source, frame.width, frame.height);
    destX += src.x - source.x;
    destY += src.y - source.y;
    const PixelRect dest = clipToArea(PixelRect{destX, destY, src.w, src.h}, width_, height_);
    if (dest.w <= 0 || dest.h <= 0)
        return;
    src.x += dest.x - destX;
    src.y += dest.y - destY;
    copyRows(frame, src.x, src.y, dest.x, dest.y, dest.w, dest.h);
    send(dest.x, dest.y, dest.w, dest.h);
}

void X11Surface::refresh(const PixelRect& area)
{
    if (image_ == nullptr)
        return;
    const PixelRect r = clipToArea(area, width_, height_);
    if (r.w > 0 && r.h > 0)
        send(r.x, r.y, r.w, r.h);
}

} // namespace platform::x11
