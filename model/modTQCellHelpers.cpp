#include "model/modTQCellHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

bool IsCombineTailStart(const TCell& cell) { return (cell.option & 0x2u) != 0; }
bool IsCombineTailEnd(const TCell& cell) { return (cell.option & 0x4u) != 0; }
bool IsBeamStartMark(const TCell& cell) { return (cell.option & 0x100u) != 0; }
bool IsBeamEndMark(const TCell& cell) { return (cell.option & 0x200u) != 0; }

bool IsWholeNoteValue(int code) { return code == 1 || code == 81; }
bool IsWholeNoteValue(const TCell& cell) { return IsWholeNoteValue(cell.Note); }

int GetCrescRate(const TCell& cell) { return cell.AdvPlay[0]; }
int GetNotesVolAdj(const TCell& cell) { return cell.AdvPlay[1]; }
int GetRitArpRate(const TCell& cell) { return cell.AdvPlay[2]; }

bool HasNotesVolAdj(const TCell& cell) {
    const int v = GetNotesVolAdj(cell);
    return v != 100 && v >= 50;
}

bool HasCrescRateAdj(const TCell& cell) {
    const int v = GetCrescRate(cell);
    return v != 100 && v >= 50;
}

bool HasRitArpRateAdj(const TCell& cell) {
    const int v = GetRitArpRate(cell);
    return v != 100 && v >= 20;
}

void RenumberClefKeyCode(TCell& cell) {
    if (cell.Note == -3 && cell.Attr == 15)
        cell.Attr = 12;
    else if (cell.Note == -5 && cell.Attr == 16)
        cell.Attr = 13;
    else if (cell.Note == -5 && cell.Attr == 17)
        cell.Attr = 14;
    else if (cell.Note == -5 && cell.Attr == 18)
        cell.Attr = 12;
}

void ReverseWestChordOrder(TCell& cell) {
    const std::size_t n = cell.westChordArray.size();
    if (n == 0)
        return;
    // Notes from the top down as stored: the main note, then items 0..n-1.
    long long sum = 0;
    for (const TWestChord& item : cell.westChordArray)
        sum += item.interval;
    std::vector<TWestChord> items(n);
    for (std::size_t j = 0; j < n; ++j) {
        // New item j is the note just above the previous one: old item n-2-j, and
        // for the last one the old main note.
        items[j].interval = cell.westChordArray[n - 1 - j].interval;
        if (j + 1 < n) {
            items[j].attr = cell.westChordArray[n - 2 - j].attr;
            items[j].option = cell.westChordArray[n - 2 - j].option;
        } else {
            items[j].attr = cell.Attr;
            items[j].option = cell.westChordArray[n - 1].option;
        }
    }
    cell.Attr = cell.westChordArray[n - 1].attr;
    cell.yAdj = static_cast<float>(static_cast<double>(cell.yAdj) + static_cast<double>(sum));
    cell.westChordArray = std::move(items);
}

float ClampFileFloat(double value, float lo, float hi, float otherwise) {
    if (std::isnan(value))
        return otherwise;
    return static_cast<float>(std::clamp(value, static_cast<double>(lo), static_cast<double>(hi)));
}

void ClampCellFileValues(TCell& cell) {
    cell.fontSizeR = ClampFileFloat(cell.fontSizeR, 0.0f, kMaxFileSizeFactor, 1.0f);
    cell.xAdj = ClampFileFloat(cell.xAdj, -kMaxFileCellOffset, kMaxFileCellOffset, 0.0f);
    cell.yAdj = ClampFileFloat(cell.yAdj, -kMaxFileCellOffset, kMaxFileCellOffset, 0.0f);
    cell.stemAdj = ClampFileFloat(cell.stemAdj, -kMaxFileCellOffset, kMaxFileCellOffset, 0.0f);
    for (TWestChord& w : cell.westChordArray)
        w.interval = std::clamp(w.interval, -kMaxFileStaffSteps, kMaxFileStaffSteps);
    cell.UL = std::clamp(cell.UL, -kMaxFileUnderlines, kMaxFileUnderlines);
    cell.dot = std::clamp(cell.dot, -kMaxFileDots, kMaxFileDots);
    for (int32_t* v : {&cell.markHAdj, &cell.markWAdj, &cell.MarkY, &cell.EndYAdj})
        *v = std::clamp(*v, -kMaxFileMarkAdjust, kMaxFileMarkAdjust);
    for (TCompressNote& n : cell.CompressNotes) {
        n.value = std::clamp(n.value, -kMaxFileStaffSteps, kMaxFileStaffSteps);
        n.octave = std::clamp(n.octave, -kMaxFileStaffSteps, kMaxFileStaffSteps);
    }
}
