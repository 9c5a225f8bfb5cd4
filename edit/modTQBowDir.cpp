// Bow directions over music lines.
#include "edit/modTQBowDir.h"

#include <algorithm>
#include <vector>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "platform/core/TQMessage.h"
#include "render/modTQMainView.h"

namespace {

TCell* CellRef(int col, int row) {
    TMainScore* s = frmMainTQ;
    if (!s || col < 0 || row < 0 || col >= s->Cols || row >= s->Rows)
        return nullptr;
    const int layer = CurLayer == 1 ? 1 : 0;
    if (s->CurPage < 0 || s->CurPage >= int(s->PageSets[size_t(layer)].size()))
        return nullptr;
    TPage& page = s->PageSets[size_t(layer)][size_t(s->CurPage)];
    if (row >= int(page.size()) || col >= int(page[size_t(row)].size()))
        return nullptr;
    return &page[size_t(row)][size_t(col)];
}

bool IsJianpuRest(const TCell& c) { return c.cellType == ctJianpu && c.Note == '0'; }

// A place of a bow movement: a Jianpu or Western note (a Jianpu rest too, so
// that its sign can move to the next note), never a grace cell.
bool IsBowNote(const TCell& c) {
    if (IsGraceCell(c))
        return false;
    return IsNoteCell(c) || IsJianpuRest(c);
}

int Cols() { return frmMainTQ ? frmMainTQ->Cols : 0; }
int Rows() { return frmMainTQ ? frmMainTQ->Rows : 0; }

// The first text cell among columns 0..lastCol of the row; -1 none.
int FirstTextCell(int row, int lastCol) {
    for (int c = 0; c <= lastCol && c < Cols(); ++c) {
        const TCell* cell = CellRef(c, row);
        if (cell && cell->cellType == ctText)
            return c;
    }
    return -1;
}

bool RowHasBarLine(int row) {
    for (int c = 0; c < Cols(); ++c) {
        const TCell* cell = CellRef(c, row);
        if (cell && IsBarLineCell(*cell))
            return true;
    }
    return false;
}

} // namespace

bool IsBowSignCode(int code) {
    return code == 5 || code == 6 || code == 8 || code == 20 || code == 111;
}

int ReverseBowSignCode(int code) {
    switch (code) {
    case 5: return 6;
    case 6: return 5;
    case 8: return 111;
    case 20:
    case 111: return 8;
    default: return code;
    }
}

int TBowDir::NextNoteColumn(int col, int row) const {
    for (int c = std::max(col, 0); c < Cols(); ++c) {
        const TCell* cell = CellRef(c, row);
        if (cell && IsBowNote(*cell))
            return c;
    }
    return -1;
}

int TBowDir::FirstNoteColumn(int col, int row) const {
    if (row < 0 || row >= Rows())
        return -1;
    return NextNoteColumn(col, row);
}

int TBowDir::CountBarLines(int row, int from, int to) const {
    int n = 0;
    for (int c = std::max(from, 0); c <= to && c < Cols(); ++c)
        if (IsBarLineAt(c, row, -1))
            ++n;
    return n;
}

int TBowDir::SlurEndAt(int col, int row) const {
    const TCell* cell = CellRef(col, row);
    if (!cell || !IsSlurMarkCell(*cell))
        return -1;
    // A slur that ends where it starts (or before) leads nowhere.
    return cell->iEnd > col ? cell->iEnd : -1;
}

void TBowDir::PutBowSign(int col, int row, bool push) {
    MarkCounter = (MarkCounter + 1) % 2;
    if (MarkCounter == 0 && Options.Where == 2)
        return;
    const TCell* note = CellRef(col, row);
    if (!note)
        return;
    if (IsJianpuRest(*note)) {
        const TCell* next = CellRef(col + 1, row);
        if (!next || IsJianpuRest(*next))
            return;
        col += 1;
        note = next;
    }
    const int n = int(note->CompressNotes.size());
    const TCell* above = CellRef(col, row - 1);
    const bool blocked = note->markType != 0 || note->upNote != 32 || (above && above->markType != 0);
    const int code = Options.Symbols ? (push ? kBowPushSymbol : kBowPullSymbol)
                                     : (push ? kBowPushArrow : kBowPullArrow);
    // A chord of small notes looks two rows up; any note goes on to the second
    // row when the first holds a mark of its own (a dynamic, a segno, a
    // fermata), as long as that row is no music line.
    for (int k = 1; k <= 2; ++k) {
        TCell* p = CellRef(col, row - k);
        if (!p)
            break;
        if (k == 2 && n < 2 && IsMusicRow(row - k))
            break;
        if (p->cellType == ctJianpu && p->Note == 32 && IsEmptyCell(*p)) {
            p->cellType = ctSymbol;
            if (k == 1 && (blocked || n == 2))
                p->upNote = code;
            else
                p->Note = code;
            return;
        }
        if (p->cellType != ctSymbol)
            continue;
        if (p->Note == 32 && !((blocked && k == 1) || n == 2)) {
            p->Note = code;
            return;
        }
        // the third slot is drawn over the first: only free when the sign
        // would stand over nothing but another bow sign
        const bool clear = (p->Note == 32 || IsBowSignCode(p->Note)) && p->FontColor == 32;
        if (p->upNote == 32 && clear) {
            p->upNote = code;
            return;
        }
    }
    // No clear place (the row above is the page's first): the third slot of the
    // symbol cell above, so that the measure still has its sign.
    if (TCell* p = CellRef(col, row - 1); p && p->cellType == ctSymbol && p->upNote == 32)
        p->upNote = code;
}

bool TBowDir::FollowSlurs(bool markFirst) {
    bool followed = false;
    for (int round = 0; round < Cols(); ++round) {
        const int end = SlurEndAt(Column, Row);
        if (end < 0)
            break;
        if (round > 0)
            PushNow = !PushNow;
        if ((round > 0 || markFirst) && Options.Where == 0)
            PutBowSign(Column, Row, PushNow);
        Column = end;
        followed = true;
    }
    return followed;
}

void TBowDir::ClearBowSigns(int col, int row) {
    for (int c = std::max(col, 0); c < Cols(); ++c)
        for (int k = 1; k <= 2; ++k) {
            TCell* p = CellRef(c, row - k);
            if (!p || p->cellType != ctSymbol)
                continue;
            if (IsBowSignCode(p->Note))
                p->Note = 32;
            if (IsBowSignCode(p->upNote))
                p->upNote = 32;
        }
}

void TBowDir::ReverseBowSigns(int col, int row) {
    for (int c = std::max(col, 0); c < Cols(); ++c)
        for (int k = 1; k <= 2; ++k) {
            TCell* p = CellRef(c, row - k);
            if (!p || p->cellType != ctSymbol)
                continue;
            p->Note = ReverseBowSignCode(p->Note);
            p->upNote = ReverseBowSignCode(p->upNote);
        }
}

bool TBowDir::ProcessLine() {
    if (Mode == bmReverse) {
        ReverseBowSigns(Column, Row);
        return true;
    }
    ClearBowSigns(Column, Row);
    if (Mode == bmClear)
        return true;

    Column = NextNoteColumn(Column, Row);
    if (Column < 0)
        return false;
    int prev = Column;
    bool carried = false;

    // Does the first note lie under a slur coming from further left?
    int slurEnd = -1;
    bool found = false;
    for (int c = Column; c >= 0 && !found; --c)
        for (int k = 0; k <= 1 && !found; ++k) {
            const TCell* cell = CellRef(c, Row - k);
            if (!cell)
                continue;
            const int m = cell->markType;
            if (m == 3 || m == 41 || (c < Column && (m == 1 || m == 39 || m == 81))) {
                slurEnd = cell->iEnd;
                found = true;
            }
        }
    if (slurEnd >= Column) {
        Column = slurEnd; // the next note is searched from the column after the slur
        carried = true;
        PushNow = !PushNow;
    } else {
        PutBowSign(Column, Row, PushNow);
        if (!FollowSlurs(false) && IsShrinkCellAt(Column, Row))
            PushNow = !PushNow;
    }

    Column += 1;
    while (Column < Cols()) {
        PushNow = !PushNow;
        const int next = NextNoteColumn(Column, Row);
        if (next < 0)
            break;
        Column = next;
        if (Options.Where == 0 || carried || CountBarLines(Row, prev, next - 1) > 0)
            PutBowSign(Column, Row, PushNow);
        const int c = Column;
        const bool followed = FollowSlurs(false);
        if (!followed && IsShrinkCellAt(Column, Row))
            PushNow = !PushNow;
        carried = followed && CountBarLines(Row, c, Column) > 0;
        prev = Column;
        Column += 1;
    }
    return true;
}

int TBowDir::BracketStart(int row) const {
    const int limit = std::min(Cols(), 30);
    for (int r = row; r >= 0; --r)
        for (int c = 0; c < limit; ++c) {
            const TCell* cell = CellRef(c, r);
            if (cell && IsBarMarkCell(*cell))
                return cell->jEnd >= row ? r : -1;
        }
    return -1;
}

bool TBowDir::TakeRuleParameter(int cursorRow) {
    switch (Options.LineRule) {
    case 0: {
        int first = cursorRow, last = cursorRow;
        if (GetRowGroupRange(first, last, -1) < 0 || cursorRow < first || cursorRow > last)
            return false;
        LineIndex = 0;
        if (IsMusicRow(cursorRow)) {
            int pos = 0;
            for (int r = first; r <= cursorRow; ++r)
                if (IsMusicRow(r))
                    ++pos;
            LineIndex = pos;
        }
        return true;
    }
    case 1: {
        const int c = FirstTextCell(cursorRow, 19);
        if (c < 0)
            return false;
        InstrumentName = CellRef(c, cursorRow)->Text.str();
        NameColumn = c;
        LineIndex = cursorRow;
        return !InstrumentName.empty();
    }
    case 2: {
        int s = BracketStart(cursorRow);
        if (s < 0)
            return false;
        int k = 1;
        while (s >= 1) {
            const int r = s - 1;
            if (IsMusicRow(r)) {
                s = BracketStart(r);
                if (s > 0)
                    ++k;
            } else {
                if (!RowHasBarLine(r) && BracketStart(r) < 0)
                    break;
                s = r;
            }
        }
        LineIndex = k;
        return true;
    }
    case 3: {
        const TMainView* view = MainView();
        for (int r = std::max(cursorRow, 0); r < Rows(); ++r)
            if (view->FindRowHighlight(r) >= 0) {
                LineIndex = r;
                return r != 0;
            }
        return false;
    }
    default:
        return false;
    }
}

int TBowDir::NextMatchingLine(int row) {
    if (row < 0 || row >= Rows())
        return -1;
    switch (Options.LineRule) {
    case 0: {
        int first = row, last = row;
        if (GetRowGroupRange(first, last, -1) < 0)
            return -1;
        if (last < row) // the group found ends above row: no further system
            return -1;
        std::vector<int> music;
        for (int r = first; r <= last; ++r)
            if (IsMusicRow(r))
                music.push_back(r);
        if (music.empty())
            return -1;
        if (LineIndex <= 0 || LineIndex > int(music.size()))
            return music.front() >= row ? music.front() : -1;
        const int r = music[size_t(LineIndex - 1)];
        return r >= row ? r : -1;
    }
    case 1:
        for (int r = row; r < Rows(); ++r) {
            const int c = FirstTextCell(r, NameColumn + 9);
            if (c >= 0 && CellRef(c, r)->Text.str() == InstrumentName) {
                NameColumn = c;
                return r;
            }
        }
        return -1;
    case 2: {
        int seen = 0;
        for (int r = row; r < Rows(); ++r)
            if (HasBarMarkInFirstHalf(r) && ++seen == LineIndex)
                return r;
        return -1;
    }
    case 3: {
        const TMainView* view = MainView();
        for (int r = row; r < Rows(); ++r)
            if (view->FindRowHighlight(r) >= 0)
                return r;
        return -1;
    }
    default:
        return -1;
    }
}

bool TBowDir::ApplyBowSigns() {
    TMainView* view = MainView();
    const int cursorCol = view->SelCol0;
    const int cursorRow = view->SelRow0;
    if (!TakeRuleParameter(cursorRow)) {
        MessageOkById(1054, "", mkError);
        return false;
    }
    // The start: a row with a note from the cursor.
    Row = -1;
    Column = -1;
    if (Options.LineRule == 3) {
        Row = LineIndex;
        Column = FirstNoteColumn(Row == cursorRow || Row == cursorRow + 1 ? cursorCol : 0, Row);
    } else {
        for (int r = std::max(cursorRow, 0); r < view->Rows; ++r) {
            const int c = FirstNoteColumn(r <= cursorRow + 1 ? cursorCol : 0, r);
            if (c >= 0) {
                Row = r;
                Column = c;
                break;
            }
        }
    }
    if (Row < 0 || Column < 0) {
        MessageOkById(1054, "", mkError);
        return false;
    }

    // A run that could not be taken back is not made.
    if (Undo.SaveScoreSnapshot(true).empty())
        return false;
    if (Options.LineRule != 3)
        view->Highlights.clear();
    MarkCounter = 0;
    PushNow = Options.StartPush;
    const int startPage = view->CurPage;
    const int lastPage = int(view->PageSets[0].size()) - 1;

    for (int line = 0; line < kMaxLines; ++line) {
        if (!ProcessLine() || Options.ApplyTo == 2)
            break;
        if (Column >= view->Cols)
            PushNow = !PushNow;
        if (Options.LineRule == 0 || Options.LineRule == 2) {
            int first = Row, last = Row;
            if (GetRowGroupRange(first, last, -1) >= 0 && first <= Row && last >= Row)
                Row = last;
        }
        Row += 1;
        if (Row < view->Rows)
            Row = NextMatchingLine(Row);
        if (Row < 0 || Row >= view->Rows) {
            if (Options.ApplyTo == 1 || view->CurPage >= lastPage)
                break;
            view->CurPage += 1;
            Row = NextMatchingLine(0);
            if (Row < 0)
                break;
        }
        Column = FirstNoteColumn(0, Row);
        if (Column < 0)
            break;
    }

    view->CurPage = startPage;
    view->GoToPage(startPage);
    view->SetModified(true);
    view->RedrawPage();
    return true;
}

bool TBowDir::ClearWithConfirmation() {
    if (MessageYesNoById(1059, "", mkConfirmation) != mrYes)
        return false;
    Mode = bmClear;
    return ApplyBowSigns();
}
