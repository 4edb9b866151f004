// kk-presetmaker --out FOLDER   writes the factory presets below FOLDER
// kk-presetmaker --list         lists the parameters a preset can set

#include "PresetWriter.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const std::string usage = "usage: kk-presetmaker --out FOLDER | --list\n";
    if (argc == 2 && std::string(argv[1]) == "--list") {
        presetmaker::PresetWriter writer;
        writer.listParameters(std::cout);
        return 0;
    }
    if (argc != 3 || std::string(argv[1]) != "--out") {
        std::cerr << usage;
        return 2;
    }
    presetmaker::PresetWriter writer;
    for (const presetmaker::FactoryPreset& preset : presetmaker::factoryPresets()) {
        std::string error;
        if (!writer.write(preset, argv[2], error)) {
            std::cerr << "kk-presetmaker: " << error << "\n";
            return 1;
        }
        std::cout << "wrote " << preset.fileName << "\n";
    }
    return 0;
}
