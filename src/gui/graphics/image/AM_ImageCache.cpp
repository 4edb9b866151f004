#include "gui/graphics/image/AM_ImageCache.h"

#include <algorithm>
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

uint64_t g_bytesInUse = 0;
uint64_t g_budgetBytes = kDefaultBudgetBytes;

uint64_t bytesOf(const AM_PixelMap& image)
{
    return uint64_t(image.stride()) * image.height();
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
    g_bytesInUse += bytesOf(*image);
    records().push_front(Record{path, fileName, std::move(image), 1});
    return records().front().image.get();
}

bool release(const AM_PixelMap* image)
{
    Record* record = recordOf(image);
    if (record == nullptr)
        return false;
    if (--record->references <= 0) {
        g_bytesInUse -= std::min(g_bytesInUse, bytesOf(*record->image));
        records().remove_if([image](const Record& r) { return r.image.get() == image; });
    }
    return true;
}

uint64_t bytesInUse()
{
    return g_bytesInUse;
}

uint64_t bytesLeft()
{
    return g_budgetBytes > g_bytesInUse ? g_budgetBytes - g_bytesInUse : 0;
}

uint64_t budgetBytes()
{
    return g_budgetBytes;
}

void setBudgetBytes(uint64_t bytes)
{
    g_budgetBytes = bytes;
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
    g_bytesInUse = 0;
    g_budgetBytes = kDefaultBudgetBytes;
}

} // namespace AM_ImageCache
