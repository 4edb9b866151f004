// The script lines of controls: not built yet. Writing says so on the trace
// and writes nothing; a placeholder keeps the lines it is given.

#include "foundation/AM_STD.h"
#include "gui/views/AM_PlaceholderControl.h"
#include "gui/views/AM_ViewControl.h"

void AM_ViewControl::writeControlTree(std::string* script)
{
    (void)script;
    AM_STD::printv("script reading not built");
}

void AM_ViewControl::writeControl(std::string* script)
{
    (void)script;
    AM_STD::printv("script reading not built");
}

void AM_ViewControl::writePropertyTree(std::string* script)
{
    (void)script;
    AM_STD::printv("script reading not built");
}

void AM_ViewControl::writeProperties(std::string* script)
{
    (void)script;
    AM_STD::printv("script reading not built");
}

void AM_PlaceholderControl::setProperty(const char* name, int32_t id, const char* value)
{
    if (name == nullptr) {
        return;
    }
    kept_.push_back({name, id, value != nullptr ? value : ""});
}

void AM_PlaceholderControl::writeProperties(std::string* script)
{
    (void)script;
    AM_STD::printv("script reading not built");
}
