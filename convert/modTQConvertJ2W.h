#pragma once
// Jianpu to Western conversion: Jianpu rows of a page become Western staff rows
// in place.
//
// Every row the page driver picks is copied aside (SourceRows) and then, cell by
// cell, overwritten by the Western cell that says the same thing: a staff header
// (clef and key signature), notes spelled for the key in force, rests, dotted
// and dash-lengthened values, small notes and chords. A finishing pass per row
// sets beams by beat, merges quarter rests and turns stems; a page pass aligns
// the rests of systems, picks bass clefs and puts back cells held aside.
//
// One converter object serves one command: the menu handlers make one, run a
// command on it and drop it.
//
// Units: modTQJ2WRow.cpp (row pass, header, key texts, dots, dashes, small notes,
// chords), modTQJ2WPitch.cpp (note spelling), modTQJ2WFinish.cpp (finishing a
// row), modTQJ2WPage.cpp (page post-pass), modTQJ2WCommands.cpp (commands, page
// driver).
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "convert/modTQConvertW2J.h" // the shared codes of converted cells
#include "convert/modTQCvtRoot.h"

// A cell overwritten for the time of one page, written back by the page pass.
struct TCellHold {
    int32_t col = 0;
    int32_t row = 0;
    TCell cell;
};

class TConvertJ2W : public TCvtRoot {
  public:
    uint8_t NoteInFirstColumn = 0;
    uint8_t SelectedOnly = 0;
    int32_t FixedKey = -1;
    int32_t TonicStep = 0;
    TCell KeyTextCell;
    std::vector<TCellHold> HeldCells;
    std::array<TCellRow, 2> SourceRows;
    uint8_t Silent = 0;
    int32_t GroupKey = -10000;
    // Rows of the current page left in Jianpu: no room for their staff header.
    std::vector<int> RefusedRows;

    // ---- row pass ----
    bool ConvertJ2WRow(int h, int r);
    void MakeJ2WHeaderCells(int h, int r);
    int FindNextStaffMark(int col) const;
    bool IsDrumJianpuRow(int row, int from) const;
    bool ApplyJianpuKeyText(int c, int r);
    void ApplyJianpuDot(TCellRow& row, int c);
    void ApplyJianpuDashes(TCellRow& row, int c);
    void ConvertJianpuSmallNotes(TCell& g, TCell& s);
    void ConvertJianpuChord(TCell& g, const TCell& s);

    // ---- note spelling ----
    int TonicStaffStep() const;
    void ConvertJianpuNote(TCell& out, const TCell& in) const;
    static int KeyAccidentalJ2W(int key, uint32_t& accid, int& degree);
    int KeyAccidentalJ2W(uint32_t& accid, int& degree) const;
    static int RestCodeOfValue(int value);

    // ---- finishing a row ----
    void FinishWesternRow(TCellRow& row, int r, int h);
    static void SetBeamStemDirection(TCellRow& row, int e, int n);
    static void MakeWestRest(TCell& cell, int code);
    void CombineUnderlinedRuns(int r);
    bool WidenAroundNote(int c, int r, TCellRow& row);
    static void ShiftCellsRight(int a, int b, int r);

    // ---- page post-pass ----
    void FinishJ2WPage(bool selected, int a, int b);
    void AlignSystemRests();
    int FindRestTargetColumn(int c, int row, int d, int v) const;
    bool IsRestTargetColumn(int k, int row, int v) const;
    void ChooseBassClefRows(int a, int b);
    void SetPageStemDirections();
    void SetPairBassClef();
    void AddFixedKeyNaturals(int r);
    bool HasNoEarlierAlteration(int c, const TCell& note, int layer, int index) const;

    // ---- commands and page driver ----
    void ConvertJ2WAllPages(int mode, bool silent);
    void ConvertJ2WSelected(bool silent);
    bool FindInitialKeyText(int& key);
    void ConvertJ2WPage(int mode, bool silent);
    int CountJianpuSounds(int row, int& first, int limit) const;
    void AttachAccidentalSymbols(int row);
    void RepeatKeyTextOnStaves(int r);
    bool FindKeyTextAbove(int r, int& col, int& textRow) const;
    // Moves the cells of the staff system in GroupRows (or of row r alone) right
    // so that its first music stands after the staff header written at column h
    // (and a time
    // signature over the first staff comes onto the staves there); false, with
    // nothing changed, when the rows have no free columns for it.
    bool MakeRoomForHeader(int h, int r);
    void HoldCell(int col, int row);

  private:
    int RowIndex = -1; // grid row of the row pass (for highlights)
    bool AskKey();
};

// Services of the editing and main-window parts that the converter calls. The
// main window sets them at start-up; where one is not set the converter uses
// the stand-in said below.
struct TJ2WServices {
    // Writes clef into the row's header cell at col and shifts the row's notes so
    // that their pitches stay (the editing part's SetRowClef(col, row, clef,
    // oldClef, flag)). Not set: the row is left as it is.
    std::function<void(int col, int row, int clef)> SetRowClef;
    // Turns the stem of the Western note at (col, row) of layer, or of its whole
    // beam group (the editing part's FlipStems(layer, col, row, false)); returns
    // the last column changed. Not set: the Western row's FlipStemsInRow.
    std::function<int(int layer, int col, int row)> FlipStems;
    // The clef-and-staff dialog (TfrmMainTQ::ChooseClefStaff): asks for the key
    // and clef, stores them in CurKey and CurClef, true on OK. Not set: Cancel.
    std::function<bool()> ChooseClefStaff;
};

extern TJ2WServices J2WServices;
