#pragma once
// Spanning marks written by the Dynamic Marks palette and the main window's
// mark keys: the mark lives in the first cell of the selection (the cursor
// cell) with its kind in markType and its end in iEnd, jEnd.
#include <string>

#include "edit/modTQGrandStaff.h" // kGrandStaffBrace
#include "model/modTQCell.h"

void InsertMark(int kind, bool saveUndo);
void DeleteMark();
void MoveMark(int step);
void MoveMarkEnd(int step);
void ChangeMarkWidth(int step);
void ChangeMarkHeight(int step);
void FlipMark(bool noUndo);

// The multi-measure rest box: answer text -> the number of measures, 1..999;
// 0 for an answer that is not such a number.
int ParseMeasureCount(const std::string& answer);
// Stores the count in the cursor cell and writes mark 87; false (nothing
// changed) for a count outside 1..999.
bool InsertMultiMeasureRest(int count);

// Stacks a Jianpu chord of size 3, 4 or 7 on a cell whose Note is a degree
// '1', '2', '3', '5' or '6'; false (cell unchanged) otherwise.
bool MakeJianpuChord(TCell& cell, int size);
void AddChords(int size, bool withArpeggio);
