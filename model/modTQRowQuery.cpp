#include "model/modTQRowQuery.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "model/modTQGroup.h"
#include "model/modTQKeys.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"

namespace {

constexpr int kDashChar = -106;
constexpr int kCommentStaffBit = 32;

bool RowInGrid(int row) {
    return frmMainTQ && row >= 0 && row < frmMainTQ->Rows;
}

// A row of the grid at an address (RowAtAddress), or nullptr when the row lies
// outside the grid or the page does not exist.
const TCellRow* GridRow(int row, int page, int layer) {
    return RowInGrid(row) ? RowAtAddress(row, page, layer) : nullptr;
}

// The layer's page, or nullptr when the page does not exist.
const TPage* PageOf(int page, int layer) {
    if (!frmMainTQ || layer < 0 || layer > 1 || page < 0)
        return nullptr;
    const TLayer& pages = frmMainTQ->PageSets[static_cast<size_t>(layer)];
    if (static_cast<size_t>(page) >= pages.size())
        return nullptr;
    return &pages[static_cast<size_t>(page)];
}

// Columns 0..Cols-1 of a row vector, never past its end.
int GridColumns(const TCellRow& cells) {
    int n = frmMainTQ ? frmMainTQ->Cols : 0;
    return std::min(n, static_cast<int>(cells.size()));
}

} // namespace

bool HasClefInRow(const TCellRow& cells, int limit) {
    int col = -1;
    return GetFirstClefInRow(cells, col, limit) != 0;
}

bool IsWestRow(int row, int limit, int page) {
    const TCellRow* cells = GridRow(row, ResolvePage(page), 0);
    return cells && HasClefInRow(*cells, limit);
}

bool IsWestRowAtCursor() {
    if (!frmMainTQ)
        return false;
    const TCellRow* cells = RowAtAddress(frmMainTQ->SelRow0, -1, 0);
    return cells && HasClefInRow(*cells, 0);
}

bool IsPlayableWestRow(int row) {
    const TCellRow* cells = GridRow(row, -1, 0);
    if (!cells)
        return false;
    for (int c = 0; c < GridColumns(*cells); ++c) {
        const TCell& cell = (*cells)[static_cast<size_t>(c)];
        if (IsClefCell(cell) && (cell.playDur & kCommentStaffBit) == 0)
            return true;
    }
    return false;
}

bool IsDrumStaffRow(int row) {
    const TCellRow* cells = GridRow(row, -1, 0);
    if (!cells)
        return false;
    for (int c = 0; c < GridColumns(*cells); ++c) {
        const TCell& cell = (*cells)[static_cast<size_t>(c)];
        if (IsClefCell(cell))
            return cell.Note == -4 || cell.Note == -6;
    }
    return false;
}

namespace {

// How far ahead IsJianpuMusicRow asks for cells.
constexpr std::size_t kRowScanAhead = 16;

// The answers kept while a TJianpuRowAnswerScope lives: per layer, page by page,
// -1 for a row not judged yet.
struct TJianpuRowAnswers {
    const TMainScore* score = nullptr;
    int rows = -1, cols = -1;
    std::vector<signed char> known[2];
    bool Matches() const { return score == frmMainTQ && rows == frmMainTQ->Rows && cols == frmMainTQ->Cols; }
    void Restart() {
        score = frmMainTQ;
        rows = frmMainTQ->Rows;
        cols = frmMainTQ->Cols;
        known[0].clear();
        known[1].clear();
    }
};

int gJianpuAnswerScopes = 0;
TJianpuRowAnswers& JianpuAnswers() {
    static TJianpuRowAnswers answers;
    return answers;
}

bool JudgeJianpuMusicRow(int row, int page, int layer);

} // namespace

TJianpuRowAnswerScope::TJianpuRowAnswerScope() {
    if (gJianpuAnswerScopes++ == 0)
        JianpuAnswers().score = nullptr;
}

TJianpuRowAnswerScope::~TJianpuRowAnswerScope() {
    if (--gJianpuAnswerScopes == 0) {
        JianpuAnswers().score = nullptr;
        JianpuAnswers().known[0].clear();
        JianpuAnswers().known[1].clear();
    }
}

bool IsJianpuMusicRow(int row, int page, int layer) {
    if (gJianpuAnswerScopes == 0 || !RowInGrid(row))
        return JudgeJianpuMusicRow(row, page, layer);
    page = ResolvePage(page);
    layer = ResolveLayer(layer);
    if (layer < 0 || layer > 1 || page < 0 ||
        static_cast<std::size_t>(page) >= frmMainTQ->PageSets[static_cast<std::size_t>(layer)].size())
        return JudgeJianpuMusicRow(row, page, layer);
    TJianpuRowAnswers& a = JianpuAnswers();
    if (!a.Matches())
        a.Restart();
    std::vector<signed char>& known = a.known[layer];
    const std::size_t rows = static_cast<std::size_t>(a.rows);
    const std::size_t at = static_cast<std::size_t>(page) * rows + static_cast<std::size_t>(row);
    if (at >= known.size())
        known.resize(frmMainTQ->PageSets[static_cast<std::size_t>(layer)].size() * rows, -1);
    if (known[at] < 0)
        known[at] = JudgeJianpuMusicRow(row, page, layer) ? 1 : 0;
    return known[at] != 0;
}

namespace {

// A row is Jianpu music when enough of its cells sound. The counters:
// sounding cells (with dashes), notes and rests among them, sounding cells since
// the last counted bar line, and bar lines that close a measure. Bar lines are
// read from layer 0 of the same page, where they stand for both layers.
bool JudgeJianpuMusicRow(int row, int page, int layer) {
    if (!RowInGrid(row))
        return false;
    page = ResolvePage(page);
    layer = ResolveLayer(layer);
    const TCellRow* cells = RowAtAddress(row, page, layer);
    if (!cells)
        return false;
    const TCellRow* nextRow = RowAtAddress(row + 1, page, layer);
    // The bar lines: layer 0's row, looked up once; its cells on the grid proper.
    const TCellRow* barRow = RowAtAddress(row, page, 0);
    const size_t barCells =
        barRow ? std::min(barRow->size(), static_cast<size_t>(std::max(frmMainTQ->Cols, 0))) : 0;

    int sounding = 0, notes = 0, sinceBar = 0, bars = 0;
    bool spanningMark = false;
    for (size_t i = 0; i < cells->size(); ++i) {
        const TCell& cell = (*cells)[i];
        // Rows are read whole, mostly for the first time in a while (a page of
        // a long score is far from the last one read): ask for the cells some
        // steps ahead, both ends of the fields read here, before they are needed.
        if (i + kRowScanAhead < cells->size()) {
            __builtin_prefetch(&(*cells)[i + kRowScanAhead].Note);
            __builtin_prefetch(&(*cells)[i + kRowScanAhead].Attr);
        } else if (nextRow && i + kRowScanAhead - cells->size() < nextRow->size()) {
            // the row below is most often asked about next
            const TCell& ahead = (*nextRow)[i + kRowScanAhead - cells->size()];
            __builtin_prefetch(&ahead.Note);
            __builtin_prefetch(&ahead.Attr);
        }
        // A blank cell (most of a page) neither sounds nor marks anything; only
        // the bar line above it in layer 0 can count.
        const bool blank = cell.Note == ' ' && cell.markType == 0 && cell.Attr == 0;
        if (!blank && IsBarMarkCell(cell)) {
            spanningMark = true;
        } else if (i < barCells && IsBarLineCell((*barRow)[i])) {
            if (sinceBar != 0 || bars == 0) {
                sinceBar = 0;
                ++bars;
            }
        } else if (blank) {
            continue;
        } else if (IsJianpuSound(cell) || cell.Note == kDashChar) {
            ++sounding;
            ++sinceBar;
            if (IsJianpuNoteCell(cell) || cell.Note == '0')
                ++notes;
            if (sounding >= 9 && notes >= 4)
                return true;
        }
        if ((cell.cellType == ctSymbol && cell.Note == 85) || cell.markType == 87)
            return true;
    }
    return (spanningMark && sounding >= 2 && notes >= 3) || (sounding >= 4 && notes >= 3) ||
           (bars >= 1 && sounding >= 4);
}

} // namespace

bool IsMusicRow(int row) {
    if (!RowInGrid(row))
        return false;
    return IsJianpuMusicRow(row, -1, -1) || IsWestRow(row, 0, -1);
}

namespace {

template <typename RowTest>
bool AnyRowInRange(int rowFrom, int rowTo, RowTest test) {
    if (!frmMainTQ)
        return false;
    if (rowTo < rowFrom)
        rowTo = frmMainTQ->Rows - 1;
    if (rowFrom > rowTo)
        return false;
    for (int r = std::max(rowFrom, 0); r <= rowTo; ++r)
        if (test(r))
            return true;
    return false;
}

} // namespace

bool HasJianpuRowInRange(int rowFrom, int rowTo, int page) {
    return AnyRowInRange(rowFrom, rowTo, [page](int r) { return IsJianpuMusicRow(r, page, 0); });
}

bool HasWestRowInRange(int rowFrom, int rowTo, int page) {
    return AnyRowInRange(rowFrom, rowTo, [page](int r) { return IsWestRow(r, 0, page); });
}

bool ScoreHasJianpuRows() {
    if (!frmMainTQ)
        return false;
    for (int p = 0; p < frmMainTQ->PageCount; ++p)
        for (int r = 0; r < frmMainTQ->Rows; ++r)
            if (IsJianpuMusicRow(r, p, 0))
                return true;
    return false;
}

bool HasBarMarkInFirstHalf(int row) {
    const TCellRow* cells = GridRow(row, -1, -1);
    if (!cells)
        return false;
    size_t half = cells->size() / 2;
    for (size_t i = 0; i < half; ++i)
        if (IsBarMarkCell((*cells)[i]))
            return true;
    return false;
}

bool IsRowEmpty(const TCellRow& cells) {
    for (int c = 0; c < GridColumns(cells); ++c)
        if (!IsEmptyCell(cells[static_cast<size_t>(c)]))
            return false;
    return true;
}

bool IsPageEmpty(int page, int layer) {
    const TPage* cells = PageOf(page, layer);
    if (!cells)
        return false; // a page that does not exist is not reported empty
    if (layer == 1) {
        const TPage* base = PageOf(page, 0);
        if (!base || base->size() != cells->size())
            return true; // a layer-1 page that does not match layer 0 holds nothing usable
    }
    int rows = std::min(frmMainTQ->Rows, static_cast<int>(cells->size()));
    for (int r = 0; r < rows; ++r)
        if (!IsRowEmpty((*cells)[static_cast<size_t>(r)]))
            return false;
    return true;
}

bool GetGrandStaffPartner(int row, int& partnerRow) {
    partnerRow = -1;
    for (size_t i = 0; i + 1 < GroupRows.size(); ++i) {
        const TGroupData& g = GroupRows[i];
        if (!g.hasSystemMark)
            continue;
        if (g.row == row) {
            partnerRow = GroupRows[i + 1].row;
            return true;
        }
        if (GroupRows[i + 1].row == row) {
            partnerRow = g.row;
            return true;
        }
    }
    return false;
}

// Keys are read by key code on every keyboard layout, so no layout ever needs to be
// switched back from: the Chinese layout is never the active one here.
bool IsChineseKeyboard() { return false; }

bool IsFileReadOnly(const std::string& fileName) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::file_status st = fs::status(fs::path(fileName), ec);
    if (ec || !fs::exists(st))
        return false;
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (st.permissions() & writable) == fs::perms::none;
}

bool IsAllDigits(const std::string& text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    if (b == e)
        return false;
    for (size_t i = b; i < e; ++i)
        if (!IsDigitChar(text[i]))
            return false;
    return true;
}

// A lead byte of a double-byte character; the last byte alone cannot start one.
bool HasDoubleByteChar(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return true;
    return false;
}
