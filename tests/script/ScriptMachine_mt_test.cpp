// Two plug-in instances may restore states on two threads: their machines
// compile and run at the same time, sharing only the "rand" generator.

#include "ScriptTestSupport.h"

#include "platform/Trace.h"
#include "script/ScriptRandom.h"

#include <atomic>
#include <set>
#include <thread>

namespace {

void discard(void*, const char*) {}

TEST(ScriptMachineThreads, MachinesOnTwoThreadsDoNotDisturbEachOther)
{
    platform::setStandardOutputSink(discard, nullptr);
    constexpr int kRounds = 20;
    std::atomic<int> failures{0};
    auto work = [&failures](int seed) {
        for (int round = 0; round < kRounds; ++round) {
            scripttest::ScriptRunner r;
            const std::string text =
                "int fib(int n) { if (n < 2) return n; return fib(n - 1) + fib(n - 2); }"
                "int seed = " +
                std::to_string(seed) +
                "; int r = fib(12) + seed;"
                "float z = rand(0, 1); Osc.Freq = seed;"
                "int i; int s = 0; for (i = 0; i < 200; i++) { s += i; }";
            if (r.run(text) != 0 || r.i("r") != 144 + seed || r.i("s") != 19900 ||
                r.engine.freq != static_cast<float>(seed))
                ++failures;
            r.machine->dumpVariables();
        }
    };
    std::thread a(work, 1);
    std::thread b(work, 2);
    a.join();
    b.join();
    platform::setStandardOutputSink(nullptr, nullptr);
    EXPECT_EQ(failures.load(), 0);
}

TEST(ScriptMachineThreads, ConcurrentDrawsTakeDistinctStepsOfTheSequence)
{
    constexpr int kDraws = 5000;
    script::ScriptRandom::reset();
    std::vector<float> expected;
    for (int k = 0; k < 2 * kDraws; ++k)
        expected.push_back(script::ScriptRandom::next());
    script::ScriptRandom::reset();
    std::vector<float> got[2];
    auto draw = [&got](int which) {
        for (int k = 0; k < kDraws; ++k)
            got[which].push_back(script::ScriptRandom::next());
    };
    std::thread a(draw, 0);
    std::thread b(draw, 1);
    a.join();
    b.join();
    std::multiset<float> all(got[0].begin(), got[0].end());
    all.insert(got[1].begin(), got[1].end());
    EXPECT_EQ(all, std::multiset<float>(expected.begin(), expected.end()));
}

} // namespace
