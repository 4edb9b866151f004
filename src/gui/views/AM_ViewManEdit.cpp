// The view manager's side of control editing: grid snapping through the
// root view, cloning the selection and arrays of clones.

#include "foundation/AM_STD.h"
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

AM_ViewControl* AM_ViewMan::cloneSelection(bool sameParameters)
{
    AM_ViewControl* focused = focusedControl_;
    if (focused == nullptr) {
        return nullptr;
    }
    cloning_ = sameParameters ? 1 : 0;
    AM_ViewControl* copy = focused->clone(false, nullptr, 0.0f, 0.0f);
    cloning_ = 0;
    if (copy == nullptr) {
        AM_STD::printv("%s cannot be cloned\n", focused->getName());
        return nullptr;
    }
    recomputeSelection();
    activeControl_ = copy;
    return copy;
}

bool AM_ViewMan::makeCloneArray()
{
    AM_ViewControl* focused = focusedControl_;
    AM_ViewControl* prototype = focused != nullptr ? focused->getPrototype() : nullptr;
    if (prototype == nullptr) {
        return false;
    }
    const AM_Rect from = prototype->getBounds();
    const AM_Rect to = focused->getBounds();
    const float dx = to.x - from.x;
    const float dy = to.y - from.y;
    const int32_t count = getEditTransform().arrayCount;
    AM_STD::printv("doing %d clones now...\n", int(count));
    for (int32_t k = 2; k < count; ++k) {
        AM_ViewControl* copy = focused->clone(false, nullptr, dx, dy);
        if (copy == nullptr) {
            AM_STD::printv("%s cannot be cloned\n", focused->getName());
            break;
        }
        recomputeSelection();
        activeControl_ = copy;
        focused = copy;
    }
    return true;
}
