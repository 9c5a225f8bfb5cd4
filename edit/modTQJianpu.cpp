#include "edit/modTQJianpu.h"

#include <algorithm>
#include <vector>

#include "edit/modTQEditContext.h"
#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"

TJianpuEditor JianpuEditor;
std::function<void(int id, const std::string& text, int col, int row)> ShowCellHintHook;

namespace {

constexpr int kDash = -106;
constexpr int kDot = -73;
constexpr uint32_t kStyleMask = 0xF0;
constexpr uint32_t kShrunk = 0xA0;
constexpr uint32_t kVertical = 0xB0;
constexpr uint32_t kGraceBit = 0x10000000;
constexpr uint32_t kSlurStartBit = 0x40000000;
constexpr uint32_t kSlurEndBit = 0x80000000;
constexpr int kSymbolOctave = 400; // octave of a small note taken from a special-symbol cell

bool IsDegree(int code) { return code >= '1' && code <= '7'; }

void SetStyle(uint32_t& attr, uint32_t style) { attr = (attr & ~kStyleMask) | style; }

TCell* CellOf(int col, int row, int layer) {
    TMainScore* s = frmMainTQ;
    if (!s || col < 0 || row < 0 || col >= s->Cols || row >= s->Rows)
        return nullptr;
    if (layer < 0 || layer > 1 || s->CurPage < 0 || s->CurPage >= int(s->PageSets[layer].size()))
        return nullptr;
    TPage& page = s->PageSets[layer][s->CurPage];
    if (row >= int(page.size()) || col >= int(page[row].size()))
        return nullptr;
    return &page[row][col];
}

TCell* CurCell(int col, int row) { return CellOf(col, row, CurLayer); }

// ---------------------------------------------------------------- accidental clean-ups

// One Jianpu note of the line: a plain note cell, or one small note of a packed cell.
struct TOcc {
    TCell* cell = nullptr;
    int note = -1; // index in CompressNotes; -1 the cell itself
    int col = 0;

    int Degree() const { return note < 0 ? cell->Note : cell->CompressNotes[note].code; }
    int Octave() const { return note < 0 ? cell->dot : cell->CompressNotes[note].octave; }
    uint32_t& AttrRef() const { return note < 0 ? cell->Attr : cell->CompressNotes[note].attr; }
    int Accid() const { return int(AttrRef() & 0xF); }
    void SetAccid(int a) const { AttrRef() = (AttrRef() & ~0xFu) | uint32_t(a & 0xF); }
    void Set(int degree, int octave, int accid) const {
        if (note < 0) {
            cell->Note = degree;
            cell->dot = octave;
        } else {
            cell->CompressNotes[note].code = degree;
            cell->CompressNotes[note].octave = octave;
        }
        SetAccid(accid);
    }
};

struct TNoteKey {
    int degree = 0;
    int octave = 0;
    int accid = 0;
};

// The line the clean-ups look at: layer 0's line row and, with the twin, layer 1's line row - 1.
class TCleanupLine {
public:
    explicit TCleanupLine(int row) : row_(row) {
        const TMainScore* s = frmMainTQ;
        cols_ = s ? s->Cols : 0;
        twin_ = s && row >= 1 && s->HasJianpuPage();
    }
    int Cols() const { return cols_; }

    bool IsBar(int col) const {
        const TCell* c = CellOf(col, row_, 0);
        return c && IsBarLineCell(*c);
    }
    // Columns of the bar holding col: after the bar line at or left of it, up to
    // the one before the next bar line.
    void BarOf(int col, int& first, int& last) const {
        first = 0;
        for (int c = col; c >= 0; --c)
            if (IsBar(c)) {
                first = c + 1;
                break;
            }
        last = cols_ - 1;
        for (int c = std::max(col, first); c < cols_; ++c)
            if (IsBar(c)) {
                last = c - 1;
                break;
            }
    }
    // The notes of one column in order: layer 0's cell, then layer 1's.
    void NotesAt(int col, std::vector<TOcc>& out) const {
        AddCell(CellOf(col, row_, 0), col, out);
        if (twin_)
            AddCell(CellOf(col, row_ - 1, 1), col, out);
    }
    std::vector<TOcc> NotesIn(int first, int last) const {
        std::vector<TOcc> out;
        for (int c = first; c <= last; ++c)
            NotesAt(c, out);
        return out;
    }

private:
    static void AddCell(TCell* cell, int col, std::vector<TOcc>& out) {
        if (!cell || cell->cellType != ctJianpu)
            return;
        if (cell->CompressNotes.empty()) {
            if (IsDegree(cell->Note))
                out.push_back({cell, -1, col});
            return;
        }
        for (int i = 0; i < int(cell->CompressNotes.size()); ++i)
            if (IsDegree(cell->CompressNotes[i].code) && cell->CompressNotes[i].octave != kSymbolOctave)
                out.push_back({cell, i, col});
    }

    int row_ = 0;
    int cols_ = 0;
    bool twin_ = false;
};

TNoteKey Respelled(const TNoteKey& c) {
    TNoteKey d = c;
    if (c.accid == 6) {
        d.degree = c.degree + 1;
        if (d.degree == '4' || d.degree == '8') {
            d.accid = 1;
            if (d.degree == '8') {
                d.degree = '1';
                d.octave = c.octave + 1;
            }
        } else {
            d.accid = 3;
        }
    } else {
        d.degree = c.degree - 1;
        if (d.degree == '3' || d.degree == '0') {
            d.accid = 2;
            if (d.degree == '0') {
                d.degree = '7';
                d.octave = c.octave - 1;
            }
        } else {
            d.accid = 3;
        }
    }
    return d;
}

// Notes of the key's degree and octave without an accidental take the one in
// force, which starts as a natural and changes at each note that carries one.
void MarkAccidentalsInForce(const std::vector<TOcc>& bar, const TNoteKey& key) {
    int inForce = 3;
    for (const TOcc& o : bar) {
        if (o.Degree() != key.degree || o.Octave() != key.octave)
            continue;
        if (o.Accid() != 0)
            inForce = o.Accid();
        else
            o.SetAccid(inForce);
    }
}

} // namespace

void TJianpuEditor::RespellDoubleAccidentals(int row) const {
    if (!frmMainTQ || row < 0 || row >= frmMainTQ->Rows)
        return;
    const TCleanupLine line(row);
    for (int col = 0; col < line.Cols(); ++col) {
        std::vector<TOcc> here;
        line.NotesAt(col, here);
        for (const TOcc& o : here) {
            const int a = o.Accid();
            if (a != 5 && a != 6)
                continue;
            const TNoteKey c{o.Degree(), o.Octave(), a};
            const TNoteKey d = Respelled(c);
            int first = 0, last = 0;
            line.BarOf(col, first, last);
            const std::vector<TOcc> bar = line.NotesIn(first, last);
            MarkAccidentalsInForce(bar, c);
            MarkAccidentalsInForce(bar, d);
            for (const TOcc& x : bar)
                if (x.Degree() == c.degree && x.Octave() == c.octave && x.Accid() == c.accid)
                    x.Set(d.degree, d.octave, d.accid);
        }
    }
}

void TJianpuEditor::RemoveRedundantAccidentals(int row) const {
    if (!frmMainTQ || row < 0 || row >= frmMainTQ->Rows)
        return;
    const TCleanupLine line(row);
    // Bars from column 0: each ends before its closing bar line; the next starts after it.
    std::vector<std::pair<int, int>> bars;
    for (int first = 0; first < line.Cols();) {
        int last = first;
        while (last < line.Cols() && !line.IsBar(last))
            ++last;
        if (last > first)
            bars.emplace_back(first, last - 1);
        first = last + 1;
    }

    // 1. Naturals that cancel nothing.
    for (const auto& [first, last] : bars) {
        for (int col = first; col <= last; ++col) {
            std::vector<TOcc> here;
            line.NotesAt(col, here);
            for (const TOcc& o : here) {
                if (o.Accid() != 3)
                    continue;
                if (o.note < 0 && col == 0)
                    continue;
                bool cancels = false;
                for (int i = 0; o.note >= 0 && i < o.note && !cancels; ++i) {
                    const TCompressNote& n = o.cell->CompressNotes[i];
                    cancels = n.code == o.Degree() && (n.attr & 0xF) != 0;
                }
                for (int c = col - 1; c >= first && !cancels; --c) {
                    std::vector<TOcc> before;
                    line.NotesAt(c, before);
                    for (const TOcc& b : before)
                        if (b.Degree() == o.Degree() && b.Accid() != 0)
                            cancels = true;
                }
                if (!cancels)
                    o.SetAccid(0);
            }
        }
    }

    // 2. An accidental repeated on the same note within the bar.
    for (const auto& [first, last] : bars) {
        const std::vector<TOcc> bar = line.NotesIn(first, last);
        for (std::size_t i = 0; i < bar.size(); ++i) {
            const int a = bar[i].Accid();
            if (a == 0)
                continue;
            for (std::size_t j = i + 1; j < bar.size(); ++j) {
                if (bar[j].Degree() != bar[i].Degree() || bar[j].Octave() != bar[i].Octave())
                    continue;
                if (bar[j].Accid() != a)
                    break;
                bar[j].SetAccid(0);
            }
        }
    }
}

// ---------------------------------------------------------------- packing

namespace {

bool IsPlaceholder(int code) { return code == ' ' || code == '*' || code == kDash; }

// A note that sounds in a chord: a Jianpu note character other than the placeholders.
bool IsChordSound(int code) { return IsJianpuNoteChar(code) && !IsPlaceholder(code); }

bool IsPackedCell(const TCell& c) {
    const uint32_t style = c.Attr & kStyleMask;
    return style == kVertical || style == kShrunk;
}

// A blank Jianpu cell: nothing in it that a packing would lose.
bool IsBlank(const TCell& c) { return IsEmptyCell(c); }

void MoveCursorPastBlanks(TMainScore& s) {
    while (s.SelCol0 < s.SelCol1) {
        const TCell* c = CurCell(s.SelCol0, s.SelRow0);
        if (!c || !IsBlank(*c))
            break;
        ++s.SelCol0;
    }
}

} // namespace

bool TJianpuEditor::MakeVerticalNotes() const {
    TMainScore* s = frmMainTQ;
    if (!s)
        return false;
    if (s->SelCol1 < s->SelCol0) {
        s->SelCol1 = s->SelCol0;
        return false;
    }
    MoveCursorPastBlanks(*s);
    TCell* target = CurCell(s->SelCol0, s->SelRow0);
    if (!target || IsPackedCell(*target))
        return false;
    s->SelRow1 = s->SelRow0;
    Undo.SaveUndo();
    target->shrinkRate = EditSettings().DefJianpuVertRate;

    const int row = s->SelRow0;
    const int last = std::min(s->SelCol1, s->Cols - 1);
    std::vector<TCompressNote> notes;
    bool havePrevious = false;
    int prevDegree = 0, prevOctave = 0;
    for (int col = s->SelCol0; col <= last; ++col) {
        TCell* cell = CurCell(col, row);
        if (!cell)
            break;
        const TCell* next = col < last ? CurCell(col + 1, row) : nullptr;
        const bool skip = cell->Note == ' ' && next && IsLowNibbleSet(next->Attr);
        if (!skip) {
            TCompressNote n;
            n.code = cell->Note;
            n.value = cell->UL;
            n.attr = cell->Attr & ~kStyleMask;
            n.option = cell->option;
            n.octave = cell->dot;
            if (!notes.empty() && havePrevious && !IsPlaceholder(cell->Note)) {
                const int stacking = cell->Note > prevDegree ? prevOctave : prevOctave + 1;
                n.octave = std::max(stacking, cell->dot);
            }
            if (IsChordSound(cell->Note)) {
                havePrevious = true;
                prevDegree = cell->Note;
                prevOctave = n.octave;
            }
            notes.push_back(n);
        }
        if (col != s->SelCol0)
            ResetCell(*cell, false);
    }
    target->CompressNotes = std::move(notes);
    SetStyle(target->Attr, kVertical);
    return true;
}

bool TJianpuEditor::ShrinkSelectedNotes() const {
    TMainScore* s = frmMainTQ;
    if (!s || s->SelCol1 <= s->SelCol0)
        return false;
    MoveCursorPastBlanks(*s);
    TCell* target = CurCell(s->SelCol0, s->SelRow0);
    if (!target || IsPackedCell(*target))
        return false;
    s->SelRow1 = s->SelRow0;
    Undo.SaveUndo();
    const int row = s->SelRow0;
    int rate = EditSettings().DefJianpuShrinkRate;
    if (target->cellType == ctSymbol && row < s->Rows - 1) {
        const TCell* below = CurCell(s->SelCol0, row + 1);
        if (below && IsShrinkCell(*below))
            rate = below->shrinkRate + (IsWestNoteOrRest(*below, 1) ? 25 : 0);
    }
    target->shrinkRate = rate;

    const int last = std::min(s->SelCol1, s->Cols - 1);
    std::vector<TCompressNote> notes;
    int slurEnd = -1;
    for (int col = s->SelCol0; col <= last; ++col) {
        TCell* cell = CurCell(col, row);
        if (!cell)
            break;
        const bool symbol = cell->cellType == ctSymbol;
        const bool blank = cell->cellType == ctJianpu && cell->Note == ' ';
        if (!symbol && !blank && !IsJianpuSound(*cell))
            break;
        TCompressNote n;
        n.code = cell->Note;
        if (symbol) {
            n.attr = uint32_t(cell->FontColor);
            n.option = uint32_t(cell->upNote);
            n.octave = kSymbolOctave;
        } else {
            n.value = cell->UL;
            n.octave = cell->Note == kDot ? 0 : cell->dot;
            n.attr = cell->Attr;
            n.option = cell->option;
        }
        n.option &= ~(kSlurStartBit | kSlurEndBit);
        if (IsSlurOrTupletMarkCell(*cell)) {
            n.option |= kSlurStartBit;
            slurEnd = cell->iEnd;
        } else if (slurEnd >= 0 && col == slurEnd) {
            n.option |= kSlurEndBit;
            slurEnd = -1;
        }
        notes.push_back(n);
        if (col != s->SelCol0)
            ResetCell(*cell, false);
    }
    target->CompressNotes = std::move(notes);
    if (target->CompressNotes.empty())
        return false;
    SetStyle(target->Attr, kShrunk);
    target->dot = 0;
    target->UL = 0;
    target->option = 0;
    return true;
}

bool TJianpuEditor::MakeGraceGroup(uint32_t style) const {
    TMainScore* s = frmMainTQ;
    if (!s)
        return false;
    TCell* cursor = CurCell(s->SelCol0, s->SelRow0);
    if (!cursor)
        return false;
    if (!cursor->CompressNotes.empty()) {
        Undo.SaveUndo();
        cursor->option |= kGraceBit;
        cursor->fontSizeR = 0.8f;
        cursor->yAdj = -7.0f;
        return true;
    }
    const int row = s->SelRow0;
    const int last = std::min(std::max(s->SelCol0, s->SelCol1), s->Cols - 1);
    std::vector<TCompressNote> notes;
    for (int col = s->SelCol0; col <= last; ++col) {
        const TCell* cell = CurCell(col, row);
        if (!cell || IsBlank(*cell))
            continue;
        TCompressNote n;
        n.code = cell->Note;
        n.value = cell->UL;
        n.octave = cell->dot;
        n.option = cell->option;
        n.attr = cell->Attr;
        notes.push_back(n);
    }
    if (notes.empty())
        return false;
    Undo.SaveUndo();
    for (int col = s->SelCol0 + 1; col <= last; ++col)
        if (TCell* cell = CurCell(col, row))
            ResetCell(*cell, true);
    cursor->CompressNotes = std::move(notes);
    SetStyle(cursor->Attr, style & kStyleMask);
    return true;
}

bool TJianpuEditor::ExpandPackedCell() const {
    TMainScore* s = frmMainTQ;
    if (!s)
        return false;
    const int col0 = s->SelCol0;
    const int row = s->SelRow0;
    TCell* cursor = CurCell(col0, row);
    if (!cursor || cursor->CompressNotes.empty())
        return false;
    const int n = int(cursor->CompressNotes.size());

    // A run of n cells holding the cursor, every other one blank, inside the line.
    auto freeRun = [&](int start) {
        if (start < 0 || start > col0 || start + n - 1 < col0 || start + n - 1 >= s->Cols)
            return false;
        for (int c = start; c < start + n; ++c) {
            const TCell* cell = CurCell(c, row);
            if (!cell || (c != col0 && !IsBlank(*cell)))
                return false;
        }
        return true;
    };
    int start = n == 1 ? col0 : FindSpanStartCol(n);
    if (!freeRun(start))
        start = start >= 0 && freeRun(start + 1) ? start + 1 : -1;
    if (start < 0)
        return false;

    SaveLayerBlock(0, row, s->Cols - 1, row);
    TCell packed = *cursor;
    if (IsGraceCell(packed)) {
        packed.yAdj = 0.0f;
        SetStyle(packed.Attr, 0);
        packed.option &= ~kGraceBit;
        packed.fontSizeR = 1.0f;
    }
    const bool wasVertical = (cursor->Attr & kStyleMask) == kVertical;
    const bool packedSymbol = packed.cellType == ctSymbol;
    bool slurs = false;
    for (const TCompressNote& note : packed.CompressNotes)
        slurs = slurs || (note.option & kSlurStartBit) != 0;

    std::vector<TCell> laid(static_cast<std::size_t>(n));
    laid[0] = packed;
    laid[0].CompressNotes.clear();
    laid[0].shrinkRate = 0;
    if (slurs) {
        laid[0].markType = 0;
        laid[0].iEnd = -1;
        laid[0].jEnd = -1;
    }
    int slurStart = -1;
    for (int i = 0; i < n; ++i) {
        TCompressNote note = packed.CompressNotes[static_cast<std::size_t>(i)];
        TCell& t = laid[static_cast<std::size_t>(i)];
        if (packedSymbol || note.octave == kSymbolOctave) {
            t.Note = note.code;
            t.FontColor = int32_t(note.attr);
            t.upNote = int32_t(note.option & ~(kSlurStartBit | kSlurEndBit));
            t.cellType = ctSymbol;
            t.Attr = packed.Attr;
            if ((t.Attr & kStyleMask) == kShrunk)
                SetStyle(t.Attr, 0);
            t.dot = 0;
        } else {
            t.Note = note.code;
            t.Attr = note.attr;
            t.dot = note.octave;
            t.cellType = ctJianpu;
            t.FontColor = packed.FontColor;
            t.UL = wasVertical ? packed.UL : note.value;
            t.option = note.option & ~(kGraceBit | kSlurStartBit | kSlurEndBit);
            t.upNote = 32;
        }
        if (note.option & kSlurStartBit) {
            slurStart = i;
        } else if ((note.option & kSlurEndBit) && slurStart >= 0) {
            TCell& first = laid[static_cast<std::size_t>(slurStart)];
            first.markType = packed.markType != 0 ? packed.markType : 1;
            first.iEnd = start + i;
            slurStart = -1;
        }
        t.FontCharset = packed.FontCharset;
        t.FontStyle = 1;
        t.fontSizeR = 1.0f;
        t.CompressNotes.clear();
    }
    for (int i = 0; i < n; ++i)
        *CurCell(start + i, row) = laid[static_cast<std::size_t>(i)];
    return true;
}

void TJianpuEditor::AddThirdToChord() const {
    TMainScore* s = frmMainTQ;
    if (!s)
        return;
    TCell* cell = CurCell(s->SelCol0, s->SelRow0);
    if (!cell || !IsJianpuSound(*cell))
        return;
    const int top = cell->CompressNotes.empty() ? cell->Note : cell->CompressNotes.back().code;
    if (!IsDegree(top))
        return;
    SaveLayerBlock(s->SelCol0, s->SelRow0, s->SelCol0, s->SelRow0);
    if (cell->CompressNotes.empty()) {
        TCompressNote own;
        CellToCompressNote(*cell, own);
        own.attr &= ~kStyleMask;
        cell->CompressNotes.push_back(own);
        SetStyle(cell->Attr, kVertical);
    }
    const TCompressNote& last = cell->CompressNotes.back();
    TCompressNote third;
    third.code = last.code + 2;
    third.octave = last.octave;
    if (third.code > '7') {
        third.code -= 7;
        ++third.octave;
    }
    cell->CompressNotes.push_back(third);
    if (ShowCellHintHook)
        ShowCellHintHook(3128, std::string(1, char(third.code)), s->SelCol0, s->SelRow0);
    s->SetModified(true);
}

void TJianpuEditor::DropLastCompressNote(TCell& cell) const {
    if (!IsJianpuSound(cell) || cell.CompressNotes.empty())
        return;
    cell.CompressNotes.pop_back();
    if (cell.CompressNotes.size() == 1) {
        cell.Note = cell.CompressNotes.front().code;
        cell.Attr = cell.CompressNotes.front().attr;
        cell.CompressNotes.clear();
    }
}

bool TJianpuEditor::ApplyFlatFont() const {
    TMainScore* s = frmMainTQ;
    if (!s)
        return false;
    if (s->SelCol1 < s->SelCol0) {
        s->SelCol1 = s->SelCol0;
        return false;
    }
    s->SelRow1 = s->SelRow0;
    Undo.SaveUndo();
    const int last = std::min(s->SelCol1, s->Cols - 1);
    for (int col = s->SelCol0; col <= last; ++col) {
        TCell* cell = CurCell(col, s->SelRow0);
        if (!cell || cell->cellType != ctJianpu)
            continue;
        if (cell->CompressNotes.size() == 1) {
            cell->Attr = cell->CompressNotes.front().attr;
            cell->CompressNotes.clear();
            cell->option &= ~(0x10u | 0x20u | 0x80u);
        } else if (cell->CompressNotes.empty() && (IsJianpuNoteChar(cell->Note) || cell->Note == kDash)) {
            TCompressNote n;
            n.code = cell->Note;
            n.attr = cell->Attr;
            n.octave = (cell->Note == '*' || cell->Note == kDash) ? 0 : cell->dot;
            n.option = cell->option;
            n.value = cell->UL;
            cell->CompressNotes.push_back(n);
            SetStyle(cell->Attr, kVertical);
        }
    }
    return true;
}
