#pragma once
// What the small property dialogs and the cell property view compute, apart
// from their widgets.
#include <array>
#include <string>
#include <vector>

#include "model/modTQCell.h"

// --- time signature ---
// The "C" sign check box is offered for 4/4 and 2/2 on a Western row.
bool TimeSigOffersCSymbol(bool westRowAtCursor, int numerator, const std::string& denominator);

// --- clef and staff ---
// The controls of the clef and staff dialog that carry the key and the clef.
struct TClefStaffChoice {
    int tab = 0;          // 0 G, 1 F, 2 C3, 3 C4, 4 "Other"
    int keyButton = -1;   // checked one of rbtC .. rbtGb (0..11), -1 none
    int otherButton = -1; // checked one of the twelve extra keys of tab 4 (0..11), -1 none
    bool tabStaff = false;   // rbtTabStaff checked
    bool drumStaff = false;  // rbtDrumStaff checked
};
// The key, with the clef in clef.
int GetKeyClef(const TClefStaffChoice& c, int& clef);
// The controls that show key and clef.
TClefStaffChoice SetKeyClef(int key, int clef);

// --- Jianpu key text ---
struct TKeySignChoice {
    std::vector<std::string> letters{"C", "D", "E", "F", "G", "A", "B"};
    int letter = 4; // index into letters
    bool sharp = false, flat = false, natural = true;
    bool sharpEnabled = false, flatEnabled = true;
    bool originalKeyVisible = false;
    int originalKey = 0;
};
// FormShow: "G", natural, the fixed-key item added as the eighth letter.
void KeySignShow(TKeySignChoice& k, const std::string& fixedKeyText);
// cbxKeyLetterChange.
void KeySignLetterChange(TKeySignChoice& k, int letter);
std::string BuildKeyText(const TKeySignChoice& k);

// --- shrink rate ---
int PresetCompression(int rate); // the spin's value for a stored compression rate
int PresetVertRate(int rate);    // the spin's value for a stored vertical rate

// --- text line ---
// Writes the lines at the cursor of the current page and layer, one after
// the other in the cursor row, with one undo item. Chinese lines (a byte above
// 0x7F) take the score's Chinese font charset and style and the name "CN",
// others the English ones and "EN". Lines are bytes in their code page.
// Returns true when a line was written (else the cursor cell is reset).
bool WriteTextLines(const std::vector<std::string>& lines);

// --- cell property view ---
using TCellPropGrid = std::array<std::array<std::string, 4>, 15>;
TCellPropGrid CellPropertyGrid(const TCell& cell);
std::string CellPropertyCaption(int col, int row);
// What the debug button shows: the Attr of the first chord note in decimal,
// "" when the cell has none.
std::string CellPropertyDebugText(const TCell& cell);
