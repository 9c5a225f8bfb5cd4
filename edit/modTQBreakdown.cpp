// Part breakdown.
#include "edit/modTQBreakdown.h"

#include <algorithm>

#include "model/modTQCellAccess.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "model/modTQScan.h"
#include "model/modTQUndo.h"
#include "model/modTQUtil.h"
#include "platform/core/TQMessage.h"
#include "render/modTQMainView.h"
#include "render/modTQViewQuery.h"

namespace {

const TCell* SourceCell(int col, int row, int layer) {
    TMainScore* s = frmMainTQ;
    if (col < 0 || row < 0 || col >= s->Cols || row >= s->Rows)
        return nullptr;
    const auto& pages = s->PageSets[size_t(layer)];
    if (s->CurPage < 0 || s->CurPage >= int(pages.size()))
        return nullptr;
    const TPage& page = pages[size_t(s->CurPage)];
    if (row >= int(page.size()) || col >= int(page[size_t(row)].size()))
        return nullptr;
    return &page[size_t(row)][size_t(col)];
}

bool RowHasClef(const TCellRow& cells, int cols) {
    for (int c = 0; c < cols && c < int(cells.size()); ++c)
        if (IsClefCell(cells[size_t(c)]))
            return true;
    return false;
}

std::string Joined(const std::vector<std::string>& items) {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? "_" : "") + items[i];
    return out;
}

} // namespace

std::string TBreakdown::NumbersSuffix() const {
    std::vector<std::string> items;
    for (int n : Numbers)
        items.push_back(std::to_string(n));
    return Joined(items);
}

std::string TBreakdown::NamesSuffix() const { return Joined(Names); }

int TBreakdown::BracketEndRow(int row) const {
    for (int c = 0; c < frmMainTQ->Cols; ++c) {
        const TCell* cell = SourceCell(c, row, 0);
        if (cell && IsBarMarkCell(*cell))
            return cell->jEnd;
    }
    return 0;
}

bool TBreakdown::IsPartRow(int row) const {
    if (IsWestRow(row, 0, -1))
        return true;
    const int cols = frmMainTQ->Cols;
    int sounding = 0, bars = 0;
    for (int c = std::max(GroupStartCol, 0) + 1; c < cols; ++c) {
        const TCell* cell = SourceCell(c, row, 0);
        if (!cell)
            continue;
        if (IsJianpuSound(*cell) || (cell->cellType == ctJianpu && cell->Note == -106))
            ++sounding;
        if (IsBarLineCell(*cell))
            ++bars;
    }
    return bars == 0 ? sounding > cols / 6 : sounding >= bars;
}

int TBreakdown::PickStaffRow(int i, int first, int last) const {
    switch (rule_) {
    case 0: {
        const int n = Numbers[size_t(i)];
        // A line number the system does not have is a missing part.
        if (n < 1 || n > int(GroupRows.size()))
            return -1;
        return GroupRows[size_t(n - 1)].row;
    }
    case 1: {
        const std::string want = Names[size_t(i)].substr(0, 10);
        for (const TGroupData& g : GroupRows)
            if (g.Name().substr(0, 10) == want)
                return g.row;
        return -1;
    }
    case 2: {
        const int n = Numbers[size_t(i)];
        int counted = 0;
        for (int r = first; r <= last;) {
            if (IsPartRow(r)) {
                if (++counted == n)
                    return r;
                const int end = BracketEndRow(r);
                r = (end > r ? end : r) + 1;
            } else {
                ++r;
            }
        }
        return -1;
    }
    case 3:
        return i < int(Numbers.size()) ? Numbers[size_t(i)] : -1;
    default:
        return -1;
    }
}

void TBreakdown::CopyRows(int srcFirst, int srcLast, int target, int partCount) {
    if (srcFirst < 0)
        return;
    const int cols = frmMainTQ->Cols;
    const int rows = frmMainTQ->Rows;
    for (int src = srcFirst; src <= srcLast; ++src) {
        const int t = target + (src - srcFirst);
        if (t >= rows)
            break;
        for (int layer = 0; layer < (HasLayer1 ? 2 : 1); ++layer)
            for (int c = 0; c < cols; ++c) {
                const TCell* from = SourceCell(c, src, layer);
                TCell cell = from ? *from : TCell{};
                if (partCount < 2 && cell.markType == 54191118)
                    cell.markType = 0;
                else if (cell.markType == 30 && partCount == 1 && rule_ != 2)
                    cell.markType = 0;
                else if (cell.markType > 0)
                    cell.jEnd += t - src;
                OutPage[size_t(layer)][size_t(t)][size_t(c)] = std::move(cell);
            }
    }
}

void TBreakdown::ResetOutPage() {
    const int rows = frmMainTQ->Rows, cols = frmMainTQ->Cols;
    for (int layer = 0; layer < 2; ++layer) {
        TPage& page = OutPage[size_t(layer)];
        page.assign(size_t(rows + 1), TCellRow(size_t(cols + 1)));
    }
}

void TBreakdown::FlushOutputPage() {
    for (int layer = 0; layer < (HasLayer1 ? 2 : 1); ++layer)
        ResultPages[size_t(layer)].push_back(OutPage[size_t(layer)]);
    ResetOutPage();
}

void TBreakdown::FinishParts() {
    TMainScore* s = frmMainTQ;
    for (int layer = 0; layer < (HasLayer1 ? 2 : 1); ++layer) {
        ResultPages[size_t(layer)].push_back(OutPage[size_t(layer)]);
        s->PageSets[size_t(layer)] = ResultPages[size_t(layer)];
    }
    s->PageCount = int(s->PageSets[0].size());
}

bool TBreakdown::ProcessGroup(int first, int last) {
    TMainScore* s = frmMainTQ;
    const int start = GetRowGroup(first, -1);
    if (start >= 0)
        GroupStartCol = start;
    if (rule_ == 3)
        CollectMarkedRows(first, last, Numbers);
    const int count = rule_ == 1 ? int(Names.size()) : int(Numbers.size());
    if (count == 0)
        return false;
    const TBreakdownOptions& o = Options;
    const int needed = count + (o.Top ? o.TopLines : 0) + (o.Pre ? o.PreLines * count : 0) +
                       (o.Follow ? o.FollowLines * count : 0);
    if (OutRow + needed >= s->Rows - 2) {
        FlushOutputPage();
        OutRow = 1;
    }
    const int blockStart = OutRow;
    auto copyLine = [&](int src) {
        CopyRows(src, src, OutRow, count);
        ++OutRow;
    };
    if (o.Top)
        for (int r = first - o.TopLines; r <= first - 1; ++r)
            copyLine(r);

    const bool startColOk = GroupStartCol >= 0 && GroupStartCol < s->Cols;
    std::vector<int> staffOut;
    for (int i = 0; i < count; ++i) {
        int row = PickStaffRow(i, first, last);
        if (row < 0)
            return false;
        if (o.Pre)
            for (int r = row - o.PreLines; r <= row - 1; ++r)
                copyLine(r);
        staffOut.push_back(OutRow);
        copyLine(row);
        if (rule_ == 2) {
            const int end = BracketEndRow(row);
            for (int r = row + 1; r <= end; ++r)
                copyLine(r);
            row = std::max(row, end);
        } else if (startColOk && staffOut.back() < s->Rows && !IsWestRow(row, 0, -1) && count == 1) {
            TCell& cell = OutPage[0][size_t(staffOut.back())][size_t(GroupStartCol)];
            if (cell.Note != 58 && cell.Note != 59)
                cell.scratch = kCleanMarker;
        }
        if (o.Follow)
            for (int r = row + 1; r <= row + o.FollowLines; ++r)
                copyLine(r);
    }

    if (startColOk) {
        TPage& out = OutPage[0];
        if (rule_ == 2) {
            if (OutRow < s->Rows) {
                if (o.Pre)
                    out[size_t(blockStart)][size_t(GroupStartCol)].Note = 32;
                if (o.Follow && OutRow >= 1)
                    out[size_t(OutRow - 1)][size_t(GroupStartCol)].Note = 32;
            }
        } else {
            for (int r = blockStart; r < OutRow && r < s->Rows; ++r) {
                TCell& cell = out[size_t(r)][size_t(GroupStartCol)];
                cell.markType = 0;
                cell.jEnd = 0;
                if (cell.Note < 0)
                    continue;
                if (cell.scratch == kCleanMarker) {
                    cell.scratch = 0;
                    if (cell.cellType != ctTimeSig) {
                        cell.Note = 63;
                        continue;
                    }
                }
                if (r == blockStart || r == OutRow - 1 || (!RowHasClef(out[size_t(r)], s->Cols) && count == 1))
                    for (int c = GroupStartCol; c < s->Cols; ++c) {
                        TCell& bar = out[size_t(r)][size_t(c)];
                        if (bar.Note == 63 || bar.Note == 73 || bar.Note == 108)
                            bar.Note = 32;
                    }
            }
        }
        if (count > 1 && rule_ != 2 && staffOut.front() < s->Rows) {
            TCell& mark = out[size_t(staffOut.front())][size_t(GroupStartCol)];
            mark.markType = 30;
            mark.jEnd = staffOut.back();
        }
    }
    OutRow += o.Space;
    return true;
}

bool TBreakdown::ExtractParts(int rule) {
    TMainView* view = MainView();
    rule_ = rule;
    CurLayer = 0;
    ScanRow = 0;
    view->GoToPage(0);

    int first = ScanRow, last = ScanRow;
    if (FindNextRowGroup(first, last, -1) < 0) {
        MessageOkById(1042, "", mkError);
        return false;
    }
    ResultPages[0].clear();
    ResultPages[1].clear();
    HasLayer1 = view->HasJianpuPageAt(0);
    ResetOutPage();

    Numbers.clear();
    Names.clear();
    if (rule == 1) {
        if (!SplitToStrings(Options.Pick, Names) || Names.empty()) {
            MessageOkById(1409, "", mkError);
            return false;
        }
    } else if (rule == 0 || rule == 2) {
        if (!ParseIntList(Options.Pick, Numbers) || Numbers.empty()) {
            MessageOkById(1410, "", mkError);
            return false;
        }
    }

    // Without its snapshot the full score could not come back: nothing is done.
    if (Undo.SaveScoreSnapshot(true).empty())
        return false;
    OutRow = first;
    CopyRows(0, first - 2, 0, 0);

    bool failed = false;
    const int lastPage = int(view->PageSets[0].size()) - 1;
    for (int n = 0; n < kMaxSystems; ++n) {
        const bool ok = ProcessGroup(first, last);
        if (rule != 3 && !ok) {
            failed = true;
            break;
        }
        ScanRow = last + 1;
        first = ScanRow;
        if (ScanRow < view->Rows && FindNextRowGroup(first, last, -1) >= 0)
            continue;
        if (view->CurPage >= lastPage)
            break;
        view->CurPage += 1;
        ScanRow = 0;
        first = 0;
        if (FindNextRowGroup(first, last, -1) < 0)
            break;
    }
    FinishParts();
    view->GoToPage(0);
    if (rule == 3) {
        // The highlighted staves were the choice; the highlights go.
        view->Highlights.clear();
    } else if (failed) {
        MessageOkById(1042, "", mkError);
    }

    // The new name: folder + base + suffix + extension.
    const std::string& old = view->FileName;
    const size_t slash = old.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : old.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? old : old.substr(slash + 1);
    const size_t dot = name.rfind('.');
    const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
    const std::string suffix = rule == 1 ? NamesSuffix() : rule == 3 ? std::string("_parts") : NumbersSuffix();
    NewFileName = folder + base + suffix + ext;
    view->FileName = NewFileName;
    view->ForceSaveAs = true;

    view->PageCaption();
    view->SetModified(true);
    return true;
}

bool BreakdownMayStart() {
    if (frmMainTQ && frmMainTQ->Modified) {
        MessageOkById(1038, "", mkError);
        return false;
    }
    return true;
}

bool ApplyBreakdown(TBreakdown& dialog) {
    if (!dialog.ExtractParts(dialog.Options.Rule))
        return false;
    TMainView* view = MainView();
    view->SetModified(true);
    view->GoToPage(0);
    view->PageCaption();
    view->RedrawPage();
    return true;
}
