#include "convert/modTQCvtRoot.h"

#include <algorithm>
#include <cmath>

#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUtil.h"

namespace {

constexpr double kPosLimit = 100000.0;

uint32_t Accid(uint32_t attr) {
    return attr & 0xFu;
}

bool HasTwin() {
    return frmMainTQ && frmMainTQ->HasJianpuPage();
}

int Cols() {
    return frmMainTQ ? frmMainTQ->Cols : 0;
}

const TCell* RowCell(const TCellRow& cells, int col) {
    if (col < 0 || col >= static_cast<int>(cells.size()))
        return nullptr;
    return &cells[static_cast<std::size_t>(col)];
}

// Writes an accidental into the low nibble only: style, circle and grace nibbles stay.
void PutAccid(uint32_t& attr, int accid) {
    ClearAttrNibble(attr, 1);
    if (accid > 0 && accid <= 0xF)
        SetAttrNibble(attr, static_cast<uint32_t>(accid));
}

// Conflict of HasNoOtherAccidentalBefore: same yAdj, a different non-zero accidental.
bool Conflicts(const TCell& other, const TCell& note) {
    return other.yAdj == note.yAdj && Accid(other.Attr) != 0 && Accid(other.Attr) != Accid(note.Attr);
}

} // namespace

TCellRow* CvtGridRow(int layer, int row) {
    if (!frmMainTQ || layer < 0 || layer > 1 || row < 0)
        return nullptr;
    TLayer& pages = frmMainTQ->PageSets[static_cast<std::size_t>(layer)];
    const int page = frmMainTQ->CurPage;
    if (page < 0 || page >= static_cast<int>(pages.size()))
        return nullptr;
    TPage& cells = pages[static_cast<std::size_t>(page)];
    if (row >= static_cast<int>(cells.size()))
        return nullptr;
    return &cells[static_cast<std::size_t>(row)];
}

int CvtLastFreeColumn(const TCellRow& cells, int cols) {
    const int n = std::min(cols, static_cast<int>(cells.size()));
    if (n <= 0)
        return -1;
    return IsEmptyCell(cells[static_cast<std::size_t>(n - 1)]) ? n - 1 : n - 2;
}

int CvtLastFilledColumn(const TCellRow& cells, int cols) {
    for (int c = CvtLastFreeColumn(cells, cols); c >= 0; --c)
        if (!IsEmptyCell(cells[static_cast<std::size_t>(c)]))
            return c;
    return -1;
}

void CvtShiftCells(TCellRow& cells, int from, int last, int shift) {
    if (shift <= 0 || last < from || from < 0 || last + shift >= static_cast<int>(cells.size()))
        return;
    // A mark ending on a moved cell follows it; the end of a staff (a clef's
    // reach, a mark to the row end) stays.
    auto follows = [&](const TCell& cell) {
        return cell.markType != 0 && !IsClefCell(cell) && cell.iEnd >= from && cell.iEnd <= last;
    };
    for (int k = 0; k < from; ++k) {
        TCell& cell = cells[static_cast<std::size_t>(k)];
        if (follows(cell))
            cell.iEnd += shift;
    }
    for (int k = last; k >= from; --k) {
        TCell& to = cells[static_cast<std::size_t>(k + shift)];
        to = cells[static_cast<std::size_t>(k)];
        if (follows(to))
            to.iEnd += shift;
    }
    for (int k = from; k < from + shift && k <= last; ++k)
        ResetCell(cells[static_cast<std::size_t>(k)]);
}

int CvtRoundPos(double y) {
    if (!(y == y))
        return 0;
    return RoundToInt(std::clamp(y, -kPosLimit, kPosLimit));
}

int CvtTruncPos(double y) {
    if (!(y == y))
        return 0;
    return static_cast<int>(std::trunc(std::clamp(y, -kPosLimit, kPosLimit)));
}

int TCvtRoot::LetterOfPosition(long long p) const {
    const long long v = 70 - p + ClefCBase + 2LL * ClefShift + 2;
    return static_cast<int>(((v % 7) + 7) % 7);
}

void TCvtRoot::TakeClef(const TCell& clef) {
    SetKeyAccidTable(clef);
    ClefShift = CvtRoundPos(clef.yAdj);
    ClefCBase = GetClefCPos(clef.Note);
}

// ---------------------------------------------------------------- simplification

void TCvtRoot::SimplifyRowAccidentals(int row) {
    ClearMeasure();
    ClefShift = 0;
    TCellRow* grid0 = CvtGridRow(0, row);
    if (!grid0)
        return;
    const bool twin = HasTwin();
    TCellRow* grid1 = twin ? CvtGridRow(1, row) : nullptr;
    const TCellRow a = *grid0;
    const TCellRow b = grid1 ? *grid1 : a;
    for (int c = 0; c < static_cast<int>(a.size()); ++c) {
        const TCell& cell = a[static_cast<std::size_t>(c)];
        if (IsClefCell(cell)) {
            TakeClef(cell);
        } else if (!IsBarLineCell(cell)) {
            if (IsWestNoteCell(cell, 1))
                SimplifyCellAccidentals((*grid0)[static_cast<std::size_t>(c)], c, row);
            if (grid1 && c < static_cast<int>(b.size()) && c < static_cast<int>(grid1->size()) &&
                IsWestNoteCell(b[static_cast<std::size_t>(c)], 1))
                SimplifyCellAccidentals((*grid1)[static_cast<std::size_t>(c)], c, row);
        } else {
            ClearMeasure();
        }
    }
}

void TCvtRoot::SimplifyCellAccidentals(TCell& cell, int col, int row) {
    if (cell.CompressNotes.empty()) {
        SimplifyNoteAccidental(cell, col, row, -1);
        const int n = GetChordNoteCount(cell);
        for (int k = 0; k < n; ++k) {
            TCell view;
            const int item = ExtractChordNote(cell, k, view);
            if (Accid(view.Attr) == 0 || item < 0 || item >= n)
                continue;
            SimplifyNoteAccidental(view, col, row, -1);
            PutAccid(cell.westChordArray[static_cast<std::size_t>(item)].attr,
                     static_cast<int>(Accid(view.Attr)));
        }
        return;
    }
    for (int i = 0; i < GetCompressNoteCount(cell); ++i) {
        TCell view;
        MakeCompressNoteCell(cell, i, view);
        if (Accid(view.Attr) == 0)
            continue;
        SimplifyNoteAccidental(view, col, row, i);
        PutAccid(cell.CompressNotes[static_cast<std::size_t>(i)].attr, static_cast<int>(Accid(view.Attr)));
    }
}

void TCvtRoot::SimplifyNoteAccidental(TCell& note, int col, int row, int index) {
    const int p = CvtRoundPos(note.yAdj);
    const int a = static_cast<int>(Accid(note.Attr));
    int posIndex = -1;
    const int exact = FindAlteration({p, a}, posIndex);
    if (exact >= 0 && a != 0) {
        // The measure already holds this accidental at this position: it is implied.
        ClearAttrNibble(note.Attr, 1);
        return;
    }
    if (posIndex >= 0) {
        Alterations[static_cast<std::size_t>(posIndex)].Alteration = a;
        return;
    }
    int letter = -1;
    if (KeyGivesAlteration({p, a}, letter) && HasNoOtherAccidentalBefore(note, col, row, index)) {
        ClearAttrNibble(note.Attr, 1);
        return;
    }
    if (a == 3 && KeyAccidentals[LetterOfPosition(p)] == 0) {
        ClearAttrNibble(note.Attr, 1);
        return;
    }
    Alterations.push_back({p, a});
}

bool TCvtRoot::HasNoOtherAccidentalBefore(TCell note, int col, int row, int index) const {
    const TCellRow* r0 = CvtGridRow(0, row);
    if (!r0)
        return true;
    std::vector<const TCellRow*> rows{r0};
    if (HasTwin())
        if (const TCellRow* r1 = CvtGridRow(1, row))
            rows.push_back(r1);

    if (index > 0) {
        // The note's own cell: the one of the searched rows that holds its small notes.
        const TCell* own = nullptr;
        for (const TCellRow* r : rows) {
            const TCell* c = RowCell(*r, col);
            if (c && c->CompressNotes == note.CompressNotes) {
                own = c;
                break;
            }
        }
        if (own && (AttrHasNibble(own->Attr, 0xC0) || AttrHasNibble(own->Attr, 0xB0)) &&
            own->CompressNotes.size() > 1) {
            const int top = std::min(index, static_cast<int>(own->CompressNotes.size()) - 1);
            for (int i = top; i >= 0; --i) {
                TCell view;
                MakeCompressNoteCell(*own, i, view);
                if (Conflicts(view, note))
                    return false;
            }
        }
    }
    for (int c = std::min(col - 1, static_cast<int>(r0->size()) - 1); c >= 0; --c) {
        if (IsBarLineCell((*r0)[static_cast<std::size_t>(c)]))
            return true;
        for (const TCellRow* r : rows) {
            const TCell* cell = RowCell(*r, c);
            // Only notes carry accidentals: a clef's key code in Attr is none.
            if (!cell || IsClefCell(*cell) || !IsWestNoteCell(*cell, 1))
                continue;
            if (IsVerticalCell(*cell)) {
                int pos = CvtTruncPos(cell->yAdj);
                for (int k = 0; k < GetChordNoteCount(*cell); ++k) {
                    TCell view;
                    MakeWestChordNoteCell(*cell, k, view, pos);
                    if (Conflicts(view, note))
                        return false;
                }
            } else if (IsShrinkCell(*cell) || AttrHasNibble(cell->Attr, 0xC0)) {
                for (int i = 0; i < GetCompressNoteCount(*cell); ++i) {
                    TCell view;
                    MakeCompressNoteCell(*cell, i, view);
                    if (Conflicts(view, note))
                        return false;
                }
            } else if (Conflicts(*cell, note)) {
                return false;
            }
        }
    }
    return true;
}

int TCvtRoot::FindAlteration(const TMeasueAlterater& key, int& posIndex) const {
    posIndex = -1;
    for (std::size_t i = 0; i < Alterations.size(); ++i) {
        if (Alterations[i].Position != key.Position)
            continue;
        posIndex = static_cast<int>(i);
        if (Alterations[i].Alteration == key.Alteration)
            return static_cast<int>(i);
    }
    return -1;
}

bool TCvtRoot::KeyGivesAlteration(const TMeasueAlterater& key, int& letter) const {
    const int x = LetterOfPosition(key.Position);
    letter = KeyAccidentals[x] != 0 ? x : -1;
    return KeyAccidentals[x] == key.Alteration;
}

// ---------------------------------------------------------------- implied accidentals

void TCvtRoot::CompleteJianpuAccidentals(int row) {
    const TCellRow* r0 = CvtGridRow(0, row);
    if (!r0)
        return;
    const TCellRow* r1 = (HasTwin() && row >= 1) ? CvtGridRow(1, row - 1) : nullptr;
    const TRowPair rows{*r0, r1 ? *r1 : *r0};
    const int layers = r1 ? 2 : 1;
    int c = 0;
    while (c < Cols())
        c = CompleteJianpuMeasure(rows, c, row, layers) + 1;
}

int TCvtRoot::CompleteJianpuMeasure(const TRowPair& rows, int start, int row, int layers) {
    int c = start;
    for (; c < Cols() && c < static_cast<int>(rows[0].size()) &&
           !IsBarLineCell(rows[0][static_cast<std::size_t>(c)]);
         ++c) {
        for (int L = 0; L < layers; ++L) {
            const TCell* cell = RowCell(rows[static_cast<std::size_t>(L)], c);
            TCellRow* grid = CvtGridRow(L, row - L);
            if (!cell || !grid || c >= static_cast<int>(grid->size()) || !IsJianpuNoteCell(*cell))
                continue;
            TCell& target = (*grid)[static_cast<std::size_t>(c)];
            if (cell->CompressNotes.empty()) {
                if (Accid(cell->Attr) == 0)
                    PutAccid(target.Attr, ImpliedJianpuAccidental(rows, *cell, c, -1, layers));
                continue;
            }
            const bool vertical = IsVerticalCell(*cell);
            for (int k = 0; k < GetCompressNoteCount(*cell) && k < GetCompressNoteCount(target); ++k) {
                TCell view;
                MakeCompressNoteCell(*cell, k, view);
                if (Accid(view.Attr) != 0)
                    continue;
                const int accid = ImpliedJianpuAccidental(rows, view, c, vertical ? -1 : k, layers);
                PutAccid(target.CompressNotes[static_cast<std::size_t>(k)].attr, accid);
            }
        }
    }
    return c;
}

int TCvtRoot::ImpliedJianpuAccidental(const TRowPair& rows, const TCell& note, int col, int k,
                                      int layers) const {
    auto same = [&note](const TCell& other) {
        return other.Note == note.Note && other.dot == note.dot && Accid(other.Attr) != 0;
    };
    if (!note.CompressNotes.empty() && !IsVerticalCell(note) && k >= 1) {
        for (int i = std::min(k, GetCompressNoteCount(note)) - 1; i >= 0; --i) {
            TCell view;
            MakeCompressNoteCell(note, i, view);
            if (same(view))
                return static_cast<int>(Accid(view.Attr));
        }
    }
    for (int c = std::min(col - 1, static_cast<int>(rows[0].size()) - 1); c >= 0; --c) {
        if (IsBarLineCell(rows[0][static_cast<std::size_t>(c)]))
            return 3;
        for (int L = 0; L < layers; ++L) {
            const TCell* cell = RowCell(rows[static_cast<std::size_t>(L)], c);
            if (!cell)
                continue;
            if (cell->CompressNotes.empty()) {
                if (same(*cell))
                    return static_cast<int>(Accid(cell->Attr));
                continue;
            }
            for (int i = 0; i < GetCompressNoteCount(*cell); ++i) {
                TCell view;
                MakeCompressNoteCell(*cell, i, view);
                if (same(view))
                    return static_cast<int>(Accid(view.Attr));
            }
        }
    }
    return 3;
}

void TCvtRoot::CompleteWestAccidentals(int row, int start) {
    const TCellRow* r0 = CvtGridRow(0, row);
    if (!r0)
        return;
    const TCellRow* r1 = HasTwin() ? CvtGridRow(1, row) : nullptr;
    const TRowPair rows{*r0, r1 ? *r1 : *r0};
    const int layers = r1 ? 2 : 1;
    // The row is read under its own clef and key from its first column on, not
    // under the staff a previous row left behind.
    for (const TCell& cell : *r0)
        if (IsClefCell(cell)) {
            TakeClef(cell);
            break;
        }
    int c = std::max(start, 0);
    while (c < Cols())
        c = CompleteWestMeasure(rows, c, row, layers) + 1;
}

int TCvtRoot::CompleteWestMeasure(const TRowPair& rows, int start, int row, int layers) {
    int c = start;
    for (; c < Cols() && c < static_cast<int>(rows[0].size()); ++c) {
        // A clef is read before the bar-line test: the brace of a grand staff
        // on the clef cell makes it a bar line too, and the clef must not be
        // passed over for it.
        if (IsClefCell(rows[0][static_cast<std::size_t>(c)])) {
            TakeClef(rows[0][static_cast<std::size_t>(c)]);
            continue;
        }
        if (IsBarLineCell(rows[0][static_cast<std::size_t>(c)]))
            break;
        for (int L = 0; L < layers; ++L) {
            const TCell* cell = RowCell(rows[static_cast<std::size_t>(L)], c);
            TCellRow* grid = CvtGridRow(L, row);
            if (!cell || !grid || c >= static_cast<int>(grid->size()) || !IsWestNoteCell(*cell, 1))
                continue;
            TCell& target = (*grid)[static_cast<std::size_t>(c)];
            if (cell->CompressNotes.empty()) {
                if (Accid(cell->Attr) == 0)
                    PutAccid(target.Attr, ImpliedWestAccidental(rows, *cell, c, -1, layers));
                // Every chord note is completed, whatever the main note carries.
                if (cell->cellType == ctWestern) {
                    int pos = CvtTruncPos(cell->yAdj);
                    for (int k = 0; k < GetChordNoteCount(*cell) && k < GetChordNoteCount(target); ++k) {
                        TCell view;
                        MakeWestChordNoteCell(*cell, k, view, pos);
                        if (Accid(view.Attr) == 0)
                            PutAccid(target.westChordArray[static_cast<std::size_t>(k)].attr,
                                     ImpliedWestAccidental(rows, view, c, k, layers));
                    }
                }
                continue;
            }
            for (int k = 0; k < GetCompressNoteCount(*cell) && k < GetCompressNoteCount(target); ++k) {
                TCell view;
                MakeCompressNoteCell(*cell, k, view);
                if (Accid(view.Attr) == 0)
                    PutAccid(target.CompressNotes[static_cast<std::size_t>(k)].attr,
                             ImpliedWestAccidental(rows, view, c, k, layers));
            }
        }
    }
    return c;
}

int TCvtRoot::ImpliedWestAccidental(const TRowPair& rows, const TCell& note, int col, int k,
                                    int layers) const {
    auto same = [&note](const TCell& other) { return other.yAdj == note.yAdj && Accid(other.Attr) != 0; };
    if (!note.CompressNotes.empty() && !IsVerticalCell(note) && k >= 1) {
        for (int i = std::min(k, GetCompressNoteCount(note)) - 1; i >= 0; --i) {
            TCell view;
            MakeCompressNoteCell(note, i, view);
            if (same(view))
                return static_cast<int>(Accid(view.Attr));
        }
    }
    for (int c = std::min(col - 1, static_cast<int>(rows[0].size()) - 1); c >= 0; --c) {
        const TCell& head = rows[0][static_cast<std::size_t>(c)];
        if (IsBarLineCell(head) || IsClefCell(head))
            break;
        for (int L = 0; L < layers; ++L) {
            const TCell* cell = RowCell(rows[static_cast<std::size_t>(L)], c);
            // Only Western notes carry a staff position.
            if (!cell || !IsWestNoteCell(*cell, 1))
                continue;
            if (cell->CompressNotes.empty()) {
                if (same(*cell))
                    return static_cast<int>(Accid(cell->Attr));
                if (note.cellType == ctWestern) {
                    int pos = CvtTruncPos(cell->yAdj);
                    for (int i = 0; i < GetChordNoteCount(*cell); ++i) {
                        TCell view;
                        MakeWestChordNoteCell(*cell, i, view, pos);
                        if (same(view))
                            return static_cast<int>(Accid(view.Attr));
                    }
                }
                continue;
            }
            for (int i = 0; i < GetCompressNoteCount(*cell); ++i) {
                TCell view;
                MakeCompressNoteCell(*cell, i, view);
                if (same(view))
                    return static_cast<int>(Accid(view.Attr));
            }
        }
    }
    if (note.cellType == ctWestern) {
        const int x = LetterOfPosition(CvtTruncPos(note.yAdj));
        if (KeyAccidentals[x] != 0)
            return KeyAccidentals[x];
    }
    return 3;
}

// ---------------------------------------------------------------- row utilities

void TCvtRoot::MoveRowEndBar(int row) {
    int first = row, last = row;
    if (!GroupRows.empty()) {
        first = GroupRows.front().row;
        last = GroupRows.back().row;
    }
    const int layers = HasTwin() ? 2 : 1;
    const int cols = Cols();
    if (cols < 3)
        return;
    int barCol = -1, barLayer = -1;
    for (int c = cols - 2; c >= 1 && barCol < 0; --c) {
        for (int L = 0; L < layers; ++L) {
            const TCellRow* cells = CvtGridRow(L, first);
            const TCell* cell = cells ? RowCell(*cells, c) : nullptr;
            if (!cell)
                continue;
            if (IsJianpuSound(*cell))
                return;
            if (IsBarLineCell(*cell)) {
                barCol = c;
                barLayer = L;
                break;
            }
        }
    }
    if (barCol < 0)
        return;
    for (int r = first; r <= last; ++r) {
        TCellRow* cells = CvtGridRow(barLayer, r);
        if (!cells || cols - 1 >= static_cast<int>(cells->size()))
            continue;
        TCell& cell = (*cells)[static_cast<std::size_t>(barCol)];
        if (cell.Note != 63)
            continue;
        (*cells)[static_cast<std::size_t>(cols - 1)] = cell;
        ResetCell(cell, false);
    }
}

bool TCvtRoot::IsFirstNoteInRow(int col, int row) const {
    const TCellRow* cells = CvtGridRow(0, row);
    if (!cells)
        return true;
    for (int c = std::min(col, static_cast<int>(cells->size())) - 1; c >= 0; --c)
        if (IsNoteOrRestCell((*cells)[static_cast<std::size_t>(c)]))
            return false;
    return true;
}

void TCvtRoot::CopyKeyTextToStaves() {
    if (!frmMainTQ)
        return;
    // The key text under the title (the first one of page 0) belongs to the
    // first staff only.
    bool firstPage = frmMainTQ->CurPage == 0;
    const int rows = frmMainTQ->Rows;
    const int cols = Cols();
    int r = 0;
    while (r < rows) {
        if (IsJianpuMusicRow(r, -1, -1) && GetRowGroup(r, 1) >= 0 && GroupRows.size() >= 2) {
            const std::vector<TGroupData> group = GroupRows;
            const int first = group.front().row;
            const int lastRow = std::max(group.back().row, r);
            if (first == 0) {
                r = lastRow + 1;
                continue;
            }
            std::vector<int> searched{first - 1};
            if (first > 1)
                searched.push_back(first - 2);
            const TCell* key = nullptr;
            int keyCol = -1;
            for (int c = 0; c < cols && !key; ++c) {
                for (int sr : searched) {
                    const TCellRow* cells = CvtGridRow(CurLayer, sr);
                    const TCell* cell = cells ? RowCell(*cells, c) : nullptr;
                    if (cell && IsJianpuKeyTextCell(*cell)) {
                        key = cell;
                        keyCol = c;
                        break;
                    }
                }
            }
            if (key) {
                if (!firstPage) {
                    const TCell text = *key;
                    for (std::size_t g = 1; g < group.size(); ++g) {
                        const int t = group[g].row - 1;
                        TCellRow* cells = CvtGridRow(CurLayer, t);
                        if (!cells || keyCol >= static_cast<int>(cells->size()) || HasKeyTextNear(t, keyCol))
                            continue;
                        (*cells)[static_cast<std::size_t>(keyCol)] = text;
                    }
                }
                firstPage = false;
            }
            r = lastRow + 1;
            continue;
        }
        ++r;
    }
}

bool TCvtRoot::HasKeyTextNear(int row, int col) const {
    const TCellRow* cells = CvtGridRow(0, row);
    if (!cells)
        return false;
    const int to = std::min({Cols(), col + 2, static_cast<int>(cells->size()) - 1});
    for (int c = std::max(0, col - 2); c <= to; ++c)
        if (IsJianpuKeyTextCell((*cells)[static_cast<std::size_t>(c)]))
            return true;
    return false;
}
