// Images placed in the score, the page background, time signatures, tempo
// marks and the instrument marks of sound-effect cells.
#include "render/modTQDrawMsc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "model/modTQCellAccess.h"
#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "notation/modTQSymbolDrawers.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQFiles.h"
#include "platform/gui/TQBitmap.h"
#include "render/modTQCvsDraw.h"
#include "render/modTQDrawEngine.h"
#include "render/modTQDrawWest.h"
#include "render/modTQMainView.h"

namespace {

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }

// Image index (0..8) of the instrument pictures, by instrument number 0..128.
constexpr std::array<int8_t, 129> MakeInstrumentImages() {
    std::array<int8_t, 129> t{};
    const auto fill = [&t](int from, int to, int8_t image) {
        for (int n = from; n <= to; ++n)
            t[static_cast<size_t>(n)] = image;
    };
    fill(0, 23, 1);
    fill(24, 31, 4);
    fill(32, 45, 0);
    fill(46, 46, 5);
    fill(47, 47, 2);
    fill(48, 55, 0);
    fill(56, 59, 6);
    fill(60, 63, 7);
    fill(64, 67, 3);
    fill(68, 68, 8);
    fill(69, 69, 7);
    fill(70, 79, 8);
    fill(80, 94, 0);
    fill(95, 95, 4);
    fill(96, 103, 0);
    fill(104, 108, 4);
    fill(109, 109, 8);
    fill(110, 111, 0);
    fill(112, 127, 2);
    fill(128, 128, 0);
    return t;
}
constexpr std::array<int8_t, 129> kInstrumentImages = MakeInstrumentImages();

// A letter in place of a missing instrument picture, bold, in the font colour.
void InstrumentLetter(TDrawEngine* d, bool arial, float x, float y, const char* text, const TCell& cell,
                      float factor) {
    TCanvas* c = TargetCanvas(nullptr);
    const int style = c->Font.Style;
    SetFontStyle(fsBold);
    if (arial)
        d->DrawArialText(x, y, text, cell, factor);
    else
        d->DrawTimesText(x, y, text, cell, factor);
    SetFontStyle(style);
}

// A picture file stretched to (x, y, w, h); h 0 keeps its aspect ratio. Drawn
// in the current colour when that is not black: the recoloured copy beside the
// picture when there is one, else recoloured in memory. Nothing is written.
bool DrawPicture(TDrawEngine* d, float x, float y, float w, float h, const std::string& path) {
    std::string file = path;
    bool recolour = false;
    if (d->CurColor != 0) {
        const std::string ext = ExtractFileExt(path);
        const std::string copy = ChangeFileExt(path, "") + std::to_string(d->CurColor) + ext;
        if (FileExists(copy))
            file = copy;
        else
            recolour = true;
    }
    TBitmap picture;
    if (!TDrawBaseObj::LoadPictureFile(picture, file))
        return false;
    picture.SetTransparent(true);
    if (recolour)
        TDrawBaseObj::RecolourBitmap(picture, d->HidenLayerColor);
    const float pw = static_cast<float>(picture.Width()), ph = static_cast<float>(picture.Height());
    if (pw > 0.0f && ph > 0.0f && h == 0.0f)
        h = static_cast<float>(RoundToInt(ph * w / pw));
    StretchDrawGraphic(TRect{RoundToInt(x), RoundToInt(y), RoundToInt(x + w), RoundToInt(y + h)}, picture);
    return true;
}

// A text for the screen: score bytes decoded, or as they are.
std::string ForDisplay(const std::string& bytes) {
    if (auto text = DecodeForDisplay(bytes, csGB2312))
        return *text;
    return bytes;
}

} // namespace

int InstrumentImageIndex(int instrument) {
    if (instrument < 0 || instrument > 128)
        return -1;
    return kInstrumentImages[static_cast<size_t>(instrument)];
}

void DrawInstrumentMark(TDrawEngine* d, float x, float y, const TCell& cell) {
    const int n = cell.upNote;
    if (d->GetOutputKind() != 0 || n < 0 || n > 128)
        return;
    const float v = XUnit(), u = YUnit();
    SetFontColor(0x4040FF);
    SetBrushStyle(bsClear);
    const TRect box{static_cast<int>(x + 1.0f), static_cast<int>(y + 1.0f), static_cast<int>(x + v),
                    static_cast<int>(y + u)};
    const auto picture = [d](int index) -> const TBitmap* {
        const TBitmap* b = d->InstrumentBitmaps[static_cast<size_t>(index)].get();
        return b && b->Width() > 0 && b->Height() > 0 ? b : nullptr;
    };
    if (n == 128) {
        InstrumentLetter(d, true, x + 0.05f * v, y + 0.05f * u, "X", cell, 0.9f);
    } else if (n >= 112) {
        if (const TBitmap* b = picture(2))
            StretchDrawGraphic(box, *b);
        else
            InstrumentLetter(d, false, x - 0.02f * v, y + 0.05f * u, "D", cell, 0.9f);
    } else if (const TBitmap* b = picture(InstrumentImageIndex(n))) {
        StretchDrawGraphic(box, *b);
    } else {
        InstrumentLetter(d, false, x + 0.12f * v, y + 0.05f * u, "S", cell, 1.2f);
    }
    SetFontColor(0);
}

std::string FindPictureFile(const std::string& stored) {
    const TMainView* mv = MainView();
    for (const std::string& folder :
         {mv->SavedImageFolder, ExtractFilePath(ToSlashes(mv->FileName)), mv->ProgramFolder}) {
        std::string found = ResolveStoredPath(stored, folder);
        if (!found.empty())
            return found;
    }
    return {};
}

void DrawInsertedImage(TDrawEngine* d, float x, float y, const TCell& cell) {
    if (cell.Text.empty())
        return;
    const float v = XUnit(), u = YUnit();
    const float k = 1.0f - (1.0f - cell.fontSizeR) * 0.2f;
    // An unset or damaged size is one column or one row.
    const float w = v * static_cast<float>(std::max(1, cell.iEnd)) * k;
    const float h = u * static_cast<float>(std::max(1, cell.jEnd)) * k;
    const std::string path = FindPictureFile(cell.Text);
    if (!path.empty() && DrawPicture(d, x, y, w, cell.shrinkRate == 1 ? h : 0.0f, path))
        return;
    if (d->GetOutputKind() != 0)
        return;
    TCanvas* c = TargetCanvas(nullptr);
    SetPenColor(0x0000FF);
    SetCanvasFont("Arial", -1, -1);
    SetFontSize(10.0f);
    SetFontColor(0x0000FF);
    c->Brush.Style = bsClear;
    CanvasTextOut(x + 0.5f * v, y + 0.3f * u, "Image File Missing:");
    CanvasTextOut(x + 0.5f * v, y + 1.2f * u, ForDisplay(cell.Text));
    SetPenColor(d->CurColor);
    SetFontColor(0);
}

bool DrawPageBackground(TDrawEngine* d) {
    TMainView* mv = MainView();
    if (d->GetOutputKind() != 0 && CurLayer == 1)
        return false;
    const TLayer& layer = mv->PageSets[0];
    for (int page = std::min(mv->CurPage, static_cast<int>(layer.size()) - 1); page >= 0; --page) {
        if (!IsBackgroundImageCell(0, 0, 0, page))
            continue;
        const std::string& stored = layer[static_cast<size_t>(page)][0][0].Text;
        if (stored.empty())
            return false;
        float w = static_cast<float>(d->GetPageWidthPx());
        float h = static_cast<float>(d->GetPageHeightPx());
        if (d->GetOutputKind() == 1) {
            const TSize size = TargetCanvas(nullptr)->Size();
            w = static_cast<float>(size.cx);
            h = static_cast<float>(size.cy);
        }
        std::string path = ResolveStoredPath(stored, "");
        if (path.empty() && FileExists(IncludeTrailingSeparator(mv->SavedImageFolder) + ExtractFileName(stored)))
            path = IncludeTrailingSeparator(mv->SavedImageFolder) + ExtractFileName(stored);
        return !path.empty() && DrawPicture(d, 0.0f, 0.0f, w, h, path);
    }
    return false;
}

void DrawTimeSignature(TDrawEngine* d, float x, float y, const TCell& cell, bool westRow) {
    const int num = cell.upNote, den = cell.Note;
    const float v = XUnit(), u = YUnit();
    // On a staff the signature stands a quarter column left of its cell's
    // middle, so that a good space (a little over one staff space) parts it
    // from the first note of the next cell.
    if (westRow)
        x -= 0.25f * v;
    if (westRow && (cell.option & 1u) == 0 && ((num == 4 && den == 4) || (num == 2 && den == 2))) {
        DrawCommonTimeSymbol(d, x, y - 0.05f * u, cell, num == 2);
        return;
    }
    TCanvas* c = TargetCanvas(nullptr);
    const TFont saved = c->Font;
    const std::string top = std::to_string(num), bottom = std::to_string(den);
    // Jianpu rows: in the digits' face, like the key text beside it.
    const TMainView* mv = MainView();
    const std::string face =
        westRow ? std::string("Times New Roman")
                : DecodeForDisplay(mv->NoteFontName, mv->NoteFontCharset).value_or(mv->NoteFontName);
    SetCanvasFont(face, -1, -1);
    SetFontSize(MainView()->GetDrawScale());
    const TSize et = CanvasTextExtent(top), eb = CanvasTextExtent(bottom);
    if (westRow) {
        CanvasTextOutCentered(x + 0.5f * v, y + 0.51f * u + 0.16f * static_cast<float>(et.cy), top);
        CanvasTextOutCentered(x + 0.5f * v, y + 0.5f * u + 0.83f * static_cast<float>(eb.cy), bottom);
    } else {
        const bool wide = top.size() > 1 || bottom.size() > 1;
        const float L = wide ? std::trunc(1.8f * v) : v;
        const float f = wide ? 0.4f : 0.5f;
        // the numbers over and under the bar
        const float dy = (kTimeSignatureBar - 0.52f) * u;
        d->DrawGlyphString(face, x - 0.5f * static_cast<float>(et.cx) + 0.35f * v, y - 0.55f * u + dy, top, cell, 0.8f,
                           fsBold, 1.8f);
        d->DrawGlyphString(face, x - 0.5f * static_cast<float>(eb.cx) + 0.35f * v, y - 0.12f * u + dy, bottom, cell,
                           0.8f, fsBold, 1.8f);
        DrawLine(x + 0.5f * v - f * L, y + kTimeSignatureBar * u, x + 0.5f * v + 0.5f * L, y + kTimeSignatureBar * u);
    }
    c->Font = saved;
}

TCell TempoNoteCell(const TCell& tempo, float& shift) {
    TCell note = tempo;
    const int kind = tempo.Note == 1 || tempo.Note == 4 ? tempo.Note : 2;
    note.Note = kind == 1 ? 2 : kind == 2 ? 3 : 4;
    shift = kind == 4 ? 0.4f : 0.0f;
    note.option |= 1u;
    note.stemAdj = -3.0f - 3.0f * (tempo.fontSizeR - 1.0f) + 4.0f * shift;
    return note;
}

void DrawTempoMark(TDrawEngine* d, float x, float y, int col, int row) {
    TCell cell;
    GetCell(cell, col, row, -1, -1);
    const int tempo = cell.FontColor;
    if (tempo == 0)
        return;
    const TMainView* mv = MainView();
    const float v = XUnit(), u = YUnit();
    const float s1 = cell.fontSizeR - 1.0f;
    float e = 0.0f;
    // The note is drawn from a copy; the stored kind is left as it is.
    TCell note = TempoNoteCell(cell, e);
    const TColor savedColour = d->CurColor;
    if (cell.color != -1)
        d->CurColor = cell.color;
    DrawWesternNote(d, x + 0.1f * v, y + 0.8f * u, col, row, note, note);
    // The note drawer records where it drew in the grid cell at (col, row);
    // a tempo mark keeps what it stores.
    if (CurLayer >= 0 && CurLayer <= 1) {
        auto& pages = MainView()->PageSets[static_cast<size_t>(CurLayer)];
        const int page = MainView()->CurPage;
        if (page >= 0 && page < static_cast<int>(pages.size()) && row >= 0 &&
            row < static_cast<int>(pages[static_cast<size_t>(page)].size()) && col >= 0 &&
            col < static_cast<int>(pages[static_cast<size_t>(page)][static_cast<size_t>(row)].size()))
            pages[static_cast<size_t>(page)][static_cast<size_t>(row)][static_cast<size_t>(col)] = cell;
    }

    TCanvas* c = TargetCanvas(nullptr);
    const TFont saved = c->Font;
    std::string face = mv->NoteFontName;
    if (auto decoded = DecodeForDisplay(face, mv->NoteFontCharset))
        face = *decoded;
    SetCanvasFont(face, 0, 0);
    SetFontSize(mv->GetDrawScale() * cell.fontSizeR);
    SetFontColor(d->CurColor);
    SetBrushStyle(bsClear);
    CanvasTextOut(x + (1.1f + e) * v + 0.65f * s1 * v, y + 0.15f * u - 0.5f * s1 * u, "= " + std::to_string(tempo));
    c->Font = saved;
    d->CurColor = savedColour;
}
