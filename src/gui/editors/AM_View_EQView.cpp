#include "gui/editors/AM_View_EQView.h"

namespace {

constexpr char kGraphicNames[][kGuiNameBytes] = {"EQViewBackground", "EQViewHandle1",
                                                 "EQViewHandle2",    "EQViewHandle3",
                                                 "EQViewHandle4",    "EQViewGainHandle"};

// Set values, then current values: frequencies, gains, widths, output gain.
constexpr float kInitialValues[26] = {20, 40, 60, 80, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      20, 40, 60, 80, 0, 0, 0, 0, 0, 0, 0, 0, 0};

} // namespace

AM_View_EQView::AM_View_EQView(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_View_EQBase(viewMan, bounds, 4, "EQView", kGraphicNames, kInitialValues)
{
}

AM_ViewControl* AM_View_EQView::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* view = new AM_View_EQView(viewMan, bounds);
    view->setFactory(&AM_View_EQView::create);
    return view;
}
