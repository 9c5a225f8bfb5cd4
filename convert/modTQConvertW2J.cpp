#include "convert/modTQConvertW2J.h"

#include <algorithm>

#include "edit/modTQJianpu.h"
#include "edit/modTQWestUtil.h"
#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "render/modTQMainView.h"
#include "render/modTQViewQuery.h"

TConvertW2J W2JConverter;

namespace {

constexpr int kBraceMark = 54191118;
constexpr int kGroupBracketMark = 71;
constexpr uint32_t kCommentStaff = 32;

TCell* CellOf(TCellRow& cells, int col) {
    if (col < 0 || col >= static_cast<int>(cells.size()))
        return nullptr;
    return &cells[static_cast<std::size_t>(col)];
}

bool InGrandStaffPair(int row) {
    int partner = -1;
    return GetGrandStaffPartner(row, partner);
}

void MakeKeyText(TCell& cell, const std::string& label, int key) {
    ResetCell(cell, false);
    cell.cellType = ctText;
    cell.Text = "1=" + label;
    cell.FontStyle = 1;
    cell.Note = key;
}

} // namespace

// ---------------------------------------------------------------- page driver

void TConvertW2J::ConvertW2JPage(int mode) {
    TMainView* view = MainView();
    GroupStartRow = -1;
    GroupLastRow = -1;
    int clefCol = 0;
    int endCol = -1;
    const bool twin = view->HasJianpuPage();
    const int lastRow = std::min(view->SelRow1, view->Rows - 1);

    for (int r = std::max(view->SelRow0, 0); r <= lastRow; ++r) {
        DoPos = -1;
        CurLayer = 0;
        TCellRow* row0 = CvtGridRow(0, r);
        if (!row0)
            continue;
        int cc = -1;
        GetFirstClefInRow(*row0, cc, 0);
        if (cc >= 0) {
            clefCol = cc;
            const TCell clef = (*row0)[static_cast<std::size_t>(cc)];
            if (GroupLastRow < r) {
                endCol = clef.iEnd;
                GroupStartRow = r;
                if (GetRowGroup(r, -1) >= 0 && !GroupRows.empty())
                    GroupLastRow = GroupRows.back().row;
            }
            int partner = -1;
            const bool paired = GetGrandStaffPartner(r, partner);
            if (mode == 1 && paired && partner > r) {
                r = partner;
                continue;
            }
            if (mode == 2 && !paired)
                continue;
            if (GroupStartRow == r && !Quiet)
                MakeRoomForLongNotes(r, std::max(r, GroupLastRow));

            MarkNearAccidentals(r);
            ClefCell = clef;
            CompleteWestAccidentals(r, 0);
            SourceRow = *row0;
            UnconvertedRow = *row0;
            ConvertW2JRow(*row0, r);
            if (TCell* end = CellOf(*row0, endCol)) {
                if (end->cellType == ctWestern)
                    end->cellType = ctJianpu;
                if (IsEmptyCell(*end))
                    end->Note = kRowEndCode;
            }

            if (twin && r >= 1) {
                TCellRow* row1 = CvtGridRow(1, r);
                TCellRow* above1 = CvtGridRow(1, r - 1);
                if (row1 && above1) {
                    CurLayer = 1;
                    UnconvertedRow = *row1;
                    MarkNearAccidentals(r);
                    ConvertW2JRow(*row1, r);
                    *above1 = *row1;
                    for (std::size_t c = 0; c < above1->size() && c < row0->size(); ++c) {
                        TCell& j = (*above1)[c];
                        const TCell& w = (*row0)[c];
                        if (j.Note == w.Note && j.dot == w.dot) {
                            ClearAttrNibble(j.Attr, 1);
                            if ((w.Attr & 0xFu) != 0)
                                SetAttrNibble(j.Attr, w.Attr & 0xFu);
                        }
                    }
                    for (TCell& cell : *row1)
                        ResetCell(cell, false);
                    CurLayer = 0;
                }
            }
        }
        JianpuEditor.RespellDoubleAccidentals(r);
        JianpuEditor.RemoveRedundantAccidentals(r);
        FillGroupEndPlaceholders(r, clefCol, endCol);
        if (cc >= 0 && !Quiet && GroupRows.size() > 1 && GroupRows.back().row == r)
            FillSilentMeasures();
    }

    if (mode == 0)
        FinishConvertedPage(clefCol);
    CurLayer = 0;
    if (twin) {
        for (int r = std::max(view->SelRow0, 1); r <= lastRow; ++r)
            if (IsJianpuMusicRow(r, -1, -1))
                if (TCellRow* above1 = CvtGridRow(1, r - 1))
                    ShiftDashesRight(*above1);
    }
}

void TConvertW2J::MakeRoomForLongNotes(int firstRow, int lastRow) {
    TMainView* view = MainView();
    const int cols = view->Cols;
    const bool twin = view->HasJianpuPage();
    std::vector<TCellRow*> rows;   // every row of the system, both layers
    std::vector<TCellRow*> staves; // the Western staves among them
    // The nearer half of the text rows over and under the system (dynamics,
    // lyrics) move with it, as when a note is moved aside.
    int above = 0, below = 0;
    while (above < 4 && firstRow - above - 1 >= 0 && !IsMusicRow(firstRow - above - 1))
        ++above;
    while (below < 4 && lastRow + below + 1 < view->Rows && !IsMusicRow(lastRow + below + 1))
        ++below;
    const int top = firstRow - (firstRow <= 2 ? std::min(firstRow, above) : above / 2);
    const int bottom = lastRow + (lastRow >= view->Rows - 2 ? std::min(2, below) : below / 2);
    for (int r = top; r < firstRow; ++r)
        for (int layer = 0; layer < (twin ? 2 : 1); ++layer)
            if (TCellRow* cells = CvtGridRow(layer, r))
                rows.push_back(cells);
    for (int r = lastRow + 1; r <= bottom; ++r)
        for (int layer = 0; layer < (twin ? 2 : 1); ++layer)
            if (TCellRow* cells = CvtGridRow(layer, r))
                rows.push_back(cells);
    for (int r = firstRow; r <= lastRow; ++r)
        for (int layer = 0; layer < (twin ? 2 : 1); ++layer) {
            TCellRow* cells = CvtGridRow(layer, r);
            if (!cells)
                continue;
            rows.push_back(cells);
            int clef = -1;
            GetFirstClefInRow(*CvtGridRow(0, r), clef, 0);
            if (clef >= 0)
                staves.push_back(cells);
        }
    // Empty cells a cell needs after it: one per dash of a long note, the
    // further rests of a half rest.
    auto needed = [](const TCell& cell) {
        if (cell.cellType != ctWestern || !cell.CompressNotes.empty() || IsClefCell(cell))
            return 0;
        const int dots = (cell.option & 64u) ? 2 : (cell.option & 8u) ? 1 : 0;
        switch (cell.Note) {
        case 1:
            return dots == 2 ? 6 : dots == 1 ? 5 : 3;
        case 2:
            return dots == 0 ? 1 : dots + 1;
        case 81:
            return 6;
        case 21:
            return dots ? 4 : 2;
        default:
            return 0;
        }
    };
    for (int c = 0; c < cols; ++c) {
        int deficit = 0;
        for (const TCellRow* cells : staves) {
            if (c >= static_cast<int>(cells->size()))
                continue;
            const int need = needed((*cells)[static_cast<std::size_t>(c)]);
            if (need == 0)
                continue;
            int run = 0;
            while (c + 1 + run < std::min(cols, static_cast<int>(cells->size())) &&
                   IsEmptyCell((*cells)[static_cast<std::size_t>(c + 1 + run)]) && run < need)
                ++run;
            deficit = std::max(deficit, need - run);
        }
        if (deficit == 0)
            continue;
        for (const TCellRow* cells : rows) {
            const int last = CvtLastFilledColumn(*cells, cols);
            if (last > c && last + deficit > CvtLastFreeColumn(*cells, cols))
                return; // no free columns left: the converter marks what it cannot write
        }
        for (TCellRow* cells : rows)
            CvtShiftCells(*cells, c + 1, CvtLastFilledColumn(*cells, cols), deficit);
        c += deficit;
    }
}

void TConvertW2J::FillSilentMeasures() {
    TMainView* view = MainView();
    const int cols = view->Cols;
    std::vector<int> staves;
    for (const TGroupData& g : GroupRows)
        staves.push_back(g.row);
    auto sounds = [](const TCell& c) {
        return c.cellType == ctJianpu && (IsJianpuSound(c) || c.Note == kJianpuDash || c.markType == 87);
    };
    auto soundsIn = [&](int row, int a, int b) {
        const TCellRow* cells = CvtGridRow(0, row);
        if (!cells)
            return false;
        for (int c = std::max(a, 0); c <= b && c < static_cast<int>(cells->size()); ++c)
            if (sounds((*cells)[static_cast<std::size_t>(c)]))
                return true;
        return false;
    };
    // The measures of the system: those of its first staff (a lower staff
    // may be written without bar lines of its own).
    std::vector<int> bars;
    if (const TCellRow* top = staves.empty() ? nullptr : CvtGridRow(0, staves.front()))
        for (int c = 0; c < std::min(cols, static_cast<int>(top->size())); ++c)
            if (IsBarLineCell((*top)[static_cast<std::size_t>(c)]))
                bars.push_back(c);
    for (int row : staves) {
        TCellRow* cells = CvtGridRow(0, row);
        if (!cells || IsWestRow(row, 0, -1))
            continue;
        int start = 0;
        for (int c : bars) {
            if (c >= static_cast<int>(cells->size()))
                break;
            const int a = start, b = c - 1;
            start = c + 1;
            if (b < a || soundsIn(row, a, b))
                continue;
            bool others = false;
            for (int other : staves)
                others = others || (other != row && soundsIn(other, a, b));
            if (!others)
                continue;
            // The bar rest stands where the measure's music starts on the
            // other staves: the system is played column by column.
            auto blank = [&](int k) {
                const TCell& x = (*cells)[static_cast<std::size_t>(k)];
                return x.Note == ' ' && x.markType == 0 && x.CompressNotes.empty() && x.Text.empty();
            };
            int at = -1;
            for (int k = a; k <= b && at < 0; ++k) {
                bool music = false;
                for (int other : staves)
                    music = music || (other != row && soundsIn(other, k, k));
                if (music)
                    at = blank(k) ? k : -2;
            }
            if (at < 0)
                continue;
            TCell& rest = (*cells)[static_cast<std::size_t>(at)];
            ResetCell(rest, false);
            rest.cellType = ctJianpu;
            rest.markType = 87;
            rest.markHAdj = 1;
        }
    }
}

// ---------------------------------------------------------------- row pass

void TConvertW2J::ConvertW2JRow(TCellRow& cells, int row) {
    const int startBeats = BeatsPerBar;
    if (GroupLastRow < row)
        GroupLastRow = -1;
    float size = 1.0f;
    int smallEnd = -1;
    const int layer = CurLayer;
    const int cols = std::min({frmMainTQ->Cols, static_cast<int>(cells.size()),
                               static_cast<int>(SourceRow.size()), static_cast<int>(UnconvertedRow.size())});

    for (int i = 0; i < cols; ++i) {
        TCell& g = cells[static_cast<std::size_t>(i)];
        const TCell s = SourceRow[static_cast<std::size_t>(i)];
        if (smallEnd > 0 && smallEnd < i) {
            size = 1.0f;
            smallEnd = -1;
        }
        g.option &= ~0x8000u;
        if (g.cellType != ctText)
            g.dot = 0;
        if (g.cellType == ctText || g.cellType == ctSoundEffect)
            continue;
        if (g.cellType == ctSymbol && (g.Note == 117 || g.Note == 118)) {
            const int n = g.Note == 117 ? 2 : 4;
            ResetCell(g, false);
            g.cellType = ctTimeSig;
            g.upNote = n;
            g.Note = n;
        }
        if (g.cellType == ctTimeSig) {
            BeatsPerBar = g.upNote;
            BeatUnit = g.Note;
        }
        const bool placeholder = g.Note < 0 && GroupRows.size() > 1 && !InGrandStaffPair(row);
        if (IsClefCell(s)) {
            ConvertClefCell(cells, i, row);
            if ((static_cast<uint32_t>(s.playDur) & kCommentStaff) != 0) {
                size = 0.7f;
                smallEnd = s.iEnd;
                if (layer == 0) {
                    g.Note = 78;
                    g.iEnd = s.iEnd;
                }
            }
        }
        g.fontSizeR = size;
        if (g.cellType == ctWestern) {
            bool isLong = false;
            int dots = 0;
            const TCell& before = UnconvertedRow[static_cast<std::size_t>(i)];
            const bool smallCopy = before.fontSizeR < 0.8f && (before.option & 0x10000000u) == 0;
            int next = i;
            if (IsShrinkCell(g) || IsGraceCell(g) || smallCopy) {
                GetLongNoteInfo(g, isLong, dots);
                ConvertSmallNotesCell(cells, i, row, ClefCell.Note);
            } else if (g.Note == 14 || g.Note == 15 || g.Note == 41) {
                g.cellType = ctSymbol;
                g.yAdj = -6.0f;
            } else if (g.Note >= 1 && g.Note <= 9) {
                GetLongNoteInfo(g, isLong, dots);
                ConvertNoteCell(g, i, row, ClefCell.Note);
            } else if (IsRestCell(g)) {
                GetLongNoteInfo(g, isLong, dots);
                next = ConvertRestCell(cells, i, row);
            }
            if (isLong)
                next = LongNoteToDashes(dots, cells, i, row);
            if (placeholder)
                g.Note = kRowEndCode;
            i = next;
            continue;
        }
        if (placeholder)
            g.Note = kRowEndCode;
    }

    FinishConvertedRow(cells, row, startBeats);

    if (layer == 0) {
        int resetCol = -1;
        if (FindKeyResetLeft(SourceRow, resetCol)) {
            TCell* cell = CellOf(cells, resetCol);
            if (cell && cell->Note == -15) {
                ResetCell(*cell, false);
            } else if (row > 0) {
                if (TCellRow* above = CvtGridRow(layer, row - 1))
                    if (TCell* text = CellOf(*above, resetCol)) {
                        ResetCell(*text, false);
                        text->cellType = ctText;
                        text->Text = "1=C";
                    }
            }
        }
    }

    const bool fixed = IsFixedDoMode();
    for (int c = 0; c < cols; ++c) {
        TCell& g = cells[static_cast<std::size_t>(c)];
        if (IsClefCell(SourceRow[static_cast<std::size_t>(c)])) {
            ClefCell = SourceRow[static_cast<std::size_t>(c)];
            DoPos = DoPosition(ClefCell);
        }
        if (fixed && IsWestNoteCell(UnconvertedRow[static_cast<std::size_t>(c)], 1))
            AddFixedDoAccidentals(g, UnconvertedRow[static_cast<std::size_t>(c)], cells, SourceRow, c, row);
        if (g.CompressNotes.empty())
            g.option &= ~0x10000000u;
    }
}

// ---------------------------------------------------------------- clef cells and key texts

void TConvertW2J::ConvertClefCell(TCellRow& cells, int col, int row) {
    TMainView* view = MainView();
    TCell s = SourceRow[static_cast<std::size_t>(col)];
    TCell& g = cells[static_cast<std::size_t>(col)];
    const int mark = g.markType;
    const bool brace = mark == kBraceMark;
    const int key =
        static_cast<int32_t>(s.Attr) < 0 || static_cast<int32_t>(s.Attr) > 20 ? 0 : static_cast<int>(s.Attr);
    s.Attr = static_cast<uint32_t>(key);
    const std::string label = MakeKeyLabel(key);
    const bool fixed = IsFixedDoMode();

    // Only a clef after the row's own header can stand at the end of a line:
    // the header of a staff without notes is still that staff's header.
    bool header = true;
    for (int c = 0; c < col && c < static_cast<int>(SourceRow.size()); ++c)
        if (IsClefCell(SourceRow[static_cast<std::size_t>(c)])) {
            header = false;
            break;
        }
    if (!header && IsLastNoteOfRow(col, SourceRow) && (CurLayer == 0 || IsLastNoteOfRow(col, cells))) {
        // A clef at the end of a line announces the next line's key.
        if (row > 0 && view->Cols > 10)
            if (TCellRow* above = CvtGridRow(CurLayer, row - 1))
                if (TCell* text = CellOf(*above, view->Cols - 3))
                    MakeKeyText(*text, label, key);
        ResetCell(g, false);
        return;
    }

    view->CurKey = key;
    view->CurClef = s.Note;
    ClefCell = s;
    DoPos = DoPosition(ClefCell);
    ResetCell(g, false);
    if (CurLayer != 0)
        return;

    if (brace) {
        g.markType = kGroupBracketMark;
        g.jEnd = s.jEnd;
        GroupLastRow = s.jEnd;
    } else if (mark > 0) {
        g.markType = mark;
        g.jEnd = s.jEnd;
    }

    if (row > 0 && (label != KeyLabel || (fixed && key != LastFixedKey)) && !label.empty()) {
        TCellRow* above = CvtGridRow(0, row - 1);
        const TCell* over = above ? CellOf(*above, col) : nullptr;
        // A key change inside the row is announced over its own place: at
        // column 1 it would give the measures before it the new key.
        const int target = (over && over->Note == kRowEndCode) || !header ? col + 1 : 1;
        if (TCell* text = above ? CellOf(*above, target) : nullptr) {
            MakeKeyText(*text, label, key);
            if (fixed)
                text->Attr = 0x90;
            const TCell keyText = *text;
            if (!GroupRows.empty() && GroupRows.front().row == row) {
                for (std::size_t k = 1; k < GroupRows.size(); ++k)
                    if (TCellRow* other = CvtGridRow(0, GroupRows[k].row - 1))
                        if (TCell* cell = CellOf(*other, target))
                            *cell = keyText;
            }
            if (target > 3 && HasKeyTextLeft(target, row - 1) == 1)
                if (TCell* cell = CellOf(*above, 1))
                    *cell = keyText;
        }
    }
    if (fixed)
        LastFixedKey = key;
    KeyLabel = label;
}

std::string TConvertW2J::MakeKeyLabel(int key) const {
    return IsFixedDoMode() ? "C Fixed Key" : GetKeyName(key);
}

int TConvertW2J::HasKeyTextLeft(int col, int row) const {
    const TCellRow* cells = CvtGridRow(CurLayer, row);
    if (!cells)
        return 1;
    for (int c = std::min(col, static_cast<int>(cells->size())) - 1; c >= 0; --c)
        if (IsJianpuKeyTextCell((*cells)[static_cast<std::size_t>(c)]))
            return -1;
    return 1;
}

void TConvertW2J::MarkNearAccidentals(int row) {
    const TCellRow* cells = CvtGridRow(CurLayer, row);
    if (!cells)
        return;
    const int cols = std::min(frmMainTQ->Cols, static_cast<int>(cells->size()));
    for (int c = 0; c < cols; ++c)
        if (IsWestNoteCell((*cells)[static_cast<std::size_t>(c)], 1) && GetNearAccid(c, row) != kNoAlteration)
            MainView()->AddHighlight(c - 1, c, row, -1);
}

void TConvertW2J::FillGroupEndPlaceholders(int row, int clefCol, int endCol) {
    if (CurLayer != 0 || clefCol < 0 || endCol <= clefCol || GroupRows.empty() || GroupRows.back().row != row)
        return;
    for (int r = GroupRows.front().row; r <= GroupRows.back().row; ++r)
        if (TCellRow* cells = CvtGridRow(0, r))
            if (TCell* cell = CellOf(*cells, endCol))
                if (cell->Note == 32)
                    cell->Note = kRowEndCode;
}
