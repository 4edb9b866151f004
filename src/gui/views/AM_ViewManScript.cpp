// Reading and writing the GUI script: not built yet. Every operation says so
// on the trace and fails.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ScriptState.h"
#include "gui/views/AM_ViewMan.h"

namespace {
void notBuilt()
{
    AM_STD::printv("script reading not built");
}
} // namespace

void AM_ViewMan::parseScript(const char* text, int32_t length, bool editable)
{
    (void)text;
    (void)length;
    (void)editable;
    notBuilt();
}

bool AM_ViewMan::loadScriptFile(const char* path, int32_t editable)
{
    (void)path;
    (void)editable;
    notBuilt();
    return false;
}

bool AM_ViewMan::loadScriptByName(const char* name)
{
    (void)name;
    notBuilt();
    return false;
}

void AM_ViewMan::addScript(const char* path, const char* name, uint32_t alternative,
                           uint32_t flags)
{
    (void)path;
    (void)name;
    (void)alternative;
    (void)flags;
    notBuilt();
}

const AM_ScriptRecord* AM_ViewMan::getScript(int32_t index)
{
    (void)index;
    notBuilt();
    return nullptr;
}

void AM_ViewMan::setScriptIndex(int32_t index)
{
    (void)index;
    notBuilt();
}

bool AM_ViewMan::makeDefault()
{
    notBuilt();
    return false;
}

bool AM_ViewMan::saveScript()
{
    notBuilt();
    return false;
}

bool AM_ViewMan::saveControlScript(AM_ViewControl* control)
{
    (void)control;
    notBuilt();
    return false;
}

void AM_ViewMan::setVProperty(const char* name, int32_t id, const char* value)
{
    (void)name;
    (void)id;
    (void)value;
    notBuilt();
}
