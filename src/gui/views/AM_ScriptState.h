#pragma once
// The GUI-script reader's state between lines and between parseScript
// calls: the last created control and the current container (the view
// manager clears them when that control goes away), the files a load is
// reading, and the file a save writes.
//
// GUI thread only.

#include "gui/views/AM_ScriptIncludeGuard.h"

#include <string>

class AM_ViewControl;

struct AM_ScriptState {
    AM_ViewControl* lastControl = nullptr;
    AM_ViewControl* currentContainer = nullptr;
    // The files being read, outermost first (INCLUDE and THEME nest).
    AM_ScriptIncludeGuard files;
    // The script saveScript writes: the outermost file of the last editable
    // load, or the script that a default file names; "" when the GUI came
    // from no editable script.
    std::string saveTarget;
    // The next load is the default file (loadScriptByName("default")).
    bool nextIsDefaultFile = false;
    // The outermost file of the running load is the default file.
    bool readingDefaultFile = false;
};
