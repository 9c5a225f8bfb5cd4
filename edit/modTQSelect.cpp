// Selection members behind the menu commands: the halving step of Increase
// Underline, grace notes, font size and shrink rate of the selected cells,
// finding text and image cells, chord octaves, the side-image file list and
// the page background commands.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "edit/modTQCursorKeys.h"
#include "edit/modTQEditContext.h"
#include "edit/modTQJianpu.h"
#include "edit/modTQSelCells.h"
#include "edit/modTQWestChord.h"
#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "render/modTQMainView.h"

namespace {

constexpr int kDot = -73;
constexpr int kDash = -106;
constexpr int kBackgroundNote = 200119;

// One value step shorter for a Western value code: whole .. 1/64 notes and
// half .. 1/64 rests; false for the shortest values (1/128), which cannot.
// The half rest (21) only counts as a main note.
enum class THalve { changed, shortest, other };
THalve HalveWestCode(int32_t& code, bool smallNote) {
    if ((code >= 1 && code <= 7) || (code >= 22 && code <= 26) || (code == 21 && !smallNote)) {
        ++code;
        return THalve::changed;
    }
    if (code == 8 || code == 27)
        return THalve::shortest;
    return THalve::other;
}

bool IsBackgroundAt(int page) { return IsBackgroundImageCell(0, 0, 0, page); }

// An undo item of cell (0, 0) of a page of layer 0.
void SaveBackgroundCellUndo(int page) {
    const int layer = CurLayer;
    const bool both = Undo.BothLayers;
    CurLayer = 0;
    Undo.BothLayers = false;
    Undo.SaveBlock(0, 0, 0, 0, page);
    Undo.BothLayers = both;
    CurLayer = layer;
}

// Cell (0, 0) of a page of layer 0 made the page's background cell (an image
// cell of the background note that spans nothing), its undo item saved first;
// reset: emptied before. nullptr when the page has no such cell.
TCell* TakeBackgroundCell(int page, bool reset) {
    if (!selcells::At(0, 0, 0, page))
        return nullptr;
    SaveBackgroundCellUndo(page);
    TCell* p = selcells::At(0, 0, 0, page);
    if (reset)
        ResetCell(*p);
    p->cellType = ctImage;
    p->Note = kBackgroundNote;
    p->iEnd = -1;
    p->jEnd = -1;
    return p;
}

} // namespace

void TMainView::HalveRowValues(int row, bool westRow) {
    TCellRow* cells = selcells::Row(row);
    if (!cells)
        return;
    const int last = std::min(Cols, static_cast<int>(cells->size()));
    for (int c = 0; c < last; ++c) {
        TCell& cell = (*cells)[static_cast<size_t>(c)];
        if (westRow) {
            if (cell.cellType != ctWestern)
                continue;
            bool shortest = false;
            if (IsShrinkCell(cell)) {
                for (TCompressNote& n : cell.CompressNotes)
                    shortest |= HalveWestCode(n.code, true) == THalve::shortest;
            } else {
                shortest = HalveWestCode(cell.Note, false) == THalve::shortest;
            }
            if (shortest)
                AddHighlight(c, c, row);
            continue;
        }
        if (IsShrinkCell(cell)) {
            for (TCompressNote& n : cell.CompressNotes)
                n.value += 1;
            continue;
        }
        int dashCol = -1;
        if (cell.cellType == ctJianpu && IsJianpuNoteDigit(cell.Note) && cell.UL == 0 && !IsVerticalCell(cell) &&
            IsHeldByDash(c, row, dashCol)) {
            AddHighlight(c, dashCol, row);
            continue;
        }
        if ((IsJianpuSound(cell) && cell.Note != kDot) || cell.UL > 0)
            cell.UL += 1;
    }
}

bool TMainView::IsHeldByDash(int col, int row, int& dashCol) const {
    const TCellRow* cells = selcells::Row(row);
    if (!cells)
        return false;
    const int last = std::min(Cols, static_cast<int>(cells->size()));
    for (int c = col + 1; c < last; ++c) {
        const TCell& cell = (*cells)[static_cast<size_t>(c)];
        if (cell.Note == kDash) {
            dashCol = c;
            return true;
        }
        if (!IsEmptyCell(cell))
            return false;
    }
    return false;
}

void TMainView::ToggleGrace(int side) {
    const uint32_t style = side == 1 || side == 0xD0 ? 0xD0u : 0xC0u;
    TrimSelection();
    bool changed = false;
    TCell cursor;
    GetCursorCell(cursor);
    if (!IsWestRowAtCursor()) {
        const bool oneCell = SelCol0 == SelCol1 && SelRow0 == SelRow1;
        const bool hasSmall = !cursor.CompressNotes.empty();
        if ((oneCell && hasSmall && IsVerticalCell(cursor) && !IsGraceCell(cursor)) ||
            (!hasSmall && !IsGraceCell(cursor)))
            changed = JianpuEditor.MakeGraceGroup(style);
        else
            changed = JianpuEditor.ExpandPackedCell();
    } else {
        if ((cursor.option & 0x10000000u) != 0 && !cursor.westChordArray.empty()) {
            SplitWestChord();
            changed = true;
        } else if (!cursor.CompressNotes.empty()) {
            ExpandWestNotes();
            changed = true;
        } else {
            changed = ToggleWestGrace();
        }
    }
    if (changed)
        SetModified(true);
    RedrawPage();
}

namespace {

// Cells whose size the font-size commands leave alone.
bool KeepsFontSize(const TCell& c) {
    return IsNoteOrRestCell(c) || c.Note == kDash || (c.cellType == ctText && c.Text.empty());
}

} // namespace

void TMainView::ChangeFontSize(float step) {
    Undo.SaveUndo();
    if (AltDown || ShiftDown || CtrlDown)
        step *= 0.2f;
    selcells::ForEach(selcells::Selection(), [&](TCell& cell, int, int) {
        if (!KeepsFontSize(cell))
            cell.fontSizeR = std::clamp(cell.fontSizeR + step, 0.3f, 20.0f);
    });
    SetModified(true);
    RedrawPage();
}

void TMainView::ResetFontSize() {
    Undo.SaveUndo();
    selcells::ForEach(selcells::Selection(), [&](TCell& cell, int, int) {
        if (!KeepsFontSize(cell))
            cell.fontSizeR = 1.0f;
    });
    SetModified(true);
    RedrawPage();
}

void TMainView::ChangeShrinkRate(int value, bool relative) {
    Undo.SaveUndo();
    const TMainSettings& prefs = EditSettings();
    selcells::ForEach(selcells::Selection(), [&](TCell& cell, int, int) {
        if (cell.Note == ':' || cell.Note == ';') {
            // Bar-line spacing: 0, 1, 2 stepped up by a rise and down by a fall.
            const int mode = ((cell.dot % 3) + 3) % 3;
            cell.dot = (mode + (value >= 0 ? 1 : 2)) % 3;
            return;
        }
        const bool west = IsWestNoteOrRest(cell, 1);
        int rate;
        if (relative)
            rate = cell.shrinkRate + value;
        else if (value >= 0)
            rate = value;
        else if (west)
            rate = prefs.DefWestShrinkRate;
        else if (IsVerticalCell(cell))
            rate = prefs.DefJianpuVertRate;
        else
            rate = prefs.DefJianpuShrinkRate;
        rate = std::clamp(rate, -35, 65);
        cell.shrinkRate = rate;
        if (west && !cell.CompressNotes.empty() && IsShrinkCell(cell)) {
            if (rate >= 0)
                cell.fontSizeR = 1.0f;
            else
                cell.fontSizeR += static_cast<float>(rate) * 0.02f;
        }
    });
    SetModified(true);
    RedrawPage();
}

namespace {

// The first cell of that kind in the selection, columns outer, rows inner;
// it becomes the cursor.
const TCell* FindKindInSelection(TMainView& v, int kind) {
    const selcells::TSel sel = selcells::Selection();
    for (int c = sel.c0; c <= sel.c1; ++c)
        for (int r = sel.r0; r <= sel.r1; ++r) {
            const TCell* p = selcells::At(c, r);
            if (p && p->cellType == kind) {
                v.SelCol0 = v.SelCol1 = c;
                v.SelRow0 = v.SelRow1 = r;
                return p;
            }
        }
    return nullptr;
}

} // namespace

std::string TMainView::FindTextCellInSelection() {
    const TCell* p = FindKindInSelection(*this, ctText);
    return p ? p->Text.str() : std::string();
}

std::string TMainView::FindImageCellInSelection() {
    if (const TCell* p = FindKindInSelection(*this, ctImage))
        return p->Text.str();
    return CurrentBackgroundFile();
}

int TMainView::NextChordOctave(int previousDegree, int previousOctave, int degree) {
    return degree > previousDegree ? previousOctave : previousOctave + 1;
}

std::string TMainView::StepSideImageFile(const std::string& fileName, int direction) {
    namespace fs = std::filesystem;
    const fs::path current(fileName);
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::directory_iterator it(current.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && it->path().extension() == current.extension())
            files.push_back(it->path());
    }
    if (files.empty())
        return fileName;
    std::sort(files.begin(), files.end());
    auto at = std::find(files.begin(), files.end(), current);
    if (at == files.end())
        return direction > 0 ? files.front().string() : fileName;
    if (direction > 0)
        return (at + 1 == files.end() ? files.front() : *(at + 1)).string();
    if (at == files.begin())
        return fileName;
    return (at - 1)->string();
}

std::string TMainView::CurrentBackgroundFile() const {
    const TCell* p = selcells::At(0, 0, 0, CurPage);
    if (p && IsBackgroundAt(CurPage))
        return p->Text.str();
    return "";
}

void TMainView::SetBackgroundImage(const std::string& fileName, bool keepAspectRatio) {
    if (fileName.empty())
        return;
    TCell* p = TakeBackgroundCell(CurPage, false);
    if (!p)
        return;
    p->Text = fileName;
    p->shrinkRate = keepAspectRatio ? 0 : 1;
    SetModified(true);
    RedrawPage();
}

void TMainView::StopBackgroundImage() {
    int page = CurPage;
    while (page >= 0 && !IsBackgroundAt(page))
        --page;
    if (page < 0)
        return;
    if (!TakeBackgroundCell(CurPage, true))
        return;
    SetModified(true);
    RedrawPage();
}

void TMainView::RemoveBackgroundImage() {
    int page = CurPage;
    while (page >= 0 && !IsBackgroundAt(page))
        --page;
    if (page < 0)
        return;
    SaveBackgroundCellUndo(page);
    if (TCell* p = selcells::At(0, 0, 0, page))
        ResetCell(*p);
    SetModified(true);
    RedrawPage();
}
