#pragma once
// The surface the editor's view manager draws to: it passes every frame on
// to the window's surface and lays the editor's notice (an alert shown
// inside the window, in place of a message box) over it while one is up.
// A click on the notice closes it.
//
// GUI thread only.

#include "gui/graphics/AM_AGG_Context.h"
#include "platform/Surface.h"

#include <string>
#include <vector>

class AM_EditorSurface final : public platform::Surface {
public:
    AM_EditorSurface();

    // Where frames go (null: nowhere, e.g. before the window exists).
    void setTarget(platform::Surface* target) { target_ = target; }
    platform::Surface* target() const { return target_; }

    void present(const platform::FrameView& frame, const platform::PixelRect& source, int destX,
                 int destY) override;

    // Puts up the notice, titled, centred near the top of a window of that
    // width, scaled by zoom. The next present of its area shows it.
    void showNotice(const char* title, const char* text, int windowWidth, float zoom,
                    const char* fontFolder);
    void closeNotice() { noticeUp_ = false; }
    bool noticeUp() const { return noticeUp_; }
    // The notice's place in window pixels.
    const platform::PixelRect& noticeArea() const { return noticeArea_; }
    bool noticeContains(int x, int y) const;
    const std::string& noticeTitle() const { return title_; }
    const std::string& noticeText() const { return text_; }

private:
    void drawNotice(float zoom, const char* fontFolder);
    // Breaks the text at spaces into lines_ no wider than width (the text
    // font set).
    void wrapText(float width);

    platform::Surface* target_ = nullptr;
    AM_AGG_Context notice_;
    platform::PixelRect noticeArea_;
    float noticeWidth_ = 0.0f;
    float noticeHeight_ = 0.0f;
    bool noticeUp_ = false;
    std::string title_;
    std::string text_;
    std::vector<std::string> lines_;
    std::vector<uint8_t> composed_;
};
