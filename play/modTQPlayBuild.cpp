// Building the play list: the walk over every staff group of every page, the
// items that are not notes (sound effects, instruments, time signatures) and the
// text dump of the built list.
#include <algorithm>
#include <cstdio>
#include <fstream>

#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "platform/core/TQMessage.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kMsgNoStartCell = 1054;
constexpr int kSoundEffectCode = 146;

// The main window's drawing part when the current score has one (not in tests).
TMainView* View() { return dynamic_cast<TMainView*>(frmMainTQ); }

void ShowSavedPage(int page) {
    if (TMainView* v = View())
        v->GoToPage(page);
    else if (frmMainTQ)
        frmMainTQ->CurPage = page;
}

} // namespace

// --- items that are not notes ---

void TPlayState::AddInstrumentItem(int program, int channel) {
    TPlayItem item;
    item.Kind = pkInstrument;
    item.Duration = program;
    item.Notes[0].Channel = static_cast<int8_t>(channel);
    item.Notes[0].Layer = static_cast<int8_t>(CurLayer);
    item.Notes[0].Pitch = 0;
    item.Notes[1].Pitch = -1;
    item.Volume = 0;
    item.Hold = 0;
    item.Page = frmMainTQ ? frmMainTQ->CurPage : 0;
    item.Col = -1;
    item.Row = -1;
    AddPlayItem(item, false);
    if (channel >= 0 && channel < kPlayStaves)
        ChannelProgram[channel] = program + 1;
}

void TPlayState::AddInstrumentCells(int column) {
    if (GroupRows.empty() || !BandMayHold(column, BandKind(ctSoundEffect)))
        return;
    const int first = std::max(0, GroupRows.front().row - HighlightAbove);
    const int last = GroupRows.back().row;
    for (int row = first; row <= last; ++row) {
        const TCell* c = CellAtAddress(column, row);
        if (!c || c->cellType != ctSoundEffect || c->Note != kSoundEffectCode)
            continue;
        const int program = c->upNote;
        // 129 is the list's "ignore" entry: the cell changes nothing.
        if (program < 0 || program > 128)
            continue;
        int channel = -1;
        for (size_t k = 0; k < GroupRows.size(); ++k)
            if (GroupRows[k].row == row)
                channel = static_cast<int>(k);
        AddInstrumentItem(program, channel);
    }
}

void TPlayState::AddTimeSignatureItem(const TCell& cell, int column, int row) {
    const int num = cell.upNote;
    const int den = cell.Note;
    if (num == LastSigNum && den == LastSigDen)
        return;
    // A denominator that is no power of two up to 64 cannot time a bar: the
    // signature in force stays.
    if (TBitCount::BarLengthOf(num, den, -1) < 0)
        return;
    TimeSigNum = num;
    TimeSigDen = den;
    // The bar being counted is counted again in the new signature: a signature
    // at the head of a bar times that bar.
    const int counting = BitCount.StartColumn;
    BitCount.Clear();
    BitCount.BarLength = TBitCount::BarLengthOf(num, den, BitCount.BarLength);
    if (BitCountOn && counting >= 0)
        BitCount.Count(counting);
    TPlayItem item;
    item.Kind = pkTimeSig;
    item.Duration = den;
    item.Volume = static_cast<uint8_t>(num);
    item.Page = frmMainTQ ? frmMainTQ->CurPage : 0;
    item.Col = column;
    item.Row = row;
    item.Notes[0].Pitch = -1;
    AddPlayItem(item, true);
    LastSigNum = num;
    LastSigDen = den;
}

void TPlayState::FindPageTimeSignature(int& num, int& den) const {
    if (!frmMainTQ)
        return;
    for (int row = 0; row < frmMainTQ->Rows; ++row)
        for (int col = 0; col < frmMainTQ->Cols; ++col) {
            const TCell* c = CellAtAddress(col, row);
            if (c && c->cellType == ctTimeSig) {
                if (TBitCount::BarLengthOf(c->upNote, c->Note, -1) < 0)
                    continue;
                num = c->upNote;
                den = c->Note;
                return;
            }
        }
}

bool TPlayState::FindTimeSignatureOnPage() {
    if (!frmMainTQ)
        return false;
    for (int row = 0; row < frmMainTQ->Rows; ++row) {
        if (IsMusicRowOfBuild(row))
            return false;
        for (int col = 0; col < frmMainTQ->Cols; ++col) {
            const TCell* c = CellAtAddress(col, row);
            if (c && c->cellType == ctTimeSig) {
                AddTimeSignatureItem(*c, col, row);
                return true;
            }
        }
    }
    return false;
}

bool TPlayState::FindTimeSignatureAbove(int column, int row) {
    if (row == bandFirst_ && !BandMayHold(column, BandKind(ctTimeSig)))
        return false;
    for (int k = 1; k <= HighlightAbove; ++k) {
        const int r = row - k;
        if (r < 0 || IsMusicRowOfBuild(r))
            return false;
        const TCell* c = CellAtAddress(column, r);
        if (c && c->cellType == ctTimeSig) {
            AddTimeSignatureItem(*c, column, r);
            return true;
        }
    }
    return false;
}

namespace {

// A row's answer from the cache, asked once.
bool RememberedRowAnswer(std::vector<signed char>& cache, int row, bool (*ask)(int)) {
    if (row < 0 || row >= static_cast<int>(cache.size()))
        return ask(row);
    signed char& known = cache[static_cast<std::size_t>(row)];
    if (known < 0)
        known = ask(row) ? 1 : 0;
    return known != 0;
}

// The caches hold the rows of one page and layer; another page starts them again.
void FollowPage(int& page, int& layer, std::vector<signed char>& a, std::vector<signed char>& b) {
    const int now = frmMainTQ ? frmMainTQ->CurPage : -1;
    if (now == page && CurLayer == layer)
        return;
    page = now;
    layer = CurLayer;
    const std::size_t rows = frmMainTQ ? static_cast<std::size_t>(std::max(0, frmMainTQ->Rows)) : 0;
    a.assign(rows, -1);
    b.assign(rows, -1);
}

} // namespace

bool TPlayState::IsMusicRowOfBuild(int row) {
    FollowPage(musicRowPage_, musicRowLayer_, musicRows_, jianpuRows_);
    if (row < 0 || row >= static_cast<int>(musicRows_.size()))
        return IsMusicRow(row);
    // IsMusicRow: a Jianpu music row or a Western staff; the Jianpu answer is
    // the one ComputeHighlightMargins keeps too.
    signed char& known = musicRows_[static_cast<std::size_t>(row)];
    if (known < 0)
        known = IsJianpuRowOfBuild(row) || IsWestRow(row, 0, -1) ? 1 : 0;
    return known != 0;
}

bool TPlayState::IsJianpuRowOfBuild(int row) {
    FollowPage(musicRowPage_, musicRowLayer_, musicRows_, jianpuRows_);
    return RememberedRowAnswer(jianpuRows_, row, [](int r) { return IsJianpuMusicRow(r, -1, -1); });
}

// --- the build ---

bool TPlayState::BuildPlayList(bool showMessages) {
    if (!frmMainTQ)
        return false;
    musicRowPage_ = -1; // the score may have changed since the last build
    // The build changes no cell: each page's row groups are walked once, and
    // each row is judged Jianpu music or not once.
    TRowGroupWalkScope groupWalk;
    TJianpuRowAnswerScope jianpuRows;
    TMainScore& s = *frmMainTQ;
    auto fail = [&](bool restorePage) {
        if (showMessages)
            MessageOkById(kMsgNoStartCell, std::string(), mkWarning);
        PlayList.clear();
        StartIndex = -1;
        if (restorePage)
            ShowSavedPage(SavedPage);
        return false;
    };
    // 1. The first staff of the rule and the start row; the other notation when that fails.
    GetRowGroup(s.SelRow0, -1);
    FindFirstGroup(s.SelRow0);
    if (!FindStartRow()) {
        PlayWest = !PlayWest;
        if (!FindStartRow())
            return fail(false);
    }
    // 2.
    LastSigNum = LastSigDen = 0;
    SavedPage = s.CurPage;
    StartCellCol = s.SelCol0;
    StartCellRow = s.SelRow0;
    SelEndCol = std::max(s.SelCol0, s.SelCol1);
    SelEndRow = std::max(s.SelRow0, s.SelRow1);
    // 3.
    TimeSigNum = TimeSigDen = 4;
    FindPageTimeSignature(TimeSigNum, TimeSigDen);
    // 4. Playing reads layer 0 first.
    if (CurLayer == 1) {
        if (TMainView* v = View())
            v->btnLayerClick();
        CurLayer = 0;
    }
    // 5. Fresh build state.
    PlayList.clear();
    KeyRecs.clear();
    NextKeyIndex = 0;
    // The key of an earlier build (a Jianpu score played or exported before)
    // must not shift this one: every build starts from the score alone.
    KeyTonic = 0;
    KeyOctave = 0;
    FixedKey = 0;
    FixedKeyNote = 0;
    for (auto& v : StaffVolume)
        v.assign(static_cast<size_t>(std::max(s.Cols, 1)), 0);
    ColumnTempo.assign(static_cast<size_t>(std::max(s.Cols, 1)), 100);
    PedalFlags.assign(static_cast<size_t>(std::max(s.Cols, 1)), 0);
    PedalNotes.clear();
    if (TMainView* v = View())
        v->Highlights.clear();
    StartIndex = -1;
    HighlightAbove = HighlightBelow = 2;
    PlayTime = 0;
    SoundingNotes.clear();
    PendingNotes.clear();
    for (TTrillRec& r : Ornaments)
        r.Kind = 0;
    Triplet = TTripletUneven();
    PairFirst = 0;
    ClearTies();
    for (TJumpRecord& j : JumpRecord)
        j = TJumpRecord();
    std::fill(std::begin(ChannelProgram), std::end(ChannelProgram), 0);
    GraceDots = GraceDashes = 0;
    BorrowedTime = 0;
    BitCount.Clear();
    BitCount.BarLength = TBitCount::BarLengthOf(TimeSigNum, TimeSigDen, 1024);
    // 6. The chosen sound effect on every channel.
    AddInstrumentItem(SoundEffect, -1);
    // 7.
    Echo = EchoOn ? 1 : 0;
    // 8. The first staff row of the chosen notation.
    int row = FindStaffRowForward(0, PlayWest);
    if (row < 0)
        return fail(false);
    // 9. No group there: the other notation once.
    if (GetRowGroup(row, PlayWest ? 0 : 1) < 0) {
        if (PlayWest)
            PlayWest = false;
        row = FindStaffRowForward(0, PlayWest);
        if (row < 0 || GetRowGroup(row, -1) < 0)
            return fail(true);
    }
    // 10. (GroupRows now holds the first group.)
    // 11.
    ComputeHighlightMargins();
    FindTimeSignature();
    if (TBitCount::BarLengthOf(TimeSigNum, TimeSigDen, -1) < 0)
        TimeSigNum = TimeSigDen = 4;
    int volume = 100, tempo = 100;
    ScanHeaderSettings(volume, tempo);
    if (tempo != 0)
        PlayTempo = tempo;
    for (auto& v : StaffVolume)
        FillStaffVolume(0, std::min(volume, 127), v);
    FillTempoFrom(0, tempo);
    if (!PlayWest) {
        // The walk starts on page 0, and so do the key changes it meets: a key
        // text heading a later page must not stand for the pages before it.
        const int page = s.CurPage;
        s.CurPage = 0;
        const int first = FindJianpuRowForward(0);
        if (first < 0)
            s.CurPage = page;
        CollectJianpuKeyChanges(first >= 0 ? first : row, false);
        s.CurPage = page;
    }
    // 12.
    BuildGroupPlayLists();
    return true;
}

bool TPlayState::BuildGroupPlayLists() {
    TMainScore& s = *frmMainTQ;
    const int mode = PlayWest ? 0 : 1;
    // 1.
    PlayStaffIndex = -1;
    if (PlayRule == prCurrentStaff) {
        s.CurPage = SavedPage;
        if (GetRowGroup(StartCellRow, -1) >= 0)
            PlayStaffIndex = GetRowIndexInGroup(StartCellRow);
    }
    // 2.
    s.CurPage = 0;
    int height = 1;
    FindTimeSignatureOnPage();
    // Each page's walk starts at its first staff row of the chosen notation: a
    // lone staff answers for whatever row it is asked about, so asking from row 0
    // would walk the rows above it (a title, text) as a staff of its own.
    auto firstNotationRow = [&](int from) {
        int r = std::max(from, 0);
        while (r < s.Rows && !IsNotationRow(r))
            ++r;
        return r;
    };
    int entryRow = firstNotationRow(0);
    // 3.
    for (;;) {
        int start = GetRowGroup(entryRow, mode);
        // -1 no staff below, -2 the last row: the page is done either way. A
        // group that does not lie below the row asked for is not a new one.
        if (start < 0 || GroupRows.empty() || GroupRows.back().row < entryRow) {
            if (s.CurPage >= s.PageCount - 1)
                break;
            ++s.CurPage;
            FindTimeSignatureOnPage();
            entryRow = firstNotationRow(0);
            start = GetRowGroup(entryRow, mode);
            if (start < 0 || GroupRows.empty())
                break;
        }
        const int last = GroupRows.back().row;
        const int gap = GroupRows.size() == 1 ? 1 : 2;
        ComputeHighlightMargins();
        const size_t fg = std::min(static_cast<size_t>(std::max(FirstGroup, 0)), GroupRows.size() - 1);
        RowOverride = GroupRows[fg].row;
        EmitHighlightHeight(height);
        if (!MergeStaffItems())
            break;
        // The next group starts below this one, at a row of the chosen notation;
        // past the page the search answers none and turns the page.
        int next = last + gap;
        while (next < s.Rows && !IsNotationRow(next))
            ++next;
        entryRow = std::max(next, last + 1);
    }
    RowOverride = 0;
    FlushHeldNotes();
    SpreadPairAfterStart();
    ShowSavedPage(SavedPage);
    return true;
}

// --- the dump ---

std::string TPlayState::PlayListDumpText() const {
    std::string out;
    char line[96];
    for (const TPlayItem& item : PlayList) {
        if (item.Duration == -1 || item.Volume == 0 || item.Notes[0].Pitch == -1)
            continue;
        if (item.Kind != pkNotes)
            continue;
        std::snprintf(line, sizeof line, "p=%d i=%d j=%d\n", item.Page, item.Col, item.Row);
        out += line;
        for (int k = 0; k < kPlayNoteSlots && item.Notes[k].Pitch != -1; ++k) {
            const TPNote& n = item.Notes[k];
            std::snprintf(line, sizeof line, " c=%d v=%d o=%d ln=%d\n", static_cast<int>(n.Channel),
                          static_cast<int>(n.Pitch), static_cast<int>(n.Octave), static_cast<int>(n.Layer));
            out += line;
        }
    }
    out += "p=-1 i=-1 j=-1\n";
    return out;
}

bool TPlayState::PlayListDump(const std::string& fileName) {
    std::ofstream f(fileName, std::ios::binary | std::ios::trunc);
    if (!f)
        return false;
    DumpMode = true;
    BuildPlayList(false);
    DumpMode = false;
    f << PlayListDumpText();
    return static_cast<bool>(f);
}
