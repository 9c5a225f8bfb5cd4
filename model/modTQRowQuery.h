#pragma once
// What a row or a page of the score is: a Western staff row (it holds a clef in
// layer 0), a Jianpu music row (judged from its cells), empty or not; the partner
// row of a grand staff; and a few small text and file queries.
//
// Nothing here writes anything. Rows, pages and layers that do not exist give false.
#include <string>

#include "model/modTQCell.h"

// The row of that page (-1 = current) in layer 0 holds a clef cell among its first
// limit columns; limit 0 or not below the row's size means the whole row.
bool IsWestRow(int row, int limit, int page);
bool HasClefInRow(const TCellRow& cells, int limit);
bool IsWestRowAtCursor();
bool IsPlayableWestRow(int row);
bool IsDrumStaffRow(int row);
bool IsJianpuMusicRow(int row, int page = -1, int layer = -1);
// While one lives, IsJianpuMusicRow judges each row of a page and layer once and
// keeps the answer, for a pass over the score that changes no cell meanwhile (the
// play-list build asks about the same rows again and again). Scopes nest; a
// change of score or grid size starts again.
class TJianpuRowAnswerScope {
public:
    TJianpuRowAnswerScope();
    ~TJianpuRowAnswerScope();
    TJianpuRowAnswerScope(const TJianpuRowAnswerScope&) = delete;
    TJianpuRowAnswerScope& operator=(const TJianpuRowAnswerScope&) = delete;
};
bool IsMusicRow(int row);
bool HasJianpuRowInRange(int rowFrom, int rowTo, int page);
bool HasWestRowInRange(int rowFrom, int rowTo, int page);
bool ScoreHasJianpuRows();
bool HasBarMarkInFirstHalf(int row);
bool IsRowEmpty(const TCellRow& cells);
bool IsPageEmpty(int page, int layer);
// The other row of the grand-staff pair that holds row, from the staff-group list
// as the last GetRowGroup left it; false and -1 when row is in no pair.
bool GetGrandStaffPartner(int row, int& partnerRow);

// Queries that are not about cells.
bool IsChineseKeyboard();
bool IsFileReadOnly(const std::string& fileName);
bool IsAllDigits(const std::string& text);
bool HasDoubleByteChar(const std::string& text);
