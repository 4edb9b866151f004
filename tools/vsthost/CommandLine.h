#pragma once
// The options of kk-vsthost.

#include "HostedPlugin.h"
#include "WavFile.h"

#include <string>
#include <vector>

namespace vsthost {

struct ParameterSetting {
    int index = 0;
    float value = 0.0f; // normalised 0..1
};

struct Options {
    static constexpr double kDefaultTail = 2.0;
    static constexpr double kDefaultBenchSeconds = 10.0;
    static constexpr int kDefaultBenchNotes = 8;
    static constexpr double kLongestRender = 3600.0;

    std::string pluginPath;
    HostSettings host;
    bool help = false;
    bool info = false;
    bool listParams = false;
    bool stats = false;
    bool demo = false;
    bool bench = false;
    std::string midiFile;
    std::string outFile;
    SampleFormat format = SampleFormat::float32;
    std::string loadBank;
    std::string loadProgram;
    std::string saveBank;
    std::string saveProgram;
    std::vector<ParameterSetting> parameters;
    double seconds = -1.0; // below 0: the MIDI's length plus the tail (bench: 10 s)
    double tail = kDefaultTail;
    int benchNotes = kDefaultBenchNotes;
    // --editor: the plug-in's editor in a window of the host's, idled at
    // 60 Hz until the window is closed, or --idles times when given.
    static constexpr int kDefaultScreenshotIdles = 30;
    bool editor = false;
    int idles = -1;
    std::string screenshot;
};

// Parses the arguments after the program name; false with a reason.
bool parseCommandLine(const std::vector<std::string>& args, Options& options, std::string& error);

// The text --help prints.
const char* usageText();

} // namespace vsthost
