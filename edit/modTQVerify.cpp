// The measure beat check.
#include "edit/modTQVerify.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include "lang/modTQLanguage.h"
#include "lang/modTQStringIds.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kJianpuDotCode = -73;
constexpr int kJianpuDashCode = -106;

const TCell* GridAt(int col, int row, int page, int layer) {
    const TMainScore* s = frmMainTQ;
    if (!s || layer < 0 || layer > 1 || page < 0 || page >= int(s->PageSets[size_t(layer)].size()))
        return nullptr;
    const TPage& p = s->PageSets[size_t(layer)][size_t(page)];
    if (row < 0 || row >= int(p.size()) || col < 0 || col >= int(p[size_t(row)].size()))
        return nullptr;
    return &p[size_t(row)][size_t(col)];
}

bool ValidTimeSignature(const TCell& c) { return c.cellType == ctTimeSig && c.upNote >= 1 && c.Note >= 1; }

// Plain ticks of a duration level: 2^(5 - level), truncated.
int LevelTicks(int level) {
    const int shift = 5 - level;
    if (shift < 0)
        return 0;
    return 1 << std::min(shift, 20);
}

int SmallNoteLevel(const TCompressNote& item, bool west) {
    if (west) {
        TCell c;
        c.cellType = ctWestern;
        c.Note = item.code;
        return GetCellDurLevel(true, c);
    }
    return item.value;
}

bool IsCountedNote(const TCell& c, bool west) {
    if (west)
        return IsWestNoteOrRest(c, 1);
    return IsJianpuSound(c) && c.Note != kJianpuDotCode && c.Note != kJianpuDashCode;
}

bool CountsNothing(const TCell& c, bool west) {
    return IsGraceCell(c) || (west && IsWestNoteOrRest(c, 1) && c.fontSizeR < 0.7f) || (c.option & 0x10000000u) != 0;
}

} // namespace

TTQVerify::TTQVerify(int scope, bool keepOwnLists) : Scope(scope), KeepOwnLists(keepOwnLists ? 1 : 0) {
    if (frmMainTQ) {
        StartPage = frmMainTQ->CurPage;
        selRow0_ = frmMainTQ->SelRow0;
        selRow1_ = frmMainTQ->SelRow1;
    }
}

int TTQVerify::NoteTicks(int level, int count) {
    int factor = 8;
    if (count == 1)
        factor = 1;
    else if (count == 2)
        factor = 3;
    else if (count == 3)
        factor = 2;
    else if (count == 4)
        factor = 6;
    else if (count >= 5 && count <= 7)
        factor = 4;
    return LevelTicks(level) * factor;
}

int TTQVerify::TicksPerMeasure(int beats, int unit) {
    if (unit < 1)
        return 0;
    // A damaged file may hold any numerator: the product is taken wide.
    const long long ticks = (static_cast<long long>(beats) * 128) / unit;
    return static_cast<int>(std::clamp<long long>(ticks, INT_MIN, INT_MAX));
}

bool TTQVerify::FindTimeSignature() {
    TMainScore* s = frmMainTQ;
    for (int r = 0; r < s->Rows; ++r)
        for (int c = 0; c < s->Cols; ++c) {
            const TCell* cell = GridAt(c, r, 0, 0);
            if (!cell)
                continue;
            if (ValidTimeSignature(*cell)) {
                Beats = cell->upNote;
                BeatUnit = cell->Note;
                MeasureTicks = TicksPerMeasure(Beats, BeatUnit);
                return true;
            }
            if (cell->cellType == ctSymbol && (cell->Note == 117 || cell->Note == 118)) {
                Beats = cell->Note == 117 ? 2 : 4;
                BeatUnit = Beats;
                MeasureTicks = TicksPerMeasure(Beats, BeatUnit);
                return true;
            }
        }
    // No time signature: guess one from the first page's last checked row.
    const int savedPage = s->CurPage;
    const int savedLayer = CurLayer;
    s->CurPage = 0;
    guessing_ = true;
    CheckPage(0);
    guessing_ = false;
    s->CurPage = savedPage;
    CurLayer = savedLayer;
    int n = int(std::lround(AverageTicks / 32.0f));
    if (n < 1 || n > 12)
        n = 4;
    Beats = n;
    BeatUnit = 4;
    if (KeepOwnLists || !Language)
        return false;
    if (Language->MessageYesNo(1041, std::to_string(n) + "/4.", mkConfirmation) != mrYes)
        return false;
    MeasureTicks = TicksPerMeasure(n, 4);
    return true;
}

bool TTQVerify::VerifyMeasures() {
    TMainScore* s = frmMainTQ;
    TMainView* view = MainView();
    if (!s)
        return false;
    const int savedLayer = CurLayer;
    const int savedPage = s->CurPage;
    if (!FindTimeSignature())
        return false;
    GroupTicks = MeasureTicks;
    Beats = 4;
    BeatUnit = 4;
    TripletSize = 0;
    StartPage = savedPage;
    TimeSigRow = -1;
    if (KeepOwnLists) {
        PageMeasures[0].assign(s->PageSets[0].size(), {});
        PageMeasures[1].assign(s->PageSets[1].size(), {});
    }
    view->Highlights.clear();
    for (int p = 0; p < int(s->PageSets[0].size()); ++p) {
        s->CurPage = p;
        const int pageTicks = MeasureTicks;
        CheckPage(0);
        if (s->HasJianpuPageAt(p)) {
            MeasureTicks = pageTicks;
            CheckPage(1);
        }
    }
    CurLayer = savedLayer;
    s->CurPage = savedPage;
    return true;
}

void TTQVerify::CheckPage(int layer) {
    TMainScore* s = frmMainTQ;
    CurLayer = layer;
    if (KeepOwnLists && !guessing_ && s->CurPage < int(PageMeasures[size_t(layer)].size()))
        PageMeasures[size_t(layer)][size_t(s->CurPage)].clear();
    for (int r = 0; r < s->Rows; ++r) {
        if (IsPlayableWestRow(r))
            CheckRow(r, true, layer);
        else if (IsJianpuMusicRow(r, -1, layer))
            CheckRow(r, false, layer);
    }
    CurLayer = layer;
}

bool TTQVerify::InScope(int row) const {
    const int page = frmMainTQ->CurPage;
    switch (Scope) {
    case 1:
        return page >= StartPage && row >= selRow0_;
    case 2:
        return page >= StartPage && row >= selRow0_ && row <= selRow1_;
    default:
        return true;
    }
}

void TTQVerify::Mark(int col, int row, int layer) {
    TMainScore* s = frmMainTQ;
    const int first = FindMeasureStartCol(col - 1, row) + 1;
    const int last = std::max(FindMeasureEndCol(col, row) - 1, first);
    int markRow = row;
    if (layer == 1)
        markRow = row > 0 ? row - 1 : row + 1;
    const TMeasure m{first, last, markRow, s->CurPage, layer};
    if (KeepOwnLists) {
        auto& lists = PageMeasures[size_t(layer)];
        if (s->CurPage < int(lists.size()))
            lists[size_t(s->CurPage)].push_back(m);
    } else {
        MainView()->Highlights.push_back(m);
    }
}

int TTQVerify::CountShrunk(const TCell& cell, bool west) const {
    const auto& items = cell.CompressNotes;
    if (items.empty())
        return 0;
    if (IsTupletMarkCell(cell))
        return LevelTicks(SmallNoteLevel(items[0], west)) * (items.size() < 5 ? 2 : 4);
    int sum = 0;
    int before = 0;
    for (const TCompressNote& item : items) {
        if (!west && item.code == kJianpuDotCode) {
            sum += before / 2;
            continue;
        }
        if (item.code == 32)
            continue;
        const int v = LevelTicks(SmallNoteLevel(item, west));
        int t = v;
        if (item.option & 0x40u)
            t += 3 * v / 4;
        else if (item.option & 0x8u)
            t += v / 2;
        sum += t;
        before = v;
    }
    return sum;
}

int TTQVerify::CountSimplifiedTriplets(const TCellRow& cells, int& col, bool west) const {
    const int cols = std::min<int>(frmMainTQ->Cols, int(cells.size()));
    const TCell& start = cells[size_t(col)];
    int notes = 0;
    int lastNote = col;
    if (west) {
        if (!IsCombineTailStart(start) || GetCellDurLevel(true, start) != TripletLevel)
            return -1;
        for (int c = col; c < cols; ++c) {
            const TCell& cell = cells[size_t(c)];
            if (!IsWestNoteOrRest(cell, 1))
                continue;
            // A note of another value ends the count; it is counted on its own.
            if (GetCellDurLevel(true, cell) != TripletLevel)
                break;
            ++notes;
            lastNote = c;
            if (IsCombineTailEnd(cell))
                break;
        }
    } else {
        if (start.UL != TripletLevel)
            return -1;
        if (col > 0) {
            const TCell& prev = cells[size_t(col - 1)];
            if (IsCountedNote(prev, false) && prev.UL == TripletLevel)
                return -1;
        }
        for (int c = col; c < cols; ++c) {
            const TCell& cell = cells[size_t(c)];
            if (cell.Note == kJianpuDotCode || IsGraceCell(cell))
                return -1;
            if (IsCountedNote(cell, false) && cell.UL == TripletLevel) {
                ++notes;
                lastNote = c;
            } else if (!(cell.Note == 32 && cell.CompressNotes.empty())) {
                break;
            }
        }
    }
    if (notes == 0 || notes % TripletSize != 0)
        return -1;
    col = lastNote;
    return notes / TripletSize * NoteTicks(TripletLevel, 3);
}

int TTQVerify::CountCell(const TCellRow& cells, int& col, int row, bool west, int layer) {
    const TCell& cell = cells[size_t(col)];
    if (CountsNothing(cell, west))
        return 0;
    if (IsShrinkCell(cell))
        return CountShrunk(cell, west);
    if (IsTupletMarkCell(cell) && IsCountedNote(cell, west)) {
        const int end = std::clamp(cell.iEnd, col, frmMainTQ->Cols - 1);
        const int count = CountNotesForCurve(col, row, end, layer);
        const int level = GetCellDurLevel(west, cell);
        if (TripletSize == 0 && count == 3 && (level == 1 || level == 2) && AllowSimplifiedTriplets) {
            TripletSize = 3;
            TripletLevel = level;
        }
        col = end;
        return count == 9 ? 64 : NoteTicks(level, count);
    }
    if (!IsCountedNote(cell, west) || GetNotesVolAdj(cell) <= 49)
        return 0;
    if ((west && cell.Note == 20) || cell.markType == 87)
        return MeasureTicks;
    if (TripletSize > 0) {
        int c = col;
        const int ticks = CountSimplifiedTriplets(cells, c, west);
        if (ticks >= 0) {
            col = c;
            return ticks;
        }
    }
    const int v = LevelTicks(GetCellDurLevel(west, cell));
    int ticks = v * (1 + CountDashesAfter(col, row));
    const int dots = CountDotsAfter(col, row);
    const bool single = (cell.option & 0x8u) != 0;
    if ((cell.option & 0x40u) || dots >= 2 || (single && dots == 1))
        ticks += 3 * v / 4;
    else if (single || dots == 1)
        ticks += v / 2;
    return ticks;
}

void TTQVerify::CheckRow(int row, bool west, int layer) {
    TMainScore* s = frmMainTQ;
    const TCellRow* live = RowAtAddress(row, s->CurPage, layer);
    const TCellRow* base = RowAtAddress(row, s->CurPage, 0);
    if (!live || !base)
        return;
    // The staff group: the rows below a time-signature change in the same group
    // start from the measure length the group began with.
    CurLayer = 0;
    const int start = GetRowGroup(row, -1);
    CurLayer = layer;
    bool inGroup = false;
    if (start >= 0 && TimeSigRow >= 0 && GroupRows.size() > 1)
        for (const TGroupData& g : GroupRows)
            if (g.row == TimeSigRow)
                inGroup = true;
    if (inGroup)
        MeasureTicks = GroupTicks;
    else
        GroupTicks = MeasureTicks;
    if (row > TimeSigRow)
        TimeSigRow = -1;

    MeasureCount = 0;
    TickSum = 0;
    int ticks = 0;
    bool skipNext = false;
    const int cols = std::min<int>(s->Cols, int(std::min(live->size(), base->size())));
    for (int c = 0; c < cols; ++c) {
        const TCell& b = (*base)[size_t(c)];
        const TCell& cell = (*live)[size_t(c)];
        if (ValidTimeSignature(b) || (layer == 0 && ValidTimeSignature(cell))) {
            const TCell& sig = ValidTimeSignature(b) ? b : cell;
            const int t = TicksPerMeasure(sig.upNote, sig.Note);
            if (t != MeasureTicks) {
                MeasureTicks = t;
                TimeSigRow = row;
            }
        }
        // A layer-1 cell under a bar line or clef of layer 0 is not music.
        const bool hidden = layer == 1 && (IsBarLineCell(b) || IsClefCell(b));
        if (!hidden) {
            if (cell.markType == 48 || cell.markType == 61) {
                skipNext = true;
            } else if (skipNext && (IsCountedNote(cell, west) || IsShrinkCell(cell))) {
                skipNext = false;
            } else {
                ticks += CountCell(*live, c, row, west, layer);
            }
        }
        const bool barLine = IsBarLineAt(c, row, s->CurPage);
        if (barLine || c == cols - 1) {
            if (ticks > 0) {
                if (ticks != MeasureTicks && InScope(row) && !guessing_)
                    Mark(c, row, layer);
                // A guess reads closed measures only: the notes after the last
                // bar line (or a row with none) may be any length.
                if (barLine || !guessing_) {
                    TickSum += ticks;
                    ++MeasureCount;
                }
            }
            ticks = 0;
        }
    }
    if (MeasureCount > 0)
        AverageTicks = float(TickSum) / float(MeasureCount);
}

// ---- main-window commands ----

bool& VerifyAllowSimplifiedTriplets() {
    static bool allow = false;
    return allow;
}

void RunVerify(int scope) {
    TMainView* view = MainView();
    const int savedLayer = CurLayer;
    const int c0 = view->SelCol0, r0 = view->SelRow0, c1 = view->SelCol1, r1 = view->SelRow1;
    const int savedPage = view->CurPage;
    TTQVerify verify(scope, false);
    verify.AllowSimplifiedTriplets = VerifyAllowSimplifiedTriplets();
    if (!verify.VerifyMeasures()) {
        CurLayer = savedLayer;
        view->CurPage = savedPage;
        return;
    }
    if (view->Highlights.empty()) {
        view->SelCol0 = c0;
        view->SelRow0 = r0;
        view->SelCol1 = c1;
        view->SelRow1 = r1;
        view->GoToPage(savedPage);
    } else {
        view->GoToPage(view->Highlights.front().page);
    }
    CurLayer = savedLayer;
    view->PageCaption();
    view->RedrawPage();
    if (!Language)
        return;
    if (view->Highlights.empty())
        Language->MessageOk(1040, "", mkInformation);
    else
        // "In all, <n> measures may be wrong ...": the opening word, the count, then the
        // rest of the sentence, for one measure or for several.
        Language->MessageOk(1033,
                            std::to_string(view->Highlights.size()) +
                                Language->GetString(view->Highlights.size() == 1 ? sidOneMeasureWrong : 1039),
                            mkWarning);
}

void mitVerifyAllPageClick() { RunVerify(0); }
void mitVerifyToEndClick() { RunVerify(1); }
void mitVerifySelectClick() { RunVerify(2); }

bool mitVerifyAlowSimplifyTriplateClick() {
    bool& allow = VerifyAllowSimplifiedTriplets();
    allow = !allow;
    return allow;
}

void mitClearVerifyResultClick() {
    TMainView* view = MainView();
    view->Highlights.clear();
    view->RedrawPage();
}
