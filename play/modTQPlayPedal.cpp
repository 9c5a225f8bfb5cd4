// Sustain pedal: pedal marks of the staff group switch the hold byte of the
// items built, and each pedal change appends one item carrying the notes that
// sounded while the pedal was down.
#include <algorithm>

#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"

namespace {

constexpr uint32_t kOptPedalSpan = 0x80000;
constexpr int kPedalDownCode = 86;
constexpr int kPedalUpCode = 87;

} // namespace

void TPlayState::ScanPedalMarks() {
    if (EchoOn || IgnorePad || !frmMainTQ || GroupRows.empty())
        return;
    const int cols = frmMainTQ->Cols;
    PedalFlags.assign(static_cast<size_t>(std::max(cols, 1)), 0);
    auto set = [&](int col, int flag) {
        if (col >= 0 && col < cols)
            PedalFlags[static_cast<size_t>(col)] = flag;
    };
    const int first = GroupRows.front().row;
    const int last = std::min(GroupRows.back().row + HighlightBelow, frmMainTQ->Rows - 1);
    std::vector<const TCellRow*> band;
    for (int row = first; row <= last; ++row)
        band.push_back(RowAtAddress(row));
    for (int col = 0; col < cols; ++col) {
        for (int row = first; row <= last; ++row) {
            const TCell* c = CellOfRow(band[static_cast<size_t>(row - first)], col);
            if (!c)
                continue;
            if ((c->markType == 4 || c->markType == 5 || c->markType == 6) && (c->option & kOptPedalSpan)) {
                if (c->markType == 4) {
                    set(col, 1);
                    set(c->iEnd, 2);
                } else if (c->markType == 5) {
                    set(col, 1);
                } else {
                    set(c->iEnd, 2);
                }
                break;
            }
            if (c->Note == kPedalDownCode || c->upNote == kPedalDownCode)
                set(col, 1);
            else if (c->Note == kPedalUpCode || c->upNote == kPedalUpCode)
                set(col, 2);
        }
    }
}

void TPlayState::ApplyPedalAtColumn(int column) {
    if (EchoOn || IgnorePad || column < 0 || static_cast<size_t>(column) >= PedalFlags.size())
        return;
    const int flag = PedalFlags[static_cast<size_t>(column)];
    if (flag == 1) {
        Echo = 1;
        FlushPedalNotes(column);
    } else if (flag == 2) {
        Echo = 0;
        FlushPedalNotes(column);
    }
}

void TPlayState::RecordPedalNotes(const TPlayItem& item, int channel) {
    if (IgnorePad || item.Kind != pkNotes || item.Duration < 5)
        return;
    for (int k = 0; k < kPlayNoteSlots && item.Notes[k].Pitch != -1; ++k)
        if (channel == -1 || item.Notes[k].Channel == channel)
            AddPedalNote(item.Notes[k]);
}

void TPlayState::AddPedalNote(const TPNote& note) {
    if (!IgnorePad)
        PedalNotes.push_back(note);
}

void TPlayState::FlushPedalNotes(int column) {
    TPlayItem item;
    item.Page = frmMainTQ ? frmMainTQ->CurPage : 0;
    item.Col = column;
    item.Duration = 0;
    item.Volume = 0;
    item.Hold = 0;
    item.Kind = pkNotes;
    int slot = 0;
    for (const TPNote& n : PedalNotes) {
        item.Notes[slot++] = n;
        if (slot == kPlayNoteSlots) {
            PlayList.push_back(item);
            slot = 0;
        }
    }
    if (slot > 0) {
        item.Notes[slot].Pitch = -1;
        PlayList.push_back(item);
    }
    PedalNotes.clear();
}
