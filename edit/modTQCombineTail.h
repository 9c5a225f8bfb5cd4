#pragma once
// The combine-tail command ('=' key, the Western-note window's combine-tail
// button): on the selection of the current page and layer it
// - beams the small notes of a grace cell when one column is selected;
// - marks a cross-staff group when the selection spans the treble and the
//   bass row of a grand staff with beamable notes in both;
// - otherwise regroups the selected notes into combined-tail groups.
// Like every edit it saves undo first, then sets the modified flag and redraws.

class TDrawEngine;

// d: the main window's drawing engine (the drawn selection mark is erased
// through it when the selection changes).
void CombineTails(TDrawEngine* d);
// The selection spans a treble row and a bass row (two or more rows below)
// with beamable notes: the stems of those notes are set (down in the treble
// row, up in the bass row) and the selection narrowed to the two rows and the
// first to the last beamable note. False otherwise (stems examined on the way
// may already be set).
bool SelectCrossStaffRange(TDrawEngine* d);
// The start and end marks of a cross-staff group over columns c0..c1 of the
// treble row t and the bass row b, and the link of the bass end to the
// treble start.
void SetCrossStaffBeamMarks(TDrawEngine* d, int c0, int t, int c1, int b);
