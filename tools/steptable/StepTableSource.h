#pragma once
// The C++ source that holds the band-limited step as the program's constants
// (src/synth/dsp/BandLimitedStepTable.cpp): every value written exactly, as
// a hexadecimal float literal.

#include <iosfwd>

namespace steptable {

// Writes the source for `table` (synthdsp::kStepTableSize values).
void writeStepTableSource(std::ostream& out, const float* table);

} // namespace steptable
