// Bar rhythm: onsets of one bar across every staff of the group, in bits.
#include "play/modTQBitCount.h"

#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "play/modTQPlayState.h"

namespace {

constexpr int kMaxStep = 10000;

} // namespace

int TBitCount::BarLengthOf(int num, int den, int current) {
    if (num <= 0 || den <= 0 || den > 64 || (den & (den - 1)) != 0)
        return current;
    return num * 1024 / den;
}

void TBitCount::Clear() {
    StartColumn = -1;
    for (auto& slot : Bits)
        slot.clear();
    Steps.clear();
}

int TBitCount::NextOnsetDistance(int t) const {
    int d = 1;
    for (int i = std::max(t, 0); i < BarLength; ++i) {
        bool onset = false;
        for (const auto& slot : Bits)
            if (static_cast<size_t>(i) < slot.size() && slot[static_cast<size_t>(i)] > 0) {
                onset = true;
                break;
            }
        if (onset)
            break;
        ++d;
    }
    return d;
}

int TBitCount::CellBits(const TCell& cell, int column, TTupletScratch& tuplet) const {
    if (!IsWestNoteOrRest(cell, 1) || IsGraceNoteCell(cell))
        return 0;
    const int code = cell.Note;
    if (code == 19 || code == 20)
        return BarLength;
    if (code == 87)
        return 0;
    int value = code;
    if (IsWestRestCode(code))
        value = code - 19;
    else if (code == 81)
        value = 1;
    if (value < 1 || value > 11)
        return 0;
    int bits = 1 << (11 - value);
    if (cell.option & 0x40)
        bits += bits / 2 + bits / 4;
    else if (cell.option & 0x8)
        bits += bits / 2;
    if (tuplet.Count > 0) {
        const int n = tuplet.Count;
        int b;
        if (column != tuplet.LastCol) {
            b = n == 3 ? static_cast<int>(std::lround(bits * 2 * (1.0 / 3.0))) : (n - 1) * bits / n;
            tuplet.Given += b;
        } else {
            b = (n - 1) * bits - tuplet.Given;
            tuplet.Count = 0;
        }
        bits = b;
    }
    return bits;
}

void TBitCount::Count(int startColumn) {
    Steps.clear();
    StartColumn = startColumn;
    if (GroupRows.empty() || !frmMainTQ || BarLength <= 0)
        return;
    const size_t staves = std::min(GroupRows.size(), static_cast<size_t>(kPlayStaves));
    const size_t slots = 2 * staves;
    const size_t len = static_cast<size_t>(BarLength);
    Bits.assign(slots, std::vector<int>(len, 0));
    Columns.assign(len, -1);
    std::vector<int> time(slots, 0);
    std::vector<TTupletScratch> tuplets(slots);
    std::vector<bool> recorded(slots, false);
    const int layers = frmMainTQ->HasJianpuPage() ? 2 : 1;
    for (size_t st = 0; st < staves; ++st) {
        const int row = GroupRows[st].row;
        for (int col = std::max(startColumn, 0); col < frmMainTQ->Cols; ++col) {
            const TCell* bar = CellAtAddress(col, row, -1, 0);
            if (bar && IsBarLineCell(*bar))
                break;
            for (int layer = 0; layer < layers; ++layer) {
                const size_t slot = st * 2 + static_cast<size_t>(layer);
                const TCell* cell = CellAtAddress(col, row, -1, layer);
                if (!cell)
                    continue;
                TTupletScratch& tup = tuplets[slot];
                if (tup.Count > 0 && tup.LastCol < col)
                    tup.Count = 0;
                if (IsTupletMarkCell(*cell))
                    tup = {CountNotesForCurve(col, row, cell->iEnd, layer), cell->iEnd, 0};
                const int b = CellBits(*cell, col, tup);
                if (b > 0 && time[slot] < BarLength) {
                    Bits[slot][static_cast<size_t>(time[slot])] = b;
                    Columns[static_cast<size_t>(time[slot])] = col;
                    recorded[slot] = true;
                }
                if (b > 0)
                    time[slot] += b;
            }
        }
    }
    int common = -1;
    bool differ = false, any = false;
    for (size_t slot = 0; slot < slots; ++slot) {
        if (!recorded[slot])
            continue;
        any = true;
        if (common < 0)
            common = time[slot];
        else if (time[slot] != common)
            differ = true;
    }
    if (!any || differ) {
        Clear();
        return;
    }
    if (common == 0)
        return;
    for (int i = 0; i < BarLength; ++i) {
        if (Columns[static_cast<size_t>(i)] < 0)
            continue;
        int step = 0;
        for (size_t slot = 0; slot < slots; ++slot) {
            int& b = Bits[slot][static_cast<size_t>(i)];
            if (b <= 0)
                continue;
            b = std::min(b, NextOnsetDistance(i + 1));
            if (step == 0 || b < step)
                step = b;
        }
        if (step >= 1 && step < kMaxStep)
            Steps.push_back({step, Columns[static_cast<size_t>(i)]});
    }
}

void TBitCount::ApplySteps() {
    const float unitsPerBit = static_cast<float>(owner_.PlayUnitsOfValue(3, 0)) / 256.0f;
    std::vector<TPlayItem>& list = owner_.PlayList;
    size_t from = 0;
    for (size_t i = list.size(); i-- > 0;)
        if (list[i].Kind == pkKeyboard) {
            from = i + 1;
            break;
        }
    for (size_t i = from; i < list.size(); ++i) {
        TPlayItem& item = list[i];
        if (item.Kind != pkNotes || item.Col < 0)
            continue;
        // Three against two is timed exactly by its own passage.
        if (item.Col >= owner_.Triplet.TimedFrom && item.Col <= owner_.Triplet.TimedTo)
            continue;
        for (const TPlayBitLength& st : Steps) {
            if (st.Column != item.Col)
                continue;
            // A step lasts its bits at the tempo its item was reckoned at: a
            // tempo change inside the bar does not time the bar's earlier steps.
            const float perBit = item.Tempo > 0 ? 128000.0f / (256.0f * item.Tempo) : unitsPerBit;
            const float units = static_cast<float>(st.Bits) * perBit;
            if (item.Duration > 1 && static_cast<float>(item.Duration - 1) > units)
                item.Duration = static_cast<int>(std::lround(units));
            break;
        }
    }
    Steps.clear();
    owner_.Triplet.TimedFrom = owner_.Triplet.TimedTo = -1;
}
