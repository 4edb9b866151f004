#pragma once
// The four-band equaliser view ("EQView"): a low shelf, two mid bands and a
// high shelf, with the five modes in its menu. See AM_View_EQBase.

#include "gui/editors/AM_View_EQBase.h"

class AM_View_EQView : public AM_View_EQBase {
public:
    AM_View_EQView(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);
};
