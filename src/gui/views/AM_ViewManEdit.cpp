// The view manager's side of control editing: grid snapping through the
// root view.

#include "gui/views/AM_ViewMan.h"

bool AM_ViewMan::snapToGrid(const float* point, float* offset)
{
    if (offset != nullptr) {
        offset[0] = 0.0f;
        offset[1] = 0.0f;
    }
    if (point == nullptr || offset == nullptr || rootView_ == nullptr) {
        return false;
    }
    return rootView_->snapToGrid(point, offset);
}
