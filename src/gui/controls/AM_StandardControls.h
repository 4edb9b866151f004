#pragma once
// Installs the built control classes into a view manager's control-type
// registry, over the placeholders its defaults registered: the editor calls
// it after registerDefaults. Types not built yet keep their placeholders.
//
// GUI thread only.

class AM_ViewMan;

// Returns the number of types whose factory it replaced.
int AM_installStandardControls(AM_ViewMan* viewMan);
