#pragma once
// Bow directions: up-bow and down-bow signs written above the notes of music
// lines, alternating from movement to movement (a slur is one movement), and
// carried on from line to line and page to page; or the signs removed, or
// every sign turned into its opposite.
//
// The tool window (edit/frmTQBowDir.h) holds one TBowDir and copies its
// controls into Options before each run. The run works on the current score
// (frmMainTQ), its current page and layer, and the main view's highlights.
#include <string>

// Sign codes of the Special Symbols palette.
enum : int {
    kBowPushArrow = 6,   // up-bow as an arrow
    kBowPullArrow = 5,   // down-bow as an arrow
    kBowPushSymbol = 8,  // up-bow symbol
    kBowPullSymbol = 111 // down-bow symbol
};
// Codes 5, 6, 8, 20 and 111 are bow signs.
bool IsBowSignCode(int code);
// 5 <-> 6, 8 -> 111, 20 and 111 -> 8; other codes unchanged.
int ReverseBowSignCode(int code);

struct TBowOptions {
    int Where = 1;        // 0 every movement, 1 every measure, 2 every other measure
    int ApplyTo = 0;      // 0 to the end of the piece, 1 of the page, 2 of the line
    bool Symbols = true;  // bowing symbols (else arrows)
    bool StartPush = false; // the first movement is an up-bow
    int LineRule = 0;     // 0 line count, 1 instrument name, 2 bracket count, 3 highlighted lines
};

enum : int { bmAdd = 1, bmClear = 2, bmReverse = 3 };

class TBowDir {
public:
    TBowOptions Options;

    int Column = 0;
    int Row = 0;
    bool PushNow = false;
    int MarkCounter = 0;
    int LineIndex = 0;
    std::string InstrumentName;
    int NameColumn = 0;
    int Mode = bmAdd;

    // The run from the cursor. Message 1054 and false (nothing changed, no undo
    // item) when the line rule finds no parameter or no note starts the run.
    // Otherwise one whole-score undo item, the page shown before, modified.
    bool ApplyBowSigns();

    // The parts of the run.
    bool ProcessLine();
    void PutBowSign(int col, int row, bool push);
    bool FollowSlurs(bool markFirst);
    int SlurEndAt(int col, int row) const;
    int NextNoteColumn(int col, int row) const;
    int FirstNoteColumn(int col, int row) const;
    int CountBarLines(int row, int from, int to) const;
    void ClearBowSigns(int col, int row);
    void ReverseBowSigns(int col, int row);

    // Line rules: the parameter from the cursor row, and the next line at or
    // below row that matches it (-1 none).
    bool TakeRuleParameter(int cursorRow);
    int NextMatchingLine(int row);
    // Row where the bracket of row starts (-1 none).
    int BracketStart(int row) const;

    // The Clear button: asks 1059 first; No changes nothing.
    bool ClearWithConfirmation();

    static constexpr int kMaxLines = 10000;
};
