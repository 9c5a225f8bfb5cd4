#pragma once
// The two Jianpu accidental clean-ups that the Western-to-Jianpu converter runs on
// every converted row: respelling double sharps and double flats, then dropping
// the accidentals that the bar already implies. They are operations of the
// program-wide Jianpu editor (edit/); the converter reaches them only through
// these hooks, which start-up points at that editor. An unset hook leaves the row
// as it is.
#include <functional>

struct TJianpuCleanups {
    std::function<void(int row)> RespellDoubleAccidentals;
    std::function<void(int row)> RemoveRedundantAccidentals;
};

extern TJianpuCleanups JianpuCleanups;

// Runs both clean-ups on a row of the current page, respelling first.
void CleanJianpuRowAccidentals(int row);
