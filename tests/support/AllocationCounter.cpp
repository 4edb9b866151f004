#include "AllocationCounter.h"

#include <cstddef>
#include <cstdlib>
#include <new>
#ifdef _WIN32
#include <malloc.h>
#endif

namespace {
thread_local uint64_t tl_allocations = 0;
thread_local bool tl_counting = false;

#ifdef _WIN32
// Windows' free takes no aligned blocks: every block comes from the aligned
// allocator, so every delete gives it back the same way.
void* allocateBlock(std::size_t size, std::size_t align)
{
    return _aligned_malloc(size, align > alignof(std::max_align_t) ? align
                                                                   : alignof(std::max_align_t));
}
void release(void* p) noexcept { _aligned_free(p); }
#else
void* allocateBlock(std::size_t size, std::size_t align)
{
    void* p = nullptr;
    if (align > alignof(std::max_align_t)) {
        if (posix_memalign(&p, align, size) != 0)
            p = nullptr;
    } else {
        p = std::malloc(size);
    }
    return p;
}
void release(void* p) noexcept { std::free(p); }
#endif

void* countedAlloc(std::size_t size, std::size_t align)
{
    if (tl_counting)
        ++tl_allocations;
    if (size == 0)
        size = 1;
    void* p = allocateBlock(size, align);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}
}  // namespace

namespace testsupport {

AllocationCounter::AllocationCounter() : start_(tl_allocations), wasActive_(tl_counting)
{
    tl_counting = true;
}

AllocationCounter::~AllocationCounter() { tl_counting = wasActive_; }

uint64_t AllocationCounter::count() const { return tl_allocations - start_; }

}  // namespace testsupport

void* operator new(std::size_t size) { return countedAlloc(size, 0); }
void* operator new[](std::size_t size) { return countedAlloc(size, 0); }
void* operator new(std::size_t size, std::align_val_t a)
{
    return countedAlloc(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a)
{
    return countedAlloc(size, static_cast<std::size_t>(a));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return countedAlloc(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return countedAlloc(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    try {
        return countedAlloc(size, static_cast<std::size_t>(a));
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept
{
    try {
        return countedAlloc(size, static_cast<std::size_t>(a));
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { release(p); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }
