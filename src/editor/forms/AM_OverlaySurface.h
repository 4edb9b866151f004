#pragma once
// The surface the editor's view manager presents its frame on: it keeps a
// copy of what was presented and shows the open overlays (prompt, save
// form, question) composed over it, so the view manager draws as always and
// the overlays stay on top. An overlay that changes is composed and shown
// again at once from the kept copy.
//
// GUI thread only.

#include "editor/forms/AM_Overlay.h"
#include "gui/graphics/AM_AGG_Context.h"
#include "platform/EditorWindow.h"
#include "platform/Surface.h"

#include <cstdint>
#include <vector>

class AM_OverlaySurface final : public platform::Surface {
public:
    AM_OverlaySurface(platform::EditorWindow& window, float zoom);

    void present(const platform::FrameView& frame, const platform::PixelRect& source, int destX,
                 int destY) override;

    // Overlays are drawn in the order they were added.
    void addOverlay(AM_Overlay* overlay) { overlays_.push_back(overlay); }
    // Composes and shows an area of GUI units again (an overlay opened,
    // changed or closed there).
    void refresh(const AM_Rect& area);
    // The caret's blink phase; a change redraws the shown overlays.
    void setCaretOn(bool on);
    bool caretOn() const { return caretOn_; }

    void setZoom(float zoom);
    float zoom() const { return zoom_; }
    // The window's size in GUI units.
    float widthUnits() const;
    float heightUnits() const;
    // For measuring text (also between repaints).
    AM_AGG_Context& context() { return context_; }
    platform::EditorWindow& window() { return window_; }
    // The pixels an area of GUI units touches, inside the window.
    platform::PixelRect pixelsOf(const AM_Rect& area) const;

private:
    bool anyShownOver(const platform::PixelRect& r) const;
    void fitToWindow();
    void compose(const platform::PixelRect& r);

    platform::EditorWindow& window_;
    float zoom_;
    AM_AGG_Context context_{nullptr};
    std::vector<uint8_t> kept_;
    int width_ = 0;
    int height_ = 0;
    std::vector<AM_Overlay*> overlays_;
    bool caretOn_ = true;
};
