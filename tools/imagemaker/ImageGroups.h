#pragma once
// The groups of images the surface needs, one source file each. A new
// group is a function of its own file and a row of ImageGroups.cpp.

#include "ImageSet.h"

namespace imagemaker {

// Knob strips: "KnobUni", "KnobBi" (the arc grows from the middle) and the
// large "KnobBigUni".
void addKnobImages(ImageSet& set);
// The fader strip "Fader" of the mixer's vertical sliders.
void addSliderImages(ImageSet& set);
// Panel backgrounds: the header, the section title bars, the value
// displays' windows.
void addPanelImages(ImageSet& set);
// The on/off strip of the buttons, the GUI size switch's face and the
// LFO meters' dot.
void addButtonImages(ImageSet& set);
// The editing set-up's icons: the undo and redo highlights.
void addEditIcons(ImageSet& set);

// Every group above.
void addAllImages(ImageSet& set);

} // namespace imagemaker
