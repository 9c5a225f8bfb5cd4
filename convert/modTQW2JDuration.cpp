// Western to Jianpu: extension dashes of long notes, rests, underlines of a
// finished row, dot cells.
#include <algorithm>
#include <cmath>
#include <vector>

#include "convert/modTQConvertW2J.h"
#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "model/modTQUtil.h"
#include "render/modTQMainView.h"

namespace {

int GridCols() {
    return frmMainTQ ? frmMainTQ->Cols : 0;
}

// Columns a row scan may touch: the grid's columns that the vector holds.
int ScanCols(const TCellRow& cells) {
    return std::min(GridCols(), static_cast<int>(cells.size()));
}

bool IsBlank(const TCellRow& cells, int c) {
    return c >= 0 && c < ScanCols(cells) && IsBlankNoteCell(cells[static_cast<std::size_t>(c)]);
}

bool IsEmptyAt(const TCellRow& cells, int c) {
    return c >= 0 && c < ScanCols(cells) && IsEmptyCell(cells[static_cast<std::size_t>(c)]);
}

int NoteAt(const TCellRow& cells, int c) {
    return c >= 0 && c < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(c)].Note : 0;
}

int ULAt(const TCellRow& cells, int c) {
    return c >= 0 && c < static_cast<int>(cells.size()) ? cells[static_cast<std::size_t>(c)].UL : 0;
}

bool IsDigitNote(const TCell& cell) {
    return IsJianpuDigit(cell.Note);
}

} // namespace

// A column ends a run of empty cells on layer 1 when the layer-0 cell beside it is a bar line.
bool TConvertW2J::EndsRun(int col, int row) const {
    return CurLayer == 1 && row > 0 && IsBarLineAt(col, row, -1);
}

void TConvertW2J::GetLongNoteInfo(const TCell& cell, bool& isLong, int& dots) {
    isLong = cell.Note == 1 || cell.Note == 2 || cell.Note == 81;
    dots = (cell.option & 64u) ? 2 : (cell.option & 8u) ? 1 : 0;
}

int TConvertW2J::LongNoteToDashes(int dots, TCellRow& cells, int col, int row) {
    const int code = col < static_cast<int>(UnconvertedRow.size())
                         ? UnconvertedRow[static_cast<std::size_t>(col)].Note
                         : 0;
    // One dash per quarter beyond the first: a whole note 3, dotted 5, double-dotted 6.
    int n = 0;
    if (code == 1)
        n = dots == 2 ? 6 : dots == 1 ? 5 : 3;
    else if (code == 2)
        n = dots == 0 ? 1 : dots + 1;
    else if (code == 81)
        n = 6;
    if (n == 0 || col < 0 || col >= ScanCols(cells))
        return col;

    int first = col + 1;
    int runFirst = 0;
    int free = EmptyRunAround(cells, col + 1, row, runFirst);
    int spacing = 2;
    if (free < 2 * n + 2) {
        if (free < 2 * n && col > 2 && GroupRows.size() < 2) {
            int move = 0;
            if (IsEmptyAt(cells, col - 1))
                move = IsEmptyAt(cells, col - 2) ? 2 : 1;
            if (move > 0) {
                const int to = col - move;
                cells[static_cast<std::size_t>(to)] = cells[static_cast<std::size_t>(col)];
                ResetCell(cells[static_cast<std::size_t>(col)], false);
                if (col < static_cast<int>(UnconvertedRow.size())) {
                    UnconvertedRow[static_cast<std::size_t>(to)] =
                        UnconvertedRow[static_cast<std::size_t>(col)];
                    ResetCell(UnconvertedRow[static_cast<std::size_t>(col)], false);
                }
                col = to;
                first = col + 1;
                free = EmptyRunAround(cells, col + 1, row, runFirst);
            }
        }
    } else {
        first += 1;
        if (free >= 3 * n) {
            spacing = 3;
            first += 1;
        }
    }
    cells[static_cast<std::size_t>(col)].option &= ~(64u | 8u);
    if (free <= spacing * n && spacing > 1) {
        spacing -= 1;
        if (col + 2 < first)
            first -= 1;
    }
    if (!IsBlank(cells, col + 1))
        MainView()->AddHighlight(col, col + 1, row, -1);
    int k = 0;
    for (; k < n; ++k) {
        const int c = first + k * spacing;
        if (!IsBlank(cells, c)) {
            MainView()->AddHighlight(col, first + (k - 1) * spacing, row, -1);
            break;
        }
        TCell& dash = cells[static_cast<std::size_t>(c)];
        ResetCell(dash, false);
        dash.Note = (code == 2 && dots == 2 && k == n - 1) ? kJianpuDot : kJianpuDash;
    }
    // Never behind the note itself: the row pass must not visit it again.
    return std::max(col, first + (k - 1) * spacing);
}

int TConvertW2J::EmptyRunAround(const TCellRow& cells, int start, int row, int& first) const {
    int c = start;
    while (IsEmptyAt(cells, c) && !EndsRun(c, row))
        --c;
    first = std::min(start, c + 1);
    c = start + 1;
    while (IsEmptyAt(cells, c) && !EndsRun(c, row))
        ++c;
    return c - first;
}

int TConvertW2J::CountEmptyRight(const TCellRow& cells, int col, int row) const {
    int c = col + 1;
    while (IsEmptyAt(cells, c) && !EndsRun(c, row))
        ++c;
    return c - col;
}

int TConvertW2J::CountEmptyLeft(const TCellRow& cells, int col, int row) const {
    int c = col - 1;
    while (IsEmptyAt(cells, c) && !EndsRun(c, row))
        --c;
    return col - c;
}

int TConvertW2J::ConvertRestCell(TCellRow& cells, int col, int row) {
    TCell& g = cells[static_cast<std::size_t>(col)];
    const uint32_t dotFlag = (g.option & 8u) ? 8u : (g.option & 64u);
    const int code = g.Note;
    const float size = g.fontSizeR;
    ResetCell(g, false);
    g.fontSizeR = size;
    g.cellType = ctJianpu;
    const int cols = ScanCols(cells);

    if (code == 19 || code == 20) {
        const int m0 = FindMeasureStartCol(col - 1, row);
        const int m1 = FindMeasureEndCol(col + 1, row);
        if (m1 - m0 < 2 * BeatsPerBar || BeatUnit == 2) {
            g.markType = 87;
            g.markHAdj = code == 19 ? 2 : 1;
            if (m1 <= col + 1)
                g.iEnd = col;
            return col;
        }
        const int ul = BeatUnit == 8 ? 1 : BeatUnit == 16 ? 2 : BeatUnit == 32 ? 3 : 0;
        for (int k = 0; k < BeatsPerBar; ++k) {
            const int c = m0 + 1 + 2 * k;
            if (c < 0 || c >= cols)
                break;
            TCell& cell = cells[static_cast<std::size_t>(c)];
            if (!IsEmptyCell(cell))
                continue;
            cell.cellType = ctJianpu;
            cell.Note = '0';
            cell.UL = ul;
        }
        return m1 - 1;
    }
    if (code >= 22 && code <= 27) {
        g.UL = code - 22;
        g.Note = '0';
        g.option |= dotFlag;
        return col - 1;
    }

    // A half rest (or the longest one): two '0' cells, three when dotted.
    const int n = dotFlag ? 3 : 2;
    int start = col, end = col + 2 * n - 1;
    const int right = CountEmptyRight(cells, col, row);
    if (right < 2 * n - 1) {
        const int left = CountEmptyLeft(cells, col, row);
        if (left + right > 2 * n - 1) {
            start = col - (2 * n - right) + 1;
            end = col + right - 1;
        } else {
            start = col - left + 1;
            end = col + right;
            MainView()->AddHighlight(start, end, row, -1);
        }
    }
    const double step =
        (end - start + 1 == n) ? 1.0 : std::min(2.0, (end - start + 2) / static_cast<double>(n));
    int last = -1;
    for (int k = 0; k < n; ++k) {
        const int c = start + RoundToInt(k * step);
        if (c > end)
            break;
        if (!IsEmptyAt(cells, c))
            continue;
        TCell& cell = cells[static_cast<std::size_t>(c)];
        cell.cellType = ctJianpu;
        cell.Note = '0';
        last = c;
    }
    if (dotFlag == 64u && last >= 0)
        cells[static_cast<std::size_t>(last)].option |= 8u;
    return end - 1;
}

// ---------------------------------------------------------------- row finish

void TConvertW2J::FinishConvertedRow(TCellRow& cells, int row, int numerator) {
    const int cols = GridCols();
    const int limit = std::min(cols - 3, static_cast<int>(cells.size()) - 1);

    // Every column first: no Western cell, brace or chord list is left behind,
    // also where the underline patterns below skip columns.
    std::vector<int> numeratorAt(static_cast<std::size_t>(std::max(limit + 1, 0)), numerator);
    for (int c = 0; c <= limit; ++c) {
        TCell& cell = cells[static_cast<std::size_t>(c)];
        if (cell.cellType == ctTimeSig)
            numerator = cell.upNote;
        if (cell.cellType == ctWestern)
            cell.cellType = ctJianpu;
        if (cell.markType == 54191118)
            cell.markType = 0;
        cell.westChordArray.clear();
        numeratorAt[static_cast<std::size_t>(c)] = numerator;
    }

    int c = 0;
    while (c <= limit) {
        TCell& cell = cells[static_cast<std::size_t>(c)];
        if (IsCombineTailStart(cell) && IsJianpuNoteCell(cell) && cell.UL > 0) {
            int counter = 0;
            int d = c;
            for (; d <= cols - 2 && d < static_cast<int>(cells.size()) - 1; ++d) {
                TCell& cd = cells[static_cast<std::size_t>(d)];
                if (IsBarLineCell(cd))
                    break;
                if (IsDigitNote(cd) && cd.UL == 1)
                    ++counter;
                if (counter >= 2 && cd.Note == 32) {
                    counter = 0;
                } else if (!IsDigitNote(cd) && cd.Note == 32 && cd.UL == 0 && ULAt(cells, d + 1) > 0 &&
                           d > c) {
                    cd.UL = ULAt(cells, d - 1);
                }
                if (IsCombineTailEnd(cd))
                    break;
            }
            c = d + 1;
            if (c > limit)
                break;
        }
        const bool simple = numeratorAt[static_cast<std::size_t>(c)] % 3 != 0;
        if (simple) {
            if (c < cols - 4 && ULAt(cells, c) == 1 && NoteAt(cells, c + 1) == 32 &&
                ULAt(cells, c + 2) == 1 && NoteAt(cells, c + 3) == 32) {
                cells[static_cast<std::size_t>(c + 1)].UL = 1;
                c += 4;
                continue;
            }
            if (c < cols - 5 && NoteAt(cells, c) == 32 && ULAt(cells, c + 1) == 2 &&
                ULAt(cells, c + 2) == 2 && NoteAt(cells, c + 3) == 32 && NoteAt(cells, c + 4) == '0') {
                cells[static_cast<std::size_t>(c + 3)].UL = 1;
                c += 5;
                continue;
            }
            if (c < cols - 5 && NoteAt(cells, c) == 32 && ULAt(cells, c + 1) == 1 &&
                (NoteAt(cells, c + 2) == 32 || NoteAt(cells, c + 2) == kJianpuDot) &&
                NoteAt(cells, c + 3) == 32 && NoteAt(cells, c + 4) == '0') {
                cells[static_cast<std::size_t>(c + 2)].UL = 1;
                cells[static_cast<std::size_t>(c + 3)].UL = 1;
                c += 5;
                continue;
            }
        }
        ++c;
    }

    RespellEnharmonics(cells);

    const int size = static_cast<int>(cells.size());
    for (c = 0; c <= size - 3; ++c) {
        TCell& cell = cells[static_cast<std::size_t>(c)];
        if (cell.cellType != ctText && cell.cellType != ctSoundEffect && cell.cellType != ctSymbol &&
            cell.cellType != ctTimeSig)
            cell.upNote = 32;
    }
    for (c = 0; c <= size - 3; ++c) {
        const TCell& cell = cells[static_cast<std::size_t>(c)];
        const TCell& after = cells[static_cast<std::size_t>(c + 2)];
        if (cell.cellType == ctJianpu && cell.Note == '0' && cell.UL > 0 && NoteAt(cells, c + 1) == 32 &&
            IsJianpuNoteCell(after) && after.UL == cell.UL) {
            cells[static_cast<std::size_t>(c + 1)].UL = cell.UL;
            c += 2;
        }
    }

    if (numerator % 3 != 0) {
        int counter = 0, run = 0;
        for (c = 0; c < std::min(cols, size); ++c) {
            TCell& cell = cells[static_cast<std::size_t>(c)];
            if (cell.UL == 1) {
                if (IsDigitNote(cell))
                    ++counter;
                if (c > 4 && NoteAt(cells, c - 1) == 32 && IsJianpuDigit(NoteAt(cells, c - 2)) &&
                    ULAt(cells, c - 2) == 1 && NoteAt(cells, c - 3) == 32 && ULAt(cells, c - 3) == 0)
                    cells[static_cast<std::size_t>(c - 1)].UL = 1;
                ++run;
                continue;
            }
            if (counter >= 4 && run > 4) {
                // Four joined eighths become two pairs: the blank before the
                // second-last digit of the run loses its underline.
                int digits = 0;
                for (int b = c - 1; b >= c - run && b >= 0; --b) {
                    if (!IsDigitNote(cells[static_cast<std::size_t>(b)]))
                        continue;
                    if (++digits == 2) {
                        if (b >= 1 && NoteAt(cells, b - 1) == 32)
                            cells[static_cast<std::size_t>(b - 1)].UL = 0;
                        break;
                    }
                }
            }
            counter = 0;
            run = 0;
        }
    }

    for (c = 0; c < std::min(cols, size); ++c) {
        if (!IsCombineTailStart(cells[static_cast<std::size_t>(c)]))
            continue;
        int carried = 0;
        int d = c;
        for (; d < std::min(cols, size); ++d) {
            TCell& cd = cells[static_cast<std::size_t>(d)];
            if (cd.UL != 0)
                carried = cd.UL;
            else
                cd.UL = carried;
            if (IsCombineTailEnd(cd))
                break;
        }
        c = d;
    }

    // On layer 1 the converted row becomes the twin row above once it is finished.
    (void)row;
    ShiftDashesRight(cells);
    DotsToDotCells(cells);
}

void TConvertW2J::ShiftDashesRight(TCellRow& cells) {
    const int cols = std::min(GridCols(), static_cast<int>(cells.size()));
    for (int c = cols - 3; c >= 3; --c) {
        TCell& cell = cells[static_cast<std::size_t>(c)];
        if (cell.Note != kJianpuDash)
            continue;
        const TCell& left = cells[static_cast<std::size_t>(c - 1)];
        if (left.Note == 32 && left.CompressNotes.empty())
            continue;
        const int after = NoteAt(cells, c + 2);
        if (IsEmptyCell(cells[static_cast<std::size_t>(c + 1)]) && (after == 32 || after == kRowEndCode)) {
            cells[static_cast<std::size_t>(c + 1)] = cell;
            ResetCell(cell, false);
        }
    }
}

void TConvertW2J::DotsToDotCells(TCellRow& cells) {
    const int cols = std::min(GridCols(), static_cast<int>(cells.size()));
    for (int c = 0; c + 1 < cols; ++c) {
        TCell& cell = cells[static_cast<std::size_t>(c)];
        if (!IsJianpuNoteChar(cell.Note) || (cell.option & (8u | 64u)) == 0)
            continue;
        TCell& next = cells[static_cast<std::size_t>(c + 1)];
        if (!IsEmptyCell(next))
            continue;
        next.cellType = ctJianpu;
        next.Note = kJianpuDot;
        cell.option &= ~8u;
        if (cell.option & 64u) {
            cell.option &= ~64u;
            if (c + 2 < cols && IsEmptyCell(cells[static_cast<std::size_t>(c + 2)])) {
                cells[static_cast<std::size_t>(c + 2)].cellType = ctJianpu;
                cells[static_cast<std::size_t>(c + 2)].Note = kJianpuDot;
            } else {
                cell.option |= 8u;
            }
        }
    }
}
