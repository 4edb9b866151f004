#pragma once
// The process-wide pseudo-random generator of the script function "rand".
// Two 32-bit words a and b start at 0x00010430 and 0x00010482; each draw
// adds 0x3336A4C3 to b, then sets a to (a XOR 0x0008C52F) + b, and gives the
// low 23 bits of a as a float in [0, 1). Every script machine of the process
// draws from the same sequence.

#include <cstdint>

namespace script {

class ScriptRandom {
public:
    // Next value in [0, 1). Any thread (lock-free; concurrent draws each get
    // a distinct step of the sequence).
    static float next();
    // Back to the starting words. For tests; not while scripts run.
    static void reset();
};

} // namespace script
