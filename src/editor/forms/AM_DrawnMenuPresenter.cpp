#include "editor/forms/AM_DrawnMenuPresenter.h"

#include "editor/forms/AM_MenuSession.h"
#include "platform/Trace.h"

AM_DrawnMenuPresenter::AM_DrawnMenuPresenter(std::unique_ptr<platform::PopupHost> host, float zoom)
    : host_(std::move(host)), zoom_(zoom)
{
}

AM_DrawnMenuPresenter::~AM_DrawnMenuPresenter() = default;

uint32_t AM_DrawnMenuPresenter::show(const platform::PopupMenu& menu, int x, int y)
{
    if (host_ == nullptr) {
        platform::debugOutput("Menu: no popup windows here, menu dismissed\n");
        return platform::kNoMenuChoice;
    }
    if (showing_) {
        platform::debugOutput("Menu: a menu is up already, the new one is dismissed\n");
        return platform::kNoMenuChoice;
    }
    showing_ = true;
    uint32_t answer = platform::kNoMenuChoice;
    {
        AM_MenuSession session(*host_, zoom_);
        answer = session.run(menu, x, y);
    }
    showing_ = false;
    return answer;
}
