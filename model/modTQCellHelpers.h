#pragma once
// Small flag and play-adjustment questions about one cell, shared by drawing,
// editing, playback and the score readers. None of them changes anything except
// ReverseWestChordOrder.
#include "model/modTQCell.h"

// option bit 0x2 / 0x4: a combined-tail (beamed) group starts / ends at the cell;
// both on one cell make a group inside that cell.
bool IsCombineTailStart(const TCell& cell);
bool IsCombineTailEnd(const TCell& cell);
// option bit 0x100 / 0x200: a beam across the two staves of a grand staff starts / ends here.
bool IsBeamStartMark(const TCell& cell);
bool IsBeamEndMark(const TCell& cell);
// Note 1 or 81: a Western value drawn without a stem.
bool IsWholeNoteValue(const TCell& cell);
bool IsWholeNoteValue(int code);

// AdvPlay bytes: 0 crescendo rate, 1 note volume, 2 ritardando/arpeggio rate (percent).
int GetCrescRate(const TCell& cell);
int GetNotesVolAdj(const TCell& cell);
int GetRitArpRate(const TCell& cell);
// The byte differs from 100 and is at least 50 (volume, crescendo) or 20 (rit/arp).
bool HasNotesVolAdj(const TCell& cell);
bool HasCrescRateAdj(const TCell& cell);
bool HasRitArpRateAdj(const TCell& cell);

// Clef key codes of stored Western cells, renumbered as both score readers read
// them: Note -3 with Attr 15 gets 12; Note -5 with Attr 16, 17, 18 gets 13, 14, 12.
void RenumberClefKeyCode(TCell& cell);

// Chords of files older than version 409 with a flipped stem were stored from the
// top note down (item k lies below its predecessor). This turns such a chord into
// the current order without moving any note: the lowest note becomes the main
// note (yAdj grows by the sum of the intervals, Attr taken from it), the
// intervals are reversed, and every note keeps its Attr; the items keep their
// option words with their notes, except that the old main note (now the last
// item) takes the option word of the note that became the main note, since the
// cell's own option word stays with the cell.
void ReverseWestChordOrder(TCell& cell);

// Bounds of the values of a cell that a score file may bring: far beyond what
// the editor makes, small enough that every position and size drawn from them
// stays well inside int. Offsets (xAdj, yAdj, stemAdj) are in tenths or eighths
// of a row, chord intervals and small-note positions in staff steps (or underlines), and
// small-note octave dots.
inline constexpr float kMaxFileCellOffset = 1000.0f;
inline constexpr float kMaxFileSizeFactor = 100.0f; // fontSizeR
inline constexpr int kMaxFileStaffSteps = 1000;
// markHAdj, markWAdj, MarkY, EndYAdj: the readers take the values below their
// own "none" as 0 first.
inline constexpr int kMaxFileMarkAdjust = 9999;
// UL (underlines, or a column offset) and dot (octave dots, a row offset, or a
// text's rotation in tenths of a degree).
inline constexpr int kMaxFileUnderlines = 1000;
inline constexpr int kMaxFileDots = 3600;
// A float from a file within [lo, hi]: NaN gives otherwise, anything else
// (infinities included) is clamped.
float ClampFileFloat(double value, float lo, float hi, float otherwise);
// Puts what a score reader read into a cell within the bounds above.
void ClampCellFileValues(TCell& cell);
