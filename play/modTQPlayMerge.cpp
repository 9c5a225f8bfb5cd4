// One staff group into play items, column by column: every staff's items of a
// column are laid over the items of the staves above, so that notes starting
// together share one step and the shortest step decides when the next column
// begins.
#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUtil.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kStaffMarkCode = 'N';
constexpr float kPairedLowerFactor = 0.7f;
constexpr float kPairedLowerChordFactor = 0.6f;

bool NoteOrRest(const TCell* c) { return c && IsNoteOrRestCell(*c); }

// Staff letter (0 A .. 6 G) of a staff position under a clef cell.
int LetterOf(const TCell& clef, int position) {
    const int v = GetClefCPos(clef.Note) - position + 2 * static_cast<int>(std::lround(clef.yAdj)) + 72;
    return ((v % 7) + 7) % 7;
}

// A sharp, flat or natural symbol written in a Western staff changes the key
// table for that letter from its column on.
void ApplyKeyAccidentalSymbols(int column) {
    for (const TGroupData& g : GroupRows) {
        if (!g.isWest)
            continue;
        const TCell* sym = CellAtAddress(column, g.row);
        if (!sym || sym->cellType != ctSymbol || !IsKeyAccidentalCode(sym->Note))
            continue;
        const TCell* clef = CellAtAddress(g.clefColumn, g.row);
        if (!clef || !IsClefCell(*clef))
            continue;
        const int letter = LetterOf(*clef, static_cast<int>(std::lround(sym->yAdj)));
        KeyAccidentals[letter] = static_cast<int8_t>(sym->Note == 14 ? 1 : sym->Note == 15 ? 2 : 0);
    }
}

// The column of the note that the grace notes at (column, row) lead to: the
// next note of the row that is no grace note itself, over bar lines; the grace
// notes' own column when a rest or the end of the row comes first.
int GraceMainColumn(int column, int row) {
    const int cols = frmMainTQ ? frmMainTQ->Cols : 0;
    for (int c = column + 1; c < cols; ++c) {
        const TCell* next = CellAtAddress(c, row);
        if (!next || !IsNoteOrRestCell(*next) || IsGraceLeadCell(*next))
            continue;
        return IsNoteCell(*next) ? c : column;
    }
    return column;
}

} // namespace

uint8_t TPlayState::NoteVolume(const TCell& cell) const {
    return static_cast<uint8_t>(std::clamp(RoundToInt(GetNotesVolAdj(cell) * static_cast<double>(VolumeFactor)), 0, 255));
}

uint8_t TPlayState::NoteVelocity(const TCell& cell) const {
    return static_cast<uint8_t>(
        std::clamp(RoundToInt(GetNotesVolAdj(cell) * 1.27 * static_cast<double>(VolumeFactor)), 0, 127));
}

bool TPlayState::StaffCellItems(int column, int row, std::vector<TPlayItem>& items, int staff) {
    const TCell* found = PeekCell(column, row);
    if (!found)
        return false;
    const TCell& cell = *found;
    const size_t s = static_cast<size_t>(std::clamp(staff, 0, kPlayStaves - 1));
    if (IsClefCell(cell)) {
        if (s < GroupRows.size()) {
            TGroupData& g = GroupRows[s];
            if (cell.Note == -15) {
                const int left = FindClefColLeft(column, row);
                const TCell* lc = left >= 0 ? CellAtAddress(left, row) : nullptr;
                if (lc)
                    g.clef = static_cast<int16_t>(lc->Note);
                g.keyCode = 0;
            } else {
                g.clef = static_cast<int16_t>(cell.Note);
                g.keyCode = static_cast<uint8_t>(cell.Attr & 0xF);
            }
            g.displayBits = static_cast<uint8_t>(cell.playDur & 0xFF);
            g.clefColumn = column;
            g.row = row;
        }
        return false;
    }
    // Volume factor of the cell; grace notes sound as loud as their main note.
    const int volumeColumn = IsGraceLeadCell(cell) ? GraceMainColumn(column, row) : column;
    float factor = 1.0f;
    if (s < GroupRows.size() && volumeColumn >= 0 && static_cast<size_t>(volumeColumn) < StaffVolume[s].size())
        factor = static_cast<float>(StaffVolume[s][static_cast<size_t>(volumeColumn)]) / 127.0f;
    if (s > 0 && s < GroupRows.size() && GroupRows[s - 1].hasSystemMark)
        factor *= cell.westChordArray.empty() && cell.CompressNotes.empty() ? kPairedLowerFactor
                                                                            : kPairedLowerChordFactor;
    VolumeFactor = factor;
    BuildStaffCellItems(column, row, items, staff, !items.empty());
    ShiftStaffOctave(items, staff);
    TieLengthWritten = s < GroupRows.size() && GroupRows[s].isWest && WestTieAlreadyLengthened(column, row, staff);
    ResolveTie(items, column, row, staff);
    TieLengthWritten = false;
    // The page's Jianpu twin at the same place.
    if (frmMainTQ && frmMainTQ->HasJianpuPage() && IsValidCellPos(column, row)) {
        const int saved = CurLayer;
        CurLayer = 1;
        const TCell* twin = CellAtAddress(column, row);
        if (twin && IsNoteOrRestCell(*twin))
            BuildStaffCellItems(column, row, items, staff, !items.empty());
        CurLayer = saved;
    }
    return !items.empty();
}

// The Western note builder lengthens a note whose slur mark ends at a note of
// the same line by that note's value; the tie then only silences the second note.
bool TPlayState::WestTieAlreadyLengthened(int column, int row, int staff) const {
    const TTieRecord& t = TieRecord[(CurLayer == 1 ? kPlayStaves : 0) + std::clamp(staff, 0, kPlayStaves - 1)];
    if (t.Item < 0 || t.LastCol < 1 || column > t.LastCol || !frmMainTQ)
        return false;
    const TCell* start = CellAtAddress(t.StartCol, row);
    const TCell* here = CellAtAddress(column, row);
    if (!start || !here || !IsWestNoteCell(*here) || !here->westChordArray.empty() || here->yAdj != start->yAdj)
        return false;
    for (int markRow : {row, row - 1}) {
        const TCell* m = markRow >= 0 ? CellAtAddress(t.StartCol, markRow) : nullptr;
        if (!m || !IsSlurMarkCell(*m))
            continue;
        for (int col = t.StartCol + 1; col <= m->iEnd + 1 && col < frmMainTQ->Cols; ++col) {
            const TCell* p = CellAtAddress(col, row);
            if (p && (IsWestNoteCell(*p) || IsWestRestCell(*p)))
                return col == column && col >= m->iEnd - 1;
        }
        return false;
    }
    return false;
}

void TPlayState::AlignDottedPair(int column, int staff) {
    if (GroupRows.size() < 2 || staff < 0 || static_cast<size_t>(staff) >= GroupRows.size() || PlayList.empty())
        return;
    const int row0 = GroupRows[0].row;
    const int rowS = GroupRows[static_cast<size_t>(staff)].row;
    const int cols = frmMainTQ ? frmMainTQ->Cols : 0;
    auto bar0 = [&](int c) {
        const TCell* cell = CellAtAddress(c, row0);
        return cell && IsBarLineCell(*cell);
    };
    int left = column - 1;
    while (left >= 1 && !bar0(left) &&
           !(NoteOrRest(CellAtAddress(left, row0)) && NoteOrRest(CellAtAddress(left, rowS))))
        --left;
    left = std::max(left, 0);
    int right = column + 1;
    while (right < cols - 1 && !bar0(right) && !NoteOrRest(CellAtAddress(right, row0)))
        ++right;
    int sum0 = 0, sumS = 0;
    for (int c = left; c < right; ++c) {
        if (const TCell* a = CellAtAddress(c, row0); NoteOrRest(a))
            sum0 += GetCellTicks(*a);
        if (const TCell* b = CellAtAddress(c, rowS); NoteOrRest(b))
            sumS += GetCellTicks(*b);
    }
    if (sum0 >= sumS)
        return;
    const int level = static_cast<int>(std::trunc(5.0 - std::log2(static_cast<double>(sumS - sum0))));
    const TCell* c0 = CellAtAddress(column, row0);
    PlayList.back().Duration = PlayUnitsOfValue(level, c0 ? c0->option : 0);
}

void TPlayState::SummarizeBand() {
    bandKinds_.clear();
    bandPage_ = -1;
    if (!frmMainTQ || GroupRows.empty())
        return;
    const TMainScore& s = *frmMainTQ;
    bandFirst_ = GroupRows.front().row;
    bandLast_ = GroupRows.back().row;
    bandAbove_ = HighlightAbove;
    bandBelow_ = HighlightBelow;
    const size_t cols = static_cast<size_t>(std::max(s.Cols, 0));
    bandKinds_.assign(cols, 0);
    for (int r = std::max(bandFirst_ - bandAbove_, 0); r <= std::min(bandLast_ + bandBelow_, s.Rows - 1); ++r) {
        const TCellRow* cells = RowAtAddress(r);
        if (!cells)
            continue;
        for (size_t c = 0; c < cols && c < cells->size(); ++c) {
            const TCell& cell = (*cells)[c];
            bandKinds_[c] |= BandKind(cell.cellType) | (cell.markType == 78 || cell.markType == 79 ? kBandEndMark : 0);
        }
    }
    bandPage_ = s.CurPage;
    bandLayer_ = CurLayer;
}

bool TPlayState::MergeStaffItems() {
    if (!frmMainTQ || GroupRows.empty())
        return true;
    TMainScore& s = *frmMainTQ;
    // 1. Group state.
    for (TTupletRec& t : ActiveTuplet)
        t = TTupletRec();
    for (TShrinkRec& r : ShrinkRecs) {
        r.Col = -1;
        r.Items.clear();
    }
    Triplet = TTripletUneven(); // a passage never runs from one group into the next
    ClearBarAccidentals();
    SummarizeBand();
    PrepareGroupDynamics();
    CollectOctaveMarks();
    ScanPedalMarks();
    for (size_t g = 0; g < GroupRows.size(); ++g)
        CheckTieStillOpen(GroupRows[g].row, static_cast<int>(g));
    TupletScanState = 0;
    const int row0 = GroupRows.front().row;
    const int rowN = GroupRows.back().row;
    const bool westGroup = GroupRows.front().isWest;
    // 2. The bar counter aligns several staves.
    BitCountOn = false;
    if (westGroup && PlayStaffIndex == -1 && (GroupRows.size() > 1 || s.HasJianpuPage())) {
        BitCount.Clear();
        BitCount.BarLength = TBitCount::BarLengthOf(TimeSigNum, TimeSigDen, BitCount.BarLength);
        BitCount.Count(0);
        BitCountOn = true;
    }
    // 3.
    AddRefreshItem(0, row0);
    // 4.
    if (westGroup) {
        if (const TCell* clef = CellAtAddress(GroupRows.front().clefColumn, row0); clef && IsClefCell(*clef))
            SetKeyAccidTable(*clef);
        CurClef = GroupRows.front().clef;
        CurKeyCode = GroupRows.front().keyCode;
    }
    const size_t fg = std::min(static_cast<size_t>(std::max(FirstGroup, 0)), GroupRows.size() - 1);
    const uint8_t subGroup = GroupRows[fg].markCount;
    TMainView* view = dynamic_cast<TMainView*>(frmMainTQ);
    bool result = true;
    // 5.
    for (int c = 0; c < s.Cols && result; ++c) {
        const int colStart = static_cast<int>(PlayList.size());
        bool secondWalk = false;
        for (;;) {
            // a.
            if (TupletScanState > 0 && TupletScanEnd < c)
                TupletScanState = 0;
            if (StartIndex == -1 && s.CurPage >= SavedPage &&
                (s.CurPage > SavedPage || row0 > StartCellRow || (StartCellRow <= rowN && c >= StartCellCol)))
                StartIndex = static_cast<int>(PlayList.size());
            if (!secondWalk) {
                // b.
                AddInstrumentCells(c);
                ApplyPedalAtColumn(c);
                FindTimeSignatureAbove(c, row0);
                // c.
                const TCell* first = CellAtAddress(c, row0);
                if (first && first->Note == kStaffMarkCode && first->cellType == ctJianpu) {
                    if (first->iEnd > c)
                        c = first->iEnd - 1;
                    break;
                }
                if (!HandleRepeatColumn(c, row0))
                    break;
                if (first && IsBarLineCell(*first)) {
                    if (BitCountOn)
                        BitCount.ApplySteps();
                    AddRefreshItem(c, row0);
                    if (IsBarLineCellNotRowEnd(*first))
                        FlushHeldNotes();
                    if (BitCountOn) {
                        BitCount.Clear();
                        BitCount.Count(c + 1);
                    }
                    ClearBarAccidentals();
                    break;
                }
                if (c < static_cast<int>(ColumnTempo.size()) && ColumnTempo[static_cast<size_t>(c)] != PlayTempo &&
                    ColumnTempo[static_cast<size_t>(c)] > 0)
                    PlayTempo = ColumnTempo[static_cast<size_t>(c)];
                if (westGroup)
                    ApplyKeyAccidentalSymbols(c);
            }
            // d. Every staff of the rule, top to bottom.
            const int mergeStart = static_cast<int>(PlayList.size());
            int lastMerged = -1;
            std::vector<TPlayItem>& items = staffItems_;
            for (size_t st = 0; st < GroupRows.size() && st < kPlayStaves; ++st) {
                const int row = GroupRows[st].row;
                const bool onlyFirst = PlayRule == prCurrentStaff || PlayRule == prSelectedNotes;
                if (onlyFirst && st != fg) {
                    // A staff that does not sound still keeps its clef and key,
                    // and its time signatures hold for every staff.
                    std::vector<TPlayItem> none;
                    TCell cell;
                    if (GetCell(cell, c, row) && IsClefCell(cell))
                        StaffCellItems(c, row, none, static_cast<int>(st));
                    else if (IsTimeSignatureCell(cell))
                        AddTimeSignatureItem(cell, c, row);
                    continue;
                }
                if (PlayRule == prGroupStaff && GroupRows[st].markCount != subGroup)
                    continue;
                if (PlayRule == prHighlightedStaffs && (!view || view->FindRowHighlight(row) < 0))
                    continue;
                if (PlayRule == prSelectedNotes && s.CurPage == SavedPage && row >= SelEndRow && c > SelEndCol) {
                    result = false;
                    break;
                }
                items.clear();
                if (!StaffCellItems(c, row, items, static_cast<int>(st)))
                    continue;
                lastMerged = static_cast<int>(st);
                const size_t have = PlayList.size() - static_cast<size_t>(mergeStart);
                const int firstIndex = have == 0 ? static_cast<int>(PlayList.size()) : mergeStart;
                if (have == 0) {
                    for (const TPlayItem& it : items)
                        AddPlayItem(it, true);
                    BeginTie(firstIndex, c, row, static_cast<int>(st));
                    continue;
                }
                for (size_t k = 0; k < items.size(); ++k) {
                    if (k < have) {
                        TPlayItem& dest = PlayList[static_cast<size_t>(mergeStart) + k];
                        MergeNotes(dest, items[k]);
                        if (items[k].Kind != pkRest) {
                            dest.Kind = items[k].Kind;
                            dest.Volume = items[k].Volume;
                        }
                        dest.Duration = std::min(dest.Duration, items[k].Duration);
                    } else {
                        AddPlayItem(items[k], true);
                    }
                }
                BeginTie(firstIndex, c, row, static_cast<int>(st));
            }
            if (!result)
                break;
            // e.
            if (GroupRows.size() == 2 && lastMerged >= 0) {
                const int rowS = GroupRows[static_cast<size_t>(lastMerged)].row;
                const TCell* cs = CellAtAddress(c, rowS);
                if (cs && IsDottedAt(c, rowS) && cs->playDur == 0)
                    AlignDottedPair(c, lastMerged);
            }
            if (!secondWalk && TupletScanState == 2 && c == TupletScanSplit) {
                TupletScanState = 3;
                secondWalk = true;
                continue;
            }
            // f. Completing the column.
            const int added = static_cast<int>(PlayList.size()) - colStart;
            if (added == 1 && (PlayRule == prGroupStaff || PlayRule == prAllStaffs))
                AdjustSyncopatedSteps(c);
            if (added == 0 && Ornaments[4].Kind == 0)
                break;
            for (size_t i = static_cast<size_t>(colStart); i < PlayList.size(); ++i)
                ClampStepToShortestNote(PlayList[i]);
            if (Ornaments[0].Kind != 0 && added == 1) {
                if (Ornaments[0].Kind == 1)
                    ExpandTrill(Ornaments[0], PlayList);
                else
                    ExpandOrnament(Ornaments[0], PlayList);
                Ornaments[0].Kind = 0;
            } else if (!PendingNotes.empty()) {
                EmitPendingNotes(c, row0, PlayList, 0, false);
            }
            Ornaments[0].Kind = 0;
            if (Ornaments[1].Kind != 0)
                FlushRepeatedNotes(colStart);
            if (Ornaments[3].Kind == 9)
                FlushStaccatoRecord(colStart, c);
            FlushArpeggios(colStart);
            if (GroupRows.size() > 1 && TupletScanState == 0)
                ScanTupletAcrossGroup(c);
            if (Triplet.EndCol >= 0 && c >= Triplet.StartCol && c <= Triplet.EndCol) {
                TimePairColumn(c, colStart);
                if (c == Triplet.EndCol) {
                    Triplet.EndCol = -1;
                    Triplet.StartCol = -1; // timed here: nothing left to spread after the build
                }
            }
            // Held notes, each column item with its releases right behind it.
            if (static_cast<size_t>(colStart) + 1 == PlayList.size()) {
                ProcessHeldNotes(PlayList.back());
            } else if (static_cast<size_t>(colStart) < PlayList.size()) {
                std::vector<TPlayItem> column(PlayList.begin() + colStart, PlayList.end());
                PlayList.resize(static_cast<size_t>(colStart));
                for (const TPlayItem& it : column) {
                    PlayList.push_back(it);
                    ProcessHeldNotes(PlayList.back());
                }
            }
            break;
        }
    }
    // 6.
    if (BitCountOn) {
        BitCount.ApplySteps();
        BitCount.Clear();
    }
    bandPage_ = -1;
    return result;
}
