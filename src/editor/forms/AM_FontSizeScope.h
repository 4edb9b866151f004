#pragma once
// The font size is shared by every drawing context of the process: the
// menus and dialogs set their own for as long as they draw or measure, and
// give the controls theirs back afterwards.

#include "gui/graphics/AM_Context.h"
#include "gui/graphics/text/AM_FontSettings.h"

class AM_FontSizeScope {
public:
    AM_FontSizeScope(AM_Context& context, float size) : saved_(AM_FontSettings::size())
    {
        context.setFontSize(size);
    }
    ~AM_FontSizeScope() { AM_FontSettings::setSize(saved_); }
    AM_FontSizeScope(const AM_FontSizeScope&) = delete;
    AM_FontSizeScope& operator=(const AM_FontSizeScope&) = delete;

private:
    float saved_;
};
