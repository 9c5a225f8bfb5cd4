// Repeats, navigation marks and ties in playback: the list grows by copies of
// items already in it; tied notes lengthen the note before them; octave marks
// per column.
#include <algorithm>
#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"

namespace {

constexpr int kTieSearchItems = 21;
constexpr int kTieSearchColumns = 20;

std::string UpperTrim(const std::string& text) {
    std::string s = text;
    for (char& ch : s)
        if (ch >= 'a' && ch <= 'z')
            ch = static_cast<char>(ch - 'a' + 'A');
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos)
        return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

int TieIndex(int g) { return (CurLayer == 1 ? kPlayStaves : 0) + std::clamp(g, 0, kPlayStaves - 1); }

bool SlurAt(int column, int row) {
    const TCell* c = row >= 0 ? CellAtAddress(column, row) : nullptr;
    return c && IsSlurMarkCell(*c);
}

} // namespace

int TPlayState::FindNavigationMark(int column, int previous) const {
    if (!frmMainTQ || GroupRows.empty())
        return 0;
    if (!BandMayHold(column, BandKind(ctText) | BandKind(ctSymbol) | BandKind(ctTextSymbol) | kBandEndMark))
        return 0;
    const int first = GroupRows.front().row, last = GroupRows.back().row;
    auto markOf = [&](int r, bool above) -> int {
        const TCell* c = CellAtAddress(column, r);
        if (!c)
            return 0;
        // Only symbols, text symbols and texts mark a jump, besides the marks 78 and 79 above.
        if (c->cellType != ctText && c->cellType != ctSymbol && c->cellType != ctTextSymbol)
            return above && (c->markType == 78 || c->markType == 79) ? 5 : 0;
        const std::string text = c->cellType == ctText ? UpperTrim(c->Text) : std::string();
        if (c->cellType == ctSymbol && c->Note == 40)
            return 1;
        if ((c->cellType == ctTextSymbol && c->Note == 13) || text == "D.S.")
            return 2;
        if (c->cellType == ctSymbol && c->Note == 39)
            return 3;
        if ((c->cellType == ctTextSymbol && c->Note == 14) || text == "D.C." || (above && text == "DA CAPO"))
            return 4;
        if (above && (c->markType == 78 || c->markType == 79))
            return 5;
        if ((c->cellType == ctTextSymbol && c->Note == 26) || text.find("FINE") != std::string::npos)
            return 6;
        if (c->cellType == ctSymbol && c->Note == 1) {
            const TCell* bar = CellAtAddress(column, last);
            if (bar && IsBarLineCell(*bar))
                return 6;
        }
        // Above the staff, the Fine codes 53 and 61 count on a symbol cell only (a
        // Jianpu '5' or a repeat bar line is no Fine).
        if (above && c->cellType == ctSymbol && (c->Note == 53 || c->Note == 61))
            return 6;
        if ((c->cellType == ctTextSymbol && c->Note == 79) || text == "CODA")
            return 7;
        return 0;
    };
    for (int r = last + 1; r <= last + HighlightBelow && r < frmMainTQ->Rows; ++r) {
        const int m = markOf(r, false);
        if (m != 0 && m != previous)
            return m;
    }
    for (int r = first; r >= std::max(first - HighlightAbove, 0); --r) {
        const int m = markOf(r, true);
        if (m != 0 && m != previous)
            return m;
    }
    return 0;
}

int TPlayState::FindPreviousMarkerItem(int index) const {
    for (int i = std::min(index, static_cast<int>(PlayList.size()) - 1); i >= 0; --i)
        if (PlayList[static_cast<size_t>(i)].Kind == pkKeyboard)
            return i;
    return -1;
}

void TPlayState::CopyPlayItems(int column, int row, int from, int to, bool move) {
    const int size = static_cast<int>(PlayList.size());
    to = std::min(to, size - 1);
    for (int i = std::max(from + 1, 0); i <= to; ++i) {
        TPlayItem copy = PlayList[static_cast<size_t>(i)];
        if (move) {
            copy.Col = column;
            copy.Row = row;
        }
        AppendPlayItem(PlayList, copy);
    }
}

bool TPlayState::ReplayFromRecord(int k, int kind) {
    TJumpRecord& rec = JumpRecord[std::clamp(k, 0, 1)];
    const int size = static_cast<int>(PlayList.size());
    if (rec.Start < 0)
        return false;
    const int end = (rec.End >= 1 && rec.End <= size - 1 && rec.End >= rec.Start) ? rec.End : size;
    const int fine = (rec.Fine >= 1 && rec.Fine <= size - 1) ? rec.Fine : 0;
    auto copy = [this](int from, int to) { // items from .. to - 1, as they stand now
        for (int i = std::max(from, 0); i < to; ++i)
            AppendPlayItem(PlayList, TPlayItem(PlayList[static_cast<size_t>(i)]));
    };
    if (kind == 7 && rec.Segno > 0) {
        copy(0, std::min(rec.Segno, size));
        return true;
    }
    copy(rec.Start, fine != 0 ? std::min(fine, end) : end);
    if (fine == 0 || fine >= end) {
        if (rec.Coda >= 1 && rec.Coda <= size && rec.Coda >= rec.Start) {
            const int last = (fine > rec.Coda) ? std::min(size, fine) : size;
            copy(rec.Coda, last);
        }
        rec.Start = -1;
        rec.End = rec.Coda = rec.Fine = 0;
        return false;
    }
    return true;
}

bool TPlayState::HandleRepeatColumn(int column, int row) {
    const TCell* cell = CellAtAddress(column, row);
    if (!cell)
        return true;
    const int size = static_cast<int>(PlayList.size());
    const int note = cell->Note;
    if (note == 58 || note == 173) {
        JumpRecord[1].Start = size;
        return true;
    }
    if (note == 59) {
        ReplayFromRecord(1, 0);
        return true;
    }
    if ((cell->cellType == ctSymbol && note == 46) || note == 150) {
        const int from = FindPreviousMarkerItem(size - 2);
        if (from >= 0)
            CopyPlayItems(column, row, from, size - 2, true);
        return false;
    }
    if (cell->cellType == ctSymbol && note == 177) {
        const int m1 = FindPreviousMarkerItem(size - 2);
        const int m2 = m1 >= 0 ? FindPreviousMarkerItem(m1 - 2) : -1;
        const int from = m2 >= 0 ? m2 : m1;
        if (from >= 0)
            CopyPlayItems(column, row, from, size - 2, true);
        return false;
    }
    if (note == 61)
        JumpRecord[1].Start = size;
    int previous = 0;
    for (int pass = 0; pass < 2; ++pass) {
        const int r = FindNavigationMark(column, previous);
        if (r == 0)
            break;
        const int now = static_cast<int>(PlayList.size());
        TJumpRecord& nav = JumpRecord[0];
        switch (r) {
        case 1:
            nav.Start = now;
            nav.Segno = now;
            break;
        case 3:
            if (nav.End == 0)
                nav.End = now;
            else
                nav.Coda = now;
            break;
        case 6:
            nav.Fine = now;
            break;
        case 2:
        case 4:
            ReplayFromRecord(0, r);
            break;
        case 5:
            JumpRecord[1].End = now;
            break;
        case 7:
            nav.Start = now;
            ReplayFromRecord(0, 7);
            break;
        default:
            break;
        }
        previous = r;
    }
    return true;
}

// --- ties ---

void TPlayState::ClearTies() {
    for (TTieRecord& t : TieRecord)
        t.LastCol = 0;
}

void TPlayState::BeginTie(int itemIndex, int column, int row, int g) {
    const TCell* cell = CellAtAddress(column, row);
    if (!cell || !frmMainTQ || itemIndex < 0 || static_cast<size_t>(itemIndex) >= PlayList.size())
        return;
    if (IsGraceCell(*cell) || (cell->option & (0x10 | 0x400000)))
        return;
    if (!SlurAt(column, row) && !(row > 0 && SlurAt(column, row - 1)))
        return;
    int next = -1;
    for (int c = column + 1; c < frmMainTQ->Cols && next < 0; ++c)
        if (const TCell* n = CellAtAddress(c, row))
            if (PlayWest ? IsWestNoteCell(*n) : IsJianpuNoteCell(*n))
                next = c;
    // The last note of the row: the tie may go on at the start of the next
    // system (CheckTieStillOpen).
    if (next < 0)
        next = frmMainTQ->Cols;
    TTieRecord& t = TieRecord[TieIndex(g)];
    t.Item = itemIndex;
    t.LastCol = next;
    t.Page = frmMainTQ->CurPage;
    t.StartCol = column;
    t.StartRow = row;
    t.Stamp = static_cast<int>(PlayList.size());
    std::copy(std::begin(PlayList[static_cast<size_t>(itemIndex)].Notes),
              std::end(PlayList[static_cast<size_t>(itemIndex)].Notes), std::begin(t.Notes));
}

bool TPlayState::IsSameTiedPitch(const TPNote& stored, const TPNote& note) const {
    return stored.Octave == note.Octave && stored.Pitch == note.Pitch;
}

bool TPlayState::MarkSlotTied(TPNote& slot) const {
    slot.Tie = kTieContinues;
    return true;
}

bool TPlayState::ExtendTiedNote(int column, int row, int added, const TPNote& note) {
    (void)column;
    (void)row;
    const int size = static_cast<int>(PlayList.size());
    for (int i = size - 1; i >= std::max(size - kTieSearchItems, 0); --i) {
        TPlayItem& item = PlayList[static_cast<size_t>(i)];
        const int n = NoteCount(item);
        for (int s = 0; s < n; ++s) {
            TPNote& slot = item.Notes[s];
            if (slot.Octave == note.Octave && slot.Pitch == note.Pitch && slot.Channel == note.Channel &&
                slot.Volume != 0) {
                slot.Length += added;
                return MarkSlotTied(slot);
            }
        }
    }
    return false;
}

void TPlayState::ResolveTie(std::vector<TPlayItem>& items, int column, int row, int g) {
    TTieRecord& t = TieRecord[TieIndex(g)];
    if (t.Item < 0 || t.LastCol < 1 || column > t.LastCol)
        return;
    // A cell that sounds nothing (a dash, a dot, an empty spacing cell) stands
    // inside the tie: the tie goes on to the next note.
    if (items.empty())
        return;
    bool matched = false;
    for (int s = 0; s < kPlayNoteSlots && t.Notes[s].Pitch != -1; ++s) {
        const TPNote& stored = t.Notes[s];
        if (stored.Layer != CurLayer)
            continue;
        for (TPlayItem& item : items) {
            const int n = NoteCount(item);
            for (int k = 0; k < n; ++k) {
                TPNote& note = item.Notes[k];
                if (note.Volume == 0 || !IsSameTiedPitch(stored, note))
                    continue;
                if (ExtendTiedNote(column, row, TieLengthWritten ? 0 : note.Length, note)) {
                    note.Volume = 0;
                    matched = true;
                }
            }
        }
    }
    (void)matched;
    const bool goesOn = SlurAt(column, row) || (row > 0 && SlurAt(column, row - 1));
    if (!goesOn) {
        t.LastCol = -1;
        return;
    }
    int next = -1;
    for (int c = column + 1; frmMainTQ && c < frmMainTQ->Cols && next < 0; ++c)
        if (const TCell* n = CellAtAddress(c, row))
            if (PlayWest ? IsWestNoteCell(*n) : IsJianpuNoteCell(*n))
                next = c;
    t.LastCol = next;
}

bool TPlayState::CheckTieStillOpen(int row, int g) {
    TTieRecord& t = TieRecord[TieIndex(g)];
    if (t.LastCol < 1 || !frmMainTQ)
        return false;
    t.LastCol = -1;
    const int limit = std::min(kTieSearchColumns, frmMainTQ->Cols);
    int markCol = -1, end = -1;
    for (int c = 0; c < limit && markCol < 0; ++c) {
        for (int r : {row, row - 1}) {
            if (r < 0)
                continue;
            const TCell* cell = CellAtAddress(c, r);
            if (!cell)
                continue;
            if (IsNoteOrRestCell(*cell))
                return false;
            if (IsSlurMarkCell(*cell)) {
                markCol = c;
                end = cell->iEnd;
                t.StartRow = r;
                break;
            }
        }
    }
    if (markCol < 0)
        return false;
    for (int c = markCol + 1; c < std::min(end, limit); ++c)
        for (int r : {row, row - 1}) {
            const TCell* cell = r >= 0 ? CellAtAddress(c, r) : nullptr;
            if (cell && IsNoteOrRestCell(*cell))
                return false;
        }
    t.LastCol = end;
    return t.LastCol >= 0;
}

// --- octave marks ---

namespace {

int OctaveMarkCode(int markType) {
    switch (markType) {
    case 74: case 75: return 1;
    case 76: case 77: return 2;
    case 82: case 83: return 3;
    case 84: case 85: return 4;
    default: return 0;
    }
}

void MarkBand(std::vector<int>& list, int top, int bottom, int rows) {
    top = std::max(top, 0);
    bottom = std::min(bottom, rows - 1);
    std::vector<const TCellRow*> band;
    for (int r = top; r <= bottom; ++r)
        band.push_back(RowAtAddress(r));
    for (int c = 0; c < static_cast<int>(list.size()); ++c)
        for (int r = top; r <= bottom; ++r)
            if (const TCell* cell = CellOfRow(band[static_cast<size_t>(r - top)], c)) {
                const int code = OctaveMarkCode(cell->markType);
                if (code == 0)
                    continue;
                const int end = std::min(std::max(cell->iEnd, c), static_cast<int>(list.size()) - 1);
                for (int k = c; k <= end; ++k)
                    list[static_cast<size_t>(k)] = code;
            }
}

} // namespace

void TPlayState::CollectOctaveMarks() {
    if (!frmMainTQ)
        return;
    const size_t cols = static_cast<size_t>(std::max(frmMainTQ->Cols, 0));
    for (auto& list : OctaveShifts)
        list.assign(cols, 0);
    const size_t n = std::min(GroupRows.size(), static_cast<size_t>(kPlayStaves));
    for (size_t g = 0; g < n; ++g) {
        const int row = GroupRows[g].row;
        const int above = g == 0 ? HighlightAbove : (row - GroupRows[g - 1].row + 1) / 2;
        const int below = g + 1 == n ? HighlightBelow : (GroupRows[g + 1].row - row) / 2;
        MarkBand(OctaveShifts[g], row - above, row + below, frmMainTQ->Rows);
    }
}

void TPlayState::CollectRowOctaveMarks(int row) {
    if (!frmMainTQ)
        return;
    OctaveShifts[0].assign(static_cast<size_t>(std::max(frmMainTQ->Cols, 0)), 0);
    MarkBand(OctaveShifts[0], row - HighlightAbove, row + HighlightBelow, frmMainTQ->Rows);
}
