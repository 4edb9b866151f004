#include "platform/x11/X11PopupWindow.h"

#include "platform/Trace.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11EventTranslator.h"
#include "platform/x11/X11Wait.h"
#include "platform/x11/X11Window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace platform::x11 {

namespace {

// Attempts at the grab, a few milliseconds apart: the press that opened the
// menu may still hold the pointer for a moment.
constexpr int kGrabAttempts = 20;
constexpr int kGrabRetryMs = 10;

class X11PopupHost final : public PopupHost {
public:
    X11PopupHost(X11Window& window, X11PopupOptions options)
        : window_(window), display_(window.display()), options_(std::move(options))
    {
        screen_ = DefaultScreen(display_);
        root_ = RootWindow(display_, screen_);
        visual_ = DefaultVisual(display_, screen_);
        depth_ = DefaultDepth(display_, screen_);
    }

    ~X11PopupHost() override
    {
        releaseInput();
        for (Panel& p : panels_) {
            if (p.window != 0) {
                destroy(p);
            }
        }
    }

    PixelRect screenArea() const override
    {
        return PixelRect{0, 0, DisplayWidth(display_, screen_), DisplayHeight(display_, screen_)};
    }

    void windowToScreen(int x, int y, int& screenX, int& screenY) const override
    {
        screenX = x;
        screenY = y;
        if (!window_.alive()) {
            return;
        }
        X11ErrorTrap trap(display_);
        Window child = 0;
        int sx = 0;
        int sy = 0;
        if (XTranslateCoordinates(display_, window_.window(), root_, x, y, &sx, &sy, &child)) {
            screenX = sx;
            screenY = sy;
        }
    }

    int openPanel(const PixelRect& r) override
    {
        if (r.w <= 0 || r.h <= 0) {
            return 0;
        }
        X11ErrorTrap trap(display_);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.save_under = True;
        attributes.background_pixel = BlackPixel(display_, screen_);
        attributes.border_pixel = 0;
        attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask |
                                PointerMotionMask | KeyPressMask | StructureNotifyMask;
        Panel p;
        p.window = XCreateWindow(display_, root_, r.x, r.y, static_cast<unsigned>(r.w),
                                 static_cast<unsigned>(r.h), 0, depth_, InputOutput, visual_,
                                 CWOverrideRedirect | CWSaveUnder | CWBackPixel | CWBorderPixel |
                                     CWEventMask,
                                 &attributes);
        if (p.window == 0) {
            return 0;
        }
        const Atom type = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False);
        const Atom popup = XInternAtom(display_, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
        XChangeProperty(display_, p.window, type, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&popup), 1);
        p.gc = XCreateGC(display_, p.window, 0, nullptr);
        p.width = r.w;
        p.height = r.h;
        XMapRaised(display_, p.window);
        if (trap.failed()) {
            platform::debugOutput("Menu: the popup window could not be made\n");
            destroy(p);
            return 0;
        }
        panels_.push_back(p);
        return static_cast<int>(panels_.size());
    }

    void presentPanel(int id, const FrameView& picture) override
    {
        Panel* p = find(id);
        if (p == nullptr || picture.pixels == nullptr) {
            return;
        }
        const int w = std::min(picture.width, p->width);
        const int h = std::min(picture.height, p->height);
        p->pixels.assign(static_cast<size_t>(p->width) * static_cast<size_t>(p->height) * 4, 0);
        for (int y = 0; y < h; ++y) {
            std::memcpy(&p->pixels[static_cast<size_t>(y) * static_cast<size_t>(p->width) * 4],
                        picture.pixels +
                            static_cast<size_t>(y) * static_cast<size_t>(picture.stride),
                        static_cast<size_t>(w) * 4);
        }
        show(*p);
    }

    void closePanel(int id) override
    {
        if (Panel* p = find(id)) {
            destroy(*p);
        }
    }

    bool grabInput() override
    {
        Window on = 0;
        for (const Panel& p : panels_) {
            if (p.window != 0) {
                on = p.window;
                break;
            }
        }
        if (on == 0) {
            return false;
        }
        XSync(display_, False);
        for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
            const int pointer = XGrabPointer(
                display_, on, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                GrabModeAsync, GrabModeAsync, 0, 0, CurrentTime);
            if (pointer == GrabSuccess) {
                const int keys =
                    XGrabKeyboard(display_, on, False, GrabModeAsync, GrabModeAsync, CurrentTime);
                if (keys == GrabSuccess) {
                    grabbed_ = true;
                    grabWindow_ = on;
                    XFlush(display_);
                    return true;
                }
                XUngrabPointer(display_, CurrentTime);
            }
            XFlush(display_);
            std::this_thread::sleep_for(std::chrono::milliseconds(kGrabRetryMs));
        }
        return false;
    }

    void releaseInput() override
    {
        if (!grabbed_) {
            return;
        }
        grabbed_ = false;
        X11ErrorTrap trap(display_);
        XUngrabPointer(display_, CurrentTime);
        XUngrabKeyboard(display_, CurrentTime);
        XFlush(display_);
    }

    PopupEvent nextEvent(int timeoutMs) override
    {
        if (options_.beforeWait) {
            options_.beforeWait();
        }
        PopupEvent out;
        XEvent event{};
        if (!waitForEvent(display_, &X11PopupHost::isOurs, reinterpret_cast<XPointer>(this), &event,
                          static_cast<uint32_t>(std::max(timeoutMs, 0)))) {
            out.kind = PopupEvent::Kind::Timeout;
            return out;
        }
        switch (event.type) {
        case Expose:
            if (Panel* p = findWindow(event.xexpose.window)) {
                show(*p);
            }
            return out; // Timeout: nothing for the menu
        case DestroyNotify:
        case UnmapNotify:
            out.kind = PopupEvent::Kind::Ended;
            return out;
        case MotionNotify: {
            // Only the latest position counts.
            XEvent later{};
            while (XCheckTypedEvent(display_, MotionNotify, &later)) {
                event = later;
            }
            out.kind = PopupEvent::Kind::PointerMove;
            out.x = event.xmotion.x_root;
            out.y = event.xmotion.y_root;
            out.modifiers = modifiersOfState(event.xmotion.state);
            return out;
        }
        case ButtonPress:
        case ButtonRelease: {
            const unsigned int b = event.xbutton.button;
            out.kind = event.type == ButtonPress ? PopupEvent::Kind::ButtonDown
                                                 : PopupEvent::Kind::ButtonUp;
            out.x = event.xbutton.x_root;
            out.y = event.xbutton.y_root;
            out.modifiers = modifiersOfState(event.xbutton.state);
            out.button = b == Button1   ? PointerButton::Primary
                         : b == Button3 ? PointerButton::Secondary
                                        : PointerButton::NoButton;
            if (out.button == PointerButton::NoButton) {
                // A wheel step on its press; the middle button only moves
                // the pointer.
                out.kind = PopupEvent::Kind::PointerMove;
                if ((b == Button4 || b == Button5) && event.type == ButtonPress) {
                    out.kind = PopupEvent::Kind::Wheel;
                    out.wheel = b == Button4 ? 1 : -1;
                }
            }
            return out;
        }
        case KeyPress: {
            char text[16] = {};
            KeySym keysym = 0;
            const int length = XLookupString(&event.xkey, text, static_cast<int>(sizeof text) - 1,
                                             &keysym, nullptr);
            const KeyMeaning meaning = meaningOfKey(keysym, text, length);
            out.kind = PopupEvent::Kind::KeyDown;
            out.virtualKey = meaning.virtualKey;
            out.character = meaning.character;
            out.modifiers = modifiersOfState(event.xkey.state);
            return out;
        }
        default:
            return out;
        }
    }

private:
    struct Panel {
        Window window = 0;
        GC gc = nullptr;
        int width = 0;
        int height = 0;
        std::vector<uint8_t> pixels; // BGRA rows, width * 4 bytes each
    };

    static Bool isOurs(Display*, XEvent* event, XPointer arg)
    {
        auto* self = reinterpret_cast<X11PopupHost*>(arg);
        switch (event->type) {
        case ButtonPress:
        case ButtonRelease:
        case MotionNotify:
        case KeyPress:
        case Expose:
        case DestroyNotify:
        case UnmapNotify:
            return self->findWindow(event->xany.window) != nullptr ? True : False;
        default:
            return False;
        }
    }

    Panel* find(int id)
    {
        if (id <= 0 || id > static_cast<int>(panels_.size())) {
            return nullptr;
        }
        Panel& p = panels_[static_cast<size_t>(id - 1)];
        return p.window != 0 ? &p : nullptr;
    }

    Panel* findWindow(Window w)
    {
        for (Panel& p : panels_) {
            if (p.window != 0 && p.window == w) {
                return &p;
            }
        }
        return nullptr;
    }

    void show(Panel& p)
    {
        if (p.pixels.empty()) {
            return;
        }
        X11ErrorTrap trap(display_);
        XImage* image =
            XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                         static_cast<unsigned>(p.width), static_cast<unsigned>(p.height), 32, 0);
        if (image == nullptr) {
            return;
        }
        std::vector<uint8_t> data(static_cast<size_t>(image->bytes_per_line) *
                                  static_cast<size_t>(p.height));
        image->data = reinterpret_cast<char*>(data.data());
        const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
                            visual_->red_mask == 0xFF0000 && visual_->green_mask == 0xFF00 &&
                            visual_->blue_mask == 0xFF;
        for (int y = 0; y < p.height; ++y) {
            const uint8_t* src =
                &p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) * 4];
            if (direct) {
                std::memcpy(data.data() +
                                static_cast<size_t>(y) * static_cast<size_t>(image->bytes_per_line),
                            src, static_cast<size_t>(p.width) * 4);
                continue;
            }
            for (int x = 0; x < p.width; ++x) {
                const uint8_t* px = src + static_cast<size_t>(x) * 4;
                const unsigned long pixel = scale(px[2], visual_->red_mask) |
                                            scale(px[1], visual_->green_mask) |
                                            scale(px[0], visual_->blue_mask);
                XPutPixel(image, x, y, pixel);
            }
        }
        XPutImage(display_, p.window, p.gc, image, 0, 0, 0, 0, static_cast<unsigned>(p.width),
                  static_cast<unsigned>(p.height));
        image->data = nullptr;
        XDestroyImage(image);
        XFlush(display_);
    }

    // An 8-bit channel placed in a visual's colour mask.
    static unsigned long scale(uint8_t value, unsigned long mask)
    {
        if (mask == 0) {
            return 0;
        }
        int shift = 0;
        while (((mask >> shift) & 1) == 0) {
            ++shift;
        }
        const unsigned long top = mask >> shift;
        return ((static_cast<unsigned long>(value) * top + 127) / 255) << shift;
    }

    void destroy(Panel& p)
    {
        X11ErrorTrap trap(display_);
        if (p.gc != nullptr) {
            XFreeGC(display_, p.gc);
        }
        XDestroyWindow(display_, p.window);
        // What the destroyed window still had queued is dropped.
        XSync(display_, False);
        XEvent stale{};
        while (XCheckWindowEvent(display_, p.window, ~0L, &stale)) {
        }
        p.window = 0;
        p.gc = nullptr;
        p.pixels.clear();
    }

    X11Window& window_;
    Display* display_;
    X11PopupOptions options_;
    int screen_ = 0;
    Window root_ = 0;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    std::vector<Panel> panels_;
    bool grabbed_ = false;
    Window grabWindow_ = 0;
};

} // namespace

} // namespace platform::x11

namespace platform {

std::unique_ptr<PopupHost> openX11PopupHost(EditorWindow& window, X11PopupOptions options)
{
    auto* x11 = dynamic_cast<x11::X11Window*>(&window);
    if (x11 == nullptr || x11->display() == nullptr) {
        return nullptr;
    }
    return std::make_unique<x11::X11PopupHost>(*x11, std::move(options));
}

} // namespace platform
