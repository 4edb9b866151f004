#pragma once
// The GUI script of the fixture plug-in, shared by the opening tests and
// the repaint benchmark.

namespace controltest {

// The GUI of the fixture plug-in: a panel (placed off the origin, so
// fitting has to move it) with a title, two knobs bound to the engine and a
// meter.
constexpr const char* kFixtureGui = R"(# The fixture plug-in's GUI.
CONTROL type='Pane' name='Main' bounds='10 6 240 120' parent='editRootControl'
CONTROL type='Label' name='Title' bounds='16 8 200 16' parent='Main'
PROPERTY control='Title' name='labeltext' id='0' value='Open GUI fixture'
CONTROL type='Knob' name='TuneKnob' bounds='24 40 40 40' parent='Main'
PARAMETER control='TuneKnob' port='Knob Value' module='Osc' parameter='Tune'
CONTROL type='Knob' name='AttackKnob' bounds='90 40 40 40' parent='Main'
PARAMETER control='AttackKnob' port='Knob Value' module='Env' parameter='Attack'
CONTROL type='Meter' name='Out' bounds='160 34 12 72' parent='Main'
PARAMETER control='Out' port='Meter Value' module='Osc' parameter='Level'
)";

} // namespace controltest
