// Text cells: free texts (plain, rotated or framed), the key header of a
// Jianpu staff and short key texts such as "1=bE", typeset with a real sign.
#include <optional>
#include <string>

#include "model/modTQKeys.h"
#include "model/modTQPredicates.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQStrings.h"
#include "platform/gui/TQGlyphMap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawAccid.h"
#include "render/modTQDrawBase.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawMsc.h"
#include "render/modTQDrawTextSym.h"
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

// Times New Roman in bold; the note font comes back afterwards.
void BoldTimes(TDrawEngine* d, float x, float y, const std::string& text, const TCell& cell) {
    SetFontStyle(fsBold);
    d->DrawTimesText(x, y, text, cell, 0.7f);
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

} // namespace

void DrawTextCell(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (cell.Text.empty())
        return;
    const TMainView* mv = MainView();
    const float v = XUnit(), u = YUnit();
    const float s = cell.fontSizeR;
    const float dd = s - 1.0f;

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
                if (sign == 0) {
                    BoldTimes(d, bx, by, std::string("1 = ") + letter, cell);
                } else {
                    BoldTimes(d, bx, by, "1 =", cell);
                    const float w1 = static_cast<float>(CanvasTextExtent("1 =").cx);
                    const float wA = static_cast<float>(CanvasTextExtent("A").cx);
                    const bool musical = MusicFontInstalled(kMusical);
                    if (sign == 2) {
                        bx += 0.15f * w1;
                        if (musical)
                            DrawFlatGlyph(d, bx + 1.3f * s * v, y + (-0.75f - 1.3f * dd) * u, cell, 1.1f);
                        else
                            DrawFlatBitmap(d, bx + 1.3f * s * v, y + (-0.1f - 0.6f * dd) * u, cell, 1.1f);
                        bx += 2.5f * wA;
                    } else {
                        bx += 0.9f * w1;
                        if (musical)
                            DrawSharpGlyph(d, bx + (0.45f + 0.35f * dd) * v, y + (-0.75f - 1.3f * dd) * u, cell, 1.0f);
                        else
                            DrawSharpVector(d, bx + (0.57f + 0.6f * dd) * v, y + (0.2f - 0.5f * dd) * u, cell, 1.0f, 2);
                        bx += 1.2f * wA;
                    }
                    BoldTimes(d, bx, by, std::string(1, letter), cell);
                }
            }
        }
    }

    if (!drawn) {
        if (cell.dot != 0)
            DrawRotatedText(bx, by, text, cell, cell.dot);
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
