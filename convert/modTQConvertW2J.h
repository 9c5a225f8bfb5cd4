#pragma once
// Western to Jianpu conversion: staff rows of a page become Jianpu rows in place.
//
// Every cell of a staff row is rewritten as the Jianpu cell that says the same
// thing (degree, octave dots, accidental, underlines, extension dashes, dot cells,
// rests); the clef header disappears and the staff's key is written as a text
// cell "1=" + key name in the row above. One converter object, W2JConverter,
// lives for the whole run; the commands drive it page by page.
//
// Units: modTQConvertW2J.cpp (page driver, row pass, clefs and key texts),
// modTQW2JPitch.cpp (degrees, octaves, accidentals), modTQW2JDuration.cpp
// (dashes, rests, underlines), modTQW2JPage.cpp (page finish, rest alignment, the
// one-cell conversion of the note-name hint).
#include <string>

#include "convert/modTQCvtRoot.h"

class TConvertW2J : public TCvtRoot {
  public:
    std::string KeyLabel; // label of the key last written as a key text
    // A quiet command (the staff transposition's round trip, which puts the
    // original layout back itself) keeps every cell in its column: no room is
    // made for dashes and no bar rests are added.
    bool Quiet = false;
    int BeatsPerBar = 4;  // time signature in force
    int BeatUnit = 4;
    int LastFixedKey = -1;   // key code of the last clef seen in fixed-do mode
    TCellRow SourceRow;      // the layer-0 row being converted, as it was
    TCellRow UnconvertedRow; // the row of the current layer, as it was
    int GroupStartRow = -1;
    int GroupLastRow = -1;
    int DoPos = -1; // staff position of degree 1 of the unmarked octave
    TCell ClefCell; // the governing clef cell

    // ---- page driver and row pass ----
    // Mode 0 all staff rows (then the page finish), 1 all but grand-staff pairs,
    // 2 only grand-staff pairs, 3 the selected rows. Rows SelRow0..SelRow1.
    void ConvertW2JPage(int mode);
    void ConvertW2JRow(TCellRow& cells, int row);
    void ConvertClefCell(TCellRow& cells, int col, int row);
    std::string MakeKeyLabel(int key) const;
    int HasKeyTextLeft(int col, int row) const;
    void MarkNearAccidentals(int row);
    void FillGroupEndPlaceholders(int row, int clefCol, int endCol);
    // Before the Western rows firstRow..lastRow of a staff system are
    // converted: a half or whole note (or a half rest) without the empty cells
    // its dashes (or rests) need after it gets them, every row of the system
    // moving right alike, as far as the rows have free columns at their end.
    void MakeRoomForLongNotes(int firstRow, int lastRow);
    // After the staves of a system (GroupRows) were converted: a measure of a
    // staff that holds nothing while another staff sounds in it gets a bar
    // rest, so that the staff keeps its time and stays a music row that plays.
    void FillSilentMeasures();

    // ---- pitch ----
    int DoPosition(const TCell& clef) const;
    int MovableDoPosition(int key) const;
    int FixedDoPosition(int key) const;
    static void StepsToDegree(int steps, TCompressNote& item);
    void ConvertNoteCell(TCell& cell, int col, int row, int clef);
    // Movable-do re-expression of a degree ('1'..'7') and accidental under
    // CurKey; returns the octave change.
    static int KeyRewriteDegree(int& accid, int& degree);
    void ConvertSmallNotesCell(TCellRow& cells, int col, int row, int clef);
    static void ClearToJianpuNote(TCell& cell);
    static void RespellEnharmonics(TCellRow& cells);
    // Fixed-do accidentals of a converted cell from its Western original `west`.
    void AddFixedDoAccidentals(TCell& cell, const TCell& west, const TCellRow& cells, const TCellRow& source,
                               int col, int row);
    void ConvertNoteCellForHint(TCell& cell, int clef);

    // ---- durations ----
    static void GetLongNoteInfo(const TCell& cell, bool& isLong, int& dots);
    int LongNoteToDashes(int dots, TCellRow& cells, int col, int row);
    int ConvertRestCell(TCellRow& cells, int col, int row);
    int EmptyRunAround(const TCellRow& cells, int start, int row, int& first) const;
    int CountEmptyRight(const TCellRow& cells, int col, int row) const;
    int CountEmptyLeft(const TCellRow& cells, int col, int row) const;
    void FinishConvertedRow(TCellRow& cells, int row, int numerator);
    static void ShiftDashesRight(TCellRow& cells);
    static void DotsToDotCells(TCellRow& cells);

    // ---- commands ----
    // Every page from the first in the mode of ConvertW2JPage (0, 1 or 2). Quiet:
    // no undo item, no modified flag, no redraw, no message.
    void ConvertW2JAllPages(int mode, bool quiet);
    // The selected rows of the current page (and the row above them).
    void ConvertW2JSelected(bool quiet);

    // ---- page finish and hint ----
    void FinishConvertedPage(int clefCol);
    int AlignRestInGroup(int col, int row, int firstRow, int lastRow);
    bool ConvertW2JCell(TCell& cell, int col, int row);

  private:
    void StartCommand();
    void TakeFirstTimeSignature();
    void ConvertNote(TCell& cell, int clef, bool hint);
    bool EndsRun(int col, int row) const;
};

// The program-wide converter, made at start-up.
extern TConvertW2J W2JConverter;

// Codes of converted cells.
inline constexpr int kJianpuDash = -106;
inline constexpr int kJianpuDot = -73;
inline constexpr int kRowEndCode = 63;
