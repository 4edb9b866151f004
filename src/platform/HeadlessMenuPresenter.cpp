#include "platform/HeadlessMenuPresenter.h"

#include <utility>

namespace platform {

namespace {

bool choosable(const MenuEntry& entry)
{
    return entry.kind == MenuEntry::Kind::kItem && entry.enabled && entry.id != kNoMenuChoice;
}

const MenuEntry* findId(const std::vector<MenuEntry>& entries, uint32_t id)
{
    for (const MenuEntry& entry : entries) {
        if (entry.kind == MenuEntry::Kind::kSubmenu) {
            if (const MenuEntry* found = findId(entry.children, id)) {
                return found;
            }
        } else if (choosable(entry) && entry.id == id) {
            return &entry;
        }
    }
    return nullptr;
}

const MenuEntry* findPath(const std::vector<MenuEntry>& entries,
                          const std::vector<std::string>& path, size_t depth)
{
    if (depth >= path.size()) {
        return nullptr;
    }
    const bool last = depth + 1 == path.size();
    for (const MenuEntry& entry : entries) {
        if (entry.text != path[depth]) {
            continue;
        }
        if (last && choosable(entry)) {
            return &entry;
        }
        if (!last && entry.kind == MenuEntry::Kind::kSubmenu && entry.enabled) {
            if (const MenuEntry* found = findPath(entry.children, path, depth + 1)) {
                return found;
            }
        }
    }
    return nullptr;
}

} // namespace

bool HeadlessMenuPresenter::open(const PopupMenu& menu, int x, int y, MenuClient* client)
{
    if (held_) {
        return false;
    }
    shown_.push_back({menu, x, y});
    uint32_t id = kNoMenuChoice;
    if (!script_.empty()) {
        const Choice choice = std::move(script_.front());
        script_.pop_front();
        if (choice.kind == Choice::Kind::kHold) {
            held_ = true;
            heldClient_ = client;
            return true;
        }
        id = answer(choice, menu);
        if (id == kNoMenuChoice && choice.kind != Choice::Kind::kDismiss) {
            ++unmatched_;
        }
    }
    if (client != nullptr) {
        client->menuClosed(id);
    }
    return true;
}

void HeadlessMenuPresenter::close()
{
    held_ = false;
    heldClient_ = nullptr;
}

bool HeadlessMenuPresenter::answerHeld(uint32_t id)
{
    if (!held_) {
        return false;
    }
    MenuClient* client = heldClient_;
    close();
    if (client != nullptr) {
        client->menuClosed(id);
    }
    return true;
}

uint32_t HeadlessMenuPresenter::answer(const Choice& choice, const PopupMenu& menu)
{
    const MenuEntry* entry = nullptr;
    switch (choice.kind) {
    case Choice::Kind::kDismiss:
    case Choice::Kind::kHold:
        return kNoMenuChoice;
    case Choice::Kind::kId:
        entry = findId(menu.entries, choice.id);
        break;
    case Choice::Kind::kPath:
        entry = findPath(menu.entries, choice.path, 0);
        break;
    case Choice::Kind::kNth: {
        int n = 0;
        for (const MenuEntry& candidate : menu.entries) {
            if (choosable(candidate) && ++n == choice.nth) {
                entry = &candidate;
                break;
            }
        }
        break;
    }
    }
    return entry != nullptr ? entry->id : kNoMenuChoice;
}

void HeadlessMenuPresenter::chooseId(uint32_t id)
{
    Choice choice;
    choice.kind = Choice::Kind::kId;
    choice.id = id;
    script_.push_back(std::move(choice));
}

void HeadlessMenuPresenter::choosePath(std::vector<std::string> path)
{
    Choice choice;
    choice.kind = Choice::Kind::kPath;
    choice.path = std::move(path);
    script_.push_back(std::move(choice));
}

void HeadlessMenuPresenter::chooseNth(int n)
{
    Choice choice;
    choice.kind = Choice::Kind::kNth;
    choice.nth = n;
    script_.push_back(std::move(choice));
}

void HeadlessMenuPresenter::dismiss()
{
    script_.push_back(Choice{});
}

void HeadlessMenuPresenter::hold()
{
    Choice choice;
    choice.kind = Choice::Kind::kHold;
    script_.push_back(std::move(choice));
}

} // namespace platform
