// The UI preference file: not built yet. Both operations say so on the trace
// and fail.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ViewMan.h"

bool AM_ViewMan::storeUIPreferences()
{
    AM_STD::printv("script reading not built");
    return false;
}

bool AM_ViewMan::loadDefaults()
{
    AM_STD::printv("script reading not built");
    return false;
}
