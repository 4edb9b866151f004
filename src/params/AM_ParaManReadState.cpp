// The parameter manager without a patch-state reader: a state text sent to
// it is reported and not read. The patch-state reader takes this file's
// place with the real readState.

#include "params/AM_ParaMan.h"

#include "foundation/AM_STD.h"

int32_t AM_ParaMan::readState(const char*, int32_t, int32_t)
{
    AM_STD::printv("AM_ParaMan::readState: no state reader\n");
    return 0;
}
