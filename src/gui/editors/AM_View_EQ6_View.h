#pragma once
// The six-band equaliser view ("EQ6_View"): a low shelf, four mid bands and
// a high shelf; its menu offers the mode "EQ" only. In the other modes the
// curves use the first four bands. See AM_View_EQBase.

#include "gui/editors/AM_View_EQBase.h"

class AM_View_EQ6_View : public AM_View_EQBase {
public:
    AM_View_EQ6_View(AM_ViewMan* viewMan, const AM_Rect* bounds);
    static AM_ViewControl* create(AM_ViewMan* viewMan, const AM_Rect* bounds);
};
