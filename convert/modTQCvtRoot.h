#pragma once
// The common base of the two converters (Western to Jianpu, Jianpu to Western).
//
// While a converter walks a row measure by measure it keeps a memory of the
// accidentals already written in the measure and the clef of the staff being
// read; the key signature itself is the program-wide KeyAccidentals table. The
// operations work on the current score (frmMainTQ): its current page, layer 0 and,
// when the page has its layer-1 twin, layer 1.
#include <array>
#include <cstdint>
#include <vector>

#include "model/modTQCell.h"

// One staff position of the measure memory and the accidental last seen there
// (0 none, 1 sharp, 2 flat, 3 natural, 4..9 the further kinds).
struct TMeasueAlterater {
    int32_t Position = 0;
    int32_t Alteration = 0;
};

class TCvtRoot {
  public:
    std::vector<TMeasueAlterater> Alterations; // at most one entry per position
    int ClefCBase = 0;                         // staff-step base of C of the clef being read
    int ClefShift = 0;                         // rounded yAdj of the last clef cell met

    // Letter index (0 A .. 6 G) of staff position p under the clef members; always
    // inside 0..6, whatever p is.
    int LetterOfPosition(long long p) const;

    // ---- accidental simplification (after a Jianpu row became Western) ----
    void SimplifyRowAccidentals(int row);
    void SimplifyCellAccidentals(TCell& cell, int col, int row);
    void SimplifyNoteAccidental(TCell& note, int col, int row, int index);
    bool HasNoOtherAccidentalBefore(TCell note, int col, int row, int index) const;
    // Index of the entry with key's position and alteration, or -1; posIndex the
    // entry with that position, or -1.
    int FindAlteration(const TMeasueAlterater& key, int& posIndex) const;
    // The key signature's entry for the position's letter equals the alteration;
    // letter is that index when the entry is non-zero, else -1.
    bool KeyGivesAlteration(const TMeasueAlterater& key, int& letter) const;
    void ClearMeasure() { Alterations.clear(); }

    // ---- implied accidentals (before a row is converted) ----
    using TRowPair = std::array<TCellRow, 2>;
    void CompleteJianpuAccidentals(int row);
    int CompleteJianpuMeasure(const TRowPair& rows, int start, int row, int layers);
    int ImpliedJianpuAccidental(const TRowPair& rows, const TCell& note, int col, int k, int layers) const;
    void CompleteWestAccidentals(int row, int start);
    int CompleteWestMeasure(const TRowPair& rows, int start, int row, int layers);
    int ImpliedWestAccidental(const TRowPair& rows, const TCell& note, int col, int k, int layers) const;

    // ---- row utilities ----
    void MoveRowEndBar(int row);
    bool IsFirstNoteInRow(int col, int row) const;
    void CopyKeyTextToStaves();
    bool HasKeyTextNear(int row, int col) const;

  protected:
    // Takes the clef members (and KeyAccidentals) from a clef cell.
    void TakeClef(const TCell& clef);
};

// A row of the current page in a layer, or nullptr outside the grid.
TCellRow* CvtGridRow(int layer, int row);
// A staff position from a yAdj, rounded half up / truncated toward zero, kept
// within +-100000 so that no arithmetic on it overflows.
int CvtRoundPos(double y);
int CvtTruncPos(double y);

// Free columns at the end of a row. The last column a row's cells may move
// into: the one before a filled last column (the row-end bar stands there),
// else the last column of the grid (cols columns).
int CvtLastFreeColumn(const TCellRow& cells, int cols);
// The last filled column before that, or -1.
int CvtLastFilledColumn(const TCellRow& cells, int cols);
// Moves the cells from..last of a row shift columns to the right (the caller
// has checked that last + shift is free). Marks that reach over the moved
// cells keep reaching to the same cells.
void CvtShiftCells(TCellRow& cells, int from, int last, int shift);
