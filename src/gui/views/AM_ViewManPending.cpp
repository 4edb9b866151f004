// Operations of the view manager that input routing, menus, the timer tick,
// opening the GUI, dialogs and the root view give their behaviour to.
// Until then each one keeps the object sound: it does nothing or answers
// none or false.

#include "gui/views/AM_ViewMan.h"

bool AM_ViewMan::startDragDrop(AM_ViewControl* source, const char* text)
{
    (void)source;
    (void)text;
    return false;
}

void AM_ViewMan::beginMenu() {}

bool AM_ViewMan::addMenuItem(const char* text, int32_t command, uint32_t flags)
{
    (void)text;
    (void)command;
    (void)flags;
    return false;
}

bool AM_ViewMan::addSubMenu(const char* text)
{
    (void)text;
    return false;
}

int32_t AM_ViewMan::showMenu(float x, float y)
{
    (void)x;
    (void)y;
    return 0;
}

bool AM_ViewMan::beginTextEntry(const char* title, const char* text, AM_ViewControl* target)
{
    (void)title;
    (void)text;
    (void)target;
    return false;
}

void AM_ViewMan::endTextEntry(bool accept)
{
    (void)accept;
}

int32_t AM_ViewMan::askThreeWay(const char* name)
{
    (void)name;
    return k_answerCancel;
}

void AM_ViewMan::buildGraphicsMenu() {}

void AM_ViewMan::loadImages() {}

void AM_ViewMan::buildDefaultControls() {}

void AM_ViewMan::snapToGrid(float* point)
{
    (void)point;
}

bool AM_ViewMan::loadScript(int32_t index)
{
    (void)index;
    return false;
}

void AM_ViewMan::newRootView() {}

void AM_ViewMan::addActionMenuItems() {}

bool AM_ViewMan::performAction(int32_t action)
{
    (void)action;
    return false;
}
