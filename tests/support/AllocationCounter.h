#pragma once
// Counts heap allocations made through operator new/malloc-style new on the
// calling thread while a scope is active. Used to prove that real-time code
// paths allocate nothing.

#include <cstdint>

namespace testsupport {

class AllocationCounter {
public:
    AllocationCounter();
    ~AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    // Allocations made on this thread since construction.
    uint64_t count() const;

private:
    uint64_t start_;
    bool wasActive_;
};

}  // namespace testsupport
