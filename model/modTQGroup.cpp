#include "model/modTQGroup.h"

#include <algorithm>

#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"

std::vector<TGroupData> GroupRows;

namespace {

constexpr int kBraceMark = 54191118;

// Marks on a row header that join the row with the next staff row of the system.
bool IsSystemMark(int markType, bool jianpuRow) {
    switch (markType) {
    case kBraceMark: case 73: case 72: case 28: case 29:
        return true;
    default:
        return jianpuRow && IsMarkType71Or73Or25(markType);
    }
}

void SetName(TGroupData& rec, const std::string& name) {
    rec.name.fill('\0');
    std::copy_n(name.begin(), std::min(name.size(), rec.name.size()), rec.name.begin());
}

uint8_t ClampToByte(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

} // namespace

std::string TGroupData::Name() const {
    auto end = std::find(name.begin(), name.end(), '\0');
    return std::string(name.begin(), end);
}

std::string GetRowName(int row) {
    const TCellRow* cells = RowAtAddress(row);
    if (!cells || !frmMainTQ || row >= frmMainTQ->Rows)
        return "";
    int cols = std::min(frmMainTQ->Cols, static_cast<int>(cells->size()));
    for (int c = 0; c < cols; ++c) {
        const TCell& cell = (*cells)[static_cast<size_t>(c)];
        if (cell.cellType == ctText)
            return cell.Text;
        if (!IsEmptyCell(cell))
            return "";
    }
    return "";
}

int GetRowClef(int row) {
    int col = FindClefCol(row, 0, -1);
    const TCell* cell = col >= 0 ? CellAtAddress(col, row) : nullptr;
    return cell ? cell->Note : 0;
}

int GetRowGroup(int row, int mode) {
    if (!frmMainTQ)
        return -1;
    const int rows = frmMainTQ->Rows;
    if (row == rows - 1)
        return -2;
    if (row >= rows)
        return -1;

    GroupRows.clear();
    int markCounter = 0;
    int lastMarkEnd = 0;

    int start = FindMusicRowForward(row);
    if (start < 0)
        start = rows - 1;
    int end = start;
    const int result = GetRowGroupRange(start, end, mode);

    TGroupData rec;
    rec.clefColumn = result;

    if (result <= -1) {
        if (start == end && IsMusicRow(start)) {
            TGroupData lone;
            lone.row = start;
            lone.clef = static_cast<int16_t>(GetRowClef(start));
            lone.clefColumn = rec.clefColumn;
            GroupRows.push_back(lone);
            return -2;
        }
    } else {
        for (int r = start; r <= end && GroupRows.size() < kMaxGroupRows; ++r) {
            const bool isWest = IsWestRow(r, 0, -1);
            const bool isJianpu = IsJianpuMusicRow(r, -1, -1);
            if (!isWest && !isJianpu)
                continue;
            rec.row = r;
            rec.isWest = isWest;
            rec.hasSystemMark = false;
            rec.markEndRow = 0;

            const TCellRow* cells = RowAtAddress(r);
            const int cols = cells ? std::min(frmMainTQ->Cols, static_cast<int>(cells->size())) : 0;
            for (int c = 0; c < cols; ++c) {
                const TCell& cell = (*cells)[static_cast<size_t>(c)];
                // A row can be both: a staff in layer 0 with Jianpu music in the
                // current layer. Its header ends at the first note of either kind.
                if ((isWest && IsWestNoteOrRest(cell, 1)) || (isJianpu && IsJianpuSound(cell)))
                    break;
                if (IsClefCell(cell)) {
                    rec.clef = static_cast<int16_t>(cell.Note);
                    rec.clefColumn = c;
                    rec.keyCode = static_cast<uint8_t>(cell.Attr & 0xFF);
                    rec.displayBits = static_cast<uint8_t>(cell.playDur & 0xFF);
                }
                if (IsSystemMark(cell.markType, isJianpu)) {
                    rec.hasSystemMark = true;
                    ++markCounter;
                    lastMarkEnd = rec.markEndRow = cell.jEnd;
                    break;
                }
                if (cell.markType == 30) {
                    ++markCounter;
                    lastMarkEnd = rec.markEndRow = cell.jEnd;
                } else if (cell.Note == 63 && r > lastMarkEnd) {
                    ++markCounter;
                }
            }

            if (!isWest && cells) {
                // A Jianpu row that opens with two 'x' notes is a percussion row.
                int xCount = 0;
                for (const TCell& cell : *cells) {
                    if (IsJianpuNoteDigit(cell.Note) || xCount > 1)
                        break;
                    if (cell.Note == 'x' || cell.Note == 'X')
                        ++xCount;
                }
                if (xCount >= 2)
                    rec.clef = -4;
            }

            rec.markCount = ClampToByte(markCounter);
            SetName(rec, GetRowName(r));
            GroupRows.push_back(rec);
        }
    }

    if (GroupRows.size() == 1) {
        GroupRows.front().row = row;
    } else if (GroupRows.empty()) {
        TGroupData none;
        none.row = start;
        none.clefColumn = rec.clefColumn;
        GroupRows.push_back(none);
        return -1;
    }
    return result;
}

int GetRowIndexInGroup(int row) {
    GetRowGroup(row, -1);
    if (GroupRows.empty())
        return -1;
    for (size_t i = 0; i < GroupRows.size(); ++i)
        if (GroupRows[i].row == row)
            return static_cast<int>(i);
    return 0;
}

int GetSubGroupFirstIndex(int row) {
    int i = GetRowIndexInGroup(row);
    if (i < 1)
        return i;
    const uint8_t count = GroupRows[static_cast<size_t>(i)].markCount;
    int j = i - 1;
    while (j >= 0 && GroupRows[static_cast<size_t>(j)].markCount == count)
        --j;
    return j + 1;
}
