#include "render/modTQDrawBase.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "model/modTQPredicates.h"
#include "model/modTQUtil.h"
#include "platform/core/TQCodec.h"
#include "platform/core/TQStrings.h"
#include "platform/gui/TQBitmap.h"
#include "platform/gui/TQGlyphMap.h"
#include "platform/gui/TQSymbolImages.h"

#include <QImage>
#include "render/modTQCvsDraw.h"
#include "render/modTQMainView.h"

int ScreenTextShift = 0;
float ScreenTextScale = 1.0f;

namespace {

constexpr float kPi = 3.1415925f;

const char* const kSymbolNames[kSymbolCount] = {
    "ij",        "GClef",      "FClef",  "CClef",         "Natural", "Flat",   "4_4Signature", "PaddleDown",
    "PaddleUp",  "SFlat",      "StartBrack", "DnTail",    "UpTail",  "GongChiLowDot", "Brace2", "gita",
    "3QFlat",    "FlatBack",   "DSharp", "SWave",         "LWave",   "SWave1", "LWave1",       "U",
    "Rest4th",   "Rest8th",    "Rest16th", "Rest32th",    "Rest64th", "Rest128th"};
const char* const kNoteNames[kNoteBitmapCount] = {"noteS", "noteH", "noteF"};

// The two process-wide caches: per entry one bitmap per colour slot.
using TSlots = std::array<std::unique_ptr<TBitmap>, kColourSlots>;
std::array<TSlots, kSymbolCount>& SymbolCache() {
    static std::array<TSlots, kSymbolCount> cache;
    return cache;
}
std::array<TSlots, kNoteBitmapCount>& NoteCache() {
    static std::array<TSlots, kNoteBitmapCount> cache;
    return cache;
}

float XUnit() { return static_cast<float>(MainView()->GetCellWidth()); }
float YUnit() { return static_cast<float>(MainView()->GetCellHeight()); }
float DrawScale() { return MainView()->GetDrawScale(); }

} // namespace

float PagePixelPoints(float size) {
    const TMainView* mv = MainView();
    const double screen = mv->DrawUnit * mv->Zoom;
    return screen > 0.0 ? static_cast<float>(size * mv->GetDrawScale() / screen) : size;
}

namespace {

// A face name kept as score bytes, for the canvas (UTF-8); the bytes as they
// are when they do not decode.
std::string FaceName(const std::string& bytes, int charset) {
    if (auto name = DecodeForDisplay(bytes, charset))
        return *name;
    return bytes;
}

// One character code as canvas text: a byte of a music font, else a character
// of the Western code page.
std::string CodeText(const std::string& fontName, int code) {
    const char ch = static_cast<char>(code & 0xFF);
    if (IsLegacyMusicFont(fontName) || (code & 0xFF) < 0x80)
        return std::string(1, ch);
    std::string out;
    if (CharsetToUtf8(std::string_view(&ch, 1), csAnsi, out))
        return out;
    return std::string();
}

TRect RoundedRect(float x, float y, float w, float h) {
    return TRect{RoundToInt(x), RoundToInt(y), RoundToInt(x + w), RoundToInt(y + h)};
}

// The recoloured copy of a picture: the extension replaced by the colour's
// decimal value followed by the extension (pic.jpg in colour 255: pic255.jpg).
std::string RecolouredPath(const std::string& path, TColor colour) {
    std::filesystem::path p(path);
    std::string ext = p.extension().string();
    p.replace_extension();
    return p.string() + std::to_string(colour) + ext;
}

// A JPEG picture: ".jpg" or ".jpeg" in any case ("PIC.JPG" from a Windows
// folder), or a file whose first bytes are the JPEG start marker.
bool IsJpegPath(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".jpg" || ext == ".jpeg")
        return true;
    std::ifstream in(path, std::ios::binary);
    unsigned char head[3] = {0, 0, 0};
    in.read(reinterpret_cast<char*>(head), 3);
    return in.gcount() == 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

} // namespace

const char* PercussionSyllableText(int id) {
    static const char* const kSyllables[22] = {"八", "大", "才", "台", "另", "打", "乙", "七", "不", "扑", "呆",
                                               "仓", "扎", "多", "罗", "顷", "匝", "崩", "龙", "冬", "嘟", "噜"};
    if (id < 10000 || id > 10021)
        return "";
    return kSyllables[id - 10000];
}

TDrawBaseObj::TDrawBaseObj() : WorkBitmap(std::make_unique<TBitmap>()) {
    for (int i = 0; i < 9; ++i) {
        InstrumentBitmaps[static_cast<size_t>(i)] = std::make_unique<TBitmap>();
        TBitmap& b = *InstrumentBitmaps[static_cast<size_t>(i)];
        QImage image = InstrumentImage(i);
        if (!image.isNull())
            b.SetImage(image);
        b.SetTransparent(true);
        b.SetTransparentColor(clWhite);
    }
}

TDrawBaseObj::~TDrawBaseObj() { FreeSymbolBitmaps(); }

float TDrawBaseObj::GetSizeFactor() const { return MainView()->DrawSizeFactor; }
void TDrawBaseObj::SetSizeFactor(float factor) { MainView()->DrawSizeFactor = factor; }

int TDrawBaseObj::GetBaseYUnit() const {
    const TMainView* mv = MainView();
    return RoundToInt(mv->CellHeight * mv->Zoom * static_cast<double>(mv->VerticalRate));
}
int TDrawBaseObj::GetLeftMarginPx() const { return MainView()->GetLeftMargin(); }
int TDrawBaseObj::GetTopMarginPx() const { return MainView()->GetTopMargin(); }
int TDrawBaseObj::GetPageWidthPx() const {
    const TMainView* mv = MainView();
    return mv->PaintBoxWidth > 0 ? mv->PaintBoxWidth : mv->TMainScore::GetPageWidthPx();
}
int TDrawBaseObj::GetPageHeightPx() const {
    const TMainView* mv = MainView();
    return mv->PaintBoxHeight > 0 ? mv->PaintBoxHeight : mv->TMainScore::GetPageHeightPx();
}
int TDrawBaseObj::GetOutputKind() const { return MainView()->OutputKind; }
int TDrawBaseObj::GetCurrentClef() const { return MainView()->CurClef; }

// ---- pictures and symbol images ----

bool TDrawBaseObj::LoadPictureFile(TBitmap& graphic, const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return false;
    return graphic.LoadFromFile(path);
}

bool TDrawBaseObj::LoadSymbolBitmap(const std::string& name, TBitmap& bitmap, TColor color) {
    QImage source = SymbolImage(name);
    if (source.isNull())
        return false;
    bitmap.SetImage(source);
    // The pictures are cropped to their ink, so a corner pixel may be ink:
    // the background colour, white, is the transparent one.
    bitmap.SetTransparent(true);
    bitmap.SetTransparentColor(clWhite);
    if (color != 0)
        RecolourBitmap(bitmap, color);
    return true;
}

void TDrawBaseObj::RecolourBitmap(TBitmap& bitmap, TColor color) {
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            TColor p = bitmap.Pixel(x, y);
            if (GetRValue(p) < 100 && GetGValue(p) < 100 && GetBValue(p) < 100)
                bitmap.SetPixel(x, y, color);
        }
}

namespace {
// Slot of the current colour: main layer, back layer, hidden layer, edit-layer
// highlight, other-layer highlight, flat, sharp; any other colour uses the
// main-layer slot.
int ColourSlot(const TDrawBaseObj& d) {
    const TColor slotColours[kColourSlots] = {d.MainLayerColor,           d.BackLayerColor,
                                              d.HidenLayerColor,          d.EditLayerHighlightColor,
                                              d.OtherLayerHighlightColor, d.FlatColor,
                                              d.SharpColor};
    for (int i = 0; i < kColourSlots; ++i)
        if (slotColours[i] == d.CurColor)
            return i;
    return 0;
}

TColor SlotColour(const TDrawBaseObj& d, int slot) {
    switch (slot) {
    case 0:
        return d.MainLayerColor;
    case 1:
        return d.BackLayerColor;
    case 2:
        return d.HidenLayerColor;
    default:
        return TargetCanvas(nullptr)->Font.Color;
    }
}

TBitmap* CachedImage(TDrawBaseObj& d, TSlots& entries, const char* name) {
    const int slot = ColourSlot(d);
    std::unique_ptr<TBitmap>& cached = entries[static_cast<size_t>(slot)];
    if (!cached) {
        auto bitmap = std::make_unique<TBitmap>();
        if (!d.LoadSymbolBitmap(name, *bitmap, SlotColour(d, slot)))
            return nullptr;
        cached = std::move(bitmap);
    }
    return cached.get();
}

// Draws a symbol image stretched into (x, y, w, h); h 0 keeps the aspect ratio.
bool StretchSymbol(const TBitmap& image, float x, float y, float w, float h) {
    if (image.Width() <= 0 || image.Height() <= 0)
        return false;
    if (h == 0.0f)
        h = static_cast<float>(RoundToInt(w * static_cast<float>(image.Height()) / static_cast<float>(image.Width())));
    StretchDrawGraphic(RoundedRect(x, y, w, h), image);
    return true;
}
} // namespace

TBitmap* TDrawBaseObj::GetSymbolBitmap(int index) {
    if (index < 0 || index >= kSymbolCount)
        return nullptr;
    return CachedImage(*this, SymbolCache()[static_cast<size_t>(index)], kSymbolNames[index]);
}

bool TDrawBaseObj::DrawSymbolBitmap(float x, float y, float w, int index, float h) {
    if (index < 0 || index >= kSymbolCount)
        return false;
    if (GetOutputKind() == 0) {
        TBitmap* image = GetSymbolBitmap(index);
        return image && StretchSymbol(*image, x, y, w, h);
    }
    // Printer and pictures get the image at its full resolution, uncached.
    TBitmap image;
    const int slot = ColourSlot(*this);
    if (!LoadSymbolBitmap(kSymbolNames[index], image, SlotColour(*this, slot)))
        return false;
    return StretchSymbol(image, x, y, w, h);
}

bool TDrawBaseObj::DrawNoteBitmap(float x, float y, float w, int index, float h) {
    if (index < 0 || index >= kNoteBitmapCount)
        return false;
    TBitmap* image = CachedImage(*this, NoteCache()[static_cast<size_t>(index)], kNoteNames[index]);
    if (!image || image->Width() <= 0 || image->Height() <= 0)
        return false;
    if (w == 0.0f)
        w = static_cast<float>(RoundToInt(h * static_cast<float>(image->Width()) / static_cast<float>(image->Height())));
    return StretchSymbol(*image, x, y, w, h);
}

bool TDrawBaseObj::DrawImageFile(float x, float y, float w, const std::string& path, float h) {
    return DrawImageFileEx(x, y, w, path, h, nullptr, false);
}

bool TDrawBaseObj::DrawImageFileEx(float x, float y, float w, const std::string& path, float h, TRect* outRect,
                                   bool measureOnly) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return false;
    if (w == 0.0f && h == 0.0f)
        return true;
    std::string file = path;
    bool copyExists = false;
    if (CurColor != 0) {
        const std::string copy = RecolouredPath(path, CurColor);
        copyExists = std::filesystem::exists(copy, ec);
        if (copyExists)
            file = copy;
    }
    TBitmap picture;
    if (!LoadPictureFile(picture, file))
        return false;
    picture.SetTransparent(true);
    const float pw = static_cast<float>(picture.Width());
    const float ph = static_cast<float>(picture.Height());
    if (pw > 0.0f && ph > 0.0f) {
        if (w == 0.0f)
            w = static_cast<float>(RoundToInt(pw * h / ph));
        else if (h == 0.0f)
            h = static_cast<float>(RoundToInt(ph * w / pw));
    }
    const TRect rect = RoundedRect(x, y, w, h);
    if (outRect)
        *outRect = rect;
    if (measureOnly)
        return true;
    if (CurColor != 0 && !copyExists) {
        RecolourBitmap(picture, HidenLayerColor);
        // The copy only saves work on later draws: a folder that cannot be
        // written leaves the picture drawn all the same.
        picture.SaveToFile(RecolouredPath(path, CurColor), IsJpegPath(path) ? TImageFormat::Jpeg : TImageFormat::Bmp);
    }
    StretchDrawGraphic(rect, picture);
    return true;
}

void TDrawBaseObj::FreeSymbolBitmaps() {
    for (TSlots& entries : SymbolCache())
        for (auto& b : entries)
            b.reset();
    for (TSlots& entries : NoteCache())
        for (auto& b : entries)
            b.reset();
}

// ---- text and glyphs ----

void TDrawBaseObj::RestoreNoteFont(TCanvas* canvas) {
    const TMainView* mv = MainView();
    SetCanvasFont(FaceName(mv->NoteFontName, mv->NoteFontCharset), -1, mv->NoteFontStyle, canvas);
}

void TDrawBaseObj::DrawGlyphText(const std::string& fontName, float x, float y, const std::string& text,
                                 const TCell& cell, float factor, int style, float widthFactor, int angle,
                                 TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    const float xu = XUnit();
    const float yu = YUnit();
    bool angleFromCell = false;
    if (angle == 0 && cell.cellType == ctText && !IsClefCell(cell) && cell.dot != 0) {
        angle = cell.dot;
        factor *= 1.6f;
        angleFromCell = true;
        const float t = static_cast<float>(angle) * kPi / 1800.0f;
        if (t <= 0.0f) {
            y -= yu * (std::sin(t) - 0.5f * std::cos(t));
            x -= xu * std::sin(t) * 2.5f;
        } else {
            y += yu * (1.5f * std::sin(t) + 0.5f * std::cos(t));
            x -= xu * std::sin(t) * 1.2f;
        }
    }
    if (ScreenTextShift != 0) {
        y += yu * static_cast<float>(ScreenTextShift) * 0.02f;
        factor *= ScreenTextScale;
    }
    c->Brush.Style = bsClear;
    if (widthFactor > 0.0f || angle != 0) {
        const int h = RoundToInt(0.5f * xu * factor * cell.fontSizeR);
        auto font = std::make_shared<TLogFont>();
        font->Height = RoundToInt(2.8f * static_cast<float>(h));
        font->Width = RoundToInt(static_cast<float>(h) * widthFactor);
        font->Escapement = angle;
        font->Orientation = 0;
        font->Weight = (style & fsBold) ? 700 : 500;
        font->Italic = (style & fsItalic) != 0;
        font->Underline = (style & fsUnderline) != 0;
        font->StrikeOut = (style & fsStrikeOut) != 0;
        font->Charset = 1;
        font->FaceName = fontName;
        auto previous = c->SelectLogFont(font);
        if (angleFromCell)
            CanvasTextOut(x, y, text, c);
        else
            CanvasTextOut(x + 0.1f * xu, y + 0.55f * yu, text, c);
        c->SelectLogFont(previous);
        return;
    }
    SetCanvasFont(fontName, -1, style, c);
    if (cell.fontSizeR > 0.0f)
        SetFontSize(DrawScale() * factor * cell.fontSizeR, c);
    CanvasTextOut(x, y, text, c);
    RestoreNoteFont(c);
}

void TDrawBaseObj::DrawCharGlyph(const std::string& fontName, float x, float y, int code, const TCell& cell,
                                 float factor, int style, float widthFactor, int angle, TCanvas* canvas) {
    DrawGlyphText(fontName, x, y, CodeText(fontName, code), cell, factor, style, widthFactor, angle, canvas);
}

TSize TDrawBaseObj::CharGlyphExtent(const std::string& fontName, int code, const TCell& cell, float factor,
                                    TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    if (ScreenTextShift != 0)
        factor *= ScreenTextScale;
    SetCanvasFont(fontName, -1, 0, c);
    if (cell.fontSizeR > 0.0f)
        SetFontSize(DrawScale() * factor * cell.fontSizeR, c);
    const TSize extent = CanvasTextExtent(CodeText(fontName, code), c);
    RestoreNoteFont(c);
    return extent;
}

void TDrawBaseObj::DrawCharGlyph2(const std::string& fontName, float x, float y, int code, const TCell& cell,
                                  float factor, int style, float widthFactor, int angle, TCanvas* canvas) {
    DrawGlyphText(fontName, x, y, CodeText(fontName, code), cell, factor, style, widthFactor, angle, canvas);
}

void TDrawBaseObj::DrawGlyphString(const std::string& fontName, float x, float y, const std::string& text,
                                   const TCell& cell, float factor, int style, float widthFactor, int angle,
                                   TCanvas* canvas) {
    DrawGlyphText(fontName, x, y, text, cell, factor, style, widthFactor, angle, canvas);
}

namespace {
// A text cell turned by its angle (tenths of a degree, kept in dot).
bool IsRotatedTextCell(const TCell& cell) { return cell.cellType == ctText && cell.dot != 0; }
} // namespace

void TDrawBaseObj::DrawTimesText(float x, float y, const std::string& text, const TCell& cell, float factor,
                                 TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    SetCanvasFont("Times New Roman", -1, -1, c);
    SetFontSize(DrawScale() * cell.fontSizeR * factor, c);
    c->Brush.Style = bsClear;
    if (IsRotatedTextCell(cell))
        DrawRotatedText(x, y, text, cell, cell.dot, c);
    else
        CanvasTextOut(x, y, text, c);
    RestoreNoteFont(c);
}

void TDrawBaseObj::DrawArialText(float x, float y, const std::string& text, const TCell& cell, float factor,
                                 TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    SetCanvasFont("Arial", -1, -1, c);
    SetFontSize(DrawScale() * cell.fontSizeR * factor, c);
    if (IsRotatedTextCell(cell))
        DrawRotatedText(x, y, text, cell, cell.dot, c);
    else
        CanvasTextOut(x, y, text, c);
}

void TDrawBaseObj::DrawTextInTextFont(float x, float y, const std::string& text, const TCell& cell, float factor,
                                      TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    const TMainView* mv = MainView();
    SetCanvasFont(FaceName(mv->EnglishFontName, mv->EnglishFontCharset), mv->EnglishFontCharset,
                  mv->EnglishFontStyle, c);
    SetFontSize(DrawScale() * cell.fontSizeR * factor, c);
    CanvasTextOut(x, y, text, c);
    RestoreNoteFont(c);
}

void TDrawBaseObj::DrawChineseChar(float x, float y, const std::string& text, const TCell& cell, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    const TMainView* mv = MainView();
    if (BoldChineseChars())
        SetCanvasFont("黑体", 134, fsBold, c);
    else
        SetCanvasFont(FaceName(mv->ChineseFontName, mv->ChineseFontCharset), mv->ChineseFontCharset,
                      mv->ChineseFontStyle, c);
    SetFontSize(DrawScale() * 0.55f * cell.fontSizeR, c);
    c->Brush.Style = bsClear;
    c->Font.Color = MainLayerColor;
    CanvasTextOut(x + 0.1f * XUnit(), y + 0.55f * YUnit(), text, c);
    RestoreNoteFont(c);
}

void TDrawBaseObj::DrawCellFontText(float x, float y, const std::string& text, const TCell& cell, float factor,
                                    int style, TCanvas* canvas) {
    TCanvas* c = TargetCanvas(canvas);
    const TMainView* mv = MainView();
    std::string face = (cell.upNote & 4) ? FaceName(cell.FontName, cell.FontCharset)
                                         : FaceName(mv->ChineseFontName, mv->ChineseFontCharset);
    if (style == -1)
        style = (cell.upNote & 1) ? cell.FontStyle : mv->ChineseFontStyle;
    SetCanvasFont(face, mv->ChineseFontCharset, style, c);
    SetFontSize(DrawScale() * cell.fontSizeR * factor, c);
    c->Brush.Style = bsClear;
    CanvasTextOut(x, y, text, c);
    RestoreNoteFont(c);
}

void TDrawBaseObj::DrawPercussionSyllable(float x, float y, int id, const TCell& cell, TCanvas* canvas) {
    const char* text = PercussionSyllableText(id);
    if (*text)
        DrawSyllableChar(x, y, text, cell, canvas);
}

void TDrawBaseObj::DrawSyllableChar(float x, float y, const std::string& text, const TCell& cell, TCanvas* canvas) {
    const float f = cell.fontSizeR;
    x += (0.1f - 0.2f * (f - 1.0f)) * XUnit();
    y += (0.45f - 0.1f * (f - 1.0f)) * YUnit();
    DrawCellFontText(x, y, text, cell, 0.6f, -1, canvas);
}

void TDrawBaseObj::StepAlongLine(float x, float y, float slope, float dx, bool draw) {
    if (draw)
        CanvasLineTo(x + dx, y + slope * dx);
    else
        CanvasMoveTo(x + dx, y + slope * dx);
}
