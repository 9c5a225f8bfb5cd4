#pragma once
// The cell commands of the Edit menu and tool bar, as the window's handlers call
// them (the text-entry box's own Copy and Paste are the text-entry part's).
//
// Cells travel only through the editing object's clipboard (MainEd()); Copy also
// puts a picture of the selected block on the system clipboard.

// TEd::Copy, the picture of the block, and the Paste button enabled.
void EditCopy();
// TEd::Cut, the Paste button enabled, and the selection redrawn.
void EditCut();
// TEd::Paste: 0 everything, 1 dynamic mark, 2 font, 3 offset.
void EditPaste(int mode);
// The whole grid of the current page becomes the selection.
void EditSelectAll();
// The Clear command: TEd::ClearPage with its question.
void EditClear();
