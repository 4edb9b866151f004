#include "gui/editors/AM_View_EQ6_View.h"

namespace {

constexpr char kGraphicNames[][kGuiNameBytes] = {
    "EQ6_ViewBackground", "EQ6_ViewHandle1", "EQ6_ViewHandle2",   "EQ6_ViewHandle3",
    "EQ6_ViewHandle4",    "EQ6_ViewHandle5", "EQ6_ViewHandle6",   "EQ6_ViewGainHandle"};

// Set values, then current values: frequencies, gains, widths, output gain.
constexpr float kInitialValues[38] = {0,  20, 40, 60, 80, 100, 0, 0, 0, 0, 0, 0, 0,
                                      0,  0,  0,  0,  0,  0,   20, 40, 60, 80, 20, 40, 0,
                                      0,  0,  0,  0,  0,  0,   0,  0,  0,  0,  0,  0};

} // namespace

AM_View_EQ6_View::AM_View_EQ6_View(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_View_EQBase(viewMan, bounds, 6, "EQ6_View", kGraphicNames, kInitialValues)
{
}

AM_ViewControl* AM_View_EQ6_View::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* view = new AM_View_EQ6_View(viewMan, bounds);
    view->setFactory(&AM_View_EQ6_View::create);
    return view;
}
