// "Change Tone": Jianpu rows rewritten into a new key that sounds the same.
//
// The key text above the music moves by the chosen interval and every degree
// moves the other way. Accidentals carried through a bar are first written into
// the notes they apply to (pass 1), the degrees are moved, and the accidentals
// that the bar makes redundant are taken out again (pass 0).
#include "edit/frmTQShiftStaff.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kNatural = 3;
constexpr int kSharp = 1;
constexpr int kFlat = 2;

int AccidOf(uint32_t attr) { return attr == kNoAttr ? 0 : int(attr & 0xFu); }

void SetAccid(uint32_t& attr, int a) {
    if (attr == kNoAttr)
        attr = 0;
    attr = (attr & ~0xFu) | uint32_t(a);
}

TCell* PageCell(int page, int layer, int row, int col) {
    TMainScore* s = frmMainTQ;
    if (page < 0 || page >= int(s->PageSets[size_t(layer)].size()))
        return nullptr;
    TPage& p = s->PageSets[size_t(layer)][size_t(page)];
    if (row < 0 || row >= std::min<int>(s->Rows, int(p.size())))
        return nullptr;
    TCellRow& cells = p[size_t(row)];
    if (col < 0 || col >= std::min<int>(s->Cols, int(cells.size())))
        return nullptr;
    return &cells[size_t(col)];
}

bool IsKeyPlace(const TCell& c) { return IsEmptyCell(c) || IsJianpuKeyTextCell(c); }

// The key name a Jianpu key text ends in ("D", "bE"; a Western "Eb" reads as
// "bE"), as the current key is read; empty when the text is too short.
std::string KeyNameOfText(std::string t) {
    const size_t b = t.find_first_not_of(' ');
    const size_t e = t.find_last_not_of(' ');
    t = b == std::string::npos ? std::string() : t.substr(b, e - b + 1);
    if (t.size() < 2)
        return {};
    const char prev = t[t.size() - 2];
    std::string name = (prev == 'b' || prev == '#') ? t.substr(t.size() - 2) : t.substr(t.size() - 1);
    if (name.size() == 1 && t.size() >= 3 && (name == "b" || name == "#"))
        name = name + t.substr(t.size() - 2, 1);
    return name;
}

} // namespace

bool TfrmShiftStaff::ChangeToneJianpu() {
    Steps = -Steps;
    ShiftInnerKeyTexts();
    if (!WriteKeyTexts())
        return false;
    NormaliseAccidentals(1);
    ShiftJianpuDegrees();
    NormaliseAccidentals(0);
    return true;
}

void TfrmShiftStaff::ShiftInnerKeyTexts() {
    TMainScore* s = frmMainTQ;
    const int firstPage = s->CurPage;
    const int lastPage = Scope == 0 ? int(s->PageSets[0].size()) - 1 : s->CurPage;
    bool firstRow = true;
    for (int p = firstPage; p <= lastPage; ++p) {
        const int r0 = p == firstPage ? std::max(s->SelRow0, 0) : 0;
        const int r1 = Scope == 1 ? std::min(s->SelRow1, s->Rows - 1) : s->Rows - 1;
        for (int r = std::max(r0, 1); r <= r1; ++r) {
            if (!IsJianpuMusicRow(r, p, 0))
                continue;
            int from = 0, startEnd = -1;
            if (firstRow) {
                // Over the first row of the range, the key texts of its first
                // measure give its starting key, which WriteKeyTexts writes
                // anew at the range's start: they go. Left of the range they stay.
                from = std::max(s->SelCol0, 0);
                startEnd = StartKeyLastCol(p, r, from);
                firstRow = false;
            }
            for (int c = from; c < s->Cols; ++c) {
                TCell* key = PageCell(p, 0, r - 1, c);
                if (!key || !IsJianpuKeyTextCell(*key) || AttrHasNibble(key->Attr, 0x90) ||
                    key->Text.str().find("Fixed") != std::string::npos)
                    continue;
                if (c <= startEnd) {
                    if (c != s->SelCol0)
                        ResetCell(*key);
                    continue;
                }
                const int semitone = JianpuKeySemitone(KeyNameOfText(key->Text));
                if (semitone >= 0)
                    key->Text = "1 = " + std::string(LabelName(semitone - Steps));
            }
        }
    }
}

bool TfrmShiftStaff::WriteKeyTextAt(int page, int row, int col, const std::string& name) {
    TMainScore* s = frmMainTQ;
    TCell* target = PageCell(page, 0, row, col);
    if (!target)
        return false;
    // Never over a title or a lyric: the first free cell to the right instead.
    for (int c = col; !IsKeyPlace(*target); ++c) {
        target = PageCell(page, 0, row, c + 1);
        if (!target || c + 1 >= s->Cols)
            return false;
    }
    ResetCell(*target);
    target->cellType = ctText;
    target->fontSizeR = 1.4f;
    target->FontName = "EN";
    target->Text = "1 = " + name;
    return true;
}

bool TfrmShiftStaff::WriteKeyTexts() {
    TMainScore* s = frmMainTQ;
    const int page = s->CurPage;
    int start = s->SelRow0;
    if (Scope == 0) {
        start = -1;
        for (int r = 0; r < s->Rows && start < 0; ++r)
            if (IsJianpuMusicRow(r, page, 0))
                start = r;
        if (start <= 0)
            return false;
    }
    if (Scope == 2)
        s->SelRow1 = s->Rows - 1;
    const int col = s->SelCol0;
    for (int r : {start - 1, start - 2})
        if (TCell* c = PageCell(page, 0, r, col); c && IsJianpuKeyTextCell(*c))
            ResetCell(*c);
    int keyRow = start - 1;
    const TCell* above = PageCell(page, 0, start - 1, col);
    const TCell* twoAbove = PageCell(page, 0, start - 2, col);
    if (above && !IsEmptyCell(*above) && start - 1 > 0 && twoAbove && IsEmptyCell(*twoAbove))
        keyRow = start - 2;
    const int oldKey = JianpuKeySemitone(KeyName);
    const std::string newKey = oldKey >= 0 ? LabelName(oldKey - Steps) : KeyName;
    if (!WriteKeyTextAt(page, keyRow, col, newKey))
        return false;
    // The old key stands again after the range.
    const bool nextPageHasMusic =
        page + 1 < int(s->PageSets[0].size()) && !IsPageEmpty(page + 1, 0);
    if (Scope == 1) {
        int next = -1;
        for (int r = s->SelRow1 + 1; r < s->Rows && next < 0; ++r)
            if (IsJianpuMusicRow(r, page, 0))
                next = r;
        if (next > 0)
            WriteKeyTextAt(page, next - 1, 0, KeyName);
        else if (nextPageHasMusic)
            WriteKeyTextAt(page + 1, 0, 0, KeyName);
    } else if (Scope == 2 && nextPageHasMusic) {
        WriteKeyTextAt(page + 1, 0, 0, KeyName);
    }
    return true;
}

void TfrmShiftStaff::VisitCells(const std::function<void(TCell&)>& visit, bool barsReset) {
    TMainScore* s = frmMainTQ;
    const int firstPage = s->CurPage;
    const int lastPage = Scope == 0 ? int(s->PageSets[0].size()) - 1 : s->CurPage;
    bool firstRow = true;
    for (int p = firstPage; p <= lastPage; ++p) {
        const bool twin = s->HasJianpuPageAt(p);
        const int r0 = std::max(s->SelRow0, 0);
        const int r1 = std::min(s->SelRow1, s->Rows - 1);
        for (int r = r0; r <= r1; ++r) {
            if (!IsJianpuMusicRow(r, p, 0))
                continue;
            BarAccidental.fill(kNatural);
            BarOctave.fill(0);
            const int c0 = std::max(s->SelCol0, 0);
            const int c1 = std::min(s->SelCol1, s->Cols - 1);
            for (int c = c0; c <= c1; ++c) {
                if (TCell* cell = PageCell(p, 0, r, c)) {
                    if (IsBarLineCell(*cell)) {
                        if (barsReset) {
                            BarAccidental.fill(kNatural);
                            BarOctave.fill(0);
                        }
                    } else {
                        visit(*cell);
                    }
                }
                if (twin)
                    if (TCell* cell = PageCell(p, 1, r - 1, c))
                        visit(*cell);
            }
            // After the first row the rest of the range is taken whole.
            if (firstRow && (Scope == 0 || Scope == 2)) {
                s->SelCol0 = 0;
                s->SelRow0 = 0;
                s->SelCol1 = s->Cols - 1;
            }
            firstRow = false;
        }
    }
    CurLayer = 0;
}

void TfrmShiftStaff::TreatNote(int32_t note, int32_t octave, uint32_t& attr, int pass) {
    if (!IsJianpuNoteDigit(note))
        return;
    const int d = note - '0';
    const int a = AccidOf(attr);
    if (pass == 1) {
        if (a != 0 && a != kNatural) {
            BarAccidental[size_t(d)] = a;
            BarOctave[size_t(d)] = octave;
        } else if (a == kNatural) {
            BarAccidental[size_t(d)] = kNatural;
        } else if (BarAccidental[size_t(d)] != kNatural && BarOctave[size_t(d)] == octave) {
            SetAccid(attr, BarAccidental[size_t(d)]);
        } else {
            SetAccid(attr, kNatural);
        }
        return;
    }
    if (a == kNatural) {
        if (BarAccidental[size_t(d)] == kNatural) {
            SetAccid(attr, 0);
        } else {
            BarAccidental[size_t(d)] = kNatural;
            BarOctave[size_t(d)] = octave;
        }
    } else if (a != 0) {
        if (a == BarAccidental[size_t(d)] && BarOctave[size_t(d)] == octave) {
            SetAccid(attr, 0);
        } else {
            BarAccidental[size_t(d)] = a;
            BarOctave[size_t(d)] = octave;
        }
    }
}

void TfrmShiftStaff::NormaliseAccidentals(int pass) {
    TMainScore* s = frmMainTQ;
    const int page = s->CurPage, col = s->SelCol0, row = s->SelRow0;
    VisitCells(
        [&](TCell& cell) {
            if (!cell.CompressNotes.empty()) {
                for (TCompressNote& item : cell.CompressNotes)
                    TreatNote(item.code, item.octave, item.attr, pass);
                return;
            }
            TreatNote(cell.Note, cell.dot, cell.Attr, pass);
        },
        true);
    s->CurPage = page;
    s->SelCol0 = col;
    s->SelRow0 = row;
    CurLayer = 0;
}

void TfrmShiftStaff::ShiftJianpuDegrees() {
    TMainScore* s = frmMainTQ;
    if (Scope == 0) {
        s->SelCol0 = 0;
        s->SelRow0 = 0;
        s->SelCol1 = s->Cols - 1;
        s->SelRow1 = s->Rows - 1;
    } else if (Scope == 2) {
        s->SelRow1 = s->Rows - 1;
    }
    const int page = s->CurPage;
    VisitCells(
        [&](TCell& cell) {
            if (!cell.CompressNotes.empty()) {
                for (TCompressNote& item : cell.CompressNotes)
                    ShiftJianpuNote(item.code, item.octave, item.attr);
                return;
            }
            ShiftJianpuNote(cell);
        },
        false);
    s->CurPage = page;
    CurLayer = 0;
}

void TfrmShiftStaff::ShiftJianpuNote(TCell& cell) { ShiftJianpuNote(cell.Note, cell.dot, cell.Attr); }

void TfrmShiftStaff::ShiftJianpuNote(int32_t& note, int32_t& octave, uint32_t& attr) const {
    if (!IsJianpuNoteDigit(note))
        return;
    int d = note - '0';
    int a = AccidOf(attr);
    for (int i = 0; i < std::abs(Steps); ++i) {
        if (Steps > 0) {
            if (a == kFlat) {
                a = 0;
            } else if (a == kSharp) {
                const int was = d;
                ++d;
                if (was != 3 && was != 7)
                    a = 0;
            } else if (d == 3 || d == 7) {
                ++d;
                a = 0;
            } else {
                a = kSharp;
            }
            if (d > 7) {
                d -= 7;
                ++octave;
            }
        } else {
            if (a == kSharp) {
                a = 0;
            } else if (a == kFlat) {
                const int was = d;
                --d;
                if (was != 4 && was != 1)
                    a = 0;
            } else if (d == 4 || d == 1) {
                --d;
                a = 0;
            } else {
                a = kFlat;
            }
            if (d < 1) {
                d = 7;
                --octave;
            }
        }
    }
    SetAccid(attr, a == 0 ? kNatural : a);
    note = '0' + d;
}
