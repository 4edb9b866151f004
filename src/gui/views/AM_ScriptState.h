#pragma once
// The GUI-script reader's state between lines and between parseScript
// calls: the last created control and the current container.
//
// GUI thread only.

class AM_ViewControl;

struct AM_ScriptState {
    AM_ViewControl* lastControl = nullptr;
    AM_ViewControl* currentContainer = nullptr;
};
