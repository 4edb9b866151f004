#pragma once
// The editor's popup menus, drawn by us: shows a menu through the popup
// host (X11 popups on the editor's connection, or a test's host) and
// answers the chosen item. Without a host every menu is dismissed, with a
// trace line. A menu asked for while one is up is dismissed at once.
//
// GUI thread only.

#include "platform/MenuPresenter.h"
#include "platform/PopupHost.h"

#include <memory>

class AM_DrawnMenuPresenter final : public platform::MenuPresenter {
public:
    AM_DrawnMenuPresenter(std::unique_ptr<platform::PopupHost> host, float zoom);
    ~AM_DrawnMenuPresenter() override;

    uint32_t show(const platform::PopupMenu& menu, int x, int y) override;
    void setZoom(float zoom) { zoom_ = zoom; }
    bool showing() const { return showing_; }
    platform::PopupHost* host() { return host_.get(); }

private:
    std::unique_ptr<platform::PopupHost> host_;
    float zoom_;
    bool showing_ = false;
};
