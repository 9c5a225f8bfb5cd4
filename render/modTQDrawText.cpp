// Text cells: free texts (plain, rotated or framed), the key header of a
// Jianpu staff and short key texts such as "1=bE", typeset with a real sign.
#include <algorithm>
#include <optional>
#include <string>

#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "model/modTQRowQuery.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQStrings.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawBase.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawMsc.h"
#include "render/modTQDrawTextSym.h"
#include "render/modTQInkMeasure.h"
#include "render/modTQMainView.h"

namespace {

const char* const kMusical = "MusicalSymbols";

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }

std::string Decoded(const std::string& bytes, int charset) {
    return DecodeForDisplay(bytes, charset).value_or(std::string());
}

// The font a text cell asks for: its face (UTF-8) and charset.
struct TTextFont {
    std::string face;
    int charset = 0;
};

TTextFont CellTextFont(const TCell& cell) {
    const TMainView* mv = MainView();
    auto score = [](const std::string& name, int charset) {
        return TTextFont{DecodeForDisplay(name, charset).value_or(name), charset};
    };
    if (cell.FontName == "CN")
        return score(mv->ChineseFontName, mv->ChineseFontCharset);
    if (cell.FontName == "NT")
        return score(mv->NoteFontName, mv->NoteFontCharset);
    if (cell.FontName == "EN" || cell.FontName.empty())
        return score(mv->EnglishFontName, mv->EnglishFontCharset);
    return score(cell.FontName, cell.FontCharset);
}

// The score's note font, the face of the Jianpu digits.
std::string NoteFace() {
    const TMainView* mv = MainView();
    return DecodeForDisplay(mv->NoteFontName, mv->NoteFontCharset).value_or(mv->NoteFontName);
}

// A key text ("1=F") in the digits' face, bold, a little smaller than the
// digits (it leaves room for the octave dots of the rows around it).
void KeyFaceText(float x, float y, const std::string& text, const TCell& cell) {
    SetCanvasFont(NoteFace(), 0, fsBold);
    SetFontSize(0.85f * MainView()->GetDrawScale() * cell.fontSizeR * ScreenTextScale);
    SetBrushStyle(bsClear);
    CanvasTextOut(x, y, text);
}

// The top of a key text whose ink stands with its middle level with a Jianpu
// time signature's bar in a row whose top is rowTop.
float KeyTextTop(float rowTop, float fallback, const TCell& cell) {
    const TMainView* mv = MainView();
    const std::string key = "keytext|" + std::to_string(mv->GetDrawScale()) + "|" + std::to_string(cell.fontSizeR) +
                            "|" + std::to_string(ScreenTextScale) + "|" + NoteFace();
    const TInkBox ink = MeasureInk(key, 4 * std::max(mv->GetCellHeight(), 8),
                                   [&](float x, float y) { KeyFaceText(x, y, "1=", cell); });
    if (ink.empty)
        return fallback;
    return rowTop + kTimeSignatureBar * YUnit() - 0.5f * (ink.top + ink.bottom);
}

// The key header of a Jianpu staff: "1 = C (G)", the fixed-key words after it,
// and the sign of a two-character key name in the gap left before its letter.
void DrawKeyHeader(TDrawEngine* d, float x, float y, const TCell& cell) {
    const float v = XUnit(), u = YUnit();
    const float dd = cell.fontSizeR - 1.0f;
    SetFontSize(0.8f * static_cast<float>(GetFontSize()));
    SetCanvasFont("Times New Roman", cell.FontCharset, cell.FontStyle);

    std::string header = "1 = C ";
    const std::string name = GetKeyName(cell.Note);
    if (name.size() == 1)
        header += "(" + name + ")";
    else if (name.size() == 2)
        header += "(  " + name.substr(0, 1) + ")";

    const TSize e = CanvasTextExtent(header);
    const float hx = x + 0.2f * v;
    const float hy = y + 0.5f * u - static_cast<float>(e.cy / 2);
    SetBrushStyle(bsClear);
    CanvasTextOut(hx, hy, header);

    SetFontSize(0.5f * static_cast<float>(GetFontSize()));
    CanvasTextOut(hx + static_cast<float>(e.cx), hy + static_cast<float>(e.cy / 2), " " + GetStringById(532));

    if (name.size() != 2)
        return;
    const float end = hx + static_cast<float>(e.cx);
    if (name[1] == '#') {
        const float gx = end + (-1.4f - 1.3f * dd) * v;
        const float gy = y + (-0.6f - 1.2f * dd) * u;
        if (MusicFontInstalled(kMusical))
            DrawSharpGlyph(d, gx, gy, cell, 1.0f);
        else // the drawn sharp where the glyph would stand
            DrawSharpVector(d, gx + (0.12f + 0.25f * dd) * v, gy + (0.95f + 0.8f * dd) * u, cell, 1.0f, 2);
    } else {
        DrawFlatBitmap(d, end + (-1.4f - 1.9f * dd) * v, y + (-0.1f - 0.6f * dd) * u, cell, 1.5f);
    }
}

// A short key text with a sign, "1 = bE": "1 =", a space, then the letter with
// the sign small at its upper left, clear of the letter and of the "=", no
// higher than the row (whose top is rowTop).
void TypesetKeyText(TDrawEngine* d, float bx, float by, float rowTop, char letter, int sign, const TCell& cell) {
    const TMainView* mv = MainView();
    const float v = XUnit(), u = YUnit();
    const float dd = cell.fontSizeR - 1.0f;
    const bool musical = MusicFontInstalled(kMusical);
    const std::string letterText(1, letter);
    KeyFaceText(bx, by, "1=", cell);
    // the sign drawn with its old place as the point (x, y)
    auto drawSign = [&](float x, float y, float f) {
        if (sign == 2) {
            if (musical)
                DrawFlatGlyph(d, x, y, cell, 1.1f * f);
            else
                DrawFlatBitmap(d, x, y, cell, 1.1f * f);
        } else if (musical) {
            DrawSharpGlyph(d, x, y, cell, f);
        } else {
            DrawSharpVector(d, x, y, cell, f, 2);
        }
    };
    const std::string key = std::to_string(mv->GetDrawScale()) + "|" + std::to_string(cell.fontSizeR) + "|" +
                            std::to_string(v) + "x" + std::to_string(u) + "|" + std::to_string(musical) + "|" +
                            std::to_string(ScreenTextScale) + "|" + std::to_string(cell.FontStyle);
    const int reach = 4 * std::max(mv->GetCellHeight(), 8);
    const TInkBox head = MeasureInk("keyhead|" + key, reach, [&](float x, float y) { KeyFaceText(x, y, "1=", cell); });
    const TInkBox ink = MeasureInk("keyletter|" + letterText + "|" + key, reach,
                                   [&](float x, float y) { KeyFaceText(x, y, letterText, cell); });
    auto signInk = [&](float f) {
        return MeasureInk("keysign|" + std::to_string(sign) + "|" + std::to_string(f) + "|" + key, reach,
                          [&](float x, float y) { drawSign(x, y, f); });
    };
    TInkBox mark = signInk(1.0f);
    if (head.empty || ink.empty || mark.empty) {
        // nothing measured (no output canvas to measure against): the sign
        // between the two at its old place
        drawSign(bx + 1.3f * v, rowTop + (-0.75f - 1.3f * dd) * u, 1.0f);
        KeyFaceText(bx + 2.5f * v, by, letterText, cell);
        return;
    }
    const float gap = std::max(1.5f, 0.1f * v);
    float f = 1.0f;
    const float letterH = ink.Height();
    if (mark.Height() > 0.9f * letterH) {
        f = 0.9f * letterH / mark.Height();
        mark = signInk(f);
    }
    const float signLeft = bx + head.right + 2.0f * gap;
    const float px = signLeft - mark.left;
    float py = by + ink.top + 0.55f * letterH - mark.bottom;
    py = std::max(py, rowTop + 1.0f - mark.top);
    drawSign(px, py, f);
    const float letterLeft = px + mark.right + gap;
    KeyFaceText(letterLeft - ink.left, by, letterText, cell);
}

constexpr int kJianpuDotCode = -73;
constexpr int kJianpuDashCode = -106;

bool IsPlainText(const TCell& cell) {
    return cell.cellType == ctText && !cell.Text.empty() && cell.Text.size() <= 16 && cell.dot == 0 &&
           !AttrHasNibble(cell.Attr, 0xF0) && !AttrHasNibble(cell.Attr, 0x90) && !(cell.option & 0x80000u) &&
           cell.Text.find('=') == std::string::npos;
}

// The note a syllable stands under: the cell of its column in the Jianpu row
// or the staff above, over the rows of other verses; nullptr when the text is
// no syllable (not plain text, or no note or rest above it).
const TCell* LyricNoteAbove(const TCell& cell, int col, int row) {
    if (col < 0 || !IsPlainText(cell))
        return nullptr;
    for (int r = row - 1; r >= 0 && r >= row - 4; --r) {
        const TCell* above = CellAtAddress(col, r);
        if (!above)
            return nullptr;
        if (IsJianpuMusicRow(r)) {
            const bool note = above->cellType == ctJianpu && IsJianpuSound(*above) && above->Note != kJianpuDotCode &&
                              above->Note != kJianpuDashCode;
            return note ? above : nullptr;
        }
        // a staff's note, as after a conversion to Western notes
        if (IsWestNoteCell(*above))
            return above;
        if (above->cellType != ctText && !IsEmptyCell(*above))
            return nullptr;
    }
    return nullptr;
}

// Selects the font a text cell draws in, at the given share of its size.
void SelectTextFont(const TCell& cell, float share) {
    const TTextFont font = CellTextFont(cell);
    SetFontSize(MainView()->GetDrawScale() * cell.fontSizeR * ScreenTextScale * share);
    SetCanvasFont(font.face, font.charset, cell.FontStyle);
}

int TextWidthOf(const TCell& cell) {
    SelectTextFont(cell, 1.0f);
    return CanvasTextExtent(Decoded(cell.Text, cell.FontCharset)).cx;
}

// How far from its note's centre a syllable at col may reach to one side
// (step -1 left, +1 right), keeping gap from what stands there: half way to
// the syllable beside it, or further where that one is short; up to where a
// plain text begins or ends; over empty cells up to four columns.
float LyricReach(int col, int row, int step, float v, float gap) {
    // Texts further off may still reach this far: they are looked for further.
    constexpr int kFar = 4, kLook = 16;
    const float far = (static_cast<float>(kFar) + 0.5f) * v - gap;
    for (int k = 1; k <= kLook; ++k) {
        const int c = col + step * k;
        const TCell* cell = CellAtAddress(c, row);
        const float d = static_cast<float>(k) * v;
        if (!cell || c >= MainView()->Cols)
            return std::min(far, d - 0.5f * v);
        if (IsEmptyCell(*cell) || (cell->cellType == ctText && cell->Text.empty()))
            continue;
        if (cell->cellType != ctText)
            return std::min(far, d - 0.5f * v - gap);
        const float w = static_cast<float>(TextWidthOf(*cell));
        if (LyricNoteAbove(*cell, c, row))
            return std::min(far, std::max(0.5f * (d - gap), d - gap - 0.5f * w));
        // a text that starts 0.2 column into its cell, with room for a frame
        return std::clamp(step > 0 ? d - 0.45f * v - gap : d + 0.1f * v - w - gap, 0.0f, far);
    }
    return far;
}

// No smaller than keeps a syllable legible.
constexpr float kLeastLyricShare = 0.45f;

// Where a syllable stands before it moves up or down: the point its text is
// drawn from, centred under its note, in the middle of its row, and its ink
// relative to that point, at the given share of its size (selected).
struct TLyricPlace {
    float tx = 0.0f, ty = 0.0f;
    TInkBox ink;
};

TLyricPlace PlaceLyric(const TDrawEngine* d, const TCell& cell, const TCell& note, int col, int row, float share) {
    const TMainView* mv = MainView();
    const float v = XUnit(), u = YUnit();
    const float a = 0.1f * static_cast<float>(d->GetBaseYUnit());
    // moved with its note, and by its own offset from there
    const float noteLeft = static_cast<float>(d->GetLeftMarginPx() + col * mv->GetCellWidth()) + a * (cell.xAdj + note.xAdj);
    const float y = static_cast<float>(d->GetTopMarginPx() + row * d->GetBaseYUnit()) + a * cell.yAdj;
    const std::string text = Decoded(cell.Text, cell.FontCharset);
    SelectTextFont(cell, share);
    const TSize extent = CanvasTextExtent(text);
    TLyricPlace p;
    p.tx = noteLeft + 0.5f * v - 0.5f * static_cast<float>(extent.cx);
    p.ty = y + 0.5f * u - static_cast<float>(extent.cy / 2);
    const TFont& font = mv->OutCanvas->Font;
    const std::string key = "lyric|" + font.Name + "|" + std::to_string(font.Size) + "|" + std::to_string(font.Style) +
                            "|" + text;
    const int reach = std::max(4 * mv->GetCellHeight(), 2 * extent.cx + 2 * extent.cy + 16);
    p.ink = MeasureInk(key, reach, [&](float px, float py) { CanvasTextOut(px, py, text); });
    return p;
}

// How far a syllable under or over a Western staff moves down (up when
// negative) to keep clear of the staff's ink: at least need (from the staff
// above: bottom line, heads, stems and beams), at most room (from the staff
// below, or the row's bottom). Both 0 away from staves.
struct TLyricBand {
    float need = 0.0f, room = 0.0f;
};

// A beam's thickness past the stem end it is drawn from.
constexpr float kBeamReach = 0.05f;

TLyricBand LyricBand(TDrawEngine* d, const TCell& cell, const TCell& note, int col, int row, float share) {
    const bool staffAbove = row > 0 && IsWestRow(row - 1, 0, -1);
    const bool staffBelow = IsWestRow(row + 1, 0, -1);
    if (!staffAbove && !staffBelow)
        return {};
    const TLyricPlace p = PlaceLyric(d, cell, note, col, row, share);
    if (p.ink.empty)
        return {};
    const float u = YUnit();
    const float clear = std::max(2.0f, 0.0625f * u); // a quarter space
    const float x0 = p.tx + p.ink.left, x1 = p.tx + p.ink.right;
    const float rowBottom = static_cast<float>(d->GetTopMarginPx() + (row + 1) * d->GetBaseYUnit());
    const float below = staffBelow ? StaffInkTopOver(d, row, x0, x1) : rowBottom;
    TLyricBand band;
    band.room = below - clear - (p.ty + p.ink.bottom);
    band.need = staffAbove ? StaffInkBottomOver(d, row, x0, x1, kBeamReach * u) + clear - (p.ty + p.ink.top) : std::min(0.0f, band.room);
    return band;
}

// The share of its size at which the syllable of the cell at col fits its
// room: beside its neighbours, and between the staves above and below.
float LyricFit(TDrawEngine* d, const TCell& cell, const TCell& note, int col, int row) {
    const float v = XUnit();
    const float gap = std::max(2.0f, 0.12f * v);
    const float room = 2.0f * std::min(LyricReach(col, row, -1, v, gap), LyricReach(col, row, 1, v, gap));
    const std::string text = Decoded(cell.Text, cell.FontCharset);
    float share = 1.0f;
    SelectTextFont(cell, share);
    // Sizes are whole points: step down until it fits.
    for (int i = 0; i < 8 && static_cast<float>(CanvasTextExtent(text).cx) > room && share > kLeastLyricShare; ++i) {
        const float w = static_cast<float>(CanvasTextExtent(text).cx);
        share = std::max(kLeastLyricShare, std::min(0.95f * share, share * room / w));
        SelectTextFont(cell, share);
    }
    for (int i = 0; i < 8 && share > kLeastLyricShare; ++i) {
        const TLyricBand band = LyricBand(d, cell, note, col, row, share);
        if (band.need <= band.room)
            break;
        share = std::max(kLeastLyricShare, 0.9f * share);
    }
    return share;
}

// The syllables of a verse are set at one size: the share that fits the
// tightest of them.
float LyricRowShare(TDrawEngine* d, int row) {
    float share = 1.0f;
    for (int c = 0; c < MainView()->Cols; ++c) {
        const TCell* cell = CellAtAddress(c, row);
        if (const TCell* note = cell ? LyricNoteAbove(*cell, c, row) : nullptr)
            share = std::min(share, LyricFit(d, *cell, *note, c, row));
    }
    return share;
}

// The syllables of a verse stand on one line, as low as the lowest of them
// needs to clear the staff above.
float LyricRowDrop(TDrawEngine* d, int row, float share) {
    float drop = 0.0f;
    for (int c = 0; c < MainView()->Cols; ++c) {
        const TCell* cell = CellAtAddress(c, row);
        if (const TCell* note = cell ? LyricNoteAbove(*cell, c, row) : nullptr)
            drop = std::max(drop, LyricBand(d, *cell, *note, c, row, share).need);
    }
    return drop;
}

// A syllable centred under its note, at the size of its verse, on the line
// of its verse where the staff below leaves room for it, and clear of the
// staff above.
void DrawLyric(TDrawEngine* d, const TCell& cell, const TCell& note, int col, int row, const std::string& text) {
    const float share = LyricRowShare(d, row);
    const TLyricBand band = LyricBand(d, cell, note, col, row, share);
    // Where even the least size leaves no room, half way between the staves.
    const float drop = band.need > band.room ? 0.5f * (band.need + band.room)
                                             : std::clamp(LyricRowDrop(d, row, share), band.need, band.room);
    const TLyricPlace p = PlaceLyric(d, cell, note, col, row, share);
    GetCellColor(d, cell);
    SetBrushStyle(bsClear);
    CanvasTextOut(p.tx, p.ty + drop, text);
}

} // namespace

void DrawTextCell(TDrawEngine* d, float x, float y, const TCell& cell, int col, int row) {
    if (cell.Text.empty())
        return;
    const TMainView* mv = MainView();
    const float v = XUnit(), u = YUnit();
    const float s = cell.fontSizeR;

    const TTextFont font = CellTextFont(cell);
    const bool keyHeader = AttrHasNibble(cell.Attr, 0x90) && cell.Text.size() < 15;
    // The bytes are in the code page of the cell's charset; bytes that mean
    // nothing there are not drawn as something else.
    const std::string text = Decoded(cell.Text, cell.FontCharset);
    if (text.empty() && !keyHeader)
        return;
    SetFontSize(mv->GetDrawScale() * s * ScreenTextScale);
    GetCellColor(d, cell);
    SetCanvasFont(font.face, font.charset, cell.FontStyle);
    const TSize extent = CanvasTextExtent(text);

    if (keyHeader) {
        DrawKeyHeader(d, x, y, cell);
        return;
    }
    if (const TCell* note = LyricNoteAbove(cell, col, row)) {
        DrawLyric(d, cell, *note, col, row, text);
        SetCanvasFont(DecodeForDisplay(mv->NoteFontName, mv->NoteFontCharset).value_or(mv->NoteFontName), 0,
                      mv->NoteFontStyle);
        return;
    }

    float bx = x + 0.2f * v;
    const float by = y + 0.5f * u - static_cast<float>(extent.cy / 2);
    SetBrushStyle(bsClear);

    bool drawn = false;
    if (cell.Text.size() < 7) {
        std::size_t p = cell.Text.find("1=");
        if (p == std::string::npos)
            p = cell.Text.find("1 =");
        if (p != std::string::npos) {
            int sign = 0; // 1 sharp, 2 flat
            char letter = 0;
            for (std::size_t i = p + 1; i < cell.Text.size(); ++i) {
                const char ch = cell.Text[i];
                if (ch == '#')
                    sign = 1;
                else if (ch == 'b')
                    sign = 2;
                else if (ch >= 'A' && ch <= 'G')
                    letter = ch;
            }
            if (letter != 0) {
                drawn = true;
                const float ky = KeyTextTop(y, by, cell);
                if (sign == 0) {
                    KeyFaceText(bx, ky, std::string("1=") + letter, cell);
                } else {
                    TypesetKeyText(d, bx, ky, y, letter, sign, cell);
                }
            }
        }
    }

    if (!drawn) {
        if (cell.dot != 0) {
            // A turned text keeps to its row as well as it can: its ink
            // centred on the row's middle, starting where the text would.
            const TCanvas* c = mv->OutCanvas;
            const std::string key = "turned|" + c->Font.Name + "|" + std::to_string(c->Font.Size) + "|" +
                                    std::to_string(cell.FontStyle) + "|" + std::to_string(cell.dot) + "|" +
                                    std::to_string(v) + "|" + text;
            const int reach = std::max(4 * mv->GetCellHeight(), 2 * extent.cx + 2 * extent.cy + 16);
            const TInkBox ink = MeasureInk(key, reach, [&](float px, float py) {
                DrawRotatedText(px, py, text, cell, cell.dot);
            });
            float tx = bx, ty = by;
            if (!ink.empty) {
                tx = bx - ink.left;
                ty = y + 0.5f * u - 0.5f * (ink.top + ink.bottom);
            }
            DrawRotatedText(tx, ty, text, cell, cell.dot);
        }
        else
            CanvasTextOut(bx, by, text);
    }

    if (AttrHasNibble(cell.Attr, 0xF0) || (cell.option & 0x80000u)) {
        SetBrushStyle(bsClear);
        DrawRectFrame(bx - 0.12f * v, by + 0.05f * v, bx + static_cast<float>(extent.cx) + 0.2f * v,
                      by + static_cast<float>(extent.cy));
    }

    SetCanvasFont(DecodeForDisplay(mv->NoteFontName, mv->NoteFontCharset).value_or(mv->NoteFontName), 0,
                  mv->NoteFontStyle);
}
