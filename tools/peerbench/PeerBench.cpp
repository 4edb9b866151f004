#include "PeerBench.h"

#include "Bench.h"
#include "HostedPlugin.h"

#include "platform/ChildProcess.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <ostream>
#include <sstream>

namespace peerbench {

namespace {

constexpr double kPercent = 100.0;
constexpr double kMilliseconds = 1000.0;
constexpr int kMostRounds = 101;
constexpr double kLongestPass = 600.0;
constexpr const char* kLoadLine = "load-cpu-ms ";

template <typename Number> bool parseNumber(const std::string& text, Number& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool parseNoteList(const std::string& text, std::vector<int>& notes)
{
    notes.clear();
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        int n = 0;
        if (!parseNumber(item, n) || n < 1 || n > vsthost::kMaxBenchNotes)
            return false;
        notes.push_back(n);
    }
    return !notes.empty();
}

std::string fixed(double value, int digits)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

double cpuSeconds()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

vsthost::HostSettings hostSettings(const Options& options)
{
    vsthost::HostSettings settings;
    settings.sampleRate = options.sampleRate;
    settings.blockSize = options.blockSize;
    return settings;
}

// One pass of held notes through a fresh instance: its share of one core.
bool notesPass(const std::string& path, const Options& options, int notes, double& share,
               std::string& error)
{
    vsthost::HostedPlugin plugin;
    if (!plugin.load(path, hostSettings(options), error))
        return false;
    plugin.start();
    vsthost::BenchResult result;
    if (!vsthost::runBench(plugin, notes, options.seconds, result, error))
        return false;
    share = result.coreShare();
    return true;
}

// The load of a first instance, in a fresh process: CPU milliseconds.
bool loadPass(const std::string& self, const std::string& path, const Options& options,
              double& milliseconds, std::string& error)
{
    std::string output;
    int status = 0;
    const std::vector<std::string> arguments = {self,
                                                "--load-once",
                                                path,
                                                "--rate",
                                                fixed(options.sampleRate, 0),
                                                "--block",
                                                std::to_string(options.blockSize)};
    if (!platform::runToEnd(arguments, output, status, error))
        return false;
    const size_t at = output.find(kLoadLine);
    if (status != 0 || at == std::string::npos) {
        error = "no load measured for " + path;
        return false;
    }
    const size_t from = at + std::char_traits<char>::length(kLoadLine);
    const std::string value = output.substr(from, output.find('\n', from) - from);
    if (!parseNumber(value, milliseconds)) {
        error = "unreadable load time for " + path;
        return false;
    }
    return true;
}

int loadOnce(const Options& options, std::ostream& out, std::ostream& err)
{
    const double start = cpuSeconds();
    vsthost::HostedPlugin plugin;
    std::string error;
    if (!plugin.load(options.loadOnce, hostSettings(options), error)) {
        err << "kk-peerbench: " << error << "\n";
        return 1;
    }
    plugin.start();
    const double used = cpuSeconds() - start;
    out << kLoadLine << fixed(used * kMilliseconds, 3) << "\n";
    return 0;
}

// Runs `measure` for the plug-in (index 0) and the peer (index 1) in
// alternating order and returns both medians and the median ratio.
struct Pair {
    double plugin = 0.0;
    double peer = 0.0;
    double ratio = 0.0;
    double lowestRatio = 0.0;
    double highestRatio = 0.0;
};

template <typename Measure>
bool alternate(const Options& options, Measure measure, Pair& pair, std::string& error)
{
    std::vector<double> values[2];
    std::vector<double> ratios;
    for (int round = 0; round < options.rounds; ++round) {
        double v[2] = {0.0, 0.0};
        for (int k = 0; k < 2; ++k) {
            const int which = round % 2 == 0 ? k : 1 - k;
            if (!measure(which, v[which], error))
                return false;
        }
        values[0].push_back(v[0]);
        values[1].push_back(v[1]);
        if (v[1] > 0.0)
            ratios.push_back(v[0] / v[1]);
    }
    pair.plugin = median(values[0]);
    pair.peer = median(values[1]);
    pair.ratio = median(ratios);
    if (!ratios.empty()) {
        pair.lowestRatio = *std::min_element(ratios.begin(), ratios.end());
        pair.highestRatio = *std::max_element(ratios.begin(), ratios.end());
    }
    return true;
}

} // namespace

const char* usageText()
{
    return "Usage: kk-peerbench --plugin A.so --peer B.so [options]\n"
           "Measures plug-in A beside peer B in one host: the CPU time with held notes\n"
           "and the load of a first instance, in alternating rounds.\n"
           "\n"
           "  --plugin FILE.so   the plug-in measured\n"
           "  --peer FILE.so     the plug-in it is measured against\n"
           "  --notes LIST       held-note counts, comma-separated (default 1,2,4,8)\n"
           "  --rounds N         alternating rounds; figures are medians (default 7)\n"
           "  --seconds S        audio rendered in each pass (default 8)\n"
           "  --rate HZ          sample rate (default 44100)\n"
           "  --block N          samples per process call (default 512)\n"
           "  --voices-only      skip the load measurement\n"
           "  --loads-only       skip the held notes\n"
           "  --help             print this text\n";
}

bool parseCommandLine(const std::vector<std::string>& args, Options& options, std::string& error)
{
    options = Options{};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string text;
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--plugin") {
            if (!value(options.pluginPath))
                return false;
        } else if (arg == "--peer") {
            if (!value(options.peerPath))
                return false;
        } else if (arg == "--load-once") {
            if (!value(options.loadOnce))
                return false;
        } else if (arg == "--notes") {
            if (!value(text))
                return false;
            if (!parseNoteList(text, options.notes)) {
                error = "--notes wants counts from 1 to " +
                        std::to_string(vsthost::kMaxBenchNotes) + ", comma-separated";
                return false;
            }
        } else if (arg == "--rounds") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.rounds) || options.rounds < 1 ||
                options.rounds > kMostRounds) {
                error = "--rounds wants 1 to " + std::to_string(kMostRounds);
                return false;
            }
        } else if (arg == "--seconds") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.seconds) || !(options.seconds > 0.0) ||
                options.seconds > kLongestPass) {
                error = "--seconds wants a length above 0 and at most 600";
                return false;
            }
        } else if (arg == "--rate") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.sampleRate) || !(options.sampleRate >= 1.0) ||
                options.sampleRate > vsthost::HostSettings::kMaxSampleRate) {
                error = "--rate wants a sample rate from 1 to 1536000 Hz";
                return false;
            }
        } else if (arg == "--block") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.blockSize) || options.blockSize < 1 ||
                options.blockSize > vsthost::HostSettings::kMaxBlockSize) {
                error = "--block wants 1 to 1048576 samples";
                return false;
            }
        } else if (arg == "--voices-only") {
            options.loads = false;
        } else if (arg == "--loads-only") {
            options.voices = false;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.help || !options.loadOnce.empty())
        return true;
    if (options.pluginPath.empty() || options.peerPath.empty()) {
        error = "--plugin and --peer are needed";
        return false;
    }
    if (!options.voices && !options.loads) {
        error = "--voices-only and --loads-only leave nothing to measure";
        return false;
    }
    return true;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

int run(const Options& options, const std::string& selfPath, std::ostream& out, std::ostream& err)
{
    if (options.help) {
        out << usageText();
        return 0;
    }
    if (!options.loadOnce.empty())
        return loadOnce(options, out, err);

    const std::string paths[2] = {options.pluginPath, options.peerPath};
    std::string error;
    out << "plug-in: " << paths[0] << "\npeer:    " << paths[1] << "\n";
    if (options.voices) {
        out << "held notes, " << fixed(options.sampleRate, 0) << " Hz, block " << options.blockSize
            << ", " << fixed(options.seconds, 1) << " s a pass, median of " << options.rounds
            << " alternating rounds (percent of one core)\n"
            << "notes  plug-in  peer     ratio  (lowest-highest)\n";
        for (const int notes : options.notes) {
            Pair pair;
            const auto measure = [&](int which, double& share, std::string& e) {
                return notesPass(paths[which], options, notes, share, e);
            };
            if (!alternate(options, measure, pair, error)) {
                err << "kk-peerbench: " << error << "\n";
                return 1;
            }
            char line[160];
            std::snprintf(line, sizeof line, "%-6d %-8s %-8s %-6s (%s-%s)\n", notes,
                          fixed(pair.plugin * kPercent, 3).c_str(),
                          fixed(pair.peer * kPercent, 3).c_str(), fixed(pair.ratio, 2).c_str(),
                          fixed(pair.lowestRatio, 2).c_str(), fixed(pair.highestRatio, 2).c_str());
            out << line << std::flush;
        }
    }
    if (options.loads) {
        if (selfPath.empty()) {
            err << "kk-peerbench: the program's own path is unknown\n";
            return 1;
        }
        Pair pair;
        const auto measure = [&](int which, double& ms, std::string& e) {
            return loadPass(selfPath, paths[which], options, ms, e);
        };
        if (!alternate(options, measure, pair, error)) {
            err << "kk-peerbench: " << error << "\n";
            return 1;
        }
        out << "first instance's load (module, entry, open, resume), CPU ms, median of "
            << options.rounds << " fresh processes:\n"
            << "plug-in " << fixed(pair.plugin, 1) << "  peer " << fixed(pair.peer, 1) << "  ratio "
            << fixed(pair.ratio, 2) << " (" << fixed(pair.lowestRatio, 2) << "-"
            << fixed(pair.highestRatio, 2) << ")\n";
    }
    return 0;
}

} // namespace peerbench
