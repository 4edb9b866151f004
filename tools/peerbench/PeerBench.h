#pragma once
// kk-peerbench: a plug-in measured side by side with a peer plug-in in one
// host process. For each count of held notes, rounds alternate between the
// two (a fresh instance of each per pass, the peer first in every other
// round), and the CPU time of each pass is read; the figures are the medians
// and the median of the per-round ratios. The load of a first instance (the
// module loaded, its entry called, opened and resumed) is measured in fresh
// processes, alternating in the same way.

#include <iosfwd>
#include <string>
#include <vector>

namespace peerbench {

struct Options {
    static constexpr int kDefaultRounds = 7;
    static constexpr double kDefaultSeconds = 8.0;

    std::string pluginPath;
    std::string peerPath;
    std::vector<int> notes{1, 2, 4, 8};
    int rounds = kDefaultRounds;
    double seconds = kDefaultSeconds; // audio rendered in each pass
    double sampleRate = 44100.0;
    int blockSize = 512;
    bool voices = true; // the passes with held notes
    bool loads = true;  // the load of a first instance
    // Internal: load this module once, print its load CPU time and exit
    // (the child of a load measurement).
    std::string loadOnce;
    bool help = false;
};

// Parses the arguments after the program name; false with a reason.
bool parseCommandLine(const std::vector<std::string>& args, Options& options, std::string& error);
const char* usageText();

// The middle value (the mean of the two middle ones for an even count); 0
// for none.
double median(std::vector<double> values);

// Runs what the options ask; the exit status (0 done, 1 a plug-in failed, 2
// wrong arguments).
int run(const Options& options, const std::string& selfPath, std::ostream& out, std::ostream& err);

} // namespace peerbench
