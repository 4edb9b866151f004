#pragma once

class AM_ViewControl;

// The control of the tree starting at `first` (its siblings and all their
// descendants) whose address is `address`; none when no control there has it.
// Menu items carry controls as untyped user data: this is how a handler
// makes sure the data still names one of the GUI's controls before using it.
AM_ViewControl* AM_controlAtAddress(AM_ViewControl* first, const void* address);
