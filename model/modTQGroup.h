#pragma once
// The staff group of a row: which staff rows of the current page form its
// system (a grand staff, a Jianpu part with its comment staffs ...).
//
// GetRowGroup fills the one program-wide list GroupRows with a record per staff
// row of the system; every call replaces the list, so a caller reads it before
// the next call.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One staff row of a system.
struct TGroupData {
    int row = 0;                 // row index on the page
    int16_t clef = 0;            // header clef code (-1 .. -7, -15); -4 a percussion Jianpu row; 0 none
    int clefColumn = 0;          // column of the header clef; before one is found the group's start column
    bool isWest = false;         // a Western row
    bool hasSystemMark = false;  // the header carries a mark that pairs the row with the next record
    uint8_t keyCode = 0;         // key code 0..14 of the header clef (its Attr)
    uint8_t markCount = 0;       // system marks counted in the group up to this row
    int markEndRow = 0;          // jEnd of the last system mark of this row (the partner row)
    uint8_t displayBits = 0;     // low byte of the header clef's playDur (32 = comment staff)
    std::array<char, 10> name{}; // the row's name; no terminator when it fills all 10

    // The name as a string (up to the first NUL, at most 10 characters).
    std::string Name() const;
};

// At most this many records: a system of more staff rows reports its first 16.
constexpr size_t kMaxGroupRows = 16;

extern std::vector<TGroupData> GroupRows;

// Fills GroupRows with the staff rows of the group that holds row (or the next
// group below it); mode -1 either kind, 0 Western, 1 Jianpu. Returns the group's
// start column, -1 when the row belongs to no group, -2 for the last grid row
// (GroupRows untouched) or a lone music row.
int GetRowGroup(int row, int mode);
// Index of row's record after GetRowGroup(row, -1); -1 for an empty list, 0 when
// no record holds the row.
int GetRowIndexInGroup(int row);
// First index of the run of records that share row's mark count.
int GetSubGroupFirstIndex(int row);
// Text of the first text cell of the row, when no other non-empty cell stands before it.
std::string GetRowName(int row);
// Clef code of the first clef cell of the row; 0 when none.
int GetRowClef(int row);
