#pragma once
// Searches over the page grid: walk from a row or a cell in one direction until a
// row or cell of a kind is met. They read the current page of the current layer
// unless said otherwise ("layer 0": layer 0 of the current page). A search that
// finds nothing gives -1 for a row or column and false for a yes/no answer.
//
// Only FindNextRowGroup writes to the score (the end row of a grand-staff's lower
// clef); GetRowGroupRange and FindGrandStaffPair switch CurLayer to 0 while they
// work and put it back.
#include <string>
#include <vector>

#include "model/modTQCell.h"
#include "model/modTQUtil.h"

// ---- Row searches ----

int FindJianpuRowBack(int row);
int FindJianpuRowForward(int row);
int FindWestRowBack(int row);
int FindWestRowForward(int row);
int FindMusicRowForward(int row);
int FindStaffRowForward(int row, bool west);
// First column of the row (layer 0) holding a clef cell.
int FindRowClefCol(int row);
// From fromRow down, the first row with a clef cell; with skipComment a row whose
// first clef marks a comment staff is passed over. pt = (column, row).
bool FindNextClefCell(int fromRow, TPoint& pt, bool skipComment);
// Up to 8 rows from row in direction step (+1/-1): the first row whose Western
// cells (layer 0) show clefCode before any other negative code.
int FindRowWithClefNear(int step, int row, int clefCode);
// The next row group from firstRow down (mode 0 Western, 1 Jianpu, -1 either):
// firstRow/lastRow bound it; returns its start column, 0 for a group without a
// start cell, -1 when there is none.
int FindNextRowGroup(int& firstRow, int& lastRow, int mode);
// The row group holding row, or else the next one below it.
int GetRowGroupRange(int& row, int& lastRow, int mode);
// While one lives, the row groups of the current page are walked from row 0
// once (as far as asked) instead of for every question: a page draw asks for
// every row in turn and changes no cell meanwhile. It ends with the draw;
// scopes nest, and a change of score, page, grid or mode walks again.
class TRowGroupWalkScope {
public:
    TRowGroupWalkScope();
    ~TRowGroupWalkScope();
    TRowGroupWalkScope(const TRowGroupWalkScope&) = delete;
    TRowGroupWalkScope& operator=(const TRowGroupWalkScope&) = delete;
};
// The grand-staff pair that holds row, in the staff group of the cursor row.
bool FindGrandStaffPair(int row, int& upperRow, int& lowerRow);
// First time-signature cell of page 0, layer 0, from fromRow down; pt (-1, -1)
// and the numbers untouched when none.
void FindFirstTimeSignature(TPoint& pt, int& numerator, int& denominator, int fromRow);
// From row up to 0, each row right to left: the first Jianpu key text cell.
int FindJianpuKeyTextBack(int row, int& col);

// ---- Column searches within one row ----

// From col down to 0 (layer 0): the first clef code -1..-7 (the key reset -15 is
// passed over); 0 and clefCol -1 when none.
int FindClefCodeLeft(int col, int row, int& clefCol);
int ClefCodeLeftOf(int col, int row);
int GetClefCodeAt(int col, int row);
// From col down to 0: the column of the first clef cell (-15 included).
int FindClefColLeft(int col, int row);
bool FindKeyResetLeft(const TCellRow& cells, int& col);
bool FindAccidentalLeft(const TCellRow& cells, int& col);
// The bar lines (layer 0) around col; 0 and Cols - 1 when none.
void GetMeasureBounds(int col, int row, int& startCol, int& endCol);
int FindMeasureStartCol(int col, int row);
int FindMeasureEndCol(int col, int row);
bool FindNextJianpuNote(int& col, int row);
bool FindFreeColBack(int& col, int row);
bool FindFreeColForward(int& col, int row);
// Where n notes can be placed in blank cells around the cursor; -1 when they cannot.
int FindSpanStartCol(int n);
// The far end, in direction step, of the run of notes sharing a beam with col.
int FindBeamGroupEnd(int col, int row, bool west, int step);
// The beam group around col; startCol and endCol keep the caller's values when
// there is none.
bool FindTailGroupRange(int col, int row, int& startCol, int& endCol);
int CountNotesInSpan(int col1, int row, int col2, int layer);
int CountNotesForCurve(int col1, int row, int col2, int layer);
int CountDashesAfter(int col, int row);
int CountDotsAfter(int col, int row);

// ---- Jianpu beats ----

// The beat of a Jianpu row in ticks (a quarter 32): the unit of the nearest
// time signature at or above the row on the current page (else the first of
// the score), a dotted quarter for 6/8, 9/8 and 12/8; a quarter when none.
int JianpuBeatTicks(int row);
// Ticks from the start of col's measure to the start of the cell at col of a
// Jianpu row; -1 when a cell before it in the measure has a length this count
// does not know (shrunk cells, tuplets, whole-measure rests).
int JianpuOnsetInMeasure(int col, int row);

// ---- Jianpu key texts ----

// The key of the rightmost key text of the row: its letter ("" when none),
// keyIndex (key code 0..14, -1 when none), code (the cell's Note for a boxed C
// key, else -1) and col.
std::string FindJianpuKeyInRow(const TCellRow& cells, int& keyIndex, int& code, int& col);
// The key index of the key text at (col, row), layer 0; -1 when it is none. A text
// holding "C Fixed Key" sets fixedDo to 1 and note to the cell's Note.
int GetJianpuKeyAt(int col, int row, int& fixedDo, int& note);
