#include "palettes/modTQDialogs.h"

#include <cmath>
#include <cstdio>

#include "model/modTQCellAccess.h"
#include "model/modTQMainScore.h"
#include "model/modTQRowQuery.h"
#include "model/modTQUndo.h"
#include "platform/core/TQCodec.h"

bool TimeSigOffersCSymbol(bool westRowAtCursor, int numerator, const std::string& denominator) {
    return westRowAtCursor &&
           ((numerator == 4 && denominator == "4") || (numerator == 2 && denominator == "2"));
}

int GetKeyClef(const TClefStaffChoice& c, int& clef) {
    if (c.tab >= 0 && c.tab <= 3) {
        clef = -(c.tab + 1);
        if (clef == -4) clef = -5;
        return c.keyButton >= 0 && c.keyButton <= 11 ? c.keyButton : 0;
    }
    if (c.otherButton >= 0 && c.otherButton <= 11) {
        static const int clefs[4] = {-1, -2, -3, -5};
        clef = clefs[c.otherButton / 3];
        return 12 + c.otherButton % 3;
    }
    clef = c.tabStaff ? -6 : -4;
    return 0;
}

TClefStaffChoice SetKeyClef(int key, int clef) {
    TClefStaffChoice c;
    const int clefIndex = clef == -1 ? 0 : clef == -2 ? 1 : clef == -3 ? 2 : clef == -5 ? 3 : -1;
    if (clef == -4 || clef == -6 || key >= 12 || clefIndex < 0) {
        c.tab = 4;
        if (clef == -6) c.tabStaff = true;
        else if (clef == -4) c.drumStaff = true;
        else if (key >= 12 && key <= 14 && clefIndex >= 0) c.otherButton = clefIndex * 3 + key - 12;
        else c.drumStaff = true;
        return c;
    }
    c.tab = clefIndex;
    c.keyButton = key >= 0 && key <= 11 ? key : 0;
    return c;
}

void KeySignShow(TKeySignChoice& k, const std::string& fixedKeyText) {
    k.letter = 4;
    k.sharp = k.flat = false;
    k.natural = true;
    if (k.letters.size() < 8) k.letters.push_back("C " + fixedKeyText);
    k.originalKey = 0;
    k.flatEnabled = true;
    k.sharpEnabled = false;
    k.originalKeyVisible = false;
}

void KeySignLetterChange(TKeySignChoice& k, int letter) {
    if (letter < 0 || letter >= int(k.letters.size())) return;
    k.letter = letter;
    k.originalKeyVisible = letter == 7;
    if (k.originalKeyVisible) {
        k.sharp = k.flat = false;
        k.natural = true;
    }
    k.flatEnabled = k.sharpEnabled = !k.originalKeyVisible;
    const std::string& l = k.letters[std::size_t(letter)];
    auto natural = [&] {
        k.sharp = k.flat = false;
        k.natural = true;
    };
    if (l == "D" || l == "E" || l == "G" || l == "A" || l == "B") {
        natural();
        k.sharpEnabled = false;
    } else if (l == "F") {
        natural();
        k.flatEnabled = false;
    }
}

std::string BuildKeyText(const TKeySignChoice& k) {
    if (k.letter == 7) return "1=C Fixed Key";
    std::string text = "1=";
    if (k.flat) text += "b";
    else if (k.sharp) text += "#";
    return text + k.letters[std::size_t(k.letter)];
}

int PresetCompression(int rate) { return (rate == 0 ? 15 : rate) + 65; }
int PresetVertRate(int rate) { return rate + 80; }

namespace {

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

std::string Fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

} // namespace

bool WriteTextLines(const std::vector<std::string>& lines) {
    TMainScore* s = frmMainTQ;
    if (!s || CurLayer < 0 || CurLayer > 1) return false;
    Undo.SaveUndo();
    int c = s->SelCol0;
    const int r = s->SelRow0;
    auto& layer = s->PageSets[std::size_t(CurLayer)];
    bool wrote = false;
    for (const std::string& line : lines) {
        const std::string t = Trim(line);
        if (t.empty()) continue;
        if (s->CurPage < 0 || s->CurPage >= int(layer.size()) || r < 0 || r >= s->Rows || c < 0 ||
            c >= s->Cols)
            break;
        auto& row = layer[std::size_t(s->CurPage)][std::size_t(r)];
        if (c >= int(row.size())) break;
        TCell& cell = row[std::size_t(c)];
        cell.cellType = ctText;
        cell.Text = t;
        const bool chinese = HasDoubleByteChar(t);
        if (chinese) {
            cell.FontName = "CN";
            cell.FontCharset = s->ChineseFontCharset;
            cell.FontStyle = s->ChineseFontStyle;
        } else {
            cell.FontName = "EN";
            cell.FontCharset = s->EnglishFontCharset;
            cell.FontStyle = s->EnglishFontStyle;
        }
        wrote = true;
        c = int(c + double(t.size()) * (chinese ? 0.9 : 0.8));
        if (c >= s->Cols) break;
    }
    if (!wrote) ResetCellAt(s->SelCol0, s->SelRow0);
    return wrote;
}

TCellPropGrid CellPropertyGrid(const TCell& cell) {
    TCellPropGrid g;
    auto put = [&](int row, const char* l0, std::string v0, const char* l2, std::string v2) {
        g[std::size_t(row)] = {l0, std::move(v0), l2, std::move(v2)};
    };
    auto n = [](long long v) { return std::to_string(v); };
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04X", cell.Attr);
    std::string text;
    if (!CharsetToUtf8(cell.Text, cell.FontCharset, text)) text = cell.Text;
    std::string font;
    if (!CharsetToUtf8(cell.FontName, cell.FontCharset, font)) font = cell.FontName;
    const int adv = int(cell.AdvPlay[0]) | int(cell.AdvPlay[1]) << 8 | int(cell.AdvPlay[2]) << 16 |
                    int(cell.AdvPlay[3]) << 24;
    put(0, "cellType", n(cell.cellType), "iEnd", n(cell.iEnd));
    put(1, "Note", n(cell.Note), "jEnd", n(cell.jEnd));
    put(2, "upNote/centX", n(cell.upNote), "UL(WConTailX)", n(cell.UL));
    put(3, "markType", n(cell.markType), "MarkY/EndYAdj", n(cell.MarkY) + "/" + n(cell.EndYAdj));
    put(4, "option", n(cell.option), "markWAdj", n(cell.markWAdj));
    put(5, "CompressNotes.size", n(GetCompressNoteCount(cell)), "jConectTailDelta/textRotAng",
        n(cell.dot));
    put(6, "westChordArray.size", n(GetChordNoteCount(cell)), "dot/jConectTailDelta/textRotAng",
        n(cell.dot));
    put(7, "playDur", n(cell.playDur), "Font Style", n(cell.FontStyle));
    put(8, "AdvPlay", n(adv), "Font Color", n(cell.FontColor));
    put(9, "Attr", hex, "Font Name", font);
    put(10, "fontSizeR", Fixed(cell.fontSizeR, 4), "Text", text);
    put(11, "playDur", n(cell.playDur), "Font Charset", n(cell.FontCharset));
    put(12, "yAdj", Fixed(cell.yAdj, 2), "xAdj", Fixed(cell.xAdj, 2));
    put(13, "CompSize", n(GetCompressNoteCount(cell)), "shrinkRate", Fixed(cell.shrinkRate, 2));
    put(14, "playDur", n(cell.playDur), "", "");
    return g;
}

std::string CellPropertyCaption(int col, int row) {
    return "i=" + std::to_string(col) + " j=" + std::to_string(row);
}

std::string CellPropertyDebugText(const TCell& cell) {
    return cell.westChordArray.empty() ? std::string() : std::to_string(cell.westChordArray[0].attr);
}
