#pragma once
// The colour a shape shows at a value from three colour links (the colours
// at values 0, 0.5 and 1; any may be unset): below 0.5 it runs from the
// first toward the second, from 0.5 from the second toward the third. An
// unset start takes the end's colour, and with neither set it is opaque
// black. Channels stay within 0..1.

// Each link is null or four floats r, g, b, a.
void AM_interpolateLinkColours(const float* const links[3], float value, float rgba[4]);
