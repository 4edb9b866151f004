#include "presets/folders/PresetListItem.h"

#include "foundation/AM_String.h"
#include "platform/TextConversion.h"

#include <cstring>
#include <utility>

namespace {

constexpr int32_t kNameLimit = static_cast<int32_t>(PresetListItem::kMaxNameBytes);
constexpr int32_t kExtensionLimit = static_cast<int32_t>(PresetListItem::kMaxExtensionBytes);

} // namespace

PresetListItem::PresetListItem(std::unique_ptr<AM_FileObject> file, PresetFolder* folder)
    : file_(std::move(file)), folder_(folder)
{
    if (!file_)
        return;
    AM_String fileName;
    file_->getName(fileName);
    const int32_t dot = fileName.lastIndexOf(u'.', fileName.length() - 1);
    if (dot < 0) {
        fileName.getNarrow(name_, kNameLimit);
        return;
    }
    AM_String baseName;
    baseName.appendSubstring(fileName, 0, dot);
    baseName.getNarrow(name_, kNameLimit);
    fileName.getNarrow(extension_, kExtensionLimit, dot + 1);
}

void PresetListItem::setName(const char* name)
{
    size_t length = name ? std::strlen(name) : 0;
    if (length > kMaxNameBytes) {
        length = kMaxNameBytes;
        length -= platform::incompleteUtf8Tail(name, length);
    }
    if (length > 0)
        std::memcpy(name_, name, length);
    name_[length] = '\0';
}

PresetListItem::~PresetListItem()
{
    std::unique_ptr<PresetListItem> rest = std::move(next_);
    while (rest)
        rest = std::move(rest->next_);
}

void PresetListItem::setNext(std::unique_ptr<PresetListItem> next)
{
    next_ = std::move(next);
}

int32_t PresetListItem::count(bool includeJunk) const
{
    int32_t items = 0;
    for (const PresetListItem* item = this; item != nullptr; item = item->next()) {
        if (includeJunk || !item->isJunk())
            ++items;
    }
    return items;
}

void PresetListItem::selectAll(bool on, bool includeJunk)
{
    for (PresetListItem* item = this; item != nullptr; item = item->next()) {
        if (includeJunk || !item->isJunk())
            item->setSelected(on);
    }
}

bool PresetListItem::isFavourite() const
{
    return tagBits_ == kTagFavourite;
}

bool PresetListItem::isJunk() const
{
    return tagBits_ == kTagJunk;
}

void PresetListItem::setFavourite(bool on)
{
    tagBits_ = on ? kTagFavourite : 0;
}

void PresetListItem::setJunk(bool on)
{
    tagBits_ = 0;
    if (on) {
        tagBits_ = kTagJunk;
        selected_ = 0;
    }
}

PresetListItem* PresetListItem::nextVisible(bool includeJunk) const
{
    PresetListItem* item = next();
    while (item != nullptr && !includeJunk && item->isJunk())
        item = item->next();
    return item;
}
