// "Transposition" of Western rows: converted to Jianpu in tonic sol-fa, the key
// texts moved by the interval, converted back in the new key, and then repaired
// from an untouched copy of the score: rests, durations, stem directions, beam
// groups, mark offsets, horizontal note offsets, row clefs and end-of-line clefs.
#include "edit/frmTQShiftStaff.h"

#include <algorithm>

#include "convert/modTQConvertJ2W.h"
#include "convert/modTQConvertW2J.h"
#include "edit/modTQWestChord.h"
#include "edit/modTQWestEntry.h"
#include "edit/modTQWestUtil.h"
#include "lang/modTQLanguage.h"
#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "render/modTQMainView.h"

namespace {

const char* const kWrittenKeys[12] = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};

TCellRow* LiveRow(int row, int layer) {
    TMainScore* s = frmMainTQ;
    if (s->CurPage < 0 || s->CurPage >= int(s->PageSets[size_t(layer)].size()))
        return nullptr;
    TPage& p = s->PageSets[size_t(layer)][size_t(s->CurPage)];
    if (row < 0 || row >= int(p.size()))
        return nullptr;
    return &p[size_t(row)];
}

void RewriteKeyText(TCell& cell, int steps) {
    const std::string text = cell.Text;
    const size_t p = text.find("1=");
    std::string name;
    if (p != std::string::npos) {
        name = text.substr(p + 2, 10);
        name.erase(0, name.find_first_not_of(' '));
    }
    const int s = TfrmShiftStaff::ReadKeyNameSemitone(name);
    cell.Text = std::string("1=") + kWrittenKeys[((steps + s + 12) % 12 + 12) % 12];
}

// A Jianpu key text in a live cell after a conversion: the one the score had
// (in the saved cell) comes back, one the conversion wrote goes. False for
// any other cell.
bool RestoreKeyText(TCell& live, const TCell& saved) {
    if (!IsJianpuKeyTextCell(live))
        return false;
    if (IsJianpuKeyTextCell(saved))
        live = saved;
    else
        ResetCell(live);
    return true;
}

} // namespace

bool TfrmShiftStaff::TransposeWestern() {
    TMainView* view = MainView();
    const int page = view->CurPage;
    // The untouched score that the repair reads.
    Holder = std::make_unique<TMainScore>();
    Holder->PageSets = view->PageSets;
    Holder->Cols = view->Cols;
    Holder->Rows = view->Rows;
    Holder->PageCount = view->PageCount;
    Holder->CurPage = view->CurPage;
    const bool fixed = view->mitFixedKeyChecked;
    view->mitFixedKeyChecked = false; // movable doh for the round trip

    if (Scope == 2)
        view->SelRow1 = view->Rows - 1;
    const int c0 = view->SelCol0, r0 = view->SelRow0, c1 = view->SelCol1, r1 = view->SelRow1;
    auto restoreSelection = [&] {
        view->SelCol0 = c0;
        view->SelRow0 = r0;
        view->SelCol1 = c1;
        view->SelRow1 = r1;
    };
    if (Scope == 0)
        W2JConverter.ConvertW2JAllPages(0, true);
    else
        W2JConverter.ConvertW2JSelected(true);
    restoreSelection();
    ShiftKeyTexts();
    if (Scope == 0)
        view->CurPage = 0;
    {
        TConvertJ2W back;
        if (Scope == 0)
            back.ConvertJ2WAllPages(0, true);
        else
            back.ConvertJ2WSelected(true);
    }
    restoreSelection();
    view->CurPage = page;
    const bool repaired = RestoreFromSnapshot();
    view->mitFixedKeyChecked = fixed;
    return repaired;
}

void TfrmShiftStaff::ShiftKeyTexts() {
    TMainScore* s = frmMainTQ;
    const int firstPage = Scope == 0 ? 0 : s->CurPage;
    const int lastPage = Scope == 0 ? int(s->PageSets[0].size()) - 1 : s->CurPage;
    const int saved = s->CurPage;
    for (int p = firstPage; p <= lastPage; ++p) {
        s->CurPage = p;
        if (Scope != 0) {
            for (int r = s->SelRow0 - 1; r >= std::max(s->SelRow0 - 3, 0); --r)
                if (TCellRow* cells = LiveRow(r, 0))
                    for (int c = 0; c < std::min<int>(s->Cols, int(cells->size())); ++c)
                        if (IsJianpuKeyTextCell((*cells)[size_t(c)])) {
                            RewriteKeyText((*cells)[size_t(c)], Steps);
                            break;
                        }
        }
        const int r0 = Scope == 0 ? 0 : std::max(s->SelRow0, 0);
        const int r1 = Scope == 0 ? s->Rows - 1 : std::min(s->SelRow1, s->Rows - 1);
        for (int r = r0; r <= r1; ++r)
            if (TCellRow* cells = LiveRow(r, 0))
                for (int c = 0; c < std::min<int>(s->Cols, int(cells->size())); ++c)
                    if (IsJianpuKeyTextCell((*cells)[size_t(c)]))
                        RewriteKeyText((*cells)[size_t(c)], Steps);
    }
    s->CurPage = saved;
}

const TCellRow* TfrmShiftStaff::SavedRow(int row, int layer) const {
    const TMainScore* h = Holder.get();
    const int page = frmMainTQ->CurPage;
    if (!h || page < 0 || page >= int(h->PageSets[size_t(layer)].size()))
        return nullptr;
    const TPage& p = h->PageSets[size_t(layer)][size_t(page)];
    if (row < 0 || row >= int(p.size()))
        return nullptr;
    return &p[size_t(row)];
}

const TCell* TfrmShiftStaff::SavedCell(int col, int row, int layer) const {
    const TCellRow* cells = SavedRow(row, layer);
    if (!cells || col < 0 || col >= int(cells->size()))
        return nullptr;
    return &(*cells)[size_t(col)];
}

bool TfrmShiftStaff::RestoreFromSnapshot() {
    TMainScore* s = frmMainTQ;
    if (!Holder)
        return false;
    const int saved = s->CurPage;
    const int firstPage = Scope == 0 ? 0 : s->CurPage;
    const int lastPage = Scope == 0 ? int(s->PageSets[0].size()) - 1 : s->CurPage;
    // The repair needs the converted pages in the shape of the saved ones and
    // every staff row back from Jianpu; otherwise the score is put back as it
    // was and the user is told that the lines could not be transposed (3680).
    bool fits = Holder->Rows == s->Rows && Holder->Cols == s->Cols;
    for (int p = firstPage; p <= lastPage && fits; ++p)
        for (int layer = 0; layer < 2 && fits; ++layer) {
            const bool live = p < int(s->PageSets[size_t(layer)].size());
            const bool held = p < int(Holder->PageSets[size_t(layer)].size());
            if (live != held)
                fits = layer == 1 && !s->HasJianpuPageAt(p);
            else if (live)
                fits = s->PageSets[size_t(layer)][size_t(p)].size() ==
                       Holder->PageSets[size_t(layer)][size_t(p)].size();
        }
    firstRowRepaired_ = Scope == 0 ? 0 : std::max(s->SelRow0 - 3, 0);
    lastRowRepaired_ = Scope == 0 ? s->Rows - 1 : std::min(s->SelRow1, s->Rows - 1);
    // Every staff row came back from Jianpu.
    for (int p = firstPage; p <= lastPage && fits; ++p) {
        const TPage& held = Holder->PageSets[0][size_t(p)];
        const TPage& now = s->PageSets[0][size_t(p)];
        for (int r = firstRowRepaired_; r <= lastRowRepaired_ && fits; ++r)
            fits = !HasClefInRow(held[size_t(r)], 0) || HasClefInRow(now[size_t(r)], 0);
    }
    if (!fits) {
        s->PageSets = Holder->PageSets;
        s->PageCount = Holder->PageCount;
        s->CurPage = saved;
        Holder.reset();
        MainView()->Highlights.clear();
        if (Language)
            Language->MessageOk(3680, "", mkWarning);
        return false;
    }
    for (int p = firstPage; p <= lastPage; ++p) {
        s->CurPage = p;
        CurLayer = 0;
        RestoreSavedCells();
        if (s->HasJianpuPageAt(p) && p < int(Holder->PageSets[1].size())) {
            CurLayer = 1;
            RestoreSavedCells();
        }
    }
    CurLayer = 0;
    s->CurPage = saved;
    Holder.reset();
    return true;
}

void TfrmShiftStaff::RestoreSavedCells() {
    TMainScore* s = frmMainTQ;
    const int layer = CurLayer;
    for (int r = firstRowRepaired_; r <= lastRowRepaired_; ++r) {
        RestoreSavedRow(r);
        TCellRow* live = LiveRow(r, layer);
        const TCellRow* savedRow = SavedRow(r, layer);
        if (!live || !savedRow)
            continue;
        const int cols = std::min({s->Cols, int(live->size()), int(savedRow->size())});
        for (int c = 0; c < cols; ++c) {
            const TCell& o = (*savedRow)[size_t(c)];
            TCell& l = (*live)[size_t(c)];
            if (RestoreKeyText(l, o))
                continue;
            l.option = (l.option & ~0x80000u) | (o.option & 0x80000u);
            l.markHAdj = o.markHAdj;
            l.markWAdj = o.markWAdj;
            l.MarkY = o.MarkY;
            l.EndYAdj = o.EndYAdj;
            if (!IsWestNoteCell(l) && IsSlurOrTupletMarkCell(l))
                l.MarkY = int(double(o.MarkY) - 1.5 * Steps);
            if (IsWestRestCell(o)) {
                l = o;
            } else if (IsWestNoteCell(o)) {
                l.option |= o.option & (0x2u | 0x4u | 0x800000u | 0x1000000u);
                for (size_t i = 0; i < std::min(l.westChordArray.size(), o.westChordArray.size()); ++i)
                    l.westChordArray[i].option = o.westChordArray[i].option;
                for (size_t i = 0; i < std::min(l.CompressNotes.size(), o.CompressNotes.size()); ++i)
                    l.CompressNotes[i].option = o.CompressNotes[i].option;
            } else if (IsClefCell(o) && IsLastNoteOfRow(c, *savedRow)) {
                const TCellRow* twin = SavedRow(r, 1);
                if (layer == 0 && s->HasJianpuPage() && twin && !IsLastNoteOfRow(c, *twin))
                    continue;
                for (int k = c; k < cols; ++k)
                    (*live)[size_t(k)] = (*savedRow)[size_t(k)];
                break;
            }
        }
    }
}

void TfrmShiftStaff::RestoreSavedRow(int row) {
    TMainScore* s = frmMainTQ;
    const int layer = CurLayer;
    TCellRow* live = LiveRow(row, layer);
    TCellRow* live0 = LiveRow(row, 0);
    const TCellRow* saved = SavedRow(row, layer);
    const TCellRow* saved0 = SavedRow(row, 0);
    if (!live || !live0 || !saved || !saved0)
        return;
    const int cols = std::min({s->Cols, int(live->size()), int(saved->size()), int(live0->size()),
                               int(saved0->size())});
    int firstClef = 0;
    bool haveFirst = false;
    TCell rememberedL0;
    int groupStart = -1, groupEnd = -1;
    for (int c = 0; c < cols; ++c) {
        const TCell& o = (*saved)[size_t(c)];
        const TCell& o0 = (*saved0)[size_t(c)];
        TCell& l = (*live)[size_t(c)];
        TCell& l0 = (*live0)[size_t(c)];
        if (RestoreKeyText(l, o))
            continue;
        if (IsClefCell(o0)) {
            if (!haveFirst) {
                haveFirst = true;
                firstClef = l0.Note;
                rememberedL0 = l0;
            }
            if (o.Note == l.Note)
                continue;
            const uint32_t liveAttr = l.Attr;
            if (IsClefCell(l0)) {
                int old = l0.Note;
                SetRowClef(c, row, o0.Note, old, true);
            } else if (o0.Note != firstClef) {
                int old = firstClef;
                SetRowClef(c, row, o0.Note, old, true);
            }
            if (layer == 0) {
                TCell& cell = (*live)[size_t(c)];
                cell = IsClefCell(o) ? o : rememberedL0;
                cell.Note = o.Note;
                cell.Attr = liveAttr;
            }
            continue;
        }
        if (IsWestRestCell(l)) {
            ResetCell(l);
            continue;
        }
        if (!IsWestNoteCell(l))
            continue;
        FixNoteOctave(o, l);
        if (o.Note >= 2 && IsStemFlipped(o) != IsStemFlipped(l))
            FlipStems(layer, c, row, false);
        TCell& note = (*live)[size_t(c)];
        note.Note = o.Note;
        if (IsCombineTailStart(note))
            groupStart = c;
        if (IsCombineTailEnd(note))
            groupEnd = c;
        note.option &= ~0x6u;
        note.xAdj = o.xAdj;
        if (groupStart >= 0 && groupEnd >= 0) {
            AlignBeamGroupStems(groupStart, groupEnd, row);
            groupStart = groupEnd = -1;
        }
    }
}

void TfrmShiftStaff::FixNoteOctave(const TCell& saved, TCell& live) const {
    auto fix = [this](float savedPos, float& livePos) {
        if (Steps > 0 && livePos > savedPos)
            livePos -= 7;
        else if (Steps < 0 && livePos < savedPos)
            livePos += 7;
    };
    fix(saved.yAdj, live.yAdj);
    for (size_t i = 0; i < std::min(saved.CompressNotes.size(), live.CompressNotes.size()); ++i) {
        float pos = float(live.CompressNotes[i].value);
        fix(float(saved.CompressNotes[i].value), pos);
        live.CompressNotes[i].value = int32_t(pos);
    }
}

void TfrmShiftStaff::AlignBeamGroupStems(int first, int last, int row) {
    TCellRow* live = LiveRow(row, CurLayer);
    if (!live || first < 0 || first >= int(live->size()))
        return;
    const bool flipped = IsStemFlipped((*live)[size_t(first)]);
    for (int c = first + 1; c <= last && c < int(live->size()); ++c) {
        const TCell& cell = (*live)[size_t(c)];
        if (IsWestNoteCell(cell, 4) && IsStemFlipped(cell) != flipped)
            FlipStems(CurLayer, c, row, false);
    }
}
