// Feeds arbitrary bytes to the state reader as a state text of exactly the
// input's size (no terminating zero behind it), in the mode the size picks,
// into one engine whose modules carry every kind of parameter. Whatever the
// text did, the state written afterwards must read back to itself.

#include "StateFixture.h"
#include "platform/Trace.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr uint32_t kFuzzRunBudget = 200000;
constexpr int32_t kModes = 3;

void discard(void*, const char*) {}

testfixture::StateTree& tree()
{
    static testfixture::StateTree* t = [] {
        platform::setStandardOutputSink(discard, nullptr);
        platform::setTraceSink(discard, nullptr);
        auto* made = new testfixture::StateTree;
        made->man().setScriptRunBudget(kFuzzRunBudget);
        return made;
    }();
    return *t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    testfixture::StateTree& t = tree();
    if (size == 0 || size > static_cast<size_t>(INT32_MAX))
        return 0;
    std::unique_ptr<char[]> text(new char[size]);
    std::memcpy(text.get(), data, size);
    t.man().readState(text.get(), static_cast<int32_t>(size), static_cast<int32_t>(size % kModes));

    const std::string first = t.write("#pgm=fuzz");
    if (first.empty() || !t.read(first, 0) || t.write("#pgm=fuzz") != first)
        std::abort();
    return 0;
}
