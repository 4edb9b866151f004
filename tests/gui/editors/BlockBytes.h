#pragma once
// Raw little-endian block images for the block tests and the fuzzer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace blocktest {

class Bytes {
public:
    explicit Bytes(size_t size) : bytes_(size, 0) {}
    void putFloat(size_t offset, float v) { std::memcpy(&bytes_[offset], &v, sizeof v); }
    void putU32(size_t offset, uint32_t v) { std::memcpy(&bytes_[offset], &v, sizeof v); }
    void putI32(size_t offset, int32_t v) { std::memcpy(&bytes_[offset], &v, sizeof v); }
    float getFloat(size_t offset) const
    {
        float v;
        std::memcpy(&v, &bytes_[offset], sizeof v);
        return v;
    }
    int32_t getI32(size_t offset) const
    {
        int32_t v;
        std::memcpy(&v, &bytes_[offset], sizeof v);
        return v;
    }
    uint8_t* data() { return bytes_.data(); }
    const uint8_t* data() const { return bytes_.data(); }
    size_t size() const { return bytes_.size(); }

private:
    std::vector<uint8_t> bytes_;
};

} // namespace blocktest
