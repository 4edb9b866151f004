#pragma once
// The process-wide image cache: one decoded pixel map per (full path, file
// name), shared by every graphic (and every open editor) that names the
// file, reference-counted and freed after its last release.
//
// GUI thread only; the cache is shared by all editors without locking, as
// everything of the GUI runs on the host's user-interface thread.

#include "gui/graphics/image/AM_PixelMap.h"

#include <cstdint>
#include <memory>
#include <string>

namespace AM_ImageCache {

// The decoded bytes all cached images together may take. A GUI whose
// images would pass it gets them up to the budget; the graphics of the rest
// stay without pixels and their controls are drawn without them.
constexpr uint64_t kDefaultBudgetBytes = 256ull << 20;

// The pixel map cached for the path and file name with its reference count
// raised by one, or null when the cache holds none.
AM_PixelMap* acquire(const std::string& path, const std::string& fileName);

// Puts a freshly decoded image into the cache with a reference count of one
// and answers it (now owned by the cache). Null when image is null. The
// caller keeps to the budget (bytesLeft) when it decodes.
AM_PixelMap* add(const std::string& path, const std::string& fileName,
                 std::unique_ptr<AM_PixelMap> image);

// Drops one reference to a cached pixel map; the last one frees the record
// and its pixels. False when the map is not in the cache.
bool release(const AM_PixelMap* image);

// Decoded bytes of the cached images, and what the budget has left.
uint64_t bytesInUse();
uint64_t bytesLeft();
uint64_t budgetBytes();
// A different budget (tests); reset() restores the default.
void setBudgetBytes(uint64_t bytes);

// The reference count of the record holding the image, or 0 when none does.
int referenceCount(const AM_PixelMap* image);
// Records in the cache.
size_t recordCount();

// Frees every record and restores the default budget. For tests, when no
// graphic holds an image any more.
void reset();

} // namespace AM_ImageCache
