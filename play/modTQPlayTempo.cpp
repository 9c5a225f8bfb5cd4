// Tempo words and the tempo map of a staff group with its ramps and returns;
// fermatas, accents and the Advanced page's predicates.
//
// Score texts are compared as the score holds them: bytes in their code page,
// case folded for ASCII letters only, Chinese words in GBK.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "model/modTQCellAccess.h"
#include "model/modTQCellHelpers.h"
#include "model/modTQGroup.h"
#include "model/modTQMainScore.h"
#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "platform/core/TQCodec.h"
#include "play/modTQPlayGrid.h"
#include "play/modTQPlayState.h"

namespace {

constexpr float kBpmFactor = 1.6666666f;
constexpr int kCharsetGbk = 134;
constexpr int kTempoMax = 32767;

int Tempo(double v) { return static_cast<int>(std::clamp(std::trunc(v), 1.0, double(kTempoMax))); }

// A word as score texts hold it: ASCII as it is, Chinese in GBK.
std::string Bytes(const char* utf8) {
    std::string out;
    if (!Utf8ToCharset(utf8, kCharsetGbk, out))
        return utf8;
    return out;
}

// The text with ASCII letters lowered and blanks trimmed; double-byte characters are kept whole.
std::string Fold(const std::string& text, bool doubleByte) {
    std::string s = text;
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (doubleByte && c >= 0x81 && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            s[i] = static_cast<char>(c - 'A' + 'a');
    }
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// word occurs in text starting at a character boundary.
bool Holds(const std::string& text, const std::string& word, bool doubleByte) {
    if (word.empty() || word.size() > text.size())
        return false;
    for (size_t i = 0; i + word.size() <= text.size();) {
        if (text.compare(i, word.size(), word) == 0)
            return true;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        i += (doubleByte && c >= 0x81) ? 2 : 1;
    }
    return false;
}

struct TWordGroup {
    std::vector<std::string> words;
    int result;
};

const std::vector<TWordGroup>& TempoWords() {
    static const std::vector<TWordGroup> groups = [] {
        auto t = [](int bpm) { return static_cast<int>(bpm * static_cast<double>(kBpmFactor)); };
        std::vector<TWordGroup> g = {
            {{"largo", Bytes("极 慢 板"), Bytes("极慢板"), Bytes("极 慢 速"), Bytes("极慢速")}, t(45)},
            {{"adagio", Bytes("慢 板"), Bytes("慢板"), Bytes("慢 速"), Bytes("慢速")}, t(58)},
            {{"larghetto"}, t(65)},
            {{"allegretto", Bytes("小 快 板"), Bytes("小快板"), Bytes("中 快 速"), Bytes("中快速")}, t(110)},
            {{"moderato", Bytes("中 板"), Bytes("中板"), Bytes("中 速"), Bytes("中速")}, t(85)},
            {{"allegro", Bytes("快 板"), Bytes("快板"), Bytes("快 速"), Bytes("快速")}, t(135)},
            {{"presto", Bytes("急板"), Bytes("急 板")}, t(140)},
            {{"prestissim", Bytes("特快"), Bytes("特 快")}, t(200)},
            {{Bytes("稍 快"), Bytes("稍快"), "poco messo"}, -5},
            {{"messo"}, -4},
            {{"poco"}, -10},
            {{Bytes("加 快"), Bytes("加快")}, -6},
            {{"accel", "accelerando", Bytes("渐 快"), Bytes("渐快")}, -7},
            {{Bytes("快")}, t(160)},
            {{"rit", "rall", Bytes("渐 慢"), Bytes("渐慢")}, -1},
            {{"tempo", Bytes("原 速"), Bytes("原速")}, -2},
            {{Bytes("稍 慢"), Bytes("稍慢")}, -3},
        };
        return g;
    }();
    return groups;
}

int TextSymbolTempo(int code, int timeSigDen) {
    double factor = kBpmFactor;
    if (timeSigDen > 0)
        factor *= 4.0 / timeSigDen;
    auto t = [factor](int bpm) { return static_cast<int>(bpm * factor); };
    switch (code) {
    case 19: return -10;
    case 30: case 90: return t(46);
    case 31: case 92: return t(60);
    case 32: case 91: return t(56);
    case 33: case 93: return t(66);
    case 34: case 52: return t(88);
    case 35: case 54: return t(115);
    case 36: case 98: return t(184);
    case 37: case 100: return t(208);
    case 40: case 53: return t(108);
    case 44: case 51: return t(52);
    case 45: case 99: return t(69);
    case 46: case 97: return t(160);
    case 50: case 80: return t(40);
    case 82: case 94: return t(76);
    case 83: case 95: return t(80);
    case 84: case 96: return t(152);
    case 38: case 42: case 57: return -1;
    case 39: case 58: return -2;
    case 48: return -4;
    case 55: case 72: return -7;
    case 56: return -6;
    case 74: return -5;
    case 76: case 101: return -8;
    case 77: case 102: return -9;
    default: return 0;
    }
}

bool DoubleByte(const TCell& c) { return IsDoubleByteCharset(c.FontCharset); }

} // namespace

int ScaleVelocity(int volume, double factor) {
    return std::clamp(static_cast<int>(std::trunc(volume * factor + 0.5)), 5, 127);
}

int TPlayState::TempoWordValue(int column, int row, int& numeric, int& poco) const {
    return TempoWordValueOf(CellAtAddress(column, row), numeric, poco);
}

int TPlayState::TempoWordValueOf(const TCell* c, int& numeric, int& poco) const {
    numeric = 1;
    if (!c)
        return 0;
    switch (c->cellType) {
    case ctTempo: {
        numeric = 0;
        const int bpm = c->FontColor;
        const int n = (c->Note == 1 || c->Note == 2 || c->Note == 4) ? c->Note : 2;
        if (bpm < 10 || bpm > 500)
            return 0;
        return static_cast<int>(bpm * static_cast<double>(kBpmFactor) * 2.0 / n);
    }
    case ctText: {
        const bool db = DoubleByte(*c);
        const std::string text = Fold(c->Text, db);
        if (Holds(text, "poco", db))
            poco = 1;
        for (const TWordGroup& g : TempoWords())
            for (const std::string& w : g.words)
                if (Holds(text, w, db))
                    return g.result;
        return 0;
    }
    case ctTextSymbol:
        return TextSymbolTempo(c->Note, TimeSigDen);
    default:
        return 0;
    }
}

void TPlayState::FillTempoFrom(int column, int value) {
    const int16_t v = static_cast<int16_t>(std::clamp(value, 1, kTempoMax));
    for (size_t i = static_cast<size_t>(std::max(column, 0)); i < ColumnTempo.size(); ++i)
        ColumnTempo[i] = v;
}

void TPlayState::RampTempo(int s, int e, int target, bool barLine) {
    if (!frmMainTQ || ColumnTempo.empty())
        return;
    const int last = static_cast<int>(ColumnTempo.size()) - 1;
    e = std::min(e, last);
    const int s1 = RampStartCol == -2 ? 1 : (s > 0 ? s - 1 : 0);
    if (e - s1 < 1)
        return;
    const int start = ColumnTempo[static_cast<size_t>(std::min(s1, last))];
    const bool carried = RampStartCol == -2;
    const double k = (carried || (e == last && !barLine && (e - s1) < frmMainTQ->Cols / 2)) ? 0.7 : 0.6;
    const int rate = std::min(RampRate, 500);
    if (target == 0) {
        const double rm = rate >= 0 ? rate / 600.0 : rate * 0.004;
        target = static_cast<int>(std::trunc((1 - rm) * start * k));
    }
    target = std::max(target, 1);
    if (RampKind == -7)
        target = Tempo(static_cast<double>(start) * start * 1.2 / target);
    // note columns of the range
    std::vector<int> noteCols;
    for (int c = s1; c <= e; ++c) {
        bool note = false;
        for (const TGroupData& g : GroupRows)
            note = note || IsNoteOrRestAt(c, g.row);
        if (note)
            noteCols.push_back(c);
    }
    if (!noteCols.empty()) {
        const double count = static_cast<double>(noteCols.size());
        for (size_t k1 = 0; k1 < noteCols.size(); ++k1) {
            const double kk = static_cast<double>(k1 + 1);
            FillTempoFrom(noteCols[k1], Tempo((1 - kk / count) * (start - target) + target));
        }
    } else {
        return;
    }
    if (e == last && !barLine) {
        RampStartCol = -2;
        LastTempoCol = last - 1;
    } else {
        RampStartCol = -1;
        LastTempoCol = -1;
        RampRate = 0;
        if (TempoBeforeRamp >= 1) {
            FillTempoFrom(e, TempoBeforeRamp);
            TempoBeforeRamp = 0;
        }
    }
}

void TPlayState::BuildTempoMap() {
    if (IgnoreSpeed || !frmMainTQ || GroupRows.empty())
        return;
    TMainScore& s = *frmMainTQ;
    const int cols = s.Cols;
    if (cols <= 0)
        return;
    const int16_t carry = ColumnTempo.empty() ? static_cast<int16_t>(std::clamp(PlayTempo, 1, kTempoMax))
                                              : ColumnTempo.back();
    ColumnTempo.assign(static_cast<size_t>(cols), carry);
    bool pocoPending = false;
    // A column remembered from a group above is a column of another line: only
    // a ramp carried over from the end of that line keeps its end column.
    if (RampStartCol != -2)
        LastTempoCol = -1;
    const int firstRow = GroupRows.front().row, lastRow = GroupRows.back().row;
    const bool twin = s.HasJianpuPage();
    const int savedLayer = CurLayer;
    // The rows of the band in both layers, looked up once for every column.
    const int top = std::max(firstRow - HighlightAbove, 0);
    const int bottom = std::min(lastRow + HighlightBelow, s.Rows - 1);
    for (int layer = 0; layer < 2; ++layer) {
        bandRows_[layer].clear();
        for (int r = top; r <= bottom; ++r)
            bandRows_[layer].push_back(RowAtAddress(r, -1, layer));
    }
    const uint32_t tempoKinds = BandKind(ctTempo) | BandKind(ctText) | BandKind(ctTextSymbol);
    for (int c = 0; c < cols; ++c) {
        const TCell* head = CellAtAddress(c, firstRow);
        // Every bar line ends a ramp, the typed one (63) too.
        const bool bar = head && IsBarLineCell(*head);
        // Nothing to do in a column without a tempo word or sign, a bar line or a
        // running ramp (the band summary is of layer 0).
        if (!twin && !bar && RampStartCol != -2 && RampStartCol < 0 && bandLayer_ == 0 && !BandMayHold(c, tempoKinds)) {
            CurLayer = 0;
            continue;
        }
        for (int r = top; r <= bottom; ++r) {
            int v = 0;
            for (int layer = 0; layer <= (twin ? 1 : 0); ++layer) {
                CurLayer = layer;
                int numeric = 1, poco = 0;
                const TCell* cell = CellOfRow(bandRows_[layer][static_cast<size_t>(r - top)], c);
                v = TempoWordValueOf(cell, numeric, poco);
                if (cell && cell->cellType == ctTextSymbol && cell->Note == 43)
                    TitleSymbol43 = 1;
                if (v >= 10 && v <= 500)
                    TempoHistory.push_back(static_cast<int16_t>(v));
                if (v == -10)
                    pocoPending = true;
                else if (v == -4 || v == -5 || v == -6) {
                    const double f = v == -4 ? (pocoPending ? 1.3 : 1.6) : v == -5 ? 1.3 : 1.6;
                    if (v == -4)
                        pocoPending = false;
                    PlayTempo = Tempo(PlayTempo * f);
                    FillTempoFrom(c, PlayTempo);
                    TempoHistory.push_back(static_cast<int16_t>(PlayTempo));
                } else if ((v == -8 || v == -9) && !TempoHistory.empty()) {
                    PlayTempo = std::max<int>(TempoHistory[v == -9 && TempoHistory.size() >= 2 ? 1 : 0], 1);
                    FillTempoFrom(c, PlayTempo);
                }
                if (v == 0 && bar)
                    v = -2;
                if (v == -2)
                    LastTempoCol = c;
                const bool ramp = RampStartCol >= 0 || RampStartCol == -2;
                if ((v == -1 || v == -7) && RampStartCol == -1) {
                    RampRate = cell ? GetRitArpRate(*cell) : 100;
                    RampStartCol = c;
                    RampKind = v;
                } else if (v <= 0 && ramp) {
                    if (bar || c == LastTempoCol || c == cols - 1)
                        v = -2;
                    if (v == -2 && RampStartCol != -2) {
                        if (TempoBeforeRamp == 0)
                            TempoBeforeRamp = ColumnTempo[static_cast<size_t>(RampStartCol)];
                        RampTempo(RampStartCol, c, 0, bar);
                        break;
                    }
                    if (c == LastTempoCol && LastTempoCol != cols - 2) {
                        FillTempoFrom(c, TempoBeforeRamp);
                        LastTempoCol = -1;
                    }
                } else if (v > 0 && !ramp) {
                    FillTempoFrom(c, v);
                    LastTempoCol = c;
                    TempoBeforeRamp = v;
                } else if (v > 0 && ramp) {
                    RampTempo(RampStartCol, c, v, bar);
                }
            }
            if (v > 0)
                break;
        }
        CurLayer = 0;
    }
    CurLayer = savedLayer;
}

float TPlayState::FermataFactor(int column, int g) const {
    if (!frmMainTQ || g < 0 || static_cast<size_t>(g) >= GroupRows.size() || !BandMayHold(column, BandKind(ctSymbol)))
        return 1.0f;
    const size_t i = static_cast<size_t>(g);
    const int row = GroupRows[i].row;
    const int above = i == 0 ? HighlightAbove : (row - GroupRows[i - 1].row + 1) / 2;
    int below = 0;
    if (PlayWest)
        below = i + 1 == GroupRows.size() ? HighlightBelow : (GroupRows[i + 1].row - row) / 2;
    for (int r = row - above; r <= row + below; ++r) {
        if (r < 0 || r >= frmMainTQ->Rows)
            continue;
        const TCell* c = CellAtAddress(column, r);
        if (c && c->cellType == ctSymbol && (HasSymbolCode(*c, 1) || HasSymbolCode(*c, 109)))
            return 2.0f;
    }
    return 1.0f;
}

bool TPlayState::IsAccentedNote(int column, int row, int layer) const {
    return IsAccentedCell(CellAtAddress(column, row, -1, layer),
                          row >= 1 ? CellAtAddress(column, row - 1, -1, layer) : nullptr);
}

bool TPlayState::IsAccentedCell(const TCell* c, const TCell* up) {
    if (c && c->cellType == ctWestern && (c->option & 0x20))
        return true;
    return up && up->cellType == ctSymbol && (up->Note == 9 || up->upNote == 9);
}

void TPlayState::AccentLastItem(const TCell& cell) {
    if (!PlayList.empty() && HasSymbolCode(cell, 9))
        PlayList.back().Volume = static_cast<uint8_t>(ScaleVelocity(PlayList.back().Volume, 1.5));
}

bool TPlayState::IsArpRateMarkNear(int column, int row) const {
    for (int c : {column, column - 1})
        for (int r : {row, row - 1}) {
            const TCell* cell = (c >= 0 && r >= 0) ? CellAtAddress(c, r) : nullptr;
            if (cell && (cell->markType == 25 || cell->markType == 66))
                return true;
        }
    return false;
}

bool TPlayState::IsTempoRampCell(int column, int row) const {
    const TCell* c = CellAtAddress(column, row);
    if (!c)
        return false;
    if (c->cellType == ctTextSymbol)
        return c->Note == 24 || c->Note == 38 || c->Note == 42 || c->Note == 48 || c->Note == 55 || c->Note == 57;
    if (c->cellType != ctText)
        return false;
    const bool db = DoubleByte(*c);
    const std::string t = Fold(c->Text, db);
    for (const std::string& w : {std::string("rit"), std::string("rall"), Bytes("渐快"), Bytes("渐 快"), Bytes("渐慢"),
                                 Bytes("渐 慢")})
        if (Holds(t, w, db))
            return true;
    return false;
}

bool TPlayState::IsDynamicRampCell(int column, int row) const {
    const TCell* c = CellAtAddress(column, row);
    if (!c)
        return false;
    if (c->markType >= 7 && c->markType <= 10)
        return true;
    if (c->cellType == ctTextSymbol)
        return c->Note == 21 || c->Note == 22 || c->Note == 25 || c->Note == 68 || c->Note == 69;
    if (c->cellType != ctText)
        return false;
    const bool db = DoubleByte(*c);
    const std::string t = Fold(c->Text, db);
    return t.rfind("dim", 0) == 0 || t.rfind("cresc", 0) == 0 || t.rfind("decresc", 0) == 0 ||
           Holds(t, Bytes("渐 弱"), db) || Holds(t, Bytes("渐弱"), db);
}
