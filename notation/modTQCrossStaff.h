#pragma once
// Beams across the two staves of a grand staff.
//
// A cross-staff group is marked by option 0x100 (start) and 0x200 (end) on the
// first and last beamable note (eighth or shorter) of the treble row and of
// the bass row; the bass row's end note keeps in dot the row distance to the
// treble row (negative) and in UL the column distance from itself to the
// treble row's first note. While the group is open its notes are drawn
// without stems; the bass row's end mark draws the whole group: treble notes
// hang their stems down, bass notes raise theirs, and the beam lies on the
// boundary between the two rows.
//
// Drawing does not change the stored stem bits: the directions are forced on
// copies. The combine-tail command sets them in the score, with undo.
#include <vector>

#include "model/modTQCell.h"

class TDrawEngine;

// A point of a group: pixel position and the grid cell it belongs to.
struct TDrawParam {
    int x = 0;
    int y = 0;
    int col = 0;
    int row = 0;
};

// The notes of one group, in gathering order: where each stem meets the beam,
// where it leaves its head, the note's cell (stem forced) and the stem
// lengthening that secondary beams ask for.
struct TCrossStaffGroup {
    std::vector<TDrawParam> beam;
    std::vector<TDrawParam> stem;
    std::vector<TCell> cells;
    std::vector<int> ext;
    int targetRow = 0; // the treble row
    int fromCol = 0;   // the first column of the group's range
};

// The column of the end mark (0x200) of a cross-staff group starting at col,
// scanning right; -1 when a group start (0x2) comes first, another cross-staff
// start (0x100) right of col, or the row ends.
int FindCrossStaffEndCol(TDrawEngine* d, int col, int row);
// The cell is a beamable Western note (code 4..9); then its stem is forced:
// side -1 (treble) down, any other side up.
bool PrepareCrossStaffNote(TDrawEngine* d, TCell& cell, int side);
// The group whose bass-row end mark is at (endCol, row).
void DrawCrossStaffGroup(TDrawEngine* d, int startCol, int endCol, int row);

// --- steps ---
bool GetCrossStaffStemPoints(TDrawEngine* d, const TCell& cell, TDrawParam& beam, TDrawParam& stem, int col,
                             int row, int yMid, int side);
void SlantCrossStaffBeam(std::vector<TDrawParam>& beam, const std::vector<TDrawParam>& stem);
void FillCrossStaffBeam(TDrawEngine* d, TDrawParam first, TDrawParam last, const TCell& cell);
// One secondary level (5..9) of the group; true when something was drawn.
bool DrawCrossStaffBeamLevel(TDrawEngine* d, int level, TCrossStaffGroup& group);
int DrawCrossStaffBeamSegment(TDrawEngine* d, int level, int a, int b, const std::vector<TDrawParam>& beam,
                              bool lower, const TCell& cell, std::vector<int> ext);
void RecordCrossStaffStemExtensions(int o, const std::vector<int>& sides, int a, int b, bool lower,
                                    std::vector<int>& ext);
void DrawCrossStaffStem(TDrawEngine* d, const TDrawParam& beam, const TDrawParam& stem, const TCell& cell);
