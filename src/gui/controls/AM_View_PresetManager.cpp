#include "gui/controls/AM_View_PresetManager.h"

#include "foundation/AM_STD.h"
#include "gui/controls/AM_View_Pane.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"
#include "presets/folders/PresetFolder.h"
#include "presets/library/ModulePresetList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kTypeName = "PresetManager";
constexpr const char* kImportRefusedTitle = "Presets not imported";

constexpr uint32_t kTextTypes[] = {k_typeTextData};
const AM_PortDescriptor kPorts[] = {{0, "MPreset", 1, kTextTypes}};

enum ColourSlot : int32_t {
    kBackground = 0,
    kText = 1,
    kHiliteBack = 2,
    kHiliteText = 3,
    kScrollBorder = 4,
    kScrollBar = 5,
};
constexpr char kColourNames[][kGuiNameBytes] = {"PresetManagerBackground", "Text", "HiliteBack",
                                                "HiliteText", "ScrollBorder", "ScrollBar"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"PresetManagerBackground"};


// Width of the scroll-bar column.
constexpr float kScrollColumn = 16.0f;
// The drop target's band: the highlight colour this strong, or the text
// colour this strong when the view has no highlight colour.
constexpr float kDropTintAlpha = 0.55f;
constexpr float kDropTintAlphaNoHilite = 0.2f;
// The words at the right of the drop target.
constexpr const char* kDropMoveText = "move here";
constexpr const char* kDropCopyText = "copy here";

char gNewFolderName[AM_View_PresetManager::kNewFolderBytes] = {};

bool inChain(PresetFolder* first, const PresetFolder* folder)
{
    for (PresetFolder* f = first; f != nullptr && folder != nullptr; f = f->next()) {
        if (f == folder) {
            return true;
        }
    }
    return false;
}

// The folder after this one that is not hidden under it (or under a
// collapsed folder it is in).
PresetFolder* nextShown(PresetFolder* folder)
{
    PresetFolder* next = folder->next();
    if (folder->isCollapsed()) {
        while (next != nullptr && next->depth() > folder->depth()) {
            next = next->next();
        }
    }
    return next;
}

void frame(AM_Context* context, const AM_Rect& r)
{
    const float points[] = {r.x, r.y, r.x + r.w, r.y, r.x + r.w, r.y + r.h, r.x, r.y + r.h};
    context->drawPolyline(points, 4, 1.0f, true);
}

} // namespace

AM_View_PresetManager::AM_View_PresetManager(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "PresetManager %u", unsigned(getId()));
    setName(name);
    label_.setText(getName());
    initControl(0, 1, kPorts, 0, nullptr, 6, kColourNames, 1, kGraphicNames, false);
    if (getColour(kText) == nullptr && viewMan_ != nullptr) {
        if (AM_Colour* black = viewMan_->getColour("black")) {
            setColour(black, kText);
        }
    }
    visibleRows_ = static_cast<int32_t>(bounds_.h / kRowHeight);
}

AM_View_PresetManager::~AM_View_PresetManager()
{
    // A drop still waiting for its tick is not done.
    if (dropTarget_ != nullptr && viewMan_ != nullptr)
        viewMan_->setDropOutcome(kDropRefused);
}

AM_ViewControl* AM_View_PresetManager::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* view = new AM_View_PresetManager(viewMan, bounds);
    view->setFactory(&AM_View_PresetManager::create);
    return view;
}

const char* AM_View_PresetManager::getTypeName() const
{
    return kTypeName;
}

void AM_View_PresetManager::resetNewFolderName()
{
    std::memset(gNewFolderName, 0, sizeof gNewFolderName);
}

char* AM_View_PresetManager::newFolderName()
{
    return gNewFolderName;
}

// --- The folder chain.

PresetFolder* AM_View_PresetManager::folders()
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    return host != nullptr ? host->getPresetFolders(listName()) : nullptr;
}

PresetFolder* AM_View_PresetManager::currentFolder()
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    return host != nullptr ? host->getCurrentFolder(listName()) : nullptr;
}

bool AM_View_PresetManager::hasSubFolders(const PresetFolder* folder)
{
    return folder != nullptr && folder->next() != nullptr &&
           folder->next()->depth() > folder->depth();
}

int32_t AM_View_PresetManager::visibleCount(PresetFolder* first)
{
    int32_t count = 0;
    for (PresetFolder* f = first; f != nullptr; f = nextShown(f)) {
        ++count;
    }
    return count;
}

PresetFolder* AM_View_PresetManager::visibleAt(PresetFolder* first, int32_t row)
{
    if (row < 0) {
        return nullptr;
    }
    PresetFolder* f = first;
    for (int32_t i = 0; f != nullptr && i < row; ++i) {
        f = nextShown(f);
    }
    return f;
}

int32_t AM_View_PresetManager::rowOf(PresetFolder* first, const PresetFolder* folder)
{
    int32_t row = 0;
    for (PresetFolder* f = first; f != nullptr; f = nextShown(f), ++row) {
        if (f == folder) {
            return row;
        }
    }
    return -1;
}

PresetFolder* AM_View_PresetManager::folderAtPoint(const float* point)
{
    if (point == nullptr) {
        return nullptr;
    }
    const int32_t row = firstRow_ + static_cast<int32_t>((point[1] - bounds_.y) / kRowHeight);
    if (point[1] < bounds_.y) {
        return nullptr;
    }
    PresetFolder* first = folders();
    return row < visibleCount(first) ? visibleAt(first, row) : nullptr;
}

void AM_View_PresetManager::clampFirstRow(int32_t count)
{
    firstRow_ = std::min(firstRow_, count - visibleRows_);
    firstRow_ = std::max(firstRow_, 0);
}

void AM_View_PresetManager::updateFolderView()
{
    PresetFolder* first = folders();
    PresetFolder* current = currentFolder();
    if (first == nullptr) {
        AM_STD::printv("presetFolders is NULL\n");
        return;
    }
    if (current == nullptr) {
        AM_STD::printv("currentFolder is NULL\n");
        return;
    }
    visibleRows_ = static_cast<int32_t>(bounds_.h / kRowHeight);
    if (first->countFolders(true) > kCollapseAbove) {
        for (PresetFolder* f = first; f != nullptr; f = f->next()) {
            if (f->depth() != 1 || !hasSubFolders(f)) {
                continue;
            }
            bool holdsCurrent = f == current;
            for (PresetFolder* g = f->next(); g != nullptr && g->depth() > 1; g = g->next()) {
                holdsCurrent = holdsCurrent || g == current;
            }
            f->setCollapsed(!holdsCurrent);
        }
    }
    const int32_t count = visibleCount(first);
    int32_t row = std::max(rowOf(first, current), 0);
    // The nearest branch head shortly above the current folder is shown with it.
    int32_t headRow = 0;
    int32_t top = row;
    for (PresetFolder* f = first; f != nullptr && f != current; f = nextShown(f), ++headRow) {
        if (f->depth() <= 1 && row - headRow < visibleRows_) {
            top = headRow;
        }
    }
    firstRow_ = top;
    if (count - firstRow_ < visibleRows_) {
        firstRow_ = std::max(count - visibleRows_, 0);
    }
    redraw();
}

// --- Messages.

void AM_View_PresetManager::createFolder(const char* name)
{
    AM_STD::printv("New folder '%s'\n", name);
    if (name[0] == '\0') {
        AM_STD::printv("zero length - preset folder creation discarted\n");
        return;
    }
    if (AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr) {
        host->createPresetFolder(name, listName());
    }
    redraw();
}

void AM_View_PresetManager::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                           void* ptr)
{
    if (message == kCtlMsgRename && ptr != nullptr && ptr == static_cast<void*>(gNewFolderName)) {
        char name[kNewFolderBytes];
        std::memcpy(name, gNewFolderName, sizeof name);
        name[kNewFolderBytes - 1] = '\0';
        createFolder(name);
        return;
    }
    if (message == kPaneMsgGuiLoaded) {
        updateFolderView();
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

// --- Mouse and drops.

void AM_View_PresetManager::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)buttons;
    PresetFolder* folder = folderAtPoint(point);
    if (folder == nullptr) {
        return;
    }
    if (hasSubFolders(folder)) {
        folder->setCollapsed(!folder->isCollapsed());
        redraw();
    } else {
        folder->setCollapsed(false);
    }
}

bool AM_View_PresetManager::onMouseDown(const float* point, uint32_t buttons)
{
    thumbDrag_ = 0;
    if (point == nullptr) {
        return false;
    }
    const bool right = (buttons & 2u) != 0;
    const float column = bounds_.x + std::trunc(bounds_.w) - kScrollColumn;
    if (point[0] >= column) {
        if (right) {
            buildFolderMenu(point, nullptr);
            return false;
        }
        if (!bar_.shown()) {
            return false;
        }
        if (bar_.onThumb(point)) {
            lastPoint_[0] = point[0];
            lastPoint_[1] = point[1];
            thumbDrag_ = 1;
            return true;
        }
        // Beside the thumb: a page towards the click.
        const int32_t page = bar_.pageRows();
        firstRow_ += point[1] < bar_.thumb.y ? -page : page;
        clampFirstRow(folderCount_);
        redraw();
        return false;
    }
    PresetFolder* folder = folderAtPoint(point);
    if (folder == nullptr) {
        return false;
    }
    if (right) {
        buildFolderMenu(point, folder);
        return false;
    }
    if (point[0] - bounds_.x < float(folder->depth()) * kIndent + 12.0f &&
        folder->next() != nullptr) {
        if (hasSubFolders(folder)) {
            folder->setCollapsed(!folder->isCollapsed());
            redraw();
            return false;
        }
        folder->setCollapsed(false);
    }
    if (AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr) {
        host->setCurrentFolder(folder, listName());
    }
    redraw();
    return false;
}

void AM_View_PresetManager::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[1]) || thumbDrag_ != 1 || !bar_.shown()) {
        return;
    }
    const float steps = (point[1] - lastPoint_[1]) / bar_.rowStep;
    int32_t d = static_cast<int32_t>(std::clamp(steps, -1.0e6f, 1.0e6f));
    if (d == 0) {
        return;
    }
    const int32_t last = std::max(folderCount_ - visibleRows_, 0);
    d = std::clamp(firstRow_ + d, 0, last) - firstRow_;
    firstRow_ += d;
    lastPoint_[1] += float(d) * bar_.rowStep;
    redraw();
}

void AM_View_PresetManager::onMouseWheel(float steps)
{
    if (!std::isfinite(steps)) {
        return;
    }
    firstRow_ = std::max(0, firstRow_ - static_cast<int32_t>(steps));
    redraw();
}

void AM_View_PresetManager::onDragOver(const float* point, uint32_t modifiers, uint32_t state)
{
    if (state != kDragStateOver) {
        return;
    }
    PresetFolder* folder = folderAtPoint(point);
    const bool copies = (modifiers & kDropCopyFlag) != 0;
    if (folder != hoverFolder_ || copies != hoverCopies_) {
        hoverFolder_ = folder;
        hoverCopies_ = copies;
        redraw();
    }
}

void AM_View_PresetManager::onDragLeave()
{
    hoverFolder_ = nullptr;
    hoverCopies_ = false;
    redraw();
}

void AM_View_PresetManager::onDrop(const float* point, const char* data)
{
    dropData(point, 0, kDropKindFiles, data != nullptr ? uint32_t(std::strlen(data)) : 0, data);
}

void AM_View_PresetManager::dropData(const float* point, uint32_t keyFlags, uint32_t kind,
                                     uint32_t length, const char* data)
{
    if (kind == kDropKindFiles && data != nullptr && length > 0) {
        if (PresetFolder* target = folderAtPoint(point)) {
            dropTarget_ = target;
            dropCopies_ = (keyFlags & kDropCopyFlag) != 0;
            // The text ends at its size or at a zero byte, whichever comes first.
            const void* end = std::memchr(data, 0, length);
            dropData_.assign(data, end != nullptr ? size_t(static_cast<const char*>(end) - data)
                                                  : size_t(length));
            setTimer(true);
            if (viewMan_ != nullptr)
                viewMan_->setDropOutcome(kDropPending);
        }
    }
    hoverFolder_ = nullptr;
    redraw();
}

void AM_View_PresetManager::onTimer()
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    int32_t imported = 0;
    if (dropTarget_ != nullptr && host != nullptr) {
        // The folders may have been rescanned since the drop.
        if (inChain(folders(), dropTarget_)) {
            PresetImportReport report;
            if (ModulePresetList* list = host->getModulePresetList(listName())) {
                imported =
                    list->importFiles(dropData_.c_str(), dropTarget_, dropCopies_, &report);
            }
            host->refreshCurrentFolder(listName());
            if (report.refused > 0) {
                const int32_t dropped = report.imported + report.refused;
                const std::string text =
                    (report.refused == 1 && dropped == 1
                         ? std::string("The dropped file was not imported: ")
                         : std::to_string(report.refused) + " of the " + std::to_string(dropped) +
                               " dropped files were not imported. The first: ") +
                    report.firstReason + ".";
                viewMan_->showAlert(kImportRefusedTitle, text.c_str());
            }
        } else {
            AM_STD::printv("%s: the drop's folder is gone, nothing imported\n", getName());
        }
    }
    // The drop's source hears whether anything came in, and how.
    if (dropTarget_ != nullptr && viewMan_ != nullptr)
        viewMan_->setDropOutcome(imported <= 0 ? kDropRefused
                                 : dropCopies_ ? kDropCopied
                                               : kDropMoved);
    dropTarget_ = nullptr;
    dropData_.clear();
    setTimer(false);
}

// --- Menus.

void AM_View_PresetManager::buildFolderMenu(const float* point, PresetFolder* folder)
{
    if (viewMan_ == nullptr) {
        return;
    }
    viewMan_->beginMenu(this, point, kRunMenuId);
    viewMan_->addMenuItem(0, AM_menuCommand(kCmdRefresh, kMenuCodeOwnCommand),
                          "Refresh Folder List");
    if (folder != nullptr && folder->depth() < kMaxCreateDepth) {
        viewMan_->addMenuItem(0, 0, kMenuSeparatorText, 0, kMenuSeparator);
        viewMan_->addMenuItem(0, AM_menuCommand(kCmdCreateFolder, kMenuCodeOwnCommand),
                              "Create New Folder", 0, 0, folder);
    }
    viewMan_->showMenu();
}

void AM_View_PresetManager::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_ViewControl::buildEditMenu(point, open, extra);
}

bool AM_View_PresetManager::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                              const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    const uint32_t code = AM_menuCode(item->command);
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kRunMenuId && code == kMenuCodeOwnCommand && viewMan_ != nullptr) {
        if (sub == kCmdRefresh) {
            if (AM_View_Interface* host = viewMan_->getInterface()) {
                host->rescanPresets(listName());
            }
            hoverFolder_ = nullptr;
            redraw();
            return true;
        }
        if (sub == kCmdCreateFolder) {
            std::snprintf(gNewFolderName, sizeof gNewFolderName, "new");
            viewMan_->beginTextEntry(this, kNewFolderEntryId, gNewFolderName, kNewFolderBytes,
                                     gNewFolderName);
            return true;
        }
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

// --- Drawing.

void AM_View_PresetManager::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    context->setFontSize(label_.size);
    if (AM_Graphic* background = getGraphic(0)) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (AM_Colour* fill = getColour(kBackground)) {
        context->setColourFromObject(fill);
        context->fillRect(&bounds_);
    }
    AM_Colour* text = getColour(kText);
    AM_Colour* hiliteBack = getColour(kHiliteBack);
    AM_Colour* hiliteText = getColour(kHiliteText);
    const auto useText = [&](AM_Colour* colour) {
        if (colour != nullptr) {
            context->setColourFromObject(colour);
        } else {
            context->setColour(0.0f, 0.0f, 0.0f, 1.0f);
        }
    };

    const float rowWidth = std::trunc(bounds_.w) - kScrollColumn;
    AM_Rect row{bounds_.x, bounds_.y + label_.vOffset, rowWidth, kRowHeight};
    visibleRows_ = static_cast<int32_t>(bounds_.h / kRowHeight);
    PresetFolder* first = folders();
    PresetFolder* current = currentFolder();
    folderCount_ = visibleCount(first);
    if (folderCount_ - firstRow_ < visibleRows_) {
        firstRow_ = std::max(folderCount_ - visibleRows_, 0);
    }
    if (hoverFolder_ != nullptr && !inChain(first, hoverFolder_)) {
        hoverFolder_ = nullptr;
    }
    int32_t drawn = 0;
    PresetFolder* f = visibleAt(first, firstRow_);
    for (; f != nullptr && drawn < visibleRows_; f = nextShown(f), ++drawn) {
        const bool lit = f == current;
        const bool target = f == hoverFolder_;
        if (lit && hiliteBack != nullptr) {
            context->setColourFromObject(hiliteBack);
            const AM_Rect band{row.x, row.y + 3, row.w, 15};
            context->fillRect(&band);
        } else if (target) {
            // The drop target stands out from the rows even without a
            // highlight colour of its own.
            const AM_Colour* tint = hiliteBack != nullptr ? hiliteBack : text;
            const float alpha = hiliteBack != nullptr ? kDropTintAlpha : kDropTintAlphaNoHilite;
            if (tint != nullptr) {
                context->setColour(tint->r, tint->g, tint->b, tint->a * alpha);
            } else {
                context->setColour(0.0f, 0.0f, 0.0f, kDropTintAlphaNoHilite);
            }
            const AM_Rect band{row.x, row.y + 3, row.w, 15};
            context->fillRect(&band);
        }
        useText((lit || target) && hiliteText != nullptr ? hiliteText : text);
        float nameRight = row.x + row.w;
        if (target) {
            frame(context, AM_Rect{row.x + 0.5f, row.y + 3.5f, row.w - 1, 14});
            // What the drop does: move, or copy with Control held.
            const char* action = hoverCopies_ ? kDropCopyText : kDropMoveText;
            context->setFontSize(std::max(label_.size - 2.0f, 6.0f));
            const float actionWidth = context->getTextWidth(action);
            const AM_Rect tag{row.x + row.w - actionWidth - 6.0f, row.y, actionWidth + 2.0f, row.h};
            context->drawText(action, &tag, 0, label_.vAlignment == 1);
            context->setFontSize(label_.size);
            nameRight = tag.x - 4.0f;
        }
        const float indent = float(f->depth()) * kIndent;
        if (hasSubFolders(f)) {
            const AM_Rect box{row.x + 2 + indent, row.y + 5, 8, 8};
            if (f->isCollapsed()) {
                context->fillRect(&box);
            } else {
                frame(context, AM_Rect{box.x + 0.5f, box.y + 0.5f, 7, 7});
            }
        }
        const float nameLeft = row.x + indent + 16;
        AM_Rect label{nameLeft, row.y, std::max(0.0f, nameRight - nameLeft), row.h};
        context->drawText(context->fitText(f->name(), label.w), &label, label_.alignment,
                          label_.vAlignment == 1);
        row.y += kRowHeight;
    }

    bar_.layout(bounds_, bounds_.x + rowWidth + 2.5f, visibleRows_, folderCount_, firstRow_);
    bar_.draw(context, getColour(kScrollBorder), getColour(kScrollBar), text);
}

// --- Label settings and the script.

void AM_View_PresetManager::setText(const char* text)
{
    label_.setText(text);
    redraw();
}

void AM_View_PresetManager::setTextSize(float size)
{
    if (std::isfinite(size) && size > 0.0f) {
        label_.size = size;
    }
    redraw();
}

void AM_View_PresetManager::setTextAlignment(int32_t alignment)
{
    label_.alignment = alignment;
    redraw();
}

void AM_View_PresetManager::setTextVAlignment(int32_t alignment)
{
    label_.vAlignment = alignment;
    redraw();
}

void AM_View_PresetManager::setTextVOffset(float offset)
{
    if (std::isfinite(offset)) {
        label_.vOffset = offset;
    }
    redraw();
}

void AM_View_PresetManager::setPresetList(const char* modulePath)
{
    presetList_ = modulePath != nullptr ? modulePath : "";
    hoverFolder_ = nullptr;
    dropTarget_ = nullptr;
    redraw();
}

void AM_View_PresetManager::copyProperties(AM_ViewControl* clone)
{
    AM_ViewControl::copyProperties(clone);
    auto* view = dynamic_cast<AM_View_PresetManager*>(clone);
    if (view == nullptr || view == this) {
        return;
    }
    label_.copyLookTo(view->label_);
}

void AM_View_PresetManager::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script == nullptr) {
        return;
    }
    label_.writeLines(script, getName());
}

void AM_View_PresetManager::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    label_.readProperty(name, value);
}
