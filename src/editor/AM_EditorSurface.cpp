// The editor's surface and its notice.

#include "editor/AM_EditorSurface.h"

#include "gui/graphics/text/AM_TextWrap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float kNoticeWidth = 340.0f;
constexpr float kNoticeMinWidth = 160.0f;
constexpr float kNoticeHeight = 86.0f;
constexpr float kNoticeTop = 16.0f;
constexpr float kTitleHeight = 24.0f;
constexpr float kBorder = 2.0f;
constexpr float kMargin = 12.0f;
constexpr float kTitleFontSize = 13.0f;
constexpr float kTextFontSize = 13.0f;
constexpr float kHintFontSize = 10.0f;
// A longer text is wrapped at spaces into at most this many lines, each
// one more line height below the first.
constexpr int kMaxTextLines = 4;
constexpr float kLineHeight = 16.0f;
constexpr uint32_t kBorderColour = 0x7A1C1CFF;
constexpr uint32_t kTitleColour = 0xB3261EFF;
constexpr uint32_t kTitleTextColour = 0xFFFFFFFF;
constexpr uint32_t kBodyColour = 0xFBF3F2FF;
constexpr uint32_t kTextColour = 0x202020FF;
constexpr uint32_t kHintColour = 0x6B6B6BFF;
constexpr int kBytesPerPixel = 4;

bool overlap(const platform::PixelRect& a, const platform::PixelRect& b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

} // namespace

AM_EditorSurface::AM_EditorSurface() : notice_(nullptr) {}

bool AM_EditorSurface::noticeContains(int x, int y) const
{
    return noticeUp_ && x >= noticeArea_.x && x < noticeArea_.x + noticeArea_.w &&
           y >= noticeArea_.y && y < noticeArea_.y + noticeArea_.h;
}

void AM_EditorSurface::showNotice(const char* title, const char* text, int windowWidth,
                                  float zoom, const char* fontFolder)
{
    if (!(zoom > 0.0f) || !std::isfinite(zoom))
        zoom = 1.0f;
    title_ = title != nullptr ? title : "";
    text_ = text != nullptr ? text : "";
    // As wide as it is designed, or as the window allows with a margin.
    noticeWidth_ = std::clamp(windowWidth / zoom - 2 * kNoticeTop, kNoticeMinWidth, kNoticeWidth);
    if (fontFolder != nullptr)
        notice_.setFontFolder(fontFolder);
    notice_.setFontSize(kTextFontSize);
    wrapText(noticeWidth_ - 2 * kMargin);
    noticeHeight_ = kNoticeHeight + static_cast<float>(lines_.size() - 1) * kLineHeight;
    const int width = static_cast<int>(std::lround(noticeWidth_ * zoom));
    const int height = static_cast<int>(std::lround(noticeHeight_ * zoom));
    noticeArea_ = {std::max(0, (windowWidth - width) / 2),
                   static_cast<int>(std::lround(kNoticeTop * zoom)), width, height};
    drawNotice(zoom, fontFolder);
    noticeUp_ = true;
}

void AM_EditorSurface::wrapText(float width)
{
    lines_ = AM_wrapText(text_, width, kMaxTextLines, [this](const std::string& line) {
        return notice_.getTextWidth(line.c_str());
    });
}

void AM_EditorSurface::drawNotice(float zoom, const char* fontFolder)
{
    const AM_Rect canvas{0, 0, noticeWidth_ * zoom, noticeHeight_ * zoom};
    notice_.setCanvas(&canvas);
    notice_.setZoom(zoom, canvas.w, canvas.h);
    if (fontFolder != nullptr)
        notice_.setFontFolder(fontFolder);
    notice_.beginDraw();

    const AM_Rect all{0, 0, noticeWidth_, noticeHeight_};
    notice_.setColourPacked(kBorderColour);
    notice_.fillRect(&all);
    const AM_Rect title{kBorder, kBorder, noticeWidth_ - 2 * kBorder, kTitleHeight};
    notice_.setColourPacked(kTitleColour);
    notice_.fillRect(&title);
    const AM_Rect body{kBorder, kBorder + kTitleHeight, noticeWidth_ - 2 * kBorder,
                       noticeHeight_ - 2 * kBorder - kTitleHeight};
    notice_.setColourPacked(kBodyColour);
    notice_.fillRect(&body);

    notice_.setColourPacked(kTitleTextColour);
    notice_.setFontSize(kTitleFontSize);
    const AM_Rect titleText{kMargin, kBorder, noticeWidth_ - 2 * kMargin, kTitleHeight};
    notice_.drawText(title_.c_str(), &titleText, 0, true);
    notice_.setColourPacked(kTextColour);
    notice_.setFontSize(kTextFontSize);
    AM_Rect line{kMargin, kBorder + kTitleHeight + 8, noticeWidth_ - 2 * kMargin, 22};
    for (const std::string& text : lines_) {
        notice_.drawText(text.c_str(), &line, 0, true);
        line.y += kLineHeight;
    }
    notice_.setColourPacked(kHintColour);
    notice_.setFontSize(kHintFontSize);
    const AM_Rect hint{kMargin, noticeHeight_ - kBorder - 22, noticeWidth_ - 2 * kMargin, 18};
    notice_.drawText("Click here to close", &hint, 2, true);
}

void AM_EditorSurface::present(const platform::FrameView& frame, const platform::PixelRect& source,
                               int destX, int destY)
{
    if (target_ == nullptr)
        return;
    const platform::PixelRect dest{destX, destY, source.w, source.h};
    if (!noticeUp_ || !overlap(dest, noticeArea_) || notice_.pixels() == nullptr) {
        target_->present(frame, source, destX, destY);
        return;
    }
    // The rectangle with the notice laid over it, in a frame of its own.
    const int stride = source.w * kBytesPerPixel;
    composed_.resize(static_cast<size_t>(stride) * source.h);
    for (int row = 0; row < source.h; ++row)
        std::memcpy(composed_.data() + static_cast<size_t>(row) * stride,
                    frame.pixels + static_cast<size_t>(source.y + row) * frame.stride +
                        static_cast<size_t>(source.x) * kBytesPerPixel,
                    static_cast<size_t>(stride));
    const int left = std::max(dest.x, noticeArea_.x);
    const int right = std::min({dest.x + dest.w, noticeArea_.x + noticeArea_.w,
                                noticeArea_.x + notice_.bufferWidth()});
    const int top = std::max(dest.y, noticeArea_.y);
    const int bottom = std::min({dest.y + dest.h, noticeArea_.y + noticeArea_.h,
                                 noticeArea_.y + notice_.bufferHeight()});
    for (int y = top; y < bottom; ++y) {
        if (right <= left)
            break;
        const uint8_t* from = notice_.pixels() +
                              static_cast<size_t>(y - noticeArea_.y) * notice_.bufferStride() +
                              static_cast<size_t>(left - noticeArea_.x) * kBytesPerPixel;
        uint8_t* to = composed_.data() + static_cast<size_t>(y - dest.y) * stride +
                      static_cast<size_t>(left - dest.x) * kBytesPerPixel;
        std::memcpy(to, from, static_cast<size_t>(right - left) * kBytesPerPixel);
    }
    const platform::FrameView composed{composed_.data(), source.w, source.h, stride};
    target_->present(composed, {0, 0, source.w, source.h}, destX, destY);
}
