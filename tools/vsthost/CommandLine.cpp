#include "CommandLine.h"

#include <charconv>
#include <cmath>

namespace vsthost {
namespace {

constexpr double kLowestTempo = 1.0;
constexpr double kHighestTempo = 999.0;

template <typename Number> bool parseNumber(const std::string& text, Number& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool parseParameter(const std::string& text, ParameterSetting& setting)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos)
        return false;
    return parseNumber(text.substr(0, equals), setting.index) &&
           parseNumber(text.substr(equals + 1), setting.value) && setting.index >= 0 &&
           setting.value >= 0.0f && setting.value <= 1.0f;
}

bool parseTimeInfo(const std::string& text, TimeInfoMode& mode)
{
    if (text == "full")
        mode = TimeInfoMode::full;
    else if (text == "none")
        mode = TimeInfoMode::none;
    else if (text == "no-flags")
        mode = TimeInfoMode::noFlags;
    else if (text == "hostile")
        mode = TimeInfoMode::hostile;
    else
        return false;
    return true;
}

bool parseFormat(const std::string& text, SampleFormat& format)
{
    if (text == "f32")
        format = SampleFormat::float32;
    else if (text == "s16")
        format = SampleFormat::pcm16;
    else if (text == "s24")
        format = SampleFormat::pcm24;
    else
        return false;
    return true;
}

} // namespace

const char* usageText()
{
    return "Usage: kk-vsthost --plugin FILE.so [options]\n"
           "Loads a VST 2.4 plug-in, plays MIDI through it and writes what it renders.\n"
           "\n"
           "  --plugin FILE.so        the plug-in module (entry VSTPluginMain or main)\n"
           "  --info                  print names, counts, flags and capabilities\n"
           "  --list-params           print every parameter: name, display, label, value\n"
           "  --set INDEX=VALUE       set a parameter to a normalised value (repeatable)\n"
           "  --load-bank FILE        give the plug-in a bank chunk read from FILE\n"
           "  --load-program FILE     give the plug-in a program chunk read from FILE\n"
           "  --save-bank FILE        save the plug-in's bank chunk to FILE at the end\n"
           "  --save-program FILE     save the plug-in's program chunk to FILE at the end\n"
           "  --midi FILE.mid         play a Standard MIDI File\n"
           "  --demo                  play the built-in demo phrase\n"
           "  --out FILE.wav          write the rendered audio to a WAV file\n"
           "  --format f32|s16|s24    WAV sample format (default f32)\n"
           "  --stats                 print peak and RMS of every output channel\n"
           "  --rate HZ               sample rate (default 44100)\n"
           "  --block N               samples per process call (default 512)\n"
           "  --tempo BPM             tempo the host reports (default 120)\n"
           "  --time-info MODE        full, none (null answer), no-flags or hostile\n"
           "  --seconds S             render length (default: the MIDI plus the tail)\n"
           "  --tail S                seconds rendered after the last event (default 2)\n"
           "  --bench                 hold --notes N notes for --seconds T (default 8, 10)\n"
           "                          and print the plug-in's CPU time per voice\n"
           "  --notes N               notes held by --bench\n"
           "  --editor                open the plug-in's editor in a window, idled at 60 Hz\n"
           "                          until the window is closed\n"
           "  --idles N               with --editor: close after N idles\n"
           "  --screenshot FILE.png   with --editor: save the window after --idles N\n"
           "                          (default 30) idles\n"
           "  --help                  print this text\n"
           "\n"
           "Exit status: 0 done, 1 the plug-in or a file failed, 2 wrong arguments.\n";
}

bool parseCommandLine(const std::vector<std::string>& args, Options& options, std::string& error)
{
    options = Options{};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--info") {
            options.info = true;
        } else if (arg == "--list-params") {
            options.listParams = true;
        } else if (arg == "--stats") {
            options.stats = true;
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--bench") {
            options.bench = true;
        } else if (arg == "--editor") {
            options.editor = true;
        } else if (arg == "--screenshot") {
            if (!value(options.screenshot))
                return false;
        } else if (arg == "--idles") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.idles) || options.idles < 1) {
                error = "--idles wants a positive count";
                return false;
            }
        } else if (arg == "--plugin") {
            if (!value(options.pluginPath))
                return false;
        } else if (arg == "--midi") {
            if (!value(options.midiFile))
                return false;
        } else if (arg == "--out") {
            if (!value(options.outFile))
                return false;
        } else if (arg == "--load-bank") {
            if (!value(options.loadBank))
                return false;
        } else if (arg == "--load-program") {
            if (!value(options.loadProgram))
                return false;
        } else if (arg == "--save-bank") {
            if (!value(options.saveBank))
                return false;
        } else if (arg == "--save-program") {
            if (!value(options.saveProgram))
                return false;
        } else if (arg == "--set") {
            ParameterSetting setting;
            if (!value(text))
                return false;
            if (!parseParameter(text, setting)) {
                error = "--set wants INDEX=VALUE with VALUE from 0 to 1, not " + text;
                return false;
            }
            options.parameters.push_back(setting);
        } else if (arg == "--format") {
            if (!value(text))
                return false;
            if (!parseFormat(text, options.format)) {
                error = "--format wants f32, s16 or s24";
                return false;
            }
        } else if (arg == "--time-info") {
            if (!value(text))
                return false;
            if (!parseTimeInfo(text, options.host.timeInfo)) {
                error = "--time-info wants full, none, no-flags or hostile";
                return false;
            }
        } else if (arg == "--rate") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.host.sampleRate) || !(options.host.sampleRate >= 1.0) ||
                options.host.sampleRate > HostSettings::kMaxSampleRate) {
                error = "--rate wants a sample rate from 1 to 1536000 Hz";
                return false;
            }
        } else if (arg == "--block") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.host.blockSize) || options.host.blockSize < 1 ||
                options.host.blockSize > HostSettings::kMaxBlockSize) {
                error = "--block wants 1 to 1048576 samples";
                return false;
            }
        } else if (arg == "--tempo") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.host.tempo) || !(options.host.tempo >= kLowestTempo) ||
                options.host.tempo > kHighestTempo) {
                error = "--tempo wants 1 to 999 beats per minute";
                return false;
            }
        } else if (arg == "--seconds" || arg == "--tail") {
            double seconds = 0.0;
            if (!value(text))
                return false;
            if (!parseNumber(text, seconds) || !(seconds >= 0.0) ||
                seconds > Options::kLongestRender) {
                error = arg + " wants 0 to 3600 seconds";
                return false;
            }
            (arg == "--seconds" ? options.seconds : options.tail) = seconds;
        } else if (arg == "--notes") {
            if (!value(text))
                return false;
            if (!parseNumber(text, options.benchNotes) || options.benchNotes < 1) {
                error = "--notes wants a positive count";
                return false;
            }
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (!options.help && options.pluginPath.empty()) {
        error = "--plugin is required";
        return false;
    }
    if (!options.editor && (!options.screenshot.empty() || options.idles > 0)) {
        error = "--screenshot and --idles need --editor";
        return false;
    }
    if (options.demo && !options.midiFile.empty()) {
        error = "--demo and --midi exclude each other";
        return false;
    }
    return true;
}

} // namespace vsthost
