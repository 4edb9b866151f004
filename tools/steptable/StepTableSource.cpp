#include "StepTableSource.h"

#include "synth/dsp/BandLimitedStep.h"

#include <cstdio>
#include <ostream>

namespace steptable {

namespace {

constexpr int kValuesPerLine = 6;

constexpr const char* kHead =
    "// The band-limited step of the default design (BandLimitedStep.h) as the\n"
    "// program's constants. Written by kk-steptable; do not edit. After a change\n"
    "// of the design, write it again with\n"
    "//   build/release/bin/kk-steptable --out src/synth/dsp/BandLimitedStepTable.cpp\n"
    "// (a test checks that it equals the design bit for bit).\n"
    "\n"
    "#include \"synth/dsp/BandLimitedStep.h\"\n"
    "\n"
    "namespace synthdsp {\n"
    "\n"
    "namespace {\n"
    "\n"
    "// clang-format off\n"
    "alignas(16) constexpr float kStep[kStepTableSize] = {\n";

constexpr const char* kTail = "};\n"
                              "// clang-format on\n"
                              "\n"
                              "} // namespace\n"
                              "\n"
                              "const float* bandLimitedStep()\n"
                              "{\n"
                              "    return kStep;\n"
                              "}\n"
                              "\n"
                              "} // namespace synthdsp\n";

} // namespace

void writeStepTableSource(std::ostream& out, const float* table)
{
    out << kHead;
    for (int i = 0; i < synthdsp::kStepTableSize; ++i) {
        char literal[48];
        // %a of the float's exact double value: a literal the compiler turns
        // back into the same float.
        std::snprintf(literal, sizeof literal, "%af,", double(table[i]));
        const bool first = i % kValuesPerLine == 0;
        const bool last =
            i % kValuesPerLine == kValuesPerLine - 1 || i + 1 == synthdsp::kStepTableSize;
        out << (first ? "    " : " ") << literal << (last ? "\n" : "");
    }
    out << kTail;
}

} // namespace steptable
