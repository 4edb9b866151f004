#pragma once
// Installs the graphical editors ("MultiPoint", "MultiOrder", "MultiStage")
// into a view manager's control-type registry, over the placeholders its
// defaults registered. The editor calls it after registerDefaults, next to
// AM_installStandardControls, before a script is read.
//
// GUI thread only.

class AM_ViewMan;

// Returns the number of types whose factory it replaced.
int AM_installEditorControls(AM_ViewMan* viewMan);
