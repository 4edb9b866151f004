#pragma once
// What the forms' tests share: the pinned face, a headless popup host and a
// picture of the open menu panels.

#include "GoldenImage.h"
#include "gui/graphics/text/AM_FontSettings.h"
#include "platform/HeadlessPopupHost.h"
#include "platform/MenuPresenter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace formstest {

inline std::string veraFolder()
{
    const std::string path = KK_VERA_TTF;
    return path.substr(0, path.rfind('/') + 1);
}

class PinnedFont : public ::testing::Test {
protected:
    void SetUp() override
    {
        AM_FontSettings::reset();
        AM_FontSettings::setFolder(veraFolder().c_str());
        AM_FontSettings::setSize(9.0f);
    }
    void TearDown() override { AM_FontSettings::reset(); }
};

inline platform::MenuEntry item(const std::string& text, uint32_t id, bool enabled = true)
{
    platform::MenuEntry e;
    e.text = text;
    e.id = id;
    e.enabled = enabled;
    return e;
}

inline platform::MenuEntry checkItem(const std::string& text, uint32_t id, bool checked)
{
    platform::MenuEntry e = item(text, id);
    e.checkable = true;
    e.checked = checked;
    return e;
}

inline platform::MenuEntry separator()
{
    platform::MenuEntry e;
    e.kind = platform::MenuEntry::Kind::kSeparator;
    return e;
}

inline platform::MenuEntry submenu(const std::string& text,
                                   std::vector<platform::MenuEntry> children)
{
    platform::MenuEntry e;
    e.kind = platform::MenuEntry::Kind::kSubmenu;
    e.text = text;
    e.children = std::move(children);
    return e;
}

// The open panels drawn at their screen places over a grey backdrop, cut
// to their bounding box plus a margin.
inline testsupport::BgraPicture panelsPicture(const platform::HeadlessPopupHost& host, int margin)
{
    testsupport::BgraPicture picture;
    const auto open = host.openPanels();
    if (open.empty()) {
        return picture;
    }
    int x1 = open[0]->rect.x, y1 = open[0]->rect.y, x2 = x1, y2 = y1;
    for (const auto* p : open) {
        x1 = std::min(x1, p->rect.x);
        y1 = std::min(y1, p->rect.y);
        x2 = std::max(x2, p->rect.x + p->width);
        y2 = std::max(y2, p->rect.y + p->height);
    }
    x1 -= margin;
    y1 -= margin;
    picture.width = x2 - x1 + margin;
    picture.height = y2 - y1 + margin;
    picture.pixels.assign(static_cast<size_t>(picture.width) * picture.height * 4, 0);
    for (size_t i = 0; i < picture.pixels.size(); i += 4) {
        picture.pixels[i] = 0x70;
        picture.pixels[i + 1] = 0x68;
        picture.pixels[i + 2] = 0x60;
        picture.pixels[i + 3] = 0xff;
    }
    for (const auto* p : open) {
        for (int y = 0; y < p->height; ++y) {
            std::memcpy(&picture.pixels[(static_cast<size_t>(p->rect.y - y1 + y) * picture.width +
                                         static_cast<size_t>(p->rect.x - x1)) *
                                        4],
                        &p->pixels[static_cast<size_t>(y) * p->width * 4],
                        static_cast<size_t>(p->width) * 4);
        }
    }
    return picture;
}

} // namespace formstest
