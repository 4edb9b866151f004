// Reads arbitrary bytes as a tuning file: every entry comes out a number in
// the clamped range of a section or the note's own number, and nothing is
// read past the given bytes (the sanitizers watch that).

#include "presets/library/TuningFile.h"

#include "platform/Trace.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        platform::setTraceSink([](void*, const char*) {}, nullptr);
        platform::setStandardOutputSink([](void*, const char*) {}, nullptr);
        return true;
    }();
    (void)quiet;
    // An exact-size copy without a terminator.
    std::unique_ptr<char[]> text(new char[size > 0 ? size : 1]);
    if (size > 0)
        std::memcpy(text.get(), data, size);
    float table[kTuningNotes];
    const bool found = readTuningFile(text.get(), size, table);
    for (int32_t n = 0; n < kTuningNotes; ++n) {
        const float v = table[n];
        const bool own = v == static_cast<float>(n);
        const bool inRange = v >= kTuningMinCents / 100.0f && v <= kTuningMaxCents / 100.0f;
        if (!std::isfinite(v) || (!own && !inRange) || (!found && !own))
            std::abort();
    }
    return 0;
}
