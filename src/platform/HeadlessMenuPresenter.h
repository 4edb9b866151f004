#pragma once
// A menu presenter without a window: every menu it is asked to show is kept
// (with the place), and answered with the next choice a test scripted,
// before open returns (the user chose at once).
//
//   HeadlessMenuPresenter menus;
//   menus.choosePath({"Parameters", "Osc 1", "Cutoff"});
//   viewMan.showMenu();            // the control gets the Cutoff item
//   menus.dismiss();               // the next menu chooses nothing
//   menus.hold();                  // the next menu stays up until
//   menus.answerHeld(id);          // the test answers it
//
// With nothing scripted, a menu is dismissed.
//
// GUI thread only.

#include "platform/MenuPresenter.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace platform {

class HeadlessMenuPresenter final : public MenuPresenter {
public:
    bool open(const PopupMenu& menu, int x, int y, MenuClient* client) override;
    void close() override;
    bool isOpen() const override { return held_; }

    // Scripted answers, used in order, one per menu shown.
    // The item with this id.
    void chooseId(uint32_t id);
    // The item reached through these texts (submenus, then the item).
    void choosePath(std::vector<std::string> path);
    // The n-th choosable item of the top level, counting from 1 (separators
    // and submenu entries are not counted).
    void chooseNth(int n);
    // Nothing (a click outside the menu).
    void dismiss();
    // The menu stays up: answerHeld or close ends it.
    void hold();
    // Answers the menu held up (kNoMenuChoice: dismissed); false when none
    // is up.
    bool answerHeld(uint32_t id);

    struct Shown {
        PopupMenu menu;
        int x = 0;
        int y = 0;
    };
    const std::vector<Shown>& shown() const { return shown_; }
    const Shown* lastShown() const { return shown_.empty() ? nullptr : &shown_.back(); }
    // Scripted choices that matched no choosable item of their menu (the
    // menu then answered kNoMenuChoice).
    int unmatchedChoices() const { return unmatched_; }
    size_t pendingChoices() const { return script_.size(); }

private:
    struct Choice {
        enum class Kind : uint8_t { kId, kPath, kNth, kDismiss, kHold };
        Kind kind = Kind::kDismiss;
        uint32_t id = kNoMenuChoice;
        std::vector<std::string> path;
        int nth = 0;
    };
    uint32_t answer(const Choice& choice, const PopupMenu& menu);

    std::deque<Choice> script_;
    std::vector<Shown> shown_;
    int unmatched_ = 0;
    bool held_ = false;
    MenuClient* heldClient_ = nullptr;
};

} // namespace platform
