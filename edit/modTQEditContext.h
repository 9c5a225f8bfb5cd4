#pragma once
// What the editing commands read of the main window besides its score: the
// settings part (menu check marks, default compression rates, image-copy
// options), and the undo saves of one layer that the structural edits make.
#include "lang/modTQMainSettings.h"

// The settings part of the current main window. The window is made of the score
// part and the settings part, so it is found through frmMainTQ; a score without
// a window (a test, a hidden holder) gets the start values.
const TMainSettings& EditSettings();

// An undo item of that rectangle of the current page, on the current layer only,
// whatever the undo store's both-layers flag says (the flag is left as it was).
void SaveLayerBlock(int x1, int y1, int x2, int y2);
