#pragma once
// Measure numbers: small boxed text cells in the row above the first staff of
// each system, every N measures or at the beginning of each line, over the
// whole piece, from the cursor on, or over the selected lines; and their
// removal. The dialog (edit/frmTQMeasureCount.h) holds one TMeasureCount and
// copies its controls into Options.
#include <string>

#include "model/modTQCell.h"

struct TMeasureCountOptions {
    bool Every = true;   // every N measures (else: the beginning of each line)
    int Increment = 5;   // N, 1..50
    int Scope = 0;       // 0 whole piece, 1 cursor to end, 2 selected lines
    int StartNo = 1;     // number of the first measure, 0..1000
    int PosOffset = -2;  // vertical offset of the number cells, -10..10
};

// A measure-number cell: a text cell, style 0xF0, a non-empty all-digit text
// and the font name "NT" that WriteNumberCell gives it. Boxed texts the user
// typed (rehearsal numbers) carry a real font name and are left alone.
bool IsMeasureNumberCell(const TCell& cell);

class TMeasureCount {
public:
    TMeasureCountOptions Options;

    int ScanRow = 0;
    int GroupLastRow = 0;
    int RowClefCol = -1;
    int CurColumn = 0;
    int CurRow = 0;
    int MeasureNumber = 0;
    bool FirstBarFlag = true;
    bool RemoveMode = false;
    int RemovedCount = 0;

    // The remove button: asks 1032, 1085 or 1086 by scope; Yes sets RemoveMode
    // and returns true (the dialog closes with OK).
    bool btnRemoveMsureClick();

    void ApplyMeasureNumbers();
    void AddMeasureNumbers();
    void NumberSystemsOfPage(bool firstCall);
    int NextBarWest(int& step);
    int NextBarJianpu(int& step);
    bool NoMusicAfter() const;
    bool FirstBarWithMusicBefore() const;
    int BarColumnAtOrLeft(int col, int row) const;
    void PlaceNumber(int number, int col);
    void WriteNumberCell(int col, int row, int number);
    int RemoveMeasureNumbers();
    int RemoveNumbersOnPage();

private:
    bool WholeFirstPage() const;
};

// What the command does once the dialog closed with OK: one whole-score undo
// item, the numbers added or removed, the page redrawn; after a removal the
// count is told (1033, the count and 1034).
void RunMeasureCount(TMeasureCount& dialog);
