#include "platform/x11/X11PopupWindow.h"

#include "platform/Trace.h"
#include "platform/x11/X11ConnectionWatch.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11EventTranslator.h"
#include "platform/x11/X11Window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

namespace platform::x11 {

namespace {

// Events kept for the menu between two pumps at most; a flood beyond
// this is dropped (motion is compressed anyway).
constexpr size_t kMaxQueuedEvents = 1024;

class X11PopupHost final : public PopupHost, private X11SideWindows {
public:
    explicit X11PopupHost(X11Window& window) : window_(window), display_(window.display())
    {
        screen_ = DefaultScreen(display_);
        root_ = RootWindow(display_, screen_);
        visual_ = DefaultVisual(display_, screen_);
        depth_ = DefaultDepth(display_, screen_);
        window_.setSideWindows(this);
    }

    ~X11PopupHost() override
    {
        window_.setSideWindows(nullptr);
        // A lost connection takes no request: what it held went with it.
        if (X11ConnectionWatch::lost(display_)) {
            return;
        }
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
        if (!window_.alive() || X11ConnectionWatch::lost(display_)) {
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
        if (r.w <= 0 || r.h <= 0 || X11ConnectionWatch::lost(display_)) {
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
        if (p == nullptr || picture.pixels == nullptr || X11ConnectionWatch::lost(display_)) {
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
            if (X11ConnectionWatch::lost(display_)) {
                p->window = 0;
            } else {
                destroy(*p);
            }
        }
        // With the last panel gone, what it had not handed out is stale.
        if (std::none_of(panels_.begin(), panels_.end(),
                         [](const Panel& p) { return p.window != 0; })) {
            queue_.clear();
        }
    }

    bool grabInput() override
    {
        if (grabbed_) {
            return true;
        }
        Window on = 0;
        for (const Panel& p : panels_) {
            if (p.window != 0) {
                on = p.window;
                break;
            }
        }
        if (on == 0 || X11ConnectionWatch::lost(display_)) {
            return false;
        }
        X11ErrorTrap trap(display_);
        const int pointer =
            XGrabPointer(display_, on, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                         GrabModeAsync, GrabModeAsync, 0, 0, CurrentTime);
        if (pointer != GrabSuccess) {
            XFlush(display_);
            return false;
        }
        const int keys = XGrabKeyboard(display_, on, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        if (keys != GrabSuccess) {
            XUngrabPointer(display_, CurrentTime);
            XFlush(display_);
            return false;
        }
        grabbed_ = true;
        XFlush(display_);
        return true;
    }

    void releaseInput() override
    {
        if (!grabbed_) {
            return;
        }
        grabbed_ = false;
        if (X11ConnectionWatch::lost(display_)) {
            return;
        }
        X11ErrorTrap trap(display_);
        XUngrabPointer(display_, CurrentTime);
        XUngrabKeyboard(display_, CurrentTime);
        XFlush(display_);
    }

    bool pollEvent(PopupEvent& event) override
    {
        if (queue_.empty()) {
            return false;
        }
        event = queue_.front();
        queue_.pop_front();
        return true;
    }

private:
    struct Panel {
        Window window = 0;
        GC gc = nullptr;
        int width = 0;
        int height = 0;
        std::vector<uint8_t> pixels; // BGRA rows, width * 4 bytes each
    };

    // An event of the connection that the editor window's pump does not
    // take: ours when it is addressed to one of the panels.
    bool takeEvent(const XEvent& event) override
    {
        Panel* panel = findWindow(event.xany.window);
        if (panel == nullptr) {
            return false;
        }
        PopupEvent out;
        switch (event.type) {
        case Expose:
            show(*panel);
            return true;
        case DestroyNotify:
        case UnmapNotify:
            out.kind = PopupEvent::Kind::Ended;
            break;
        case MotionNotify:
            // Only the latest position of a run of moves counts.
            if (!queue_.empty() && queue_.back().kind == PopupEvent::Kind::PointerMove) {
                queue_.pop_back();
            }
            out.kind = PopupEvent::Kind::PointerMove;
            out.x = event.xmotion.x_root;
            out.y = event.xmotion.y_root;
            out.modifiers = modifiersOfState(event.xmotion.state);
            break;
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
            break;
        }
        case KeyPress: {
            char text[16] = {};
            KeySym keysym = 0;
            XKeyEvent key = event.xkey;
            const int length =
                XLookupString(&key, text, static_cast<int>(sizeof text) - 1, &keysym, nullptr);
            const KeyMeaning meaning = meaningOfKey(keysym, text, length);
            out.kind = PopupEvent::Kind::KeyDown;
            out.virtualKey = meaning.virtualKey;
            out.character = meaning.character;
            out.modifiers = modifiersOfState(event.xkey.state);
            break;
        }
        default:
            return true;
        }
        if (queue_.size() < kMaxQueuedEvents) {
            queue_.push_back(out);
        }
        return true;
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
    int screen_ = 0;
    Window root_ = 0;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    std::vector<Panel> panels_;
    bool grabbed_ = false;
    std::deque<PopupEvent> queue_;
};

} // namespace

std::unique_ptr<PopupHost> openPopupHost(X11Window& window)
{
    if (window.display() == nullptr) {
        return nullptr;
    }
    return std::make_unique<X11PopupHost>(window);
}

} // namespace platform::x11
