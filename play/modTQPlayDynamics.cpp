// Dynamics to staff velocity: dynamic marks, words and hairpins set or ramp the
// velocity of each staff from their column on; accents and per-note volume
// adjustments change single columns.
#include <algorithm>
#include <cmath>
#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQScan.h"
#include "model/modTQUtil.h"
#include "platform/core/TQCodec.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"

namespace {

std::string Gbk(const char* utf8) {
    std::string out;
    return Utf8ToCharset(utf8, 134, out) ? out : std::string(utf8);
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos)
        return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

bool Begins(const std::string& t, const std::string& w) { return t.compare(0, w.size(), w) == 0; }

// Words of dynamics, in the order they are tried: exact words, beginnings, result.
struct TDynWord {
    std::vector<std::string> exact;
    std::vector<std::string> begins;
    int result;
};

const std::vector<TDynWord>& DynamicWords() {
    static const std::vector<TDynWord> words = {
        {{"ppp"}, {Gbk("最弱"), Gbk("最 弱")}, 40},
        {{"pp"}, {}, 50},
        {{"p"}, {Gbk("中弱"), Gbk("中 弱")}, 60},
        {{"mp"}, {Gbk("稍弱"), Gbk("稍 弱")}, 75},
        {{"mf"}, {Gbk("稍强"), Gbk("稍 强")}, 90},
        {{}, {"dim", Gbk("渐 弱"), Gbk("渐弱")}, -1},
        {{}, {Gbk("弱")}, 50},
        {{"f"}, {Gbk("中强"), Gbk("中 强")}, 100},
        {{"ff"}, {}, 110},
        {{"fff"}, {Gbk("最强"), Gbk("最 强")}, 124},
        {{}, {"cresc", Gbk("渐 强"), Gbk("渐强")}, -2},
        {{"sf", "fz"}, {Gbk("突强"), Gbk("突 强")}, -3},
        {{"fp", "sfp"}, {Gbk("强弱"), Gbk("强 弱")}, -4},
        {{}, {Gbk("强")}, 100},
    };
    return words;
}

bool IsCrescendoKind(int kind) { return kind == -2 || kind == -5; }

} // namespace

int DynamicVelocity(int code) {
    switch (code) {
    case 1: case 60: return 40;
    case 2: case 61: return 50;
    case 3: case 63: return 60;
    case 4: case 62: return 75;
    case 8: case 64: return 90;
    case 7: case 65: return 100;
    case 6: case 66: return 110;
    case 5: case 67: return 124;
    case 21: case 25: case 68: return -1;
    case 22: case 69: return -2;
    case 9: case 10: case 70: case 78: return -3;
    case 11: case 12: case 71: return -4;
    default: return 0;
    }
}

namespace {

// Only text symbols, texts and the hairpin marks 7 to 10 carry a dynamic.
bool MayBeDynamic(const TCell* c) {
    return c && (c->cellType == ctTextSymbol || c->cellType == ctText || (c->markType >= 7 && c->markType <= 10));
}

} // namespace

void TPlayState::FillStaffVolume(int first, int velocity, std::vector<int8_t>& table) const {
    const int8_t v = static_cast<int8_t>(std::clamp(velocity, 0, 127));
    for (size_t i = static_cast<size_t>(std::max(first, 0)); i < table.size(); ++i)
        table[i] = v;
}

int TPlayState::CellDynamic(int column, int row, int layer, int page) const {
    if (!frmMainTQ || row >= frmMainTQ->Rows)
        return 0;
    return CellDynamicOf(CellAtAddress(column, row, page, layer));
}

int TPlayState::CellDynamicOf(const TCell* c) {
    if (!c)
        return 0;
    if (c->cellType == ctTextSymbol)
        return DynamicVelocity(c->Note);
    if (c->cellType == ctText) {
        const std::string t = Trim(c->Text);
        for (const TDynWord& w : DynamicWords()) {
            if (std::find(w.exact.begin(), w.exact.end(), t) != w.exact.end())
                return w.result;
            for (const std::string& b : w.begins)
                if (Begins(t, b))
                    return w.result;
        }
        return 0;
    }
    if (c->markType == 7 || c->markType == 9)
        return -5;
    if (c->markType == 8 || c->markType == 10)
        return -6;
    return 0;
}

int TPlayState::FindDynamicRampEnd(int column, int row, int staffRow, int above, int below, int kind, int start,
                                   int& target) const {
    (void)row;
    target = 0;
    const TMainScore& s = *frmMainTQ;
    const int last = s.Cols - 1;
    int winStart = column, length = 20;
    if (kind == -5 || kind == -6) {
        const TCell* mark = CellAtAddress(column, row);
        winStart = mark ? mark->iEnd : column;
        length = 4;
    }
    const bool twin = s.HasJianpuPage();
    int end = -1;
    for (int c = column + 1; c <= winStart + length && c < last && end < 0; ++c) {
        for (int r = std::max(staffRow - above, 0); r <= std::min(staffRow + below, s.Rows - 1) && end < 0; ++r) {
            const TCell* cell = CellAtAddress(c, r, -1, 0);
            if (cell && cell->markType == 51) {
                winStart = cell->iEnd;
                length = 4;
                continue;
            }
            int d = CellDynamic(c, r, 0, -1);
            if (d == 0 && twin)
                d = CellDynamic(c, r, 1, -1);
            if (d != 0) {
                end = c - 1;
                target = d > 0 ? d : 0;
            }
        }
    }
    if (end < 0)
        end = std::min(column + 15, last - 1);
    if ((kind == -6 && target >= start) || (kind == -5 && target <= start))
        target = 0;
    if (target == 0 && end >= last - 5 && !GroupRows.empty()) {
        // The ramp runs to the end of the row: the next music row may close it.
        TMainScore& sc = *frmMainTQ;
        const int savedPage = sc.CurPage;
        int next = FindMusicRowForward(GroupRows.back().row + 1);
        if (next < 0 && sc.CurPage + 1 < static_cast<int>(sc.PageSets[0].size())) {
            ++sc.CurPage;
            next = FindMusicRowForward(HighlightBelow + 1);
        }
        int found = 0;
        for (int c = 0; next >= 0 && c < last - 5 && found == 0; ++c) {
            for (int r = std::max(next - HighlightAbove, 0); r <= next && found == 0; ++r) {
                int d = CellDynamic(c, r, 0, -1);
                if (d == 0 && sc.HasJianpuPage())
                    d = CellDynamic(c, r, 1, -1);
                if (d > 0)
                    found = d;
            }
        }
        sc.CurPage = savedPage;
        // A level on the wrong side of the ramp closes nothing.
        if (found > 0 && !((kind == -6 && found >= start) || (kind == -5 && found <= start))) {
            target = found;
            end = last;
        }
    }
    return end;
}

void TPlayState::ApplyDynamicRamp(int column, int row, int staffRow, int above, int below, int kind,
                                  std::vector<int8_t>& table) {
    if (!frmMainTQ || kind == -7 || row >= frmMainTQ->Rows - 1 || column < 0 ||
        static_cast<size_t>(column) >= table.size())
        return;
    const int start = table[static_cast<size_t>(column)];
    const TCell* mark = CellAtAddress(column, row);
    double f = std::max((mark ? GetCrescRate(*mark) : 100) / 100.0 + 0.5, 1.0);
    if (kind == -3 || kind == -4) {
        const int v = std::min(RoundToInt(start * f), 127);
        table[static_cast<size_t>(column)] = static_cast<int8_t>(v);
        if (kind == -4)
            FillStaffVolume(column + 1, std::max(RoundToInt(v * 0.5), 20), table);
        return;
    }
    int target = 0;
    const int end = std::min(FindDynamicRampEnd(column, row, staffRow, above, below, kind, start, target),
                             static_cast<int>(table.size()) - 1);
    const int span = end - column;
    if (span < 1)
        return;
    if (target == 0) {
        if (span < 4)
            f *= 0.9;
        target = static_cast<int>(IsCrescendoKind(kind) ? std::min(start * f, 127.0)
                                                        : std::max((1 - (f - 0.5) * 0.25) * start, 25.0));
    }
    target = std::max(target, 15);
    const double step = static_cast<double>(target - start) / span;
    int v = 80;
    for (int c = column; c <= end; ++c) {
        bool note = false;
        for (const TGroupData& g : GroupRows)
            if (const TCell* cell = CellAtAddress(c, g.row))
                note = note || IsNoteCell(*cell);
        if (note)
            v = std::min(RoundToInt((c - column) * step) + start, 127);
        table[static_cast<size_t>(c)] = static_cast<int8_t>(std::clamp(v, 15, 127));
    }
    FillStaffVolume(end + 1, table[static_cast<size_t>(end)], table);
}

void TPlayState::BuildStaffVolumes() {
    if (!frmMainTQ)
        return;
    TMainScore& sc = *frmMainTQ;
    const bool both = sc.HasJianpuPage();
    const size_t cols = static_cast<size_t>(std::max(sc.Cols, 0));
    for (auto& table : StaffVolume) {
        const int8_t carry = table.empty() ? 80 : table.back();
        table.assign(cols, carry);
    }
    const size_t n = std::min(GroupRows.size(), static_cast<size_t>(kPlayStaves));
    const int savedLayer = CurLayer;
    for (size_t s = 0; s < n; ++s) {
        const TGroupData& g = GroupRows[s];
        // A staff paired with the next one counts as unpaired when it is the last.
        const bool paired = g.hasSystemMark && s + 1 < n;
        const int above = (s == 0 || paired) ? HighlightAbove : -1;
        int below;
        if (paired)
            below = GroupRows[s + 1].row - g.row + 2;
        else if (s + 1 >= n)
            below = HighlightBelow;
        else
            below = GroupRows[s + 1].row - g.row - 1;
        auto& table = StaffVolume[s];
        const int top = std::max(g.row - above, 0);
        const int bottom = std::min(g.row + below, sc.Rows - 1);
        // The rows of the band in both layers, and the row above it for the
        // accent marks, looked up once for every column.
        bandRows_[0].clear();
        bandRows_[1].clear();
        for (int r = top - 1; r <= bottom; ++r)
            for (int layer = 0; layer < 2; ++layer)
                bandRows_[layer].push_back(r >= 0 ? RowAtAddress(r, -1, layer) : nullptr);
        auto at = [&](int layer, int c, int r) { return CellOfRow(bandRows_[layer][static_cast<size_t>(r - top + 1)], c); };
        for (int c = 0; c < static_cast<int>(cols); ++c) {
            CurLayer = 0;
            for (int r = top; r <= bottom; ++r) {
                const TCell* cell = at(0, c, r);
                int d = MayBeDynamic(cell) ? CellDynamicOf(cell) : 0;
                if (d == 0 && both)
                    d = CellDynamicOf(at(1, c, r));
                if (d > 0)
                    FillStaffVolume(c, d, table);
                else if (d < 0)
                    ApplyDynamicRamp(c, r, g.row, above, below, d, table);
                const bool accented = IsAccentedCell(cell, at(0, c, r - 1)) ||
                                      (both && IsAccentedCell(at(1, c, r), at(1, c, r - 1)));
                int8_t& v = table[static_cast<size_t>(c)];
                if (accented)
                    v = static_cast<int8_t>(std::min(v * 3 / 2, 127));
                if (cell && HasNotesVolAdj(*cell) && IsNoteOrRestCell(*cell))
                    v = static_cast<int8_t>(std::min(127.0, 0.01 * v * GetNotesVolAdj(*cell)));
            }
        }
    }
    CurLayer = savedLayer;
}

void TPlayState::PrepareGroupDynamics() {
    BuildStaffVolumes();
    BuildTempoMap();
}

void TPlayState::ScanHeaderSettings(int& volume, int& tempo) {
    volume = 80;
    tempo = 100;
    if (!frmMainTQ || GroupRows.empty())
        return;
    const size_t g = std::min(static_cast<size_t>(std::max(FirstGroup, 0)), GroupRows.size() - 1);
    const int firstRow = GroupRows[g].row;
    bool instrument = false, volumeFound = false, tempoSettled = false;
    for (int c = 0; c < frmMainTQ->Cols; ++c) {
        for (int r = 0; r < firstRow; ++r) {
            const TCell* cell = CellAtAddress(c, r);
            if (!cell)
                continue;
            if (cell->cellType == ctTextSymbol && cell->Note == 43)
                TitleSymbol43 = 1;
            const int program = cell->upNote;
            if (!instrument && r < firstRow - 1 && cell->cellType == ctSoundEffect && cell->Note == 146 &&
                program >= 0 && program <= 127) {
                TPlayItem change;
                change.Kind = pkInstrument;
                change.Duration = program;
                change.Notes[0].Channel = -1;
                AddPlayItem(change, true);
                instrument = true;
            }
            if (!volumeFound) {
                const int d = CellDynamic(c, r, CurLayer, -1);
                if (d > 0) {
                    volume = d;
                    volumeFound = true;
                }
                if (!tempoSettled) {
                    int numeric = 1, poco = 0;
                    const int t = TempoWordValue(c, r, numeric, poco);
                    if (t >= 1) {
                        tempo = t;
                        tempoSettled = true;
                    }
                }
            }
            if (instrument && volumeFound && tempoSettled)
                return;
        }
    }
}
