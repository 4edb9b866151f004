#include "gui/controls/AM_View_PresetSelector.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_View_PresetSaver.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_ViewManServices.h"
#include "presets/AM_View_Interface.h"
#include "presets/folders/PresetListItem.h"
#include "presets/library/ModulePresetList.h"
#include "presets/library/PresetTagger.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kTypeName = "PresetSelector";

constexpr uint32_t kTextTypes[] = {k_typeTextData};
const AM_PortDescriptor kPorts[] = {{0, "MPreset", 1, kTextTypes}};

enum ColourSlot : int32_t {
    kBackground = 0,
    kText,
    kHiliteBack,
    kHiliteText,
    kScrollBorder,
    kScrollBar,
    kFavText,
    kFavHiliteText,
    kFavBack,
    kFavHiliteBack,
    kJunkText,
    kJunkHiliteText,
    kJunkBack,
    kJunkHiliteBack,
    kColourSlots,
};
constexpr char kColourNames[][kGuiNameBytes] = {
    "PresetSelectorBackground", "Text",          "HiliteBack",   "HiliteText",
    "ScrollBorder",             "ScrollBar",     "FavText",      "FavHiliteText",
    "FavBack",                  "FavHiliteBack", "JunkText",     "JunkHiliteText",
    "JunkBack",                 "JunkHiliteBack"};
enum GraphicSlot : int32_t { kBackgroundGraphic = 0, kFavIcon, kJunkIcon, kGraphicSlots };
constexpr char kGraphicNames[][kGuiNameBytes] = {"PresetSelectorBackground", "FavIcon",
                                                 "JunkIcon"};

constexpr const char* kColumnsKey = "Columns";

// Mouse buttons and keys of a press.
constexpr uint32_t kShift = 1;
constexpr uint32_t kRight = 2;
constexpr uint32_t kAlt = 8;
// A drag of text up to its zero byte.
constexpr uint32_t kLengthOfText = 0xFFFFFFFFu;

// A tag change that could not be kept is told on the info display's first
// line (the module line, left without a module).
constexpr int32_t kTagInfoLine = 0;
constexpr const char* kNameNotTaggableText = "name can't be tagged";
constexpr const char* kTagFileLockedText = "tag file can't be written";

AM_View_Interface* interfaceOf(AM_ViewMan* viewMan)
{
    return viewMan != nullptr ? viewMan->getInterface() : nullptr;
}

} // namespace

AM_View_PresetSelector::AM_View_PresetSelector(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "PresetSelector %u", unsigned(getId()));
    setName(name);
    label_.setText(getName());
    initControl(0, 1, kPorts, 0, nullptr, kColourSlots, kColourNames, kGraphicSlots,
                kGraphicNames, false);
    if (getColour(kText) == nullptr && viewMan_ != nullptr) {
        if (AM_Colour* black = viewMan_->getColour("black")) {
            setColour(black, kText);
        }
    }
}

AM_View_PresetSelector::~AM_View_PresetSelector() = default;

AM_ViewControl* AM_View_PresetSelector::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* view = new AM_View_PresetSelector(viewMan, bounds);
    view->setFactory(&AM_View_PresetSelector::create);
    return view;
}

const char* AM_View_PresetSelector::getTypeName() const
{
    return kTypeName;
}

// --- The items.

ModulePresetList* AM_View_PresetSelector::presetList()
{
    AM_View_Interface* host = interfaceOf(viewMan_);
    return host != nullptr ? host->getModulePresetList(listName()) : nullptr;
}

PresetListItem* AM_View_PresetSelector::items()
{
    AM_View_Interface* host = interfaceOf(viewMan_);
    return host != nullptr ? host->getPresetItems(listName()) : nullptr;
}

PresetListItem* AM_View_PresetSelector::firstShown()
{
    PresetListItem* first = items();
    return first != nullptr && !showJunk_ && first->isJunk() ? first->nextVisible(false) : first;
}

PresetListItem* AM_View_PresetSelector::nextShown(const PresetListItem* item) const
{
    return item != nullptr ? item->nextVisible(showJunk_) : nullptr;
}

PresetListItem* AM_View_PresetSelector::shownAt(int32_t index)
{
    if (index < 0) {
        return nullptr;
    }
    PresetListItem* item = firstShown();
    for (int32_t i = 0; item != nullptr && i < index; ++i) {
        item = nextShown(item);
    }
    return item;
}

bool AM_View_PresetSelector::ownsItem(const PresetListItem* item)
{
    for (PresetListItem* i = items(); i != nullptr && item != nullptr; i = i->next()) {
        if (i == item) {
            return true;
        }
    }
    return false;
}

void AM_View_PresetSelector::setPresetListName(const char* name)
{
    presetListName_ = name != nullptr ? name : "";
    clickedItem_ = nullptr;
    firstRow_ = 0;
    redraw();
}

void AM_View_PresetSelector::setColumns(int32_t columns)
{
    columns_ = std::clamp(columns, 1, kMaxColumns);
    redraw();
}

// --- Geometry.

AM_View_PresetSelector::Layout AM_View_PresetSelector::layout()
{
    Layout l;
    const int32_t rows = static_cast<int32_t>(bounds_.h / kRowHeight);
    const int32_t width = static_cast<int32_t>(bounds_.w) - static_cast<int32_t>(kScrollColumn);
    l.columnWidth = float(std::max(width, 0) / columns_);
    l.listRight = bounds_.x + l.columnWidth * float(columns_);
    PresetListItem* first = items();
    l.count = first != nullptr ? first->count(showJunk_) : 0;
    if (l.count > 0) {
        l.rowsPerColumn = std::max((l.count + columns_ - 1) / columns_, rows);
        if (l.rowsPerColumn - firstRow_ < rows) {
            firstRow_ = std::max(l.rowsPerColumn - rows, 0);
        }
    }
    return l;
}

void AM_View_PresetSelector::clampFirstRow(int32_t rowsPerColumn)
{
    const int32_t rows = static_cast<int32_t>(bounds_.h / kRowHeight);
    firstRow_ = std::clamp(firstRow_, 0, std::max(rowsPerColumn - rows, 0));
}

PresetListItem* AM_View_PresetSelector::itemAtPoint(const float* point)
{
    if (point == nullptr || !std::isfinite(point[0]) || !std::isfinite(point[1])) {
        return nullptr;
    }
    const Layout l = layout();
    if (l.count == 0 || l.columnWidth <= 0.0f || point[0] < bounds_.x || point[0] >= l.listRight) {
        return nullptr;
    }
    // The rows as drawn: row r starts at top + offset + 16 r and is lit from
    // 3 units below that; a point belongs to the row whose lit band it is nearest.
    const float rowTop = bounds_.y + label_.vOffset + 2.0f;
    const float relative = (point[1] - rowTop) / kRowHeight;
    if (relative < 0.0f || point[1] < bounds_.y || point[1] >= bounds_.y + bounds_.h) {
        return nullptr;
    }
    const int32_t row = static_cast<int32_t>(std::min(relative, float(l.rowsPerColumn)));
    const int32_t column = static_cast<int32_t>((point[0] - bounds_.x) / l.columnWidth);
    const int32_t inColumn = firstRow_ + row;
    if (column >= columns_ || inColumn >= l.rowsPerColumn) {
        return nullptr;
    }
    const int32_t index = l.rowsPerColumn * column + inColumn;
    return index < l.count ? shownAt(index) : nullptr;
}

// --- Messages and binding.

void AM_View_PresetSelector::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                            void* ptr)
{
    if (message == AM_ViewManServices::kMsgPresetLoaded ||
        message == AM_ViewManServices::kMsgFolderChanged) {
        followCurrentPreset(static_cast<const char*>(ptr));
        return;
    }
    if (message == kCtlMsgGoingAway && sender != nullptr && ownerSaver_ != nullptr &&
        sender == static_cast<AM_Object*>(ownerSaver_)) {
        ownerSaver_ = nullptr;
    }
    if (message == kCtlMsgRename) {
        redraw();
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_View_PresetSelector::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (i == 0 && parameter != nullptr) {
        presetListName_ = parameter->longName;
        if (AM_View_Interface* host = interfaceOf(viewMan_)) {
            host->addModulePresetList(presetListName_.c_str(), 2);
        }
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_PresetSelector::followCurrentPreset(const char* list)
{
    AM_View_Interface* host = interfaceOf(viewMan_);
    if (host == nullptr || visibleRows_ == 0) {
        return;
    }
    // Only news of the list shown: lists are compared, not their names, so
    // a module path and the list's own name agree.
    if (list == nullptr ? !presetListName_.empty()
                        : host->getModulePresetList(list) != presetList()) {
        return;
    }
    // Whatever the folder holds is shown from here on, nothing included:
    // rows of the folder left behind must not stay on screen.
    redraw();
    const char* name = host->getCurrentPresetName(listName());
    const char* extension = host->getCurrentPresetExtension(listName());
    PresetListItem* first = items();
    if (name == nullptr || extension == nullptr || first == nullptr) {
        return;
    }
    first->selectAll(false, true);
    int32_t index = 0;
    PresetListItem* found = nullptr;
    for (PresetListItem* item = firstShown(); item != nullptr; item = nextShown(item), ++index) {
        if (std::strcmp(item->name(), name) == 0 && std::strcmp(item->extension(), extension) == 0) {
            found = item;
            break;
        }
    }
    if (found != nullptr) {
        found->setSelected(true);
        const Layout l = layout();
        const int32_t row = l.rowsPerColumn > 0 ? index % l.rowsPerColumn : 0;
        if (row >= firstRow_ + visibleRows_ || row < firstRow_) {
            firstRow_ = std::max(row - visibleRows_ / 2, 0);
        }
    }
}

// --- Mouse.

bool AM_View_PresetSelector::onMouseDown(const float* point, uint32_t buttons)
{
    thumbDrag_ = 0;
    clickedItem_ = nullptr;
    if (point == nullptr || !std::isfinite(point[0]) || !std::isfinite(point[1])) {
        return false;
    }
    const Layout l = layout();
    if (point[0] >= l.listRight) {
        if (!bar_.shown() || (buttons & kRight) != 0) {
            return false;
        }
        if (bar_.onThumb(point)) {
            lastPoint_[0] = point[0];
            lastPoint_[1] = point[1];
            thumbDrag_ = 1;
            return true;
        }
        const int32_t page = std::min(bar_.pageRows(), std::max(l.rowsPerColumn, 1));
        firstRow_ += point[1] < bar_.thumb.y ? -page : page;
        clampFirstRow(l.rowsPerColumn);
        redraw();
        return false;
    }
    clickedItem_ = itemAtPoint(point);
    if ((buttons & kRight) != 0) {
        showItemMenu(point, clickedItem_);
        return false;
    }
    if (clickedItem_ != nullptr) {
        clickItem(clickedItem_, buttons);
    }
    return false;
}

void AM_View_PresetSelector::selectRange(PresetListItem* clicked)
{
    // From the first selected item before the clicked one on.
    bool selecting = false;
    PresetListItem* item = firstShown();
    for (; item != nullptr && item != clicked; item = nextShown(item)) {
        if (selecting) {
            item->setSelected(true);
        } else if (item->isSelected()) {
            selecting = true;
        }
    }
    if (!selecting && item != nullptr) {
        // None before it: the items up to the next selected one, when there is one.
        PresetListItem* end = nextShown(item);
        while (end != nullptr && !end->isSelected()) {
            end = nextShown(end);
        }
        for (PresetListItem* after = nextShown(item); end != nullptr && after != end;
             after = nextShown(after)) {
            after->setSelected(true);
        }
    }
    clicked->setSelected(true);
}

void AM_View_PresetSelector::clickItem(PresetListItem* item, uint32_t buttons)
{
    const bool shift = (buttons & kShift) != 0;
    const bool alt = (buttons & kAlt) != 0;
    if (!shift && !alt) {
        if (!item->isSelected()) {
            if (PresetListItem* first = items()) {
                first->selectAll(false, true);
            }
            item->setSelected(true);
        }
    } else if (alt) {
        item->setSelected(!item->isSelected());
    } else {
        selectRange(item);
    }
    redraw();
    if (!item->isSelected() || viewMan_ == nullptr) {
        return;
    }
    const bool dragged = viewMan_->startDragDrop(this, kDragKindPatchList, kLengthOfText, nullptr);
    // The drag may have changed the listing: the item is used only while it
    // is still one of it.
    if (!ownsItem(item)) {
        return;
    }
    if (dragged) {
        if (AM_View_Interface* host = interfaceOf(viewMan_)) {
            host->refreshCurrentFolder(listName());
        }
        return;
    }
    if (!shift && !alt) {
        loadItem(item);
    }
}

void AM_View_PresetSelector::loadItem(PresetListItem* item)
{
    int32_t walked = 0;
    for (PresetListItem* i = firstShown(); i != nullptr; i = nextShown(i)) {
        i->setSelected(false);
        ++walked;
    }
    if (walked != itemCount_) {
        AM_STD::printv("n != numPresets %d, %d", walked, itemCount_);
    }
    if (PresetListItem* first = items()) {
        first->selectAll(false, true);
    }
    item->setSelected(true);
    // The name outlives the listing, which the load may rebuild.
    char name[PresetListItem::kMaxNameBytes + 1];
    std::snprintf(name, sizeof name, "%s", item->name());
    if (AM_View_Interface* host = interfaceOf(viewMan_)) {
        host->loadPreset(item, listName());
    }
    // The values are as large as the bound parameters' texts.
    const std::vector<char> value = AM_View_PresetSaver::textValue(this, 0, name);
    setValueFromUser(0, value.data());
    if (auto* saver = dynamic_cast<AM_View_PresetSaver*>(ownerSaver_)) {
        saver->showPresetName(name);
    }
    redraw();
}

void AM_View_PresetSelector::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[1]) || thumbDrag_ != 1 || !bar_.shown()) {
        thumbDrag_ = -1;
        return;
    }
    const float steps = (point[1] - lastPoint_[1]) / bar_.rowStep;
    const Layout l = layout();
    const int32_t rows = static_cast<int32_t>(bounds_.h / kRowHeight);
    const int32_t last = std::max(l.rowsPerColumn - rows, 0);
    const int32_t d =
        static_cast<int32_t>(std::clamp(steps, -float(last) - 1.0f, float(last) + 1.0f));
    if (d == 0) {
        return;
    }
    const int32_t moved = std::clamp(firstRow_ + d, 0, last) - firstRow_;
    firstRow_ += moved;
    lastPoint_[1] += float(moved) * bar_.rowStep;
    redraw();
}

void AM_View_PresetSelector::onMouseUp(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    redraw();
}

void AM_View_PresetSelector::onMouseWheel(float steps)
{
    if (!std::isfinite(steps)) {
        return;
    }
    const float clamped = std::clamp(steps, -1.0e6f, 1.0e6f);
    firstRow_ = std::max(0, firstRow_ - static_cast<int32_t>(clamped));
    redraw();
}

bool AM_View_PresetSelector::onKeyDown(uint32_t key, uint32_t modifiers)
{
    (void)modifiers;
    if (key != kKeyPrevious && key != kKeyNext) {
        return false;
    }
    if (AM_View_Interface* host = interfaceOf(viewMan_)) {
        if (key == kKeyPrevious) {
            host->previousPreset(listName());
        } else {
            host->nextPreset(listName());
        }
    }
    redraw();
    return true;
}

// --- Drag data.

const char* AM_View_PresetSelector::getDragData()
{
    AM_STD::printv("AM_View_PresetSelector::getDragData( UInt32 &outSize )");
    dragText_.clear();
    for (PresetListItem* item = firstShown(); item != nullptr; item = nextShown(item)) {
        if (!item->isSelected() || item->file() == nullptr) {
            continue;
        }
        // The whole path, however long its UTF-8 form.
        const AM_String& path = item->file()->path();
        std::string narrow(static_cast<size_t>(path.getNarrowLength()) + 1, '\0');
        const int32_t written = path.getNarrow(narrow.data(), int32_t(narrow.size()) - 1);
        narrow.resize(static_cast<size_t>(std::max(written, 0)));
        if (narrow.empty()) {
            continue;
        }
        if (!dragText_.empty()) {
            dragText_ += '\n';
        }
        dragText_ += narrow;
    }
    if (dragText_.empty()) {
        return nullptr;
    }
    AM_STD::printv("%s", dragText_.c_str());
    AM_STD::printv("done AM_View_PresetSelector::getDragData( UInt32 &outSize )");
    return dragText_.c_str();
}

// --- Menus.

void AM_View_PresetSelector::showItemMenu(const float* point, PresetListItem* item)
{
    if (viewMan_ == nullptr) {
        return;
    }
    const auto own = [](uint32_t command) { return AM_menuCommand(command, kMenuCodeOwnCommand); };
    viewMan_->beginMenu(this, point, kRunMenuId);
    if (item != nullptr) {
        const bool fav = item->isFavourite();
        const bool junk = item->isJunk();
        if (!item->isSelected()) {
            viewMan_->addMenuItem(0, own(fav ? kCmdUnFavourite : kCmdFavourite),
                                  fav ? "Un-Favourite" : "make Favourite", 0, 0, item);
            viewMan_->addMenuItem(0, own(junk ? kCmdUnJunk : kCmdJunk),
                                  junk ? "Un-Junk" : "mark as Junk", 0, 0, item);
        } else {
            viewMan_->addMenuItem(0, own(fav ? kCmdUnFavouriteSelected : kCmdFavouriteSelected),
                                  fav ? "Un-Favourite selected" : "make selected Favourite");
            viewMan_->addMenuItem(0, own(junk ? kCmdUnJunkSelected : kCmdJunkSelected),
                                  junk ? "Un-Junk selected" : "mark selected as Junk");
        }
    }
    if (item != nullptr || firstShown() != nullptr) {
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        viewMan_->addMenuItem(0, own(kCmdSelectAll), "select all");
        viewMan_->addMenuItem(0, own(kCmdDeselect), "deselect");
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    }
    viewMan_->addMenuItem(0, own(kCmdToggleJunk), showJunk_ ? "hide Junk" : "show Junk");
    viewMan_->showMenu();
}

void AM_View_PresetSelector::tellRefusal(const char* tagName, PresetTagResult result)
{
    if (result == PresetTagResult::kDone || viewMan_ == nullptr) {
        return;
    }
    char title[AM_InfoLine::kTitleBytes];
    std::snprintf(title, sizeof title, "%s not changed", tagName);
    viewMan_->showInfoLine(kTagInfoLine, nullptr, title,
                           result == PresetTagResult::kNameNotTaggable ? kNameNotTaggableText
                                                                       : kTagFileLockedText,
                           true);
}

bool AM_View_PresetSelector::runCommand(uint32_t command, void* userData)
{
    ModulePresetList* list = presetList();
    auto* item = static_cast<PresetListItem*>(userData);
    switch (command) {
    case kCmdUnFavourite:
    case kCmdFavourite:
    case kCmdUnJunk:
    case kCmdJunk:
        // The menu's item is tagged only while it is still listed.
        if (list != nullptr && item != nullptr && list->ownsItem(item)) {
            const bool junk = command == kCmdUnJunk || command == kCmdJunk;
            const char* tag = junk ? PresetTagger::kJunk : PresetTagger::kFavourites;
            tellRefusal(tag,
                        list->setTag(item, tag, command == kCmdFavourite || command == kCmdJunk));
        }
        break;
    case kCmdUnFavouriteSelected:
    case kCmdFavouriteSelected:
    case kCmdUnJunkSelected:
    case kCmdJunkSelected:
        if (list != nullptr) {
            const bool junk = command == kCmdUnJunkSelected || command == kCmdJunkSelected;
            const char* tag = junk ? PresetTagger::kJunk : PresetTagger::kFavourites;
            tellRefusal(tag, list->setTagOnSelected(tag, command == kCmdFavouriteSelected ||
                                                             command == kCmdJunkSelected));
        }
        break;
    case kCmdToggleJunk:
        showJunk_ = !showJunk_;
        break;
    case kCmdSelectAll:
        if (PresetListItem* first = items()) {
            first->selectAll(true, showJunk_);
        }
        break;
    case kCmdDeselect:
        if (PresetListItem* first = items()) {
            first->selectAll(false, true);
        }
        break;
    default:
        return false;
    }
    redraw();
    return true;
}

bool AM_View_PresetSelector::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                               const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (code == kMenuCodeOwnCommand) {
        if (menuId == kRunMenuId && runCommand(sub, item->userData)) {
            // Not handed on: the base reads some of these numbers as MIDI learn.
            return true;
        }
        if (menuId == kEditMenuId && sub >= 1 && sub <= uint32_t(kMaxColumns)) {
            setColumns(static_cast<int32_t>(sub));
            return true;
        }
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_PresetSelector::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    if (viewMan_ == nullptr) {
        return;
    }
    if (open) {
        viewMan_->beginMenu(this, point, kEditMenuId);
        viewMan_->addMenuItem(0, 0, getName());
    }
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
    static constexpr const char* kColumnTexts[] = {"1 Column", "2 Cols", "3 Cols", "4 Cols"};
    for (int32_t k = 1; k <= kMaxColumns; ++k) {
        viewMan_->addMenuItem(0, AM_menuCommand(uint32_t(k), kMenuCodeOwnCommand),
                              kColumnTexts[k - 1], 0,
                              k == columns_ ? kMenuChecked : kMenuCheckable);
    }
    AM_ViewControl::buildEditMenu(point, false, extra);
    if (open) {
        viewMan_->showMenu();
    }
}

// --- Drawing.

void AM_View_PresetSelector::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    context->setFontSize(label_.size);
    if (AM_Graphic* background = getGraphic(kBackgroundGraphic)) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (AM_Colour* fill = getColour(kBackground)) {
        context->setColourFromObject(fill);
        context->fillRect(&bounds_);
    }
    const bool firstDraw = visibleRows_ == 0;
    visibleRows_ = static_cast<int32_t>(bounds_.h / kRowHeight);
    if (firstDraw && visibleRows_ > 0) {
        // The current preset scrolled into view.
        followCurrentPreset(listName());
    }
    const Layout l = layout();
    itemCount_ = l.count;
    rowsPerColumn_ = l.rowsPerColumn;
    bar_ = AM_ListScrollBar{};
    if (l.count == 0 || l.columnWidth <= 0.0f) {
        return;
    }

    const auto colour = [this](int32_t slot) { return getColour(slot); };
    AM_Graphic* favIcon = getGraphic(kFavIcon);
    AM_Graphic* junkIcon = getGraphic(kJunkIcon);
    const float top = bounds_.y + label_.vOffset - float(firstRow_) * kRowHeight;
    const float bottom = bounds_.y + bounds_.h;
    int32_t index = 0;
    for (PresetListItem* item = firstShown(); item != nullptr; item = nextShown(item), ++index) {
        const int32_t column = index / l.rowsPerColumn;
        const int32_t row = index % l.rowsPerColumn;
        const float y = top + float(row) * kRowHeight;
        if (!(y > bounds_.y - 8.0f && y < bottom - 8.0f)) {
            continue;
        }
        const float left = bounds_.x + float(column) * l.columnWidth;
        const bool fav = item->isFavourite();
        const bool junk = item->isJunk();
        const bool selected = item->isSelected();

        AM_Colour* back = nullptr;
        if (selected) {
            back = colour(kHiliteBack);
            if (fav && colour(kFavHiliteBack) != nullptr) {
                back = colour(kFavHiliteBack);
            }
            if (junk && colour(kJunkHiliteBack) != nullptr) {
                back = colour(kJunkHiliteBack);
            }
        }
        if (back == nullptr) {
            if (fav) {
                back = colour(kFavBack);
            }
            if (junk && colour(kJunkBack) != nullptr) {
                back = colour(kJunkBack);
            }
        }
        if (back != nullptr) {
            context->setColourFromObject(back);
            const AM_Rect lit{left, y + 3.0f, l.columnWidth, 14.0f};
            context->fillRect(&lit);
        }

        AM_Colour* text = colour(selected && colour(kHiliteText) != nullptr ? kHiliteText : kText);
        const int32_t favText = selected ? kFavHiliteText : kFavText;
        const int32_t junkText = selected ? kJunkHiliteText : kJunkText;
        if (fav && colour(favText) != nullptr) {
            text = colour(favText);
        }
        if (junk && colour(junkText) != nullptr) {
            text = colour(junkText);
        }
        if (text != nullptr) {
            context->setColourFromObject(text);
        } else {
            context->setColour(0.0f, 0.0f, 0.0f, 1.0f);
        }
        const AM_Rect label{left + kIconColumn, y, std::max(l.columnWidth - kIconColumn, 0.0f),
                            kRowHeight};
        context->drawText(context->fitText(item->name(), label.w), &label, label_.alignment,
                          label_.vAlignment == 1);
        AM_Graphic* icon = junk ? junkIcon : (fav ? favIcon : nullptr);
        if (icon != nullptr) {
            const AM_Rect place{left, y + 1.0f, icon->getWidth(), icon->getHeight()};
            icon->draw(context, &place, 1.0f);
        }
    }

    bar_.layout(bounds_, bounds_.x + float(columns_) * l.columnWidth + 2.5f, visibleRows_,
                l.rowsPerColumn, firstRow_);
    bar_.draw(context, colour(kScrollBorder), colour(kScrollBar), colour(kText));
}

// --- Label settings and the script.

void AM_View_PresetSelector::setText(const char* text)
{
    label_.setText(text);
    redraw();
}

void AM_View_PresetSelector::setTextSize(float size)
{
    if (std::isfinite(size) && size > 0.0f) {
        label_.size = size;
    }
    redraw();
}

void AM_View_PresetSelector::setTextAlignment(int32_t alignment)
{
    label_.alignment = alignment;
    redraw();
}

void AM_View_PresetSelector::setTextVAlignment(int32_t alignment)
{
    label_.vAlignment = alignment;
    redraw();
}

void AM_View_PresetSelector::setTextVOffset(float offset)
{
    if (std::isfinite(offset)) {
        label_.vOffset = offset;
    }
    redraw();
}

void AM_View_PresetSelector::copyProperties(AM_ViewControl* clone)
{
    AM_ViewControl::copyProperties(clone);
    auto* view = dynamic_cast<AM_View_PresetSelector*>(clone);
    if (view == nullptr || view == this) {
        return;
    }
    label_.copyLookTo(view->label_);
}

void AM_View_PresetSelector::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script == nullptr) {
        return;
    }
    label_.writeLines(script, getName());
    if (columns_ > 1) {
        char number[32];
        std::snprintf(number, sizeof number, "%d", int(columns_));
        AM_ScriptWriter(*script).property(getName(), kColumnsKey, 1, number);
    }
}

void AM_View_PresetSelector::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr) {
        return;
    }
    char* end = nullptr;
    if (std::strcmp(name, kColumnsKey) == 0) {
        const long v = std::strtol(value, &end, 10);
        // The layout divides by the count: it is held to the menu's range.
        if (end != value) {
            columns_ = static_cast<int32_t>(std::clamp(v, 1L, long(kMaxColumns)));
        }
    } else {
        label_.readProperty(name, value);
    }
}
