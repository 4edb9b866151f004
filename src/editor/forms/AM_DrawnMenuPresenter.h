#pragma once
// The editor's popup menus, drawn by us: shows a menu through the popup
// host (X11 popups on the editor's connection, or a test's host) and
// returns at once; pump, called from the editor's idle call, handles the
// menu's input and tells the client the answer when the menu is over.
// Without a host no menu is shown, with a trace line; a menu asked for
// while one is up is not shown.
//
// GUI thread only.

#include "platform/MenuPresenter.h"
#include "platform/PopupHost.h"

#include <cstdint>
#include <memory>

class AM_MenuSession;

class AM_DrawnMenuPresenter final : public platform::MenuPresenter {
public:
    AM_DrawnMenuPresenter(std::unique_ptr<platform::PopupHost> host, float zoom);
    // The open menu goes down; its client is told nothing.
    ~AM_DrawnMenuPresenter() override;

    bool open(const platform::PopupMenu& menu, int x, int y, platform::MenuClient* client) override;
    void close() override;
    // Takes the open menu down as dismissed: its client hears kNoMenuChoice.
    void dismiss();
    bool isOpen() const override { return session_ != nullptr; }
    // From the editor's idle call: the open menu's input since the last
    // call; when the menu is over, it goes down and then its client hears
    // the answer (and may open the next menu). nowMs: a millisecond clock.
    void pump(uint32_t nowMs);

    void setZoom(float zoom) { zoom_ = zoom; }
    platform::PopupHost* host() { return host_.get(); }

private:
    std::unique_ptr<platform::PopupHost> host_;
    std::unique_ptr<AM_MenuSession> session_;
    platform::MenuClient* client_ = nullptr;
    float zoom_;
};
