#include "HostApp.h"

#include "Bench.h"
#include "DemoPhrase.h"
#include "EditorSession.h"
#include "FileBytes.h"
#include "MidiFile.h"
#include "Renderer.h"

#include <cmath>
#include <cstdio>
#include <ostream>

namespace vsthost {
namespace {

constexpr size_t kMaxChunkFileBytes = size_t{256} << 20;
constexpr double kPercent = 100.0;

// Capabilities --info asks about.
constexpr const char* kQueriedCanDo[] = {
    "receiveVstEvents",
    "receiveVstMidiEvent",
    "receiveVstTimeInfo",
    "sendVstEvents",
    "sendVstMidiEvent",
    "2in2out",
    "plugAsChannelInsert",
    "plugAsSend",
    "offline",
    "bypass",
    "midiProgramNames",
};

struct FlagName {
    int32_t flag;
    const char* name;
};

constexpr FlagName kFlagNames[] = {
    {effFlagsHasEditor, "editor"},      {effFlagsCanReplacing, "replacing"},
    {effFlagsProgramChunks, "chunks"},  {effFlagsIsSynth, "synth"},
    {effFlagsNoSoundInStop, "no-tail"}, {effFlagsCanDoubleReplacing, "double"},
};

std::string fourCharText(int32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text.push_back(c >= ' ' && c <= '~' ? c : '?');
    }
    return text;
}

std::string format(const char* pattern, double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), pattern, value);
    return text;
}

void printInfo(HostedPlugin& plugin, std::ostream& out)
{
    char id[16];
    std::snprintf(id, sizeof(id), "0x%08x", static_cast<unsigned>(plugin.uniqueId()));
    out << "effect: " << plugin.effectName() << "\n"
        << "vendor: " << plugin.vendorString() << "\n"
        << "product: " << plugin.productString() << "\n"
        << "vendor version: " << plugin.dispatch(effGetVendorVersion) << "\n"
        << "VST version: " << plugin.dispatch(effGetVstVersion) << "\n"
        << "unique ID: '" << fourCharText(plugin.uniqueId()) << "' (" << id << ")\n"
        << "version: " << plugin.version() << "\n"
        << "category: " << plugin.dispatch(effGetPlugCategory) << "\n"
        << "programs: " << plugin.numPrograms() << ", parameters: " << plugin.numParams() << "\n"
        << "inputs: " << plugin.numInputs() << ", outputs: " << plugin.numOutputs() << "\n"
        << "initial delay: " << plugin.initialDelay() << "\n"
        << "program: " << plugin.programName() << "\n"
        << "flags:";
    for (const FlagName& flag : kFlagNames)
        if ((plugin.flags() & flag.flag) != 0)
            out << " " << flag.name;
    out << "\ncanDo:";
    for (const char* capability : kQueriedCanDo)
        out << " " << capability << "=" << plugin.canDo(capability);
    out << "\n";
}

void printParameters(HostedPlugin& plugin, std::ostream& out)
{
    for (int i = 0; i < plugin.numParams(); ++i)
        out << i << ": " << plugin.parameterName(i) << " = " << plugin.parameterDisplay(i) << " "
            << plugin.parameterLabel(i) << " (" << format("%.6f", plugin.getParameter(i)) << ")\n";
}

void printStats(const HostedPlugin& plugin, const AudioBuffer& audio, std::ostream& out)
{
    const std::vector<ChannelStats> stats = measure(audio);
    for (size_t c = 0; c < stats.size(); ++c) {
        out << "channel " << c + 1 << ": peak " << format("%.6f", stats[c].peak) << " ("
            << format("%.2f", toDecibels(stats[c].peak)) << " dBFS), RMS "
            << format("%.6f", stats[c].rms) << " (" << format("%.2f", toDecibels(stats[c].rms))
            << " dBFS)";
        if (stats[c].nonFinite > 0)
            out << ", " << stats[c].nonFinite << " NaN or infinite samples";
        out << "\n";
    }
    const int64_t first = firstSoundingFrame(audio);
    out << "frames: " << audio.frames() << ", first sound at frame " << first << "\n";
    out << "floating-point control register: "
        << (plugin.controlRegisterChanged() ? "CHANGED by the plug-in" : "unchanged") << "\n";
}

bool restoreChunk(HostedPlugin& plugin, const std::string& path, bool program, std::ostream& out,
                  std::ostream& err)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!readFileBytes(path, kMaxChunkFileBytes, bytes, error)) {
        err << "kk-vsthost: " << error << "\n";
        return false;
    }
    // Plug-ins of this project answer 1 only when they read the chunk, but
    // many others answer 0 whatever happened: a 0 is reported, not fatal.
    const VstIntPtr answer = plugin.setChunk(program, bytes);
    out << "gave " << (program ? "program" : "bank") << " chunk " << path << " (" << bytes.size()
        << " bytes); the plug-in answered " << answer << "\n";
    if (answer == 0)
        err << "kk-vsthost: warning: the plug-in answered 0 to the chunk from " << path
            << "; it may have rejected it\n";
    return true;
}

bool saveChunk(HostedPlugin& plugin, const std::string& path, bool program, std::ostream& out,
               std::ostream& err)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!plugin.getChunk(program, bytes, error) || !writeFileBytes(path, bytes, error)) {
        err << "kk-vsthost: " << error << "\n";
        return false;
    }
    out << "saved " << (program ? "program" : "bank") << " chunk: " << path << " (" << bytes.size()
        << " bytes)\n";
    return true;
}

int runBenchMode(HostedPlugin& plugin, const Options& options, std::ostream& out, std::ostream& err)
{
    const double seconds = options.seconds > 0.0 ? options.seconds : Options::kDefaultBenchSeconds;
    BenchResult result;
    std::string error;
    if (!runBench(plugin, options.benchNotes, seconds, result, error)) {
        err << "kk-vsthost: " << error << "\n";
        return kExitFailed;
    }
    out << "bench: " << result.notes << " notes held " << format("%.1f", result.seconds) << " s at "
        << format("%.0f", options.host.sampleRate) << " Hz, block " << options.host.blockSize
        << "\n"
        << "cpu: " << format("%.3f", result.cpuSeconds)
        << " s = " << format("%.3f", result.coreShare() * kPercent) << " % of one core (idle "
        << format("%.3f", result.idleShare() * kPercent) << " %)\n"
        << "per voice: " << format("%.4f", result.perVoiceShare() * kPercent) << " % of one core ("
        << format("%.4f", result.perVoiceAboveIdle() * kPercent) << " % above idle)\n";
    return kExitDone;
}

int play(HostedPlugin& plugin, const Options& options, std::ostream& out, std::ostream& err)
{
    const double rate = options.host.sampleRate;
    MidiSequence events;
    std::string error;
    if (options.demo)
        events = demoPhrase(rate, options.host.tempo);
    else if (!options.midiFile.empty() && !readMidiFile(options.midiFile, rate, events, error)) {
        err << "kk-vsthost: " << error << "\n";
        return kExitFailed;
    }
    const double seconds = options.seconds >= 0.0
                               ? options.seconds
                               : static_cast<double>(lastFrame(events)) / rate + options.tail;
    const auto frames = static_cast<int64_t>(std::llround(seconds * rate));
    if (frames > static_cast<int64_t>(Options::kLongestRender * rate)) {
        err << "kk-vsthost: the rendering would be longer than an hour\n";
        return kExitFailed;
    }
    Renderer renderer(plugin);
    renderer.schedule(events);
    AudioBuffer audio;
    if (!renderer.render(frames, &audio, error)) {
        err << "kk-vsthost: " << error << "\n";
        return kExitFailed;
    }
    out << "rendered " << frames << " frames, " << renderer.eventsSent() << " MIDI events\n";
    if (!options.outFile.empty()) {
        if (!writeWav(options.outFile, audio, static_cast<int>(std::lround(rate)), options.format,
                      error)) {
            err << "kk-vsthost: " << error << "\n";
            return kExitFailed;
        }
        out << "wrote " << options.outFile << "\n";
    }
    if (options.stats)
        printStats(plugin, audio, out);
    return kExitDone;
}

int runEditor(HostedPlugin& plugin, const Options& options, std::ostream& out, std::ostream& err)
{
    EditorSession session(plugin);
    std::string error;
    if (!session.open(error)) {
        err << "kk-vsthost: " << error << "\n";
        return kExitFailed;
    }
    if (options.idles > 0 || !options.screenshot.empty()) {
        const int idles = options.idles > 0 ? options.idles : Options::kDefaultScreenshotIdles;
        session.idle(idles, true);
    } else {
        session.run();
    }
    if (!options.screenshot.empty()) {
        if (!session.screenshot(options.screenshot, error)) {
            err << "kk-vsthost: " << error << "\n";
            return kExitFailed;
        }
        out << "wrote " << options.screenshot << "\n";
    }
    session.close();
    return kExitDone;
}

} // namespace

int runHost(const Options& options, std::ostream& out, std::ostream& err)
{
    if (options.help) {
        out << usageText();
        return kExitDone;
    }
    HostedPlugin plugin;
    std::string error;
    if (!plugin.load(options.pluginPath, options.host, error)) {
        err << "kk-vsthost: " << error << "\n";
        return kExitFailed;
    }
    plugin.start();
    if (!options.loadBank.empty() && !restoreChunk(plugin, options.loadBank, false, out, err))
        return kExitFailed;
    if (!options.loadProgram.empty() && !restoreChunk(plugin, options.loadProgram, true, out, err))
        return kExitFailed;
    for (const ParameterSetting& setting : options.parameters) {
        if (!plugin.setParameter(setting.index, setting.value)) {
            err << "kk-vsthost: the plug-in has no parameter " << setting.index << "\n";
            return kExitFailed;
        }
    }
    if (options.info)
        printInfo(plugin, out);
    if (options.listParams)
        printParameters(plugin, out);
    if (options.editor) {
        const int status = runEditor(plugin, options, out, err);
        if (status != kExitDone)
            return status;
    }
    if (options.bench) {
        const int status = runBenchMode(plugin, options, out, err);
        if (status != kExitDone)
            return status;
    } else if (options.demo || !options.midiFile.empty() || !options.outFile.empty() ||
               options.stats || options.seconds >= 0.0) {
        const int status = play(plugin, options, out, err);
        if (status != kExitDone)
            return status;
    }
    if (!options.saveBank.empty() && !saveChunk(plugin, options.saveBank, false, out, err))
        return kExitFailed;
    if (!options.saveProgram.empty() && !saveChunk(plugin, options.saveProgram, true, out, err))
        return kExitFailed;
    return kExitDone;
}

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Options options;
    std::string error;
    if (!parseCommandLine(args, options, error)) {
        err << "kk-vsthost: " << error << "\n" << usageText();
        return kExitUsage;
    }
    return runHost(options, out, err);
}

} // namespace vsthost
