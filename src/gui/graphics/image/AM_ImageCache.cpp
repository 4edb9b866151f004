#include "gui/graphics/image/AM_ImageCache.h"

#include <forward_list>

namespace AM_ImageCache {
namespace {

struct Record {
    std::string path;
    std::string fileName;
    std::unique_ptr<AM_PixelMap> image;
    int references = 0;
};

// Newest first.
std::forward_list<Record>& records()
{
    static std::forward_list<Record> list;
    return list;
}

Record* recordOf(const AM_PixelMap* image)
{
    if (image == nullptr)
        return nullptr;
    for (Record& record : records())
        if (record.image.get() == image)
            return &record;
    return nullptr;
}

} // namespace

AM_PixelMap* acquire(const std::string& path, const std::string& fileName)
{
    for (Record& record : records())
        if (record.fileName == fileName && record.path == path) {
            ++record.references;
            return record.image.get();
        }
    return nullptr;
}

AM_PixelMap* add(const std::string& path, const std::string& fileName,
                 std::unique_ptr<AM_PixelMap> image)
{
    if (image == nullptr)
        return nullptr;
    records().push_front(Record{path, fileName, std::move(image), 1});
    return records().front().image.get();
}

bool release(const AM_PixelMap* image)
{
    Record* record = recordOf(image);
    if (record == nullptr)
        return false;
    if (--record->references <= 0)
        records().remove_if([image](const Record& r) { return r.image.get() == image; });
    return true;
}

int referenceCount(const AM_PixelMap* image)
{
    const Record* record = recordOf(image);
    return record != nullptr ? record->references : 0;
}

size_t recordCount()
{
    size_t count = 0;
    for ([[maybe_unused]] const Record& record : records())
        ++count;
    return count;
}

void reset()
{
    records().clear();
}

} // namespace AM_ImageCache
