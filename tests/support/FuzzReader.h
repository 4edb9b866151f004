#pragma once
// The input of a libFuzzer target read as a stream of small decisions:
// bytes, floats of any bits and pointer positions. Reading past the end
// gives zeros, so every input is a whole run.
//
//   testsupport::FuzzReader in(data, size);
//   while (!in.done()) {
//       const float point[2] = {in.coordinate(), in.coordinate()};
//       ...
//   }

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace testsupport {

// Stops the run (so the fuzzer keeps the input) when an invariant is broken,
// naming the caller's line.
inline void fuzzCheck(bool condition, const char* file = __builtin_FILE(),
                      int line = __builtin_LINE())
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken at %s:%d\n", file, line);
        std::abort();
    }
}

class FuzzReader {
public:
    FuzzReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool done() const { return position_ >= size_; }
    uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }

    // Any float: four bytes, the most significant first.
    float bits()
    {
        uint32_t word = 0;
        for (int i = 0; i < 4; ++i)
            word = word << 8 | byte();
        float value;
        std::memcpy(&value, &word, sizeof value);
        return value;
    }

    // A position in and around the controls (a signed 16-bit count of
    // 64ths), now and then any bits.
    float coordinate()
    {
        return byte() < 8 ? bits() : float(int16_t(byte() << 8 | byte())) / 64.0f;
    }

    // Raw bytes.
    void fill(void* out, size_t bytes)
    {
        auto* p = static_cast<uint8_t*>(out);
        for (size_t i = 0; i < bytes; ++i)
            p[i] = byte();
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

} // namespace testsupport
