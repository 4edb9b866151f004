#include "editor/forms/AM_DrawnMenuPresenter.h"

#include "editor/forms/AM_MenuSession.h"
#include "platform/Trace.h"

AM_DrawnMenuPresenter::AM_DrawnMenuPresenter(std::unique_ptr<platform::PopupHost> host, float zoom)
    : host_(std::move(host)), zoom_(zoom)
{
}

AM_DrawnMenuPresenter::~AM_DrawnMenuPresenter()
{
    close();
}

bool AM_DrawnMenuPresenter::open(const platform::PopupMenu& menu, int x, int y,
                                 platform::MenuClient* client)
{
    if (host_ == nullptr) {
        platform::debugOutput("Menu: no popup windows here, menu not shown\n");
        return false;
    }
    if (session_ != nullptr) {
        platform::debugOutput("Menu: a menu is up already, the new one is not shown\n");
        return false;
    }
    auto session = std::make_unique<AM_MenuSession>(*host_, zoom_);
    if (!session->open(menu, x, y)) {
        return false;
    }
    session_ = std::move(session);
    client_ = client;
    return true;
}

void AM_DrawnMenuPresenter::close()
{
    client_ = nullptr;
    session_.reset();
}

void AM_DrawnMenuPresenter::dismiss()
{
    platform::MenuClient* client = client_;
    if (session_ == nullptr) {
        return;
    }
    close();
    if (client != nullptr) {
        client->menuClosed(platform::kNoMenuChoice);
    }
}

void AM_DrawnMenuPresenter::pump(uint32_t nowMs)
{
    if (session_ == nullptr || !session_->pump(nowMs)) {
        return;
    }
    const uint32_t answer = session_->answer();
    platform::MenuClient* client = client_;
    close();
    if (client != nullptr) {
        client->menuClosed(answer);
    }
}
