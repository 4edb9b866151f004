// kk-steptable: designs the oscillators' band-limited step and writes it as
// the C++ source the program holds it in.
//
//   kk-steptable --out src/synth/dsp/BandLimitedStepTable.cpp
//
// Without --out the source goes to the standard output.

#include "StepTableSource.h"

#include "synth/dsp/BandLimitedStep.h"

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string outPath;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size()) {
            outPath = args[++i];
        } else {
            std::cerr << "Usage: kk-steptable [--out FILE.cpp]\n";
            return 2;
        }
    }
    const std::vector<float> table = synthdsp::designBandLimitedStep(synthdsp::defaultStepDesign());
    if (outPath.empty()) {
        steptable::writeStepTableSource(std::cout, table.data());
        return std::cout.good() ? 0 : 1;
    }
    std::ofstream file(outPath, std::ios::binary);
    steptable::writeStepTableSource(file, table.data());
    file.close();
    if (!file) {
        std::cerr << "kk-steptable: can't write " << outPath << "\n";
        return 1;
    }
    std::cout << "wrote " << outPath << "\n";
    return 0;
}
