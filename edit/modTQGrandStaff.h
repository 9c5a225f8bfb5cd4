#pragma once
// Grand-staff commands: every treble staff row of the selected rows (or of the
// whole score) becomes a grand staff, with room made below it and a bass staff
// added; braces are removed ("Decouple"); two staff rows are joined ("Combine as
// Grand Staff").
//
// A grand staff's upper header cell (the first clef cell of its row) carries the
// brace mark 54191118, its jEnd names the lower row and its dot word is 0.
#include <functional>

constexpr int kGrandStaffBrace = 54191118;
constexpr int kStaffBracketMark = 30;

struct TGrandStaffHooks {
    // The play window, when it is visible, plays all staffs after a conversion:
    // unless its play rule is at index 1, it checks rbtWest and sets the rule to
    // index 2. Unset while there is no play window.
    std::function<void()> AdjustPlayRule;
};
TGrandStaffHooks& GrandStaffHooks();

// The conversion worker: treble headers from (firstPage, firstRow) to (lastPage,
// lastRow) get a bass staff three rows below and the brace. count: how many at
// most (-1 no limit, 0 nothing); on return, how many are left.
void ConvertRowsToGrandStaff(int& count, int firstPage, int firstRow, int lastPage, int lastRow);
// Two empty lines below every selected row of the current page that holds a
// treble clef, from the last selected row up; returns how many such rows.
int InsertGrandStaffLines();
// Moves treble staves that have no room for a bass staff below them on their
// page to the next page. lastPage and lastRow grow with the lines inserted.
void MakeGrandStaffRoom(int firstPage, int& lastPage, int& lastRow);

// Menu "Convert Grand Staff": "Selected Rows" and "All Pages". Each saves undo,
// writes the page caption, sets the modified flag and redraws.
void ConvertToGrandStaffSelected();
void ConvertToGrandStaffAllPages();
// Removes the braces of the rows' headers on the current page; true on a change.
bool DecoupleGrandStaffRows(int firstRow, int lastRow);
void DecoupleGrandStaffSelected();
void DecoupleGrandStaffAll();
// Joins the first two staff rows of the selection whose headers stand in one
// column; removes bracket marks on the way. True on a change.
bool CombineAsGrandStaff();
// The menu command: CombineAsGrandStaff, then modified and redraw on a change.
void mitCombineasGrandStaffClick();
