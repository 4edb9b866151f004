#include "AllocationCounter.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {
thread_local uint64_t tl_allocations = 0;
thread_local bool tl_counting = false;

void* countedAlloc(std::size_t size, std::size_t align)
{
    if (tl_counting)
        ++tl_allocations;
    if (size == 0)
        size = 1;
    void* p = nullptr;
    if (align > alignof(std::max_align_t)) {
        if (posix_memalign(&p, align, size) != 0)
            p = nullptr;
    } else {
        p = std::malloc(size);
    }
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
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
