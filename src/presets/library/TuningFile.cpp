#include "presets/library/TuningFile.h"

#include "foundation/AM_STD.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr float kUnset = -1.0f;
constexpr float kCentsPerSemitone = 100.0f;
// A "[Tuning]" value read as nothing keeps this.
constexpr int32_t kDefaultCents = 6900;
constexpr size_t kPatternBytes = 32;

// Walks the notes of one section: for note n the next "note" at or after
// the position, then the pattern for n at the text after it. apply(n,
// matched) stores the result.
template <typename Apply>
void walkSection(const std::string& text, size_t position, const char* patternFormat, Apply apply)
{
    bool exhausted = false;
    for (int32_t n = 0; n < kTuningNotes; ++n) {
        if (!exhausted) {
            const size_t found = text.find("note", position);
            if (found == std::string::npos)
                exhausted = true;
            else
                position = found + 4;
        }
        char pattern[kPatternBytes];
        AM_STD::sprintn(pattern, sizeof pattern, patternFormat, n);
        char line[kPatternBytes + 16];
        AM_STD::sprintn(line, sizeof line, "search='%s'\n", pattern);
        platform::standardOutput(line);
        apply(n, pattern, exhausted ? "" : text.c_str() + position);
    }
}

} // namespace

bool readTuningFile(const char* text, size_t size, float table[kTuningNotes])
{
    // A copy that ends with a zero, so no search or scan runs past the data.
    const std::string body(text ? text : "", text ? strnlen(text, size) : 0);
    std::fill(table, table + kTuningNotes, kUnset);

    const size_t tuning = body.find("[Tuning]");
    if (tuning != std::string::npos) {
        walkSection(body, tuning + std::strlen("[Tuning]"), " %d=%%d",
                    [&](int32_t n, const char* pattern, const char* at) {
                        int32_t cents = kDefaultCents;
                        if (AM_STD::scanv(at, pattern, &cents) == 1)
                            table[n] = static_cast<float>(
                                           std::clamp(cents, kTuningMinCents, kTuningMaxCents)) /
                                       kCentsPerSemitone;
                        else
                            table[n] = static_cast<float>(n);
                    });
    }
    const size_t exact = body.find("[Exact Tuning]");
    if (exact != std::string::npos) {
        walkSection(body, exact + std::strlen("[Exact Tuning]"), " %d=%%f",
                    [&](int32_t n, const char* pattern, const char* at) {
                        // Stays not-a-number when no number is read there.
                        float cents = std::numeric_limits<float>::quiet_NaN();
                        if (AM_STD::scanv(at, pattern, &cents) == 1 && !std::isnan(cents))
                            table[n] =
                                std::clamp(cents, kExactTuningMinCents, kExactTuningMaxCents) /
                                kCentsPerSemitone;
                    });
    }
    const bool found = tuning != std::string::npos || exact != std::string::npos;
    if (!found)
        AM_STD::printv("Tun file features no [Tuning] and no [Exact Tuning] section");
    for (int32_t n = 0; n < kTuningNotes; ++n)
        if (table[n] == kUnset)
            table[n] = static_cast<float>(n);
    return found;
}
