// Jianpu to Western: finishing a converted row (beams by beat, merged rests,
// stems from the staff positions, bar-line and row-end clean-up, room after the
// header of a single staff).
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "convert/modTQConvertJ2W.h"
#include "edit/modTQWestBeaming.h"
#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQTailLinks.h"
#include "render/modTQMainView.h"

namespace {

constexpr uint32_t kGraceBit = 0x10000000u;

bool IsShortValue(const TCell& c) {
    return c.cellType == 8 && c.Note >= 4 && c.Note <= 9;
}

bool IsBeamable(const TCell& c) {
    return IsShortValue(c) && c.CompressNotes.empty() && c.westChordArray.empty();
}

bool IsQuarterRest(const TCell& c) {
    return c.cellType == 8 && c.Note == 22;
}

void ClearRunBits(uint32_t& option) {
    option &= ~(0x800000u | 0x1000000u);
    if (option & 0x400000u) {
        option &= ~0x400000u;
        option |= 0x10u;
    }
}

int CallFlipStems(int layer, int col, int row) {
    if (J2WServices.FlipStems)
        return J2WServices.FlipStems(layer, col, row);
    TCellRow* cells = CvtGridRow(layer, row);
    if (!cells || col < 0 || col >= static_cast<int>(cells->size()))
        return col;
    const int saved = CurLayer;
    CurLayer = layer;
    const int last = FlipStemsInRow(col, row, *cells, false);
    CurLayer = saved;
    return last;
}

} // namespace

void TConvertJ2W::MakeWestRest(TCell& cell, int code) {
    cell.Note = code;
    cell.cellType = 8;
    cell.yAdj = 0.0f;
}

void TConvertJ2W::SetBeamStemDirection(TCellRow& row, int e, int n) {
    int hi = -100, lo = 100;
    std::vector<size_t> notes;
    for (int k = std::min(e, static_cast<int>(row.size())) - 1; k >= 0 && static_cast<int>(notes.size()) < n;
         --k) {
        const TCell& c = row[static_cast<size_t>(k)];
        if (!IsBeamable(c))
            continue;
        const int pos = CvtTruncPos(c.yAdj);
        hi = std::max(hi, pos);
        lo = std::min(lo, pos);
        notes.push_back(static_cast<size_t>(k));
    }
    if (notes.empty())
        return;
    int up = 0;
    if (lo >= 0)
        up = 1;
    else if (hi < 1)
        up = 0;
    else
        up = hi > std::abs(lo) ? 1 : 0;
    for (size_t k : notes)
        row[k].option = (row[k].option & ~0x1u) | static_cast<uint32_t>(up);
}

void TConvertJ2W::FinishWesternRow(TCellRow& row, int r, int h) {
    TMainView* view = MainView();
    if (!view)
        return;
    const int cols = std::min(view->Cols, static_cast<int>(row.size()));
    auto at = [&](int c) -> TCell& { return row[static_cast<size_t>(c)]; };

    // 1. Tail links of the Jianpu row mean nothing any more.
    ClearTailLinks(0, r, view->Cols, r);

    // 2. Runs of short notes: stems by the run's extremes; option bits tidied.
    int run = 0;
    for (int c = 1; c < cols; ++c) {
        TCell& cell = at(c);
        if (IsBeamable(cell)) {
            ++run;
        } else if (!(cell.Note == ' ' && cell.UL > 0)) {
            if (run >= 2)
                SetBeamStemDirection(row, c, run);
            run = 0;
        }
        ClearRunBits(cell.option);
        for (TCompressNote& small : cell.CompressNotes)
            ClearRunBits(small.option);
        for (TWestChord& chord : cell.westChordArray)
            chord.option &= ~(0x800000u | 0x1000000u);
    }
    if (run >= 2)
        SetBeamStemDirection(row, cols, run);

    // 3. Bar lines after the header, whole-measure rests, quarter-rest runs and
    // beams by beat.
    bool rowStart = true;
    for (int c = 1; c < cols; ++c) {
        TCell& cell = at(c);
        const bool bar = IsBarLineAt(c, r, view->CurPage) && cell.markType != 30 && cell.markType != 73 &&
                         cell.markType != 28 && cell.Note != ':' && cell.Note != ';' && cell.Note != '>' &&
                         cell.Note != '<';
        if (bar) {
            if (rowStart && c <= 3)
                cell.Note = ' ';
            rowStart = false;
            continue;
        }
        if (cell.Note != ' ')
            rowStart = false;
        if (cell.markType == 87) {
            MakeWestRest(cell, 20);
            cell.markType = 0;
        } else if (IsQuarterRest(cell)) {
            int count = 0, e = c;
            for (int k = c; k < cols; ++k) {
                const TCell& x = at(k);
                if (IsQuarterRest(x)) {
                    ++count;
                    e = k;
                } else if (x.Note != ' ' || IsBarLineAt(k, r, view->CurPage)) {
                    break;
                }
            }
            // Runs of one to four rests in layer 0 become one or two longer
            // rests; other runs keep their quarter rests.
            if (count == 1) {
                MakeWestRest(cell, 22);
            } else if (count <= 4 && CurLayer == 0) {
                for (int k = c; k <= e; ++k)
                    at(k).Note = ' ';
                if (count == 2) {
                    MakeWestRest(at((c + e) / 2), 21);
                } else if (count == 3) {
                    MakeWestRest(at(c), 21);
                    MakeWestRest(at(e), 22);
                } else {
                    MakeWestRest(at((c + e) / 2), 20);
                }
            }
            c = e;
        } else if (IsShortValue(cell)) {
            double sum = 0.0;
            const float size = cell.fontSizeR;
            int lastCol = c;
            for (int k = c; k < cols; ++k) {
                TCell& x = at(k);
                if (x.cellType == 8 && x.Note >= 1 && x.Note < 3)
                    break;
                if (x.cellType == 8 && x.Note >= 19 && x.Note <= 27 && !(x.option & 0x8u))
                    break;
                if (x.UL == 0 || IsBarLineAt(k, r, view->CurPage) || x.fontSizeR != size)
                    break;
                if (x.Note != kJianpuDot && x.Note != ' ') {
                    // A dot adds half the value, a second dot a quarter more.
                    const double dots = (x.option & 0x40u) ? 1.75 : (x.option & 0x8u) ? 1.5 : 1.0;
                    sum += dots / std::ldexp(1.0, x.UL);
                }
                x.UL = 0;
                lastCol = k;
                if (sum > 0.99)
                    break;
            }
            if (lastCol > c && !IsCombineTailStart(cell))
                AutoCombineTails(c, r, lastCol, r, 1000000);
            c = lastCol;
        }
    }

    // 4. The header's system mark moves to the start column of the row's group.
    if (h > 0 && h < cols && at(h).markType != 0) {
        int first = r, lastRow = r;
        const int start = GetRowGroupRange(first, lastRow, -1);
        if (start >= 0 && start < cols) {
            TCell& target = at(start);
            if (!(IsClefCell(target) && target.markType == 30)) {
                target.markType = at(h).markType;
                target.jEnd = at(h).jEnd;
            }
        }
    }

    // 5. Stems from the staff positions.
    bool drum = false;
    for (int c = 0; c < cols; ++c) {
        TCell& cell = at(c);
        if (drum) {
            cell.option &= ~0x1u;
            cell.yAdj = 0.0f;
            continue;
        }
        if (IsClefCell(cell) && (cell.Note == -4 || cell.Note == -6)) {
            drum = true;
            continue;
        }
        if (cell.cellType == 8 && IsWholeNoteValue(cell)) {
            cell.option &= ~0x1u;
            continue;
        }
        if (cell.option & kGraceBit)
            continue;
        if (!IsWestNoteCell(cell, 1))
            continue;
        const bool small = !cell.CompressNotes.empty();
        const float low = small ? 3.0f : -1.0f;
        const float high = small ? -3.0f : -1.0f;
        if ((cell.yAdj > low && !IsStemFlipped(cell)) || (cell.yAdj < high && IsStemFlipped(cell)))
            c = std::max(c, CallFlipStems(CurLayer, c, r));
    }

    // 6. Whole, half and quarter notes start no beam; bar lines carry no
    // underline.
    for (int c = 0; c < cols; ++c) {
        TCell& cell = at(c);
        if (cell.cellType == 8 && cell.Note >= 1 && cell.Note <= 3)
            cell.option &= ~0x2u;
        if (IsBarLineCell(cell))
            cell.UL = 0;
    }

    // 7. The Jianpu underline groups become beam groups.
    CombineUnderlinedRuns(r);

    // 8. Row-end marks.
    for (int c = cols - 1; c >= 0; --c) {
        TCell& cell = at(c);
        if (cell.markType != 0)
            break;
        if (cell.Note == kRowEndCode) {
            cell.Note = ' ';
            continue;
        }
        if (cell.Note != ' ')
            break;
    }

    // 9. Room after the header of a single staff.
    if (GroupRows.size() == 1) {
        const int limit = view->CurKey >= 4 ? 4 : 3;
        for (int c = 1; c < std::min(limit, cols); ++c)
            if (IsWestNoteOrRest(at(c), 1) && !WidenAroundNote(c, r, row))
                break;
    }

    // 10. Small-note beams inside a cell.
    for (int c = 1; c < cols; ++c) {
        TCell& cell = at(c);
        if (cell.CompressNotes.size() < 2)
            continue;
        const bool allShort =
            std::all_of(cell.CompressNotes.begin(), cell.CompressNotes.end(),
                        [](const TCompressNote& n) { return n.code == kJianpuDot || n.code >= 4; });
        if (!allShort)
            continue;
        cell.CompressNotes.front().option |= 0x2u;
        cell.CompressNotes.back().option |= 0x4u;
        cell.option |= 0x4u;
    }
}

void TConvertJ2W::CombineUnderlinedRuns(int r) {
    const TCellRow& src = SourceRows[static_cast<size_t>(CurLayer & 1)];
    const TCellRow& src0 = SourceRows[0];
    const TCellRow* out = CvtGridRow(CurLayer, r);
    if (!out)
        return;
    const int n = static_cast<int>(std::min(src.size(), out->size()));
    int first = -1;
    // A run the beats already grouped keeps those groups; the others (runs
    // the beat walk stopped short of) become one group each.
    auto grouped = [&](int a, int b) {
        for (int k = a; k <= b; ++k)
            if ((*out)[static_cast<size_t>(k)].option & 0x6u)
                return true;
        return false;
    };
    auto close = [&](int end) {
        if (first >= 0 && end - first >= 1 && !grouped(first, end))
            AutoCombineTails(first, r, end, r, 1000000);
        first = -1;
    };
    for (int c = 0; c < n; ++c) {
        const bool bar = c < static_cast<int>(src0.size()) && IsBarLineCell(src0[static_cast<size_t>(c)]);
        if (!bar && src[static_cast<size_t>(c)].UL > 0) {
            if (first < 0)
                first = c;
            continue;
        }
        close(c - 1);
    }
    close(n - 1);
}

void TConvertJ2W::ShiftCellsRight(int a, int b, int r) {
    TCellRow* cells = CvtGridRow(CurLayer, r);
    if (!cells || a < 0 || b >= static_cast<int>(cells->size()) || a > b)
        return;
    for (int k = b; k > a; --k) {
        TCell& to = (*cells)[static_cast<size_t>(k)];
        to = (*cells)[static_cast<size_t>(k - 1)];
        if (to.markType != 0)
            ++to.iEnd;
    }
    ResetCell((*cells)[static_cast<size_t>(a)]);
}

bool TConvertJ2W::WidenAroundNote(int c, int r, TCellRow& row) {
    const int n = static_cast<int>(row.size());
    if (c + 2 >= n || row[static_cast<size_t>(c + 1)].Note != ' ' ||
        row[static_cast<size_t>(c + 2)].Note != ' ')
        return false;
    ShiftCellsRight(c, c + 1, r);
    const TMainView* view = MainView();
    const int rows = view ? view->Rows : 0;
    int above = 0;
    while (above < 4 && r - above - 1 >= 0 && !IsMusicRow(r - above - 1))
        ++above;
    const int upShift = r <= 2 ? std::min(r, above) : above / 2;
    for (int k = 1; k <= upShift; ++k)
        ShiftCellsRight(c, c + 1, r - k);
    int below = 0;
    while (below < 4 && r + below + 1 < rows && !IsMusicRow(r + below + 1))
        ++below;
    const int downShift = r >= rows - 2 ? std::min(2, below) : below / 2;
    for (int k = 1; k <= downShift; ++k)
        ShiftCellsRight(c, c + 1, r + k);
    return true;
}
