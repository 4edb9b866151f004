#include "platform/MenuPresenter.h"

namespace platform {

namespace {

void describeEntries(const std::vector<MenuEntry>& entries, int depth, std::string& out)
{
    for (const MenuEntry& entry : entries) {
        out.append(size_t(depth) * 2, ' ');
        switch (entry.kind) {
        case MenuEntry::Kind::kSeparator:
            out += "-";
            break;
        case MenuEntry::Kind::kSubmenu:
            out += "> " + entry.text;
            break;
        case MenuEntry::Kind::kItem:
            if (entry.checkable) {
                out += entry.checked ? "[x] " : "[ ] ";
            }
            out += entry.text;
            break;
        }
        if (!entry.enabled) {
            out += " (disabled)";
        }
        out += "\n";
        if (entry.kind == MenuEntry::Kind::kSubmenu) {
            describeEntries(entry.children, depth + 1, out);
        }
    }
}

} // namespace

std::string describeMenu(const PopupMenu& menu)
{
    std::string out;
    describeEntries(menu.entries, 0, out);
    return out;
}

} // namespace platform
