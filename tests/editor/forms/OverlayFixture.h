#pragma once
// An editor window in memory with the forms over it and a frame standing in
// for the view manager's: a dark surface with a few controls drawn on it,
// presented through the forms' surface as the view manager does.

#include "editor/forms/AM_EditorForms.h"
#include "gui/graphics/AM_AGG_Context.h"
#include "platform/HeadlessEditorWindow.h"

#include "FormsFixture.h"
#include "GoldenImage.h"

#include <memory>
#include <string>
#include <vector>

namespace formstest {

struct PromptClient : platform::TextPromptClient {
    void textPromptAccepted(const std::string& text) override { accepted.push_back(text); }
    void textPromptCancelled() override { ++cancelled; }
    std::vector<std::string> accepted;
    int cancelled = 0;
};

class OverlayFixture : public PinnedFont {
public:
    // A window of w x h GUI units at the zoom.
    void make(float w, float h, float zoom)
    {
        zoom_ = zoom;
        window = std::make_unique<platform::HeadlessEditorWindow>(static_cast<int>(w * zoom),
                                                                  static_cast<int>(h * zoom));
        forms = std::make_unique<AM_EditorForms>(*window, zoom);
        frame = std::make_unique<AM_AGG_Context>(&forms->surface());
        frame->setZoom(zoom, 0, 0);
        const AM_Rect canvas{0, 0, w * zoom, h * zoom};
        frame->setCanvas(&canvas);
        drawFrame(0x30343aff);
    }
    // The stand-in for the view manager's repaint: a background, a few
    // control faces and a label, all presented.
    void drawFrame(uint32_t background)
    {
        AM_AGG_Context& c = *frame;
        c.beginDraw();
        const AM_Rect all{0, 0, static_cast<float>(window->width()) / zoom_,
                          static_cast<float>(window->height()) / zoom_};
        c.setColourPacked(background);
        c.fillRect(&all);
        c.setColourPacked(0x4a5260ff);
        for (int i = 0; i < 6; ++i) {
            const AM_Rect knob{16.0f + 62 * i, 150, 44, 44};
            c.fillRect(&knob);
        }
        c.setFontSize(10);
        c.setColourPacked(0xd0d0d0ff);
        const AM_Rect label{16, 20, 200, 16};
        c.drawText("Patch: Warm Pad", &label, 0, true);
        c.blitToWindow(&all);
    }
    void post(platform::WindowEvent e) { window->post(e); }
    void key(int virtualKey, uint32_t character = 0, int modifiers = 0)
    {
        platform::WindowEvent e;
        e.kind = platform::WindowEventKind::KeyDown;
        e.virtualKey = virtualKey;
        e.character = character;
        e.modifiers = modifiers;
        window->post(e);
    }
    void type(const std::string& latin1)
    {
        for (unsigned char ch : latin1) {
            key(platform::kVirtualKeyNone, ch);
        }
    }
    // A press and release at a point of GUI units.
    void click(float x, float y, bool doubleClick = false)
    {
        platform::WindowEvent e;
        e.kind = platform::WindowEventKind::ButtonDown;
        e.button = platform::PointerButton::Primary;
        e.x = static_cast<int>(x * zoom_);
        e.y = static_cast<int>(y * zoom_);
        e.doubleClick = doubleClick;
        window->post(e);
        e.kind = platform::WindowEventKind::ButtonUp;
        window->post(e);
    }
    void clickMiddle(const AM_Rect& r) { click(r.x + r.w / 2, r.y + r.h / 2); }
    // Hands every posted event to the forms as the editor does; the ones
    // not taken are kept.
    void pump()
    {
        struct Sink : platform::WindowEventSink {
            OverlayFixture* f;
            void onWindowEvent(const platform::WindowEvent& e) override
            {
                if (!f->forms->takeEvent(e)) {
                    f->notTaken.push_back(e);
                }
            }
        } sink;
        sink.f = this;
        window->pumpEvents(sink);
    }
    std::string compare(const std::string& name)
    {
        const platform::HeadlessSurface& s = window->headlessSurface();
        return testsupport::compareWithGolden(name, s.pixels(), s.width(), s.height(), s.stride(),
                                              2, 40);
    }
    std::vector<uint8_t> windowPixels() const
    {
        const platform::HeadlessSurface& s = window->headlessSurface();
        return std::vector<uint8_t>(s.pixels(), s.pixels() + s.stride() * s.height());
    }
    platform::PixelRect placeOf(const AM_Rect& r) const
    {
        return platform::PixelRect{static_cast<int>(r.x * zoom_), static_cast<int>(r.y * zoom_),
                                   static_cast<int>(r.w * zoom_), static_cast<int>(r.h * zoom_)};
    }

    float zoom_ = 1.0f;
    std::unique_ptr<platform::HeadlessEditorWindow> window;
    std::unique_ptr<AM_EditorForms> forms;
    std::unique_ptr<AM_AGG_Context> frame;
    std::vector<platform::WindowEvent> notTaken;
};

} // namespace formstest
