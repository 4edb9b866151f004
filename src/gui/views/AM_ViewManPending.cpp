// Operations of the view manager that dragging out of the GUI and the
// platform's dialogs give their behaviour to.
// Until then each one keeps the object sound: it does nothing or answers
// none or false.

#include "gui/views/AM_ViewMan.h"

bool AM_ViewMan::startDragDrop(AM_ViewControl* source, uint32_t kind, uint32_t length,
                               const char* text)
{
    (void)source;
    (void)kind;
    (void)length;
    (void)text;
    return false;
}

int32_t AM_ViewMan::askThreeWay(const char* name)
{
    (void)name;
    return k_answerCancel;
}
