// The inspector of the editor's own GUI: rows for the colours, graphics and
// parameters of the focused control.

#include "foundation/AM_STD.h"
#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"

void AM_ViewControl::fillInspector()
{
    AM_STD::printv("inspector of %s: not yet\n", getName());
}
