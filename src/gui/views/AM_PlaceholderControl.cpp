#include "gui/views/AM_PlaceholderControl.h"

#include "foundation/AM_STD.h"

#include <set>
#include <string>

namespace {
std::set<std::string>& announcedTypes()
{
    static std::set<std::string> types;
    return types;
}
} // namespace

AM_PlaceholderControl::AM_PlaceholderControl(AM_ViewMan* viewMan, const AM_Rect* bounds,
                                             const char* typeName)
    : AM_ViewControl(viewMan, bounds), typeName_(typeName)
{
}

AM_ViewControl* AM_PlaceholderControl::create(AM_ViewMan* viewMan, const AM_Rect* bounds,
                                              const char* typeName)
{
    if (announcedTypes().insert(typeName != nullptr ? typeName : "").second) {
        AM_STD::printv("Control type '%s' not built yet: a placeholder keeps its script lines",
                       typeName != nullptr ? typeName : "");
    }
    return new AM_PlaceholderControl(viewMan, bounds, typeName);
}

void AM_PlaceholderControl::resetAnnouncements()
{
    announcedTypes().clear();
}
